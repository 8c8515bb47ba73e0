// The six shipped levels in the real engine, loaded through the play screen's own load steps
// from the built asset tree: the factory builds every object without a content message, the
// camera spans zipline to goal, the chapter follows the level, the hero comes to rest on the
// ground, and a picture of each level's start, middle and goal is kept as a test artefact.
#include "GamePlayingState.h"
#include "InputMapper.h"
#include "StateStack.h"

#include "engine/Engine.h"
#include "graphics/DX11.h"
#include "input/InputManager.h"
#include "input/XInputController.h"
#include "model/ModelFactory.h"
#include "platform/Platform.h"
#include "scene/ObjectDefinition.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
constexpr float DT = 1.0f / 60.0f;
constexpr int WIDTH = 640;
constexpr int HEIGHT = 360;

std::string LevelPath(int aLevel) { return "scenes/game_scenes/level" + std::to_string(aLevel) + ".qls"; }

class LevelPlay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Qel::EngineCreateParameters& parameters = Qel::Settings::GetEngineCreateParameters();
        parameters = Qel::EngineCreateParameters{};
        const char* bin = std::getenv("QEL_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        ASSERT_TRUE(Qel::Settings::LoadSettingsFrom(bin, "Game.json", parameters));
        Qel::Settings::GetExecutableFolder() = bin;
        parameters.myWindowWidth = parameters.myRenderWidth = WIDTH;
        parameters.myWindowHeight = parameters.myRenderHeight = HEIGHT;
        parameters.myEnableVsync = 0;
        parameters.myDebugFeatures = 0;
        Qel::Platform::ResetMessageQueue();
        ASSERT_TRUE(Qel::Engine::Start());
        myRoot = Qel::Settings::GetGameAssetsPath();
        Qel::GetObjectDefinitionManager().LoadAll(myRoot.string());
        StateStack::BindInputs(myActions);
        myPlay.Init();
    }
    void TearDown() override
    {
        Qel::DestroyModelFactory();
        Qel::Engine::Shutdown();
        Qel::Settings::GetEngineCreateParameters() = Qel::EngineCreateParameters{};
    }

    int Load(const std::string& aPath)
    {
        myPlay.SetTimer(300.0f);
        myPlay.RequestLevel(Qel::StringId(aPath));
        int steps = 0;
        while (myPlay.IsLoadPending() && steps < 1000)
        {
            if (!myPlay.LoadStep())
                return -1;
            ++steps;
        }
        return steps;
    }

    // One frame of play and drawing; with a picture name, the frame is also saved.
    void Frame(const std::string& aPicture = "")
    {
        Qel::Engine& engine = *Qel::Engine::GetInstance();
        ASSERT_TRUE(engine.BeginFrame());
        myActions.Update(myInput, myGamepad, DT);
        UpdateContext context;
        context.myActions = &myActions;
        context.myDeltaTime = DT;
        context.myInput = &myInput;
        myPlay.Update(context);
        myPlay.Render();
        if (!aPicture.empty())
            Save(aPicture, engine.GetDX11()->ReadBackBufferRGBA8());
        engine.EndFrame();
    }

    static void Save(const std::string& aName, std::vector<Qel::u8> somePixels)
    {
        const char* folder = std::getenv("QEL_ARTIFACTS");
        if (!folder || somePixels.size() != static_cast<size_t>(WIDTH * HEIGHT * 4))
            return;
        std::filesystem::create_directories(folder);
        // The back buffer reads bottom row first.
        stbi_flip_vertically_on_write(1);
        stbi_write_png((std::filesystem::path(folder) / (aName + ".png")).string().c_str(), WIDTH, HEIGHT, 4,
                       somePixels.data(), WIDTH * 4);
    }

    std::filesystem::path myRoot;
    Qel::InputManager myInput{nullptr};
    Qel::XInputController myGamepad;
    InputMapper myActions{0.4f, 0.9f};
    GamePlayingState myPlay;
};

TEST_F(LevelPlay, EveryLevelLoadsThroughThePlayScreenAndComesToRest)
{
    for (int level = 1; level <= 6; ++level)
    {
        SCOPED_TRACE("level " + std::to_string(level));
        ASSERT_GT(Load(LevelPath(level)), 1);
        EXPECT_EQ(myPlay.GetCurrentLevel().GetView(), LevelPath(level));
        EXPECT_EQ(myPlay.GetChapter(), level <= 3 ? 1 : 2);
        EXPECT_EQ(myPlay.GetLevel(), (level - 1) % 3 + 1);
        // Every kind is built, so any message is a content fault.
        for (const std::string& message : myPlay.GetWorld().GetContentReport().GetMessages())
            ADD_FAILURE() << message;
        // The vignette's picture comes with the menus' content; without it the frame shows the placeholder.
        if (!std::filesystem::exists(myRoot / "art/2d/Textures/VignetteTexture.dds"))
            myPlay.GetWorld().myVignetteSprite.mySkip = true;
        // Every tile of the level is in the map with its model.
        EXPECT_NE(myPlay.GetWorld().myTileMap.GetVisual(TileMap::WorldToCell({500.0f, 0.0f})), nullptr);
        // The camera runs from 400 right of the zipline to the goal, well apart.
        const auto& follow = myPlay.GetCameraFollow();
        EXPECT_NE(follow.myLeftBound, 500.0f) << "no zipline was found";
        EXPECT_LT(follow.myRightBound, 49150.0f) << "no goal was found";
        EXPECT_GT(follow.myRightBound - follow.myLeftBound, 7000.0f);
        const float right = follow.myRightBound;

        // The ride, level 1's forced run and the landing take well under five seconds.
        const Qel::i32 lives = myPlay.GetPlayerLives();
        for (int frame = 0; frame < 5 * 60; ++frame)
            Frame(frame == 5 * 60 - 1 ? "level" + std::to_string(level) + "_start" : "");
        const Player& hero = myPlay.GetWorld().myPlayer;
        EXPECT_FALSE(hero.IsRiding());
        EXPECT_TRUE(hero.IsGrounded());
        EXPECT_NEAR(hero.GetPosition().y, 50.0f, 1.0f);
        EXPECT_EQ(myPlay.GetPlayerLives(), lives);

        // Pictures of the middle and of the goal: the hero set down there, the camera catching up.
        for (const auto& [name, at] : {std::pair<std::string, float>{"mid", (follow.myLeftBound + right) / 2.0f}, {"goal", right - 400.0f}})
        {
            // Onto the nearest ground column at or left of the spot.
            float x = at;
            while (x > 0.0f && !myPlay.GetWorld().myTileMap.GetVisual(TileMap::WorldToCell({x, 0.0f})))
                x -= 100.0f;
            myPlay.GetWorld().myPlayer.SetPosition({x, 400.0f, 0.0f});
            for (int frame = 0; frame < 90; ++frame)
                Frame(frame == 89 ? "level" + std::to_string(level) + "_" + name : "");
        }
    }
}
}
