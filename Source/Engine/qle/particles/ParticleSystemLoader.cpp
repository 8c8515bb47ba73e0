#include "particles/ParticleSystemLoader.h"

#include "particles/ParticleSystemReader.h"
#include "scene/ContentLog.h"
#include "scene/SceneAssets.h"
#include "settings/Settings.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unordered_map>

namespace Qel
{
namespace
{
std::unordered_map<StringId, ParticleSystem>& Cache()
{
    static std::unordered_map<StringId, ParticleSystem> cache;
    return cache;
}

ParticleSystem* ResolveForScenes(StringId aPath) { return ParticleSystemLoader::Get(aPath); }

// Scene properties resolve their particle-system references through this cache.
const bool ourResolverInstalled = [] {
    GetSceneAssetResolvers().myResolveParticleSystem = &ResolveForScenes;
    return true;
}();
}

namespace ParticleSystemLoader
{
bool Read(std::string_view aText, std::string_view aFile, ParticleSystem& aOut, ContentLog& aLog)
{
    (void)ourResolverInstalled;
    return ReadParticleSystem(aText, aFile, aOut, aLog);
}

ParticleSystem* Get(StringId aSystemPath)
{
    auto& cache = Cache();
    if (const auto it = cache.find(aSystemPath); it != cache.end())
        return &it->second;
    ParticleSystem& record = cache[aSystemPath];
    if (aSystemPath.IsEmpty())
        return &record;
    const std::filesystem::path path =
        Settings::GetGameAssetsPath() / Settings::NormaliseRelativePath(aSystemPath.GetView());
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return &record;   // remembered: later calls give the same defaults
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    ContentLog log;
    if (!file || !Read(text.str(), path.string(), record, log))
        record = ParticleSystem();
    return &record;
}

size_t GetCacheSize() { return Cache().size(); }

void ClearCache() { Cache().clear(); }
}
}
