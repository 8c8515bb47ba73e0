#include "Objects/BatterySpawn.h"

#include "GameWorld.h"
#include "Objects/ObjectProperties.h"

void BatterySpawn::Init(const Qel::Matrix4x4& aTransform)
{
    Init(aTransform, ObjectProperties::FindDefinitionParticleSystem(BATTERY_SPAWN_DEFINITION, "Battery"),
         ObjectProperties::FindDefinitionParticleSystem(BATTERY_SPAWN_DEFINITION, "BatteryDown"));
}

void BatterySpawn::Init(const Qel::Matrix4x4& aTransform, Qel::ParticleSystem* aUp, Qel::ParticleSystem* aDown)
{
    myTransform = aTransform;
    const float upY = aTransform.GetRow(2).y;
    myBurstSystem = upY > 0.0f ? aUp : aDown;
    const Qel::Vector3f origin = aTransform.GetTranslation();
    if (myBurstSystem)
        myBurst.Init(myBurstSystem,
                     Qel::Matrix4x4::CreateTranslation({origin.x, origin.y - BURST_OFFSET * upY, origin.z}));
    myTransform = Qel::Matrix4x4::CreateTranslation(origin);
}

void BatterySpawn::Update(const GameContext& aContext)
{
    if (myBurst.IsAlive())
        myBurst.Update(aContext.dt);
}

void BatterySpawn::Render()
{
    if (myBurst.IsRunning())
        myBurst.Render();
}
