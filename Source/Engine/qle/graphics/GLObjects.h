#pragma once
// Owning handles over GL object names. Move-only; a handle deletes its object when it dies, unless
// the context is already gone (then the name died with it). Where two owners must share an object
// (copied shaders share their input layout and custom buffer), hold the handle in a shared_ptr.
#include "core/Types.h"

#include <cstddef>
#include <utility>

namespace Qel::impl::gl
{
void DeleteBufferName(u32 aName);
// How many buffers were deleted so far: a name seen before a delete may now be another buffer.
u64 GetBufferDeleteCount();
void DeleteVertexArrayName(u32 aName);
void DeleteSamplerName(u32 aName);
void DeleteShaderName(u32 aName);
void DeleteProgramName(u32 aName);

template <void (*DELETER)(u32)>
class Object
{
public:
    Object() = default;
    explicit Object(u32 aName) : myName(aName) {}
    ~Object() { Reset(); }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    Object(Object&& aOther) noexcept : myName(std::exchange(aOther.myName, 0u)) {}
    Object& operator=(Object&& aOther) noexcept
    {
        if (this != &aOther)
        {
            Reset();
            myName = std::exchange(aOther.myName, 0u);
        }
        return *this;
    }

    void Reset(u32 aName = 0)
    {
        if (myName != 0)
            DELETER(myName);
        myName = aName;
    }
    u32 Get() const { return myName; }
    explicit operator bool() const { return myName != 0; }

private:
    u32 myName = 0;
};

using Buffer = Object<DeleteBufferName>;
using VertexArray = Object<DeleteVertexArrayName>;
using Sampler = Object<DeleteSamplerName>;
using ShaderObject = Object<DeleteShaderName>;
using Program = Object<DeleteProgramName>;

enum class BufferUsage : u8
{
    // Written once.
    Static,
    // Rewritten often, whole or in part (constant blocks).
    Dynamic,
    // Rewritten every use (instance streams).
    Stream,
};

// A vertex buffer (GL_ARRAY_BUFFER) or a uniform block buffer (GL_UNIFORM_BUFFER) of aSize bytes,
// filled with aData when given. Leaves the target unbound.
Buffer CreateVertexBuffer(size_t aSize, const void* aData, BufferUsage aUsage);
Buffer CreateUniformBuffer(size_t aSize, const void* aData = nullptr);
// Replaces aSize bytes at aOffset.
void UpdateUniformBuffer(const Buffer& aBuffer, size_t aOffset, size_t aSize, const void* aData);
void UpdateVertexBuffer(const Buffer& aBuffer, size_t aOffset, size_t aSize, const void* aData);
// Gives the vertex buffer fresh storage of aSize bytes (the driver keeps the old until draws using
// it are done), then writes aSize bytes of aData.
void OrphanAndFillVertexBuffer(const Buffer& aBuffer, size_t aBufferSize, size_t aSize, const void* aData);

// Replaces a uniform block's storage with aSize bytes of aData, as a Direct3D map with discard: a
// draw still reading the old contents keeps them, and the writer never waits for it.
void OrphanAndFillUniformBuffer(const Buffer& aBuffer, size_t aSize, const void* aData);

VertexArray CreateVertexArray();
}
