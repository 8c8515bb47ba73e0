#include "text/TextLayout.h"

#include <cfloat>

namespace Qel
{
TextBounds MeasureTextBounds(const InternalTextAndFontData& aFont, std::string_view aText, float aScale)
{
    TextBounds bounds;
    ForEachTextQuad(aFont, aText, aScale, [&](const TextQuad& aQuad) {
        if (aQuad.myGlyph->myWidth == 0 || aQuad.myGlyph->myHeight == 0)
            return;
        const float left = aQuad.myX;
        const float right = aQuad.myX + aQuad.myWidth;
        const float top = aQuad.myY;
        const float bottom = aQuad.myY - aQuad.myHeight;
        if (!bounds.myAny)
        {
            bounds = {left, right, bottom, top, true};
            return;
        }
        bounds.myLeft = std::min(bounds.myLeft, left);
        bounds.myRight = std::max(bounds.myRight, right);
        bounds.myBottom = std::min(bounds.myBottom, bottom);
        bounds.myTop = std::max(bounds.myTop, top);
    });
    return bounds;
}

float MeasureTextWidth(const InternalTextAndFontData* aFont, std::string_view aText, float aScale)
{
    if (!aFont || aText.empty())
        return 0.0f;
    float width = FLT_MIN;
    ForEachTextQuad(*aFont, aText, aScale,
                    [&](const TextQuad& aQuad) { width = std::max(width, aQuad.myX + aQuad.myWidth); });
    return width;
}

float MeasureTextHeight(const InternalTextAndFontData* aFont, std::string_view aText, float aScale)
{
    if (!aFont || aText.empty())
        return 0.0f;
    const TextBounds bounds = MeasureTextBounds(*aFont, aText, aScale);
    // Blank glyphs have no height to add.
    return bounds.myAny ? std::max(FLT_MIN, bounds.myTop - bounds.myBottom) : FLT_MIN;
}
}
