#include "MathTestUtil.h"

#include <cmath>

using namespace Qel;

namespace
{
Matrix4x4 SomeTransform()
{
    return Matrix4x4::CreateScale({2.0f, 3.0f, 4.0f}) * Matrix4x4::CreateFromEulerDegrees({10.0f, 20.0f, 30.0f}) *
           Matrix4x4::CreateTranslation({5.0f, -6.0f, 7.0f});
}
}

TEST(Matrix4x4, DefaultIsIdentityAndAccessIsOneBasedRowMajor)
{
    Matrix4x4 m;
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c)
            EXPECT_EQ(m(r, c), r == c ? 1.0f : 0.0f);
    m(2, 3) = 7.0f;
    EXPECT_EQ(m[6], 7.0f);  // 4 * (2 - 1) + (3 - 1)
    m.SetTranslation({1.0f, 2.0f, 3.0f});
    EXPECT_EQ(m(4, 1), 1.0f);
    EXPECT_EQ(m(4, 3), 3.0f);
}

TEST(Matrix4x4, InitializerListRepeatsItsLastValue)
{
    const Matrix4x4 twoValues{1.0f, 2.0f};
    EXPECT_EQ(twoValues[0], 1.0f);
    for (u32 i = 1; i < 16; ++i)
        EXPECT_EQ(twoValues[i], 2.0f);

    const Matrix4x4 zero{0.0f};
    for (u32 i = 0; i < 16; ++i)
        EXPECT_EQ(zero[i], 0.0f);

    const Matrix4x4 full{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    for (u32 i = 0; i < 16; ++i)
        EXPECT_EQ(full[i], float(i));
}

TEST(Matrix4x4DeathTest, BoundsAreAsserted)
{
    Matrix4x4 m;
    EXPECT_DEATH((void)m(0, 1), "Argument out of bounds");
    EXPECT_DEATH((void)m(1, 5), "Argument out of bounds");
    EXPECT_DEATH((void)m[16], "Index out of bounds\\.");
    EXPECT_DEATH((Matrix4x4{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}),
                 "Initializer list contains too many values\\.");
}

TEST(Matrix4x4, SingleAxisRotationsMoveRowVectors)
{
    struct Case
    {
        Matrix4x4 rotation;
        Vector4<float> in, out;
    } cases[] = {
        {Matrix4x4::CreateRotationAroundY(90.0f), {1, 0, 0, 1}, {0, 0, -1, 1}},
        {Matrix4x4::CreateRotationAroundY(90.0f), {0, 0, 1, 1}, {1, 0, 0, 1}},
        {Matrix4x4::CreateRotationAroundX(90.0f), {0, 1, 0, 1}, {0, 0, 1, 1}},
        {Matrix4x4::CreateRotationAroundZ(90.0f), {1, 0, 0, 1}, {0, 1, 0, 1}},
        {Matrix4x4::CreateRotationAroundZ(-90.0f), {1, 0, 0, 0}, {0, -1, 0, 0}},
    };
    for (const Case& c : cases)
        ExpectNear(c.in * c.rotation, c.out);
}

TEST(Matrix4x4, ProductAppliesLeftOperandFirst)
{
    const Matrix4x4 rotate = Matrix4x4::CreateRotationAroundZ(90.0f);
    const Matrix4x4 move = Matrix4x4::CreateTranslation({10.0f, 0.0f, 0.0f});
    const Vector4<float> p{1, 0, 0, 1};
    ExpectNear(p * (rotate * move), {10, 1, 0, 1});  // turn to (0, 1), then move
    ExpectNear(p * (move * rotate), {0, 11, 0, 1});  // move to (11, 0), then turn
    ExpectNear((p * rotate) * move, p * (rotate * move));
}

TEST(Matrix4x4, InverseUndoesTheTransform)
{
    ExpectNear(Matrix4x4::CreateTranslation({1, 2, 3}).GetInverse(), Matrix4x4::CreateTranslation({-1, -2, -3}));

    const Matrix4x4 m = SomeTransform();
    ExpectNear(m * m.GetInverse(), Matrix4x4());
    ExpectNear(m.GetInverse() * m, Matrix4x4());

    // Not affine either: a projective matrix.
    const Matrix4x4 general{2, 0, 1, 0.5f, 0, 3, 0, 0, 1, 0, 4, 1, 0.25f, -1, 0, 2};
    ExpectNear(general * general.GetInverse(), Matrix4x4());
}

TEST(Matrix4x4, EulerRotationIsXThenYThenZ)
{
    const Vector3<float> angles[] = {{10, 20, 30}, {-45, 60, 170}, {90, 0, 0}, {0, 0, -90}, {33, -80, 12}};
    for (const Vector3<float>& a : angles)
    {
        const Matrix4x4 expected = Matrix4x4::CreateRotationAroundX(a.x) * Matrix4x4::CreateRotationAroundY(a.y) *
                                   Matrix4x4::CreateRotationAroundZ(a.z);
        ExpectNear(Matrix4x4::CreateFromEulerDegrees(a), expected);
    }
}

TEST(Matrix4x4, SetRotationFromEulerKeepsFourthRowAndColumn)
{
    Matrix4x4 m{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    SetRotationFromEulerDegrees(m, {0.0f, 90.0f, 0.0f});
    const Matrix4x4 rotation = Matrix4x4::CreateRotationAroundY(90.0f);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c)
            EXPECT_NEAR(m(r, c), rotation(r, c), 1e-6f);
    EXPECT_EQ(m.GetRow(4), (Vector4<float>{13, 14, 15, 16}));
    EXPECT_EQ(m(1, 4), 4.0f);
    EXPECT_EQ(m(2, 4), 8.0f);
    EXPECT_EQ(m(3, 4), 12.0f);
}

TEST(DecomposeTransform, RecoversScaleRotationAndTranslation)
{
    Vector3<float> translation, scale;
    Quaternion rotation;
    DecomposeTransform(SomeTransform(), translation, rotation, scale);
    ExpectNear(scale, {2, 3, 4});
    ExpectNear(translation, {5, -6, 7});
    ExpectSameRotation(rotation, Quaternion::FromEulerDegrees({10, 20, 30}));
    ExpectNear(rotation.ToEulerDegrees(), {10, 20, 30}, 1e-3f);
}

TEST(DecomposeTransform, ZeroScaleKeepsAFiniteRotation)
{
    // Flattened on y, still turned 30 degrees about y: the turn survives.
    Vector3<float> translation, scale;
    Quaternion rotation;
    const Matrix4x4 flat = Matrix4x4::CreateScale({1, 0, 2}) * Matrix4x4::CreateRotationAroundY(30.0f);
    DecomposeTransform(flat, translation, rotation, scale);
    ExpectNear(scale, {1, 0, 2});
    ExpectSameRotation(rotation, Quaternion::FromEulerDegrees({0, 30, 0}));

    // Two axes gone: nothing to recover, identity rather than NaN.
    DecomposeTransform(Matrix4x4::CreateScale({0, 0, 1}), translation, rotation, scale);
    ExpectNear(scale, {0, 0, 1});
    ExpectNear(rotation, Quaternion());

    DecomposeTransform(Matrix4x4{0.0f}, translation, rotation, scale);
    ExpectNear(rotation, Quaternion());
    const Vector3<float> euler = rotation.ToEulerDegrees();
    EXPECT_TRUE(std::isfinite(euler.x) && std::isfinite(euler.y) && std::isfinite(euler.z));
}

TEST(Vector3, GetNormalized)
{
    EXPECT_EQ(Vector3<float>().GetNormalized(), Vector3<float>());
    ExpectNear(Vector3<float>(3, 0, 4).GetNormalized(), {0.6f, 0.0f, 0.8f});
    EXPECT_EQ(Vector3<float>(1, 0, 0).Cross({0, 1, 0}), (Vector3<float>{0, 0, 1}));
}
