#pragma once
// The six default model shaders (static and animated; unlit default, Lambert and PBR lighting) and
// two process-wide caches of model shaders keyed by their shader names, one for static and one for
// animated models. References to cached shaders stay valid until the caches are cleared, which
// happens when the graphics engine's drawer goes (with the GL context). Render thread only.
#include "graphics/ModelShader.h"
#include "stringRegistry/StringId.h"

#include <memory>
#include <string>
#include <utility>

namespace Qel
{
class ModelInstance;
class AnimatedModelInstance;

class ModelDrawer
{
public:
    ModelDrawer();
    ~ModelDrawer();
    ModelDrawer(const ModelDrawer&) = delete;
    ModelDrawer& operator=(const ModelDrawer&) = delete;

    // Default, animated default, Lambert, animated Lambert, PBR, animated PBR; false at the first
    // one that fails to load.
    bool InitDefaultShaders();

    static StringId GetOrCreateShader(const char* aVertexShader, const char* aPixelShader);
    static StringId GetOrCreateAnimatedShader(const char* aVertexShader, const char* aPixelShader);
    // An unknown key gives a new, unloaded shader.
    static ModelShader& GetCachedShader(StringId aKey);
    static ModelShader& GetCachedAnimatedShader(StringId aKey);
    static size_t GetCachedShaderCount();
    static void ClearShaderCaches();

    // The shader names a request resolves to: a given name loses its file extension (the last '.'
    // after the last folder separator); a missing one takes the default of its cache.
    static std::pair<std::string, std::string> ResolveShaderNames(const char* aVertexShader, const char* aPixelShader,
                                                                  bool aAnimated);
    // The cache key of a request; the two names are kept apart by a separator.
    static std::string MakeShaderKey(const char* aVertexShader, const char* aPixelShader);

    void Draw(ModelInstance& aInstance, ModelShader& aShader, int aMeshIndex);
    void Draw(AnimatedModelInstance& aInstance, ModelShader& aShader, int aMeshIndex);

    ModelShader& GetDefaultShader() { return *myDefaultShader; }
    ModelShader& GetDefaultAnimatedShader() { return *myDefaultAnimatedShader; }
    ModelShader& GetPbrShader() { return *myPbrShader; }
    ModelShader& GetAnimatedPbrShader() { return *myAnimatedPbrShader; }
    ModelShader& GetLambertShader() { return *myLambertShader; }
    ModelShader& GetAnimatedLambertShader() { return *myAnimatedLambertShader; }

private:
    std::unique_ptr<ModelShader> myDefaultShader;
    std::unique_ptr<ModelShader> myDefaultAnimatedShader;
    std::unique_ptr<ModelShader> myPbrShader;
    std::unique_ptr<ModelShader> myAnimatedPbrShader;
    std::unique_ptr<ModelShader> myLambertShader;
    std::unique_ptr<ModelShader> myAnimatedLambertShader;
};
}
