#include "graphics/GraphicsEngine.h"

#include "drawers/CustomShapeDrawer.h"
#include "drawers/LineDrawer.h"
#include "drawers/SpriteDrawer.h"
#include "engine/Engine.h"
#include "graphics/DX11.h"
#include "graphics/FullscreenEffect.h"
#include "graphics/GraphicsStateStack.h"
#include "graphics/ModelDrawer.h"
#include "settings/Settings.h"

#include <cstdio>

namespace Qel
{
GraphicsEngine::GraphicsEngine() = default;

// The members go in reverse order of declaration: the passes, the state stack, then the drawers
// (the model drawer between the shape drawer and the sprite drawer).
GraphicsEngine::~GraphicsEngine() = default;

bool GraphicsEngine::Init()
{
    const Engine* engine = Engine::GetInstance();
    return Init(engine ? engine->GetTextureManager() : nullptr);
}

bool GraphicsEngine::Init(TextureManager* aTextureManager)
{
    myInitialized = false;
    if (RenderTarget* target = DX11::GetActiveRenderTarget())
        target->SetAsActiveTarget(nullptr);

    // The state stack comes before the drawers: their shaders take their default textures through
    // it and apply it as they draw.
    myGraphicsStateStack = std::make_unique<GraphicsStateStack>();
    if (!myGraphicsStateStack->Init(aTextureManager))
    {
        std::fputs("Graphics engine: the graphics state stack could not be created\n", stderr);
        return false;
    }

    // Drawers whose shaders are missing stay unloaded and draw nothing.
    mySpriteDrawer = std::make_unique<SpriteDrawer>();
    mySpriteDrawer->Init();
    CreateModelDrawer();
    myCustomShapeDrawer = std::make_unique<CustomShapeDrawer>();
    myCustomShapeDrawer->Init();
    myLineDrawer = std::make_unique<LineDrawer>();
    myLineDrawer->Init();

    if (!CreateEffect(myCopyEffect, POSTPROCESS_COPY_SHADER) ||
        !CreateEffect(myTonemapEffect, POSTPROCESS_TONEMAP_SHADER) ||
        !CreateEffect(myGaussianVerticalEffect, POSTPROCESS_GAUSSIAN_V_SHADER) ||
        !CreateEffect(myGaussianHorizontalEffect, POSTPROCESS_GAUSSIAN_H_SHADER))
        return false;

    myPixelateEffect = std::make_unique<FullscreenPixelateEffect>(FullscreenPixelateEffect::DEFAULT_PIXEL_SIZE);
    if (!myPixelateEffect->Init(POSTPROCESS_PIXELATE_SHADER))
    {
        std::fprintf(stderr, "Graphics engine: post-processing shader %s (or its image) could not be loaded from %s\n",
                     POSTPROCESS_PIXELATE_SHADER, Settings::GetCookedAssetsPath().string().c_str());
        return false;
    }

    myInitialized = true;
    return true;
}

void GraphicsEngine::CreateModelDrawer()
{
    myModelDrawer = std::make_unique<ModelDrawer>();
    if (!myModelDrawer->InitDefaultShaders())
        std::fprintf(stderr, "Graphics engine: a default model shader could not be loaded from %s\n",
                     Settings::GetCookedAssetsPath().string().c_str());
}

bool GraphicsEngine::CreateEffect(std::unique_ptr<FullscreenEffect>& aEffect, const std::string& aPixelShader)
{
    aEffect = std::make_unique<FullscreenEffect>();
    if (aEffect->Init(aPixelShader))
        return true;
    std::fprintf(stderr, "Graphics engine: post-processing shader %s (with %s) could not be loaded from %s\n",
                 aPixelShader.c_str(), POSTPROCESS_VERTEX_SHADER, Settings::GetCookedAssetsPath().string().c_str());
    return false;
}

void GraphicsEngine::Blur(const RenderTexture& aSource, RenderTarget& aDestination)
{
    if (!myGraphicsStateStack || !myGaussianHorizontalEffect || !myGaussianVerticalEffect || !aSource.IsValid() ||
        !myBlurScratch.EnsureSize(aSource.GetWidth(), aSource.GetHeight(), aSource.GetFormat()))
        return;
    myGraphicsStateStack->Push();
    myGraphicsStateStack->SetBlendState(BLEND_STATE_DISABLED);
    myBlurScratch.GetTarget().SetAsActiveTarget(nullptr);
    myGaussianHorizontalEffect->Render(aSource);
    aDestination.SetAsActiveTarget(nullptr);
    myGaussianVerticalEffect->Render(myBlurScratch);
    myGraphicsStateStack->Pop();
}
}
