// The whole game on recorded input, on the GL device with its models and clips (the ending
// lasts as long as its clip) but drawing nothing: boot through the logos, the main menu and the
// intro film into level 1, every level to its goal, level 6's ending and the ending credits.
// Each level's end (player position, score, batteries, lives, clock, deaths, frames) is
// compared with Tests/data/playthrough/expected.txt; a change in the gameplay shows there.
// After a deliberate change, QEL_PLAYTHROUGH_UPDATE=1 rewrites the expected file (and the run
// must still reach the credits). New scripts come from build/tools/playthrough search.
#include "Playthrough.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace Playthrough;

namespace
{
namespace fs = std::filesystem;
// Fades and the level's load after the boot script's last key.
constexpr int BOOT_AFTER_KEYS = 2 * FRAMES_PER_SECOND;

fs::path ScriptFolder() { return fs::path(std::getenv("QEL_TEST_DATA")) / "playthrough"; }
fs::path ExpectedFile() { return ScriptFolder() / "expected.txt"; }

void LoadScripts(Game& aGame)
{
    Script script;
    std::string error;
    ASSERT_TRUE(script.Load(BootScriptPath(ScriptFolder()), error)) << error;
    aGame.SetBootScript(script);
    for (int level = 1; level <= LEVEL_COUNT; ++level)
    {
        ASSERT_TRUE(script.Load(LevelScriptPath(ScriptFolder(), level), error)) << error;
        aGame.SetLevelScript(level, script);
    }
}
}

TEST(PlayScript, LinesReadAsKeysHeldForSeconds)
{
    const struct
    {
        const char* text;
        bool ok;
        std::vector<Step> steps;
    } cases[] = {
        {"right 2.5\n", true, {{KEY_RIGHT, 150}}},
        {"# c\n\nright+jump 0.4  # hop\nwait 1\n", true, {{KEY_RIGHT | KEY_JUMP, 24}, {0, 60}}},
        {"left 0.1\nleft 0.1\nrun+down+esc+enter+up 0.05", true, {{KEY_LEFT, 12}, {KEY_RUN | KEY_DOWN | KEY_ESC | KEY_ENTER | KEY_UP, 3}}},
        {"right\n", false, {}},
        {"right -1\n", false, {}},
        {"fly 1\n", false, {}},
        {"right+ 1\n", false, {}},
        {"right 1 2\n", false, {}},
        {"right 1s\n", false, {}},
        {"right nan\n", false, {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        Script script;
        std::string error;
        EXPECT_EQ(script.Parse(c.text, "test.txt", error), c.ok);
        EXPECT_EQ(error.find("test.txt:") == 0, !c.ok) << error;
        ASSERT_EQ(script.GetSteps().size(), c.steps.size());
        for (size_t i = 0; i < c.steps.size(); ++i)
        {
            EXPECT_EQ(script.GetSteps()[i].myKeys, c.steps[i].myKeys);
            EXPECT_EQ(script.GetSteps()[i].myFrames, c.steps[i].myFrames);
        }
        // Written out and read back, the same frames.
        Script again;
        ASSERT_TRUE(again.Parse(script.Format("# header\n"), "again", error)) << error;
        ASSERT_EQ(again.GetFrameCount(), script.GetFrameCount());
        for (int frame = 0; frame < script.GetFrameCount(); ++frame)
            EXPECT_EQ(again.KeysAt(frame), script.KeysAt(frame));
    }
}

TEST(LevelEnd, LinesRoundTripAndAHandEditShows)
{
    LevelEnd end;
    end.myLevel = 3;
    end.myFrames = 1234;
    end.myX = -5;
    end.myScore = 4200;
    end.myTimerFrames = 9000;
    LevelEnd read;
    ASSERT_TRUE(read.Parse(end.Format()));
    EXPECT_EQ(read.Differences(end), "");
    std::string edited = end.Format();
    edited.replace(edited.find("score=4200"), 10, "score=4300");
    EXPECT_FALSE(read.Parse(edited)) << "the hash no longer matches the fields";
    read.myScore = 4300;
    EXPECT_EQ(read.Differences(end), "score 4300 (expected 4200)");
    EXPECT_FALSE(read.Parse("level=1 frames=2"));
}

TEST(LevelEnd, AnExpectedFileNeedsEveryLevelInOrder)
{
    std::string good = "# ends\n";
    for (int level = 1; level <= LEVEL_COUNT; ++level)
    {
        LevelEnd end;
        end.myLevel = level;
        end.myScore = 100 * level;
        good += end.Format() + "\n";
    }
    const std::string second = good.substr(good.find("level=2"), good.find("level=3") - good.find("level=2"));
    std::string swapped = good;
    swapped.erase(swapped.find("level=2"), second.size());
    swapped += second;
    const struct
    {
        const char* what;
        std::string text;
        const char* error;
    } cases[] = {
        {"every level", good, ""},
        {"one level short", good.substr(0, good.find("level=6")), "5 levels"},
        {"out of order", swapped, "expected the end of level 2"},
        {"one level too many", good + second, "expected the end of level 7"},
        {"a field edited", std::string(good).replace(good.find("score=300"), 9, "score=301"), ":4: expected"},
    };
    QelTest::TempFolder folder;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::array<LevelEnd, LEVEL_COUNT> ends{};
        std::string error;
        const bool ok = LoadExpectedEnds(folder.Write("expected.txt", c.text), ends, error);
        EXPECT_EQ(ok, std::string(c.error).empty());
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        if (ok)
            for (int level = 1; level <= LEVEL_COUNT; ++level)
                EXPECT_EQ(ends[static_cast<size_t>(level - 1)].myScore, 100 * level);
        else
            EXPECT_NE(error.find("expected.txt"), std::string::npos) << error;
    }
}

TEST(Playthrough, FromTheLogosThroughEveryLevelToTheEndingCredits)
{
    const char* bin = std::getenv("QEL_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    Game game(bin, true, 1280, 720);
    ASSERT_TRUE(game.HasEngine()) << game.GetFailure();
    LoadScripts(game);
    game.Boot();
    // The boot script skips the logos and the film: level 1 starts soon after its last key.
    ASSERT_TRUE(game.RunLevelTo(1, 0)) << game.GetFailure();
    Script boot;
    std::string error;
    ASSERT_TRUE(boot.Load(BootScriptPath(ScriptFolder()), error)) << error;
    EXPECT_LE(game.GetBootFrames(), boot.GetFrameCount() + BOOT_AFTER_KEYS) << "the film was not skipped";
    game.RunToCredits();
    ASSERT_TRUE(game.GetPhase() == Game::Phase::Credits) << game.GetFailure();
    EXPECT_EQ(game.GetStack().GetTop(), &game.GetStack().GetEndingCredits());
    // The credits show the run as the last level left it.
    const EndingCreditsState& credits = game.GetStack().GetEndingCredits();
    EXPECT_EQ(credits.GetScore(), game.GetEnd(LEVEL_COUNT).myScore);
    EXPECT_EQ(credits.GetBatteries(), game.GetEnd(LEVEL_COUNT).myBatteries);

    std::string lines;
    for (int level = 1; level <= LEVEL_COUNT; ++level)
        lines += game.GetEnd(level).Format() + "\n";
    std::printf("%s%d frames, %d of them before level 1\n", lines.c_str(), game.GetTotalFrames(), game.GetBootFrames());
    if (const char* update = std::getenv("QEL_PLAYTHROUGH_UPDATE"); update && std::string(update) == "1")
    {
        std::ofstream(ExpectedFile(), std::ios::binary)
            << "# Each level's end on the recorded playthrough; rewritten by QEL_PLAYTHROUGH_UPDATE=1.\n" << lines;
        return;
    }
    std::array<LevelEnd, LEVEL_COUNT> expected;
    ASSERT_TRUE(LoadExpectedEnds(ExpectedFile(), expected, error)) << error << " (QEL_PLAYTHROUGH_UPDATE=1 writes it)";
    for (int level = 1; level <= LEVEL_COUNT; ++level)
        EXPECT_EQ(game.GetEnd(level).Differences(expected[static_cast<size_t>(level - 1)]), "")
            << "level " << level << " ended differently";
}
