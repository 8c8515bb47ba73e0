#include "TileBehavior.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "GameWorld.h"
#include "Hud.h"
#include "InputMapper.h"
#include "TileMap.h"
#include "TileStandingEnemies.h"
#include "scene/ObjectDefinition.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace
{
constexpr Qel::i32 TILE_KILL_SCORE = 1000;

void Rumble(GameContext& aContext, float aLow, float aHigh, float aSeconds)
{
    if (aContext.actions)
        aContext.actions->AddRumble(aLow, aHigh, aSeconds);
}

// A drop or replacement block by its definition path; an empty path means none (it would
// otherwise create a stray definition file named after nothing).
const Qel::ObjectDefinition* DefinitionFor(Qel::StringId aPath)
{
    if (aPath.GetView().empty())
        return nullptr;
    return Qel::GetObjectDefinitionManager().GetOrCreate(std::filesystem::path(aPath.GetString()));
}

// A block creates its drop or its replacement through the world's factory. A definition that
// would re-create the player or the checkpoint in the middle of the frame is refused.
void CreateFromDefinition(GameWorld& aWorld, const Qel::Matrix4x4& aTransform, const Qel::ObjectDefinition& aDefinition)
{
    const Qel::i32 tag = ReadObjectTag(aDefinition.myProperties.data(), aDefinition.myProperties.size());
    if (tag == static_cast<Qel::i32>(Qel::ObjectTag::Player) || tag == static_cast<Qel::i32>(Qel::ObjectTag::Checkpoint))
    {
        std::printf("%s: a block cannot create a %s; skipped.\n", aDefinition.myPath.c_str(),
                    Qel::GetObjectTagName(tag));
        return;
    }
    aWorld.CreateObject(aTransform, aDefinition.myProperties.data(), aDefinition.myProperties.size());
}

Box StripOnTop(const Qel::Vector3f& aRestPosition, float aOffset)
{
    return Box(aRestPosition.x, aRestPosition.y + aOffset, TILE_HITBOX_WIDTH, TILE_HITBOX_HEIGHT);
}
}

void TileBehavior::KillEnemiesOnTile(const Box& aTileBox, GameContext& aContext)
{
    GameWorld& world = *aContext.world;
    for (const std::unique_ptr<TileStandingEnemies>& list : world.myTileStandingEnemies)
    {
        for (std::size_t i = 0; i < list->GetCount();)
        {
            if (list->IsRemoved(i))
            {
                list->Erase(i);
                continue;
            }
            if (!list->IsDead(i) && list->GetHitbox(i).Overlaps(aTileBox))
            {
                if (aContext.hud)
                {
                    aContext.hud->AddScore(TILE_KILL_SCORE);
                    aContext.hud->SpawnScorePopup(list->GetPosition(i), TILE_KILL_SCORE, world.myCamera.get(), 0.0f,
                                                  false);
                }
                list->Kill(i);
                Rumble(aContext, 0.5f, 0.5f, 0.5f);
            }
            ++i;
        }
    }
}

// ---- BreakableTile ------------------------------------------------------------------------

void BreakableTile::SetHitbox(const Qel::Vector3f& aRestPosition)
{
    myHitbox = StripOnTop(aRestPosition, myHitboxOffset);
}

void BreakableTile::OnHit(Qel::u8 aFromAbove, GameContext& aContext)
{
    if (aFromAbove == 1)
        Rumble(aContext, 0.2f, 0.2f, 0.1f);
    else if (aFromAbove == 0)
    {
        Rumble(aContext, 0.2f, 0.2f, 0.1f);
        KillEnemiesOnTile(myHitbox, aContext);
    }
    else
        return;
    SpawnDestroyEffect(aFromAbove == 1, aContext);
    const TileCell cell = myCell;
    aContext.world->myTileMap.RemoveTile(cell);  // deletes this
}

void BreakableTile::SpawnDestroyEffect(bool aFromAbove, GameContext& aContext) const
{
    const Qel::ObjectDefinition* definition =
        Qel::GetObjectDefinitionManager().Find(Qel::StringId("QLO_BreakableTileA"));
    if (!definition || !aContext.world->mySpawnBlockBreakEffect)
        return;

    const Qel::StringId clipName = aFromAbove ? Qel::StringId("DestroyAnimationTop") : Qel::StringId("DestroyAnimationBottom");
    const Qel::ModelValue* model = nullptr;
    std::string clip;
    for (const Qel::PropertyRecord& record : definition->myProperties)
    {
        if (record.myType == Qel::GetPropertyType<Qel::ModelValue>())
        {
            if (const Qel::ModelValue* value = record.myValue.TryGet<Qel::ModelValue>())
                model = value;
        }
        else if (record.myType == Qel::GetPropertyType<Qel::AnimationClipValue>() && record.myName == clipName)
        {
            if (const Qel::AnimationClipValue* value = record.myValue.TryGet<Qel::AnimationClipValue>())
                clip = value->Get().myPath.GetString();
        }
    }
    const Qel::Vector2f centre = TileMap::CellToWorld(myCell);
    const Qel::Matrix4x4 transform = Qel::Matrix4x4::CreateTranslation({centre.x, centre.y, -100.0f});
    aContext.world->mySpawnBlockBreakEffect(model, transform, clip);
}

// ---- LuckyTile ----------------------------------------------------------------------------

void LuckyTile::SetHitbox(const Qel::Vector3f& aRestPosition)
{
    myHitbox = StripOnTop(aRestPosition, myHitboxOffset);
}

void LuckyTile::SetDrops(Qel::StringId aChestGrenade, Qel::StringId aShield, Qel::StringId aBattery,
                         Qel::StringId aLife)
{
    myChestGrenadeDrop = aChestGrenade;
    myShieldDrop = aShield;
    myBatteryDrop = aBattery;
    myLifeDrop = aLife;
}

void LuckyTile::OnHit(Qel::u8 aFromAbove, GameContext& aContext)
{
    if (myBusy)
        return;
    if (aFromAbove == 0)
    {
        GetAudioManager().PlaySfx(SFX_POWER_BLOCK_HIT);
        Rumble(aContext, 0.2f, 0.2f, 0.1f);
        KillEnemiesOnTile(myHitbox, aContext);
    }
    else if (aFromAbove == 1)
    {
        GetAudioManager().PlaySfx(SFX_POWER_BLOCK_HIT);
        Rumble(aContext, 0.2f, 0.2f, 0.1f);
    }
    else
        return;
    StartBump(aFromAbove == 1 ? -1.0f : 1.0f, aContext);
}

void LuckyTile::StartBump(float aDirection, GameContext& aContext)
{
    myBumpTime = 0.0f;
    myBumpDirection = aDirection;
    myBusy = 1;
    const Qel::Vector2f centre = TileMap::CellToWorld(myCell);
    myRestPosition = {centre.x, centre.y, 0.0f};

    Qel::StringId path;
    const bool battery = myDropKind != 1 && myDropKind != 2;
    if (myDropKind == 1)
        path = aContext.world->myPlayer.GetPowerUp() != 0 ? myChestGrenadeDrop : myShieldDrop;
    else if (myDropKind == 2)
        path = myLifeDrop;
    else
        path = myBatteryDrop;

    const Qel::ObjectDefinition* definition = DefinitionFor(path);
    if (!definition)
        return;
    Qel::Matrix4x4 transform =
        Qel::Matrix4x4::CreateTranslation({myRestPosition.x, myRestPosition.y + 100.0f * aDirection, myRestPosition.z});
    if (battery)
        transform.SetRow(2, transform.GetRow(2) * aDirection);  // a burst sent downwards is mirrored
    // The factory may grow the tile map's lists; nothing of this tile is used after it.
    CreateFromDefinition(*aContext.world, transform, *definition);
}

void LuckyTile::Update(ModelVisual& aVisual, GameContext& aContext)
{
    myBumpTime += aContext.dt;
    if (myBumpTime <= BUMP_DURATION)
    {
        const float s = std::sin(2.0f * std::numbers::pi_v<float> * myBumpTime);
        const float y = (myBumpDirection * BUMP_HEIGHT + myRestPosition.y) * s + (1.0f - s) * myRestPosition.y;
        Qel::Vector3f position = aVisual.GetPosition();
        position.y = y;
        aVisual.SetPosition(position);
        myHitbox.SetPosition({position.x, y + myHitboxOffset});
        return;
    }

    myBumpTime = 0.0f;
    myBusy = 0;
    aVisual.SetPosition(myRestPosition);
    // Emptying the cell deletes this tile: take what the replacement needs first.
    const Qel::Vector3f rest = myRestPosition;
    const TileCell cell = myCell;
    const Qel::ObjectDefinition* replacement = DefinitionFor(myReplaceBlock);
    GameWorld& world = *aContext.world;
    world.myTileMap.RemoveTile(cell);
    if (replacement)
        CreateFromDefinition(world, Qel::Matrix4x4::CreateTranslation(rest), *replacement);
}

// ---- SolidTile ----------------------------------------------------------------------------

void SolidTile::OnHit(Qel::u8 aFromAbove, GameContext& aContext)
{
    (void)aContext;
    if (aFromAbove == 0)
        GetAudioManager().PlaySfx(SFX_HIT_HEAD);
}
