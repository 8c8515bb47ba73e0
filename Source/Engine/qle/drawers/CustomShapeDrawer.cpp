#include "drawers/CustomShapeDrawer.h"

#include "engine/Engine.h"
#include "graphics/ColorSpace.h"
#include "graphics/ConstantBlocks.h"
#include "graphics/DeviceContext.h"
#include "graphics/GraphicsStateStack.h"
#include "texture/Texture.h"

#include <algorithm>

namespace Qel
{
namespace
{
constexpr InputElementDesc SHAPE_LAYOUT[] = {
    {"POSITION", 0, VertexFormat::Float3, 0, 0, InputClassification::PerVertex, 0},
    {"TEXCOORD", 0, VertexFormat::Float4, 0, APPEND_ALIGNED_ELEMENT, InputClassification::PerVertex, 0},
    {"TEXCOORD", 1, VertexFormat::Float2, 0, APPEND_ALIGNED_ELEMENT, InputClassification::PerVertex, 0},
};
static_assert(CustomShapeDrawer::MAX_VERTEX_COUNT % 3 == 0, "a full buffer ends between triangles");
}

bool CustomShapeDrawer::CreateInputLayout(const std::string& aBytecode)
{
    (void)aBytecode;
    CreateInputLayoutFrom(SHAPE_LAYOUT);
    return true;
}

bool CustomShapeDrawer::Init()
{
    myMaxVertexCount = MAX_VERTEX_COUNT;
    myConstantBuffer = impl::gl::CreateUniformBuffer(CUSTOM_SHAPE_BLOCK_SIZE);
    if (!myConstantBuffer)
        return false;
    Shader::Init("shaders/custom_shape_VS", "shaders/custom_shape_PS");
    myVertexBuffer = impl::gl::CreateVertexBuffer(static_cast<size_t>(myMaxVertexCount) * sizeof(CustomShapeGPUVertex),
                                                  nullptr, impl::gl::BufferUsage::Stream);
    myStaging = std::make_unique<CustomShapeGPUVertex[]>(myMaxVertexCount);
    const u8 white[4] = {255, 255, 255, 255};
    myWhiteTexture = Texture::CreateFromRGBA(1, 1, white, 0, false);
    return true;
}

void CustomShapeDrawer::Draw(const CustomShapeVertex* aVertices, u32 aCount, const Matrix4x4& aTransform,
                             const Texture* aTexture)
{
    const u32 total = aCount - aCount % 3;
    if (!aVertices || total == 0 || !myVertexBuffer || !myStaging)
        return;
    GraphicsStateStack* stack = GraphicsStateStack::GetActive();
    if (!stack || !PrepareRender())
        return;

    const Matrix4x4 world = aTransform * stack->GetTransform();
    impl::gl::UpdateUniformBuffer(myConstantBuffer, 0, CUSTOM_SHAPE_BLOCK_SIZE, world.GetData());
    DeviceContext::SetConstantBuffer(CUSTOM_SHAPE_BLOCK_SLOT, myConstantBuffer);
    static const ShaderResourceView noView;
    const ShaderResourceView& view = aTexture && aTexture->GetShaderResourceView() ? aTexture->GetShaderResourceView()
                                     : myWhiteTexture                             ? myWhiteTexture->GetShaderResourceView()
                                                                                  : noView;
    DeviceContext::PSSetShaderResource(COLOR_TEXTURE_SLOT, view);

    const u32 buffer = myVertexBuffer.Get();
    const u32 stride = sizeof(CustomShapeGPUVertex);
    const u32 offset = 0;
    DeviceContext::IASetVertexBuffers(0, 1, &buffer, &stride, &offset);

    for (u32 first = 0; first < total; first += myMaxVertexCount)
    {
        const u32 count = std::min(myMaxVertexCount, total - first);
        for (u32 i = 0; i < count; ++i)
        {
            const CustomShapeVertex& source = aVertices[first + i];
            CustomShapeGPUVertex& target = myStaging[i];
            target.myPosition[0] = source.myPosition.x;
            target.myPosition[1] = source.myPosition.y;
            target.myPosition[2] = source.myPosition.z;
            PackLinearColor(source.myColor, target.myColor);
            target.myUV[0] = source.myUV.x;
            target.myUV[1] = source.myUV.y;
        }
        impl::gl::UpdateVertexBuffer(myVertexBuffer, 0, count * sizeof(CustomShapeGPUVertex), myStaging.get());
        ++ourDrawCallCount;
        DeviceContext::Draw(count, 0);
    }
}
}
