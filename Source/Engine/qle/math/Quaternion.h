#pragma once
#include "math/MathConstants.h"
#include "math/Vector.h"

#include <cmath>

namespace Qel
{
class Matrix4x4;

// Rotation stored w (scalar), x, y, z. Euler angles are degrees, x roll, y pitch, z yaw,
// applied x first, then y, then z (the same as RotX * RotY * RotZ in row-vector order).
class Quaternion
{
public:
    float w = 1.0f;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Quaternion() = default;
    constexpr Quaternion(float aW, float aX, float aY, float aZ) : w(aW), x(aX), y(aY), z(aZ) {}

    static Quaternion FromEulerDegrees(const Vector3<float>& aDegrees)
    {
        const float hx = aDegrees.x * DEG_TO_RAD * 0.5f;
        const float hy = aDegrees.y * DEG_TO_RAD * 0.5f;
        const float hz = aDegrees.z * DEG_TO_RAD * 0.5f;
        const float c1 = std::cos(hx), s1 = std::sin(hx);
        const float c2 = std::cos(hy), s2 = std::sin(hy);
        const float c3 = std::cos(hz), s3 = std::sin(hz);
        return {c1 * c2 * c3 + s1 * s2 * s3,
                s1 * c2 * c3 - c1 * s2 * s3,
                c1 * s2 * c3 + s1 * c2 * s3,
                c1 * c2 * s3 - s1 * s2 * c3};
    }

    // The three rows of a rotation matrix.
    static Quaternion FromAxes(const Vector3<float>& aRight, const Vector3<float>& aUp, const Vector3<float>& aForward);
    // Normalises the first three rows first, so scale does not leak into the rotation.
    static Quaternion FromMatrix(const Matrix4x4& aMatrix);

    Vector3<float> ToEulerDegrees() const;

    // a * b rotates by a first, then by b: matrix(a * b) == matrix(a) * matrix(b).
    constexpr Quaternion operator*(const Quaternion& b) const
    {
        return {w * b.w - x * b.x - y * b.y - z * b.z,
                x * b.w + w * b.x + z * b.y - y * b.z,
                y * b.w + w * b.y + x * b.z - z * b.x,
                z * b.w + w * b.z + y * b.x - x * b.y};
    }
    constexpr Quaternion& operator*=(const Quaternion& b) { return *this = *this * b; }
    constexpr bool operator==(const Quaternion&) const = default;

    constexpr float Dot(const Quaternion& b) const { return w * b.w + x * b.x + y * b.y + z * b.z; }
    float Length() const { return std::sqrt(Dot(*this)); }
    Quaternion GetNormalized() const
    {
        const float inv = 1.0f / Length();
        return {w * inv, x * inv, y * inv, z * inv};
    }

    // Blends linearly (then normalises) unless the two are nearly perpendicular. The threshold is
    // just above 0, so nearly every blend takes the cheap path; endpoints and unit length still hold.
    static Quaternion Slerp(const Quaternion& a, const Quaternion& aB, float t)
    {
        Quaternion b = aB;
        float dot = a.Dot(b);
        if (dot < 0.0f)
        {
            b = {-b.w, -b.x, -b.y, -b.z};
            dot = -dot;
        }
        if (dot > 0.00050002337f)
        {
            const float u = 1.0f - t;
            const Quaternion blend{a.w * u + b.w * t, a.x * u + b.x * t, a.y * u + b.y * t, a.z * u + b.z * t};
            return blend.GetNormalized();
        }
        const float theta = std::acos(dot);
        const float sa = std::sin((1.0f - t) * theta);
        const float sb = std::sin(t * theta);
        const float sinTheta = std::sin(theta);
        return {(a.w * sa + b.w * sb) / sinTheta, (a.x * sa + b.x * sb) / sinTheta,
                (a.y * sa + b.y * sb) / sinTheta, (a.z * sa + b.z * sb) / sinTheta};
    }
};

static_assert(sizeof(Quaternion) == 16);
}
