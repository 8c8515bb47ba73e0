#include "Objects/BatteryPickup.h"

#include "GameWorld.h"
#include "Objects/ObjectProperties.h"

#include <cmath>

void InitPickupVisual(ModelVisual& aModel, Box& aBox, Qel::ParticleSystem*& aSplashSystem,
                      const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    if (const Qel::SceneModel* model = ObjectProperties::FindModel(aProperties, aCount))
        SetupModelInstance(aModel, *model, aTransform);
    else
        aModel.SetTransform(aTransform);
    const Qel::Vector3f position = aModel.GetPosition();
    aBox = Box(position.x, position.y, PICKUP_BOX_SIZE, PICKUP_BOX_SIZE);
    aSplashSystem = ObjectProperties::FindDefinitionParticleSystem(PICKUP_VFX_DEFINITION, "Splash");
}

void StartPickupSplash(Qel::ParticleSystemInstance& aSplash, Qel::ParticleSystem* aSystem,
                       const Qel::Vector3f& aPosition)
{
    if (aSystem)
        aSplash.Init(aSystem, Qel::Matrix4x4::CreateTranslation(aPosition));
}

void RenderPickup(ModelVisual& aModel, Qel::ParticleSystemInstance& aSplash, bool aCollected)
{
    if (!aCollected)
        RenderModelInstance(aModel, -1, true);
    if (aSplash.IsRunning())
        aSplash.Render();
}

void BatteryPickup::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    InitPickupVisual(myModel, myBox, mySplashSystem, aTransform, aProperties, aCount);
    myRestHeight = myModel.GetPosition().y;
}

void BatteryPickup::Update(const GameContext& aContext)
{
    if (myCollected)
    {
        mySplash.Update(aContext.dt);
        return;
    }
    myBobPhase += BOB_SPEED * aContext.dt;
    Qel::Vector3f position = myModel.GetPosition();
    position.y = myRestHeight + BOB_HEIGHT * std::sin(myBobPhase);
    myModel.SetPosition(position);
}

void BatteryPickup::Collect()
{
    myCollected = 1;
    StartPickupSplash(mySplash, mySplashSystem, GetPosition());
}

void BatteryPickup::Render()
{
    RenderPickup(myModel, mySplash, myCollected != 0);
}
