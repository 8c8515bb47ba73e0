// 100,000 sprites a frame through the sprite drawer, headless on whatever GL the machine has
// (Mesa's llvmpipe without a GPU).
//
//   SpriteBuild       CPU only: instance building and batch splitting, nothing sent.
//   SpriteSubmit      CPU time to build and submit a frame to GL (the GPU's work is waited for
//                     outside the timing).
//   SpriteFrame       whole frames, clear to finished rendering: the "fps" counter.
// The argument: 0 sprites of one colour, 1 a colour per sprite, 2 sprites of no area (everything
// but rasterising; on llvmpipe triangle set-up runs on the submitting thread and dominates).
// Sprites are 8 x 8 pixels, rotated, over a 1280 x 720 back buffer, alpha blended.
#include "drawers/SpriteDrawer.h"
#include "graphics/DX11.h"
#include "graphics/GL.h"
#include "graphics/GraphicsStateStack.h"
#include "settings/Settings.h"
#include "texture/TextureManager.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>
#include <vector>

using namespace Qel;

namespace
{
constexpr size_t SPRITES_PER_FRAME = 100000;
constexpr u32 WIDTH = 1280;
constexpr u32 HEIGHT = 720;

std::vector<Sprite2DInstanceData> MakeSprites(int64_t aKind)
{
    const bool colorPerSprite = aKind == 1;
    const float size = aKind == 2 ? 0.0f : 8.0f;
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> x(0.0f, static_cast<float>(WIDTH));
    std::uniform_real_distribution<float> y(0.0f, static_cast<float>(HEIGHT));
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<Sprite2DInstanceData> sprites(SPRITES_PER_FRAME);
    for (Sprite2DInstanceData& sprite : sprites)
    {
        sprite.myPosition = {x(random), y(random)};
        sprite.myPivot = {0.5f, 0.5f};
        sprite.mySize = {size, size};
        sprite.myRotation = unit(random) * 6.28f;
        sprite.myColor =
            colorPerSprite ? Color(unit(random), unit(random), unit(random), 0.8f) : Color(1, 0.5f, 0.2f, 0.8f);
    }
    return sprites;
}

// Builds and splits batches but sends nothing.
class CpuOnlySpriteDrawer : public SpriteDrawer
{
public:
    CpuOnlySpriteDrawer() { InitWithoutDevice(); }

protected:
    bool BindBatch(const SpriteSharedData&) override { return true; }
    void SubmitInstances(const SpriteInstance* aInstances, u64 aCount) override
    {
        benchmark::DoNotOptimize(aInstances);
        benchmark::DoNotOptimize(aCount);
    }
};

struct Device
{
    std::unique_ptr<DX11> myDevice;
    std::unique_ptr<TextureManager> myTextures;
    std::unique_ptr<GraphicsStateStack> myStates;
    std::unique_ptr<SpriteDrawer> myDrawer;

    bool Start()
    {
        Settings::GetCookedAssetsPath() = QEL_COOKED_ASSETS_DIR;
        myDevice = std::make_unique<DX11>();
        if (!myDevice->InitHeadless(WIDTH, HEIGHT))
            return false;
        myTextures = std::make_unique<TextureManager>();
        myStates = std::make_unique<GraphicsStateStack>();
        myDrawer = std::make_unique<SpriteDrawer>();
        return myStates->Init(myTextures.get()) && myDrawer->Init();
    }

    void BeginFrame()
    {
        const float clear[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        myDevice->Clear(clear);
        myStates->BeginFrame(0.0f, 0.0f);
    }

    void DrawFrame(const std::vector<Sprite2DInstanceData>& aSprites)
    {
        SpriteBatchScope batch = myDrawer->BeginBatch({});
        batch.Draw(aSprites);
    }

    ~Device()
    {
        myDrawer.reset();
        myStates.reset();
        myTextures.reset();
        myDevice.reset();
    }
};

void SpriteBuild(benchmark::State& aState)
{
    const std::vector<Sprite2DInstanceData> sprites = MakeSprites(aState.range(0));
    CpuOnlySpriteDrawer drawer;
    for (auto _ : aState)
    {
        SpriteBatchScope batch = drawer.BeginBatch({});
        batch.Draw(sprites);
    }
    aState.SetItemsProcessed(static_cast<int64_t>(aState.iterations() * SPRITES_PER_FRAME));
}

void SpriteSubmit(benchmark::State& aState)
{
    Device device;
    if (!device.Start())
    {
        aState.SkipWithError("no headless GL device or sprite shaders");
        return;
    }
    const std::vector<Sprite2DInstanceData> sprites = MakeSprites(aState.range(0));
    for (auto _ : aState)
    {
        aState.PauseTiming();
        device.BeginFrame();
        glFinish();
        aState.ResumeTiming();
        device.DrawFrame(sprites);
        glFlush();
        aState.PauseTiming();
        glFinish();
        aState.ResumeTiming();
    }
    aState.SetItemsProcessed(static_cast<int64_t>(aState.iterations() * SPRITES_PER_FRAME));
    aState.counters["draws/frame"] = static_cast<double>(device.myDrawer->GetStatistics().myDrawCalls) /
                                     static_cast<double>(aState.iterations());
}

void SpriteFrame(benchmark::State& aState)
{
    Device device;
    if (!device.Start())
    {
        aState.SkipWithError("no headless GL device or sprite shaders");
        return;
    }
    const std::vector<Sprite2DInstanceData> sprites = MakeSprites(aState.range(0));
    for (auto _ : aState)
    {
        device.BeginFrame();
        device.DrawFrame(sprites);
        glFinish();
    }
    aState.counters["fps"] = benchmark::Counter(static_cast<double>(aState.iterations()), benchmark::Counter::kIsRate);
    aState.SetItemsProcessed(static_cast<int64_t>(aState.iterations() * SPRITES_PER_FRAME));
}
}

BENCHMARK(SpriteBuild)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(SpriteSubmit)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(SpriteFrame)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
