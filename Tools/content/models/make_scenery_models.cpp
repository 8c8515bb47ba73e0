// Writes the scenery the levels place (SceneryCatalog.h): a sky per chapter, the backdrop layers
// behind the play plane and the low-poly props in front of them. Every prop shares one palette
// material (a grid of flat colour swatches, with a glow map for lamps, embers and windows), so each
// model is a single draw; a sky is one quad with its own gradient. Byte for byte the same on every run.
// Usage: make_scenery_models <game asset root>
//
//   art/3d/<model>.fbx            one mesh per model
//   art/3d/M_Scenery_C/_FX.dds    the shared palette and its glow
//   art/3d/M_Sky<chapter>_C/_FX.dds
#include "DdsWriter.h"
#include "FbxWriter.h"
#include "SceneryCatalog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>

using namespace FbxGen;

namespace
{
constexpr double PI = 3.14159265358979323846;

double Hash(int x, int y, int aSeed)
{
    unsigned h = static_cast<unsigned>(x) * 374761393u + static_cast<unsigned>(y) * 668265263u +
                 static_cast<unsigned>(aSeed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<double>((h ^ (h >> 16)) & 0xffffu) / 65536.0;
}

double Linear(double aSrgb) { return aSrgb <= 0.04045 ? aSrgb / 12.92 : std::pow((aSrgb + 0.055) / 1.055, 2.4); }
double Srgb(double aLinear) { return aLinear <= 0.0031308 ? aLinear * 12.92 : 1.055 * std::pow(aLinear, 1.0 / 2.4) - 0.055; }
std::uint8_t Byte(double aValue) { return static_cast<std::uint8_t>(std::lround(std::clamp(aValue, 0.0, 1.0) * 255.0)); }
Vec3 Mix(const Vec3& a, const Vec3& b, double t)
{
    return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t};
}

// The share of a colour a face turned to the camera keeps under the play light (linear).
constexpr double FRONT_LIGHT = 0.68;

// A colour that must read as given on a face turned to the camera, whatever the light: the
// albedo carries what the light can show, the glow map the rest.
struct Texel
{
    Rgba myAlbedo;
    Rgba myGlow;
};
Texel Flat(const Vec3& aSrgb)
{
    Texel t{{0, 0, 0, 255}, {0, 0, 0, 255}};
    for (size_t i = 0; i < 3; ++i)
    {
        const double wanted = Linear(aSrgb[i]);
        const double lit = std::min(wanted / FRONT_LIGHT, 1.0);
        t.myAlbedo[i] = Byte(Srgb(lit));
        t.myGlow[i] = Byte(wanted - lit * FRONT_LIGHT);
    }
    return t;
}

// ---- the palette --------------------------------------------------------------------------

enum Swatch
{
    // forest
    PineDark, PineLight, Moss, MossLight, Bark, BarkDark, Stone, StoneDark, Cap, Leaf, LeafLight, Cream,
    // forest backdrops (flat: read as given)
    MistFar, MistFarShade, MistPeak, HillMid, HillMidShade, HillTrees, NearTrees, NearTreesLit, NearGround,
    // factory
    Brass, BrassDark, Copper, CopperDark, Soot, SootDark, Steel, Furnace, Ember, Brick, BrickDark,
    // factory backdrops (flat)
    SkylineFar, SkylineFarShade, WindowFar, MidSoot, MidSootShade, MidGlow, NearSoot, NearSootLit, NearGlow,
    SWATCH_COUNT
};

struct SwatchDef
{
    Vec3 myColour;        // sRGB
    bool myFlat = false;  // backdrop colour: shown as given on camera-facing faces
    Vec3 myGlow{0, 0, 0}; // sRGB, added light
};

const SwatchDef& SwatchOf(int aSwatch)
{
    static const std::vector<SwatchDef> swatches = {
        {{0.10, 0.30, 0.20}}, {{0.17, 0.43, 0.25}}, {{0.32, 0.56, 0.22}}, {{0.46, 0.66, 0.28}}, {{0.45, 0.28, 0.14}},
        {{0.28, 0.17, 0.08}}, {{0.55, 0.53, 0.56}}, {{0.40, 0.38, 0.45}}, {{0.72, 0.52, 0.92}, false, {0.45, 0.25, 0.62}},
        {{0.20, 0.42, 0.22}}, {{0.31, 0.53, 0.26}}, {{0.86, 0.82, 0.72}},
        // forest backdrops: lilac mist far, blue-green hills, dark pines near
        {{0.60, 0.57, 0.76}, true}, {{0.50, 0.48, 0.68}, true}, {{0.76, 0.72, 0.88}, true},
        {{0.24, 0.47, 0.52}, true}, {{0.19, 0.40, 0.46}, true}, {{0.13, 0.33, 0.38}, true},
        {{0.06, 0.21, 0.21}, true}, {{0.09, 0.27, 0.25}, true}, {{0.05, 0.15, 0.15}, true},
        // factory
        {{0.80, 0.62, 0.28}}, {{0.58, 0.42, 0.18}}, {{0.72, 0.40, 0.22}}, {{0.50, 0.26, 0.14}}, {{0.26, 0.26, 0.29}},
        {{0.15, 0.15, 0.18}}, {{0.55, 0.60, 0.68}}, {{1.0, 0.55, 0.12}, false, {0.9, 0.42, 0.08}},
        {{1.0, 0.82, 0.45}, false, {1.0, 0.72, 0.35}}, {{0.46, 0.22, 0.16}}, {{0.32, 0.15, 0.11}},
        // factory backdrops: night-blue skyline, soot machinery, furnace windows
        {{0.20, 0.22, 0.42}, true}, {{0.16, 0.17, 0.35}, true}, {{0.72, 0.52, 0.30}, true},
        {{0.13, 0.14, 0.27}, true}, {{0.10, 0.11, 0.22}, true}, {{0.85, 0.42, 0.12}, true},
        {{0.07, 0.07, 0.12}, true}, {{0.12, 0.11, 0.17}, true}, {{0.62, 0.30, 0.10}, true},
    };
    return swatches[static_cast<size_t>(aSwatch)];
}

// A 16 x 16 grid of 8-pixel swatches; rows are mirrored top to bottom so the palette reads the
// same whichever way a loader turns the texture's rows.
constexpr int GRID = 16, CELL_PIXELS = 8, PALETTE_SIZE = GRID * CELL_PIXELS;

Vec2 SwatchUV(int aSwatch)
{
    const int column = aSwatch % GRID, row = aSwatch / GRID;
    return {(column + 0.5) / GRID, (row + 0.5) / GRID};
}

bool WritePalette(const std::filesystem::path& aFolder)
{
    auto texel = [](int x, int y) {
        int row = y / CELL_PIXELS;
        if (row >= GRID / 2)
            row = GRID - 1 - row;
        const int swatch = row * GRID + x / CELL_PIXELS;
        return swatch < SWATCH_COUNT ? swatch : -1;
    };
    // Every swatch must sit in the unmirrored half.
    static_assert(SWATCH_COUNT <= GRID * GRID / 2);
    bool ok = WriteDds(aFolder / "M_Scenery_C.dds", PALETTE_SIZE, PALETTE_SIZE, [&](int x, int y) {
        const int s = texel(x, y);
        if (s < 0)
            return Rgba{128, 128, 128, 255};
        const SwatchDef& def = SwatchOf(s);
        if (def.myFlat)
            return Flat(def.myColour).myAlbedo;
        return Rgba{Byte(def.myColour[0]), Byte(def.myColour[1]), Byte(def.myColour[2]), 255};
    });
    ok &= WriteDds(aFolder / "M_Scenery_FX.dds", PALETTE_SIZE, PALETTE_SIZE, [&](int x, int y) {
        const int s = texel(x, y);
        if (s < 0)
            return Rgba{0, 0, 0, 255};
        const SwatchDef& def = SwatchOf(s);
        if (def.myFlat)
            return Flat(def.myColour).myGlow;
        return Rgba{Byte(Linear(def.myGlow[0])), Byte(Linear(def.myGlow[1])), Byte(Linear(def.myGlow[2])), 255};
    });
    return ok;
}

// ---- low-poly geometry --------------------------------------------------------------------

Vec3 Add(const Vec3& a, const Vec3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec3 Sub(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3 Scale(const Vec3& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
double Dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec3 Normalised(const Vec3& a)
{
    const double length = std::sqrt(Dot(a, a));
    return length > 0.0 ? Scale(a, 1.0 / length) : Vec3{0, 0, -1};
}

// Flat-shaded faces in one palette mesh, placed through an offset and a uniform size so the
// prop builders compose into groups.
class Builder
{
public:
    explicit Builder(Mesh& aMesh) : myMesh(aMesh) {}

    Builder Moved(const Vec3& anOffset, double aScale = 1.0) const
    {
        Builder b(myMesh);
        b.myOffset = Add(myOffset, Scale(anOffset, myScale));
        b.myScale = myScale * aScale;
        b.myHalfWidth = myHalfWidth;
        return b;
    }

    // A convex face; its normal points away from aInside (model space of this builder).
    void Face(std::vector<Vec3> somePoints, int aSwatch, const Vec3& aInside)
    {
        for (Vec3& p : somePoints)
            p = Add(myOffset, Scale(p, myScale));
        const Vec3 inside = Add(myOffset, Scale(aInside, myScale));
        Vec3 centre{0, 0, 0};
        for (const Vec3& p : somePoints)
            centre = Add(centre, Scale(p, 1.0 / static_cast<double>(somePoints.size())));
        Vec3 normal{0, 0, 0};
        for (size_t i = 0; i < somePoints.size(); ++i)
            normal = Add(normal, Cross(Sub(somePoints[i], centre), Sub(somePoints[(i + 1) % somePoints.size()], centre)));
        if (Dot(normal, Sub(centre, inside)) < 0.0)
        {
            std::reverse(somePoints.begin(), somePoints.end());
            normal = Scale(normal, -1.0);
        }
        normal = Normalised(normal);
        // The play camera is orthographic and looks straight along +z: a face turned away from
        // it, or edge on, is never seen, so it costs vertices for nothing.
        if (normal[2] > -0.02)
            return;
        Polygon polygon;
        const Vec2 uv = SwatchUV(aSwatch);
        for (const Vec3& p : somePoints)
        {
            polygon.myCorners.push_back(static_cast<int>(myMesh.myPoints.size()));
            myMesh.myPoints.push_back(p);
            myMesh.myNormals.push_back(normal);
            myMesh.myUVs.push_back(uv);
            myMesh.myColors.push_back({1, 1, 1, 1});
        }
        myMesh.myPolygons.push_back(polygon);
    }

    // A flat shape turned to the camera (backdrops): x, y points at depth z.
    void Front(const std::vector<Vec2>& somePoints, double aZ, int aSwatch)
    {
        std::vector<Vec3> points;
        for (const Vec2& p : somePoints)
            points.push_back({p[0], p[1], aZ});
        Vec3 centre{0, 0, aZ + 1.0};
        for (const Vec2& p : somePoints)
        {
            centre[0] += p[0] / static_cast<double>(somePoints.size());
            centre[1] += p[1] / static_cast<double>(somePoints.size());
        }
        Face(points, aSwatch, centre);
    }
    void FrontRect(double x0, double y0, double x1, double y1, double aZ, int aSwatch)
    {
        Front({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, aZ, aSwatch);
    }

    // A box turned by aTurn degrees about z.
    void Box(const Vec3& c, const Vec3& h, int aSwatch, double aTurn = 0.0)
    {
        const double a = aTurn * PI / 180.0, cs = std::cos(a), sn = std::sin(a);
        Vec3 corner[8];
        for (int i = 0; i < 8; ++i)
        {
            const double x = (i & 1) ? h[0] : -h[0], y = (i & 2) ? h[1] : -h[1], z = (i & 4) ? h[2] : -h[2];
            corner[i] = {c[0] + x * cs - y * sn, c[1] + x * sn + y * cs, c[2] + z};
        }
        const int faces[6][4] = {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3}, {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};
        for (const auto& f : faces)
            Face({corner[f[0]], corner[f[1]], corner[f[2]], corner[f[3]]}, aSwatch, c);
    }

    // A many-sided frustum from a to b (radius ra to rb); a tip when rb is 0. Caps closed.
    void Frustum(const Vec3& a, const Vec3& b, double ra, double rb, int aSides, int aSwatch, double aPhase = 0.0,
                 int aCapSwatch = -1)
    {
        const Vec3 axis = Normalised(Sub(b, a));
        const Vec3 helper = std::fabs(axis[1]) < 0.9 ? Vec3{0, 1, 0} : Vec3{0, 0, 1};
        const Vec3 u = Normalised(Cross(axis, helper)), v = Cross(axis, u);
        const Vec3 inside = Scale(Add(a, b), 0.5);
        std::vector<Vec3> ringA, ringB;
        for (int i = 0; i < aSides; ++i)
        {
            const double t = 2.0 * PI * (i + aPhase) / aSides;
            const Vec3 dir = Add(Scale(u, std::cos(t)), Scale(v, std::sin(t)));
            ringA.push_back(Add(a, Scale(dir, ra)));
            ringB.push_back(Add(b, Scale(dir, rb)));
        }
        for (int i = 0; i < aSides; ++i)
        {
            const int j = (i + 1) % aSides;
            if (rb <= 0.0)
                Face({ringA[i], ringA[j], b}, aSwatch, inside);
            else
                Face({ringA[i], ringA[j], ringB[j], ringB[i]}, aSwatch, inside);
        }
        const int cap = aCapSwatch < 0 ? aSwatch : aCapSwatch;
        Face(ringA, cap, inside);
        if (rb > 0.0)
            Face(ringB, cap, inside);
    }

    // A lumpy low-poly ball: a coarse sphere whose points are pushed in and out by a fixed seed;
    // upward faces take the lighter swatch.
    void Blob(const Vec3& c, const Vec3& r, int aSeed, int aSwatch, int aTopSwatch)
    {
        constexpr int RINGS = 4, SEGMENTS = 6;
        std::vector<Vec3> p;
        auto at = [&](int ring, int segment) -> Vec3 {
            if (ring == 0)
                return {c[0], c[1] - r[1], c[2]};
            if (ring == RINGS)
                return {c[0], c[1] + r[1] * (0.9 + 0.2 * Hash(aSeed, 99, 3)), c[2]};
            const double lat = PI * ring / RINGS - PI / 2, lon = 2.0 * PI * (segment % SEGMENTS + 0.5 * (ring % 2)) / SEGMENTS;
            const double k = 0.82 + 0.3 * Hash(ring * 31 + aSeed, segment % SEGMENTS, 7);
            return {c[0] + r[0] * k * std::cos(lat) * std::cos(lon), c[1] + r[1] * k * std::sin(lat),
                    c[2] + r[2] * k * std::cos(lat) * std::sin(lon)};
        };
        for (int ring = 0; ring < RINGS; ++ring)
            for (int s = 0; s < SEGMENTS; ++s)
            {
                const Vec3 a = at(ring, s), b = at(ring, s + 1), d = at(ring + 1, s), e = at(ring + 1, s + 1);
                auto tri = [&](const Vec3& x, const Vec3& y, const Vec3& z) {
                    const Vec3 n = Cross(Sub(y, x), Sub(z, x));
                    const double up = Normalised(n)[1];
                    Face({x, y, z}, std::fabs(up) > 0.55 ? aTopSwatch : aSwatch, c);
                };
                if (ring > 0)
                    tri(a, b, e);
                if (ring < RINGS - 1)
                    tri(a, e, d);
            }
    }

    // How far a backdrop layer reaches to each side of its centre.
    double HalfWidth() const { return myHalfWidth; }
    void SetHalfWidth(double aHalfWidth) { myHalfWidth = aHalfWidth; }

private:
    Mesh& myMesh;
    Vec3 myOffset{0, 0, 0};
    double myScale = 1.0;
    double myHalfWidth = 3000.0;
};

// ---- props ---------------------------------------------------------------------------------

void Pine(Builder b, int aSeed = 0)
{
    const double lean = 0.25 * Hash(aSeed, 1, 2);
    b.Frustum({0, 0, 0}, {0, 120, 0}, 20, 15, 6, Bark, lean);
    b.Frustum({0, 90, 0}, {0, 270, 0}, 135, 0, 7, PineDark, lean);
    b.Frustum({0, 200, 0}, {0, 370, 0}, 105, 0, 7, PineLight, 0.5 + lean);
    b.Frustum({0, 300, 0}, {0, 470, 0}, 72, 0, 7, PineDark, lean + 0.2);
}

void Oak(Builder b, int aSeed = 0)
{
    b.Frustum({0, 0, 0}, {0, 200, 0}, 28, 18, 6, Bark);
    b.Box({-40, 190, 0}, {42, 8, 8}, BarkDark, 35);
    b.Blob({0, 300, 0}, {150, 115, 110}, 11 + aSeed, Leaf, LeafLight);
    b.Blob({-105, 245, 25}, {85, 70, 75}, 12 + aSeed, Leaf, LeafLight);
    b.Blob({100, 260, -15}, {80, 65, 70}, 13 + aSeed, Leaf, LeafLight);
}

void Rock(Builder b, int aSeed = 0)
{
    b.Blob({0, 38, 0}, {75, 48, 55}, 21 + aSeed, StoneDark, Stone);
    b.Blob({60, 18, -20}, {34, 24, 30}, 22 + aSeed, StoneDark, Stone);
    b.Blob({-10, 78, 0}, {40, 8, 34}, 23 + aSeed, Moss, MossLight);
}

void Bush(Builder b, int aSeed = 0)
{
    b.Blob({0, 45, 0}, {75, 50, 55}, 31 + aSeed, Moss, MossLight);
    b.Blob({-58, 32, 12}, {46, 34, 40}, 32 + aSeed, Leaf, LeafLight);
    b.Blob({56, 30, -6}, {42, 32, 38}, 33 + aSeed, Moss, MossLight);
}

void Fence(Builder b)
{
    for (int i = 0; i < 4; ++i)
    {
        const double x = -150.0 + 100.0 * i, tilt = 6.0 * (Hash(i, 4, 9) - 0.5);
        b.Box({x, 55, 0}, {8, 55, 7}, Bark, tilt);
        b.Frustum({x, 110, 0}, {x, 128, 0}, 9, 0, 4, BarkDark, 0.5);
    }
    b.Box({0, 40, -9}, {165, 6, 3}, BarkDark, 1.5);
    b.Box({0, 82, -9}, {165, 6, 3}, BarkDark, -1.0);
}

void Mushrooms(Builder b)
{
    const double at[3][3] = {{-48, 74, 1.6}, {28, 48, 1.1}, {74, 60, 1.35}};
    for (const auto& m : at)
    {
        b.Frustum({m[0], 0, 0}, {m[0], m[1], 0}, 8 * m[2], 6 * m[2], 6, Cream);
        b.Frustum({m[0], m[1] - 4, 0}, {m[0], m[1] + 16 * m[2], 0}, 30 * m[2], 6 * m[2], 7, Cap);
    }
}

void Grove(Builder b)
{
    Pine(b.Moved({-230, 0, 40}, 1.15), 1);
    Oak(b.Moved({110, 0, 90}, 0.95), 2);
    Bush(b.Moved({-60, 0, -60}, 0.9), 3);
    Rock(b.Moved({300, 0, -40}, 0.8), 4);
    Bush(b.Moved({380, 0, 20}, 0.7), 5);
    Mushrooms(b.Moved({-330, 0, -50}, 1.0));
}

void Pipes(Builder b)
{
    b.Frustum({-260, 70, 0}, {260, 70, 0}, 24, 24, 8, Copper, 0.5);
    for (double x : {-250.0, -10.0, 230.0})
        b.Frustum({x - 10, 70, 0}, {x + 10, 70, 0}, 32, 32, 8, Brass, 0.5);
    b.Frustum({-200, 150, 10}, {200, 150, 10}, 14, 14, 6, Soot, 0.5);
    b.Frustum({200, 0, 10}, {200, 150, 10}, 14, 14, 6, Soot, 0.5);
    b.Box({200, 150, 10}, {18, 18, 18}, SootDark);
    b.Frustum({-240, 0, 0}, {-240, 46, 0}, 30, 26, 8, SootDark);
    // A valve wheel on the front.
    b.Frustum({-90, 70, -26}, {-90, 70, -40}, 6, 6, 6, Brass);
    b.Frustum({-90, 70, -40}, {-90, 70, -46}, 30, 30, 10, Furnace);
    b.Box({-90, 70, -44}, {28, 4, 3}, BrassDark);
    b.Box({-90, 70, -44}, {4, 28, 3}, BrassDark);
}

void Girder(Builder b)
{
    constexpr double H = 520, W = 60;
    b.Box({-W, H / 2, 0}, {9, H / 2, 9}, SootDark);
    b.Box({W, H / 2, 0}, {9, H / 2, 9}, SootDark);
    for (int i = 0; i <= 4; ++i)
        b.Box({0, 10 + i * 125.0, 0}, {W + 12, 7, 11}, Soot);
    const double diagonal = std::atan2(125.0, 2 * W) * 180.0 / PI, length = std::hypot(125.0, 2 * W) / 2;
    for (int i = 0; i < 4; ++i)
        b.Box({0, 72 + i * 125.0, -4}, {length, 5, 5}, SootDark, i % 2 ? diagonal : -diagonal);
    b.Box({0, H + 14, 0}, {W + 40, 10, 16}, Copper);
    // A warning lamp on top.
    b.Box({W + 20, H + 36, 0}, {10, 12, 10}, Ember);
}

void Boiler(Builder b)
{
    b.Frustum({0, 0, 0}, {0, 30, 0}, 100, 100, 10, SootDark);
    b.Frustum({0, 30, 0}, {0, 230, 0}, 92, 92, 10, CopperDark);
    for (double y : {60.0, 200.0})
        b.Frustum({0, y - 8, 0}, {0, y + 8, 0}, 97, 97, 10, Brass);
    b.Frustum({0, 230, 0}, {0, 285, 0}, 92, 40, 10, Copper);
    b.Frustum({0, 285, 0}, {0, 420, 0}, 18, 18, 6, Soot);
    b.Frustum({0, 420, 0}, {0, 436, 0}, 26, 26, 6, SootDark);
    // A glowing gauge and the firebox door.
    b.Frustum({-30, 150, -92}, {-30, 150, -104}, 22, 22, 10, Brass);
    b.Frustum({-30, 150, -104}, {-30, 150, -108}, 16, 16, 10, Ember);
    b.Box({30, 70, -94}, {30, 24, 6}, Furnace);
    b.Box({30, 70, -98}, {34, 4, 4}, SootDark);
}

void Chimney(Builder b)
{
    b.Frustum({0, 0, 0}, {0, 40, 0}, 90, 90, 8, SootDark, 0.5);
    b.Frustum({0, 40, 0}, {0, 600, 0}, 72, 56, 8, Brick, 0.5);
    for (double y : {200.0, 400.0})
        b.Frustum({0, y - 10, 0}, {0, y + 10, 0}, 72 - y * 0.028, 72 - y * 0.028, 8, BrickDark, 0.5);
    b.Frustum({0, 600, 0}, {0, 625, 0}, 68, 68, 8, Soot, 0.5, Ember);
}

void Gear(Builder b, int aTeeth = 12, double aRadius = 110, int aSwatch = Brass)
{
    b.Frustum({0, 0, -15}, {0, 0, 15}, aRadius, aRadius, aTeeth * 2, aSwatch);
    for (int i = 0; i < aTeeth; ++i)
    {
        const double a = 360.0 * i / aTeeth, r = aRadius + 14;
        b.Box({r * std::cos(a * PI / 180), r * std::sin(a * PI / 180), 0}, {18, 14, 13}, aSwatch, a);
    }
    b.Frustum({0, 0, -22}, {0, 0, 22}, aRadius * 0.28, aRadius * 0.28, 8, BrassDark);
    for (int i = 0; i < 3; ++i)
        b.Box({0, 0, -17}, {aRadius * 0.8, 8, 3}, BrassDark, 60.0 * i);
}

void Works(Builder b)
{
    Girder(b.Moved({-260, 0, 80}));
    Boiler(b.Moved({40, 0, 0}));
    Pipes(b.Moved({300, 0, -30}, 0.8));
    Gear(b.Moved({-60, 470, 120}, 0.9), 10, 100, Copper);
}

// ---- backdrops -----------------------------------------------------------------------------

// Each layer is wide enough (Builder::HalfWidth) that one covers the longest level at its depth's
// drift: the view is about 2500 wide, and the nearer the layer, the more it drifts.
constexpr double LAYER_BOTTOM = -900;

// Low-poly peaks: each a lit and a shaded half, with a pale tip.
void Peaks(Builder& b, int aSeed, double aBaseY, double aMin, double aMax, double aStep, double aZ, int aLit, int aShade, int aTip)
{
    int i = 0;
    for (double x = -b.HalfWidth() - 200; x < b.HalfWidth() + 200; x += aStep * (0.7 + 0.6 * Hash(i, 1, aSeed)), ++i)
    {
        const double h = aMin + (aMax - aMin) * Hash(i, 2, aSeed), half = aStep * (0.8 + 0.5 * Hash(i, 3, aSeed));
        const double top = aBaseY + h, tipX = x + half * (Hash(i, 4, aSeed) - 0.5) * 0.5, z = aZ + (i % 5) * 2.0;
        b.Front({{x - half, LAYER_BOTTOM}, {tipX, LAYER_BOTTOM}, {tipX, top}, {x - half, aBaseY}}, z, aLit);
        b.Front({{tipX, LAYER_BOTTOM}, {x + half, LAYER_BOTTOM}, {x + half, aBaseY}, {tipX, top}}, z, aShade);
        if (aTip >= 0 && h > (aMin + aMax) / 2)
        {
            const double t = 0.22;
            b.Front({{tipX - half * t, top - h * t}, {tipX + half * t * 0.6, top - h * t * 0.8}, {tipX, top}}, z - 1, aTip);
        }
    }
}

// A row of flat pine silhouettes standing on a wavy line.
void PineRow(Builder& b, int aSeed, double aStep, double aBase, double aWave, double aMinH, double aMaxH, double aZ, int aDark, int aLit,
             int aTiers = 3)
{
    int i = 0;
    for (double x = -b.HalfWidth(); x < b.HalfWidth(); x += aStep * (0.6 + 0.8 * Hash(i, 5, aSeed)), ++i)
    {
        const double foot = aBase + aWave * std::sin(x * 0.0011 + aSeed) + 0.5 * aWave * std::sin(x * 0.0029 + 2 * aSeed);
        const double h = aMinH + (aMaxH - aMinH) * Hash(i, 6, aSeed), w = h * (0.28 + 0.08 * Hash(i, 7, aSeed));
        const double z = aZ + (i % 7) * 1.5;
        for (int tier = 0; tier < aTiers; ++tier)
        {
            const double rise = 0.75 / aTiers;
            const double y0 = foot + h * (0.12 + tier * rise * 1.04), y1 = foot + h * (0.12 + (tier + 1.5) * rise), half = w * (1.0 - tier * 0.72 / aTiers);
            b.Front({{x - half, y0}, {x, y0 + h * 0.04}, {x, y1}}, z, aLit);
            b.Front({{x, y0 + h * 0.04}, {x + half, y0}, {x, y1}}, z, aDark);
        }
    }
}

// The ground under a silhouette row, down past the bottom of the view.
void WavyGround(Builder& b, int aSeed, double aBase, double aWave, double aZ, int aSwatch)
{
    constexpr double STEP = 300;
    for (double x = -b.HalfWidth() - STEP; x < b.HalfWidth() + STEP; x += STEP)
    {
        auto y = [&](double at) { return aBase + aWave * std::sin(at * 0.0011 + aSeed) + 0.5 * aWave * std::sin(at * 0.0029 + 2 * aSeed); };
        b.Front({{x, LAYER_BOTTOM}, {x + STEP, LAYER_BOTTOM}, {x + STEP, y(x + STEP)}, {x, y(x)}}, aZ, aSwatch);
    }
}

// The far layer: misty peaks with wooded hills before them, one draw.
void FarForest(Builder b)
{
    b.SetHalfWidth(2900);
    Peaks(b, 3, 150, 350, 1050, 520, 120, MistFar, MistFarShade, MistPeak);
    Peaks(b, 4, 0, 200, 520, 380, 100, MistFarShade, MistFar, -1);
    WavyGround(b, 5, 180, 120, 10, HillMid);
    PineRow(b, 5, 300, 150, 120, 180, 360, 0, HillTrees, HillMidShade, 2);
}

void NearForest(Builder b)
{
    b.SetHalfWidth(3600);
    WavyGround(b, 7, 60, 60, 10, NearGround);
    PineRow(b, 7, 330, 40, 60, 360, 660, 0, NearTrees, NearTreesLit);
}

void Skyline(Builder& b, int aSeed, double aStep, double aMinH, double aMaxH, double aZ, int aLit, int aShade, int aWindow,
             double aWindowChance)
{
    int i = 0;
    for (double x = -b.HalfWidth(); x < b.HalfWidth(); x += aStep * (0.5 + Hash(i, 11, aSeed)), ++i)
    {
        const double h = aMinH + (aMaxH - aMinH) * Hash(i, 12, aSeed), w = aStep * (0.35 + 0.5 * Hash(i, 13, aSeed));
        const int swatch = i % 2 ? aLit : aShade;
        const double z = aZ + (i % 4) * 2.0;
        if (Hash(i, 14, aSeed) < 0.3)
        {
            // A chimney stack with a glowing mouth.
            b.FrontRect(x - w * 0.18, LAYER_BOTTOM, x + w * 0.18, h * 1.25, z, swatch);
            b.FrontRect(x - w * 0.24, h * 1.25, x + w * 0.24, h * 1.25 + 30, z - 1, aWindow);
            continue;
        }
        b.FrontRect(x - w / 2, LAYER_BOTTOM, x + w / 2, h, z, swatch);
        // A sawtooth roof or a flat one.
        if (Hash(i, 15, aSeed) < 0.5)
            for (int t = 0; t < 3; ++t)
            {
                const double tx = x - w / 2 + w * t / 3;
                b.Front({{tx, h}, {tx + w / 3, h}, {tx, h + w * 0.18}}, z, swatch);
            }
        for (int row = 0; row < 8; ++row)
            for (int col = 0; col < 4; ++col)
            {
                const double wy = h - 70.0 - row * 90.0, wx = x - w / 2 + w * (col + 0.5) / 4;
                if (wy < 60.0 || Hash(i * 16 + row, col, aSeed + 3) > aWindowChance)
                    continue;
                b.FrontRect(wx - w * 0.045, wy, wx + w * 0.045, wy + 26, z - 1, aWindow);
            }
    }
}

void FlatGear(Builder& b, double cx, double cy, double r, int aTeeth, double aZ, int aSwatch, int aHub)
{
    std::vector<Vec2> ring;
    for (int i = 0; i < aTeeth * 2; ++i)
    {
        const double a = PI * i / aTeeth;
        ring.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    b.Front(ring, aZ, aSwatch);
    for (int i = 0; i < aTeeth; ++i)
    {
        const double a = 2.0 * PI * i / aTeeth, da = PI / aTeeth * 0.45, r1 = r * 1.16;
        b.Front({{cx + r * 0.98 * std::cos(a - da), cy + r * 0.98 * std::sin(a - da)},
                 {cx + r1 * std::cos(a - da * 0.7), cy + r1 * std::sin(a - da * 0.7)},
                 {cx + r1 * std::cos(a + da * 0.7), cy + r1 * std::sin(a + da * 0.7)},
                 {cx + r * 0.98 * std::cos(a + da), cy + r * 0.98 * std::sin(a + da)}},
                aZ, aSwatch);
    }
    std::vector<Vec2> hub;
    for (int i = 0; i < 8; ++i)
        hub.push_back({cx + r * 0.25 * std::cos(PI * i / 4), cy + r * 0.25 * std::sin(PI * i / 4)});
    b.Front(hub, aZ - 1, aHub);
}

void FlatTruss(Builder& b, double x, double y0, double y1, double w, double aZ, int aSwatch)
{
    b.FrontRect(x - w / 2, y0, x - w / 2 + 16, y1, aZ, aSwatch);
    b.FrontRect(x + w / 2 - 16, y0, x + w / 2, y1, aZ, aSwatch);
    for (double y = y0; y + w < y1; y += w)
    {
        b.FrontRect(x - w / 2, y, x + w / 2, y + 12, aZ, aSwatch);
        b.Front({{x - w / 2, y + 6}, {x - w / 2 + 16, y + 6}, {x + w / 2, y + w - 6}, {x + w / 2 - 16, y + w - 6}}, aZ, aSwatch);
    }
}

void Machinery(Builder& b)
{
    int i = 0;
    for (double x = -b.HalfWidth(); x < b.HalfWidth(); x += 700 + 500 * Hash(i, 16, 2), ++i)
    {
        const double r = 220 + 200 * Hash(i, 17, 2);
        if (i % 3 == 2)
            FlatTruss(b, x, LAYER_BOTTOM, 700 + 400 * Hash(i, 18, 2), 110, 4, MidSootShade);
        else
            FlatGear(b, x, 150 + r * 0.5, r, 10 + i % 4 * 2, 6 + i % 2 * 2, i % 2 ? MidSoot : MidSootShade, i % 2 ? MidSootShade : MidSoot);
    }
    // A long pipe bridge across the layer.
    b.FrontRect(-b.HalfWidth() - 200, 420, b.HalfWidth() + 200, 470, 2, MidSootShade);
    for (double x = -b.HalfWidth(); x < b.HalfWidth(); x += 640)
        b.FrontRect(x - 10, 472, x + 10, 486, 1, MidGlow);
    b.FrontRect(-b.HalfWidth() - 200, LAYER_BOTTOM, b.HalfWidth() + 200, 260, 12, MidSoot);
}

// The far layer: a night skyline with soot machinery before it, one draw.
void FarFactory(Builder b)
{
    b.SetHalfWidth(2900);
    Skyline(b, 21, 330, 380, 1000, 110, SkylineFar, SkylineFarShade, WindowFar, 0.16);
    b.FrontRect(-b.HalfWidth() - 200, LAYER_BOTTOM, b.HalfWidth() + 200, 250, 120, SkylineFarShade);
    Machinery(b);
}

void NearFactory(Builder b)
{
    b.SetHalfWidth(3600);
    int i = 0;
    for (double x = -b.HalfWidth(); x < b.HalfWidth(); x += 520 + 380 * Hash(i, 19, 3), ++i)
    {
        const double h = 500 + 650 * Hash(i, 20, 3);
        if (i % 2)
        {
            FlatTruss(b, x, LAYER_BOTTOM, h, 130, 4, NearSootLit);
            continue;
        }
        // A furnace house: a block with glowing windows and a stack.
        const double w = 280 + 160 * Hash(i, 21, 3);
        b.FrontRect(x - w / 2, LAYER_BOTTOM, x + w / 2, h * 0.6, 6, NearSoot);
        b.Front({{x - w / 2 - 20, h * 0.6}, {x + w / 2 + 20, h * 0.6}, {x, h * 0.6 + w * 0.3}}, 6, NearSoot);
        for (int k = 0; k < 2; ++k)
            b.FrontRect(x - w * 0.3 + k * w * 0.4, h * 0.42, x - w * 0.3 + k * w * 0.4 + w * 0.16, h * 0.42 + 44, 5, NearGlow);
        b.FrontRect(x + w * 0.2, h * 0.6, x + w * 0.34, h * 1.15, 7, NearSoot);
    }
    b.FrontRect(-b.HalfWidth() - 200, 300, b.HalfWidth() + 200, 330, 3, NearSootLit);
    b.FrontRect(-b.HalfWidth() - 200, LAYER_BOTTOM, b.HalfWidth() + 200, 110, 10, NearSoot);
}

// ---- skies ---------------------------------------------------------------------------------

// The sky quad spans this much around the camera; the play view is 1400 high and about 2500
// wide, and the ending's camera rises by about 1050.
constexpr double SKY_HALF_WIDTH = 1800, SKY_BOTTOM = -600, SKY_TOP = 2800;
constexpr int SKY_SIZE = 512;

struct SkyLook
{
    std::vector<std::pair<double, Vec3>> myBands;   // world y -> sRGB colour, rising
    Vec2 myMoon{0, 0};                             // centre relative to the camera, world units
    double myMoonRadius = 0;
    Vec3 myMoonColour{0, 0, 0};
    double myStars = 0;                             // share of texels that hold a star above the horizon
    int mySeed = 0;
};

Vec3 BandColour(const SkyLook& aLook, double y)
{
    const auto& b = aLook.myBands;
    if (y <= b.front().first)
        return b.front().second;
    for (size_t i = 1; i < b.size(); ++i)
        if (y <= b[i].first)
        {
            const double t = (y - b[i - 1].first) / (b[i].first - b[i - 1].first);
            return Mix(b[i - 1].second, b[i].second, t * t * (3 - 2 * t));
        }
    return b.back().second;
}

bool WriteSky(const std::filesystem::path& aFolder, const std::string& aMaterial, const SkyLook& aLook)
{
    const double cellW = 2 * SKY_HALF_WIDTH / SKY_SIZE, cellH = (SKY_TOP - SKY_BOTTOM) / SKY_SIZE;
    auto world = [&](int x, int y) {
        return Vec2{-SKY_HALF_WIDTH + (x + 0.5) * cellW, SKY_TOP - (y + 0.5) * cellH};
    };
    auto light = [&](int x, int y) {
        const Vec2 p = world(x, y);
        Vec3 c = BandColour(aLook, p[1]);
        // Soft horizontal streaks of mist or smoke.
        const double streak = std::sin(p[1] * 0.02 + 3.0 * std::sin(p[0] * 0.0015 + aLook.mySeed)) * 0.5 + 0.5;
        c = Mix(c, BandColour(aLook, p[1] - 250), 0.25 * streak * streak);
        double glow = 0.0;
        if (aLook.myMoonRadius > 0)
        {
            const double d = std::hypot(p[0] - aLook.myMoon[0], p[1] - aLook.myMoon[1]) / aLook.myMoonRadius;
            glow = d < 1.0 ? 1.0 : 0.35 * std::exp(-(d - 1.0) * 1.2);
            if (d < 1.0)
                c = Mix(aLook.myMoonColour, Vec3{0.8, 0.8, 0.85}, 0.15 * Hash(x / 6, y / 6, 5));
            else
                c = Mix(c, aLook.myMoonColour, glow);
        }
        if (aLook.myStars > 0 && p[1] > 700 && glow < 0.05 && Hash(x, y, aLook.mySeed) < aLook.myStars)
            c = Mix(c, Vec3{0.95, 0.93, 0.85}, 0.5 + 0.5 * Hash(x, y, aLook.mySeed + 1));
        // A touch of noise breaks the gradient's steps.
        const double n = (Hash(x, y, aLook.mySeed + 2) - 0.5) / 255.0;
        return Vec3{c[0] + n, c[1] + n, c[2] + n};
    };
    bool ok = WriteDds(aFolder / (aMaterial + "_C.dds"), SKY_SIZE, SKY_SIZE, [&](int x, int y) { return Flat(light(x, y)).myAlbedo; });
    ok &= WriteDds(aFolder / (aMaterial + "_FX.dds"), SKY_SIZE, SKY_SIZE, [&](int x, int y) { return Flat(light(x, y)).myGlow; });
    return ok;
}

Mesh SkyMesh(const std::string& aNode, const std::string& aMaterial)
{
    Mesh mesh;
    mesh.myNode = aNode;
    mesh.myMaterials = {aMaterial};
    const Vec3 corners[4] = {{-SKY_HALF_WIDTH, SKY_BOTTOM, 0}, {-SKY_HALF_WIDTH, SKY_TOP, 0}, {SKY_HALF_WIDTH, SKY_TOP, 0}, {SKY_HALF_WIDTH, SKY_BOTTOM, 0}};
    const Vec2 uvs[4] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    Polygon polygon;
    for (int i = 0; i < 4; ++i)
    {
        polygon.myCorners.push_back(i);
        mesh.myPoints.push_back(corners[i]);
        mesh.myNormals.push_back({0, 0, -1});
        mesh.myUVs.push_back(uvs[i]);
        mesh.myColors.push_back({1, 1, 1, 1});
    }
    mesh.myPolygons.push_back(polygon);
    return mesh;
}

// ---- writing -------------------------------------------------------------------------------

bool WriteMesh(const std::filesystem::path& aFolder, const std::string& aName, Mesh aMesh)
{
    Scene scene;
    scene.myNodes.push_back({aName + "_Mesh", "", "Mesh"});
    aMesh.myNode = aName + "_Mesh";
    for (const std::string& material : aMesh.myMaterials)
        scene.myMaterials.push_back({material, {1, 1, 1}});
    scene.myMeshes.push_back(std::move(aMesh));
    return WriteFile(aFolder / (aName + ".fbx"), scene);
}

const std::map<std::string, std::function<void(Builder)>>& PropBuilders()
{
    static const std::map<std::string, std::function<void(Builder)>> builders = {
        {"SM_Pine", [](Builder b) { Pine(b); }},
        {"SM_Oak", [](Builder b) { Oak(b); }},
        {"SM_Rock", [](Builder b) { Rock(b); }},
        {"SM_Bush", [](Builder b) { Bush(b); }},
        {"SM_Fence", Fence},
        {"SM_Mushrooms", Mushrooms},
        {"SM_Grove", Grove},
        {"SM_Pipes", Pipes},
        {"SM_Girder", Girder},
        {"SM_Boiler", Boiler},
        {"SM_Chimney", Chimney},
        {"SM_Gear", [](Builder b) { Gear(b); }},
        {"SM_Works", Works},
        {"SM_Far_Forest", FarForest},
        {"SM_Near_Forest", NearForest},
        {"SM_Far_Factory", FarFactory},
        {"SM_Near_Factory", NearFactory},
    };
    return builders;
}

const std::map<std::string, std::pair<std::string, SkyLook>>& Skies()
{
    static const std::map<std::string, std::pair<std::string, SkyLook>> skies = {
        // Teal dusk over the forest, the clear colour in the middle, lilac mist at the horizon.
        {"SM_Sky_Forest",
         {"M_SkyForest",
          {{{-100, {0.66, 0.60, 0.82}}, {350, {0.50, 0.62, 0.78}}, {800, {0.012, 0.60, 0.69}}, {1500, {0.02, 0.36, 0.48}}, {2600, {0.03, 0.18, 0.30}}},
           {720, 1080}, 85, {0.97, 0.96, 0.88}, 0.0025, 41}}},
        // Night blue over the factory with a furnace glow rising from below.
        {"SM_Sky_Factory",
         {"M_SkyFactory",
          {{{-100, {0.85, 0.42, 0.16}}, {300, {0.50, 0.24, 0.20}}, {700, {0.10, 0.12, 0.30}}, {1400, {0.04, 0.06, 0.19}}, {2600, {0.02, 0.03, 0.10}}},
           {-760, 1120}, 55, {0.95, 0.80, 0.62}, 0.006, 43}}},
    };
    return skies;
}
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: make_scenery_models <game asset root>\n");
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / "art" / "3d";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    bool ok = WritePalette(folder);
    // Every model the catalog expects from this generator, once; a catalog name without a
    // builder is a fault here rather than a missing model in a level.
    std::set<std::string> made;
    for (const SceneryCatalog::Entry& entry : SceneryCatalog::Entries())
    {
        if (!entry.myOwnModel || !made.insert(entry.myModel).second)
            continue;
        const std::string name = entry.myModel;
        if (auto sky = Skies().find(name); sky != Skies().end())
        {
            ok &= WriteSky(folder, sky->second.first, sky->second.second);
            ok &= WriteMesh(folder, name, SkyMesh(name, sky->second.first));
            continue;
        }
        auto builder = PropBuilders().find(name);
        if (builder == PropBuilders().end())
        {
            std::fprintf(stderr, "make_scenery_models: the catalog names %s, which has no builder\n", name.c_str());
            return 1;
        }
        Mesh mesh;
        mesh.myMaterials = {"M_Scenery"};
        builder->second(Builder(mesh));
        ok &= WriteMesh(folder, name, std::move(mesh));
    }
    for (const auto& [name, build] : PropBuilders())
        if (!made.count(name))
        {
            std::fprintf(stderr, "make_scenery_models: %s is not in the scenery catalog\n", name.c_str());
            return 1;
        }
    if (!ok)
    {
        std::fprintf(stderr, "make_scenery_models: could not write into %s\n", folder.string().c_str());
        return 1;
    }
    return 0;
}
