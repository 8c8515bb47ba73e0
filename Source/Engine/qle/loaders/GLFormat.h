#pragma once
// How a DXGI format is held in GL: internal format, upload format and type, and the swizzle that
// makes GL sample what Direct3D would.
#include "core/Types.h"
#include "loaders/DxgiFormat.h"
#include "loaders/LoaderResult.h"

namespace Qel
{
// Extensions a format may need beyond GL 3.3 core.
enum GLFormatNeeds : u32
{
    GL_FORMAT_NEEDS_NOTHING = 0,
    GL_FORMAT_NEEDS_S3TC = 1,
    GL_FORMAT_NEEDS_S3TC_SRGB = 2,
    GL_FORMAT_NEEDS_BPTC = 4,
};

struct GLFormatInfo
{
    u32 internalFormat = 0;
    u32 format = 0; // upload format (unused for compressed data)
    u32 type = 0;   // upload type (unused for compressed data)
    bool compressed = false;
    u32 needs = GL_FORMAT_NEEDS_NOTHING;
    // Source of each of R, G, B, A when sampled (GL_RED ... GL_ONE), used when hasSwizzle is set.
    bool hasSwizzle = false;
    u32 swizzle[4] = {0, 0, 0, 0};

    bool HasSwizzle() const { return hasSwizzle; }
};

// S_OK with the mapping; E_INVALIDARG for typeless and depth formats (no view can read them);
// ERROR_NOT_SUPPORTED for every format GL cannot hold as such.
HRESULT GetGLFormat(DXGI_FORMAT aFormat, GLFormatInfo& aInfo);
}
