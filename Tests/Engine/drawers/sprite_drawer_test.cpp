// Sprites drawn into the headless back buffer and read back.
#include "GraphicsTestContext.h"
#include "TestSupport.h"
#include "drawers/CustomShapeDrawer.h"
#include "drawers/LineDrawer.h"
#include "drawers/SpriteDrawer.h"
#include "engine/Engine.h"
#include "graphics/DX11.h"
#include "settings/Settings.h"
#include "texture/Texture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

using namespace Qel;

namespace
{
using Rgba = std::array<u8, 4>;

class SpriteDrawerTest : public QelTest::GraphicsTest
{
protected:
    void SetUp() override
    {
        QelTest::GraphicsTest::SetUp();
        if (HasFatalFailure())
            return;
        myDrawer = std::make_unique<SpriteDrawer>();
        ASSERT_TRUE(myDrawer->Init());
    }
    void TearDown() override
    {
        myDrawer.reset();
        QelTest::GraphicsTest::TearDown();
    }

    // An untextured (white-square) sprite with its top-left corner at (x, y + h).
    void DrawRect(float aX, float aY, float aWidth, float aHeight, const Color& aColor)
    {
        Sprite2DInstanceData sprite;
        sprite.myPosition = {aX, aY + aHeight};
        sprite.mySize = {aWidth, aHeight};
        sprite.myColor = aColor;
        SpriteBatchScope batch = myDrawer->BeginBatch({});
        batch.Draw(sprite);
    }

    // A white-square sprite placed by a matrix at depth aZ (screen-space camera: depth (z + 1) / 2).
    void DrawRectAtDepth(float aX, float aY, float aSize, float aZ, const Color& aColor)
    {
        Sprite3DInstanceData sprite;
        sprite.myTransform = Matrix4x4::CreateScale({aSize, aSize, 1.0f});
        sprite.myTransform.SetTranslation({aX, aY + aSize, aZ});
        sprite.myColor = aColor;
        SpriteBatchScope batch = myDrawer->BeginBatch({});
        batch.Draw(sprite);
    }

    static bool Near(const Rgba& aActual, const Rgba& aExpected, int aTolerance = 1)
    {
        for (int i = 0; i < 4; ++i)
            if (std::abs(int(aActual[i]) - int(aExpected[i])) > aTolerance)
                return false;
        return true;
    }

    // How many pixels of a PixelGrid (below) are not its sprite's colour.
    int WrongGridPixels(int aColumns, int aRows, int aBlues)
    {
        int wrong = 0;
        for (int i = 0; i < aColumns * aRows; ++i)
        {
            const Rgba expected{static_cast<u8>(i % 256), static_cast<u8>((i / 256) % 256), static_cast<u8>(i % aBlues),
                                255};
            wrong += !Near(Pixel(20 + i % aColumns, 10 + i / aColumns), expected);
        }
        return wrong;
    }

    std::unique_ptr<SpriteDrawer> myDrawer;
};

std::string Show(const Rgba& aPixel)
{
    return "(" + std::to_string(aPixel[0]) + ", " + std::to_string(aPixel[1]) + ", " + std::to_string(aPixel[2]) +
           ", " + std::to_string(aPixel[3]) + ")";
}
}

TEST_F(SpriteDrawerTest, ASpriteCoversExactlyItsPixels)
{
    Sprite2DInstanceData sprite;
    sprite.myPivot = {0.5f, 0.5f};
    sprite.mySize = {100.0f, 50.0f};
    sprite.myPosition = {200.0f, 100.0f};
    const u32 drawCallsBefore = ourDrawCallCount;
    {
        SpriteBatchScope batch = myDrawer->BeginBatch({});
        batch.Draw(sprite);
    }
    EXPECT_EQ(ourDrawCallCount - drawCallsBefore, 1u);
    const Rgba white{255, 255, 255, 255}, black{0, 0, 0, 255};
    // Columns 150..249, rows 75..124 (rows count from the bottom, as the screen-space y does).
    int wrong = 0;
    for (int y = 60; y < 140; ++y)
        for (int x = 130; x < 270; ++x)
        {
            const bool inside = x >= 150 && x < 250 && y >= 75 && y < 125;
            if (Pixel(x, y) != (inside ? white : black))
                ++wrong;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(Pixel(150, 75), white);
    EXPECT_EQ(Pixel(249, 124), white);
    EXPECT_EQ(Pixel(149, 100), black);
    EXPECT_EQ(Pixel(250, 100), black);
    EXPECT_EQ(Pixel(200, 74), black);
    EXPECT_EQ(Pixel(200, 125), black);
}

TEST_F(SpriteDrawerTest, BlendStatesGiveTheExpectedBytes)
{
    struct Case
    {
        u32 blend;
        Rgba expected;
    };
    // Over linear (0, 0, 1, 0.25), a sprite of (1, 0, 0, 0.5); alpha keeps the larger of the two.
    const Case cases[] = {
        {BLEND_STATE_DISABLED, {255, 0, 0, 128}},
        {BLEND_STATE_ALPHA_BLEND, {188, 0, 188, 128}},     // linear (0.5, 0, 0.5)
        {BLEND_STATE_ADDITIVE_BLEND, {188, 0, 255, 128}},  // linear (0.5, 0, 1)
    };
    for (const Case& c : cases)
    {
        ClearAndBeginFrame(0.0f, 0.0f, 1.0f, 0.25f);
        myStates->SetBlendState(c.blend);
        DrawRect(10, 10, 20, 20, Color(1.0f, 0.0f, 0.0f, 0.5f));
        EXPECT_TRUE(Near(Pixel(20, 20), c.expected)) << c.blend << ": " << Show(Pixel(20, 20));
        EXPECT_EQ(Pixel(40, 40), (Rgba{0, 0, 255, 64})) << c.blend;
    }
}

TEST_F(SpriteDrawerTest, ColoursAreConvertedFromSrgbToLinear)
{
    struct Case
    {
        Color color;
        Rgba expected;
    };
    // Linearised on the way in and encoded by the sRGB target on the way out: the bytes come back.
    const Case cases[] = {
        {{0.5f, 0.5f, 0.5f, 1.0f}, {128, 128, 128, 255}},
        {{3.0f / 255.0f, 0.6f, 176.0f / 255.0f, 1.0f}, {3, 153, 176, 255}},
        {{1.0f, 0.2f, 0.0f, 0.5f}, {255, 51, 0, 128}},
    };
    myStates->SetBlendState(BLEND_STATE_DISABLED);
    int x = 0;
    for (const Case& c : cases)
    {
        DrawRect(static_cast<float>(x), 0, 10, 10, c.color);
        Invalidate();
        EXPECT_TRUE(Near(Pixel(x + 5, 5), c.expected)) << Show(Pixel(x + 5, 5));
        x += 20;
    }
}

TEST_F(SpriteDrawerTest, DepthStatesWithAndWithoutTheDepthBuffer)
{
    struct Case
    {
        const char* what;
        u32 depthState;
        bool depthBound;
        float firstZ;
        float secondZ;
        bool secondVisible;
    };
    const Case cases[] = {
        {"farther fails", DEPTH_STENCIL_STATE_WRITE_LESS, true, 0.0f, 0.5f, false},
        {"nearer passes", DEPTH_STENCIL_STATE_WRITE_LESS, true, 0.0f, -0.5f, true},
        {"equal fails on less", DEPTH_STENCIL_STATE_WRITE_LESS, true, 0.0f, 0.0f, false},
        {"equal passes on less-or-equal", DEPTH_STENCIL_STATE_WRITE_LESS_OR_EQUAL, true, 0.0f, 0.0f, true},
        {"read-only writes nothing", DEPTH_STENCIL_STATE_READ_ONLY_LESS, true, 0.0f, 0.5f, true},
        {"read-only or-equal writes nothing", DEPTH_STENCIL_STATE_READ_ONLY_LESS_OR_EQUAL, true, 0.0f, 0.5f, true},
        {"no depth buffer: no test", DEPTH_STENCIL_STATE_WRITE_LESS, false, 0.0f, 0.5f, true},
    };
    const Color red(1, 0, 0, 1), green(0, 1, 0, 1);
    for (const Case& c : cases)
    {
        ClearAndBeginFrame(0.0f, 0.0f, 0.0f, 1.0f);
        DX11::GetActiveRenderTarget()->SetAsActiveTarget(c.depthBound ? DX11::GetDepthBuffer() : nullptr);
        myStates->SetBlendState(BLEND_STATE_DISABLED);
        myStates->SetDepthStencilState(c.depthState);
        DrawRectAtDepth(10, 10, 20, c.firstZ, red);
        DrawRectAtDepth(10, 10, 20, c.secondZ, green);
        Invalidate();
        const Rgba expected = c.secondVisible ? Rgba{0, 255, 0, 255} : Rgba{255, 0, 0, 255};
        EXPECT_EQ(Pixel(20, 20), expected) << c.what;
    }

    // A read-only state leaves the depth of the first sprite: a third one between the two passes.
    ClearAndBeginFrame(0.0f, 0.0f, 0.0f, 1.0f);
    DX11::GetActiveRenderTarget()->SetAsActiveTarget(DX11::GetDepthBuffer());
    myStates->SetBlendState(BLEND_STATE_DISABLED);
    DrawRectAtDepth(10, 10, 20, 0.0f, red);   // writes depth 0.5
    myStates->SetDepthStencilState(DEPTH_STENCIL_STATE_READ_ONLY_LESS);
    DrawRectAtDepth(10, 10, 20, -0.5f, green);   // passes, writes nothing
    myStates->SetDepthStencilState(DEPTH_STENCIL_STATE_WRITE_LESS);
    DrawRectAtDepth(10, 10, 20, -0.25f, Color(0, 0, 1, 1));   // nearer than 0.5: passes
    Invalidate();
    EXPECT_EQ(Pixel(20, 20), (Rgba{0, 0, 255, 255}));
}

TEST_F(SpriteDrawerTest, EveryOneOfManySpritesIsDrawnAcrossFlushes)
{
    // 2500 one-pixel sprites on a 50 x 50 grid: three draws of 1024, 1024 and 452.
    std::vector<Sprite2DInstanceData> sprites(2500);
    for (int i = 0; i < 2500; ++i)
        sprites[static_cast<size_t>(i)].myPosition = {static_cast<float>(10 + (i % 50) * 2),
                                                      static_cast<float>(11 + (i / 50) * 2)};
    myDrawer->ResetStatistics();
    const u32 drawCallsBefore = ourDrawCallCount;
    {
        SpriteBatchScope batch = myDrawer->BeginBatch({});
        batch.Draw(sprites);
    }
    EXPECT_EQ(ourDrawCallCount - drawCallsBefore, 3u);
    EXPECT_EQ(myDrawer->GetStatistics().myInstances, 2500u);
    EXPECT_EQ(myDrawer->GetStatistics().myLastDrawInstances, 452u);
    int missing = 0;
    for (int i = 0; i < 2500; ++i)
        if (Pixel(10 + (i % 50) * 2, 10 + (i / 50) * 2)[0] != 255)
            ++missing;
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(Pixel(11, 10)[0], 0);   // the gaps between them stay clear
}

TEST_F(SpriteDrawerTest, TheStateTransformIsReadPerRecordAndStateAtTheBatchStart)
{
    SpriteBatchScope batch = myDrawer->BeginBatch({});
    Sprite2DInstanceData sprite;
    sprite.mySize = {10, 10};
    sprite.myPosition = {0, 10};
    batch.Draw(sprite);
    myStates->Push();
    myStates->SetTransform(Matrix4x4::CreateTranslation({100.0f, 50.0f, 0.0f}));
    myStates->SetBlendState(BLEND_STATE_DISABLED);   // too late for this batch
    sprite.myColor = Color(1.0f, 1.0f, 1.0f, 0.5f);
    batch.Draw(sprite);
    myStates->Pop();
    batch.End();
    EXPECT_EQ(Pixel(5, 5), (Rgba{255, 255, 255, 255}));
    // Half-transparent white blended over black (unblended it would be (255, 255, 255, 128)).
    EXPECT_TRUE(Near(Pixel(105, 55), Rgba{188, 188, 188, 255})) << Show(Pixel(105, 55));
}

TEST_F(SpriteDrawerTest, ACustomShaderThatFailedDrawsNothing)
{
    DrawRect(0, 0, 10, 10, Color(1, 1, 1, 1));   // leaves the default program bound
    QelTest::TempFolder root;
    root.Write("broken.frag", "this is not GLSL\n");
    const std::filesystem::path saved = Settings::GetCookedAssetsPath();
    SpriteShader broken;
    testing::internal::CaptureStdout();
    Settings::GetCookedAssetsPath() = root.Path();
    EXPECT_FALSE(broken.Init("shaders/instanced_sprite_shader_VS", "broken"));
    Settings::GetCookedAssetsPath() = saved;
    testing::internal::GetCapturedStdout();

    SpriteSharedData shared;
    shared.myCustomShader = &broken;
    const u32 drawCallsBefore = ourDrawCallCount;
    {
        SpriteBatchScope batch = myDrawer->BeginBatch(shared);
        EXPECT_TRUE(batch.IsOpen());
        Sprite2DInstanceData sprite;
        sprite.mySize = {10, 10};
        sprite.myPosition = {50, 60};
        batch.Draw(sprite);
        EXPECT_EQ(batch.GetInstanceCount(), 0u);
    }
    EXPECT_EQ(ourDrawCallCount, drawCallsBefore);
    Invalidate();
    EXPECT_EQ(Pixel(55, 55), (Rgba{0, 0, 0, 255}));
    EXPECT_FALSE(myDrawer->IsInBatch());
    // The drawer itself still draws.
    DrawRect(50, 50, 10, 10, Color(1, 1, 1, 1));
    Invalidate();
    EXPECT_EQ(Pixel(55, 55), (Rgba{255, 255, 255, 255}));
}

TEST_F(SpriteDrawerTest, ACustomShaderDrawsWithItsOwnPixelShader)
{
    QelTest::TempFolder root;
    std::ifstream prologue(QelTest::RepositoryCookedAssetsFolder() / "shaders/qel_common.glsl", std::ios::binary);
    std::ostringstream text;
    text << prologue.rdbuf();
    root.Write("shaders/qel_common.glsl", text.str());
    std::ifstream vertex(QelTest::RepositoryCookedAssetsFolder() / "shaders/instanced_sprite_shader_VS.vert",
                         std::ios::binary);
    std::ostringstream vertexText;
    vertexText << vertex.rdbuf();
    root.Write("shaders/instanced_sprite_shader_VS.vert", vertexText.str());
    // Shows the first custom value and the fourth extra value (the instance's second slot).
    root.Write("tint.frag", "in vec4 vExtra;\nlayout(location = 0) out vec4 qelOut;\n"
                            "void main() { qelOut = vec4(qelCustomValues[0].rgb, 1.0) + vec4(0.0, 0.0, vExtra.y, 0.0); }\n");
    const std::filesystem::path saved = Settings::GetCookedAssetsPath();
    Settings::GetCookedAssetsPath() = root.Path();
    SpriteShader tint;
    ASSERT_TRUE(tint.Init("shaders/instanced_sprite_shader_VS", "tint"));
    Settings::GetCookedAssetsPath() = saved;
    tint.SetCustomValue(0, {1.0f, 0.0f, 0.0f, 0.0f});

    myStates->SetBlendState(BLEND_STATE_DISABLED);
    SpriteSharedData shared;
    shared.myCustomShader = &tint;
    {
        SpriteBatchScope batch = myDrawer->BeginBatch(shared);
        Sprite2DInstanceData sprite;
        sprite.mySize = {10, 10};
        sprite.myPosition = {0, 10};
        sprite.myExtra = {0.0f, 0.0f, 0.0f, 1.0f};
        batch.Draw(sprite);
    }
    EXPECT_EQ(Pixel(5, 5), (Rgba{255, 0, 255, 255}));
}

TEST_F(SpriteDrawerTest, TheMenuSpriteShadersDrawTheirTexture)
{
    struct Case
    {
        const char* pixelShader;
        int minimumBrightness;
    };
    // Over a white texture: the logo shader's channel split of white is white; the frame shader
    // dims and brightens it with time, never far.
    const Case cases[] = {{"art/shaders/Glitch", 250}, {"art/shaders/MainMenu", 180}};
    for (const Case& c : cases)
    {
        SpriteShader shader;
        ASSERT_TRUE(shader.Init("shaders/instanced_sprite_shader_VS", c.pixelShader)) << c.pixelShader;
        for (float time : {0.0f, 1.3f, 2.9f})
        {
            ClearAndBeginFrame(0.0f, 0.0f, 0.0f, 1.0f);
            myStates->BeginFrame(time, 0.016f);
            SpriteSharedData shared;
            shared.myCustomShader = &shader;
            {
                SpriteBatchScope batch = myDrawer->BeginBatch(shared);
                Sprite2DInstanceData sprite;
                sprite.mySize = {40, 40};
                sprite.myPosition = {10, 50};
                batch.Draw(sprite);
            }
            Invalidate();
            const Rgba pixel = Pixel(30, 30);
            for (int channel = 0; channel < 3; ++channel)
                EXPECT_GE(pixel[channel], c.minimumBrightness) << c.pixelShader << " at " << time << ": " << Show(pixel);
            EXPECT_EQ(pixel[3], 255);
            EXPECT_EQ(Pixel(5, 5), (Rgba{0, 0, 0, 255})) << c.pixelShader;
        }
    }
}

TEST_F(SpriteDrawerTest, TexturesAppearUprightAndUVRectanglesSelectTheirPart)
{
    // 2 x 2, top row first: red, green / blue, white.
    const u8 texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    std::unique_ptr<Texture> texture = Texture::CreateFromRGBA(2, 2, texels, 0, false);
    ASSERT_NE(texture, nullptr);
    myStates->SetSamplerState(SAMPLER_FILTER_POINT, SAMPLER_ADDRESS_CLAMP);
    SpriteSharedData shared;
    shared.myColorTexture = texture.get();
    {
        SpriteBatchScope batch = myDrawer->BeginBatch(shared);
        Sprite2DInstanceData whole;
        whole.mySize = {20, 20};
        whole.myPosition = {10, 30};   // covers x 10..30, y 10..30
        batch.Draw(whole);
        Sprite2DInstanceData part = whole;
        part.myPosition = {50, 30};
        part.myUVRect = {0.5f, 0.5f, 1.0f, 1.0f};   // the bottom-right texel only
        batch.Draw(part);
    }
    EXPECT_EQ(Pixel(15, 25), (Rgba{255, 0, 0, 255}));   // top left
    EXPECT_EQ(Pixel(25, 25), (Rgba{0, 255, 0, 255}));   // top right
    EXPECT_EQ(Pixel(15, 15), (Rgba{0, 0, 255, 255}));   // bottom left
    EXPECT_EQ(Pixel(25, 15), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(Pixel(55, 25), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(Pixel(65, 15), (Rgba{255, 255, 255, 255}));
}

namespace
{
// The pixels of a rectangle, row by row (rows from the bottom).
std::vector<Rgba> Region(int aX, int aY, int aWidth, int aHeight, const std::function<Rgba(int, int)>& aPixel)
{
    std::vector<Rgba> pixels;
    for (int y = aY; y < aY + aHeight; ++y)
        for (int x = aX; x < aX + aWidth; ++x)
            pixels.push_back(aPixel(x, y));
    return pixels;
}

// A sprite shader with the cooked sprite vertex shader and the given fragment shader, loaded from a
// temporary cooked root.
bool InitTestSpriteShader(SpriteShader& aShader, const std::string& aFragmentSource)
{
    QelTest::TempFolder root;
    for (const char* file : {"shaders/qel_common.glsl", "shaders/instanced_sprite_shader_VS.vert"})
    {
        std::ifstream in(QelTest::RepositoryCookedAssetsFolder() / file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        root.Write(file, text.str());
    }
    root.Write("test.frag", aFragmentSource);
    const std::filesystem::path saved = Settings::GetCookedAssetsPath();
    Settings::GetCookedAssetsPath() = root.Path();
    const bool loaded = aShader.Init("shaders/instanced_sprite_shader_VS", "test");
    Settings::GetCookedAssetsPath() = saved;
    return loaded;
}
}

TEST_F(SpriteDrawerTest, OtherDrawingInsideABatchLeavesTheSpritesLookAlone)
{
    LineDrawer lines;
    ASSERT_TRUE(lines.Init());
    ASSERT_TRUE(lines.IsLoaded());
    CustomShapeDrawer shapes;
    ASSERT_TRUE(shapes.Init());
    ASSERT_TRUE(shapes.IsLoaded());
    // 2 x 2, top row first: red, green / blue, white; the shapes get plain yellow.
    const u8 texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    std::unique_ptr<Texture> spriteTexture = Texture::CreateFromRGBA(2, 2, texels, 0, false);
    const u8 yellow[4] = {255, 255, 0, 255};
    std::unique_ptr<Texture> shapeTexture = Texture::CreateFromRGBA(1, 1, yellow, 0, false);
    ASSERT_NE(spriteTexture, nullptr);
    ASSERT_NE(shapeTexture, nullptr);

    const auto drawShape = [&] {
        const CustomShapeVertex triangle[3] = {{{200, 100, 0}, {1, 1, 1, 1}, {0, 0}},
                                               {{260, 100, 0}, {1, 1, 1, 1}, {1, 0}},
                                               {{230, 160, 0}, {1, 1, 1, 1}, {0, 1}}};
        shapes.Draw(triangle, 3, Matrix4x4(), shapeTexture.get());
    };
    struct Case
    {
        const char* what;
        std::function<void()> otherDrawing;
    };
    const Case cases[] = {
        {"nothing", [] {}},
        {"a textured shape under additive blend, trilinear sampling and less-or-equal depth",
         [&] {
             myStates->Push();
             myStates->SetBlendState(BLEND_STATE_ADDITIVE_BLEND);
             myStates->SetSamplerState(SAMPLER_FILTER_TRILINEAR, SAMPLER_ADDRESS_WRAP);
             myStates->SetDepthStencilState(DEPTH_STENCIL_STATE_WRITE_LESS_OR_EQUAL);
             drawShape();
             myStates->Pop();
         }},
        {"a line seen by another camera without blending",
         [&] {
             myStates->Push();
             Camera camera = myStates->GetCamera();
             camera.SetTransform(Matrix4x4::CreateTranslation({-40.0f, -20.0f, 0.0f}));
             myStates->SetCamera(camera);
             myStates->SetBlendState(BLEND_STATE_DISABLED);
             lines.Draw(LinePrimitive{{200, 20, 0}, {300, 20, 0}, {1, 0, 1, 1}});
             myStates->Pop();
         }},
        {"a shape and a line with the state left unchanged", [&] {
             drawShape();
             lines.Draw(LinePrimitive{{200, 20, 0}, {300, 20, 0}, {1, 0, 1, 1}});
         }},
    };

    // Half-transparent textured quad (point sampled, blended) and two sprites at equal depth, the
    // second of which the depth test turns away; the other drawing comes between the records.
    std::vector<Rgba> clean;
    for (const Case& c : cases)
    {
        ClearAndBeginFrame(0.2f, 0.2f, 0.2f, 1.0f);
        DX11::GetActiveRenderTarget()->SetAsActiveTarget(DX11::GetDepthBuffer());
        myStates->SetSamplerState(SAMPLER_FILTER_POINT, SAMPLER_ADDRESS_CLAMP);
        SpriteSharedData shared;
        shared.myColorTexture = spriteTexture.get();
        {
            SpriteBatchScope batch = myDrawer->BeginBatch(shared);
            Sprite2DInstanceData quad;
            quad.mySize = {20, 20};
            quad.myPosition = {10, 30};
            quad.myColor = Color(1.0f, 1.0f, 1.0f, 0.6f);
            batch.Draw(quad);
            Sprite3DInstanceData first;
            first.myTransform = Matrix4x4::CreateScale({20.0f, 20.0f, 1.0f});
            first.myTransform.SetTranslation({50.0f, 30.0f, 0.0f});
            first.myUVRect = {0.0f, 0.0f, 0.5f, 0.5f};   // the red texel
            batch.Draw(first);
            c.otherDrawing();
            Sprite3DInstanceData second = first;
            second.myUVRect = {0.5f, 0.0f, 1.0f, 0.5f};   // green, at the same depth
            batch.Draw(second);
        }
        Invalidate();
        const std::vector<Rgba> pixels =
            Region(0, 0, 100, 60, [this](int aX, int aY) { return Pixel(aX, aY); });
        if (clean.empty())
        {
            clean = pixels;
            // Red at 0.6 over grey: linear 0.6 + 0.4 x 0.0331 and 0.4 x 0.0331.
            EXPECT_TRUE(Near(Pixel(15, 25), Rgba{205, 30, 30, 255})) << Show(Pixel(15, 25));
            EXPECT_EQ(Pixel(60, 20), (Rgba{255, 0, 0, 255})) << Show(Pixel(60, 20));
            continue;
        }
        int wrong = 0;
        for (size_t i = 0; i < pixels.size(); ++i)
            wrong += pixels[i] != clean[i];
        EXPECT_EQ(wrong, 0) << c.what << "; at (15, 25) " << Show(Pixel(15, 25)) << ", at (60, 20) "
                            << Show(Pixel(60, 20));
    }
}

TEST_F(SpriteDrawerTest, OtherDrawingInsideABatchLeavesItsCustomBlockAlone)
{
    CustomShapeDrawer shapes;
    ASSERT_TRUE(shapes.Init());
    ASSERT_TRUE(shapes.IsLoaded());
    // The custom values on the shape's own binding point.
    SpriteShader tint;
    ASSERT_TRUE(InitTestSpriteShader(tint, "uniform Tint_b6 { vec4 tintValues[8]; };\n"
                                           "layout(location = 0) out vec4 qelOut;\n"
                                           "void main() { qelOut = vec4(tintValues[0].rgb, 1.0); }\n"));
    ASSERT_TRUE(tint.SetCustomBufferSlot(CUSTOM_SHAPE_BLOCK_SLOT));
    tint.SetCustomValue(0, {0.0f, 0.0f, 1.0f, 0.0f});
    myStates->SetBlendState(BLEND_STATE_DISABLED);
    SpriteSharedData shared;
    shared.myCustomShader = &tint;
    {
        SpriteBatchScope batch = myDrawer->BeginBatch(shared);
        Sprite2DInstanceData sprite;
        sprite.mySize = {10, 10};
        sprite.myPosition = {0, 10};
        batch.Draw(sprite);
        const CustomShapeVertex triangle[3] = {
            {{200, 100, 0}, {1, 1, 1, 1}, {0, 0}}, {{260, 100, 0}, {1, 1, 1, 1}, {1, 0}}, {{230, 160, 0}, {1, 1, 1, 1}, {0, 1}}};
        shapes.Draw(triangle, 3);
    }
    EXPECT_EQ(Pixel(5, 5), (Rgba{0, 0, 255, 255})) << Show(Pixel(5, 5));
}

TEST_F(SpriteDrawerTest, FramesOfSeveralBatchesDrawEverySpriteAsOneBatchDoes)
{
    // 3600 one-pixel sprites of their own colour on a grid, drawn frame after frame: as one batch,
    // and split into batches of several flushes each under different blend states. Every frame,
    // however split, gives the same pixels, and each pixel is its sprite's colour: instances never
    // land in the wrong place or come from an earlier frame, however the instance buffer is reused.
    constexpr int COLUMNS = 80, ROWS = 45;
    std::vector<Sprite2DInstanceData> sprites(COLUMNS * ROWS);
    for (int i = 0; i < COLUMNS * ROWS; ++i)
    {
        Sprite2DInstanceData& sprite = sprites[static_cast<size_t>(i)];
        sprite.myPosition = {static_cast<float>(10 + (i % COLUMNS) * 3), static_cast<float>(11 + (i / COLUMNS) * 3)};
        sprite.myColor = Color(static_cast<float>((i * 37) % 256) / 255.0f, static_cast<float>((i * 91) % 256) / 255.0f,
                               static_cast<float>((i / 7) % 256) / 255.0f, 1.0f);
    }
    const auto drawFrame = [&](int aFrame) {
        ClearAndBeginFrame(0.0f, 0.0f, 0.0f, 1.0f);
        if (aFrame % 2 == 0)
        {
            SpriteBatchScope batch = myDrawer->BeginBatch({});
            batch.Draw(sprites);
            return;
        }
        // Batches of 1500, 1500 and 600: flushes of 1024 and 476 twice, then 600.
        const u32 blends[3] = {BLEND_STATE_DISABLED, BLEND_STATE_ALPHA_BLEND, BLEND_STATE_ADDITIVE_BLEND};
        for (size_t first = 0, part = 0; first < sprites.size(); first += 1500, ++part)
        {
            myStates->SetBlendState(blends[part]);
            SpriteBatchScope batch = myDrawer->BeginBatch({});
            batch.Draw(sprites.data() + first, std::min<size_t>(1500, sprites.size() - first));
        }
    };
    std::vector<Rgba> first;
    for (int frame = 0; frame < 24; ++frame)
    {
        drawFrame(frame);
        Invalidate();
        const std::vector<Rgba> pixels =
            Region(0, 0, WIDTH, HEIGHT, [this](int aX, int aY) { return Pixel(aX, aY); });
        if (first.empty())
        {
            first = pixels;
            int wrong = 0;
            for (int i = 0; i < COLUMNS * ROWS; ++i)
            {
                const Color& c = sprites[static_cast<size_t>(i)].myColor;
                const Rgba expected{static_cast<u8>(std::lround(c.r * 255.0f)), static_cast<u8>(std::lround(c.g * 255.0f)),
                                    static_cast<u8>(std::lround(c.b * 255.0f)), 255};
                wrong += !Near(Pixel(10 + (i % COLUMNS) * 3, 10 + (i / COLUMNS) * 3), expected);
            }
            EXPECT_EQ(wrong, 0);
            EXPECT_EQ(Pixel(11, 10), (Rgba{0, 0, 0, 255}));   // between the sprites
            continue;
        }
        int different = 0;
        for (size_t i = 0; i < pixels.size(); ++i)
            different += pixels[i] != first[i];
        EXPECT_EQ(different, 0) << "frame " << frame;
    }
}

// One-pixel sprites on a grid from (20, 10), each of its own colour (blue cycling through aBlues).
std::vector<Sprite2DInstanceData> PixelGrid(int aColumns, int aRows, int aBlues)
{
    std::vector<Sprite2DInstanceData> sprites(static_cast<size_t>(aColumns * aRows));
    for (int i = 0; i < aColumns * aRows; ++i)
    {
        Sprite2DInstanceData& sprite = sprites[static_cast<size_t>(i)];
        sprite.myPosition = {static_cast<float>(20 + i % aColumns), static_cast<float>(11 + i / aColumns)};
        sprite.myColor = Color(static_cast<float>(i % 256) / 255.0f, static_cast<float>((i / 256) % 256) / 255.0f,
                               static_cast<float>(i % aBlues) / 255.0f, 1.0f);
    }
    return sprites;
}

TEST_F(SpriteDrawerTest, AFrameOfMoreInstancesThanTheStreamHoldsDrawsThemAll)
{
    // 40,000 one-pixel sprites in one batch: 40 flushes, more than the instance ring first holds,
    // so the frame laps it while its earlier draws may still be in flight.
    constexpr int COLUMNS = 250, ROWS = 160;
    const std::vector<Sprite2DInstanceData> sprites = PixelGrid(COLUMNS, ROWS, 7);
    myStates->SetBlendState(BLEND_STATE_DISABLED);
    for (int frame = 0; frame < 3; ++frame)
    {
        ClearAndBeginFrame(0.0f, 0.0f, 0.0f, 1.0f);
        myStates->SetBlendState(BLEND_STATE_DISABLED);
        SpriteBatchScope batch = myDrawer->BeginBatch({});
        batch.Draw(sprites);
    }
    Invalidate();
    EXPECT_EQ(WrongGridPixels(COLUMNS, ROWS, 7), 0);
}

TEST_F(SpriteDrawerTest, FramesThatStartWithTheDrawerGrowItsSegmentsUntilAFrameFitsOne)
{
    // 10,000 one-pixel sprites a frame: ten flushes, more than a first segment holds. Each frame
    // that spills over doubles the segments; then a frame fits one and they stay that size.
    constexpr int COLUMNS = 125, ROWS = 80;
    const std::vector<Sprite2DInstanceData> sprites = PixelGrid(COLUMNS, ROWS, 5);
    const size_t frameBytes = sprites.size() * sizeof(SpriteInstance);
    std::vector<size_t> segmentBytes;
    for (int frame = 0; frame < 8; ++frame)
    {
        ClearAndBeginFrame(0.0f, 0.0f, 0.0f, 1.0f);
        myDrawer->BeginFrame();
        myStates->SetBlendState(BLEND_STATE_DISABLED);
        {
            SpriteBatchScope batch = myDrawer->BeginBatch({});
            batch.Draw(sprites);
        }
        segmentBytes.push_back(myDrawer->GetInstanceStream().GetSegmentBytes());
    }
    EXPECT_LT(segmentBytes.front(), frameBytes);
    EXPECT_GE(segmentBytes.back(), frameBytes);
    EXPECT_LT(segmentBytes.back(), 2 * frameBytes + SpriteDrawer::BATCH_SIZE * sizeof(SpriteInstance));
    EXPECT_EQ(segmentBytes[5], segmentBytes.back());
    Invalidate();
    EXPECT_EQ(WrongGridPixels(COLUMNS, ROWS, 5), 0);
}
