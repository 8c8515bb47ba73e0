// The six shipped levels, read from the built asset tree through the real definition and scene
// readers: what every level must hold, how they chain, where things sit, and that the generator
// writes the same bytes on every run.
#include "scene/ContentLog.h"
#include "scene/ObjectDefinition.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"
#include "scene/Scene.h"
#include "scene/SceneAssets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace Qel;

namespace
{
constexpr int LEVEL_COUNT = 6;
// The tile grid and the part of the fixed-height view the hero plays in.
constexpr float GRID_MIN_X = -2050.0f, GRID_MAX_X = 49150.0f, GRID_MIN_Y = -150.0f, GRID_MAX_Y = 3050.0f;
constexpr float PLAY_TOP = 1300.0f;
constexpr float VIEW_WIDTH = 2489.0f;
constexpr float CELL = 100.0f;

fs::path GameRoot()
{
    const char* bin = std::getenv("QEL_BIN_DIR");
    return bin ? fs::path(bin) / "assets" / "game" : fs::path();
}

std::string LevelPath(int aLevel) { return "scenes/game_scenes/level" + std::to_string(aLevel) + ".qls"; }

struct Placed
{
    int myTag = 0;
    Transform myTransform;
    std::vector<PropertyRecord> myProperties;
};

struct LoadedLevel
{
    std::vector<Placed> myObjects;
    std::vector<std::string> myMessages;
    bool myLoaded = false;

    std::vector<const Placed*> WithTag(ObjectTag aTag) const
    {
        std::vector<const Placed*> found;
        for (const Placed& object : myObjects)
            if (object.myTag == static_cast<int>(aTag))
                found.push_back(&object);
        return found;
    }
};

int TagOf(const std::vector<PropertyRecord>& someRecords)
{
    for (const PropertyRecord& record : someRecords)
        if (record.myType == GetPropertyType<ObjectTag>())
            return static_cast<int>(record.myValue.Get<ObjectTag>());
    return 0;
}

class LevelContent : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ourRoot = GameRoot();
        ourLog = new ContentLog(nullptr);
        ourDefinitions = new ObjectDefinitionManager();
        ourDefinitions->LoadAll(ourRoot.string(), *ourLog);
        for (int level = 1; level <= LEVEL_COUNT; ++level)
        {
            ContentLog log(nullptr);
            Scene scene;
            LoadedLevel& loaded = ourLevels[level];
            loaded.myLoaded = LoadScene(ourRoot, LevelPath(level).c_str(), scene, log);
            for (const auto& message : log.GetMessages())
                loaded.myMessages.push_back(message.myText);
            // Map order is a hash order; sort by position so failures read the same every run.
            std::vector<std::shared_ptr<SceneObject>> objects;
            for (const auto& [index, object] : scene.myObjects)
                objects.push_back(object);
            for (const auto& object : objects)
            {
                Placed placed;
                placed.myTransform = object->myTransform;
                ApplyPerInstanceProperties(*object, *ourDefinitions, placed.myProperties);
                placed.myTag = TagOf(placed.myProperties);
                loaded.myObjects.push_back(std::move(placed));
            }
        }
    }
    static void TearDownTestSuite()
    {
        delete ourDefinitions;
        delete ourLog;
    }

    static inline fs::path ourRoot;
    static inline ContentLog* ourLog = nullptr;
    static inline ObjectDefinitionManager* ourDefinitions = nullptr;
    static inline std::map<int, LoadedLevel> ourLevels;
};

TEST_F(LevelContent, EveryLevelLoadsWithoutAContentMessage)
{
    ASSERT_FALSE(ourRoot.empty()) << "QEL_BIN_DIR is not set";
    EXPECT_EQ(ourLog->GetMessages().size(), 0u) << (ourLog->GetMessages().empty() ? "" : ourLog->GetMessages()[0].myText);
    for (const auto& [level, loaded] : ourLevels)
    {
        EXPECT_TRUE(loaded.myLoaded) << "level " << level;
        EXPECT_GT(loaded.myObjects.size(), 100u) << "level " << level;
        for (const std::string& message : loaded.myMessages)
            ADD_FAILURE() << "level " << level << ": " << message;
    }
}

TEST_F(LevelContent, EveryLevelHasOneHeroZiplineCheckpointAndGoal)
{
    for (const auto& [level, loaded] : ourLevels)
    {
        SCOPED_TRACE("level " + std::to_string(level));
        EXPECT_EQ(loaded.WithTag(ObjectTag::Player).size(), 1u);
        EXPECT_EQ(loaded.WithTag(ObjectTag::EntryZipline).size(), 1u);
        EXPECT_EQ(loaded.WithTag(ObjectTag::Checkpoint).size(), 1u);
        EXPECT_EQ(loaded.WithTag(ObjectTag::Goal).size(), 1u);
        EXPECT_LE(loaded.WithTag(ObjectTag::EventFan).size(), 1u);
        EXPECT_EQ(loaded.WithTag(ObjectTag::EventFan).size(), loaded.WithTag(ObjectTag::FanTrigger).size());
        EXPECT_EQ(loaded.WithTag(ObjectTag::EndingCutscene).size(), level == LEVEL_COUNT ? 1u : 0u);
    }
}

TEST_F(LevelContent, GoalsChainFromLevelOneToSixThenTheEnding)
{
    for (const auto& [level, loaded] : ourLevels)
    {
        SCOPED_TRACE("level " + std::to_string(level));
        const auto goals = loaded.WithTag(ObjectTag::Goal);
        ASSERT_EQ(goals.size(), 1u);
        const StringId* next = FindProperty<StringId>(goals[0]->myProperties, StringId("next_level"));
        ASSERT_NE(next, nullptr);
        if (level < LEVEL_COUNT)
        {
            EXPECT_EQ(next->GetView(), LevelPath(level + 1));
            EXPECT_TRUE(fs::is_regular_file(ourRoot / LevelPath(level + 1)));
        }
        else
        {
            // The last level ends in the cutscene, which stands before the goal.
            EXPECT_EQ(next->GetView(), "");
            const auto ending = loaded.WithTag(ObjectTag::EndingCutscene);
            ASSERT_EQ(ending.size(), 1u);
            EXPECT_LT(ending[0]->myTransform.myTranslation.x, goals[0]->myTransform.myTranslation.x);
        }
        // Chapters: the last ten characters name the level, which the play screen reads.
        EXPECT_EQ(LevelPath(level).substr(LevelPath(level).size() - 10), "level" + std::to_string(level) + ".qls");
    }
}

// Every object tag, placed in a level or reached through a placed object's references (drops,
// the hero's grenade), appears somewhere in the set.
TEST_F(LevelContent, EveryObjectKindAppearsAcrossTheSet)
{
    std::set<int> tags;
    std::set<std::string> visited;
    std::vector<const std::vector<PropertyRecord>*> pending;
    for (const auto& [level, loaded] : ourLevels)
        for (const Placed& object : loaded.myObjects)
        {
            tags.insert(object.myTag);
            pending.push_back(&object.myProperties);
        }
    while (!pending.empty())
    {
        const auto* records = pending.back();
        pending.pop_back();
        for (const PropertyRecord& record : *records)
        {
            const ObjectReferenceValue* reference = record.myValue.TryGet<ObjectReferenceValue>();
            if (record.myType != GetPropertyType<ObjectReferenceValue>() || !reference)
                continue;
            const std::string stem = fs::path(std::string((*reference)->myPath.GetView())).stem().string();
            if (!visited.insert(stem).second)
                continue;
            const ObjectDefinition* definition = ourDefinitions->Find(StringId(stem));
            ASSERT_NE(definition, nullptr) << stem;
            tags.insert(TagOf(definition->myProperties));
            pending.push_back(&definition->myProperties);
        }
    }
    for (int tag = 0; tag <= 23; ++tag)
        EXPECT_TRUE(tags.count(tag)) << "no object of tag " << tag;
}

// Every model, clip and particle path a placed object or a helper definition names is filled in
// and exists in the asset tree.
TEST_F(LevelContent, NoAssetPathIsEmptyOrMissing)
{
    auto check = [&](const std::vector<PropertyRecord>& someRecords, const std::string& aWhere) {
        for (const PropertyRecord& record : someRecords)
        {
            std::string path;
            bool isPath = true;
            if (const auto* model = record.myValue.TryGet<ModelValue>(); model && record.myType == GetPropertyType<ModelValue>())
                path = std::string((*model)->myPath.GetView());
            else if (const auto* clip = record.myValue.TryGet<AnimationClipValue>(); clip && record.myType == GetPropertyType<AnimationClipValue>())
                path = std::string((*clip)->myPath.GetView());
            else if (const auto* system = record.myValue.TryGet<ParticleSystemValue>(); system && record.myType == GetPropertyType<ParticleSystemValue>())
                path = std::string((*system)->myPath.GetView());
            else if (const auto* object = record.myValue.TryGet<ObjectReferenceValue>(); object && record.myType == GetPropertyType<ObjectReferenceValue>())
                path = std::string((*object)->myPath.GetView());
            else
                isPath = false;
            if (!isPath)
                continue;
            const std::string name(record.myName.GetView());
            EXPECT_FALSE(path.empty()) << aWhere << ": " << name;
            EXPECT_TRUE(fs::is_regular_file(ourRoot / path)) << aWhere << ": " << name << " names " << path;
        }
    };
    for (const auto& [name, definition] : ourDefinitions->GetDefinitions())
        check(definition->myProperties, definition->myPath);
    for (const auto& [level, loaded] : ourLevels)
        for (const Placed& object : loaded.myObjects)
            check(object.myProperties, "level " + std::to_string(level));
}

bool IsTile(int aTag) { return aTag >= 7 && aTag <= 9; }

TEST_F(LevelContent, EverythingSitsInsideTheGridAndTheView)
{
    for (const auto& [level, loaded] : ourLevels)
    {
        SCOPED_TRACE("level " + std::to_string(level));
        for (const Placed& object : loaded.myObjects)
        {
            const auto& t = object.myTransform.myTranslation;
            EXPECT_GE(t.x, GRID_MIN_X);
            EXPECT_LT(t.x, GRID_MAX_X);
            if (IsTile(object.myTag))
            {
                // Whole tiles, inside the grid and below the top of the view.
                EXPECT_GE(t.y - CELL / 2, GRID_MIN_Y) << "tile at " << t.x;
                EXPECT_LT(t.y + CELL / 2, GRID_MAX_Y) << "tile at " << t.x;
                EXPECT_LE(t.y, PLAY_TOP) << "tile at " << t.x;
            }
            else if (object.myTag != static_cast<int>(ObjectTag::EntryZipline))
            {
                EXPECT_GE(t.y, 0.0f) << "tag " << object.myTag << " at " << t.x;
            }
        }
    }
}

// Scenery and backdrops never cover the play plane (tiles reach 60 deep), each level has a sky that
// keeps with the camera and layers that follow it the more the deeper they lie, and props that
// stand on the ground stand over a ground tile.
TEST_F(LevelContent, SceneryStaysBehindThePlayPlaneAndBackdropsDriftByDepth)
{
    constexpr float TILE_HALF_DEPTH = 60.0f, FEET = CELL / 2;
    const int scenery = static_cast<int>(ObjectTag::Default), sparks = static_cast<int>(ObjectTag::RotatingFireBar),
              layer = static_cast<int>(ObjectTag::Parallax);
    for (const auto& [level, loaded] : ourLevels)
    {
        SCOPED_TRACE("level " + std::to_string(level));
        std::set<int> ground;
        for (const Placed& object : loaded.myObjects)
            if (IsTile(object.myTag) && std::lround(object.myTransform.myTranslation.y) == 0)
                ground.insert(static_cast<int>(std::lround(object.myTransform.myTranslation.x / CELL)));
        std::vector<std::pair<float, float>> layers;   // depth, scale
        for (const Placed& object : loaded.myObjects)
        {
            if (object.myTag != scenery && object.myTag != sparks && object.myTag != layer)
                continue;
            const auto& t = object.myTransform.myTranslation;
            EXPECT_GT(t.z, TILE_HALF_DEPTH) << "tag " << object.myTag << " at " << t.x;
            if (object.myTag == layer)
            {
                const float* scale = FindProperty<float>(object.myProperties, StringId("ParallaxScale"));
                ASSERT_NE(scale, nullptr);
                EXPECT_GE(*scale, 0.0f);
                EXPECT_LE(*scale, 1.0f);
                layers.push_back({t.z, *scale});
            }
            else if (std::fabs(t.y - FEET) < 0.5f)
            {
                EXPECT_TRUE(ground.count(static_cast<int>(std::lround(t.x / CELL)))) << "a prop over a pit at " << t.x;
            }
        }
        std::sort(layers.begin(), layers.end());
        ASSERT_GE(layers.size(), 3u);
        EXPECT_EQ(layers.back().second, 1.0f) << "no sky at the back";
        for (size_t i = 1; i < layers.size(); ++i)
        {
            if (layers[i].first > layers[i - 1].first)
            {
                EXPECT_GE(layers[i].second, layers[i - 1].second) << "a deeper layer drifts more, at z " << layers[i].first;
            }
        }
    }
}

struct Ground
{
    std::set<std::pair<int, int>> myCells;   // (column, row) of every tile
    bool Has(int aColumn, int aRow) const { return myCells.count({aColumn, aRow}) != 0; }
};

Ground TilesOf(const LoadedLevel& aLevel)
{
    Ground ground;
    for (const Placed& object : aLevel.myObjects)
        if (IsTile(object.myTag))
            ground.myCells.insert({static_cast<int>(std::lround(object.myTransform.myTranslation.x / CELL)),
                                   static_cast<int>(std::lround(object.myTransform.myTranslation.y / CELL))});
    return ground;
}

int Column(float aX) { return static_cast<int>(std::lround(aX / CELL)); }

TEST_F(LevelContent, LayoutFitsTheHerosReach)
{
    for (const auto& [level, loaded] : ourLevels)
    {
        SCOPED_TRACE("level " + std::to_string(level));
        const Ground tiles = TilesOf(loaded);
        const auto zipline = loaded.WithTag(ObjectTag::EntryZipline);
        const auto goal = loaded.WithTag(ObjectTag::Goal);
        const auto checkpoint = loaded.WithTag(ObjectTag::Checkpoint);
        ASSERT_EQ(zipline.size(), 1u);
        ASSERT_EQ(goal.size(), 1u);
        ASSERT_EQ(checkpoint.size(), 1u);
        const Vector3<float> start = zipline[0]->myTransform.myTranslation;
        const Vector3<float> end = goal[0]->myTransform.myTranslation;

        // The ride ends 44 right of and 185 above the zipline model, with the hero on a ground top.
        EXPECT_TRUE(tiles.Has(Column(start.x + 44.0f), 0));
        EXPECT_FLOAT_EQ(start.y + 185.0f, CELL / 2);
        // Longer than a screen, with the checkpoint between the two ends.
        EXPECT_GT(end.x - start.x, 3.0f * VIEW_WIDTH);
        EXPECT_GT(checkpoint[0]->myTransform.myTranslation.x, start.x + VIEW_WIDTH);
        EXPECT_LT(checkpoint[0]->myTransform.myTranslation.x, end.x - VIEW_WIDTH);
        EXPECT_TRUE(tiles.Has(Column(checkpoint[0]->myTransform.myTranslation.x), 0)) << "checkpoint over a gap";
        // The goal stands on ground behind a run-up two tiles high, so the hero can jump in high.
        EXPECT_TRUE(tiles.Has(Column(end.x), 0));
        bool runUp = false;
        for (int column = Column(end.x) - 6; column < Column(end.x); ++column)
            runUp |= tiles.Has(column, 2) && !tiles.Has(column, 3);
        EXPECT_TRUE(runUp) << "no run-up before the goal";

        // Gaps in the ground: at most four cells, unless a moving platform crosses them.
        std::vector<std::pair<float, float>> platformSpans;
        for (const Placed* platform : loaded.WithTag(ObjectTag::PlatformMoving))
        {
            const Vector2<float>* a = FindProperty<Vector2<float>>(platform->myProperties, StringId("TargetA"));
            const Vector2<float>* b = FindProperty<Vector2<float>>(platform->myProperties, StringId("TargetB"));
            const float* speed = FindProperty<float>(platform->myProperties, StringId("MaxSpeed"));
            const float* braking = FindProperty<float>(platform->myProperties, StringId("Deacceleration"));
            ASSERT_TRUE(a && b && speed && braking);
            EXPECT_LE(*speed, 500.0f);
            EXPECT_GT(*braking, 0.0f);
            const float x = platform->myTransform.myTranslation.x;
            platformSpans.push_back({x + std::min(a->x, b->x) - 150.0f, x + std::max(a->x, b->x) + 150.0f});
        }
        int gap = 0;
        for (int column = Column(start.x + 44.0f); column <= Column(end.x); ++column)
        {
            if (tiles.Has(column, 0))
            {
                gap = 0;
                continue;
            }
            const float x = column * CELL;
            const bool bridged = std::any_of(platformSpans.begin(), platformSpans.end(),
                                             [&](const auto& aSpan) { return x >= aSpan.first && x <= aSpan.second; });
            // A platform's reach counts as ground: what is left on either side must be jumpable.
            gap = bridged ? 0 : gap + 1;
            EXPECT_LE(gap, 4) << "a gap of " << gap << " cells at column " << column;
        }
        // Steps: wherever the ground rises, it rises at most three tiles in one column.
        for (int column = Column(start.x); column <= Column(end.x); ++column)
        {
            auto height = [&](int aColumn) {
                int h = 0;
                while (tiles.Has(aColumn, h))
                    ++h;
                return h;
            };
            const int rise = height(column + 1) - height(column);
            const bool lift = std::any_of(platformSpans.begin(), platformSpans.end(), [&](const auto& aSpan) {
                return std::fabs(column * CELL - (aSpan.first + aSpan.second) / 2) < 500.0f;
            });
            EXPECT_TRUE(rise <= 3 || lift) << "a wall of " << rise << " tiles at column " << column;
        }
    }
}

TEST_F(LevelContent, DifficultyRisesThroughTheSet)
{
    auto enemies = [&](int aLevel) {
        size_t count = 0;
        for (ObjectTag tag : {ObjectTag::EnemyMiniOwl, ObjectTag::EnemyPipeMole, ObjectTag::EnemyBeetletank, ObjectTag::EnemyFlyingMiniOwl})
            count += ourLevels[aLevel].WithTag(tag).size();
        return count;
    };
    auto length = [&](int aLevel) {
        return ourLevels[aLevel].WithTag(ObjectTag::Goal).front()->myTransform.myTranslation.x -
               ourLevels[aLevel].WithTag(ObjectTag::EntryZipline).front()->myTransform.myTranslation.x;
    };
    for (int level = 2; level <= LEVEL_COUNT; ++level)
    {
        EXPECT_GE(enemies(level), enemies(level - 1)) << "level " << level;
        EXPECT_GE(length(level), length(level - 1)) << "level " << level;
    }
    EXPECT_GT(enemies(LEVEL_COUNT), 2 * enemies(1));
}

// The generator run again into an empty folder writes the very bytes the build installed.
TEST(LevelGenerator, WritesTheSameBytesEveryRun)
{
    const char* tool = std::getenv("QEL_MAKE_LEVELS");
    const char* sources = std::getenv("QEL_LEVEL_SOURCES");
    ASSERT_TRUE(tool && sources);
    const fs::path out = fs::temp_directory_path() / ("qel_levels_" + std::to_string(::getpid()));
    fs::remove_all(out);
    ASSERT_EQ(std::system(("\"" + std::string(tool) + "\" \"" + sources + "\" \"" + out.string() + "\"").c_str()), 0);
    size_t compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(out))
    {
        if (!entry.is_regular_file())
            continue;
        const fs::path relative = fs::relative(entry.path(), out);
        auto read = [](const fs::path& aPath) {
            std::ifstream in(aPath, std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            return text.str();
        };
        EXPECT_EQ(read(entry.path()), read(GameRoot() / relative)) << relative;
        ++compared;
    }
    EXPECT_GT(compared, 600u);
    fs::remove_all(out);
}

// A broken source is refused with its file, line and cause, and nothing half-written is left as a level.
TEST(LevelGenerator, RefusesABrokenSourceNamingFileAndLine)
{
    const char* tool = std::getenv("QEL_MAKE_LEVELS");
    ASSERT_TRUE(tool);
    struct Case
    {
        const char* mySource;
        const char* myMessage;
    };
    const Case cases[] = {
        {"chapter 1\ntiles\n##X#\nend\n", "level1.txt:3: unknown tile 'X' in column 2"},
        {"chapter 1\ntiles\n####\nend\nspaceship 1 1\n", "level1.txt:5: unknown object kind \"spaceship\""},
        {"chapter 1\ntiles\n####\nend\nowl one 1\n", "level1.txt:5: \"one\" is not a number"},
        {"chapter 1\ntiles\n####\n", "the tile map has no \"end\""},
        {"chapter 3\ntiles\n####\nend\n", "chapter must be 1 or 2"},
    };
    const fs::path folder = fs::temp_directory_path() / ("qel_bad_levels_" + std::to_string(::getpid()));
    for (const Case& c : cases)
    {
        fs::remove_all(folder);
        fs::create_directories(folder / "src");
        std::ofstream(folder / "src" / "level1.txt") << c.mySource;
        const std::string command = "\"" + std::string(tool) + "\" \"" + (folder / "src").string() + "\" \"" +
                                    (folder / "out").string() + "\" 2> \"" + (folder / "err.txt").string() + "\"";
        EXPECT_NE(std::system(command.c_str()), 0) << c.mySource;
        std::ifstream err(folder / "err.txt");
        std::ostringstream text;
        text << err.rdbuf();
        EXPECT_NE(text.str().find(c.myMessage), std::string::npos) << text.str();
        EXPECT_FALSE(fs::exists(folder / "out" / "scenes" / "game_scenes" / "level1.qls"));
    }
    fs::remove_all(folder);
}
}
