#pragma once
// Straight lines of one pixel, seen through the graphics state's camera with its blend state. Each
// line's ends go through the state's world transform as it stands when the line is drawn (as the
// sprite drawer does for its records). Up to MAX_VERTICES / 2 lines go out in one draw.
//
//     lineDrawer.Draw({{0, 0, 0}, {100, 50, 0}, {1, 0, 0, 1}});
#include "core/Types.h"
#include "graphics/GLObjects.h"
#include "graphics/Shader.h"
#include "math/Color.h"
#include "math/Vector.h"

#include <memory>
#include <span>

namespace Qel
{
struct LinePrimitive
{
    Vector3f myFrom;
    Vector3f myTo;
    Color myColor{1.0f, 1.0f, 1.0f, 1.0f};   // sRGB, alpha linear
};

// One end of a line as the vertex shader reads it: POSITION float3, TEXCOORD0 float4 (linear
// colour), then two floats the shader does not read.
struct LineVertex
{
    float myPosition[3];
    float myColor[4];
    float myUnused[2];
};
static_assert(sizeof(LineVertex) == 36);

class LineDrawer : public Shader
{
public:
    static constexpr u32 MAX_VERTICES = 2000;
    static constexpr u32 VERTEX_BUFFER_SIZE = MAX_VERTICES * sizeof(LineVertex);   // 72000 bytes

    LineDrawer() = default;
    ~LineDrawer() override = default;
    LineDrawer(const LineDrawer&) = delete;
    LineDrawer& operator=(const LineDrawer&) = delete;

    using Shader::Init;
    // The shaders "shaders/lineshader_VS" and "shaders/lineshader_PS" and the vertex buffer. Returns
    // true even without them (a drawer that did not load draws nothing); IsLoaded tells.
    bool Init() override;

    void Draw(const LinePrimitive& aLine);
    void Draw(const LinePrimitive* aLines, size_t aCount);
    void Draw(std::span<const LinePrimitive> aLines) { Draw(aLines.data(), aLines.size()); }

    bool HasVertexBuffer() const { return static_cast<bool>(myVertexBuffer); }

protected:
    bool CreateInputLayout(const std::string& aBytecode) override;

private:
    bool BeginDraw();
    void Submit(const LineVertex* aVertices, u32 aCount);

    impl::gl::Buffer myVertexBuffer;
    LineVertex myLineVertices[2] = {};
    // Where the ends of a batch of lines are written before upload (MAX_VERTICES, made at Init).
    std::unique_ptr<LineVertex[]> myStaging;
};
}
