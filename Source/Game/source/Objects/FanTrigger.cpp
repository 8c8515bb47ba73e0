#include "Objects/FanTrigger.h"

#include "Objects/ObjectProperties.h"

void FanTrigger::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    if (const Qel::SceneModel* model = ObjectProperties::FindModel(aProperties, aCount))
        SetupModelInstance(myModel, *model, aTransform);
    else
        myModel.SetTransform(aTransform);
    if (const Qel::Vector3f* position = ObjectProperties::Find<Qel::Vector3f>(aProperties, aCount, "Position"))
        myPosition = *position;
    myWidth = ObjectProperties::GetFloat(aProperties, aCount, "HitboxWidth", 0.0f);
    myHeight = ObjectProperties::GetFloat(aProperties, aCount, "HitboxHeight", 0.0f);
}

void FanTrigger::SetupArea()
{
    myArea = Box(myPosition.x, myPosition.y, myWidth, myHeight);
}
