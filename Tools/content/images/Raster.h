#pragma once
// A small deterministic 2D rasteriser for the content tools: a premultiplied RGBA float canvas,
// anti-aliased shapes from signed distances, gradients, value noise and text from a TrueType
// face (stb_truetype). Everything is plain float arithmetic in a fixed order, so the same
// description gives the same bytes on every build. Colours are sRGB, blended as stored.
#include <stb_truetype.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace Raster
{
struct Rgba
{
    float r = 0, g = 0, b = 0, a = 1;
};

inline Rgba Hex(std::uint32_t aRgb, float aAlpha = 1.0f)
{
    return {((aRgb >> 16) & 255) / 255.0f, ((aRgb >> 8) & 255) / 255.0f, (aRgb & 255) / 255.0f, aAlpha};
}
inline Rgba Mix(const Rgba& aA, const Rgba& aB, float aT)
{
    return {aA.r + (aB.r - aA.r) * aT, aA.g + (aB.g - aA.g) * aT, aA.b + (aB.b - aA.b) * aT, aA.a + (aB.a - aA.a) * aT};
}
inline Rgba WithAlpha(Rgba aColor, float aAlpha)
{
    aColor.a = aAlpha;
    return aColor;
}
inline float Clamp01(float aValue) { return std::min(1.0f, std::max(0.0f, aValue)); }
inline float SmoothStep(float aEdge0, float aEdge1, float aX)
{
    const float t = Clamp01((aX - aEdge0) / (aEdge1 - aEdge0));
    return t * t * (3.0f - 2.0f * t);
}

// ---- Signed distances (negative inside) ---------------------------------------------------
inline float SdCircle(float aX, float aY, float aCx, float aCy, float aRadius)
{
    return std::hypot(aX - aCx, aY - aCy) - aRadius;
}
inline float SdRoundRect(float aX, float aY, float aCx, float aCy, float aHalfW, float aHalfH, float aRadius)
{
    const float qx = std::fabs(aX - aCx) - aHalfW + aRadius;
    const float qy = std::fabs(aY - aCy) - aHalfH + aRadius;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - aRadius;
}
inline float SdSegment(float aX, float aY, float aAx, float aAy, float aBx, float aBy, float aRadius)
{
    const float px = aX - aAx, py = aY - aAy, bx = aBx - aAx, by = aBy - aAy;
    const float h = Clamp01((px * bx + py * by) / std::max(1e-6f, bx * bx + by * by));
    return std::hypot(px - bx * h, py - by * h) - aRadius;
}
inline float SdEllipse(float aX, float aY, float aCx, float aCy, float aRx, float aRy)
{
    // Scaled circle: exact enough for anti-aliasing when the axes are not extreme.
    const float nx = (aX - aCx) / aRx, ny = (aY - aCy) / aRy;
    const float k = std::hypot(nx, ny);
    return (k - 1.0f) * std::min(aRx, aRy);
}
// Convex or concave polygon (even-odd), points as x0, y0, x1, y1, ...
inline float SdPolygon(float aX, float aY, const std::vector<float>& aPoints)
{
    const size_t n = aPoints.size() / 2;
    float d = 1e30f;
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++)
    {
        const float xi = aPoints[2 * i], yi = aPoints[2 * i + 1], xj = aPoints[2 * j], yj = aPoints[2 * j + 1];
        d = std::min(d, SdSegment(aX, aY, xi, yi, xj, yj, 0.0f));
        if (((yi > aY) != (yj > aY)) && (aX < (xj - xi) * (aY - yi) / (yj - yi) + xi))
            inside = !inside;
    }
    return inside ? -d : d;
}
inline float Coverage(float aDistance, float aSoftness = 1.0f)
{
    return Clamp01(0.5f - aDistance / aSoftness);
}

// ---- Noise ------------------------------------------------------------------------------
inline std::uint32_t Hash(std::uint32_t aX)
{
    aX ^= aX >> 16;
    aX *= 0x7feb352dU;
    aX ^= aX >> 15;
    aX *= 0x846ca68bU;
    aX ^= aX >> 16;
    return aX;
}
inline float Hash2(int aX, int aY, std::uint32_t aSeed)
{
    return (Hash(static_cast<std::uint32_t>(aX) * 73856093U ^ static_cast<std::uint32_t>(aY) * 19349663U ^ aSeed) &
            0xFFFFFF) / 16777215.0f;
}
inline float ValueNoise(float aX, float aY, std::uint32_t aSeed)
{
    const int ix = static_cast<int>(std::floor(aX)), iy = static_cast<int>(std::floor(aY));
    const float fx = aX - ix, fy = aY - iy;
    const float ux = fx * fx * (3 - 2 * fx), uy = fy * fy * (3 - 2 * fy);
    const float a = Hash2(ix, iy, aSeed), b = Hash2(ix + 1, iy, aSeed);
    const float c = Hash2(ix, iy + 1, aSeed), d = Hash2(ix + 1, iy + 1, aSeed);
    return a + (b - a) * ux + (c - a) * uy + (a - b - c + d) * ux * uy;
}
inline float Fbm(float aX, float aY, std::uint32_t aSeed, int aOctaves = 5)
{
    float sum = 0, amplitude = 0.5f, total = 0;
    for (int i = 0; i < aOctaves; ++i)
    {
        sum += ValueNoise(aX, aY, aSeed + static_cast<std::uint32_t>(i) * 101U) * amplitude;
        total += amplitude;
        aX *= 2.03f;
        aY *= 2.03f;
        amplitude *= 0.5f;
    }
    return sum / total;
}

// ---- Canvas -------------------------------------------------------------------------------
class Canvas
{
public:
    Canvas(int aWidth, int aHeight) : myWidth(aWidth), myHeight(aHeight), myPixels(size_t(aWidth) * aHeight * 4, 0.0f) {}

    int Width() const { return myWidth; }
    int Height() const { return myHeight; }

    // Source-over of a straight-alpha colour with a coverage.
    void Blend(int aX, int aY, const Rgba& aColor, float aCoverage)
    {
        const float a = Clamp01(aColor.a * aCoverage);
        if (a <= 0.0f)
            return;
        float* p = &myPixels[(size_t(aY) * myWidth + aX) * 4];
        p[0] = aColor.r * a + p[0] * (1 - a);
        p[1] = aColor.g * a + p[1] * (1 - a);
        p[2] = aColor.b * a + p[2] * (1 - a);
        p[3] = a + p[3] * (1 - a);
    }
    // Adds light (premultiplied, alpha grows with it): glows and sparkles.
    void Add(int aX, int aY, const Rgba& aColor, float aAmount)
    {
        const float a = Clamp01(aColor.a * aAmount);
        if (a <= 0.0f)
            return;
        float* p = &myPixels[(size_t(aY) * myWidth + aX) * 4];
        p[0] = std::min(1.0f, p[0] + aColor.r * a);
        p[1] = std::min(1.0f, p[1] + aColor.g * a);
        p[2] = std::min(1.0f, p[2] + aColor.b * a);
        p[3] = std::min(1.0f, p[3] + a);
    }
    // Scales alpha (and the premultiplied colour with it): cut-outs and fades.
    void Erase(int aX, int aY, float aKeep)
    {
        float* p = &myPixels[(size_t(aY) * myWidth + aX) * 4];
        for (int i = 0; i < 4; ++i)
            p[i] *= Clamp01(aKeep);
    }
    Rgba Get(int aX, int aY) const
    {
        const float* p = &myPixels[(size_t(aY) * myWidth + aX) * 4];
        if (p[3] <= 0.0f)
            return {0, 0, 0, 0};
        return {p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
    }

    // Calls aShade(x + 0.5, y + 0.5) -> {colour, coverage} over a box (clipped), blending each.
    template <typename F>
    void Paint(float aX0, float aY0, float aX1, float aY1, F&& aShade)
    {
        const int x0 = std::max(0, static_cast<int>(std::floor(aX0))), y0 = std::max(0, static_cast<int>(std::floor(aY0)));
        const int x1 = std::min(myWidth, static_cast<int>(std::ceil(aX1))), y1 = std::min(myHeight, static_cast<int>(std::ceil(aY1)));
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
            {
                float coverage = 0.0f;
                const Rgba color = aShade(x + 0.5f, y + 0.5f, coverage);
                Blend(x, y, color, coverage);
            }
    }
    template <typename F>
    void PaintAll(F&& aShade) { Paint(0, 0, float(myWidth), float(myHeight), std::forward<F>(aShade)); }

    // A shape given by its signed distance, filled with a colour function.
    template <typename D, typename C>
    void Fill(float aX0, float aY0, float aX1, float aY1, D&& aDistance, C&& aColor, float aSoftness = 1.0f)
    {
        Paint(aX0 - 2, aY0 - 2, aX1 + 2, aY1 + 2, [&](float x, float y, float& coverage) {
            coverage = Coverage(aDistance(x, y), aSoftness);
            return coverage > 0.0f ? aColor(x, y) : Rgba{};
        });
    }
    // A soft additive glow around a shape: amount falls off over aRadius outside it.
    template <typename D>
    void Glow(float aX0, float aY0, float aX1, float aY1, D&& aDistance, const Rgba& aColor, float aRadius)
    {
        for (int y = std::max(0, int(aY0 - aRadius)); y < std::min(myHeight, int(aY1 + aRadius) + 1); ++y)
            for (int x = std::max(0, int(aX0 - aRadius)); x < std::min(myWidth, int(aX1 + aRadius) + 1); ++x)
            {
                const float d = std::max(0.0f, aDistance(x + 0.5f, y + 0.5f));
                const float t = 1.0f - d / aRadius;
                if (t > 0.0f)
                    Add(x, y, aColor, t * t * t);
            }
    }

    // Film grain: a small signed brightness change per pixel (opaque pixels only matter).
    void Grain(float aAmount, std::uint32_t aSeed)
    {
        for (int y = 0; y < myHeight; ++y)
            for (int x = 0; x < myWidth; ++x)
            {
                float* p = &myPixels[(size_t(y) * myWidth + x) * 4];
                const float n = (Hash2(x, y, aSeed) - 0.5f) * aAmount * p[3];
                for (int i = 0; i < 3; ++i)
                    p[i] = std::min(p[3], std::max(0.0f, p[i] + n));
            }
    }

    // Straight-alpha 8-bit RGBA (or RGB), rows top-down, with ordered rounding.
    std::vector<std::uint8_t> ToBytes(int aChannels) const
    {
        std::vector<std::uint8_t> out(size_t(myWidth) * myHeight * aChannels);
        for (int y = 0; y < myHeight; ++y)
            for (int x = 0; x < myWidth; ++x)
            {
                const Rgba c = Get(x, y);
                const float values[4] = {c.r, c.g, c.b, c.a};
                for (int i = 0; i < aChannels; ++i)
                    out[(size_t(y) * myWidth + x) * aChannels + i] =
                        static_cast<std::uint8_t>(std::lround(Clamp01(values[i]) * 255.0f));
            }
        return out;
    }

private:
    int myWidth;
    int myHeight;
    std::vector<float> myPixels;
};

// ---- Text -------------------------------------------------------------------------------
class Font
{
public:
    explicit Font(const std::string& aPath)
    {
        std::ifstream file(aPath, std::ios::binary);
        myData.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (myData.empty() || !stbtt_InitFont(&myInfo, myData.data(), stbtt_GetFontOffsetForIndex(myData.data(), 0)))
            throw std::runtime_error(aPath + ": not a readable TrueType font");
    }

    // Width in pixels of a line at a pixel height, with extra letter spacing.
    float Measure(const std::string& aText, float aPixelHeight, float aSpacing = 0.0f) const
    {
        const float scale = stbtt_ScaleForPixelHeight(&myInfo, aPixelHeight);
        float width = 0;
        for (size_t i = 0; i < aText.size(); ++i)
        {
            int advance = 0, bearing = 0;
            stbtt_GetCodepointHMetrics(&myInfo, static_cast<unsigned char>(aText[i]), &advance, &bearing);
            width += advance * scale + (i + 1 < aText.size() ? aSpacing : 0.0f);
            if (i + 1 < aText.size())
                width += scale * stbtt_GetCodepointKernAdvance(&myInfo, static_cast<unsigned char>(aText[i]),
                                                               static_cast<unsigned char>(aText[i + 1]));
        }
        return width;
    }

    struct Style
    {
        float pixelHeight = 32;
        float spacing = 0;
        // Fill colour from top to bottom of the glyph box.
        Rgba top{1, 1, 1, 1};
        Rgba bottom{1, 1, 1, 1};
        float outline = 0;   // pixels of dark rim outside the glyph
        Rgba outlineColor{0.03f, 0.04f, 0.09f, 1};
        float glow = 0;      // pixels of soft light beyond the outline
        Rgba glowColor{1, 0.75f, 0.3f, 0.6f};
        float shadow = 0;    // drop-shadow offset in pixels (down-right)
    };

    // Draws a line with its baseline at aBaseY; aX is the left edge, or the centre when centred.
    void Draw(Canvas& aCanvas, const std::string& aText, float aX, float aBaseY, const Style& aStyle,
              bool aCentred = false) const
    {
        const float scale = stbtt_ScaleForPixelHeight(&myInfo, aStyle.pixelHeight);
        int ascent = 0, descent = 0, gap = 0;
        stbtt_GetFontVMetrics(&myInfo, &ascent, &descent, &gap);
        const float top = aBaseY - ascent * scale, bottom = aBaseY - descent * scale;
        float penX = aCentred ? aX - Measure(aText, aStyle.pixelHeight, aStyle.spacing) * 0.5f : aX;
        const float reach = aStyle.outline + aStyle.glow + aStyle.shadow + 2.0f;
        // Signed distances in pixels: one SDF per glyph, sampled once per pixel.
        const float pixelDistScale = 8.0f;
        const int padding = static_cast<int>(std::ceil(reach)) + 2;
        const unsigned char onEdge = 128;
        for (size_t i = 0; i < aText.size(); ++i)
        {
            const int codepoint = static_cast<unsigned char>(aText[i]);
            int advance = 0, bearing = 0;
            stbtt_GetCodepointHMetrics(&myInfo, codepoint, &advance, &bearing);
            // The SDF is built at 4x the pixel scale relative to the distance scale for smooth edges.
            int w = 0, h = 0, xoff = 0, yoff = 0;
            unsigned char* sdf = stbtt_GetCodepointSDF(&myInfo, scale, codepoint, std::min(padding * 2, 120), onEdge,
                                                       pixelDistScale / 4.0f, &w, &h, &xoff, &yoff);
            // pixel_dist_scale is per pixel: value = 128 + dist * (scale / 4); we undo it below.
            const float gx = std::floor(penX) , gy = std::floor(aBaseY);
            const float fracX = penX - gx;
            if (sdf)
            {
                auto distanceAt = [&](float px, float py) {
                    // Bilinear sample of the SDF at canvas point (px, py).
                    const float sx = px - (gx + xoff + fracX) - 0.5f, sy = py - (gy + yoff) - 0.5f;
                    const int ix = static_cast<int>(std::floor(sx)), iy = static_cast<int>(std::floor(sy));
                    const float fx = sx - ix, fy = sy - iy;
                    auto at = [&](int x, int y) {
                        if (x < 0 || y < 0 || x >= w || y >= h)
                            return 0.0f;
                        return static_cast<float>(sdf[y * w + x]);
                    };
                    const float v = at(ix, iy) * (1 - fx) * (1 - fy) + at(ix + 1, iy) * fx * (1 - fy) +
                                    at(ix, iy + 1) * (1 - fx) * fy + at(ix + 1, iy + 1) * fx * fy;
                    return -(v - onEdge) / (pixelDistScale / 4.0f);
                };
                const float x0 = gx + xoff + fracX, y0 = gy + yoff;
                if (aStyle.glow > 0)
                    aCanvas.Glow(x0, y0, x0 + w, y0 + h, [&](float x, float y) { return distanceAt(x, y) - aStyle.outline; },
                                 aStyle.glowColor, aStyle.glow);
                if (aStyle.shadow > 0)
                    aCanvas.Fill(x0, y0, x0 + w + aStyle.shadow, y0 + h + aStyle.shadow,
                                 [&](float x, float y) { return distanceAt(x - aStyle.shadow, y - aStyle.shadow) - aStyle.outline; },
                                 [&](float, float) { return Rgba{0, 0, 0, 0.55f}; }, 2.5f);
                if (aStyle.outline > 0)
                    aCanvas.Fill(x0, y0, x0 + w, y0 + h, [&](float x, float y) { return distanceAt(x, y) - aStyle.outline; },
                                 [&](float, float) { return aStyle.outlineColor; });
                aCanvas.Fill(x0, y0, x0 + w, y0 + h, distanceAt, [&](float, float y) {
                    return Mix(aStyle.top, aStyle.bottom, Clamp01((y - top) / std::max(1.0f, bottom - top)));
                });
                stbtt_FreeSDF(sdf, nullptr);
            }
            penX += advance * scale + aStyle.spacing;
            if (i + 1 < aText.size())
                penX += scale * stbtt_GetCodepointKernAdvance(&myInfo, codepoint, static_cast<unsigned char>(aText[i + 1]));
        }
    }

private:
    std::vector<unsigned char> myData;
    stbtt_fontinfo myInfo{};
};
}
