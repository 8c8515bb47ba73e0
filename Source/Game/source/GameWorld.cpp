#include "GameWorld.h"

#include "math/Camera.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"

namespace
{
// A bumped block kills a flying owl by its one kill and reaches it by its one box.
struct FlyingOwlTileTraits : TileEnemyTraits<FlyingMiniOwl>
{
    static void Kill(FlyingMiniOwl& aOwl) { aOwl.Kill(); }
};

// Nothing stomps a pipe mole.
struct PipeMoleContactTraits : EnemyContactTraits<PipeMole>
{
    static void KillByJumpOn(PipeMole&) {}
};
}

GameWorld::GameWorld()
{
    myVignetteSprite.myPivot = {0.5f, 0.5f};
    myTileStandingEnemies.push_back(std::make_unique<TileStandingEnemyList<MiniOwl>>(myMiniOwls));
    myTileStandingEnemies.push_back(
        std::make_unique<TileStandingEnemyList<FlyingMiniOwl, FlyingOwlTileTraits>>(myFlyingMiniOwls));
    myTileStandingEnemies.push_back(std::make_unique<TileStandingEnemyList<BeetleTank>>(myBeetleTanks));
    myEnemyContacts[static_cast<std::size_t>(EnemyContactKind::FlyingMiniOwl)] =
        std::make_unique<EnemyContactList<FlyingMiniOwl>>(EnemyContactKind::FlyingMiniOwl, myFlyingMiniOwls);
    myEnemyContacts[static_cast<std::size_t>(EnemyContactKind::BeetleTank)] =
        std::make_unique<EnemyContactList<BeetleTank>>(EnemyContactKind::BeetleTank, myBeetleTanks);
    myEnemyContacts[static_cast<std::size_t>(EnemyContactKind::MiniOwl)] =
        std::make_unique<EnemyContactList<MiniOwl>>(EnemyContactKind::MiniOwl, myMiniOwls);
    myEnemyContacts[static_cast<std::size_t>(EnemyContactKind::PipeMole)] =
        std::make_unique<EnemyContactList<PipeMole, PipeMoleContactTraits>>(EnemyContactKind::PipeMole, myPipeMoles);
    myGrenadeTargets[static_cast<std::size_t>(GrenadeTargetKind::FlyingMiniOwl)] =
        std::make_unique<GrenadeTargetList<FlyingMiniOwl>>(myFlyingMiniOwls);
    myGrenadeTargets[static_cast<std::size_t>(GrenadeTargetKind::BeetleTank)] =
        std::make_unique<GrenadeTargetList<BeetleTank>>(myBeetleTanks);
    myGrenadeTargets[static_cast<std::size_t>(GrenadeTargetKind::MiniOwl)] =
        std::make_unique<GrenadeTargetList<MiniOwl>>(myMiniOwls);
    myGrenadeTargets[static_cast<std::size_t>(GrenadeTargetKind::PipeMole)] =
        std::make_unique<GrenadeTargetList<PipeMole>>(myPipeMoles);
    // The player's throw limit counts the grenades still flying.
    myCountLiveGrenades = [this]
    {
        std::size_t flying = 0;
        for (const ChestGrenade& grenade : myChestGrenades)
            flying += grenade.IsExploded() ? 0 : 1;
        return flying;
    };
}

void GameWorld::StopEnemySounds()
{
    for (MiniOwl& owl : myMiniOwls)
        owl.StopSounds();
    for (FlyingMiniOwl& owl : myFlyingMiniOwls)
        owl.StopSounds();
    for (BeetleTank& tank : myBeetleTanks)
        tank.StopSounds();
    for (PipeMole& mole : myPipeMoles)
        mole.StopSounds();
}

GameWorld::~GameWorld() = default;

void GameWorld::ClearLevel()
{
    myGenericModels.clear();
    myGenericParticles.clear();
    StopEnemySounds();
    myMiniOwls.clear();
    myFlyingMiniOwls.clear();
    myBeetleTanks.clear();
    myPipeMoles.clear();
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
