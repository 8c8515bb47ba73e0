#pragma once
// The whole game on the real state stack, as Go runs it, fed keys from input scripts at a
// fixed frame time: the boot script from the first logo until level 1 loads, then each level's
// script from that level's first frame of play (frames count only while the level runs, so
// loading screens and fades take no script time). Keys go in as window messages to the input
// manager and reach the game through its action map; nothing else of the game is touched but
// the random seed. Without a graphics device the game runs headless; with one, Render draws.
#include "FlowFixture.h"
#include "PlayFrameRecorder.h"
#include "PlayScript.h"
#include "StateStack.h"

#include "input/InputManager.h"
#include "input/XInputController.h"

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace Playthrough
{
constexpr int LEVEL_COUNT = 6;

// The gameplay state at a level's end, compared between runs.
struct LevelEnd
{
    int myLevel = 0;
    int myFrames = 0;       // frames of play in the level
    int myX = 0, myY = 0;   // the player, rounded
    int myScore = 0;
    int myBatteries = 0;
    int myLives = 0;
    int myTimerFrames = 0;  // the level clock left, in frames
    int myDeaths = 0;       // lives lost in the level

    Qel::u32 Hash() const;
    // "level=1 frames=1234 x=... hash=..."; Parse reads it back (false on anything else).
    std::string Format() const;
    bool Parse(const std::string& aLine);
    // "score 1200 != 1300, lives ..." for every field that differs; empty when equal.
    std::string Differences(const LevelEnd& aExpected) const;
};

// The play screen's steps of one frame, as a bit set.
class StepFlags final : public PlayFrameRecorder
{
public:
    void OnStep(PlayStep aStep) override { myBits |= Qel::u64{1} << static_cast<unsigned>(aStep); }
    void OnRender(RenderStep, Qel::i32) override {}
    bool Has(PlayStep aStep) const { return (myBits >> static_cast<unsigned>(aStep)) & 1u; }
    void Clear() { myBits = 0; }
    Qel::u64 myBits = 0;
};

class Game
{
public:
    enum class Phase
    {
        Boot,       // logos, menus, intro, until level 1 loads
        Level,      // a level is loaded (or loading) and not yet ended
        Ending,     // the last level ended; waiting for the ending credits
        Credits,    // the ending credits are on top
        Failed,     // the run went somewhere no script leads (see GetFailure)
    };

    // Reads the built game's settings in aBinFolder (its asset tree); with aEngine, starts the
    // engine (a window of the given size; models, clips and drawing as in the game), else the
    // game runs without a device at that fallback render size (no models: a replay differs).
    Game(const std::filesystem::path& aBinFolder, bool aEngine, int aWidth, int aHeight);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Starts the state stack (call once the engine, if any, runs).
    void Boot(Qel::u32 aSeed = 1);

    void SetBootScript(const Script& aScript) { myBoot = aScript; }
    void SetLevelScript(int aLevel, const Script& aScript) { myLevels[static_cast<size_t>(aLevel - 1)] = aScript; }
    Script& GetLevelScript(int aLevel) { return myLevels[static_cast<size_t>(aLevel - 1)]; }

    // One frame: the scripted keys, the state stack's update, and the draw when aRender.
    void Frame(bool aRender = false);
    // Frames until the level has run aFrame frames of play, it ended, or the run failed.
    // False unless the level is running at that frame.
    bool RunLevelTo(int aLevel, int aFrame);
    // Frames until the ending credits are on top or the run failed.
    void RunToCredits();
    // Called on a drawn frame before it is presented (pictures are read back there).
    void SetBeforePresent(std::function<void()> aCall) { myBeforePresent = std::move(aCall); }

    Phase GetPhase() const { return myPhase; }
    const std::string& GetFailure() const { return myFailure; }
    // The level being played (1..6), or 0 in boot.
    int GetLevel() const { return myLevel; }
    int GetLevelFrames() const { return myLevelFrames; }
    int GetDeaths() const { return myDeaths; }
    // True once the level reached its goal (or, the last, its ending); its state is in GetEnd.
    bool HasLevelEnded(int aLevel) const { return myEnded[static_cast<size_t>(aLevel - 1)]; }
    const LevelEnd& GetEnd(int aLevel) const { return myEnds[static_cast<size_t>(aLevel - 1)]; }
    int GetTotalFrames() const { return myTotalFrames; }
    // Frames from the first logo until level 1 began loading.
    int GetBootFrames() const { return myBootFrames; }
    LevelEnd Snapshot() const;

    StateStack& GetStack() { return *myStack; }
    GamePlayingState& GetPlay() { return myStack->GetPlayScreen(); }
    Qel::InputManager& GetInput() { return myInput; }
    bool HasEngine() const { return myEngine; }

private:
    void Fail(const std::string& aWhy);
    void Observe();

    FlowTest::RecordedAudio myAudio;
    FlowTest::FakePad myPad;
    Qel::InputManager myInput{nullptr};
    Qel::XInputController myGamepad;
    FlowTest::Keys myKeys{myInput};
    std::unique_ptr<StateStack> myStack;
    StepFlags mySteps;

    Script myBoot;
    std::array<Script, LEVEL_COUNT> myLevels;
    std::array<LevelEnd, LEVEL_COUNT> myEnds{};
    std::array<bool, LEVEL_COUNT> myEnded{};
    Phase myPhase = Phase::Boot;
    std::string myFailure;
    Qel::u32 myHeld = 0;
    int myLevel = 0;
    int myLevelFrames = 0;
    int myDeaths = 0;
    int myBootFrames = 0;
    int myTotalFrames = 0;
    int myEndingFrames = 0;
    bool myEngine = false;
    std::filesystem::path mySavedFolder;
    std::function<void()> myBeforePresent;
};

// The expected ends, one line a level in order (# comments); false, with the file and line in
// aError, on anything else.
bool LoadExpectedEnds(const std::filesystem::path& aFile, std::array<LevelEnd, LEVEL_COUNT>& aEnds,
                      std::string& aError);

// Script files: boot.txt and levelN.txt in aFolder.
std::filesystem::path BootScriptPath(const std::filesystem::path& aFolder);
std::filesystem::path LevelScriptPath(const std::filesystem::path& aFolder, int aLevel);
}
