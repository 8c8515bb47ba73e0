#include "drawers/LineDrawer.h"

#include "engine/Engine.h"
#include "graphics/ColorSpace.h"
#include "graphics/DeviceContext.h"
#include "graphics/GraphicsStateStack.h"

namespace Qel
{
namespace
{
constexpr InputElementDesc LINE_LAYOUT[] = {
    {"POSITION", 0, VertexFormat::Float3, 0, 0, InputClassification::PerVertex, 0},
    {"TEXCOORD", 0, VertexFormat::Float4, 0, APPEND_ALIGNED_ELEMENT, InputClassification::PerVertex, 0},
};

void WriteVertex(LineVertex& aVertex, const Vector3f& aPosition, const Matrix4x4& aTransform, const Color& aColor)
{
    const Vector4f world = Vector4f(aPosition.x, aPosition.y, aPosition.z, 1.0f) * aTransform;
    aVertex.myPosition[0] = world.x;
    aVertex.myPosition[1] = world.y;
    aVertex.myPosition[2] = world.z;
    PackLinearColor(aColor, aVertex.myColor);
    aVertex.myUnused[0] = aVertex.myUnused[1] = 0.0f;
}
}

bool LineDrawer::CreateInputLayout(const std::string& aBytecode)
{
    (void)aBytecode;
    CreateInputLayoutFrom(LINE_LAYOUT);
    return true;
}

bool LineDrawer::Init()
{
    Shader::Init("shaders/lineshader_VS", "shaders/lineshader_PS");
    myLineVertices[0] = {{-0.5f, 0.5f, 0.0f}, {}, {}};
    myLineVertices[1] = {{-0.5f, -0.5f, 0.0f}, {}, {}};
    myVertexBuffer = impl::gl::CreateVertexBuffer(VERTEX_BUFFER_SIZE, nullptr, impl::gl::BufferUsage::Stream);
    myStaging = std::make_unique<LineVertex[]>(MAX_VERTICES);
    return true;
}

bool LineDrawer::BeginDraw()
{
    if (!myVertexBuffer || !PrepareRender())
        return false;
    // PrepareRender leaves a triangle list.
    DeviceContext::IASetPrimitiveTopology(PrimitiveTopology::LineList);
    const u32 buffer = myVertexBuffer.Get();
    const u32 stride = sizeof(LineVertex);
    const u32 offset = 0;
    DeviceContext::IASetVertexBuffers(0, 1, &buffer, &stride, &offset);
    return true;
}

void LineDrawer::Submit(const LineVertex* aVertices, u32 aCount)
{
    impl::gl::OrphanAndFillVertexBuffer(myVertexBuffer, VERTEX_BUFFER_SIZE, aCount * sizeof(LineVertex), aVertices);
    ++ourDrawCallCount;
    DeviceContext::Draw(aCount, 0);
}

void LineDrawer::Draw(const LinePrimitive& aLine)
{
    GraphicsStateStack* stack = GraphicsStateStack::GetActive();
    if (!stack || !BeginDraw())
        return;
    const Matrix4x4& transform = stack->GetTransform();
    WriteVertex(myLineVertices[0], aLine.myFrom, transform, aLine.myColor);
    WriteVertex(myLineVertices[1], aLine.myTo, transform, aLine.myColor);
    Submit(myLineVertices, 2);
}

void LineDrawer::Draw(const LinePrimitive* aLines, size_t aCount)
{
    if (!aLines || aCount == 0)
        return;
    GraphicsStateStack* stack = GraphicsStateStack::GetActive();
    if (!stack || !BeginDraw())
        return;
    const Matrix4x4& transform = stack->GetTransform();
    u32 count = 0;
    for (size_t i = 0; i < aCount; ++i)
    {
        WriteVertex(myStaging[count], aLines[i].myFrom, transform, aLines[i].myColor);
        WriteVertex(myStaging[count + 1], aLines[i].myTo, transform, aLines[i].myColor);
        count += 2;
        if (count == MAX_VERTICES)
        {
            Submit(myStaging.get(), count);
            count = 0;
        }
    }
    if (count > 0)
        Submit(myStaging.get(), count);
}
}
