// Shader loading from GLSL files, the caches, bindings by name and the sprite shader's inputs.
#include "TextureReadback.h"
#include "GraphicsTestContext.h"
#include "TestSupport.h"
#include "graphics/ConstantBlocks.h"
#include "graphics/DeviceContext.h"
#include "graphics/InputLayout.h"
#include "graphics/GL.h"
#include "graphics/ShaderCache.h"
#include "graphics/SpriteShader.h"
#include "settings/Settings.h"
#include "texture/TextureUpload.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

using namespace Qel;

namespace
{
std::string ReadText(const std::filesystem::path& aPath)
{
    std::ifstream file(aPath, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

const char* const PLAIN_FRAGMENT = "in vec2 vUV;\nin vec4 vColor;\nlayout(location = 0) out vec4 qelOut;\n"
                                   "void main() { qelOut = texture(qelColor, vUV) * vColor; }\n";

// A cooked root of its own, holding the engine's prologue and sprite vertex shader.
class ShaderTest : public QelTest::GraphicsTest
{
protected:
    void SetUp() override
    {
        QelTest::GraphicsTest::SetUp();
        const std::filesystem::path repository = QelTest::RepositoryCookedAssetsFolder();
        myRoot.Write("shaders/qel_common.glsl", ReadText(repository / "shaders/qel_common.glsl"));
        myRoot.Write("t/sprite.vert", ReadText(repository / "shaders/instanced_sprite_shader_VS.vert"));
        myRoot.Write("t/plain.frag", PLAIN_FRAGMENT);
        Settings::GetCookedAssetsPath() = myRoot.Path();
    }

    QelTest::TempFolder myRoot;
};

GLint BlockBinding(u32 aProgram, const char* aBlock)
{
    const GLuint index = glGetUniformBlockIndex(aProgram, aBlock);
    if (index == GL_INVALID_INDEX)
        return -1;
    GLint binding = -1;
    glGetActiveUniformBlockiv(aProgram, index, GL_UNIFORM_BLOCK_BINDING, &binding);
    return binding;
}

GLint SamplerUnit(u32 aProgram, const char* aSampler)
{
    const GLint location = glGetUniformLocation(aProgram, aSampler);
    if (location < 0)
        return -1;
    GLint unit = -1;
    glGetUniformiv(aProgram, location, &unit);
    return unit;
}

GLint BoundTexture2D(u32 aUnit)
{
    GLint name = 0;
    glActiveTexture(GL_TEXTURE0 + aUnit);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    glActiveTexture(GL_TEXTURE0);
    return name;
}
}

TEST_F(ShaderTest, ShadersOfTheSameNamesShareOneCompiledStage)
{
    SpriteShader first;
    ASSERT_TRUE(first.Init("t/sprite", "t/plain"));
    // Gone from disk: the second shader can only have them from the cache.
    std::filesystem::remove(myRoot.Path() / "t/sprite.vert");
    std::filesystem::remove(myRoot.Path() / "t/plain.frag");
    SpriteShader second;
    ASSERT_TRUE(second.Init("t/sprite", "t/plain"));
    EXPECT_EQ(first.GetVertexShaderEntry(), second.GetVertexShaderEntry());
    EXPECT_EQ(first.GetPixelShaderEntry(), second.GetPixelShaderEntry());
    EXPECT_EQ(first.GetProgram(), second.GetProgram());
    EXPECT_NE(first.GetProgram(), 0u);
    EXPECT_EQ(ShaderCache::GetVertexShaderCount(), 1u);
    EXPECT_EQ(ShaderCache::GetProgramCount(), 1u);
}

TEST_F(ShaderTest, AMissingFileIsReportedAndTriedAgainLater)
{
    SpriteShader shader;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(shader.Init("t/late", "t/plain"));
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_NE(output.find("late.vert"), std::string::npos) << output;
    EXPECT_FALSE(shader.IsLoaded());
    EXPECT_FALSE(shader.PrepareRender());
    EXPECT_EQ(ShaderCache::GetVertexShaderCount(), 0u);

    myRoot.Write("t/late.vert", ReadText(myRoot.Path() / "t/sprite.vert"));
    EXPECT_TRUE(shader.Init("t/late", "t/plain"));
    EXPECT_TRUE(shader.PrepareRender());
}

TEST_F(ShaderTest, FailuresNameTheFileAndGiveTheCompilersLog)
{
    struct Case
    {
        const char* what;
        const char* fragment;
        const char* expectedInOutput;
    };
    const Case cases[] = {
        {"compile error", "layout(location = 0) out vec4 qelOut;\nvoid main() { qelOut = undefinedThing; }\n",
         "undefinedThing"},
        {"unknown block",
         "uniform Mystery { vec4 mysteryValue; };\nlayout(location = 0) out vec4 qelOut;\n"
         "void main() { qelOut = mysteryValue; }\n",
         "Mystery"},
        {"block on a reserved binding",
         "uniform Stolen_b2 { vec4 stolenValue; };\nlayout(location = 0) out vec4 qelOut;\n"
         "void main() { qelOut = stolenValue; }\n",
         "Stolen_b2"},
        {"uniform outside a block",
         "uniform vec4 looseValue;\nlayout(location = 0) out vec4 qelOut;\nvoid main() { qelOut = looseValue; }\n",
         "looseValue"},
        {"unknown sampler",
         "uniform sampler2D stray;\nlayout(location = 0) out vec4 qelOut;\n"
         "void main() { qelOut = texture(stray, vec2(0)); }\n",
         "stray"},
        {"two sampler types on one unit",
         "layout(location = 0) out vec4 qelOut;\n"
         "void main() { qelOut = texture(qelSource, vec2(0)) + texture(qelEnvironment, vec3(1)); }\n",
         "unit 0"},
    };
    int index = 0;
    for (const Case& c : cases)
    {
        const std::string name = "t/bad" + std::to_string(index++);
        myRoot.Write(name + ".frag", c.fragment);
        SpriteShader shader;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(shader.Init("t/sprite", name)) << c.what;
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_NE(output.find(name + ".frag"), std::string::npos) << c.what << "\n" << output;
        EXPECT_NE(output.find(c.expectedInOutput), std::string::npos) << c.what << "\n" << output;
        EXPECT_FALSE(shader.PrepareRender()) << c.what;
        EXPECT_EQ(shader.GetProgram(), 0u);
    }
}

TEST_F(ShaderTest, BlocksAndSamplersAreBoundByName)
{
    myRoot.Write("t/custom.frag", "uniform Tint_b7 { vec4 tint; };\nuniform sampler2D mask_t6;\n"
                                  "in vec2 vUV;\nlayout(location = 0) out vec4 qelOut;\n"
                                  "void main() { qelOut = texture(qelColor, vUV) * texture(mask_t6, vUV) * tint\n"
                                  "    * qelCustomValues[1] * qelAlphaTestThreshold * qelTotalTime; }\n");
    SpriteShader shader;
    ASSERT_TRUE(shader.Init("t/sprite", "t/custom"));
    const u32 program = shader.GetProgram();
    EXPECT_EQ(BlockBinding(program, "QelFrame"), 0);
    EXPECT_EQ(BlockBinding(program, "QelCamera"), 1);
    EXPECT_EQ(BlockBinding(program, "QelAlphaTest"), 3);
    EXPECT_EQ(BlockBinding(program, "QelCustom"), 5);
    EXPECT_EQ(BlockBinding(program, "Tint_b7"), 7);
    EXPECT_EQ(SamplerUnit(program, "qelColor"), 1);
    EXPECT_EQ(SamplerUnit(program, "mask_t6"), 6);
}

TEST_F(ShaderTest, NamesMatchFoldersAndFilesWithoutRegardToCase)
{
    EXPECT_FALSE(ShaderCache::ResolveShaderPath("T/Sprite", ShaderStage::Vertex).empty());
    EXPECT_FALSE(ShaderCache::ResolveShaderPath("t/PLAIN", ShaderStage::Pixel).empty());
    EXPECT_TRUE(ShaderCache::ResolveShaderPath("t/plain", ShaderStage::Vertex).empty());   // only a .frag
    EXPECT_TRUE(ShaderCache::ResolveShaderPath("t/nothing", ShaderStage::Pixel).empty());
    EXPECT_TRUE(ShaderCache::ResolveShaderPath("", ShaderStage::Pixel).empty());

    Settings::GetCookedAssetsPath() = QelTest::RepositoryCookedAssetsFolder();
    Shader shader;
    EXPECT_TRUE(shader.Init("Shaders/instanced_sprite_shader_VS", "Shaders/model_shader_vertex_color_textured_PS",
                            SpriteShader::GetSpriteLayout()));
}

TEST_F(ShaderTest, OnlyTheCustomValuesInUseAreWritten)
{
    SpriteShader shader;
    ASSERT_TRUE(shader.Init("t/sprite", "t/plain"));
    ASSERT_NE(shader.GetCustomBuffer(), nullptr);
    const GLuint buffer = shader.GetCustomBuffer()->Get();
    auto fill = [&](u8 aByte) {
        const std::vector<u8> bytes(SpriteShader::CUSTOM_BUFFER_SIZE, aByte);
        glBindBuffer(GL_UNIFORM_BUFFER, buffer);
        glBufferSubData(GL_UNIFORM_BUFFER, 0, static_cast<GLsizeiptr>(bytes.size()), bytes.data());
    };
    auto read = [&] {
        std::vector<u8> bytes(SpriteShader::CUSTOM_BUFFER_SIZE);
        glBindBuffer(GL_UNIFORM_BUFFER, buffer);
        glGetBufferSubData(GL_UNIFORM_BUFFER, 0, static_cast<GLsizeiptr>(bytes.size()), bytes.data());
        return bytes;
    };

    fill(0xAB);
    shader.SetCustomValue(2, {7.0f, 8.0f, 9.0f, 10.0f});
    shader.SetCustomValue(0, {1.0f, 2.0f, 3.0f, 4.0f});
    shader.SetCustomValue(8, {99.0f, 99.0f, 99.0f, 99.0f});   // past the eight: ignored
    EXPECT_EQ(shader.GetLastCustomIndex(), 2);
    ASSERT_TRUE(shader.Render({}));
    std::vector<u8> bytes = read();
    float values[12];
    std::memcpy(values, bytes.data(), sizeof(values));
    const float expected[12] = {1, 2, 3, 4, 0, 0, 0, 0, 7, 8, 9, 10};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(values[i], expected[i]) << i;
    for (size_t i = 48; i < bytes.size(); ++i)
        ASSERT_EQ(bytes[i], 0xAB) << i;
    GLint bound = 0;
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, CUSTOM_BLOCK_SLOT, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), buffer);

    shader.ClearCustomValues();
    fill(0xCD);
    ASSERT_TRUE(shader.Render({}));
    bytes = read();
    for (u8 byte : bytes)
        ASSERT_EQ(byte, 0xCD);
}

TEST_F(ShaderTest, CustomSlotAndExtraTexturesStayWithinTheirLimits)
{
    SpriteShader shader;
    for (u8 slot : {0, 1, 2, 3, 4, 13})
        EXPECT_FALSE(shader.SetCustomBufferSlot(slot)) << int(slot);
    EXPECT_EQ(shader.GetCustomBufferSlot(), 5);
    EXPECT_TRUE(shader.SetCustomBufferSlot(7));
    EXPECT_EQ(shader.GetCustomBufferSlot(), 7);

    EXPECT_FALSE(shader.AddExtraTexture(nullptr, 16));
    EXPECT_TRUE(shader.AddExtraTexture(myTextures->GetWhiteSquare(), 6));
    EXPECT_TRUE(shader.AddExtraTexture(nullptr, 7));
    EXPECT_FALSE(shader.AddExtraTexture(nullptr, 8));
    EXPECT_EQ(shader.GetExtraTextureCount(), 2);

    ASSERT_TRUE(shader.Init("t/sprite", "t/plain"));
    ASSERT_TRUE(shader.Render({}));
    EXPECT_EQ(static_cast<u32>(BoundTexture2D(6)), myTextures->GetWhiteSquare()->GetShaderResourceView()->GetName());
    EXPECT_NE(BoundTexture2D(7), 0);   // the empty texture, not GL's black texture 0
}

TEST_F(ShaderTest, ABatchWithoutColourTextureSamplesTheWhiteSquare)
{
    SpriteShader shader;
    ASSERT_TRUE(shader.Init("t/sprite", "t/plain"));
    ASSERT_TRUE(shader.Render({}));
    const u32 white = myTextures->GetWhiteSquare()->GetShaderResourceView()->GetName();
    EXPECT_EQ(static_cast<u32>(BoundTexture2D(COLOR_TEXTURE_SLOT)), white);
    // The other three fall back to the shader's defaults.
    ASSERT_NE(shader.GetDefaultNormalTexture(), nullptr);
    EXPECT_EQ(static_cast<u32>(BoundTexture2D(NORMAL_TEXTURE_SLOT)),
              shader.GetDefaultNormalTexture()->GetShaderResourceView()->GetName());

    Texture* given = myTextures->GetTexture("no/such/texture.png");
    SpriteSharedData shared;
    shared.myColorTexture = given;
    ASSERT_TRUE(shader.Render(shared));
    EXPECT_EQ(static_cast<u32>(BoundTexture2D(COLOR_TEXTURE_SLOT)), given->GetShaderResourceView()->GetName());
}

TEST_F(ShaderTest, CopiesShareTheLayoutAndTheCustomBufferAndMovesTakeThem)
{
    SpriteShader original;
    ASSERT_TRUE(original.Init("t/sprite", "t/plain"));
    original.SetCustomValue(1, {1, 1, 1, 1});
    SpriteShader copy = original;
    EXPECT_EQ(copy.GetInputLayout(), original.GetInputLayout());
    EXPECT_EQ(copy.GetCustomBuffer(), original.GetCustomBuffer());
    EXPECT_EQ(copy.GetId(), original.GetId());
    EXPECT_EQ(copy.GetLastCustomIndex(), 1);
    EXPECT_TRUE(copy.PrepareRender());

    const impl::gl::Buffer* buffer = original.GetCustomBuffer();
    SpriteShader moved = std::move(original);
    EXPECT_EQ(moved.GetCustomBuffer(), buffer);
    EXPECT_EQ(original.GetCustomBuffer(), nullptr);   // NOLINT(bugprone-use-after-move): the move takes it
    EXPECT_TRUE(moved.Render({}));
}

TEST_F(ShaderTest, ShadersOfAClearedCacheDrawNothing)
{
    SpriteShader shader;
    ASSERT_TRUE(shader.Init("t/sprite", "t/plain"));
    ShaderCache::Clear();
    EXPECT_FALSE(shader.PrepareRender());
    EXPECT_EQ(shader.GetProgram(), 0u);
}

TEST_F(ShaderTest, TheDefaultMaterialMapsAreReadAsLinearData)
{
    // The built engine asset tree holds the default maps the shader loads.
    const char* binFolder = std::getenv("QEL_BIN_DIR");
    ASSERT_NE(binFolder, nullptr);
    const std::filesystem::path savedEngineRoot = Settings::GetEngineAssetsPath();
    Settings::GetEngineAssetsPath() = std::filesystem::path(binFolder) / "assets/engine";
    SpriteShader shader;
    ASSERT_TRUE(shader.Init("t/sprite", "t/plain"));
    Settings::GetEngineAssetsPath() = savedEngineRoot;
    struct Case
    {
        const char* name;
        const Texture* texture;
        std::array<float, 4> expected;
    };
    const Case cases[] = {
        {"normal", shader.GetDefaultNormalTexture(), {128 / 255.0f, 128 / 255.0f, 1.0f, 1.0f}},
        {"material", shader.GetDefaultMaterialTexture(), {0.0f, 200 / 255.0f, 0.0f, 1.0f}},
        {"effects", shader.GetDefaultEffectsTexture(), {0.0f, 0.0f, 0.0f, 0.0f}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.texture, nullptr);
        ASSERT_FALSE(c.texture->IsFailed());
        // Read back through a draw that samples the texture as the sprite shader does.
        const auto sample = QelTest::SampleTexture(c.texture->GetShaderResourceView(), 0.5f, 0.5f);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(sample[i], c.expected[i], 2e-3f) << "channel " << i;
    }
}

// A layout leaves a slot that keeps its buffer, stride and offset alone (after a buffer delete it
// points every slot again: the name may since belong to a new buffer).
TEST_F(ShaderTest, ALayoutFollowsItsBuffersAcrossRepeatsOffsetsAndDeletes)
{
    const InputElementDesc elements[] = {{"POSITION", 0, VertexFormat::Float4, 0}};
    const std::shared_ptr<InputLayout> layout = InputLayout::Create(elements);
    ASSERT_TRUE(layout);
    const auto pointed = [&](GLint& aBuffer, GLint& aStride, uintptr_t& aOffset) {
        glBindVertexArray(layout->GetVertexArray());
        glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &aBuffer);
        glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_STRIDE, &aStride);
        void* pointer = nullptr;
        glGetVertexAttribPointerv(0, GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
        aOffset = reinterpret_cast<uintptr_t>(pointer);
        DeviceContext::IASetInputLayout(nullptr);
    };
    const float data[16] = {};
    impl::gl::Buffer first = impl::gl::CreateVertexBuffer(sizeof(data), data, impl::gl::BufferUsage::Static);
    struct Step
    {
        u32 stride;
        u32 offset;
    };
    for (const Step step : {Step{16, 0}, Step{16, 0}, Step{32, 0}, Step{32, 16}})
    {
        const u32 name = first.Get();
        layout->SetVertexBuffers(0, 1, &name, &step.stride, &step.offset);
        GLint buffer = 0, stride = 0;
        uintptr_t offset = 0;
        pointed(buffer, stride, offset);
        EXPECT_EQ(static_cast<u32>(buffer), name);
        EXPECT_EQ(static_cast<u32>(stride), step.stride);
        EXPECT_EQ(offset, step.offset);
    }
    // Deleted while its layout is in use (GL lets go of it there), then a new buffer.
    DeviceContext::IASetInputLayout(layout.get());
    first = impl::gl::Buffer();
    DeviceContext::IASetInputLayout(nullptr);
    impl::gl::Buffer second = impl::gl::CreateVertexBuffer(sizeof(data), data, impl::gl::BufferUsage::Static);
    const u32 name = second.Get();
    const u32 stride = 32, offset = 16;
    layout->SetVertexBuffers(0, 1, &name, &stride, &offset);
    GLint buffer = 0, heldStride = 0;
    uintptr_t heldOffset = 0;
    pointed(buffer, heldStride, heldOffset);
    EXPECT_EQ(static_cast<u32>(buffer), name);
    EXPECT_EQ(static_cast<u32>(heldStride), stride);
    EXPECT_EQ(heldOffset, offset);
}
