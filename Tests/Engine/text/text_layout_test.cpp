// Where characters land and how big a text measures, on a hand-made glyph table and on a real font.
#include "drawers/SpriteDrawer.h"
#include "graphics/GraphicsStateStack.h"
#include "text/GlyphAtlas.h"
#include "text/Text.h"
#include "text/TextLayout.h"
#include "text/TextService.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

using namespace Qel;

namespace
{
void SetGlyph(InternalTextAndFontData& aFont, u8 aCode, i16 aWidth, i16 aHeight, i16 aLeft, i16 aTop, i16 aAdvance)
{
    FontGlyph& g = aFont.myGlyphs[aCode];
    g.myWidth = aWidth;
    g.myHeight = aHeight;
    g.myLeftBearing = aLeft;
    g.myTopBearing = aTop;
    g.myAdvanceX = aAdvance;
    g.myCharacter = aCode;
}

// 'A' 10 x 12 sitting on the baseline, 'B' 9 x 10, 'g' 8 x 12 reaching 4 below, a space, and
// Latin-1 0xE9 as a 7 x 7 glyph.
InternalTextAndFontData MakeFont()
{
    InternalTextAndFontData font;
    SetGlyph(font, 'A', 10, 12, 1, 12, 11);
    SetGlyph(font, 'B', 9, 10, 2, 10, 10);
    SetGlyph(font, 'g', 8, 12, 1, 8, 9);
    SetGlyph(font, ' ', 0, 0, 0, 0, 5);
    SetGlyph(font, 0xE9, 7, 7, 1, 7, 8);
    font.mySpaceExtra = 3;
    return font;
}

// Keeps the instances a batch would send, with no device behind it.
class RecordingSpriteDrawer : public SpriteDrawer
{
public:
    RecordingSpriteDrawer() { InitWithoutDevice(); }
    std::vector<SpriteInstance> myInstances;
    int myDraws = 0;

protected:
    bool BindBatch(const SpriteSharedData& aSharedData) override
    {
        myColorTexture = aSharedData.myColorTexture;
        if (myStack)
            mySamplerAtBatch = myStack->GetTop().mySamplerFilter;
        return true;
    }
    void SubmitInstances(const SpriteInstance* aInstances, u64 aCount) override
    {
        ++myDraws;
        myInstances.insert(myInstances.end(), aInstances, aInstances + aCount);
    }

public:
    Texture* myColorTexture = nullptr;
    const GraphicsStateStack* myStack = nullptr;
    u32 mySamplerAtBatch = 99;
};

std::vector<TextQuad> Quads(const InternalTextAndFontData& aFont, std::string_view aText, float aScale)
{
    std::vector<TextQuad> quads;
    ForEachTextQuad(aFont, aText, aScale, [&](const TextQuad& aQuad) { quads.push_back(aQuad); });
    return quads;
}
}

TEST(TextLayout, PlacesEachCharacterFromThePenWithItsBearings)
{
    const InternalTextAndFontData font = MakeFont();
    struct Case
    {
        const char* myText;
        float myScale;
        size_t myIndex;
        float myX, myY, myWidth, myHeight;
    };
    const std::vector<Case> cases = {
        {"A", 1.0f, 0, 1.0f, 12.0f, 10.0f, 12.0f},
        {"AB", 1.0f, 1, 13.0f, 10.0f, 9.0f, 10.0f},
        {"AB", 2.0f, 1, 26.0f, 20.0f, 18.0f, 20.0f},
        // A space advances by its own advance plus the space extra.
        {"A A", 1.0f, 2, 1.0f + 11 + 5 + 3, 12.0f, 10.0f, 12.0f},
        // A new line starts at pen x 0, lower by the tallest glyph so far plus 6.
        {"A\nB", 1.0f, 2, 2.0f, 10.0f - (12 + 6), 9.0f, 10.0f},
        {"A\nB", 0.5f, 2, 1.0f, (10.0f - 18) * 0.5f, 4.5f, 5.0f},
        {"B\nA\nB", 1.0f, 4, 2.0f, 10.0f - (10 + 6) - (12 + 6), 9.0f, 10.0f},
        // One byte per character: 0xE9 is its own glyph.
        {"\xE9" "A", 1.0f, 1, 1.0f + 8, 12.0f, 10.0f, 12.0f},
    };
    for (const Case& c : cases)
    {
        const std::vector<TextQuad> quads = Quads(font, c.myText, c.myScale);
        ASSERT_LT(c.myIndex, quads.size()) << c.myText;
        const TextQuad& q = quads[c.myIndex];
        EXPECT_FLOAT_EQ(q.myX, c.myX) << c.myText << " @" << c.myScale;
        EXPECT_FLOAT_EQ(q.myY, c.myY) << c.myText << " @" << c.myScale;
        EXPECT_FLOAT_EQ(q.myWidth, c.myWidth) << c.myText;
        EXPECT_FLOAT_EQ(q.myHeight, c.myHeight) << c.myText;
    }
}

TEST(TextLayout, ControlAndMissingCharactersGiveEmptyQuadsThatDoNotAdvance)
{
    const InternalTextAndFontData font = MakeFont();
    // \x01 has no glyph, nor does 'Z' in this font.
    const std::vector<TextQuad> quads = Quads(font, "A\x01Z" "B", 1.0f);
    ASSERT_EQ(quads.size(), 4u);
    EXPECT_EQ(quads[1].myWidth, 0.0f);
    EXPECT_EQ(quads[2].myHeight, 0.0f);
    EXPECT_FLOAT_EQ(quads[3].myX, 13.0f);
}

TEST(TextLayout, MeasuresWidthAndHeightForEveryScaleAndLineCount)
{
    const InternalTextAndFontData font = MakeFont();
    struct Case
    {
        const char* myText;
        float myScale;
        float myWidth;
        float myHeight;
    };
    const std::vector<Case> cases = {
        {"A", 1.0f, 11.0f, 12.0f},
        {"A", 2.0f, 22.0f, 24.0f},
        {"A", 0.75f, 8.25f, 9.0f},
        {"AB", 1.0f, 11.0f + 2 + 9, 12.0f},
        {"AB", 3.0f, (11.0f + 2 + 9) * 3, 36.0f},
        // 'g' reaches 4 below the baseline: top 12 down to -4.
        {"Ag", 1.0f, 11.0f + 1 + 8, 16.0f},
        // Widest line wins; height from the first line's top to the last line's bottom.
        {"A\nBB", 1.0f, 10.0f + 2 + 9, 12.0f + 18.0f},
        {"BB\nA", 2.0f, 21.0f * 2, (10.0f + 16.0f) * 2},
        {"A\nB\ng", 1.0f, 11.0f, 12.0f + 18 + 18 + 4},
    };
    for (const Case& c : cases)
    {
        EXPECT_FLOAT_EQ(MeasureTextWidth(&font, c.myText, c.myScale), c.myWidth) << c.myText << " @" << c.myScale;
        EXPECT_FLOAT_EQ(MeasureTextHeight(&font, c.myText, c.myScale), c.myHeight) << c.myText << " @" << c.myScale;
    }
    EXPECT_EQ(MeasureTextWidth(&font, "", 1.0f), 0.0f);
    EXPECT_EQ(MeasureTextHeight(&font, "", 1.0f), 0.0f);
    EXPECT_EQ(MeasureTextWidth(nullptr, "A", 1.0f), 0.0f);
    EXPECT_EQ(MeasureTextHeight(nullptr, "A", 1.0f), 0.0f);
    // Only blanks: nothing inked, a vanishing height.
    EXPECT_LT(MeasureTextHeight(&font, "  ", 1.0f), 1e-30f);

    const TextBounds bounds = MeasureTextBounds(font, "Ag", 1.0f);
    EXPECT_TRUE(bounds.myAny);
    EXPECT_FLOAT_EQ(bounds.myLeft, 1.0f);
    EXPECT_FLOAT_EQ(bounds.myRight, 20.0f);
    EXPECT_FLOAT_EQ(bounds.myTop, 12.0f);
    EXPECT_FLOAT_EQ(bounds.myBottom, -4.0f);
}

TEST(TextLayout, ATextWithoutAFontHasNoSize)
{
    // No engine, so no service: the text loads nothing and measures 0.
    Text text("Text/arial.ttf", 14, 0);
    text.SetText("Hello");
    EXPECT_EQ(text.GetFontData(), nullptr);
    EXPECT_EQ(text.GetWidth(), 0.0f);
    EXPECT_EQ(text.GetHeight(), 0.0f);
    text.Render();
    Text none;
    EXPECT_EQ(none.GetService(), nullptr);
    EXPECT_EQ(none.GetScale(), 1.0f);
    EXPECT_EQ(none.GetColor(), Color(1.0f, 1.0f, 1.0f, 1.0f));
}

TEST(TextLayout, RealFontMeasuresScaleLinearlyAndGrowWithLines)
{
    const char* const path = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << path << " missing";
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    InternalTextAndFontData font;
    std::string error;
    ASSERT_TRUE(BuildFontAtlas(library, path, 24, 0, font, error)) << error;
    FT_Done_FreeType(library);

    const float width = MeasureTextWidth(&font, "Jumping foxes", 1.0f);
    const float height = MeasureTextHeight(&font, "Jumping foxes", 1.0f);
    // Cap height to descender at 33 pixels per em.
    EXPECT_GT(height, 25.0f);
    EXPECT_LT(height, 40.0f);
    EXPECT_GT(width, 150.0f);
    for (const float scale : {0.5f, 0.75f, 2.0f})
    {
        EXPECT_NEAR(MeasureTextWidth(&font, "Jumping foxes", scale), width * scale, 1e-3f);
        EXPECT_NEAR(MeasureTextHeight(&font, "Jumping foxes", scale), height * scale, 1e-3f);
    }
    const float twoLines = MeasureTextHeight(&font, "Jumping\nfoxes", 1.0f);
    EXPECT_GT(twoLines, 1.6f * MeasureTextHeight(&font, "Jumping", 1.0f));
    EXPECT_LT(MeasureTextWidth(&font, "Jumping\nfoxes", 1.0f), width);
}

TEST(TextLayout, ACharacterTheFontLacksKeepsTheWordsApart)
{
    const char* const path = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << path << " missing";
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    InternalTextAndFontData font;
    std::string error;
    ASSERT_TRUE(BuildFontAtlas(library, path, 24, 0, font, error)) << error;
    FT_Done_FreeType(library);

    // 0x80 is not in DejaVu: it is the font's box, with the box's advance, between the words.
    const FontGlyph& box = font.myGlyphs[0x80];
    ASSERT_GT(box.myAdvanceX, 0);
    const float joined = MeasureTextWidth(&font, "ab", 1.0f);
    const float apart = MeasureTextWidth(&font, "a\x80" "b", 1.0f);
    EXPECT_NEAR(apart - joined, static_cast<float>(box.myAdvanceX), 0.5f);
    std::vector<float> starts;
    ForEachTextQuad(font, "a\x80" "b", 1.0f, [&](const TextQuad& aQuad) { starts.push_back(aQuad.myX); });
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_GT(starts[2], starts[1]);
    EXPECT_GT(starts[1], starts[0]);
}

TEST(TextLayout, BuildsOneSpritePerCharacterAtThePenTurnedAboutTheMiddle)
{
    auto font = std::make_shared<InternalTextAndFontData>(MakeFont());
    font->myTexture = std::make_unique<Texture>();
    font->myFontSize = 24;
    TextService service;
    RecordingSpriteDrawer drawer;
    GraphicsStateStack stack;
    drawer.myStack = &stack;
    service.SetRenderer(&drawer, &stack);
    Text text;
    text.SetFontData(font);
    text.SetText("AB");
    text.SetPosition({100.0f, 50.0f});
    text.SetColor({0.5f, 0.5f, 0.5f, 0.25f});

    struct Case
    {
        float myRotation;
        // Top-left corners of A and B on screen.
        float myAX, myAY, myBX, myBY;
    };
    // Inked box of "AB": x 1..22, y 0..12, so the middle is (11.5, 6). A quarter turn takes A's
    // corner (1, 12) to (11.5 - 6, 6 - 10.5) and B's (13, 10) to (11.5 - 4, 6 + 1.5).
    const std::vector<Case> cases = {
        {0.0f, 101.0f, 62.0f, 113.0f, 60.0f},
        {1.5707964f, 105.5f, 45.5f, 107.5f, 57.5f},
    };
    for (const Case& c : cases)
    {
        drawer.myInstances.clear();
        drawer.myDraws = 0;
        text.SetRotation(c.myRotation);
        ASSERT_TRUE(service.BuildTextQuads(text, nullptr));
        EXPECT_EQ(drawer.myDraws, 1);
        EXPECT_EQ(drawer.myColorTexture, font->myTexture.get());
        ASSERT_EQ(drawer.myInstances.size(), 2u);
        const SpriteInstance& a = drawer.myInstances[0];
        const SpriteInstance& b = drawer.myInstances[1];
        EXPECT_NEAR(a.myWorld[12], c.myAX, 1e-4f);
        EXPECT_NEAR(a.myWorld[13], c.myAY, 1e-4f);
        EXPECT_NEAR(b.myWorld[12], c.myBX, 1e-4f);
        EXPECT_NEAR(b.myWorld[13], c.myBY, 1e-4f);
        // Row 0 is the quad's width along its turned x axis.
        EXPECT_NEAR(a.myWorld[0], 10.0f * std::cos(c.myRotation), 1e-4f);
        EXPECT_NEAR(a.myWorld[1], 10.0f * std::sin(c.myRotation), 1e-4f);
        EXPECT_NEAR(a.myColor[3], 0.25f, 1e-6f);
        EXPECT_EQ(stack.GetStackSize(), 1u);
    }
    // Small fonts sample by point, 18 and up bilinear, in a state popped again after drawing.
    EXPECT_EQ(drawer.mySamplerAtBatch, SAMPLER_FILTER_BILINEAR);
    font->myFontSize = 17;
    ASSERT_TRUE(service.BuildTextQuads(text, nullptr));
    EXPECT_EQ(drawer.mySamplerAtBatch, SAMPLER_FILTER_POINT);
    EXPECT_EQ(stack.GetTop().mySamplerFilter, SAMPLER_FILTER_TRILINEAR);

    // No font, or a font without its texture: nothing is drawn.
    drawer.myDraws = 0;
    font->myTexture.reset();
    EXPECT_FALSE(service.BuildTextQuads(text, nullptr));
    text.SetFontData(nullptr);
    EXPECT_FALSE(service.BuildTextQuads(text, nullptr));
    EXPECT_EQ(drawer.myDraws, 0);
}
