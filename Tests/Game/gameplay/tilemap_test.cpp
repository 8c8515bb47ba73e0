#include "GameWorld.h"
#include "TileBehavior.h"
#include "TileMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace
{
Qel::Matrix4x4 At(float aX, float aY, float aScaleX = 1.0f, float aScaleY = 1.0f)
{
    Qel::Matrix4x4 m = Qel::Matrix4x4::CreateScale({aScaleX, aScaleY, 1.0f});
    m.SetTranslation({aX, aY, 0.0f});
    return m;
}

TileCell Place(TileMap& aMap, Qel::i32 aCx, Qel::i32 aCy, Qel::u8 aMaterial = 0,
               std::unique_ptr<TileBehavior> aBehavior = nullptr)
{
    TileDescription tile;
    tile.myMaterial = aMaterial;
    const Qel::Vector2f c = TileMap::CellToWorld({aCx, aCy});
    return aMap.AddTile(At(c.x, c.y), tile, std::move(aBehavior));
}

// A behaviour that records its calls; optional actions let it delete itself mid-call.
struct Probe
{
    int hits = 0;
    int updates = 0;
    int destroyed = 0;
    Qel::u8 lastFromAbove = 255;
};

class ProbeTile : public TileBehavior
{
public:
    enum class OnHitAction { None, StayBusy, RemoveSelf, ReplaceSelf };
    ProbeTile(Probe& aProbe, OnHitAction aAction, int aBusyFrames = 0)
        : myProbe(aProbe), myAction(aAction), myBusyFrames(aBusyFrames)
    {
    }
    ~ProbeTile() override { ++myProbe.destroyed; }
    void OnHit(Qel::u8 aFromAbove, GameContext& aContext) override
    {
        ++myProbe.hits;
        myProbe.lastFromAbove = aFromAbove;
        TileMap& map = aContext.world->myTileMap;
        const TileCell cell = myCell;
        switch (myAction)
        {
        case OnHitAction::None: break;
        case OnHitAction::StayBusy: myBusy = 1; break;
        case OnHitAction::RemoveSelf: map.RemoveTile(cell); break;
        case OnHitAction::ReplaceSelf:
        {
            Probe& probe = myProbe;
            map.RemoveTile(cell);  // deletes this
            Place(map, cell.x, cell.y, 1, std::make_unique<ProbeTile>(probe, OnHitAction::None));
            break;
        }
        }
    }
    void Update(ModelVisual&, GameContext& aContext) override
    {
        ++myProbe.updates;
        if (--myBusyFrames <= 0)
        {
            if (myAction == OnHitAction::StayBusy)
                myBusy = 0;
            else
                aContext.world->myTileMap.RemoveTile(myCell);
        }
    }

private:
    Probe& myProbe;
    OnHitAction myAction;
    int myBusyFrames;
};
}

TEST(Box, OverlapsAndContainsAreStrict)
{
    const Box a(0, 0, 100, 100);
    struct Case
    {
        Box b;
        bool overlaps;
    } cases[] = {
        {{100, 0, 100, 100}, false},      // touching on the right
        {{0, -100, 100, 100}, false},     // touching below
        {{99.999f, 0, 100, 100}, true},   // overlapping by 0.001
        {{100, 100, 100, 100}, false},    // touching a corner
        {{30, 30, 10, 10}, true},         // inside
        {{0, 0, 0, 0}, false},            // no area: switched off
        {{0, 0, 0, 50}, false},
        {{0, 0, 500, 500}, true},         // containing
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(a.Overlaps(c.b), c.overlaps) << c.b.myPosition.x << "," << c.b.myPosition.y;
        EXPECT_EQ(c.b.Overlaps(a), c.overlaps);
    }
    EXPECT_FALSE(a.Contains({50, 0}));
    EXPECT_FALSE(a.Contains({0, -50}));
    EXPECT_TRUE(a.Contains({49.99f, -49.99f}));
    EXPECT_EQ(Box(10, 20, 4, 6).GetMin(), Qel::Vector2f(8, 17));
    EXPECT_EQ(Box(10, 20, 4, 6).GetMax(), Qel::Vector2f(12, 23));
}

TEST(TileMap, WorldToCellAndBack)
{
    struct Case
    {
        Qel::Vector2f p;
        TileCell cell;
    } cases[] = {
        {{-2050, -150}, {0, 0}},
        {{49149.9f, 3049.9f}, {511, 31}},
        {{std::nextafter(49150.0f, 0.0f), std::nextafter(3050.0f, 0.0f)}, {511, 31}},
        {{-2051, 0}, {-1, -1}},
        {{49150, 0}, {-1, -1}},
        {{0, 3050}, {-1, -1}},
        {{0, -151}, {-1, -1}},
        {{0, 0}, {20, 1}},
        {{-1, -1}, {20, 1}},
        {{NAN, 0}, {-1, -1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TileMap::WorldToCell(c.p), c.cell) << c.p.x << "," << c.p.y;
    EXPECT_EQ(TileMap::CellToWorld({20, 1}), Qel::Vector2f(0, 0));
    EXPECT_EQ(TileMap::CellToWorld({0, 0}), Qel::Vector2f(-2000, -100));
    EXPECT_EQ(TileMap::CellToWorld({511, 31}), Qel::Vector2f(49100, 3000));
}

TEST(TileMap, CellsOfAllChunksAreIndependent)
{
    TileMap map;
    std::mt19937 random(7);
    std::vector<TileCell> placed;
    for (int i = 0; i < 300; ++i)
    {
        const TileCell cell{static_cast<Qel::i32>(random() % 512), static_cast<Qel::i32>(random() % 32)};
        Place(map, cell.x, cell.y, static_cast<Qel::u8>(i % 3));
        placed.push_back(cell);
    }
    int solid = 0;
    for (Qel::i32 y = 0; y < 32; ++y)
        for (Qel::i32 x = 0; x < 512; ++x)
            solid += map.IsSolid({x, y});
    std::sort(placed.begin(), placed.end(), [](auto a, auto b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    placed.erase(std::unique(placed.begin(), placed.end()), placed.end());
    EXPECT_EQ(solid, static_cast<int>(placed.size()));
    for (const TileCell& c : placed)
        EXPECT_TRUE(map.IsSolid(c));
    map.RemoveTile(placed.front());
    EXPECT_FALSE(map.IsSolid(placed.front()));
    EXPECT_FALSE(map.IsSolid({-1, 0}));
    EXPECT_FALSE(map.IsSolid({512, 0}));
    map.Clear();
    for (const TileCell& c : placed)
        EXPECT_FALSE(map.IsSolid(c));
}

TEST(TileMap, Footprints)
{
    struct Case
    {
        float scaleX, scaleY;
        std::vector<TileCell> cells;
    } cases[] = {
        {1, 1, {{10, 5}, {11, 5}, {12, 5}, {10, 4}, {11, 4}, {12, 4}}},
        {-1, 1, {{10, 5}, {9, 5}, {8, 5}, {10, 4}, {9, 4}, {8, 4}}},
        {1, -1, {{10, 5}, {11, 5}, {12, 5}, {10, 6}, {11, 6}, {12, 6}}},
    };
    for (const Case& c : cases)
    {
        TileMap map;
        TileDescription tile;
        tile.myWidth = 3;
        tile.myHeight = 2;
        tile.myMaterial = 2;
        const Qel::Vector2f p = TileMap::CellToWorld({10, 5});
        EXPECT_EQ(map.AddTile(At(p.x, p.y, c.scaleX, c.scaleY), tile, nullptr), TileCell(10, 5));
        int solid = 0;
        for (Qel::i32 y = 0; y < 32; ++y)
            for (Qel::i32 x = 0; x < 512; ++x)
                solid += map.IsSolid({x, y});
        EXPECT_EQ(solid, 6);
        for (const TileCell& cell : c.cells)
        {
            EXPECT_TRUE(map.IsSolid(cell)) << cell.x << "," << cell.y;
            EXPECT_EQ(map.GetMaterial(cell), 2);
        }
    }

    // A footprint that runs off the grid keeps only its cells inside.
    TileMap map;
    TileDescription wide;
    wide.myWidth = 4;
    const Qel::Vector2f edge = TileMap::CellToWorld({510, 0});
    map.AddTile(At(edge.x, edge.y), wide, nullptr);
    EXPECT_TRUE(map.IsSolid({510, 0}));
    EXPECT_TRUE(map.IsSolid({511, 0}));
}

TEST(TileMap, BehavioursAreNeverLeaked)
{
    Probe probe;
    {
        TileMap map;
        // Outside the grid: nothing is marked and the behaviour is deleted, not lost.
        TileDescription tile;
        tile.myWidth = 3;
        EXPECT_EQ(map.AddTile(At(-2051, 0), tile, std::make_unique<ProbeTile>(probe, ProbeTile::OnHitAction::None)),
                  TileCell());
        EXPECT_EQ(probe.destroyed, 1);
        EXPECT_FALSE(map.IsSolid({0, 1}));
        EXPECT_FALSE(map.IsSolid({1, 1}));

        // A block placed over another replaces it.
        Place(map, 4, 4, 0, std::make_unique<ProbeTile>(probe, ProbeTile::OnHitAction::None));
        Place(map, 4, 4, 1, std::make_unique<ProbeTile>(probe, ProbeTile::OnHitAction::None));
        EXPECT_EQ(probe.destroyed, 2);
        EXPECT_EQ(map.GetBehavior({4, 4})->GetCell(), TileCell(4, 4));
        EXPECT_EQ(map.GetMaterial({4, 4}), 1);

        map.RemoveTile({4, 4});
        EXPECT_EQ(probe.destroyed, 3);
        EXPECT_EQ(map.GetBehavior({4, 4}), nullptr);
        EXPECT_EQ(map.GetMaterial({4, 4}), 1);  // the material byte stays

        Place(map, 7, 7, 0, std::make_unique<ProbeTile>(probe, ProbeTile::OnHitAction::None));
    }
    EXPECT_EQ(probe.destroyed, 4);  // the map's destructor empties every cell
}

TEST(TileMap, SweepTable)
{
    // Row 1 holds y -50..50; column 20 holds x -50..50. Walls in column 25 (x 450..550),
    // a floor at row 0 (top y = -50) from column 10 to 30, and a wall at (21, 1) above (21, 0).
    struct Case
    {
        const char* name;
        Box box;
        float dx, dy;
        float wantDx, wantDy;
        int hitX, hitY;
        int surface;
    } cases[] = {
        {"right into a wall by 3", {418, 0, 50, 50}, 10, 0, 7, 0, 1, 0, 2},
        {"right, touching", {415, 0, 50, 50}, 10, 0, 10, 0, 0, 0, 0},
        {"left into a wall", {582, 0, 50, 50}, -10, 0, -7, 0, -1, 0, 2},
        {"falling onto the floor", {300, -20, 50, 50}, 0, -10, 0, -5, 0, -1, 1},
        {"falling exactly onto the floor", {300, -15, 50, 50}, 0, -10, 0, -10, 0, 0, 0},
        {"up into a block", {1500, 20, 50, 50}, 0, 20, 0, 5, 0, 1, 2},
        {"standing still on the floor", {300, -25, 50, 50}, 0, 0, 0, 0, 0, 0, 0},
        {"walking along the floor", {300, -25, 50, 50}, 8, -2, 8, 0, 0, -1, 1},
        {"outside the grid", {-3000, 0, 50, 50}, 10, -10, 10, -10, 0, 0, 0},
    };
    TileMap map;
    for (Qel::i32 x = 10; x <= 30; ++x)
        Place(map, x, 0, 1);
    Place(map, 25, 1, 2);
    Place(map, 35, 2, 2);
    for (const Case& c : cases)
    {
        const TileMoveResult r = map.SweepBox(c.box, c.dx, c.dy);
        EXPECT_FLOAT_EQ(r.myDx, c.wantDx) << c.name;
        EXPECT_FLOAT_EQ(r.myDy, c.wantDy) << c.name;
        EXPECT_EQ(r.myHitX, c.hitX) << c.name;
        EXPECT_EQ(r.myHitY, c.hitY) << c.name;
        EXPECT_EQ(r.myWallMaterial, 0) << c.name;
        EXPECT_EQ(r.mySurfaceMaterial, c.surface) << c.name;
    }
}

TEST(TileMap, DiagonalIntoACornerResolvesSidewaysFirst)
{
    // A wall at (21, 1) stands on a floor cell (21, 0); nothing under column 20. Moving right and
    // down, the horizontal pass stops the box at the wall; the vertical pass then uses the
    // corrected x, which no longer reaches the floor cell, so the box keeps falling.
    TileMap map;
    Place(map, 21, 1, 1);
    Place(map, 21, 0, 2);
    const TileMoveResult r = map.SweepBox({20, -20, 50, 50}, 40, -10);
    EXPECT_FLOAT_EQ(r.myDx, 5);
    EXPECT_FLOAT_EQ(r.myDy, -10);
    EXPECT_EQ(r.myHitX, 1);
    EXPECT_EQ(r.myHitY, 0);
    EXPECT_EQ(r.mySurfaceMaterial, 1);  // the last hit of either pass

    // The player's sweep reports the two passes' materials apart.
    Place(map, 20, 0, 2);
    const TileMoveResult p = map.SweepPlayerBox({20, -20, 50, 50}, -100.0f, false, 40, -10);
    EXPECT_EQ(p.myHitX, 1);
    EXPECT_EQ(p.myHitY, -1);
    EXPECT_EQ(p.myWallMaterial, 1);
    EXPECT_EQ(p.mySurfaceMaterial, 2);
}

TEST(TileMap, LastOverlappingCellDecides)
{
    // A tall box moving left overlaps two wall cells of one column; both give the same x, and
    // the hit is reported once per pass with the material of the last cell in walking order.
    TileMap map;
    Place(map, 20, 1, 1);
    Place(map, 20, 2, 2);
    const TileMoveResult r = map.SweepPlayerBox({80, 50, 50, 150}, 0.0f, false, -10, 0);
    EXPECT_FLOAT_EQ(r.myDx, -5);
    EXPECT_EQ(r.myHitX, -1);
    EXPECT_EQ(r.myWallMaterial, 2);
}

TEST(TileMap, GridEdgeIsClampedPerAxis)
{
    TileMap map;
    Place(map, 511, 31);  // top right corner cell: x 49050..49150, y 2950..3050
    // A box reaching above the grid's top still meets the top row.
    TileMoveResult r = map.SweepBox({49010, 3040, 50, 40}, 20, 0);
    EXPECT_EQ(r.myHitX, 1);
    EXPECT_FLOAT_EQ(r.myDx, 15);
    // A box reaching past the right edge still meets the last column.
    r = map.SweepBox({49130, 2910, 60, 50}, 0, 20);
    EXPECT_EQ(r.myHitY, 1);
    EXPECT_FLOAT_EQ(r.myDy, 15);
    // A box wholly beyond the edge meets nothing.
    r = map.SweepBox({49300, 3000, 50, 50}, -10, 0);
    EXPECT_EQ(r.myHitX, 0);
}

TEST(TileMap, RestingBoxOneStepInsideTheFloorIsNotInsideIt)
{
    // A box whose bottom sits one float step inside the floor it stands on, on every row: moving
    // sideways or not at all, the floor under it is never taken for a wall.
    for (Qel::i32 y = 0; y < 31; ++y)
    {
        TileMap map;
        for (Qel::i32 x = 30; x < 40; ++x)
            Place(map, x, y);
        const float top = TileMap::CellToWorld({0, y}).y + 50;
        const float centre = std::nextafter(top + 85.0f, -INFINITY);
        ASSERT_LT(centre - 85.0f, top);
        for (const float dx : {0.0f, 5.0f, -5.0f})
        {
            const TileMoveResult r = map.SweepBox({1500, centre, 70, 170}, dx, 0);
            EXPECT_EQ(r.myHitX, 0) << "row " << y << " dx " << dx;
            EXPECT_EQ(r.myDx, dx) << "row " << y;
        }
    }
}

TEST(TileMap, LandingAndWalkingOnEveryRowNeverJumps)
{
    // A 170-tall player-like box keeps its feet position and rebuilds its centre as feet + 85,
    // the way the player does; it falls onto a floor at every row with uneven frame times, then
    // stands and walks. Its x never jumps and no wall is ever reported.
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> frame(0.005f, 0.03f);
    for (Qel::i32 row = 0; row < 14; ++row)
    {
        TileMap map;
        for (Qel::i32 x = 20; x < 60; ++x)
            Place(map, x, row);
        const float top = TileMap::CellToWorld({0, row}).y + 50;
        for (int landing = 0; landing < 40; ++landing)
        {
            float x = 1500.0f + landing * 3.1f;
            float feet = top + 100.0f + landing * 7.3f;
            float vy = 0.0f;
            bool grounded = false;
            for (int f = 0; f < 180; ++f)
            {
                const float dt = frame(random);
                vy -= 4000.0f * dt;
                const float vx = f > 120 ? 400.0f : 0.0f;
                const TileMoveResult r = map.SweepBox({x, feet + 85.0f, 70, 170}, vx * dt, vy * dt);
                ASSERT_EQ(r.myHitX, 0) << "row " << row << " landing " << landing << " frame " << f;
                ASSERT_NEAR(r.myDx, vx * dt, 1e-3f);
                x += r.myDx;
                feet += r.myDy;
                if (r.myHitY < 0)
                {
                    vy = 0.0f;
                    grounded = true;
                }
            }
            EXPECT_TRUE(grounded);
            EXPECT_NEAR(feet, top, 0.01f);
        }
    }
}

TEST(TileMap, PlayerSweepQueuesHeadBumpsAndPounds)
{
    TileMap map;
    Place(map, 20, 3);
    Place(map, 21, 3);
    // Jumping into the block from below: one hit per cell reached, from below.
    map.SweepPlayerBox({0, 95, 50, 100}, 300.0f, false, 0, 10);
    ASSERT_EQ(map.GetHitQueue().size(), 1u);
    EXPECT_EQ(map.GetHitQueue()[0].myCellX, 20);
    EXPECT_EQ(map.GetHitQueue()[0].myCellY, 3);
    EXPECT_EQ(map.GetHitQueue()[0].myFromAbove, 0);
    // Spanning two cells: two hits, in walking order.
    map.SweepPlayerBox({50, 95, 50, 100}, 300.0f, false, 0, 10);
    ASSERT_EQ(map.GetHitQueue().size(), 3u);
    EXPECT_EQ(map.GetHitQueue()[1].myCellX, 20);
    EXPECT_EQ(map.GetHitQueue()[2].myCellX, 21);
    // Falling onto it without pounding: nothing queued; pounding: from above.
    map.SweepPlayerBox({0, 305, 50, 100}, -300.0f, false, 0, -10);
    EXPECT_EQ(map.GetHitQueue().size(), 3u);
    map.SweepPlayerBox({0, 305, 50, 100}, -300.0f, true, 0, -10);
    ASSERT_EQ(map.GetHitQueue().size(), 4u);
    EXPECT_EQ(map.GetHitQueue()[3].myFromAbove, 1);
    // The plain box sweep never queues.
    map.SweepBox({0, 95, 50, 100}, 0, 10);
    EXPECT_EQ(map.GetHitQueue().size(), 4u);
}

TEST(TileMap, PlatformsCarryBoxesResting)
{
    TileMap map;
    MovingPlatform platform;
    MovingPlatformSettings settings;
    settings.myHitboxWidth = 200;
    settings.myAcceleration = settings.myDeceleration = settings.myMaxSpeed = 1;
    platform.Init(At(1000, 500), settings);
    platform.InitTargets();
    MovingPlatform& p = map.AddMovingPlatform(platform);
    GameWorld world;
    GameContext context{&world, nullptr, nullptr, 0.0f, nullptr};
    p.Update(context);  // places the box at the platform's position, dt 0 moves nothing

    // Platform box: centre (1000, 500), 200 x 100, top 550. A rider of 50 x 50 sits at
    // 500 + 47 + 25 = 572, 3 units inside the box.
    const float restY = 500.0f + 0.47f * 100.0f + 25.0f;
    struct Case
    {
        const char* name;
        Qel::Vector2f delta;
        float vy;
        bool player;
        float wantY, wantDx;
        int hitY;
    } cases[] = {
        {"still", {0, 0}, 0, false, restY, 0, -1},
        {"moving down by 3", {0, -3}, 0, false, restY - 3, 0, -1},
        {"moving right by 4", {4, 0}, 0, false, restY, 4, -1},
        {"moving up: lifted through its centre only", {0, 5}, 0, false, restY, 0, -1},
        {"player resting", {2, -3}, 0, true, restY - 3, 2, -1},
        {"player jumping through", {0, 0}, 10, true, restY - 1, 0, 0},
    };
    for (const Case& c : cases)
    {
        p.SetFrameDelta(c.delta);
        const Box rider(1000, restY, 50, 50);
        const TileMoveResult r = c.player ? map.SweepPlayerBox(rider, c.vy, false, 0, -1)
                                          : map.SweepBox(rider, 0, -1);
        EXPECT_FLOAT_EQ(rider.myPosition.y + r.myDy, c.wantY) << c.name;
        EXPECT_FLOAT_EQ(r.myDx, c.wantDx) << c.name;
        EXPECT_EQ(r.myHitY, c.hitY) << c.name;
        EXPECT_EQ(r.mySurfaceMaterial, c.hitY ? TILE_MATERIAL_PLATFORM : 0) << c.name;
    }
    // A box whose bottom was below the platform's upper part is not caught.
    const TileMoveResult under = map.SweepBox({1000, 520, 50, 50}, 0, -1);
    EXPECT_EQ(under.myHitY, 0);
}

TEST(TileMap, UpdateTilesHandsOutHitsAndSurvivesSelfDeletion)
{
    GameWorld world;
    TileMap& map = world.myTileMap;
    GameContext context{&world, nullptr, nullptr, 1.0f / 60, nullptr};
    Probe busy, removing, replacing, plain;
    Place(map, 20, 3, 0, std::make_unique<ProbeTile>(busy, ProbeTile::OnHitAction::StayBusy, 4));
    Place(map, 21, 3, 0, std::make_unique<ProbeTile>(removing, ProbeTile::OnHitAction::RemoveSelf));
    Place(map, 22, 3, 0, std::make_unique<ProbeTile>(replacing, ProbeTile::OnHitAction::ReplaceSelf));
    Place(map, 23, 3, 0);  // solid, without a behaviour

    // One bump reaches all four cells; the busy one is bumped twice in the frame.
    map.SweepPlayerBox({150, 95, 350, 100}, 300.0f, false, 0, 10);
    map.SweepPlayerBox({0, 95, 50, 100}, 300.0f, false, 0, 10);
    ASSERT_EQ(map.GetHitQueue().size(), 5u);
    map.UpdateTiles(context);
    EXPECT_TRUE(map.GetHitQueue().empty());

    EXPECT_EQ(busy.hits, 2);
    EXPECT_EQ(busy.updates, 2);  // in the active list twice: two updates this frame
    EXPECT_EQ(map.GetActiveCells().size(), 2u);

    EXPECT_EQ(removing.hits, 1);
    EXPECT_EQ(removing.destroyed, 1);
    EXPECT_FALSE(map.IsSolid({21, 3}));

    EXPECT_EQ(replacing.hits, 1);
    EXPECT_EQ(replacing.destroyed, 1);
    EXPECT_TRUE(map.IsSolid({22, 3}));
    ASSERT_NE(map.GetBehavior({22, 3}), nullptr);
    EXPECT_EQ(map.GetMaterial({22, 3}), 1);
    EXPECT_TRUE(map.IsSolid({23, 3}));

    // The busy tile counts its frames down (two updates a frame) and leaves the list.
    map.UpdateTiles(context);
    EXPECT_EQ(busy.updates, 4);
    EXPECT_FALSE(map.GetBehavior({20, 3})->IsBusy());
    map.UpdateTiles(context);
    EXPECT_EQ(busy.updates, 4);
    EXPECT_TRUE(map.GetActiveCells().empty());
}

TEST(TileMap, BusyTileRemovingItselfInUpdateLeavesTheList)
{
    GameWorld world;
    TileMap& map = world.myTileMap;
    GameContext context{&world, nullptr, nullptr, 1.0f / 60, nullptr};
    Probe probe;
    // Busy on hit, then removes itself on its second update.
    class BusyThenGone : public ProbeTile
    {
    public:
        using ProbeTile::ProbeTile;
        void OnHit(Qel::u8 aFromAbove, GameContext& aContext) override
        {
            ProbeTile::OnHit(aFromAbove, aContext);
            myBusy = 1;
        }
    };
    Place(map, 20, 3, 0, std::make_unique<BusyThenGone>(probe, ProbeTile::OnHitAction::None, 2));
    map.SweepPlayerBox({0, 95, 50, 100}, 300.0f, false, 0, 10);
    map.UpdateTiles(context);
    EXPECT_EQ(probe.updates, 1);
    map.UpdateTiles(context);
    EXPECT_EQ(probe.updates, 2);
    EXPECT_EQ(probe.destroyed, 1);
    EXPECT_FALSE(map.IsSolid({20, 3}));
    map.UpdateTiles(context);
    EXPECT_TRUE(map.GetActiveCells().empty());
}

TEST(TileMap, RenderWindowAroundTheCamera)
{
    struct Case
    {
        Qel::Vector3f eye;
        Qel::Vector2f view;
        TileCell first, last;
    } cases[] = {
        {{0, 100, 0}, {1920, 1080}, {4, 0}, {35, 9}},          // cell (20, 2): rows -6..9 clamped
        {{20000, 1500, 0}, {3000, 1400}, {204, 8}, {235, 23}}, // cell (220, 16): 32 x 16
        {{20000, 1500, 0}, {3400, 1700}, {202, 6}, {237, 25}}, // a wider view: 36 x 20
        {{-5000, 0, 0}, {1920, 1080}, {0, 0}, {15, 7}},        // outside the grid: around (0, 0)
        {{48000, 2900, 0}, {1920, 1080}, {484, 22}, {511, 31}},
    };
    for (const Case& c : cases)
    {
        const TileMap::CellWindow w = TileMap::GetRenderWindow(c.eye, c.view);
        EXPECT_EQ(w.myFirst, c.first) << c.eye.x << "," << c.eye.y;
        EXPECT_EQ(w.myLast, c.last) << c.eye.x << "," << c.eye.y;
    }
}
