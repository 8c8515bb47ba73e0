#pragma once
#include "Box.h"
#include "ModelVisual.h"
#include "Objects/MovingPlatform.h"
#include "TileBehavior.h"
#include "TileCell.h"
#include "core/Types.h"
#include "math/Matrix4x4.h"

#include <memory>
#include <vector>

namespace Qel
{
struct PropertyRecord;
}
class Player;
struct GameContext;

// One hit the player's sweep collected this frame, handed to the cell's behaviour by UpdateTiles.
struct TileHit
{
    Qel::i32 myCellX = 0;
    Qel::i32 myCellY = 0;
    Qel::u8 myFromAbove = 0;  // 0 a head bump from below, 1 a ground pound from above
};

// Surface materials reported by a sweep: the block's TileMaterial, or 3 for a moving platform.
enum : Qel::u8
{
    TILE_MATERIAL_CONCRETE = 0,
    TILE_MATERIAL_METAL = 1,
    TILE_MATERIAL_HOLLOW = 2,
    TILE_MATERIAL_PLATFORM = 3,
};

// What a box sweep allowed and what it hit.
struct TileMoveResult
{
    float myDx = 0.0f;
    float myDy = 0.0f;
    Qel::i32 myHitX = 0;  // -1 a wall on the left, +1 on the right
    Qel::i32 myHitY = 0;  // -1 a floor, +1 a ceiling
    Qel::u8 myWallMaterial = 0;
    Qel::u8 mySurfaceMaterial = 0;
};

// Object tags the tile map builds.
enum : Qel::u32
{
    TILE_TAG_BREAKABLE = 7,
    TILE_TAG_LUCKY = 8,
    TILE_TAG_INDESTRUCTIBLE = 9,
    TILE_TAG_PLATFORM = 10,
};

// A block as read from its scene object, ready to be placed.
struct TileDescription
{
    Qel::i32 myWidth = 1;
    Qel::i32 myHeight = 1;
    Qel::u8 myMaterial = TILE_MATERIAL_CONCRETE;
    ModelVisual myVisual;
};

// The level's static collision world: a fixed grid of 100-unit cells, each empty or solid with
// its block's visual, behaviour and material, plus the level's moving platforms. Boxes move
// through it with a sweep that resolves x first, then y, then the platforms' carry.
class TileMap
{
public:
    static constexpr float CELL_SIZE = 100.0f;
    static constexpr float GRID_MIN_X = -2050.0f;
    static constexpr float GRID_MIN_Y = -150.0f;
    static constexpr Qel::i32 GRID_COLUMNS = 512;
    static constexpr Qel::i32 GRID_ROWS = 32;
    static constexpr Qel::i32 CHUNK_SIZE = 16;
    static constexpr Qel::i32 CHUNK_COLUMNS = GRID_COLUMNS / CHUNK_SIZE;
    static constexpr Qel::i32 CHUNK_ROWS = GRID_ROWS / CHUNK_SIZE;
    static constexpr Qel::i32 CHUNK_COUNT = CHUNK_COLUMNS * CHUNK_ROWS;

    TileMap();
    ~TileMap();
    TileMap(const TileMap&) = delete;
    TileMap& operator=(const TileMap&) = delete;

    static TileCell WorldToCell(const Qel::Vector2f& aPoint);
    static Qel::Vector2f CellToWorld(const TileCell& aCell);
    static bool IsInside(const TileCell& aCell)
    {
        return aCell.x >= 0 && aCell.x < GRID_COLUMNS && aCell.y >= 0 && aCell.y < GRID_ROWS;
    }

    // The occupancy bit of a cell inside the grid (false outside).
    bool IsSolid(const TileCell& aCell) const;
    Qel::u8 GetMaterial(const TileCell& aCell) const;
    TileBehavior* GetBehavior(const TileCell& aCell) const;
    ModelVisual* GetVisual(const TileCell& aCell);

    // A block or platform from a scene object (tags 7 to 10). Values outside their tables are
    // mended and a block outside the grid is skipped, each with a message naming the object.
    void AddTileFromSceneObject(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties,
                                std::size_t aCount, Qel::u32 aTag);
    // Places a solid block with its behaviour (which may be null) at the cell of the
    // transform's translation. The tile map owns the behaviour from here on, placed or not.
    // Returns the anchor cell, or (-1, -1) when the block lies outside the grid.
    TileCell AddTile(const Qel::Matrix4x4& aTransform, const TileDescription& aTile,
                     std::unique_ptr<TileBehavior> aBehavior);
    // The reference lasts until the next platform is added.
    MovingPlatform& AddMovingPlatform(const MovingPlatform& aPlatform);

    // The cell becomes empty; its behaviour is deleted. The material byte stays.
    void RemoveTile(TileCell aCell);  // by value: a behaviour may pass its own cell
    void Clear();

    TileMoveResult SweepBox(const Box& aBox, float aDx, float aDy) const;
    TileMoveResult SweepPlayerBox(const Player& aPlayer, float aDx, float aDy);
    // The player's sweep by its parts: also queues head bumps and, while pounding, pound hits.
    TileMoveResult SweepPlayerBox(const Box& aHitbox, float aVerticalVelocity, bool aGroundPounding, float aDx,
                                  float aDy);

    void UpdateTiles(GameContext& aContext);
    void Render(int aPass);

    // The cells Render visits for a camera at aEye seeing aViewSize: at least 32 x 16 around
    // the camera's cell ((0, 0) when it is outside the grid), more for a wider or taller view;
    // clamped to the grid. First and last cell, inclusive.
    struct CellWindow
    {
        TileCell myFirst;
        TileCell myLast;
    };
    static CellWindow GetRenderWindow(const Qel::Vector3f& aEye, const Qel::Vector2f& aViewSize);

    const std::vector<TileHit>& GetHitQueue() const { return myHitQueue; }
    const std::vector<TileCell>& GetActiveCells() const { return myActiveCells; }
    std::vector<MovingPlatform>& GetMovingPlatforms() { return myMovingPlatforms; }
    const std::vector<MovingPlatform>& GetMovingPlatforms() const { return myMovingPlatforms; }

private:
    struct Chunk
    {
        ModelVisual myVisuals[CHUNK_SIZE * CHUNK_SIZE];
        TileBehavior* myBehaviors[CHUNK_SIZE * CHUNK_SIZE];
        Qel::u8 myMaterials[CHUNK_SIZE * CHUNK_SIZE];
    };
    struct SweepPlayer
    {
        bool myGroundPounding = false;
        bool myCatchPlatforms = true;
        std::vector<TileHit>* myHits = nullptr;
    };

    static Qel::i32 ChunkIndex(const TileCell& aCell) { return (aCell.y / CHUNK_SIZE) * CHUNK_COLUMNS + aCell.x / CHUNK_SIZE; }
    static Qel::i32 SlotIndex(const TileCell& aCell) { return (aCell.y % CHUNK_SIZE) * CHUNK_SIZE + aCell.x % CHUNK_SIZE; }
    void SetSolid(const TileCell& aCell, bool aSolid);
    TileMoveResult Sweep(const Box& aBox, float aDx, float aDy, const SweepPlayer* aPlayer) const;

    std::unique_ptr<Chunk[]> myCells;
    Qel::u32 myOccupancy[CHUNK_COUNT][CHUNK_SIZE] = {};
    std::vector<TileCell> myActiveCells;
    std::vector<TileHit> myHitQueue;
    std::vector<MovingPlatform> myMovingPlatforms;
};
