#pragma once
// The rope ride shared by the goal and the entry zipline: a point moving along a five-point
// path at a fixed speed, the rider hanging below it and swinging about a pivot above its origin.
#include "core/Types.h"
#include "math/Matrix4x4.h"
#include "math/Quaternion.h"
#include "math/Vector.h"

inline constexpr int ZIPLINE_PATH_POINTS = 5;

enum ZiplineState : Qel::u8
{
    ZIPLINE_WAITING = 0,
    ZIPLINE_START = 1,
    ZIPLINE_RIDING = 2,
    ZIPLINE_FINISHED = 3,
};

struct ZiplineRide
{
    static constexpr float SPEED = 500.0f;
    static constexpr float HANG = 150.0f;
    static constexpr float SWING_SPEED = 5.0f;
    static constexpr float SWING_DECAY = 0.7f;
    // The player's yaw when facing right, in degrees.
    static constexpr float RIGHT_YAW = 295.0f;

    // Moves the ride point by SPEED × dt along the path: each point whose distance (from the
    // ride point where it stands) the budget exceeds is passed, then the rest moves it toward
    // the next one. Returns the unit direction moved this frame (zero when it did not move);
    // passing the last point puts the ride point on it and sets the finished state.
    Qel::Vector3f Advance(float aDeltaTime);
    // This frame's swing angle (radians), then the swing's phase, lean and decay advance.
    float Swing(const Qel::Vector3f& aDirection, float aDeltaTime);
    Qel::Vector3f GetHangPosition() const { return {myRidePoint.x, myRidePoint.y - HANG, myRidePoint.z}; }
    void OffsetPath(const Qel::Vector2f& aBy);

    Qel::Vector2f myPath[ZIPLINE_PATH_POINTS];
    Qel::Vector3f myRidePoint{0.0f, 0.0f, 0.0f};
    Qel::u32 myNextPoint = 0;
    Qel::u8 myState = ZIPLINE_WAITING;
    float myBlendWeight = 0.0f;
    float mySwingAmplitude = 0.0f;
    float mySwingPhase = 0.0f;
    float myLean = 0.0f;
};

// The rider's transform: its rotation at the position, swung by aAngle radians about x around a
// pivot HANG above its origin.
Qel::Matrix4x4 MakeRiderTransform(const Qel::Vector3f& aPosition, const Qel::Quaternion& aRotation, float aAngle);

#include "AnimatedModel.h"
#include "model/AnimationPlayer.h"

#include <cstddef>

namespace Qel
{
struct PropertyRecord;
}

// The zipline's skinned model from the first model property and its looping "ActiveAnimation"
// clip (bound only when the path is set and the clip loads for the model).
void LoadZiplineModel(AnimatedModel& aModel, Qel::AnimationPlayer& aClip, const Qel::Matrix4x4& aTransform,
                      const Qel::PropertyRecord* aProperties, std::size_t aCount);
// Advances the clip and poses the model (nothing without a clip or a model).
void AnimateZipline(AnimatedModel& aModel, Qel::AnimationPlayer& aClip, float aDeltaTime);
// The clip stopped and rewound.
void RewindZipline(Qel::AnimationPlayer& aClip);
