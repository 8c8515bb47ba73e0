// Loading a level of 2,000 objects with their definitions: the definitions under the root,
// the scene's object files, and the merged property list of every object.
#include "scene/ContentLog.h"
#include "scene/ObjectDefinition.h"
#include "scene/Scene.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <filesystem>
#include <fstream>
#include <random>

#include <malloc.h>
#include <unistd.h>

using namespace Qel;
namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace
{
std::atomic<std::size_t> gLiveBytes{0};
std::size_t gPeakBytes = 0;
}

void* operator new(std::size_t aSize)
{
    void* memory = std::malloc(aSize ? aSize : 1);
    if (!memory)
    {
        throw std::bad_alloc();
    }
    const std::size_t live = gLiveBytes += malloc_usable_size(memory);
    gPeakBytes = std::max(gPeakBytes, live);
    return memory;
}
// Out of line, so the compiler does not pair this free with a new expression it inlined.
[[gnu::noinline]] void FreeCounted(void* aMemory)
{
    gLiveBytes -= malloc_usable_size(aMemory);
    std::free(aMemory);
}
void operator delete(void* aMemory) noexcept
{
    if (aMemory)
    {
        FreeCounted(aMemory);
    }
}
void operator delete(void* aMemory, std::size_t) noexcept
{
    operator delete(aMemory);
}

namespace
{
constexpr int OBJECT_COUNT = 2000;
constexpr int DEFINITION_COUNT = 24;

void WriteText(const fs::path& aPath, const std::string& aText)
{
    fs::create_directories(aPath.parent_path());
    std::ofstream(aPath, std::ios::binary) << aText;
}

Json Record(const char* aName, const char* aType, Json aValue, bool aPerInstance)
{
    return {{"name", aName}, {"type", aType}, {"is-dynamic", false}, {"is-per-instance", aPerInstance},
            {"value", std::move(aValue)}, {"group", "Gameplay"}, {"description", "A value of the benchmark"}};
}

// A level shaped like ours: tiles, enemies and pickups with a model, a few numbers and
// per-instance overrides.
fs::path MakeTree()
{
    const fs::path root = fs::temp_directory_path() / ("qel-bench-scene-" + std::to_string(::getpid()));
    fs::remove_all(root);
    for (int d = 0; d < DEFINITION_COUNT; ++d)
    {
        Json model = {{"path", "art/3d/SM_Block" + std::to_string(d) + ".fbx"},
                      {"textures", {{"art/T_" + std::to_string(d) + "_C.dds", "", "", ""}}},
                      {"shaders", {{{"vertexShader", ""}, {"fragmentShader", ""}}}},
                      {"renderConfig", {{{"blendState", 1}, {"depthStencilState", 0}}}}};
        Json definition = {{"parent-object-definition", ""},
                           {"properties",
                            {Record("Object Tag", "Object Tag", d % 24, false), Record("Model", "Model", model, false),
                             Record("TileMaterial", "TileMaterial", 1, true), Record("DropType", "DropType", 0, true),
                             Record("Speed", "Float", 250.5, true), Record("Range", "Float2", {100, 200}, true),
                             Record("Drop", "Object", {{"path", "objects/QLO_Def0.qlo"}}, false),
                             Record("Sparks", "Particle System", {{"particleSystemPath", "vfx/P_Sparks.qlap"}}, false)}}};
        WriteText(root / "objects" / ("QLO_Def" + std::to_string(d) + ".qlo"), definition.dump(2));
    }
    WriteText(root / "scenes/game_scenes/level1.qls", "");
    std::mt19937 random(7);
    for (int i = 0; i < OBJECT_COUNT; ++i)
    {
        char guid[37];
        std::snprintf(guid, sizeof(guid), "%08x-2d7a-4c1f-9e4b-%012x", static_cast<unsigned>(random()), i);
        Json object = {{"name", "Object_" + std::to_string(i)},
                       {"path", i % 2 ? "Tiles" : "Actors"},
                       {"object-definition", "QLO_Def" + std::to_string(i % DEFINITION_COUNT)},
                       {"translation", {i * 100.0, (i % 17) * 100.0, 0}},
                       {"rotation", {0, 0, 0}},
                       {"scale", {1, 1, 1}},
                       {"isHidden", false},
                       {"properties",
                        {{{"name", "TileMaterial"}, {"type", "TileMaterial"}, {"value", i % 3}},
                         {{"name", "Speed"}, {"type", "Float"}, {"value", i * 0.5}}}}};
        WriteText(root / "scenes/game_scenes/level1.leveldata" / guid, object.dump(2));
    }
    return root;
}

bool LoadOnce(const fs::path& aRoot, ContentLog& aLog, std::size_t& aRecords)
{
    ObjectDefinitionManager definitions;
    definitions.LoadAll(aRoot.string(), aLog);
    Scene scene;
    if (!LoadScene(aRoot, "scenes/game_scenes/level1.qls", scene, aLog) || scene.myObjects.size() != OBJECT_COUNT)
    {
        return false;
    }
    std::vector<PropertyRecord> merged;
    aRecords = 0;
    for (const auto& [index, object] : scene.myObjects)
    {
        merged.clear();
        ApplyPerInstanceProperties(*object, definitions, merged);
        aRecords += merged.size();
    }
    return true;
}

// Peak heap of one load: every operator new is counted while it runs.
std::size_t LoadPeakHeapBytes(const fs::path& aRoot)
{
    ContentLog log(nullptr);
    std::size_t records = 0;
    gPeakBytes = gLiveBytes.load();
    const std::size_t before = gLiveBytes;
    LoadOnce(aRoot, log, records);
    return gPeakBytes - before;
}

void BM_LoadSceneWithDefinitions(benchmark::State& aState)
{
    static const fs::path root = MakeTree();
    static const std::size_t peakHeap = LoadPeakHeapBytes(root);
    ContentLog log(nullptr);
    std::size_t records = 0;
    for (auto _ : aState)
    {
        if (!LoadOnce(root, log, records))
        {
            aState.SkipWithError("the level did not load");
            break;
        }
        benchmark::DoNotOptimize(records);
    }
    aState.counters["objects"] = OBJECT_COUNT;
    aState.counters["merged_records"] = static_cast<double>(records);
    aState.counters["load_peak_heap_kb"] = static_cast<double>(peakHeap) / 1024.0;
    if (log.GetErrorCount() != 0)
    {
        aState.SkipWithError("the benchmark content has errors");
    }
}
BENCHMARK(BM_LoadSceneWithDefinitions)->Unit(benchmark::kMillisecond);
}

int main(int aArgc, char** aArgv)
{
    benchmark::Initialize(&aArgc, aArgv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code error;
    fs::remove_all(fs::temp_directory_path() / ("qel-bench-scene-" + std::to_string(::getpid())), error);
    return 0;
}
