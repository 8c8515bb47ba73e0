#include "graphics/ShaderCache.h"

#include "graphics/DX11.h"
#include "graphics/GL.h"
#include "loaders/FileData.h"
#include "settings/Settings.h"
#include "stringRegistry/Fnv1a.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace Qel::ShaderCache
{
namespace
{
constexpr const char* PROLOGUE_NAME = "shaders/qel_common.glsl";
constexpr u32 MAX_TEXTURE_UNIT = 16;

struct NameHash
{
    size_t operator()(const std::string& aName) const { return static_cast<size_t>(Fnv1a64(aName)); }
};

std::unordered_map<std::string, std::unique_ptr<VertexShaderEntry>, NameHash> ourVertexShaders;
std::unordered_map<std::string, std::unique_ptr<PixelShaderEntry>, NameHash> ourPixelShaders;
std::map<std::pair<const void*, const void*>, std::unique_ptr<ShaderProgramEntry>> ourPrograms;
u64 ourGeneration = 1;

std::string ToLower(std::string aText)
{
    std::transform(aText.begin(), aText.end(), aText.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return aText;
}

// No shader source comes near this; a larger file is refused before it is read.
constexpr u64 SHADER_FILE_MAX_BYTES = u64(16) << 20;

std::optional<std::string> ReadShaderFile(const std::filesystem::path& aPath)
{
    std::vector<u8> bytes;
    if (Failed(ReadWholeFile(aPath, SHADER_FILE_MAX_BYTES, bytes)))
        return std::nullopt;
    return std::string(bytes.begin(), bytes.end());
}

std::string GetShaderLog(GLuint aShader)
{
    GLint length = 0;
    glGetShaderiv(aShader, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<size_t>(std::max(length, 1)), '\0');
    glGetShaderInfoLog(aShader, length, nullptr, log.data());
    log.resize(std::char_traits<char>::length(log.c_str()));
    return log;
}

std::string GetProgramLog(GLuint aProgram)
{
    GLint length = 0;
    glGetProgramiv(aProgram, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<size_t>(std::max(length, 1)), '\0');
    glGetProgramInfoLog(aProgram, length, nullptr, log.data());
    log.resize(std::char_traits<char>::length(log.c_str()));
    return log;
}

void Report(const std::string& aMessage)
{
    std::fputs(aMessage.c_str(), stdout);
    if (aMessage.empty() || aMessage.back() != '\n')
        std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool ClipDepthIsZeroToOne()
{
    GLint mode = 0;
    glGetIntegerv(GL_CLIP_DEPTH_MODE, &mode);
    return mode == GL_ZERO_TO_ONE;
}

// Compiles the file at aPath after the prologue; a null object (reported) on any failure.
impl::gl::ShaderObject Compile(const std::filesystem::path& aPath, ShaderStage aStage, std::string& aSource)
{
    if (!DX11::IsContextAlive())
        return {};
    const std::optional<std::string> source = ReadShaderFile(aPath);
    if (!source)
    {
        Report("Shader file could not be read: " + aPath.string());
        return {};
    }
    const std::filesystem::path prologuePath =
        ResolveCaseInsensitive(Settings::GetCookedAssetsPath(), PROLOGUE_NAME);
    const std::optional<std::string> prologue =
        prologuePath.empty() ? std::nullopt : ReadShaderFile(prologuePath);
    if (!prologue)
    {
        Report("Shader prologue " + std::string(PROLOGUE_NAME) + " not found under " +
               Settings::GetCookedAssetsPath().string() + " (needed by " + aPath.string() + ")");
        return {};
    }

    std::string header = "#version 330 core\n";
    header += aStage == ShaderStage::Vertex ? "#define QEL_VERTEX_SHADER 1\n" : "#define QEL_PIXEL_SHADER 1\n";
    // Without clip control the shaders remap Direct3D's 0..1 clip depth themselves.
    header += ClipDepthIsZeroToOne() ? "#define QEL_DEPTH_REMAP 0\n" : "#define QEL_DEPTH_REMAP 1\n";
    const char* parts[] = {header.c_str(), "#line 1 1\n", prologue->c_str(), "\n#line 1 2\n", source->c_str()};

    const GLenum type = aStage == ShaderStage::Vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER;
    impl::gl::ShaderObject shader(glCreateShader(type));
    if (!shader)
    {
        Report("Shader object could not be created for " + aPath.string());
        return {};
    }
    glShaderSource(shader.Get(), static_cast<GLsizei>(std::size(parts)), parts, nullptr);
    glCompileShader(shader.Get());
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader.Get(), GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE)
    {
        Report("Shader failed to compile: " + aPath.string() + " (source 1 is " + PROLOGUE_NAME +
               ", source 2 this file)\n" + GetShaderLog(shader.Get()));
        return {};
    }
    aSource = *source;
    return shader;
}

// N from a name ending in aMarker followed by digits ("Shape_b6" with "_b" gives 6).
std::optional<u32> NumberAfterMarker(const std::string& aName, const char* aMarker)
{
    const size_t at = aName.rfind(aMarker);
    if (at == std::string::npos)
        return std::nullopt;
    const std::string digits = aName.substr(at + 2);
    if (digits.empty() || digits.size() > 4 ||
        !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    return static_cast<u32>(std::stoul(digits));
}

std::optional<u32> BlockBinding(const std::string& aName)
{
    static constexpr struct
    {
        const char* name;
        u32 binding;
    } table[] = {{"QelFrame", 0},  {"QelCamera", 1}, {"QelLights", 2}, {"QelAlphaTest", 3},
                 {"QelObject", 4}, {"QelBones", 5},  {"QelCustom", 5}, {"QelPixelate", 13}};
    for (const auto& entry : table)
        if (aName == entry.name)
            return entry.binding;
    // Points 0 to 5 and 13 belong to the named blocks above.
    const std::optional<u32> binding = NumberAfterMarker(aName, "_b");
    if (!binding || *binding < 6 || *binding == 13)
        return std::nullopt;
    return binding;
}

std::optional<u32> TextureUnit(const std::string& aName)
{
    static constexpr struct
    {
        const char* name;
        u32 unit;
    } table[] = {{"qelEnvironment", 0}, {"qelSource", 0},   {"qelColor", 1},
                 {"qelNormal", 2},      {"qelMaterial", 3}, {"qelEffects", 4}};
    for (const auto& entry : table)
        if (aName == entry.name)
            return entry.unit;
    return NumberAfterMarker(aName, "_t");
}

bool IsSamplerType(GLenum aType)
{
    switch (aType)
    {
    case GL_SAMPLER_1D:
    case GL_SAMPLER_2D:
    case GL_SAMPLER_3D:
    case GL_SAMPLER_CUBE:
    case GL_SAMPLER_1D_SHADOW:
    case GL_SAMPLER_2D_SHADOW:
    case GL_SAMPLER_1D_ARRAY:
    case GL_SAMPLER_2D_ARRAY:
    case GL_SAMPLER_1D_ARRAY_SHADOW:
    case GL_SAMPLER_2D_ARRAY_SHADOW:
    case GL_SAMPLER_2D_MULTISAMPLE:
    case GL_SAMPLER_2D_MULTISAMPLE_ARRAY:
    case GL_SAMPLER_CUBE_SHADOW:
    case GL_SAMPLER_BUFFER:
    case GL_SAMPLER_2D_RECT:
    case GL_SAMPLER_2D_RECT_SHADOW:
    case GL_INT_SAMPLER_1D:
    case GL_INT_SAMPLER_2D:
    case GL_INT_SAMPLER_3D:
    case GL_INT_SAMPLER_CUBE:
    case GL_INT_SAMPLER_1D_ARRAY:
    case GL_INT_SAMPLER_2D_ARRAY:
    case GL_INT_SAMPLER_2D_MULTISAMPLE:
    case GL_INT_SAMPLER_2D_MULTISAMPLE_ARRAY:
    case GL_INT_SAMPLER_BUFFER:
    case GL_INT_SAMPLER_2D_RECT:
    case GL_UNSIGNED_INT_SAMPLER_1D:
    case GL_UNSIGNED_INT_SAMPLER_2D:
    case GL_UNSIGNED_INT_SAMPLER_3D:
    case GL_UNSIGNED_INT_SAMPLER_CUBE:
    case GL_UNSIGNED_INT_SAMPLER_1D_ARRAY:
    case GL_UNSIGNED_INT_SAMPLER_2D_ARRAY:
    case GL_UNSIGNED_INT_SAMPLER_2D_MULTISAMPLE:
    case GL_UNSIGNED_INT_SAMPLER_2D_MULTISAMPLE_ARRAY:
    case GL_UNSIGNED_INT_SAMPLER_BUFFER:
    case GL_UNSIGNED_INT_SAMPLER_2D_RECT:
        return true;
    default:
        return false;
    }
}

// Block bindings and texture units by name. The error text on failure.
std::optional<std::string> AssignBindings(GLuint aProgram)
{
    GLint maxBindings = 0;
    glGetIntegerv(GL_MAX_UNIFORM_BUFFER_BINDINGS, &maxBindings);
    char name[256];

    GLint blockCount = 0;
    glGetProgramiv(aProgram, GL_ACTIVE_UNIFORM_BLOCKS, &blockCount);
    for (GLint i = 0; i < blockCount; ++i)
    {
        GLsizei length = 0;
        glGetActiveUniformBlockName(aProgram, static_cast<GLuint>(i), sizeof(name), &length, name);
        const std::string blockName(name, static_cast<size_t>(length));
        const std::optional<u32> binding = BlockBinding(blockName);
        if (!binding || *binding >= static_cast<u32>(maxBindings))
            return "uniform block \"" + blockName +
                   "\" has no binding (a known name, or one ending in _b<N> with N from 6, not 13)";
        glUniformBlockBinding(aProgram, static_cast<GLuint>(i), *binding);
    }

    struct SamplerUnit
    {
        GLint location;
        u32 unit;
        GLenum type;
        std::string name;
    };
    std::vector<SamplerUnit> samplers;
    GLint uniformCount = 0;
    glGetProgramiv(aProgram, GL_ACTIVE_UNIFORMS, &uniformCount);
    for (GLint i = 0; i < uniformCount; ++i)
    {
        const GLuint index = static_cast<GLuint>(i);
        GLint blockIndex = -1;
        glGetActiveUniformsiv(aProgram, 1, &index, GL_UNIFORM_BLOCK_INDEX, &blockIndex);
        if (blockIndex != -1)
            continue;
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(aProgram, index, sizeof(name), &length, &size, &type, name);
        std::string uniformName(name, static_cast<size_t>(length));
        if (const size_t bracket = uniformName.find('['); bracket != std::string::npos)
            uniformName.resize(bracket);
        if (!IsSamplerType(type))
            return "uniform \"" + uniformName + "\" is outside a uniform block, where nothing sets it";
        const std::optional<u32> unit = TextureUnit(uniformName);
        if (size != 1 || !unit || *unit >= MAX_TEXTURE_UNIT)
            return "sampler \"" + uniformName + "\" has no texture unit (known names, or a name ending in _t<N>)";
        samplers.push_back({glGetUniformLocation(aProgram, name), *unit, type, uniformName});
    }
    for (size_t a = 0; a < samplers.size(); ++a)
        for (size_t b = a + 1; b < samplers.size(); ++b)
            if (samplers[a].unit == samplers[b].unit && samplers[a].type != samplers[b].type)
                return "samplers \"" + samplers[a].name + "\" and \"" + samplers[b].name +
                       "\" of different types share texture unit " + std::to_string(samplers[a].unit);

    GLint previous = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
    glUseProgram(aProgram);
    for (const SamplerUnit& sampler : samplers)
        glUniform1i(sampler.location, static_cast<GLint>(sampler.unit));
    glUseProgram(static_cast<GLuint>(previous));
    return std::nullopt;
}

template <typename Entry>
Entry* LoadStage(std::unordered_map<std::string, std::unique_ptr<Entry>, NameHash>& aCache, const std::string& aName,
                 ShaderStage aStage)
{
    const std::filesystem::path path = ResolveShaderPath(aName, aStage);
    if (path.empty())
    {
        Report("Shader file not found: " +
               (Settings::GetCookedAssetsPath() / (aName + (aStage == ShaderStage::Vertex ? ".vert" : ".frag")))
                   .string());
        return nullptr;
    }
    std::string source;
    impl::gl::ShaderObject shader = Compile(path, aStage, source);
    if (!shader)
        return nullptr;
    auto entry = std::make_unique<Entry>();
    entry->myShader = std::move(shader);
    entry->myPath = path;
    if constexpr (std::is_same_v<Entry, VertexShaderEntry>)
        entry->myBytecode = std::move(source);
    Entry* result = entry.get();
    aCache.emplace(aName, std::move(entry));
    return result;
}
}

std::filesystem::path ResolveCaseInsensitive(const std::filesystem::path& aRoot, std::string_view aRelative)
{
    std::string relative(aRelative);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    std::error_code error;
    const std::filesystem::path exact = aRoot / relative;
    if (std::filesystem::is_regular_file(exact, error))
        return exact;

    std::filesystem::path current = aRoot;
    size_t start = 0;
    while (start <= relative.size())
    {
        const size_t slash = std::min(relative.find('/', start), relative.size());
        const std::string component = relative.substr(start, slash - start);
        start = slash + 1;
        if (component.empty() || component == ".")
            continue;
        std::filesystem::path next = current / component;
        if (!std::filesystem::exists(next, error))
        {
            const std::string wanted = ToLower(component);
            next.clear();
            const std::filesystem::path folder = current.empty() ? std::filesystem::path(".") : current;
            for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
            {
                if (ToLower(it->path().filename().string()) == wanted)
                {
                    next = current / it->path().filename();
                    break;
                }
            }
            if (next.empty())
                return {};
        }
        current = next;
    }
    return std::filesystem::is_regular_file(current, error) ? current : std::filesystem::path();
}

std::filesystem::path ResolveShaderPath(std::string_view aName, ShaderStage aStage)
{
    if (aName.empty())
        return {};
    std::string file(aName);
    file += aStage == ShaderStage::Vertex ? ".vert" : ".frag";
    return ResolveCaseInsensitive(Settings::GetCookedAssetsPath(), file);
}

VertexShaderEntry* GetVertexShader(const std::string& aName)
{
    if (auto it = ourVertexShaders.find(aName); it != ourVertexShaders.end())
        return it->second.get();
    return LoadStage(ourVertexShaders, aName, ShaderStage::Vertex);
}

PixelShaderEntry* GetPixelShader(const std::string& aName)
{
    if (auto it = ourPixelShaders.find(aName); it != ourPixelShaders.end())
        return it->second.get();
    return LoadStage(ourPixelShaders, aName, ShaderStage::Pixel);
}

ShaderProgramEntry* GetProgram(const VertexShaderEntry* aVertexShader, const PixelShaderEntry* aPixelShader)
{
    if (!aVertexShader || !aPixelShader || !DX11::IsContextAlive())
        return nullptr;
    const std::pair<const void*, const void*> key{aVertexShader, aPixelShader};
    if (auto it = ourPrograms.find(key); it != ourPrograms.end())
        return it->second.get();

    impl::gl::Program program(glCreateProgram());
    if (!program)
        return nullptr;
    glAttachShader(program.Get(), aVertexShader->myShader.Get());
    glAttachShader(program.Get(), aPixelShader->myShader.Get());
    glLinkProgram(program.Get());
    GLint linked = GL_FALSE;
    glGetProgramiv(program.Get(), GL_LINK_STATUS, &linked);
    const std::string pair = aVertexShader->myPath.string() + " with " + aPixelShader->myPath.string();
    if (linked != GL_TRUE)
    {
        Report("Shader program failed to link: " + pair + "\n" + GetProgramLog(program.Get()));
        return nullptr;
    }
    if (const std::optional<std::string> error = AssignBindings(program.Get()))
    {
        Report("Shader program failed to link: " + pair + "\n" + *error);
        return nullptr;
    }
    auto entry = std::make_unique<ShaderProgramEntry>();
    entry->myProgram = std::move(program);
    entry->myVertexShader = aVertexShader;
    entry->myPixelShader = aPixelShader;
    ShaderProgramEntry* result = entry.get();
    ourPrograms.emplace(key, std::move(entry));
    return result;
}

size_t GetVertexShaderCount() { return ourVertexShaders.size(); }
size_t GetPixelShaderCount() { return ourPixelShaders.size(); }
size_t GetProgramCount() { return ourPrograms.size(); }

u64 GetGeneration() { return ourGeneration; }

void Clear()
{
    ++ourGeneration;
    ourPrograms.clear();
    ourVertexShaders.clear();
    ourPixelShaders.clear();
}
}
