// The recorded playthrough again on the GL device, drawing only the frames it keeps: each
// level at its start, half-way through its script and at its goal, the ending and the ending
// credits, saved as PNG into QEL_ARTIFACTS (build/test_artifacts/playthrough).
#include "Playthrough.h"

#include "GameWorld.h"
#include "Objects/PlayObjects.h"

#include "engine/Engine.h"
#include "graphics/DX11.h"

#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <cstdlib>

using namespace Playthrough;

namespace
{
namespace fs = std::filesystem;
constexpr int WIDTH = 1280;
constexpr int HEIGHT = 720;
constexpr int START_FRAME = 3 * FRAMES_PER_SECOND;
constexpr int ENDING_FRAMES = 6 * FRAMES_PER_SECOND;   // its camera has risen and zoomed in on the figure
constexpr int CREDITS_FRAMES = 6 * FRAMES_PER_SECOND;
}

TEST(PlaythroughPictures, EveryLevelAtItsStartMiddleAndGoal)
{
    const char* bin = std::getenv("QEL_BIN_DIR");
    const char* artifacts = std::getenv("QEL_ARTIFACTS");
    ASSERT_NE(bin, nullptr);
    ASSERT_NE(artifacts, nullptr);
    const fs::path scripts = fs::path(std::getenv("QEL_TEST_DATA")) / "playthrough";
    const fs::path folder = fs::absolute(artifacts);
    fs::create_directories(folder);

    Game game(bin, true, WIDTH, HEIGHT);
    ASSERT_TRUE(game.HasEngine()) << game.GetFailure();
    Script script;
    std::string error;
    ASSERT_TRUE(script.Load(BootScriptPath(scripts), error)) << error;
    game.SetBootScript(script);
    for (int level = 1; level <= LEVEL_COUNT; ++level)
    {
        ASSERT_TRUE(script.Load(LevelScriptPath(scripts, level), error)) << error;
        game.SetLevelScript(level, script);
    }
    std::string picture;
    int saved = 0;
    game.SetBeforePresent([&] {
        Qel::Engine* engine = Qel::Engine::GetInstance();
        std::vector<Qel::u8> pixels = engine->GetDX11()->ReadBackBufferRGBA8();
        // The game applies its saved window size as it starts: the picture is the size it draws at.
        int width = 0, height = 0;
        for (const auto& [w, h] : {engine->GetWindowSize(), engine->GetRenderSize()})
            if (static_cast<size_t>(w) * h * 4 == pixels.size() && !pixels.empty())
            {
                width = static_cast<int>(w);
                height = static_cast<int>(h);
                break;
            }
        if (width == 0)
            return;
        // The back buffer reads bottom row first.
        stbi_flip_vertically_on_write(1);
        saved += stbi_write_png((folder / (picture + ".png")).string().c_str(), width, height, 4, pixels.data(),
                                width * 4) != 0;
    });
    game.Boot();
    const GameWorld& world = game.GetPlay().GetWorld();
    for (int level = 1; level <= LEVEL_COUNT; ++level)
    {
        SCOPED_TRACE("level " + std::to_string(level));
        const std::string name = "level" + std::to_string(level);
        const int middle = game.GetLevelScript(level).GetFrameCount() / 2;
        // The start once the entry zipline has let go, and half-way through the script.
        for (const auto& [at, what] : {std::pair{START_FRAME, "_start"}, std::pair{middle, "_mid"}})
        {
            ASSERT_TRUE(game.RunLevelTo(level, at - 1)) << game.GetFailure();
            picture = name + what;
            game.Frame(true);
        }
        // The goal as the player reaches it: the frame after its touch stopped the clock.
        while (game.GetPhase() == Game::Phase::Level && game.GetLevel() == level && !game.HasLevelEnded(level) &&
               !PlayObjects::IsLevelClockStopped(world))
            game.Frame();
        ASSERT_TRUE(PlayObjects::IsLevelClockStopped(world)) << game.GetFailure();
        picture = name + "_goal";
        game.Frame(true);
    }
    // The ending once its camera rests on the risen figure, then the credits typed out for a while.
    for (int frame = 0; frame < ENDING_FRAMES && PlayObjects::FindPlayingEnding(world); ++frame)
        game.Frame();
    ASSERT_NE(PlayObjects::FindPlayingEnding(world), nullptr) << "the ending was over within its first seconds";
    picture = "ending";
    game.Frame(true);
    game.RunToCredits();
    ASSERT_TRUE(game.GetPhase() == Game::Phase::Credits) << game.GetFailure();
    for (int frame = 0; frame < CREDITS_FRAMES; ++frame)
        game.Frame();
    picture = "credits";
    game.Frame(true);
    EXPECT_EQ(game.GetStack().GetTop(), &game.GetStack().GetEndingCredits());
    EXPECT_EQ(saved, 3 * LEVEL_COUNT + 2);
    // Drawing, and the models and clips the device brings, change nothing of the play.
    std::array<LevelEnd, LEVEL_COUNT> expected;
    ASSERT_TRUE(LoadExpectedEnds(scripts / "expected.txt", expected, error)) << error;
    for (int level = 1; level <= LEVEL_COUNT; ++level)
        EXPECT_EQ(game.GetEnd(level).Differences(expected[static_cast<size_t>(level - 1)]), "")
            << "level " << level << " ended differently on the GL device";
}
