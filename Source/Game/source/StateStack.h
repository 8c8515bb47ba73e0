#pragma once
// Owns every screen for the whole run, keeps the stack of active screens, runs the top one each
// frame, applies the command it returns, and draws the stack from the bottom up so that a pause
// menu or a fade draws over the screen beneath it. Main thread only.
#include "CreditState.h"
#include "EndingCreditsState.h"
#include "GamePlayingState.h"
#include "InGameMenuState.h"
#include "InGameSettingsState.h"
#include "InputMapper.h"
#include "IntroCutsceneState.h"
#include "LevelLoadingState.h"
#include "LevelSelectMenuState.h"
#include "MainMenuState.h"
#include "OptionsState.h"
#include "SplashScreenState.h"
#include "TransitionState.h"

#include <vector>

namespace Qel
{
class InputManager;
class XInputController;
}

class StateStack
{
public:
    // The level timer at the start of every level, in seconds.
    static constexpr float LEVEL_TIME = 300.0f;

    StateStack();
    ~StateStack();
    StateStack(const StateStack&) = delete;
    StateStack& operator=(const StateStack&) = delete;

    // Object definitions, the sound table, the random seed, the volumes, the bindings, every
    // screen's Init; then the first splash screen is pushed.
    void Init() { InitFirstScreen(); CompleteInit(); }
    // Init up to what the first splash screen needs, which is pushed. The sound table, the other
    // logos and the other screens' Init run in the same order behind it, one a frame from the
    // second Update on (the sound table at once when a logo is skipped before), and all that are
    // left before any command changes the screens, so every screen is ready before it shows.
    void InitFirstScreen();
    // Runs the Init of every screen not yet initialised.
    void CompleteInit();
    bool IsInitComplete() const { return myNextInit >= INIT_STEP_COUNT; }
    // Starts reading and decoding what Init loads on worker threads, the first splash screen's
    // picture first. Needs the asset folders only: may run before the engine starts.
    static void PrefetchContent();
    void Update(float aDeltaTime, Qel::InputManager& aInput, Qel::XInputController& aGamepad);
    void Render();

    void LoadObjectDefinitions();
    static void BindInputs(InputMapper& aMapper);

    const std::vector<State*>& GetScreenStack() const { return myScreenStack; }
    State* GetTop() const { return myScreenStack.empty() ? nullptr : myScreenStack.back(); }
    InputMapper& GetInputMapper() { return myInputMapper; }
    TransitionState& GetTransition() { return myTransition; }
    SplashScreenState& GetSplash1() { return mySplash1; }
    SplashScreenState& GetSplash2() { return mySplash2; }
    SplashScreenState& GetSplash3() { return mySplash3; }
    IntroCutsceneState& GetIntro() { return myIntro; }
    EndingCreditsState& GetEndingCredits() { return myEndingCredits; }
    MainMenuState& GetMainMenu() { return myMainMenu; }
    GamePlayingState& GetPlayScreen() { return myPlayScreen; }
    OptionsState& GetOptions() { return myOptions; }
    InGameSettingsState& GetInGameSettings() { return myInGameSettings; }
    CreditState& GetCredits() { return myCredits; }
    InGameMenuState& GetPauseMenu() { return myPauseMenu; }
    LevelSelectMenuState& GetLevelSelect() { return myLevelSelect; }
    LevelLoadingState& GetLoadingScreen() { return myLoadingScreen; }

    // Tests: puts any screen on the stack, as if a command had pushed it.
    void PushForTesting(State& aState) { myScreenStack.push_back(&aState); }
    // Tests: true while a command of the screen beneath a fade-in waits for the fade to end.
    bool HasDeferredCommand() const { return myHasDeferredCommand; }

private:
    // Steps 5 to 8 of a frame: the fade flag, keep-on-top, the code.
    void Execute(const StateCommand& aCommand, const UpdateContext& aContext);
    void ApplyCode(const StateCommand& aCommand, const UpdateContext& aContext);
    void AdvanceTransition(const UpdateContext& aContext);
    void Push(State& aState) { myScreenStack.push_back(&aState); }
    void Pop()
    {
        if (!myScreenStack.empty())
            myScreenStack.pop_back();
    }
    void Clear() { myScreenStack.clear(); }
    void PrepareLoading(Qel::u8 aReason);
    // The sound table, the other two logos and the screens, initialised behind the first splash
    // screen in Init order.
    static constexpr Qel::u32 AUDIO_INIT_STEP = 0;
    static constexpr Qel::u32 INIT_STEP_COUNT = 13;
    void RunInitStep(Qel::u32 aStep);

    std::vector<State*> myScreenStack;
    TransitionState myTransition;
    SplashScreenState mySplash1;
    SplashScreenState mySplash2;
    SplashScreenState mySplash3;
    IntroCutsceneState myIntro;
    EndingCreditsState myEndingCredits;
    MainMenuState myMainMenu;
    GamePlayingState myPlayScreen;
    OptionsState myOptions;
    InGameSettingsState myInGameSettings;
    CreditState myCredits;
    InGameMenuState myPauseMenu;
    LevelSelectMenuState myLevelSelect;
    LevelLoadingState myLoadingScreen;
    InputMapper myInputMapper{0.4f, 0.9f};
    // A command the screen beneath a fade-in returned with a fade of its own: it waits for the
    // running fade to end, and that screen is not updated again until then.
    StateCommand myDeferredCommand;
    bool myHasDeferredCommand = false;
    // The fade is on the stack (or held aside while a command is applied beneath it).
    bool myTransitionActive = false;
    Qel::u32 myFrameCount = 0;
    Qel::u32 myNextInit = INIT_STEP_COUNT;
};
