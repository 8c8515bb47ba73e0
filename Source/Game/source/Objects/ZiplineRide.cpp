#include "Objects/ZiplineRide.h"

#include <cmath>
#include <numbers>

Qel::Vector3f ZiplineRide::Advance(float aDeltaTime)
{
    const Qel::Vector3f start = myRidePoint;
    float budget = SPEED * aDeltaTime;
    auto distanceTo = [this](Qel::u32 aIndex)
    {
        const float dx = myPath[aIndex].x - myRidePoint.x;
        const float dy = myPath[aIndex].y - myRidePoint.y;
        return std::sqrt(dx * dx + dy * dy);
    };
    while (myNextPoint < ZIPLINE_PATH_POINTS && budget > distanceTo(myNextPoint))
    {
        budget -= distanceTo(myNextPoint);
        ++myNextPoint;
    }
    if (myNextPoint >= ZIPLINE_PATH_POINTS)
    {
        // The rider ends under the rope's end, not wherever the last step left off.
        myRidePoint.x = myPath[ZIPLINE_PATH_POINTS - 1].x;
        myRidePoint.y = myPath[ZIPLINE_PATH_POINTS - 1].y;
        myState = ZIPLINE_FINISHED;
        return {0.0f, 0.0f, 0.0f};
    }
    const float distance = distanceTo(myNextPoint);
    // Already on the point: nothing to move along (a zero direction, never a division by zero).
    if (distance > 0.0f && budget > 0.0f)
    {
        const float step = std::fmin(budget, distance) / distance;
        myRidePoint.x += (myPath[myNextPoint].x - myRidePoint.x) * step;
        myRidePoint.y += (myPath[myNextPoint].y - myRidePoint.y) * step;
    }
    const Qel::Vector3f moved{myRidePoint.x - start.x, myRidePoint.y - start.y, 0.0f};
    const float length = std::sqrt(moved.x * moved.x + moved.y * moved.y);
    if (length <= 0.0f)
        return {0.0f, 0.0f, 0.0f};
    return {moved.x / length, moved.y / length, 0.0f};
}

float ZiplineRide::Swing(const Qel::Vector3f& aDirection, float aDeltaTime)
{
    mySwingPhase += SWING_SPEED * aDeltaTime;
    myLean = myLean * (1.0f - 2.0f * aDeltaTime) + (-aDirection.x * 500.0f) * 0.0005f * 2.0f * aDeltaTime;
    const float angle = std::sin(mySwingPhase) * mySwingAmplitude + myLean;
    mySwingAmplitude *= std::pow(SWING_DECAY, aDeltaTime);
    return angle;
}

void ZiplineRide::OffsetPath(const Qel::Vector2f& aBy)
{
    for (Qel::Vector2f& point : myPath)
    {
        point.x += aBy.x;
        point.y += aBy.y;
    }
}

Qel::Matrix4x4 MakeRiderTransform(const Qel::Vector3f& aPosition, const Qel::Quaternion& aRotation, float aAngle)
{
    Qel::Matrix4x4 transform = Qel::Matrix4x4::CreateFromQuaternion(aRotation);
    transform.SetTranslation(aPosition);
    if (aAngle == 0.0f)
        return transform;
    const float degrees = aAngle * 180.0f / std::numbers::pi_v<float>;
    const Qel::Matrix4x4 swing = Qel::Matrix4x4::CreateTranslation({0.0f, -ZiplineRide::HANG, 0.0f}) *
                                 Qel::Matrix4x4::CreateRotationAroundX(degrees) *
                                 Qel::Matrix4x4::CreateTranslation({0.0f, ZiplineRide::HANG, 0.0f});
    return swing * transform;
}

#include "Objects/ObjectProperties.h"
#include "model/ModelFactory.h"

#include <string>

void LoadZiplineModel(AnimatedModel& aModel, Qel::AnimationPlayer& aClip, const Qel::Matrix4x4& aTransform,
                      const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    if (const Qel::SceneModel* model = ObjectProperties::FindModel(aProperties, aCount))
        AnimatedModel::Load(aModel, *model, aTransform);
    else
        aModel.SetTransform(aTransform);
    const Qel::StringId clip = ObjectProperties::FindClipPath(aProperties, aCount, "ActiveAnimation");
    if (!clip.IsEmpty() && aModel.HasModel())
        aClip = Qel::GetModelFactory().GetAnimationPlayer(std::string(clip.GetView()), aModel.myInstance.myModel);
    aClip.myIsLooping = true;
}

void AnimateZipline(AnimatedModel& aModel, Qel::AnimationPlayer& aClip, float aDeltaTime)
{
    if (!aClip.HasAnimation())
        return;
    aClip.Update(aDeltaTime);
    if (aModel.HasModel())
        aModel.myInstance.ApplyAnimationPlayer(aClip);
}

void RewindZipline(Qel::AnimationPlayer& aClip)
{
    aClip.myState = Qel::ANIMATION_STATE_READY;
    aClip.myTime = 0.0f;
}
