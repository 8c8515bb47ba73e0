#pragma once
#include "core/Assert.h"
#include "core/Types.h"
#include "math/MathConstants.h"
#include "math/Quaternion.h"
#include "math/Vector.h"

#include <cmath>
#include <initializer_list>

namespace Qel
{
// Row-vector convention: a point is p * M, translation lives in the fourth row and A * B applies
// A first. Elements are stored row by row; (row, column) access counts from 1.
// Uploaded to GL unchanged and used as v * M in the shaders.
class Matrix4x4
{
public:
    static constexpr u32 myLength = 16;

    constexpr Matrix4x4() : myData{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

    // Elements after the last given value repeat it: {0} is the zero matrix.
    Matrix4x4(std::initializer_list<float> aList) : Matrix4x4()
    {
        QEL_ASSERT(aList.size( ) <= myLength && "Initializer list contains too many values.");
        if (aList.size() == 0)
            return;
        u32 i = 0;
        for (const float value : aList)
            myData[i++] = value;
        const float last = myData[i - 1];
        for (; i < myLength; ++i)
            myData[i] = last;
    }

    float& operator()(int aRow, int aColumn)
    {
        QEL_ASSERT(aRow > 0 && aRow < 5 && aColumn > 0 && aColumn < 5 && "Argument out of bounds");
        return myData[4 * (aRow - 1) + (aColumn - 1)];
    }
    float operator()(int aRow, int aColumn) const
    {
        QEL_ASSERT(aRow > 0 && aRow < 5 && aColumn > 0 && aColumn < 5 && "Argument out of bounds");
        return myData[4 * (aRow - 1) + (aColumn - 1)];
    }
    float& operator[](u32 aIndex)
    {
        QEL_ASSERT((aIndex < 16) && "Index out of bounds.");
        return myData[aIndex];
    }
    float operator[](u32 aIndex) const
    {
        QEL_ASSERT((aIndex < 16) && "Index out of bounds.");
        return myData[aIndex];
    }

    Matrix4x4 operator*(const Matrix4x4& b) const
    {
        Matrix4x4 result;
        for (int r = 0; r < 4; ++r)
        {
            const float a0 = myData[4 * r + 0], a1 = myData[4 * r + 1];
            const float a2 = myData[4 * r + 2], a3 = myData[4 * r + 3];
            for (int c = 0; c < 4; ++c)
                result.myData[4 * r + c] =
                    a0 * b.myData[c] + a1 * b.myData[4 + c] + a2 * b.myData[8 + c] + a3 * b.myData[12 + c];
        }
        return result;
    }
    Matrix4x4& operator*=(const Matrix4x4& b) { return *this = *this * b; }
    bool operator==(const Matrix4x4& b) const
    {
        for (u32 i = 0; i < myLength; ++i)
            if (myData[i] != b.myData[i])
                return false;
        return true;
    }

    // Adjugate over the determinant; a singular matrix gives non-finite values.
    Matrix4x4 GetInverse() const;
    Matrix4x4 GetTranspose() const
    {
        Matrix4x4 result;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                result.myData[4 * c + r] = myData[4 * r + c];
        return result;
    }

    Vector4<float> GetRow(int aRow) const
    {
        const Matrix4x4& m = *this;
        return {m(aRow, 1), m(aRow, 2), m(aRow, 3), m(aRow, 4)};
    }
    void SetRow(int aRow, const Vector4<float>& aValue)
    {
        Matrix4x4& m = *this;
        m(aRow, 1) = aValue.x;
        m(aRow, 2) = aValue.y;
        m(aRow, 3) = aValue.z;
        m(aRow, 4) = aValue.w;
    }
    Vector3<float> GetTranslation() const { return {myData[12], myData[13], myData[14]}; }
    void SetTranslation(const Vector3<float>& aValue)
    {
        myData[12] = aValue.x;
        myData[13] = aValue.y;
        myData[14] = aValue.z;
    }

    const float* GetData() const { return myData; }

    static Matrix4x4 CreateRotationAroundX(float aDegrees)
    {
        const float a = aDegrees * DEG_TO_RAD, c = std::cos(a), s = std::sin(a);
        return FromRows(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
    }
    static Matrix4x4 CreateRotationAroundY(float aDegrees)
    {
        const float a = aDegrees * DEG_TO_RAD, c = std::cos(a), s = std::sin(a);
        return FromRows(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
    }
    static Matrix4x4 CreateRotationAroundZ(float aDegrees)
    {
        const float a = aDegrees * DEG_TO_RAD, c = std::cos(a), s = std::sin(a);
        return FromRows(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    }
    static Matrix4x4 CreateFromQuaternion(const Quaternion& aRotation)
    {
        Matrix4x4 result;
        result.SetRotation(aRotation);
        return result;
    }
    static Matrix4x4 CreateFromEulerDegrees(const Vector3<float>& aDegrees)
    {
        return CreateFromQuaternion(Quaternion::FromEulerDegrees(aDegrees));
    }
    static Matrix4x4 CreateTranslation(const Vector3<float>& aTranslation)
    {
        Matrix4x4 result;
        result.SetTranslation(aTranslation);
        return result;
    }
    static Matrix4x4 CreateScale(const Vector3<float>& aScale)
    {
        return FromRows(aScale.x, 0, 0, 0, 0, aScale.y, 0, 0, 0, 0, aScale.z, 0, 0, 0, 0, 1);
    }

    // Writes only the upper-left 3 x 3; the fourth row and column are kept.
    void SetRotation(const Quaternion& q)
    {
        const float w = q.w, x = q.x, y = q.y, z = q.z;
        myData[0] = 1 - 2 * (y * y + z * z);
        myData[1] = 2 * (x * y + w * z);
        myData[2] = 2 * (x * z - w * y);
        myData[4] = 2 * (x * y - w * z);
        myData[5] = 1 - 2 * (x * x + z * z);
        myData[6] = 2 * (y * z + w * x);
        myData[8] = 2 * (x * z + w * y);
        myData[9] = 2 * (y * z - w * x);
        myData[10] = 1 - 2 * (x * x + y * y);
    }

private:
    static constexpr Matrix4x4 FromRows(float a, float b, float c, float d, float e, float f, float g, float h,
                                        float i, float j, float k, float l, float m, float n, float o, float p)
    {
        Matrix4x4 result;
        const float values[16] = {a, b, c, d, e, f, g, h, i, j, k, l, m, n, o, p};
        for (int index = 0; index < 16; ++index)
            result.myData[index] = values[index];
        return result;
    }

    float myData[16];
};

static_assert(sizeof(Matrix4x4) == 64);

// Row vector times matrix.
inline Vector4<float> operator*(const Vector4<float>& v, const Matrix4x4& m)
{
    const float* d = m.GetData();
    return {v.x * d[0] + v.y * d[4] + v.z * d[8] + v.w * d[12],
            v.x * d[1] + v.y * d[5] + v.z * d[9] + v.w * d[13],
            v.x * d[2] + v.y * d[6] + v.z * d[10] + v.w * d[14],
            v.x * d[3] + v.y * d[7] + v.z * d[11] + v.w * d[15]};
}

inline void SetRotationFromEulerDegrees(Matrix4x4& aMatrix, const Vector3<float>& aDegrees)
{
    aMatrix.SetRotation(Quaternion::FromEulerDegrees(aDegrees));
}

// Scale is the length of each of the first three rows (all four elements), rotation comes from
// the rows divided by their scale, translation is the fourth row. An axis scaled to zero keeps
// scale 0 and a finite rotation.
void DecomposeTransform(const Matrix4x4& aMatrix, Vector3<float>& aTranslation, Quaternion& aRotation,
                        Vector3<float>& aScale);
}
