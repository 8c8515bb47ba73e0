#include "graphics/Shader.h"

#include "graphics/DeviceContext.h"
#include "graphics/GraphicsStateStack.h"
#include "graphics/ShaderCache.h"

#include <cstdlib>

namespace Qel
{
namespace
{
constexpr InputElementDesc DEFAULT_LAYOUT[] = {
    {"POSITION", 0, VertexFormat::Float3, 0, 0, InputClassification::PerVertex, 0},
    {"TEXCOORD", 0, VertexFormat::Float2, 0, APPEND_ALIGNED_ELEMENT, InputClassification::PerVertex, 0},
    {"TEXCOORD", 1, VertexFormat::Float2, 1, 0, InputClassification::PerInstance, 1},
    {"TEXCOORD", 2, VertexFormat::Float4, 1, APPEND_ALIGNED_ELEMENT, InputClassification::PerInstance, 1},
    {"TEXCOORD", 3, VertexFormat::Float4, 1, APPEND_ALIGNED_ELEMENT, InputClassification::PerInstance, 1},
    {"TEXCOORD", 4, VertexFormat::Float4, 1, APPEND_ALIGNED_ELEMENT, InputClassification::PerInstance, 1},
    {"TEXCOORD", 5, VertexFormat::Float4, 1, APPEND_ALIGNED_ELEMENT, InputClassification::PerInstance, 1},
};
}

Shader::Shader() : myId(std::rand() % 100) {}

std::span<const InputElementDesc> Shader::GetDefaultLayout() { return DEFAULT_LAYOUT; }

bool Shader::CreateInputLayout(const std::string& aBytecode)
{
    (void)aBytecode;
    return false;
}

bool Shader::CreateInputLayoutFrom(std::span<const InputElementDesc> aElements)
{
    myInputLayout = InputLayout::Create(aElements);
    return myInputLayout != nullptr;
}

bool Shader::InitStages(const std::string& aVertexShader, const std::string& aPixelShader)
{
    myIsLoaded = false;
    myProgram = nullptr;
    myVertexShaderName = aVertexShader;
    myPixelShaderName = aPixelShader;
    myCacheGeneration = ShaderCache::GetGeneration();
    myVertexShader = ShaderCache::GetVertexShader(aVertexShader);
    if (!myVertexShader)
        return false;
    myPixelShader = ShaderCache::GetPixelShader(aPixelShader);
    if (!myPixelShader)
        return false;
    myInputLayout.reset();
    return true;
}

bool Shader::Link()
{
    if (!myInputLayout)
        return false;
    myProgram = ShaderCache::GetProgram(myVertexShader, myPixelShader);
    if (!myProgram)
        return false;
    myIsLoaded = true;
    return true;
}

bool Shader::Init(const std::string& aVertexShader, const std::string& aPixelShader)
{
    if (!InitStages(aVertexShader, aPixelShader))
        return false;
    if (!CreateInputLayout(myVertexShader->myBytecode))
        CreateInputLayoutFrom(DEFAULT_LAYOUT);
    return Link();
}

bool Shader::Init(const std::string& aVertexShader, const std::string& aPixelShader,
                  std::span<const InputElementDesc> aLayout)
{
    if (!InitStages(aVertexShader, aPixelShader))
        return false;
    CreateInputLayoutFrom(aLayout);
    return Link();
}

bool Shader::IsCurrent() const
{
    return myIsLoaded && myVertexShader && myPixelShader && myProgram &&
           myCacheGeneration == ShaderCache::GetGeneration();
}

u32 Shader::GetProgram() const { return IsCurrent() ? myProgram->myProgram.Get() : 0; }

bool Shader::PrepareRender()
{
    if (!IsCurrent())
        return false;
    GraphicsStateStack* stack = GraphicsStateStack::GetActive();
    if (!stack)
        return false;
    DeviceContext::SetProgram(myProgram->myProgram.Get());
    DeviceContext::IASetInputLayout(myInputLayout.get());
    DeviceContext::IASetPrimitiveTopology(PrimitiveTopology::TriangleList);
    stack->Apply(false);
    return true;
}
}
