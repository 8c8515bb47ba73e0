#include "Util/SceneryParticles.h"

#include <cmath>

namespace SceneryParticles
{
namespace
{
Qel::Vector2f Normalised(const Qel::Vector2f& aVector)
{
    const float length = std::sqrt(aVector.x * aVector.x + aVector.y * aVector.y);
    return length > 0.0f ? Qel::Vector2f{aVector.x / length, aVector.y / length} : aVector;
}
}

Qel::Vector3f PlayerPush(const Qel::Vector3f& aParticle, const Qel::Vector2f& aPlayerVelocity,
                         const Qel::Vector2f& aBoxCentre, float aAmount, float aSpread1, float aSpread2, float aDeltaTime)
{
    const float speed = std::sqrt(aPlayerVelocity.x * aPlayerVelocity.x + aPlayerVelocity.y * aPlayerVelocity.y);
    const Qel::Vector2f u = speed > 0.0f ? Qel::Vector2f{aPlayerVelocity.x / speed, aPlayerVelocity.y / speed}
                                         : aPlayerVelocity;
    const Qel::Vector2f d =
        Normalised({aParticle.x - (aBoxCentre.x - 100.0f * u.x), aParticle.y - (aBoxCentre.y - 100.0f * u.y)});
    const Qel::Vector2f w = Normalised({u.x + aSpread1 * d.x, u.y + aSpread2 * d.y});
    const float gain = speed * aAmount * aDeltaTime;
    return {w.x * gain, w.y * gain, 0.0f};
}

void PushOutOfCell(Qel::Vector3f& aPosition, Qel::Vector3f& aVelocity, float aBounce, float aFriction,
                   float aDeltaTime)
{
    const float fx = aPosition.x / 100.0f - std::roundf(aPosition.x / 100.0f - 0.5f);
    const float fy = aPosition.y / 100.0f - std::roundf(aPosition.y / 100.0f - 0.5f);
    const float ex = 0.5f - fx;
    const float ey = 0.5f - fy;
    const float damping = std::pow(aFriction, aDeltaTime);
    if (std::fabs(ex) > std::fabs(ey))
    {
        aPosition.y += 100.0f * ey;
        aVelocity.y = -aVelocity.y * aBounce;
        aVelocity.x *= damping;
    }
    else
    {
        aPosition.x += 100.0f * ex;
        aVelocity.x = -aVelocity.x * aBounce;
        aVelocity.y *= damping;
    }
}
}
