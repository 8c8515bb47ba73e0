#include "engine/AspectFactors.h"
#include "engine/CallbackList.h"
#include "engine/Engine.h"
#include "engine/StepTimer.h"
#include "graphics/DX11.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "TestSupport.h"
#include "window/Window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <vector>
#include <cstdlib>
#include <new>

using namespace Qel;

namespace
{
constexpr i64 FREQUENCY = 1'000'000'000;   // the platform counter counts nanoseconds
}

TEST(StepTimer, ClampsLongFramesAndCountsFramesPerSecond)
{
    StepTimer timer(FREQUENCY, 0);
    EXPECT_EQ(timer.GetMaxDelta(), 100'000'000u);
    int updates = 0;
    timer.TickAt(2 * FREQUENCY, [&] { ++updates; });
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(timer.GetElapsedTicks(), 1'000'000u);   // 0.1 s, not 2 s
    EXPECT_EQ(timer.GetFramesPerSecond(), 1u);        // the unclamped 2 s closed a second

    StepTimer steady(FREQUENCY, 0);
    i64 now = 0;
    for (int i = 0; i < 61; ++i)
    {
        now += 16'666'667;
        steady.TickAt(now, [] {});
    }
    EXPECT_EQ(steady.GetElapsedTicks(), 166'666u);
    EXPECT_EQ(steady.GetFrameCount(), 61u);
    EXPECT_EQ(steady.GetFramesPerSecond(), 60u);
    EXPECT_EQ(steady.GetTotalTicks(), 61u * 166'666u);

    // A counter that goes backwards gives an empty step, never a huge one.
    steady.TickAt(now - 5, [] {});
    EXPECT_EQ(steady.GetElapsedTicks(), 0u);
}

TEST(AspectFactors, LandscapeAndPortraitAgreeAndZeroKeepsThePrevious)
{
    for (auto [w, h] : {std::pair<u32, u32>{1280, 720}, std::pair<u32, u32>{720, 1280}})
    {
        const AspectFactors f = ComputeAspectFactors(w, h);
        EXPECT_FLOAT_EQ(f.myRatio, 16.0f / 9.0f);
        EXPECT_FLOAT_EQ(f.myInverseRatio, 9.0f / 16.0f);
        EXPECT_FLOAT_EQ(f.myScaleX, 1.0f);
        EXPECT_FLOAT_EQ(f.myScaleY, 16.0f / 9.0f);
        EXPECT_FLOAT_EQ(f.myInverseScaleX, 1.0f);
        EXPECT_FLOAT_EQ(f.myInverseScaleY, 9.0f / 16.0f);
    }
    const AspectFactors previous = ComputeAspectFactors(800, 600);
    EXPECT_FLOAT_EQ(ComputeAspectFactors(0, 600, previous).myRatio, previous.myRatio);
}

TEST(DebugFeatures, AllBitsMeanEverythingOtherwiseTheBitDecides)
{
    for (u32 bit = 1; bit <= 256; bit <<= 1)
        EXPECT_TRUE(IsDebugFeatureSet(511, bit));
    EXPECT_FALSE(IsDebugFeatureSet(3, DebugFeature::Filewatcher));
    EXPECT_TRUE(IsDebugFeatureSet(3, DebugFeature::Fps));
    EXPECT_TRUE(IsDebugFeatureSet(3, DebugFeature::Mem));
    EXPECT_TRUE(IsDebugFeatureSet(32, DebugFeature::Filewatcher));
    EXPECT_FALSE(IsDebugFeatureSet(32, DebugFeature::Fps));
    EXPECT_FALSE(IsDebugFeatureSet(0, DebugFeature::Filewatcher));
}

TEST(CallbackList, StoresOnlyCallbacksThatAreSet)
{
    CallbackList list;
    list.Add(nullptr, [] {});
    list.Add([] {}, nullptr);
    list.Add(nullptr, nullptr);
    EXPECT_EQ(list.GetFirstCount(), 1u);
    EXPECT_EQ(list.GetSecondCount(), 1u);
}

// The real engine on SDL's offscreen video driver (EGL on Mesa): no display needed.
class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EngineCreateParameters& parameters = Settings::GetEngineCreateParameters();
        parameters = EngineCreateParameters{};
        // The built game's settings give the asset roots (shaders, fonts) the engine starts with.
        const char* binFolder = std::getenv("QEL_BIN_DIR");
        ASSERT_NE(binFolder, nullptr);
        ASSERT_TRUE(Settings::LoadSettingsFrom(binFolder, "Game.json", parameters));
        Settings::GetExecutableFolder() = binFolder;
        parameters.myWindowWidth = parameters.myRenderWidth = 320;
        parameters.myWindowHeight = parameters.myRenderHeight = 200;
        parameters.myTitle = "engine test";
        Platform::ResetMessageQueue();
    }
    void TearDown() override
    {
        Engine::Shutdown();
        Settings::GetEngineCreateParameters() = EngineCreateParameters{};
    }
};

TEST_F(EngineTest, StartsOnceFramesAndStopsWhenTheWindowCloses)
{
    EXPECT_EQ(Engine::GetInstance(), nullptr);
    ASSERT_TRUE(Engine::Start());
    EXPECT_FALSE(Engine::Start());
    Engine* engine = Engine::GetInstance();
    ASSERT_NE(engine, nullptr);
    EXPECT_NE(engine->GetDX11(), nullptr);
    EXPECT_NE(engine->GetWindowHandle()->myWindowHandle, nullptr);

    ASSERT_TRUE(engine->BeginFrame());
    engine->EndFrame();
    // The window's creation asks for one resize: the render size follows the real drawable.
    EXPECT_FALSE(engine->IsResizePending());
    EXPECT_EQ(engine->GetRenderSize(), (std::pair<u32, u32>{320, 200}));
    EXPECT_EQ(engine->GetDX11()->GetActiveTargetSize(), (std::pair<i32, i32>{320, 200}));
    EXPECT_GE(engine->GetDeltaTime(), 0.0f);
    EXPECT_LE(engine->GetDeltaTime(), 0.1f);

    // Clicking the close button: WM_CLOSE -> destroy -> WM_DESTROY -> quit.
    Platform::PostMessage(engine->GetWindowHandle()->myWindowHandle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(engine->BeginFrame());
    EXPECT_FALSE(engine->BeginFrame());

    Engine::Shutdown();
    EXPECT_EQ(Engine::GetInstance(), nullptr);
    EXPECT_FALSE(DX11::IsCreated());
}

TEST_F(EngineTest, ResizeHappensOnceAtTheNextEndFrame)
{
    ASSERT_TRUE(Engine::Start());
    Engine* engine = Engine::GetInstance();
    ASSERT_TRUE(engine->BeginFrame());
    engine->EndFrame();

    engine->SetResolution(400, 240);
    ASSERT_TRUE(engine->BeginFrame());   // the size message arrives here
    EXPECT_TRUE(engine->IsResizePending());
    EXPECT_EQ(engine->GetRenderSize(), (std::pair<u32, u32>{320, 200}));
    engine->EndFrame();
    EXPECT_FALSE(engine->IsResizePending());
    EXPECT_EQ(engine->GetRenderSize(), (std::pair<u32, u32>{400, 240}));
    EXPECT_FLOAT_EQ(engine->GetAspectFactors().myRatio, 400.0f / 240.0f);
}

TEST_F(EngineTest, ASettingsFileWithNoWindowSizeStartsFullscreenOrMaximisedAtTheScreenSize)
{
    // Through the real settings reader: the built game's asset roots, a 0 x 0 window.
    const std::string roots = "\"assets_path\": {\"engine\": \"" + Settings::GetEngineAssetsPath().string() +
                              "\", \"game\": \"" + Settings::GetGameAssetsPath().string() + "\", \"cooked\": \"" +
                              Settings::GetCookedAssetsPath().string() + "\"}";
    for (const char* flag : {"start_in_fullscreen", "start_maximized"})
    {
        SCOPED_TRACE(flag);
        QelTest::TempFolder folder;
        folder.Write("settings/Game.json", "{" + roots + ", \"window_settings\": {\"title\": \"no size\", " +
                                               "\"window_size\": {\"w\": 0, \"h\": 0}, \"" + flag + "\": true}}");
        EngineCreateParameters& parameters = Settings::GetEngineCreateParameters();
        parameters = EngineCreateParameters{};
        ASSERT_TRUE(Settings::LoadSettingsFrom(folder.Path(), "Game.json", parameters));
        ASSERT_EQ(parameters.myWindowWidth, 0u);
        ASSERT_TRUE(Platform::Init());
        u32 screenWidth = 0, screenHeight = 0;
        ASSERT_TRUE(Platform::GetPrimaryScreenSize(screenWidth, screenHeight));
        ASSERT_TRUE(Engine::Start());
        EXPECT_EQ(Engine::GetInstance()->GetWindowSize(), (std::pair<u32, u32>{screenWidth, screenHeight}));
        EXPECT_EQ(Engine::GetInstance()->GetRenderSize(), (std::pair<u32, u32>{screenWidth, screenHeight}));
        EXPECT_EQ(Engine::GetInstance()->IsFullscreen(), std::string(flag) == "start_in_fullscreen");
        ASSERT_TRUE(Engine::GetInstance()->BeginFrame());
        Engine::GetInstance()->EndFrame();
        Engine::Shutdown();
    }
}

// ---- allocation count of an empty frame ----------------------------------------------------
namespace
{
std::atomic<long> ourAllocations{0};
}

void* operator new(std::size_t aSize)
{
    ++ourAllocations;
    if (void* memory = std::malloc(aSize ? aSize : 1))
        return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t aSize) { return operator new(aSize); }
void* operator new(std::size_t aSize, const std::nothrow_t&) noexcept
{
    ++ourAllocations;
    return std::malloc(aSize ? aSize : 1);
}
void* operator new[](std::size_t aSize, const std::nothrow_t& aTag) noexcept { return operator new(aSize, aTag); }
void operator delete(void* aMemory) noexcept { std::free(aMemory); }
void operator delete(void* aMemory, std::size_t) noexcept { std::free(aMemory); }
void operator delete[](void* aMemory) noexcept { std::free(aMemory); }
void operator delete[](void* aMemory, std::size_t) noexcept { std::free(aMemory); }
void operator delete(void* aMemory, const std::nothrow_t&) noexcept { std::free(aMemory); }
void operator delete[](void* aMemory, const std::nothrow_t&) noexcept { std::free(aMemory); }

TEST_F(EngineTest, AnEmptyFrameAllocatesNothing)
{
    ASSERT_TRUE(Engine::Start());
    Engine* engine = Engine::GetInstance();
    for (int i = 0; i < 5; ++i)   // warm up: first resize, driver caches
    {
        ASSERT_TRUE(engine->BeginFrame());
        engine->EndFrame();
    }
    const long before = ourAllocations.load();
    for (int i = 0; i < 50; ++i)
    {
        ASSERT_TRUE(engine->BeginFrame());
        engine->EndFrame();
    }
    EXPECT_EQ(ourAllocations.load() - before, 0);
}

TEST_F(EngineTest, AFrameFullOfWindowMessagesAllocatesNothing)
{
    ASSERT_TRUE(Engine::Start());
    Engine* engine = Engine::GetInstance();
    const HWND window = engine->GetWindowHandle()->myWindowHandle;
    // Mouse moves arrive by the hundred in a busy frame; the queue must not allocate for them.
    const auto frame = [&] {
        for (u16 i = 0; i < 200; ++i)
            Platform::PostMessage(window, WM_MOUSEMOVE, 0, MAKELPARAM(i, i));
        ASSERT_TRUE(engine->BeginFrame());
        engine->EndFrame();
    };
    for (int i = 0; i < 5; ++i)
        frame();
    const long before = ourAllocations.load();
    for (int i = 0; i < 20; ++i)
        frame();
    EXPECT_EQ(ourAllocations.load() - before, 0);
}

TEST(FramePacer, PacesOnlyWhenTheSwapDoesNotWaitAndNeverCatchesUp)
{
    constexpr i64 MS = 1'000'000;
    constexpr i64 PERIOD = 16 * MS;
    struct Step
    {
        i64 now;
        bool swapWaits;
        i64 wake;   // 0: no sleep
    };
    struct Case
    {
        const char* name;
        std::vector<Step> steps;
    };
    std::vector<Step> ignored;   // the interval is taken but every swap returns at once
    for (i64 i = 1; i < FramePacer::FAST_FRAMES_FOR_NO_WAIT + 1; ++i)
        ignored.push_back({i * MS, true, 0});
    ignored.push_back({9 * MS, true, 9 * MS + PERIOD});   // the eighth fast frame in a row
    ignored.push_back({9 * MS + PERIOD + MS, true, 9 * MS + 2 * PERIOD});
    const Case cases[] = {
        {"refused: one frame a period from the first",
         {{0 * MS + 100, false, 100 + PERIOD}, {PERIOD + 2 * MS, false, 100 + 2 * PERIOD}}},
        {"a late frame starts the next at once, on the old beat",
         {{100, false, 100 + PERIOD}, {100 + PERIOD + 20 * MS, false, 0}, {100 + 2 * PERIOD + MS, false, 100 + 3 * PERIOD}}},
        {"far behind: the count starts afresh instead of a burst",
         {{100, false, 100 + PERIOD}, {500 * MS, false, 500 * MS + PERIOD}}},
        {"a swap that waits is trusted", {{PERIOD, true, 0}, {2 * PERIOD, true, 0}, {3 * PERIOD, true, 0}}},
        {"a swap that is taken but ignored", ignored},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        FramePacer pacer;
        for (const Step& step : c.steps)
            EXPECT_EQ(pacer.AfterShownFrame(step.now, PERIOD, step.swapWaits), step.wake) << "at " << step.now;
    }
    FramePacer hidden;
    EXPECT_EQ(hidden.AfterHiddenFrame(5, 100 * MS), 5 + 100 * MS);
    EXPECT_EQ(RefreshPeriod(0), 1'000'000'000 / 60);
    EXPECT_EQ(RefreshPeriod(144), 1'000'000'000 / 144);
}

namespace
{
double ProcessCpuSeconds()
{
    timespec time{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
}
}

TEST_F(EngineTest, VsyncThatDoesNotHoldTheRateIsPacedBySleeping)
{
    // SDL's offscreen surface takes the swap interval and ignores it; Xvfb refuses it. Either
    // way the frames must come at the display's rate without a core spinning.
    Settings::GetEngineCreateParameters().myEnableVsync = 1;
    ASSERT_TRUE(Engine::Start());
    Engine* engine = Engine::GetInstance();
    for (u32 i = 0; i < FramePacer::FAST_FRAMES_FOR_NO_WAIT + 2; ++i)
    {
        ASSERT_TRUE(engine->BeginFrame());
        engine->EndFrame();
    }
    ASSERT_TRUE(engine->GetFramePacer().IsPacing());
    constexpr int FRAMES = 15;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds();
    for (int i = 0; i < FRAMES; ++i)
    {
        ASSERT_TRUE(engine->BeginFrame());
        engine->EndFrame();
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const double period = static_cast<double>(RefreshPeriod(engine->GetDX11()->GetRefreshRate())) * 1e-9;
    EXPECT_GE(wall, (FRAMES - 1) * period);
    EXPECT_LT(cpu, 0.5 * wall) << "cpu " << cpu << " s over " << wall << " s";
}
