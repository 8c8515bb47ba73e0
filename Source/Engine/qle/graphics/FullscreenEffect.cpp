#include "graphics/FullscreenEffect.h"

#include "core/Assert.h"
#include "engine/Engine.h"
#include "graphics/ConstantBlocks.h"
#include "graphics/DX11.h"
#include "graphics/DeviceContext.h"
#include "graphics/GraphicsStateStack.h"
#include "graphics/ShaderCache.h"

namespace Qel
{
bool FullscreenEffect::Init(const std::string& aPixelShaderName)
{
    myProgram = nullptr;
    myCacheGeneration = ShaderCache::GetGeneration();
    myVertexShader = ShaderCache::GetVertexShader(POSTPROCESS_VERTEX_SHADER);
    if (!myVertexShader)
        return false;
    myPixelShader = ShaderCache::GetPixelShader(aPixelShaderName);
    if (!myPixelShader)
        return false;
    myProgram = ShaderCache::GetProgram(myVertexShader, myPixelShader);
    return myProgram != nullptr;
}

bool FullscreenEffect::IsLoaded() const
{
    return myProgram != nullptr && myCacheGeneration == ShaderCache::GetGeneration();
}

void FullscreenEffect::Render()
{
    if (!IsLoaded())
        return;
    if (GraphicsStateStack* stack = GraphicsStateStack::GetActive())
        stack->Apply(false);
    DeviceContext::IASetPrimitiveTopology(PrimitiveTopology::TriangleList);
    // No vertex buffers: the vertex shader makes the triangle from the vertex index.
    DeviceContext::IASetInputLayout(nullptr);
    DeviceContext::IASetIndexBuffer(0);
    DeviceContext::SetProgram(myProgram->myProgram.Get());
    ++ourDrawCallCount;
    DeviceContext::Draw(3, 0);
}

void FullscreenEffect::Render(const RenderTexture& aSource)
{
    // Reading the texture that is being drawn into gives undefined pixels in GL.
    QEL_ASSERT_TEXT(!aSource.IsValid() || DX11::GetBoundTarget() != &aSource.GetTarget(),
                    "the source of a full-screen pass is not its target");
    aSource.BindAsSource(POSTPROCESS_SOURCE_SLOT);
    Render();
}

bool FullscreenPixelateEffect::Init(const std::string& aPixelShaderName)
{
    myConstantBuffer = impl::gl::CreateUniformBuffer(sizeof(PixelateBlock));
    if (!myConstantBuffer)
        return false;
    RenderTarget* active = DX11::GetActiveRenderTarget();
    if (!active)
        return false;
    const auto [width, height] = active->GetSize();
    if (!myImage.Create(static_cast<u32>(width), static_cast<u32>(height), RenderTextureFormat::Srgb8))
        return false;
    return FullscreenEffect::Init(aPixelShaderName);
}

RenderTexture& FullscreenPixelateEffect::GetImage()
{
    // The image follows the back buffer through resizes.
    if (RenderTarget* active = DX11::GetActiveRenderTarget())
    {
        const auto [width, height] = active->GetSize();
        if (width > 0 && height > 0)
            myImage.EnsureSize(static_cast<u32>(width), static_cast<u32>(height), RenderTextureFormat::Srgb8);
    }
    return myImage;
}

void FullscreenPixelateEffect::CaptureActiveTarget()
{
    RenderTexture& image = GetImage();
    if (RenderTarget* active = DX11::GetActiveRenderTarget())
        image.CopyFrom(*active);
}

void FullscreenPixelateEffect::Render()
{
    RenderTarget* active = DX11::GetActiveRenderTarget();
    if (!IsLoaded() || !active || !myConstantBuffer)
        return;
    active->SetAsActiveTarget(nullptr);
    const auto [width, height] = active->GetSize();
    myConstants.myPixelSize = myPixelSize;
    myConstants.myRenderWidth = static_cast<u32>(width);
    myConstants.myRenderHeight = static_cast<u32>(height);
    myConstants.myZero = 0;
    impl::gl::UpdateUniformBuffer(myConstantBuffer, 0, sizeof(PixelateBlock), &myConstants);
    DeviceContext::SetConstantBuffer(PIXELATE_BLOCK_SLOT, myConstantBuffer);
    myImage.BindAsSource(POSTPROCESS_SOURCE_SLOT);
    FullscreenEffect::Render();
}
}
