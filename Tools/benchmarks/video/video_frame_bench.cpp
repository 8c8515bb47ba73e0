// One frame of video playback as a screen does it, headless on whatever GL the machine has:
// a background drawn, the next picture decoded, scaled to RGBA and uploaded, then drawn as a
// sprite, and a text on top with its own sampler. Reported as CPU time of the submitting thread per frame; GPU
// work is waited for outside the timing.
//
//   VideoFrame/0   upload and draw
//   VideoFrame/1   draw only (the same picture each frame): the cost of the upload is the gap
//   VideoFrame/2   the picture's pixels uploaded again without decoding: upload and draw alone
#include "drawers/SpriteDrawer.h"
#include "graphics/DX11.h"
#include "graphics/GL.h"
#include "graphics/GraphicsStateStack.h"
#include "settings/Settings.h"
#include "texture/TextureManager.h"
#include "video/Video.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace Qel;

namespace
{
constexpr u32 WIDTH = 1280;
constexpr u32 HEIGHT = 720;

void VideoFrame(benchmark::State& aState)
{
    Settings::GetCookedAssetsPath() = QEL_COOKED_ASSETS_DIR;
    auto device = std::make_unique<DX11>();
    if (!device->InitHeadless(WIDTH, HEIGHT))
    {
        aState.SkipWithError("no headless GL device");
        return;
    }
    auto textures = std::make_unique<TextureManager>();
    auto states = std::make_unique<GraphicsStateStack>();
    auto drawer = std::make_unique<SpriteDrawer>();
    auto video = std::make_unique<Video>();
    if (!states->Init(textures.get()) || !drawer->Init() || !video->Init(QEL_BENCH_CLIP, false))
    {
        aState.SkipWithError("no sprite shaders or no benchmark video");
        return;
    }
    video->Play(true);
    const bool decode = aState.range(0) == 0;
    const bool reupload = aState.range(0) == 2;
    const float frameTime = 1.0f / 30.0f;
    Sprite2DInstanceData picture;
    picture.mySize = {static_cast<float>(WIDTH), static_cast<float>(HEIGHT)};
    Sprite2DInstanceData label;
    label.myPosition = {20.0f, 20.0f};
    label.mySize = {200.0f, 40.0f};
    for (auto _ : aState)
    {
        aState.PauseTiming();
        const float clear[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        device->Clear(clear);
        states->BeginFrame(0.0f, frameTime);
        glFinish();
        aState.ResumeTiming();

        {
            // What the screen drew before the video's update: its state is applied already.
            SpriteBatchScope batch = drawer->BeginBatch({});
            batch.Draw(label);
        }
        if (decode)
            video->Update(frameTime);
        else if (reupload)
            video->GetTexture()->UpdateRGBA(reinterpret_cast<const u8*>(video->GetPixels().data()),
                                            video->GetTextureWidth() * 4, video->GetVideoWidth(),
                                            video->GetVideoHeight());
        {
            SpriteSharedData shared;
            shared.myColorTexture = video->GetTexture();
            SpriteBatchScope batch = drawer->BeginBatch(shared);
            batch.Draw(picture);
        }
        states->Push();
        states->SetSamplerState(1, 0);
        {
            SpriteBatchScope batch = drawer->BeginBatch({});
            batch.Draw(label);
        }
        states->Pop();
        glFlush();

        aState.PauseTiming();
        glFinish();
        aState.ResumeTiming();
    }
    video.reset();
    drawer.reset();
    states.reset();
    textures.reset();
    device.reset();
}

// A small upload (a glyph, a tiny video) followed by the next state apply: what the upload costs
// the state cache.
void UploadThenApply(benchmark::State& aState)
{
    Settings::GetCookedAssetsPath() = QEL_COOKED_ASSETS_DIR;
    auto device = std::make_unique<DX11>();
    if (!device->InitHeadless(64, 64))
    {
        aState.SkipWithError("no headless GL device");
        return;
    }
    auto textures = std::make_unique<TextureManager>();
    auto states = std::make_unique<GraphicsStateStack>();
    if (!states->Init(textures.get()))
    {
        aState.SkipWithError("the state stack could not start");
        return;
    }
    const std::vector<u8> pixels(8 * 8 * 4, 128);
    std::unique_ptr<Texture> texture = Texture::CreateFromRGBA(8, 8, pixels.data());
    states->Apply(false);
    u64 resends = 0;
    for (auto _ : aState)
    {
        texture->UpdateRGBA(pixels.data());
        states->Apply(false);
        resends += states->GetLastApplyMask() != 0 ? 1 : 0;
    }
    aState.counters["full resends"] =
        benchmark::Counter(static_cast<double>(resends), benchmark::Counter::kAvgIterations);
    glFinish();
    texture.reset();
    states.reset();
    textures.reset();
    device.reset();
}
}

BENCHMARK(UploadThenApply)->Unit(benchmark::kMicrosecond);
BENCHMARK(VideoFrame)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
