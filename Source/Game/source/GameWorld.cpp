#include "GameWorld.h"

#include "math/Camera.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"

GameWorld::GameWorld()
{
    myVignetteSprite.myPivot = {0.5f, 0.5f};
}

GameWorld::~GameWorld() = default;

void GameWorld::ClearLevel()
{
    myGenericModels.clear();
    for (EventFan& fan : myEventFans)
        fan.StopSounds();
    myEventFans.clear();
    myFanTriggers.clear();
    myEndingCutscenes.clear();
    myGoals.clear();
    myEntryZiplines.clear();
    myBatteryPickups.clear();
    myBatterySpawns.clear();
    myChestGrenadePickups.clear();
    myShieldPickups.clear();
    myLifePickups.clear();
    myChestGrenades.clear();
    myParallaxLayers.clear();
    myTileMap.Clear();
    myPlayer.ResetForRespawn();
}

Qel::i32 ReadObjectTag(const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    for (std::size_t i = 0; i < aCount; ++i)
    {
        if (aProperties[i].myType != Qel::GetPropertyType<Qel::ObjectTag>())
            continue;
        const Qel::ObjectTag* tag = aProperties[i].myValue.TryGet<Qel::ObjectTag>();
        return tag ? static_cast<Qel::i32>(*tag) : 0;
    }
    return 0;
}
