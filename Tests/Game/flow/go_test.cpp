#include "Go.h"

#include "engine/Engine.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

TEST(Go, FrameTimeIsClampedBetweenZeroAndThirtyMilliseconds)
{
    const struct
    {
        float delta, expected;
    } cases[] = {{0.5f, 0.03f}, {-0.2f, 0.0f}, {0.016f, 0.016f}, {0.03f, 0.03f}, {0.1f, 0.03f}, {0.0f, 0.0f}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(ClampFrameTime(c.delta), c.expected) << c.delta;
}

namespace
{
// Go reads settings/Game.json beside the running executable: this test's own folder.
std::filesystem::path SettingsFile()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "settings" / "Game.json";
}

// The built game's asset roots, absolute, and the given window settings.
std::string GameSettings(const std::string& aWindowExtra, const std::optional<std::string>& aAssets = std::nullopt)
{
    const char* bin = std::getenv("QEL_BIN_DIR");
    const std::string root = bin ? bin : "";
    const std::string assets = aAssets ? *aAssets
                                       : "\"assets_path\": {\"engine\": \"" + root + "/assets/engine\", \"game\": \"" +
                                             root + "/assets/game\", \"cooked\": \"" + root + "/assets/cooked\"},";
    return "{" + assets + "\"window_settings\": {\"title\": \"go test\", \"window_size\": {\"w\": 320, \"h\": 200}" +
           aWindowExtra + "}}";
}

void WriteSettings(const std::optional<std::string>& aContents)
{
    std::filesystem::remove(SettingsFile());
    if (!aContents)
        return;
    std::filesystem::create_directories(SettingsFile().parent_path());
    std::ofstream(SettingsFile(), std::ios::binary) << *aContents;
}

struct GoRun
{
    int status = -1;
    double seconds = 0;
    std::string errors;
};

// Runs Go on this thread (it owns the GL context); a watchdog ends the process if it blocks.
GoRun RunGo()
{
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 300 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!done)
        {
            std::fprintf(stderr, "Go did not return within 15 s\n");
            std::_Exit(3);
        }
    });
    GoRun run;
    testing::internal::CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    run.status = Go();
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.errors = testing::internal::GetCapturedStderr();
    done = true;
    watchdog.join();
    return run;
}

class GoTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        Qel::Engine::Shutdown();
        Qel::Platform::Shutdown();
        Qel::Settings::GetEngineCreateParameters() = Qel::EngineCreateParameters{};
        Qel::Settings::GetEngineAssetsPath().clear();
        Qel::Settings::GetGameAssetsPath().clear();
        Qel::Settings::GetCookedAssetsPath().clear();
        WriteSettings(std::nullopt);
    }
};

// Closing the window as the desktop does: the window is destroyed, WM_DESTROY reaches Go's
// callback, which posts the quit that ends the loop.
void CloseTheWindowAtTheFirstFrame()
{
    ASSERT_TRUE(Qel::Platform::Init());
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
}
}

TEST_F(GoTest, DebugFeaturesAreTheFileWatcherAloneWhateverTheSettingsList)
{
    for (const char* features : {"", ", \"debug_features\": \"All\"", ", \"debug_features\": [\"Fps\", \"Cpu\"]",
                                 ", \"debug_features\": \"None\""})
    {
        SCOPED_TRACE(features);
        WriteSettings(GameSettings(features));
        CloseTheWindowAtTheFirstFrame();
        const GoRun run = RunGo();
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(Qel::Settings::GetEngineCreateParameters().myDebugFeatures, Qel::DebugFeature::Filewatcher);
        EXPECT_EQ(Qel::Engine::GetInstance(), nullptr) << "the engine is shut down after the loop";
        TearDown();
    }
}

TEST_F(GoTest, TheWindowsDestroyMessagePostsQuit)
{
    WriteSettings(GameSettings(""));
    CloseTheWindowAtTheFirstFrame();
    const GoRun run = RunGo();
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_LT(run.seconds, 10.0);

    // The callback Go installed, on its own: only WM_DESTROY posts quit (there is no input
    // manager any more to take messages first).
    const auto callback = Qel::Settings::GetEngineCreateParameters().myWindowMessageCallback;
    ASSERT_TRUE(callback);
    for (const Qel::UINT message : {Qel::WM_KEYDOWN, Qel::WM_CLOSE, Qel::WM_DESTROY})
    {
        SCOPED_TRACE(message);
        Qel::Platform::ResetMessageQueue();
        EXPECT_EQ(callback(nullptr, message, 0, 0), 0);
        Qel::MSG posted;
        const bool quit = Qel::Platform::PeekMessage(posted) && posted.message == Qel::WM_QUIT;
        EXPECT_EQ(quit, message == Qel::WM_DESTROY);
    }
}

TEST_F(GoTest, AFailedStartBuildsNothingExitsNonZeroAndNeverBlocks)
{
    const char* bin = std::getenv("QEL_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    struct Case
    {
        const char* name;
        std::optional<std::string> settings;
        bool withoutDisplay;
        std::string message;
    };
    const Case cases[] = {
        {"no settings file", std::nullopt, false, "Could not open project settings file"},
        {"no asset roots", GameSettings("", ""), false, "no \"assets_path\" is given"},
        {"a missing engine root",
         GameSettings("", "\"assets_path\": {\"engine\": \"/nowhere/engine\", \"game\": \"" + std::string(bin) +
                              "/assets/game\", \"cooked\": \"" + std::string(bin) + "/assets/cooked\"},"),
         false, "\"assets_path.engine\" names /nowhere/engine, which is not a folder that exists"},
        {"no display", GameSettings(""), true, "The game needs a display"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        WriteSettings(c.settings);
        const std::string driver = std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "";
        const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
        if (c.withoutDisplay)
        {
            unsetenv("SDL_VIDEODRIVER");
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
        }
        const GoRun run = RunGo();
        if (!driver.empty())
            setenv("SDL_VIDEODRIVER", driver.c_str(), 1);
        if (!display.empty())
            setenv("DISPLAY", display.c_str(), 1);
        EXPECT_NE(run.status, 0);
        EXPECT_LT(run.seconds, 5.0);
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
        // Nothing of the game was built: no engine, no window system left running.
        EXPECT_EQ(Qel::Engine::GetInstance(), nullptr);
        EXPECT_FALSE(Qel::Platform::IsInitialised());
        TearDown();
    }
}
