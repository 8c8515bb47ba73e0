// The player with the game's own skinned model and its ten clips, on a headless device.
#include "GLTestContext.h"
#include "PlayerRig.h"

#include "model/Model.h"
#include "model/ModelFactory.h"
#include "settings/Settings.h"

#include <cstdlib>
#include <memory>
#include <string>

using namespace PlayerTest;

namespace
{
struct PlayerModelGL : QelTest::GLTest
{
    void SetUp() override
    {
        QelTest::GLTest::SetUp();
        if (HasFatalFailure())
            return;
        const char* bin = std::getenv("QEL_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        mySavedGame = Qel::Settings::GetGameAssetsPath();
        Qel::Settings::GetGameAssetsPath() = std::filesystem::path(bin) / "assets" / "game";
    }
    void TearDown() override
    {
        Qel::DestroyModelFactory();
        Qel::Settings::GetGameAssetsPath() = mySavedGame;
        QelTest::GLTest::TearDown();
    }
    std::filesystem::path mySavedGame;
};

const char* const CLIPS[][2] = {
    {"IdleAnimation", "Idle"},   {"WalkAnimation", "Walk"},     {"SprintAnimation", "Sprint"},
    {"SlideAnimation", "Slide"}, {"JumpAnimation", "Jump"},     {"FallAnimation", "Fall"},
    {"CrouchAnimation", "Crouch"}, {"GroundPoundAnimation", "GroundPound"}, {"DeathAnimation", "Death"},
    {"ZiplineAnimation", "Zipline"},
};
}

TEST_F(PlayerModelGL, PlaysTheGamesClipsOnItsModel)
{
    PlayerRig rig;
    Props props;
    props.Model("art/3d/SK_Player.fbx");
    for (const auto& clip : CLIPS)
        props.Clip(clip[0], ("art/3d/animations/A_Player_" + std::string(clip[1]) + ".fbx").c_str());
    rig.Floor(-1500.0f, 3000.0f);
    rig.Spawn(0.0f, FLOOR_TOP, props);

    for (Qel::u8 slot = 0; slot < Player::CLIP_COUNT; ++slot)
    {
        const bool named = slot != 8 && slot != 9;
        EXPECT_EQ(rig.player.GetAnimationPlayer(slot).HasAnimation(), named) << int(slot);
    }
    EXPECT_TRUE(rig.player.GetAnimationPlayer(Player::CLIP_WALK).myIsLooping);
    EXPECT_FALSE(rig.player.GetAnimationPlayer(Player::CLIP_JUMP).myIsLooping);
    // The blend starts from the idle clip's first frame, with every joint of the skeleton.
    EXPECT_EQ(rig.player.GetBlendedPose().myCount, 8u);
    // Footsteps need frames 6 and 18 of the walk and 7 and 15 of the sprint.
    EXPECT_GE(rig.player.GetAnimationPlayer(Player::CLIP_WALK).myAnimation->myFrameCount, 19u);
    EXPECT_GE(rig.player.GetAnimationPlayer(Player::CLIP_SPRINT).myAnimation->myFrameCount, 16u);

    rig.Frames(3);
    rig.ClearSounds();
    rig.Frames(120, {KEY_RIGHT});
    EXPECT_GT(rig.Footsteps(), 4u);
    rig.Frames(40, {KEY_RIGHT, KEY_X});
    EXPECT_EQ(rig.player.GetBlendQueue().GetEntries().back().mySlot, Player::CLIP_SPRINT);
    rig.Frames(10, {KEY_JUMP});
    EXPECT_EQ(rig.player.GetBlendQueue().GetEntries().back().mySlot, Player::CLIP_JUMP);
    EXPECT_EQ(rig.player.GetBlendedPose().myCount, 8u);
}

TEST_F(PlayerModelGL, WithoutAnIdleClipTheBlendStartsFromTheRestPose)
{
    PlayerRig rig;
    Props props;
    props.Model("art/3d/SK_Player.fbx");
    for (const auto& clip : CLIPS)
        if (std::string(clip[1]) != "Idle")
            props.Clip(clip[0], ("art/3d/animations/A_Player_" + std::string(clip[1]) + ".fbx").c_str());
    rig.Floor(-1500.0f, 3000.0f);
    rig.Spawn(0.0f, FLOOR_TOP, props);
    ASSERT_FALSE(rig.player.GetAnimationPlayer(Player::CLIP_IDLE).HasAnimation());
    ASSERT_TRUE(rig.player.GetAnimationPlayer(Player::CLIP_WALK).HasAnimation());

    const std::shared_ptr<Qel::Model> model = Qel::GetModelFactory().GetModel("art/3d/SK_Player.fbx");
    ASSERT_NE(model, nullptr);
    const Qel::Pose& rest = model->mySkeleton.myBindPose;
    const Qel::Pose& pose = rig.player.GetBlendedPose();
    ASSERT_GT(rest.myCount, 0u);
    ASSERT_EQ(pose.myCount, rest.myCount);
    for (Qel::u64 joint = 0; joint < rest.myCount; ++joint)
        EXPECT_EQ(pose.myJoints[joint].myTranslation, rest.myJoints[joint].myTranslation) << joint;
    // The other clips blend into it with every joint.
    rig.Frames(30, {KEY_RIGHT});
    EXPECT_EQ(rig.player.GetBlendedPose().myCount, rest.myCount);
}
