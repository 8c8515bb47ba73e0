// Text drawn through the sprite drawer into a headless back buffer and read back; the font cache
// and bad font files.
#include "TextureReadback.h"
#include "GLTestContext.h"
#include "TestSupport.h"
#include "drawers/SpriteDrawer.h"
#include "graphics/GL.h"
#include "graphics/GraphicsEngine.h"
#include "graphics/GraphicsStateStack.h"
#include "settings/Settings.h"
#include "text/GlyphAtlas.h"
#include "text/Text.h"
#include "text/TextLayout.h"
#include "text/TextService.h"
#include "texture/TextureManager.h"
#include "texture/TextureUpload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>

using namespace Qel;

namespace
{
const char* const DEJAVU_FOLDER = "/usr/share/fonts/truetype/dejavu";
const char* const FONT = "DejaVuSans.ttf";

struct InkBox
{
    int myLeft = 1 << 30, myRight = -1, myBottom = 1 << 30, myTop = -1;
    int myCount = 0;
};

class TextDrawTest : public QelTest::GLTest
{
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(std::filesystem::path(DEJAVU_FOLDER) / FONT))
            GTEST_SKIP() << "DejaVu fonts missing (package fonts-dejavu-core)";
        GLTest::SetUp();
        if (HasFatalFailure())
            return;
        mySavedCooked = Settings::GetCookedAssetsPath();
        mySavedEngine = Settings::GetEngineAssetsPath();
        mySavedGame = Settings::GetGameAssetsPath();
        const std::filesystem::path repository = QelTest::TestDataFolder().parent_path().parent_path();
        Settings::GetCookedAssetsPath() = repository / "Assets" / "Cooked";
        Settings::GetEngineAssetsPath() = DEJAVU_FOLDER;
        Settings::GetGameAssetsPath() = myGameFolder.Path();

        myTextures = std::make_unique<TextureManager>();
        myGraphics = std::make_unique<GraphicsEngine>();
        ASSERT_TRUE(myGraphics->Init(myTextures.get()));
        ASSERT_TRUE(myGraphics->GetSpriteDrawer()->IsLoaded()) << "sprite shaders missing";
        ASSERT_TRUE(myService.Init());
        myService.SetRenderer(myGraphics->GetSpriteDrawer(), myGraphics->GetGraphicsStateStack());
    }

    void TearDown() override
    {
        myService.SetRenderer(nullptr, nullptr);
        myGraphics.reset();
        myTextures.reset();
        if (!mySavedCooked.empty() || !mySavedEngine.empty() || !mySavedGame.empty())
        {
            Settings::GetCookedAssetsPath() = mySavedCooked;
            Settings::GetEngineAssetsPath() = mySavedEngine;
            Settings::GetGameAssetsPath() = mySavedGame;
        }
        GLTest::TearDown();
    }

    // A fresh frame on a plain background.
    void BeginFrame(float aGray)
    {
        const float color[4] = {aGray, aGray, aGray, 1.0f};
        myDevice->Clear(color);
        myGraphics->GetGraphicsStateStack()->BeginFrame(0.0f, 0.0f);
        Invalidate();
    }

    InkBox FindInk(int aThreshold) const
    {
        InkBox box;
        for (int y = 0; y < static_cast<int>(HEIGHT); ++y)
            for (int x = 0; x < static_cast<int>(WIDTH); ++x)
                if (Pixel(x, y)[0] > aThreshold)
                {
                    box.myLeft = std::min(box.myLeft, x);
                    box.myRight = std::max(box.myRight, x);
                    box.myBottom = std::min(box.myBottom, y);
                    box.myTop = std::max(box.myTop, y);
                    ++box.myCount;
                }
        return box;
    }

    // The font's atlas as uploaded (level 0), as A << 24 | B << 16 | G << 8 | R, row by row.
    static std::vector<u32> UploadedAtlas(const InternalTextAndFontData& aFont)
    {
        const std::vector<u8> bytes = QelTest::ReadTextureRGBA8(aFont.myTexture->GetShaderResourceView(), 0);
        std::vector<u32> pixels(bytes.size() / 4);
        std::memcpy(pixels.data(), bytes.data(), pixels.size() * 4);
        return pixels;
    }
    // Atlas pixel (column, row) of a glyph's cell.
    static u32 CellPixel(const std::vector<u32>& aAtlas, const FontGlyph& aGlyph, int aColumn, int aRow)
    {
        const int x0 = static_cast<int>(std::lround(aGlyph.myUMin * 1024.0f));
        const int y0 = static_cast<int>(std::lround(aGlyph.myVMin * 1024.0f));
        return aAtlas[static_cast<size_t>(y0 + aRow) * 1024 + static_cast<size_t>(x0 + aColumn)];
    }

    QelTest::TempFolder myGameFolder;
    std::filesystem::path mySavedCooked, mySavedEngine, mySavedGame;
    std::unique_ptr<TextureManager> myTextures;
    std::unique_ptr<GraphicsEngine> myGraphics;
    TextService myService;
};
}

TEST_F(TextDrawTest, AGlyphLandsAtItsBearingsWithTheAtlasCellUpright)
{
    Text text(&myService, FONT, 24, 0);
    ASSERT_NE(text.GetFontData(), nullptr);
    text.SetText("T");
    text.SetPosition({40.0f, 60.0f});
    BeginFrame(0.0f);
    ASSERT_TRUE(myService.BuildTextQuads(text, nullptr));

    // At scale 1 and a whole-pixel position every cell texel covers one screen pixel exactly.
    const InternalTextAndFontData& font = *text.GetFontData();
    const FontGlyph& glyph = font.myGlyphs['T'];
    const std::vector<u32> atlas = UploadedAtlas(font);
    const int left = 40 + glyph.myLeftBearing;
    const int top = 60 + glyph.myTopBearing;
    int solid = 0;
    for (int row = 0; row < glyph.myHeight; ++row)
        for (int column = 0; column < glyph.myWidth; ++column)
        {
            const u32 coverage = CellPixel(atlas, glyph, column, row) >> 24;
            // Row 0 of the cell is the top of the glyph; rows count down the screen.
            const u8 drawn = Pixel(left + column, top - 1 - row)[0];
            if (coverage == 255)
            {
                ++solid;
                EXPECT_GE(drawn, 250) << column << ", " << row;
            }
            else if (coverage == 0)
            {
                EXPECT_LE(drawn, 3) << column << ", " << row;
            }
        }
    EXPECT_GT(solid, 40);
    // Nothing outside the cell.
    const InkBox ink = FindInk(3);
    EXPECT_GE(ink.myLeft, left);
    EXPECT_LT(ink.myRight, left + glyph.myWidth);
    EXPECT_LE(ink.myTop, top - 1);
    EXPECT_GE(ink.myBottom, top - glyph.myHeight);
}

TEST_F(TextDrawTest, OutlinedTextIsWhiteInsideABlackBorder)
{
    Text text(&myService, FONT, 24, 2);
    ASSERT_NE(text.GetFontData(), nullptr);
    text.SetText("O");
    text.SetPosition({100.0f, 80.0f});
    BeginFrame(0.5f);
    const u8 background = Pixel(5, 5)[0];
    ASSERT_NEAR(background, 128, 2);
    ASSERT_TRUE(myService.BuildTextQuads(text, nullptr));
    Invalidate();

    const InternalTextAndFontData& font = *text.GetFontData();
    const FontGlyph& glyph = font.myGlyphs['O'];
    const std::vector<u32> atlas = UploadedAtlas(font);
    const int left = 100 + glyph.myLeftBearing;
    const int top = 80 + glyph.myTopBearing;
    int border = 0, inside = 0;
    for (int row = 0; row < glyph.myHeight; ++row)
        for (int column = 0; column < glyph.myWidth; ++column)
        {
            const u32 pixel = CellPixel(atlas, glyph, column, row);
            const u32 red = pixel & 0xFF, alpha = pixel >> 24;
            const u8 drawn = Pixel(left + column, top - 1 - row)[0];
            if (alpha == 255 && red == 0)
            {
                ++border;
                EXPECT_LE(drawn, 3) << column << ", " << row;
            }
            else if (alpha == 255 && red == 255)
            {
                ++inside;
                EXPECT_GE(drawn, 250) << column << ", " << row;
            }
            else if (alpha == 0)
            {
                EXPECT_NEAR(drawn, background, 2) << column << ", " << row;
            }
        }
    EXPECT_GT(border, 60);
    EXPECT_GT(inside, 40);
    // The ring of the O shows the background in its hole: white and black never fill the middle.
    EXPECT_NEAR(Pixel(left + glyph.myWidth / 2, top - glyph.myHeight / 2)[0], background, 2);
}

TEST_F(TextDrawTest, ScaledAndRotatedTextCoversWhatItsMeasuresSay)
{
    Text text(&myService, FONT, 20, 0);
    text.SetText("Level 1\nGo!");
    text.SetScale(1.25f);
    text.SetPosition({30.0f, 120.0f});
    BeginFrame(0.0f);
    ASSERT_TRUE(myService.BuildTextQuads(text, nullptr));
    const InkBox flat = FindInk(40);
    const TextBounds bounds = MeasureTextBounds(*text.GetFontData(), text.GetText(), text.GetScale());
    // Measured box (y up) against the pixels lit, within the antialiased edge.
    EXPECT_NEAR(flat.myLeft, 30.0f + bounds.myLeft, 2.0f);
    EXPECT_NEAR(flat.myRight + 1, 30.0f + bounds.myRight, 2.0f);
    EXPECT_NEAR(flat.myTop + 1, 120.0f + bounds.myTop, 2.0f);
    EXPECT_NEAR(flat.myBottom, 120.0f + bounds.myBottom, 2.0f);
    EXPECT_NEAR(flat.myTop + 1 - flat.myBottom, text.GetHeight(), 3.0f);
    EXPECT_NEAR(flat.myRight + 1 - 30.0f, text.GetWidth(), 3.0f);

    // A quarter turn about the middle swaps the box's sides around the same centre.
    text.SetRotation(1.5707963f);
    BeginFrame(0.0f);
    ASSERT_TRUE(myService.BuildTextQuads(text, nullptr));
    const InkBox turned = FindInk(40);
    const float flatWidth = static_cast<float>(flat.myRight - flat.myLeft);
    const float flatHeight = static_cast<float>(flat.myTop - flat.myBottom);
    EXPECT_NEAR(static_cast<float>(turned.myTop - turned.myBottom), flatWidth, 3.0f);
    EXPECT_NEAR(static_cast<float>(turned.myRight - turned.myLeft), flatHeight, 3.0f);
    EXPECT_NEAR((turned.myLeft + turned.myRight) * 0.5f, (flat.myLeft + flat.myRight) * 0.5f, 2.0f);
    EXPECT_NEAR((turned.myTop + turned.myBottom) * 0.5f, (flat.myTop + flat.myBottom) * 0.5f, 2.0f);
    EXPECT_NEAR(static_cast<float>(turned.myCount), static_cast<float>(flat.myCount), flat.myCount * 0.1f);
}

TEST_F(TextDrawTest, OneBatchOfOneQuadPerCharacterWithTheSamplerBySize)
{
    SpriteDrawer& drawer = *myGraphics->GetSpriteDrawer();
    const GraphicsStateStack& stack = *myGraphics->GetGraphicsStateStack();
    struct Case
    {
        u32 mySize;
        u32 myFilter;
    };
    for (const Case c : {Case{17, SAMPLER_FILTER_POINT}, Case{18, SAMPLER_FILTER_BILINEAR}})
    {
        Text text(&myService, FONT, c.mySize, 0);
        // A character the font lacks (0x85) and a control character still take a quad each.
        text.SetText("A\x85" "B\x01" "C");
        BeginFrame(0.0f);
        drawer.ResetStatistics();
        ASSERT_TRUE(myService.BuildTextQuads(text, nullptr));
        EXPECT_EQ(drawer.GetStatistics().myDrawCalls, 1u);
        EXPECT_EQ(drawer.GetStatistics().myInstances, 5u);
        EXPECT_EQ(stack.GetLastApplied().mySamplerFilter, c.myFilter) << c.mySize;
        EXPECT_EQ(stack.GetLastApplied().mySamplerAddress, SAMPLER_ADDRESS_CLAMP);
        EXPECT_EQ(stack.GetStackSize(), 1u);
        // The characters it has still draw.
        EXPECT_GT(FindInk(100).myCount, 50);
    }
    // More than a batch of characters flushes on the way.
    Text text(&myService, FONT, 10, 0);
    text.SetText(std::string(2500, 'i'));
    BeginFrame(0.0f);
    drawer.ResetStatistics();
    ASSERT_TRUE(myService.BuildTextQuads(text, nullptr));
    EXPECT_EQ(drawer.GetStatistics().myDrawCalls, 3u);
    EXPECT_EQ(drawer.GetStatistics().myInstances, 2500u);
}

TEST_F(TextDrawTest, TextsShareAFontByFileSizeAndOutlineWhileOneLives)
{
    auto first = std::make_unique<Text>(&myService, FONT, 24, 0);
    Text same(&myService, FONT, 24, 0);
    Text outlined(&myService, FONT, 24, 1);
    Text larger(&myService, FONT, 25, 0);
    ASSERT_NE(first->GetFontData(), nullptr);
    EXPECT_EQ(first->GetFontData(), same.GetFontData());
    EXPECT_NE(first->GetFontData(), outlined.GetFontData());
    EXPECT_NE(first->GetFontData(), larger.GetFontData());
    EXPECT_EQ(TextService::MakeFontKey(FONT, 24, 1), "DejaVuSans.ttf-24-1");

    const std::weak_ptr<InternalTextAndFontData> watched = first->GetFontData();
    first.reset();
    EXPECT_FALSE(watched.expired());
    same = Text();
    EXPECT_TRUE(watched.expired());
    const Text again(&myService, FONT, 24, 0);
    ASSERT_NE(again.GetFontData(), nullptr);
    EXPECT_NE(again.GetFontData()->myTexture, nullptr);
    EXPECT_EQ(again.GetFontData()->myTexture->GetWidth(), 1024u);

    // The atlas on the GPU: linear RGBA8 with a full mip chain, level 0 exactly the atlas the
    // glyphs were packed into; the CPU copy goes once it is uploaded.
    const InternalTextAndFontData& font = *again.GetFontData();
    const ShaderResourceView& view = font.myTexture->GetShaderResourceView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetInternalFormat(), static_cast<u32>(GL_RGBA8));
    EXPECT_EQ(QelTest::GetTextureMaxLevel(view), 10u);
    EXPECT_TRUE(font.myAtlasPixels.empty());
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    InternalTextAndFontData built;
    std::string error;
    const bool builds = BuildFontAtlas(library, ResolveAssetPath(FONT), 24, 0, built, error);
    FT_Done_FreeType(library);
    ASSERT_TRUE(builds) << error;
    const std::vector<u8> uploaded = QelTest::ReadTextureRGBA8(view, 0);
    ASSERT_EQ(uploaded.size(), built.myAtlasPixels.size() * 4);
    EXPECT_EQ(std::memcmp(uploaded.data(), built.myAtlasPixels.data(), uploaded.size()), 0);
    EXPECT_TRUE(myService.LoadFont(FONT, FONT_SIZE_NONE, 0) == nullptr);
}

TEST_F(TextDrawTest, MissingAndBrokenFontsDrawNothingAndSaySoOnce)
{
    myGameFolder.Write("Fonts/broken.ttf", "not a font, only some text that is long enough to be read");
    myGameFolder.Write("Fonts/empty.otf", "");
    struct Case
    {
        const char* myPath;
        const char* myNamed;
    };
    for (const Case c : {Case{"Fonts/missing.ttf", "Fonts/missing.ttf"}, Case{"Fonts/broken.ttf", "broken.ttf"},
                         Case{"Fonts/empty.otf", "empty.otf"}})
    {
        ::testing::internal::CaptureStdout();
        Text text(&myService, c.myPath, 24, 0);
        const Text sameFileOtherSize(&myService, c.myPath, 30, 2);
        const std::string output = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(text.GetFontData(), nullptr) << c.myPath;
        EXPECT_EQ(sameFileOtherSize.GetFontData(), nullptr) << c.myPath;
        // One message, naming the file.
        size_t lines = std::count(output.begin(), output.end(), '\n');
        EXPECT_EQ(lines, 1u) << output;
        EXPECT_NE(output.find(c.myNamed), std::string::npos) << output;

        text.SetText("Nothing to see");
        BeginFrame(0.0f);
        EXPECT_FALSE(myService.BuildTextQuads(text, nullptr));
        text.Render();
        EXPECT_EQ(FindInk(0).myCount, 0);
        EXPECT_EQ(text.GetWidth(), 0.0f);
        EXPECT_EQ(text.GetHeight(), 0.0f);
        EXPECT_EQ(myGraphics->GetGraphicsStateStack()->GetStackSize(), 1u);
    }
}
