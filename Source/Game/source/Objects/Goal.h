#pragma once
// The end of a level: touching its tall trigger hangs the player on the goal's zipline, which
// carries them along a fixed path; when the path ends the play screen moves to "next_level".
#include "Box.h"
#include "Objects/ZiplineRide.h"
#include "stringRegistry/StringId.h"

struct GameContext;

class Goal
{
public:
    static constexpr float TRIGGER_OFFSET_X = 85.0f;
    static constexpr float TRIGGER_WIDTH = 100.0f;
    static constexpr float TRIGGER_HEIGHT = 5000.0f;
    static constexpr float PULL_SPEED = 20.0f;
    static constexpr float CAPTURE_SWING = 0.0015f;

    // Relative to the model; the factory sets it before Init, which offsets it.
    void SetDefaultPath();
    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount);
    const Box& GetTrigger() const { return myTrigger; }
    void Capture() { myRide.myState = ZIPLINE_START; }
    Qel::u8 GetState() const { return myRide.myState; }
    const Qel::Matrix4x4& GetModelTransform() const { return myModel.GetTransform(); }
    // The swing a capture starts with: the player's speed into the rope, at most a quarter turn.
    static float CaptureSwing(float aHorizontalVelocity);
    // How high on the goal the player touched it, 0 to 1.
    float GetHeightFraction(float aPlayerY) const;
    Qel::StringId GetNextLevel() const { return myNextLevel; }
    void Update(GameContext& aContext);
    void Render();

    // The player as the ride places it (Player::SetRideTransform): rotation and swing.
    const Qel::Matrix4x4& GetRiderTransform() const { return myRiderTransform; }
    const Qel::Quaternion& GetRiderRotation() const { return myRiderRotation; }
    const ZiplineRide& GetRide() const { return myRide; }

    Qel::StringId myNextLevel;
    AnimatedModel myModel;
    Qel::AnimationPlayer myClip;
    Box myTrigger;
    ZiplineRide myRide;
    Qel::Quaternion myRiderRotation;
    Qel::Matrix4x4 myRiderTransform;
};
