#include "graphics/ModelDrawer.h"

#include "model/ModelInstance.h"

#include <unordered_map>

namespace Qel
{
namespace
{
using ShaderCacheMap = std::unordered_map<StringId, ModelShader>;

ShaderCacheMap& StaticCache()
{
    static ShaderCacheMap cache;
    return cache;
}

ShaderCacheMap& AnimatedCache()
{
    static ShaderCacheMap cache;
    return cache;
}

std::string CutExtension(const char* aName)
{
    std::string name(aName);
    const size_t separator = name.find_last_of("/\\");
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && (separator == std::string::npos || dot > separator))
        name.resize(dot);
    return name;
}

StringId GetOrCreate(ShaderCacheMap& aCache, const char* aVertexShader, const char* aPixelShader, bool aAnimated)
{
    const StringId key(ModelDrawer::MakeShaderKey(aVertexShader, aPixelShader));
    auto [it, inserted] = aCache.try_emplace(key);
    if (inserted)
    {
        const auto [vs, ps] = ModelDrawer::ResolveShaderNames(aVertexShader, aPixelShader, aAnimated);
        // A pair whose files are missing stays unloaded and draws nothing.
        it->second.Init(vs.c_str(), ps.c_str());
    }
    return key;
}
}

ModelDrawer::ModelDrawer() = default;

ModelDrawer::~ModelDrawer()
{
    myAnimatedLambertShader.reset();
    myLambertShader.reset();
    myAnimatedPbrShader.reset();
    myPbrShader.reset();
    myDefaultAnimatedShader.reset();
    myDefaultShader.reset();
    // Cached shaders hold GL objects of this drawer's context.
    ClearShaderCaches();
}

bool ModelDrawer::InitDefaultShaders()
{
    myDefaultShader = std::make_unique<ModelShader>();
    myDefaultAnimatedShader = std::make_unique<ModelShader>();
    myPbrShader = std::make_unique<ModelShader>();
    myAnimatedPbrShader = std::make_unique<ModelShader>();
    myLambertShader = std::make_unique<ModelShader>();
    myAnimatedLambertShader = std::make_unique<ModelShader>();
    return myDefaultShader->Init() &&
           myDefaultAnimatedShader->Init(ANIMATED_MODEL_SHADER_VS, MODEL_SHADER_PS) &&
           myLambertShader->Init(PBR_MODEL_SHADER_VS, LAMBERT_MODEL_SHADER_PS) &&
           myAnimatedLambertShader->Init(ANIMATED_PBR_MODEL_SHADER_VS, LAMBERT_MODEL_SHADER_PS) &&
           myPbrShader->Init(PBR_MODEL_SHADER_VS, PBR_MODEL_SHADER_PS) &&
           myAnimatedPbrShader->Init(ANIMATED_PBR_MODEL_SHADER_VS, PBR_MODEL_SHADER_PS);
}

std::pair<std::string, std::string> ModelDrawer::ResolveShaderNames(const char* aVertexShader,
                                                                    const char* aPixelShader, bool aAnimated)
{
    std::string vs = aVertexShader && *aVertexShader ? CutExtension(aVertexShader)
                                                     : std::string(aAnimated ? ANIMATED_MODEL_SHADER_VS : MODEL_SHADER_VS);
    std::string ps = aPixelShader && *aPixelShader ? CutExtension(aPixelShader) : std::string(MODEL_SHADER_PS);
    return {std::move(vs), std::move(ps)};
}

std::string ModelDrawer::MakeShaderKey(const char* aVertexShader, const char* aPixelShader)
{
    std::string key = aVertexShader ? aVertexShader : "";
    key += '|';
    key += aPixelShader ? aPixelShader : "";
    return key;
}

StringId ModelDrawer::GetOrCreateShader(const char* aVertexShader, const char* aPixelShader)
{
    return GetOrCreate(StaticCache(), aVertexShader, aPixelShader, false);
}

StringId ModelDrawer::GetOrCreateAnimatedShader(const char* aVertexShader, const char* aPixelShader)
{
    return GetOrCreate(AnimatedCache(), aVertexShader, aPixelShader, true);
}

ModelShader& ModelDrawer::GetCachedShader(StringId aKey) { return StaticCache()[aKey]; }

ModelShader& ModelDrawer::GetCachedAnimatedShader(StringId aKey) { return AnimatedCache()[aKey]; }

size_t ModelDrawer::GetCachedShaderCount() { return StaticCache().size() + AnimatedCache().size(); }

void ModelDrawer::ClearShaderCaches()
{
    StaticCache().clear();
    AnimatedCache().clear();
}

void ModelDrawer::Draw(ModelInstance& aInstance, ModelShader& aShader, int aMeshIndex)
{
    aInstance.RenderMesh(aShader, aMeshIndex);
}

void ModelDrawer::Draw(AnimatedModelInstance& aInstance, ModelShader& aShader, int aMeshIndex)
{
    aInstance.RenderMesh(aShader, aMeshIndex);
}
}
