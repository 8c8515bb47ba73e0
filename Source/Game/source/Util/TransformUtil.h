#pragma once
// A scene object's placement as a row-vector matrix: scale, then rotate (Euler degrees through
// a quaternion), then translate.
#include "math/Matrix4x4.h"
#include "math/Vector.h"

Qel::Matrix4x4 BuildTransformMatrix(const Qel::Vector3f& aTranslation, const Qel::Vector3f& aRotationDegrees,
                                    const Qel::Vector3f& aScale);
