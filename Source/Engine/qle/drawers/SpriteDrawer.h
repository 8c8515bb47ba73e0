#pragma once
// Instanced sprite drawing. One quad (x 0..1, y -1..0) lives in a vertex buffer; every sprite is
// one 112-byte instance (world matrix, linear colour, UV rectangle, extra values). A caller opens a
// batch with its textures and, optionally, its own sprite shader, draws any number of sprites into
// the scope and lets it end; every BATCH_SIZE sprites go out as one instanced draw.
//
//     SpriteBatchScope batch = drawer.BeginBatch({texture});
//     batch.Draw(sprite);          // or Draw(records, count)
//     // the batch ends (and draws) when the scope dies, or at batch.End()
//
// Blend, depth and sampler state and the camera are taken from the graphics state when the batch
// begins; the state's world transform is read for every record as it is drawn.
#include "core/Types.h"
#include "drawers/SpriteInstanceStream.h"
#include "graphics/GLObjects.h"
#include "graphics/GraphicsStateStack.h"
#include "graphics/SpriteShader.h"
#include "math/Color.h"
#include "math/Matrix4x4.h"
#include "math/Vector.h"

#include <memory>
#include <span>

namespace Qel
{
class SpriteDrawer;

// A sprite in the plane: the quad of size × scale, rotated about its pivot, with the pivot on the
// position. Pivot (0, 0) is the top-left corner and (1, 1) the bottom-right, y pointing up.
struct Sprite2DInstanceData
{
    Vector2f myPosition;
    Vector2f myPivot;
    Vector2f mySize{1.0f, 1.0f};
    Vector2f myScale{1.0f, 1.0f};
    // u0, v0, u1, v1: passed to the shader as given.
    Vector4f myUVRect{0.0f, 0.0f, 1.0f, 1.0f};
    Color myColor{1.0f, 1.0f, 1.0f, 1.0f};   // sRGB, alpha linear
    Vector4f myExtra;
    float myRotation = 0.0f;   // radians
    // True: not drawn, and takes no instance.
    bool mySkip = false;
};
static_assert(sizeof(Sprite2DInstanceData) == 22 * 4);

// A sprite placed by a full matrix (row-vector convention) in place of position, pivot and size.
struct Sprite3DInstanceData
{
    Matrix4x4 myTransform;
    Vector4f myUVRect{0.0f, 0.0f, 1.0f, 1.0f};
    Color myColor{1.0f, 1.0f, 1.0f, 1.0f};
    Vector4f myExtra;
    bool mySkip = false;
};

// One instance as the vertex shader reads it (TEXCOORD1-7).
struct SpriteInstance
{
    float myWorld[16];
    // Linear rgb, alpha as given.
    float myColor[4];
    float myUVRect[4];
    // Extra values in the order 1st, 4th, 3rd, 2nd.
    float myExtra[4];
};
static_assert(sizeof(SpriteInstance) == 112);

// The instance of a record under the graphics state's world transform.
void BuildSpriteInstance(const Sprite2DInstanceData& aRecord, const Matrix4x4& aTransform, SpriteInstance& aOut);
void BuildSpriteInstance(const Sprite3DInstanceData& aRecord, const Matrix4x4& aTransform, SpriteInstance& aOut);

// An open batch. Move-only; ends (drawing what it holds) when it dies.
class SpriteBatchScope
{
public:
    SpriteBatchScope() = default;
    ~SpriteBatchScope() { End(); }
    SpriteBatchScope(const SpriteBatchScope&) = delete;
    SpriteBatchScope& operator=(const SpriteBatchScope&) = delete;
    SpriteBatchScope(SpriteBatchScope&& aOther) noexcept;
    SpriteBatchScope& operator=(SpriteBatchScope&& aOther) noexcept;

    void Draw(const Sprite2DInstanceData& aRecord) { Draw(&aRecord, 1); }
    void Draw(const Sprite3DInstanceData& aRecord) { Draw(&aRecord, 1); }
    void Draw(const Sprite2DInstanceData* aRecords, size_t aCount);
    void Draw(const Sprite3DInstanceData* aRecords, size_t aCount);
    void Draw(std::span<const Sprite2DInstanceData> aRecords) { Draw(aRecords.data(), aRecords.size()); }
    void Draw(std::span<const Sprite3DInstanceData> aRecords) { Draw(aRecords.data(), aRecords.size()); }

    // Draws what is left and closes the batch; nothing once ended.
    void End();

    bool IsOpen() const { return mySpriteDrawer != nullptr; }
    // Instances waiting for the next draw.
    u64 GetInstanceCount() const { return myInstanceCount; }

private:
    friend class SpriteDrawer;

    void Map();
    void Flush();
    template <typename Record>
    void DrawRecords(const Record* aRecords, size_t aCount);

    SpriteDrawer* mySpriteDrawer = nullptr;
    SpriteInstance* myMappedInstances = nullptr;
    u64 myInstanceCount = 0;
};

class SpriteDrawer
{
public:
    static constexpr u32 BATCH_SIZE = 1024;
    static constexpr u32 QUAD_VERTEX_COUNT = 6;

    // One corner of the quad (32 bytes: POSITION float4, TEXCOORD0 uint4).
    struct QuadVertex
    {
        float myPosition[4];
        u32 myCornerIndex[4];
    };
    static_assert(sizeof(QuadVertex) == 32);

    struct Statistics
    {
        u64 myDrawCalls = 0;
        u64 myInstances = 0;
        u64 myLastDrawInstances = 0;
    };

    SpriteDrawer();
    virtual ~SpriteDrawer();
    SpriteDrawer(const SpriteDrawer&) = delete;
    SpriteDrawer& operator=(const SpriteDrawer&) = delete;

    // The instance buffer, the default shader ("shaders/instanced_sprite_shader_VS" with
    // "shaders/model_shader_vertex_color_textured_PS") and the quad. False, and not loaded, when
    // any of them fails.
    bool Init();
    bool IsLoaded() const { return myIsLoaded; }
    bool IsInBatch() const { return myIsInBatch; }

    // Opens the batch (one at a time): binds the shader (the shared data's, or the default), the
    // textures and the graphics state. A drawer that is not loaded, or a shader that cannot
    // render, gives a scope that draws nothing.
    SpriteBatchScope BeginBatch(const SpriteSharedData& aSharedData);
    // Called by the engine as each frame starts (not inside a batch): the instances of one frame
    // then share one fence.
    void BeginFrame();

    SpriteShader* GetDefaultShader() const { return myDefaultShader.get(); }
    const QuadVertex* GetQuadVertices() const { return myQuadVertices; }
    const Statistics& GetStatistics() const { return myStatistics; }
    const SpriteInstanceStream& GetInstanceStream() const { return myInstanceStream; }
    void ResetStatistics() { myStatistics = {}; }

protected:
    // Loaded with the CPU side only (the quad and the instance staging), for a drawer whose
    // BindBatch and SubmitInstances go somewhere other than the device.
    bool InitWithoutDevice();
    // Binds what a batch draws with; false when there is nothing to draw with.
    virtual bool BindBatch(const SpriteSharedData& aSharedData);
    // One instanced draw of the first aCount staged instances. A drawer loaded by Init writes its
    // instances straight into the device's ring instead and comes here only when that cannot be
    // mapped.
    virtual void SubmitInstances(const SpriteInstance* aInstances, u64 aCount);

private:
    friend class SpriteBatchScope;

    SpriteInstance* MapInstances();
    void FlushInstances(u64 aCount);
    void EndBatch();
    void InitCpuSide();
    // The instanced draw of aCount instances at aOffset in the ring.
    void DrawFromStream(size_t aOffset, u64 aCount);

    impl::gl::Buffer myVertexBuffer;
    // Instances of every flush, one after another (see SpriteInstanceStream).
    SpriteInstanceStream myInstanceStream;
    QuadVertex myQuadVertices[QUAD_VERTEX_COUNT] = {};
    std::unique_ptr<SpriteShader> myDefaultShader;
    bool myIsLoaded = false;
    bool myIsInBatch = false;
    // The "mapped" instance buffer: written by the scope, uploaded at each flush.
    std::unique_ptr<SpriteInstance[]> myStaging;
    // What the open batch draws with, bound again at each of its draws in case other drawing came
    // between: its shader (null while the batch draws nothing), textures and the graphics state
    // as it stood when the batch began.
    SpriteShader* myBatchShader = nullptr;
    SpriteSharedData myBatchSharedData;
    GraphicsState myBatchState;
    // The frame's draw count and the device's state epoch when the batch's bindings were last
    // sent: unchanged at the next draw (but for that draw's own count), nothing came between.
    u32 myBoundDrawCount = 0;
    u64 myBoundStateEpoch = 0;
    u64 myBoundOutputEpoch = 0;
    bool myBatchCanDraw = false;
    // Loaded by Init: instances are mapped in the ring (at myMappedOffset) rather than staged.
    bool myWritesInPlace = false;
    size_t myMappedOffset = 0;
    Statistics myStatistics;
};
}
