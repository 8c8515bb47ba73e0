#include "PlayerRig.h"

#include "AudioManager.h"
#include "model/Animation.h"
#include "particles/ParticleSystem.h"

#include <memory>
#include <vector>

using namespace PlayerTest;

namespace
{
// A one-joint clip of aFrames frames at 30 per second whose joint moves along x by frame.
Qel::AnimationPlayer MakeClip(Qel::u32 aFrames, float aXPerFrame = 1.0f)
{
    auto clip = std::make_shared<Qel::Animation>();
    clip->myFrameRate = 30.0f;
    clip->myFrameCount = aFrames;
    clip->myDuration = static_cast<float>(aFrames) / 30.0f;
    for (Qel::u32 f = 0; f < aFrames; ++f)
    {
        Qel::Pose pose;
        pose.myCount = 1;
        pose.myJoints[0].myTranslation = {aXPerFrame * static_cast<float>(f), 0.0f, 0.0f};
        clip->myFrames.push_back(pose);
    }
    Qel::AnimationPlayer player;
    EXPECT_TRUE(player.Bind(clip));
    return player;
}

struct AnimationRig : PlayerRig
{
    AnimationRig()
    {
        Floor(-1500.0f, 6000.0f);
        Spawn(0.0f, FLOOR_TOP);
        for (Qel::u8 slot : {Player::CLIP_IDLE, Player::CLIP_WALK, Player::CLIP_SPRINT, Player::CLIP_SLIDE,
                             Player::CLIP_JUMP, Player::CLIP_FALL, Player::CLIP_CROUCH})
            player.SetAnimationPlayer(slot, MakeClip(24, static_cast<float>(slot)));
        Frames(3);
        ClearSounds();
    }
    Qel::u32 Footsteps() const
    {
        Qel::u32 count = 0;
        for (Qel::u8 id = SFX_FOOTSTEP_CONCRETE_1; id < SFX_FOOTSTEP_CONCRETE_1 + 4; ++id)
            count += CountEffect(id);
        return count;
    }
    std::vector<Qel::u8> Slots() const
    {
        std::vector<Qel::u8> slots;
        for (const AnimationBlendEntry& entry : player.GetBlendQueue().GetEntries())
            slots.push_back(entry.mySlot);
        return slots;
    }
};
}

TEST(PlayerAnimation, QueueKeepsOneEntryPerSlotAndDropsBlendedOut)
{
    AnimationRig rig;
    // Standing still: only idle remains once it has blended in.
    EXPECT_EQ(rig.Slots(), std::vector<Qel::u8>{Player::CLIP_IDLE});

    rig.player.QueueAnimation(Player::CLIP_WALK, 0.1f, 0.004f);
    rig.player.QueueAnimation(Player::CLIP_WALK, 0.1f, 0.004f);
    EXPECT_EQ(rig.Slots(), (std::vector<Qel::u8>{Player::CLIP_IDLE, Player::CLIP_WALK}));
    const AnimationBlendEntry walk = rig.player.GetBlendQueue().GetEntries()[1];
    EXPECT_EQ(walk.mySpeedScaled, 1);
    EXPECT_EQ(walk.myFresh, 1);

    // A slot without a clip queues nothing.
    rig.player.QueueAnimation(Player::CLIP_DEATH, 0.1f, 0.0f);
    EXPECT_EQ(rig.Slots().size(), 2u);

    // Once the newest entry is fully in (elapsed > blend - 0.001), the older ones go.
    for (int i = 0; i < 7; ++i)
        rig.player.UpdateAnimation(rig.myContext);
    EXPECT_EQ(rig.Slots(), std::vector<Qel::u8>{Player::CLIP_WALK});
    // The blended pose is then the walk clip's own.
    EXPECT_FLOAT_EQ(rig.player.GetBlendedPose().myJoints[0].myTranslation.x,
                    rig.player.GetAnimationPlayer(Player::CLIP_WALK).myPose.myJoints[0].myTranslation.x);
}

TEST(PlayerAnimation, SlideSoundsAndRewind)
{
    AnimationRig rig;
    rig.player.QueueAnimation(Player::CLIP_SLIDE, 0.05f, 0.0f);
    rig.player.UpdateAnimation(rig.myContext);
    EXPECT_EQ(rig.CountEffect(SFX_SLIDE_1) + rig.CountEffect(SFX_SLIDE_2), 1u);

    // Any other clip entering the queue stops the slide sounds; the jump clip starts over.
    rig.player.GetAnimationPlayer(Player::CLIP_JUMP).myTime = 0.5f;
    rig.player.GetAnimationPlayer(Player::CLIP_IDLE).myTime = 0.3f;
    rig.player.QueueAnimation(Player::CLIP_JUMP, 0.1f, 0.0f);
    rig.player.UpdateAnimation(rig.myContext);
    const Qel::u32 first = AudioManager::GetSlot(SOUND_CATEGORY_EFFECTS, 0);
    EXPECT_EQ(rig.mySound.CountStops(first + SFX_SLIDE_1), 1u);
    EXPECT_EQ(rig.mySound.CountStops(first + SFX_SLIDE_2), 1u);
    EXPECT_NEAR(rig.player.GetAnimationPlayer(Player::CLIP_JUMP).myTime, 1.0f / 60.0f, 1e-5f);

    // Idle is not rewound when queued again.
    for (int i = 0; i < 10; ++i)
        rig.player.UpdateAnimation(rig.myContext);
    const float idleTime = rig.player.GetAnimationPlayer(Player::CLIP_IDLE).myTime;
    rig.player.QueueAnimation(Player::CLIP_IDLE, 0.1f, 0.0f);
    rig.player.UpdateAnimation(rig.myContext);
    EXPECT_GT(rig.player.GetAnimationPlayer(Player::CLIP_IDLE).myTime, idleTime);
}

TEST(PlayerAnimation, ClipChoiceFollowsTheMoves)
{
    AnimationRig rig;
    rig.Frames(40, {KEY_RIGHT});
    EXPECT_EQ(rig.Slots().back(), Player::CLIP_WALK);
    rig.Frames(20, {KEY_RIGHT, KEY_X});
    EXPECT_EQ(rig.Slots().back(), Player::CLIP_SPRINT);
    rig.Frames(5, {KEY_RIGHT, KEY_X, KEY_JUMP});
    EXPECT_EQ(rig.Slots().back(), Player::CLIP_JUMP);
    rig.Frames(40);
    EXPECT_TRUE(rig.player.GetBlendQueue().Contains(Player::CLIP_FALL) || rig.Slots().back() == Player::CLIP_SLIDE ||
                rig.Slots().back() == Player::CLIP_IDLE);
    rig.Frames(120);
    EXPECT_EQ(rig.Slots().back(), Player::CLIP_IDLE);
    rig.Frames(10, {KEY_DOWN});
    EXPECT_EQ(rig.Slots().back(), Player::CLIP_CROUCH);
}

TEST(PlayerAnimation, FootstepsOnWalkFramesSixAndEighteen)
{
    AnimationRig rig;
    rig.Frames(60, {KEY_RIGHT});
    ASSERT_NEAR(rig.Vx(), 500.0f, 0.01f);
    rig.ClearSounds();
    // At 500 the walk clip plays at twice its speed: one clip frame (of 30 per second) per frame.
    std::vector<int> stepFrames;
    for (int i = 0; i < 120; ++i)
    {
        const Qel::u32 before = rig.Footsteps();
        rig.Frame({KEY_RIGHT});
        if (rig.Footsteps() > before)
        {
            const Qel::AnimationPlayer& walk = rig.player.GetAnimationPlayer(Player::CLIP_WALK);
            const int clipFrame = static_cast<int>(walk.myTime * walk.myFrameRate);
            EXPECT_TRUE(clipFrame == 6 || clipFrame == 18) << clipFrame;
            stepFrames.push_back(i);
        }
    }
    // Two steps per 24-frame loop: ten in two seconds.
    EXPECT_NEAR(static_cast<double>(stepFrames.size()), 10.0, 1.0);
    for (std::size_t i = 1; i < stepFrames.size(); ++i)
        EXPECT_GE((stepFrames[i] - stepFrames[i - 1]) / 60.0f, 0.09f);

    // The floor's material picks the step sounds: metal plays 8-11.
    AnimationRig metal;
    metal.myWorld.myTileMap.Clear();
    metal.Floor(-1500.0f, 6000.0f, 0.0f, TILE_MATERIAL_METAL);
    metal.Frames(120, {KEY_RIGHT});
    Qel::u32 metalSteps = 0;
    for (Qel::u8 id = SFX_FOOTSTEP_METAL_1; id < SFX_FOOTSTEP_METAL_1 + 4; ++id)
        metalSteps += metal.CountEffect(id);
    EXPECT_GT(metalSteps, 3u);
    EXPECT_EQ(metal.Footsteps(), 0u);
}

TEST(PlayerAnimation, EffectRingReusesTheOldestEmitter)
{
    Qel::ParticleSystem jump;
    jump.particleCount = 4;
    jump.lifetimeRange = {5.0f, 5.0f};
    AnimationRig rig;
    rig.player.SetEffects(nullptr, nullptr, nullptr, &jump);
    std::vector<float> jumpXs;
    for (int j = 0; j < 11; ++j)
    {
        jumpXs.push_back(rig.X());
        rig.Frames(2, {KEY_RIGHT, KEY_JUMP});
        while (rig.Y() > FLOOR_TOP + 0.01f)
            rig.Frame({KEY_RIGHT});
        rig.Frame({KEY_RIGHT});
    }
    EXPECT_EQ(rig.player.GetEmitterIndex(), 1u);
    for (Qel::u32 i = 0; i < Player::EFFECT_RING_SIZE; ++i)
        EXPECT_EQ(rig.player.GetEmitter(i).GetSystemData(), &jump);
    // Emitter 0 now holds the eleventh jump's effect, 50 above the feet.
    const Qel::ParticleSystemInstance& newest = rig.player.GetEmitter(0);
    EXPECT_NEAR(const_cast<Qel::ParticleSystemInstance&>(newest).GetTransform().GetTranslation().x, jumpXs[10], 20.0f);
    EXPECT_NEAR(const_cast<Qel::ParticleSystemInstance&>(newest).GetTransform().GetTranslation().y, FLOOR_TOP + 50.0f,
                0.1f);
}
