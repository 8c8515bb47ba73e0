#pragma once
// The per-frame constant blocks as the shaders see them (std140 uniform blocks, declared in
// shaders/qel_common.glsl with row-major matrices). These mirrors are copied into the buffers byte
// for byte, so their sizes and offsets are fixed here and checked by the compiler.
#include "core/Types.h"

#include <cstddef>

namespace Qel
{
// Binding points, shared by every stage.
inline constexpr u32 FRAME_BLOCK_SLOT = 0;
inline constexpr u32 CAMERA_BLOCK_SLOT = 1;
inline constexpr u32 LIGHT_BLOCK_SLOT = 2;
inline constexpr u32 ALPHA_TEST_BLOCK_SLOT = 3;
inline constexpr u32 OBJECT_BLOCK_SLOT = 4;
inline constexpr u32 BONE_BLOCK_SLOT = 5;
inline constexpr u32 CUSTOM_BLOCK_SLOT = 5;
inline constexpr u32 PIXELATE_BLOCK_SLOT = 13;

// Texture units (Direct3D's pixel-shader resource slots).
inline constexpr u32 ENVIRONMENT_TEXTURE_SLOT = 0;
inline constexpr u32 COLOR_TEXTURE_SLOT = 1;
inline constexpr u32 NORMAL_TEXTURE_SLOT = 2;
inline constexpr u32 MATERIAL_TEXTURE_SLOT = 3;
inline constexpr u32 EFFECTS_TEXTURE_SLOT = 4;
// Samplers are bound to units 0 up to this; no shader may use a unit past it.
inline constexpr u32 TEXTURE_UNIT_COUNT = 16;

// QelFrame, binding 0.
struct FrameBlock
{
    float myRenderWidth = 0.0f;
    float myRenderHeight = 0.0f;
    float myTotalTime = 0.0f;
    float myDeltaTime = 0.0f;
};
static_assert(sizeof(FrameBlock) == 16);
static_assert(offsetof(FrameBlock, myRenderWidth) == 0);
static_assert(offsetof(FrameBlock, myTotalTime) == 8);
static_assert(offsetof(FrameBlock, myDeltaTime) == 12);

// QelCamera, binding 1. Matrices row by row, as Matrix4x4 stores them.
struct CameraBlock
{
    float myView[16] = {};
    float myCameraTransform[16] = {};
    float myProjection[16] = {};
    float myInverseProjection[16] = {};
    float myNear = 0.0f;
    float myFar = 0.0f;
    float myPadding[2] = {};
};
static_assert(sizeof(CameraBlock) == 272);
static_assert(offsetof(CameraBlock, myView) == 0);
static_assert(offsetof(CameraBlock, myCameraTransform) == 64);
static_assert(offsetof(CameraBlock, myProjection) == 128);
static_assert(offsetof(CameraBlock, myInverseProjection) == 192);
static_assert(offsetof(CameraBlock, myNear) == 256);
static_assert(offsetof(CameraBlock, myFar) == 260);

// One light of QelLights: position, linear colour, range and intensity, each in its own vec4.
struct PointLightBlock
{
    float myPosition[3] = {};
    float myPadding0 = 0.0f;
    float myColor[4] = {};
    float myRange = 0.0f;
    float myIntensity = 0.0f;
    float myPadding1[2] = {};
};
static_assert(sizeof(PointLightBlock) == 48);
static_assert(offsetof(PointLightBlock, myColor) == 16);
static_assert(offsetof(PointLightBlock, myRange) == 32);
static_assert(offsetof(PointLightBlock, myIntensity) == 36);

// QelLights, binding 2. Colours are linear.
struct LightBlock
{
    PointLightBlock myLights[8];
    u32 myLightCount = 0;
    float myLightScalar = 0.0f;
    float myPadding[2] = {};
    float myFirstColor[4] = {};
    float mySecondColor[4] = {};
    float myLightMatrix[16] = {};
};
static_assert(sizeof(LightBlock) == 496);
static_assert(offsetof(LightBlock, myLightCount) == 384);
static_assert(offsetof(LightBlock, myLightScalar) == 388);
static_assert(offsetof(LightBlock, myFirstColor) == 400);
static_assert(offsetof(LightBlock, mySecondColor) == 416);
static_assert(offsetof(LightBlock, myLightMatrix) == 432);

// QelAlphaTest, binding 3.
struct AlphaTestBlock
{
    float myVector[4] = {};
    float myThreshold = 0.0f;
    float myPadding[3] = {};
};
static_assert(sizeof(AlphaTestBlock) == 32);
static_assert(offsetof(AlphaTestBlock, myThreshold) == 16);
}
