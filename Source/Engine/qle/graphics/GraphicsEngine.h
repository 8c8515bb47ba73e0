#pragma once
// The engine's rendering hub: owns the drawers (sprites, models, custom shapes, lines), the
// graphics state stack and the full-screen passes of the post-processing chain (copy, tone map,
// the two Gaussian blur directions and pixelate). Every drawing part of the engine and the game
// reaches them through here. Render thread only.
#include "core/Types.h"
#include "graphics/RenderTexture.h"

#include <memory>
#include <string>

namespace Qel
{
class CustomShapeDrawer;
class FullscreenEffect;
class FullscreenPixelateEffect;
class GraphicsStateStack;
class LineDrawer;
class ModelDrawer;
class RenderTarget;
class SpriteDrawer;
class TextureManager;

inline constexpr const char* POSTPROCESS_COPY_SHADER = "Shaders/PostprocessCopyPS";
inline constexpr const char* POSTPROCESS_TONEMAP_SHADER = "Shaders/PostprocessTonemapPS";
inline constexpr const char* POSTPROCESS_GAUSSIAN_V_SHADER = "Shaders/PostprocessGaussianV_PS";
inline constexpr const char* POSTPROCESS_GAUSSIAN_H_SHADER = "Shaders/PostprocessGaussianH_PS";
inline constexpr const char* POSTPROCESS_PIXELATE_SHADER = "Shaders/PostprocessPixelate_PS";

class GraphicsEngine
{
public:
    GraphicsEngine();
    // Deletes what it owns in the reverse order of its fields.
    ~GraphicsEngine();
    GraphicsEngine(const GraphicsEngine&) = delete;
    GraphicsEngine& operator=(const GraphicsEngine&) = delete;

    // With the engine's texture manager (none when there is no engine).
    bool Init();
    // False, naming the shader on standard error, when a post-processing shader is missing or
    // broken, and false when the state stack cannot be made: the engine's start then fails. A
    // drawer whose shaders are missing stays unloaded and draws nothing; that does not fail it.
    bool Init(TextureManager* aTextureManager);

    SpriteDrawer* GetSpriteDrawer() const { return mySpriteDrawer.get(); }
    ModelDrawer* GetModelDrawer() const { return myModelDrawer.get(); }
    CustomShapeDrawer* GetCustomShapeDrawer() const { return myCustomShapeDrawer.get(); }
    LineDrawer* GetLineDrawer() const { return myLineDrawer.get(); }
    GraphicsStateStack* GetGraphicsStateStack() const { return myGraphicsStateStack.get(); }
    FullscreenEffect* GetCopyEffect() const { return myCopyEffect.get(); }
    FullscreenEffect* GetTonemapEffect() const { return myTonemapEffect.get(); }
    FullscreenEffect* GetGaussianVerticalEffect() const { return myGaussianVerticalEffect.get(); }
    FullscreenEffect* GetGaussianHorizontalEffect() const { return myGaussianHorizontalEffect.get(); }
    FullscreenPixelateEffect* GetPixelateEffect() const { return myPixelateEffect.get(); }
    bool IsInitialized() const { return myInitialized; }

    // The full Gaussian blur of aSource into aDestination: the horizontal pass into a scratch
    // texture of the source's size and format, then the vertical pass. Replaces the
    // destination's pixels (no blending) and leaves it bound, without depth.
    void Blur(const RenderTexture& aSource, RenderTarget& aDestination);

private:
    // The model drawer and its default model shaders.
    void CreateModelDrawer();
    bool CreateEffect(std::unique_ptr<FullscreenEffect>& aEffect, const std::string& aPixelShader);

    std::unique_ptr<SpriteDrawer> mySpriteDrawer;
    std::unique_ptr<ModelDrawer> myModelDrawer;
    std::unique_ptr<CustomShapeDrawer> myCustomShapeDrawer;
    std::unique_ptr<LineDrawer> myLineDrawer;
    std::unique_ptr<GraphicsStateStack> myGraphicsStateStack;
    std::unique_ptr<FullscreenEffect> myCopyEffect;
    std::unique_ptr<FullscreenEffect> myTonemapEffect;
    std::unique_ptr<FullscreenEffect> myGaussianVerticalEffect;
    std::unique_ptr<FullscreenEffect> myGaussianHorizontalEffect;
    std::unique_ptr<FullscreenPixelateEffect> myPixelateEffect;
    // A slot for one more pass; nothing fills it yet.
    std::unique_ptr<FullscreenEffect> myExtraEffect;
    bool myInitialized = false;
    // The middle image of Blur.
    RenderTexture myBlurScratch;
};
}
