// Writes the models the six levels place that the character generator does not make: ground and
// blocks in both chapter palettes, platforms, pickups, checkpoint, goal, zipline, enemies, the fan
// event and the ending figure, with their clips and base colour textures (scenery and backdrops
// come from make_scenery_models). Byte for byte the same on every run. Usage: make_level_models <game asset root>
//
//   (the enemies but the mini owls come from make_models)
//   art/3d/SM_*.fbx                     static models (one mesh)
//   art/3d/SK_*.fbx                     skinned models; their clips in art/3d/animations/A_<model>_<clip>.fbx
//   art/3d/<material>_C.dds             base colour per material (framed, lightly speckled)
#include "DdsWriter.h"
#include "FbxWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <set>
#include <string>

using namespace FbxGen;

namespace
{
constexpr double PI = 3.14159265358979323846;

std::uint8_t Byte(double aValue) { return static_cast<std::uint8_t>(std::lround(std::clamp(aValue, 0.0, 1.0) * 255.0)); }

double Hash(int x, int y, int aSeed)
{
    unsigned h = static_cast<unsigned>(x) * 374761393u + static_cast<unsigned>(y) * 668265263u +
                 static_cast<unsigned>(aSeed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<double>((h ^ (h >> 16)) & 0xffffu) / 65536.0;
}

// Which pattern a material's texture carries, so blocks read by shape and surface.
enum class Pattern
{
    Plain,     // speckle only
    Framed,    // darker rim: blocks
    Planks,    // horizontal gaps: wood
    Rivets,    // rivet dots: metal
    Mark,      // a bright centre mark: lucky blocks
    Grass      // a lighter top band: ground
};

struct MaterialDef
{
    std::string myName;
    Vec3 myColour;
    Pattern myPattern = Pattern::Plain;
};

constexpr int TEXTURE_SIZE = 64;

bool WriteTexture(const std::filesystem::path& aFolder, const MaterialDef& aMaterial, int aSeed)
{
    const Vec3 c = aMaterial.myColour;
    return WriteDds(aFolder / (aMaterial.myName + "_C.dds"), TEXTURE_SIZE, TEXTURE_SIZE, [&](int x, int y) {
        const double u = (x + 0.5) / TEXTURE_SIZE, v = (y + 0.5) / TEXTURE_SIZE;
        double shade = 0.92 + 0.12 * Hash(x / 2, y / 2, aSeed);
        const double rim = std::max(std::fabs(u - 0.5), std::fabs(v - 0.5));
        switch (aMaterial.myPattern)
        {
        case Pattern::Plain: break;
        case Pattern::Framed: shade *= rim > 0.43 ? 0.62 : 1.0; break;
        case Pattern::Planks: shade *= std::fmod(v * 4.0, 1.0) < 0.07 || rim > 0.45 ? 0.55 : 1.0; break;
        case Pattern::Rivets:
            shade *= std::hypot(std::fmod(u * 4.0, 1.0) - 0.5, std::fmod(v * 4.0, 1.0) - 0.5) < 0.12 ? 1.35
                     : rim > 0.45                                                                ? 0.6
                                                                                                 : 1.0;
            break;
        case Pattern::Mark:
        {
            const bool mark = (std::fabs(u - 0.5) < 0.08 && v > 0.25 && v < 0.62) ||
                              (std::hypot(u - 0.5, v - 0.75) < 0.07);
            shade *= mark ? 1.6 : rim > 0.43 ? 0.65 : 1.0;
            break;
        }
        case Pattern::Grass: shade *= v < 0.22 ? 1.25 : v < 0.28 ? 0.7 : 1.0; break;
        }
        return Rgba{Byte(c[0] * shade), Byte(c[1] * shade), Byte(c[2] * shade), 255};
    });
}

struct Part
{
    std::string myJoint;   // skinned models: the joint the box follows
    Vec3 myCentre;
    Vec3 myHalf;
    int myMaterial = 0;
};

struct Clip
{
    std::string myName;
    int myLastFrame = 30;
    struct Channel
    {
        std::string myJoint;
        char myKind;
        int myAxis;
        std::function<double(double)> myOffset;
    };
    std::vector<Channel> myChannels;
};

struct ModelDef
{
    std::string myName;
    std::vector<MaterialDef> myMaterials;
    std::vector<Part> myParts;
    std::vector<Node> myJoints;   // empty: a static model
    std::vector<Clip> myClips;
};

double Wave(double aPhase, double aCycles = 1.0) { return std::sin(2.0 * PI * aPhase * aCycles); }

const Node& JointOf(const ModelDef& aModel, const std::string& aName)
{
    for (const Node& node : aModel.myJoints)
        if (node.myName == aName)
            return node;
    return aModel.myJoints.front();
}

bool WriteModel(const std::filesystem::path& aRoot, const ModelDef& aModel, std::set<std::string>& someTextures)
{
    const std::filesystem::path folder = aRoot / "art" / "3d";
    Scene scene;
    scene.myNodes = aModel.myJoints;
    const std::string meshNode = aModel.myName + "_Mesh";
    scene.myNodes.push_back({meshNode, "", "Mesh"});
    Mesh mesh;
    mesh.myNode = meshNode;
    for (const MaterialDef& material : aModel.myMaterials)
    {
        scene.myMaterials.push_back({material.myName, material.myColour});
        mesh.myMaterials.push_back(material.myName);
    }
    for (const Part& part : aModel.myParts)
    {
        const int first = AddBox(mesh, part.myCentre, part.myHalf, part.myMaterial);
        if (aModel.myJoints.empty())
            continue;
        auto cluster = std::find_if(mesh.myClusters.begin(), mesh.myClusters.end(),
                                    [&](const Cluster& c) { return c.myBone == part.myJoint; });
        if (cluster == mesh.myClusters.end())
        {
            mesh.myClusters.push_back({part.myJoint, {}, {}});
            cluster = mesh.myClusters.end() - 1;
        }
        for (int i = 0; i < 8; ++i)
        {
            cluster->myIndexes.push_back(first + i);
            cluster->myWeights.push_back(1.0);
        }
    }
    scene.myMeshes.push_back(mesh);
    bool ok = WriteFile(folder / (aModel.myName + ".fbx"), scene);
    int seed = 11;
    for (const MaterialDef& material : aModel.myMaterials)
        if (someTextures.insert(material.myName).second)
            ok &= WriteTexture(folder, material, seed++);

    for (const Clip& clip : aModel.myClips)
    {
        Scene clipScene;
        clipScene.myNodes = aModel.myJoints;
        Take take;
        take.myLastFrame = clip.myLastFrame;
        for (const Clip::Channel& channel : clip.myChannels)
        {
            const Node& joint = JointOf(aModel, channel.myJoint);
            const size_t axis = static_cast<size_t>(channel.myAxis);
            const double rest = channel.myKind == 'T'   ? joint.myTranslation[axis]
                                : channel.myKind == 'R' ? joint.myRotation[axis]
                                                        : joint.myScaling[axis];
            Curve curve{channel.myJoint, channel.myKind, channel.myAxis, {}};
            for (int frame = 0; frame <= clip.myLastFrame; ++frame)
            {
                double value = rest + channel.myOffset(static_cast<double>(frame) / clip.myLastFrame);
                if (std::fabs(value) < 1e-9)
                    value = 0.0;
                curve.myValues.push_back(std::round(value * 1e5) / 1e5);
            }
            take.myCurves.push_back(curve);
        }
        clipScene.myTakes.push_back(take);
        ok &= WriteFile(folder / "animations" / ("A_" + aModel.myName.substr(3) + "_" + clip.myName + ".fbx"), clipScene);
    }
    return ok;
}

// A 100-unit tile centred on its cell, slightly deeper than wide so the 2.5D side reads.
std::vector<Part> TileBox(int aMaterial = 0) { return {{"", {0, 0, 0}, {50, 50, 60}, aMaterial}}; }

std::vector<ModelDef> Models()
{
    // Chapter palettes.
    const Vec3 moss{0.30, 0.55, 0.20}, bark{0.45, 0.28, 0.14}, barkDark{0.28, 0.17, 0.08};
    const Vec3 brass{0.80, 0.62, 0.28}, copper{0.72, 0.40, 0.22}, soot{0.25, 0.25, 0.28}, furnace{1.0, 0.55, 0.12};
    const Vec3 stone{0.52, 0.50, 0.46}, amber{1.0, 0.68, 0.12}, lemon{1.0, 0.92, 0.35}, cyan{0.30, 0.92, 1.0};
    const Vec3 steel{0.55, 0.60, 0.68};

    std::vector<ModelDef> models;
    // Ground and blocks, forest then factory.
    models.push_back({"SM_Ground_Forest", {{"M_GroundForest", bark, Pattern::Plain}, {"M_GroundForestTop", moss, Pattern::Grass}},
                      {{"", {0, -8, 0}, {50, 42, 60}, 0}, {"", {0, 42, 0}, {50, 8, 60}, 1}}, {}, {}});
    models.push_back({"SM_Ground_Factory", {{"M_GroundFactory", soot, Pattern::Rivets}, {"M_GroundFactoryTop", brass, Pattern::Framed}},
                      {{"", {0, -8, 0}, {50, 42, 60}, 0}, {"", {0, 42, 0}, {50, 8, 60}, 1}}, {}, {}});
    models.push_back({"SM_BlockSolid_Forest", {{"M_BlockStone", stone, Pattern::Framed}}, TileBox(), {}, {}});
    models.push_back({"SM_BlockSolid_Factory", {{"M_BlockIron", steel, Pattern::Rivets}}, TileBox(), {}, {}});
    models.push_back({"SM_BlockMetal", {{"M_BlockCopper", copper, Pattern::Rivets}}, TileBox(), {}, {}});
    models.push_back({"SM_BlockHollow", {{"M_BlockHollow", barkDark, Pattern::Planks}},
                      {{"", {0, 40, 0}, {50, 10, 60}, 0}, {"", {0, -40, 0}, {50, 10, 60}, 0},
                       {"", {-40, 0, 0}, {10, 30, 60}, 0}, {"", {40, 0, 0}, {10, 30, 60}, 0}}, {}, {}});
    models.push_back({"SM_BlockBreakable_Forest", {{"M_BlockWood", bark, Pattern::Planks}}, TileBox(), {}, {}});
    models.push_back({"SM_BlockBreakable_Factory", {{"M_BlockCrate", copper, Pattern::Planks}}, TileBox(), {}, {}});
    models.push_back({"SM_BlockLucky", {{"M_BlockLucky", amber, Pattern::Mark}}, TileBox(), {}, {}});
    models.push_back({"SM_BlockUsed", {{"M_BlockUsed", {0.45, 0.38, 0.28}, Pattern::Framed}}, TileBox(), {}, {}});
    // The breaking block: four quarters thrown apart, up or down.
    {
        ModelDef debris{"SK_BlockDebris", {{"M_BlockWood", bark, Pattern::Planks}}, {}, {{"Root", "", "LimbNode"}}, {}};
        const char* names[] = {"PieceA", "PieceB", "PieceC", "PieceD"};
        const Vec3 offsets[] = {{-25, 25, 0}, {25, 25, 0}, {-25, -25, 0}, {25, -25, 0}};
        for (int i = 0; i < 4; ++i)
        {
            debris.myJoints.push_back({names[i], "Root", "LimbNode", offsets[i]});
            debris.myParts.push_back({names[i], offsets[i], {24, 24, 30}, 0});
        }
        for (int top = 0; top < 2; ++top)
        {
            Clip clip{top ? "DestroyTop" : "DestroyBottom", 20, {}};
            const double lift = top ? 1.0 : -0.4;
            for (int i = 0; i < 4; ++i)
            {
                const double side = offsets[i][0] > 0 ? 1.0 : -1.0;
                clip.myChannels.push_back({names[i], 'T', 0, [side](double p) { return side * 160.0 * p; }});
                clip.myChannels.push_back({names[i], 'T', 1, [lift](double p) { return lift * 300.0 * p - 900.0 * p * p; }});
                clip.myChannels.push_back({names[i], 'R', 2, [side](double p) { return -side * 300.0 * p; }});
                clip.myChannels.push_back({names[i], 'S', 0, [](double p) { return -0.8 * p; }});
                clip.myChannels.push_back({names[i], 'S', 1, [](double p) { return -0.8 * p; }});
                clip.myChannels.push_back({names[i], 'S', 2, [](double p) { return -0.8 * p; }});
            }
            debris.myClips.push_back(clip);
        }
        models.push_back(debris);
    }
    // Moving platforms: three tiles long, a wooden raft and a brass lift.
    models.push_back({"SM_Platform_Forest", {{"M_PlatformWood", bark, Pattern::Planks}, {"M_PlatformMoss", moss, Pattern::Grass}},
                      {{"", {0, -20, 0}, {150, 20, 55}, 0}, {"", {0, 3, 0}, {150, 3, 55}, 1}}, {}, {}});
    models.push_back({"SM_Platform_Factory", {{"M_PlatformBrass", brass, Pattern::Rivets}, {"M_PlatformSoot", soot, Pattern::Plain}},
                      {{"", {0, -20, 0}, {150, 20, 55}, 0}, {"", {0, -48, 0}, {20, 10, 20}, 1}}, {}, {}});
    // Pickups: warm and bright.
    models.push_back({"SM_Battery", {{"M_Battery", cyan, Pattern::Framed}, {"M_BatteryCap", lemon, Pattern::Plain}},
                      {{"", {0, 0, 0}, {16, 26, 16}, 0}, {"", {0, 31, 0}, {8, 5, 8}, 1}}, {}, {}});
    models.push_back({"SM_ChestGrenadePickup", {{"M_GrenadeBody", {0.35, 0.5, 0.2}, Pattern::Rivets}, {"M_GrenadeFuse", amber, Pattern::Plain}},
                      {{"", {0, 0, 0}, {22, 22, 22}, 0}, {"", {0, 28, 0}, {5, 8, 5}, 1}}, {}, {}});
    models.push_back({"SM_ChestGrenade", {{"M_GrenadeBody", {0.35, 0.5, 0.2}, Pattern::Rivets}, {"M_GrenadeFuse", amber, Pattern::Plain}},
                      {{"", {0, 0, 0}, {14, 14, 14}, 0}, {"", {0, 18, 0}, {3, 5, 3}, 1}}, {}, {}});
    models.push_back({"SM_ShieldPickup", {{"M_Shield", cyan, Pattern::Mark}},
                      {{"", {0, 0, 0}, {26, 30, 6}, 0}, {"", {0, -30, 0}, {14, 8, 6}, 0}}, {}, {}});
    models.push_back({"SM_LifePickup", {{"M_Life", amber, Pattern::Plain}, {"M_LifeCap", lemon, Pattern::Plain}},
                      {{"", {-14, 8, 0}, {14, 14, 10}, 0}, {"", {14, 8, 0}, {14, 14, 10}, 0}, {"", {0, -12, 0}, {14, 14, 10}, 0},
                       {"", {0, 28, 0}, {6, 6, 6}, 1}}, {}, {}});
    // Checkpoint: a lamp post, dark until reached, then lit amber.
    models.push_back({"SM_Checkpoint_Off", {{"M_CheckpointPost", soot, Pattern::Rivets}, {"M_CheckpointDark", {0.3, 0.3, 0.35}, Pattern::Plain}},
                      {{"", {0, 10, 0}, {30, 10, 30}, 0}, {"", {0, 150, 0}, {8, 130, 8}, 0}, {"", {0, 300, 0}, {26, 24, 26}, 1}}, {}, {}});
    models.push_back({"SM_Checkpoint_On", {{"M_CheckpointPost", soot, Pattern::Rivets}, {"M_CheckpointLit", amber, Pattern::Mark}},
                      {{"", {0, 10, 0}, {30, 10, 30}, 0}, {"", {0, 150, 0}, {8, 130, 8}, 0}, {"", {0, 300, 0}, {30, 28, 30}, 1}}, {}, {}});
    // The goal: a great lantern whose lid spins while the hero rides it.
    models.push_back({"SK_Goal", {{"M_GoalFrame", brass, Pattern::Rivets}, {"M_GoalLight", lemon, Pattern::Mark}},
                      {{"Root", {0, 20, 0}, {60, 20, 60}, 0}, {"Root", {-40, 380, 0}, {10, 360, 10}, 0},
                       {"Root", {40, 380, 0}, {10, 360, 10}, 0}, {"Lamp", {0, 760, 0}, {55, 45, 55}, 1},
                       {"Lamp", {0, 820, 0}, {70, 10, 70}, 0}},
                      {{"Root", "", "LimbNode"}, {"Lamp", "Root", "LimbNode", {0, 760, 0}}},
                      {{"Active", 30, {{"Lamp", 'R', 1, [](double p) { return 360.0 * p; }},
                                       {"Lamp", 'S', 1, [](double p) { return 0.1 * Wave(p, 2.0); }}}}}});
    // Entry zipline: a post with a pulley running along the cable.
    models.push_back({"SK_Zipline", {{"M_ZiplinePost", bark, Pattern::Planks}, {"M_ZiplinePulley", steel, Pattern::Rivets}},
                      {{"Root", {30, 100, 0}, {12, 250, 12}, 0}, {"Root", {30, 350, 0}, {40, 8, 10}, 0},
                       {"Pulley", {0, 0, 0}, {14, 14, 14}, 1}},
                      {{"Root", "", "LimbNode"}, {"Pulley", "Root", "LimbNode", {22, 347, 0}}},
                      {{"Active", 30, {{"Pulley", 'R', 2, [](double p) { return -720.0 * p; }}}}}});
    // The beetle tank, its shell and the pipe mole come with the enemies' own models (make_models).
    // The fan event: a big copper fan whose blades break loose, and the debris it throws.
    models.push_back({"SK_Fan", {{"M_FanHousing", soot, Pattern::Rivets}, {"M_FanBlades", copper, Pattern::Framed}},
                      {{"Root", {0, 0, 30}, {260, 260, 20}, 0}, {"Blades", {0, 0, 0}, {240, 30, 8}, 1},
                       {"Blades", {0, 0, 0}, {30, 240, 8}, 1}},
                      {{"Root", "", "LimbNode"}, {"Blades", "Root", "LimbNode", {0, 0, -20}}},
                      {{"PreRoll", 30, {{"Blades", 'R', 2, [](double p) { return 360.0 * p; }}}},
                       {"Break", 40, {{"Blades", 'R', 2, [](double p) { return 900.0 * p; }},
                                      {"Blades", 'T', 1, [](double p) { return -900.0 * p * p; }}}}}});
    models.push_back({"SK_FanDebris", {{"M_FanBlades", copper, Pattern::Framed}},
                      {{"ShardA", {0, 0, 0}, {30, 12, 6}, 0}, {"ShardB", {0, 0, 0}, {20, 20, 6}, 0}},
                      {{"Root", "", "LimbNode"}, {"ShardA", "Root", "LimbNode", {-40, 0, 0}}, {"ShardB", "Root", "LimbNode", {40, 0, 0}}},
                      {{"Debris", 40, {{"ShardA", 'T', 0, [](double p) { return -400.0 * p; }},
                                       {"ShardA", 'T', 1, [](double p) { return 300.0 * p - 900.0 * p * p; }},
                                       {"ShardB", 'T', 0, [](double p) { return 350.0 * p; }},
                                       {"ShardB", 'T', 1, [](double p) { return 200.0 * p - 900.0 * p * p; }},
                                       {"ShardA", 'R', 2, [](double p) { return 720.0 * p; }},
                                       {"ShardB", 'R', 2, [](double p) { return -540.0 * p; }}}}}});
    models.push_back({"SM_FanTrigger", {{"M_FanSwitch", furnace, Pattern::Mark}, {"M_CheckpointPost", soot, Pattern::Rivets}},
                      {{"", {0, 10, 0}, {30, 10, 20}, 1}, {"", {0, 45, 0}, {14, 25, 14}, 0}}, {}, {}});
    // The ending: the great owl lamp wakes and rises into the sky, where the ending's camera comes
    // to rest (about 1050 above the view's usual height, zoomed in), bobs there and blinks. The
    // blink starts at the first joint, so the whole figure rides on Root.
    constexpr double ENDING_SECONDS = 8.0, ENDING_RISE = 1450.0;
    const auto endingRise = [](double p) {
        const double t = p * ENDING_SECONDS;
        const double s = std::clamp((t - 0.4) / 2.4, 0.0, 1.0);
        return ENDING_RISE * (1.0 - std::cos(PI * s)) * 0.5 + 25.0 * s * std::sin(PI * t);
    };
    models.push_back({"SK_EndingOwl", {{"M_EndingOwl", brass, Pattern::Rivets}, {"M_EndingEyes", lemon, Pattern::Mark}},
                      {{"Body", {0, 150, 0}, {120, 150, 90}, 0}, {"Head", {0, 380, 0}, {110, 80, 85}, 0},
                       {"Head", {-45, 390, -86}, {28, 28, 3}, 1}, {"Head", {45, 390, -86}, {28, 28, 3}, 1}},
                      {{"Root", "", "LimbNode"}, {"Body", "Root", "LimbNode"}, {"Head", "Body", "LimbNode", {0, 380, 0}}},
                      {{"Cutscene", static_cast<int>(ENDING_SECONDS * 30.0),
                        {{"Root", 'T', 1, endingRise}, {"Head", 'R', 2, [](double p) { return 12.0 * Wave(p, 4.0); }}}}}});
    return models;
}
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: make_level_models <game asset root>\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    std::set<std::string> textures;
    bool ok = true;
    for (const ModelDef& model : Models())
        ok &= WriteModel(root, model, textures);
    if (!ok)
    {
        std::fprintf(stderr, "make_level_models: could not write into %s\n", root.string().c_str());
        return 1;
    }
    return 0;
}
