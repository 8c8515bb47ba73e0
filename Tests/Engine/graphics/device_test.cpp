#include "GLTestContext.h"
#include "graphics/AdapterChoice.h"
#include "graphics/ColorSpace.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Qel;

TEST(AdapterChoice, PicksTheBestNamedAdapterOrTheFirst)
{
    struct Case
    {
        std::vector<AdapterDescription> adapters;
        std::optional<size_t> expected;
    };
    const Case cases[] = {
        {{{L"Intel UHD", 128}, {L"NVIDIA GeForce", 4096}}, 1},
        {{{L"NVIDIA A", 4096}, {L"NVIDIA B", 4096}}, 0},
        {{{L"AMD Radeon", 8192}, {L"Intel", 0}}, 0},
        {{{L"Intel", 512}, {L"NVIDIA", 0}}, 0},
        {{{L"Intel", 512}, {L"ATI Radeon", 256}, {L"NVIDIA", 1024}}, 2},
        {{}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseAdapter(c.adapters), c.expected);
}

TEST(ColorSpace, SrgbToLinearUsesBothBranches)
{
    EXPECT_NEAR(SrgbToLinear(0.5f), 0.214041f, 1e-6f);
    EXPECT_NEAR(SrgbToLinear(3.0f / 255.0f), 0.000910f, 1e-6f);
    EXPECT_NEAR(SrgbToLinear(0.6f), 0.318547f, 1e-6f);
    EXPECT_EQ(SrgbToLinear(0.04045f), std::pow((0.04045f + 0.055f) / 1.055f, 2.4f));
}

using DeviceTest = QelTest::GLTest;

TEST_F(DeviceTest, ClearWritesTheDefaultColourAsSrgbBytes)
{
    const float color[4] = {3.0f / 255.0f, 0.6f, 176.0f / 255.0f, 1.0f};
    myDevice->Clear(color);
    const auto pixel = Pixel(10, 10);
    EXPECT_EQ(pixel[0], 3);
    EXPECT_EQ(pixel[1], 153);
    EXPECT_EQ(pixel[2], 176);
    EXPECT_EQ(pixel[3], 255);
    // Drawing after a clear has no depth test.
    EXPECT_EQ(DX11::GetBoundDepthBuffer(), nullptr);
    EXPECT_EQ(DX11::GetBoundTarget(), DX11::GetActiveRenderTarget());
}

TEST_F(DeviceTest, ResizeFollowsTheNewSizeAndIgnoresZero)
{
    myDevice->SetHeadlessSize(64, 40);
    ASSERT_TRUE(myDevice->Resize());
    EXPECT_EQ(myDevice->GetActiveTargetSize(), (std::pair<i32, i32>{64, 40}));
    EXPECT_EQ(DX11::GetDepthBuffer()->GetViewport().Width, 64.0f);

    myDevice->SetHeadlessSize(0, 0);
    EXPECT_FALSE(myDevice->Resize());
    EXPECT_EQ(myDevice->GetActiveTargetSize(), (std::pair<i32, i32>{64, 40}));

    const float color[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    myDevice->Clear(color);
    EXPECT_EQ(myDevice->ReadBackBufferRGBA8().size(), 64u * 40u * 4u);
    EXPECT_EQ(Pixel(63, 39)[0], 255);
}
