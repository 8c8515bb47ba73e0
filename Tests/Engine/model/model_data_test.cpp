// Model records, skeleton posing and instances, without GL.
#include "model/Model.h"
#include "model/ModelFactory.h"
#include "model/ModelInstance.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Qel;

namespace
{
// Root at the origin, child 50 up, grandchild 25 above that; inverse binds from the bind pose.
std::shared_ptr<Model> MakeChain()
{
    auto model = std::make_shared<Model>();
    Skeleton& skeleton = model->mySkeleton;
    const float heights[3] = {0.0f, 50.0f, 25.0f};
    float global = 0.0f;
    for (int j = 0; j < 3; ++j)
    {
        Joint joint;
        joint.myParent = j - 1;
        if (j < 2)
            joint.myChildren.push_back(static_cast<u32>(j + 1));
        global += heights[j];
        joint.myInverseBind = Matrix4x4::CreateTranslation({0.0f, -global, 0.0f});
        joint.myName = "J" + std::to_string(j);
        skeleton.Joints.push_back(joint);
        skeleton.myBindPose.myJoints[j].myTranslation = {0.0f, heights[j], 0.0f};
    }
    skeleton.myBindPose.myCount = 3;
    model->myMeshData.resize(1);
    return model;
}

Vector4f Transform(const Vector4f& aPoint, const Matrix4x4& aMatrix)
{
    Vector4f out{0, 0, 0, 0};
    const float in[4] = {aPoint.x, aPoint.y, aPoint.z, aPoint.w};
    for (int c = 0; c < 4; ++c)
    {
        float sum = 0.0f;
        for (int r = 0; r < 4; ++r)
            sum += in[r] * aMatrix(r + 1, c + 1);
        (&out.x)[c] = sum;
    }
    return out;
}

void ExpectNear(const Matrix4x4& aActual, const Matrix4x4& aExpected, float aTolerance = 1e-4f)
{
    for (u32 i = 0; i < 16; ++i)
        EXPECT_NEAR(aActual[i], aExpected[i], aTolerance) << "element " << i;
}
}

TEST(ModelDataTest, RecordSizes)
{
    EXPECT_EQ(sizeof(ModelVertex), 180u);
    EXPECT_EQ(sizeof(JointTransform), 40u);
    EXPECT_EQ(sizeof(Pose), 5128u);
    EXPECT_EQ(sizeof(MeshBounds), 28u);
    const JointTransform identity;
    EXPECT_EQ(identity.myRotation.w, 1.0f);
    EXPECT_EQ(identity.myScale.y, 1.0f);
}

TEST(ModelDataTest, BindPoseGivesIdentityBonesAndRootRotationMovesChild)
{
    std::shared_ptr<Model> model = MakeChain();
    AnimatedModelInstance instance;
    for (const Matrix4x4& bone : instance.myBones)
        EXPECT_EQ(bone, Matrix4x4());
    instance.SetModel(model);
    instance.SetPose(model->mySkeleton.myBindPose);
    for (int j = 0; j < 3; ++j)
        ExpectNear(instance.myBones[j], Matrix4x4());

    // 90 degrees about z at the root: a vertex skinned to the child at (0, 50, 0) goes to (-50, 0, 0).
    Pose pose = model->mySkeleton.myBindPose;
    pose.myJoints[0].myRotation = Quaternion::FromEulerDegrees({0.0f, 0.0f, 90.0f});
    instance.SetPose(pose);
    const Vector4f moved = Transform({0.0f, 50.0f, 0.0f, 1.0f}, instance.myBones[1]);
    EXPECT_NEAR(moved.x, -50.0f, 1e-3f);
    EXPECT_NEAR(moved.y, 0.0f, 1e-3f);
    // The grandchild's vertex at (0, 75, 0) follows to (-75, 0, 0).
    const Vector4f tip = Transform({0.0f, 75.0f, 0.0f, 1.0f}, instance.myBones[2]);
    EXPECT_NEAR(tip.x, -75.0f, 1e-3f);
    EXPECT_NEAR(tip.y, 0.0f, 1e-3f);
}

TEST(ModelDataTest, EveryRootIsWalked)
{
    std::shared_ptr<Model> model = MakeChain();
    // A second root with its own bind at x = 10.
    Joint second;
    second.myInverseBind = Matrix4x4::CreateTranslation({-10.0f, 0.0f, 0.0f});
    second.myName = "Other";
    model->mySkeleton.Joints.push_back(second);
    Pose pose = model->mySkeleton.myBindPose;
    pose.myJoints[3].myTranslation = {10.0f, 5.0f, 0.0f};
    pose.myCount = 4;
    AnimatedModelInstance instance;
    instance.SetModel(model);
    instance.SetPose(pose);
    ExpectNear(instance.myBones[3], Matrix4x4::CreateTranslation({0.0f, 5.0f, 0.0f}));
}

TEST(ModelDataTest, InstancesCopyTexturesAndShareTheModel)
{
    auto model = std::make_shared<Model>();
    model->myMeshData.resize(1);
    Texture* fake = reinterpret_cast<Texture*>(std::uintptr_t{0x1000});
    model->myTextures[0][0] = fake;
    ModelInstance a;
    a.SetModel(model);
    EXPECT_EQ(a.myTextures[0][0], fake);
    EXPECT_EQ(model.use_count(), 2);
    ModelInstance b = a;
    EXPECT_EQ(model.use_count(), 3);
    b.myTextures[0][0] = nullptr;
    EXPECT_EQ(a.myTextures[0][0], fake);
    EXPECT_EQ(model->myTextures[0][0], fake);

    std::weak_ptr<Model> watch = model;
    model.reset();
    a = ModelInstance();
    EXPECT_FALSE(watch.expired());
    b = ModelInstance();
    EXPECT_TRUE(watch.expired());
}

TEST(ModelDataTest, ComputeBoundsOfBuiltInShapes)
{
    std::vector<ModelVertex> vertices(2);
    vertices[0].myPosition[0] = -50, vertices[0].myPosition[1] = -50, vertices[0].myPosition[2] = -50;
    vertices[1].myPosition[0] = 50, vertices[1].myPosition[1] = 50, vertices[1].myPosition[2] = 50;
    const MeshBounds bounds = ModelFactory::ComputeBounds(vertices);
    EXPECT_FLOAT_EQ(bounds.myRadius, 86.6025391f);
    EXPECT_FLOAT_EQ(bounds.myHalfExtents[1], 50.0f);
    EXPECT_FLOAT_EQ(bounds.myCenter[2], 0.0f);
}

TEST(ModelDataDeathTest, MeshIndexPastTheMeshesAsserts)
{
    auto model = std::make_shared<Model>();
    model->myMeshData.resize(1);
    ModelInstance instance;
    instance.SetModel(model);
    ModelShader* shader = nullptr;
    EXPECT_DEATH(instance.RenderMesh(*shader, 1), "aMeshIndex < meshData.size\\(\\)");
    std::vector<MeshData> five(5);
    Model other;
    EXPECT_DEATH(other.Init(five, "x"), "someMeshData.size\\(\\) <= MAX_MESHES_PER_MODEL");
}
