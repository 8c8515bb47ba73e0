#pragma once
// DDS files to GL textures. The parser checks the file; this creates the texture in the current
// context (render thread only). Block-compressed formats stay compressed on the GPU.
#include "core/Types.h"
#include "loaders/DDSParser.h"
#include "loaders/LoaderResult.h"
#include "texture/Texture.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace Qel
{
// aMaxSize 0 keeps every level (and, when the device refuses the texture, retries once without
// the top levels above 8192, 2048 for volumes). No mips are generated: the file's levels are used.
HRESULT CreateDDSTextureFromFileEx(const std::filesystem::path& aFile, size_t aMaxSize, u32 aLoadFlags,
                                   ShaderResourceView* aView, DDS_ALPHA_MODE* aAlphaMode = nullptr);
// aRefusal (when given) receives the limit a refused file is over.
HRESULT CreateDDSTextureFromMemoryEx(const u8* aData, size_t aSize, size_t aMaxSize, u32 aLoadFlags,
                                     ShaderResourceView* aView, DDS_ALPHA_MODE* aAlphaMode = nullptr,
                                     std::string* aRefusal = nullptr);
}
