#include "graphics/GLObjects.h"

#include "graphics/DX11.h"
#include "graphics/GL.h"

namespace Qel::impl::gl
{
namespace
{
u64 ourBufferDeletes = 0;
}

void DeleteBufferName(u32 aName)
{
    ++ourBufferDeletes;
    if (DX11::IsContextAlive())
        glDeleteBuffers(1, &aName);
}

u64 GetBufferDeleteCount() { return ourBufferDeletes; }

void DeleteVertexArrayName(u32 aName)
{
    if (DX11::IsContextAlive())
        glDeleteVertexArrays(1, &aName);
}

void DeleteSamplerName(u32 aName)
{
    if (DX11::IsContextAlive())
        glDeleteSamplers(1, &aName);
}

void DeleteShaderName(u32 aName)
{
    if (DX11::IsContextAlive())
        glDeleteShader(aName);
}

void DeleteProgramName(u32 aName)
{
    if (DX11::IsContextAlive())
        glDeleteProgram(aName);
}

namespace
{
GLenum ToGLUsage(BufferUsage aUsage)
{
    switch (aUsage)
    {
    case BufferUsage::Static:
        return GL_STATIC_DRAW;
    case BufferUsage::Dynamic:
        return GL_DYNAMIC_DRAW;
    case BufferUsage::Stream:
        return GL_STREAM_DRAW;
    }
    return GL_DYNAMIC_DRAW;
}

Buffer CreateBuffer(GLenum aTarget, size_t aSize, const void* aData, BufferUsage aUsage)
{
    if (!DX11::IsContextAlive())
        return Buffer();
    GLuint name = 0;
    glGenBuffers(1, &name);
    if (name == 0)
        return Buffer();
    glBindBuffer(aTarget, name);
    glBufferData(aTarget, static_cast<GLsizeiptr>(aSize), aData, ToGLUsage(aUsage));
    glBindBuffer(aTarget, 0);
    return Buffer(name);
}
}

Buffer CreateVertexBuffer(size_t aSize, const void* aData, BufferUsage aUsage)
{
    return CreateBuffer(GL_ARRAY_BUFFER, aSize, aData, aUsage);
}

Buffer CreateUniformBuffer(size_t aSize, const void* aData)
{
    return CreateBuffer(GL_UNIFORM_BUFFER, aSize, aData, BufferUsage::Dynamic);
}

void UpdateUniformBuffer(const Buffer& aBuffer, size_t aOffset, size_t aSize, const void* aData)
{
    if (!aBuffer || aSize == 0)
        return;
    // The generic binding point only; the indexed bindings the shaders read stay as they are.
    glBindBuffer(GL_UNIFORM_BUFFER, aBuffer.Get());
    glBufferSubData(GL_UNIFORM_BUFFER, static_cast<GLintptr>(aOffset), static_cast<GLsizeiptr>(aSize), aData);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

void UpdateVertexBuffer(const Buffer& aBuffer, size_t aOffset, size_t aSize, const void* aData)
{
    if (!aBuffer || aSize == 0)
        return;
    glBindBuffer(GL_ARRAY_BUFFER, aBuffer.Get());
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(aOffset), static_cast<GLsizeiptr>(aSize), aData);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void OrphanAndFillVertexBuffer(const Buffer& aBuffer, size_t aBufferSize, size_t aSize, const void* aData)
{
    if (!aBuffer)
        return;
    glBindBuffer(GL_ARRAY_BUFFER, aBuffer.Get());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(aBufferSize), nullptr, GL_STREAM_DRAW);
    if (aSize > 0)
        glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(aSize), aData);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void OrphanAndFillUniformBuffer(const Buffer& aBuffer, size_t aSize, const void* aData)
{
    if (!aBuffer || aSize == 0)
        return;
    glBindBuffer(GL_UNIFORM_BUFFER, aBuffer.Get());
    glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(aSize), aData, GL_STREAM_DRAW);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

VertexArray CreateVertexArray()
{
    if (!DX11::IsContextAlive())
        return VertexArray();
    GLuint name = 0;
    glGenVertexArrays(1, &name);
    return VertexArray(name);
}
}
