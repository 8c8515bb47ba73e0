#pragma once
// The play camera's rules: it follows the player horizontally only, with a dead zone and a
// gain, clamped between the level's left and right bounds; it shakes during the fan event and
// frames the ending cutscene. Pure arithmetic, so the play screen and its tests share it.
#include "math/Vector.h"

namespace Qel
{
class PerlinNoise;
}

namespace PlayCamera
{
inline constexpr float DEFAULT_HEIGHT = 700.0f;
inline constexpr float VIEW_HEIGHT = 1400.0f;
inline constexpr float VIEW_DEPTH = 10000.0f;
inline constexpr float CAMERA_Z = -1000.0f;
// The player settles this far left of the camera centre.
inline constexpr float PLAYER_LEAD = 400.0f;
inline constexpr float MAX_SHAKE_TIME = 30.0f;
inline constexpr double SHAKE_NOISE_Y = 29974663.0;
inline constexpr double SHAKE_NOISE_Z = 543754370.0;

struct Follow
{
    Qel::Vector3f myTarget;
    float myLeftBound = 0.0f;
    float myRightBound = 0.0f;
    float myFollowSpeed = 10.0f;
    float myDeadZone = 400.0f;
};

struct Shake
{
    float myTime = 0.0f;
    float myAmplitude = 0.0f;
    double myOffsetX = 0.0;
    double myOffsetY = 0.0;
};

// What an active ending cutscene asks of the camera.
struct CutsceneFraming
{
    float myX = 0.0f;
    float mySideOffset = 0.0f;
    float myRise = 0.0f;
    float myZoom = 1.0f;
};

// x := right bound when above it, else the larger of x and the left bound.
float ClampTargetX(float aX, float aLeftBound, float aRightBound);

// One frame of the follow without a cutscene: moves the target toward the point 400 right of
// the player once it is farther than the dead zone; the camera keeps its height (700 plus the
// vertical shake) whatever the player's height. Returns the camera's new position.
Qel::Vector3f FollowPlayer(Follow& aFollow, const Qel::Vector3f& aCameraPosition, const Qel::Vector3f& aPlayerPosition,
                           const Shake& aShake, float aDeltaTime);

// One frame of the follow while an ending cutscene plays: the target eases toward the
// cutscene, the side offset replaces the horizontal shake. Returns the camera's new position.
Qel::Vector3f FrameCutscene(Follow& aFollow, Shake& aShake, const Qel::Vector3f& aCameraPosition,
                            const CutsceneFraming& aFraming, float aDeltaTime);

// One frame of the shake: builds up while the fan event runs (for 30 s of noise time at most),
// otherwise decays toward rest.
void UpdateShake(Shake& aShake, bool aEventRunning, const Qel::PerlinNoise& aNoise, float aDeltaTime);

// Orthographic width and height of the play camera at a zoom: 1400 units tall at zoom 1, as
// wide as the render size's aspect asks.
Qel::Vector2f ViewSize(float aRenderWidth, float aRenderHeight, float aZoom);
}
