#pragma once
// A headless device plus what drawing needs: the repository's cooked assets (Assets/Cooked, where
// the GLSL shaders live) as the cooked root, a texture manager and an initialised graphics state
// stack (the active one). The back buffer starts cleared to opaque black; a test that leaves a GL
// error behind fails.
#include "GLTestContext.h"
#include "graphics/GraphicsStateStack.h"
#include "texture/TextureManager.h"

#include <filesystem>
#include <memory>

namespace QelTest
{
// <repository>/Assets/Cooked.
std::filesystem::path RepositoryCookedAssetsFolder();

class GraphicsTest : public GLTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Clears the back buffer to an sRGB colour (leaving it bound without depth) and starts a frame.
    void ClearAndBeginFrame(float aR, float aG, float aB, float aA);

    std::unique_ptr<Qel::TextureManager> myTextures;
    std::unique_ptr<Qel::GraphicsStateStack> myStates;

private:
    std::filesystem::path mySavedCookedRoot;
};
}
