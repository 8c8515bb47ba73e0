#include "Objects/PlayObjects.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "GameWorld.h"
#include "Hud.h"
#include "InputMapper.h"
#include "math/Camera.h"

#include <cmath>

namespace PlayObjects
{
namespace
{
void PopupAt(GameContext& aContext, const Qel::Vector3f& aPosition, Qel::i32 aAmount, float aExtraHold)
{
    if (aContext.hud)
        aContext.hud->SpawnScorePopup(aPosition, aAmount, aContext.world->myCamera.get(), aExtraHold, false);
}

void LifePopupAt(GameContext& aContext, const Qel::Vector3f& aPosition, float aExtraHold)
{
    if (!aContext.hud)
        return;
    static const Qel::Camera noCamera;
    const Qel::Camera* camera = aContext.world->myCamera.get();
    aContext.hud->SpawnLifePopup(aPosition, camera ? *camera : noCamera, aExtraHold);
}

void AwardBattery(GameContext& aContext, const Qel::Vector3f& aPosition)
{
    GetAudioManager().PlaySfx(SFX_COLLECT_BATTERY);
    if (aContext.hud)
    {
        aContext.hud->AddBattery();
        aContext.hud->AddScore(PICKUP_SCORE);
    }
    PopupAt(aContext, aPosition, PICKUP_SCORE, 0.0f);
}

enum class PickupKind
{
    Shield,
    Life,
    Grenade,
};

void AwardPowerUp(GameContext& aContext, PickupKind aKind, const Qel::Vector3f& aPosition)
{
    Player& player = aContext.world->myPlayer;
    switch (aKind)
    {
    case PickupKind::Shield:
        GetAudioManager().PlaySfx(SFX_COLLECT_SHIELD);
        if (aContext.hud)
            aContext.hud->AddScore(PICKUP_SCORE);
        PopupAt(aContext, aPosition, PICKUP_SCORE, 0.0f);
        if (player.GetPowerUp() == 0)
            player.SetPowerUpState(POWER_UP_SHIELD);
        break;
    case PickupKind::Life:
    {
        GetAudioManager().PlaySfx(SFX_COLLECT_LIFE);
        const Qel::Vector3f at = player.GetPosition();
        const float facing = player.GetFacing() < 0.0f ? -1.0f : 1.0f;
        LifePopupAt(aContext, {at.x + 150.0f * facing, at.y + 200.0f, at.z}, 0.0f);
        player.AddLife();
        break;
    }
    case PickupKind::Grenade:
        GetAudioManager().PlaySfx(SFX_COLLECT_GRENADE);
        if (aContext.hud)
            aContext.hud->AddScore(PICKUP_SCORE);
        PopupAt(aContext, aPosition, PICKUP_SCORE, 0.0f);
        player.SetPowerUpState(POWER_UP_GRENADE);
        break;
    }
}

void UpdatePowerUps(GameContext& aContext, std::vector<Pickup>& aList, PickupKind aKind)
{
    const Box player = aContext.world->myPlayer.GetHitbox();
    for (std::size_t i = 0; i < aList.size();)
    {
        Pickup& pickup = aList[i];
        if (pickup.IsCollected())
        {
            if (!pickup.GetEffect().IsRunning())
            {
                aList.erase(aList.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            pickup.Update(aContext);
        }
        else if (pickup.GetHitbox().Overlaps(player))
        {
            pickup.Collect();
            AwardPowerUp(aContext, aKind, pickup.GetPosition());
        }
        else
            pickup.Update(aContext);
        ++i;
    }
}
}

void UpdateCheckpoint(GameContext& aContext, float aLevelTimer)
{
    GameWorld& world = *aContext.world;
    Checkpoint& checkpoint = world.myCheckpoint;
    if (!checkpoint.IsPlaced())
        return;
    checkpoint.Update();
    if (!world.myPlayer.GetHitbox().Overlaps(checkpoint.GetHitbox()))
        return;
    checkpoint.SetActive(true);
    if (aContext.hud)
    {
        aContext.hud->SaveCheckpointScore();
        aContext.hud->SaveCheckpointTime(aLevelTimer);
    }
}

bool UpdateScriptedObjects(GameContext& aContext)
{
    GameWorld& world = *aContext.world;
    FanTrigger* trigger = world.myFanTriggers.empty() ? nullptr : &world.myFanTriggers.front();
    if (trigger && world.myPlayer.GetHitbox().Overlaps(trigger->GetArea()))
        trigger->SetTriggered(true);
    for (EventFan& fan : world.myEventFans)
        fan.Update(aContext, trigger);
    for (FanTrigger& fanTrigger : world.myFanTriggers)
        fanTrigger.Update();
    for (Goal& goal : world.myGoals)
        goal.Update(aContext);
    for (EntryZipline& zipline : world.myEntryZiplines)
        zipline.Update(aContext);
    for (EndingCutscene& ending : world.myEndingCutscenes)
    {
        ending.Update(aContext);
        const bool skipped =
            ending.IsPlaying() && aContext.actions && aContext.actions->IsActionPressed(ACTION_SKIP);
        if (ending.IsDone() || skipped)
        {
            GetAudioManager().StopMusic(MUSIC_ENDING);
            return true;
        }
    }
    return false;
}

StateCommand UpdateGoals(GameContext& aContext, float aLevelTimer, float aRenderWidth, float aRenderHeight)
{
    GameWorld& world = *aContext.world;
    Player& player = world.myPlayer;
    for (Goal& goal : world.myGoals)
    {
        if (player.GetHitbox().Overlaps(goal.GetTrigger()) && !player.IsRiding())
        {
            if (aContext.actions)
                aContext.actions->AddRumble(0.5f, 0.5f, 0.1f);
            player.SetRiding(true, false);
            const Qel::Vector3f at = player.GetPosition();
            const Qel::i32 heightPoints = static_cast<Qel::i32>(goal.GetHeightFraction(at.y) * 1000.0f);
            goal.Capture();
            const Qel::i32 timeBonus = static_cast<Qel::i32>(std::ceil(aLevelTimer)) * 10;
            if (Hud* hud = aContext.hud)
            {
                hud->AddScore(heightPoints);
                hud->SpawnScorePopup(at, heightPoints, world.myCamera.get(), 0.5f, false);
                hud->BeginGoalPulse();
                hud->AddScore(timeBonus);
                hud->SpawnScorePopup({0.85f * aRenderWidth, 0.85f * aRenderHeight, 0.0f}, timeBonus, nullptr, 1.5f,
                                     true);
            }
            if (heightPoints == 1000)
            {
                LifePopupAt(aContext, {at.x + 200.0f, at.y - 100.0f, at.z}, 1.0f);
                player.AddLife();
            }
        }
        else if (player.IsRiding() && goal.GetState() == ZIPLINE_FINISHED)
        {
            if (goal.GetNextLevel().IsEmpty())
                return MakeCommand(COMMAND_MAIN_MENU, true);
            return MakeLevelCommand(COMMAND_NEXT_LEVEL, goal.GetNextLevel(), true);
        }
    }
    return {};
}

void UpdateEntryZiplineRides(GameContext& aContext)
{
    GameWorld& world = *aContext.world;
    for (EntryZipline& zipline : world.myEntryZiplines)
    {
        if (zipline.GetState() == ZIPLINE_FINISHED && world.myPlayer.IsRiding())
        {
            world.myPlayer.SetRiding(false, false);
            zipline.SetState(ZIPLINE_WAITING);
        }
    }
}

void UpdateBatterySpawns(GameContext& aContext)
{
    std::vector<BatterySpawn>& spawns = aContext.world->myBatterySpawns;
    for (std::size_t i = 0; i < spawns.size();)
    {
        if (!spawns[i].GetEffect().IsRunning())
        {
            AwardBattery(aContext, spawns[i].GetPosition());
            spawns.erase(spawns.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        spawns[i].Update(aContext);
        ++i;
    }
}

void UpdatePickups(GameContext& aContext)
{
    GameWorld& world = *aContext.world;
    const Box player = world.myPlayer.GetHitbox();
    std::vector<BatteryPickup>& batteries = world.myBatteryPickups;
    for (std::size_t i = 0; i < batteries.size();)
    {
        BatteryPickup& battery = batteries[i];
        if (battery.IsCollected())
        {
            if (!battery.GetEffect().IsRunning())
            {
                batteries.erase(batteries.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            battery.Update(aContext);
        }
        else if (battery.GetHitbox().Overlaps(player))
        {
            battery.Collect();
            AwardBattery(aContext, battery.GetPosition());
        }
        else
            battery.Update(aContext);
        ++i;
    }
    UpdatePowerUps(aContext, world.myShieldPickups, PickupKind::Shield);
    UpdatePowerUps(aContext, world.myLifePickups, PickupKind::Life);
    UpdatePowerUps(aContext, world.myChestGrenadePickups, PickupKind::Grenade);
}

void UpdateChestGrenades(GameContext& aContext)
{
    std::vector<ChestGrenade>& grenades = aContext.world->myChestGrenades;
    for (std::size_t i = 0; i < grenades.size();)
    {
        if (grenades[i].Update(aContext))
            grenades.erase(grenades.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
}

void UpdateParallax(GameContext& aContext)
{
    for (Parallax& layer : aContext.world->myParallaxLayers)
        layer.Update(aContext);
}

bool IsFanEventRunning(const GameWorld& aWorld)
{
    return !aWorld.myFanTriggers.empty() && aWorld.myFanTriggers.front().IsTriggered() &&
           !aWorld.myEventFans.empty() && aWorld.myEventFans.front().IsBroken();
}

bool IsLevelClockStopped(const GameWorld& aWorld)
{
    for (const Goal& goal : aWorld.myGoals)
        if (goal.GetState() != ZIPLINE_WAITING)
            return true;
    return FindPlayingEnding(aWorld) != nullptr;
}

const EndingCutscene* FindPlayingEnding(const GameWorld& aWorld)
{
    for (const EndingCutscene& ending : aWorld.myEndingCutscenes)
        if (ending.IsPlaying())
            return &ending;
    return nullptr;
}

void FinishLoad(GameWorld& aWorld, bool aRespawnAtCheckpoint)
{
    Player& player = aWorld.myPlayer;
    if (aRespawnAtCheckpoint && aWorld.myCheckpoint.IsPlaced())
    {
        player.SetPosition(aWorld.myCheckpoint.GetSavedPosition());
        player.SetRiding(false, false);
    }
    else
    {
        for (EntryZipline& zipline : aWorld.myEntryZiplines)
        {
            if (!player.IsRiding())
                player.SetRiding(true, true);
            zipline.Start();
        }
    }
    if (!aWorld.myEventFans.empty() && aWorld.myFanTriggers.empty())
        aWorld.GetContentReport().Report("fan without trigger " + aWorld.GetSpawnSource(),
                                         aWorld.DescribeSource() +
                                             ": the level has an event fan but no fan trigger; the fan stays still");
}

float GetLastFanDepth(const GameWorld& aWorld)
{
    return aWorld.myEventFans.empty() ? 0.0f : aWorld.myEventFans.back().GetTransform().GetTranslation().z;
}

void RenderParallaxBehindFans(GameWorld& aWorld, float aFanDepth)
{
    for (Parallax& layer : aWorld.myParallaxLayers)
        if (layer.GetTransform().GetTranslation().z < aFanDepth)
            layer.Render();
}

void RenderEventFans(GameWorld& aWorld)
{
    for (EventFan& fan : aWorld.myEventFans)
        fan.Render();
}

void RenderParallaxFront(GameWorld& aWorld, float aFanDepth)
{
    for (Parallax& layer : aWorld.myParallaxLayers)
    {
        const float z = layer.GetTransform().GetTranslation().z;
        if (z >= aFanDepth && z >= 0.0f)
            layer.Render();
    }
}

void RenderEndingsWorld(GameWorld& aWorld)
{
    for (EndingCutscene& ending : aWorld.myEndingCutscenes)
        ending.Render();
}

void RenderCheckpoint(GameWorld& aWorld)
{
    aWorld.myCheckpoint.Render();
}

void RenderPickupsAndGrenades(GameWorld& aWorld)
{
    for (BatteryPickup& battery : aWorld.myBatteryPickups)
        battery.Render();
    for (BatterySpawn& spawn : aWorld.myBatterySpawns)
        spawn.Render();
    for (Pickup& pickup : aWorld.myChestGrenadePickups)
        pickup.Render();
    for (Pickup& pickup : aWorld.myShieldPickups)
        pickup.Render();
    for (Pickup& pickup : aWorld.myLifePickups)
        pickup.Render();
    for (ChestGrenade& grenade : aWorld.myChestGrenades)
        grenade.Render();
}

void RenderRides(GameWorld& aWorld)
{
    for (Goal& goal : aWorld.myGoals)
        goal.Render();
    for (EntryZipline& zipline : aWorld.myEntryZiplines)
        zipline.Render();
}

void RenderParallaxBack(GameWorld& aWorld)
{
    for (Parallax& layer : aWorld.myParallaxLayers)
        if (layer.GetTransform().GetTranslation().z < 0.0f)
            layer.Render();
}

void RenderEndingsOverlay(GameWorld& aWorld)
{
    for (EndingCutscene& ending : aWorld.myEndingCutscenes)
        ending.RenderOverlay();
}
}
