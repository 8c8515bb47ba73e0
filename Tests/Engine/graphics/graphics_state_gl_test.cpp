// The state stack against a real GL context: what Apply sends, the blocks as the shaders see them,
// and the sampler table.
#include "GraphicsTestContext.h"
#include "TestSupport.h"
#include "drawers/SpriteDrawer.h"
#include "graphics/GL.h"
#include "graphics/ShaderCache.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>
#include <fstream>
#include <sstream>

using namespace Qel;

namespace
{
class GraphicsStateGLTest : public QelTest::GraphicsTest
{
};

GLint GetInt(GLenum aName)
{
    GLint value = 0;
    glGetIntegerv(aName, &value);
    return value;
}

template <typename Block>
Block ReadBlock(const impl::gl::Buffer& aBuffer)
{
    Block block;
    glBindBuffer(GL_UNIFORM_BUFFER, aBuffer.Get());
    glGetBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof(Block), &block);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    return block;
}

std::string ReadText(const std::filesystem::path& aPath)
{
    std::ifstream file(aPath, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
}

TEST_F(GraphicsStateGLTest, PopSendsTheBaseBlendStateAgain)
{
    myStates->Push();
    myStates->SetBlendState(BLEND_STATE_ADDITIVE_BLEND);
    myStates->Apply(false);
    EXPECT_EQ(myStates->GetLastApplyMask(), APPLY_BLEND);
    EXPECT_EQ(GetInt(GL_BLEND_DST_RGB), GL_ONE);
    myStates->Pop();
    myStates->Apply(false);
    EXPECT_EQ(myStates->GetLastApplyMask(), APPLY_BLEND);
    EXPECT_EQ(GetInt(GL_BLEND_DST_RGB), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(GetInt(GL_BLEND_EQUATION_ALPHA), GL_MAX);
    myStates->Apply(false);
    EXPECT_EQ(myStates->GetLastApplyMask(), 0u);
}

TEST_F(GraphicsStateGLTest, AClearForcesTheOutputStatesOfTheNextApplyAndNothingElse)
{
    myStates->Apply(false);
    EXPECT_EQ(myStates->GetLastApplyMask(), 0u);
    myStates->SetDepthStencilState(DEPTH_STENCIL_STATE_READ_ONLY_LESS);
    myStates->Apply(false);
    EXPECT_EQ(GetInt(GL_DEPTH_WRITEMASK), GL_FALSE);
    const float black[4] = {0, 0, 0, 1};
    myDevice->Clear(black);   // forces the colour and depth masks behind the stack's back
    EXPECT_EQ(GetInt(GL_DEPTH_WRITEMASK), GL_TRUE);
    myStates->Apply(false);
    EXPECT_EQ(myStates->GetLastApplyMask(), APPLY_BLEND | APPLY_DEPTH_STENCIL | APPLY_RASTERIZER);
    EXPECT_EQ(GetInt(GL_DEPTH_WRITEMASK), GL_FALSE);
    // A reset of the base state sends what differs from it, with nothing forced behind it.
    myStates->BeginFrame(0.0f, 0.0f);
    EXPECT_EQ(myStates->GetLastApplyMask(), APPLY_DEPTH_STENCIL);
    EXPECT_EQ(GetInt(GL_DEPTH_WRITEMASK), GL_TRUE);
    DX11::InvalidateCachedState();   // anything may have changed: everything goes out again
    myStates->Apply(false);
    EXPECT_NE(myStates->GetLastApplyMask() & APPLY_BLOCK_BINDINGS, 0u);
    EXPECT_NE(myStates->GetLastApplyMask() & APPLY_SAMPLER, 0u);
}

TEST_F(GraphicsStateGLTest, DepthStatesSetTheMaskAndTheComparison)
{
    struct Case
    {
        u32 state;
        GLint mask;
        GLint function;
    };
    const Case cases[] = {{0, GL_TRUE, GL_LESS}, {1, GL_TRUE, GL_LEQUAL}, {2, GL_FALSE, GL_LESS}, {3, GL_FALSE, GL_LEQUAL}};
    for (const Case& c : cases)
    {
        myStates->SetDepthStencilState(c.state);
        myStates->Apply(false);
        EXPECT_EQ(GetInt(GL_DEPTH_WRITEMASK), c.mask) << c.state;
        EXPECT_EQ(GetInt(GL_DEPTH_FUNC), c.function) << c.state;
        EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_TRUE);
    }
}

TEST_F(GraphicsStateGLTest, BeginFrameFillsTheBlocksAndBindsThem)
{
    myStates->BeginFrame(1.5f, 0.25f);
    const FrameBlock frame = ReadBlock<FrameBlock>(myStates->GetFrameBuffer());
    EXPECT_EQ(frame.myRenderWidth, 320.0f);
    EXPECT_EQ(frame.myRenderHeight, 180.0f);
    EXPECT_EQ(frame.myTotalTime, 1.5f);
    EXPECT_EQ(frame.myDeltaTime, 0.25f);

    const CameraBlock expected = PackCameraBlock(MakeScreenSpaceCamera(320.0f, 180.0f));
    const CameraBlock camera = ReadBlock<CameraBlock>(myStates->GetCameraBuffer());
    EXPECT_EQ(std::memcmp(&camera, &expected, sizeof(CameraBlock)), 0);

    const impl::gl::Buffer* buffers[] = {&myStates->GetFrameBuffer(), &myStates->GetCameraBuffer(),
                                         &myStates->GetLightBuffer(), &myStates->GetAlphaTestBuffer()};
    for (GLuint slot = 0; slot < 4; ++slot)
    {
        GLint bound = 0;
        glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, slot, &bound);
        EXPECT_EQ(static_cast<u32>(bound), buffers[slot]->Get()) << slot;
    }
}

TEST_F(GraphicsStateGLTest, CameraIsSentOnlyWhenItsStampChanged)
{
    Camera camera;
    camera.SetPosition({10.0f, 20.0f, -1000.0f});
    myStates->Push();
    myStates->SetCamera(camera);
    myStates->Apply(false);
    EXPECT_EQ(myStates->GetLastApplyMask(), APPLY_CAMERA);
    EXPECT_EQ(ReadBlock<CameraBlock>(myStates->GetCameraBuffer()).myView[12], -10.0f);
    myStates->Pop();
    myStates->Push();
    myStates->SetCamera(camera);   // same camera, new stamp
    myStates->Apply(false);
    EXPECT_EQ(myStates->GetLastApplyMask(), APPLY_CAMERA);
    myStates->Pop();
    myStates->Apply(false);
    EXPECT_EQ(myStates->GetLastApplyMask(), APPLY_CAMERA);
    EXPECT_EQ(ReadBlock<CameraBlock>(myStates->GetCameraBuffer()).myView[12], 0.0f);
}

// Blocks equal to what their buffer holds are not uploaded again; a buffer must still follow
// every change, back to an earlier value too, across frames and pushes.
TEST_F(GraphicsStateGLTest, BlockBuffersFollowTheTopStateAcrossFramesAndRepeats)
{
    struct Step
    {
        float threshold;
        u32 lights;
        float cameraX;
    };
    const Step steps[] = {{0.0f, 0, 0.0f}, {0.5f, 2, 30.0f}, {0.5f, 2, 30.0f}, {0.0f, 0, 0.0f}, {0.25f, 2, 0.0f}};
    for (int frame = 0; frame < 2; ++frame)
    {
        myStates->BeginFrame(static_cast<float>(frame), 0.1f);
        for (const Step& step : steps)
        {
            myStates->Push();
            myStates->SetAlphaTestThreshold(step.threshold);
            myStates->SetLightCount(step.lights);
            Camera camera = myStates->GetCamera();
            camera.SetPosition({step.cameraX, 0.0f, 0.0f});
            myStates->SetCamera(camera);
            myStates->Apply(false);
            const GraphicsState& top = myStates->GetTop();
            const AlphaTestBlock alpha = PackAlphaTestBlock(top);
            const LightBlock lights = PackLightBlock(top);
            const CameraBlock cameraBlock = PackCameraBlock(top.myCamera);
            const AlphaTestBlock sentAlpha = ReadBlock<AlphaTestBlock>(myStates->GetAlphaTestBuffer());
            const LightBlock sentLights = ReadBlock<LightBlock>(myStates->GetLightBuffer());
            const CameraBlock sentCamera = ReadBlock<CameraBlock>(myStates->GetCameraBuffer());
            EXPECT_EQ(std::memcmp(&sentAlpha, &alpha, sizeof(alpha)), 0) << frame << " " << step.threshold;
            EXPECT_EQ(std::memcmp(&sentLights, &lights, sizeof(lights)), 0) << frame << " " << step.lights;
            EXPECT_EQ(std::memcmp(&sentCamera, &cameraBlock, sizeof(cameraBlock)), 0) << frame << " " << step.cameraX;
            myStates->Pop();
        }
        // Popped back to the frame's base state: its blocks are in the buffers again.
        myStates->Apply(false);
        const CameraBlock base = PackCameraBlock(myStates->GetTop().myCamera);
        const CameraBlock sent = ReadBlock<CameraBlock>(myStates->GetCameraBuffer());
        EXPECT_EQ(std::memcmp(&sent, &base, sizeof(base)), 0) << frame;
        EXPECT_EQ(ReadBlock<AlphaTestBlock>(myStates->GetAlphaTestBuffer()).myThreshold,
                  myStates->GetTop().myAlphaTestThreshold);
    }
}

// The GLSL declarations of the prologue and the C++ mirrors agree on every size and offset.
TEST_F(GraphicsStateGLTest, PrologueBlocksMatchTheEngineMirrors)
{
    QelTest::TempFolder root;
    root.Write("shaders/qel_common.glsl", ReadText(QelTest::RepositoryCookedAssetsFolder() / "shaders/qel_common.glsl"));
    root.Write("layout_probe.vert",
               "void main() { gl_Position = vec4(qelRenderSize, qelNear, qelLightScalar) * qelView; }\n");
    root.Write("layout_probe.frag", "layout(location = 0) out vec4 qelOut;\n"
                                    "void main() { qelOut = qelAlphaTestVector + qelFirstColor; }\n");
    Settings::GetCookedAssetsPath() = root.Path();
    const ShaderProgramEntry* program =
        ShaderCache::GetProgram(ShaderCache::GetVertexShader("layout_probe"), ShaderCache::GetPixelShader("layout_probe"));
    ASSERT_NE(program, nullptr);
    const GLuint name = program->myProgram.Get();

    struct BlockCase
    {
        const char* block;
        GLint size;
        GLint binding;
    };
    const BlockCase blocks[] = {{"QelFrame", sizeof(FrameBlock), 0},
                                {"QelCamera", sizeof(CameraBlock), 1},
                                {"QelLights", sizeof(LightBlock), 2},
                                {"QelAlphaTest", sizeof(AlphaTestBlock), 3}};
    for (const BlockCase& c : blocks)
    {
        const GLuint index = glGetUniformBlockIndex(name, c.block);
        ASSERT_NE(index, GL_INVALID_INDEX) << c.block;
        GLint size = 0, binding = -1;
        glGetActiveUniformBlockiv(name, index, GL_UNIFORM_BLOCK_DATA_SIZE, &size);
        glGetActiveUniformBlockiv(name, index, GL_UNIFORM_BLOCK_BINDING, &binding);
        EXPECT_EQ(size, c.size) << c.block;
        EXPECT_EQ(binding, c.binding) << c.block;
    }

    struct MemberCase
    {
        const char* member;
        GLint offset;
    };
    const MemberCase members[] = {
        {"qelRenderSize", offsetof(FrameBlock, myRenderWidth)},
        {"qelTotalTime", offsetof(FrameBlock, myTotalTime)},
        {"qelDeltaTime", offsetof(FrameBlock, myDeltaTime)},
        {"qelView", offsetof(CameraBlock, myView)},
        {"qelCameraTransform", offsetof(CameraBlock, myCameraTransform)},
        {"qelProjection", offsetof(CameraBlock, myProjection)},
        {"qelInverseProjection", offsetof(CameraBlock, myInverseProjection)},
        {"qelNear", offsetof(CameraBlock, myNear)},
        {"qelFar", offsetof(CameraBlock, myFar)},
        {"qelLights[0].positionPad", offsetof(PointLightBlock, myPosition)},
        {"qelLights[0].color", offsetof(PointLightBlock, myColor)},
        {"qelLights[0].rangeIntensityPad", offsetof(PointLightBlock, myRange)},
        {"qelLights[7].color", 7 * sizeof(PointLightBlock) + offsetof(PointLightBlock, myColor)},
        {"qelLightCount", offsetof(LightBlock, myLightCount)},
        {"qelLightScalar", offsetof(LightBlock, myLightScalar)},
        {"qelFirstColor", offsetof(LightBlock, myFirstColor)},
        {"qelSecondColor", offsetof(LightBlock, mySecondColor)},
        {"qelLightMatrix", offsetof(LightBlock, myLightMatrix)},
        {"qelAlphaTestVector", offsetof(AlphaTestBlock, myVector)},
        {"qelAlphaTestThreshold", offsetof(AlphaTestBlock, myThreshold)},
    };
    for (const MemberCase& c : members)
    {
        GLuint index = GL_INVALID_INDEX;
        glGetUniformIndices(name, 1, &c.member, &index);
        ASSERT_NE(index, GL_INVALID_INDEX) << c.member;
        GLint offset = -1, rowMajor = 0, type = 0;
        glGetActiveUniformsiv(name, 1, &index, GL_UNIFORM_OFFSET, &offset);
        glGetActiveUniformsiv(name, 1, &index, GL_UNIFORM_IS_ROW_MAJOR, &rowMajor);
        glGetActiveUniformsiv(name, 1, &index, GL_UNIFORM_TYPE, &type);
        EXPECT_EQ(offset, c.offset) << c.member;
        if (type == GL_FLOAT_MAT4)
        {
            EXPECT_EQ(rowMajor, 1) << c.member;
        }
    }
}

namespace
{
// A 4 x 4 texture whose top level is red and whose smaller levels are green.
GLuint MakeMipProbeTexture()
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    for (GLint level = 0, size = 4; size >= 1; ++level, size /= 2)
    {
        std::vector<u8> rgba;
        for (int i = 0; i < size * size; ++i)
        {
            const u8 texel[4] = {static_cast<u8>(level == 0 ? 255 : 0), static_cast<u8>(level == 0 ? 0 : 255), 0, 255};
            rgba.insert(rgba.end(), texel, texel + 4);
        }
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 2);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}
}

TEST_F(GraphicsStateGLTest, BilinearWrapSamplesTheTopLevelOnly)
{
    SpriteDrawer drawer;
    ASSERT_TRUE(drawer.Init());
    const GLuint texture = MakeMipProbeTexture();
    struct Case
    {
        u32 filter;
        u32 address;
        bool topLevel;
    };
    const Case cases[] = {{1, 1, true}, {2, 1, false}, {1, 0, false}, {0, 1, false}};
    int x = 10;
    for (const Case& c : cases)
    {
        myStates->SetSamplerState(c.filter, c.address);
        myStates->SetBlendState(BLEND_STATE_DISABLED);
        SpriteBatchScope batch = drawer.BeginBatch({});
        // The batch draws at its end: put the probe texture where its colour texture went.
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, texture);
        glActiveTexture(GL_TEXTURE0);
        Sprite2DInstanceData sprite;
        sprite.myPosition = {static_cast<float>(x), 20.0f};   // one pixel showing all 4 x 4 texels
        batch.Draw(sprite);
        batch.End();
        Invalidate();
        const auto pixel = Pixel(x, 19);
        if (c.topLevel)
            EXPECT_EQ(pixel[0], 255) << c.filter << "," << c.address;
        else
            EXPECT_EQ(pixel[1], 255) << c.filter << "," << c.address;
        x += 10;
    }
    glDeleteTextures(1, &texture);
}

TEST_F(GraphicsStateGLTest, AOneLevelTextureStaysWhiteUnderTrilinear)
{
    SpriteDrawer drawer;
    ASSERT_TRUE(drawer.Init());
    myStates->SetSamplerState(SAMPLER_FILTER_TRILINEAR, SAMPLER_ADDRESS_WRAP);
    {
        SpriteBatchScope batch = drawer.BeginBatch({});   // the white square, 4 x 4, one level
        Sprite2DInstanceData sprite;
        sprite.myPosition = {5.0f, 5.0f};
        batch.Draw(sprite);
    }
    EXPECT_EQ(Pixel(5, 4), (std::array<u8, 4>{255, 255, 255, 255}));
}

TEST_F(GraphicsStateGLTest, TextureUploadsKeepTheStateCache)
{
    // A cube map of its own on the environment slot, so a lost binding would show.
    myStates->SetEnvironmentMap(ENVIRONMENT_MAP_HORIZON, nullptr);
    myStates->Apply(false);
    myStates->Apply(false);
    ASSERT_EQ(myStates->GetLastApplyMask(), 0u);
    const auto bound = [] {
        glActiveTexture(GL_TEXTURE0 + ENVIRONMENT_TEXTURE_SLOT);
        const std::pair<GLint, GLint> names{GetInt(GL_TEXTURE_BINDING_CUBE_MAP), GetInt(GL_TEXTURE_BINDING_2D)};
        glActiveTexture(GL_TEXTURE0);
        return names;
    };
    const auto before = bound();

    const std::vector<u8> pixels(8 * 8 * 4, 90);
    std::unique_ptr<Texture> frame = Texture::CreateFromRGBA(8, 8, pixels.data());
    ASSERT_TRUE(frame);
    struct Case
    {
        const char* name;
        std::function<bool()> upload;
    };
    const Case cases[] = {
        {"video frame", [&] { return frame->UpdateRGBA(pixels.data(), 0, 4, 4); }},
        {"whole texture rewrite", [&] { return frame->UpdateRGBA(pixels.data()); }},
        {"glyph atlas with mips", [&] { return Texture::CreateFromRGBA(8, 8, pixels.data(), 0, false, true) != nullptr; }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.upload());
        myStates->Apply(false);
        EXPECT_EQ(myStates->GetLastApplyMask(), 0u) << "an upload made the next apply resend state";
        EXPECT_EQ(bound(), before);
    }
}
