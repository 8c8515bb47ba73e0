// Writes the engine's built-in textures as uncompressed DDS files: the default material maps and
// the two environment cube maps. Usage: make_engine_textures <output folder>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace
{
using Pixel = std::array<std::uint8_t, 4>;

void PutU32(std::vector<std::uint8_t>& aOut, std::uint32_t aValue)
{
    for (int i = 0; i < 4; ++i)
        aOut.push_back(static_cast<std::uint8_t>(aValue >> (8 * i)));
}

// A 32-bit RGBA DDS with a legacy header (masks of R8G8B8A8), one mip level, 2D or cube.
bool WriteDds(const std::filesystem::path& aPath, int aSize, bool aCube,
              const std::function<Pixel(int aFace, float aU, float aV)>& aColor)
{
    constexpr std::uint32_t CAPS = 0x1, HEIGHT = 0x2, WIDTH = 0x4, PITCH = 0x8, PIXELFORMAT = 0x1000;
    constexpr std::uint32_t DDPF_ALPHAPIXELS = 0x1, DDPF_RGB = 0x40;
    constexpr std::uint32_t CAPS_COMPLEX = 0x8, CAPS_TEXTURE = 0x1000;
    constexpr std::uint32_t CAPS2_CUBEMAP_ALL_FACES = 0x200 | 0xFC00;

    std::vector<std::uint8_t> out = {'D', 'D', 'S', ' '};
    PutU32(out, 124);
    PutU32(out, CAPS | HEIGHT | WIDTH | PITCH | PIXELFORMAT);
    PutU32(out, static_cast<std::uint32_t>(aSize));
    PutU32(out, static_cast<std::uint32_t>(aSize));
    PutU32(out, static_cast<std::uint32_t>(aSize * 4));
    PutU32(out, 0);   // depth
    PutU32(out, 1);   // mip levels
    for (int i = 0; i < 11; ++i)
        PutU32(out, 0);
    PutU32(out, 32);
    PutU32(out, DDPF_RGB | DDPF_ALPHAPIXELS);
    PutU32(out, 0);
    PutU32(out, 32);
    PutU32(out, 0x000000FF);
    PutU32(out, 0x0000FF00);
    PutU32(out, 0x00FF0000);
    PutU32(out, 0xFF000000);
    PutU32(out, CAPS_TEXTURE | (aCube ? CAPS_COMPLEX : 0));
    PutU32(out, aCube ? CAPS2_CUBEMAP_ALL_FACES : 0);
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);

    const int faces = aCube ? 6 : 1;
    for (int face = 0; face < faces; ++face)
    {
        for (int y = 0; y < aSize; ++y)
        {
            for (int x = 0; x < aSize; ++x)
            {
                const Pixel p = aColor(face, (x + 0.5f) / aSize, (y + 0.5f) / aSize);
                out.insert(out.end(), p.begin(), p.end());
            }
        }
    }
    std::ofstream file(aPath, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

std::uint8_t Byte(float aValue)
{
    return static_cast<std::uint8_t>(std::lround(std::fmin(std::fmax(aValue, 0.0f), 1.0f) * 255.0f));
}

// Direction of a cube texel, faces in +X, -X, +Y, -Y, +Z, -Z order.
std::array<float, 3> CubeDirection(int aFace, float aU, float aV)
{
    const float s = aU * 2.0f - 1.0f, t = aV * 2.0f - 1.0f;
    std::array<float, 3> d{};
    switch (aFace)
    {
    case 0: d = {1.0f, -t, -s}; break;
    case 1: d = {-1.0f, -t, s}; break;
    case 2: d = {s, 1.0f, t}; break;
    case 3: d = {s, -1.0f, -t}; break;
    case 4: d = {s, -t, 1.0f}; break;
    default: d = {-s, -t, -1.0f}; break;
    }
    const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    return {d[0] / length, d[1] / length, d[2] / length};
}

// A soft sky: warm near the horizon, deep blue above, dark ground below.
Pixel Horizon(int aFace, float aU, float aV)
{
    const float up = CubeDirection(aFace, aU, aV)[1];
    const float sky = std::pow(std::fmax(up, 0.0f), 0.6f);
    const float ground = std::fmax(-up, 0.0f);
    const float r = 0.95f * (1 - sky) + 0.25f * sky - 0.6f * ground;
    const float g = 0.85f * (1 - sky) + 0.45f * sky - 0.55f * ground;
    const float b = 0.70f * (1 - sky) + 0.85f * sky - 0.45f * ground;
    return {Byte(r), Byte(g), Byte(b), 255};
}
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: make_engine_textures <output folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const auto flat = [](Pixel aPixel) { return [aPixel](int, float, float) { return aPixel; }; };
    bool ok = true;
    ok &= WriteDds(folder / "T_Default_c.dds", 4, false, flat({255, 255, 255, 255}));
    ok &= WriteDds(folder / "T_Default_n.dds", 4, false, flat({128, 128, 255, 255}));   // straight up
    ok &= WriteDds(folder / "T_Default_m.dds", 4, false, flat({0, 200, 0, 255}));       // rough, not metal
    ok &= WriteDds(folder / "T_Default_fx.dds", 4, false, flat({0, 0, 0, 0}));          // no emission
    ok &= WriteDds(folder / "whiteCubeMap.dds", 4, true, flat({255, 255, 255, 255}));
    ok &= WriteDds(folder / "horizonCubeMap.dds", 32, true, Horizon);
    if (!ok)
    {
        std::fprintf(stderr, "make_engine_textures: could not write into %s\n", folder.string().c_str());
        return 1;
    }
    return 0;
}
