#include "Playthrough.h"

#include "AnimatedEffectPool.h"
#include "GameGlobals.h"
#include "SplashScreenState.h"
#include "Util/RenderSize.h"

#include "engine/Engine.h"
#include "model/ModelFactory.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace Playthrough
{
namespace
{
// Seconds of play a level may run past the end of its script before the run counts as stuck.
constexpr int SLACK_FRAMES = 30 * FRAMES_PER_SECOND;
constexpr int BOOT_LIMIT_FRAMES = 90 * FRAMES_PER_SECOND;
constexpr int ENDING_LIMIT_FRAMES = 60 * FRAMES_PER_SECOND;

// 1..6 for "scenes/game_scenes/levelN.qls", else 0.
int LevelNumber(Qel::StringId aPath)
{
    const std::string_view path = aPath.GetView();
    const size_t at = path.rfind("level");
    if (at == std::string_view::npos || at + 6 >= path.size() || path.substr(at + 6) != ".qls")
        return 0;
    const int number = path[at + 5] - '0';
    return number >= 1 && number <= LEVEL_COUNT ? number : 0;
}

struct Field
{
    const char* myName;
    int LevelEnd::*myMember;
};
constexpr Field FIELDS[] = {
    {"level", &LevelEnd::myLevel},       {"frames", &LevelEnd::myFrames}, {"x", &LevelEnd::myX},
    {"y", &LevelEnd::myY},               {"score", &LevelEnd::myScore},   {"batteries", &LevelEnd::myBatteries},
    {"lives", &LevelEnd::myLives},       {"timer", &LevelEnd::myTimerFrames}, {"deaths", &LevelEnd::myDeaths},
};
}

Qel::u32 LevelEnd::Hash() const
{
    Qel::u32 hash = 2166136261u;
    for (const Field& field : FIELDS)
    {
        const Qel::u32 value = static_cast<Qel::u32>(this->*field.myMember);
        for (int shift = 0; shift < 32; shift += 8)
            hash = (hash ^ ((value >> shift) & 0xffu)) * 16777619u;
    }
    return hash;
}

std::string LevelEnd::Format() const
{
    std::string line;
    for (const Field& field : FIELDS)
        line += std::string(field.myName) + "=" + std::to_string(this->*field.myMember) + " ";
    char hash[16];
    std::snprintf(hash, sizeof(hash), "%08x", Hash());
    return line + "hash=" + hash;
}

bool LevelEnd::Parse(const std::string& aLine)
{
    *this = LevelEnd{};
    std::stringstream words(aLine);
    std::string word;
    size_t found = 0;
    std::string hash;
    while (words >> word)
    {
        const size_t equals = word.find('=');
        if (equals == std::string::npos)
            return false;
        const std::string name = word.substr(0, equals);
        const std::string value = word.substr(equals + 1);
        if (name == "hash")
        {
            hash = value;
            continue;
        }
        bool known = false;
        for (const Field& field : FIELDS)
            if (name == field.myName)
            {
                char* end = nullptr;
                this->*field.myMember = static_cast<int>(std::strtol(value.c_str(), &end, 10));
                known = !value.empty() && *end == '\0';
                ++found;
            }
        if (!known)
            return false;
    }
    char own[16];
    std::snprintf(own, sizeof(own), "%08x", Hash());
    // The hash written beside the fields must be theirs: a hand edit of one without the other shows.
    return found == std::size(FIELDS) && hash == own;
}

std::string LevelEnd::Differences(const LevelEnd& aExpected) const
{
    std::string text;
    for (const Field& field : FIELDS)
        if (this->*field.myMember != aExpected.*field.myMember)
            text += (text.empty() ? "" : ", ") + std::string(field.myName) + " " +
                    std::to_string(this->*field.myMember) + " (expected " + std::to_string(aExpected.*field.myMember) +
                    ")";
    return text;
}

Game::Game(const std::filesystem::path& aBinFolder, bool aEngine, int aWidth, int aHeight)
{
    myPad.myConnected = false;
    SetFallbackRenderSize(static_cast<float>(aWidth), static_cast<float>(aHeight));
    const std::filesystem::path bin = std::filesystem::absolute(aBinFolder);
    Qel::EngineCreateParameters& parameters = Qel::Settings::GetEngineCreateParameters();
    parameters = Qel::EngineCreateParameters{};
    if (!Qel::Settings::LoadSettingsFrom(bin, "Game.json", parameters))
    {
        Fail("the settings in " + bin.string() + " cannot be read");
        return;
    }
    Qel::Settings::GetExecutableFolder() = bin;
    // The game runs from its own folder (the intro film is found from there).
    std::error_code error;
    mySavedFolder = std::filesystem::current_path(error);
    std::filesystem::current_path(bin, error);
    if (!aEngine)
        return;
    parameters.myWindowWidth = parameters.myRenderWidth = static_cast<Qel::u32>(aWidth);
    parameters.myWindowHeight = parameters.myRenderHeight = static_cast<Qel::u32>(aHeight);
    parameters.myEnableVsync = 0;
    parameters.myDebugFeatures = 0;
    Qel::Platform::ResetMessageQueue();
    if (!Qel::Engine::Start())
        Fail("the engine did not start");
    else
        myEngine = true;
}

Game::~Game()
{
    if (myStack)
        myStack->GetPlayScreen().SetFrameRecorder(nullptr);
    myStack.reset();
    if (myEngine)
    {
        // As Go ends: the effects hold models and GPU buffers, gone before the factory and the device.
        AnimatedEffectPool::Get().Clear();
        Qel::DestroyModelFactory();
        Qel::Engine::Shutdown();
    }
    Qel::Settings::GetEngineCreateParameters() = Qel::EngineCreateParameters{};
    std::error_code error;
    if (!mySavedFolder.empty())
        std::filesystem::current_path(mySavedFolder, error);
}

void Game::Boot(Qel::u32 aSeed)
{
    if (myPhase == Phase::Failed)
        return;
    SplashScreenState::ResetSharedFlagsForTesting();
    Qel::Platform::ResetMessageQueue();
    myStack = std::make_unique<StateStack>();
    myStack->Init();
    // The game seeds from the machine; a replay needs the same enemies' choices every time.
    GetRandomEngine().seed(aSeed);
    myStack->GetPlayScreen().SetFrameRecorder(&mySteps);
    (*myAudio).ClearEvents();
}

void Game::Fail(const std::string& aWhy)
{
    if (myPhase == Phase::Failed)
        return;
    myPhase = Phase::Failed;
    myFailure = aWhy;
}

LevelEnd Game::Snapshot() const
{
    const GamePlayingState& play = myStack->GetPlayScreen();
    LevelEnd end;
    end.myLevel = myLevel;
    end.myFrames = myLevelFrames;
    const Qel::Vector3f at = play.GetWorld().myPlayer.GetPosition();
    end.myX = static_cast<int>(std::lround(at.x));
    end.myY = static_cast<int>(std::lround(at.y));
    GamePlayingState& mutablePlay = const_cast<GamePlayingState&>(play);
    end.myScore = mutablePlay.GetHud().GetScore();
    end.myBatteries = mutablePlay.GetHud().GetBatteryCount();
    end.myLives = play.GetPlayerLives();
    end.myTimerFrames = static_cast<int>(std::lround(play.GetTimer() * FRAMES_PER_SECOND));
    end.myDeaths = myDeaths;
    return end;
}

void Game::Frame(bool aRender)
{
    if (!myStack || myPhase == Phase::Failed)
        return;
    Qel::u32 keys = 0;
    if (myPhase == Phase::Boot)
        keys = myBoot.KeysAt(myBootFrames);
    else if (myPhase == Phase::Level && !myEnded[static_cast<size_t>(myLevel - 1)])
        keys = myLevels[static_cast<size_t>(myLevel - 1)].KeysAt(myLevelFrames);
    for (Qel::u32 bit = 1; bit <= KEY_ALL; bit <<= 1)
        if ((keys ^ myHeld) & bit)
            (keys & bit) ? myKeys.Down(VirtualKey(bit)) : myKeys.Up(VirtualKey(bit));
    myHeld = keys;

    Qel::Engine* engine = aRender ? Qel::Engine::GetInstance() : nullptr;
    if (engine && !engine->BeginFrame())
        engine = nullptr;
    myInput.Update();
    myGamepad.Update();
    mySteps.Clear();
    myStack->Update(FRAME_TIME, myInput, myGamepad);
    if (engine)
        myStack->Render();
    ++myTotalFrames;
    Observe();
    // What the recording backend saw is of no use here; it would only grow.
    (*myAudio).ClearEvents();
    if (engine && myBeforePresent)
        myBeforePresent();
    if (engine)
        engine->EndFrame();
}

void Game::Observe()
{
    const int level = LevelNumber(myStack->GetPlayScreen().GetCurrentLevel());
    switch (myPhase)
    {
    case Phase::Boot:
        if (level == 1)
        {
            myPhase = Phase::Level;
            myLevel = 1;
        }
        else if (level != 0)
            Fail("boot led to level " + std::to_string(level) + ", not level 1");
        else if (++myBootFrames > myBoot.GetFrameCount() + BOOT_LIMIT_FRAMES)
            Fail("the boot script ended and level 1 did not start (frame " + std::to_string(myBootFrames) + ")");
        break;
    case Phase::Level: {
        const size_t index = static_cast<size_t>(myLevel - 1);
        if (level != myLevel)
        {
            if (myEnded[index] && level == myLevel + 1)
            {
                myLevel = level;
                myLevelFrames = 0;
                myDeaths = 0;
            }
            else
                Fail("level " + std::to_string(myLevel) + " was left for " +
                     (level ? "level " + std::to_string(level) : std::string("the menus")) + " at its frame " +
                     std::to_string(myLevelFrames));
            break;
        }
        if (myEnded[index])
            break;
        if (mySteps.Has(PlayStep::Timer))
            ++myLevelFrames;
        if (mySteps.Has(PlayStep::Deaths) && !mySteps.Has(PlayStep::FanTriggerTouch))
            ++myDeaths;
        const bool goal = mySteps.Has(PlayStep::GoalScoring) && !mySteps.Has(PlayStep::EntryZiplineRides);
        const bool ending = mySteps.Has(PlayStep::EndingCutscenes) && !mySteps.Has(PlayStep::MiniOwls);
        if (goal || ending)
        {
            myEnds[index] = Snapshot();
            myEnded[index] = true;
            if (ending && myLevel != LEVEL_COUNT)
                Fail("the ending played in level " + std::to_string(myLevel));
            else if (myLevel == LEVEL_COUNT)
            {
                myPhase = Phase::Ending;
                myEndingFrames = 0;
            }
        }
        else if (myLevelFrames > myLevels[index].GetFrameCount() + SLACK_FRAMES)
        {
            const LevelEnd now = Snapshot();
            Fail("level " + std::to_string(myLevel) + " did not reach its goal: its script ended, and " +
                 std::to_string(SLACK_FRAMES / FRAMES_PER_SECOND) + " s later the player is at x=" +
                 std::to_string(now.myX) + " y=" + std::to_string(now.myY) + " (frame " +
                 std::to_string(myLevelFrames) + ", deaths " + std::to_string(myDeaths) + ")");
        }
        break;
    }
    case Phase::Ending:
        if (myStack->GetTop() == &myStack->GetEndingCredits())
            myPhase = Phase::Credits;
        else if (++myEndingFrames > ENDING_LIMIT_FRAMES)
            Fail("the ending credits did not come after the last level");
        break;
    default: break;
    }
}

bool Game::RunLevelTo(int aLevel, int aFrame)
{
    while (myPhase == Phase::Boot || (myPhase == Phase::Level && myLevel < aLevel) ||
           (myPhase == Phase::Level && myLevel == aLevel && !HasLevelEnded(aLevel) && myLevelFrames < aFrame))
        Frame();
    return myPhase == Phase::Level && myLevel == aLevel && !HasLevelEnded(aLevel) && myLevelFrames == aFrame;
}

void Game::RunToCredits()
{
    while (myPhase == Phase::Boot || myPhase == Phase::Level || myPhase == Phase::Ending)
        Frame();
}

bool LoadExpectedEnds(const std::filesystem::path& aFile, std::array<LevelEnd, LEVEL_COUNT>& aEnds,
                      std::string& aError)
{
    std::ifstream in(aFile, std::ios::binary);
    if (!in)
    {
        aError = aFile.string() + ": cannot be read";
        return false;
    }
    std::string line;
    int level = 0;
    int number = 0;
    while (std::getline(in, line))
    {
        ++number;
        if (line.empty() || line[0] == '#')
            continue;
        LevelEnd end;
        if (level == LEVEL_COUNT || !end.Parse(line) || end.myLevel != level + 1)
        {
            aError = aFile.string() + ":" + std::to_string(number) + ": expected the end of level " +
                     std::to_string(level + 1) + " (fields and their hash), got '" + line + "'";
            return false;
        }
        aEnds[static_cast<size_t>(level++)] = end;
    }
    if (level != LEVEL_COUNT)
    {
        aError = aFile.string() + ": " + std::to_string(level) + " levels, not " + std::to_string(LEVEL_COUNT);
        return false;
    }
    return true;
}

std::filesystem::path BootScriptPath(const std::filesystem::path& aFolder) { return aFolder / "boot.txt"; }
std::filesystem::path LevelScriptPath(const std::filesystem::path& aFolder, int aLevel)
{
    return aFolder / ("level" + std::to_string(aLevel) + ".txt");
}
}
