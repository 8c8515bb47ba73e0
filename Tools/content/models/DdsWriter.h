#pragma once
// Uncompressed 32-bit RGBA DDS files (legacy header, one mip level) for model material textures.
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

namespace FbxGen
{
using Rgba = std::array<std::uint8_t, 4>;

inline bool WriteDds(const std::filesystem::path& aPath, int aWidth, int aHeight,
                     const std::function<Rgba(int aX, int aY)>& aPixel)
{
    std::vector<std::uint8_t> out = {'D', 'D', 'S', ' '};
    auto put = [&out](std::uint32_t aValue) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(aValue >> (8 * i)));
    };
    put(124);
    put(0x1 | 0x2 | 0x4 | 0x8 | 0x1000);   // caps, height, width, pitch, pixel format
    put(static_cast<std::uint32_t>(aHeight));
    put(static_cast<std::uint32_t>(aWidth));
    put(static_cast<std::uint32_t>(aWidth * 4));
    put(0);
    put(1);
    for (int i = 0; i < 11; ++i)
        put(0);
    put(32);
    put(0x40 | 0x1);   // RGB with alpha
    put(0);
    put(32);
    put(0x000000FF);
    put(0x0000FF00);
    put(0x00FF0000);
    put(0xFF000000);
    put(0x1000);   // texture
    for (int i = 0; i < 4; ++i)
        put(0);
    for (int y = 0; y < aHeight; ++y)
        for (int x = 0; x < aWidth; ++x)
        {
            const Rgba p = aPixel(x, y);
            out.insert(out.end(), p.begin(), p.end());
        }
    std::error_code error;
    if (aPath.has_parent_path())
        std::filesystem::create_directories(aPath.parent_path(), error);
    std::ofstream file(aPath, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}
}
