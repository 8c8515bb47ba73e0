#include "MathTestUtil.h"

#include "math/Camera.h"

using namespace Qel;

TEST(Camera, Defaults)
{
    const Camera camera;
    EXPECT_EQ(camera.GetTransform(), Matrix4x4());
    EXPECT_EQ(camera.GetProjection(), Matrix4x4());
    EXPECT_FLOAT_EQ(camera.GetNear(), 0.01f);
    EXPECT_FLOAT_EQ(camera.GetFar(), 50000.0f);
}

TEST(Camera, CentredOrthographicMapsDepthToZeroOne)
{
    Camera camera;
    camera.SetOrthographicProjection(1920.0f, 1080.0f, 100.0f);
    const Vector2<float> size = camera.GetOrthographicSize();
    EXPECT_FLOAT_EQ(size.x, 1920.0f);
    EXPECT_FLOAT_EQ(size.y, 1080.0f);
    EXPECT_FLOAT_EQ(camera.GetNear(), 0.01f);
    EXPECT_FLOAT_EQ(camera.GetFar(), 100.0f);

    const Matrix4x4& p = camera.GetProjection();
    ExpectNear(Vector4<float>{960, 540, 100, 1} * p, {1, 1, 1, 1});
    ExpectNear(Vector4<float>{-960, -540, 0, 1} * p, {-1, -1, 0, 1});
    ExpectNear(Vector4<float>{0, 0, 50, 1} * p, {0, 0, 0.5f, 1});
}

TEST(Camera, OffCentreOrthographic)
{
    Camera camera;
    camera.SetOrthographicProjection(0.0f, 1920.0f, 0.0f, 1080.0f, -1.0f, 1.0f);
    const Matrix4x4& p = camera.GetProjection();
    ExpectNear(Vector4<float>{0, 0, -1, 1} * p, {-1, -1, 0, 1});
    ExpectNear(Vector4<float>{1920, 1080, 1, 1} * p, {1, 1, 1, 1});
    ExpectNear(Vector4<float>{960, 540, 0, 1} * p, {0, 0, 0.5f, 1});
    EXPECT_FLOAT_EQ(camera.GetNear(), -1.0f);
    EXPECT_FLOAT_EQ(camera.GetFar(), 1.0f);

    // The screen-space camera of a 1280 x 720 target.
    camera.SetOrthographicProjection(0.0f, 1280.0f, 0.0f, 720.0f, -1.0f, 1.0f);
    const Matrix4x4& s = camera.GetProjection();
    EXPECT_FLOAT_EQ(s(1, 1), 2.0f / 1280.0f);
    EXPECT_FLOAT_EQ(s(2, 2), 2.0f / 720.0f);
    EXPECT_FLOAT_EQ(s(3, 3), 0.5f);
    EXPECT_FLOAT_EQ(s(4, 1), -1.0f);
    EXPECT_FLOAT_EQ(s(4, 2), -1.0f);
    EXPECT_FLOAT_EQ(s(4, 3), 0.5f);
    EXPECT_FLOAT_EQ(s(4, 4), 1.0f);
}

TEST(Camera, PlacedCameraSeesItsDepthRange)
{
    // A play-style camera: 10000 deep, placed at z -1000. World z -1000 is the near plane.
    Camera camera;
    camera.SetOrthographicProjection(2489.0f, 1400.0f, 10000.0f);
    camera.SetPosition({300.0f, 700.0f, -1000.0f});
    EXPECT_EQ(camera.GetPosition(), (Vector3<float>{300.0f, 700.0f, -1000.0f}));
    const Matrix4x4 viewProjection = camera.GetTransform().GetInverse() * camera.GetProjection();
    ExpectNear(Vector4<float>{300, 700, -1000, 1} * viewProjection, {0, 0, 0, 1});
    ExpectNear(Vector4<float>{300 + 2489.0f / 2, 700 - 700, 9000, 1} * viewProjection, {1, -1, 1, 1}, 1e-4f);
    const Vector4<float> behind = Vector4<float>{300, 700, -1001, 1} * viewProjection;
    EXPECT_LT(behind.z, 0.0f);  // clipped with zero-to-one depth
}
