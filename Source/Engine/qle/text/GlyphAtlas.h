#pragma once
// The CPU half of a font: FreeType glyphs turned into 8-bit coverage and packed into the RGBA atlas.
// No GL here, so all of it runs (and is tested) without a context.
#include "core/Types.h"
#include "text/FontData.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

namespace Qel
{
// A glyph's coverage, one byte per pixel, rows top first and tightly packed.
struct GlyphBitmap
{
    u32 myWidth = 0;
    u32 myRows = 0;
    // FreeType's bitmap left and top: pen to the left edge, baseline up to the top edge.
    i32 myLeft = 0;
    i32 myTop = 0;
    std::vector<u8> myCoverage;

    u8 At(u32 aColumn, u32 aRow) const { return myCoverage[static_cast<size_t>(aRow) * myWidth + aColumn]; }
};

// Reads a FreeType bitmap of any pixel mode FreeType renders outlines or embedded strikes in
// (gray with any level count, mono, 2- and 4-bit gray, BGRA by its alpha), honouring its pitch
// and row order. False for modes that carry no single coverage (LCD); aOut is then empty.
bool ReadGlyphBitmap(const FT_Bitmap& aBitmap, GlyphBitmap& aOut);

// Places glyph cells left to right in rows on a square RGBA atlas. Nothing is ever written outside
// the atlas: a cell that does not fit is refused before any pixel is touched.
class GlyphAtlasPacker
{
public:
    static constexpr u32 PEN_START = 2;
    static constexpr u32 COLUMN_GAP = 8;
    static constexpr u32 ROW_GAP = 7;

    // aPixels must hold aSize * aSize pixels.
    GlyphAtlasPacker(std::vector<u32>& aPixels, u32 aSize);

    // Writes the glyph, over its black outline when there is one, and fills the entry's cell,
    // size and bearings. False when the atlas has no room: the entry, the pixels and the pen stay.
    bool Place(const GlyphBitmap& aGlyph, const GlyphBitmap* aOutline, FontGlyph& aEntry);

    u32 GetPenX() const { return myX; }
    u32 GetPenY() const { return myY; }
    u32 GetRowBottom() const { return myRowBottom; }

private:
    void WriteGlyph(const GlyphBitmap& aBitmap, i64 aX, i64 aY);
    void WriteOutline(const GlyphBitmap& aBitmap, i64 aX, i64 aY);
    // Calls aBlend(pixel, coverage) for every pixel of the bitmap at (aX, aY) that lies in the atlas.
    template <typename Blend>
    void WriteClipped(const GlyphBitmap& aBitmap, i64 aX, i64 aY, Blend&& aBlend);

    std::vector<u32>& myPixels;
    u32 mySize;
    u32 myX = PEN_START;
    u32 myY = PEN_START;
    u32 myRowBottom = 0;
};

// Opens the font file, sizes it (aSize in points at 100 dpi), and fills the glyph table, line
// height, space extra, font size and atlas of aData for Latin-1 codes 32..255. Characters the
// face lacks, cannot load, or that no longer fit get no glyph. False, with the cause in aError,
// when the file cannot be opened or sized.
bool BuildFontAtlas(FT_Library aLibrary, const std::string& aFilePath, u32 aSize, u8 aOutlineWidth,
                    InternalTextAndFontData& aData, std::string& aError);
}
