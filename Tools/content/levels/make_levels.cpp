// Builds the game's levels from their readable sources (Assets/Levels/levelN.txt): for each level the
// scene marker scenes/game_scenes/levelN.qls and its levelN.leveldata folder of GUID-named object
// files, plus the object definitions (objects/**/*.qlo) and the particle files the levels use. The
// GUIDs come from the level number and the object's index, so every build writes the same bytes.
// Usage: make_levels <source folder> <game asset root>
//
// A source holds "key value" lines, a tile map between "tiles" and "end", then one object per line:
//   kind column row [name=value ...]
// Columns and rows count 100-unit cells; row 0 is the bottom row of the map (cell centre y = 0).
// Scenery and backdrop words come from SceneryCatalog.h; they take z= (depth, positive behind the
// play plane) and scale=, and a backdrop layer's column is where it shows when the camera is there.
#include "../models/SceneryCatalog.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace
{
constexpr double CELL = 100.0;
// The zipline's model sits this far below the ground top so the ride ends with the hero standing on it.
constexpr double ZIPLINE_BELOW_GROUND = 185.0;

struct Error
{
    std::string myText;
};

[[noreturn]] void Fail(const std::string& aFile, int aLine, const std::string& aCause)
{
    throw Error{aFile + (aLine > 0 ? ":" + std::to_string(aLine) : "") + ": " + aCause};
}

// ---- property records ---------------------------------------------------------------------

Json Record(const std::string& aName, const std::string& aType, Json aValue, bool aPerInstance = false)
{
    return Json{{"name", aName}, {"type", aType}, {"is-dynamic", false}, {"is-per-instance", aPerInstance}, {"value", std::move(aValue)}};
}
Json Tag(int aTag) { return Record("Object Tag", "Object Tag", aTag); }
Json Model(const std::string& aName, const std::string& aFile) { return Record(aName, "Model", Json{{"path", "art/3d/" + aFile + ".fbx"}}); }
Json Clip(const std::string& aName, const std::string& aFile)
{
    return Record(aName, "Animation Clip", Json{{"clip_path", "art/3d/animations/" + aFile + ".fbx"}});
}
Json Particles(const std::string& aName, const std::string& aFile)
{
    return Record(aName, "Particle System", Json{{"particleSystemPath", "art/particles/" + aFile + ".qlap"}});
}
Json Object(const std::string& aName, const std::string& aPath) { return Record(aName, "Object", Json{{"path", aPath}}); }
Json Float(const std::string& aName, double aValue, bool aPerInstance = false) { return Record(aName, "Float", aValue, aPerInstance); }
Json Int(const std::string& aName, int aValue, bool aPerInstance = false) { return Record(aName, "Int", aValue, aPerInstance); }
Json Bool(const std::string& aName, bool aValue, bool aPerInstance = false) { return Record(aName, "Bool", aValue, aPerInstance); }

struct Definition
{
    std::string myPath;   // relative to the asset root
    std::vector<Json> myRecords;
};


double ScaleOf(const SceneryCatalog::Entry& anEntry, double aDepth)
{
    return anEntry.myFixedScale >= 0.0 ? anEntry.myFixedScale : SceneryCatalog::ParallaxScaleAt(aDepth);
}

std::vector<Definition> Definitions()
{
    const std::string drops = "objects/drops/";
    std::vector<Definition> d;
    auto tile = [&](const std::string& aName, int aTag, const std::string& aModel, int aMaterial) {
        d.push_back({"objects/blocks/" + aName + ".qlo",
                     {Tag(aTag), Model("Model", aModel), Int("TileWidth", 1, true), Int("TileHeight", 1, true),
                      Record("TileMaterial", "TileMaterial", aMaterial, true)}});
    };
    for (const char* chapter : {"Forest", "Factory"})
    {
        const std::string c = chapter;
        tile("QLO_Ground_" + c, 9, "SM_Ground_" + c, 0);
        tile("QLO_BlockSolid_" + c, 9, "SM_BlockSolid_" + c, 0);
        tile("QLO_BlockBreakable_" + c, 7, "SM_BlockBreakable_" + c, 2);
    }
    tile("QLO_BlockMetal", 9, "SM_BlockMetal", 1);
    tile("QLO_BlockHollow", 9, "SM_BlockHollow", 2);
    tile("QLO_BlockUsed", 9, "SM_BlockUsed", 0);
    d.push_back({"objects/blocks/QLO_BlockLucky.qlo",
                 {Tag(8), Model("Model", "SM_BlockLucky"), Int("TileWidth", 1), Int("TileHeight", 1),
                  Record("TileMaterial", "TileMaterial", 0, true), Record("DropType", "DropType", 0, true),
                  Object("ChestGrenadeDrop", drops + "QLO_ChestGrenadePickup.qlo"), Object("ShieldDrop", drops + "QLO_ShieldPickup.qlo"),
                  Object("BatterySpawn", drops + "QLO_BatterySpawn.qlo"), Object("LifeDrop", drops + "QLO_LifePickup.qlo"),
                  Object("ReplaceBlock", "objects/blocks/QLO_BlockUsed.qlo")}});
    d.push_back({"objects/blocks/QLO_BreakableTileA.qlo",
                 {Model("Model", "SK_BlockDebris"), Clip("DestroyAnimationTop", "A_BlockDebris_DestroyTop"),
                  Clip("DestroyAnimationBottom", "A_BlockDebris_DestroyBottom")}});
    for (const char* chapter : {"Forest", "Factory"})
    {
        const std::string c = chapter;
        d.push_back({"objects/platforms/QLO_Platform_" + c + ".qlo",
                     {Tag(10), Model("Model", "SM_Platform_" + c), Float("HitboxWidth", 300, true), Float("HitboxOffset", 0, true),
                      Float("Acceleration", 400, true), Float("Deacceleration", 400, true), Float("MaxSpeed", 250, true),
                      Record("TargetA", "Float2", Json::array({0, 0}), true), Record("TargetB", "Float2", Json::array({400, 0}), true),
                      Bool("StartingTargetIsA", false, true), Bool("ShouldWait", false, true)}});
    }

    // The hero and the things the hero carries.
    d.push_back({"objects/player/QLO_Player.qlo",
                 {Tag(1), Model("Model", "SK_Player"), Clip("IdleAnimation", "A_Player_Idle"), Clip("WalkAnimation", "A_Player_Walk"),
                  Clip("SprintAnimation", "A_Player_Sprint"), Clip("SlideAnimation", "A_Player_Slide"),
                  Clip("JumpAnimation", "A_Player_Jump"), Clip("FallAnimation", "A_Player_Fall"),
                  Clip("CrouchAnimation", "A_Player_Crouch"), Clip("GroundPoundAnimation", "A_Player_GroundPound"),
                  Clip("DeathAnimation", "A_Player_Death"), Clip("ZiplineAnimation", "A_Player_Zipline"),
                  Float("WalkAcceleration", 1000), Float("SprintAcceleration", 0), Float("MaxWalkSpeed", 500),
                  Float("MaxSprintSpeed", 800), Float("GroundResistance", 1000), Float("CrouchResistance", 1000),
                  Float("JumpForce", 5600), Float("BaseJumpForce", 1150), Float("JumpResistance", 5500),
                  Float("MinJumpResistance", 500), Float("PoundForce", 3000), Float("AirPauseDuration", 0.4),
                  Float("GroundPauseDuration", 0.25), Float("TakeDamagePauseDuration", 1.0), Float("InvulnerableDuration", 3.0),
                  Int("MaxLives", 5), Int("MaxAmountOfGrenades", 2), Object("ChestGrenadePath", "objects/player/QLO_ChestGrenade.qlo")}});
    d.push_back({"objects/player/QLO_PlayerVFX.qlo",
                 {Particles("GroundPound", "P_GroundPound"), Particles("Run1", "P_Run1"), Particles("Run2", "P_Run2"),
                  Particles("Jump", "P_Jump")}});
    d.push_back({"objects/player/QLO_ChestGrenade.qlo", {Tag(16), Model("Model", "SM_ChestGrenade"), Particles("Explosion", "P_Explosion")}});

    // Pickups and drops.
    d.push_back({"objects/pickups/QLO_Battery.qlo", {Tag(11), Model("Model", "SM_Battery")}});
    d.push_back({drops + "QLO_ChestGrenadePickup.qlo", {Tag(12), Model("Model", "SM_ChestGrenadePickup")}});
    d.push_back({drops + "QLO_ShieldPickup.qlo", {Tag(13), Model("Model", "SM_ShieldPickup")}});
    d.push_back({drops + "QLO_LifePickup.qlo", {Tag(14), Model("Model", "SM_LifePickup")}});
    d.push_back({drops + "QLO_BatterySpawn.qlo", {Tag(23), Particles("Battery", "P_BatterySpawn"), Particles("BatteryDown", "P_BatteryDown")}});
    d.push_back({"objects/pickups/QLO_PickupVFX.qlo", {Particles("Splash", "P_PickupSplash")}});

    // Level furniture.
    d.push_back({"objects/level/QLO_Checkpoint.qlo", {Tag(15), Model("SM_Checkpoint_Off", "SM_Checkpoint_Off"), Model("SM_Checkpoint_On", "SM_Checkpoint_On")}});
    d.push_back({"objects/level/QLO_Goal.qlo",
                 {Tag(2), Model("Model", "SK_Goal"), Clip("ActiveAnimation", "A_Goal_Active"), Record("next_level", "StringId", "", true)}});
    d.push_back({"objects/level/QLO_EntryZipline.qlo", {Tag(21), Model("Model", "SK_Zipline"), Clip("ActiveAnimation", "A_Zipline_Active")}});
    d.push_back({"objects/level/QLO_EventFan.qlo",
                 {Tag(19), Model("Fan blades model", "SK_Fan"), Model("Debris", "SK_FanDebris"), Clip("Break", "A_Fan_Break"),
                  Clip("PreRoll", "A_Fan_PreRoll"), Clip("DebrisAnimation", "A_FanDebris_Debris"), Float("ParallaxScale", 1.0, true)}});
    d.push_back({"objects/level/QLO_FanElectricity.qlo", {Particles("Electricity", "P_FanElectricity")}});
    d.push_back({"objects/level/QLO_FanTrigger.qlo",
                 {Tag(20), Model("Model", "SM_FanTrigger"), Record("Position", "Float3", Json::array({0, 0, 0}), true),
                  Float("HitboxWidth", 200, true), Float("HitboxHeight", 1500, true)}});
    d.push_back({"objects/level/QLO_EndingCutscene.qlo",
                 {Tag(22), Model("Model", "SK_EndingOwl"), Clip("CutsceneAnimation", "A_EndingOwl_Cutscene"), Particles("BlinkParticle", "P_Blink")}});

    // Enemies.
    d.push_back({"objects/enemies/QLO_JumpOnVFX.qlo", {Particles("JumpOn", "P_JumpOn")}});
    d.push_back({"objects/enemies/QLO_MiniOwl.qlo",
                 {Tag(3), Model("Model", "SK_MiniOwl"), Clip("WalkAnimation", "A_MiniOwl_Walk"), Clip("Squish", "A_MiniOwl_Squish"),
                  Float("StartMovingOnDistanceFromPlayer", 1000), Float("PatrolSpeedAcceleration", 50, true),
                  Float("MaxPatrolSpeed", 50, true), Float("MaxVelocityY", 4000), Float("GravityAcceleration", 600),
                  Bool("InitialDirectionIsLeft", true, true), Bool("ShouldSwapDirectionAtCliffs", false, true),
                  Float("Waypoint1", 0, true), Float("Waypoint2", 0, true), Float("RemoveAfterSecondsPowerup", 4),
                  Float("RemoveAfterSecondsJumpOn", 4)}});
    d.push_back({"objects/enemies/QLO_FlyingMiniOwl.qlo",
                 {Tag(6), Model("Model", "SK_MiniOwl"), Clip("FlyAnimation", "A_MiniOwl_Fly"), Float("HorizontalSpeed", 100, true),
                  Record("Waypoint1", "Float3", Json::array({0, 0, 0}), true), Record("Waypoint2", "Float3", Json::array({0, 0, 0}), true),
                  Float("StartPatrollingOnDistanceFromPlayer", 1000), Bool("InitialDirectionIsLeft", true, true),
                  Float("RemoveAfterSeconds", 4)}});
    d.push_back({"objects/enemies/QLO_BeetleTank.qlo",
                 {Tag(5), Model("SK_BeetleTank", "SK_BeetleTank"), Model("SK_BeetleTank_Pipe", "SK_BeetleTank_Pipe"),
                  Clip("WalkAnimation", "A_BeetleTank_Walk"), Clip("Squish", "A_BeetleTank_Squish"),
                  Clip("CannonShot", "A_BeetleTank_CannonShot"), Float("StartMovingOnDistanceFromPlayer", 1000),
                  Float("PatrolSpeedAcceleration", 20), Float("MaxPatrolSpeed", 50), Bool("InitialDirectionIsLeft", true, true),
                  Float("Waypoint1", 0, true), Float("Waypoint2", 0, true), Float("RemoveAfterSecondsPowerup", 4),
                  Float("RemoveAfterSecondsJumpOn", 4)}});
    d.push_back({"objects/enemies/QLO_BeetleTank_Projectile.qlo",
                 {Model("Model", "SM_BeetleTank_Projectile"), Float("Acceleration", 900), Float("MaxSpeed", 600)}});
    d.push_back({"objects/enemies/QLO_PipeMole.qlo",
                 {Tag(4), Model("Model", "SK_PipeMole"), Clip("Idle", "A_PipeMole_Idle"), Clip("Appear", "A_PipeMole_Appear"),
                  Clip("IdleStay", "A_PipeMole_IdleStay"), Clip("Death", "A_PipeMole_Death"),
                  Float("TimeInSecondsBeforeFirstPeekaboo", 4.0, true), Float("TimeInSecondsBetweenPeekaboos", 4.0, true),
                  Float("TimeInSecondsBeforeHiding", 3.0, true), Float("AccelerationY", 25), Float("MaxVelocityY", 50)}});

    // Scenery and backdrops: one definition per catalog entry.
    for (const SceneryCatalog::Entry& entry : SceneryCatalog::Entries())
    {
        std::vector<Json> records{Tag(entry.myTag)};
        if (*entry.myModel)
            records.push_back(Model("Model", entry.myModel));
        if (*entry.myParticles)
            records.push_back(Particles("Particles", entry.myParticles));
        if (entry.myTag == SceneryCatalog::TAG_PARALLAX)
            records.push_back(Float("ParallaxScale", ScaleOf(entry, entry.myDepth), true));
        d.push_back({std::string("objects/scenery/") + entry.myDefinition + ".qlo", std::move(records)});
    }
    return d;
}

// The particle files the definitions above add to the model generators' own (dust, run, jump, sparks, glow;
// the pickup, battery and fan effects come with the object models).
std::vector<std::pair<std::string, std::string>> ParticleFiles()
{
    const std::string dot = R"("texturePath": "art/particles/T_SoftDot_C.dds", )";
    return {
        {"P_BatterySpawn", "{" + dot + R"("particleCount": 10, "isLoop": false, "lifetimeRange": [0.4, 0.7], "scaleRange": [12, 22],
 "spawnType": 2, "spawnMin": [-15, 0, -5], "spawnMax": [15, 10, 5], "velocityType": 1, "velocityMin": [-20, 250, 0], "velocityMax": [20, 400, 0],
 "accelerationMin": [0, -500, 0], "accelerationMax": [0, -500, 0], "blendState": 2, "depthStencilState": 3}
)"},
        {"P_Explosion", "{" + dot + R"("particleCount": 40, "isLoop": false, "lifetimeRange": [0.3, 0.8], "scaleRange": [20, 60],
 "spawnType": 1, "spawnDirection": [0, 0, 1], "spawnSpread": 180, "spawnRadiusMin": 0, "spawnRadiusMax": 40,
 "velocityType": 0, "spawnVelocityDirection": [0, 1, 0], "spawnVelocitySpread": 180, "spawnVelocityMin": 200, "spawnVelocityMax": 600,
 "accelerationMin": [0, -200, 0], "accelerationMax": [0, -100, 0], "velocityDamping": 0.5, "blendState": 2, "depthStencilState": 3}
)"},
        {"P_Blink", "{" + dot + R"("particleCount": 12, "isLoop": false, "lifetimeRange": [0.5, 1.0], "scaleRange": [30, 60],
 "spawnType": 1, "spawnDirection": [0, 0, 1], "spawnSpread": 180, "spawnRadiusMin": 0, "spawnRadiusMax": 30,
 "velocityType": 1, "velocityMin": [-30, -30, 0], "velocityMax": [30, 30, 0], "blendState": 2, "depthStencilState": 3}
)"},
        {"P_JumpOn", "{" + dot + R"("particleCount": 14, "isLoop": false, "lifetimeRange": [0.25, 0.5], "scaleRange": [10, 18],
 "spawnType": 1, "spawnDirection": [0, 0, 1], "spawnSpread": 90, "spawnRadiusMin": 10, "spawnRadiusMax": 30,
 "velocityType": 0, "spawnVelocityDirection": [0, 1, 0], "spawnVelocitySpread": 80, "spawnVelocityMin": 100, "spawnVelocityMax": 250,
 "accelerationMin": [0, -400, 0], "accelerationMax": [0, -400, 0], "blendState": 1, "depthStencilState": 3}
)"},
        {"P_GearSparks", "{" + dot + R"("particleCount": 20, "isLoop": true, "lifetimeRange": [0.3, 0.6], "scaleRange": [6, 12],
 "velocityType": 0, "spawnVelocityDirection": [0, 1, 0], "spawnVelocitySpread": 120, "spawnVelocityMin": 150, "spawnVelocityMax": 300,
 "accelerationMin": [0, -600, 0], "accelerationMax": [0, -500, 0], "blendState": 2, "depthStencilState": 3}
)"},
    };
}

// ---- level sources ------------------------------------------------------------------------

struct Placed
{
    std::string myDefinition;
    double myX = 0, myY = 0, myZ = 0;
    double myRotationZ = 0;
    double myScale = 1;
    std::vector<Json> myOverrides;
    std::string myName;
};

struct Level
{
    int myNumber = 0;
    int myChapter = 1;
    std::string myNext;
    std::vector<std::string> myRows;   // top row first
    std::vector<Placed> myObjects;
};

std::string ChapterName(int aChapter) { return aChapter == 1 ? "Forest" : "Factory"; }

void AddTiles(Level& aLevel, const std::string& aFile, int aFirstLine)
{
    const int rows = static_cast<int>(aLevel.myRows.size());
    const std::string c = ChapterName(aLevel.myChapter);
    for (int r = 0; r < rows; ++r)
    {
        const int row = rows - 1 - r;
        const std::string& line = aLevel.myRows[static_cast<size_t>(r)];
        for (size_t col = 0; col < line.size(); ++col)
        {
            Placed p;
            p.myX = static_cast<double>(col) * CELL;
            p.myY = row * CELL;
            auto material = [&](int aValue) { p.myOverrides.push_back({{"name", "TileMaterial"}, {"type", "TileMaterial"}, {"value", aValue}}); };
            auto drop = [&](int aValue) { p.myOverrides.push_back({{"name", "DropType"}, {"type", "DropType"}, {"value", aValue}}); };
            switch (line[col])
            {
            case '.': case ' ': continue;
            case '#': p.myDefinition = "QLO_Ground_" + c; p.myName = "Ground"; break;
            case '=': p.myDefinition = "QLO_BlockSolid_" + c; p.myName = "Block"; break;
            case 'M': p.myDefinition = "QLO_BlockMetal"; p.myName = "MetalBlock"; break;
            case 'H': p.myDefinition = "QLO_BlockHollow"; p.myName = "HollowBlock"; break;
            case 'B': p.myDefinition = "QLO_BlockBreakable_" + c; p.myName = "BreakableBlock"; break;
            case 'b': p.myDefinition = "QLO_BlockBreakable_" + c; p.myName = "BreakableMetalBlock"; material(1); break;
            case '?': p.myDefinition = "QLO_BlockLucky"; p.myName = "LuckyBattery"; drop(0); break;
            case 'P': p.myDefinition = "QLO_BlockLucky"; p.myName = "LuckyPowerup"; drop(1); material(1); break;
            case 'L': p.myDefinition = "QLO_BlockLucky"; p.myName = "LuckyLife"; drop(2); material(2); break;
            case 'o': p.myDefinition = "QLO_Battery"; p.myName = "Battery"; break;
            default:
                Fail(aFile, aFirstLine + r, std::string("unknown tile '") + line[col] + "' in column " + std::to_string(col));
            }
            aLevel.myObjects.push_back(std::move(p));
        }
    }
}

double Number(const std::string& aText, const std::string& aFile, int aLine)
{
    char* end = nullptr;
    const double value = std::strtod(aText.c_str(), &end);
    if (aText.empty() || *end != '\0')
        Fail(aFile, aLine, "\"" + aText + "\" is not a number");
    return value;
}

void AddObject(Level& aLevel, const std::vector<std::string>& someWords, const std::string& aFile, int aLine)
{
    if (someWords.size() < 3)
        Fail(aFile, aLine, "an object needs a kind, a column and a row");
    const std::string& kind = someWords[0];
    const double col = Number(someWords[1], aFile, aLine), row = Number(someWords[2], aFile, aLine);
    std::map<std::string, std::string> args;
    for (size_t i = 3; i < someWords.size(); ++i)
    {
        const size_t eq = someWords[i].find('=');
        if (eq == std::string::npos)
            Fail(aFile, aLine, "\"" + someWords[i] + "\" is not name=value");
        args[someWords[i].substr(0, eq)] = someWords[i].substr(eq + 1);
    }
    auto arg = [&](const std::string& aName, double aDefault) {
        auto it = args.find(aName);
        return it == args.end() ? aDefault : Number(it->second, aFile, aLine);
    };
    const std::string c = ChapterName(aLevel.myChapter);
    Placed p;
    p.myX = col * CELL;
    p.myY = row * CELL;          // floating things: the cell centre
    const double feet = row * CELL - CELL * 0.5;   // standing things: the bottom of the cell
    auto over = [&](const std::string& aName, const std::string& aType, Json aValue) {
        p.myOverrides.push_back({{"name", aName}, {"type", aType}, {"value", std::move(aValue)}});
    };
    auto waypoints = [&] {
        if (args.count("left"))
            over("Waypoint1", "Float", arg("left", 0) * CELL);
        if (args.count("right"))
            over("Waypoint2", "Float", arg("right", 0) * CELL);
        if (args.count("dir"))
            over("InitialDirectionIsLeft", "Bool", args["dir"] == "left");
    };
    if (kind == "player") { p.myDefinition = "QLO_Player"; p.myY = feet; }
    else if (kind == "zipline") { p.myDefinition = "QLO_EntryZipline"; p.myY = feet - ZIPLINE_BELOW_GROUND; }
    else if (kind == "checkpoint") { p.myDefinition = "QLO_Checkpoint"; p.myY = feet; }
    else if (kind == "goal")
    {
        p.myDefinition = "QLO_Goal";
        p.myY = feet;
        over("next_level", "StringId", aLevel.myNext == "ending" ? "" : aLevel.myNext);
    }
    else if (kind == "owl")
    {
        p.myDefinition = "QLO_MiniOwl";
        p.myY = feet;
        waypoints();
        if (args.count("cliffs"))
            over("ShouldSwapDirectionAtCliffs", "Bool", true);
        if (args.count("speed"))
            over("MaxPatrolSpeed", "Float", arg("speed", 50));
    }
    else if (kind == "flyowl")
    {
        p.myDefinition = "QLO_FlyingMiniOwl";
        if (args.count("ax"))
        {
            over("Waypoint1", "Float3", Json::array({arg("ax", col) * CELL, arg("ay", row) * CELL, 0}));
            over("Waypoint2", "Float3", Json::array({arg("bx", col) * CELL, arg("by", row) * CELL, 0}));
        }
        if (args.count("speed"))
            over("HorizontalSpeed", "Float", arg("speed", 100));
        if (args.count("dir"))
            over("InitialDirectionIsLeft", "Bool", args["dir"] == "left");
    }
    else if (kind == "tank") { p.myDefinition = "QLO_BeetleTank"; p.myY = feet; waypoints(); }
    else if (kind == "mole")
    {
        p.myDefinition = "QLO_PipeMole";
        if (args.count("hang"))
        {
            p.myRotationZ = -179.0;
            p.myY = row * CELL + CELL * 0.5;   // hangs from the bottom of the cell above
        }
        else
            p.myY = feet;
        if (args.count("first"))
            over("TimeInSecondsBeforeFirstPeekaboo", "Float", arg("first", 4));
    }
    else if (kind == "platform")
    {
        p.myDefinition = "QLO_Platform_" + c;
        over("TargetA", "Float2", Json::array({arg("ax", 0) * CELL, arg("ay", 0) * CELL}));
        over("TargetB", "Float2", Json::array({arg("bx", 0) * CELL, arg("by", 0) * CELL}));
        if (args.count("speed"))
            over("MaxSpeed", "Float", std::min(arg("speed", 250), 500.0));
        if (args.count("wait"))
            over("ShouldWait", "Bool", true);
    }
    else if (kind == "grenade") p.myDefinition = "QLO_ChestGrenadePickup";
    else if (kind == "shield") p.myDefinition = "QLO_ShieldPickup";
    else if (kind == "life") p.myDefinition = "QLO_LifePickup";
    else if (kind == "fan") { p.myDefinition = "QLO_EventFan"; p.myZ = arg("z", 300); }
    else if (kind == "fantrigger")
    {
        p.myDefinition = "QLO_FanTrigger";
        p.myY = feet;
        over("Position", "Float3", Json::array({p.myX, p.myY, 0}));
        if (args.count("w"))
            over("HitboxWidth", "Float", arg("w", 2) * CELL);
    }
    else if (kind == "ending") { p.myDefinition = "QLO_EndingCutscene"; p.myY = feet; }
    else if (const SceneryCatalog::Entry* entry = SceneryCatalog::Find(kind, aLevel.myChapter))
    {
        p.myDefinition = entry->myDefinition;
        p.myZ = arg("z", entry->myDepth);
        if (entry->myStanding)
            p.myY = feet;
        if (entry->myTag == SceneryCatalog::TAG_PARALLAX)
        {
            // A layer is written where it shows when the camera stands there: its base slides
            // by the share of the camera's travel it follows.
            const double scale = ScaleOf(*entry, p.myZ);
            p.myX = col * CELL * (1.0 - scale);
            over("ParallaxScale", "Float", scale);
        }
        if (args.count("scale"))
            p.myScale = arg("scale", 1.0);
    }
    else
        Fail(aFile, aLine, "unknown object kind \"" + kind + "\"");
    p.myName = kind;
    aLevel.myObjects.push_back(std::move(p));
}

Level ReadLevel(const fs::path& aFile, int aNumber)
{
    std::ifstream in(aFile);
    if (!in)
        Fail(aFile.string(), 0, "cannot be read");
    Level level;
    level.myNumber = aNumber;
    std::string line;
    int number = 0;
    bool inTiles = false, hadTiles = false;
    int firstTileLine = 0;
    std::vector<std::pair<int, std::vector<std::string>>> objects;
    while (std::getline(in, line))
    {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (inTiles)
        {
            if (line == "end")
            {
                inTiles = false;
                continue;
            }
            level.myRows.push_back(line);
            continue;
        }
        const size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.resize(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty())
            continue;
        if (w[0] == "tiles")
        {
            inTiles = hadTiles = true;
            firstTileLine = number + 1;
        }
        else if (w[0] == "chapter" && w.size() == 2)
            level.myChapter = static_cast<int>(Number(w[1], aFile.string(), number));
        else if (w[0] == "next" && w.size() == 2)
            level.myNext = w[1];
        else
            objects.push_back({number, w});
    }
    if (inTiles)
        Fail(aFile.string(), number, "the tile map has no \"end\"");
    if (!hadTiles)
        Fail(aFile.string(), 0, "has no tile map");
    if (level.myChapter != 1 && level.myChapter != 2)
        Fail(aFile.string(), 0, "chapter must be 1 or 2");
    AddTiles(level, aFile.string(), firstTileLine);
    for (const auto& [at, words] : objects)
        AddObject(level, words, aFile.string(), at);
    return level;
}

// A fixed GUID per level and object index (version 4 layout, lower-case hex).
std::string Guid(int aLevel, size_t aIndex)
{
    unsigned long long h = 1469598103934665603ull;
    for (unsigned long long v : {static_cast<unsigned long long>(aLevel), static_cast<unsigned long long>(aIndex)})
        for (int i = 0; i < 8; ++i)
        {
            h ^= (v >> (8 * i)) & 0xffu;
            h *= 1099511628211ull;
        }
    char text[40];
    std::snprintf(text, sizeof text, "%08x-%04x-4%03x-%04x-%012llx", 0x0b1e0000u + static_cast<unsigned>(aLevel),
                  static_cast<unsigned>(aIndex & 0xffffu), static_cast<unsigned>((h >> 48) & 0xfffu),
                  0x8000u | static_cast<unsigned>((h >> 32) & 0x3fffu), h & 0xffffffffffffull);
    return text;
}

bool WriteText(const fs::path& aPath, const std::string& aText)
{
    std::error_code error;
    fs::create_directories(aPath.parent_path(), error);
    std::ofstream file(aPath, std::ios::binary);
    file << aText;
    return static_cast<bool>(file);
}

Json Number3(double x, double y, double z) { return Json::array({x, y, z}); }

bool WriteLevel(const fs::path& aRoot, const Level& aLevel)
{
    const fs::path scenes = aRoot / "scenes" / "game_scenes";
    const std::string stem = "level" + std::to_string(aLevel.myNumber);
    const fs::path folder = scenes / (stem + ".leveldata");
    // Objects removed from a source must not linger from an earlier build.
    std::error_code error;
    fs::remove_all(folder, error);
    fs::create_directories(folder, error);
    bool ok = WriteText(scenes / (stem + ".qls"), "");
    for (size_t i = 0; i < aLevel.myObjects.size(); ++i)
    {
        const Placed& p = aLevel.myObjects[i];
        Json object{{"name", p.myName + "_" + std::to_string(i)},
                    {"path", p.myDefinition},
                    {"object-definition", p.myDefinition},
                    {"translation", Number3(p.myX, p.myY, p.myZ)},
                    {"rotation", Number3(0, 0, p.myRotationZ)},
                    {"scale", Number3(p.myScale, p.myScale, p.myScale)},
                    {"isHidden", false},
                    {"properties", p.myOverrides}};
        ok &= WriteText(folder / Guid(aLevel.myNumber, i), object.dump(2) + "\n");
    }
    return ok;
}
}

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: make_levels <level source folder> <game asset root>\n");
        return 2;
    }
    const fs::path sources = argv[1], root = argv[2];
    try
    {
        // Every source is read before anything is written, so a broken one leaves the tree as it was.
        std::vector<Level> levels;
        for (int number = 1; number <= 6; ++number)
            levels.push_back(ReadLevel(sources / ("level" + std::to_string(number) + ".txt"), number));
        bool ok = true;
        for (const Definition& definition : Definitions())
        {
            Json document{{"parent-object-definition", ""}, {"properties", definition.myRecords}};
            ok &= WriteText(root / definition.myPath, document.dump(2) + "\n");
        }
        for (const auto& [name, text] : ParticleFiles())
            ok &= WriteText(root / "art" / "particles" / (name + ".qlap"), text);
        for (const Level& level : levels)
            ok &= WriteLevel(root, level);
        if (!ok)
        {
            std::fprintf(stderr, "make_levels: could not write into %s\n", root.string().c_str());
            return 1;
        }
    }
    catch (const Error& error)
    {
        std::fprintf(stderr, "make_levels: %s\n", error.myText.c_str());
        return 1;
    }
    return 0;
}
