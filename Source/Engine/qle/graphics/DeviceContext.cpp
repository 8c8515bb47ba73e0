#include "graphics/DeviceContext.h"

#include "core/Assert.h"
#include "graphics/DX11.h"
#include "graphics/GL.h"
#include "graphics/InputLayout.h"
#include "graphics/ShaderCache.h"

namespace Qel::DeviceContext
{
namespace
{
const InputLayout* ourInputLayout = nullptr;
u32 ourIndexBuffer = 0;
PrimitiveTopology ourTopology = PrimitiveTopology::TriangleList;
u32 ourNullTexture2D = 0;
u32 ourNullTextureCube = 0;

GLenum ToGLMode(PrimitiveTopology aTopology)
{
    switch (aTopology)
    {
    case PrimitiveTopology::TriangleList:
        return GL_TRIANGLES;
    case PrimitiveTopology::LineList:
        return GL_LINES;
    }
    return GL_TRIANGLES;
}

u32 MakeNullTexture(GLenum aTarget)
{
    const u8 zero[4] = {0, 0, 0, 0};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(aTarget, name);
    if (aTarget == GL_TEXTURE_CUBE_MAP)
    {
        for (GLenum face = 0; face < 6; ++face)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, zero);
    }
    else
    {
        glTexImage2D(aTarget, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, zero);
    }
    // One level: complete under every sampler, mip filters included.
    glTexParameteri(aTarget, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(aTarget, GL_TEXTURE_MAX_LEVEL, 0);
    glBindTexture(aTarget, 0);
    return name;
}

void BindTexture(u32 aSlot, GLenum aTarget, u32 aName)
{
    glActiveTexture(GL_TEXTURE0 + aSlot);
    glBindTexture(aTarget, aName);
    glActiveTexture(GL_TEXTURE0);
}

void BindIndexBufferIntoVertexArray()
{
    // The element binding belongs to the bound vertex array, so it is set at draw time.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ourIndexBuffer);
}
}

void IASetInputLayout(const InputLayout* aLayout)
{
    ourInputLayout = aLayout;
    if (aLayout)
        glBindVertexArray(aLayout->GetVertexArray());
    else if (DX11* device = DX11::GetInstance())
        glBindVertexArray(device->GetEmptyVertexArray());
}

const InputLayout* GetInputLayout() { return ourInputLayout; }

void ForgetInputLayout(const InputLayout* aLayout)
{
    if (ourInputLayout == aLayout)
        ourInputLayout = nullptr;
}

void IASetVertexBuffers(u32 aStartSlot, u32 aCount, const u32* aBuffers, const u32* aStrides, const u32* aOffsets)
{
    if (ourInputLayout)
        const_cast<InputLayout*>(ourInputLayout)->SetVertexBuffers(aStartSlot, aCount, aBuffers, aStrides, aOffsets);
}

void IASetIndexBuffer(u32 aBuffer) { ourIndexBuffer = aBuffer; }

void IASetPrimitiveTopology(PrimitiveTopology aTopology) { ourTopology = aTopology; }

PrimitiveTopology GetPrimitiveTopology() { return ourTopology; }

void SetProgram(u32 aProgram) { glUseProgram(aProgram); }

void PSSetShaderResource(u32 aSlot, const ShaderResourceView& aView)
{
    if (aView && aView->GetName() != 0)
        BindTexture(aSlot, aView->GetTarget(), aView->GetName());
    else
        BindTexture(aSlot, GL_TEXTURE_2D, GetNullTexture2D());
}

void PSSetCubeShaderResource(u32 aSlot, const ShaderResourceView& aView)
{
    if (aView && aView->GetName() != 0 && aView->GetTarget() == GL_TEXTURE_CUBE_MAP)
        BindTexture(aSlot, GL_TEXTURE_CUBE_MAP, aView->GetName());
    else
        BindTexture(aSlot, GL_TEXTURE_CUBE_MAP, GetNullTextureCube());
}

void SetConstantBuffer(u32 aSlot, const impl::gl::Buffer& aBuffer)
{
    glBindBufferBase(GL_UNIFORM_BUFFER, aSlot, aBuffer.Get());
}

void Draw(u32 aVertexCount, u32 aStartVertex)
{
    glDrawArrays(ToGLMode(ourTopology), static_cast<GLint>(aStartVertex), static_cast<GLsizei>(aVertexCount));
}

void DrawInstanced(u32 aVertexCountPerInstance, u32 aInstanceCount, u32 aStartVertex, u32 aStartInstance)
{
    QEL_ASSERT(aStartInstance == 0);
    if (aInstanceCount == 0)
        return;   // a legal no-op in both APIs; skipping it spares the driver the call
    glDrawArraysInstanced(ToGLMode(ourTopology), static_cast<GLint>(aStartVertex),
                          static_cast<GLsizei>(aVertexCountPerInstance), static_cast<GLsizei>(aInstanceCount));
}

void DrawIndexed(u32 aIndexCount, u32 aStartIndex, i32 aBaseVertex)
{
    BindIndexBufferIntoVertexArray();
    glDrawElementsBaseVertex(ToGLMode(ourTopology), static_cast<GLsizei>(aIndexCount), GL_UNSIGNED_INT,
                             reinterpret_cast<const void*>(static_cast<uintptr_t>(aStartIndex) * sizeof(u32)),
                             aBaseVertex);
}

u32 GetNullTexture2D()
{
    if (ourNullTexture2D == 0 && DX11::IsContextAlive())
        ourNullTexture2D = MakeNullTexture(GL_TEXTURE_2D);
    return ourNullTexture2D;
}

u32 GetNullTextureCube()
{
    if (ourNullTextureCube == 0 && DX11::IsContextAlive())
        ourNullTextureCube = MakeNullTexture(GL_TEXTURE_CUBE_MAP);
    return ourNullTextureCube;
}

void ReleaseContextObjects()
{
    ShaderCache::Clear();
    if (DX11::IsContextAlive())
    {
        if (ourNullTexture2D)
            glDeleteTextures(1, &ourNullTexture2D);
        if (ourNullTextureCube)
            glDeleteTextures(1, &ourNullTextureCube);
    }
    ourNullTexture2D = ourNullTextureCube = 0;
    ourInputLayout = nullptr;
    ourIndexBuffer = 0;
    ourTopology = PrimitiveTopology::TriangleList;
}
}
