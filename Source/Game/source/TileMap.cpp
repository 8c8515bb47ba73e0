#include "TileMap.h"

#include "GameWorld.h"
#include "Player.h"
#include "TileBehavior.h"
#include "graphics/GraphicsStateStack.h"

#include <algorithm>
#include <cmath>

namespace
{
// A sweep counts a cell only when the moved box reaches into it by more than this on both axes.
// A box that rests on a floor (or against a wall) can end a float step inside it after its owner
// adds the sweep's result to its position; without the margin the next sweep would take the
// floor it stands on for a wall. It is larger than a float step anywhere in the grid (0.004 at
// the right edge) and far below anything a player could see.
constexpr float OVERLAP_MARGIN = 0.01f;

// First and last cell index of the span [aMin, aMax] along one axis, clamped to the grid;
// false when the span misses the grid altogether.
bool CellSpan(float aMin, float aMax, float aOrigin, Qel::i32 aCount, Qel::i32& aFirst, Qel::i32& aLast)
{
    const float first = std::floor((aMin - aOrigin) / TileMap::CELL_SIZE);
    const float last = std::floor((aMax - aOrigin) / TileMap::CELL_SIZE);
    if (!(first <= last) || last < 0.0f || first >= static_cast<float>(aCount))
        return false;
    aFirst = first < 0.0f ? 0 : static_cast<Qel::i32>(first);
    aLast = last >= static_cast<float>(aCount) ? aCount - 1 : static_cast<Qel::i32>(last);
    return true;
}

bool ReachesInto(const Qel::Vector2f& aMin, const Qel::Vector2f& aMax, const Qel::Vector2f& aCellCentre)
{
    const float half = TileMap::CELL_SIZE / 2;
    const float overlapX = std::min(aMax.x, aCellCentre.x + half) - std::max(aMin.x, aCellCentre.x - half);
    const float overlapY = std::min(aMax.y, aCellCentre.y + half) - std::max(aMin.y, aCellCentre.y - half);
    return overlapX > OVERLAP_MARGIN && overlapY > OVERLAP_MARGIN;
}
}

TileMap::TileMap() : myCells(std::make_unique<Chunk[]>(CHUNK_COUNT))
{
    for (Qel::i32 i = 0; i < CHUNK_COUNT; ++i)
    {
        std::fill(std::begin(myCells[i].myBehaviors), std::end(myCells[i].myBehaviors), nullptr);
        std::fill(std::begin(myCells[i].myMaterials), std::end(myCells[i].myMaterials), Qel::u8(0));
    }
}

TileMap::~TileMap()
{
    Clear();
}

TileCell TileMap::WorldToCell(const Qel::Vector2f& aPoint)
{
    const float u = aPoint.x - GRID_MIN_X;
    const float v = aPoint.y - GRID_MIN_Y;
    if (!(u >= 0.0f && u < GRID_COLUMNS * CELL_SIZE && v >= 0.0f && v < GRID_ROWS * CELL_SIZE))
        return {};
    // The quotient of a value just below the edge can round up to the edge itself.
    return {std::min(static_cast<Qel::i32>(u / CELL_SIZE), GRID_COLUMNS - 1),
            std::min(static_cast<Qel::i32>(v / CELL_SIZE), GRID_ROWS - 1)};
}

Qel::Vector2f TileMap::CellToWorld(const TileCell& aCell)
{
    return {static_cast<float>(aCell.x) * CELL_SIZE + CELL_SIZE / 2 + GRID_MIN_X,
            static_cast<float>(aCell.y) * CELL_SIZE + CELL_SIZE / 2 + GRID_MIN_Y};
}

bool TileMap::IsSolid(const TileCell& aCell) const
{
    if (!IsInside(aCell))
        return false;
    return (myOccupancy[ChunkIndex(aCell)][aCell.y % CHUNK_SIZE] >> (aCell.x % CHUNK_SIZE)) & 1u;
}

void TileMap::SetSolid(const TileCell& aCell, bool aSolid)
{
    Qel::u32& word = myOccupancy[ChunkIndex(aCell)][aCell.y % CHUNK_SIZE];
    const Qel::u32 bit = 1u << (aCell.x % CHUNK_SIZE);
    word = aSolid ? (word | bit) : (word & ~bit);
}

Qel::u8 TileMap::GetMaterial(const TileCell& aCell) const
{
    return IsInside(aCell) ? myCells[ChunkIndex(aCell)].myMaterials[SlotIndex(aCell)] : Qel::u8(0);
}

TileBehavior* TileMap::GetBehavior(const TileCell& aCell) const
{
    return IsInside(aCell) ? myCells[ChunkIndex(aCell)].myBehaviors[SlotIndex(aCell)] : nullptr;
}

ModelVisual* TileMap::GetVisual(const TileCell& aCell)
{
    return IsInside(aCell) ? &myCells[ChunkIndex(aCell)].myVisuals[SlotIndex(aCell)] : nullptr;
}

TileCell TileMap::AddTile(const Qel::Matrix4x4& aTransform, const TileDescription& aTile,
                          std::unique_ptr<TileBehavior> aBehavior)
{
    const Qel::Vector3f t = aTransform.GetTranslation();
    const TileCell anchor = WorldToCell({t.x, t.y});
    if (!IsInside(anchor))
        return {};  // the behaviour goes with aBehavior

    // A block placed over another replaces it instead of leaking the old behaviour.
    RemoveTile(anchor);
    Chunk& chunk = myCells[ChunkIndex(anchor)];
    const Qel::i32 slot = SlotIndex(anchor);
    SetSolid(anchor, true);
    chunk.myVisuals[slot] = aTile.myVisual;
    chunk.myMaterials[slot] = aTile.myMaterial;
    if (aBehavior)
    {
        aBehavior->SetCell(anchor);
        chunk.myBehaviors[slot] = aBehavior.release();
    }

    if (aTile.myWidth >= 2 || aTile.myHeight >= 2)
    {
        const Qel::i32 stepX = aTransform(1, 1) > 0.0f ? 1 : -1;
        const Qel::i32 stepY = aTransform(2, 2) > 0.0f ? 1 : -1;
        for (Qel::i32 j = 0; j < aTile.myHeight; ++j)
        {
            for (Qel::i32 i = 0; i < aTile.myWidth; ++i)
            {
                if (i == 0 && j == 0)
                    continue;
                const TileCell cell{anchor.x + i * stepX, anchor.y - j * stepY};
                if (!IsInside(cell))
                    continue;
                SetSolid(cell, true);
                myCells[ChunkIndex(cell)].myMaterials[SlotIndex(cell)] = aTile.myMaterial;
            }
        }
    }
    return anchor;
}

MovingPlatform& TileMap::AddMovingPlatform(const MovingPlatform& aPlatform)
{
    myMovingPlatforms.push_back(aPlatform);
    return myMovingPlatforms.back();
}

void TileMap::RemoveTile(TileCell aCell)
{
    if (!IsInside(aCell))
        return;
    Chunk& chunk = myCells[ChunkIndex(aCell)];
    const Qel::i32 slot = SlotIndex(aCell);
    chunk.myVisuals[slot] = ModelVisual();
    // Null the cell before deleting, so a behaviour that looks at its cell while it goes sees it empty.
    TileBehavior* behavior = chunk.myBehaviors[slot];
    chunk.myBehaviors[slot] = nullptr;
    delete behavior;
    SetSolid(aCell, false);
}

void TileMap::Clear()
{
    for (Qel::i32 c = 0; c < CHUNK_COUNT; ++c)
    {
        Chunk& chunk = myCells[c];
        for (Qel::i32 s = 0; s < CHUNK_SIZE * CHUNK_SIZE; ++s)
        {
            TileBehavior* behavior = chunk.myBehaviors[s];
            chunk.myBehaviors[s] = nullptr;
            delete behavior;
            chunk.myVisuals[s] = ModelVisual();
        }
        std::fill(std::begin(myOccupancy[c]), std::end(myOccupancy[c]), 0u);
    }
    myActiveCells.clear();
    myHitQueue.clear();
    myMovingPlatforms.clear();
}

TileMoveResult TileMap::SweepBox(const Box& aBox, float aDx, float aDy) const
{
    return Sweep(aBox, aDx, aDy, nullptr);
}

TileMoveResult TileMap::SweepPlayerBox(const Player& aPlayer, float aDx, float aDy)
{
    return SweepPlayerBox(aPlayer.GetHitbox(), aPlayer.GetVerticalVelocity(), aPlayer.IsGroundPounding(), aDx, aDy);
}

TileMoveResult TileMap::SweepPlayerBox(const Box& aHitbox, float aVerticalVelocity, bool aGroundPounding, float aDx,
                                       float aDy)
{
    SweepPlayer player;
    player.myGroundPounding = aGroundPounding;
    player.myCatchPlatforms = aVerticalVelocity <= 0.0f;
    player.myHits = &myHitQueue;
    return Sweep(aHitbox, aDx, aDy, &player);
}

TileMoveResult TileMap::Sweep(const Box& aBox, float aDx, float aDy, const SweepPlayer* aPlayer) const
{
    const Qel::Vector2f p = aBox.GetPosition();
    const float w = aBox.GetSize().x;
    const float h = aBox.GetSize().y;
    const float sx = aDx > 0.0f ? 1.0f : -1.0f;
    const float sy = aDy > 0.0f ? 1.0f : -1.0f;

    TileMoveResult result;
    Qel::u8 wallMaterial = 0;
    Qel::u8 surfaceMaterial = 0;
    bool wallHit = false;
    bool surfaceHit = false;

    // Walks the solid cells that the box centred at aCentre reaches into, rows low to high and
    // within a row columns low to high; the last cell in that order decides.
    auto walk = [&](const Qel::Vector2f& aCentre, auto&& aOnCell) {
        const Qel::Vector2f mn{aCentre.x - w / 2, aCentre.y - h / 2};
        const Qel::Vector2f mx{aCentre.x + w / 2, aCentre.y + h / 2};
        Qel::i32 c0, c1, r0, r1;
        if (!CellSpan(mn.x, mx.x, GRID_MIN_X, GRID_COLUMNS, c0, c1) || !CellSpan(mn.y, mx.y, GRID_MIN_Y, GRID_ROWS, r0, r1))
            return;
        for (Qel::i32 r = r0; r <= r1; ++r)
        {
            for (Qel::i32 c = c0; c <= c1; ++c)
            {
                const TileCell cell{c, r};
                if (!IsSolid(cell))
                    continue;
                const Qel::Vector2f centre = CellToWorld(cell);
                if (ReachesInto(mn, mx, centre))
                    aOnCell(cell, centre);
            }
        }
    };

    // Horizontal pass, at the old y. A box that does not move sideways cannot run into a wall.
    float nx = p.x + aDx;
    if (aDx != 0.0f)
    {
        walk({p.x + aDx, p.y}, [&](const TileCell& aCell, const Qel::Vector2f& aCentre) {
            nx = aCentre.x - (w + CELL_SIZE) / 2 * sx;
            result.myHitX = static_cast<Qel::i32>(sx);
            wallMaterial = GetMaterial(aCell);
            wallHit = true;
        });
    }

    // Vertical pass, at the corrected x.
    float ny = p.y + aDy;
    walk({nx, p.y + aDy}, [&](const TileCell& aCell, const Qel::Vector2f& aCentre) {
        ny = aCentre.y - (h + CELL_SIZE) / 2 * sy;
        result.myHitY = static_cast<Qel::i32>(sy);
        surfaceMaterial = GetMaterial(aCell);
        surfaceHit = true;
        if (aPlayer)
        {
            if (sy > 0.0f)
                aPlayer->myHits->push_back({aCell.x, aCell.y, 0});
            else if (aPlayer->myGroundPounding)
                aPlayer->myHits->push_back({aCell.x, aCell.y, 1});
        }
    });

    // Moving platforms carry a box whose bottom was above the platform's upper part.
    bool platformHit = false;
    if (!aPlayer || aPlayer->myCatchPlatforms)
    {
        const Box trial(nx, ny, w, h);
        const float bottom = p.y - h / 2;
        for (const MovingPlatform& platform : myMovingPlatforms)
        {
            const Box hitbox = platform.GetHitbox();
            if (!hitbox.Overlaps(trial) || !(bottom > hitbox.myPosition.y + 0.3f * hitbox.mySize.y))
                continue;
            const Qel::Vector2f delta = platform.GetFrameDelta();
            ny = hitbox.myPosition.y + 0.47f * hitbox.mySize.y + 0.5f * h + std::min(delta.y, 0.0f);
            nx = nx + delta.x;
            result.myHitY = -1;
            platformHit = true;
        }
    }

    result.myDx = nx - p.x;
    result.myDy = ny - p.y;
    if (aPlayer)
    {
        result.myWallMaterial = wallMaterial;
        result.mySurfaceMaterial = platformHit ? Qel::u8(TILE_MATERIAL_PLATFORM) : surfaceMaterial;
    }
    else
    {
        result.myWallMaterial = 0;
        result.mySurfaceMaterial = platformHit ? Qel::u8(TILE_MATERIAL_PLATFORM)
                                   : surfaceHit ? surfaceMaterial
                                   : wallHit    ? wallMaterial
                                                : Qel::u8(0);
    }
    return result;
}

void TileMap::UpdateTiles(GameContext& aContext)
{
    // A behaviour may delete itself (and the factory may place a new block) during its own
    // call, so every cell is read again after each call and nothing is held across it.
    for (std::size_t i = 0; i < myHitQueue.size(); ++i)
    {
        const TileHit hit = myHitQueue[i];
        const TileCell cell{hit.myCellX, hit.myCellY};
        TileBehavior* behavior = GetBehavior(cell);
        if (!behavior)
            continue;
        behavior->OnHit(hit.myFromAbove, aContext);
        behavior = GetBehavior(cell);
        if (behavior && behavior->IsBusy())
            myActiveCells.push_back(cell);
    }
    myHitQueue.clear();

    for (std::size_t i = 0; i < myActiveCells.size();)
    {
        const TileCell cell = myActiveCells[i];
        TileBehavior* behavior = GetBehavior(cell);
        if (!behavior || !behavior->IsBusy())
        {
            myActiveCells.erase(myActiveCells.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        behavior->Update(*GetVisual(cell), aContext);
        ++i;
    }

    for (MovingPlatform& platform : myMovingPlatforms)
    {
        const Qel::Vector2f before = platform.GetHitbox().GetPosition();
        platform.Update(aContext);
        platform.SetFrameDelta(platform.GetHitbox().GetPosition() - before);
    }
}

TileMap::CellWindow TileMap::GetRenderWindow(const Qel::Vector3f& aEye, const Qel::Vector2f& aViewSize)
{
    TileCell centre = WorldToCell({aEye.x, aEye.y});
    if (!IsInside(centre))
        centre = {0, 0};
    // The fixed 32 x 16 window leaves cells undrawn at the sides of a wide view (and above a
    // shaken camera), so a larger view widens it.
    auto half = [](float aSize, Qel::i32 aMinimum) {
        const float cells = std::isfinite(aSize) ? std::ceil(std::fabs(aSize) / (2 * CELL_SIZE)) + 1.0f : 0.0f;
        return std::max(aMinimum, static_cast<Qel::i32>(std::min(cells, static_cast<float>(GRID_COLUMNS))));
    };
    const Qel::i32 halfColumns = half(aViewSize.x, 16);
    const Qel::i32 halfRows = half(aViewSize.y, 8);
    return {{std::max(centre.x - halfColumns, 0), std::max(centre.y - halfRows, 0)},
            {std::min(centre.x + halfColumns - 1, GRID_COLUMNS - 1), std::min(centre.y + halfRows - 1, GRID_ROWS - 1)}};
}

void TileMap::Render(int aPass)
{
    Qel::GraphicsStateStack* stack = Qel::GraphicsStateStack::GetActive();
    if (!stack)
        return;
    const Qel::Camera& camera = stack->GetCamera();
    const CellWindow window = GetRenderWindow(camera.GetPosition(), camera.GetOrthographicSize());

    stack->Push();
    for (Qel::i32 r = window.myFirst.y; r <= window.myLast.y; ++r)
    {
        for (Qel::i32 c = window.myFirst.x; c <= window.myLast.x; ++c)
        {
            ModelVisual& visual = myCells[ChunkIndex({c, r})].myVisuals[SlotIndex({c, r})];
            if (visual.HasModel() && visual.GetMeshCount() > aPass)
                RenderModelInstance(visual, aPass, false);
        }
    }
    stack->Pop();

    for (MovingPlatform& platform : myMovingPlatforms)
        platform.Render();
}
