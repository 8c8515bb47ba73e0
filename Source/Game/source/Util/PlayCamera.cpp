#include "Util/PlayCamera.h"

#include "math/PerlinNoise.h"

#include <algorithm>
#include <cmath>

namespace PlayCamera
{
float ClampTargetX(float aX, float aLeftBound, float aRightBound)
{
    return aX > aRightBound ? aRightBound : std::max(aX, aLeftBound);
}

Qel::Vector3f FollowPlayer(Follow& aFollow, const Qel::Vector3f& aCameraPosition, const Qel::Vector3f& aPlayerPosition,
                           const Shake& aShake, float aDeltaTime)
{
    const float dx = aPlayerPosition.x - aCameraPosition.x + PLAYER_LEAD;
    const float dy = aPlayerPosition.y - aCameraPosition.y;
    const float distance = std::sqrt(dx * dx + dy * dy);
    float cameraX = aCameraPosition.x;
    if (distance > aFollow.myDeadZone)
    {
        const float step = (distance - aFollow.myDeadZone) * aDeltaTime * aFollow.myFollowSpeed;
        aFollow.myTarget.x += step * dx / distance;
        aFollow.myTarget.y += step * dy / distance;
        aFollow.myTarget.x = ClampTargetX(aFollow.myTarget.x, aFollow.myLeftBound, aFollow.myRightBound);
        cameraX = static_cast<float>(aShake.myOffsetX + aFollow.myTarget.x);
    }
    return {cameraX, static_cast<float>(aShake.myOffsetY + DEFAULT_HEIGHT), aCameraPosition.z};
}

Qel::Vector3f FrameCutscene(Follow& aFollow, Shake& aShake, const Qel::Vector3f& aCameraPosition,
                            const CutsceneFraming& aFraming, float aDeltaTime)
{
    aFollow.myTarget.x = (1.0f - aDeltaTime) * aFollow.myTarget.x + aDeltaTime * aFraming.myX;
    aShake.myOffsetX = aFraming.mySideOffset;
    const float cameraX = static_cast<float>(aShake.myOffsetX + aFollow.myTarget.x);
    const float height = DEFAULT_HEIGHT + aFraming.myRise;
    return {cameraX, static_cast<float>(aShake.myOffsetY + height), aCameraPosition.z};
}

void UpdateShake(Shake& aShake, bool aEventRunning, const Qel::PerlinNoise& aNoise, float aDeltaTime)
{
    if (aEventRunning && aShake.myTime <= MAX_SHAKE_TIME)
    {
        aShake.myAmplitude = std::lerp(aShake.myAmplitude, 1.0f, aDeltaTime * 0.1f);
        aShake.myTime += aDeltaTime * 5.0f;
        const double amplitude = 200.0 * aShake.myAmplitude;
        aShake.myOffsetX = aNoise.Noise(aShake.myTime, 0.0, 0.0) * amplitude;
        aShake.myOffsetY = aNoise.Noise(aShake.myTime, SHAKE_NOISE_Y, SHAKE_NOISE_Z) * amplitude;
    }
    else if (aShake.myOffsetX != 0.0 || aShake.myOffsetY != 0.0)
    {
        aShake.myOffsetX = std::lerp(aShake.myOffsetX, 0.0, static_cast<double>(aDeltaTime));
        aShake.myOffsetY = std::lerp(aShake.myOffsetY, 0.0, static_cast<double>(aDeltaTime));
    }
}

Qel::Vector2f ViewSize(float aRenderWidth, float aRenderHeight, float aZoom)
{
    const float height = std::max(aRenderHeight, 1.0f);
    return {aRenderWidth * VIEW_HEIGHT / height * aZoom, VIEW_HEIGHT * aZoom};
}
}
