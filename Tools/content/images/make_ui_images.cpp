// Draws every picture of the menus and screens: splash logos, backgrounds, the menu frame, the
// title logo, buttons, slider, arrow, pause window, black screen, credits picture and the play
// screen's vignette. Usage: make_ui_images <font folder> <game asset root>
// Built at 2560 x 1440 scale (the engine scales down); same bytes on every run.
#define STB_TRUETYPE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "Scenery.h"

#include <stb_image_write.h>

#include <filesystem>
#include <map>

using namespace Raster;
using namespace Scenery;

namespace
{
std::filesystem::path ourOut;

void WritePng(const Canvas& aCanvas, const std::string& aName, bool aOpaque)
{
    const std::filesystem::path path = ourOut / "art/2d/Textures" / aName;
    std::filesystem::create_directories(path.parent_path());
    const int channels = aOpaque ? 3 : 4;
    const std::vector<std::uint8_t> bytes = aCanvas.ToBytes(channels);
    if (!stbi_write_png(path.string().c_str(), aCanvas.Width(), aCanvas.Height(), channels, bytes.data(),
                        aCanvas.Width() * channels))
        throw std::runtime_error(path.string() + ": could not be written");
}

void PutU32(std::vector<std::uint8_t>& aOut, std::uint32_t aValue)
{
    for (int i = 0; i < 4; ++i)
        aOut.push_back(static_cast<std::uint8_t>(aValue >> (8 * i)));
}

// Uncompressed 32-bit RGBA DDS, one mip level.
void WriteDds(const Canvas& aCanvas, const std::string& aName)
{
    std::vector<std::uint8_t> out = {'D', 'D', 'S', ' '};
    PutU32(out, 124);
    PutU32(out, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000);
    PutU32(out, std::uint32_t(aCanvas.Height()));
    PutU32(out, std::uint32_t(aCanvas.Width()));
    PutU32(out, std::uint32_t(aCanvas.Width() * 4));
    PutU32(out, 0);
    PutU32(out, 1);
    for (int i = 0; i < 11; ++i)
        PutU32(out, 0);
    PutU32(out, 32);
    PutU32(out, 0x41);
    PutU32(out, 0);
    PutU32(out, 32);
    PutU32(out, 0x000000FF);
    PutU32(out, 0x0000FF00);
    PutU32(out, 0x00FF0000);
    PutU32(out, 0xFF000000);
    PutU32(out, 0x1000);
    for (int i = 0; i < 4; ++i)
        PutU32(out, 0);
    const std::vector<std::uint8_t> bytes = aCanvas.ToBytes(4);
    out.insert(out.end(), bytes.begin(), bytes.end());
    const std::filesystem::path path = ourOut / "art/2d/Textures" / aName;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
    if (!file)
        throw std::runtime_error(path.string() + ": could not be written");
}

struct Fonts
{
    Font regular;
    Font bold;
};

Font::Style TextStyle(float aHeight, const Rgba& aColor, float aOutline = 0, float aSpacing = 0)
{
    Font::Style s;
    s.pixelHeight = aHeight;
    s.top = aColor;
    s.bottom = Mix(aColor, Hex(0xc9c2b4), 0.25f);
    s.outline = aOutline;
    s.spacing = aSpacing;
    return s;
}

// Darkens towards the corners (for full-screen pictures).
void Vignette(Canvas& aCanvas, float aStrength)
{
    const float w = float(aCanvas.Width()), h = float(aCanvas.Height());
    aCanvas.PaintAll([&](float x, float y, float& coverage) {
        const float dx = (x / w - 0.5f) * 2.0f, dy = (y / h - 0.5f) * 2.0f;
        coverage = SmoothStep(0.55f, 1.5f, std::sqrt(dx * dx * 0.8f + dy * dy)) * aStrength;
        return Rgba{0.0f, 0.0f, 0.02f, 1.0f};
    });
}

// A slim gold line with a diamond in its middle: the title and header ornament.
void Ornament(Canvas& aCanvas, float aCx, float aCy, float aHalfWidth, float aThickness)
{
    aCanvas.Fill(aCx - aHalfWidth, aCy - aThickness * 4, aCx + aHalfWidth, aCy + aThickness * 4,
                 [&](float x, float y) {
                     const float line = SdSegment(x, y, aCx - aHalfWidth, aCy, aCx + aHalfWidth, aCy, aThickness * 0.5f);
                     const float dx = std::fabs(x - aCx), dy = std::fabs(y - aCy);
                     const float diamond = (dx + dy) * 0.7071f - aThickness * 2.6f;
                     const float hole = (dx + dy) * 0.7071f - aThickness * 1.2f;
                     return std::min(std::max(line, -hole), std::max(diamond, -hole));
                 },
                 [&](float x, float) { return WithAlpha(GOLD, 1.0f - SmoothStep(0.6f, 1.0f, std::fabs(x - aCx) / aHalfWidth)); });
}

// ---- Splash logos --------------------------------------------------------------------------
void SplashBackdrop(Canvas& aCanvas, std::uint32_t aSeed)
{
    const float w = float(aCanvas.Width()), h = float(aCanvas.Height());
    aCanvas.PaintAll([&](float x, float y, float& coverage) {
        coverage = 1.0f;
        const float d = std::hypot((x - w * 0.5f) / h, (y - h * 0.46f) / h);
        const float n = Fbm(x / h * 2.0f, y / h * 2.0f, aSeed);
        Rgba c = Mix(Hex(0x15264d), Hex(0x050a18), SmoothStep(0.0f, 0.95f, d));
        return Mix(c, Hex(0x223a6a), SmoothStep(0.55f, 0.85f, n) * 0.18f);
    });
}

void OwlEmblem(Canvas& aCanvas, float aCx, float aCy, float aRadius)
{
    // Badge: a navy disc, a gold ring, then the owl.
    aCanvas.Glow(aCx - aRadius, aCy - aRadius, aCx + aRadius, aCy + aRadius,
                 [&](float x, float y) { return SdCircle(x, y, aCx, aCy, aRadius); }, Hex(0xffb13b, 0.25f), aRadius * 0.6f);
    aCanvas.Fill(aCx - aRadius, aCy - aRadius, aCx + aRadius, aCy + aRadius,
                 [&](float x, float y) { return SdCircle(x, y, aCx, aCy, aRadius); },
                 [&](float, float y) { return Mix(NAVY_LIGHT, NAVY, Clamp01((y - aCy + aRadius) / (2 * aRadius))); });
    aCanvas.Fill(aCx - aRadius, aCy - aRadius, aCx + aRadius, aCy + aRadius,
                 [&](float x, float y) { return std::fabs(SdCircle(x, y, aCx, aCy, aRadius * 0.955f)) - aRadius * 0.03f; },
                 [&](float, float y) { return Mix(Hex(0xf6d386), GOLD_DARK, Clamp01((y - aCy + aRadius) / (2 * aRadius))); });
    const float r = aRadius;
    // Body with ear tufts.
    auto body = [&](float x, float y) {
        const float head = SdEllipse(x, y, aCx, aCy - r * 0.12f, r * 0.5f, r * 0.42f);
        const float torso = SdEllipse(x, y, aCx, aCy + r * 0.28f, r * 0.44f, r * 0.5f);
        std::vector<float> leftEar = {aCx - r * 0.46f, aCy - r * 0.28f, aCx - r * 0.42f, aCy - r * 0.68f, aCx - r * 0.16f, aCy - r * 0.44f};
        std::vector<float> rightEar = {aCx + r * 0.46f, aCy - r * 0.28f, aCx + r * 0.42f, aCy - r * 0.68f, aCx + r * 0.16f, aCy - r * 0.44f};
        float d = std::min(head, torso);
        d = std::min(d, SdPolygon(x, y, leftEar));
        d = std::min(d, SdPolygon(x, y, rightEar));
        return std::max(d, SdCircle(x, y, aCx, aCy, r * 0.9f));
    };
    aCanvas.Fill(aCx - r, aCy - r, aCx + r, aCy + r, body, [&](float x, float y) {
        const float n = Fbm(x / r * 6.0f, y / r * 6.0f, 31);
        return Mix(Hex(0x6b4a2e), Hex(0x3b2718), SmoothStep(0.3f, 0.8f, n) * 0.6f + Clamp01((y - aCy) / r) * 0.3f);
    });
    // Chest feathers: little chevrons.
    for (int row = 0; row < 3; ++row)
        for (int col = -1; col <= 1; ++col)
        {
            const float fx = aCx + col * r * 0.16f + (row % 2) * r * 0.08f - r * 0.04f, fy = aCy + r * (0.3f + row * 0.13f);
            aCanvas.Fill(fx - r * 0.1f, fy - r * 0.08f, fx + r * 0.1f, fy + r * 0.08f,
                         [&](float x, float y) {
                             return std::min(SdSegment(x, y, fx - r * 0.06f, fy - r * 0.03f, fx, fy + r * 0.02f, r * 0.012f),
                                             SdSegment(x, y, fx, fy + r * 0.02f, fx + r * 0.06f, fy - r * 0.03f, r * 0.012f));
                         },
                         [&](float, float) { return Hex(0xd9b27a, 0.8f); });
        }
    // Face disc and eyes.
    for (float side : {-1.0f, 1.0f})
    {
        const float ex = aCx + side * r * 0.21f, ey = aCy - r * 0.12f;
        aCanvas.Fill(ex - r * 0.25f, ey - r * 0.25f, ex + r * 0.25f, ey + r * 0.25f,
                     [&](float x, float y) { return SdCircle(x, y, ex, ey, r * 0.215f); },
                     [&](float, float) { return Hex(0xf0dcb8); });
    }
    OwlEyes(aCanvas, aCx, aCy - r * 0.12f, r * 0.17f);
    for (float side : {-1.0f, 1.0f})
    {
        const float ex = aCx + side * r * 0.2125f, ey = aCy - r * 0.12f;
        aCanvas.Fill(ex - r * 0.06f, ey - r * 0.1f, ex, ey, [&](float x, float y) { return SdCircle(x, y, ex - r * 0.03f, ey - r * 0.05f, r * 0.025f); },
                     [&](float, float) { return Hex(0xffffff, 0.9f); });
    }
    std::vector<float> beak = {aCx - r * 0.05f, aCy - r * 0.02f, aCx + r * 0.05f, aCy - r * 0.02f, aCx, aCy + r * 0.1f};
    aCanvas.Fill(aCx - r * 0.06f, aCy - r * 0.03f, aCx + r * 0.06f, aCy + r * 0.11f, [&](float x, float y) { return SdPolygon(x, y, beak); },
                 [&](float, float) { return Hex(0xffb13b); });
}

void StudioSplash(const Fonts& aFonts)
{
    Canvas c(2560, 1440);
    SplashBackdrop(c, 11);
    OwlEmblem(c, 1280, 600, 300);
    Font::Style title = TextStyle(150, OFF_WHITE, 5, 28);
    title.glow = 30;
    title.glowColor = Hex(0xffb13b, 0.16f);
    aFonts.bold.Draw(c, "OWLBRIGHT", 1280, 1085, title, true);
    Font::Style sub = TextStyle(54, GOLD, 0, 40);
    aFonts.regular.Draw(c, "STUDIO", 1280, 1175, sub, true);
    Ornament(c, 1280, 1225, 330, 4);
    c.Grain(0.02f, 5);
    WritePng(c, "T_UI_QELSplash.png", true);
}

void EngineSplash(const Fonts& aFonts)
{
    Canvas c(2560, 1440);
    SplashBackdrop(c, 23);
    const float cx = 1280, cy = 590;
    // Emblem: a turning brass gear around a glowing lamp.
    c.Glow(cx - 300, cy - 300, cx + 300, cy + 300, [&](float x, float y) { return SdCircle(x, y, cx, cy, 230); },
           Hex(0x4fd3e0, 0.18f), 160);
    c.Fill(cx - 320, cy - 320, cx + 320, cy + 320, [&](float x, float y) { return SdGear(x, y, cx, cy, 255, 14, 0.1f); },
           [&](float x, float y) {
               const float t = Clamp01((y - cy + 280) / 560.0f);
               const float n = Fbm(x / 90.0f, y / 90.0f, 4);
               return Mix(Mix(Hex(0xf0c060), Hex(0x9a6422), t), Hex(0xb98a3c), n * 0.3f);
           });
    c.Fill(cx - 200, cy - 200, cx + 200, cy + 200, [&](float x, float y) { return SdCircle(x, y, cx, cy, 176); },
           [&](float, float y) { return Mix(NAVY_LIGHT, NAVY, Clamp01((y - cy + 176) / 352.0f)); });
    c.Fill(cx - 200, cy - 200, cx + 200, cy + 200,
           [&](float x, float y) { return std::fabs(SdCircle(x, y, cx, cy, 170)) - 5; }, [&](float, float) { return GOLD; });
    Font::Style mark = TextStyle(210, Hex(0x8df0f5), 0, 0);
    mark.top = Hex(0xd8feff);
    mark.bottom = Hex(0x3cc6d6);
    mark.glow = 38;
    mark.glowColor = Hex(0x3cd6e6, 0.35f);
    aFonts.bold.Draw(c, "Qel", cx, cy + 72, mark, true);
    Font::Style title = TextStyle(64, GOLD, 0, 22);
    aFonts.regular.Draw(c, "POWERED BY", 1280, 1000, title, true);
    Font::Style name = TextStyle(128, OFF_WHITE, 5, 14);
    name.glow = 26;
    name.glowColor = Hex(0x3cd6e6, 0.16f);
    aFonts.bold.Draw(c, "THE QEL ENGINE", 1280, 1140, name, true);
    Ornament(c, 1280, 1200, 420, 4);
    c.Grain(0.02f, 6);
    WritePng(c, "T_UI_RuvSplash.png", true);
}

void LibrariesSplash(const Fonts& aFonts)
{
    Canvas c(2560, 1440);
    SplashBackdrop(c, 37);
    Font::Style head = TextStyle(60, GOLD, 0, 22);
    aFonts.regular.Draw(c, "BUILT WITH FREE SOFTWARE", 1280, 300, head, true);
    Ornament(c, 1280, 345, 520, 4);
    const char* const names[] = {"SDL2", "OpenGL / Mesa", "OpenAL Soft", "FFmpeg", "FreeType",
                                 "nlohmann json", "Dear ImGui", "Assimp", "stb", "DejaVu fonts"};
    const char* const roles[] = {"window and input", "graphics", "sound", "video", "text",
                                 "content files", "tools", "model import", "images", "lettering"};
    for (int i = 0; i < 10; ++i)
    {
        const int col = i % 2, row = i / 2;
        const float cx = 1280 + (col == 0 ? -380.0f : 380.0f), cy = 480 + row * 165.0f;
        Panel(c, cx, cy, 340, 66, 30, 4);
        // A small lamp beside each name.
        c.Glow(cx - 290, cy - 16, cx - 258, cy + 16, [&](float x, float y) { return SdCircle(x, y, cx - 274, cy, 13); },
               Hex(0xffb13b, 0.5f), 30);
        c.Fill(cx - 290, cy - 16, cx - 258, cy + 16, [&](float x, float y) { return SdCircle(x, y, cx - 274, cy, 12); },
               [&](float, float) { return LEMON; });
        aFonts.bold.Draw(c, names[i], cx - 230, cy + 4, TextStyle(52, OFF_WHITE, 3), false);
        aFonts.regular.Draw(c, roles[i], cx - 230, cy + 44, TextStyle(30, Hex(0xa9b7d8)), false);
    }
    c.Grain(0.02f, 7);
    WritePng(c, "T_UI_MossbinSplash.png", true);
}

// ---- Backgrounds ---------------------------------------------------------------------------
void MenuBackground()
{
    Canvas c(2560, 1440);
    Sky(c, Hex(0x07112b), Hex(0x12506a), Hex(0x2b8f9c), 0.62f, 101);
    Moon(c, 470, 300, 95);
    // Far heights with the factory, its windows lit.
    Hills(c, 930, 260, 0.0012f, Hex(0x1d4a5e), Hex(0x163a4c), 5);
    Factory(c, 1900, 780, 150, Hex(0x14263a), 1.0f, 9);
    Mist(c, 900, 60, Hex(0xc8b8ec, 0.45f), 41);
    Hills(c, 1050, 160, 0.002f, Hex(0x1b4a48), Hex(0x133834), 6);
    PineForest(c, 1120, 300, 95, Hex(0x17403a), Hex(0x10302b), 21);
    Mist(c, 1110, 45, Hex(0xb9a6e0, 0.35f), 42);
    PineForest(c, 1280, 420, 150, Hex(0x0e2a25), Hex(0x0a1f1b), 22);
    OwlEyes(c, 640, 1150, 9);
    OwlEyes(c, 2150, 1190, 8, 0.7f);
    PineForest(c, 1470, 560, 240, Hex(0x071613), Hex(0x040c0b), 23);
    Vignette(c, 0.55f);
    c.Grain(0.025f, 3);
    WritePng(c, "T_UI_Background.png", true);
}

void AltBackground()
{
    Canvas c(2560, 1440);
    Sky(c, Hex(0x050b22), Hex(0x0d1b46), Hex(0x3a2a3e), 0.5f, 202);
    // Furnace light from below.
    c.PaintAll([&](float x, float y, float& coverage) {
        const float d = std::hypot((x - 1280) / 1700.0f, (y - 1600) / 900.0f);
        coverage = Clamp01(1.0f - d) * 0.75f;
        return Hex(0xff7a1e);
    });
    // Slowly turning gears of brass and copper, in three depths.
    struct G
    {
        float x, y, r;
        int teeth;
        std::uint32_t color;
        float alpha;
    };
    const G gears[] = {{300, 1150, 420, 16, 0x2a2030, 1.0f}, {2250, 300, 380, 14, 0x1c1a30, 1.0f},
                       {2050, 1250, 300, 12, 0x3a2a24, 1.0f}, {700, 240, 200, 10, 0x2a2434, 1.0f},
                       {1600, 1320, 180, 9, 0x5a3a22, 1.0f},  {120, 520, 150, 8, 0x3d2f2a, 1.0f}};
    for (const G& g : gears)
    {
        const Rgba body = Hex(g.color, g.alpha);
        c.Fill(g.x - g.r * 1.2f, g.y - g.r * 1.2f, g.x + g.r * 1.2f, g.y + g.r * 1.2f,
               [&](float x, float y) { return SdGear(x, y, g.x, g.y, g.r, g.teeth, g.r * 0.001f); },
               [&](float x, float y) {
                   const float rim = SmoothStep(0.6f, 1.1f, std::hypot(x - g.x, y - g.y) / g.r);
                   const float lit = Clamp01((y - g.y) / g.r * 0.5f + 0.5f);
                   return Mix(body, Hex(0xc27a34), rim * lit * 0.45f);
               });
    }
    // Copper pipes across the lower third with rivets.
    for (int i = 0; i < 2; ++i)
    {
        const float py = 1010 + i * 110.0f, radius = 26 - i * 6.0f;
        c.Fill(0, py - radius, 2560, py + radius, [&](float, float y) { return std::fabs(y - py) - radius; },
               [&](float, float y) {
                   const float t = (y - py) / radius;
                   return Mix(Hex(0xe09a5a), Hex(0x5a2c14), Clamp01(t * 0.5f + 0.5f));
               });
        for (int k = 0; k < 14; ++k)
        {
            const float bx = 90 + k * 190.0f + i * 95;
            c.Fill(bx - 12, py - radius - 6, bx + 12, py + radius + 6,
                   [&](float x, float y) { return SdRoundRect(x, y, bx, py, 10, radius + 4, 3); },
                   [&](float, float) { return Hex(0x8a5a2a); });
        }
    }
    // Sparks drifting up from the furnace.
    for (int i = 0; i < 140; ++i)
    {
        const float sx = Hash2(i, 1, 55) * 2560, sy = 700 + Hash2(i, 2, 55) * 740, sr = 2 + Hash2(i, 3, 55) * 4;
        c.Glow(sx - sr, sy - sr, sx + sr, sy + sr, [&](float x, float y) { return SdCircle(x, y, sx, sy, sr); },
               Hex(0xffb84a, 0.7f), sr * 4);
    }
    Mist(c, 1300, 80, Hex(0x2a1d2e, 0.6f), 44);
    Vignette(c, 0.6f);
    c.Grain(0.025f, 4);
    WritePng(c, "T_UI_Background_Alt.png", true);
}

// Transparent but for a soft dark column behind the menu, a gold border with corner marks and a vignette.
void MenuFrame()
{
    Canvas c(2560, 1440);
    const float w = 2560, h = 1440;
    c.PaintAll([&](float x, float, float& coverage) {
        const float dx = std::fabs(x - w * 0.5f) / (w * 0.17f);
        coverage = (1.0f - SmoothStep(0.7f, 1.25f, dx)) * 0.42f;
        return Hex(0x060c1c);
    });
    Vignette(c, 0.5f);
    const float inset = 34, radius = 40;
    auto border = [&](float x, float y) { return std::fabs(SdRoundRect(x, y, w * 0.5f, h * 0.5f, w * 0.5f - inset, h * 0.5f - inset, radius)) - 1.6f; };
    c.Fill(0, 0, w, h, border, [&](float, float) { return WithAlpha(GOLD, 0.75f); });
    auto inner = [&](float x, float y) { return std::fabs(SdRoundRect(x, y, w * 0.5f, h * 0.5f, w * 0.5f - inset - 12, h * 0.5f - inset - 12, radius - 10)) - 0.8f; };
    c.Fill(0, 0, w, h, inner, [&](float, float) { return WithAlpha(GOLD, 0.35f); });
    // Corner marks: a diamond and a quarter ring.
    for (float sx : {0.0f, 1.0f})
        for (float sy : {0.0f, 1.0f})
        {
            const float cx = sx ? w - inset - 42 : inset + 42, cy = sy ? h - inset - 42 : inset + 42;
            c.Fill(cx - 30, cy - 30, cx + 30, cy + 30,
                   [&](float x, float y) { return (std::fabs(x - cx) + std::fabs(y - cy)) * 0.7071f - 12; },
                   [&](float, float) { return GOLD; });
            c.Fill(cx - 30, cy - 30, cx + 30, cy + 30,
                   [&](float x, float y) { return (std::fabs(x - cx) + std::fabs(y - cy)) * 0.7071f - 5; },
                   [&](float, float) { return NAVY; });
            c.Glow(cx - 12, cy - 12, cx + 12, cy + 12, [&](float x, float y) { return SdCircle(x, y, cx, cy, 4); },
                   Hex(0xffb13b, 0.6f), 26);
        }
    // Ornaments at the middle of the top and bottom edges.
    Ornament(c, w * 0.5f, inset, 260, 4);
    Ornament(c, w * 0.5f, h - inset, 260, 4);
    WritePng(c, "T_UI_MainMenuFrame.png", false);
}

void PauseBackground()
{
    Canvas c(2560, 1440);
    Vignette(c, 0.7f);
    const float w = 2560, h = 1440, inset = 34;
    auto border = [&](float x, float y) { return std::fabs(SdRoundRect(x, y, w * 0.5f, h * 0.5f, w * 0.5f - inset, h * 0.5f - inset, 40)) - 1.4f; };
    c.Fill(0, 0, w, h, border, [&](float, float) { return WithAlpha(GOLD, 0.5f); });
    WritePng(c, "T_UI_PauseBackground.png", false);
}

void PauseWindow(const Fonts& aFonts)
{
    Canvas c(540, 660);
    Panel(c, 270, 330, 262, 322, 34, 4, 0.88f);
    Font::Style head = TextStyle(58, LEMON, 4, 10);
    head.top = LEMON;
    head.bottom = AMBER;
    head.glow = 18;
    head.glowColor = Hex(0xffb13b, 0.25f);
    aFonts.bold.Draw(c, "PAUSED", 270, 96, head, true);
    Ornament(c, 270, 124, 180, 3);
    WritePng(c, "T_UI_PauseWindow.png", false);
}

void BlackScreen()
{
    Canvas c(64, 64);
    c.PaintAll([](float, float, float& coverage) {
        coverage = 1.0f;
        return Rgba{0, 0, 0, 1};
    });
    WritePng(c, "T_UI_BlackScreen.png", false);
}

// ---- Title logo and widgets ------------------------------------------------------------------
void TitleLogo(const Fonts& aFonts)
{
    Canvas c(1400, 400);
    Font::Style title;
    title.pixelHeight = 220;
    title.spacing = 6;
    title.top = Hex(0xfff1a0);
    title.bottom = Hex(0xff9a28);
    title.outline = 9;
    title.outlineColor = Hex(0x0b1326);
    title.glow = 34;
    title.glowColor = Hex(0xffa83a, 0.38f);
    title.shadow = 7;
    aFonts.bold.Draw(c, "Owlbright", 700, 215, title, true);
    Font::Style sub;
    sub.pixelHeight = 86;
    sub.spacing = 34;
    sub.top = Hex(0xe6fbff);
    sub.bottom = Hex(0x73d6e4);
    sub.outline = 6;
    sub.outlineColor = Hex(0x0b1326);
    sub.glow = 18;
    sub.glowColor = Hex(0x45d0e0, 0.25f);
    aFonts.bold.Draw(c, "HEIGHTS", 700, 340, sub, true);
    for (float side : {-1.0f, 1.0f})
    {
        const float cx = 700 + side * 470;
        Ornament(c, cx, 312, 140, 4);
    }
    WritePng(c, "T_UI_TitleLogo.png", false);
}

void Button(const std::string& aName, int aWidth, int aHeight)
{
    Canvas c(aWidth, aHeight);
    Panel(c, aWidth * 0.5f, aHeight * 0.5f, aWidth * 0.5f - 3, aHeight * 0.5f - 3, aHeight * 0.3f, 3.2f, 0.88f);
    WritePng(c, aName, false);
}

void SelectionArrow()
{
    Canvas c(64, 64);
    std::vector<float> tri = {18, 12, 50, 32, 18, 52};
    auto shape = [&](float x, float y) { return SdPolygon(x, y, tri) - 3.0f; };
    c.Glow(14, 8, 54, 56, shape, Hex(0xffb13b, 0.45f), 10);
    c.Fill(10, 4, 58, 60, [&](float x, float y) { return shape(x, y) - 2.5f; }, [&](float, float) { return Hex(0x0b1326); });
    c.Fill(10, 4, 58, 60, shape, [&](float, float y) { return Mix(LEMON, AMBER, Clamp01((y - 12) / 40.0f)); });
    WritePng(c, "T_UI_SelectionArrow.png", false);
}

void Slider()
{
    // The groove spans the middle 80 % of the bar: the part the grabber runs along.
    Canvas c(720, 56);
    Panel(c, 360, 28, 356, 24, 22, 3.0f, 0.9f);
    c.Fill(60, 20, 660, 36, [&](float x, float y) { return SdRoundRect(x, y, 360, 28, 292, 5, 5); },
           [&](float x, float) { return Mix(Hex(0x05091a), Hex(0x3a2a10), Clamp01((x - 72) / 576.0f)); });
    for (int i = 0; i <= 10; ++i)
    {
        const float tx = 72 + i * 57.6f;
        c.Fill(tx - 2, 8, tx + 2, 14, [&](float x, float y) { return SdSegment(x, y, tx, 9, tx, 13, 1.0f); },
               [&](float, float) { return WithAlpha(GOLD, 0.7f); });
    }
    WritePng(c, "T_UI_Slider.png", false);
}

void SliderGrabber()
{
    Canvas c(64, 64);
    c.Glow(8, 8, 56, 56, [&](float x, float y) { return SdCircle(x, y, 32, 32, 22); }, Hex(0xffb13b, 0.4f), 10);
    c.Fill(4, 4, 60, 60, [&](float x, float y) { return SdCircle(x, y, 32, 32, 23); }, [&](float, float) { return Hex(0x0b1326); });
    c.Fill(4, 4, 60, 60, [&](float x, float y) { return SdCircle(x, y, 32, 32, 20); }, [&](float x, float y) {
        const float d = std::hypot(x - 26, y - 24) / 26.0f;
        return Mix(Hex(0xfff2b0), Hex(0xe08a1e), Clamp01(d));
    });
    c.Fill(4, 4, 60, 60, [&](float x, float y) { return std::fabs(SdCircle(x, y, 32, 32, 20)) - 1.2f; },
           [&](float, float) { return GOLD_DARK; });
    WritePng(c, "T_UI_SliderGrabber.png", false);
}

// ---- Credits ---------------------------------------------------------------------------------
void CreditsNames(const Fonts& aFonts)
{
    Canvas c(1600, 620);
    Panel(c, 800, 310, 792, 302, 40, 4, 0.86f);
    struct Entry
    {
        const char* header;
        std::vector<const char*> lines;
    };
    const std::vector<Entry> left = {
        {"A GAME BY", {"Owlbright studio"}},
        {"PROGRAMMING", {"The Owlbright engine team", "Qel engine and game code"}},
        {"ART AND LEVELS", {"Procedural art by our own generators", "Level design: the Owlbright team"}},
    };
    const std::vector<Entry> right = {
        {"MUSIC AND SOUND", {"Synthesised by our own tools"}},
        {"FONTS", {"DejaVu Sans (DejaVu fonts licence)"}},
        {"BUILT WITH", {"SDL2, OpenGL (Mesa), OpenAL Soft", "FFmpeg, FreeType, nlohmann json", "Dear ImGui, Assimp, stb, GoogleTest"}},
    };
    auto column = [&](const std::vector<Entry>& aEntries, float aX) {
        float y = 92;
        for (const Entry& e : aEntries)
        {
            Font::Style head = TextStyle(34, AMBER, 0, 6);
            head.top = LEMON;
            head.bottom = AMBER;
            aFonts.bold.Draw(c, e.header, aX, y, head, true);
            y += 46;
            for (const char* line : e.lines)
            {
                aFonts.regular.Draw(c, line, aX, y, TextStyle(34, OFF_WHITE, 2), true);
                y += 42;
            }
            y += 28;
        }
    };
    column(left, 420);
    column(right, 1180);
    c.Fill(795, 60, 805, 560, [&](float x, float y) { return SdSegment(x, y, 800, 70, 800, 550, 1.2f); },
           [&](float, float y) { return WithAlpha(GOLD, 0.6f * (1.0f - std::fabs(y - 310) / 260.0f)); });
    WritePng(c, "T_UI_CreditsNames.png", false);
}

// The play screen's vignette: black, transparent in the middle and darker towards the corners.
void VignetteTexture()
{
    Canvas c(1024, 576);
    c.PaintAll([&](float x, float y, float& coverage) {
        const float dx = (x / 1024.0f - 0.5f) * 2.0f, dy = (y / 576.0f - 0.5f) * 2.0f;
        coverage = SmoothStep(0.45f, 1.45f, std::sqrt(dx * dx * 0.85f + dy * dy)) * 0.8f;
        return Rgba{0, 0, 0, 1};
    });
    WriteDds(c, "VignetteTexture.dds");
}
}

int main(int aArgc, char** aArgv)
{
    if (aArgc != 3)
    {
        std::fprintf(stderr, "usage: make_ui_images <font folder> <game asset root>\n");
        return 2;
    }
    try
    {
        const std::filesystem::path fonts = aArgv[1];
        ourOut = aArgv[2];
        const Fonts faces{Font((fonts / "DejaVuSans.ttf").string()), Font((fonts / "DejaVuSans-Bold.ttf").string())};
        StudioSplash(faces);
        EngineSplash(faces);
        LibrariesSplash(faces);
        MenuBackground();
        AltBackground();
        MenuFrame();
        PauseBackground();
        PauseWindow(faces);
        BlackScreen();
        TitleLogo(faces);
        Button("T_UI_ButtonMedium.png", 300, 100);
        Button("T_UI_Button_Small.png", 220, 76);
        SelectionArrow();
        Slider();
        SliderGrabber();
        CreditsNames(faces);
        VignetteTexture();
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "make_ui_images: %s\n", e.what());
        return 1;
    }
    return 0;
}
