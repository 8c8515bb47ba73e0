#include "GLTestContext.h"

namespace QelTest
{
void GLTest::SetUp()
{
    myDevice = std::make_unique<Qel::DX11>();
    ASSERT_TRUE(myDevice->InitHeadless(WIDTH, HEIGHT)) << "no headless OpenGL 3.3 context";
}

void GLTest::TearDown() { myDevice.reset(); }

std::array<Qel::u8, 4> GLTest::Pixel(int aX, int aY) const
{
    if (!myPixelsRead)
    {
        myPixels = myDevice->ReadBackBufferRGBA8();
        myPixelsRead = true;
    }
    const auto [w, h] = myDevice->GetActiveTargetSize();
    if (aX < 0 || aY < 0 || aX >= w || aY >= h)
        return {0, 0, 0, 0};
    const size_t i = (static_cast<size_t>(aY) * static_cast<size_t>(w) + static_cast<size_t>(aX)) * 4;
    return {myPixels[i], myPixels[i + 1], myPixels[i + 2], myPixels[i + 3]};
}
}
