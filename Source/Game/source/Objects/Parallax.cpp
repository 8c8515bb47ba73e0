#include "Objects/Parallax.h"

#include "GameWorld.h"
#include "Objects/ObjectProperties.h"
#include "math/Camera.h"

float GetWorldCameraX(const GameContext& aContext)
{
    if (!aContext.world || !aContext.world->myCamera)
        return 0.0f;
    return aContext.world->myCamera->GetPosition().x;
}

void Parallax::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    myModel.SetTransform(aTransform);
    if (const Qel::SceneModel* model = ObjectProperties::FindModel(aProperties, aCount))
    {
        SetupModelInstance(myModel, *model, aTransform);
        myHasModel = 1;
    }
    myEmitter.Init(nullptr, aTransform);
    if (const Qel::ParticleSystemValue* system = ObjectProperties::FindFirst<Qel::ParticleSystemValue>(aProperties, aCount))
    {
        if (!system->Get().myPath.IsEmpty())
            myEmitter.Init(system->Get().Resolve(), aTransform);
    }
    myScale = ObjectProperties::GetFloat(aProperties, aCount, "ParallaxScale", 1.0f);
}

void Parallax::SetBasePosition()
{
    myBasePosition = myHasModel ? myModel.GetPosition() : myEmitter.GetTransform().GetTranslation();
}

const Qel::Matrix4x4& Parallax::GetTransform() const
{
    return myHasModel ? myModel.GetTransform() : const_cast<Qel::ParticleSystemInstance&>(myEmitter).GetTransform();
}

void Parallax::Update(const GameContext& aContext)
{
    const Qel::Vector3f at{myBasePosition.x + myScale * GetWorldCameraX(aContext), myBasePosition.y, myBasePosition.z};
    myModel.SetPosition(at);
    myEmitter.GetTransform().SetTranslation(at);
    if (myEmitter.IsAlive())
        myEmitter.Update(aContext.dt);
}

void Parallax::Render()
{
    if (myHasModel)
        RenderModelInstance(myModel, -1, true);
    if (myEmitter.IsRunning())
        myEmitter.Render();
}
