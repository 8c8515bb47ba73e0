// The state stack's decisions and the constant blocks' bytes, without a GL context.
#include "graphics/GraphicsStateStack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

using namespace Qel;

namespace
{
template <typename Block>
float FloatAt(const Block& aBlock, size_t aOffset)
{
    float value = 0.0f;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(&aBlock) + aOffset, sizeof(value));
    return value;
}

template <typename Block>
u32 UIntAt(const Block& aBlock, size_t aOffset)
{
    u32 value = 0;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(&aBlock) + aOffset, sizeof(value));
    return value;
}
}

TEST(GraphicsStateApplyMask, SendsOnlyTheGroupsThatDiffer)
{
    struct Case
    {
        const char* what;
        std::function<void(GraphicsState&)> change;
        u32 expected;
    };
    const Case cases[] = {
        {"nothing", [](GraphicsState&) {}, 0},
        {"blend", [](GraphicsState& s) { s.myBlendState = BLEND_STATE_ADDITIVE_BLEND; }, APPLY_BLEND},
        {"depth", [](GraphicsState& s) { s.myDepthStencilState = 3; }, APPLY_DEPTH_STENCIL},
        {"rasterizer", [](GraphicsState& s) { s.myRasterizerState = 0; }, APPLY_RASTERIZER},
        {"sampler filter", [](GraphicsState& s) { s.mySamplerFilter = 0; }, APPLY_SAMPLER},
        {"sampler address", [](GraphicsState& s) { s.mySamplerAddress = 2; }, APPLY_SAMPLER},
        {"alpha stamp", [](GraphicsState& s) { s.myAlphaTestStamp = 4; }, APPLY_ALPHA_TEST},
        {"camera stamp", [](GraphicsState& s) { s.myCameraStamp = 1; }, APPLY_CAMERA},
        {"light stamp", [](GraphicsState& s) { s.myLightStamp = 9; }, APPLY_LIGHTS},
        // Contents without a new stamp are not compared: the stamp is the change.
        {"threshold without stamp", [](GraphicsState& s) { s.myAlphaTestThreshold = 0.5f; }, 0},
        {"transform", [](GraphicsState& s) { s.myTransform(4, 1) = 7.0f; }, 0},
        {"blend and camera",
         [](GraphicsState& s) {
             s.myBlendState = 0;
             s.myCameraStamp = 2;
         },
         APPLY_BLEND | APPLY_CAMERA},
    };
    const GraphicsState last;
    for (const Case& c : cases)
    {
        GraphicsState top;
        c.change(top);
        EXPECT_EQ(ComputeApplyMask(top, last, false), c.expected) << c.what;
    }
    const u32 everything = APPLY_BLEND | APPLY_DEPTH_STENCIL | APPLY_RASTERIZER | APPLY_SAMPLER | APPLY_ALPHA_TEST |
                           APPLY_CAMERA | APPLY_LIGHTS | APPLY_BLOCK_BINDINGS;
    EXPECT_EQ(ComputeApplyMask(last, last, true), everything);
}

TEST(GraphicsStateStack, NewStatesHoldTheResetValues)
{
    const GraphicsState state;
    EXPECT_EQ(state.myBlendState, 1u);
    EXPECT_EQ(state.myDepthStencilState, 0u);
    EXPECT_EQ(state.myRasterizerState, 1u);
    EXPECT_EQ(state.mySamplerFilter, 2u);
    EXPECT_EQ(state.mySamplerAddress, 1u);
    EXPECT_EQ(state.myLightCount, 0u);
    for (const PointLight& light : state.myLights)
    {
        EXPECT_EQ(light.myRange, 1000.0f);
        EXPECT_EQ(light.myIntensity, 0.0f);
        EXPECT_EQ(light.myColor, Color(1, 1, 1, 1));
    }
    EXPECT_EQ(state.myFirstColor, Color(1, 1, 1, 1));
    EXPECT_EQ(state.mySecondColor, Color(0, 0, 0, 0));
    EXPECT_EQ(state.myTransform, Matrix4x4());
}

TEST(GraphicsStateStack, PopRestoresThePushedStateAndTheMaskSendsItBack)
{
    GraphicsStateStack stack;
    const GraphicsState base = stack.GetTop();
    stack.Push();
    stack.SetBlendState(BLEND_STATE_ADDITIVE_BLEND);
    stack.SetSamplerState(SAMPLER_FILTER_BILINEAR, SAMPLER_ADDRESS_WRAP);
    const GraphicsState pushed = stack.GetTop();
    EXPECT_EQ(ComputeApplyMask(pushed, base, false), APPLY_BLEND | APPLY_SAMPLER);
    stack.Pop();
    EXPECT_EQ(stack.GetStackSize(), 1u);
    EXPECT_EQ(stack.GetTop().myBlendState, BLEND_STATE_ALPHA_BLEND);
    // With the pushed state sent last, the base state's blend goes out again.
    EXPECT_EQ(ComputeApplyMask(stack.GetTop(), pushed, false), APPLY_BLEND | APPLY_SAMPLER);
}

TEST(GraphicsStateStack, EachSetterCallTakesANewStamp)
{
    GraphicsStateStack stack;
    Camera camera;
    camera.SetPosition({1, 2, 3});
    stack.Push();
    stack.SetCamera(camera);
    const u32 first = stack.GetTop().myCameraStamp;
    stack.Pop();
    stack.Push();
    stack.SetCamera(camera);
    const u32 second = stack.GetTop().myCameraStamp;
    stack.Pop();
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, first);   // the same camera twice is uploaded twice

    stack.SetAlphaTestThreshold(0.5f);
    EXPECT_EQ(stack.GetTop().myAlphaTestStamp, 1u);
    stack.SetPointLight(0, PointLight{});
    stack.SetLightCount(2);
    EXPECT_EQ(stack.GetTop().myLightStamp, 2u);
    EXPECT_EQ(stack.GetTop().myLightCount, 2u);
}

TEST(GraphicsStateStack, OutOfRangeIndicesLeaveTheStateAsItWas)
{
    GraphicsStateStack stack;
    stack.SetBlendState(3);
    stack.SetDepthStencilState(4);
    stack.SetRasterizerState(4);
    stack.SetSamplerState(3, 0);
    stack.SetSamplerState(0, 3);
    stack.SetLightCount(9);
    stack.SetPointLight(8, PointLight{});
    const GraphicsState reset;
    EXPECT_EQ(ComputeApplyMask(stack.GetTop(), reset, false), 0u);
    EXPECT_EQ(stack.GetTop().myLightCount, 0u);
}

TEST(GraphicsStateStackDeathTest, UnbalancedPushesAndPopsStopTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            GraphicsStateStack stack;
            stack.Push();
            stack.BeginFrame(0.0f, 0.0f);
        },
        "myRenderStateStack.size\\(\\) == 1");
    EXPECT_DEATH(
        {
            GraphicsStateStack stack;
            stack.Pop();
        },
        "myRenderStateStack.size\\(\\) > 1");
}

TEST(ConstantBlocks, FrameBlockBytes)
{
    const FrameBlock block = PackFrameBlock(1280.0f, 720.0f, 12.5f, 0.016f);
    EXPECT_EQ(FloatAt(block, 0), 1280.0f);
    EXPECT_EQ(FloatAt(block, 4), 720.0f);
    EXPECT_EQ(FloatAt(block, 8), 12.5f);
    EXPECT_EQ(FloatAt(block, 12), 0.016f);
}

TEST(ConstantBlocks, CameraBlockBytes)
{
    Camera camera;
    camera.SetPosition({10.0f, 20.0f, -1000.0f});
    camera.SetOrthographicProjection(1920.0f, 1080.0f, 10000.0f);
    const CameraBlock block = PackCameraBlock(camera);
    // View: the inverse of the camera transform, row 4 at bytes 48..63.
    EXPECT_EQ(FloatAt(block, 48), -10.0f);
    EXPECT_EQ(FloatAt(block, 52), -20.0f);
    EXPECT_EQ(FloatAt(block, 56), 1000.0f);
    EXPECT_EQ(FloatAt(block, 60), 1.0f);
    EXPECT_EQ(FloatAt(block, 0), 1.0f);
    // The camera transform itself from byte 64, the projection from 128.
    EXPECT_EQ(FloatAt(block, 64 + 48), 10.0f);
    EXPECT_EQ(FloatAt(block, 64 + 56), -1000.0f);
    EXPECT_FLOAT_EQ(FloatAt(block, 128), 2.0f / 1920.0f);
    EXPECT_FLOAT_EQ(FloatAt(block, 128 + 20), 2.0f / 1080.0f);
    EXPECT_FLOAT_EQ(FloatAt(block, 128 + 40), 1.0f / 10000.0f);
    // Inverse projection from 192.
    EXPECT_FLOAT_EQ(FloatAt(block, 192), 960.0f);
    EXPECT_FLOAT_EQ(FloatAt(block, 192 + 20), 540.0f);
    EXPECT_FLOAT_EQ(FloatAt(block, 192 + 40), 10000.0f);
    EXPECT_FLOAT_EQ(FloatAt(block, 256), 0.01f);
    EXPECT_EQ(FloatAt(block, 260), 10000.0f);
}

TEST(ConstantBlocks, ViewOfAScaledCameraIsItsTrueInverse)
{
    Camera camera;
    Matrix4x4 transform = Matrix4x4::CreateScale({2.0f, 2.0f, 1.0f});
    transform.SetTranslation({4.0f, 6.0f, 0.0f});
    camera.SetTransform(transform);
    const CameraBlock block = PackCameraBlock(camera);
    // The world point (4, 6) sits at the camera; (6, 6) is one view unit to the right.
    EXPECT_FLOAT_EQ(FloatAt(block, 0), 0.5f);
    EXPECT_FLOAT_EQ(FloatAt(block, 48), -2.0f);
    EXPECT_FLOAT_EQ(FloatAt(block, 52), -3.0f);
}

TEST(ConstantBlocks, ScreenSpaceCameraMapsPixelsToClipSpace)
{
    const Camera camera = MakeScreenSpaceCamera(1280.0f, 720.0f);
    const Matrix4x4& p = camera.GetProjection();
    EXPECT_FLOAT_EQ(p(1, 1), 2.0f / 1280.0f);
    EXPECT_FLOAT_EQ(p(2, 2), 2.0f / 720.0f);
    EXPECT_FLOAT_EQ(p(3, 3), 0.5f);
    EXPECT_FLOAT_EQ(p(4, 1), -1.0f);
    EXPECT_FLOAT_EQ(p(4, 2), -1.0f);
    EXPECT_FLOAT_EQ(p(4, 3), 0.5f);
    EXPECT_EQ(camera.GetTransform(), Matrix4x4());
    const Vector4f topRight = Vector4f{1280.0f, 720.0f, 1.0f, 1.0f} * p;
    EXPECT_FLOAT_EQ(topRight.x, 1.0f);
    EXPECT_FLOAT_EQ(topRight.y, 1.0f);
    EXPECT_FLOAT_EQ(topRight.z, 1.0f);
}

TEST(ConstantBlocks, LightBlockBytesAreLinear)
{
    GraphicsState state;
    state.myLights[0].myColor = Color(0.5f, 0.5f, 0.5f, 0.5f);
    state.myLights[0].myPosition = {1.0f, 2.0f, 3.0f};
    state.myLights[7].myRange = 250.0f;
    state.myLights[7].myIntensity = 3.0f;
    state.myLightCount = 2;
    state.myLightScalar = 0.75f;
    state.mySecondColor = Color(1.0f, 0.04045f, 0.0f, 0.25f);
    const LightBlock block = PackLightBlock(state);
    EXPECT_EQ(FloatAt(block, 0), 1.0f);
    EXPECT_EQ(FloatAt(block, 8), 3.0f);
    for (size_t channel = 0; channel < 3; ++channel)
        EXPECT_NEAR(FloatAt(block, 16 + 4 * channel), 0.214041f, 1e-6f);
    EXPECT_EQ(FloatAt(block, 28), 0.5f);   // alpha as is
    EXPECT_EQ(FloatAt(block, 32), 1000.0f);
    EXPECT_EQ(FloatAt(block, 36), 0.0f);
    EXPECT_EQ(FloatAt(block, 7 * 48 + 32), 250.0f);
    EXPECT_EQ(FloatAt(block, 7 * 48 + 36), 3.0f);
    EXPECT_EQ(UIntAt(block, 384), 2u);
    EXPECT_EQ(FloatAt(block, 388), 0.75f);
    for (size_t channel = 0; channel < 4; ++channel)
        EXPECT_EQ(FloatAt(block, 400 + 4 * channel), 1.0f);   // first colour: white stays 1
    EXPECT_EQ(FloatAt(block, 416), 1.0f);
    EXPECT_EQ(FloatAt(block, 420), std::pow((0.04045f + 0.055f) / 1.055f, 2.4f));   // the power branch
    EXPECT_EQ(FloatAt(block, 424), 0.0f);
    EXPECT_EQ(FloatAt(block, 428), 0.25f);
    for (size_t i = 0; i < 16; ++i)
        EXPECT_EQ(FloatAt(block, 432 + 4 * i), (i % 5 == 0) ? 1.0f : 0.0f);   // identity light matrix
}

TEST(ConstantBlocks, AlphaTestBlockBytes)
{
    GraphicsState state;
    state.myAlphaTestVector = {1.0f, 2.0f, 3.0f, 4.0f};
    state.myAlphaTestThreshold = 0.3f;
    const AlphaTestBlock block = PackAlphaTestBlock(state);
    EXPECT_EQ(FloatAt(block, 0), 1.0f);
    EXPECT_EQ(FloatAt(block, 12), 4.0f);
    EXPECT_EQ(FloatAt(block, 16), 0.3f);
}
