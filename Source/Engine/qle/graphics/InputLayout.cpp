#include "graphics/InputLayout.h"

#include "graphics/DeviceContext.h"
#include "graphics/DX11.h"
#include "graphics/GL.h"

namespace Qel
{
u32 GetVertexFormatSize(VertexFormat aFormat)
{
    switch (aFormat)
    {
    case VertexFormat::Float1:
        return 4;
    case VertexFormat::Float2:
        return 8;
    case VertexFormat::Float3:
        return 12;
    case VertexFormat::Float4:
    case VertexFormat::UInt4:
        return 16;
    }
    return 0;
}

namespace
{
GLint ComponentCount(VertexFormat aFormat)
{
    switch (aFormat)
    {
    case VertexFormat::Float1:
        return 1;
    case VertexFormat::Float2:
        return 2;
    case VertexFormat::Float3:
        return 3;
    case VertexFormat::Float4:
    case VertexFormat::UInt4:
        return 4;
    }
    return 4;
}
}

std::shared_ptr<InputLayout> InputLayout::Create(std::span<const InputElementDesc> aElements)
{
    if (aElements.empty() || aElements.size() > MAX_ELEMENTS || !DX11::IsContextAlive())
        return nullptr;
    std::shared_ptr<InputLayout> layout(new InputLayout);
    std::array<u32, MAX_INPUT_SLOTS> nextOffset{};
    for (const InputElementDesc& desc : aElements)
    {
        if (desc.myInputSlot >= MAX_INPUT_SLOTS)
            return nullptr;
        Element& element = layout->myElements[layout->myElementCount++];
        element.myFormat = desc.myFormat;
        element.mySlot = desc.myInputSlot;
        element.myOffset = desc.myAlignedByteOffset == APPEND_ALIGNED_ELEMENT ? nextOffset[desc.myInputSlot]
                                                                               : desc.myAlignedByteOffset;
        element.myDivisor = desc.myClassification == InputClassification::PerInstance ? desc.myInstanceDataStepRate : 0;
        nextOffset[desc.myInputSlot] = element.myOffset + GetVertexFormatSize(desc.myFormat);
    }
    layout->myVertexArray = impl::gl::CreateVertexArray();
    if (!layout->myVertexArray)
        return nullptr;
    glBindVertexArray(layout->myVertexArray.Get());
    for (u32 location = 0; location < layout->myElementCount; ++location)
        glVertexAttribDivisor(location, layout->myElements[location].myDivisor);
    // Layouts are made lazily, between draws: the vertex array the device context records as bound
    // must stay the bound one, or the next indexed draw attaches its indices to this new array.
    RebindRecordedVertexArray();
    return layout;
}

InputLayout::~InputLayout() { DeviceContext::ForgetInputLayout(this); }

void InputLayout::SetVertexBuffers(u32 aStartSlot, u32 aCount, const u32* aBuffers, const u32* aStrides,
                                   const u32* aOffsets)
{
    glBindVertexArray(myVertexArray.Get());
    SetVertexBuffersOnBound(aStartSlot, aCount, aBuffers, aStrides, aOffsets);
    if (DeviceContext::GetInputLayout() != this)
        RebindRecordedVertexArray();
}

void InputLayout::RebindRecordedVertexArray()
{
    if (const InputLayout* recorded = DeviceContext::GetInputLayout())
        glBindVertexArray(recorded->GetVertexArray());
    else if (DX11* device = DX11::GetInstance())
        glBindVertexArray(device->GetEmptyVertexArray());
    else
        glBindVertexArray(0);
}

void InputLayout::SetVertexBuffersOnBound(u32 aStartSlot, u32 aCount, const u32* aBuffers, const u32* aStrides,
                                          const u32* aOffsets)
{
    // A buffer name can be recycled for a new buffer after a delete: after any delete every slot is
    // pointed again; otherwise a slot that keeps its buffer, stride and offset is left as it is.
    const u64 deletes = impl::gl::GetBufferDeleteCount();
    if (deletes != myBufferDeletesSeen)
    {
        myBufferDeletesSeen = deletes;
        for (SlotBinding& binding : mySlots)
            binding.myIsPointed = false;
    }
    bool boundAny = false;
    for (u32 i = 0; i < aCount; ++i)
    {
        const u32 slot = aStartSlot + i;
        if (slot >= MAX_INPUT_SLOTS)
            break;
        const SlotBinding wanted{aBuffers[i], aStrides[i], aOffsets[i], true};
        const SlotBinding& held = mySlots[slot];
        if (held.myIsPointed && held.myBuffer == wanted.myBuffer && held.myStride == wanted.myStride &&
            held.myOffset == wanted.myOffset)
            continue;
        mySlots[slot] = wanted;
        glBindBuffer(GL_ARRAY_BUFFER, wanted.myBuffer);
        boundAny = true;
        for (u32 location = 0; location < myElementCount; ++location)
        {
            const Element& element = myElements[location];
            if (element.mySlot != slot)
                continue;
            if (wanted.myBuffer == 0)
            {
                glDisableVertexAttribArray(location);
                continue;
            }
            const uintptr_t offset = wanted.myOffset + element.myOffset;
            const void* pointer = reinterpret_cast<const void*>(offset);
            if (element.myFormat == VertexFormat::UInt4)
                glVertexAttribIPointer(location, 4, GL_UNSIGNED_INT, static_cast<GLsizei>(wanted.myStride), pointer);
            else
                glVertexAttribPointer(location, ComponentCount(element.myFormat), GL_FLOAT, GL_FALSE,
                                      static_cast<GLsizei>(wanted.myStride), pointer);
            glEnableVertexAttribArray(location);
        }
    }
    if (boundAny)
        glBindBuffer(GL_ARRAY_BUFFER, 0);
}
}
