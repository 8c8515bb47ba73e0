#include "MathTestUtil.h"

#include <cmath>

using namespace Qel;

TEST(Quaternion, DefaultIsIdentityStoredWFirst)
{
    const Quaternion q;
    EXPECT_EQ(q, (Quaternion{1, 0, 0, 0}));
    const float* raw = &q.w;
    EXPECT_EQ(raw[0], 1.0f);
    EXPECT_EQ(raw[1], 0.0f);
    ExpectNear(Matrix4x4::CreateFromQuaternion(q), Matrix4x4());
}

TEST(Quaternion, FromEulerHalfAngles)
{
    const float h = std::sqrt(0.5f);
    ExpectNear(Quaternion::FromEulerDegrees({90, 0, 0}), {h, h, 0, 0});
    ExpectNear(Quaternion::FromEulerDegrees({0, 90, 0}), {h, 0, h, 0});
    ExpectNear(Quaternion::FromEulerDegrees({0, 0, 90}), {h, 0, 0, h});
    ExpectNear(Quaternion::FromEulerDegrees({0, 180, 0}), {0, 0, 1, 0});
}

TEST(Quaternion, ProductRotatesByLeftOperandFirst)
{
    const Quaternion rx = Quaternion::FromEulerDegrees({90, 0, 0});
    const Quaternion ry = Quaternion::FromEulerDegrees({0, 90, 0});
    // (0, 1, 0) turns about x to (0, 0, 1), then about y to (1, 0, 0).
    ExpectNear(Vector4<float>{0, 1, 0, 0} * Matrix4x4::CreateFromQuaternion(rx * ry), {1, 0, 0, 0});
    ExpectNear(Vector4<float>{0, 1, 0, 0} * Matrix4x4::CreateFromQuaternion(ry * rx), {0, 0, 1, 0});

    const Quaternion pairs[][2] = {
        {Quaternion::FromEulerDegrees({10, 20, 30}), Quaternion::FromEulerDegrees({-40, 5, 70})},
        {Quaternion::FromEulerDegrees({0, 0, 45}), Quaternion::FromEulerDegrees({120, -30, 0})},
    };
    for (const auto& p : pairs)
        ExpectNear(Matrix4x4::CreateFromQuaternion(p[0] * p[1]),
                   Matrix4x4::CreateFromQuaternion(p[0]) * Matrix4x4::CreateFromQuaternion(p[1]));

    // Euler angles compose the same way: x, then y, then z.
    const Vector3<float> e{25, -50, 80};
    ExpectNear(Quaternion::FromEulerDegrees(e), Quaternion::FromEulerDegrees({e.x, 0, 0}) *
                                                   Quaternion::FromEulerDegrees({0, e.y, 0}) *
                                                   Quaternion::FromEulerDegrees({0, 0, e.z}));
}

TEST(Quaternion, EulerRoundTrip)
{
    const Vector3<float> angles[] = {{10, 20, 30}, {-45, 60, 170}, {0, 0, -90}, {89, -30, 5}, {-170, 10, -120}};
    for (const Vector3<float>& a : angles)
        ExpectNear(Quaternion::FromEulerDegrees(a).ToEulerDegrees(), a, 2e-3f);
}

TEST(Quaternion, StraightUpOrDownFoldsYawIntoRoll)
{
    const Vector3<float> up = Quaternion::FromEulerDegrees({0, 90, 0}).ToEulerDegrees();
    EXPECT_EQ(up.z, 0.0f);
    EXPECT_NEAR(up.x, 0.0f, 1e-3f);
    EXPECT_NEAR(up.y, 90.0f, 1e-3f);

    // Same orientation either way: roll 20 or yaw -20 at pitch 90.
    const Quaternion q = Quaternion::FromEulerDegrees({20, 90, 0});
    const Vector3<float> e = q.ToEulerDegrees();
    EXPECT_EQ(e.z, 0.0f);
    ExpectSameRotation(Quaternion::FromEulerDegrees(e), q, 1e-4f);

    const Vector3<float> down = Quaternion::FromEulerDegrees({0, -90, 0}).ToEulerDegrees();
    EXPECT_NEAR(down.y, -90.0f, 1e-3f);
    EXPECT_EQ(down.z, 0.0f);
}

TEST(Quaternion, FromAxesBranches)
{
    ExpectNear(Quaternion::FromAxes({1, 0, 0}, {0, 1, 0}, {0, 0, 1}), {1, 0, 0, 0});
    ExpectNear(Quaternion::FromAxes({-1, 0, 0}, {0, 1, 0}, {0, 0, -1}), {0, 0, 1, 0});  // 180 about y
    ExpectNear(Quaternion::FromAxes({1, 0, 0}, {0, -1, 0}, {0, 0, -1}), {0, 1, 0, 0});  // 180 about x
    ExpectNear(Quaternion::FromAxes({-1, 0, 0}, {0, -1, 0}, {0, 0, 1}), {0, 0, 0, 1});  // 180 about z

    // Every branch reproduces the rotation it was given.
    const Vector3<float> angles[] = {{10, 20, 30}, {170, 5, 0}, {0, 175, 10}, {5, 0, 178}, {100, -70, 160}};
    for (const Vector3<float>& a : angles)
    {
        const Matrix4x4 m = Matrix4x4::CreateFromEulerDegrees(a);
        const Quaternion q = Quaternion::FromAxes(m.GetRow(1).GetXYZ(), m.GetRow(2).GetXYZ(), m.GetRow(3).GetXYZ());
        ExpectNear(Matrix4x4::CreateFromQuaternion(q), m);
    }
}

TEST(Quaternion, FromMatrixIgnoresScale)
{
    const Quaternion q = Quaternion::FromEulerDegrees({15, -25, 35});
    const Matrix4x4 m = Matrix4x4::CreateScale({3, 0.5f, 7}) * Matrix4x4::CreateFromQuaternion(q) *
                        Matrix4x4::CreateTranslation({1, 2, 3});
    ExpectSameRotation(Quaternion::FromMatrix(m), q);
    // A zero row no longer gives a non-unit result.
    const Quaternion flat = Quaternion::FromMatrix(Matrix4x4::CreateScale({0, 1, 1}));
    EXPECT_NEAR(flat.Length(), 1.0f, 1e-6f);
}

TEST(Quaternion, SlerpTakesTheLinearPathAlmostAlways)
{
    const Quaternion a = Quaternion::FromEulerDegrees({10, 20, 30});
    ExpectNear(Quaternion::Slerp(a, a, 0.3f), a);
    ExpectNear(Quaternion::Slerp(a, a, 1.0f), a);

    const Quaternion identity;
    const Quaternion quarterY = Quaternion::FromEulerDegrees({0, 90, 0});
    ExpectNear(Quaternion::Slerp(identity, quarterY, 0.0f), identity);
    ExpectNear(Quaternion::Slerp(identity, quarterY, 1.0f), quarterY);
    // Normalised blend, not the constant-speed arc (which would give 0.980785, 0.195090).
    ExpectNear(Quaternion::Slerp(identity, quarterY, 0.25f), {0.9822903f, 0, 0.1873656f, 0});

    // The shorter way round: -b is the same rotation as b.
    const Quaternion negated{-quarterY.w, -quarterY.x, -quarterY.y, -quarterY.z};
    ExpectNear(Quaternion::Slerp(identity, negated, 0.25f), {0.9822903f, 0, 0.1873656f, 0});
}

TEST(Quaternion, SlerpNearlyPerpendicularUsesTheArc)
{
    const float dot = 0.0002f;
    const Quaternion a;
    const Quaternion b{dot, std::sqrt(1.0f - dot * dot), 0, 0};
    const float theta = std::acos(dot);
    const Quaternion r = Quaternion::Slerp(a, b, 0.3f);
    EXPECT_NEAR(r.Length(), 1.0f, 1e-6f);
    EXPECT_NEAR(r.Dot(a), std::cos(0.3f * theta), 1e-6f);  // constant angular speed
    EXPECT_NEAR(r.Dot(b), std::cos(0.7f * theta), 1e-6f);
    // The linear blend would sit elsewhere.
    const Quaternion blend = Quaternion{0.7f + 0.3f * b.w, 0.3f * b.x, 0, 0}.GetNormalized();
    EXPECT_GT(std::fabs(blend.Dot(a) - r.Dot(a)), 1e-3f);
}
