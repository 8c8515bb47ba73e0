#pragma once
// The stack of render states pushed and popped around drawing. Drawing code pushes a copy of the
// top state, changes what it needs, draws and pops. Apply sends the top state to GL, but only the
// groups whose indices or change stamps differ from what was sent last. Camera, light and
// alpha-test values travel in constant blocks (graphics/ConstantBlocks.h) that every shader sees.
// Render thread only.
#include "core/Types.h"
#include "graphics/ConstantBlocks.h"
#include "graphics/GLObjects.h"
#include "math/Camera.h"
#include "math/Color.h"
#include "math/Matrix4x4.h"
#include "math/Vector.h"

#include <array>
#include <cstring>
#include <vector>

namespace Qel
{
class Texture;
class TextureManager;

// Blend states, by index (scene models and particle files store the index).
inline constexpr u32 BLEND_STATE_DISABLED = 0;
inline constexpr u32 BLEND_STATE_ALPHA_BLEND = 1;
inline constexpr u32 BLEND_STATE_ADDITIVE_BLEND = 2;
inline constexpr u32 BLEND_STATE_COUNT = 3;
inline constexpr const char* BLEND_STATE_NAMES[BLEND_STATE_COUNT] = {"Disabled", "AlphaBlend", "AdditiveBlend"};

// Depth-stencil states: the depth test is on in all of them (a target bound without a depth
// buffer passes every test).
inline constexpr u32 DEPTH_STENCIL_STATE_WRITE_LESS = 0;
inline constexpr u32 DEPTH_STENCIL_STATE_WRITE_LESS_OR_EQUAL = 1;
inline constexpr u32 DEPTH_STENCIL_STATE_READ_ONLY_LESS = 2;
inline constexpr u32 DEPTH_STENCIL_STATE_READ_ONLY_LESS_OR_EQUAL = 3;
inline constexpr u32 DEPTH_STENCIL_STATE_COUNT = 4;
inline constexpr const char* DEPTH_STENCIL_STATE_NAMES[DEPTH_STENCIL_STATE_COUNT] = {
    "WriteLess", "WriteLessOrEqual", "ReadOnlyLess", "ReadOnlyLessOrEqual"};

// Rasterizer states: 0 solid with back-face culling, 1 solid without culling, 2 wireframe with
// culling, 3 wireframe without.
inline constexpr u32 RASTERIZER_STATE_CULL_BACK = 0;
inline constexpr u32 RASTERIZER_STATE_CULL_NONE = 1;
inline constexpr u32 RASTERIZER_STATE_WIREFRAME_CULL_BACK = 2;
inline constexpr u32 RASTERIZER_STATE_WIREFRAME_CULL_NONE = 3;
inline constexpr u32 RASTERIZER_STATE_COUNT = 4;

inline constexpr u32 SAMPLER_FILTER_POINT = 0;
inline constexpr u32 SAMPLER_FILTER_BILINEAR = 1;
inline constexpr u32 SAMPLER_FILTER_TRILINEAR = 2;
inline constexpr u32 SAMPLER_FILTER_COUNT = 3;
inline constexpr u32 SAMPLER_ADDRESS_CLAMP = 0;
inline constexpr u32 SAMPLER_ADDRESS_WRAP = 1;
inline constexpr u32 SAMPLER_ADDRESS_MIRROR = 2;
inline constexpr u32 SAMPLER_ADDRESS_COUNT = 3;

inline constexpr u32 ENVIRONMENT_MAP_WHITE = 0;
inline constexpr u32 ENVIRONMENT_MAP_HORIZON = 1;
inline constexpr u32 ENVIRONMENT_MAP_TEXTURE = 2;

inline constexpr u32 MAX_POINT_LIGHTS = 8;

struct PointLight
{
    Vector3f myPosition;
    Color myColor{1.0f, 1.0f, 1.0f, 1.0f};   // sRGB
    float myRange = 1000.0f;
    float myIntensity = 0.0f;
};

// One entry of the stack. A new state holds the reset values.
struct GraphicsState
{
    u32 myBlendState = BLEND_STATE_ALPHA_BLEND;
    u32 myDepthStencilState = DEPTH_STENCIL_STATE_WRITE_LESS;
    u32 myRasterizerState = RASTERIZER_STATE_CULL_NONE;
    u32 mySamplerFilter = SAMPLER_FILTER_TRILINEAR;
    u32 mySamplerAddress = SAMPLER_ADDRESS_WRAP;
    u32 myAlphaTestStamp = 0;
    float myAlphaTestThreshold = 0.0f;
    Vector4f myAlphaTestVector;
    u32 myLightStamp = 0;
    u32 myLightCount = 0;
    std::array<PointLight, MAX_POINT_LIGHTS> myLights{};
    Matrix4x4 myLightMatrix;
    Color mySecondColor{0.0f, 0.0f, 0.0f, 0.0f};   // sRGB
    float myLightScalar = 0.0f;
    Color myFirstColor{1.0f, 1.0f, 1.0f, 1.0f};   // sRGB
    u32 myEnvironmentMapChoice = ENVIRONMENT_MAP_WHITE;
    Texture* myEnvironmentMapTexture = nullptr;
    u32 myCameraStamp = 0;
    Camera myCamera;
    Matrix4x4 myTransform;
};

// Groups that Apply sends, as bits.
inline constexpr u32 APPLY_BLEND = 1u << 0;
inline constexpr u32 APPLY_DEPTH_STENCIL = 1u << 1;
inline constexpr u32 APPLY_RASTERIZER = 1u << 2;
inline constexpr u32 APPLY_SAMPLER = 1u << 3;
inline constexpr u32 APPLY_ALPHA_TEST = 1u << 4;
inline constexpr u32 APPLY_CAMERA = 1u << 5;
inline constexpr u32 APPLY_LIGHTS = 1u << 6;
// The four blocks bound to their binding points (forced applies only).
inline constexpr u32 APPLY_BLOCK_BINDINGS = 1u << 7;

// What Apply sends when aTop is wanted and aLast was sent last.
u32 ComputeApplyMask(const GraphicsState& aTop, const GraphicsState& aLast, bool aForce);

// The block contents for a state; colours go from sRGB to linear (alpha as is).
FrameBlock PackFrameBlock(float aRenderWidth, float aRenderHeight, float aTotalTime, float aDeltaTime);
CameraBlock PackCameraBlock(const Camera& aCamera);
LightBlock PackLightBlock(const GraphicsState& aState);
AlphaTestBlock PackAlphaTestBlock(const GraphicsState& aState);

// The screen-space camera: identity transform, orthographic over x 0..width, y 0..height (y up)
// and depth -1..1.
Camera MakeScreenSpaceCamera(float aRenderWidth, float aRenderHeight);

class GraphicsStateStack
{
public:
    GraphicsStateStack();
    ~GraphicsStateStack();
    GraphicsStateStack(const GraphicsStateStack&) = delete;
    GraphicsStateStack& operator=(const GraphicsStateStack&) = delete;

    // Creates the samplers and the four blocks, loads the two environment cube maps through
    // aTextureManager (none when null), resets the base state and sends it. Makes this the stack
    // that shaders apply (GetActive). False when a GL object cannot be created.
    bool Init(TextureManager* aTextureManager);
    // The start of a frame: every push of the last frame must have been popped. Writes the frame
    // block (render size of the active target, the engine's total and delta time), then resets
    // and sends the base state.
    void BeginFrame();
    void BeginFrame(float aTotalTime, float aDeltaTime);

    void Push();
    // Nothing reaches GL here: the next Apply sends what differs.
    void Pop();

    // Out-of-range indices leave the state as it was.
    void SetBlendState(u32 aIndex);
    void SetDepthStencilState(u32 aIndex);
    void SetRasterizerState(u32 aIndex);
    void SetSamplerState(u32 aFilter, u32 aAddress);

    void SetAlphaTestThreshold(float aThreshold);
    void SetAlphaTestVector(const Vector4f& aVector);

    // Each call takes a new stamp, so Apply marks the camera block for sending even for an equal
    // camera (its bytes reach GL only when they differ from what the buffer holds).
    void SetCamera(const Camera& aCamera);
    void SetScreenSpaceCamera();
    // Read only: a camera changes through SetCamera, which is what marks it for sending.
    const Camera& GetCamera() const { return GetTop().myCamera; }

    // The world transform the sprite and model drawers multiply by (read per record, not sent
    // by Apply), so it may be edited in place.
    Matrix4x4& GetTransform() { return myRenderStateStack.back().myTransform; }
    const Matrix4x4& GetTransform() const { return GetTop().myTransform; }
    void SetTransform(const Matrix4x4& aTransform) { GetTransform() = aTransform; }

    // Lights; each call marks the light block for sending. An index past the eight lights or a
    // count above eight is ignored.
    void SetPointLight(u32 aIndex, const PointLight& aLight);
    void SetLightCount(u32 aCount);
    void SetLightColors(const Color& aFirstColor, const Color& aSecondColor);
    void SetLightScalar(float aScalar);
    void SetLightMatrix(const Matrix4x4& aMatrix);
    // ENVIRONMENT_MAP_WHITE, _HORIZON, or _TEXTURE with aTexture (a texture that is not a cube map
    // binds an empty cube).
    void SetEnvironmentMap(u32 aChoice, Texture* aTexture = nullptr);

    // Sends the top state (see ComputeApplyMask). A change of the device's state epoch (clears,
    // presents and uploads that touched GL state) forces a full send.
    void Apply(bool aForce);
    // The same for a state kept from earlier (a sprite batch's, sent again before each of its
    // draws); the next Apply compares the top state with it.
    void ApplyState(const GraphicsState& aState, bool aForce);

    const GraphicsState& GetTop() const { return myRenderStateStack.back(); }
    const GraphicsState& GetLastApplied() const { return myLastApplied; }
    size_t GetStackSize() const { return myRenderStateStack.size(); }
    // What the last Apply sent (APPLY_* bits).
    u32 GetLastApplyMask() const { return myLastApplyMask; }
    TextureManager* GetTextureManager() const { return myTextureManager; }
    const impl::gl::Buffer& GetFrameBuffer() const { return myFrameBuffer; }
    const impl::gl::Buffer& GetCameraBuffer() const { return myCameraBuffer; }
    const impl::gl::Buffer& GetLightBuffer() const { return myLightBuffer; }
    const impl::gl::Buffer& GetAlphaTestBuffer() const { return myAlphaTestBuffer; }
    u32 GetSampler(u32 aFilter, u32 aAddress) const;

    // The stack the shaders apply: the last one initialised that still exists.
    static GraphicsStateStack* GetActive();

private:
    void ResetBaseState();
    GraphicsState& Top() { return myRenderStateStack.back(); }
    void MarkLightsChanged();
    std::pair<float, float> GetRenderSize() const;
    void BindEnvironmentMap(const GraphicsState& aState) const;

    // The bytes a block buffer last received. Only the stack writes these buffers, so a block
    // equal to them is not sent again: a frame that starts with the same camera, lights and alpha
    // test as the last one uploads nothing for them (an upload may wait for draws still reading
    // the buffer).
    template <typename Block>
    struct SentBlock
    {
        Block myBlock;
        bool myIsValid = false;

        void Forget() { myIsValid = false; }
        void Send(const impl::gl::Buffer& aBuffer, const Block& aBlock)
        {
            if (myIsValid && std::memcmp(&myBlock, &aBlock, sizeof(Block)) == 0)
                return;
            impl::gl::UpdateUniformBuffer(aBuffer, 0, sizeof(Block), &aBlock);
            myBlock = aBlock;
            myIsValid = static_cast<bool>(aBuffer);
        }
    };

    GraphicsState myLastApplied;
    std::vector<GraphicsState> myRenderStateStack;
    u32 myAlphaTestCounter = 0;
    u32 myLightCounter = 0;
    u32 myCameraCounter = 0;
    impl::gl::Sampler mySamplers[SAMPLER_FILTER_COUNT][SAMPLER_ADDRESS_COUNT];
    impl::gl::Buffer myAlphaTestBuffer;
    impl::gl::Buffer myFrameBuffer;
    impl::gl::Buffer myCameraBuffer;
    impl::gl::Buffer myLightBuffer;
    SentBlock<AlphaTestBlock> mySentAlphaTest;
    SentBlock<CameraBlock> mySentCamera;
    SentBlock<LightBlock> mySentLights;
    Texture* myWhiteCubeMap = nullptr;
    Texture* myHorizonCubeMap = nullptr;
    TextureManager* myTextureManager = nullptr;
    u64 myAppliedEpoch = 0;
    u64 myAppliedOutputEpoch = 0;
    u32 myLastApplyMask = 0;
};
}
