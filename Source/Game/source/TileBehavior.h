#pragma once
#include "Box.h"
#include "TileCell.h"
#include "core/Types.h"
#include "math/Vector.h"
#include "stringRegistry/StringId.h"

struct GameContext;
struct ModelVisual;

// What a block does when the player bumps it from below or pounds it from above. The tile map
// owns each behaviour through its cell and calls OnHit for every queued hit, then Update every
// frame while the behaviour reports busy. A behaviour may empty its own cell (deleting itself)
// inside either call: it touches nothing of its own after TileMap::RemoveTile.
class TileBehavior
{
public:
    virtual ~TileBehavior() = default;
    virtual void OnHit(Qel::u8 aFromAbove, GameContext& aContext) = 0;
    virtual void Update(ModelVisual& aVisual, GameContext& aContext)
    {
        (void)aVisual;
        (void)aContext;
    }

    bool IsBusy() const { return myBusy != 0; }
    TileCell GetCell() const { return myCell; }
    void SetCell(const TileCell& aCell) { myCell = aCell; }

protected:
    // Knocks out the walking owls, flying owls and beetle tanks whose box overlaps aTileBox:
    // 1000 points and a popup each, and a rumble.
    static void KillEnemiesOnTile(const Box& aTileBox, GameContext& aContext);

    TileCell myCell;
    Qel::u8 myBusy = 0;
};

// Hit box of a block's top: the strip where enemies stand.
inline constexpr float TILE_HITBOX_OFFSET = 60.0f;
inline constexpr float TILE_HITBOX_WIDTH = 100.0f;
inline constexpr float TILE_HITBOX_HEIGHT = 25.0f;

// Breaks when bumped from below (knocking out the enemies on it) or pounded from above.
class BreakableTile final : public TileBehavior
{
public:
    void OnHit(Qel::u8 aFromAbove, GameContext& aContext) override;
    void SetHitbox(const Qel::Vector3f& aRestPosition);
    Box GetHitbox() const { return myHitbox; }
    // The pieces of "QLO_BreakableTileA" (its model and the top or bottom clip), when defined.
    void SpawnDestroyEffect(bool aFromAbove, GameContext& aContext) const;

private:
    Box myHitbox;
    float myHitboxOffset = TILE_HITBOX_OFFSET;
};

// Bounces when hit, gives its drop and is then replaced by another block.
class LuckyTile final : public TileBehavior
{
public:
    static constexpr float BUMP_DURATION = 0.5f;
    static constexpr float BUMP_HEIGHT = 50.0f;

    void OnHit(Qel::u8 aFromAbove, GameContext& aContext) override;
    void Update(ModelVisual& aVisual, GameContext& aContext) override;
    void StartBump(float aDirection, GameContext& aContext);

    void SetHitbox(const Qel::Vector3f& aRestPosition);
    void SetDropKind(Qel::u8 aDropKind) { myDropKind = aDropKind; }
    void SetDrops(Qel::StringId aChestGrenade, Qel::StringId aShield, Qel::StringId aBattery, Qel::StringId aLife);
    void SetReplaceBlock(Qel::StringId aPath) { myReplaceBlock = aPath; }

    Box GetHitbox() const { return myHitbox; }
    Qel::u8 GetDropKind() const { return myDropKind; }
    float GetBumpTime() const { return myBumpTime; }
    float GetBumpDirection() const { return myBumpDirection; }

private:
    Box myHitbox;
    float myHitboxOffset = TILE_HITBOX_OFFSET;
    float myBumpTime = 0.0f;
    float myBumpDirection = 1.0f;
    Qel::Vector3f myRestPosition;
    Qel::u8 myDropKind = 0;
    Qel::StringId myChestGrenadeDrop;
    Qel::StringId myShieldDrop;
    Qel::StringId myBatteryDrop;
    Qel::StringId myLifeDrop;
    Qel::StringId myReplaceBlock;
};

// Only sounds when bumped from below.
class SolidTile final : public TileBehavior
{
public:
    void OnHit(Qel::u8 aFromAbove, GameContext& aContext) override;
};
