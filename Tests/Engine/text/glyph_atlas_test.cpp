// Glyph bitmaps, atlas packing and whole-font atlases, all on the CPU.
#include "TestSupport.h"
#include "text/GlyphAtlas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

using namespace Qel;

namespace
{
const char* const DEJAVU = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct PixelCase
{
    const char* myName;
    FT_Pixel_Mode myMode;
    u32 myWidth;
    u32 myRows;
    int myPitch;
    u16 myGrays;
    std::vector<u8> myMemory;
    bool myReadable;
    std::vector<u8> myExpected;
};

FT_Bitmap MakeBitmap(const PixelCase& aCase, std::vector<u8>& aStorage)
{
    aStorage = aCase.myMemory;
    FT_Bitmap bitmap{};
    bitmap.width = aCase.myWidth;
    bitmap.rows = aCase.myRows;
    bitmap.pitch = aCase.myPitch;
    bitmap.num_grays = aCase.myGrays;
    bitmap.pixel_mode = static_cast<unsigned char>(aCase.myMode);
    bitmap.buffer = aStorage.empty() ? nullptr : aStorage.data();
    return bitmap;
}

u32 Pixel(const std::vector<u32>& aPixels, u32 aSize, u32 aX, u32 aY) { return aPixels[aY * aSize + aX]; }
u32 Rgba(u32 aR, u32 aG, u32 aB, u32 aA) { return aR | (aG << 8) | (aB << 16) | (aA << 24); }

GlyphBitmap MakeGlyph(u32 aWidth, u32 aRows, i32 aLeft, i32 aTop, std::vector<u8> aCoverage)
{
    GlyphBitmap glyph;
    glyph.myWidth = aWidth;
    glyph.myRows = aRows;
    glyph.myLeft = aLeft;
    glyph.myTop = aTop;
    glyph.myCoverage = std::move(aCoverage);
    return glyph;
}

GlyphBitmap Solid(u32 aWidth, u32 aRows, i32 aLeft = 0, i32 aTop = 0, u8 aValue = 200)
{
    return MakeGlyph(aWidth, aRows, aLeft, aTop, std::vector<u8>(static_cast<size_t>(aWidth) * aRows, aValue));
}

struct FreeTypeLibrary
{
    FT_Library myLibrary = nullptr;
    FreeTypeLibrary() { EXPECT_EQ(FT_Init_FreeType(&myLibrary), 0); }
    ~FreeTypeLibrary() { FT_Done_FreeType(myLibrary); }
};

struct Cell
{
    u32 myCharacter, myLeft, myTop, myRight, myBottom;
};

// Every glyph's cell in atlas pixels, for glyphs that have one.
std::vector<Cell> CellsOf(const InternalTextAndFontData& aData)
{
    std::vector<Cell> cells;
    for (u32 c = 0; c < FONT_GLYPH_TABLE_SIZE; ++c)
    {
        const FontGlyph& g = aData.myGlyphs[c];
        if (g.myWidth == 0 || g.myHeight == 0)
            continue;
        cells.push_back({c, static_cast<u32>(g.myUMin * 1024.0f + 0.5f), static_cast<u32>(g.myVMin * 1024.0f + 0.5f),
                         static_cast<u32>(g.myUMax * 1024.0f + 0.5f), static_cast<u32>(g.myVMax * 1024.0f + 0.5f)});
    }
    return cells;
}

void ExpectCellsSeparate(const std::vector<Cell>& aCells)
{
    for (size_t i = 0; i < aCells.size(); ++i)
    {
        const Cell& a = aCells[i];
        EXPECT_LE(a.myRight, 1024u) << a.myCharacter;
        EXPECT_LE(a.myBottom, 1024u) << a.myCharacter;
        for (size_t j = i + 1; j < aCells.size(); ++j)
        {
            const Cell& b = aCells[j];
            const bool apart = a.myRight <= b.myLeft || b.myRight <= a.myLeft || a.myBottom <= b.myTop ||
                               b.myBottom <= a.myTop;
            EXPECT_TRUE(apart) << "cells of " << a.myCharacter << " and " << b.myCharacter << " overlap";
        }
    }
}
}

TEST(GlyphBitmap, ReadsEveryPixelModeWithItsPitchAndRowOrder)
{
    const std::vector<PixelCase> cases = {
        {"gray, padded pitch", FT_PIXEL_MODE_GRAY, 3, 2, 4, 256, {1, 2, 3, 99, 4, 5, 6, 99}, true, {1, 2, 3, 4, 5, 6}},
        // Rows run upward in memory: the buffer starts with the bottom row.
        {"gray, negative pitch", FT_PIXEL_MODE_GRAY, 2, 2, -2, 256, {7, 8, 1, 2}, true, {1, 2, 7, 8}},
        {"gray with 16 levels", FT_PIXEL_MODE_GRAY, 2, 1, 2, 16, {15, 5}, true, {255, 85}},
        {"mono, 10 wide in 2-byte rows padded to 4",
         FT_PIXEL_MODE_MONO,
         10,
         2,
         4,
         2,
         {0b10100000, 0b01000000, 0xFF, 0xFF, 0b00000001, 0b10000000, 0, 0},
         true,
         {255, 0, 255, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 255, 255, 0}},
        {"2-bit gray", FT_PIXEL_MODE_GRAY2, 4, 1, 1, 4, {0b00011011}, true, {0, 85, 170, 255}},
        {"4-bit gray", FT_PIXEL_MODE_GRAY4, 3, 1, 2, 16, {0xF0, 0x80}, true, {255, 0, 136}},
        {"BGRA takes alpha", FT_PIXEL_MODE_BGRA, 2, 1, 8, 256, {9, 9, 9, 40, 1, 1, 1, 250}, true, {40, 250}},
        {"LCD has no single coverage", FT_PIXEL_MODE_LCD, 1, 1, 3, 256, {1, 2, 3}, false, {}},
        {"pitch shorter than a row", FT_PIXEL_MODE_GRAY, 4, 2, 3, 256, {1, 2, 3, 4, 5, 6}, false, {}},
        {"size without pixels", FT_PIXEL_MODE_GRAY, 2, 2, 2, 256, {}, false, {}},
        {"empty", FT_PIXEL_MODE_GRAY, 0, 0, 0, 256, {}, true, {}},
    };
    for (const PixelCase& c : cases)
    {
        std::vector<u8> storage;
        const FT_Bitmap bitmap = MakeBitmap(c, storage);
        GlyphBitmap out;
        out.myCoverage = {42};
        EXPECT_EQ(ReadGlyphBitmap(bitmap, out), c.myReadable) << c.myName;
        EXPECT_EQ(out.myCoverage, c.myExpected) << c.myName;
        if (c.myReadable)
        {
            EXPECT_EQ(out.myWidth * out.myRows, c.myExpected.size()) << c.myName;
        }
    }
}

TEST(GlyphAtlasPacker, WritesWhiteCoverageAndShiftsBlankEdgesAway)
{
    struct Case
    {
        const char* myName;
        GlyphBitmap myGlyph;
        // Where the bitmap's pixel (0, 0) lands.
        i32 myOriginX, myOriginY;
    };
    // Column 0 or row 0 blank, or neither; the ink pixel at (1, 1) has coverage 200.
    const std::vector<Case> cases = {
        {"no blank edge", MakeGlyph(2, 2, 0, 0, {10, 0, 0, 200}), 2, 2},
        {"blank left column", MakeGlyph(2, 2, 0, 0, {0, 10, 0, 200}), 1, 2},
        {"blank top row", MakeGlyph(2, 2, 0, 0, {0, 0, 10, 200}), 2, 1},
        {"both blank", MakeGlyph(2, 2, 0, 0, {0, 0, 0, 200}), 1, 1},
    };
    for (const Case& c : cases)
    {
        std::vector<u32> pixels(64 * 64, 0u);
        GlyphAtlasPacker packer(pixels, 64);
        FontGlyph entry;
        ASSERT_TRUE(packer.Place(c.myGlyph, nullptr, entry)) << c.myName;
        EXPECT_EQ(Pixel(pixels, 64, c.myOriginX + 1, c.myOriginY + 1), Rgba(200, 200, 200, 200)) << c.myName;
        // The cell itself starts at the pen.
        EXPECT_FLOAT_EQ(entry.myUMin, 2.0f / 64.0f) << c.myName;
        EXPECT_FLOAT_EQ(entry.myVMin, 2.0f / 64.0f) << c.myName;
        EXPECT_FLOAT_EQ(entry.myUMax, 4.0f / 64.0f) << c.myName;
        EXPECT_EQ(entry.myWidth, 2) << c.myName;
        EXPECT_EQ(entry.myHeight, 2) << c.myName;
    }
}

TEST(GlyphAtlasPacker, AdvancesByWidthPlusGapAndWrapsBelowTheTallestOfTheRow)
{
    std::vector<u32> pixels(64 * 64, 0u);
    GlyphAtlasPacker packer(pixels, 64);
    FontGlyph entry;
    ASSERT_TRUE(packer.Place(Solid(20, 5, 1, 5), nullptr, entry));
    EXPECT_EQ(packer.GetPenX(), 2u + 20u + 8u);
    ASSERT_TRUE(packer.Place(Solid(20, 9, 0, 9), nullptr, entry));
    EXPECT_EQ(packer.GetRowBottom(), 2u + 9u + 7u);
    // 52 + 20 > 64: the next cell starts a new row.
    ASSERT_TRUE(packer.Place(Solid(20, 3, -1, 2), nullptr, entry));
    EXPECT_FLOAT_EQ(entry.myUMin, 2.0f / 64.0f);
    EXPECT_FLOAT_EQ(entry.myVMin, 18.0f / 64.0f);
    EXPECT_EQ(entry.myLeftBearing, -1);
    EXPECT_EQ(entry.myTopBearing, 2);
    // A blank glyph (a space) takes a cell of no size and only moves the pen by the gap.
    const u32 before = packer.GetPenX();
    ASSERT_TRUE(packer.Place(GlyphBitmap{}, nullptr, entry));
    EXPECT_EQ(entry.myWidth, 0);
    EXPECT_EQ(packer.GetPenX(), before + 8u);
}

TEST(GlyphAtlasPacker, AFullAtlasRefusesWithoutWritingOrMovingThePen)
{
    constexpr u32 SIZE = 32;
    constexpr u32 SENTINEL = 0xDEADBEEFu;
    // Room past the atlas to catch any write beyond it.
    std::vector<u32> pixels(SIZE * SIZE + 4 * SIZE, SENTINEL);
    std::fill(pixels.begin(), pixels.begin() + SIZE * SIZE, 0u);
    GlyphAtlasPacker packer(pixels, SIZE);
    const GlyphBitmap outline = Solid(14, 14, -1, 13, 90);
    int placed = 0;
    int refused = 0;
    for (int i = 0; i < 20; ++i)
    {
        FontGlyph entry;
        entry.myCharacter = 77;
        const u32 x = packer.GetPenX(), y = packer.GetPenY(), bottom = packer.GetRowBottom();
        if (packer.Place(Solid(12, 12, 0, 12), &outline, entry))
        {
            ++placed;
            continue;
        }
        ++refused;
        EXPECT_EQ(entry.myWidth, 0);
        EXPECT_EQ(entry.myCharacter, 77);
        // A refusal may start a new row but never moves along it.
        EXPECT_TRUE((packer.GetPenX() == x && packer.GetPenY() == y) || packer.GetPenY() == bottom);
    }
    EXPECT_EQ(placed, 1);
    EXPECT_EQ(refused, 19);
    EXPECT_TRUE(std::all_of(pixels.begin() + SIZE * SIZE, pixels.end(), [](u32 p) { return p == SENTINEL; }));

    // A glyph larger than the whole atlas is refused too.
    std::vector<u32> small(SIZE * SIZE, 0u);
    GlyphAtlasPacker fresh(small, SIZE);
    FontGlyph entry;
    EXPECT_FALSE(fresh.Place(Solid(40, 4), nullptr, entry));
    EXPECT_TRUE(std::all_of(small.begin(), small.end(), [](u32 p) { return p == 0; }));
}

TEST(GlyphAtlasPacker, DrawsTheGlyphOverItsBlackOutlineAlignedByBearings)
{
    std::vector<u32> pixels(64 * 64, 0u);
    GlyphAtlasPacker packer(pixels, 64);
    // A 2 x 2 glyph with its bearings, and an outline reaching 1 pixel out left, right and up but
    // 2 pixels down (strokes round unevenly).
    const GlyphBitmap glyph = MakeGlyph(2, 2, 3, 5, {0x40, 0xFF, 0xFF, 0xFF});
    const GlyphBitmap outline = Solid(4, 5, 2, 6, 0x90);
    FontGlyph entry;
    ASSERT_TRUE(packer.Place(glyph, &outline, entry));
    EXPECT_EQ(entry.myWidth, 4);
    EXPECT_EQ(entry.myHeight, 5);
    EXPECT_EQ(entry.myLeftBearing, 2);
    EXPECT_EQ(entry.myTopBearing, 6);
    // Cell at the pen (2, 2): outline only in its first row and column.
    EXPECT_EQ(Pixel(pixels, 64, 2, 2), Rgba(0, 0, 0, 0x90));
    EXPECT_EQ(Pixel(pixels, 64, 2, 6), Rgba(0, 0, 0, 0x90));
    // The glyph one pixel in: white, its alpha OR the outline's.
    EXPECT_EQ(Pixel(pixels, 64, 3, 3), Rgba(0x40, 0x40, 0x40, 0x40 | 0x90));
    EXPECT_EQ(Pixel(pixels, 64, 4, 4), Rgba(0xFF, 0xFF, 0xFF, 0xFF));
    // Below the glyph the outline's extra rows stay inside the cell.
    EXPECT_EQ(Pixel(pixels, 64, 3, 6), Rgba(0, 0, 0, 0x90));
    EXPECT_EQ(Pixel(pixels, 64, 2, 7), 0u);
    EXPECT_EQ(packer.GetRowBottom(), 2u + 5u + 7u);
    EXPECT_EQ(packer.GetPenX(), 2u + 4u + 8u);
}

class FontAtlasTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(DEJAVU))
            GTEST_SKIP() << DEJAVU << " missing (package fonts-dejavu-core)";
    }
    FreeTypeLibrary myFreeType;
};

TEST_F(FontAtlasTest, PacksEveryCharacterTheFaceHasIntoSeparateCells)
{
    InternalTextAndFontData data;
    std::string error;
    ASSERT_TRUE(BuildFontAtlas(myFreeType.myLibrary, DEJAVU, 24, 0, data, error)) << error;
    EXPECT_EQ(data.myAtlasWidth, 1024u);
    EXPECT_EQ(data.myAtlasPixels.size(), 1024u * 1024u);
    EXPECT_EQ(data.myFontSize, 24u);
    // 'x' is 1216 / 64 pixels wide at 24 points and 100 dpi; a quarter of its 26.6 width.
    EXPECT_EQ(data.mySpaceExtra, 1216 / 256);
    EXPECT_GT(data.myLineHeight, 24.0f);

    for (u32 c = 33; c < 127; ++c)
    {
        EXPECT_EQ(data.myGlyphs[c].myCharacter, c);
        EXPECT_GT(data.myGlyphs[c].myWidth, 0) << c;
        EXPECT_GT(data.myGlyphs[c].myAdvanceX, 0) << c;
    }
    EXPECT_EQ(data.myGlyphs[' '].myCharacter, ' ');
    EXPECT_EQ(data.myGlyphs[' '].myWidth, 0);
    EXPECT_GT(data.myGlyphs[' '].myAdvanceX, 0);
    EXPECT_EQ(data.myGlyphs[0xE9].myCharacter, 0xE9);
    // Nothing below 32 or above 255 gets a glyph.
    for (u32 c : {0u, 10u, 31u, 256u, 1023u})
    {
        EXPECT_EQ(data.myGlyphs[c].myCharacter, 0) << c;
        EXPECT_EQ(data.myGlyphs[c].myAdvanceX, 0) << c;
    }
    const std::vector<Cell> cells = CellsOf(data);
    EXPECT_GT(cells.size(), 180u);
    ExpectCellsSeparate(cells);
}

TEST_F(FontAtlasTest, CharactersTheFaceLacksGetItsMissingGlyphBoxAndAdvance)
{
    InternalTextAndFontData data;
    std::string error;
    ASSERT_TRUE(BuildFontAtlas(myFreeType.myLibrary, DEJAVU, 24, 0, data, error)) << error;
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(myFreeType.myLibrary, DEJAVU, 0, &face), 0);
    ASSERT_EQ(FT_Set_Char_Size(face, 24 * 64, 0, 100, 100), 0);
    // What FreeType gives for glyph 0, the face's box for "no such character".
    ASSERT_EQ(FT_Load_Glyph(face, 0, FT_LOAD_RENDER), 0);
    const i16 boxAdvance = static_cast<i16>(face->glyph->advance.x >> 6);
    const i32 boxWidth = static_cast<i32>(face->glyph->bitmap.width);
    ASSERT_GT(boxAdvance, 0);
    ASSERT_GT(boxWidth, 0);
    // DejaVu has no glyphs for the C1 controls.
    for (u32 c : {0x80u, 0x9Fu})
    {
        SCOPED_TRACE(c);
        ASSERT_EQ(FT_Get_Char_Index(face, c), 0u);
        const FontGlyph& glyph = data.myGlyphs[c];
        EXPECT_EQ(glyph.myCharacter, c);
        EXPECT_EQ(glyph.myAdvanceX, boxAdvance);
        EXPECT_EQ(glyph.myWidth, boxWidth);
        EXPECT_GT(glyph.myHeight, 0);
        EXPECT_GT(glyph.myUMax, glyph.myUMin);
    }
    FT_Done_Face(face);
}

TEST_F(FontAtlasTest, AGlyphsCellHoldsFreeTypesOwnRendering)
{
    InternalTextAndFontData data;
    std::string error;
    ASSERT_TRUE(BuildFontAtlas(myFreeType.myLibrary, DEJAVU, 24, 0, data, error)) << error;

    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(myFreeType.myLibrary, DEJAVU, 0, &face), 0);
    ASSERT_EQ(FT_Set_Char_Size(face, 24 * 64, 0, 100, 100), 0);
    // 'Q' has ink in its first column and row; 'a' starts with a blank column at this size.
    for (const char c : {'Q', 'a'})
    {
        ASSERT_EQ(FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_RENDER), 0);
        GlyphBitmap reference;
        ASSERT_TRUE(ReadGlyphBitmap(face->glyph->bitmap, reference));
        bool leftBlank = true;
        for (u32 row = 0; row < reference.myRows; ++row)
            leftBlank = leftBlank && reference.At(0, row) == 0;
        bool topBlank = true;
        for (u32 column = 0; column < reference.myWidth; ++column)
            topBlank = topBlank && reference.At(column, 0) == 0;
        EXPECT_EQ(leftBlank, c == 'a');

        const FontGlyph& g = data.myGlyphs[static_cast<u8>(c)];
        EXPECT_EQ(g.myWidth, static_cast<i16>(reference.myWidth));
        EXPECT_EQ(g.myHeight, static_cast<i16>(reference.myRows));
        EXPECT_EQ(g.myLeftBearing, face->glyph->bitmap_left);
        EXPECT_EQ(g.myTopBearing, face->glyph->bitmap_top);
        EXPECT_EQ(g.myAdvanceX, face->glyph->advance.x >> 6);
        const u32 x0 = static_cast<u32>(g.myUMin * 1024.0f + 0.5f) - (leftBlank ? 1 : 0);
        const u32 y0 = static_cast<u32>(g.myVMin * 1024.0f + 0.5f) - (topBlank ? 1 : 0);
        for (u32 row = 0; row < reference.myRows; ++row)
            for (u32 column = 0; column < reference.myWidth; ++column)
            {
                const u32 v = reference.At(column, row);
                ASSERT_EQ(Pixel(data.myAtlasPixels, 1024, x0 + column, y0 + row), Rgba(v, v, v, v))
                    << c << " at " << column << ", " << row;
            }
    }
    FT_Done_Face(face);
}

TEST_F(FontAtlasTest, OutlinedGlyphsSitInsideTheirBlackBorder)
{
    InternalTextAndFontData plain, outlined;
    std::string error;
    ASSERT_TRUE(BuildFontAtlas(myFreeType.myLibrary, DEJAVU, 24, 0, plain, error)) << error;
    ASSERT_TRUE(BuildFontAtlas(myFreeType.myLibrary, DEJAVU, 24, 2, outlined, error)) << error;
    ExpectCellsSeparate(CellsOf(outlined));

    for (u32 c : {u32('A'), u32('O'), u32('<'), u32('/'), u32('g'), 0xE9u})
    {
        const FontGlyph& p = plain.myGlyphs[c];
        const FontGlyph& o = outlined.myGlyphs[c];
        SCOPED_TRACE(c);
        // The border grows the cell by about the width on every side; the glyph keeps its place.
        EXPECT_GE(o.myWidth, p.myWidth + 2 * 2);
        EXPECT_LE(o.myWidth, p.myWidth + 2 * 2 + 3);
        EXPECT_GE(o.myHeight, p.myHeight + 2 * 2);
        EXPECT_LE(o.myLeftBearing, p.myLeftBearing - 2);
        EXPECT_GE(o.myTopBearing, p.myTopBearing + 2);
        EXPECT_EQ(o.myAdvanceX, p.myAdvanceX);

        // Inside the cell: white ink only where black border surrounds it, with no white in the
        // outermost ring of the cell.
        const u32 x0 = static_cast<u32>(o.myUMin * 1024.0f + 0.5f), y0 = static_cast<u32>(o.myVMin * 1024.0f + 0.5f);
        u32 black = 0, white = 0;
        for (i32 y = 0; y < o.myHeight; ++y)
            for (i32 x = 0; x < o.myWidth; ++x)
            {
                const u32 pixel = Pixel(outlined.myAtlasPixels, 1024, x0 + x, y0 + y);
                const u32 red = pixel & 0xFF, alpha = pixel >> 24;
                if (red == 0 && alpha > 128)
                    ++black;
                if (red > 128)
                {
                    ++white;
                    EXPECT_TRUE(x > 0 && y > 0 && x < o.myWidth - 1 && y < o.myHeight - 1) << x << ", " << y;
                    EXPECT_GE(alpha, red);
                }
            }
        EXPECT_GT(black, 0u);
        EXPECT_GT(white, 0u);
    }
}

TEST_F(FontAtlasTest, ALargeSizeFillsTheAtlasAndLeavesTheRestWithoutGlyphs)
{
    for (const u8 outline : {u8(0), u8(3)})
    {
        InternalTextAndFontData data;
        std::string error;
        ASSERT_TRUE(BuildFontAtlas(myFreeType.myLibrary, DEJAVU, 90, outline, data, error)) << error;
        const std::vector<Cell> cells = CellsOf(data);
        ExpectCellsSeparate(cells);
        // Some early characters fit, the late ones do not; the refused keep zero entries.
        EXPECT_GT(data.myGlyphs['A'].myWidth, 0);
        EXPECT_EQ(data.myGlyphs[0xFF].myWidth, 0);
        EXPECT_EQ(data.myGlyphs[0xFF].myCharacter, 0);
        EXPECT_EQ(data.myGlyphs[0xFF].myUMax, 0.0f);
        EXPECT_LT(cells.size(), 150u);
    }
}

TEST_F(FontAtlasTest, MissingOrBrokenFontFilesFailWithACause)
{
    QelTest::TempFolder folder;
    std::string truncated;
    {
        std::ifstream file(DEJAVU, std::ios::binary);
        truncated.resize(600);
        file.read(truncated.data(), static_cast<std::streamsize>(truncated.size()));
    }
    const std::vector<std::pair<const char*, std::string>> files = {
        {"empty.ttf", ""},
        {"text.ttf", "this is not a font at all, just some words"},
        {"truncated.ttf", truncated},
    };
    for (const auto& [name, contents] : files)
    {
        const std::string path = folder.Write(name, contents).string();
        InternalTextAndFontData data;
        std::string error;
        EXPECT_FALSE(BuildFontAtlas(myFreeType.myLibrary, path, 24, 1, data, error)) << name;
        EXPECT_NE(error.find("cannot"), std::string::npos) << name << ": " << error;
    }
    InternalTextAndFontData data;
    std::string error;
    EXPECT_FALSE(BuildFontAtlas(myFreeType.myLibrary, (folder.Path() / "none.ttf").string(), 24, 0, data, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
    EXPECT_FALSE(BuildFontAtlas(nullptr, DEJAVU, 24, 0, data, error));
    // Sizes whose em outgrows the atlas are refused up front.
    for (const u32 size : {800u, 0xFFFFFFFEu})
    {
        EXPECT_FALSE(BuildFontAtlas(myFreeType.myLibrary, DEJAVU, size, 0, data, error)) << size;
        EXPECT_NE(error.find("too large"), std::string::npos) << error;
    }
    // Size 0 is FreeType's smallest size, not an error.
    EXPECT_TRUE(BuildFontAtlas(myFreeType.myLibrary, DEJAVU, 0, 0, data, error)) << error;
}
