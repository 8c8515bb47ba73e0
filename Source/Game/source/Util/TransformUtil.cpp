#include "Util/TransformUtil.h"

#include "math/Quaternion.h"

Qel::Matrix4x4 BuildTransformMatrix(const Qel::Vector3f& aTranslation, const Qel::Vector3f& aRotationDegrees,
                                    const Qel::Vector3f& aScale)
{
    Qel::Matrix4x4 result = Qel::Matrix4x4::CreateFromQuaternion(Qel::Quaternion::FromEulerDegrees(aRotationDegrees));
    const float scale[3] = {aScale.x, aScale.y, aScale.z};
    for (int row = 1; row <= 3; ++row)
    {
        for (int column = 1; column <= 3; ++column)
            result(row, column) *= scale[row - 1];
    }
    result(4, 1) = aTranslation.x;
    result(4, 2) = aTranslation.y;
    result(4, 3) = aTranslation.z;
    return result;
}
