// Sprite instances and batch splitting, without a GL context.
#include "drawers/SpriteDrawer.h"
#include "engine/Engine.h"
#include "graphics/ColorSpace.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <numbers>
#include <vector>

using namespace Qel;

// Counts allocations while a test asks for it.
namespace
{
std::atomic<bool> ourCountAllocations{false};
std::atomic<size_t> ourAllocationCount{0};
}

// Kept out of line, so the compiler does not pair the new-expressions it sees with free().
[[gnu::noinline]] void* operator new(std::size_t aSize)
{
    if (ourCountAllocations)
        ++ourAllocationCount;
    if (void* memory = std::malloc(aSize ? aSize : 1))
        return memory;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* aMemory) noexcept { std::free(aMemory); }
[[gnu::noinline]] void operator delete(void* aMemory, std::size_t) noexcept { std::free(aMemory); }

namespace
{
// Takes the drawer's batches instead of sending them to a device.
class RecordingSpriteDrawer : public SpriteDrawer
{
public:
    RecordingSpriteDrawer() { InitWithoutDevice(); }

    std::vector<u64> myDrawInstanceCounts;
    std::vector<SpriteInstance> myInstances;

protected:
    bool BindBatch(const SpriteSharedData&) override { return true; }
    void SubmitInstances(const SpriteInstance* aInstances, u64 aCount) override
    {
        myDrawInstanceCounts.push_back(aCount);
        myInstances.insert(myInstances.end(), aInstances, aInstances + aCount);
    }
};

void ExpectRow(const SpriteInstance& aInstance, int aRow, float a, float b, float c, float d)
{
    const float* row = aInstance.myWorld + 4 * aRow;
    EXPECT_NEAR(row[0], a, 1e-4f) << "row " << aRow;
    EXPECT_NEAR(row[1], b, 1e-4f) << "row " << aRow;
    EXPECT_NEAR(row[2], c, 1e-4f) << "row " << aRow;
    EXPECT_NEAR(row[3], d, 1e-4f) << "row " << aRow;
}

Vector4f Corner(const SpriteInstance& aInstance, float aX, float aY)
{
    Matrix4x4 world;
    for (u32 i = 0; i < 16; ++i)
        world[i] = aInstance.myWorld[i];
    return Vector4f{aX, aY, 0.0f, 1.0f} * world;
}
}

TEST(SpriteInstances, TheQuadIsPlacedByPivotSizeScaleAndRotation)
{
    SpriteInstance instance;
    Sprite2DInstanceData sprite;
    sprite.myPivot = {0.5f, 0.5f};
    sprite.mySize = {100.0f, 50.0f};
    sprite.myPosition = {200.0f, 100.0f};
    BuildSpriteInstance(sprite, Matrix4x4(), instance);
    ExpectRow(instance, 0, 100, 0, 0, 0);
    ExpectRow(instance, 1, 0, 50, 0, 0);
    ExpectRow(instance, 2, 0, 0, 1, 0);
    ExpectRow(instance, 3, 150, 125, 0, 1);
    // The quad's corners (0, 0) and (1, -1) land on x 150..250, y 125..75.
    const Vector4f topLeft = Corner(instance, 0, 0), bottomRight = Corner(instance, 1, -1);
    EXPECT_FLOAT_EQ(topLeft.x, 150.0f);
    EXPECT_FLOAT_EQ(topLeft.y, 125.0f);
    EXPECT_FLOAT_EQ(bottomRight.x, 250.0f);
    EXPECT_FLOAT_EQ(bottomRight.y, 75.0f);

    sprite.myScale = {2.0f, 0.5f};
    sprite.myPivot = {0.0f, 0.0f};
    sprite.myRotation = std::numbers::pi_v<float> / 2.0f;
    BuildSpriteInstance(sprite, Matrix4x4(), instance);
    ExpectRow(instance, 0, 0, 200, 0, 0);
    ExpectRow(instance, 1, -25, 0, 0, 0);
    ExpectRow(instance, 3, 200, 100, 0, 1);

    // Rotation turns about the pivot, which stays on the position.
    sprite.myPivot = {0.5f, 0.5f};
    sprite.myRotation = 0.7f;
    BuildSpriteInstance(sprite, Matrix4x4(), instance);
    const Vector4f pivot = Corner(instance, 0.5f, -0.5f);
    EXPECT_NEAR(pivot.x, 200.0f, 1e-3f);
    EXPECT_NEAR(pivot.y, 100.0f, 1e-3f);
}

TEST(SpriteInstances, TheStateTransformMultipliesOnTheRight)
{
    Matrix4x4 transform = Matrix4x4::CreateScale({2.0f, 3.0f, 1.0f});
    transform.SetTranslation({10.0f, 20.0f, 5.0f});
    Sprite2DInstanceData sprite;
    sprite.mySize = {4.0f, 4.0f};
    sprite.myPosition = {1.0f, 1.0f};
    SpriteInstance instance;
    BuildSpriteInstance(sprite, transform, instance);
    ExpectRow(instance, 0, 8, 0, 0, 0);
    ExpectRow(instance, 1, 0, 12, 0, 0);
    ExpectRow(instance, 3, 12, 23, 5, 1);

    Sprite3DInstanceData sprite3D;
    sprite3D.myTransform = Matrix4x4::CreateTranslation({1.0f, 2.0f, 3.0f});
    BuildSpriteInstance(sprite3D, transform, instance);
    ExpectRow(instance, 0, 2, 0, 0, 0);
    ExpectRow(instance, 3, 12, 26, 8, 1);
}

TEST(SpriteInstances, ColourIsLinearAndExtrasAreReordered)
{
    struct Case
    {
        Color color;
        float linear[4];
    };
    const Case cases[] = {
        {{0.5f, 0.5f, 0.5f, 0.5f}, {0.214041f, 0.214041f, 0.214041f, 0.5f}},
        {{1.0f, 0.0f, 0.6f, 1.0f}, {1.0f, 0.0f, 0.318547f, 1.0f}},
        {{3.0f / 255.0f, 0.0f, 0.0f, 0.25f}, {0.000910f, 0.0f, 0.0f, 0.25f}},
    };
    for (const Case& c : cases)
    {
        Sprite2DInstanceData sprite;
        sprite.myColor = c.color;
        sprite.myUVRect = {0.25f, 0.5f, 0.75f, 1.0f};
        sprite.myExtra = {1.0f, 2.0f, 3.0f, 4.0f};
        SpriteInstance instance;
        BuildSpriteInstance(sprite, Matrix4x4(), instance);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(instance.myColor[i], c.linear[i], 1e-6f);
        EXPECT_EQ(instance.myUVRect[0], 0.25f);
        EXPECT_EQ(instance.myUVRect[3], 1.0f);
        const float extras[4] = {1.0f, 4.0f, 3.0f, 2.0f};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(instance.myExtra[i], extras[i]);
    }
}

TEST(LinearColorPacking, GivesTheFormulasValueBitForBit)
{
    // Byte values come from the table, the rest from the formula: both must give the same bits,
    // also next to the table's values and outside 0..1.
    std::vector<float> values = {0.5f, 0.04045f, 0.3f, -0.1f, 1.5f, 1e-7f, -0.0f};
    for (int k = 0; k < 256; ++k)
    {
        const float value = static_cast<float>(k) / 255.0f;
        values.insert(values.end(), {value, std::nextafter(value, 2.0f), std::nextafter(value, -1.0f)});
    }
    int different = 0;
    for (float value : values)
    {
        float packed[4];
        PackLinearColor(value, value, value, 0.25f, packed);
        const float expected = SrgbToLinear(value);
        for (int i = 0; i < 3; ++i)
            different += std::memcmp(&packed[i], &expected, sizeof(float)) != 0;
        EXPECT_EQ(packed[3], 0.25f);
    }
    EXPECT_EQ(different, 0);
    float nan[4];
    PackLinearColor(std::nanf(""), 0.0f, 1.0f, 1.0f, nan);
    EXPECT_TRUE(std::isnan(nan[0]));
    EXPECT_EQ(nan[1], 0.0f);
    EXPECT_EQ(nan[2], 1.0f);
}

TEST(SpriteBatches, FullBatchesGoOutAsTheyFill)
{
    struct Case
    {
        size_t sprites;
        std::vector<u64> draws;
    };
    const Case cases[] = {
        {0, {0}},   // an empty batch still draws (nothing) once
        {1, {1}},
        {1023, {1023}},
        {1024, {1024, 0}},
        {1025, {1024, 1}},
        {2500, {1024, 1024, 452}},
    };
    for (const Case& c : cases)
    {
        RecordingSpriteDrawer drawer;
        const u32 drawCallsBefore = ourDrawCallCount;
        std::vector<Sprite2DInstanceData> sprites(c.sprites);
        for (size_t i = 0; i < sprites.size(); ++i)
            sprites[i].myPosition = {static_cast<float>(i), 0.0f};
        {
            SpriteBatchScope batch = drawer.BeginBatch({});
            batch.Draw(sprites);
        }
        EXPECT_EQ(drawer.myDrawInstanceCounts, c.draws) << c.sprites;
        EXPECT_EQ(ourDrawCallCount - drawCallsBefore, c.draws.size()) << c.sprites;
        ASSERT_EQ(drawer.myInstances.size(), c.sprites);
        for (size_t i = 0; i < c.sprites; ++i)
            ASSERT_EQ(drawer.myInstances[i].myWorld[12], static_cast<float>(i));   // in order, none lost
        EXPECT_FALSE(drawer.IsInBatch());
    }
}

TEST(SpriteBatches, SkippedRecordsTakeNoInstance)
{
    RecordingSpriteDrawer drawer;
    Sprite2DInstanceData sprites[3];
    sprites[0].myPosition = {1, 0};
    sprites[1].mySkip = true;
    sprites[2].myPosition = {3, 0};
    Sprite3DInstanceData sprite3D;
    sprite3D.mySkip = true;
    {
        SpriteBatchScope batch = drawer.BeginBatch({});
        batch.Draw(sprites, 3);
        batch.Draw(sprite3D);
        EXPECT_EQ(batch.GetInstanceCount(), 2u);
    }
    ASSERT_EQ(drawer.myInstances.size(), 2u);
    EXPECT_EQ(drawer.myInstances[1].myWorld[12], 3.0f);
}

TEST(SpriteBatches, EndingTwiceDrawsOnceAndMovedScopesEndOnce)
{
    RecordingSpriteDrawer drawer;
    SpriteBatchScope batch = drawer.BeginBatch({});
    batch.Draw(Sprite2DInstanceData{});
    SpriteBatchScope moved = std::move(batch);
    EXPECT_FALSE(batch.IsOpen());   // NOLINT(bugprone-use-after-move)
    batch.Draw(Sprite2DInstanceData{});   // an ended scope takes nothing
    moved.End();
    moved.End();
    EXPECT_EQ(drawer.myDrawInstanceCounts, std::vector<u64>{1});
    // The drawer is free for the next batch.
    SpriteBatchScope next = drawer.BeginBatch({});
    EXPECT_TRUE(next.IsOpen());
}

TEST(SpriteBatches, AnUnloadedDrawerGivesAScopeThatDrawsNothing)
{
    SpriteDrawer drawer;   // never initialised
    const u32 drawCallsBefore = ourDrawCallCount;
    {
        SpriteBatchScope batch = drawer.BeginBatch({});
        EXPECT_FALSE(batch.IsOpen());
        batch.Draw(Sprite2DInstanceData{});
    }
    EXPECT_EQ(ourDrawCallCount, drawCallsBefore);
    EXPECT_FALSE(drawer.IsInBatch());
}

TEST(SpriteBatches, DrawingAllocatesNothingPerSprite)
{
    class SilentSpriteDrawer : public SpriteDrawer
    {
    public:
        SilentSpriteDrawer() { InitWithoutDevice(); }

    protected:
        bool BindBatch(const SpriteSharedData&) override { return true; }
        void SubmitInstances(const SpriteInstance*, u64) override {}
    };
    SilentSpriteDrawer drawer;
    std::vector<Sprite2DInstanceData> sprites(5000);
    std::vector<Sprite3DInstanceData> sprites3D(1500);
    for (size_t i = 0; i < sprites.size(); ++i)
        sprites[i].myColor = Color(static_cast<float>(i % 7) / 7.0f, 0.5f, 0.25f, 1.0f);
    ourAllocationCount = 0;
    ourCountAllocations = true;
    {
        SpriteBatchScope batch = drawer.BeginBatch({});
        batch.Draw(sprites);
        batch.Draw(sprites3D);
        for (const Sprite2DInstanceData& sprite : sprites)
            batch.Draw(sprite);
    }
    ourCountAllocations = false;
    EXPECT_EQ(ourAllocationCount.load(), 0u);
    EXPECT_EQ(drawer.GetStatistics().myInstances, 11500u);
}

TEST(SpriteBatchesDeathTest, OnlyOneBatchAtATime)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            RecordingSpriteDrawer drawer;
            SpriteBatchScope first = drawer.BeginBatch({});
            SpriteBatchScope second = drawer.BeginBatch({});
        },
        "!myIsInBatch");
}
