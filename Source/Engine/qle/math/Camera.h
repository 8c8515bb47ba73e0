#pragma once
#include "math/Matrix4x4.h"
#include "math/Vector.h"

namespace Qel
{
// Orthographic projections map view depth to clip z 0..1 (the renderer sets GL's clip control
// to zero-to-one), x and y to -1..1.
class Camera
{
public:
    Camera() = default;

    // Centred on the camera position; depth runs from 0 to aDepth in front of it.
    void SetOrthographicProjection(float aWidth, float aHeight, float aDepth)
    {
        myProjection = Matrix4x4();
        myProjection(1, 1) = 2.0f / aWidth;
        myProjection(2, 2) = 2.0f / aHeight;
        myProjection(3, 3) = 1.0f / aDepth;
        myNear = 0.01f;
        myFar = aDepth;
    }

    void SetOrthographicProjection(float aLeft, float aRight, float aBottom, float aTop, float aNear, float aFar)
    {
        myProjection = Matrix4x4();
        myProjection(1, 1) = 2.0f / (aRight - aLeft);
        myProjection(2, 2) = 2.0f / (aTop - aBottom);
        myProjection(3, 3) = 1.0f / (aFar - aNear);
        myProjection(4, 1) = -(aLeft + aRight) / (aRight - aLeft);
        myProjection(4, 2) = -(aBottom + aTop) / (aTop - aBottom);
        myProjection(4, 3) = -aNear / (aFar - aNear);
        myNear = aNear;
        myFar = aFar;
    }

    // The visible width and height.
    Vector2<float> GetOrthographicSize() const
    {
        return {2.0f / myProjection(1, 1), 2.0f / myProjection(2, 2)};
    }

    const Matrix4x4& GetTransform() const { return myTransform; }
    void SetTransform(const Matrix4x4& aTransform) { myTransform = aTransform; }
    Vector3<float> GetPosition() const { return myTransform.GetTranslation(); }
    void SetPosition(const Vector3<float>& aPosition) { myTransform.SetTranslation(aPosition); }

    const Matrix4x4& GetProjection() const { return myProjection; }
    void SetProjection(const Matrix4x4& aProjection) { myProjection = aProjection; }

    float GetNear() const { return myNear; }
    float GetFar() const { return myFar; }

private:
    Matrix4x4 myTransform;  // the camera's placement in the world
    Matrix4x4 myProjection;
    float myNear = 0.01f;
    float myFar = 50000.0f;
};
}
