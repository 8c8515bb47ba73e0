// Model helpers on a headless device: built-in models load by name and keep the scene's states.
#include "GLTestContext.h"
#include "ModelVisual.h"

#include "model/ModelFactory.h"
#include "scene/SceneAssets.h"

#include <gtest/gtest.h>

namespace
{
struct ModelHelpersGL : QelTest::GLTest
{
    void TearDown() override
    {
        Qel::DestroyModelFactory();
        QelTest::GLTest::TearDown();
    }
};

TEST_F(ModelHelpersGL, BuiltInModelsLoadByName)
{
    Qel::SceneModel cube;
    cube.myPath = Qel::StringId(std::string("Cube"));
    cube.myBlendState[0] = 2;
    cube.myDepthStencilState[0] = 3;
    Qel::Matrix4x4 transform = Qel::Matrix4x4::CreateTranslation({300.0f, 150.0f, 0.0f});
    ModelVisual visual;
    SetupModelInstance(visual, cube, transform);
    ASSERT_TRUE(visual.HasModel());
    EXPECT_EQ(visual.GetMeshCount(), 1);
    EXPECT_FLOAT_EQ(visual.GetPosition().x, 300.0f);
    EXPECT_FLOAT_EQ(visual.myInstance.GetTransform()(4, 2), 150.0f);
    EXPECT_EQ(visual.myBlendStates[0], 2u);
    EXPECT_EQ(visual.myDepthStencilStates[0], 3u);

    Qel::SceneModel plane;
    plane.myPath = Qel::StringId(std::string("Plane"));
    ModelVisual flat;
    SetupModelInstance(flat, plane, transform);
    EXPECT_TRUE(flat.HasModel());
    EXPECT_EQ(flat.myBlendStates[0], 1u);   // the scene model's default for mesh 0
}
}
