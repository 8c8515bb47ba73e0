#pragma once
// The one place that creates GL texture objects: the built-ins, images from memory and the file
// loaders all come through here.
#include "core/Types.h"
#include "loaders/GLFormat.h"
#include "loaders/LoaderResult.h"
#include "texture/Texture.h"

#include <array>
#include <cstddef>
#include <vector>

namespace Qel::impl
{
enum class TextureKind
{
    Texture1D,
    Texture1DArray,
    Texture2D,
    Texture2DArray,
    Cube,
    CubeArray,
    Texture3D,
};

// One mip of one layer (a cube face is a layer).
struct TextureUploadImage
{
    const u8* data = nullptr;
    u64 size = 0; // bytes of the whole image (all depth slices), used for compressed data
    u32 width = 0;
    u32 height = 0;
    u32 depth = 1;
    // Bytes between rows of uncompressed data; 0 when rows are packed.
    u32 rowPitch = 0;
};

struct TextureUploadDesc
{
    TextureKind kind = TextureKind::Texture2D;
    GLFormatInfo format;
    u32 width = 0;
    u32 height = 1;
    u32 depth = 1;  // 3D only
    u32 layers = 1; // array slices; faces for cubes (6 per cube)
    u32 levels = 1;
    // layers * levels images, all levels of layer 0 first (the order of DDS files).
    const TextureUploadImage* images = nullptr;
    size_t imageCount = 0;
    // 2D only: upload level 0 and let GL fill a full mip chain.
    bool generateMips = false;
};

// Keeps the caller's binding of a texture target and its unpack state as they were, for a scope
// that binds its own texture there (rows tightly packed, no unpack buffer, inside the scope).
class ScopedTextureBinding
{
public:
    explicit ScopedTextureBinding(u32 aTarget);
    ~ScopedTextureBinding();
    ScopedTextureBinding(const ScopedTextureBinding&) = delete;
    ScopedTextureBinding& operator=(const ScopedTextureBinding&) = delete;

private:
    u32 myTarget;
    u32 myPrevious = 0;
    u32 myUnpackBuffer = 0;
};

// Render thread only. S_OK with the new view; on failure nothing is left behind.
HRESULT CreateGLTexture(const TextureUploadDesc& aDesc, ShaderResourceView& aView);
// Replaces level 0 of a 2D texture with rows of aFormat / aType.
// Rewrites the top-left aWidth x aHeight pixels of level 0.
bool UpdateGLTexture2D(const GLTexture& aTexture, const u8* aPixels, u32 aRowPitch, u32 aFormat, u32 aType, u32 aWidth,
                       u32 aHeight);
bool HasGLExtension(const char* aName);
// Largest 2D size the context takes.
u32 GetMaxTextureSize();

}
