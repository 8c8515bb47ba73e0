#include "Objects/Checkpoint.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"

namespace
{
Box TriggerAt(const Qel::Vector3f& aPosition)
{
    return Box(aPosition.x, aPosition.y + Checkpoint::TRIGGER_RISE, Checkpoint::TRIGGER_WIDTH,
               Checkpoint::TRIGGER_HEIGHT);
}
}

void Checkpoint::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    // The same level's checkpoint made again (a respawn reload) stays active.
    mySavedPosition = aTransform.GetTranslation();
    myOffModel.SetTransform(aTransform);
    myOnModel.SetTransform(aTransform);
    myTrigger = TriggerAt(mySavedPosition);
    for (std::size_t i = 0; i < aCount; ++i)
    {
        const Qel::PropertyRecord& record = aProperties[i];
        if (record.myType != Qel::GetPropertyType<Qel::ModelValue>())
            continue;
        const Qel::ModelValue* model = record.myValue.TryGet<Qel::ModelValue>();
        if (!model)
            continue;
        if (record.myName.GetView() == OFF_MODEL)
        {
            SetupModelInstance(myOffModel, model->Get(), aTransform);
            mySavedPosition = myOffModel.GetPosition();
            myTrigger = TriggerAt(mySavedPosition);
        }
        else
        {
            SetupModelInstance(myOnModel, model->Get(), aTransform);
            myTrigger = TriggerAt(myOnModel.GetPosition());
        }
    }
    myPlaced = 1;
}

void Checkpoint::Update()
{
    const Qel::Vector3f at{mySavedPosition.x, mySavedPosition.y, MODEL_Z};
    myOnModel.SetPosition(at);
    myOffModel.SetPosition(at);
}

void Checkpoint::SetActive(bool aActive)
{
    if (aActive && !myActive)
        GetAudioManager().PlaySfx(SFX_CHECKPOINT);
    myActive = aActive ? 1 : 0;
}

void Checkpoint::Clear()
{
    *this = Checkpoint{};
}

void Checkpoint::Render()
{
    if (!myPlaced)
        return;
    RenderModelInstance(myActive ? myOnModel : myOffModel, -1, true);
}
