#pragma once
// Ordinary image files (PNG, JPEG, BMP, GIF) to GL textures, decoded on the CPU. Render thread only.
#include "core/Types.h"
#include "loaders/ImageDecode.h"
#include "loaders/LoadFlags.h"
#include "loaders/LoaderResult.h"
#include "texture/Texture.h"

#include <cstddef>
#include <filesystem>

namespace Qel
{
// Larger images are scaled down to fit aMaxSize (0: the device's limit). With aGenerateMips the
// texture gets a full mip chain, else one level.
HRESULT CreateWICTextureFromFileEx(const std::filesystem::path& aFile, size_t aMaxSize, u32 aLoadFlags,
                                   bool aGenerateMips, ShaderResourceView* aView);
HRESULT CreateWICTextureFromMemoryEx(const u8* aData, size_t aSize, size_t aMaxSize, u32 aLoadFlags,
                                     bool aGenerateMips, ShaderResourceView* aView);
// The texture of an image already decoded (by DecodeImage, with the same size limit and load flags).
HRESULT CreateWICTextureFromDecodedImage(const DecodedImage& aImage, bool aGenerateMips, ShaderResourceView* aView);
}
