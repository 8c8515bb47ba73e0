#pragma once
// Full-screen passes of the post-processing chain: one triangle over the bound target, made in the
// vertex shader "Shaders/PostprocessVS" from the vertex index, coloured by a pixel shader that
// reads its source from texture slot 0. The caller binds the target and the source; the pass
// applies the graphics state as it stands, so blending and the sampler are the caller's choice
// (the post-processing shaders clamp their reads to the source, so any address mode works).
#include "core/Types.h"
#include "graphics/GLObjects.h"
#include "graphics/RenderTexture.h"

#include <string>

namespace Qel
{
struct VertexShaderEntry;
struct PixelShaderEntry;
struct ShaderProgramEntry;

inline constexpr const char* POSTPROCESS_VERTEX_SHADER = "Shaders/PostprocessVS";
// Where the source of a full-screen pass is read from.
inline constexpr u32 POSTPROCESS_SOURCE_SLOT = 0;

class FullscreenEffect
{
public:
    FullscreenEffect() = default;
    virtual ~FullscreenEffect() = default;
    FullscreenEffect(const FullscreenEffect&) = delete;
    FullscreenEffect& operator=(const FullscreenEffect&) = delete;

    // Loads the full-screen vertex shader and aPixelShaderName and links them. False when either
    // is missing or they do not link.
    virtual bool Init(const std::string& aPixelShaderName);
    // Draws over the bound target with whatever is bound to the source slot. Counts one draw
    // call; an effect that did not load draws nothing.
    virtual void Render();
    // Binds aSource to the source slot, then Render. aSource must not be the bound target.
    void Render(const RenderTexture& aSource);

    // Loaded, on the device it was loaded on.
    bool IsLoaded() const;
    const VertexShaderEntry* GetVertexShader() const { return myVertexShader; }
    const PixelShaderEntry* GetPixelShader() const { return myPixelShader; }

protected:
    VertexShaderEntry* myVertexShader = nullptr;
    PixelShaderEntry* myPixelShader = nullptr;
    // GL draws with a linked pair, not two separately bound stages.
    ShaderProgramEntry* myProgram = nullptr;
    // The shader cache's generation at Init: entries of an earlier device are never used.
    u64 myCacheGeneration = 0;
};

// QelPixelate, binding 13.
struct PixelateBlock
{
    float myPixelSize = 0.0f;
    u32 myRenderWidth = 0;
    u32 myRenderHeight = 0;
    u32 myZero = 0;
};
static_assert(sizeof(PixelateBlock) == 16);

// Pixelates its own image onto the active target: each square of pixel size shows the colour at
// its centre. Draw or copy the picture into GetImage (or CaptureActiveTarget) first.
class FullscreenPixelateEffect : public FullscreenEffect
{
public:
    static constexpr float DEFAULT_PIXEL_SIZE = 16.0f;

    explicit FullscreenPixelateEffect(float aPixelSize = DEFAULT_PIXEL_SIZE) : myPixelSize(aPixelSize) {}
    ~FullscreenPixelateEffect() override = default;

    // Creates the constant buffer and the image at the active target's size, then the shaders.
    bool Init(const std::string& aPixelShaderName) override;
    // Binds the active target without depth, sends the pixel size and the active target's size
    // at the time of the call, binds the image to the source slot and draws.
    void Render() override;

    // The image the pass reads, kept at the active target's size (a resize recreates it, so
    // fill it after the resize). Its render target takes drawing like any other.
    RenderTexture& GetImage();
    // Copies the active target into the image.
    void CaptureActiveTarget();

    void SetPixelSize(float aPixelSize) { myPixelSize = aPixelSize; }
    float GetPixelSize() const { return myPixelSize; }
    const impl::gl::Buffer& GetConstantBuffer() const { return myConstantBuffer; }

private:
    float myPixelSize = DEFAULT_PIXEL_SIZE;
    PixelateBlock myConstants;
    RenderTexture myImage;
    impl::gl::Buffer myConstantBuffer;
};
}
