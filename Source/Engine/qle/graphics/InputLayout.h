#pragma once
// What a vertex shader reads from which vertex buffer: Direct3D's input layout as a vertex array
// object. Element k of the description feeds attribute location k of the vertex shader, so the
// GLSL side declares `layout(location = k) in ...` in the order of the description.
#include "core/Types.h"
#include "graphics/GLObjects.h"

#include <array>
#include <memory>
#include <span>

namespace Qel
{
enum class VertexFormat : u8
{
    Float1,
    Float2,
    Float3,
    Float4,
    // Four 32-bit unsigned integers, read as uvec4 (never converted to float).
    UInt4,
};

enum class InputClassification : u8
{
    PerVertex,
    PerInstance,
};

// The offset that follows the previous element of the same slot.
inline constexpr u32 APPEND_ALIGNED_ELEMENT = 0xffffffffu;

struct InputElementDesc
{
    const char* mySemanticName = "";
    u32 mySemanticIndex = 0;
    VertexFormat myFormat = VertexFormat::Float4;
    u32 myInputSlot = 0;
    u32 myAlignedByteOffset = APPEND_ALIGNED_ELEMENT;
    InputClassification myClassification = InputClassification::PerVertex;
    u32 myInstanceDataStepRate = 0;
};

u32 GetVertexFormatSize(VertexFormat aFormat);

class InputLayout
{
public:
    static constexpr u32 MAX_ELEMENTS = 16;
    static constexpr u32 MAX_INPUT_SLOTS = 4;

    struct Element
    {
        VertexFormat myFormat = VertexFormat::Float4;
        u32 mySlot = 0;
        u32 myOffset = 0;
        u32 myDivisor = 0;
    };

    // Null when the description is empty or too long, names a slot past MAX_INPUT_SLOTS, or no GL
    // context is current.
    static std::shared_ptr<InputLayout> Create(std::span<const InputElementDesc> aElements);
    ~InputLayout();
    InputLayout(const InputLayout&) = delete;
    InputLayout& operator=(const InputLayout&) = delete;

    u32 GetVertexArray() const { return myVertexArray.Get(); }

    // Direct3D's IASetVertexBuffers on this layout: points the attributes of each slot in
    // [aStartSlot, aStartSlot + aCount) at its buffer, stride and offset (a buffer of 0 turns the
    // slot's attributes off).
    // The vertex array the device context records as bound stays bound afterwards.
    void SetVertexBuffers(u32 aStartSlot, u32 aCount, const u32* aBuffers, const u32* aStrides, const u32* aOffsets);

private:
    InputLayout() = default;
    // Binds the vertex array DeviceContext records as bound (its empty one when none).
    static void RebindRecordedVertexArray();
    void SetVertexBuffersOnBound(u32 aStartSlot, u32 aCount, const u32* aBuffers, const u32* aStrides,
                                 const u32* aOffsets);

    struct SlotBinding
    {
        u32 myBuffer = 0;
        u32 myStride = 0;
        u32 myOffset = 0;
        bool myIsPointed = false;
    };

    impl::gl::VertexArray myVertexArray;
    std::array<Element, MAX_ELEMENTS> myElements{};
    u32 myElementCount = 0;
    std::array<SlotBinding, MAX_INPUT_SLOTS> mySlots{};
    u64 myBufferDeletesSeen = 0;
};
}
