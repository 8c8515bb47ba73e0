// Model shaders and the model drawer on the headless back buffer.
#include "GraphicsTestContext.h"
#include "ModelFixtures.h"
#include "TestSupport.h"
#include "engine/Engine.h"
#include "graphics/DeviceContext.h"
#include "graphics/GL.h"
#include "graphics/ModelDrawer.h"
#include "math/Camera.h"
#include "model/ModelFactory.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace Qel;

namespace
{
using Rgba = std::array<u8, 4>;

class ModelDrawerTest : public QelTest::GraphicsTest
{
protected:
    void SetUp() override
    {
        QelTest::GraphicsTest::SetUp();
        if (HasFatalFailure())
            return;
        mySavedGame = Settings::GetGameAssetsPath();
        mySavedEngine = Settings::GetEngineAssetsPath();
        Settings::GetGameAssetsPath() = myFolder.Path();
        const char* bin = std::getenv("QEL_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        Settings::GetEngineAssetsPath() = std::filesystem::path(bin) / "assets" / "engine";
        myDrawer = std::make_unique<ModelDrawer>();
        ASSERT_TRUE(myDrawer->InitDefaultShaders());
        myFactory = std::make_unique<ModelFactory>(myTextures.get(), nullptr);
        SetCamera();
    }

    // Looking along +z from z = -500; one pixel per unit, the origin at the centre.
    void SetCamera()
    {
        Camera camera;
        camera.SetOrthographicProjection(static_cast<float>(WIDTH), static_cast<float>(HEIGHT), 1000.0f);
        camera.SetPosition({0.0f, 0.0f, -500.0f});
        myStates->SetCamera(camera);
    }

    void TearDown() override
    {
        myFactory.reset();
        myDrawer.reset();
        Settings::GetGameAssetsPath() = mySavedGame;
        Settings::GetEngineAssetsPath() = mySavedEngine;
        QelTest::GraphicsTest::TearDown();
    }

    // The pixel at world (x, y) on the z = 0 plane.
    Rgba At(float aX, float aY) const
    {
        return Pixel(static_cast<int>(WIDTH / 2 + aX), static_cast<int>(HEIGHT / 2 + aY));
    }
    static bool IsClear(const Rgba& aPixel) { return aPixel[0] < 3 && aPixel[1] < 3 && aPixel[2] < 3; }

    QelTest::TempFolder myFolder;
    std::unique_ptr<ModelDrawer> myDrawer;
    std::unique_ptr<ModelFactory> myFactory;
    std::filesystem::path mySavedGame, mySavedEngine;
};

u8 ToSrgbByte(float aLinear)
{
    const float c = aLinear <= 0.0031308f ? aLinear * 12.92f : 1.055f * std::pow(aLinear, 1.0f / 2.4f) - 0.055f;
    return static_cast<u8>(std::lround(std::fmin(std::fmax(c, 0.0f), 1.0f) * 255.0f));
}
}

TEST(ModelShaderNamesTest, ResolvedNamesAndKeys)
{
    struct Case
    {
        const char* myVs;
        const char* myPs;
        bool myAnimated;
        std::string myResolvedVs, myResolvedPs;
    };
    const Case cases[] = {
        {nullptr, "art/shaders/Flash.hlsl", false, "shaders/model_shader_VS", "art/shaders/Flash"},
        {nullptr, nullptr, true, "shaders/animated_model_shader_VS", "shaders/model_shader_PS"},
        {"", "", false, "shaders/model_shader_VS", "shaders/model_shader_PS"},
        {"fx.v2/Glow.hlsl", "../shaders/x.hlsl", false, "fx.v2/Glow", "../shaders/x"},
        {"a.b.c", "plain", true, "a.b", "plain"},
    };
    for (const Case& c : cases)
    {
        const auto [vs, ps] = ModelDrawer::ResolveShaderNames(c.myVs, c.myPs, c.myAnimated);
        EXPECT_EQ(vs, c.myResolvedVs);
        EXPECT_EQ(ps, c.myResolvedPs);
    }
    // The two names stay apart in the key.
    EXPECT_NE(ModelDrawer::MakeShaderKey("ab", "c"), ModelDrawer::MakeShaderKey("a", "bc"));
}

TEST_F(ModelDrawerTest, LitCubeMatchesTheLambertReference)
{
    ModelInstance cube = myFactory->GetModelInstance("Cube");
    ASSERT_TRUE(cube.GetModel());
    const u32 before = ourDrawCallCount;
    myDrawer->Draw(cube, myDrawer->GetLambertShader(), 0);
    EXPECT_EQ(ourDrawCallCount, before + 1);
    // The -z face (green) faces the camera: ambient 0.35 plus the key light 0.75 x n.l.
    const float nDotL = 0.45f / std::sqrt(0.4f * 0.4f + 0.8f * 0.8f + 0.45f * 0.45f);
    const u8 green = ToSrgbByte(0.35f + 0.75f * nDotL);
    for (const auto& [x, y] : {std::pair{0.0f, 0.0f}, std::pair{-40.0f, 30.0f}, std::pair{45.0f, -45.0f}})
    {
        const Rgba pixel = At(x, y);
        EXPECT_LE(pixel[0], 2);
        EXPECT_NEAR(pixel[1], green, 3) << x << ", " << y;
        EXPECT_LE(pixel[2], 2);
    }
    EXPECT_TRUE(IsClear(At(0.0f, 60.0f)));
    EXPECT_TRUE(IsClear(At(70.0f, 0.0f)));
}

TEST_F(ModelDrawerTest, SkinnedBarFollowsItsPose)
{
    FbxGen::Scene scene;
    scene.myNodes.push_back({"Root", "", "LimbNode"});
    scene.myNodes.push_back({"Bar", "", "Mesh"});
    FbxGen::Mesh bar;
    bar.myNode = "Bar";
    FbxGen::AddBox(bar, {0, 40, 0}, {8, 40, 8});
    bar.myClusters.push_back({"Root", {0, 1, 2, 3, 4, 5, 6, 7}, {1, 1, 1, 1, 1, 1, 1, 1}});
    scene.myMeshes.push_back(bar);
    ASSERT_TRUE(FbxGen::WriteFile(myFolder.Path() / "Bar.fbx", scene));
    AnimatedModelInstance instance = myFactory->GetAnimatedModelInstance("Bar.fbx");
    ASSERT_TRUE(instance.GetModel());

    Pose pose = instance.GetModel()->mySkeleton.myBindPose;
    instance.SetPose(pose);
    myDrawer->Draw(instance, myDrawer->GetAnimatedLambertShader(), 0);
    EXPECT_FALSE(IsClear(At(0.0f, 60.0f)));
    EXPECT_TRUE(IsClear(At(-60.0f, 0.0f)));

    ClearAndBeginFrame(0.0f, 0.0f, 0.0f, 1.0f);
    SetCamera();
    // A quarter turn about z lays the bar along -x.
    pose.myJoints[0].myRotation = Quaternion::FromEulerDegrees({0.0f, 0.0f, 90.0f});
    instance.SetPose(pose);
    myDrawer->Draw(instance, myDrawer->GetAnimatedLambertShader(), 0);
    EXPECT_TRUE(IsClear(At(0.0f, 60.0f)));
    EXPECT_FALSE(IsClear(At(-60.0f, 0.0f)));
}

TEST_F(ModelDrawerTest, CachedShadersAndUnloadedOnes)
{
    const StringId a = ModelDrawer::GetOrCreateAnimatedShader(nullptr, "art/shaders/Flash.hlsl");
    const StringId b = ModelDrawer::GetOrCreateAnimatedShader(nullptr, "art/shaders/Flash.hlsl");
    EXPECT_EQ(a, b);
    ModelShader& flash = ModelDrawer::GetCachedAnimatedShader(a);
    EXPECT_EQ(&flash, &ModelDrawer::GetCachedAnimatedShader(b));
    EXPECT_TRUE(flash.IsLoaded());
    EXPECT_EQ(flash.GetPixelShaderName(), "art/shaders/Flash");

    const StringId missing = ModelDrawer::GetOrCreateShader("nowhere/vs", "nowhere/ps");
    ModelShader& unloaded = ModelDrawer::GetCachedShader(missing);
    EXPECT_FALSE(unloaded.IsLoaded());
    ModelInstance cube = myFactory->GetModelInstance("Cube");
    const u32 before = ourDrawCallCount;
    myDrawer->Draw(cube, unloaded, 0);
    EXPECT_EQ(ourDrawCallCount, before);
    EXPECT_TRUE(IsClear(At(0.0f, 0.0f)));
    // An unknown key gives a fresh, unloaded shader.
    EXPECT_FALSE(ModelDrawer::GetCachedShader(StringId(std::string("never made"))).IsLoaded());
}

TEST_F(ModelDrawerTest, OnlyTheLeadingTexturesAreBound)
{
    Texture* color = myTextures->GetTexture("Textures/T_Default_c.dds");
    Texture* normal = myTextures->GetTexture("Textures/T_Default_n.dds");
    Texture* effects = myTextures->GetTexture("Textures/T_Default_fx.dds");
    Texture* other = myTextures->GetTexture("Textures/T_Default_m.dds");
    ASSERT_TRUE(color && normal && effects && other);
    DeviceContext::PSSetShaderResource(3, other->GetShaderResourceView());
    DeviceContext::PSSetShaderResource(4, other->GetShaderResourceView());
    Texture* textures[4] = {color, normal, nullptr, effects};
    ModelShader unloaded;
    MeshData mesh;
    unloaded.Render(textures, mesh, Matrix4x4(), nullptr);
    auto boundAt = [](u32 aUnit) {
        GLint name = 0;
        glActiveTexture(GL_TEXTURE0 + aUnit);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        glActiveTexture(GL_TEXTURE0);
        return static_cast<u32>(name);
    };
    EXPECT_EQ(boundAt(1), color->GetGLName());
    EXPECT_EQ(boundAt(2), normal->GetGLName());
    EXPECT_EQ(boundAt(3), other->GetGLName());
    EXPECT_EQ(boundAt(4), other->GetGLName());
}

TEST_F(ModelDrawerTest, MakingAnInputLayoutKeepsTheRecordedVertexArrayBound)
{
    std::shared_ptr<InputLayout> first = InputLayout::Create(ModelShader::GetModelLayout());
    ASSERT_TRUE(first);
    DeviceContext::IASetInputLayout(first.get());
    std::shared_ptr<InputLayout> second = InputLayout::Create(ModelShader::GetModelLayout());
    ASSERT_TRUE(second);
    GLint bound = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(static_cast<u32>(bound), first->GetVertexArray());
    EXPECT_EQ(DeviceContext::GetInputLayout(), first.get());
    // Pointing another layout's buffers leaves the recorded one bound as well.
    const u32 buffer = 0, stride = 180, offset = 0;
    second->SetVertexBuffers(0, 1, &buffer, &stride, &offset);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(static_cast<u32>(bound), first->GetVertexArray());
    DeviceContext::IASetInputLayout(nullptr);
}
