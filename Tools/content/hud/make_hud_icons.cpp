// Draws the HUD's icons: the hero's head for the lives, a battery for the battery count, and the
// head with a glowing plus for a gained life. Shapes are signed distances, sampled 4 x 4 per
// pixel, so the edges are smooth and every build writes the same bytes.
//
//     make_hud_icons <output folder>
#include "DdsWriter.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace
{
struct Colour
{
    float r, g, b, a;
};

constexpr Colour OUTLINE{0.05f, 0.06f, 0.14f, 1.0f};
constexpr Colour AMBER{1.0f, 0.72f, 0.18f, 1.0f};
constexpr Colour AMBER_DARK{0.86f, 0.48f, 0.08f, 1.0f};
constexpr Colour CYAN{0.35f, 0.95f, 1.0f, 1.0f};
constexpr Colour LEMON{1.0f, 0.93f, 0.35f, 1.0f};
constexpr Colour STEEL{0.55f, 0.6f, 0.7f, 1.0f};
constexpr Colour WHITE{0.98f, 0.98f, 0.95f, 1.0f};

float Circle(float aX, float aY, float aCx, float aCy, float aR) { return std::hypot(aX - aCx, aY - aCy) - aR; }

float RoundedBox(float aX, float aY, float aCx, float aCy, float aHalfW, float aHalfH, float aRadius)
{
    const float qx = std::fabs(aX - aCx) - aHalfW + aRadius;
    const float qy = std::fabs(aY - aCy) - aHalfH + aRadius;
    return std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - aRadius;
}

// One layer: where aDistance < 0 the colour covers what is below.
Colour Over(const Colour& aBelow, const Colour& aAbove, float aCoverage)
{
    const float a = aAbove.a * aCoverage;
    const float outA = a + aBelow.a * (1.0f - a);
    if (outA <= 0.0f)
        return {0.0f, 0.0f, 0.0f, 0.0f};
    auto mix = [&](float aB, float aT) { return (aT * a + aB * aBelow.a * (1.0f - a)) / outA; };
    return {mix(aBelow.r, aAbove.r), mix(aBelow.g, aAbove.g), mix(aBelow.b, aAbove.b), outA};
}

using Shader = std::function<Colour(float aX, float aY)>;

// The shape at (x, y) in a unit square, y down, supersampled into 8-bit RGBA rows.
std::vector<unsigned char> Rasterise(int aSize, const Shader& aShader)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(aSize) * aSize * 4);
    constexpr int SAMPLES = 4;
    for (int y = 0; y < aSize; ++y)
    {
        for (int x = 0; x < aSize; ++x)
        {
            float sum[4] = {};
            for (int sy = 0; sy < SAMPLES; ++sy)
            {
                for (int sx = 0; sx < SAMPLES; ++sx)
                {
                    const float u = (static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / SAMPLES) / aSize;
                    const float v = (static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / SAMPLES) / aSize;
                    const Colour c = aShader(u, v);
                    // Premultiplied while averaging, so edges do not darken.
                    sum[0] += c.r * c.a;
                    sum[1] += c.g * c.a;
                    sum[2] += c.b * c.a;
                    sum[3] += c.a;
                }
            }
            const float alpha = sum[3] / (SAMPLES * SAMPLES);
            unsigned char* out = &pixels[(static_cast<size_t>(y) * aSize + x) * 4];
            for (int i = 0; i < 3; ++i)
            {
                const float value = sum[3] > 0.0f ? sum[i] / sum[3] : 0.0f;
                out[i] = static_cast<unsigned char>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
            }
            out[3] = static_cast<unsigned char>(std::lround(std::clamp(alpha, 0.0f, 1.0f) * 255.0f));
        }
    }
    return pixels;
}

// A filled shape with a dark rim of aRim units outside it.
Colour Fill(const Colour& aBelow, float aDistance, const Colour& aColour, float aRim)
{
    Colour c = aBelow;
    if (aDistance < aRim)
        c = Over(c, OUTLINE, 1.0f);
    if (aDistance < 0.0f)
        c = Over(c, aColour, 1.0f);
    return c;
}

// The hero's head: an amber round face with a darker chin shade and two cyan eyes.
Colour Head(float aX, float aY, float aCx, float aCy, float aR)
{
    Colour c{0.0f, 0.0f, 0.0f, 0.0f};
    const float face = Circle(aX, aY, aCx, aCy, aR);
    c = Fill(c, face, AMBER, 0.06f);
    if (face < 0.0f && Circle(aX, aY, aCx, aCy - 0.12f * aR / 0.3f, aR) > 0.0f)
        c = Over(c, AMBER_DARK, 1.0f);
    const float eye = std::min(Circle(aX, aY, aCx - 0.11f * aR / 0.3f, aCy - 0.02f, 0.06f * aR / 0.3f),
                               Circle(aX, aY, aCx + 0.11f * aR / 0.3f, aCy - 0.02f, 0.06f * aR / 0.3f));
    c = Fill(c, eye, CYAN, 0.02f);
    // An antenna with a glowing tip: the hero runs on batteries.
    const float stalk = RoundedBox(aX, aY, aCx, aCy - aR - 0.05f, 0.015f, 0.06f, 0.01f);
    const float tip = Circle(aX, aY, aCx, aCy - aR - 0.12f, 0.045f);
    c = Fill(c, std::min(stalk, tip), LEMON, 0.03f);
    return c;
}

Colour LifeIcon(float aX, float aY) { return Head(aX, aY, 0.5f, 0.58f, 0.3f); }

Colour BatteryIcon(float aX, float aY)
{
    Colour c{0.0f, 0.0f, 0.0f, 0.0f};
    const float body = RoundedBox(aX, aY, 0.5f, 0.56f, 0.22f, 0.34f, 0.06f);
    const float nub = RoundedBox(aX, aY, 0.5f, 0.17f, 0.09f, 0.06f, 0.02f);
    c = Fill(c, std::min(body, nub), STEEL, 0.05f);
    const float charge = RoundedBox(aX, aY, 0.5f, 0.62f, 0.16f, 0.24f, 0.04f);
    if (charge < 0.0f)
        c = Over(c, LEMON, 1.0f);
    // A lightning bolt across the charge.
    auto side = [](float aPx, float aPy, float aAx, float aAy, float aBx, float aBy)
    { return (aBx - aAx) * (aPy - aAy) - (aBy - aAy) * (aPx - aAx); };
    const bool upper = side(aX, aY, 0.56f, 0.38f, 0.42f, 0.64f) > 0.0f && side(aX, aY, 0.42f, 0.64f, 0.52f, 0.62f) > 0.0f &&
                       side(aX, aY, 0.52f, 0.62f, 0.56f, 0.38f) > 0.0f;
    const bool lower = side(aX, aY, 0.48f, 0.58f, 0.58f, 0.56f) > 0.0f && side(aX, aY, 0.58f, 0.56f, 0.44f, 0.84f) > 0.0f &&
                       side(aX, aY, 0.44f, 0.84f, 0.48f, 0.58f) > 0.0f;
    if (upper || lower)
        c = Over(c, WHITE, 1.0f);
    return c;
}

// The head with a glow and a plus sign: a life gained.
Colour LifeIncreaseIcon(float aX, float aY)
{
    const float glow = std::max(0.0f, 1.0f - std::hypot(aX - 0.45f, aY - 0.55f) / 0.5f);
    Colour c{1.0f, 0.85f, 0.4f, 0.55f * glow * glow};
    const Colour head = Head(aX, aY, 0.42f, 0.6f, 0.26f);
    c = Over(c, head, head.a);
    const float plus = std::min(RoundedBox(aX, aY, 0.77f, 0.3f, 0.14f, 0.045f, 0.02f),
                                RoundedBox(aX, aY, 0.77f, 0.3f, 0.045f, 0.14f, 0.02f));
    c = Fill(c, plus, Colour{0.45f, 1.0f, 0.55f, 1.0f}, 0.04f);
    return c;
}
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: make_hud_icons <output folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    bool ok = true;
    auto png = [&](const char* aName, int aSize, const Shader& aShader)
    {
        const std::vector<unsigned char> pixels = Rasterise(aSize, aShader);
        const std::string path = (folder / aName).string();
        if (!stbi_write_png(path.c_str(), aSize, aSize, 4, pixels.data(), aSize * 4))
        {
            std::fprintf(stderr, "%s: cannot write\n", path.c_str());
            ok = false;
        }
    };
    png("T_UI_LifeIcon.png", 64, LifeIcon);
    png("T_UI_BatteryIcon.png", 64, BatteryIcon);

    constexpr int GAIN_SIZE = 96;
    const std::vector<unsigned char> gain = Rasterise(GAIN_SIZE, LifeIncreaseIcon);
    const std::filesystem::path gainPath = folder / "T_UI_LifeIncreaseIcon.dds";
    if (!FbxGen::WriteDds(gainPath, GAIN_SIZE, GAIN_SIZE,
                          [&](int aX, int aY)
                          {
                              const unsigned char* p = &gain[(static_cast<size_t>(aY) * GAIN_SIZE + aX) * 4];
                              return FbxGen::Rgba{p[0], p[1], p[2], p[3]};
                          }))
    {
        std::fprintf(stderr, "%s: cannot write\n", gainPath.string().c_str());
        ok = false;
    }
    return ok ? 0 : 1;
}
