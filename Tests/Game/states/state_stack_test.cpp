#include "FlowFixture.h"
#include "StateStack.h"
#include "TestSupport.h"
#include "platform/VirtualKeys.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <vector>

using namespace Qel;
using FlowTest::FakePad;
using FlowTest::Keys;
using FlowTest::RecordedAudio;
using FlowTest::TakeQuit;

namespace
{
constexpr float DT = 1.0f / 64.0f;

// A screen that returns queued commands (then code 0) and logs its updates and renders.
class ScriptedState final : public State
{
public:
    explicit ScriptedState(std::string aName, std::vector<std::string>* aRenderLog = nullptr)
        : myName(std::move(aName)), myRenderLog(aRenderLog)
    {
    }
    void Init() override {}
    StateCommand Update(const UpdateContext&) override
    {
        ++myUpdates;
        if (myRepeat)
            return *myRepeat;
        if (myCommands.empty())
            return {};
        const StateCommand command = myCommands.front();
        myCommands.pop_front();
        return command;
    }
    void Render() override
    {
        if (myRenderLog)
            myRenderLog->push_back(myName);
    }

    std::string myName;
    std::vector<std::string>* myRenderLog;
    std::deque<StateCommand> myCommands;
    const StateCommand* myRepeat = nullptr;   // returned on every update when set
    int myUpdates = 0;
};

class StateStackTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mySavedGameRoot = Settings::GetGameAssetsPath();
        Settings::GetGameAssetsPath() = myLevels.Path();
        myLevels.Write("scenes/game_scenes/level1.qls", "{}");
        myLevels.Write("scenes/game_scenes/level1.leveldata/object.json", "{}");
        myLevels.Write("scenes/game_scenes/level2.qls", "{}");
        myLevels.Write("scenes/game_scenes/level2.leveldata/object.json", "{}");
        myLevels.Write("scenes/game_scenes/nofolder.qls", "{}");
        Platform::ResetMessageQueue();
        myStack.Init();
        GetRandomEngine().seed(1234);
        myAudio->ClearEvents();
    }
    void TearDown() override
    {
        Settings::GetGameAssetsPath() = mySavedGameRoot;
        Platform::ResetMessageQueue();
    }

    // One frame as Go runs it.
    void Frame()
    {
        myInput.Update();
        myGamepad.Update();
        myStack.Update(DT, myInput, myGamepad);
        myStack.Render();
    }
    void Frames(int aCount)
    {
        for (int i = 0; i < aCount; ++i)
            Frame();
    }
    std::vector<State*> Stack() const { return myStack.GetScreenStack(); }
    State* Top() const { return myStack.GetTop(); }
    u32 Phase() { return myStack.GetTransition().GetPhase(); }
    // Runs frames until the fade is gone (at most a second).
    void FinishFade()
    {
        for (int i = 0; i < 64 && Top() == &myStack.GetTransition(); ++i)
            Frame();
        ASSERT_NE(Top(), &myStack.GetTransition());
    }
    // Leaves [splash 1] alone on the stack, as a command would.
    void BackToSplash()
    {
        ScriptedState screen("reset");
        myStack.PushForTesting(screen);
        screen.myCommands.push_back(MakeCommand(COMMAND_FIRST_SPLASH));
        Frame();
        ASSERT_EQ(Stack(), std::vector<State*>{&myStack.GetSplash1()});
    }
    static u32 Music(u8 aId) { return AudioManager::GetSlot(SOUND_CATEGORY_MUSIC, aId); }
    static u32 Ambient(u8 aId) { return AudioManager::GetSlot(SOUND_CATEGORY_AMBIENT, aId); }
    static u32 Effect(u8 aId) { return AudioManager::GetSlot(SOUND_CATEGORY_EFFECTS, aId); }

    QelTest::TempFolder myLevels;
    std::filesystem::path mySavedGameRoot;
    RecordedAudio myAudio;
    FakePad myPad;
    InputManager myInput{nullptr};
    XInputController myGamepad;
    Keys myKeys{myInput};
    StateStack myStack;
};

StateCommand Faded(i32 aCode) { return MakeCommand(aCode, true); }
StateCommand Level(i32 aCode, const char* aPath, bool aFade = false)
{
    return MakeLevelCommand(aCode, StringId(std::string(aPath)), aFade);
}
}

TEST_F(StateStackTest, InitLoadsTheSoundsSetsTheScreensUpAndShowsTheFirstLogo)
{
    EXPECT_EQ(Stack(), std::vector<State*>{&myStack.GetSplash1()});
    EXPECT_STREQ(myStack.GetSplash1().GetTexturePath(), "art/2d/Textures/T_UI_QELSplash.png");
    EXPECT_EQ(myStack.GetSplash1().GetNextCommand(), COMMAND_SECOND_SPLASH);
    EXPECT_STREQ(myStack.GetSplash3().GetTexturePath(), "art/2d/Textures/T_UI_RuvSplash.png");
    EXPECT_EQ(myStack.GetSplash3().GetNextCommand(), COMMAND_THIRD_SPLASH);
    EXPECT_STREQ(myStack.GetSplash2().GetTexturePath(), "art/2d/Textures/T_UI_MossbinSplash.png");
    EXPECT_EQ(myStack.GetSplash2().GetNextCommand(), COMMAND_MAIN_MENU);
    EXPECT_FLOAT_EQ(GetAudioManager().GetMusicVolume(), 0.6f);
    EXPECT_FLOAT_EQ(GetAudioManager().GetSfxVolume(), 0.6f);
    EXPECT_EQ(myStack.GetInputMapper().GetKeyBindings(ACTION_CONFIRM).size(), 2u);
    EXPECT_FALSE(myStack.GetTransition().GetSprite().GetData().mySkip);
}

TEST_F(StateStackTest, AFadedLevelStartRunsFrameByFrame)
{
    ScriptedState select("select");
    myStack.PushForTesting(select);
    select.myCommands.push_back(Level(COMMAND_START_LEVEL, "scenes/game_scenes/level1.qls", true));
    TransitionState& fade = myStack.GetTransition();
    GamePlayingState& play = myStack.GetPlayScreen();
    LevelLoadingState& loading = myStack.GetLoadingScreen();

    // Frame 1: the fade goes over the screen and starts in the same frame.
    Frame();
    EXPECT_EQ(select.myUpdates, 1);
    ASSERT_EQ(Top(), &fade);
    EXPECT_EQ(Phase(), TransitionState::PHASE_FADING_OUT);
    // The screen beneath is frozen while the fade darkens: 13 updates, black at 13/64 s > 0.2 s.
    for (int i = 1; i <= 13; ++i)
    {
        Frame();
        EXPECT_EQ(Phase(), i < 13 ? TransitionState::PHASE_FADING_OUT : TransitionState::PHASE_BLACK) << i;
    }
    EXPECT_EQ(select.myUpdates, 1);
    EXPECT_FLOAT_EQ(fade.GetAlpha(), 1.0f);
    // The 14th applies the command beneath the fade.
    Frame();
    EXPECT_EQ(Stack(), (std::vector<State*>{&play, &loading, &fade}));
    EXPECT_EQ(play.GetRequestedLevel().GetView(), "scenes/game_scenes/level1.qls");
    EXPECT_FLOAT_EQ(play.GetTimer(), StateStack::LEVEL_TIME);
    EXPECT_EQ(loading.GetReason(), LOADING_START_LEVEL);
    EXPECT_FLOAT_EQ(loading.GetMinimumTime(), 3.0f);
    EXPECT_EQ(Phase(), TransitionState::PHASE_FADING_IN);
    // The fade-in: the loading screen runs beneath it, and its loading steps go ahead: the
    // scene is read in the first step, the empty level finished in the second.
    Frame();
    EXPECT_TRUE(play.IsLoadPending());
    EXPECT_FALSE(loading.IsLevelReady());
    Frame();
    EXPECT_FALSE(play.IsLoadPending());
    EXPECT_TRUE(loading.IsLevelReady());
    for (int i = 3; i <= 12; ++i)
    {
        Frame();
        EXPECT_EQ(Top(), &fade) << i;
    }
    EXPECT_NEAR(loading.GetTimer(), 12 * DT, 1e-6);
    // The 13th fade-in update ends the fade and pops it.
    Frame();
    EXPECT_EQ(Stack(), (std::vector<State*>{&play, &loading}));
    EXPECT_FLOAT_EQ(fade.GetTimer(), 0.0f);

    // The loading screen leaves at its first update past 3 s: its 193rd since it was reset.
    int updates = 12;
    while (Top() == &loading && updates < 400)
    {
        Frame();
        ++updates;
    }
    EXPECT_EQ(updates, 193);
    EXPECT_EQ(Top(), &fade);
    FinishFade();
    EXPECT_EQ(Stack(), std::vector<State*>{&play});
    EXPECT_FALSE(loading.IsLevelReady());
    EXPECT_FLOAT_EQ(loading.GetTimer(), 0.0f);
}

namespace
{
// The stack by member names, so that two state stacks can be compared.
std::string Describe(StateStack& aStack)
{
    std::string text;
    for (const State* state : aStack.GetScreenStack())
    {
        const char* name = "other";
        if (state == &aStack.GetTransition())
            name = "fade";
        else if (state == &aStack.GetSplash1())
            name = "splash1";
        else if (state == &aStack.GetCredits())
            name = "credits";
        else if (state == &aStack.GetMainMenu())
            name = "menu";
        text += name;
        text += ' ';
    }
    return text;
}
}

TEST_F(StateStackTest, BothFlagsGiveTheSameFramesAsTheFadeAlone)
{
    const auto run = [&](StateCommand aCommand) {
        StateStack stack;
        stack.Init();
        ScriptedState screen("screen");
        stack.PushForTesting(screen);
        screen.myCommands.push_back(aCommand);
        std::vector<std::string> frames;
        for (int i = 0; i < 40; ++i)
        {
            myInput.Update();
            stack.Update(DT, myInput, myGamepad);
            frames.push_back(Describe(stack) + std::to_string(stack.GetTransition().GetPhase()));
        }
        return frames;
    };
    StateCommand both = Faded(COMMAND_CREDITS);
    both.myKeepOnTop = 1;
    const auto withBoth = run(both);
    const auto fadeAlone = run(Faded(COMMAND_CREDITS));
    EXPECT_EQ(withBoth, fadeAlone);
    EXPECT_EQ(fadeAlone.front(), "splash1 other fade 1");
    EXPECT_EQ(fadeAlone.back(), "splash1 other credits 4");
}

TEST_F(StateStackTest, CodeZeroWithAFadeFadesOutAndInAndChangesNothing)
{
    ScriptedState screen("screen");
    myStack.PushForTesting(screen);
    screen.myCommands.push_back(Faded(COMMAND_NONE));
    Frame();
    ASSERT_EQ(Top(), &myStack.GetTransition());
    FinishFade();
    EXPECT_EQ(Stack(), (std::vector<State*>{&myStack.GetSplash1(), &screen}));
    EXPECT_EQ(screen.myUpdates, 13);   // 1, then the 12 fade-in updates beneath the fade
}

TEST_F(StateStackTest, QuitEmptiesTheStackEvenWithKeepOnTopAndAnEmptyStackQuitsAgain)
{
    ScriptedState screen("screen");
    myStack.PushForTesting(screen);
    StateCommand quit = MakeCommand(COMMAND_QUIT);
    quit.myKeepOnTop = 1;
    screen.myCommands.push_back(quit);
    Frame();
    EXPECT_TRUE(Stack().empty());
    EXPECT_TRUE(TakeQuit());
    EXPECT_FALSE(TakeQuit());
    Frame();
    EXPECT_TRUE(Stack().empty());
    EXPECT_TRUE(TakeQuit());
}

TEST_F(StateStackTest, LevelCommandsSetTimerCheckpointReasonAndStack)
{
    GamePlayingState& play = myStack.GetPlayScreen();
    LevelLoadingState& loading = myStack.GetLoadingScreen();
    const struct
    {
        StateCommand command;
        bool clears;
        bool checkpoint;
        u8 reason;
    } table[] = {
        {Level(COMMAND_START_LEVEL, "scenes/game_scenes/level1.qls"), true, false, LOADING_START_LEVEL},
        {Level(COMMAND_NEXT_LEVEL, "scenes/game_scenes/level2.qls"), true, false, LOADING_NEXT_LEVEL},
        {Level(COMMAND_LIFE_LOST, "scenes/game_scenes/level2.qls"), false, false, LOADING_LIFE_LOST},
        {Level(COMMAND_OUT_OF_LIVES, "scenes/game_scenes/level2.qls"), false, false, LOADING_OUT_OF_LIVES},
        {Level(COMMAND_OUT_OF_TIME, "scenes/game_scenes/level1.qls"), false, false, LOADING_OUT_OF_TIME},
    };
    for (const auto& row : table)
    {
        ScriptedState screen("play");
        myStack.PushForTesting(screen);
        play.SetTimer(12.0f);
        play.SetCheckpointActive(1);
        loading.SetReason(99);
        screen.myCommands.push_back(row.command);
        Frame();
        const std::vector<State*> stack = Stack();
        ASSERT_GE(stack.size(), 2u);
        EXPECT_EQ(stack.back(), &loading) << row.command.myCode;
        EXPECT_EQ(stack[stack.size() - 2], row.clears ? static_cast<State*>(&play) : &screen) << row.command.myCode;
        if (row.clears)
        {
            EXPECT_EQ(stack.size(), 2u);
        }
        EXPECT_FLOAT_EQ(play.GetTimer(), StateStack::LEVEL_TIME) << row.command.myCode;
        EXPECT_EQ(play.IsCheckpointActive(), row.checkpoint) << row.command.myCode;
        EXPECT_EQ(loading.GetReason(), row.reason) << row.command.myCode;
        EXPECT_EQ(play.GetRequestedLevel(), row.command.myArgument);
        EXPECT_TRUE(play.IsLoadPending());
        EXPECT_FLOAT_EQ(loading.GetTimer(), 0.0f);
        EXPECT_FLOAT_EQ(loading.GetMinimumTime(), 3.0f);
        BackToSplash();
    }
    // A life lost at a checkpoint keeps the checkpoint.
    ScriptedState screen("play");
    myStack.PushForTesting(screen);
    StateCommand atCheckpoint = Level(COMMAND_LIFE_LOST, "scenes/game_scenes/level1.qls");
    atCheckpoint.myAtCheckpoint = 1;
    screen.myCommands.push_back(atCheckpoint);
    Frame();
    EXPECT_TRUE(play.IsCheckpointActive());
    EXPECT_EQ(Top(), &loading);
}

TEST_F(StateStackTest, LoadingStepsRunUntilTheLevelIsReady)
{
    GamePlayingState& play = myStack.GetPlayScreen();
    LevelLoadingState& loading = myStack.GetLoadingScreen();
    ScriptedState screen("select");
    myStack.PushForTesting(screen);
    screen.myCommands.push_back(Level(COMMAND_START_LEVEL, "scenes/game_scenes/level1.qls"));
    Frame();
    ASSERT_EQ(Top(), &loading);
    EXPECT_FALSE(loading.IsLevelReady());
    Frame();   // the loading screen asks for a step: the scene is read
    EXPECT_FALSE(loading.IsLevelReady());
    EXPECT_TRUE(play.IsLoadPending());
    Frame();   // the next step finishes the empty level
    EXPECT_TRUE(loading.IsLevelReady());
    EXPECT_FALSE(play.IsLoadPending());
    EXPECT_EQ(play.GetCurrentLevel(), play.GetRequestedLevel());
    // Ready is not enough: 3 s first.
    Frames(150);
    EXPECT_EQ(Top(), &loading);
}

TEST_F(StateStackTest, ScreenCommandsPushPopAndIgnoreUnknownCodes)
{
    const struct
    {
        i32 code;
        State* pushed;
    } pushes[] = {
        {COMMAND_PAUSE, &myStack.GetPauseMenu()},
        {COMMAND_OPTIONS, &myStack.GetOptions()},
        {COMMAND_IN_GAME_SETTINGS, &myStack.GetInGameSettings()},
        {COMMAND_CREDITS, &myStack.GetCredits()},
    };
    for (const auto& row : pushes)
    {
        ScriptedState screen("screen");
        myStack.PushForTesting(screen);
        screen.myCommands.push_back(MakeCommand(row.code));
        Frame();
        EXPECT_EQ(Top(), row.pushed) << row.code;
        row.pushed->SetTimer(5.0f);
        // Pop resets the screen it takes off.
        ScriptedState back("back");
        myStack.PushForTesting(back);
        back.myCommands.push_back(MakeCommand(COMMAND_POP));
        back.SetTimer(7.0f);
        Frame();
        EXPECT_EQ(Top(), row.pushed);
        EXPECT_FLOAT_EQ(back.GetTimer(), 0.0f);
        BackToSplash();
    }

    const auto clearing = [&](i32 aCode, State* aExpected) {
        ScriptedState screen("screen");
        myStack.PushForTesting(screen);
        screen.myCommands.push_back(MakeCommand(aCode));
        aExpected->SetTimer(9.0f);
        Frame();
        EXPECT_EQ(Stack(), std::vector<State*>{aExpected}) << aCode;
    };
    clearing(COMMAND_OPEN_LEVEL_SELECT, &myStack.GetLevelSelect());
    clearing(COMMAND_INTRO, &myStack.GetIntro());
    clearing(COMMAND_FIRST_SPLASH, &myStack.GetSplash1());
    EXPECT_FLOAT_EQ(myStack.GetSplash1().GetTimer(), 0.0f);   // a logo shown again starts over
    clearing(COMMAND_SECOND_SPLASH, &myStack.GetSplash3());
    clearing(COMMAND_THIRD_SPLASH, &myStack.GetSplash2());
    clearing(COMMAND_ENDING_CREDITS, &myStack.GetEndingCredits());
    EXPECT_FLOAT_EQ(myStack.GetEndingCredits().GetTimer(), 0.0f);
    clearing(COMMAND_MAIN_MENU, &myStack.GetMainMenu());
    EXPECT_FLOAT_EQ(myStack.GetMainMenu().GetTimer(), 0.0f);

    // Unknown codes change nothing.
    for (i32 code : {99, -1, 22})
    {
        ScriptedState screen("screen");
        myStack.PushForTesting(screen);
        screen.myCommands.push_back(MakeCommand(code));
        const std::vector<State*> before = Stack();
        Frame();
        EXPECT_EQ(Stack(), before) << code;
        BackToSplash();
    }
    // A pop beneath a screen held aside by keep-on-top takes the one below; with nothing below
    // it pops nothing.
    clearing(COMMAND_MAIN_MENU, &myStack.GetMainMenu());
    ScriptedState lone("lone");
    myStack.PushForTesting(lone);
    StateCommand popBeneath = MakeCommand(COMMAND_POP);
    popBeneath.myKeepOnTop = 1;
    lone.myCommands.push_back(popBeneath);
    lone.myCommands.push_back(popBeneath);
    myStack.GetMainMenu().SetTimer(4.0f);
    Frame();
    EXPECT_EQ(Stack(), std::vector<State*>{&lone});
    EXPECT_FLOAT_EQ(myStack.GetMainMenu().GetTimer(), 0.0f);
    Frame();
    EXPECT_EQ(Stack(), std::vector<State*>{&lone});
    BackToSplash();
    EXPECT_FALSE(TakeQuit());
}

TEST_F(StateStackTest, RenderDrawsTheStackFromTheBottomUp)
{
    std::vector<std::string> log;
    ScriptedState a("A", &log), b("B", &log), c("C", &log);
    myStack.PushForTesting(a);
    myStack.PushForTesting(b);
    myStack.PushForTesting(c);
    myStack.Render();
    EXPECT_EQ(log, (std::vector<std::string>{"A", "B", "C"}));
    // Only the top one is updated.
    Frame();
    EXPECT_EQ(a.myUpdates + b.myUpdates, 0);
    EXPECT_EQ(c.myUpdates, 1);
    BackToSplash();
}

TEST_F(StateStackTest, FadesAdvanceWhileThePauseMenuIsOnTop)
{
    ScriptedState screen("play");
    myStack.PushForTesting(screen);
    screen.myCommands.push_back(MakeCommand(COMMAND_PAUSE));
    Frame();
    ASSERT_EQ(Top(), &myStack.GetPauseMenu());
    GetAudioManager().FadeOutMusic(MUSIC_CHAPTER1_LEVEL1, 0.25f);
    Frames(8);
    EXPECT_NEAR(myAudio->GetVolume(Music(0)), 0.6f * 0.5f, 1e-5);
    Frames(8);
    EXPECT_EQ(myAudio->CountStops(Music(0)), 1u);
    EXPECT_TRUE(GetAudioManager().GetFades().empty());
    BackToSplash();
}

TEST_F(StateStackTest, ThePlayScreenAnswersThePauseKey)
{
    ScriptedState screen("select");
    myStack.PushForTesting(screen);
    screen.myCommands.push_back(Level(COMMAND_START_LEVEL, "scenes/game_scenes/level1.qls"));
    Frames(3);
    myStack.GetLoadingScreen().SetMinimumTime(0.0f);
    Frame();
    FinishFade();
    ASSERT_EQ(Top(), &myStack.GetPlayScreen());
    myKeys.Down(VK_ESCAPE);
    Frame();
    EXPECT_EQ(Stack(), (std::vector<State*>{&myStack.GetPlayScreen(), &myStack.GetPauseMenu()}));
}

// A screen beneath a fade-in that asks for something gets it, with all its effects, once.
TEST_F(StateStackTest, ACommandFromBeneathAFadeInIsNeverLost)
{
    ScriptedState game("game");
    myStack.PushForTesting(game);
    game.myCommands.push_back(Faded(COMMAND_NONE));
    Frame();
    Frames(14);   // dark, then black: the fade-in starts
    ASSERT_EQ(Phase(), TransitionState::PHASE_FADING_IN);
    // From now on the screen loses a life every frame it runs, as a play screen whose timer ran out.
    const StateCommand lifeLost = Level(COMMAND_LIFE_LOST, "scenes/game_scenes/level1.qls", true);
    game.myRepeat = &lifeLost;
    const int updatesBefore = game.myUpdates;
    Frame();
    EXPECT_EQ(game.myUpdates, updatesBefore + 1);
    EXPECT_TRUE(myStack.HasDeferredCommand());
    // It waits for the fade-in to end, and is not asked again meanwhile.
    Frames(11);
    EXPECT_EQ(Phase(), TransitionState::PHASE_FADING_IN);
    Frame();
    EXPECT_EQ(game.myUpdates, updatesBefore + 1);
    // Then it runs behind a fade of its own: exactly one reload.
    ASSERT_EQ(Top(), &myStack.GetTransition());
    EXPECT_EQ(myStack.GetTransition().GetPendingCommand().myCode, COMMAND_LIFE_LOST);
    EXPECT_FALSE(myStack.HasDeferredCommand());
    game.myRepeat = nullptr;
    Frames(14);
    EXPECT_EQ(Stack(), (std::vector<State*>{&myStack.GetSplash1(), &game, &myStack.GetLoadingScreen(),
                                            &myStack.GetTransition()}));
    EXPECT_EQ(myStack.GetLoadingScreen().GetReason(), LOADING_LIFE_LOST);
    EXPECT_EQ(game.myUpdates, updatesBefore + 1);
}

TEST_F(StateStackTest, ACommandWithoutAFadeFromBeneathAFadeInIsAppliedBeneathIt)
{
    ScriptedState game("game");
    myStack.PushForTesting(game);
    game.myCommands.push_back(Faded(COMMAND_NONE));
    game.myCommands.push_back(MakeCommand(COMMAND_PAUSE));
    Frames(16);
    ASSERT_EQ(Phase(), TransitionState::PHASE_FADING_IN);
    EXPECT_EQ(Stack(), (std::vector<State*>{&myStack.GetSplash1(), &game, &myStack.GetPauseMenu(),
                                            &myStack.GetTransition()}));
    FinishFade();
    EXPECT_EQ(Top(), &myStack.GetPauseMenu());
    // Quit from beneath a fade quits.
    ScriptedState menu("menu");
    myStack.PushForTesting(menu);
    menu.myCommands.push_back(Faded(COMMAND_NONE));
    menu.myCommands.push_back(MakeCommand(COMMAND_QUIT));
    Frames(16);
    EXPECT_TRUE(Stack().empty());
    EXPECT_TRUE(TakeQuit());
}

TEST_F(StateStackTest, AMissingLevelSaysSoAndGoesBackToTheMenuWithItsMusic)
{
    for (const char* path : {"scenes/game_scenes/missing.qls", "scenes/game_scenes/nofolder.qls"})
    {
        myAudio->ClearEvents();
        ScriptedState select("select");
        myStack.PushForTesting(select);
        select.myCommands.push_back(Level(COMMAND_START_LEVEL, path, true));
        testing::internal::CaptureStdout();
        for (int i = 0; i < 200 && Top() != &myStack.GetMainMenu(); ++i)
            Frame();
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(Top(), &myStack.GetMainMenu()) << path;
        EXPECT_NE(printed.find(std::filesystem::path(path).filename().string()), std::string::npos) << printed;
        FinishFade();
        EXPECT_EQ(Stack(), std::vector<State*>{&myStack.GetMainMenu()});
        EXPECT_TRUE(myAudio->IsPlaying(Music(MUSIC_MENU))) << path;
        EXPECT_FALSE(TakeQuit());
    }
    EXPECT_EQ(myAudio->CountPlays(Music(MUSIC_MENU)), 0u);   // already playing from the first round
}

// Every way back to the main menu leaves the menu track alone playing.
TEST_F(StateStackTest, EveryRouteBackToTheMenuLeavesOnlyTheMenuMusic)
{
    AudioManager& audio = GetAudioManager();
    const struct
    {
        const char* route;
        std::vector<u32> playing;
    } routes[] = {
        {"pause menu", {Music(MUSIC_CHAPTER1_LEVEL2), Ambient(AMBIENT_LEVEL1), Effect(SFX_ZIPLINE_RIDING)}},
        {"ending", {Music(MUSIC_ENDING), Ambient(AMBIENT_LEVEL3)}},
        {"goal without a next level", {Music(MUSIC_CHAPTER2_LEVEL3), Ambient(AMBIENT_LEVEL3)}},
        {"credits back", {Music(MUSIC_MENU)}},
    };
    for (const auto& route : routes)
    {
        myAudio->ClearEvents();
        for (u32 slot = 0; slot < TABLE_SOUND_COUNT; ++slot)
            myAudio->Finish(slot);
        for (u32 slot : route.playing)
            audio.GetBackend().Play(slot);
        const bool menuWasPlaying = myAudio->IsPlaying(Music(MUSIC_MENU));
        myAudio->ClearEvents();
        ScriptedState screen(route.route);
        myStack.PushForTesting(screen);
        screen.myCommands.push_back(Faded(COMMAND_MAIN_MENU));
        Frame();
        FinishFade();
        ASSERT_EQ(Top(), &myStack.GetMainMenu()) << route.route;
        for (u32 slot = 0; slot < TABLE_SOUND_COUNT; ++slot)
            EXPECT_EQ(myAudio->IsPlaying(slot), slot == Music(MUSIC_MENU)) << route.route << " slot " << slot;
        EXPECT_EQ(myAudio->CountPlays(Music(MUSIC_MENU)), menuWasPlaying ? 0u : 1u) << route.route;
    }
}

TEST_F(StateStackTest, BehindTheFirstLogoEveryScreenIsReadyBeforeItShowsAndASkipHasTheMenuMusic)
{
    // -1: no skip; otherwise the skip key goes down before that frame.
    for (const int skipFrame : {-1, 0, 1})
    {
        SplashScreenState::ResetSharedFlagsForTesting();
        myAudio->ClearEvents();
        const auto stack = std::make_unique<StateStack>();
        stack->InitFirstScreen();
        // The first logo does not wait for the sound table or the other screens.
        EXPECT_EQ(stack->GetScreenStack(), std::vector<State*>{&stack->GetSplash1()}) << skipFrame;
        EXPECT_FALSE(stack->IsInitComplete()) << skipFrame;
        EXPECT_TRUE(myAudio->GetEvents().empty()) << skipFrame;

        // The clamped frame time: the fade ends before one step a frame would have finished.
        const State* firstOther = nullptr;
        for (int frame = 0; frame < 200 && !firstOther; ++frame)
        {
            if (frame == skipFrame)
                myKeys.Down(VK_ESCAPE);
            myInput.Update();
            myGamepad.Update();
            stack->Update(0.03f, myInput, myGamepad);
            stack->Render();
            if (frame == skipFrame)
            {
                myKeys.Up(VK_ESCAPE);
                // Loaded before it plays.
                const auto& events = myAudio->GetEvents();
                const auto load = std::find_if(events.begin(), events.end(), [](const auto& aEvent) {
                    return aEvent.myOp == RecordingSoundBackend::Op::Load && aEvent.mySlot == Music(MUSIC_MENU);
                });
                const auto play = std::find_if(events.begin(), events.end(), [](const auto& aEvent) {
                    return aEvent.myOp == RecordingSoundBackend::Op::Play && aEvent.mySlot == Music(MUSIC_MENU);
                });
                EXPECT_LT(load, play) << skipFrame;
                EXPECT_NE(play, events.end()) << skipFrame;
            }
            for (State* screen : stack->GetScreenStack())
                if (screen != &stack->GetSplash1() && screen != &stack->GetTransition())
                    firstOther = screen;
        }
        ASSERT_NE(firstOther, nullptr) << skipFrame;
        EXPECT_EQ(firstOther, skipFrame < 0 ? static_cast<State*>(&stack->GetSplash3()) : &stack->GetMainMenu())
            << skipFrame;
        // Set up exactly as Init does.
        EXPECT_TRUE(stack->IsInitComplete()) << skipFrame;
        EXPECT_STREQ(stack->GetSplash3().GetTexturePath(), myStack.GetSplash3().GetTexturePath()) << skipFrame;
        EXPECT_EQ(stack->GetSplash3().GetNextCommand(), COMMAND_THIRD_SPLASH) << skipFrame;
        EXPECT_STREQ(stack->GetSplash2().GetTexturePath(), myStack.GetSplash2().GetTexturePath()) << skipFrame;
        EXPECT_EQ(stack->GetSplash2().GetNextCommand(), COMMAND_MAIN_MENU) << skipFrame;
        EXPECT_FLOAT_EQ(GetAudioManager().GetMusicVolume(), 0.6f) << skipFrame;
        EXPECT_FLOAT_EQ(GetAudioManager().GetSfxVolume(), 0.6f) << skipFrame;
        EXPECT_EQ(myAudio->GetVolume(Music(MUSIC_MENU)), 0.6f) << skipFrame;
    }
}
