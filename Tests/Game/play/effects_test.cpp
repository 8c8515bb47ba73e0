// Model helpers and the effect pool without a GPU: the built-in models load CPU-side, a model
// that does not resolve leaves only the transform, effects end on time and the pool is a ring.
#include "AnimatedEffectPool.h"
#include "AnimatedModel.h"
#include "FlowFixture.h"
#include "ModelVisual.h"
#include "Util/AnimationUtil.h"

#include "model/Model.h"
#include "model/ModelData.h"
#include "model/ModelInstance.h"
#include "scene/SceneAssets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{
Qel::Matrix4x4 At(float aX, float aY, float aScale = 1.0f)
{
    Qel::Matrix4x4 m = Qel::Matrix4x4::CreateScale({aScale, aScale, aScale});
    m(4, 1) = aX;
    m(4, 2) = aY;
    return m;
}

Qel::SceneModel ModelAt(const char* aPath)
{
    Qel::SceneModel model;
    model.myPath = Qel::StringId(std::string(aPath));
    model.myBlendState[0] = 2;
    model.myDepthStencilState[0] = 3;
    return model;
}

TEST(ModelHelpers, AModelThatDoesNotResolveKeepsOnlyItsTransform)
{
    for (const char* path : {"", "models/none/SM_Missing.fbx"})
    {
        ModelVisual visual;
        SetupModelInstance(visual, ModelAt(path), At(300.0f, 150.0f));
        EXPECT_FALSE(visual.HasModel()) << path;
        EXPECT_EQ(visual.GetMeshCount(), 0);
        EXPECT_FLOAT_EQ(visual.GetPosition().x, 300.0f);
        EXPECT_FLOAT_EQ(visual.GetPosition().y, 150.0f);
        EXPECT_EQ(visual.myBlendStates[0], 0u);
        RenderModelInstance(visual, -1, true);   // draws nothing, and nothing breaks

        AnimatedModel animated;
        AnimatedModel::Load(animated, ModelAt(path), At(10.0f, 20.0f));
        EXPECT_FALSE(animated.HasModel());
        EXPECT_FLOAT_EQ(animated.GetPosition().y, 20.0f);
    }
}

TEST(ModelHelpers, TheViewTestGrowsWithTheModelsScale)
{
    Qel::MeshBounds bounds;
    bounds.myRadius = 50.0f;
    const Qel::Vector2f view{1000.0f, 1000.0f};   // x and y from -500 to 500
    EXPECT_NEAR(TransformScale(At(0.0f, 0.0f, 2.0f)), 2.0f * std::sqrt(3.0f), 1e-5f);
    // A mesh whose box edge sits just outside the view at scale 1 reaches into it at scale 2.
    const float x = 500.0f + 50.0f * std::sqrt(3.0f) + 1.0f;
    EXPECT_FALSE(IsMeshInView(At(x, 0.0f, 1.0f), bounds, {0.0f, 0.0f}, view));
    EXPECT_TRUE(IsMeshInView(At(x, 0.0f, 2.0f), bounds, {0.0f, 0.0f}, view));
    // The mesh's own centre offset counts; touching is not overlapping.
    bounds.myCenter[1] = 1000.0f;
    EXPECT_FALSE(IsMeshInView(At(0.0f, 0.0f, 1.0f), bounds, {0.0f, 0.0f}, view));
    bounds.myCenter[1] = 0.0f;
    bounds.myRadius = 0.0f;
    EXPECT_FALSE(IsMeshInView(At(0.0f, 0.0f), bounds, {0.0f, 0.0f}, view));
}

TEST(ModelHelpers, AnAnimatedMeshIsSeenWhereItsPoseCarriesIt)
{
    // Two joints, both lifted 1450 by the pose: the figure has risen far above its bind bounds.
    Qel::AnimatedModelInstance instance;
    instance.myModel = std::make_shared<Qel::Model>();
    instance.myModel->mySkeleton.Joints.resize(2);
    Qel::MeshBounds bind;
    bind.myRadius = 250.0f;
    bind.myCenter[1] = 230.0f;
    const Qel::Vector2f view{1120.0f, 840.0f};
    const Qel::Vector2f sky{0.0f, 1750.0f};
    EXPECT_EQ(AnimatedModel::PosedBounds(instance, bind).myCenter[1], 230.0f) << "the rest pose moves nothing";
    for (int joint = 0; joint < 2; ++joint)
        instance.myBones[static_cast<size_t>(joint)].SetTranslation({0.0f, 1450.0f, 0.0f});
    EXPECT_FALSE(IsMeshInView(At(0.0f, 50.0f), bind, sky, view));
    EXPECT_TRUE(IsMeshInView(At(0.0f, 50.0f), AnimatedModel::PosedBounds(instance, bind), sky, view));
    // Joints spread apart widen the bounds by half the spread; the ground view still sees it.
    instance.myBones[1].SetTranslation({600.0f, 0.0f, 0.0f});
    const Qel::MeshBounds spread = AnimatedModel::PosedBounds(instance, bind);
    EXPECT_FLOAT_EQ(spread.myCenter[0], 300.0f);
    EXPECT_FLOAT_EQ(spread.myCenter[1], 230.0f + 725.0f);
    EXPECT_FLOAT_EQ(spread.myRadius, 250.0f + 725.0f);
    EXPECT_TRUE(IsMeshInView(At(0.0f, 50.0f), spread, {0.0f, 700.0f}, {1867.0f, 1400.0f}));
}

TEST(AnimationUtil, BlendPoseMovesEachJointTowardTheBlend)
{
    Qel::Pose source, blend;
    source.myCount = blend.myCount = 2;
    source.myJoints[0].myTranslation = {0.0f, 0.0f, 0.0f};
    blend.myJoints[0].myTranslation = {10.0f, -20.0f, 4.0f};
    source.myJoints[0].myScale = {1.0f, 1.0f, 1.0f};
    blend.myJoints[0].myScale = {3.0f, 1.0f, 2.0f};
    blend.myJoints[1].myRotation = Qel::Quaternion::FromEulerDegrees({0.0f, 0.0f, 90.0f});
    struct Row
    {
        float weight;
        float tx, sx, angle;
    };
    for (const Row& row : {Row{0.0f, 0.0f, 1.0f, 0.0f}, Row{0.5f, 5.0f, 2.0f, 45.0f}, Row{1.0f, 10.0f, 3.0f, 90.0f}})
    {
        Qel::Pose pose = source;
        AnimationUtil::BlendPose(pose, blend, row.weight);
        EXPECT_FLOAT_EQ(pose.myJoints[0].myTranslation.x, row.tx);
        EXPECT_FLOAT_EQ(pose.myJoints[0].myScale.x, row.sx);
        const Qel::Quaternion q = pose.myJoints[1].myRotation;
        EXPECT_NEAR(2.0f * std::atan2(q.z, q.w) * 57.29578f, row.angle, 1e-3f) << row.weight;
        EXPECT_EQ(pose.myCount, 2u);
    }
    // Nothing played yet: the blend is taken as it is.
    Qel::Pose empty;
    AnimationUtil::BlendPose(empty, blend, 0.25f);
    EXPECT_EQ(empty.myCount, 2u);
    EXPECT_FLOAT_EQ(empty.myJoints[0].myTranslation.y, -20.0f);
}

struct EffectPoolTest : ::testing::Test
{
    void SetUp() override
    {
        AnimatedEffectPool::Get().Clear();
        myAudio->ClearEvents();
    }
    void TearDown() override { AnimatedEffectPool::Get().Clear(); }
    Qel::u32 BreakSounds()
    {
        Qel::u32 count = 0;
        for (Qel::u8 id = AnimatedEffectPool::BREAK_SOUND_FIRST; id <= AnimatedEffectPool::BREAK_SOUND_LAST; ++id)
            count += myAudio->CountPlays(AudioManager::GetSlot(SOUND_CATEGORY_EFFECTS, id));
        return count;
    }
    AnimatedEffectPool& pool = AnimatedEffectPool::Get();
    AnimatedModel pieces;
    FlowTest::RecordedAudio myAudio;
};

TEST_F(EffectPoolTest, BreaksCloseTogetherShareOneSound)
{
    pool.Spawn("", pieces, 1.0f, false);
    pool.Update(0.05f);
    pool.Spawn("", pieces, 1.0f, false);
    EXPECT_EQ(BreakSounds(), 1u);
    pool.Update(0.2f);
    pool.Spawn("", pieces, 1.0f, false);
    EXPECT_EQ(BreakSounds(), 2u);
    EXPECT_EQ(pool.GetCount(), 3u);
}

TEST_F(EffectPoolTest, EffectsEndOnTimeTogetherAndOthersPlayOn)
{
    // Without a clip a one-shot effect lasts the given time; a looping one with no time never ends.
    pool.Spawn("", pieces, 1.0f, false);
    pool.Spawn("", pieces, 1.0f, false);
    pool.Spawn("", pieces, 0.0f, true);
    EXPECT_FLOAT_EQ(pool.GetLifetimes()[0], 1.0f);
    EXPECT_TRUE(pool.GetPlayers()[2].myIsLooping);
    EXPECT_EQ(pool.GetPlayers()[0].myState, Qel::ANIMATION_STATE_PLAYING);
    pool.Update(0.6f);
    pool.Spawn("", pieces, 2.0f, true);
    pool.Update(0.5f);   // the first two are past 1 s and go in the same frame
    ASSERT_EQ(pool.GetCount(), 2u);
    EXPECT_FLOAT_EQ(pool.GetLifetimes()[0], 0.0f);
    EXPECT_FLOAT_EQ(pool.GetLifetimes()[1], 2.0f);
    pool.Update(1.6f);
    ASSERT_EQ(pool.GetCount(), 1u);   // the timed loop ends, the endless one stays
    EXPECT_FLOAT_EQ(pool.GetLifetimes()[0], 0.0f);
    for (int i = 0; i < 100; ++i)
        pool.Update(1.0f);
    EXPECT_EQ(pool.GetCount(), 1u);
}

TEST_F(EffectPoolTest, AFullRingDropsTheOldestAndReusesItsStorage)
{
    const size_t capacity = pool.GetCapacity();
    EXPECT_GE(capacity, AnimatedEffectPool::MAX_EFFECTS);
    for (size_t i = 0; i < AnimatedEffectPool::MAX_EFFECTS + 6; ++i)
    {
        pieces.SetTransform(Qel::Matrix4x4::CreateTranslation({static_cast<float>(i), 0.0f, 0.0f}));
        pool.Spawn("", pieces, 10.0f, false);
        pool.Update(0.01f);
    }
    ASSERT_EQ(pool.GetCount(), AnimatedEffectPool::MAX_EFFECTS);
    EXPECT_FLOAT_EQ(pool.GetModels().front().GetPosition().x, 6.0f);   // the six oldest made way
    EXPECT_FLOAT_EQ(pool.GetModels().back().GetPosition().x, static_cast<float>(AnimatedEffectPool::MAX_EFFECTS + 5));
    EXPECT_EQ(pool.GetCapacity(), capacity);
    // The ages stay in spawn order, oldest first.
    for (size_t i = 1; i < pool.GetCount(); ++i)
        EXPECT_GT(pool.GetAges()[i - 1], pool.GetAges()[i]);
}
}
