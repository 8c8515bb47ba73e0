#include "TestSupport.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qel;

namespace
{
// Writes settings/<name> below a temp "executable folder" and reads it.
struct Loaded
{
    bool ok = false;
    EngineCreateParameters parameters;
};

Loaded Load(const QelTest::TempFolder& aFolder, const std::string& aWindowSettings, const std::string& aName = "Game",
            const std::string& aFileName = "Game.json")
{
    aFolder.Write("settings/" + aFileName, "{\"window_settings\": {" + aWindowSettings + "}}");
    Loaded loaded;
    loaded.ok = Settings::LoadSettingsFrom(aFolder.Path(), aName, loaded.parameters);
    return loaded;
}
}

TEST(Settings, DebugFeaturesAndMultisampling)
{
    struct Case
    {
        const char* json;
        u32 debugFeatures;
        u32 multisampling;
    };
    const Case cases[] = {
        {R"("debug_features": ["Fps", "None", "Mem"])", 0, 0},
        {R"("debug_features": ["Filewatcher", "All"])", 511, 0},
        {R"("debug_features": "Filewatcher")", 32, 0},
        {R"("debug_features": ["Fps", "Bogus", "Cpu"])", 9, 0},
        {R"("debug_features": null)", 0, 0},
        {R"("multisampling": ["High", "Low"])", 0, 1},
        {R"("multisampling": "Medium")", 0, 2},
        {R"("multisampling": ["High", "Bogus"])", 0, 3},
    };
    for (const Case& c : cases)
    {
        QelTest::TempFolder folder;
        const Loaded loaded = Load(folder, std::string(R"("title": "T", )") + c.json);
        ASSERT_TRUE(loaded.ok) << c.json;
        EXPECT_EQ(loaded.parameters.myDebugFeatures, c.debugFeatures) << c.json;
        EXPECT_EQ(loaded.parameters.myMultisampling, c.multisampling) << c.json;
    }
    // Absent debug features mean none, not the built-in default.
    QelTest::TempFolder folder;
    EXPECT_EQ(Load(folder, R"("title": "T")").parameters.myDebugFeatures, 0u);
}

TEST(Settings, SizesFillEachOther)
{
    struct Case
    {
        const char* json;
        u32 windowWidth, windowHeight, renderWidth, renderHeight;
    };
    const Case cases[] = {
        {R"("render_size": {"w": 1920, "h": 1080})", 1920, 1080, 1920, 1080},
        {R"("window_size": {"w": 800, "h": 600})", 800, 600, 800, 600},
        {R"("window_size": {"w": 800, "h": 600}, "render_size": {"w": 320, "h": 200})", 800, 600, 320, 200},
        {R"("window_size": null)", 1280, 720, 1280, 720},
        {R"("enable_vsync": true)", 1280, 720, 1280, 720},
    };
    for (const Case& c : cases)
    {
        QelTest::TempFolder folder;
        const Loaded loaded = Load(folder, std::string(R"("title": "T", )") + c.json);
        ASSERT_TRUE(loaded.ok) << c.json;
        EXPECT_EQ(loaded.parameters.myWindowWidth, c.windowWidth) << c.json;
        EXPECT_EQ(loaded.parameters.myWindowHeight, c.windowHeight) << c.json;
        EXPECT_EQ(loaded.parameters.myRenderWidth, c.renderWidth) << c.json;
        EXPECT_EQ(loaded.parameters.myRenderHeight, c.renderHeight) << c.json;
    }
}

TEST(Settings, NoWindowSizeOnlyForAWindowThatFillsTheScreen)
{
    struct Case
    {
        const char* json;
        bool ok;
        const char* cause;
    };
    const Case cases[] = {
        {R"("window_size": {"w": 0, "h": 0}, "start_in_fullscreen": true)", true, ""},
        {R"("window_size": {"w": 0, "h": 0}, "start_maximized": true)", true, ""},
        {R"("render_size": {"w": 0, "h": 0}, "start_maximized": true)", true, ""},
        {R"("window_size": {"w": 0, "h": 0})", false, "\"window_size.w\" must be between 1 and"},
        {R"("window_size": {"w": 800, "h": 0}, "start_in_fullscreen": false)", false, "window_size.h"},
        {R"("window_size": {"w": 800, "h": 600}, "render_size": {"w": 0, "h": 600}, "start_maximized": true)", false,
         "render_size.w"},
    };
    for (const Case& c : cases)
    {
        QelTest::TempFolder folder;
        testing::internal::CaptureStderr();
        const Loaded loaded = Load(folder, std::string(R"("title": "T", )") + c.json);
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_EQ(loaded.ok, c.ok) << c.json << "\n" << message;
        EXPECT_NE(message.find(c.cause), std::string::npos) << message;
        if (c.ok)
        {
            EXPECT_EQ(loaded.parameters.myWindowWidth, 0u) << c.json;
            EXPECT_EQ(loaded.parameters.myRenderHeight, 0u) << c.json;
        }
    }
}

TEST(Settings, AClearColourWithoutAComponentKeepsItsDefaultAndSaysSoOnce)
{
    struct Case
    {
        const char* json;
        float expected[4];
        const char* message;   // empty: nothing is said
    };
    const EngineCreateParameters defaults;
    const float d0 = defaults.myClearColor[0], d1 = defaults.myClearColor[1], d2 = defaults.myClearColor[2];
    const Case cases[] = {
        {R"({"r": 0.5, "g": 0.25, "b": 1, "a": 0.75})", {0.5f, 0.25f, 1.0f, 0.75f}, ""},
        {R"({"r": 1, "b": 0, "a": 1})", {1.0f, d1, 0.0f, 1.0f}, "\"clear_color\" has no \"g\";"},
        {R"({"r": 1, "g": null})", {1.0f, d1, d2, 1.0f}, "\"clear_color\" has no \"g\", \"b\", \"a\";"},
        {R"({})", {d0, d1, d2, 1.0f}, "has no \"r\", \"g\", \"b\", \"a\";"},
    };
    for (const Case& c : cases)
    {
        QelTest::TempFolder folder;
        testing::internal::CaptureStderr();
        const Loaded loaded = Load(folder, std::string(R"("title": "T", "clear_color": )") + c.json);
        const std::string message = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(loaded.ok) << c.json;
        for (int i = 0; i < 4; ++i)
            EXPECT_FLOAT_EQ(loaded.parameters.myClearColor[i], c.expected[i]) << c.json << " component " << i;
        if (*c.message == 0)
        {
            EXPECT_EQ(message, "") << c.json;
            continue;
        }
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_NE(message.find("settings/Game.json"), std::string::npos) << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    }
}

TEST(Settings, TitleFlagsAndColour)
{
    QelTest::TempFolder folder;
    const Loaded loaded = Load(folder, R"("title": "Heights", "borderless": true, "start_maximized": true,
        "start_in_fullscreen": false, "enable_vsync": true, "clear_color": {"r": 0.5, "g": 0.25, "b": 1, "a": 0.75})");
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.parameters.myTitle, "Heights");
    EXPECT_EQ(loaded.parameters.myBorderless, 1);
    EXPECT_EQ(loaded.parameters.myStartMaximized, 1);
    EXPECT_EQ(loaded.parameters.myStartInFullscreen, 0);
    EXPECT_EQ(loaded.parameters.myEnableVsync, 1);
    EXPECT_FLOAT_EQ(loaded.parameters.myClearColor[0], 0.5f);
    EXPECT_FLOAT_EQ(loaded.parameters.myClearColor[3], 0.75f);

    // An empty title keeps the default; a colour without "g" keeps that component.
    QelTest::TempFolder other;
    const Loaded partial = Load(other, R"("title": "", "clear_color": {"r": 1, "b": 0, "a": 1})");
    ASSERT_TRUE(partial.ok);
    EXPECT_EQ(partial.parameters.myTitle, EngineCreateParameters{}.myTitle);
    EXPECT_FLOAT_EQ(partial.parameters.myClearColor[1], 0.6f);
}

TEST(Settings, FileNameGetsJsonOnlyWithoutADot)
{
    QelTest::TempFolder folder;
    EXPECT_TRUE(Load(folder, R"("title": "A")", "Game", "Game.json").ok);
    EXPECT_TRUE(Load(folder, R"("title": "A")", "a.b", "a.b").ok);
    EXPECT_FALSE(Load(folder, R"("title": "A")", "other", "other").ok);   // looks for other.json
}

TEST(Settings, BadFilesAreRefusedWithAMessageNamingTheFile)
{
    struct Case
    {
        const char* contents;
        const char* cause;
    };
    const Case cases[] = {
        {"{ not json", "parse error"},
        {R"({"window_settings": {}})", "title"},
        {R"({"window_settings": {"title": 5}})", "type must be string"},
        {R"({})", "window_settings"},
        {R"([1, 2])", "JSON object"},
        {R"({"window_settings": {"title": "T", "window_size": {"w": -1, "h": 720}}})", "window_size.w"},
        {R"({"window_settings": {"title": "T", "render_size": {"w": 1280, "h": 0}}})", "render_size.h"},
        {R"({"window_settings": {"title": "T", "render_size": {"w": 12.5, "h": 10}}})", "whole number"},
        {R"({"window_settings": {"title": "T", "borderless": "yes"}})", "borderless"},
        {R"({"window_settings": {"title": "T", "debug_features": [1]}})", "debug_features"},
        {R"({"assets_path": {"engine": "e"}, "window_settings": {"title": "T"}})", "assets_path"},
    };
    for (const Case& c : cases)
    {
        QelTest::TempFolder folder;
        folder.Write("settings/Game.json", c.contents);
        EngineCreateParameters parameters;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(Settings::LoadSettingsFrom(folder.Path(), "Game.json", parameters)) << c.contents;
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find("settings/Game.json"), std::string::npos) << message;
        EXPECT_NE(message.find(c.cause), std::string::npos) << message;
    }
    QelTest::TempFolder empty;
    EngineCreateParameters parameters;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Settings::LoadSettingsFrom(empty.Path(), "Game.json", parameters));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Could not open"), std::string::npos);
}

TEST(Settings, AssetPathsResolveDataThenGameThenEngine)
{
    QelTest::TempFolder folder;
    folder.Write("settings/Game.json", R"({"assets_path": {"engine": "eng", "game": "./g/../game", "cooked": "c"},
        "window_settings": {"title": "T"}})");
    EngineCreateParameters parameters;
    ASSERT_TRUE(Settings::LoadSettingsFrom(folder.Path(), "Game", parameters));
    Settings::GetExecutableFolder() = folder.Path();
    EXPECT_EQ(Settings::GetGameAssetsPath(), (folder.Path() / "game").lexically_normal());
    EXPECT_EQ(Settings::GetCookedAssetsPath(), (folder.Path() / "c").lexically_normal());

    folder.Write("data/both.txt", "d");
    folder.Write("game/both.txt", "g");
    folder.Write("game/sub/only_game.txt", "g");
    folder.Write("eng/only_engine.txt", "e");
    folder.Write("eng/sub/only_game.txt", "e");
    EXPECT_EQ(ResolveAssetPath("both.txt"), (folder.Path() / "data" / "both.txt").string());
    EXPECT_EQ(ResolveAssetPath("sub/only_game.txt"), (Settings::GetGameAssetsPath() / "sub/only_game.txt").string());
    EXPECT_EQ(ResolveAssetPath("sub\\only_game.txt"), (Settings::GetGameAssetsPath() / "sub/only_game.txt").string());
    EXPECT_EQ(ResolveAssetPath("/only_engine.txt"), (Settings::GetEngineAssetsPath() / "only_engine.txt").string());
    EXPECT_EQ(ResolveAssetPath("missing.txt"), "");
    EXPECT_EQ(ResolveAssetPath(""), "");

    Settings::GetGameAssetsPath().clear();
    Settings::GetEngineAssetsPath().clear();
    EXPECT_EQ(ResolveAssetPath("sub/only_game.txt"), "");
    Settings::GetExecutableFolder().clear();
}
