// Animation player timing, sampling and blending.
#include "model/AnimationPlayer.h"

#include <gtest/gtest.h>

using namespace Qel;

namespace
{
// A one-joint clip: frame k has translation x = k and, for blending, rotation about z of 3k degrees.
std::shared_ptr<Animation> MakeClip(u32 aFrames = 31, float aFps = 30.0f)
{
    auto clip = std::make_shared<Animation>();
    clip->myFrameRate = aFps;
    clip->myFrameCount = aFrames;
    clip->myDuration = aFrames > 0 ? static_cast<float>(aFrames - 1) / aFps : 0.0f;
    clip->myFrames.resize(aFrames);
    for (u32 k = 0; k < aFrames; ++k)
    {
        clip->myFrames[k].myCount = 1;
        clip->myFrames[k].myJoints[0].myTranslation = {static_cast<float>(k), 0.0f, 0.0f};
        clip->myFrames[k].myJoints[0].myRotation = Quaternion::FromEulerDegrees({0.0f, 0.0f, 3.0f * k});
    }
    return clip;
}
}

TEST(AnimationPlayerTest, TimingNonLoopingAndLooping)
{
    AnimationPlayer player;
    ASSERT_TRUE(player.Bind(MakeClip()));
    EXPECT_FLOAT_EQ(player.myFrameRate, 30.0f);
    EXPECT_EQ(player.myState, ANIMATION_STATE_READY);
    player.myState = ANIMATION_STATE_PLAYING;
    player.Update(0.6f);
    EXPECT_FLOAT_EQ(player.myTime, 0.6f);
    EXPECT_EQ(player.myState, ANIMATION_STATE_PLAYING);
    player.Update(0.6f);
    EXPECT_EQ(player.myTime, 1.0f);
    EXPECT_EQ(player.myState, ANIMATION_STATE_FINISHED);
    // Finished: the last frame, held.
    EXPECT_NEAR(player.myPose.myJoints[0].myTranslation.x, 30.0f, 1.0f);

    AnimationPlayer looping;
    looping.Bind(MakeClip());
    looping.myIsLooping = true;
    looping.myState = ANIMATION_STATE_PLAYING;
    looping.Update(0.6f);
    looping.Update(0.6f);
    EXPECT_NEAR(looping.myTime, 0.2f, 1e-6f);
    EXPECT_EQ(looping.myState, ANIMATION_STATE_PLAYING);
}

TEST(AnimationPlayerTest, SamplesAndBlendsNeighbouringFrames)
{
    AnimationPlayer player;
    player.Bind(MakeClip());
    player.myTime = 0.51f;   // frame position 15.3
    player.Update(0.0f);     // ready: the pose still refreshes
    EXPECT_EQ(player.myPose.myCount, 1u);
    EXPECT_NEAR(player.myPose.myJoints[0].myTranslation.x, 15.3f, 1e-3f);
    const Quaternion expected = Quaternion::FromEulerDegrees({0.0f, 0.0f, 45.9f});
    EXPECT_NEAR(player.myPose.myJoints[0].myRotation.z, expected.z, 1e-4f);
    EXPECT_NEAR(player.myPose.myJoints[0].myRotation.w, expected.w, 1e-4f);

    player.myIsInterpolating = false;
    player.UpdatePose();
    EXPECT_EQ(player.myPose.myJoints[0].myTranslation.x, 15.0f);
}

TEST(AnimationPlayerTest, EdgeCasesAreSafe)
{
    // No clip: nothing is read.
    AnimationPlayer unbound;
    unbound.myState = ANIMATION_STATE_PLAYING;
    unbound.Update(0.1f);
    EXPECT_EQ(unbound.myPose.myCount, 0u);
    EXPECT_FALSE(unbound.Bind(nullptr));

    // A time far past the end names the last frame; a looping clip near its end blends to frame 0.
    AnimationPlayer late;
    late.Bind(MakeClip());
    late.myTime = 50.0f;
    late.UpdatePose();
    EXPECT_EQ(late.myPose.myJoints[0].myTranslation.x, 30.0f);

    // A clip of zero length loops without spinning and holds its only frame.
    AnimationPlayer single;
    ASSERT_TRUE(single.Bind(MakeClip(1)));
    single.myIsLooping = true;
    single.myState = ANIMATION_STATE_PLAYING;
    single.Update(0.5f);
    EXPECT_EQ(single.myTime, 0.0f);
    EXPECT_EQ(single.myPose.myJoints[0].myTranslation.x, 0.0f);

    // Clips without frames or frame rate are refused.
    AnimationPlayer refused;
    EXPECT_FALSE(refused.Bind(MakeClip(0)));
    EXPECT_FALSE(refused.Bind(MakeClip(5, 0.0f)));
    EXPECT_FALSE(refused.HasAnimation());
}
