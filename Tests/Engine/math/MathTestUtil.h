#pragma once
#include "math/Matrix4x4.h"
#include "math/Quaternion.h"

#include <gtest/gtest.h>

inline void ExpectNear(const Qel::Matrix4x4& aActual, const Qel::Matrix4x4& aExpected, float aTolerance = 1e-5f)
{
    for (Qel::u32 i = 0; i < 16; ++i)
        EXPECT_NEAR(aActual[i], aExpected[i], aTolerance) << "element " << i;
}

inline void ExpectNear(const Qel::Vector4<float>& a, const Qel::Vector4<float>& b, float aTolerance = 1e-5f)
{
    EXPECT_NEAR(a.x, b.x, aTolerance);
    EXPECT_NEAR(a.y, b.y, aTolerance);
    EXPECT_NEAR(a.z, b.z, aTolerance);
    EXPECT_NEAR(a.w, b.w, aTolerance);
}

inline void ExpectNear(const Qel::Vector3<float>& a, const Qel::Vector3<float>& b, float aTolerance = 1e-5f)
{
    EXPECT_NEAR(a.x, b.x, aTolerance);
    EXPECT_NEAR(a.y, b.y, aTolerance);
    EXPECT_NEAR(a.z, b.z, aTolerance);
}

// Components as stored, w first.
inline void ExpectNear(const Qel::Quaternion& a, const Qel::Quaternion& b, float aTolerance = 1e-5f)
{
    EXPECT_NEAR(a.w, b.w, aTolerance);
    EXPECT_NEAR(a.x, b.x, aTolerance);
    EXPECT_NEAR(a.y, b.y, aTolerance);
    EXPECT_NEAR(a.z, b.z, aTolerance);
}

// q and -q are the same rotation.
inline void ExpectSameRotation(const Qel::Quaternion& a, const Qel::Quaternion& b, float aTolerance = 1e-5f)
{
    EXPECT_NEAR(std::fabs(a.Dot(b)), 1.0f, aTolerance);
}
