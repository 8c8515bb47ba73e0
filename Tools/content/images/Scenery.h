#pragma once
// Pieces of the game's look shared by the menu pictures and the intro film: night skies, pine
// forests by skyline, mist, the clockwork factory on the heights, gears, owl eyes, UI panels.
#include "Raster.h"

namespace Scenery
{
using namespace Raster;

// Palette (ART.md): deep navy panels, warm gold rims, amber highlights, off-white text.
inline const Rgba NAVY = Hex(0x0e1a36);
inline const Rgba NAVY_LIGHT = Hex(0x1c2f5c);
inline const Rgba GOLD = Hex(0xe2b458);
inline const Rgba GOLD_DARK = Hex(0x9c6d2a);
inline const Rgba AMBER = Hex(0xffb13b);
inline const Rgba LEMON = Hex(0xffe066);
inline const Rgba OFF_WHITE = Hex(0xf4efe2);
inline const Rgba TEAL = Hex(0x0399b0);
inline const Rgba NIGHT = Hex(0x0a1430);
inline const Rgba LILAC = Hex(0xb9a6e0);

// Vertical gradient through three colours with fbm clouds and stars above aStarLimit (0..1).
inline void Sky(Canvas& aCanvas, const Rgba& aTop, const Rgba& aMiddle, const Rgba& aBottom, float aStarLimit,
                std::uint32_t aSeed, float aOffsetX = 0.0f)
{
    const float w = float(aCanvas.Width()), h = float(aCanvas.Height());
    aCanvas.PaintAll([&](float x, float y, float& coverage) {
        coverage = 1.0f;
        const float t = y / h;
        Rgba c = t < 0.55f ? Mix(aTop, aMiddle, SmoothStep(0.0f, 0.55f, t)) : Mix(aMiddle, aBottom, SmoothStep(0.55f, 1.0f, t));
        const float u = (x + aOffsetX) / h;
        const float cloud = Fbm(u * 3.0f, t * 7.0f, aSeed);
        const float cloudAmount = SmoothStep(0.52f, 0.8f, cloud) * 0.22f;
        c = Mix(c, Mix(aMiddle, LILAC, 0.35f), cloudAmount);
        if (t < aStarLimit)
        {
            // Stars on a grid of cells, one candidate each, twinkle-free (a still picture).
            const float cell = h / 90.0f;
            const int cx = int(std::floor((x + aOffsetX * 0.2f) / cell)), cy = int(std::floor(y / cell));
            const float pick = Hash2(cx, cy, aSeed + 7);
            if (pick > 0.86f)
            {
                const float sx = (cx + 0.2f + 0.6f * Hash2(cx, cy, aSeed + 8)) * cell - aOffsetX * 0.2f;
                const float sy = (cy + 0.2f + 0.6f * Hash2(cx, cy, aSeed + 9)) * cell;
                const float r = cell * (0.05f + 0.09f * Hash2(cx, cy, aSeed + 10));
                const float d = std::hypot(x - sx, y - sy);
                const float glow = Clamp01(1.0f - d / (r * 3.0f));
                const float fade = 1.0f - SmoothStep(aStarLimit * 0.6f, aStarLimit, t);
                c = Mix(c, Hex(0xfff6dc), Clamp01(glow * glow * (0.4f + 0.6f * pick)) * fade * (1.0f - cloudAmount * 3.0f));
            }
        }
        (void)w;
        return c;
    });
}

inline void Moon(Canvas& aCanvas, float aX, float aY, float aRadius)
{
    aCanvas.Glow(aX - aRadius, aY - aRadius, aX + aRadius, aY + aRadius,
                 [&](float x, float y) { return SdCircle(x, y, aX, aY, aRadius); }, Hex(0xcfe6ff, 0.35f), aRadius * 3.5f);
    aCanvas.Fill(aX - aRadius, aY - aRadius, aX + aRadius, aY + aRadius,
                 [&](float x, float y) { return SdCircle(x, y, aX, aY, aRadius); },
                 [&](float x, float y) {
                     const float n = Fbm((x - aX) / aRadius * 2.5f, (y - aY) / aRadius * 2.5f, 77);
                     return Mix(Hex(0xfdf8ea), Hex(0xd9d3c6), SmoothStep(0.45f, 0.75f, n));
                 });
}

// A pine's skyline height (0 outside) at horizontal offset aDx from its trunk: tiers of boughs.
inline float PineProfile(float aDx, float aWidth, float aHeight, int aTiers)
{
    const float ax = std::fabs(aDx);
    if (ax > aWidth * 0.5f)
        return 0.0f;
    float best = 0.0f;
    for (int i = 0; i < aTiers; ++i)
    {
        const float k = float(i) / aTiers;                  // 0 at the top tier
        const float tierTop = aHeight * (1.0f - k * 0.78f);  // each tier starts lower
        const float tierHalf = aWidth * 0.5f * (0.35f + 0.65f * (k + 1.0f / aTiers));
        const float tierDrop = aHeight * 0.34f;
        if (ax < tierHalf)
            best = std::max(best, tierTop - tierDrop * (ax / tierHalf));
    }
    return std::max(best, ax < aWidth * 0.05f ? aHeight * 0.25f : 0.0f);
}

// Fills everything below a skyline: aTop(x) gives the top edge (canvas y) per column.
template <typename T, typename C>
void Skyline(Canvas& aCanvas, T&& aTop, C&& aColor)
{
    const int w = aCanvas.Width(), h = aCanvas.Height();
    std::vector<float> tops(size_t(w) + 1);
    for (int x = 0; x <= w; ++x)
        tops[size_t(x)] = aTop(float(x));
    for (int x = 0; x < w; ++x)
    {
        const float top = 0.5f * (tops[size_t(x)] + tops[size_t(x) + 1]);
        const float slope = std::fabs(tops[size_t(x) + 1] - tops[size_t(x)]);
        const float soft = std::max(1.0f, slope);
        for (int y = std::max(0, int(std::floor(top - soft))); y < h; ++y)
        {
            const float coverage = Clamp01((y + 0.5f - top) / soft + 0.5f);
            if (coverage > 0.0f)
                aCanvas.Blend(x, y, aColor(x + 0.5f, y + 0.5f), coverage);
        }
    }
}

// A row of pines: ground line at aGroundY, trees of about aTreeHeight, colour by height.
inline void PineForest(Canvas& aCanvas, float aGroundY, float aTreeHeight, float aSpacing, const Rgba& aColor,
                       const Rgba& aGroundColor, std::uint32_t aSeed, float aOffsetX = 0.0f)
{
    struct Tree
    {
        float x, w, h;
        int tiers;
    };
    std::vector<Tree> trees;
    const float w = float(aCanvas.Width());
    for (int i = -2; float(i) * aSpacing < w + aSpacing * 2 + std::fabs(aOffsetX); ++i)
    {
        const float jitter = Hash2(i, 3, aSeed) - 0.5f;
        const float height = aTreeHeight * (0.7f + 0.55f * Hash2(i, 5, aSeed));
        trees.push_back({i * aSpacing + jitter * aSpacing * 0.8f - aOffsetX, height * (0.42f + 0.1f * Hash2(i, 6, aSeed)),
                         height, 4 + int(Hash2(i, 7, aSeed) * 3)});
    }
    Skyline(
        aCanvas,
        [&](float x) {
            float top = aGroundY - aTreeHeight * 0.05f * (1.0f + std::sin(x * 0.004f + float(aSeed)));
            for (const Tree& t : trees)
                top = std::min(top, aGroundY - PineProfile(x - t.x, t.w, t.h, t.tiers));
            return top;
        },
        [&](float, float y) {
            const float t = Clamp01((y - (aGroundY - aTreeHeight)) / (aTreeHeight * 1.4f));
            return Mix(aColor, aGroundColor, t);
        });
}

// Rolling hills by fbm, for far layers.
inline void Hills(Canvas& aCanvas, float aBaseY, float aAmplitude, float aFrequency, const Rgba& aTopColor,
                  const Rgba& aBottomColor, std::uint32_t aSeed, float aOffsetX = 0.0f)
{
    const float h = float(aCanvas.Height());
    Skyline(
        aCanvas, [&](float x) { return aBaseY - aAmplitude * Fbm((x + aOffsetX) * aFrequency, 0.5f, aSeed, 4); },
        [&](float, float y) { return Mix(aTopColor, aBottomColor, Clamp01((y - (aBaseY - aAmplitude)) / (h - aBaseY + aAmplitude))); });
}

// Horizontal bands of moonlit mist.
inline void Mist(Canvas& aCanvas, float aCentreY, float aThickness, const Rgba& aColor, std::uint32_t aSeed,
                 float aOffsetX = 0.0f)
{
    const float h = float(aCanvas.Height());
    aCanvas.Paint(0, aCentreY - aThickness * 2, float(aCanvas.Width()), aCentreY + aThickness * 2,
                  [&](float x, float y, float& coverage) {
                      const float band = std::exp(-std::pow((y - aCentreY) / aThickness, 2.0f));
                      const float n = Fbm((x + aOffsetX) / h * 2.2f, y / h * 9.0f, aSeed, 4);
                      coverage = band * SmoothStep(0.35f, 0.75f, n);
                      return aColor;
                  });
}

// A pair of glowing owl eyes in the dark.
inline void OwlEyes(Canvas& aCanvas, float aX, float aY, float aSize, float aOpen = 1.0f)
{
    if (aOpen <= 0.02f)
        return;
    for (float side : {-1.0f, 1.0f})
    {
        const float ex = aX + side * aSize * 1.25f;
        auto eye = [&](float x, float y) { return SdEllipse(x, y, ex, aY, aSize, aSize * std::max(0.08f, aOpen)); };
        aCanvas.Glow(ex - aSize, aY - aSize, ex + aSize, aY + aSize, eye, Hex(0xffb13b, 0.55f), aSize * 3.0f);
        aCanvas.Fill(ex - aSize, aY - aSize, ex + aSize, aY + aSize, eye, [&](float, float) { return Hex(0xffd45a); });
        aCanvas.Fill(ex - aSize, aY - aSize, ex + aSize, aY + aSize,
                     [&](float x, float y) { return std::max(eye(x, y), SdCircle(x, y, ex, aY, aSize * 0.42f)); },
                     [&](float, float) { return Hex(0x1a0d05); });
    }
}

// Gear: a disc with teeth and a hub hole; distance is approximate (fine for edges).
inline float SdGear(float aX, float aY, float aCx, float aCy, float aRadius, int aTeeth, float aAngle)
{
    const float dx = aX - aCx, dy = aY - aCy;
    const float r = std::hypot(dx, dy);
    const float a = std::atan2(dy, dx) + aAngle;
    const float tooth = SmoothStep(-0.25f, 0.25f, std::cos(a * aTeeth));
    const float outer = r - (aRadius + aRadius * 0.13f * tooth);
    const float hub = aRadius * 0.28f - r;
    float d = std::max(outer, hub);
    // Four spokes' windows.
    const float ring = std::max(r - aRadius * 0.78f, aRadius * 0.42f - r);
    const float spokes = std::fabs(std::sin((a - aAngle * 0.0f) * 2.0f)) * r - aRadius * 0.1f;
    d = std::max(d, -std::max(ring, -spokes));
    return d;
}

// The clockwork factory on the heights: a block skyline with chimneys; aLights 0..1 fades its windows.
inline void Factory(Canvas& aCanvas, float aX, float aGroundY, float aScale, const Rgba& aBody, float aLights,
                    std::uint32_t aSeed, int aDarkCount = 0)
{
    struct Block
    {
        float x, w, h;
    };
    const Block blocks[] = {{-1.0f, 0.9f, 1.1f}, {-0.2f, 0.7f, 1.6f}, {0.45f, 0.8f, 1.25f}, {1.15f, 0.6f, 0.9f},
                            {-0.55f, 0.16f, 2.3f}, {0.3f, 0.14f, 2.6f}, {0.95f, 0.12f, 2.1f}};
    for (const Block& b : blocks)
    {
        const float x0 = aX + b.x * aScale, x1 = x0 + b.w * aScale, y0 = aGroundY - b.h * aScale;
        aCanvas.Fill(x0, y0, x1, aGroundY, [&](float x, float y) {
            return SdRoundRect(x, y, (x0 + x1) * 0.5f, (y0 + aGroundY) * 0.5f, (x1 - x0) * 0.5f, (aGroundY - y0) * 0.5f, 2.0f);
        }, [&](float, float) { return aBody; });
    }
    // Saw-tooth roof on the wide hall.
    for (int i = 0; i < 4; ++i)
    {
        const float x0 = aX + (-0.2f + i * 0.175f) * aScale, y0 = aGroundY - 1.6f * aScale;
        std::vector<float> tri = {x0, y0, x0 + 0.175f * aScale, y0, x0 + 0.175f * aScale, y0 - 0.22f * aScale};
        aCanvas.Fill(x0, y0 - 0.23f * aScale, x0 + 0.18f * aScale, y0 + 1, [&](float x, float y) { return SdPolygon(x, y, tri); },
                     [&](float, float) { return aBody; });
    }
    // A big gear on the front.
    const float gx = aX + 0.85f * aScale, gy = aGroundY - 1.25f * aScale;
    aCanvas.Fill(gx - 0.5f * aScale, gy - 0.5f * aScale, gx + 0.5f * aScale, gy + 0.5f * aScale,
                 [&](float x, float y) { return SdGear(x, y, gx, gy, 0.34f * aScale, 10, 0.2f); },
                 [&](float, float) { return aBody; });
    // Windows: small warm rectangles; the first aDarkCount ones are out.
    int index = 0;
    for (const Block& b : blocks)
    {
        if (b.w < 0.3f)
            continue;
        const int cols = int(b.w / 0.16f), rows = int(b.h / 0.24f);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c, ++index)
            {
                if (Hash2(index, 11, aSeed) < 0.3f)
                    continue;
                const bool dark = index < aDarkCount;
                const float wx = aX + (b.x + 0.06f + c * 0.16f) * aScale, wy = aGroundY - (0.16f + r * 0.24f) * aScale;
                const float ww = 0.07f * aScale, wh = 0.1f * aScale;
                const float lit = dark ? 0.0f : aLights * (0.75f + 0.25f * Hash2(index, 12, aSeed));
                auto shape = [&](float x, float y) { return SdRoundRect(x, y, wx + ww * 0.5f, wy - wh * 0.5f, ww * 0.5f, wh * 0.5f, 1.5f); };
                if (lit > 0.01f)
                    aCanvas.Glow(wx, wy - wh, wx + ww, wy, shape, Hex(0xff9a2e, 0.35f * lit), ww * 1.6f);
                aCanvas.Fill(wx, wy - wh, wx + ww, wy, shape, [&](float, float) {
                    return Mix(Mix(aBody, Hex(0x2a3350), 0.5f), Hex(0xffc45a), lit);
                });
            }
    }
}

// A rounded deep-navy panel at about 85 % with a thin warm-gold rim and a soft top sheen.
inline void Panel(Canvas& aCanvas, float aCx, float aCy, float aHalfW, float aHalfH, float aRadius, float aRim,
                  float aOpacity = 0.86f)
{
    auto shape = [&](float x, float y) { return SdRoundRect(x, y, aCx, aCy, aHalfW, aHalfH, aRadius); };
    const float top = aCy - aHalfH, height = aHalfH * 2;
    aCanvas.Fill(aCx - aHalfW, aCy - aHalfH, aCx + aHalfW, aCy + aHalfH, shape, [&](float x, float y) {
        const float t = Clamp01((y - top) / height);
        Rgba c = Mix(NAVY_LIGHT, NAVY, SmoothStep(0.0f, 0.7f, t));
        const float grain = (Hash2(int(x), int(y), 991) - 0.5f) * 0.012f;
        c.r += grain, c.g += grain, c.b += grain;
        c.a = aOpacity;
        return c;
    });
    // Rim: gold, a touch brighter at the top.
    aCanvas.Fill(aCx - aHalfW, aCy - aHalfH, aCx + aHalfW, aCy + aHalfH,
                 [&](float x, float y) { return std::fabs(shape(x, y) + aRim * 0.5f) - aRim * 0.5f; },
                 [&](float, float y) { return Mix(Hex(0xf3cd78), GOLD_DARK, Clamp01((y - top) / height)); });
    // Inner hairline highlight.
    aCanvas.Fill(aCx - aHalfW, aCy - aHalfH, aCx + aHalfW, aCy + aHalfH,
                 [&](float x, float y) { return std::fabs(shape(x, y) + aRim * 2.2f) - 0.6f; },
                 [&](float, float y) { return Hex(0xfff0c8, 0.22f * (1.0f - Clamp01((y - top) / height))); });
}
}
