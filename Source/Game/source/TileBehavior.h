#pragma once
#include "Box.h"
#include "TileCell.h"
#include "core/Types.h"

struct GameContext;
struct ModelVisual;

// What a block does when the player bumps it from below or pounds it from above. The tile map
// owns each behaviour through its cell and calls OnHit for every queued hit, then Update every
// frame while the behaviour reports busy. A behaviour may empty its own cell (deleting itself)
// inside either call: it must touch none of its members after TileMap::RemoveTile.
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
    TileCell myCell;
    Qel::u8 myBusy = 0;
};
