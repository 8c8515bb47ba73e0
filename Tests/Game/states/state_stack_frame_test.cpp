// The state stack on the real engine (SDL's offscreen driver, Mesa): whole frames as Go runs
// them, counted for allocations and drawn sprites.
#include "FlowFixture.h"
#include "StateStack.h"
#include "TestSupport.h"
#include "drawers/SpriteDrawer.h"
#include "engine/Engine.h"
#include "graphics/GraphicsEngine.h"
#include "settings/Settings.h"
#include "window/Window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

using namespace Qel;

#include "CountingAllocator.h"
using QelTest::ourAllocations;

namespace
{
class ScriptedState final : public State
{
public:
    void Init() override {}
    StateCommand Update(const UpdateContext&) override
    {
        const StateCommand command = myNext;
        myNext = {};
        return command;
    }
    void Render() override {}
    StateCommand myNext;
};

class StateStackFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EngineCreateParameters& parameters = Settings::GetEngineCreateParameters();
        parameters = EngineCreateParameters{};
        const char* binFolder = std::getenv("QEL_BIN_DIR");
        ASSERT_NE(binFolder, nullptr);
        ASSERT_TRUE(Settings::LoadSettingsFrom(binFolder, "Game.json", parameters));
        Settings::GetExecutableFolder() = binFolder;
        parameters.myWindowWidth = parameters.myRenderWidth = 320;
        parameters.myWindowHeight = parameters.myRenderHeight = 200;
        Platform::ResetMessageQueue();
        mySavedGameRoot = Settings::GetGameAssetsPath();
        Settings::GetGameAssetsPath() = myLevels.Path();
        myLevels.Write("scenes/game_scenes/level1.qls", "{}");
        myLevels.Write("scenes/game_scenes/level1.leveldata/a.json", "{}");
        ASSERT_TRUE(Engine::Start());
        myEngine = Engine::GetInstance();
        myInput = std::make_unique<InputManager>(myEngine->GetWindowHandle()->myWindowHandle);
        myStack = std::make_unique<StateStack>();
        myStack->Init();
    }
    void TearDown() override
    {
        myStack.reset();
        myInput.reset();
        Engine::Shutdown();
        Settings::GetGameAssetsPath() = mySavedGameRoot;
        Settings::GetEngineCreateParameters() = EngineCreateParameters{};
    }

    void Frame()
    {
        ASSERT_TRUE(myEngine->BeginFrame());
        myInput->Update();
        myGamepad.Update();
        myStack->Update(1.0f / 64.0f, *myInput, myGamepad);
        myStack->Render();
        myEngine->EndFrame();
    }
    long AllocationsOver(int aFrames)
    {
        const long before = ourAllocations.load();
        for (int i = 0; i < aFrames; ++i)
            Frame();
        return ourAllocations.load() - before;
    }
    u64 SpritesDrawn() const { return myEngine->GetGraphicsEngine()->GetSpriteDrawer()->GetStatistics().myInstances; }

    QelTest::TempFolder myLevels;
    std::filesystem::path mySavedGameRoot;
    FlowTest::RecordedAudio myAudio;
    FlowTest::FakePad myPad;
    Engine* myEngine = nullptr;
    std::unique_ptr<InputManager> myInput;
    XInputController myGamepad;
    std::unique_ptr<StateStack> myStack;
};
}

TEST_F(StateStackFrameTest, AnIdleScreenFrameAllocatesNothing)
{
    for (int i = 0; i < 5; ++i)   // warm up: the first resize, driver caches
        Frame();
    EXPECT_EQ(AllocationsOver(50), 0);
}

TEST_F(StateStackFrameTest, FadesAndTheLoadingScreenAllocateNothingPerFrame)
{
    ScriptedState screen;
    myStack->PushForTesting(screen);
    for (int i = 0; i < 5; ++i)
        Frame();
    // A whole fade over the screen, and back.
    screen.myNext = MakeCommand(COMMAND_NONE, true);
    Frame();
    ASSERT_EQ(myStack->GetTop(), &myStack->GetTransition());
    EXPECT_EQ(AllocationsOver(28), 0);
    ASSERT_EQ(myStack->GetTop(), &screen);
    // The loading screen waiting out its minimum time.
    screen.myNext = MakeLevelCommand(COMMAND_START_LEVEL, StringId("scenes/game_scenes/level1.qls"), false);
    for (int i = 0; i < 5; ++i)
        Frame();
    ASSERT_EQ(myStack->GetTop(), &myStack->GetLoadingScreen());
    ASSERT_TRUE(myStack->GetLoadingScreen().IsLevelReady());
    EXPECT_EQ(AllocationsOver(50), 0);
}

TEST_F(StateStackFrameTest, TheFadeDrawsItsBlackSpriteOverTheScreenEachFrame)
{
    ScriptedState screen;
    myStack->PushForTesting(screen);
    Frame();
    const u64 idle = SpritesDrawn();
    Frame();
    // What the screens beneath (the first logo) draw each frame on their own.
    const u64 screens = SpritesDrawn() - idle;
    screen.myNext = MakeCommand(COMMAND_NONE, true);
    Frame();
    u64 drawn = SpritesDrawn();
    EXPECT_EQ(drawn, idle + 2 * screens + 1);
    for (int i = 0; i < 10; ++i)
    {
        Frame();
        EXPECT_EQ(SpritesDrawn(), drawn + screens + 1);
        drawn = SpritesDrawn();
    }
    // Fullscreen black, whatever size the window took.
    const auto [width, height] = myEngine->GetRenderSize();
    const Sprite2DInstanceData& black = myStack->GetTransition().GetSprite().GetData();
    EXPECT_FLOAT_EQ(black.mySize.x, static_cast<float>(width));
    EXPECT_FLOAT_EQ(black.mySize.y, static_cast<float>(height));
    EXPECT_FLOAT_EQ(black.myPosition.x, static_cast<float>(width) * 0.5f);
    EXPECT_GT(black.myColor.a, 0.0f);
}
