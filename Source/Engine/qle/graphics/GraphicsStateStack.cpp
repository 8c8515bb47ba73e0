#include "graphics/GraphicsStateStack.h"

#include "core/Assert.h"
#include "engine/Engine.h"
#include "graphics/ColorSpace.h"
#include "graphics/DeviceContext.h"
#include "graphics/DX11.h"
#include "graphics/GL.h"
#include "texture/Texture.h"
#include "texture/TextureManager.h"

#include <cfloat>
#include <cstring>

namespace Qel
{
namespace
{
GraphicsStateStack* ourActiveStack = nullptr;

void CopyMatrix(float aOut[16], const Matrix4x4& aMatrix) { std::memcpy(aOut, aMatrix.GetData(), 16 * sizeof(float)); }

void ApplyBlend(u32 aIndex)
{
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    if (aIndex == BLEND_STATE_DISABLED)
    {
        glDisable(GL_BLEND);
        return;
    }
    glEnable(GL_BLEND);
    // Colour is blended by source alpha; the target keeps the larger alpha.
    const GLenum destination = aIndex == BLEND_STATE_ADDITIVE_BLEND ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA;
    glBlendFuncSeparate(GL_SRC_ALPHA, destination, GL_ONE, GL_ONE);
    glBlendEquationSeparate(GL_FUNC_ADD, GL_MAX);
}

void ApplyDepthStencil(u32 aIndex)
{
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    const bool write = aIndex == DEPTH_STENCIL_STATE_WRITE_LESS || aIndex == DEPTH_STENCIL_STATE_WRITE_LESS_OR_EQUAL;
    const bool lessOrEqual =
        aIndex == DEPTH_STENCIL_STATE_WRITE_LESS_OR_EQUAL || aIndex == DEPTH_STENCIL_STATE_READ_ONLY_LESS_OR_EQUAL;
    glDepthMask(write ? GL_TRUE : GL_FALSE);
    glDepthFunc(lessOrEqual ? GL_LEQUAL : GL_LESS);
}

void ApplyRasterizer(u32 aIndex)
{
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_DEPTH_CLAMP);
    // Direct3D's front faces: clockwise as seen on screen.
    glFrontFace(GL_CW);
    const bool wireframe =
        aIndex == RASTERIZER_STATE_WIREFRAME_CULL_BACK || aIndex == RASTERIZER_STATE_WIREFRAME_CULL_NONE;
    const bool cull = aIndex == RASTERIZER_STATE_CULL_BACK || aIndex == RASTERIZER_STATE_WIREFRAME_CULL_BACK;
    glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
    if (cull)
    {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
    }
    else
    {
        glDisable(GL_CULL_FACE);
    }
}
}

u32 ComputeApplyMask(const GraphicsState& aTop, const GraphicsState& aLast, bool aForce)
{
    u32 mask = 0;
    if (aForce || aTop.myBlendState != aLast.myBlendState)
        mask |= APPLY_BLEND;
    if (aForce || aTop.myDepthStencilState != aLast.myDepthStencilState)
        mask |= APPLY_DEPTH_STENCIL;
    if (aForce || aTop.myRasterizerState != aLast.myRasterizerState)
        mask |= APPLY_RASTERIZER;
    if (aForce || aTop.mySamplerFilter != aLast.mySamplerFilter || aTop.mySamplerAddress != aLast.mySamplerAddress)
        mask |= APPLY_SAMPLER;
    if (aForce || aTop.myAlphaTestStamp != aLast.myAlphaTestStamp)
        mask |= APPLY_ALPHA_TEST;
    if (aForce || aTop.myCameraStamp != aLast.myCameraStamp)
        mask |= APPLY_CAMERA;
    if (aForce || aTop.myLightStamp != aLast.myLightStamp)
        mask |= APPLY_LIGHTS;
    if (aForce)
        mask |= APPLY_BLOCK_BINDINGS;
    return mask;
}

FrameBlock PackFrameBlock(float aRenderWidth, float aRenderHeight, float aTotalTime, float aDeltaTime)
{
    return FrameBlock{aRenderWidth, aRenderHeight, aTotalTime, aDeltaTime};
}

CameraBlock PackCameraBlock(const Camera& aCamera)
{
    CameraBlock block;
    // The full inverse: a camera transform with scale still gives the right view.
    CopyMatrix(block.myView, aCamera.GetTransform().GetInverse());
    CopyMatrix(block.myCameraTransform, aCamera.GetTransform());
    CopyMatrix(block.myProjection, aCamera.GetProjection());
    CopyMatrix(block.myInverseProjection, aCamera.GetProjection().GetInverse());
    block.myNear = aCamera.GetNear();
    block.myFar = aCamera.GetFar();
    return block;
}

LightBlock PackLightBlock(const GraphicsState& aState)
{
    LightBlock block;
    for (u32 i = 0; i < MAX_POINT_LIGHTS; ++i)
    {
        const PointLight& light = aState.myLights[i];
        PointLightBlock& out = block.myLights[i];
        out.myPosition[0] = light.myPosition.x;
        out.myPosition[1] = light.myPosition.y;
        out.myPosition[2] = light.myPosition.z;
        PackLinearColor(light.myColor, out.myColor);
        out.myRange = light.myRange;
        out.myIntensity = light.myIntensity;
    }
    block.myLightCount = aState.myLightCount;
    block.myLightScalar = aState.myLightScalar;
    PackLinearColor(aState.myFirstColor, block.myFirstColor);
    PackLinearColor(aState.mySecondColor, block.mySecondColor);
    CopyMatrix(block.myLightMatrix, aState.myLightMatrix);
    return block;
}

AlphaTestBlock PackAlphaTestBlock(const GraphicsState& aState)
{
    AlphaTestBlock block;
    block.myVector[0] = aState.myAlphaTestVector.x;
    block.myVector[1] = aState.myAlphaTestVector.y;
    block.myVector[2] = aState.myAlphaTestVector.z;
    block.myVector[3] = aState.myAlphaTestVector.w;
    block.myThreshold = aState.myAlphaTestThreshold;
    return block;
}

Camera MakeScreenSpaceCamera(float aRenderWidth, float aRenderHeight)
{
    Camera camera;
    camera.SetOrthographicProjection(0.0f, aRenderWidth, 0.0f, aRenderHeight, -1.0f, 1.0f);
    return camera;
}

GraphicsStateStack::GraphicsStateStack()
{
    // Pushes within a frame reuse this room instead of allocating.
    myRenderStateStack.reserve(16);
    myRenderStateStack.emplace_back();
}

GraphicsStateStack::~GraphicsStateStack()
{
    if (ourActiveStack == this)
        ourActiveStack = nullptr;
}

GraphicsStateStack* GraphicsStateStack::GetActive() { return ourActiveStack; }

bool GraphicsStateStack::Init(TextureManager* aTextureManager)
{
    if (!DX11::IsContextAlive())
        return false;
    myTextureManager = aTextureManager;

    static constexpr GLenum minFilters[SAMPLER_FILTER_COUNT] = {GL_NEAREST_MIPMAP_NEAREST, GL_LINEAR_MIPMAP_NEAREST,
                                                                GL_LINEAR_MIPMAP_LINEAR};
    static constexpr GLenum magFilters[SAMPLER_FILTER_COUNT] = {GL_NEAREST, GL_LINEAR, GL_LINEAR};
    static constexpr GLenum addressModes[SAMPLER_ADDRESS_COUNT] = {GL_CLAMP_TO_EDGE, GL_REPEAT, GL_MIRRORED_REPEAT};
    for (u32 filter = 0; filter < SAMPLER_FILTER_COUNT; ++filter)
    {
        for (u32 address = 0; address < SAMPLER_ADDRESS_COUNT; ++address)
        {
            GLuint name = 0;
            glGenSamplers(1, &name);
            if (name == 0)
                return false;
            mySamplers[filter][address].Reset(name);
            glSamplerParameteri(name, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilters[filter]));
            glSamplerParameteri(name, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilters[filter]));
            for (GLenum axis : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R})
                glSamplerParameteri(name, axis, static_cast<GLint>(addressModes[address]));
            glSamplerParameterf(name, GL_TEXTURE_MIN_LOD, 0.0f);
            // Bilinear with wrapping reads the top level only.
            const bool topLevelOnly = filter == SAMPLER_FILTER_BILINEAR && address == SAMPLER_ADDRESS_WRAP;
            glSamplerParameterf(name, GL_TEXTURE_MAX_LOD, topLevelOnly ? 0.0f : FLT_MAX);
            glSamplerParameterf(name, GL_TEXTURE_LOD_BIAS, 0.0f);
            glSamplerParameteri(name, GL_TEXTURE_COMPARE_MODE, GL_NONE);
            // No anisotropy: the filters above are not anisotropic ones.
        }
    }

    myAlphaTestBuffer = impl::gl::CreateUniformBuffer(sizeof(AlphaTestBlock));
    myFrameBuffer = impl::gl::CreateUniformBuffer(sizeof(FrameBlock));
    myCameraBuffer = impl::gl::CreateUniformBuffer(sizeof(CameraBlock));
    myLightBuffer = impl::gl::CreateUniformBuffer(sizeof(LightBlock));
    mySentAlphaTest.Forget();
    mySentCamera.Forget();
    mySentLights.Forget();
    if (!myAlphaTestBuffer || !myFrameBuffer || !myCameraBuffer || !myLightBuffer)
        return false;

    myRenderStateStack.clear();
    myRenderStateStack.emplace_back();
    if (myTextureManager)
    {
        myWhiteCubeMap = myTextureManager->GetTexture("Textures/whiteCubeMap.dds", TEXTURE_COLOR_MODE_AS_STORED, false);
        myHorizonCubeMap =
            myTextureManager->GetTexture("Textures/horizonCubeMap.dds", TEXTURE_COLOR_MODE_AS_STORED, false);
    }
    ourActiveStack = this;
    const FrameBlock frame = PackFrameBlock(GetRenderSize().first, GetRenderSize().second, 0.0f, 0.0f);
    impl::gl::UpdateUniformBuffer(myFrameBuffer, 0, sizeof(frame), &frame);
    ResetBaseState();
    return true;
}

std::pair<float, float> GraphicsStateStack::GetRenderSize() const
{
    const RenderTarget* target = DX11::GetActiveRenderTarget();
    if (!target)
        return {0.0f, 0.0f};
    const auto [width, height] = target->GetSize();
    return {static_cast<float>(width), static_cast<float>(height)};
}

void GraphicsStateStack::BeginFrame()
{
    const Engine* engine = Engine::GetInstance();
    BeginFrame(engine ? engine->GetTotalTime() : 0.0f, engine ? engine->GetDeltaTime() : 0.0f);
}

void GraphicsStateStack::BeginFrame(float aTotalTime, float aDeltaTime)
{
    QEL_ASSERT_TEXT(myRenderStateStack.size() == 1, "myRenderStateStack.size() == 1");
    const auto [width, height] = GetRenderSize();
    const FrameBlock frame = PackFrameBlock(width, height, aTotalTime, aDeltaTime);
    impl::gl::UpdateUniformBuffer(myFrameBuffer, 0, sizeof(frame), &frame);
    ResetBaseState();
}

void GraphicsStateStack::ResetBaseState()
{
    GraphicsState base;
    const auto [width, height] = GetRenderSize();
    base.myCamera = MakeScreenSpaceCamera(width > 0.0f ? width : 1.0f, height > 0.0f ? height : 1.0f);
    myAlphaTestCounter = 0;
    myLightCounter = 0;
    myCameraCounter = 0;
    Top() = base;
    // Every part of the base state is in effect afterwards. What the last apply sent is still in GL
    // unless the state epochs moved (each of those forces its part), so only the rest goes out.
    Apply(false);
}

void GraphicsStateStack::Push() { myRenderStateStack.push_back(myRenderStateStack.back()); }

void GraphicsStateStack::Pop()
{
    QEL_ASSERT_TEXT(myRenderStateStack.size() > 1, "myRenderStateStack.size() > 1");
    myRenderStateStack.pop_back();
}

void GraphicsStateStack::SetBlendState(u32 aIndex)
{
    if (aIndex < BLEND_STATE_COUNT)
        Top().myBlendState = aIndex;
}

void GraphicsStateStack::SetDepthStencilState(u32 aIndex)
{
    if (aIndex < DEPTH_STENCIL_STATE_COUNT)
        Top().myDepthStencilState = aIndex;
}

void GraphicsStateStack::SetRasterizerState(u32 aIndex)
{
    if (aIndex < RASTERIZER_STATE_COUNT)
        Top().myRasterizerState = aIndex;
}

void GraphicsStateStack::SetSamplerState(u32 aFilter, u32 aAddress)
{
    if (aFilter >= SAMPLER_FILTER_COUNT || aAddress >= SAMPLER_ADDRESS_COUNT)
        return;
    Top().mySamplerFilter = aFilter;
    Top().mySamplerAddress = aAddress;
}

void GraphicsStateStack::SetAlphaTestThreshold(float aThreshold)
{
    Top().myAlphaTestStamp = ++myAlphaTestCounter;
    Top().myAlphaTestThreshold = aThreshold;
}

void GraphicsStateStack::SetAlphaTestVector(const Vector4f& aVector)
{
    Top().myAlphaTestStamp = ++myAlphaTestCounter;
    Top().myAlphaTestVector = aVector;
}

void GraphicsStateStack::SetCamera(const Camera& aCamera)
{
    Top().myCameraStamp = ++myCameraCounter;
    Top().myCamera = aCamera;
}

void GraphicsStateStack::SetScreenSpaceCamera()
{
    Top().myCameraStamp = ++myCameraCounter;
    const auto [width, height] = GetRenderSize();
    Top().myCamera = MakeScreenSpaceCamera(width > 0.0f ? width : 1.0f, height > 0.0f ? height : 1.0f);
}

void GraphicsStateStack::MarkLightsChanged() { Top().myLightStamp = ++myLightCounter; }

void GraphicsStateStack::SetPointLight(u32 aIndex, const PointLight& aLight)
{
    if (aIndex >= MAX_POINT_LIGHTS)
        return;
    MarkLightsChanged();
    Top().myLights[aIndex] = aLight;
}

void GraphicsStateStack::SetLightCount(u32 aCount)
{
    if (aCount > MAX_POINT_LIGHTS)
        return;
    MarkLightsChanged();
    Top().myLightCount = aCount;
}

void GraphicsStateStack::SetLightColors(const Color& aFirstColor, const Color& aSecondColor)
{
    MarkLightsChanged();
    Top().myFirstColor = aFirstColor;
    Top().mySecondColor = aSecondColor;
}

void GraphicsStateStack::SetLightScalar(float aScalar)
{
    MarkLightsChanged();
    Top().myLightScalar = aScalar;
}

void GraphicsStateStack::SetLightMatrix(const Matrix4x4& aMatrix)
{
    MarkLightsChanged();
    Top().myLightMatrix = aMatrix;
}

void GraphicsStateStack::SetEnvironmentMap(u32 aChoice, Texture* aTexture)
{
    if (aChoice > ENVIRONMENT_MAP_TEXTURE)
        return;
    MarkLightsChanged();
    Top().myEnvironmentMapChoice = aChoice;
    Top().myEnvironmentMapTexture = aTexture;
}

u32 GraphicsStateStack::GetSampler(u32 aFilter, u32 aAddress) const
{
    if (aFilter >= SAMPLER_FILTER_COUNT || aAddress >= SAMPLER_ADDRESS_COUNT)
        return 0;
    return mySamplers[aFilter][aAddress].Get();
}

void GraphicsStateStack::BindEnvironmentMap(const GraphicsState& aState) const
{
    const Texture* texture = nullptr;
    switch (aState.myEnvironmentMapChoice)
    {
    case ENVIRONMENT_MAP_WHITE:
        texture = myWhiteCubeMap;
        break;
    case ENVIRONMENT_MAP_HORIZON:
        texture = myHorizonCubeMap;
        break;
    default:
        texture = aState.myEnvironmentMapTexture;
        break;
    }
    static const ShaderResourceView none;
    DeviceContext::PSSetCubeShaderResource(ENVIRONMENT_TEXTURE_SLOT, texture ? texture->GetShaderResourceView() : none);
}

void GraphicsStateStack::Apply(bool aForce) { ApplyState(GetTop(), aForce); }

void GraphicsStateStack::ApplyState(const GraphicsState& aState, bool aForce)
{
    if (!myFrameBuffer)
        return;   // not initialised: nothing of ours to send
    const u64 epoch = DX11::GetStateEpoch();
    const u64 outputEpoch = DX11::GetOutputEpoch();
    const GraphicsState& top = aState;
    u32 mask = ComputeApplyMask(top, myLastApplied, aForce || epoch != myAppliedEpoch);
    if (outputEpoch != myAppliedOutputEpoch)
        mask |= APPLY_BLEND | APPLY_DEPTH_STENCIL | APPLY_RASTERIZER;
    myLastApplyMask = mask;

    if (mask & APPLY_BLEND)
        ApplyBlend(top.myBlendState);
    if (mask & APPLY_DEPTH_STENCIL)
        ApplyDepthStencil(top.myDepthStencilState);
    if (mask & APPLY_RASTERIZER)
        ApplyRasterizer(top.myRasterizerState);
    if (mask & APPLY_SAMPLER)
    {
        // One sampler serves every texture unit, as Direct3D's s0 does for every slot.
        const GLuint sampler = mySamplers[top.mySamplerFilter][top.mySamplerAddress].Get();
        for (u32 unit = 0; unit < TEXTURE_UNIT_COUNT; ++unit)
            glBindSampler(unit, sampler);
    }
    if (mask & APPLY_ALPHA_TEST)
        mySentAlphaTest.Send(myAlphaTestBuffer, PackAlphaTestBlock(top));
    if (mask & APPLY_CAMERA)
        mySentCamera.Send(myCameraBuffer, PackCameraBlock(top.myCamera));
    if (mask & APPLY_LIGHTS)
    {
        mySentLights.Send(myLightBuffer, PackLightBlock(top));
        BindEnvironmentMap(top);
    }
    if (mask & APPLY_BLOCK_BINDINGS)
    {
        DeviceContext::SetConstantBuffer(FRAME_BLOCK_SLOT, myFrameBuffer);
        DeviceContext::SetConstantBuffer(CAMERA_BLOCK_SLOT, myCameraBuffer);
        DeviceContext::SetConstantBuffer(LIGHT_BLOCK_SLOT, myLightBuffer);
        DeviceContext::SetConstantBuffer(ALPHA_TEST_BLOCK_SLOT, myAlphaTestBuffer);
    }
    myLastApplied = top;
    myAppliedEpoch = epoch;
    myAppliedOutputEpoch = outputEpoch;
}
}
