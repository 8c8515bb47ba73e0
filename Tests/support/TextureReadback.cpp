#include "TextureReadback.h"

#include "graphics/DX11.h"
#include "graphics/GL.h"
#include "texture/TextureUpload.h"

#include <limits>
#include <string>

namespace QelTest
{
using namespace Qel;
using Qel::impl::ScopedTextureBinding;

namespace
{
bool TakeGLError()
{
    const GLenum error = glGetError();
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i)
    {
    }
    return error != GL_NO_ERROR;
}
}

std::vector<u8> ReadTextureRGBA8(const ShaderResourceView& aView, u32 aLevel, u32 aFace)
{
    std::vector<u8> pixels;
    if (!aView || !DX11::IsContextAlive() || aLevel >= aView->GetLevels())
        return pixels;
    const GLenum target = aView->GetTarget();
    if (target != GL_TEXTURE_2D && target != GL_TEXTURE_CUBE_MAP)
        return pixels;
    if (target == GL_TEXTURE_CUBE_MAP && aFace >= 6)
        return pixels;
    ScopedTextureBinding binding(target);
    glBindTexture(target, aView->GetName());
    const GLenum image = target == GL_TEXTURE_CUBE_MAP ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + aFace : GL_TEXTURE_2D;
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(image, static_cast<GLint>(aLevel), GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(image, static_cast<GLint>(aLevel), GL_TEXTURE_HEIGHT, &height);
    if (width <= 0 || height <= 0)
        return pixels;
    GLint previousPack = 0;
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &previousPack);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    glGetTexImage(image, static_cast<GLint>(aLevel), GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(previousPack));
    if (TakeGLError())
        pixels.clear();
    return pixels;
}

u32 GetTextureMaxLevel(const ShaderResourceView& aView)
{
    if (!aView || !DX11::IsContextAlive())
        return 0;
    ScopedTextureBinding binding(aView->GetTarget());
    glBindTexture(aView->GetTarget(), aView->GetName());
    GLint maxLevel = 0;
    glGetTexParameteriv(aView->GetTarget(), GL_TEXTURE_MAX_LEVEL, &maxLevel);
    return static_cast<u32>(maxLevel);
}

namespace
{
GLuint CompileStage(GLenum aStage, const char* aSource)
{
    const GLuint shader = glCreateShader(aStage);
    glShaderSource(shader, 1, &aSource, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok)
    {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

const char* SamplerTypeOf(GLenum aTarget)
{
    switch (aTarget)
    {
    case GL_TEXTURE_1D:
        return "sampler1D";
    case GL_TEXTURE_1D_ARRAY:
        return "sampler1DArray";
    case GL_TEXTURE_2D_ARRAY:
        return "sampler2DArray";
    case GL_TEXTURE_CUBE_MAP:
        return "samplerCube";
    case GL_TEXTURE_CUBE_MAP_ARRAY:
        return "samplerCubeArray";
    case GL_TEXTURE_3D:
        return "sampler3D";
    default:
        return "sampler2D";
    }
}

const char* CoordinateOf(GLenum aTarget)
{
    switch (aTarget)
    {
    case GL_TEXTURE_1D:
        return "qelAt.x";
    case GL_TEXTURE_1D_ARRAY:
        return "qelAt.xz";
    case GL_TEXTURE_2D_ARRAY:
    case GL_TEXTURE_CUBE_MAP:
    case GL_TEXTURE_3D:
        return "qelAt.xyz";
    case GL_TEXTURE_CUBE_MAP_ARRAY:
        return "vec4(qelAt.xyz, 0.0)";
    default:
        return "qelAt.xy";
    }
}
}

std::array<float, 4> SampleTexture(const ShaderResourceView& aView, float aX, float aY, float aZ, float aLevel)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::array<float, 4> result = {nan, nan, nan, nan};
    if (!aView || !DX11::IsContextAlive() || !DX11::IsRenderThread())
        return result;

    GLint program = 0, vertexArray = 0, drawFramebuffer = 0, readFramebuffer = 0, activeTexture = 0, sampler = 0;
    GLint viewport[4] = {};
    GLboolean colorMask[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, colorMask);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture);
    glGetIntegerv(GL_VIEWPORT, viewport);
    const GLenum capabilities[] = {GL_BLEND, GL_DEPTH_TEST, GL_SCISSOR_TEST, GL_CULL_FACE, GL_FRAMEBUFFER_SRGB,
                                   GL_STENCIL_TEST};
    GLboolean enabled[6] = {};
    for (int i = 0; i < 6; ++i)
    {
        enabled[i] = glIsEnabled(capabilities[i]);
        glDisable(capabilities[i]);
    }
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_SAMPLER_BINDING, &sampler);

    {
        ScopedTextureBinding binding(aView->GetTarget());
        const std::string fragment = std::string("#version 330 core\n") +
                                     (aView->GetTarget() == GL_TEXTURE_CUBE_MAP_ARRAY
                                          ? "#extension GL_ARB_texture_cube_map_array : require\n"
                                          : "") +
                                     "uniform " + SamplerTypeOf(aView->GetTarget()) +
                                     " qelTexture;\nuniform vec4 qelAt;\nout vec4 qelOut;\n"
                                     "void main() { qelOut = textureLod(qelTexture, " +
                                     CoordinateOf(aView->GetTarget()) + ", qelAt.w); }\n";
        const char* vertex = "#version 330 core\n"
                             "void main() { vec2 p = vec2((gl_VertexID & 1) * 4 - 1, (gl_VertexID & 2) * 2 - 1);"
                             " gl_Position = vec4(p, 0.0, 1.0); }\n";
        const GLuint vs = CompileStage(GL_VERTEX_SHADER, vertex);
        const GLuint fs = CompileStage(GL_FRAGMENT_SHADER, fragment.c_str());
        GLuint linked = 0;
        if (vs && fs)
        {
            linked = glCreateProgram();
            glAttachShader(linked, vs);
            glAttachShader(linked, fs);
            glLinkProgram(linked);
            GLint ok = 0;
            glGetProgramiv(linked, GL_LINK_STATUS, &ok);
            if (!ok)
            {
                glDeleteProgram(linked);
                linked = 0;
            }
        }
        if (vs)
            glDeleteShader(vs);
        if (fs)
            glDeleteShader(fs);

        if (linked)
        {
            GLuint target = 0, framebuffer = 0, emptyArray = 0, nearest = 0;
            glGenTextures(1, &target);
            glBindTexture(GL_TEXTURE_2D, target);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, 1, 1, 0, GL_RGBA, GL_FLOAT, nullptr);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
            glGenFramebuffers(1, &framebuffer);
            glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
            glViewport(0, 0, 1, 1);
            glGenSamplers(1, &nearest);
            glSamplerParameteri(nearest, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
            glSamplerParameteri(nearest, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glSamplerParameteri(nearest, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glSamplerParameteri(nearest, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            glSamplerParameteri(nearest, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
            glBindSampler(0, nearest);
            glBindTexture(aView->GetTarget(), aView->GetName());
            glUseProgram(linked);
            glUniform1i(glGetUniformLocation(linked, "qelTexture"), 0);
            glUniform4f(glGetUniformLocation(linked, "qelAt"), aX, aY, aZ, aLevel);
            glGenVertexArrays(1, &emptyArray);
            glBindVertexArray(emptyArray);
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
            if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE)
            {
                glDrawArrays(GL_TRIANGLES, 0, 3);
                glReadPixels(0, 0, 1, 1, GL_RGBA, GL_FLOAT, result.data());
            }
            glBindVertexArray(static_cast<GLuint>(vertexArray));
            glDeleteVertexArrays(1, &emptyArray);
            glBindSampler(0, static_cast<GLuint>(sampler));
            glDeleteSamplers(1, &nearest);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
            glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
            glDeleteFramebuffers(1, &framebuffer);
            glDeleteTextures(1, &target);
            glUseProgram(static_cast<GLuint>(program));
            glDeleteProgram(linked);
        }
    }
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glColorMask(colorMask[0], colorMask[1], colorMask[2], colorMask[3]);
    for (int i = 0; i < 6; ++i)
        if (enabled[i])
            glEnable(capabilities[i]);
    glActiveTexture(static_cast<GLenum>(activeTexture));
    if (TakeGLError())
        result = {nan, nan, nan, nan};
    return result;
}

std::vector<float> ReadTextureRGBA32F(const ShaderResourceView& aView)
{
    std::vector<float> pixels;
    if (!aView || !DX11::IsContextAlive() || aView->GetTarget() != GL_TEXTURE_2D)
        return pixels;
    pixels.resize(static_cast<size_t>(aView->GetWidth()) * aView->GetHeight() * 4);
    const ScopedTextureBinding bound(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, aView->GetName());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, pixels.data());
    return pixels;
}
}
