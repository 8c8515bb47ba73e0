#pragma once
// The few Direct3D immediate-context calls the drawers use, on GL. Shaders, drawers and effects
// issue their binds and draws through here, so GL's differences (vertex arrays own the index
// binding, null views, a topology per draw) are dealt with in one place. Render thread only.
#include "core/Types.h"
#include "graphics/GLObjects.h"
#include "texture/Texture.h"

namespace Qel
{
class InputLayout;

enum class PrimitiveTopology : u8
{
    TriangleList,
    LineList,
};

namespace DeviceContext
{
// Binds the layout's vertex array; null binds the device's empty vertex array (draws that make
// their vertices from gl_VertexID).
void IASetInputLayout(const InputLayout* aLayout);
const InputLayout* GetInputLayout();
// A dying layout stops being the bound one.
void ForgetInputLayout(const InputLayout* aLayout);
// On the bound input layout (nothing without one).
void IASetVertexBuffers(u32 aStartSlot, u32 aCount, const u32* aBuffers, const u32* aStrides, const u32* aOffsets);
// 32-bit indices; 0 for none. Attached to the bound vertex array at the indexed draw.
void IASetIndexBuffer(u32 aBuffer);
void IASetPrimitiveTopology(PrimitiveTopology aTopology);
PrimitiveTopology GetPrimitiveTopology();

// 0 for none.
void SetProgram(u32 aProgram);

// A view for a texture unit; null binds a texture that reads (0, 0, 0, 0) everywhere, as a null
// view does in Direct3D (GL's texture 0 reads opaque black).
void PSSetShaderResource(u32 aSlot, const ShaderResourceView& aView);
// The same for a cube-map unit: a view that is not a cube map binds the empty cube.
void PSSetCubeShaderResource(u32 aSlot, const ShaderResourceView& aView);
// Uniform block binding point aSlot, for every stage.
void SetConstantBuffer(u32 aSlot, const impl::gl::Buffer& aBuffer);

void Draw(u32 aVertexCount, u32 aStartVertex);
// aStartInstance must be 0 (GL 3.3 has no base instance).
void DrawInstanced(u32 aVertexCountPerInstance, u32 aInstanceCount, u32 aStartVertex, u32 aStartInstance);
void DrawIndexed(u32 aIndexCount, u32 aStartIndex, i32 aBaseVertex);

// Texture names of the empty 2D texture and the empty cube map (1 x 1, all zeros).
u32 GetNullTexture2D();
u32 GetNullTextureCube();

// Drops everything that lives in the current context: the shader caches, the empty textures and
// the tracked bindings. The device calls it before its context goes away.
void ReleaseContextObjects();
}
}
