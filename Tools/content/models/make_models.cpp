// Writes the game's models, clips, material textures and particle-system files from procedural
// descriptions, byte for byte the same on every run. Usage: make_models <game asset root>
//
//   art/3d/SK_Player.fbx          the battery hero (skinned) and art/3d/animations/A_Player_*.fbx
//   art/3d/SK_MiniOwl.fbx         the walking mini owl and A_MiniOwl_Walk/Squish/Fly.fbx
//   art/3d/SK_BeetleTank.fbx      the beetle tank, SK_BeetleTank_Pipe.fbx its cannon, SM_BeetleTank_Projectile.fbx
//                                 its shell, and A_BeetleTank_Walk/Squish/CannonShot.fbx
//   art/3d/SK_PipeMole.fbx        the pipe mole and A_PipeMole_Idle/Appear/IdleStay/Death.fbx
//   art/3d/SM_Crate/Lamp/Stump.fbx static props
//   <material>_C/_N/_M/_FX.dds    material textures beside the models (only the maps that show)
//   art/particles/*.qlap          particle systems and their soft round sprite
#include "DdsWriter.h"
#include "FbxWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

using namespace FbxGen;

namespace
{
constexpr double PI = 3.14159265358979323846;

struct Colour
{
    double r, g, b;
};

std::uint8_t Byte(double aValue) { return static_cast<std::uint8_t>(std::lround(std::clamp(aValue, 0.0, 1.0) * 255.0)); }

Rgba Mix(const Colour& a, const Colour& b, double t, double aAlpha = 1.0)
{
    return {Byte(a.r + (b.r - a.r) * t), Byte(a.g + (b.g - a.g) * t), Byte(a.b + (b.b - a.b) * t), Byte(aAlpha)};
}

// Deterministic value noise in [0, 1).
double Hash(int x, int y, int aSeed)
{
    unsigned h = static_cast<unsigned>(x) * 374761393u + static_cast<unsigned>(y) * 668265263u +
                 static_cast<unsigned>(aSeed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<double>((h ^ (h >> 16)) & 0xffffu) / 65536.0;
}

constexpr int TEXTURE_SIZE = 64;

bool Texture(const std::filesystem::path& aPath, const std::function<Rgba(double u, double v, int x, int y)>& aPixel)
{
    return WriteDds(aPath, TEXTURE_SIZE, TEXTURE_SIZE, [&](int x, int y) {
        return aPixel((x + 0.5) / TEXTURE_SIZE, (y + 0.5) / TEXTURE_SIZE, x, y);
    });
}

// A bevel at the edges of each face (normals lean outward), flat elsewhere.
Rgba BevelNormal(double u, double v)
{
    const double edge = 0.12;
    double nx = 0.0, ny = 0.0;
    if (u < edge)
        nx = -(edge - u) / edge * 0.6;
    else if (u > 1.0 - edge)
        nx = (u - (1.0 - edge)) / edge * 0.6;
    if (v < edge)
        ny = (edge - v) / edge * 0.6;
    else if (v > 1.0 - edge)
        ny = -(v - (1.0 - edge)) / edge * 0.6;
    const double nz = std::sqrt(std::max(0.0, 1.0 - nx * nx - ny * ny));
    return {Byte(nx * 0.5 + 0.5), Byte(ny * 0.5 + 0.5), Byte(nz * 0.5 + 0.5), 255};
}

// Metalness in r, roughness in g.
Rgba MaterialMap(double aMetal, double aRoughness) { return {Byte(aMetal), Byte(aRoughness), 0, 255}; }

// ---- skeletons and clips ------------------------------------------------------------------

struct Rig
{
    std::vector<Node> myJoints;
};

Scene SkeletonScene(const Rig& aRig)
{
    Scene scene;
    scene.myNodes = aRig.myJoints;
    return scene;
}

const Node& JointOf(const Rig& aRig, const std::string& aName)
{
    for (const Node& node : aRig.myJoints)
        if (node.myName == aName)
            return node;
    return aRig.myJoints.front();
}

// A clip: per frame, each animated channel's value from a function of the phase (0..1 over the clip).
struct Channel
{
    std::string myJoint;
    char myKind;   // 'T', 'R' or 'S'
    int myAxis;
    std::function<double(double aPhase)> myOffset;   // added to the joint's rest value
};

bool WriteClip(const std::filesystem::path& aPath, const Rig& aRig, int aLastFrame, const std::vector<Channel>& someChannels)
{
    Scene scene = SkeletonScene(aRig);
    Take take;
    take.myLastFrame = aLastFrame;
    for (const Channel& channel : someChannels)
    {
        const Node& joint = JointOf(aRig, channel.myJoint);
        const size_t axis = static_cast<size_t>(channel.myAxis);
        const double rest = channel.myKind == 'T'   ? joint.myTranslation[axis]
                            : channel.myKind == 'R' ? joint.myRotation[axis]
                                                    : joint.myScaling[axis];
        Curve curve{channel.myJoint, channel.myKind, channel.myAxis, {}};
        for (int frame = 0; frame <= aLastFrame; ++frame)
        {
            const double phase = static_cast<double>(frame) / aLastFrame;
            double value = rest + channel.myOffset(phase);
            if (std::fabs(value) < 1e-9)
                value = 0.0;
            curve.myValues.push_back(std::round(value * 1e5) / 1e5);
        }
        take.myCurves.push_back(curve);
    }
    scene.myTakes.push_back(take);
    return WriteFile(aPath, scene);
}

double Wave(double aPhase, double aCycles = 1.0, double aShift = 0.0) { return std::sin(2.0 * PI * (aPhase * aCycles + aShift)); }

// ---- the player ---------------------------------------------------------------------------

Rig PlayerRig()
{
    Rig rig;
    rig.myJoints = {
        {"Root", "", "LimbNode"},
        {"Hips", "Root", "LimbNode", {0, 90, 0}},
        {"Spine", "Hips", "LimbNode", {0, 25, 0}},
        {"Head", "Spine", "LimbNode", {0, 45, 0}},
        {"ArmL", "Spine", "LimbNode", {-30, 25, 0}},
        {"ArmR", "Spine", "LimbNode", {30, 25, 0}},
        {"LegL", "Hips", "LimbNode", {-11, 0, 0}},
        {"LegR", "Hips", "LimbNode", {11, 0, 0}},
    };
    return rig;
}

void BoxOn(Mesh& aMesh, const std::string& aJoint, const Vec3& aCentre, const Vec3& aHalf, int aMaterial)
{
    const int first = AddBox(aMesh, aCentre, aHalf, aMaterial);
    for (Cluster& cluster : aMesh.myClusters)
        if (cluster.myBone == aJoint)
        {
            for (int i = 0; i < 8; ++i)
            {
                cluster.myIndexes.push_back(first + i);
                cluster.myWeights.push_back(1.0);
            }
            return;
        }
    Cluster cluster{aJoint, {}, {}};
    for (int i = 0; i < 8; ++i)
    {
        cluster.myIndexes.push_back(first + i);
        cluster.myWeights.push_back(1.0);
    }
    aMesh.myClusters.push_back(cluster);
}

bool WritePlayer(const std::filesystem::path& aRoot)
{
    const Rig rig = PlayerRig();
    Scene scene = SkeletonScene(rig);
    scene.myNodes.push_back({"Hand_socket", "ArmR", "Null", {0, -40, 0}});
    scene.myNodes.push_back({"Body", "", "Mesh"});
    scene.myMaterials = {{"M_Player_Body", {1.0, 0.66, 0.2}}, {"M_Player_Glow", {0.3, 0.95, 1.0}}};
    Mesh mesh;
    mesh.myNode = "Body";
    mesh.myMaterials = {"M_Player_Body", "M_Player_Glow"};
    // A battery-cell body with a round-ish head and stubby limbs; the cap, visor and chest light glow.
    BoxOn(mesh, "Spine", {0, 118, 0}, {22, 30, 18}, 0);
    BoxOn(mesh, "Spine", {0, 151, 0}, {9, 4, 9}, 1);
    BoxOn(mesh, "Spine", {0, 120, -18.5}, {8, 8, 1.5}, 1);
    BoxOn(mesh, "Head", {0, 176, 0}, {19, 17, 17}, 0);
    BoxOn(mesh, "Head", {0, 179, -17.5}, {13, 5, 1.5}, 1);
    BoxOn(mesh, "Head", {0, 197, 0}, {3, 6, 3}, 1);
    BoxOn(mesh, "ArmL", {-31, 122, 0}, {6, 19, 6}, 0);
    BoxOn(mesh, "ArmR", {31, 122, 0}, {6, 19, 6}, 0);
    BoxOn(mesh, "LegL", {-11, 45, 0}, {8, 45, 8}, 0);
    BoxOn(mesh, "LegR", {11, 45, 0}, {8, 45, 8}, 0);
    BoxOn(mesh, "LegL", {-11, 5, -4}, {10, 5, 12}, 0);
    BoxOn(mesh, "LegR", {11, 5, -4}, {10, 5, 12}, 0);
    scene.myMeshes.push_back(mesh);
    const std::filesystem::path folder = aRoot / "art" / "3d";
    bool ok = WriteFile(folder / "SK_Player.fbx", scene);

    const Colour amber{1.0, 0.62, 0.12}, lemon{1.0, 0.9, 0.3}, cyan{0.25, 0.95, 1.0}, deep{0.05, 0.55, 0.75};
    ok &= Texture(folder / "M_Player_Body_C.dds", [&](double, double v, int, int) {
        // Amber cell with a lemon band and thin dark seams.
        const double band = std::fabs(v - 0.5) < 0.12 ? 1.0 : 0.0;
        const double seam = (std::fabs(v - 0.36) < 0.015 || std::fabs(v - 0.64) < 0.015) ? 0.55 : 1.0;
        const Rgba c = Mix(amber, lemon, band);
        return Rgba{Byte(c[0] / 255.0 * seam), Byte(c[1] / 255.0 * seam), Byte(c[2] / 255.0 * seam), 255};
    });
    ok &= Texture(folder / "M_Player_Body_N.dds", [](double u, double v, int, int) { return BevelNormal(u, v); });
    ok &= Texture(folder / "M_Player_Body_M.dds", [](double, double, int, int) { return MaterialMap(0.2, 0.45); });
    ok &= Texture(folder / "M_Player_Glow_C.dds", [&](double u, double v, int, int) {
        const double r = std::hypot(u - 0.5, v - 0.5);
        return Mix(cyan, deep, std::clamp(r * 1.4, 0.0, 1.0));
    });
    ok &= Texture(folder / "M_Player_Glow_FX.dds", [&](double u, double v, int, int) {
        const double r = std::hypot(u - 0.5, v - 0.5);
        return Mix(cyan, Colour{0.1, 0.4, 0.5}, std::clamp(r * 1.2, 0.0, 1.0));
    });

    const std::filesystem::path clips = folder / "animations";
    auto legs = [](double aAmplitude, double aCycles) {
        return std::vector<Channel>{
            {"LegL", 'R', 0, [=](double p) { return aAmplitude * Wave(p, aCycles); }},
            {"LegR", 'R', 0, [=](double p) { return -aAmplitude * Wave(p, aCycles); }},
            {"ArmL", 'R', 0, [=](double p) { return -0.8 * aAmplitude * Wave(p, aCycles); }},
            {"ArmR", 'R', 0, [=](double p) { return 0.8 * aAmplitude * Wave(p, aCycles); }},
            {"Hips", 'T', 1, [=](double p) { return 3.0 * std::fabs(Wave(p, aCycles)); }},
        };
    };
    ok &= WriteClip(clips / "A_Player_Idle.fbx", rig, 40,
                    {{"Spine", 'R', 2, [](double p) { return 2.0 * Wave(p); }},
                     {"Hips", 'T', 1, [](double p) { return 1.5 * Wave(p, 2.0); }},
                     {"Head", 'R', 1, [](double p) { return 6.0 * Wave(p, 1.0, 0.25); }},
                     {"ArmL", 'R', 2, [](double p) { return -4.0 + 3.0 * Wave(p); }},
                     {"ArmR", 'R', 2, [](double p) { return 4.0 - 3.0 * Wave(p); }}});
    ok &= WriteClip(clips / "A_Player_Walk.fbx", rig, 24, legs(30.0, 1.0));
    std::vector<Channel> sprint = legs(48.0, 1.0);
    sprint.push_back({"Spine", 'R', 0, [](double) { return 12.0; }});
    ok &= WriteClip(clips / "A_Player_Sprint.fbx", rig, 16, sprint);
    ok &= WriteClip(clips / "A_Player_Slide.fbx", rig, 15,
                    {{"Hips", 'T', 1, [](double p) { return -30.0 * std::min(1.0, p * 3.0); }},
                     {"Spine", 'R', 0, [](double p) { return -25.0 * std::min(1.0, p * 3.0); }},
                     {"LegL", 'R', 0, [](double p) { return -70.0 * std::min(1.0, p * 3.0); }},
                     {"LegR", 'R', 0, [](double p) { return -55.0 * std::min(1.0, p * 3.0); }},
                     {"ArmL", 'R', 2, [](double p) { return -60.0 * std::min(1.0, p * 3.0); }},
                     {"ArmR", 'R', 2, [](double p) { return 60.0 * std::min(1.0, p * 3.0); }}});
    ok &= WriteClip(clips / "A_Player_Jump.fbx", rig, 12,
                    {{"LegL", 'R', 0, [](double p) { return -45.0 * std::sin(PI * p * 0.5); }},
                     {"LegR", 'R', 0, [](double p) { return -20.0 * std::sin(PI * p * 0.5); }},
                     {"ArmL", 'R', 2, [](double p) { return -150.0 * std::sin(PI * p * 0.5); }},
                     {"ArmR", 'R', 2, [](double p) { return 150.0 * std::sin(PI * p * 0.5); }}});
    ok &= WriteClip(clips / "A_Player_Fall.fbx", rig, 12,
                    {{"ArmL", 'R', 2, [](double p) { return -120.0 + 15.0 * Wave(p, 2.0); }},
                     {"ArmR", 'R', 2, [](double p) { return 120.0 - 15.0 * Wave(p, 2.0); }},
                     {"LegL", 'R', 0, [](double p) { return 15.0 * Wave(p); }},
                     {"LegR", 'R', 0, [](double p) { return -15.0 * Wave(p); }}});
    ok &= WriteClip(clips / "A_Player_Crouch.fbx", rig, 20,
                    {{"Hips", 'T', 1, [](double p) { return -32.0 + 1.5 * Wave(p); }},
                     {"Spine", 'R', 0, [](double) { return 20.0; }},
                     {"LegL", 'R', 0, [](double) { return -50.0; }},
                     {"LegR", 'R', 0, [](double) { return -50.0; }}});
    ok &= WriteClip(clips / "A_Player_GroundPound.fbx", rig, 12,
                    {{"Hips", 'T', 1, [](double p) { return -20.0 * p; }},
                     {"LegL", 'R', 0, [](double p) { return -80.0 * p; }},
                     {"LegR", 'R', 0, [](double p) { return -80.0 * p; }},
                     {"ArmL", 'R', 2, [](double p) { return -40.0 * p; }},
                     {"ArmR", 'R', 2, [](double p) { return 40.0 * p; }}});
    ok &= WriteClip(clips / "A_Player_Death.fbx", rig, 30,
                    {{"Root", 'R', 2, [](double p) { return 90.0 * std::min(1.0, p * 1.5); }},
                     {"Root", 'T', 1, [](double p) { return -20.0 * std::min(1.0, p * 1.5); }},
                     {"Head", 'R', 2, [](double p) { return 20.0 * p; }},
                     {"ArmL", 'R', 2, [](double p) { return -90.0 * p; }}});
    ok &= WriteClip(clips / "A_Player_Zipline.fbx", rig, 20,
                    {{"ArmL", 'R', 2, [](double) { return -165.0; }},
                     {"ArmR", 'R', 2, [](double) { return 165.0; }},
                     {"LegL", 'R', 0, [](double p) { return 12.0 * Wave(p); }},
                     {"LegR", 'R', 0, [](double p) { return 12.0 * Wave(p, 1.0, 0.1); }}});
    return ok;
}

// ---- the mini owl -------------------------------------------------------------------------

bool WriteMiniOwl(const std::filesystem::path& aRoot)
{
    Rig rig;
    rig.myJoints = {
        {"Root", "", "LimbNode"},
        {"Body", "Root", "LimbNode", {0, 40, 0}},
        {"Head", "Body", "LimbNode", {0, 30, 0}},
        {"WingL", "Body", "LimbNode", {-30, 10, 0}},
        {"WingR", "Body", "LimbNode", {30, 10, 0}},
        {"FootL", "Root", "LimbNode", {-13, 0, 0}},
        {"FootR", "Root", "LimbNode", {13, 0, 0}},
    };
    Scene scene = SkeletonScene(rig);
    scene.myNodes.push_back({"Owl", "", "Mesh"});
    scene.myMaterials = {{"M_MiniOwl_Body", {0.45, 0.2, 0.75}}, {"M_MiniOwl_Eyes", {0.95, 0.15, 0.3}},
                         {"M_MiniOwl_Feet", {0.55, 0.6, 0.68}}};
    Mesh mesh;
    mesh.myNode = "Owl";
    mesh.myMaterials = {"M_MiniOwl_Body", "M_MiniOwl_Eyes", "M_MiniOwl_Feet"};
    // Round body, big head with ear tufts, crimson eyes and a beak, stubby wings, steel feet.
    BoxOn(mesh, "Body", {0, 42, 0}, {28, 28, 24}, 0);
    BoxOn(mesh, "Head", {0, 88, 0}, {25, 19, 22}, 0);
    BoxOn(mesh, "Head", {-17, 112, 0}, {6, 8, 6}, 0);
    BoxOn(mesh, "Head", {17, 112, 0}, {6, 8, 6}, 0);
    // The face looks along +z: the owls' yaws (120 walking right, 240 left) turn it that way.
    BoxOn(mesh, "Head", {-11, 91, 22.5}, {8, 8, 1.5}, 1);
    BoxOn(mesh, "Head", {11, 91, 22.5}, {8, 8, 1.5}, 1);
    BoxOn(mesh, "Head", {0, 80, 24}, {4, 5, 3}, 2);
    BoxOn(mesh, "WingL", {-32, 40, 0}, {5, 20, 16}, 0);
    BoxOn(mesh, "WingR", {32, 40, 0}, {5, 20, 16}, 0);
    BoxOn(mesh, "FootL", {-13, 6, 5}, {8, 6, 11}, 2);
    BoxOn(mesh, "FootR", {13, 6, 5}, {8, 6, 11}, 2);
    scene.myMeshes.push_back(mesh);
    const std::filesystem::path folder = aRoot / "art" / "3d";
    bool ok = WriteFile(folder / "SK_MiniOwl.fbx", scene);

    const Colour violet{0.42, 0.18, 0.72}, plum{0.25, 0.08, 0.45}, crimson{0.95, 0.12, 0.28};
    const Colour steel{0.55, 0.6, 0.68}, dark{0.3, 0.32, 0.38};
    ok &= Texture(folder / "M_MiniOwl_Body_C.dds", [&](double u, double v, int x, int y) {
        // Feather chevrons over a violet ground, darker at the rim.
        const double chevron = std::fmod(v * 6.0 + std::fabs(u - 0.5) * 3.0, 1.0) < 0.18 ? 1.0 : 0.0;
        const double rim = std::clamp((std::max(std::fabs(u - 0.5), std::fabs(v - 0.5)) - 0.35) * 5.0, 0.0, 1.0);
        return Mix(violet, plum, std::clamp(0.55 * chevron + 0.6 * rim + 0.08 * Hash(x, y, 3), 0.0, 1.0));
    });
    ok &= Texture(folder / "M_MiniOwl_Body_N.dds", [](double u, double v, int, int) { return BevelNormal(u, v); });
    ok &= Texture(folder / "M_MiniOwl_Eyes_C.dds", [&](double u, double v, int, int) {
        const double r = std::hypot(u - 0.5, v - 0.5);
        return r < 0.16 ? Rgba{20, 5, 10, 255} : Mix(crimson, Colour{0.5, 0.02, 0.1}, std::clamp(r * 1.5, 0.0, 1.0));
    });
    ok &= Texture(folder / "M_MiniOwl_Eyes_FX.dds", [&](double u, double v, int, int) {
        const double r = std::hypot(u - 0.5, v - 0.5);
        return r < 0.16 ? Rgba{0, 0, 0, 255} : Mix(crimson, Colour{0.2, 0.0, 0.05}, std::clamp(r * 1.6, 0.0, 1.0));
    });
    ok &= Texture(folder / "M_MiniOwl_Feet_C.dds", [&](double, double v, int x, int y) {
        return Mix(steel, dark, std::clamp(0.3 * v + 0.15 * Hash(x, y, 9), 0.0, 1.0));
    });
    ok &= Texture(folder / "M_MiniOwl_Feet_M.dds", [](double, double, int, int) { return MaterialMap(0.9, 0.35); });

    const std::filesystem::path clips = folder / "animations";
    ok &= WriteClip(clips / "A_MiniOwl_Walk.fbx", rig, 26,
                    {{"Body", 'R', 2, [](double p) { return 8.0 * Wave(p); }},
                     {"Body", 'T', 1, [](double p) { return 2.5 * std::fabs(Wave(p)); }},
                     {"Head", 'R', 2, [](double p) { return -5.0 * Wave(p); }},
                     {"FootL", 'T', 1, [](double p) { return 6.0 * std::max(0.0, Wave(p)); }},
                     {"FootR", 'T', 1, [](double p) { return 6.0 * std::max(0.0, -Wave(p)); }},
                     {"FootL", 'T', 2, [](double p) { return -6.0 * Wave(p, 1.0, 0.25); }},
                     {"FootR", 'T', 2, [](double p) { return 6.0 * Wave(p, 1.0, 0.25); }},
                     {"WingL", 'R', 2, [](double p) { return -10.0 * Wave(p, 2.0); }},
                     {"WingR", 'R', 2, [](double p) { return 10.0 * Wave(p, 2.0); }}});
    ok &= WriteClip(clips / "A_MiniOwl_Squish.fbx", rig, 10,
                    {{"Body", 'T', 1, [](double p) { return -25.0 * std::min(1.0, p * 2.0); }},
                     {"Body", 'S', 1, [](double p) { return -0.6 * std::min(1.0, p * 2.0); }},
                     {"Body", 'S', 0, [](double p) { return 0.35 * std::min(1.0, p * 2.0); }},
                     {"Head", 'T', 1, [](double p) { return -15.0 * std::min(1.0, p * 2.0); }}});
    ok &= WriteClip(clips / "A_MiniOwl_Fly.fbx", rig, 26,
                    {{"WingL", 'R', 2, [](double p) { return -40.0 * Wave(p, 2.0); }},
                     {"WingR", 'R', 2, [](double p) { return 40.0 * Wave(p, 2.0); }},
                     {"Body", 'T', 1, [](double p) { return 4.0 * Wave(p, 2.0, 0.25); }},
                     {"FootL", 'R', 0, [](double) { return 25.0; }},
                     {"FootR", 'R', 0, [](double) { return 25.0; }}});
    return ok;
}

// ---- static props -------------------------------------------------------------------------

bool WriteProp(const std::filesystem::path& aFolder, const std::string& aName,
               const std::vector<std::pair<std::string, Vec3>>& someMaterials,
               const std::function<void(Mesh&)>& aBuild)
{
    Scene scene;
    scene.myNodes.push_back({aName, "", "Mesh"});
    for (const auto& [material, colour] : someMaterials)
        scene.myMaterials.push_back({material, colour});
    Mesh mesh;
    mesh.myNode = aName;
    for (const auto& material : someMaterials)
        mesh.myMaterials.push_back(material.first);
    aBuild(mesh);
    scene.myMeshes.push_back(mesh);
    return WriteFile(aFolder / (aName + ".fbx"), scene);
}

bool WriteProps(const std::filesystem::path& aRoot)
{
    const std::filesystem::path folder = aRoot / "art" / "3d";
    const Colour bark{0.45, 0.28, 0.14}, barkDark{0.26, 0.15, 0.07}, moss{0.3, 0.55, 0.2}, pine{0.12, 0.35, 0.2};
    const Colour brass{0.8, 0.62, 0.28}, soot{0.22, 0.22, 0.24}, furnace{1.0, 0.55, 0.12};
    bool ok = true;

    // A wooden crate: planks with dark gaps and a cross brace.
    ok &= WriteProp(folder, "SM_Crate", {{"M_Crate", {0.5, 0.32, 0.16}}},
                    [](Mesh& aMesh) { AddBox(aMesh, {0, 50, 0}, {50, 50, 50}); });
    ok &= Texture(folder / "M_Crate_C.dds", [&](double u, double v, int x, int y) {
        const double gap = std::fmod(v * 4.0, 1.0) < 0.06 ? 1.0 : 0.0;
        const double brace = std::fabs(u - v) < 0.06 || std::fabs(u + v - 1.0) < 0.06 ? 0.4 : 0.0;
        const double frame = u < 0.08 || u > 0.92 || v < 0.08 || v > 0.92 ? 0.35 : 0.0;
        return Mix(bark, barkDark, std::clamp(gap + brace + frame + 0.12 * Hash(x / 2, y, 5), 0.0, 1.0));
    });
    ok &= Texture(folder / "M_Crate_N.dds", [](double u, double v, int, int) { return BevelNormal(u, v); });

    // A tree stump: bark sides and a mossy top (two materials).
    ok &= WriteProp(folder, "SM_Stump", {{"M_StumpBark", {0.4, 0.25, 0.12}}, {"M_StumpMoss", {0.3, 0.55, 0.2}}},
                    [](Mesh& aMesh) {
                        AddBox(aMesh, {0, 30, 0}, {40, 30, 40}, 0);
                        AddBox(aMesh, {0, 63, 0}, {36, 3, 36}, 1);
                        AddBox(aMesh, {-46, 8, 0}, {8, 8, 14}, 0);
                        AddBox(aMesh, {30, 6, -44}, {12, 6, 6}, 0);
                    });
    ok &= Texture(folder / "M_StumpBark_C.dds", [&](double u, double, int x, int y) {
        const double groove = std::fmod(u * 7.0 + 0.2 * Hash(x / 8, y / 8, 1), 1.0) < 0.2 ? 1.0 : 0.0;
        return Mix(bark, barkDark, std::clamp(0.7 * groove + 0.2 * Hash(x, y / 4, 2), 0.0, 1.0));
    });
    ok &= Texture(folder / "M_StumpMoss_C.dds", [&](double, double, int x, int y) {
        return Mix(moss, pine, std::clamp(0.6 * Hash(x / 4, y / 4, 7) + 0.2 * Hash(x, y, 8), 0.0, 1.0));
    });
    ok &= Texture(folder / "M_StumpMoss_M.dds", [](double, double, int, int) { return MaterialMap(0.0, 0.95); });

    // A factory lamp: soot-grey post, brass housing, furnace-orange light that glows.
    ok &= WriteProp(folder, "SM_Lamp", {{"M_LampPost", {0.22, 0.22, 0.24}}, {"M_LampLight", {1.0, 0.55, 0.12}}},
                    [](Mesh& aMesh) {
                        AddBox(aMesh, {0, 10, 0}, {24, 10, 24}, 0);
                        AddBox(aMesh, {0, 110, 0}, {7, 90, 7}, 0);
                        AddBox(aMesh, {0, 205, 0}, {20, 5, 20}, 0);
                        AddBox(aMesh, {0, 228, 0}, {16, 18, 16}, 1);
                        AddBox(aMesh, {0, 250, 0}, {22, 4, 22}, 0);
                    });
    ok &= Texture(folder / "M_LampPost_C.dds", [&](double u, double v, int x, int y) {
        const double rivet = std::hypot(std::fmod(u * 4.0, 1.0) - 0.5, std::fmod(v * 4.0, 1.0) - 0.5) < 0.12 ? 1.0 : 0.0;
        return Mix(soot, brass, std::clamp(0.8 * rivet + 0.1 * Hash(x, y, 4), 0.0, 1.0));
    });
    ok &= Texture(folder / "M_LampPost_M.dds", [](double, double, int, int) { return MaterialMap(0.85, 0.4); });
    ok &= Texture(folder / "M_LampLight_C.dds", [&](double u, double v, int, int) {
        return Mix(furnace, Colour{1.0, 0.85, 0.5}, std::clamp(1.0 - std::hypot(u - 0.5, v - 0.5) * 2.0, 0.0, 1.0));
    });
    ok &= Texture(folder / "M_LampLight_FX.dds", [&](double u, double v, int, int) {
        return Mix(Colour{0.5, 0.2, 0.03}, furnace, std::clamp(1.0 - std::hypot(u - 0.5, v - 0.5) * 1.6, 0.0, 1.0));
    });
    return ok;
}

// ---- the beetle tank, its cannon and shell, the pipe mole ---------------------------------
// Bodies face +z (the enemies' yaws of 120 and 240 turn that toward the camera's right and
// left); the cannon's muzzle points along -z, as the player does.

bool WriteBeetleTank(const std::filesystem::path& aRoot)
{
    const std::filesystem::path folder = aRoot / "art" / "3d";
    const std::filesystem::path clips = folder / "animations";
    const Colour violet{0.36, 0.14, 0.62}, plum{0.2, 0.06, 0.36}, crimson{0.95, 0.12, 0.28};
    const Colour steel{0.52, 0.57, 0.66}, gunmetal{0.22, 0.24, 0.3};

    Rig rig;
    rig.myJoints = {
        {"Root", "", "LimbNode"},
        {"Hull", "Root", "LimbNode", {0, 40, 0}},
        {"Carapace", "Hull", "LimbNode", {0, 45, 0}},
        {"Head", "Hull", "LimbNode", {0, 15, 45}},
        {"TreadL", "Root", "LimbNode", {-40, 20, 0}},
        {"TreadR", "Root", "LimbNode", {40, 20, 0}},
    };
    Scene scene = SkeletonScene(rig);
    scene.myNodes.push_back({"BeetleTank", "", "Mesh"});
    scene.myMaterials = {{"M_BeetleTank_Shell", {0.36, 0.14, 0.62}},
                         {"M_BeetleTank_Eyes", {0.95, 0.12, 0.28}},
                         {"M_BeetleTank_Tread", {0.22, 0.24, 0.3}}};
    Mesh mesh;
    mesh.myNode = "BeetleTank";
    mesh.myMaterials = {"M_BeetleTank_Shell", "M_BeetleTank_Eyes", "M_BeetleTank_Tread"};
    // A steel hull under a violet carapace split down the middle, a blunt head with two crimson
    // eyes, and heavy treads with cleats.
    BoxOn(mesh, "Hull", {0, 58, 0}, {30, 24, 46}, 2);
    BoxOn(mesh, "Carapace", {-17, 96, -4}, {17, 18, 44}, 0);
    BoxOn(mesh, "Carapace", {17, 96, -4}, {17, 18, 44}, 0);
    BoxOn(mesh, "Head", {0, 58, 56}, {20, 16, 12}, 0);
    BoxOn(mesh, "Head", {-10, 64, 68.5}, {5, 5, 1.5}, 1);
    BoxOn(mesh, "Head", {10, 64, 68.5}, {5, 5, 1.5}, 1);
    BoxOn(mesh, "Head", {-8, 46, 74}, {3, 3, 8}, 2);
    BoxOn(mesh, "Head", {8, 46, 74}, {3, 3, 8}, 2);
    for (const char* tread : {"TreadL", "TreadR"})
    {
        const double x = tread[5] == 'L' ? -40.0 : 40.0;
        BoxOn(mesh, tread, {x, 20, 0}, {10, 20, 52}, 2);
        for (int cleat = -2; cleat <= 2; ++cleat)
            BoxOn(mesh, tread, {x, 2, cleat * 20.0}, {11, 3, 4}, 2);
    }
    scene.myMeshes.push_back(mesh);
    bool ok = WriteFile(folder / "SK_BeetleTank.fbx", scene);
    ok &= Texture(folder / "M_BeetleTank_Shell_C.dds", [&](double u, double v, int x, int y) {
        // Lacquered carapace: a steel rim and fine cool streaks over violet.
        const double streak = std::fmod(u * 9.0 + 0.3 * std::sin(v * 6.0), 1.0) < 0.1 ? 0.5 : 0.0;
        const double rim = std::clamp((std::max(std::fabs(u - 0.5), std::fabs(v - 0.5)) - 0.4) * 10.0, 0.0, 1.0);
        return rim > 0.5 ? Mix(steel, gunmetal, 0.2 * Hash(x, y, 11))
                         : Mix(violet, plum, std::clamp(streak + 0.1 * Hash(x, y, 12), 0.0, 1.0));
    });
    ok &= Texture(folder / "M_BeetleTank_Shell_N.dds", [](double u, double v, int, int) { return BevelNormal(u, v); });
    ok &= Texture(folder / "M_BeetleTank_Shell_M.dds", [](double, double, int, int) { return MaterialMap(0.3, 0.25); });
    ok &= Texture(folder / "M_BeetleTank_Eyes_C.dds", [&](double u, double v, int, int) {
        return Mix(crimson, Colour{0.45, 0.02, 0.08}, std::clamp(std::hypot(u - 0.5, v - 0.5) * 1.8, 0.0, 1.0));
    });
    ok &= Texture(folder / "M_BeetleTank_Eyes_FX.dds", [&](double u, double v, int, int) {
        return Mix(crimson, Colour{0.1, 0.0, 0.02}, std::clamp(std::hypot(u - 0.5, v - 0.5) * 2.0, 0.0, 1.0));
    });
    ok &= Texture(folder / "M_BeetleTank_Tread_C.dds", [&](double u, double, int x, int y) {
        const double groove = std::fmod(u * 8.0, 1.0) < 0.25 ? 1.0 : 0.0;
        return Mix(steel, gunmetal, std::clamp(0.3 + 0.5 * groove + 0.15 * Hash(x, y, 13), 0.0, 1.0));
    });
    ok &= Texture(folder / "M_BeetleTank_Tread_M.dds", [](double, double, int, int) { return MaterialMap(0.9, 0.45); });
    // Treads roll (the cleats slide along), the hull rocks; the squish flattens the hull.
    ok &= WriteClip(clips / "A_BeetleTank_Walk.fbx", rig, 24,
                    {{"TreadL", 'T', 2, [](double p) { return 20.0 * p - 10.0; }},
                     {"TreadR", 'T', 2, [](double p) { return 20.0 * p - 10.0; }},
                     {"Hull", 'T', 1, [](double p) { return 1.5 * Wave(p, 2.0); }},
                     {"Head", 'R', 0, [](double p) { return 3.0 * Wave(p); }}});
    ok &= WriteClip(clips / "A_BeetleTank_Squish.fbx", rig, 10,
                    {{"Hull", 'T', 1, [](double p) { return -30.0 * std::min(1.0, p * 2.0); }},
                     {"Hull", 'S', 1, [](double p) { return -0.55 * std::min(1.0, p * 2.0); }},
                     {"Hull", 'S', 0, [](double p) { return 0.3 * std::min(1.0, p * 2.0); }},
                     {"Carapace", 'R', 2, [](double p) { return 12.0 * std::min(1.0, p * 2.0); }}});

    // The cannon: a turret block and a long barrel with a crimson muzzle ring; the shot clip
    // kicks the barrel back and settles, resting on its frame 33.
    Rig pipeRig;
    pipeRig.myJoints = {{"Root", "", "LimbNode"}, {"Barrel", "Root", "LimbNode", {0, 8, 0}}};
    Scene pipe = SkeletonScene(pipeRig);
    pipe.myNodes.push_back({"BeetleTankPipe", "", "Mesh"});
    pipe.myMaterials = {{"M_BeetleTank_Pipe", {0.22, 0.24, 0.3}}, {"M_BeetleTank_Eyes", {0.95, 0.12, 0.28}}};
    Mesh pipeMesh;
    pipeMesh.myNode = "BeetleTankPipe";
    pipeMesh.myMaterials = {"M_BeetleTank_Pipe", "M_BeetleTank_Eyes"};
    BoxOn(pipeMesh, "Root", {0, 0, 0}, {18, 12, 18}, 0);
    BoxOn(pipeMesh, "Barrel", {0, 8, -36}, {8, 8, 34}, 0);
    BoxOn(pipeMesh, "Barrel", {0, 8, -72}, {11, 11, 3}, 1);
    pipe.myMeshes.push_back(pipeMesh);
    ok &= WriteFile(folder / "SK_BeetleTank_Pipe.fbx", pipe);
    ok &= Texture(folder / "M_BeetleTank_Pipe_C.dds", [&](double u, double v, int x, int y) {
        const double band = std::fmod(v * 5.0, 1.0) < 0.12 ? 1.0 : 0.0;
        return Mix(gunmetal, steel, std::clamp(0.25 + 0.5 * band + 0.1 * Hash(x, y, 14) + 0.1 * u, 0.0, 1.0));
    });
    ok &= Texture(folder / "M_BeetleTank_Pipe_M.dds", [](double, double, int, int) { return MaterialMap(0.95, 0.3); });
    ok &= WriteClip(clips / "A_BeetleTank_CannonShot.fbx", pipeRig, 33,
                    {{"Barrel", 'T', 2, [](double p) { return 14.0 * std::exp(-6.0 * p) * std::cos(9.0 * p); }},
                     {"Barrel", 'R', 0, [](double p) { return 8.0 * std::exp(-6.0 * p) * std::sin(9.0 * p); }},
                     {"Root", 'S', 1, [](double p) { return 0.12 * std::exp(-8.0 * p); }}});

    // The shell the cannon fires: a glowing crimson slug in a steel jacket.
    ok &= WriteProp(folder, "SM_BeetleTank_Projectile",
                    {{"M_BeetleTank_Projectile", {0.95, 0.12, 0.28}}},
                    [](Mesh& aMesh) {
                        AddBox(aMesh, {0, 0, 0}, {12.5, 9, 9});
                        AddBox(aMesh, {0, 0, 0}, {6, 12.5, 12.5});
                    });
    ok &= Texture(folder / "M_BeetleTank_Projectile_C.dds", [&](double u, double v, int, int) {
        return Mix(Colour{1.0, 0.7, 0.75}, crimson, std::clamp(std::hypot(u - 0.5, v - 0.5) * 2.0, 0.0, 1.0));
    });
    ok &= Texture(folder / "M_BeetleTank_Projectile_FX.dds", [&](double u, double v, int, int) {
        return Mix(crimson, Colour{0.3, 0.0, 0.05}, std::clamp(std::hypot(u - 0.5, v - 0.5) * 1.5, 0.0, 1.0));
    });
    return ok;
}

bool WritePipeMole(const std::filesystem::path& aRoot)
{
    const std::filesystem::path folder = aRoot / "art" / "3d";
    const std::filesystem::path clips = folder / "animations";
    const Colour fur{0.3, 0.16, 0.46}, furDark{0.16, 0.07, 0.26}, crimson{0.95, 0.12, 0.28};
    const Colour steel{0.58, 0.63, 0.72};
    Rig rig;
    rig.myJoints = {
        {"Root", "", "LimbNode"},
        {"Body", "Root", "LimbNode", {0, 0, 0}},
        {"Head", "Body", "LimbNode", {0, 45, 0}},
        {"ClawL", "Body", "LimbNode", {-28, 30, 0}},
        {"ClawR", "Body", "LimbNode", {28, 30, 0}},
    };
    Scene scene = SkeletonScene(rig);
    scene.myNodes.push_back({"PipeMole", "", "Mesh"});
    scene.myMaterials = {{"M_PipeMole_Fur", {0.3, 0.16, 0.46}},
                         {"M_PipeMole_Eyes", {0.95, 0.12, 0.28}},
                         {"M_PipeMole_Claws", {0.58, 0.63, 0.72}}};
    Mesh mesh;
    mesh.myNode = "PipeMole";
    mesh.myMaterials = {"M_PipeMole_Fur", "M_PipeMole_Eyes", "M_PipeMole_Claws"};
    // A stout violet body that fits the pipe, a wide head with a steel snout and goggle-red
    // eyes facing out of the pipe, and steel digging claws.
    BoxOn(mesh, "Body", {0, 20, 0}, {26, 30, 24}, 0);
    BoxOn(mesh, "Head", {0, 62, 0}, {28, 20, 24}, 0);
    BoxOn(mesh, "Head", {-12, 68, -24.5}, {7, 6, 1.5}, 1);
    BoxOn(mesh, "Head", {12, 68, -24.5}, {7, 6, 1.5}, 1);
    BoxOn(mesh, "Head", {0, 55, -28}, {7, 6, 5}, 2);
    BoxOn(mesh, "ClawL", {-34, 36, -10}, {7, 5, 12}, 2);
    BoxOn(mesh, "ClawR", {34, 36, -10}, {7, 5, 12}, 2);
    scene.myMeshes.push_back(mesh);
    bool ok = WriteFile(folder / "SK_PipeMole.fbx", scene);
    ok &= Texture(folder / "M_PipeMole_Fur_C.dds", [&](double u, double v, int x, int y) {
        const double tuft = std::fmod(u * 11.0 + v * 3.0, 1.0) < 0.15 ? 0.6 : 0.0;
        return Mix(fur, furDark, std::clamp(tuft + 0.15 * Hash(x, y, 21), 0.0, 1.0));
    });
    ok &= Texture(folder / "M_PipeMole_Fur_N.dds", [](double u, double v, int, int) { return BevelNormal(u, v); });
    ok &= Texture(folder / "M_PipeMole_Eyes_C.dds", [&](double u, double v, int, int) {
        const double r = std::hypot(u - 0.5, v - 0.5);
        return r < 0.14 ? Rgba{15, 4, 8, 255} : Mix(crimson, Colour{0.5, 0.02, 0.1}, std::clamp(r * 1.5, 0.0, 1.0));
    });
    ok &= Texture(folder / "M_PipeMole_Eyes_FX.dds", [&](double u, double v, int, int) {
        return Mix(crimson, Colour{0.1, 0.0, 0.02}, std::clamp(std::hypot(u - 0.5, v - 0.5) * 1.8, 0.0, 1.0));
    });
    ok &= Texture(folder / "M_PipeMole_Claws_C.dds", [&](double, double v, int x, int y) {
        return Mix(steel, Colour{0.3, 0.33, 0.4}, std::clamp(0.4 * v + 0.1 * Hash(x, y, 22), 0.0, 1.0));
    });
    ok &= Texture(folder / "M_PipeMole_Claws_M.dds", [](double, double, int, int) { return MaterialMap(0.9, 0.3); });
    ok &= WriteClip(clips / "A_PipeMole_Idle.fbx", rig, 30,
                    {{"Head", 'R', 1, [](double p) { return 12.0 * Wave(p); }},
                     {"Body", 'S', 1, [](double p) { return 0.03 * Wave(p, 2.0); }}});
    ok &= WriteClip(clips / "A_PipeMole_Appear.fbx", rig, 16,
                    {{"ClawL", 'R', 2, [](double p) { return -35.0 * Wave(p); }},
                     {"ClawR", 'R', 2, [](double p) { return 35.0 * Wave(p); }},
                     {"Head", 'T', 1, [](double p) { return 3.0 * Wave(p, 2.0); }}});
    ok &= WriteClip(clips / "A_PipeMole_IdleStay.fbx", rig, 30,
                    {{"ClawL", 'R', 2, [](double p) { return -10.0 * Wave(p, 2.0); }},
                     {"ClawR", 'R', 2, [](double p) { return 10.0 * Wave(p, 2.0); }},
                     {"Head", 'R', 2, [](double p) { return 6.0 * Wave(p); }}});
    ok &= WriteClip(clips / "A_PipeMole_Death.fbx", rig, 20,
                    {{"Head", 'R', 0, [](double p) { return 40.0 * std::min(1.0, p * 1.5); }},
                     {"Body", 'S', 1, [](double p) { return -0.3 * std::min(1.0, p * 1.5); }},
                     {"ClawL", 'R', 2, [](double p) { return 60.0 * std::min(1.0, p * 1.5); }},
                     {"ClawR", 'R', 2, [](double p) { return -60.0 * std::min(1.0, p * 1.5); }}});
    return ok;
}

// ---- particles ----------------------------------------------------------------------------

bool WriteText(const std::filesystem::path& aPath, const std::string& aText)
{
    std::error_code error;
    std::filesystem::create_directories(aPath.parent_path(), error);
    std::ofstream file(aPath, std::ios::binary);
    file << aText;
    return static_cast<bool>(file);
}

bool WriteParticles(const std::filesystem::path& aRoot)
{
    const std::filesystem::path folder = aRoot / "art" / "particles";
    // A soft round sprite: white, alpha falling off smoothly to the rim.
    bool ok = Texture(folder / "T_SoftDot_C.dds", [](double u, double v, int, int) {
        const double r = std::clamp(std::hypot(u - 0.5, v - 0.5) * 2.0, 0.0, 1.0);
        const double a = (1.0 - r * r) * (1.0 - r * r);
        return Rgba{255, 255, 255, Byte(a)};
    });
    const std::string dot = "\"texturePath\": \"art/particles/T_SoftDot_C.dds\",\n";
    // Dust puffs at the feet: alpha blended, lilac-grey, drifting up and fading.
    ok &= WriteText(folder / "P_Dust.qlap", "{\n  " + dot +
        R"(  "particleCount": 12, "lifetimeRange": [0.35, 0.7], "scaleRange": [18, 34],
  "spawnType": 2, "spawnMin": [-20, 0, -10], "spawnMax": [20, 8, 10],
  "velocityType": 1, "velocityMin": [-60, 20, -20], "velocityMax": [60, 90, 20],
  "accelerationMin": [0, -40, 0], "accelerationMax": [0, -20, 0], "velocityDamping": 0.2,
  "scaleEasing": {"sustainedPeriod": [0.15, 0.5], "inEase": 0, "outEase": 0, "inEaseDir": 1, "outEaseDir": 0},
  "blendState": 1, "depthStencilState": 3
}
)");
    ok &= WriteText(folder / "P_Run1.qlap", "{\n  " + dot +
        R"(  "particleCount": 6, "lifetimeRange": [0.3, 0.5], "scaleRange": [14, 24],
  "spawnType": 2, "spawnMin": [-10, 0, -6], "spawnMax": [10, 6, 6],
  "velocityType": 1, "velocityMin": [-80, 30, -10], "velocityMax": [-20, 80, 10],
  "accelerationMin": [0, -60, 0], "accelerationMax": [0, -60, 0], "velocityDamping": 0.3,
  "blendState": 1, "depthStencilState": 3
}
)");
    ok &= WriteText(folder / "P_Run2.qlap", "{\n  " + dot +
        R"(  "particleCount": 6, "lifetimeRange": [0.3, 0.5], "scaleRange": [14, 24],
  "spawnType": 2, "spawnMin": [-10, 0, -6], "spawnMax": [10, 6, 6],
  "velocityType": 1, "velocityMin": [20, 30, -10], "velocityMax": [80, 80, 10],
  "accelerationMin": [0, -60, 0], "accelerationMax": [0, -60, 0], "velocityDamping": 0.3,
  "blendState": 1, "depthStencilState": 3
}
)");
    ok &= WriteText(folder / "P_Jump.qlap", "{\n  " + dot +
        R"(  "particleCount": 14, "lifetimeRange": [0.3, 0.55], "scaleRange": [12, 22],
  "spawnType": 1, "spawnDirection": [0, 0, 1], "spawnSpread": 90, "spawnRadiusMin": 5, "spawnRadiusMax": 25,
  "velocityType": 0, "spawnVelocityDirection": [0, 1, 0], "spawnVelocitySpread": 70,
  "spawnVelocityMin": 60, "spawnVelocityMax": 140, "accelerationMin": [0, -200, 0], "accelerationMax": [0, -200, 0],
  "blendState": 1, "depthStencilState": 3
}
)");
    // Amber sparks: additive, fast, falling.
    ok &= WriteText(folder / "P_GroundPound.qlap", "{\n  " + dot +
        R"(  "particleCount": 32, "lifetimeRange": [0.35, 0.8], "scaleRange": [8, 16],
  "spawnType": 2, "spawnMin": [-30, 0, -10], "spawnMax": [30, 5, 10],
  "velocityType": 0, "spawnVelocityDirection": [0, 1, 0], "spawnVelocitySpread": 75,
  "spawnVelocityMin": 200, "spawnVelocityMax": 450, "accelerationMin": [0, -900, 0], "accelerationMax": [0, -700, 0],
  "angularVelocityMin": [0, 0, -180], "angularVelocityMax": [0, 0, 180],
  "scaleEasing": {"sustainedPeriod": [0.05, 0.6]}, "blendState": 2, "depthStencilState": 3
}
)");
    ok &= WriteText(folder / "P_Sparks.qlap", "{\n  " + dot +
        R"(  "particleCount": 24, "lifetimeRange": [0.25, 0.6], "scaleRange": [6, 12],
  "velocityType": 0, "spawnVelocityDirection": [0, 1, 0], "spawnVelocitySpread": 180,
  "spawnVelocityMin": 150, "spawnVelocityMax": 380, "accelerationMin": [0, -600, 0], "accelerationMax": [0, -500, 0],
  "blendState": 2, "depthStencilState": 3
}
)");
    // A looping cyan glow around batteries and the goal, swirled by turbulence.
    ok &= WriteText(folder / "P_Glow.qlap", "{\n  " + dot +
        R"(  "particleCount": 16, "isLoop": true, "warmupTime": 1.0, "lifetimeRange": [0.8, 1.4], "scaleRange": [10, 22],
  "spawnType": 1, "spawnDirection": [0, 1, 0], "spawnSpread": 180, "spawnRadiusMin": 10, "spawnRadiusMax": 40,
  "velocityType": 1, "velocityMin": [-10, 10, -10], "velocityMax": [10, 40, 10],
  "accelerationMin": [0, 0, 0], "accelerationMax": [0, 0, 0],
  "useTurbulence": true, "turbulenceRandomizeSeed": false, "turbulenceNoiseSeed": 1234,
  "turbulenceNoiseScale": 0.02, "turbulenceIntensity": 60,
  "turbulenceNoiseVelocityMin": [0, 0.2, 0], "turbulenceNoiseVelocityMax": [0, 0.4, 0],
  "blendState": 2, "depthStencilState": 3
}
)");
    return ok;
}
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: make_models <game asset root>\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const bool ok = WritePlayer(root) && WriteMiniOwl(root) && WriteBeetleTank(root) && WritePipeMole(root) &&
                     WriteProps(root) && WriteParticles(root);
    if (!ok)
    {
        std::fprintf(stderr, "make_models: could not write into %s\n", root.string().c_str());
        return 1;
    }
    return 0;
}
