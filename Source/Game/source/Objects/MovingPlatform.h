#pragma once
#include "Box.h"
#include "ModelVisual.h"
#include "core/Types.h"
#include "math/Matrix4x4.h"

#include <cstddef>
#include <string>

namespace Qel
{
struct PropertyRecord;
}
struct GameContext;

// The platform's content values, as a level sets them.
struct MovingPlatformSettings
{
    float myHitboxWidth = 0.0f;
    float myHitboxOffset = 0.0f;
    Qel::Vector2f myTargetA;
    Qel::Vector2f myTargetB;
    bool myStartsAtA = false;
    bool myWaits = false;
    float myAcceleration = 0.0f;
    float myDeceleration = 0.0f;
    float myMaxSpeed = 0.0f;
};

// Shuttles between two points relative to where it was placed: accelerates, brakes so that it
// arrives, snaps onto the point and turns back. A waiting platform stays put until the player
// first touches it. Owned and updated by the tile map, which lets boxes ride it.
class MovingPlatform
{
public:
    // A rider is lost when the platform rises further in one frame than the carry reaches
    // (about 17 units at the longest frame, 0.03 s): faster settings are clamped to this.
    static constexpr float MAX_CARRY_SPEED = 500.0f;
    static constexpr float SNAP_DISTANCE = 1.0f;
    static constexpr float MOVING_Z = 200.0f;

    // Reads the platform's keys and its model; aName names the object in content messages.
    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount,
              const std::string& aName = {});
    // The same from values already read. Values the platform cannot run with are mended, each
    // with a message naming the object.
    void Init(const Qel::Matrix4x4& aTransform, const MovingPlatformSettings& aSettings,
              const std::string& aName = {});
    void InitTargets();

    void Update(GameContext& aContext);
    void UpdateWaiting(GameContext& aContext);
    void UpdateMoving(float aDeltaTime);
    void Render();

    Box GetHitbox() const { return myBox; }
    Qel::Vector2f GetFrameDelta() const { return myFrameMovement; }
    void SetFrameDelta(const Qel::Vector2f& aDelta) { myFrameMovement = aDelta; }

    Qel::Vector3f GetPosition() const { return myPosition; }
    Qel::Vector3f GetTarget() const { return myTarget; }
    Qel::Vector3f GetPointA() const { return myPointA; }
    Qel::Vector3f GetPointB() const { return myPointB; }
    float GetSpeed() const { return mySpeed; }
    bool IsTouched() const { return myTouched != 0; }
    const ModelVisual& GetModel() const { return myModel; }

private:
    void MendSettings(const std::string& aName);

    ModelVisual myModel;
    Box myBox{0.0f, 0.0f, 100.0f, 100.0f};
    float myHitboxWidth = 0.0f;
    float myHitboxOffset = 0.0f;
    Qel::Vector3f myPosition;
    Qel::Vector2f myFrameMovement;
    Qel::Vector3f myPointA;
    Qel::Vector3f myPointB;
    Qel::Vector2f myOffsetA;
    Qel::Vector2f myOffsetB;
    Qel::Vector3f myTarget;
    bool myStartsAtA = false;
    bool myWaits = false;
    Qel::u8 myTouched = 0;
    float mySpeed = 0.0f;
    float myAcceleration = 0.0f;
    float myDeceleration = 0.0f;
    float myMaxSpeed = 0.0f;
    float myHeading = 0.0f;
};
