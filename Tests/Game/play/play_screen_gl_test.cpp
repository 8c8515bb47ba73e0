// The play screen in the real engine on the offscreen driver: a loaded level's blocks and
// scenery are drawn with their models where the camera frames them, and the HUD draws its texts.
#include "GamePlayingState.h"
#include "GameGlobals.h"
#include "InputMapper.h"
#include "StateStack.h"

#include "TestSupport.h"
#include "engine/Engine.h"
#include "graphics/DX11.h"
#include "input/InputManager.h"
#include "model/ModelFactory.h"
#include "platform/Platform.h"
#include "scene/ObjectDefinition.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

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

namespace
{
constexpr int WIDTH = 320;
constexpr int HEIGHT = 180;

class PlayScreenGL : public ::testing::Test
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

        // A level of its own: a block at the middle of the first view, scenery behind it.
        myGameRoot = Qel::Settings::GetGameAssetsPath();
        Qel::Settings::GetGameAssetsPath() = myRoot.Path();
        const std::string flags = ", \"is-dynamic\": false, \"is-per-instance\": false}";
        myRoot.Write("objects/QLO_GLBlock.qlo",
                     "{\"parent-object-definition\": \"\", \"properties\": ["
                     "{\"name\": \"Object Tag\", \"type\": \"Object Tag\", \"value\": 9" + flags + ", "
                     "{\"name\": \"Model\", \"type\": \"Model\", \"value\": {\"path\": \"Cube\"}" + flags + "]}");
        myRoot.Write("objects/QLO_GLBackdrop.qlo",
                     "{\"parent-object-definition\": \"\", \"properties\": ["
                     "{\"name\": \"Model\", \"type\": \"Model\", \"value\": {\"path\": \"Cube\"}" + flags + "]}");
        myRoot.Write("scenes/gl/level2.qls", "");
        myRoot.Write("scenes/gl/level2.leveldata/00000000-0000-0000-0000-000000000001",
                     R"({"object-definition": "QLO_GLBlock", "translation": [500, 700, 0]})");
        myRoot.Write("scenes/gl/level2.leveldata/00000000-0000-0000-0000-000000000002",
                     R"({"object-definition": "QLO_GLBackdrop", "translation": [900, 700, 200], "scale": [2, 2, 2]})");
        Qel::GetObjectDefinitionManager().LoadAll(myRoot.Path().string());
        // The HUD's icons as the build made them.
        for (const char* icon : {"T_UI_LifeIcon.png", "T_UI_BatteryIcon.png", "T_UI_LifeIncreaseIcon.dds"})
        {
            const std::filesystem::path from = myGameRoot / "art/2d/Textures" / icon;
            ASSERT_TRUE(std::filesystem::exists(from)) << from;
            std::filesystem::create_directories(myRoot.Path() / "art/2d/Textures");
            std::filesystem::copy_file(from, myRoot.Path() / "art/2d/Textures" / icon);
        }
    }
    void TearDown() override
    {
        Qel::Settings::GetGameAssetsPath() = myGameRoot;
        Qel::Engine::Shutdown();
        Qel::Settings::GetEngineCreateParameters() = Qel::EngineCreateParameters{};
    }

    std::array<Qel::u8, 4> Pixel(const std::vector<Qel::u8>& aPixels, int aX, int aY)
    {
        const size_t at = (static_cast<size_t>(aY) * WIDTH + static_cast<size_t>(aX)) * 4;
        return {aPixels[at], aPixels[at + 1], aPixels[at + 2], aPixels[at + 3]};
    }

    QelTest::TempFolder myRoot;
    std::filesystem::path myGameRoot;
};

TEST_F(PlayScreenGL, TheLevelsModelsDrawWhereTheCameraFramesThemWithoutAllocating)
{
    Qel::Engine& engine = *Qel::Engine::GetInstance();
    GamePlayingState play;
    InputMapper actions{0.4f, 0.9f};
    StateStack::BindInputs(actions);
    Qel::InputManager input{nullptr};
    play.Init();
    play.SetTimer(300.0f);
    play.RequestLevel(Qel::StringId(std::string("scenes/gl/level2.qls")));
    while (play.IsLoadPending())
        ASSERT_TRUE(play.LoadStep());
    ASSERT_EQ(play.GetWorld().myGenericModels.size(), 1u);
    ASSERT_TRUE(play.GetWorld().myGenericModels[0].HasModel());
    ASSERT_NE(play.GetWorld().myTileMap.GetVisual(TileMap::WorldToCell({500.0f, 700.0f})), nullptr);
    // The vignette darkens the edges; its picture is not part of this level's asset root.
    play.GetWorld().myVignetteSprite.mySkip = true;
    // The level has no floor: the player is held at the origin.
    play.GetWorld().myPlayer.Lock();

    std::vector<Qel::u8> pixels;
    long frameAllocations = 0;
    for (int frame = 0; frame < 120; ++frame)
    {
        ASSERT_TRUE(engine.BeginFrame());
        UpdateContext context;
        context.myActions = &actions;
        context.myDeltaTime = 1.0f / 60.0f;
        context.myInput = &input;
        const long before = ourAllocations.load();
        const StateCommand command = play.Update(context);
        play.Render();
        // After the first frames (fonts, shaders and buffers made on first use) none allocates.
        if (frame >= 60)
            frameAllocations += ourAllocations.load() - before;
        ASSERT_EQ(command.myCode, COMMAND_NONE);
        if (frame == 119)
            pixels = engine.GetDX11()->ReadBackBufferRGBA8();
        engine.EndFrame();
    }
    EXPECT_EQ(frameAllocations, 0);
    // The player stands at the origin: the camera rests on the left bound, 500, at height 700.
    const Qel::Vector3f eye = play.GetWorld().myCamera->GetPosition();
    EXPECT_NEAR(eye.x, 500.0f, 1.0f);
    EXPECT_FLOAT_EQ(eye.y, 700.0f);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(WIDTH * HEIGHT * 4));

    const std::array<Qel::u8, 4> clear = Pixel(pixels, 5, 5);
    auto differs = [&](const std::array<Qel::u8, 4>& aPixel)
    { return std::abs(aPixel[0] - clear[0]) + std::abs(aPixel[1] - clear[1]) + std::abs(aPixel[2] - clear[2]) > 30; };
    // The block at the middle of the view, the larger backdrop 400 units to its right.
    EXPECT_TRUE(differs(Pixel(pixels, WIDTH / 2, HEIGHT / 2)));
    const int backdropX = WIDTH / 2 + static_cast<int>(400.0f / (1400.0f * WIDTH / HEIGHT) * WIDTH);
    EXPECT_TRUE(differs(Pixel(pixels, backdropX, HEIGHT / 2)));
    // Between them, and far below, the background shows.
    EXPECT_FALSE(differs(Pixel(pixels, WIDTH / 2 + 25, HEIGHT / 2)));
    EXPECT_FALSE(differs(Pixel(pixels, WIDTH / 2, 20)));
    // The lives icon sits at the top middle, scaled with the HUD's texts.
    EXPECT_TRUE(differs(Pixel(pixels, WIDTH / 2, static_cast<int>(0.9f * HEIGHT))));
    EXPECT_FALSE(differs(Pixel(pixels, WIDTH / 2, static_cast<int>(0.9f * HEIGHT) - 12)));
    Qel::DestroyModelFactory();
}
}
