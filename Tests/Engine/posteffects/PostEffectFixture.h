#pragma once
// A headless device with the graphics engine on the repository's cooked shaders, and helpers for
// known images.
#include "GLTestContext.h"
#include "GraphicsTestContext.h"
#include "TestSupport.h"
#include "graphics/GL.h"
#include "graphics/GraphicsEngine.h"
#include "graphics/GraphicsStateStack.h"
#include "graphics/RenderTexture.h"
#include "settings/Settings.h"
#include "texture/TextureManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <type_traits>
#include <vector>

namespace QelTest
{
class GraphicsEngineTest : public GLTest
{
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        if (HasFatalFailure())
            return;
        mySavedCooked = Qel::Settings::GetCookedAssetsPath();
        Qel::Settings::GetCookedAssetsPath() = CookedFolder();
        myTextures = std::make_unique<Qel::TextureManager>();
        myGraphics = std::make_unique<Qel::GraphicsEngine>();
        myInitResult = myGraphics->Init(myTextures.get());
        if (ExpectInit())
        {
            ASSERT_TRUE(myInitResult) << "graphics engine did not start on " << CookedFolder();
            BeginFrame();
        }
    }

    void TearDown() override
    {
        if (myDevice)
        {
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        }
        myGraphics.reset();
        myTextures.reset();
        Qel::Settings::GetCookedAssetsPath() = mySavedCooked;
        GLTest::TearDown();
    }

    virtual std::filesystem::path CookedFolder() const { return RepositoryCookedAssetsFolder(); }
    virtual bool ExpectInit() const { return true; }

    // Black back buffer, base graphics state.
    void BeginFrame()
    {
        const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        myDevice->Clear(black);
        States().BeginFrame(0.0f, 0.0f);
        Invalidate();
    }

    Qel::GraphicsStateStack& States() { return *myGraphics->GetGraphicsStateStack(); }

    // A texture filled by aPixel(x, y) -> RGBA, y from the bottom row.
    static std::unique_ptr<Qel::RenderTexture> MakeImage8(
        Qel::u32 aWidth, Qel::u32 aHeight, const std::function<std::array<Qel::u8, 4>(int, int)>& aPixel,
        Qel::RenderTextureFormat aFormat = Qel::RenderTextureFormat::Srgb8)
    {
        return MakeImage(aWidth, aHeight, aPixel, aFormat);
    }

    static std::unique_ptr<Qel::RenderTexture> MakeImageF(Qel::u32 aWidth, Qel::u32 aHeight,
                                                          const std::function<std::array<float, 4>(int, int)>& aPixel)
    {
        return MakeImage(aWidth, aHeight, aPixel, Qel::RenderTextureFormat::Float16);
    }

    // A different colour at every pixel of a 320 x 180 image, so a pixel tells where it came from.
    static std::array<Qel::u8, 4> UniquePixel(int aX, int aY)
    {
        return {static_cast<Qel::u8>(aX % 256), static_cast<Qel::u8>(aY), static_cast<Qel::u8>(40 + 100 * (aX / 256)),
                255};
    }
    // The position UniquePixel gave a colour.
    static std::pair<int, int> UniquePosition(const std::array<Qel::u8, 4>& aPixel)
    {
        return {aPixel[0] + 256 * ((aPixel[2] - 40 + 50) / 100), aPixel[1]};
    }

    template <typename Channel>
    static std::unique_ptr<Qel::RenderTexture> MakeImage(Qel::u32 aWidth, Qel::u32 aHeight,
                                                         const std::function<std::array<Channel, 4>(int, int)>& aPixel,
                                                         Qel::RenderTextureFormat aFormat)
    {
        auto image = std::make_unique<Qel::RenderTexture>();
        EXPECT_TRUE(image->Create(aWidth, aHeight, aFormat));
        std::vector<Channel> pixels(static_cast<size_t>(aWidth) * aHeight * 4);
        for (Qel::u32 y = 0; y < aHeight; ++y)
            for (Qel::u32 x = 0; x < aWidth; ++x)
            {
                const auto rgba = aPixel(static_cast<int>(x), static_cast<int>(y));
                std::copy(rgba.begin(), rgba.end(), pixels.begin() + (static_cast<size_t>(y) * aWidth + x) * 4);
            }
        if constexpr (std::is_same_v<Channel, float>)
            EXPECT_TRUE(image->UploadRGBA32F(pixels));
        else
            EXPECT_TRUE(image->UploadRGBA8(pixels));
        return image;
    }

    std::filesystem::path mySavedCooked;
    std::unique_ptr<Qel::TextureManager> myTextures;
    std::unique_ptr<Qel::GraphicsEngine> myGraphics;
    bool myInitResult = false;
};
}
