// The full-screen passes on known images, read back from a headless device: copy, tone map, the
// two Gaussian directions, the full blur and pixelate; and which missing shaders stop the start.
#include "PostEffectFixture.h"
#include "drawers/CustomShapeDrawer.h"
#include "drawers/LineDrawer.h"
#include "engine/Engine.h"
#include "graphics/FullscreenEffect.h"
#include "graphics/GL.h"
#include "graphics/ModelDrawer.h"
#include "graphics/ShaderCache.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace Qel;

namespace
{
using PostEffectTest = QelTest::GraphicsEngineTest;

struct FloatImage
{
    std::vector<float> myPixels;
    int myWidth = 0;
    float At(int aX, int aY, int aChannel = 0) const
    {
        return myPixels[(static_cast<size_t>(aY) * static_cast<size_t>(myWidth) + static_cast<size_t>(aX)) * 4 +
                        static_cast<size_t>(aChannel)];
    }
};

FloatImage Read(const RenderTexture& aTexture)
{
    return {aTexture.ReadRGBA32F(), static_cast<int>(aTexture.GetWidth())};
}

bool Near(const std::array<u8, 4>& aPixel, const std::array<u8, 4>& aExpected, int aTolerance = 1)
{
    for (int i = 0; i < 4; ++i)
        if (std::abs(aPixel[i] - aExpected[i]) > aTolerance)
            return false;
    return true;
}

PixelateBlock ReadPixelateBuffer(u32 aBuffer)
{
    PixelateBlock block;
    glBindBuffer(GL_UNIFORM_BUFFER, aBuffer);
    glGetBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof(block), &block);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    return block;
}

GLuint BoundUniformBuffer(u32 aSlot)
{
    GLint name = 0;
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, aSlot, &name);
    return static_cast<GLuint>(name);
}
}

TEST_F(PostEffectTest, CopyPutsTheSourceOnTheTargetUpright)
{
    const auto image = MakeImage8(WIDTH, HEIGHT, UniquePixel);
    myGraphics->GetCopyEffect()->Render(*image);
    int wrong = 0;
    for (int y = 0; y < static_cast<int>(HEIGHT); ++y)
        for (int x = 0; x < static_cast<int>(WIDTH); ++x)
            if (!Near(Pixel(x, y), UniquePixel(x, y)))
                ++wrong;
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(UniquePosition(Pixel(0, HEIGHT - 1)), (std::pair<int, int>{0, HEIGHT - 1}));
    EXPECT_EQ(UniquePosition(Pixel(WIDTH - 1, 0)), (std::pair<int, int>{WIDTH - 1, 0}));
}

TEST_F(PostEffectTest, CopyStretchesASmallSourceWithTheStateSampler)
{
    // Bottom row red, green; top row blue, white.
    const auto image = MakeImage8(2, 2, [](int x, int y) -> std::array<u8, 4> {
        if (y == 0)
            return x == 0 ? std::array<u8, 4>{255, 0, 0, 255} : std::array<u8, 4>{0, 255, 0, 255};
        return x == 0 ? std::array<u8, 4>{0, 0, 255, 255} : std::array<u8, 4>{255, 255, 255, 255};
    });
    States().Push();
    States().SetSamplerState(SAMPLER_FILTER_POINT, SAMPLER_ADDRESS_CLAMP);
    myGraphics->GetCopyEffect()->Render(*image);
    States().Pop();
    EXPECT_TRUE(Near(Pixel(0, 0), {255, 0, 0, 255}));
    EXPECT_TRUE(Near(Pixel(159, 89), {255, 0, 0, 255}));
    EXPECT_TRUE(Near(Pixel(160, 10), {0, 255, 0, 255}));
    EXPECT_TRUE(Near(Pixel(10, 90), {0, 0, 255, 255}));
    EXPECT_TRUE(Near(Pixel(319, 179), {255, 255, 255, 255}));
}

TEST_F(PostEffectTest, EveryPassCountsOneDrawCall)
{
    const auto image = MakeImage8(8, 8, [](int, int) { return std::array<u8, 4>{10, 20, 30, 255}; });
    FullscreenEffect* const effects[] = {myGraphics->GetCopyEffect(), myGraphics->GetTonemapEffect(),
                                         myGraphics->GetGaussianVerticalEffect(),
                                         myGraphics->GetGaussianHorizontalEffect(), myGraphics->GetPixelateEffect()};
    for (FullscreenEffect* effect : effects)
    {
        ASSERT_NE(effect, nullptr);
        ASSERT_TRUE(effect->IsLoaded());
        const u32 before = ourDrawCallCount;
        if (effect == myGraphics->GetPixelateEffect())
            effect->Render();
        else
            effect->Render(*image);
        EXPECT_EQ(ourDrawCallCount - before, 1u);
    }
}

TEST_F(PostEffectTest, TonemapRollsHighRangeColourIntoTheUnitRange)
{
    const float levels[] = {0.0f, 0.02f, 0.18f, 0.5f, 1.0f, 2.0f, 4.0f, 16.0f, 1000.0f};
    const int count = static_cast<int>(std::size(levels));
    // One pixel a level with alpha i / 10, then one coloured pixel.
    const auto source = MakeImageF(count + 1, 1, [&](int x, int) -> std::array<float, 4> {
        if (x == count)
            return {4.0f, 0.18f, 0.0f, 1.0f};
        return {levels[x], levels[x], levels[x], static_cast<float>(x) / 10.0f};
    });
    RenderTexture output;
    ASSERT_TRUE(output.Create(count + 1, 1, RenderTextureFormat::Float16));
    States().Push();
    States().SetBlendState(BLEND_STATE_DISABLED);
    output.GetTarget().SetAsActiveTarget(nullptr);
    myGraphics->GetTonemapEffect()->Render(*source);
    States().Pop();
    const FloatImage result = Read(output);

    EXPECT_NEAR(result.At(0, 0, 0), 0.0f, 1e-3f);
    for (int i = 1; i < count; ++i)
    {
        if (levels[i] <= 4.0f)
            EXPECT_GT(result.At(i, 0, 0), result.At(i - 1, 0, 0)) << "level " << levels[i];
        else
            EXPECT_GE(result.At(i, 0, 0), result.At(i - 1, 0, 0)) << "level " << levels[i];
        EXPECT_LE(result.At(i, 0, 0), 1.0f);
        EXPECT_NEAR(result.At(i, 0, 3), static_cast<float>(i) / 10.0f, 2e-3f) << "alpha passes through";
        EXPECT_EQ(result.At(i, 0, 0), result.At(i, 0, 1));
        EXPECT_EQ(result.At(i, 0, 0), result.At(i, 0, 2));
    }
    // Mid-grey lifts a little, white is pulled below 1, bright highlights still grade towards
    // white, and far brighter ones end at white exactly.
    EXPECT_GT(result.At(2, 0, 0), 0.2f);
    EXPECT_LT(result.At(2, 0, 0), 0.33f);
    EXPECT_NEAR(result.At(4, 0, 0), 0.80f, 0.02f);
    EXPECT_LT(result.At(6, 0, 0), 1.0f);
    EXPECT_EQ(result.At(8, 0, 0), 1.0f);
    // Channels map on their own: the order of a colour's channels is kept.
    EXPECT_GT(result.At(count, 0, 0), result.At(count, 0, 1));
    EXPECT_GT(result.At(count, 0, 1), 0.0f);
    EXPECT_NEAR(result.At(count, 0, 2), 0.0f, 1e-3f);
}

TEST_F(PostEffectTest, GaussianPassesBlurAlongTheirOwnAxisOnly)
{
    struct Case
    {
        const char* myName;
        FullscreenEffect* myEffect;
        bool myVerticalLine;   // a full-height line at x 100, else a full-width line at y 90
        bool myExpectSpread;
    };
    const Case cases[] = {
        {"horizontal pass across a vertical line", myGraphics->GetGaussianHorizontalEffect(), true, true},
        {"vertical pass across a horizontal line", myGraphics->GetGaussianVerticalEffect(), false, true},
        {"horizontal pass along a horizontal line", myGraphics->GetGaussianHorizontalEffect(), false, false},
        {"vertical pass along a vertical line", myGraphics->GetGaussianVerticalEffect(), true, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.myName);
        const auto source = MakeImageF(WIDTH, HEIGHT, [&](int x, int y) -> std::array<float, 4> {
            const bool on = c.myVerticalLine ? x == 100 : y == 90;
            return {on ? 1.0f : 0.0f, on ? 1.0f : 0.0f, on ? 1.0f : 0.0f, 1.0f};
        });
        RenderTexture output;
        ASSERT_TRUE(output.Create(WIDTH, HEIGHT, RenderTextureFormat::Float16));
        States().Push();
        States().SetBlendState(BLEND_STATE_DISABLED);
        output.GetTarget().SetAsActiveTarget(nullptr);
        c.myEffect->Render(*source);
        States().Pop();
        const FloatImage result = Read(output);

        // Value at distance d across the line, at position p along it.
        auto across = [&](int d, int p) {
            return c.myVerticalLine ? result.At(100 + d, p) : result.At(p, 90 + d);
        };
        const int length = c.myVerticalLine ? static_cast<int>(HEIGHT) : static_cast<int>(WIDTH);
        if (!c.myExpectSpread)
        {
            for (int p : {0, length / 2, length - 1})
            {
                EXPECT_NEAR(across(0, p), 1.0f, 1e-3f);
                EXPECT_NEAR(across(1, p), 0.0f, 1e-4f);
                EXPECT_NEAR(across(-1, p), 0.0f, 1e-4f);
            }
            continue;
        }
        const float centre = across(0, length / 2);
        EXPECT_GT(centre, 0.05f);
        EXPECT_LT(centre, 0.5f);
        float sum = centre;
        for (int d = 1; d < 60; ++d)
        {
            EXPECT_NEAR(across(d, length / 2), across(-d, length / 2), 1e-3f) << "d " << d;
            EXPECT_LE(across(d, length / 2), across(d - 1, length / 2) + 1e-4f) << "d " << d;
            sum += across(d, length / 2) + across(-d, length / 2);
        }
        EXPECT_NEAR(sum, 1.0f, 0.01f) << "the blur keeps the line's energy";
        EXPECT_GT(across(3, length / 2), 0.01f);
        EXPECT_NEAR(across(16, length / 2), 0.0f, 1e-4f) << "the kernel has a limited reach";
        // The same all along the line, up to both of its ends.
        for (int p : {0, 1, length / 3, length - 1})
            EXPECT_NEAR(across(0, p), centre, 1e-3f) << "p " << p;
    }
}

TEST_F(PostEffectTest, GaussianDoesNotWrapAroundTheEdgesUnderAWrappingSampler)
{
    ASSERT_EQ(States().GetTop().mySamplerAddress, SAMPLER_ADDRESS_WRAP);
    const auto source = MakeImageF(WIDTH, HEIGHT, [](int x, int) -> std::array<float, 4> {
        return {x == 0 ? 1.0f : 0.0f, 0.0f, 0.0f, 1.0f};
    });
    RenderTexture output;
    ASSERT_TRUE(output.Create(WIDTH, HEIGHT, RenderTextureFormat::Float16));
    States().Push();
    States().SetBlendState(BLEND_STATE_DISABLED);
    output.GetTarget().SetAsActiveTarget(nullptr);
    myGraphics->GetGaussianHorizontalEffect()->Render(*source);
    States().Pop();
    const FloatImage result = Read(output);
    EXPECT_GT(result.At(0, 90), 0.1f);
    EXPECT_GT(result.At(2, 90), 0.0f);
    EXPECT_NEAR(result.At(WIDTH - 1, 90), 0.0f, 1e-5f);
    EXPECT_NEAR(result.At(WIDTH - 2, 90), 0.0f, 1e-5f);
}

TEST_F(PostEffectTest, BlurSpreadsADotEvenlyInBothDirections)
{
    const auto source = MakeImageF(WIDTH, HEIGHT, [](int x, int y) -> std::array<float, 4> {
        const float v = x == 160 && y == 90 ? 1.0f : 0.0f;
        return {v, v, v, 1.0f};
    });
    RenderTexture output;
    ASSERT_TRUE(output.Create(WIDTH, HEIGHT, RenderTextureFormat::Float16));
    const u32 before = ourDrawCallCount;
    myGraphics->Blur(*source, output.GetTarget());
    EXPECT_EQ(ourDrawCallCount - before, 2u);
    EXPECT_EQ(DX11::GetBoundTarget(), &output.GetTarget());
    EXPECT_EQ(States().GetStackSize(), 1u);
    const FloatImage result = Read(output);

    double sum = 0.0;
    for (int y = 0; y < static_cast<int>(HEIGHT); ++y)
        for (int x = 0; x < static_cast<int>(WIDTH); ++x)
            sum += result.At(x, y);
    EXPECT_NEAR(sum, 1.0, 0.02);
    const float centre = result.At(160, 90);
    EXPECT_GT(centre, 0.0f);
    for (int d = 1; d <= 6; ++d)
    {
        EXPECT_NEAR(result.At(160 + d, 90), result.At(160, 90 + d), 2e-4f) << "d " << d;
        EXPECT_NEAR(result.At(160 - d, 90), result.At(160, 90 - d), 2e-4f) << "d " << d;
    }
    // Separable: the value off both axes is the product of the two one-dimensional profiles.
    EXPECT_NEAR(result.At(163, 94), result.At(163, 90) * result.At(160, 94) / centre, 2e-4f);
}

TEST_F(PostEffectTest, PixelateFillsEachSquareWithAColourFromInsideIt)
{
    FullscreenPixelateEffect& pixelate = *myGraphics->GetPixelateEffect();
    EXPECT_EQ(pixelate.GetPixelSize(), 16.0f);
    const auto image = MakeImage8(WIDTH, HEIGHT, UniquePixel);
    for (const int size : {16, 7, 50, 1})
    {
        SCOPED_TRACE(size);
        BeginFrame();
        myGraphics->GetCopyEffect()->Render(*image);
        pixelate.SetPixelSize(static_cast<float>(size));
        pixelate.CaptureActiveTarget();
        const u32 before = ourDrawCallCount;
        pixelate.Render();
        EXPECT_EQ(ourDrawCallCount - before, 1u);
        Invalidate();

        int notUniform = 0, outside = 0;
        for (int y = 0; y < static_cast<int>(HEIGHT); ++y)
            for (int x = 0; x < static_cast<int>(WIDTH); ++x)
            {
                const int cellX = x / size * size, cellY = y / size * size;
                const auto pixel = Pixel(x, y);
                if (pixel != Pixel(cellX, cellY))
                    ++notUniform;
                const auto [fromX, fromY] = UniquePosition(pixel);
                if (fromX < cellX || fromX >= std::min(cellX + size, static_cast<int>(WIDTH)) || fromY < cellY ||
                    fromY >= std::min(cellY + size, static_cast<int>(HEIGHT)))
                    ++outside;
            }
        EXPECT_EQ(notUniform, 0);
        EXPECT_EQ(outside, 0);

        const PixelateBlock expected{static_cast<float>(size), WIDTH, HEIGHT, 0};
        const PixelateBlock sent = ReadPixelateBuffer(pixelate.GetConstantBuffer().Get());
        EXPECT_EQ(std::memcmp(&sent, &expected, sizeof(expected)), 0);
        EXPECT_EQ(BoundUniformBuffer(PIXELATE_BLOCK_SLOT), pixelate.GetConstantBuffer().Get());
    }
}

TEST_F(PostEffectTest, PixelateFollowsTheRenderSizeThroughAResize)
{
    FullscreenPixelateEffect& pixelate = *myGraphics->GetPixelateEffect();
    EXPECT_EQ(pixelate.GetImage().GetWidth(), WIDTH);
    myDevice->SetHeadlessSize(160, 100);
    ASSERT_TRUE(myDevice->Resize());

    const float orange[4] = {1.0f, 0.5f, 0.0f, 1.0f};
    myDevice->Clear(orange);
    States().BeginFrame(0.0f, 0.0f);
    pixelate.CaptureActiveTarget();
    EXPECT_EQ(pixelate.GetImage().GetWidth(), 160u);
    EXPECT_EQ(pixelate.GetImage().GetHeight(), 100u);
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    myDevice->Clear(black);
    pixelate.Render();
    Invalidate();

    const PixelateBlock expected{16.0f, 160, 100, 0};
    const PixelateBlock sent = ReadPixelateBuffer(pixelate.GetConstantBuffer().Get());
    EXPECT_EQ(std::memcmp(&sent, &expected, sizeof(expected)), 0);
    const std::pair<int, int> corners[] = {{0, 0}, {159, 99}, {80, 50}, {159, 0}};
    for (const auto& [x, y] : corners)
        EXPECT_TRUE(Near(Pixel(x, y), {255, 128, 0, 255})) << x << ", " << y;
}

TEST_F(PostEffectTest, OwnsEveryDrawerAndTheStateStack)
{
    EXPECT_TRUE(myGraphics->IsInitialized());
    ASSERT_NE(myGraphics->GetGraphicsStateStack(), nullptr);
    EXPECT_EQ(GraphicsStateStack::GetActive(), myGraphics->GetGraphicsStateStack());
    ASSERT_NE(myGraphics->GetSpriteDrawer(), nullptr);
    ASSERT_NE(myGraphics->GetLineDrawer(), nullptr);
    ASSERT_NE(myGraphics->GetCustomShapeDrawer(), nullptr);
    EXPECT_TRUE(myGraphics->GetLineDrawer()->IsLoaded());
    EXPECT_TRUE(myGraphics->GetCustomShapeDrawer()->IsLoaded());
    // The model drawer is the engine's own, with its six default shaders loaded.
    ASSERT_NE(myGraphics->GetModelDrawer(), nullptr);
    ModelDrawer& models = *myGraphics->GetModelDrawer();
    for (ModelShader* shader : {&models.GetDefaultShader(), &models.GetDefaultAnimatedShader(), &models.GetLambertShader(),
                                &models.GetAnimatedLambertShader(), &models.GetPbrShader(), &models.GetAnimatedPbrShader()})
        EXPECT_TRUE(shader->IsLoaded()) << shader->GetVertexShaderName() << " + " << shader->GetPixelShaderName();
    myGraphics.reset();
    EXPECT_EQ(GraphicsStateStack::GetActive(), nullptr);
}

TEST(GraphicsEngineStart, OnlyMissingPostProcessingShadersStopIt)
{
    struct Case
    {
        const char* myRemoved;   // under the cooked root; empty for none
        bool myStarts;
        bool myLineLoaded;
        bool myShapeLoaded;
    };
    const Case cases[] = {
        {"", true, true, true},
        {"shaders/PostprocessTonemapPS.frag", false, true, true},
        {"shaders/PostprocessVS.vert", false, true, true},
        {"shaders/PostprocessGaussianH_PS.frag", false, true, true},
        {"shaders/PostprocessPixelate_PS.frag", false, true, true},
        {"shaders/lineshader_VS.vert", true, false, true},
        {"shaders/custom_shape_PS.frag", true, true, false},
    };
    DX11 device;
    ASSERT_TRUE(device.InitHeadless(64, 32));
    const std::filesystem::path saved = Settings::GetCookedAssetsPath();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.myRemoved);
        QelTest::TempFolder cooked;
        std::filesystem::copy(QelTest::RepositoryCookedAssetsFolder(), cooked.Path(),
                              std::filesystem::copy_options::recursive);
        if (*c.myRemoved)
        {
            ASSERT_TRUE(std::filesystem::remove(cooked.Path() / c.myRemoved));
        }
        Settings::GetCookedAssetsPath() = cooked.Path();
        ShaderCache::Clear();

        TextureManager textures;
        GraphicsEngine graphics;
        ASSERT_EQ(graphics.Init(&textures), c.myStarts);
        EXPECT_EQ(graphics.IsInitialized(), c.myStarts);
        if (!c.myStarts)
            continue;
        EXPECT_EQ(graphics.GetLineDrawer()->IsLoaded(), c.myLineLoaded);
        EXPECT_EQ(graphics.GetCustomShapeDrawer()->IsLoaded(), c.myShapeLoaded);
        // A drawer that did not load draws nothing and counts nothing.
        const u32 before = ourDrawCallCount;
        graphics.GetLineDrawer()->Draw(LinePrimitive{{0, 0, 0}, {10, 10, 0}, {1, 1, 1, 1}});
        CustomShapeVertex triangle[3];
        triangle[1].myPosition = {10, 0, 0};
        triangle[2].myPosition = {0, 10, 0};
        graphics.GetCustomShapeDrawer()->Draw(triangle, 3);
        EXPECT_EQ(ourDrawCallCount - before, (c.myLineLoaded ? 1u : 0u) + (c.myShapeLoaded ? 1u : 0u));
    }
    ShaderCache::Clear();
    Settings::GetCookedAssetsPath() = saved;
}

TEST_F(PostEffectTest, RenderTexturesRefuseBadSizesAndShortUploads)
{
    RenderTexture texture;
    EXPECT_FALSE(texture.Create(0, 10, RenderTextureFormat::Srgb8));
    EXPECT_FALSE(texture.IsValid());
    EXPECT_FALSE(texture.Create(1u << 20, 4, RenderTextureFormat::Float16));
    EXPECT_FALSE(texture.IsValid());
    EXPECT_FALSE(texture.UploadRGBA8(std::vector<u8>(16, 255)));
    EXPECT_TRUE(texture.ReadRGBA8().empty());

    ASSERT_TRUE(texture.Create(4, 2, RenderTextureFormat::Linear8));
    EXPECT_FALSE(texture.UploadRGBA8(std::vector<u8>(4 * 2 * 4 - 1, 7)));
    const std::vector<u8> pixels(4 * 2 * 4, 77);
    ASSERT_TRUE(texture.UploadRGBA8(pixels));
    EXPECT_EQ(texture.ReadRGBA8(), pixels);
    EXPECT_TRUE(texture.EnsureSize(4, 2, RenderTextureFormat::Linear8));
    EXPECT_EQ(texture.ReadRGBA8(), pixels) << "same size and format: kept";
    EXPECT_TRUE(texture.EnsureSize(8, 2, RenderTextureFormat::Linear8));
    EXPECT_EQ(texture.GetWidth(), 8u);
}

TEST_F(PostEffectTest, CopyingATargetKeepsItsLinearColourInEveryFormat)
{
    // sRGB 0.5 is linear 0.214 and is stored as the byte 128 in an sRGB texture.
    const float grey[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    myDevice->Clear(grey);
    RenderTarget& backBuffer = *DX11::GetActiveRenderTarget();

    RenderTexture srgb, linear, wide;
    ASSERT_TRUE(srgb.Create(WIDTH, HEIGHT, RenderTextureFormat::Srgb8));
    ASSERT_TRUE(linear.Create(WIDTH, HEIGHT, RenderTextureFormat::Linear8));
    ASSERT_TRUE(wide.Create(WIDTH / 2, HEIGHT / 2, RenderTextureFormat::Float16));
    srgb.CopyFrom(backBuffer);
    linear.CopyFrom(backBuffer);
    wide.CopyFrom(backBuffer);
    EXPECT_EQ(DX11::GetBoundTarget(), &backBuffer) << "the bound target is bound again";

    EXPECT_NEAR(srgb.ReadRGBA8()[0], 128, 1);
    EXPECT_NEAR(linear.ReadRGBA8()[0], 55, 1);
    EXPECT_NEAR(wide.ReadRGBA32F()[0], 0.214f, 0.002f);
    EXPECT_NEAR(wide.ReadRGBA32F()[3], 1.0f, 1e-3f);
}
