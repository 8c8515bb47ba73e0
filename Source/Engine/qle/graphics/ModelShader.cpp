#include "graphics/ModelShader.h"

#include "engine/Engine.h"
#include "graphics/ConstantBlocks.h"
#include "graphics/DeviceContext.h"
#include "graphics/GraphicsStateStack.h"
#include "model/ModelData.h"
#include "texture/Texture.h"

#include <array>

namespace Qel
{
namespace
{
constexpr std::array<InputElementDesc, 14> MODEL_LAYOUT = {{
    {"POSITION", 0, VertexFormat::Float4},
    {"COLOR", 0, VertexFormat::Float4},
    {"COLOR", 1, VertexFormat::Float4},
    {"COLOR", 2, VertexFormat::Float4},
    {"COLOR", 3, VertexFormat::Float4},
    {"TEXCOORD", 0, VertexFormat::Float2},
    {"TEXCOORD", 1, VertexFormat::Float2},
    {"TEXCOORD", 2, VertexFormat::Float2},
    {"TEXCOORD", 3, VertexFormat::Float2},
    {"NORMAL", 0, VertexFormat::Float3},
    {"TANGENT", 0, VertexFormat::Float3},
    {"BINORMAL", 0, VertexFormat::Float3},
    {"BONES", 0, VertexFormat::Float4},
    {"WEIGHTS", 0, VertexFormat::Float4},
}};
}

ModelShader::~ModelShader()
{
    myObjectBuffer.reset();
    myBoneBuffer.reset();
}

std::span<const InputElementDesc> ModelShader::GetModelLayout() { return MODEL_LAYOUT; }

bool ModelShader::Init() { return Init(MODEL_SHADER_VS, MODEL_SHADER_PS); }

bool ModelShader::Init(const char* aVertexShader, const char* aPixelShader)
{
    impl::gl::Buffer bones = impl::gl::CreateUniformBuffer(BONE_BUFFER_SIZE);
    impl::gl::Buffer object = impl::gl::CreateUniformBuffer(OBJECT_BUFFER_SIZE);
    if (!bones || !object)
        return false;
    myBoneBuffer = std::make_shared<impl::gl::Buffer>(std::move(bones));
    myObjectBuffer = std::make_shared<impl::gl::Buffer>(std::move(object));
    return Shader::Init(aVertexShader ? aVertexShader : "", aPixelShader ? aPixelShader : "");
}

bool ModelShader::CreateInputLayout(const std::string&) { return CreateInputLayoutFrom(MODEL_LAYOUT); }

void ModelShader::Render(Texture* const* aTextures, const MeshData& aMesh, const Matrix4x4& aTransform,
                         const Matrix4x4* aBones)
{
    for (u32 i = 0; aTextures && i < MODEL_TEXTURE_SLOTS && aTextures[i]; ++i)
        DeviceContext::PSSetShaderResource(COLOR_TEXTURE_SLOT + i, aTextures[i]->GetShaderResourceView());
    if (!IsLoaded() || !myBoneBuffer || !myObjectBuffer || !aMesh.myVertexBuffer || !aMesh.myIndexBuffer)
        return;
    GraphicsStateStack* stack = GraphicsStateStack::GetActive();
    if (!stack || !PrepareRender())
        return;
    if (aBones)
        impl::gl::OrphanAndFillUniformBuffer(*myBoneBuffer, BONE_BUFFER_SIZE, aBones);
    DeviceContext::SetConstantBuffer(BONE_BLOCK_SLOT, *myBoneBuffer);
    const Matrix4x4 world = aTransform * stack->GetTransform();
    impl::gl::OrphanAndFillUniformBuffer(*myObjectBuffer, OBJECT_BUFFER_SIZE, world.GetData());
    DeviceContext::SetConstantBuffer(OBJECT_BLOCK_SLOT, *myObjectBuffer);

    DeviceContext::IASetIndexBuffer(aMesh.myIndexBuffer->Get());
    const u32 buffer = aMesh.myVertexBuffer->Get();
    DeviceContext::IASetVertexBuffers(0, 1, &buffer, &aMesh.myStride, &aMesh.myOffset);
    ++ourDrawCallCount;
    DeviceContext::DrawIndexed(aMesh.myIndexCount, 0, 0);
}
}
