#pragma once
// How the level's scenery particles react to the world: the player running through them blows
// them along, and particles of systems that collide with the tile map are pushed out of solid
// cells with a bounce. Plain arithmetic on one particle, so the play screen and its tests share it.
#include "math/Vector.h"

namespace SceneryParticles
{
// The player's push on a particle inside its hit box: the player's velocity, turned a little
// by the particle's place and a random spread (aSpread1, aSpread2 in -1..1), times the system's
// amount. aBoxCentre is the centre of the player's hit box.
Qel::Vector3f PlayerPush(const Qel::Vector3f& aParticle, const Qel::Vector2f& aPlayerVelocity,
                         const Qel::Vector2f& aBoxCentre, float aAmount, float aSpread1, float aSpread2, float aDeltaTime);

// Moves a particle that lies in a solid cell to the nearer edge along one axis (the one needing
// the shorter push), reflecting that velocity times aBounce and damping the other by aFriction
// to the power of the frame time.
void PushOutOfCell(Qel::Vector3f& aPosition, Qel::Vector3f& aVelocity, float aBounce, float aFriction,
                   float aDeltaTime);
}
