// Bunnymark in bare OpenGL 3.3: the lower bound for the engine's sprite path. It does the work
// the engine's frame has to do for the same picture and nothing more: an sRGB colour texture
// with a depth texture as the back buffer, cleared in one call; 112-byte instances (world rows,
// linear colour, UV rectangle, extras) written straight into a streaming buffer (unsynchronised
// maps into a ring, one fence a frame), 1024 a draw; the same sampler, alpha test and blend as the
// engine's default state; a blit to the window and a swap. See BunnyScene.h for the options.
#include "BunnyScene.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>
#include <SDL.h>

#include <cfloat>
#include <malloc.h>

namespace
{
using namespace Bunnymark;

const char* VERTEX_SHADER = R"(#version 330 core
layout(std140, row_major) uniform Camera
{
    mat4 view;
    mat4 projection;
};
layout(location = 0) in vec4 inCorner;
layout(location = 1) in uvec4 inCornerIndex;
layout(location = 2) in vec4 inWorld0;
layout(location = 3) in vec4 inWorld1;
layout(location = 4) in vec4 inWorld2;
layout(location = 5) in vec4 inWorld3;
layout(location = 6) in vec4 inColor;
layout(location = 7) in vec4 inUVRect;
layout(location = 8) in vec4 inExtra;
out vec2 vUV;
out vec4 vColor;
out vec4 vExtra;
out vec3 vWorldPosition;
out vec2 vQuadPosition;
flat out uint vCornerIndex;
void main()
{
    vec4 world = inCorner.x * inWorld0 + inCorner.y * inWorld1 + inCorner.z * inWorld2 + inCorner.w * inWorld3;
    gl_Position = world * view * projection;
    vQuadPosition = vec2(inCorner.x, -inCorner.y);
    vUV = mix(inUVRect.xy, inUVRect.zw, vQuadPosition);
    vColor = inColor;
    vExtra = inExtra;
    vWorldPosition = world.xyz;
    vCornerIndex = inCornerIndex.x;
}
)";

const char* FRAGMENT_SHADER = R"(#version 330 core
layout(std140) uniform AlphaTest
{
    vec4 alphaTestVector;
    float alphaTestThreshold;
};
uniform sampler2D colorTexture;
in vec2 vUV;
in vec4 vColor;
layout(location = 0) out vec4 outColor;
void main()
{
    vec4 color = texture(colorTexture, vUV) * vColor;
    if (color.a < alphaTestThreshold)
        discard;
    outColor = color;
}
)";

struct Instance
{
    float world[16];
    float color[4];
    float uvRect[4];
    float extra[4];
};
static_assert(sizeof(Instance) == 112);

float SrgbToLinear(float aValue)
{
    return aValue >= 0.04045f ? std::pow((aValue + 0.055f) / 1.055f, 2.4f) : aValue / 12.92f;
}

GLuint Compile(GLenum aStage, const char* aSource)
{
    const GLuint shader = glCreateShader(aStage);
    glShaderSource(shader, 1, &aSource, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok)
    {
        char log[2048] = {};
        glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
        std::fprintf(stderr, "shader: %s\n", log);
    }
    return shader;
}

// The instance stream: a ring of two frames' worth of batches, written by unsynchronised maps;
// each frame fences its half and waits for the fence of the frame before it.
class InstanceRing
{
public:
    void Init(int aSprites)
    {
        const int batches = aSprites / BATCH_SIZE + 1;
        myHalfBytes = static_cast<GLsizeiptr>(batches) * BATCH_SIZE * static_cast<GLsizeiptr>(sizeof(Instance));
        glGenBuffers(1, &myBuffer);
        glBindBuffer(GL_ARRAY_BUFFER, myBuffer);
        glBufferData(GL_ARRAY_BUFFER, 2 * myHalfBytes, nullptr, GL_STREAM_DRAW);
    }
    GLuint Buffer() const { return myBuffer; }
    void BeginFrame()
    {
        myHalf ^= 1;
        if (myFences[myHalf])
        {
            glClientWaitSync(myFences[myHalf], GL_SYNC_FLUSH_COMMANDS_BIT, ~GLuint64(0));
            glDeleteSync(myFences[myHalf]);
            myFences[myHalf] = nullptr;
        }
        myCursor = myHalf * myHalfBytes;
    }
    Instance* Map(int aCount, GLintptr& aOffset)
    {
        aOffset = myCursor;
        const GLsizeiptr bytes = static_cast<GLsizeiptr>(aCount) * static_cast<GLsizeiptr>(sizeof(Instance));
        myCursor += bytes;
        glBindBuffer(GL_ARRAY_BUFFER, myBuffer);
        return static_cast<Instance*>(glMapBufferRange(
            GL_ARRAY_BUFFER, aOffset, bytes, GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT));
    }
    void Unmap() { glUnmapBuffer(GL_ARRAY_BUFFER); }
    void EndFrame() { myFences[myHalf] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0); }

private:
    GLuint myBuffer = 0;
    GLsizeiptr myHalfBytes = 0;
    GLintptr myCursor = 0;
    int myHalf = 1;
    GLsync myFences[2] = {nullptr, nullptr};
};

void PointInstancesAt(GLintptr aOffset)
{
    for (GLuint i = 0; i < 7; ++i)
        glVertexAttribPointer(2 + i, 4, GL_FLOAT, GL_FALSE, sizeof(Instance),
                              reinterpret_cast<const void*>(aOffset + static_cast<GLintptr>(16 * i)));
}
}

int main(int aArgc, char** aArgv)
{
    const Options options = ParseOptions(aArgc, aArgv);
    // The engine's device keeps the driver's per-frame memory resident the same way; without it
    // page faults per frame swing by thousands from run to run in either program.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
    {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_FRAMEBUFFER_SRGB_CAPABLE, 0);
    SDL_Window* window = SDL_CreateWindow("bunnymark reference", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, WIDTH,
                                          HEIGHT, SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context)
    {
        std::fprintf(stderr, "no GL 3.3 window: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(0);
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);

    // Back buffer: sRGB colour and 32-bit float depth; one framebuffer to clear both, one with
    // colour only to draw the sprites (no depth test against anything).
    GLuint colorTexture = 0, depthTexture = 0;
    glGenTextures(1, &colorTexture);
    glBindTexture(GL_TEXTURE_2D, colorTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_SRGB8_ALPHA8, WIDTH, HEIGHT, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glGenTextures(1, &depthTexture);
    glBindTexture(GL_TEXTURE_2D, depthTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT32F, WIDTH, HEIGHT, 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    GLuint clearFramebuffer = 0, drawFramebuffer = 0;
    glGenFramebuffers(1, &clearFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, clearFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture, 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depthTexture, 0);
    glGenFramebuffers(1, &drawFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, drawFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture, 0);

    // The bunny: sRGB, one level, trilinear with wrapping (the engine's default sampler).
    const std::vector<std::uint8_t> texels = MakeBunnyTexels();
    GLuint bunnyTexture = 0;
    glGenTextures(1, &bunnyTexture);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, bunnyTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_SRGB8_ALPHA8, BUNNY_SIZE, BUNNY_SIZE, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    GLuint sampler = 0;
    glGenSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glSamplerParameterf(sampler, GL_TEXTURE_MAX_LOD, FLT_MAX);
    glBindSampler(1, sampler);

    const GLuint program = glCreateProgram();
    glAttachShader(program, Compile(GL_VERTEX_SHADER, VERTEX_SHADER));
    glAttachShader(program, Compile(GL_FRAGMENT_SHADER, FRAGMENT_SHADER));
    glLinkProgram(program);
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "colorTexture"), 1);
    glUniformBlockBinding(program, glGetUniformBlockIndex(program, "Camera"), 1);
    glUniformBlockBinding(program, glGetUniformBlockIndex(program, "AlphaTest"), 3);

    // Screen-space camera: view identity; orthographic over x 0..width, y 0..height, depth -1..1
    // to clip z 0..1 (rows as the row-vector convention has them).
    float camera[32] = {};
    for (int i = 0; i < 4; ++i)
        camera[5 * i] = 1.0f;
    float* projection = camera + 16;
    projection[0] = 2.0f / static_cast<float>(WIDTH);
    projection[5] = 2.0f / static_cast<float>(HEIGHT);
    projection[10] = 1.0f / 2.0f;
    projection[12] = -static_cast<float>(WIDTH) / static_cast<float>(WIDTH);
    projection[13] = -static_cast<float>(HEIGHT) / static_cast<float>(HEIGHT);
    projection[14] = 1.0f / 2.0f;
    projection[15] = 1.0f;
    const float alphaTest[8] = {0, 0, 0, 0, 0.0f, 0, 0, 0};
    GLuint blocks[2] = {};
    glGenBuffers(2, blocks);
    glBindBuffer(GL_UNIFORM_BUFFER, blocks[0]);
    glBufferData(GL_UNIFORM_BUFFER, sizeof(camera), camera, GL_STATIC_DRAW);
    glBindBuffer(GL_UNIFORM_BUFFER, blocks[1]);
    glBufferData(GL_UNIFORM_BUFFER, sizeof(alphaTest), alphaTest, GL_STATIC_DRAW);
    glBindBufferBase(GL_UNIFORM_BUFFER, 1, blocks[0]);
    glBindBufferBase(GL_UNIFORM_BUFFER, 3, blocks[1]);

    // The quad (x 0..1, y -1..0, two triangles) with its corner indices, and the instances.
    struct QuadVertex
    {
        float position[4];
        std::uint32_t corner[4];
    };
    const float corners[6][2] = {{0, -1}, {0, 0}, {1, -1}, {1, 0}, {1, -1}, {0, 0}};
    QuadVertex quad[6];
    for (std::uint32_t i = 0; i < 6; ++i)
        quad[i] = QuadVertex{{corners[i][0], corners[i][1], 0.0f, 1.0f}, {i, 0, 0, 0}};
    GLuint vertexArray = 0, quadBuffer = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(1, &quadBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, quadBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(quad), quad, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(QuadVertex), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribIPointer(1, 4, GL_UNSIGNED_INT, sizeof(QuadVertex), reinterpret_cast<const void*>(16));
    InstanceRing ring;
    ring.Init(options.mySprites);
    glBindBuffer(GL_ARRAY_BUFFER, ring.Buffer());
    for (GLuint i = 0; i < 7; ++i)
    {
        glEnableVertexAttribArray(2 + i);
        glVertexAttribDivisor(2 + i, 1);
    }
    PointInstancesAt(0);

    // The engine's default state: alpha blend (colour by source alpha, alpha keeps the larger),
    // depth test on (no depth attached while drawing), no culling, clockwise front faces.
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE);
    glBlendEquationSeparate(GL_FUNC_ADD, GL_MAX);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glViewport(0, 0, WIDTH, HEIGHT);

    float linear[256];
    for (int i = 0; i < 256; ++i)
        linear[i] = SrgbToLinear(static_cast<float>(i) / 255.0f);
    const float clear[4] = {SrgbToLinear(CLEAR_COLOR[0]), SrgbToLinear(CLEAR_COLOR[1]), SrgbToLinear(CLEAR_COLOR[2]),
                            CLEAR_COLOR[3]};

    std::vector<Bunny> bunnies = MakeBunnies(options.mySprites);
    Meter meter;
    const int totalFrames = options.myWarmup + options.myFrames;
    bool quit = false;
    for (int frame = 0; frame < totalFrames && !quit; ++frame)
    {
        if (frame == options.myWarmup)
            meter.Start();
        SDL_Event event;
        while (SDL_PollEvent(&event))
            quit = quit || event.type == SDL_QUIT;

        glBindFramebuffer(GL_FRAMEBUFFER, clearFramebuffer);
        glEnable(GL_FRAMEBUFFER_SRGB);
        glDepthMask(GL_TRUE);
        glClearColor(clear[0], clear[1], clear[2], clear[3]);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glBindFramebuffer(GL_FRAMEBUFFER, drawFramebuffer);

        Step(bunnies);
        ring.BeginFrame();
        for (size_t first = 0; first < bunnies.size(); first += BATCH_SIZE)
        {
            const int count = static_cast<int>(std::min<size_t>(BATCH_SIZE, bunnies.size() - first));
            GLintptr offset = 0;
            Instance* instance = ring.Map(count, offset);
            for (int i = 0; i < count; ++i, ++instance)
            {
                const Bunny& bunny = bunnies[first + static_cast<size_t>(i)];
                float* w = instance->world;
                w[0] = static_cast<float>(BUNNY_SIZE), w[1] = 0.0f, w[2] = 0.0f, w[3] = 0.0f;
                w[4] = 0.0f, w[5] = static_cast<float>(BUNNY_SIZE), w[6] = 0.0f, w[7] = 0.0f;
                w[8] = 0.0f, w[9] = 0.0f, w[10] = 1.0f, w[11] = 0.0f;
                w[12] = bunny.x, w[13] = bunny.y, w[14] = 0.0f, w[15] = 1.0f;
                instance->color[0] = linear[bunny.r];
                instance->color[1] = linear[bunny.g];
                instance->color[2] = linear[bunny.b];
                instance->color[3] = 1.0f;
                instance->uvRect[0] = 0.0f, instance->uvRect[1] = 0.0f;
                instance->uvRect[2] = 1.0f, instance->uvRect[3] = 1.0f;
                instance->extra[0] = instance->extra[1] = instance->extra[2] = instance->extra[3] = 0.0f;
            }
            ring.Unmap();
            PointInstancesAt(offset);
            glDrawArraysInstanced(GL_TRIANGLES, 0, 6, count);
        }
        ring.EndFrame();

        glBindFramebuffer(GL_READ_FRAMEBUFFER, drawFramebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glDisable(GL_FRAMEBUFFER_SRGB);
        glBlitFramebuffer(0, 0, WIDTH, HEIGHT, 0, 0, WIDTH, HEIGHT, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        SDL_GL_SwapWindow(window);
    }
    meter.Stop();
    meter.Print("reference", options.mySprites, options.myFrames);

    int status = 0;
    if (!options.myCapture.empty())
    {
        std::vector<std::uint8_t> pixels(static_cast<size_t>(WIDTH * HEIGHT * 4));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, drawFramebuffer);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        status = WriteCapture(options.myCapture, pixels) ? 0 : 1;
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return status;
}
