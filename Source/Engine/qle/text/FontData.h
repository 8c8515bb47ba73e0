#pragma once
// One loaded font at one size and outline width: its glyph table and the atlas the glyphs were
// packed into. Shared by every Text that uses the same font file, size and outline.
#include "core/Types.h"
#include "texture/Texture.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace Qel
{
inline constexpr u32 FONT_GLYPH_TABLE_SIZE = 1024;
inline constexpr u32 FONT_ATLAS_SIZE = 1024;
// Text is one byte per character: Latin-1 codes 32..255 are the glyphs a font can have.
inline constexpr u32 FONT_FIRST_CHARACTER = 32;
inline constexpr u32 FONT_LAST_CHARACTER = 255;
// LoadFont's "no font" size.
inline constexpr u32 FONT_SIZE_NONE = 0xFFFFFFFFu;

// A character without a glyph keeps this all zero: it draws an empty quad and does not advance.
struct FontGlyph
{
    // The glyph's cell in the atlas as texture coordinates (pixel / atlas size).
    float myUMin = 0.0f;
    float myVMin = 0.0f;
    float myUMax = 0.0f;
    float myVMax = 0.0f;
    // Cell size in pixels, outline included.
    i16 myWidth = 0;
    i16 myHeight = 0;
    i16 myAdvanceX = 0;
    i16 myAdvanceY = 0;
    // From the pen to the cell's left edge, and from the baseline up to its top edge.
    i16 myLeftBearing = 0;
    i16 myTopBearing = 0;
    u8 myCharacter = 0;
};
static_assert(sizeof(FontGlyph) == 32);

class InternalTextAndFontData
{
public:
    std::array<FontGlyph, FONT_GLYPH_TABLE_SIZE> myGlyphs{};
    u32 myAtlasWidth = 0;
    u32 myAtlasHeight = 0;
    // Stored for callers that want it; layout uses the glyph heights.
    float myLineHeight = 0.0f;
    // Added to the pen after every space.
    i32 mySpaceExtra = 0;
    u32 myFontSize = 0;
    // RGBA8 as little-endian u32 (A << 24 | B << 16 | G << 8 | R), row by row from the top.
    std::vector<u32> myAtlasPixels;
    std::string myName;
    // The atlas on the GPU (linear, with a full mip chain); null until uploaded.
    std::unique_ptr<Texture> myTexture;
};
}
