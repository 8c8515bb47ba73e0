#pragma once
// Texture read-back for tests: the pixels of a level, and sampling as the shaders do.
#include "texture/Texture.h"

#include <array>
#include <vector>

namespace QelTest
{
// One level (one face of a cube, faces +X -X +Y -Y +Z -Z) as RGBA8 rows in upload order.
// Compressed data comes back decoded, sRGB data as stored. Empty on failure.
std::vector<Qel::u8> ReadTextureRGBA8(const Qel::ShaderResourceView& aView, Qel::u32 aLevel = 0, Qel::u32 aFace = 0);
// Level 0 of a 2D texture as RGBA floats (float targets read back unrounded).
std::vector<float> ReadTextureRGBA32F(const Qel::ShaderResourceView& aView);
// Samples a texture the way shaders do (sRGB decoded, swizzles applied) with nearest filtering at
// an explicit level, and returns the four floats. aX, aY are texture coordinates; aZ is the layer
// of an array or the depth coordinate of a volume; a cube map takes (aX, aY, aZ) as a direction.
// Leaves the GL state as it found it. NaNs when it cannot sample.
std::array<float, 4> SampleTexture(const Qel::ShaderResourceView& aView, float aX, float aY, float aZ = 0.0f,
                                   float aLevel = 0.0f);
// The levels GL will sample (BASE_LEVEL..MAX_LEVEL) of a texture.
Qel::u32 GetTextureMaxLevel(const Qel::ShaderResourceView& aView);
}
