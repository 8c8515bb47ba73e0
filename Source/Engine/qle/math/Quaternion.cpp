#include "math/Matrix4x4.h"
#include "math/Quaternion.h"

namespace Qel
{
namespace
{
// Below this a row carries no usable direction (an axis scaled to zero in content).
constexpr float DEGENERATE_AXIS_LENGTH = 1e-8f;

// aRows are unit rows or marked degenerate. One lost axis is rebuilt from the other two so the
// remaining orientation survives; with two or more lost there is nothing to recover.
Quaternion RotationFromRows(Vector3<float> aRows[3], const bool aDegenerate[3])
{
    const int lost = int(aDegenerate[0]) + int(aDegenerate[1]) + int(aDegenerate[2]);
    if (lost == 1)
    {
        for (int i = 0; i < 3; ++i)
            if (aDegenerate[i])
                aRows[i] = aRows[(i + 1) % 3].Cross(aRows[(i + 2) % 3]).GetNormalized();
    }
    else if (lost > 1)
    {
        return {};
    }
    return Quaternion::FromAxes(aRows[0], aRows[1], aRows[2]);
}
}

Quaternion Quaternion::FromAxes(const Vector3<float>& a, const Vector3<float>& b, const Vector3<float>& c)
{
    const float m00 = a.x, m11 = b.y, m22 = c.z;
    const float tw = m00 + m11 + m22;
    const float tx = m00 - m11 - m22;
    const float ty = m11 - m00 - m22;
    const float tz = m22 - m00 - m11;

    // Ties go to the earlier of w, x, y, z.
    int largest = 0;
    float value = tw;
    if (tx > value) { largest = 1; value = tx; }
    if (ty > value) { largest = 2; value = ty; }
    if (tz > value) { largest = 3; value = tz; }

    const float s = 0.5f * std::sqrt(value + 1.0f);
    const float k = 0.25f / s;
    switch (largest)
    {
    case 0: return {s, (b.z - c.y) * k, (c.x - a.z) * k, (a.y - b.x) * k};
    case 1: return {(b.z - c.y) * k, s, (b.x + a.y) * k, (c.x + a.z) * k};
    case 2: return {(c.x - a.z) * k, (b.x + a.y) * k, s, (c.y + b.z) * k};
    default: return {(a.y - b.x) * k, (c.x + a.z) * k, (c.y + b.z) * k, s};
    }
}

Quaternion Quaternion::FromMatrix(const Matrix4x4& aMatrix)
{
    Vector3<float> rows[3];
    bool degenerate[3];
    for (int i = 0; i < 3; ++i)
    {
        const Vector3<float> row = aMatrix.GetRow(i + 1).GetXYZ();
        degenerate[i] = row.Length() < DEGENERATE_AXIS_LENGTH;
        rows[i] = row.GetNormalized();
    }
    return RotationFromRows(rows, degenerate);
}

Vector3<float> Quaternion::ToEulerDegrees() const
{
    float roll, pitch, yaw;
    const float sp = 2.0f * (w * y - x * z);
    if (std::fabs(sp) > 0.9999f)
    {
        // Looking straight up or down: yaw folds into roll.
        pitch = sp * HALF_PI;
        roll = std::atan2(w * x - y * z, 0.5f - x * x - z * z);
        yaw = 0.0f;
    }
    else
    {
        pitch = std::asin(sp);
        roll = std::atan2(y * z + w * x, 0.5f - x * x - y * y);
        yaw = std::atan2(x * y + w * z, 0.5f - y * y - z * z);
    }
    return {roll * RAD_TO_DEG, pitch * RAD_TO_DEG, yaw * RAD_TO_DEG};
}

void DecomposeTransform(const Matrix4x4& aMatrix, Vector3<float>& aTranslation, Quaternion& aRotation,
                        Vector3<float>& aScale)
{
    float scale[3];
    Vector3<float> rows[3];
    bool degenerate[3];
    for (int i = 0; i < 3; ++i)
    {
        const Vector4<float> row = aMatrix.GetRow(i + 1);
        scale[i] = row.Length();
        degenerate[i] = scale[i] < DEGENERATE_AXIS_LENGTH;
        rows[i] = degenerate[i] ? Vector3<float>{} : row.GetXYZ() / scale[i];
    }
    aScale = {scale[0], scale[1], scale[2]};
    aRotation = RotationFromRows(rows, degenerate);
    aTranslation = aMatrix.GetTranslation();
}
}
