#include "text/GlyphAtlas.h"

#include "core/Assert.h"

#include FT_GLYPH_H
#include FT_STROKER_H

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace Qel
{
namespace
{
i16 ClampToI16(i64 aValue)
{
    return static_cast<i16>(std::clamp<i64>(aValue, std::numeric_limits<i16>::min(), std::numeric_limits<i16>::max()));
}

std::string DescribeError(const char* aWhat, FT_Error aError)
{
    std::string text = aWhat;
    text += " (FreeType error ";
    text += std::to_string(aError);
    if (const char* name = FT_Error_String(aError))
    {
        text += ", ";
        text += name;
    }
    text += ")";
    return text;
}

// The shift that drops a blank leftmost column and a blank top row, as the atlas packs them.
void BlankEdgeOffsets(const GlyphBitmap& aBitmap, i64& aDx, i64& aDy)
{
    aDx = 0;
    aDy = 0;
    if (aBitmap.myWidth == 0 || aBitmap.myRows == 0)
        return;
    bool leftBlank = true;
    for (u32 row = 0; row < aBitmap.myRows && leftBlank; ++row)
        leftBlank = aBitmap.At(0, row) == 0;
    bool topBlank = true;
    for (u32 column = 0; column < aBitmap.myWidth && topBlank; ++column)
        topBlank = aBitmap.At(column, 0) == 0;
    aDx = leftBlank ? -1 : 0;
    aDy = topBlank ? -1 : 0;
}

struct Box
{
    i64 myLeft = 0;
    i64 myTop = 0;
    i64 myRight = 0;
    i64 myBottom = 0;
};

bool IsEmpty(const GlyphBitmap& aBitmap) { return aBitmap.myWidth == 0 || aBitmap.myRows == 0; }

// In bearing space: x to the right of the pen, y up from the baseline.
Box BoxOf(const GlyphBitmap& aBitmap)
{
    return {aBitmap.myLeft, aBitmap.myTop, aBitmap.myLeft + static_cast<i64>(aBitmap.myWidth),
            aBitmap.myTop - static_cast<i64>(aBitmap.myRows)};
}

// The glyph's outside border at the stroker's radius, rendered to coverage.
bool RenderOutline(FT_Face aFace, FT_UInt aGlyphIndex, FT_Stroker aStroker, GlyphBitmap& aOut)
{
    if (FT_Load_Glyph(aFace, aGlyphIndex, FT_LOAD_NO_BITMAP) != 0)
        return false;
    FT_Glyph glyph = nullptr;
    if (FT_Get_Glyph(aFace->glyph, &glyph) != 0)
        return false;
    bool done = false;
    // Only an outline can be stroked; a face that gives bitmaps here just has no outline.
    if (glyph->format == FT_GLYPH_FORMAT_OUTLINE && FT_Glyph_StrokeBorder(&glyph, aStroker, 0, 1) == 0 &&
        FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1) == 0)
    {
        const FT_BitmapGlyph bitmapGlyph = reinterpret_cast<FT_BitmapGlyph>(glyph);
        done = ReadGlyphBitmap(bitmapGlyph->bitmap, aOut);
        aOut.myLeft = bitmapGlyph->left;
        aOut.myTop = bitmapGlyph->top;
    }
    // On failure the glyph is still the one we own; on success it was replaced by the new one.
    FT_Done_Glyph(glyph);
    return done;
}

struct FaceCloser
{
    FT_Face myFace = nullptr;
    ~FaceCloser()
    {
        if (myFace)
            FT_Done_Face(myFace);
    }
};

struct StrokerCloser
{
    FT_Stroker myStroker = nullptr;
    ~StrokerCloser()
    {
        if (myStroker)
            FT_Stroker_Done(myStroker);
    }
};
}

bool ReadGlyphBitmap(const FT_Bitmap& aBitmap, GlyphBitmap& aOut)
{
    aOut.myWidth = 0;
    aOut.myRows = 0;
    aOut.myCoverage.clear();
    const u32 width = aBitmap.width;
    const u32 rows = aBitmap.rows;
    if (width == 0 || rows == 0)
        return true;
    if (!aBitmap.buffer)
        return false;

    size_t rowBytes = 0;
    switch (aBitmap.pixel_mode)
    {
    case FT_PIXEL_MODE_GRAY: rowBytes = width; break;
    case FT_PIXEL_MODE_MONO: rowBytes = (static_cast<size_t>(width) + 7) / 8; break;
    case FT_PIXEL_MODE_GRAY2: rowBytes = (static_cast<size_t>(width) + 3) / 4; break;
    case FT_PIXEL_MODE_GRAY4: rowBytes = (static_cast<size_t>(width) + 1) / 2; break;
    case FT_PIXEL_MODE_BGRA: rowBytes = static_cast<size_t>(width) * 4; break;
    default: return false;
    }
    const size_t pitch = static_cast<size_t>(std::abs(static_cast<i64>(aBitmap.pitch)));
    if (pitch < rowBytes)
        return false;

    aOut.myWidth = width;
    aOut.myRows = rows;
    aOut.myCoverage.resize(static_cast<size_t>(width) * rows);
    const u32 levels = aBitmap.num_grays > 1 ? aBitmap.num_grays : 256;
    for (u32 row = 0; row < rows; ++row)
    {
        // A negative pitch means the rows run upward in memory: the buffer starts at the bottom row.
        const size_t memoryRow = aBitmap.pitch < 0 ? rows - 1 - row : row;
        const u8* source = aBitmap.buffer + memoryRow * pitch;
        u8* target = aOut.myCoverage.data() + static_cast<size_t>(row) * width;
        for (u32 column = 0; column < width; ++column)
        {
            u32 value = 0;
            switch (aBitmap.pixel_mode)
            {
            case FT_PIXEL_MODE_GRAY:
                value = levels >= 256 ? source[column] : std::min<u32>(255, source[column] * 255u / (levels - 1));
                break;
            case FT_PIXEL_MODE_MONO: value = (source[column >> 3] & (0x80u >> (column & 7))) ? 255 : 0; break;
            case FT_PIXEL_MODE_GRAY2: value = ((source[column >> 2] >> (6 - 2 * (column & 3))) & 3u) * 85u; break;
            case FT_PIXEL_MODE_GRAY4: value = ((source[column >> 1] >> (4 - 4 * (column & 1))) & 15u) * 17u; break;
            case FT_PIXEL_MODE_BGRA: value = source[static_cast<size_t>(column) * 4 + 3]; break;
            default: break;
            }
            target[column] = static_cast<u8>(value);
        }
    }
    return true;
}

GlyphAtlasPacker::GlyphAtlasPacker(std::vector<u32>& aPixels, u32 aSize) : myPixels(aPixels), mySize(aSize)
{
    QEL_ASSERT(myPixels.size() >= static_cast<size_t>(mySize) * mySize);
}

bool GlyphAtlasPacker::Place(const GlyphBitmap& aGlyph, const GlyphBitmap* aOutline, FontGlyph& aEntry)
{
    const bool outlined = aOutline && !IsEmpty(*aOutline);

    // The cell holds whatever is inked: the glyph, its outline, or both, aligned by their bearings.
    Box cell{aGlyph.myLeft, aGlyph.myTop, aGlyph.myLeft, aGlyph.myTop};
    bool any = false;
    auto grow = [&](const GlyphBitmap& aBitmap) {
        if (IsEmpty(aBitmap))
            return;
        const Box box = BoxOf(aBitmap);
        if (!any)
            cell = box;
        else
            cell = {std::min(cell.myLeft, box.myLeft), std::max(cell.myTop, box.myTop),
                    std::max(cell.myRight, box.myRight), std::min(cell.myBottom, box.myBottom)};
        any = true;
    };
    grow(aGlyph);
    if (outlined)
        grow(*aOutline);
    const i64 cellWidth = cell.myRight - cell.myLeft;
    const i64 cellHeight = cell.myTop - cell.myBottom;
    if (cellWidth > static_cast<i64>(mySize) || cellHeight > static_cast<i64>(mySize))
        return false;

    if (myX + cellWidth > mySize)
    {
        myX = PEN_START;
        myY = myRowBottom;
    }
    if (myX + cellWidth > mySize || myY + cellHeight > mySize)
        return false;

    // The blank-edge shift of the outermost bitmap moves the whole cell, so glyph and outline
    // stay aligned.
    i64 dx = 0, dy = 0;
    BlankEdgeOffsets(outlined ? *aOutline : aGlyph, dx, dy);
    if (outlined)
        WriteOutline(*aOutline, myX + dx + (aOutline->myLeft - cell.myLeft), myY + dy + (cell.myTop - aOutline->myTop));
    if (!IsEmpty(aGlyph))
        WriteGlyph(aGlyph, myX + dx + (aGlyph.myLeft - cell.myLeft), myY + dy + (cell.myTop - aGlyph.myTop));

    const float size = static_cast<float>(mySize);
    aEntry.myUMin = static_cast<float>(myX) / size;
    aEntry.myVMin = static_cast<float>(myY) / size;
    aEntry.myUMax = static_cast<float>(myX + cellWidth) / size;
    aEntry.myVMax = static_cast<float>(myY + cellHeight) / size;
    aEntry.myWidth = static_cast<i16>(cellWidth);
    aEntry.myHeight = static_cast<i16>(cellHeight);
    aEntry.myLeftBearing = ClampToI16(cell.myLeft);
    aEntry.myTopBearing = ClampToI16(cell.myTop);

    if (cellHeight > 0)
        myRowBottom = std::max<u32>(myRowBottom, static_cast<u32>(myY + cellHeight + ROW_GAP));
    myX += static_cast<u32>(cellWidth) + COLUMN_GAP;
    return true;
}

template <typename Blend>
void GlyphAtlasPacker::WriteClipped(const GlyphBitmap& aBitmap, i64 aX, i64 aY, Blend&& aBlend)
{
    for (u32 row = 0; row < aBitmap.myRows; ++row)
    {
        const i64 y = aY + row;
        if (y < 0 || y >= mySize)
            continue;
        for (u32 column = 0; column < aBitmap.myWidth; ++column)
        {
            const i64 x = aX + column;
            if (x < 0 || x >= mySize)
                continue;
            aBlend(myPixels[static_cast<size_t>(y) * mySize + static_cast<size_t>(x)], aBitmap.At(column, row));
        }
    }
}

void GlyphAtlasPacker::WriteGlyph(const GlyphBitmap& aBitmap, i64 aX, i64 aY)
{
    WriteClipped(aBitmap, aX, aY, [](u32& aPixel, u32 aCoverage) {
        // White over whatever outline is already there.
        const u32 alpha = aCoverage | (aPixel >> 24);
        aPixel = aCoverage | (aCoverage << 8) | (aCoverage << 16) | (alpha << 24);
    });
}

void GlyphAtlasPacker::WriteOutline(const GlyphBitmap& aBitmap, i64 aX, i64 aY)
{
    WriteClipped(aBitmap, aX, aY, [](u32& aPixel, u32 aCoverage) { aPixel = aCoverage << 24; });
}

bool BuildFontAtlas(FT_Library aLibrary, const std::string& aFilePath, u32 aSize, u8 aOutlineWidth,
                    InternalTextAndFontData& aData, std::string& aError)
{
    aData.myFontSize = aSize;
    aData.myAtlasPixels.assign(static_cast<size_t>(FONT_ATLAS_SIZE) * FONT_ATLAS_SIZE, 0u);
    aData.myGlyphs.fill(FontGlyph{});

    if (!aLibrary)
    {
        aError = "the font library is not started";
        return false;
    }
    // An em taller than the atlas leaves no room for glyphs; do not render 224 of them to find out.
    if (static_cast<u64>(aSize) * 100 / 72 > FONT_ATLAS_SIZE)
    {
        aError = "size " + std::to_string(aSize) + " is too large for the glyph atlas";
        return false;
    }
    FaceCloser face;
    if (const FT_Error error = FT_New_Face(aLibrary, aFilePath.c_str(), 0, &face.myFace))
    {
        face.myFace = nullptr;
        aError = DescribeError("cannot open the font file", error);
        return false;
    }
    if (const FT_Error error = FT_Set_Char_Size(face.myFace, static_cast<FT_F26Dot6>(aSize) * 64, 0, 100, 100))
    {
        aError = DescribeError("cannot set the font size", error);
        return false;
    }
    if (const FT_Error error = FT_Load_Char(face.myFace, 'x', FT_LOAD_DEFAULT))
    {
        aError = DescribeError("cannot load the glyph 'x'", error);
        return false;
    }
    aData.mySpaceExtra = static_cast<i32>(face.myFace->glyph->metrics.width / 256);

    StrokerCloser stroker;
    if (aOutlineWidth > 0)
    {
        if (const FT_Error error = FT_Stroker_New(aLibrary, &stroker.myStroker))
        {
            stroker.myStroker = nullptr;
            aError = DescribeError("cannot create the outline stroker", error);
            return false;
        }
        FT_Stroker_Set(stroker.myStroker, static_cast<FT_Fixed>(aOutlineWidth) * 64, FT_STROKER_LINECAP_ROUND,
                       FT_STROKER_LINEJOIN_ROUND, 0);
    }

    GlyphAtlasPacker packer(aData.myAtlasPixels, FONT_ATLAS_SIZE);
    GlyphBitmap glyph;
    GlyphBitmap outline;
    for (u32 character = FONT_FIRST_CHARACTER; character <= FONT_LAST_CHARACTER; ++character)
    {
        // A character the face lacks gets glyph 0, the face's own missing-glyph box, with its
        // advance: words never run together over it.
        const FT_UInt glyphIndex = FT_Get_Char_Index(face.myFace, character);
        if (FT_Load_Glyph(face.myFace, glyphIndex, FT_LOAD_RENDER) != 0)
            continue;
        const FT_GlyphSlot slot = face.myFace->glyph;
        if (!ReadGlyphBitmap(slot->bitmap, glyph))
            continue;
        glyph.myLeft = slot->bitmap_left;
        glyph.myTop = slot->bitmap_top;
        const i64 advanceX = slot->advance.x >> 6;
        const i64 advanceY = slot->advance.y >> 6;

        const bool hasOutline =
            stroker.myStroker && RenderOutline(face.myFace, glyphIndex, stroker.myStroker, outline);

        FontGlyph entry;
        if (!packer.Place(glyph, hasOutline ? &outline : nullptr, entry))
            continue;
        entry.myAdvanceX = ClampToI16(advanceX);
        entry.myAdvanceY = ClampToI16(advanceY);
        entry.myCharacter = static_cast<u8>(character);
        aData.myGlyphs[character] = entry;
    }

    aData.myAtlasWidth = FONT_ATLAS_SIZE;
    aData.myAtlasHeight = FONT_ATLAS_SIZE;
    const FT_Size_Metrics& metrics = face.myFace->size->metrics;
    aData.myLineHeight = static_cast<float>((metrics.ascender - metrics.descender) >> 6);
    return true;
}
}
