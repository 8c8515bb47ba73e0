#pragma once
// Reader of Truevision Targa files: uncompressed 32-bit true-colour images (run-length
// coded files are refused as unsupported).
#include "core/Types.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace Qel
{
inline constexpr size_t TARGA_HEADER_BYTES = 18;
// Larger images than a texture can hold are refused before anything is allocated.
inline constexpr u32 TARGA_MAX_SIZE = 16384;

struct TargaImage
{
    u16 width = 0;
    u16 height = 0;
    u32 bitsPerPixel = 32;
    // R, G, B, A per pixel, rows top-down.
    std::vector<u8> pixels;
};

// Null when the bytes are not a 32-bit Targa image that fits in them; aError (if given) says why.
std::unique_ptr<TargaImage> ParseTargaImage(const u8* aData, size_t aSize, std::string* aError = nullptr);
// Null when the file cannot be read or parsed.
std::unique_ptr<TargaImage> LoadTargaImage(const std::filesystem::path& aFile, std::string* aError = nullptr);
}
