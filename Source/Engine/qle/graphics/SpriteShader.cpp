#include "graphics/SpriteShader.h"

#include "graphics/ConstantBlocks.h"
#include "graphics/DeviceContext.h"
#include "graphics/GraphicsStateStack.h"
#include "texture/Texture.h"
#include "texture/TextureManager.h"

namespace Qel
{
namespace
{
constexpr InputElementDesc SPRITE_LAYOUT[] = {
    {"POSITION", 0, VertexFormat::Float4, 0, 0, InputClassification::PerVertex, 0},
    {"TEXCOORD", 0, VertexFormat::UInt4, 0, APPEND_ALIGNED_ELEMENT, InputClassification::PerVertex, 0},
    {"TEXCOORD", 1, VertexFormat::Float4, 1, 0, InputClassification::PerInstance, 1},
    {"TEXCOORD", 2, VertexFormat::Float4, 1, APPEND_ALIGNED_ELEMENT, InputClassification::PerInstance, 1},
    {"TEXCOORD", 3, VertexFormat::Float4, 1, APPEND_ALIGNED_ELEMENT, InputClassification::PerInstance, 1},
    {"TEXCOORD", 4, VertexFormat::Float4, 1, APPEND_ALIGNED_ELEMENT, InputClassification::PerInstance, 1},
    {"TEXCOORD", 5, VertexFormat::Float4, 1, APPEND_ALIGNED_ELEMENT, InputClassification::PerInstance, 1},
    {"TEXCOORD", 6, VertexFormat::Float4, 1, APPEND_ALIGNED_ELEMENT, InputClassification::PerInstance, 1},
    {"TEXCOORD", 7, VertexFormat::Float4, 1, APPEND_ALIGNED_ELEMENT, InputClassification::PerInstance, 1},
};

static_assert(sizeof(Vector4f) == 16, "custom values are copied as packed vec4s");

const ShaderResourceView& ViewOf(const Texture* aTexture)
{
    static const ShaderResourceView none;
    return aTexture ? aTexture->GetShaderResourceView() : none;
}
}

std::span<const InputElementDesc> SpriteShader::GetSpriteLayout() { return SPRITE_LAYOUT; }

bool SpriteShader::CreateInputLayout(const std::string& aBytecode)
{
    (void)aBytecode;
    // A layout that cannot be made leaves none, which fails Init (never the default layout).
    CreateInputLayoutFrom(SPRITE_LAYOUT);
    return true;
}

bool SpriteShader::Init(const std::string& aVertexShader, const std::string& aPixelShader)
{
    if (!Shader::Init(aVertexShader, aPixelShader))
        return false;
    myCustomBuffer = std::make_shared<impl::gl::Buffer>(impl::gl::CreateUniformBuffer(CUSTOM_BUFFER_SIZE));
    if (!*myCustomBuffer)
    {
        myCustomBuffer.reset();
        return false;
    }
    const GraphicsStateStack* stack = GraphicsStateStack::GetActive();
    if (TextureManager* textures = stack ? stack->GetTextureManager() : nullptr)
    {
        // Normals, material values and effect masks are data, not colour: read them linear.
        myDefaultNormalTexture = textures->GetTexture("Textures/T_Default_n.dds", TEXTURE_COLOR_MODE_IGNORE_SRGB);
        myDefaultMaterialTexture = textures->GetTexture("Textures/T_Default_m.dds", TEXTURE_COLOR_MODE_IGNORE_SRGB);
        myDefaultEffectsTexture = textures->GetTexture("Textures/T_Default_fx.dds", TEXTURE_COLOR_MODE_IGNORE_SRGB);
    }
    return true;
}

bool SpriteShader::Render(const SpriteSharedData& aSharedData)
{
    if (!PrepareRender())
        return false;
    // Only the values in use are written; the rest of the block keeps what it held.
    if (myCustomBuffer && *myCustomBuffer && myLastCustomIndex >= 0)
        impl::gl::UpdateUniformBuffer(*myCustomBuffer, 0, static_cast<size_t>(myLastCustomIndex + 1) * sizeof(Vector4f),
                                      myCustomValues.data());
    BindResources(aSharedData);
    return true;
}

void SpriteShader::BindResources(const SpriteSharedData& aSharedData) const
{
    const GraphicsStateStack* stack = GraphicsStateStack::GetActive();
    const TextureManager* textures = stack ? stack->GetTextureManager() : nullptr;
    const Texture* color = aSharedData.myColorTexture;
    if (!color && textures)
        color = textures->GetWhiteSquare();
    const Texture* normal = aSharedData.myNormalTexture ? aSharedData.myNormalTexture : myDefaultNormalTexture;
    const Texture* material = aSharedData.myMaterialTexture ? aSharedData.myMaterialTexture : myDefaultMaterialTexture;
    const Texture* effects = aSharedData.myEffectsTexture ? aSharedData.myEffectsTexture : myDefaultEffectsTexture;
    DeviceContext::PSSetShaderResource(COLOR_TEXTURE_SLOT, ViewOf(color));
    DeviceContext::PSSetShaderResource(NORMAL_TEXTURE_SLOT, ViewOf(normal));
    DeviceContext::PSSetShaderResource(MATERIAL_TEXTURE_SLOT, ViewOf(material));
    DeviceContext::PSSetShaderResource(EFFECTS_TEXTURE_SLOT, ViewOf(effects));
    if (myCustomBuffer && *myCustomBuffer)
        DeviceContext::SetConstantBuffer(myCustomBufferSlot, *myCustomBuffer);
    for (u8 i = 0; i < myExtraTextureCount; ++i)
        DeviceContext::PSSetShaderResource(myExtraTextures[i].mySlot, ViewOf(myExtraTextures[i].myTexture));
}

void SpriteShader::SetCustomValue(u32 aIndex, const Vector4f& aValue)
{
    if (aIndex >= MAX_CUSTOM_VALUES)
        return;
    myCustomValues[aIndex] = aValue;
    if (static_cast<i32>(aIndex) > myLastCustomIndex)
        myLastCustomIndex = static_cast<i32>(aIndex);
}

void SpriteShader::ClearCustomValues()
{
    myCustomValues = {};
    myLastCustomIndex = -1;
}

bool SpriteShader::SetCustomBufferSlot(u8 aSlot)
{
    if (aSlot < DEFAULT_CUSTOM_BUFFER_SLOT || aSlot == PIXELATE_BLOCK_SLOT)
        return false;
    myCustomBufferSlot = aSlot;
    return true;
}

bool SpriteShader::AddExtraTexture(Texture* aTexture, u8 aSlot)
{
    if (myExtraTextureCount >= MAX_EXTRA_TEXTURES || aSlot >= TEXTURE_UNIT_COUNT)
        return false;
    myExtraTextures[myExtraTextureCount++] = ExtraTexture{aTexture, aSlot};
    return true;
}
}
