#pragma once
// Shapes made of triangles the caller lists vertex by vertex (three to a triangle, any winding),
// coloured per vertex and optionally textured, placed by a matrix and the graphics state's world
// transform and seen through its camera. Up to MAX_VERTEX_COUNT vertices go out in one draw;
// longer lists are split between triangles.
#include "core/Types.h"
#include "graphics/GLObjects.h"
#include "graphics/Shader.h"
#include "math/Color.h"
#include "math/Matrix4x4.h"
#include "math/Vector.h"

#include <memory>
#include <span>

namespace Qel
{
class Texture;

struct CustomShapeVertex
{
    Vector3f myPosition;
    Color myColor{1.0f, 1.0f, 1.0f, 1.0f};   // sRGB, alpha linear
    Vector2f myUV;
};

// A vertex as the vertex shader reads it: POSITION float3, TEXCOORD0 float4 (linear colour),
// TEXCOORD1 float2.
struct CustomShapeGPUVertex
{
    float myPosition[3];
    float myColor[4];
    float myUV[2];
};
static_assert(sizeof(CustomShapeGPUVertex) == 36);

// The shape's constant block (QelShape_b6): the world matrix, row by row.
inline constexpr u32 CUSTOM_SHAPE_BLOCK_SLOT = 6;
inline constexpr u32 CUSTOM_SHAPE_BLOCK_SIZE = 64;

class CustomShapeDrawer : public Shader
{
public:
    static constexpr u32 MAX_VERTEX_COUNT = 69984;

    CustomShapeDrawer() = default;
    ~CustomShapeDrawer() override = default;
    CustomShapeDrawer(const CustomShapeDrawer&) = delete;
    CustomShapeDrawer& operator=(const CustomShapeDrawer&) = delete;

    using Shader::Init;
    // The constant buffer (false when it cannot be made), the shaders "shaders/custom_shape_VS" and
    // "shaders/custom_shape_PS" and the vertex buffer. Missing shaders leave the drawer unloaded
    // (it draws nothing) without failing Init.
    bool Init() override;

    // Draws the whole triangles among aCount vertices (a trailing one or two are left out) with
    // world matrix aTransform × the state's world transform. A null texture draws plain colour.
    void Draw(const CustomShapeVertex* aVertices, u32 aCount, const Matrix4x4& aTransform = Matrix4x4(),
              const Texture* aTexture = nullptr);
    void Draw(std::span<const CustomShapeVertex> aVertices, const Matrix4x4& aTransform = Matrix4x4(),
              const Texture* aTexture = nullptr)
    {
        Draw(aVertices.data(), static_cast<u32>(aVertices.size()), aTransform, aTexture);
    }

    u32 GetMaxVertexCount() const { return myMaxVertexCount; }
    bool HasVertexBuffer() const { return static_cast<bool>(myVertexBuffer); }
    const impl::gl::Buffer& GetConstantBuffer() const { return myConstantBuffer; }

protected:
    bool CreateInputLayout(const std::string& aBytecode) override;

private:
    impl::gl::Buffer myVertexBuffer;
    impl::gl::Buffer myConstantBuffer;
    u32 myMaxVertexCount = 0;
    // Vertices converted for upload (myMaxVertexCount of them, made at Init).
    std::unique_ptr<CustomShapeGPUVertex[]> myStaging;
    // Sampled when a shape has no texture.
    std::unique_ptr<Texture> myWhiteTexture;
};
}
