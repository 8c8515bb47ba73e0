// Writes the models, clips and particle files of the pickups, the grenade, the checkpoint, the
// ziplines, the event fan and the ending from procedural descriptions, byte for byte the same on
// every run. Usage: make_object_models <game asset root>
//
//   art/3d/SM_Battery, SM_Pickup_Grenade/Shield/Life, SM_ChestGrenade, SM_Checkpoint_Off/On.fbx
//   art/3d/SK_Zipline.fbx and A_Zipline_Active.fbx (the goal's and the entry's rope)
//   art/3d/SK_EventFan.fbx with A_EventFan_PreRoll/Break.fbx, SK_FanDebris.fbx with A_FanDebris.fbx
//   art/3d/SK_EndingHero.fbx and A_Ending_Cutscene.fbx
//   art/particles/P_PickupSplash, P_BatteryUp, P_BatteryDown, P_GrenadeExplosion,
//                 P_FanElectricity, P_EndingBlink.qlap (none of them loops: the game waits for
//                 each to end)
// Helpers (batteries, power-ups, the checkpoint, the goal) are warm and bright; the fan is
// factory brass and soot.
#include "FbxWriter.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

using namespace FbxGen;

namespace
{
constexpr double PI = 3.14159265358979323846;

bool WriteStatic(const std::filesystem::path& aFolder, const std::string& aName,
                 const std::vector<Material>& someMaterials, const std::function<void(Mesh&)>& aBuild)
{
    Scene scene;
    scene.myNodes.push_back({aName, "", "Mesh"});
    scene.myMaterials = someMaterials;
    Mesh mesh;
    mesh.myNode = aName;
    for (const Material& material : someMaterials)
        mesh.myMaterials.push_back(material.myName);
    aBuild(mesh);
    scene.myMeshes.push_back(mesh);
    return WriteFile(aFolder / (aName + ".fbx"), scene);
}

// A box skinned fully to one joint.
void BoxOn(Mesh& aMesh, const std::string& aJoint, const Vec3& aCentre, const Vec3& aHalf, int aMaterial)
{
    const int first = AddBox(aMesh, aCentre, aHalf, aMaterial);
    Cluster* target = nullptr;
    for (Cluster& cluster : aMesh.myClusters)
        if (cluster.myBone == aJoint)
            target = &cluster;
    if (!target)
    {
        aMesh.myClusters.push_back({aJoint, {}, {}});
        target = &aMesh.myClusters.back();
    }
    for (int i = 0; i < 8; ++i)
    {
        target->myIndexes.push_back(first + i);
        target->myWeights.push_back(1.0);
    }
}

struct Channel
{
    std::string myJoint;
    char myKind;   // 'T' or 'R'
    int myAxis;
    std::function<double(double aPhase)> myValue;   // the joint's value over the clip (phase 0..1)
};

bool WriteClip(const std::filesystem::path& aPath, const std::vector<Node>& someJoints, int aLastFrame,
               const std::vector<Channel>& someChannels)
{
    Scene scene;
    scene.myNodes = someJoints;
    Take take;
    take.myLastFrame = aLastFrame;
    for (const Channel& channel : someChannels)
    {
        Curve curve{channel.myJoint, channel.myKind, channel.myAxis, {}};
        for (int frame = 0; frame <= aLastFrame; ++frame)
        {
            double value = channel.myValue(static_cast<double>(frame) / aLastFrame);
            if (std::fabs(value) < 1e-9)
                value = 0.0;
            curve.myValues.push_back(std::round(value * 1e5) / 1e5);
        }
        take.myCurves.push_back(curve);
    }
    scene.myTakes.push_back(take);
    return WriteFile(aPath, scene);
}

bool WriteSkinned(const std::filesystem::path& aPath, const std::vector<Node>& someJoints, const std::string& aMeshName,
                  const std::vector<Material>& someMaterials, const std::function<void(Mesh&)>& aBuild)
{
    Scene scene;
    scene.myNodes = someJoints;
    scene.myNodes.push_back({aMeshName, "", "Mesh"});
    scene.myMaterials = someMaterials;
    Mesh mesh;
    mesh.myNode = aMeshName;
    for (const Material& material : someMaterials)
        mesh.myMaterials.push_back(material.myName);
    aBuild(mesh);
    scene.myMeshes.push_back(mesh);
    return WriteFile(aPath, scene);
}

const Vec3 AMBER{1.0, 0.68, 0.12}, LEMON{1.0, 0.92, 0.3}, CYAN{0.3, 0.9, 1.0}, WHITE{0.95, 0.95, 0.9};
const Vec3 RED{0.95, 0.25, 0.2}, BRASS{0.8, 0.62, 0.28}, SOOT{0.22, 0.22, 0.24}, COPPER{0.75, 0.42, 0.22};

bool WritePickups(const std::filesystem::path& aFolder)
{
    bool ok = true;
    // A battery standing up: amber body, cyan cap and lemon band (about 70 tall, inside the
    // 100 × 100 pickup box).
    ok &= WriteStatic(aFolder, "SM_Battery", {{"M_Battery_Body", AMBER}, {"M_Battery_Cap", CYAN}, {"M_Battery_Band", LEMON}},
                      [](Mesh& m) {
                          AddBox(m, {0, 0, 0}, {18, 30, 18}, 0);
                          AddBox(m, {0, 36, 0}, {8, 6, 8}, 1);
                          AddBox(m, {0, 0, 0}, {19, 6, 19}, 2);
                      });
    // Power-ups: a round-ish chest grenade (amber with a lemon pin), a cyan shield, a red heart-
    // like life token with a white glint.
    ok &= WriteStatic(aFolder, "SM_Pickup_Grenade", {{"M_PickupGrenade", AMBER}, {"M_PickupGrenadePin", LEMON}},
                      [](Mesh& m) {
                          AddBox(m, {0, 0, 0}, {24, 24, 24}, 0);
                          AddBox(m, {0, 28, 0}, {6, 6, 6}, 1);
                      });
    ok &= WriteStatic(aFolder, "SM_Pickup_Shield", {{"M_PickupShield", CYAN}, {"M_PickupShieldRim", LEMON}},
                      [](Mesh& m) {
                          AddBox(m, {0, 4, 0}, {28, 30, 6}, 0);
                          AddBox(m, {0, -30, 0}, {14, 6, 6}, 0);
                          AddBox(m, {0, 36, 0}, {30, 4, 7}, 1);
                      });
    ok &= WriteStatic(aFolder, "SM_Pickup_Life", {{"M_PickupLife", RED}, {"M_PickupLifeGlint", WHITE}},
                      [](Mesh& m) {
                          AddBox(m, {-12, 8, 0}, {14, 14, 10}, 0);
                          AddBox(m, {12, 8, 0}, {14, 14, 10}, 0);
                          AddBox(m, {0, -10, 0}, {16, 14, 10}, 0);
                          AddBox(m, {-12, 16, 10}, {4, 4, 1}, 1);
                      });
    ok &= WriteStatic(aFolder, "SM_ChestGrenade", {{"M_ChestGrenade", AMBER}, {"M_ChestGrenadeBand", SOOT}},
                      [](Mesh& m) {
                          AddBox(m, {0, 0, 0}, {20, 20, 20}, 0);
                          AddBox(m, {0, 0, 0}, {21, 5, 21}, 1);
                      });
    // The checkpoint: a post with a lamp, dark while off and lemon-lit when on.
    ok &= WriteStatic(aFolder, "SM_Checkpoint_Off", {{"M_CheckpointPost", BRASS}, {"M_CheckpointLampOff", SOOT}},
                      [](Mesh& m) {
                          AddBox(m, {0, 90, 0}, {8, 90, 8}, 0);
                          AddBox(m, {0, 195, 0}, {22, 16, 22}, 1);
                      });
    ok &= WriteStatic(aFolder, "SM_Checkpoint_On", {{"M_CheckpointPost", BRASS}, {"M_CheckpointLampOn", LEMON}},
                      [](Mesh& m) {
                          AddBox(m, {0, 90, 0}, {8, 90, 8}, 0);
                          AddBox(m, {0, 195, 0}, {22, 16, 22}, 1);
                          AddBox(m, {0, 226, 0}, {10, 8, 10}, 1);
                      });
    return ok;
}

bool WriteZipline(const std::filesystem::path& aFolder)
{
    // A tall brass pole with a pulley on a short arm; the pulley spins while the rope runs.
    const std::vector<Node> joints = {
        {"Root", "", "LimbNode"},
        {"Pulley", "Root", "LimbNode", {0, 760, 0}},
    };
    bool ok = WriteSkinned(aFolder / "SK_Zipline.fbx", joints, "Zipline",
                           {{"M_ZiplinePole", BRASS}, {"M_ZiplinePulley", AMBER}}, [](Mesh& m) {
                               BoxOn(m, "Root", {-20, 380, 0}, {10, 380, 10}, 0);
                               BoxOn(m, "Root", {0, 770, 0}, {30, 6, 6}, 0);
                               BoxOn(m, "Pulley", {0, 760, 0}, {14, 14, 5}, 1);
                           });
    ok &= WriteClip(aFolder / "animations" / "A_Zipline_Active.fbx", joints, 15,
                    {{"Pulley", 'R', 2, [](double p) { return -360.0 * p; }}});
    return ok;
}

bool WriteFan(const std::filesystem::path& aFolder)
{
    // A big factory fan: a soot hub and three brass blades; the pre-roll spins them, the break
    // tears them off; the debris is the blades lying below.
    const std::vector<Node> fan = {
        {"Root", "", "LimbNode"},
        {"Hub", "Root", "LimbNode"},
        {"Blade1", "Hub", "LimbNode"},
        {"Blade2", "Hub", "LimbNode", {0, 0, 0}, {0, 0, 120}},
        {"Blade3", "Hub", "LimbNode", {0, 0, 0}, {0, 0, 240}},
    };
    bool ok = WriteSkinned(aFolder / "SK_EventFan.fbx", fan, "EventFan", {{"M_FanHub", SOOT}, {"M_FanBlade", BRASS}},
                           [](Mesh& m) {
                               BoxOn(m, "Hub", {0, 0, 0}, {60, 60, 30}, 0);
                               BoxOn(m, "Blade1", {0, 260, 0}, {55, 210, 8}, 1);
                               BoxOn(m, "Blade2", {-225, -130, 0}, {55, 210, 8}, 1);
                               BoxOn(m, "Blade3", {225, -130, 0}, {55, 210, 8}, 1);
                           });
    // The pre-roll: one slow turn (it loops until the trigger, then winds down at 0.65 speed).
    ok &= WriteClip(aFolder / "animations" / "A_EventFan_PreRoll.fbx", fan, 30,
                    {{"Hub", 'R', 2, [](double p) { return -120.0 * p; }}});
    // The break: the hub shudders, the blades fly apart and drop.
    auto fall = [](double aSide) {
        return [aSide](double p) { return aSide * 300.0 * p; };
    };
    ok &= WriteClip(aFolder / "animations" / "A_EventFan_Break.fbx", fan, 60,
                    {{"Hub", 'R', 2, [](double p) { return 12.0 * std::sin(p * 8.0 * PI) * (1.0 - p); }},
                     {"Blade1", 'T', 1, [](double p) { return -900.0 * p * p; }},
                     {"Blade2", 'T', 0, fall(-1.0)},
                     {"Blade2", 'T', 1, [](double p) { return -800.0 * p * p; }},
                     {"Blade3", 'T', 0, fall(1.0)},
                     {"Blade3", 'T', 1, [](double p) { return -850.0 * p * p; }}});
    const std::vector<Node> debris = {
        {"Root", "", "LimbNode"},
        {"Piece1", "Root", "LimbNode", {-200, 0, 0}},
        {"Piece2", "Root", "LimbNode", {40, 0, 0}},
        {"Piece3", "Root", "LimbNode", {260, 0, 0}},
    };
    ok &= WriteSkinned(aFolder / "SK_FanDebris.fbx", debris, "FanDebris", {{"M_FanBlade", BRASS}, {"M_FanHub", SOOT}},
                       [](Mesh& m) {
                           BoxOn(m, "Piece1", {-200, 10, 0}, {150, 10, 40}, 0);
                           BoxOn(m, "Piece2", {40, 15, 0}, {60, 15, 50}, 1);
                           BoxOn(m, "Piece3", {260, 10, 0}, {140, 10, 40}, 0);
                       });
    // The pieces bounce once as they land.
    ok &= WriteClip(aFolder / "animations" / "A_FanDebris.fbx", debris, 30,
                    {{"Piece1", 'T', 1, [](double p) { return 60.0 * std::fabs(std::sin(p * PI)) * (1.0 - p); }},
                     {"Piece3", 'T', 1, [](double p) { return 40.0 * std::fabs(std::sin(p * 2.0 * PI)) * (1.0 - p); }},
                     {"Piece2", 'R', 2, [](double p) { return 25.0 * p; }}});
    return ok;
}

bool WriteEnding(const std::filesystem::path& aFolder)
{
    // The hero as the ending shows it: it looks up at the lights, waves and then bows. The
    // first joint carries the blink at the end.
    const std::vector<Node> joints = {
        {"Root", "", "LimbNode"},
        {"Body", "Root", "LimbNode", {0, 60, 0}},
        {"Head", "Body", "LimbNode", {0, 70, 0}},
        {"ArmL", "Body", "LimbNode", {-35, 50, 0}},
        {"ArmR", "Body", "LimbNode", {35, 50, 0}},
    };
    bool ok = WriteSkinned(aFolder / "SK_EndingHero.fbx", joints, "EndingHero",
                           {{"M_EndingHeroBody", AMBER}, {"M_EndingHeroCap", CYAN}}, [](Mesh& m) {
                               BoxOn(m, "Body", {0, 90, 0}, {28, 45, 22}, 0);
                               BoxOn(m, "Head", {0, 150, 0}, {14, 10, 14}, 1);
                               BoxOn(m, "ArmL", {-40, 90, 0}, {6, 30, 6}, 0);
                               BoxOn(m, "ArmR", {40, 90, 0}, {6, 30, 6}, 0);
                           });
    // Eight seconds at 30 frames a second.
    ok &= WriteClip(aFolder / "animations" / "A_Ending_Cutscene.fbx", joints, 240,
                    {{"Head", 'R', 0, [](double p) { return -25.0 * std::sin(std::min(p * 3.0, 1.0) * PI / 2.0); }},
                     {"ArmR", 'R', 2, [](double p) { return p < 0.6 ? 140.0 + 25.0 * std::sin(p * 12.0 * PI) : 140.0 * (1.0 - (p - 0.6) / 0.4); }},
                     {"Body", 'R', 0, [](double p) { return p > 0.8 ? 30.0 * std::sin((p - 0.8) / 0.2 * PI) : 0.0; }}});
    return ok;
}

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
    const std::string dot = "{\n  \"texturePath\": \"art/particles/T_SoftDot_C.dds\",\n";
    bool ok = true;
    // A pickup's splash: warm additive glints bursting outward.
    ok &= WriteText(folder / "P_PickupSplash.qlap", dot + R"(  "particleCount": 18, "lifetimeRange": [0.3, 0.6], "scaleRange": [10, 22],
  "spawnType": 1, "spawnDirection": [0, 0, 1], "spawnSpread": 180, "spawnRadiusMin": 5, "spawnRadiusMax": 30,
  "velocityType": 0, "spawnVelocityDirection": [0, 1, 0], "spawnVelocitySpread": 180,
  "spawnVelocityMin": 120, "spawnVelocityMax": 260, "accelerationMin": [0, -100, 0], "accelerationMax": [0, -60, 0],
  "blendState": 2, "depthStencilState": 3
}
)");
    // A battery leaving a block: a short amber jet up out of it (or down, when pounded).
    for (const auto& [name, up] : {std::pair<const char*, int>{"P_BatteryUp.qlap", 1}, {"P_BatteryDown.qlap", -1}})
    {
        const std::string vy = std::to_string(up);
        ok &= WriteText(folder / name, dot + R"(  "particleCount": 14, "lifetimeRange": [0.35, 0.55], "scaleRange": [14, 26],
  "spawnType": 2, "spawnMin": [-12, 0, -6], "spawnMax": [12, 10, 6],
  "velocityType": 0, "spawnVelocityDirection": [0, )" + vy + R"(, 0], "spawnVelocitySpread": 25,
  "spawnVelocityMin": 260, "spawnVelocityMax": 420, "accelerationMin": [0, 0, 0], "accelerationMax": [0, 0, 0],
  "velocityDamping": 0.4, "blendState": 2, "depthStencilState": 3
}
)");
    }
    // The grenade's explosion: a furnace-orange ball of sparks with a low puff of smoke.
    ok &= WriteText(folder / "P_GrenadeExplosion.qlap", dot + R"(  "particleCount": 40, "lifetimeRange": [0.3, 0.8], "scaleRange": [20, 60],
  "spawnType": 1, "spawnDirection": [0, 0, 1], "spawnSpread": 180, "spawnRadiusMin": 0, "spawnRadiusMax": 35,
  "velocityType": 0, "spawnVelocityDirection": [0, 1, 0], "spawnVelocitySpread": 180,
  "spawnVelocityMin": 150, "spawnVelocityMax": 500, "accelerationMin": [0, -300, 0], "accelerationMax": [0, -150, 0],
  "velocityDamping": 0.5, "scaleEasing": {"sustainedPeriod": [0.05, 0.4]}, "blendState": 2, "depthStencilState": 3
}
)");
    // The broken fan's electricity: quick cyan-white crackles over a few seconds.
    ok &= WriteText(folder / "P_FanElectricity.qlap", dot + R"(  "particleCount": 60, "lifetimeRange": [0.1, 3.0], "scaleRange": [6, 18],
  "spawnType": 2, "spawnMin": [-250, -250, -20], "spawnMax": [250, 250, 20],
  "velocityType": 1, "velocityMin": [-200, -200, 0], "velocityMax": [200, 200, 0],
  "accelerationMin": [0, -200, 0], "accelerationMax": [0, -100, 0], "blendState": 2, "depthStencilState": 3
}
)");
    // The ending's blink: one soft lemon flash.
    ok &= WriteText(folder / "P_EndingBlink.qlap", dot + R"(  "particleCount": 6, "lifetimeRange": [0.5, 0.9], "scaleRange": [40, 120],
  "velocityType": 1, "velocityMin": [0, 0, 0], "velocityMax": [0, 0, 0],
  "accelerationMin": [0, 0, 0], "accelerationMax": [0, 0, 0],
  "scaleEasing": {"sustainedPeriod": [0.2, 0.5]}, "blendState": 2, "depthStencilState": 3
}
)");
    return ok;
}
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: make_object_models <game asset root>\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const std::filesystem::path folder = root / "art" / "3d";
    const bool ok = WritePickups(folder) && WriteZipline(folder) && WriteFan(folder) && WriteEnding(folder) &&
                    WriteParticles(root);
    if (!ok)
    {
        std::fprintf(stderr, "make_object_models: could not write into %s\n", root.string().c_str());
        return 1;
    }
    return 0;
}
