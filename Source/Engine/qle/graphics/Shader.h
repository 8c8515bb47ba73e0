#pragma once
// A vertex and pixel shader pair with its input layout. The stages come from the process-wide
// shader caches (graphics/ShaderCache.h), so shaders with the same names share them; the pair is
// linked once when the shader is initialised.
//
// Derived kinds (sprite, model, line and shape shaders) either override CreateInputLayout or pass
// their layout to Init. Before drawing, PrepareRender binds the program and the layout, sets a
// triangle list and applies the active graphics state; when it returns false the caller draws
// nothing.
#include "core/Types.h"
#include "graphics/InputLayout.h"

#include <memory>
#include <span>
#include <string>

namespace Qel
{
struct VertexShaderEntry;
struct PixelShaderEntry;
struct ShaderProgramEntry;

class Shader
{
public:
    Shader();
    virtual ~Shader() = default;
    // Copies share the stages, the program and the input layout.
    Shader(const Shader&) = default;
    Shader& operator=(const Shader&) = default;
    Shader(Shader&&) = default;
    Shader& operator=(Shader&&) = default;

    // For kinds that know their own shader names; the base has none.
    virtual bool Init() { return false; }
    // Loads both stages (shader names, see ShaderCache.h), builds the input layout through
    // CreateInputLayout (the default layout when that declines) and links the pair. False, and
    // not loaded, when a file is missing or fails to compile or link.
    bool Init(const std::string& aVertexShader, const std::string& aPixelShader);
    // The same with the given layout in place of CreateInputLayout.
    bool Init(const std::string& aVertexShader, const std::string& aPixelShader,
              std::span<const InputElementDesc> aLayout);

    // Program, layout, triangle list, then the active graphics state. False (nothing bound) when
    // the shader is not loaded, its device has gone, or no graphics state stack is active.
    bool PrepareRender();

    bool IsLoaded() const { return myIsLoaded; }
    i32 GetId() const { return myId; }
    const std::string& GetVertexShaderName() const { return myVertexShaderName; }
    const std::string& GetPixelShaderName() const { return myPixelShaderName; }
    const VertexShaderEntry* GetVertexShaderEntry() const { return myVertexShader; }
    const PixelShaderEntry* GetPixelShaderEntry() const { return myPixelShader; }
    // GL program name; 0 when not loaded.
    u32 GetProgram() const;
    const InputLayout* GetInputLayout() const { return myInputLayout.get(); }

    // The layout used when CreateInputLayout declines: per vertex POSITION float3, TEXCOORD0
    // float2; per instance TEXCOORD1 float2, TEXCOORD2-5 float4.
    static std::span<const InputElementDesc> GetDefaultLayout();

protected:
    // Builds this kind's layout with CreateInputLayoutFrom and returns true, or returns false
    // for the default layout. aBytecode is the vertex shader's source.
    virtual bool CreateInputLayout(const std::string& aBytecode);
    // Replaces the layout; false when it cannot be made.
    bool CreateInputLayoutFrom(std::span<const InputElementDesc> aElements);

private:
    bool InitStages(const std::string& aVertexShader, const std::string& aPixelShader);
    bool Link();
    bool IsCurrent() const;

    VertexShaderEntry* myVertexShader = nullptr;
    PixelShaderEntry* myPixelShader = nullptr;
    std::shared_ptr<InputLayout> myInputLayout;
    bool myIsLoaded = false;
    i32 myId = 0;
    std::string myVertexShaderName;
    std::string myPixelShaderName;
    ShaderProgramEntry* myProgram = nullptr;
    // The shader cache's generation at Init: entries of an earlier device are never used.
    u64 myCacheGeneration = 0;
};
}
