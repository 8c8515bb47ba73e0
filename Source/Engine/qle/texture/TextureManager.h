#pragma once

namespace Qel
{
// Minimal until textures are built.
class TextureManager
{
public:
    void Init() {}
};
}
