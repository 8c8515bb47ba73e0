// One frame of collision on a level-sized map: 512 x 32 cells with 2,000 tiles, 100 boxes that
// fall, walk and bounce through it with the box sweep, the player's sweep with its hit queue, and
// the tile map's per-frame update with a few moving platforms.
#include "GameWorld.h"
#include "TileMap.h"

#include <benchmark/benchmark.h>

#include <random>

namespace
{
constexpr float DT = 1.0f / 60.0f;

struct Mover
{
    Box box;
    Qel::Vector2f velocity;
};

struct Level
{
    GameWorld world;
    GameContext context{&world, nullptr, nullptr, DT, nullptr};
    std::vector<Mover> movers;

    Level()
    {
        TileMap& map = world.myTileMap;
        std::mt19937 random(42);
        int tiles = 0;
        auto place = [&](Qel::i32 aX, Qel::i32 aY) {
            if (map.IsSolid({aX, aY}))
                return;
            const Qel::Vector2f c = TileMap::CellToWorld({aX, aY});
            map.AddTile(Qel::Matrix4x4::CreateTranslation({c.x, c.y, 0.0f}), TileDescription{}, nullptr);
            ++tiles;
        };
        for (Qel::i32 x = 0; x < TileMap::GRID_COLUMNS; ++x)
            place(x, 0);
        while (tiles < 2000)
            place(static_cast<Qel::i32>(random() % TileMap::GRID_COLUMNS), 1 + static_cast<Qel::i32>(random() % 12));

        for (int i = 0; i < 8; ++i)
        {
            MovingPlatform platform;
            MovingPlatformSettings s;
            s.myHitboxWidth = 300;
            s.myAcceleration = s.myDeceleration = 200;
            s.myMaxSpeed = 300;
            s.myTargetB = {800, 200};
            platform.Init(Qel::Matrix4x4::CreateTranslation({i * 5000.0f, 1800.0f, 0.0f}), s);
            platform.InitTargets();
            map.AddMovingPlatform(platform);
        }

        std::uniform_real_distribution<float> x(-1900.0f, 49000.0f), y(200.0f, 2500.0f), speed(-400.0f, 400.0f);
        for (int i = 0; i < 100; ++i)
            movers.push_back({Box(x(random), y(random), 60, 90), {speed(random), 0.0f}});
    }

    void Frame()
    {
        TileMap& map = world.myTileMap;
        for (std::size_t i = 0; i < movers.size(); ++i)
        {
            Mover& m = movers[i];
            m.velocity.y -= 2000.0f * DT;
            const TileMoveResult r = i == 0 ? map.SweepPlayerBox(m.box, m.velocity.y, false, m.velocity.x * DT,
                                                                 m.velocity.y * DT)
                                            : map.SweepBox(m.box, m.velocity.x * DT, m.velocity.y * DT);
            m.box.myPosition += Qel::Vector2f(r.myDx, r.myDy);
            if (r.myHitX != 0)
                m.velocity.x = -m.velocity.x;
            if (r.myHitY < 0)
                m.velocity.y = 900.0f;  // hop on, so the boxes keep moving through the map
            else if (r.myHitY > 0)
                m.velocity.y = 0.0f;
            if (m.box.myPosition.y < -1000.0f)
                m.box.myPosition.y = 2500.0f;
        }
        map.UpdateTiles(context);
    }
};

void BM_TileMapFrame(benchmark::State& aState)
{
    Level level;
    for (auto _ : aState)
    {
        level.Frame();
        benchmark::ClobberMemory();
    }
    aState.SetLabel("100 boxes, 2000 tiles, 8 platforms");
}
BENCHMARK(BM_TileMapFrame)->Unit(benchmark::kMicrosecond);

void BM_SweepBox(benchmark::State& aState)
{
    Level level;
    std::size_t i = 0;
    for (auto _ : aState)
    {
        const Mover& m = level.movers[i++ % level.movers.size()];
        benchmark::DoNotOptimize(level.world.myTileMap.SweepBox(m.box, 6.0f, -8.0f));
    }
}
BENCHMARK(BM_SweepBox)->Unit(benchmark::kNanosecond);
}

BENCHMARK_MAIN();
