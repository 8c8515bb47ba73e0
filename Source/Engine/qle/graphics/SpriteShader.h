#pragma once
// The shader pair of instanced sprites: the sprite input layout, the four material textures of a
// batch (units 1 to 4), up to eight custom vec4 values in a block of their own and up to two
// extra textures on units of the caller's choice.
//
// GLSL side: the custom values are `uniform QelCustom { vec4 qelCustomValues[8]; }` (binding 5,
// or a block ending in _b<N> for another slot); extra textures are samplers ending in _t<N>.
#include "core/Types.h"
#include "graphics/GLObjects.h"
#include "graphics/Shader.h"
#include "math/Vector.h"

#include <array>
#include <memory>

namespace Qel
{
class Texture;
class SpriteShader;

// What a sprite batch draws with. Null textures fall back: colour to the "WhiteSquare" texture,
// the others to the shader's defaults. A null shader is the sprite drawer's default one.
struct SpriteSharedData
{
    Texture* myColorTexture = nullptr;
    Texture* myNormalTexture = nullptr;
    Texture* myMaterialTexture = nullptr;
    Texture* myEffectsTexture = nullptr;
    SpriteShader* myCustomShader = nullptr;
};

class SpriteShader : public Shader
{
public:
    static constexpr u32 MAX_CUSTOM_VALUES = 8;
    static constexpr u32 MAX_EXTRA_TEXTURES = 2;
    static constexpr u32 CUSTOM_BUFFER_SIZE = 1024;
    static constexpr u8 DEFAULT_CUSTOM_BUFFER_SLOT = 5;

    struct ExtraTexture
    {
        Texture* myTexture = nullptr;
        u8 mySlot = 0;
    };

    SpriteShader() = default;
    ~SpriteShader() override = default;
    // Copies share the custom buffer; a move takes it.
    SpriteShader(const SpriteShader&) = default;
    SpriteShader& operator=(const SpriteShader&) = default;
    SpriteShader(SpriteShader&&) = default;
    SpriteShader& operator=(SpriteShader&&) = default;

    using Shader::Init;
    // The pair with the sprite layout, the custom buffer and the default normal, material and
    // effects textures (from the active graphics state stack's texture manager).
    bool Init(const std::string& aVertexShader, const std::string& aPixelShader);

    // PrepareRender, then the batch's textures, the custom values and the extra textures. False
    // (nothing to draw with) when the shader is not loaded.
    bool Render(const SpriteSharedData& aSharedData);
    // Binds the batch's textures, the custom block (as last uploaded) and the extra textures
    // again, for a draw that other drawing may have come before.
    void BindResources(const SpriteSharedData& aSharedData) const;

    // Values 0 up to the highest index set reach the shader. An index of 8 or more is ignored.
    void SetCustomValue(u32 aIndex, const Vector4f& aValue);
    void ClearCustomValues();
    i32 GetLastCustomIndex() const { return myLastCustomIndex; }

    // Binding point of the custom values: 5, or 6 and above but not 13 (the frame, camera, light,
    // alpha-test, object and pixelate blocks keep theirs). False, unchanged, for any other.
    bool SetCustomBufferSlot(u8 aSlot);
    u8 GetCustomBufferSlot() const { return myCustomBufferSlot; }
    const impl::gl::Buffer* GetCustomBuffer() const { return myCustomBuffer.get(); }

    // False when both extra textures are in use or the unit is 16 or above.
    bool AddExtraTexture(Texture* aTexture, u8 aSlot);
    void ClearExtraTextures() { myExtraTextureCount = 0; }
    u8 GetExtraTextureCount() const { return myExtraTextureCount; }

    Texture* GetDefaultNormalTexture() const { return myDefaultNormalTexture; }
    Texture* GetDefaultMaterialTexture() const { return myDefaultMaterialTexture; }
    Texture* GetDefaultEffectsTexture() const { return myDefaultEffectsTexture; }

    // Per vertex: POSITION float4, TEXCOORD0 uint4 (corner index); per instance TEXCOORD1-7 float4
    // (world rows 1-4, colour, UV rectangle, extra values): 112 bytes an instance.
    static std::span<const InputElementDesc> GetSpriteLayout();

protected:
    bool CreateInputLayout(const std::string& aBytecode) override;

private:
    Texture* myDefaultNormalTexture = nullptr;
    Texture* myDefaultMaterialTexture = nullptr;
    Texture* myDefaultEffectsTexture = nullptr;
    std::array<Vector4f, MAX_CUSTOM_VALUES> myCustomValues{};
    i32 myLastCustomIndex = -1;
    u8 myExtraTextureCount = 0;
    std::shared_ptr<impl::gl::Buffer> myCustomBuffer;
    u8 myCustomBufferSlot = DEFAULT_CUSTOM_BUFFER_SLOT;
    std::array<ExtraTexture, MAX_EXTRA_TEXTURES> myExtraTextures{};
};
}
