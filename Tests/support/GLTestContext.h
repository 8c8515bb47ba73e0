#pragma once
// A headless device (EGL on Mesa) with a small back buffer, for pixel read-back tests.
#include "graphics/DX11.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace QelTest
{
class GLTest : public ::testing::Test
{
protected:
    static constexpr Qel::u32 WIDTH = 320;
    static constexpr Qel::u32 HEIGHT = 180;

    void SetUp() override;
    void TearDown() override;

    // RGBA of the back buffer at (x, y), y counted from the bottom row.
    std::array<Qel::u8, 4> Pixel(int aX, int aY) const;

    std::unique_ptr<Qel::DX11> myDevice;
    mutable std::vector<Qel::u8> myPixels;
    mutable bool myPixelsRead = false;

public:
    // Drops the cached read-back after more drawing.
    void Invalidate() { myPixelsRead = false; }
};
}
