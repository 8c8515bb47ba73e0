#pragma once

namespace Qel
{
// Minimal until the drawers and the post-processing chain are built.
class GraphicsEngine
{
public:
    bool Init() { return true; }
};
}
