// Finds or replays the playthrough's input scripts, on the real game run headless (no device:
// forked copies of a process with a GL context would hang).
//
//     playthrough replay-gl <bin folder> <script folder>
//         plays boot.txt and level1..6.txt on the GL device, with the game's models and clips,
//         and prints each level's end (the lines the playthrough test keeps as expected values)
//         and the frames it took; replay does the same headless, as the search sees the game
//         (without clips the ending is shorter: its frames differ).
//     playthrough search <bin folder> <script folder> <level> [seconds]
//         plays the scripts before the level, then searches the level's keys a quarter second
//         at a time and writes levelN.txt when a run reaches the goal (or the ending).
//
// The search is greedy with backtracking: every choice of keys is tried in a forked copy of the
// game (the process is the saved state), each followed by a few short continuations, and
// ranked by how far right the player got alive; the best is taken, and when every choice
// after it dies, the next best. Only what a player could press is pressed.
#include "Playthrough.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace Playthrough;

namespace
{
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int WIDTH = 1280;
constexpr int HEIGHT = 720;
constexpr int CHUNK = 15;            // frames a choice holds its keys
constexpr int LOOKAHEAD = 45;        // frames of each continuation
constexpr int TRIED_PER_NODE = 3;    // choices a node falls back on before it gives up
constexpr double DEAD = -1e9;

const Qel::u32 CHOICES[] = {
    KEY_RIGHT,
    KEY_RIGHT | KEY_JUMP,
    KEY_RIGHT | KEY_RUN,
    KEY_RIGHT | KEY_RUN | KEY_JUMP,
    KEY_JUMP,
    0,
    KEY_LEFT,
    KEY_LEFT | KEY_JUMP,
};
// Keys for a part of the lookahead, then others for the rest (a hop, then standing still).
struct Continuation
{
    Qel::u32 myFirst;
    int myFirstFrames;
    Qel::u32 myThen;
};
const Continuation CONTINUATIONS[] = {
    {KEY_RIGHT, LOOKAHEAD, 0},
    {KEY_RIGHT | KEY_JUMP, LOOKAHEAD, 0},
    {KEY_RIGHT | KEY_RUN | KEY_JUMP, LOOKAHEAD, 0},
    {0, LOOKAHEAD, 0},
    {KEY_RIGHT | KEY_JUMP, 20, 0},
    {KEY_RIGHT | KEY_RUN | KEY_JUMP, 20, 0},
    {KEY_JUMP, 20, 0},
    {KEY_RIGHT, 10, 0},
};

bool LoadScripts(Game& aGame, const fs::path& aFolder, int aUpTo)
{
    Script script;
    std::string error;
    if (fs::exists(BootScriptPath(aFolder)) && !script.Load(BootScriptPath(aFolder), error))
    {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    aGame.SetBootScript(script);
    for (int level = 1; level <= aUpTo; ++level)
    {
        script.Clear();
        if (fs::exists(LevelScriptPath(aFolder, level)) && !script.Load(LevelScriptPath(aFolder, level), error))
        {
            std::fprintf(stderr, "%s\n", error.c_str());
            return false;
        }
        aGame.SetLevelScript(level, script);
    }
    return true;
}

int Replay(const fs::path& aBin, const fs::path& aScripts, bool aEngine)
{
    Game game(aBin, aEngine, WIDTH, HEIGHT);
    if (!LoadScripts(game, aScripts, LEVEL_COUNT))
        return 1;
    const auto start = Clock::now();
    game.Boot();
    game.RunToCredits();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    for (int level = 1; level <= LEVEL_COUNT; ++level)
        if (game.HasLevelEnded(level))
            std::printf("%s\n", game.GetEnd(level).Format().c_str());
    std::printf("%d frames (%d before level 1) in %.1f s%s%s\n", game.GetTotalFrames(), game.GetBootFrames(), seconds,
                game.GetPhase() == Game::Phase::Credits ? ", ending credits reached" : ", failed: ",
                game.GetFailure().c_str());
    return game.GetPhase() == Game::Phase::Credits ? 0 : 1;
}

struct Search
{
    Game& myGame;
    int myLevel;
    fs::path myOut;
    Clock::time_point myDeadline;
    int myMaxFrames;
    std::string myHeader;

    // How far a state is worth: the goal above all, then the player's x; dead is worthless.
    double Worth(int aDeathsBefore, Qel::u32 aPowerUpBefore) const
    {
        if (myGame.GetPhase() == Game::Phase::Failed || myGame.GetDeaths() > aDeathsBefore)
            return DEAD;
        if (myGame.HasLevelEnded(myLevel))
            return 1e7 - myGame.GetEnd(myLevel).myFrames;
        const Player& hero = myGame.GetPlay().GetWorld().myPlayer;
        double worth = hero.GetPosition().x;
        if (hero.GetPowerUp() < aPowerUpBefore)
            worth -= 600.0;
        return worth;
    }

    // Runs aKeys for aFrames in this process; false once the level is over (either way).
    bool Hold(Qel::u32 aKeys, int aFrames)
    {
        Script& script = myGame.GetLevelScript(myLevel);
        const int from = script.GetFrameCount();
        script.Add(aKeys, aFrames);
        return myGame.RunLevelTo(myLevel, from + aFrames);
    }

    // Forks; the child runs aBody and sends back a number. The parent gets it (DEAD if lost).
    template <class Body>
    static double InChild(Body aBody)
    {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0)
            return DEAD;
        const pid_t child = fork();
        if (child == 0)
        {
            close(pipeEnds[0]);
            const double value = aBody();
            const ssize_t written = write(pipeEnds[1], &value, sizeof(value));
            _exit(written == sizeof(value) ? 0 : 1);
        }
        close(pipeEnds[1]);
        double value = DEAD;
        if (child < 0 || read(pipeEnds[0], &value, sizeof(value)) != sizeof(value))
            value = DEAD;
        close(pipeEnds[0]);
        if (child > 0)
            waitpid(child, nullptr, 0);
        return value;
    }

    double Evaluate(Qel::u32 aChoice)
    {
        const int deaths = myGame.GetDeaths();
        const Qel::u32 powerUp = myGame.GetPlay().GetWorld().myPlayer.GetPowerUp();
        return InChild([&] {
            Hold(aChoice, CHUNK);
            double best = Worth(deaths, powerUp);
            if (best == DEAD || myGame.HasLevelEnded(myLevel))
                return best;
            best = DEAD;
            for (const Continuation& next : CONTINUATIONS)
                best = std::max(best, InChild([&] {
                                    if (Hold(next.myFirst, next.myFirstFrames))
                                        Hold(next.myThen, LOOKAHEAD - next.myFirstFrames);
                                    return Worth(deaths, powerUp);
                                }));
            return best;
        });
    }

    // Exit statuses of a node's process: found the goal, stuck here, out of time.
    enum : int
    {
        FOUND = 0,
        STUCK = 1,
        OUT_OF_TIME = 2,
    };

    int Node()
    {
        if (myGame.HasLevelEnded(myLevel))
        {
            Script& script = myGame.GetLevelScript(myLevel);
            std::ofstream(myOut, std::ios::binary) << script.Format(myHeader);
            std::printf("found: %s\n", myGame.GetEnd(myLevel).Format().c_str());
            return FOUND;
        }
        if (Clock::now() > myDeadline)
            return OUT_OF_TIME;
        if (myGame.GetPhase() != Game::Phase::Level || myGame.GetLevelFrames() > myMaxFrames)
            return STUCK;

        std::vector<std::pair<double, Qel::u32>> ranked;
        for (const Qel::u32 choice : CHOICES)
            ranked.emplace_back(Evaluate(choice), choice);
        std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        const Player& hero = myGame.GetPlay().GetWorld().myPlayer;
        std::printf("frame %5d x %7.0f y %6.0f best %.0f\n", myGame.GetLevelFrames(), hero.GetPosition().x,
                    hero.GetPosition().y, ranked.front().first);
        std::fflush(stdout);
        for (int tried = 0; tried < TRIED_PER_NODE && ranked[static_cast<size_t>(tried)].first > DEAD; ++tried)
        {
            const Qel::u32 choice = ranked[static_cast<size_t>(tried)].second;
            const pid_t child = fork();
            if (child == 0)
            {
                Hold(choice, CHUNK);
                _exit(Node());
            }
            int status = 0;
            if (child < 0 || waitpid(child, &status, 0) < 0 || !WIFEXITED(status))
                return OUT_OF_TIME;
            if (WEXITSTATUS(status) != STUCK)
                return WEXITSTATUS(status);
            std::printf("back at frame %d\n", myGame.GetLevelFrames());
        }
        return STUCK;
    }
};

int SearchLevel(const fs::path& aBin, const fs::path& aScripts, int aLevel, double aSeconds)
{
    Game game(aBin, false, WIDTH, HEIGHT);
    if (!LoadScripts(game, aScripts, aLevel - 1))
        return 1;
    game.Boot();
    if (!game.RunLevelTo(aLevel, 0))
    {
        std::fprintf(stderr, "level %d was not reached: %s\n", aLevel, game.GetFailure().c_str());
        return 1;
    }
    Search search{game,
                  aLevel,
                  LevelScriptPath(aScripts, aLevel),
                  Clock::now() + std::chrono::milliseconds(static_cast<long>(aSeconds * 1000.0)),
                  240 * FRAMES_PER_SECOND,
                  "# Level " + std::to_string(aLevel) + ", found by: playthrough search <bin> <folder> " +
                      std::to_string(aLevel) + "\n# Keys held for seconds of play (see Tools/playthrough/PlayScript.h).\n"};
    const int result = search.Node();
    std::printf("%s\n", result == Search::FOUND ? "written" : result == Search::STUCK ? "no way found" : "out of time");
    return result;
}
}

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("ALSOFT_DRIVERS", "null", 0);
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
    const std::string mode = argc > 1 ? argv[1] : "";
    if ((mode == "replay" || mode == "replay-gl") && argc == 4)
        return Replay(fs::absolute(argv[2]), fs::absolute(argv[3]), mode == "replay-gl");
    if (mode == "search" && (argc == 5 || argc == 6))
        return SearchLevel(fs::absolute(argv[2]), fs::absolute(argv[3]), std::atoi(argv[4]), argc == 6 ? std::atof(argv[5]) : 600.0);
    std::fprintf(stderr, "usage: playthrough replay|replay-gl <bin folder> <script folder>\n"
                         "       playthrough search <bin folder> <script folder> <level 1-6> [seconds]\n");
    return 2;
}
