#pragma once
// Where each character of a text lands, shared by drawing and measuring so the two always agree.
// Coordinates are y up from the first line's baseline, before the text's position and rotation.
#include "core/Types.h"
#include "text/FontData.h"

#include <algorithm>
#include <string_view>

namespace Qel
{
struct TextQuad
{
    // Top-left corner of the glyph's cell, and its size (scaled).
    float myX = 0.0f;
    float myY = 0.0f;
    float myWidth = 0.0f;
    float myHeight = 0.0f;
    const FontGlyph* myGlyph = nullptr;
};

struct TextBounds
{
    float myLeft = 0.0f;
    float myRight = 0.0f;
    float myBottom = 0.0f;
    float myTop = 0.0f;
    // False when no character has ink.
    bool myAny = false;
};

// Lines below the first drop by the tallest glyph seen so far plus this (before scaling).
inline constexpr float TEXT_LINE_GAP = 6.0f;

// Calls aVisit(const TextQuad&) for every byte of aText, newlines and blanks included.
template <typename Visit>
void ForEachTextQuad(const InternalTextAndFontData& aFont, std::string_view aText, float aScale, Visit&& aVisit)
{
    float penX = 0.0f;
    float penY = 0.0f;
    i32 tallest = 0;
    for (const char byte : aText)
    {
        const u8 code = static_cast<u8>(byte);
        const FontGlyph& glyph = aFont.myGlyphs[code];
        tallest = std::max<i32>(tallest, glyph.myHeight);
        TextQuad quad;
        quad.myX = (glyph.myLeftBearing + penX) * aScale;
        quad.myY = (glyph.myTopBearing + penY) * aScale;
        quad.myWidth = glyph.myWidth * aScale;
        quad.myHeight = glyph.myHeight * aScale;
        quad.myGlyph = &glyph;
        aVisit(quad);
        if (code == '\n')
        {
            penX = 0.0f;
            penY -= static_cast<float>(tallest) + TEXT_LINE_GAP;
        }
        else
        {
            penX += glyph.myAdvanceX;
            if (code == ' ')
                penX += static_cast<float>(aFont.mySpaceExtra);
        }
    }
}

// The box around every inked cell.
TextBounds MeasureTextBounds(const InternalTextAndFontData& aFont, std::string_view aText, float aScale);
// From the text's origin to the right edge of its widest line, scaled. 0 for an empty text or no font.
float MeasureTextWidth(const InternalTextAndFontData* aFont, std::string_view aText, float aScale);
// From the top of the first line's ink to the bottom of the last line's, scaled. 0 for an empty
// text or no font.
float MeasureTextHeight(const InternalTextAndFontData* aFont, std::string_view aText, float aScale);
}
