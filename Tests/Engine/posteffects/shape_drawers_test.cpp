// The line and custom-shape drawers in the screen-space camera of the base state (x right, y up,
// one unit a pixel), read back from a headless back buffer.
#include "PostEffectFixture.h"
#include "drawers/CustomShapeDrawer.h"
#include "drawers/LineDrawer.h"
#include "engine/Engine.h"
#include "texture/Texture.h"

#include <cstdlib>

using namespace Qel;

namespace
{
using ShapeDrawerTest = QelTest::GraphicsEngineTest;

using Rgba = std::array<u8, 4>;
const Rgba BLACK{0, 0, 0, 255};

bool Near(const Rgba& aPixel, const Rgba& aExpected, int aTolerance = 1)
{
    for (int i = 0; i < 4; ++i)
        if (std::abs(aPixel[i] - aExpected[i]) > aTolerance)
            return false;
    return true;
}

// An axis-aligned rectangle as two triangles, one colour per corner (bottom-left, bottom-right,
// top-right, top-left).
std::array<CustomShapeVertex, 6> Rectangle(float aLeft, float aBottom, float aRight, float aTop,
                                           const std::array<Color, 4>& aCorners)
{
    const CustomShapeVertex bl{{aLeft, aBottom, 0}, aCorners[0], {0, 1}};
    const CustomShapeVertex br{{aRight, aBottom, 0}, aCorners[1], {1, 1}};
    const CustomShapeVertex tr{{aRight, aTop, 0}, aCorners[2], {1, 0}};
    const CustomShapeVertex tl{{aLeft, aTop, 0}, aCorners[3], {0, 0}};
    return {bl, tl, tr, bl, tr, br};
}
}

TEST_F(ShapeDrawerTest, LineDrawerKeepsItsTwoVerticesAndBuffer)
{
    const LineDrawer& lines = *myGraphics->GetLineDrawer();
    EXPECT_TRUE(lines.HasVertexBuffer());
    EXPECT_EQ(LineDrawer::VERTEX_BUFFER_SIZE, 72000u);
    EXPECT_EQ(CustomShapeDrawer::MAX_VERTEX_COUNT, 69984u);
    EXPECT_EQ(myGraphics->GetCustomShapeDrawer()->GetMaxVertexCount(), 69984u);
}

TEST_F(ShapeDrawerTest, ALineCoversItsPixelsInItsColour)
{
    const u32 before = ourDrawCallCount;
    // sRGB (1, 0.5, 0) reaches the sRGB back buffer as (255, 128, 0).
    myGraphics->GetLineDrawer()->Draw(LinePrimitive{{20.0f, 50.5f, 0.0f}, {300.0f, 50.5f, 0.0f}, {1.0f, 0.5f, 0.0f, 1.0f}});
    EXPECT_EQ(ourDrawCallCount - before, 1u);
    // The pixels at the very ends depend on the rasterizer's rule for lines.
    for (int x : {21, 100, 298})
        EXPECT_TRUE(Near(Pixel(x, 50), {255, 128, 0, 255})) << x;
    for (const auto& [x, y] : {std::pair{18, 50}, std::pair{301, 50}, std::pair{100, 49}, std::pair{100, 51}})
        EXPECT_EQ(Pixel(x, y), BLACK) << x << ", " << y;
}

TEST_F(ShapeDrawerTest, LinesFollowTheStateTransformAndBlendState)
{
    States().Push();
    States().SetTransform(Matrix4x4::CreateTranslation({0.0f, 30.0f, 0.0f}));
    // Half-transparent white over black with alpha blending gives linear 0.5, sRGB 188.
    myGraphics->GetLineDrawer()->Draw(LinePrimitive{{10.0f, 10.5f, 0.0f}, {100.0f, 10.5f, 0.0f}, {1, 1, 1, 0.5f}});
    States().Pop();
    EXPECT_EQ(Pixel(50, 10), BLACK);
    EXPECT_TRUE(Near(Pixel(50, 40), {188, 188, 188, 255}));
}

TEST_F(ShapeDrawerTest, ManyLinesGoOutAThousandADraw)
{
    // 1500 short segments on 150 rows of 10; the first thousand red, the rest green.
    std::vector<LinePrimitive> lines(1500);
    for (size_t i = 0; i < lines.size(); ++i)
    {
        const float x = static_cast<float>(i % 10) * 30.0f + 2.0f;
        const float y = static_cast<float>(i / 10) + 10.5f;
        lines[i] = {{x, y, 0.0f}, {x + 26.0f, y, 0.0f}, i < 1000 ? Color{1, 0, 0, 1} : Color{0, 1, 0, 1}};
    }
    const u32 before = ourDrawCallCount;
    myGraphics->GetLineDrawer()->Draw(lines);
    EXPECT_EQ(ourDrawCallCount - before, 2u);
    auto pixelOf = [&](size_t i) { return Pixel(static_cast<int>(i % 10) * 30 + 10, static_cast<int>(i / 10) + 10); };
    for (size_t i : {0u, 5u, 999u})
        EXPECT_EQ(pixelOf(i), (Rgba{255, 0, 0, 255})) << i;
    for (size_t i : {1000u, 1234u, 1499u})
        EXPECT_EQ(pixelOf(i), (Rgba{0, 255, 0, 255})) << i;
    // Between two segments of a row.
    EXPECT_EQ(Pixel(30, 10), BLACK);
    EXPECT_EQ(Pixel(150, 100), BLACK);
}

TEST_F(ShapeDrawerTest, ShapesFillTheirTrianglesWithInterpolatedColour)
{
    const Color red{1, 0, 0, 1}, green{0, 1, 0, 1};
    // Red on the left edge, green on the right.
    const auto rectangle = Rectangle(40, 20, 121, 80, {red, green, green, red});
    const u32 before = ourDrawCallCount;
    myGraphics->GetCustomShapeDrawer()->Draw(rectangle);
    EXPECT_EQ(ourDrawCallCount - before, 1u);

    for (const auto& [x, y] : {std::pair{39, 50}, std::pair{121, 50}, std::pair{80, 19}, std::pair{80, 80}})
        EXPECT_EQ(Pixel(x, y), BLACK) << x << ", " << y;
    EXPECT_TRUE(Near(Pixel(40, 20), {255, 0, 0, 255}, 25));
    EXPECT_TRUE(Near(Pixel(120, 79), {0, 255, 0, 255}, 25));
    // Halfway across, linear 0.5 of each: sRGB 188.
    EXPECT_TRUE(Near(Pixel(80, 50), {188, 188, 0, 255}, 2));
    // The same along any column.
    EXPECT_EQ(Pixel(60, 21), Pixel(60, 78));
}

TEST_F(ShapeDrawerTest, ShapesTakeTheirMatrixTheStateTransformAndATexture)
{
    // Left texel blue, right texel white, sampled by point.
    const u8 texels[8] = {0, 0, 255, 255, 255, 255, 255, 255};
    const std::unique_ptr<Texture> texture = Texture::CreateFromRGBA(2, 1, texels, 0, true);
    ASSERT_NE(texture, nullptr);
    const Color white{1, 1, 1, 1};
    const auto rectangle = Rectangle(0, 0, 100, 40, {white, white, white, white});

    States().Push();
    States().SetSamplerState(SAMPLER_FILTER_POINT, SAMPLER_ADDRESS_CLAMP);
    States().SetTransform(Matrix4x4::CreateTranslation({0.0f, 100.0f, 0.0f}));
    myGraphics->GetCustomShapeDrawer()->Draw(rectangle, Matrix4x4::CreateTranslation({50.0f, 10.0f, 0.0f}),
                                             texture.get());
    States().Pop();

    // Moved by (50, 10) then (0, 100): x 50..150, y 110..150.
    EXPECT_EQ(Pixel(60, 50), BLACK);
    EXPECT_EQ(Pixel(49, 130), BLACK);
    EXPECT_EQ(Pixel(150, 130), BLACK);
    EXPECT_EQ(Pixel(60, 109), BLACK);
    EXPECT_EQ(Pixel(60, 130), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(Pixel(140, 130), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(Pixel(140, 110), (Rgba{255, 255, 255, 255}));
}

TEST_F(ShapeDrawerTest, LongShapesSplitBetweenTrianglesAndLeftoverVerticesAreDropped)
{
    // A buffer's worth of empty triangles, then a visible rectangle in the next draw.
    const Color blue{0, 0, 1, 1};
    std::vector<CustomShapeVertex> vertices(CustomShapeDrawer::MAX_VERTEX_COUNT);
    const auto rectangle = Rectangle(200, 100, 260, 160, {blue, blue, blue, blue});
    vertices.insert(vertices.end(), rectangle.begin(), rectangle.end());
    // Two vertices more, which make no triangle.
    vertices.push_back({{0, 0, 0}, blue, {}});
    vertices.push_back({{300, 0, 0}, blue, {}});

    const u32 before = ourDrawCallCount;
    myGraphics->GetCustomShapeDrawer()->Draw(vertices);
    EXPECT_EQ(ourDrawCallCount - before, 2u);
    EXPECT_EQ(Pixel(230, 130), (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(Pixel(100, 1), BLACK) << "the leftover vertices draw nothing";

    const u32 again = ourDrawCallCount;
    myGraphics->GetCustomShapeDrawer()->Draw(vertices.data(), 2);
    EXPECT_EQ(ourDrawCallCount, again) << "fewer than three vertices: no draw";
}
