#include "Objects/MovingPlatform.h"

#include "GameWorld.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <type_traits>

namespace
{
float FiniteOrZero(float aValue)
{
    return std::isfinite(aValue) ? aValue : 0.0f;
}
}

void MovingPlatform::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount,
                          const std::string& aName)
{
    MovingPlatformSettings settings;
    const Qel::ModelValue* model = nullptr;
    auto read = [](const Qel::PropertyRecord& aRecord, Qel::StringId aKey, auto& aOut) {
        using T = std::remove_reference_t<decltype(aOut)>;
        if (aRecord.myName != aKey || aRecord.myType != Qel::GetPropertyType<T>())
            return false;
        if (const T* value = aRecord.myValue.TryGet<T>())
            aOut = *value;
        return true;
    };
    for (std::size_t i = 0; i < aCount; ++i)
    {
        const Qel::PropertyRecord& r = aProperties[i];
        if (r.myType == Qel::GetPropertyType<Qel::ModelValue>())
        {
            if (const Qel::ModelValue* value = r.myValue.TryGet<Qel::ModelValue>())
                model = value;
            continue;
        }
        read(r, Qel::StringId("HitboxWidth"), settings.myHitboxWidth) ||
            read(r, Qel::StringId("HitboxOffset"), settings.myHitboxOffset) ||
            read(r, Qel::StringId("TargetA"), settings.myTargetA) ||
            read(r, Qel::StringId("TargetB"), settings.myTargetB) ||
            read(r, Qel::StringId("StartingTargetIsA"), settings.myStartsAtA) ||
            read(r, Qel::StringId("ShouldWait"), settings.myWaits) ||
            read(r, Qel::StringId("Acceleration"), settings.myAcceleration) ||
            read(r, Qel::StringId("Deacceleration"), settings.myDeceleration) ||
            read(r, Qel::StringId("MaxSpeed"), settings.myMaxSpeed);
    }
    Init(aTransform, settings, aName);
    if (model)
        SetupModelInstance(myModel, *model, aTransform);
}

void MovingPlatform::Init(const Qel::Matrix4x4& aTransform, const MovingPlatformSettings& aSettings,
                          const std::string& aName)
{
    myModel.SetTransform(aTransform);
    const Qel::Vector3f t = aTransform.GetTranslation();
    myBox = Box(t.x, t.y, 100.0f, 100.0f);
    myHitboxWidth = FiniteOrZero(aSettings.myHitboxWidth);
    myHitboxOffset = FiniteOrZero(aSettings.myHitboxOffset);
    myOffsetA = {FiniteOrZero(aSettings.myTargetA.x), FiniteOrZero(aSettings.myTargetA.y)};
    myOffsetB = {FiniteOrZero(aSettings.myTargetB.x), FiniteOrZero(aSettings.myTargetB.y)};
    myStartsAtA = aSettings.myStartsAtA;
    myWaits = aSettings.myWaits;
    myAcceleration = FiniteOrZero(aSettings.myAcceleration);
    myDeceleration = FiniteOrZero(aSettings.myDeceleration);
    myMaxSpeed = FiniteOrZero(aSettings.myMaxSpeed);
    myTouched = 0;
    mySpeed = 0.0f;
    myFrameMovement = {};
    MendSettings(aName);
}

void MovingPlatform::MendSettings(const std::string& aName)
{
    char where[160];
    if (aName.empty())
    {
        const Qel::Vector3f t = myModel.GetPosition();
        std::snprintf(where, sizeof(where), "Moving platform at (%g, %g)", t.x, t.y);
    }
    else
        std::snprintf(where, sizeof(where), "Moving platform \"%s\"", aName.c_str());

    if (myHitboxWidth <= 0.0f)
    {
        std::printf("%s: HitboxWidth %g cannot carry anything; using 100.\n", where, myHitboxWidth);
        myHitboxWidth = 100.0f;
    }
    // Braking divides by the deceleration; without one the platform would never brake.
    if (myDeceleration <= 0.0f && myAcceleration > 0.0f)
    {
        std::printf("%s: Deacceleration %g cannot brake; braking at its Acceleration %g.\n", where,
                    myDeceleration, myAcceleration);
        myDeceleration = myAcceleration;
    }
    else if (myAcceleration <= 0.0f && myDeceleration > 0.0f)
    {
        std::printf("%s: Acceleration %g cannot start it; accelerating at its Deacceleration %g.\n", where,
                    myAcceleration, myDeceleration);
        myAcceleration = myDeceleration;
    }
    else if (myAcceleration <= 0.0f && myDeceleration <= 0.0f)
    {
        std::printf("%s: neither Acceleration nor Deacceleration is above 0; it stays where it is.\n", where);
        myAcceleration = 0.0f;
        myDeceleration = 0.0f;
    }
    if (myMaxSpeed > MAX_CARRY_SPEED)
    {
        std::printf("%s: MaxSpeed %g is more than a rider can be carried at; using %g.\n", where, myMaxSpeed,
                    MAX_CARRY_SPEED);
        myMaxSpeed = MAX_CARRY_SPEED;
    }
    else if (myMaxSpeed <= 0.0f)
    {
        std::printf("%s: MaxSpeed %g is not above 0; it stays where it is.\n", where, myMaxSpeed);
        myMaxSpeed = 0.0f;
    }
}

void MovingPlatform::InitTargets()
{
    myPosition = myModel.GetPosition();
    myPointA = {myPosition.x + myOffsetA.x, myPosition.y + myOffsetA.y, myPosition.z};
    myPointB = {myPosition.x + myOffsetB.x, myPosition.y + myOffsetB.y, myPosition.z};
    myTarget = myStartsAtA ? myPointA : myPointB;
    myBox.SetSize({myHitboxWidth, 100.0f});
    myHeading = std::atan2(myTarget.y - myPosition.y, myTarget.x - myPosition.x);
}

void MovingPlatform::Update(GameContext& aContext)
{
    myBox.SetPosition({myPosition.x + myHitboxOffset, myPosition.y});
    if (myWaits)
        UpdateWaiting(aContext);
    else
        UpdateMoving(aContext.dt);
}

void MovingPlatform::UpdateWaiting(GameContext& aContext)
{
    if (aContext.world && aContext.world->myPlayer.GetHitbox().Overlaps(myBox))
        myTouched = 1;
    if (myTouched)
        UpdateMoving(aContext.dt);
}

void MovingPlatform::UpdateMoving(float aDeltaTime)
{
    const float distance = (myTarget - myPosition).Length();
    if (distance <= SNAP_DISTANCE)
    {
        myPosition = myTarget;
        myTarget = myTarget == myPointA ? myPointB : myPointA;
        myHeading = std::atan2(myTarget.y - myPosition.y, myTarget.x - myPosition.x);
        mySpeed = 0.0f;
        return;
    }

    const float braking = myDeceleration > 0.0f ? mySpeed * mySpeed / (2.0f * myDeceleration) : 0.0f;
    if (distance > braking)
        mySpeed = std::min(mySpeed + myAcceleration * aDeltaTime, myMaxSpeed);
    else
        mySpeed = std::max(mySpeed - myDeceleration * aDeltaTime, 0.0f);

    // Never step past the target: the heading is fixed for the leg, so an overshoot would carry
    // the platform away from its point for good.
    const float step = std::min(mySpeed * aDeltaTime, distance);
    myPosition.x += std::cos(myHeading) * step;
    myPosition.y += std::sin(myHeading) * step;
    myModel.SetPosition({myPosition.x, myPosition.y, MOVING_Z});
    myBox.SetPosition({myPosition.x + myHitboxOffset, myPosition.y});
}

void MovingPlatform::Render()
{
    RenderModelInstance(myModel, -1, true);
}
