#include "drawers/SpriteDrawer.h"

#include "core/Assert.h"
#include "engine/Engine.h"
#include "graphics/ColorSpace.h"
#include "graphics/DeviceContext.h"
#include "graphics/DX11.h"
#include "graphics/GraphicsStateStack.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace Qel
{
namespace
{
constexpr const char* DEFAULT_VERTEX_SHADER = "shaders/instanced_sprite_shader_VS";
constexpr const char* DEFAULT_PIXEL_SHADER = "shaders/model_shader_vertex_color_textured_PS";
constexpr size_t BATCH_BYTES = SpriteDrawer::BATCH_SIZE * sizeof(SpriteInstance);
// The instance ring starts at four segments of four batches and may grow to segments of 128 (a
// frame of about 130,000 sprites in one segment).
constexpr size_t FIRST_SEGMENT_BYTES = 4 * BATCH_BYTES;
constexpr size_t MAX_SEGMENT_BYTES = 128 * BATCH_BYTES;

// The colour table is looked up once per Draw, not once per record.
inline void WriteCommon(const Vector4f& aUVRect, const Color& aColor, const Vector4f& aExtra,
                        const impl::SrgbByteTable& aTable, SpriteInstance& aOut)
{
    aOut.myColor[0] = impl::SrgbToLinear(aColor.r, aTable);
    aOut.myColor[1] = impl::SrgbToLinear(aColor.g, aTable);
    aOut.myColor[2] = impl::SrgbToLinear(aColor.b, aTable);
    aOut.myColor[3] = aColor.a;
    aOut.myUVRect[0] = aUVRect.x;
    aOut.myUVRect[1] = aUVRect.y;
    aOut.myUVRect[2] = aUVRect.z;
    aOut.myUVRect[3] = aUVRect.w;
    aOut.myExtra[0] = aExtra.x;
    aOut.myExtra[1] = aExtra.w;
    aOut.myExtra[2] = aExtra.z;
    aOut.myExtra[3] = aExtra.y;
}

inline void Build(const Sprite2DInstanceData& aRecord, const float* aTransform, const impl::SrgbByteTable& aTable,
                  SpriteInstance& aOut)
{
    const float sx = aRecord.mySize.x * aRecord.myScale.x;
    const float sy = aRecord.mySize.y * aRecord.myScale.y;
    float c = 1.0f, s = 0.0f;
    if (aRecord.myRotation != 0.0f)
    {
        c = std::cos(aRecord.myRotation);
        s = std::sin(aRecord.myRotation);
    }
    // Local rows: (sx c, sx s, 0, 0), (-sy s, sy c, 0, 0), (0, 0, 1, 0), (tx, ty, 0, 1), which puts
    // the quad's point (pivot x, -pivot y) on the position.
    const float l00 = sx * c, l01 = sx * s;
    const float l10 = -sy * s, l11 = sy * c;
    const float tx = aRecord.myPosition.x - aRecord.myPivot.x * sx * c - aRecord.myPivot.y * sy * s;
    const float ty = aRecord.myPosition.y - aRecord.myPivot.x * sx * s + aRecord.myPivot.y * sy * c;
    const float* t0 = aTransform;
    const float* t1 = aTransform + 4;
    const float* t2 = aTransform + 8;
    const float* t3 = aTransform + 12;
    float* w = aOut.myWorld;
    for (int k = 0; k < 4; ++k)
    {
        w[k] = l00 * t0[k] + l01 * t1[k];
        w[4 + k] = l10 * t0[k] + l11 * t1[k];
        w[8 + k] = t2[k];
        w[12 + k] = tx * t0[k] + ty * t1[k] + t3[k];
    }
    WriteCommon(aRecord.myUVRect, aRecord.myColor, aRecord.myExtra, aTable, aOut);
}

inline void Build(const Sprite3DInstanceData& aRecord, const float* aTransform, const impl::SrgbByteTable& aTable,
                  SpriteInstance& aOut)
{
    const float* m = aRecord.myTransform.GetData();
    float* w = aOut.myWorld;
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 4; ++k)
            w[4 * r + k] = m[4 * r] * aTransform[k] + m[4 * r + 1] * aTransform[4 + k] +
                           m[4 * r + 2] * aTransform[8 + k] + m[4 * r + 3] * aTransform[12 + k];
    WriteCommon(aRecord.myUVRect, aRecord.myColor, aRecord.myExtra, aTable, aOut);
}

const Matrix4x4& CurrentTransform()
{
    static const Matrix4x4 identity;
    const GraphicsStateStack* stack = GraphicsStateStack::GetActive();
    return stack ? stack->GetTransform() : identity;
}
}

void BuildSpriteInstance(const Sprite2DInstanceData& aRecord, const Matrix4x4& aTransform, SpriteInstance& aOut)
{
    Build(aRecord, aTransform.GetData(), impl::GetSrgbByteTable(), aOut);
}

void BuildSpriteInstance(const Sprite3DInstanceData& aRecord, const Matrix4x4& aTransform, SpriteInstance& aOut)
{
    Build(aRecord, aTransform.GetData(), impl::GetSrgbByteTable(), aOut);
}

// ---- SpriteBatchScope --------------------------------------------------------------------------

SpriteBatchScope::SpriteBatchScope(SpriteBatchScope&& aOther) noexcept
    : mySpriteDrawer(std::exchange(aOther.mySpriteDrawer, nullptr)),
      myMappedInstances(std::exchange(aOther.myMappedInstances, nullptr)),
      myInstanceCount(std::exchange(aOther.myInstanceCount, 0))
{
}

SpriteBatchScope& SpriteBatchScope::operator=(SpriteBatchScope&& aOther) noexcept
{
    if (this != &aOther)
    {
        End();
        mySpriteDrawer = std::exchange(aOther.mySpriteDrawer, nullptr);
        myMappedInstances = std::exchange(aOther.myMappedInstances, nullptr);
        myInstanceCount = std::exchange(aOther.myInstanceCount, 0);
    }
    return *this;
}

void SpriteBatchScope::Map()
{
    QEL_ASSERT(mySpriteDrawer);
    QEL_ASSERT(myInstanceCount == 0);
    myMappedInstances = mySpriteDrawer->MapInstances();
}

void SpriteBatchScope::Flush()
{
    QEL_ASSERT(mySpriteDrawer);
    mySpriteDrawer->FlushInstances(myInstanceCount);
    myMappedInstances = nullptr;
    myInstanceCount = 0;
}

void SpriteBatchScope::End()
{
    if (!mySpriteDrawer)
        return;
    Flush();
    mySpriteDrawer->EndBatch();
    mySpriteDrawer = nullptr;
}

template <typename Record>
void SpriteBatchScope::DrawRecords(const Record* aRecords, size_t aCount)
{
    if (!mySpriteDrawer)
        return;
    QEL_ASSERT_TEXT(myInstanceCount < SpriteDrawer::BATCH_SIZE, "myInstanceCount < BATCH_SIZE");
    const float* transform = CurrentTransform().GetData();
    const impl::SrgbByteTable& table = impl::GetSrgbByteTable();
    for (size_t i = 0; i < aCount; ++i)
    {
        const Record& record = aRecords[i];
        if (record.mySkip)
            continue;
        // Instances are mapped when the first one is written, so a draw that ends a batch exactly
        // full, or a batch that stays empty, maps nothing.
        if (!myMappedInstances)
        {
            Map();
            if (!myMappedInstances)
                return;   // a batch without a shader to draw with takes nothing
        }
        Build(record, transform, table, myMappedInstances[myInstanceCount]);
        if (++myInstanceCount == SpriteDrawer::BATCH_SIZE)
            Flush();
    }
}

void SpriteBatchScope::Draw(const Sprite2DInstanceData* aRecords, size_t aCount) { DrawRecords(aRecords, aCount); }
void SpriteBatchScope::Draw(const Sprite3DInstanceData* aRecords, size_t aCount) { DrawRecords(aRecords, aCount); }

// ---- SpriteDrawer ------------------------------------------------------------------------------

SpriteDrawer::SpriteDrawer() = default;

SpriteDrawer::~SpriteDrawer() = default;

void SpriteDrawer::InitCpuSide()
{
    // Two triangles, 0-1-2 and 3-4-5, over x 0..1 and y -1..0.
    static constexpr float corners[QUAD_VERTEX_COUNT][2] = {{0, -1}, {0, 0}, {1, -1}, {1, 0}, {1, -1}, {0, 0}};
    for (u32 i = 0; i < QUAD_VERTEX_COUNT; ++i)
        myQuadVertices[i] = QuadVertex{{corners[i][0], corners[i][1], 0.0f, 1.0f}, {i, 0, 0, 0}};
    if (!myStaging)
        myStaging = std::make_unique<SpriteInstance[]>(BATCH_SIZE);
}

bool SpriteDrawer::InitWithoutDevice()
{
    InitCpuSide();
    myWritesInPlace = false;
    myIsLoaded = true;
    return true;
}

bool SpriteDrawer::Init()
{
    myIsLoaded = false;
    if (!myInstanceStream.Init(FIRST_SEGMENT_BYTES, MAX_SEGMENT_BYTES))
        return false;
    myDefaultShader = std::make_unique<SpriteShader>();
    if (!myDefaultShader->Init(DEFAULT_VERTEX_SHADER, DEFAULT_PIXEL_SHADER))
        return false;
    InitCpuSide();
    myVertexBuffer =
        impl::gl::CreateVertexBuffer(sizeof(myQuadVertices), myQuadVertices, impl::gl::BufferUsage::Static);
    myIsLoaded = static_cast<bool>(myVertexBuffer);
    myWritesInPlace = myIsLoaded;
    return myIsLoaded;
}

bool SpriteDrawer::BindBatch(const SpriteSharedData& aSharedData)
{
    SpriteShader* shader = aSharedData.myCustomShader ? aSharedData.myCustomShader : myDefaultShader.get();
    if (!shader || !shader->Render(aSharedData))
        return false;
    const u32 buffers[2] = {myVertexBuffer.Get(), myInstanceStream.GetBuffer()};
    const u32 strides[2] = {sizeof(QuadVertex), sizeof(SpriteInstance)};
    const u32 offsets[2] = {0, 0};
    DeviceContext::IASetVertexBuffers(0, 2, buffers, strides, offsets);
    myBatchShader = shader;
    myBatchSharedData = aSharedData;
    // Render applied the top state: that is the batch's.
    if (const GraphicsStateStack* stack = GraphicsStateStack::GetActive())
        myBatchState = stack->GetTop();
    myBoundDrawCount = ourDrawCallCount;
    myBoundStateEpoch = DX11::GetStateEpoch();
    myBoundOutputEpoch = DX11::GetOutputEpoch();
    return true;
}

void SpriteDrawer::BeginFrame()
{
    // A batch left open across frames keeps its segment: the fence waits for the next frame.
    if (myInstanceStream && !myIsInBatch)
        myInstanceStream.BeginFrame();
}

SpriteBatchScope SpriteDrawer::BeginBatch(const SpriteSharedData& aSharedData)
{
    SpriteBatchScope scope;
    // Without its shaders the drawer draws nothing rather than stopping the game.
    if (!myIsLoaded)
        return scope;
    QEL_ASSERT(!myIsInBatch);
    myIsInBatch = true;
    myBatchShader = nullptr;
    myBatchCanDraw = BindBatch(aSharedData);
    // The scope maps its instances when it takes the first one.
    scope.mySpriteDrawer = this;
    return scope;
}

SpriteInstance* SpriteDrawer::MapInstances()
{
    if (!myBatchCanDraw)
        return nullptr;
    if (myWritesInPlace && myBatchShader)
    {
        // Straight into the ring: the instances are written once, where the GPU reads them.
        if (void* mapped = myInstanceStream.Map(BATCH_BYTES, myMappedOffset))
            return static_cast<SpriteInstance*>(mapped);
    }
    return myStaging.get();
}

void SpriteDrawer::FlushInstances(u64 aCount)
{
    if (!myBatchCanDraw)
        return;   // the batch had nothing to draw with: no draw, no count
    ++ourDrawCallCount;
    ++myStatistics.myDrawCalls;
    myStatistics.myInstances += aCount;
    myStatistics.myLastDrawInstances = aCount;
    if (myInstanceStream.IsMapped())
    {
        myInstanceStream.Unmap(static_cast<size_t>(aCount) * sizeof(SpriteInstance));
        DrawFromStream(myMappedOffset, aCount);
    }
    else
    {
        SubmitInstances(myStaging.get(), aCount);
    }
}

void SpriteDrawer::SubmitInstances(const SpriteInstance* aInstances, u64 aCount)
{
    // An empty flush is counted but sends nothing.
    if (!myBatchShader || !GraphicsStateStack::GetActive() || aCount == 0)
        return;
    DrawFromStream(myInstanceStream.Write(aInstances, static_cast<size_t>(aCount) * sizeof(SpriteInstance)), aCount);
}

void SpriteDrawer::DrawFromStream(size_t aOffset, u64 aCount)
{
    GraphicsStateStack* stack = GraphicsStateStack::GetActive();
    if (!myBatchShader || !stack || aCount == 0)
        return;
    const u32 buffers[2] = {myVertexBuffer.Get(), myInstanceStream.GetBuffer()};
    const u32 strides[2] = {sizeof(QuadVertex), sizeof(SpriteInstance)};
    // No base instance in GL 3.3: the instance attributes point at this flush's part of the ring.
    const u32 offsets[2] = {0, static_cast<u32>(aOffset)};
    const bool otherDrawingCame = ourDrawCallCount != myBoundDrawCount + 1 ||
                                  DX11::GetStateEpoch() != myBoundStateEpoch ||
                                  DX11::GetOutputEpoch() != myBoundOutputEpoch ||
                                  DeviceContext::GetInputLayout() != myBatchShader->GetInputLayout();
    if (otherDrawingCame || ComputeApplyMask(myBatchState, stack->GetLastApplied(), false) != 0)
    {
        // Everything the batch draws with goes to GL again.
        DeviceContext::SetProgram(myBatchShader->GetProgram());
        DeviceContext::IASetInputLayout(myBatchShader->GetInputLayout());
        DeviceContext::IASetPrimitiveTopology(PrimitiveTopology::TriangleList);
        stack->ApplyState(myBatchState, false);
        myBatchShader->BindResources(myBatchSharedData);
        DeviceContext::IASetVertexBuffers(0, 2, buffers, strides, offsets);
    }
    else
    {
        // The batch's own bindings are still in place (texture uploads put back what they
        // bind): only the instances moved.
        DeviceContext::IASetVertexBuffers(1, 1, buffers + 1, strides + 1, offsets + 1);
    }
    myBoundDrawCount = ourDrawCallCount;
    myBoundStateEpoch = DX11::GetStateEpoch();
    myBoundOutputEpoch = DX11::GetOutputEpoch();
    DeviceContext::DrawInstanced(QUAD_VERTEX_COUNT, static_cast<u32>(aCount), 0, 0);
}

void SpriteDrawer::EndBatch()
{
    QEL_ASSERT(myIsInBatch);
    myIsInBatch = false;
    myBatchCanDraw = false;
    myBatchShader = nullptr;
}
}
