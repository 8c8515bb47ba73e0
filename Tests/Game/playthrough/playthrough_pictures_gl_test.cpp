// The recorded playthrough again on the GL device, drawing only the frames it keeps: each
// level at its start (a second in), half-way through its script and at its goal, saved as PNG
// into QEL_ARTIFACTS (build/test_artifacts/playthrough).
#include "Playthrough.h"

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
        std::vector<Qel::u8> pixels = Qel::Engine::GetInstance()->GetDX11()->ReadBackBufferRGBA8();
        if (pixels.size() != static_cast<size_t>(WIDTH * HEIGHT * 4))
            return;
        // The back buffer reads bottom row first.
        stbi_flip_vertically_on_write(1);
        saved += stbi_write_png((folder / (picture + ".png")).string().c_str(), WIDTH, HEIGHT, 4, pixels.data(),
                                WIDTH * 4) != 0;
    });
    game.Boot();
    for (int level = 1; level <= LEVEL_COUNT; ++level)
    {
        SCOPED_TRACE("level " + std::to_string(level));
        const std::string name = "level" + std::to_string(level);
        const int middle = game.GetLevelScript(level).GetFrameCount() / 2;
        for (const auto& [at, what] : {std::pair{FRAMES_PER_SECOND, "_start"}, std::pair{middle, "_mid"}})
        {
            ASSERT_TRUE(game.RunLevelTo(level, at - 1)) << game.GetFailure();
            picture = name + what;
            game.Frame(true);
        }
        game.RunLevelTo(level, 1 << 30);
        ASSERT_TRUE(game.HasLevelEnded(level)) << game.GetFailure();
        picture = name + "_goal";
        game.Frame(true);
    }
    EXPECT_EQ(saved, 3 * LEVEL_COUNT);
    game.RunToCredits();
    EXPECT_EQ(game.GetPhase(), Game::Phase::Credits) << game.GetFailure();
}
