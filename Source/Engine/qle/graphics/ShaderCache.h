#pragma once
// Process-wide caches of compiled shader stages and linked programs.
//
// A shader name such as "shaders/instanced_sprite_shader_VS" is GLSL source of our own under the
// cooked assets root: <root>/<name>.vert when asked for as a vertex shader, <root>/<name>.frag as
// a pixel shader. Each stage is compiled after the shared prologue "shaders/qel_common.glsl",
// which declares the constant blocks and the samplers. Names match folders and files without
// regard to case when the exact spelling is not there ("Shaders/" and "shaders/" are one folder).
//
// Linking assigns block bindings and texture units by name: QelFrame 0, QelCamera 1, QelLights 2,
// QelAlphaTest 3, QelObject 4, QelBones 5, QelCustom 5, QelPixelate 13; qelEnvironment 0 (cube),
// qelSource 0, qelColor 1, qelNormal 2, qelMaterial 3, qelEffects 4. Any other block name must end
// in _b<N> (binding N, 6 or above but not 13) and any other sampler in _t<N> (unit N, below 16).
// Anything else fails the link, and so do two samplers of different types on one unit. Failures
// print the file and the compiler's log on standard output and leave no entry, so a later request
// tries the files again. Render thread only; entries stay put until Clear.
#include "core/Types.h"
#include "graphics/GLObjects.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace Qel
{
struct VertexShaderEntry
{
    impl::gl::ShaderObject myShader;
    // The source text as compiled (what Direct3D's input layouts took as bytecode).
    std::string myBytecode;
    std::filesystem::path myPath;
};

struct PixelShaderEntry
{
    impl::gl::ShaderObject myShader;
    std::filesystem::path myPath;
};

struct ShaderProgramEntry
{
    impl::gl::Program myProgram;
    const VertexShaderEntry* myVertexShader = nullptr;
    const PixelShaderEntry* myPixelShader = nullptr;
};

enum class ShaderStage : u8
{
    Vertex,
    Pixel,
};

namespace ShaderCache
{
// The cached entry for the name, compiled on first request; null when the file is missing or does
// not compile.
VertexShaderEntry* GetVertexShader(const std::string& aName);
PixelShaderEntry* GetPixelShader(const std::string& aName);
// The program of a pair, linked on first request; null when linking fails.
ShaderProgramEntry* GetProgram(const VertexShaderEntry* aVertexShader, const PixelShaderEntry* aPixelShader);

// <cooked root>/<aName>.vert or .frag, matched without regard to case where the exact path is
// missing; empty when there is no such file.
std::filesystem::path ResolveShaderPath(std::string_view aName, ShaderStage aStage);
// Folder and file lookup that falls back to a case-insensitive match per path component.
std::filesystem::path ResolveCaseInsensitive(const std::filesystem::path& aRoot, std::string_view aRelative);

size_t GetVertexShaderCount();
size_t GetPixelShaderCount();
size_t GetProgramCount();
// Drops every entry (the device does this before its context goes away).
void Clear();
// Changes with every Clear, so holders of entries can tell that theirs are gone.
u64 GetGeneration();
}
}
