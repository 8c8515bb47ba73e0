#include "StateStack.h"

#include "AnimatedEffectPool.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "input/InputManager.h"
#include "loaders/ContentPrefetch.h"
#include "platform/Platform.h"
#include "scene/ObjectDefinition.h"
#include "settings/Settings.h"

#include <random>

namespace
{
constexpr const char* SPLASH_QEL = "art/2d/Textures/T_UI_QELSplash.png";
constexpr const char* SPLASH_RUV = "art/2d/Textures/T_UI_RuvSplash.png";
constexpr const char* SPLASH_MOSSBIN = "art/2d/Textures/T_UI_MossbinSplash.png";
constexpr float START_VOLUME = 0.6f;
}

StateStack::StateStack()
{
    // Deep enough for every stack the game builds ([play, pause, settings, fade] is the deepest),
    // so pushing never allocates while the game runs.
    myScreenStack.reserve(16);
}

StateStack::~StateStack() = default;

void StateStack::LoadObjectDefinitions()
{
    Qel::GetObjectDefinitionManager().LoadAll(Qel::Settings::GetGameAssetsPath().string());
}

void StateStack::BindInputs(InputMapper& aMapper) { BindDefaultInputs(aMapper); }

void StateStack::PrefetchContent()
{
    // In the order of need: the first frame, then the screens' constructors and the sound table,
    // then the other logos and the screens behind them.
    TransitionState::Prefetch();
    UiSprite::Prefetch(SPLASH_QEL);
    State::Prefetch();
    MenuButton::Prefetch();
    LevelLoadingState::Prefetch();
    AudioManager::Prefetch();
    UiSprite::Prefetch(SPLASH_RUV);
    UiSprite::Prefetch(SPLASH_MOSSBIN);
    EndingCreditsState::Prefetch();
    MainMenuState::Prefetch();
    OptionsState::Prefetch();
    InGameSettingsState::Prefetch();
    InGameMenuState::Prefetch();
    LevelSelectMenuState::Prefetch();
    CreditState::Prefetch();
}

void StateStack::InitFirstScreen()
{
    LoadObjectDefinitions();
    GetRandomEngine().seed(std::random_device{}());
    BindInputs(myInputMapper);

    myTransition.Init();
    // Shown in the order splash 1, splash 3, splash 2, then the main menu.
    mySplash1.Init();
    mySplash1.SetTexture(SPLASH_QEL);
    mySplash1.SetNextCommand(COMMAND_SECOND_SPLASH);

    Push(mySplash1);
    myNextInit = 0;
}

void StateStack::RunInitStep(Qel::u32 aStep)
{
    switch (aStep)
    {
    // The sound table: a skipped logo starts the menu music.
    case AUDIO_INIT_STEP:
    {
        AudioManager& audio = GetAudioManager();
        audio.Init();
        audio.SetMusicVolume(START_VOLUME);
        audio.SetSfxVolume(START_VOLUME);
        break;
    }
    // The other two logos: they show next.
    case 1:
        mySplash3.Init();
        mySplash3.SetTexture(SPLASH_RUV);
        mySplash3.SetNextCommand(COMMAND_THIRD_SPLASH);
        break;
    case 2:
        mySplash2.Init();
        mySplash2.SetTexture(SPLASH_MOSSBIN);
        mySplash2.SetNextCommand(COMMAND_MAIN_MENU);
        break;
    case 3: myIntro.Init(); break;
    case 4: myEndingCredits.Init(); break;
    case 5: myMainMenu.Init(); break;
    case 6: myPlayScreen.Init(); break;
    case 7: myOptions.Init(); break;
    case 8: myInGameSettings.Init(); break;
    case 9: myPauseMenu.Init(); break;
    case 10: myLevelSelect.Init(); break;
    case 11: myLoadingScreen.Init(); break;
    case 12: myCredits.Init(); break;
    default: break;
    }
}

void StateStack::CompleteInit()
{
    if (IsInitComplete())
        return;
    while (!IsInitComplete())
        RunInitStep(myNextInit++);
    // Whatever was prefetched and not used is not kept.
    Qel::ContentPrefetch::Get().DropUnclaimed();
}

void StateStack::Update(float aDeltaTime, Qel::InputManager& aInput, Qel::XInputController& aGamepad)
{
    if (myScreenStack.empty())
    {
        Qel::Platform::PostQuitMessage(0);
        return;
    }
    // From the second frame on, so that nothing delays the first picture.
    if (!IsInitComplete() && myFrameCount > 0)
    {
        RunInitStep(myNextInit++);
        if (IsInitComplete())
            Qel::ContentPrefetch::Get().DropUnclaimed();
    }
    myInputMapper.Update(aInput, aGamepad, aDeltaTime);
    // A logo skipped before the sound table is loaded starts the menu music: load it first.
    if (myNextInit == AUDIO_INIT_STEP && myInputMapper.IsActionPressed(ACTION_SKIP))
        RunInitStep(myNextInit++);

    UpdateContext context;
    context.myActions = &myInputMapper;
    context.myDeltaTime = aDeltaTime;
    context.myInput = &aInput;
    context.myFrame = ++myFrameCount;
    const StateCommand command = myScreenStack.back()->Update(context);

    // Every frame, whatever is on top (the pause menu included).
    AnimatedEffectPool::Get().Update(aDeltaTime);
    GetAudioManager().Update(aDeltaTime);

    Execute(command, context);
}

void StateStack::Render()
{
    for (State* state : myScreenStack)
        state->Render();
}

void StateStack::Execute(const StateCommand& aCommand, const UpdateContext& aContext)
{
    StateCommand command = aCommand;
    if (command.myUseTransition)
    {
        // One fade at a time: a command that asks for a fade while one runs waits for its end.
        if (myTransitionActive)
        {
            if (!myHasDeferredCommand)
            {
                myDeferredCommand = aCommand;
                myDeferredCommand.myKeepOnTop = 0;
                myHasDeferredCommand = true;
            }
            return;
        }
        myTransition.SetPendingCommand(command);
        myTransition.Reset();
        myTransition.ResetTimer();
        myTransition.Relayout();
        Push(myTransition);
        myTransitionActive = true;
        command.myCode = COMMAND_ADVANCE_TRANSITION;
    }

    State* keptOnTop = nullptr;
    if (command.myKeepOnTop && !myScreenStack.empty())
    {
        keptOnTop = myScreenStack.back();
        Pop();
    }

    ApplyCode(command, aContext);
    if (command.myCode == COMMAND_QUIT)
        return;

    if (keptOnTop)
        Push(*keptOnTop);
}

void StateStack::PrepareLoading(Qel::u8 aReason)
{
    Push(myLoadingScreen);
    myLoadingScreen.Relayout();
    myLoadingScreen.ResetTimer();
    myLoadingScreen.SetMinimumTime(LevelLoadingState::MINIMUM_TIME);
    myLoadingScreen.SetReason(aReason);
}

void StateStack::AdvanceTransition(const UpdateContext& aContext)
{
    switch (myTransition.GetPhase())
    {
    case TransitionState::PHASE_IDLE: myTransition.Start(); break;
    case TransitionState::PHASE_FADING_IN: {
        // The new screen runs beneath the fade-in. Whatever it asks for goes ahead with all its
        // effects: at once beneath the fade, or, when it wants a fade of its own, right after
        // this one (and the screen waits, so it cannot ask twice).
        if (myHasDeferredCommand || myScreenStack.size() < 2)
            break;
        State* beneath = myScreenStack[myScreenStack.size() - 2];
        StateCommand command = beneath->Update(aContext);
        if (command.myUseTransition)
            Execute(command, aContext);
        else if (command.myCode != COMMAND_NONE)
        {
            command.myKeepOnTop = 1;
            Execute(command, aContext);
        }
        break;
    }
    case TransitionState::PHASE_DONE:
        if (!myScreenStack.empty() && myScreenStack.back() == &myTransition)
        {
            myTransition.ResetTimer();
            Pop();
        }
        myTransitionActive = false;
        if (myHasDeferredCommand)
        {
            myHasDeferredCommand = false;
            const StateCommand deferred = myDeferredCommand;
            Execute(deferred, aContext);
        }
        break;
    default: break;
    }
}

void StateStack::ApplyCode(const StateCommand& aCommand, const UpdateContext& aContext)
{
    if (aCommand.myCode != COMMAND_NONE && aCommand.myCode != COMMAND_ADVANCE_TRANSITION)
        CompleteInit();
    switch (aCommand.myCode)
    {
    case COMMAND_OPEN_LEVEL_SELECT:
        Clear();
        myPlayScreen.ResetTimer();
        Push(myLevelSelect);
        break;
    case COMMAND_LOAD_STEP:
        if (!myPlayScreen.LoadStep())
        {
            // The level cannot be loaded (the play screen said why): back to the menu.
            Execute(MakeCommand(COMMAND_MAIN_MENU, true), aContext);
            break;
        }
        if (!myPlayScreen.IsLoadPending())
            myLoadingScreen.SetLevelReady(true);
        break;
    case COMMAND_REMOVE_LOADING_SCREEN:
        if (!myScreenStack.empty())
        {
            myScreenStack.back()->ResetTimer();
            Pop();
        }
        myLoadingScreen.SetLevelReady(false);
        myLoadingScreen.ResetTimer();
        break;
    case COMMAND_START_LEVEL:
        Clear();
        myPlayScreen.SetTimer(LEVEL_TIME);
        myPlayScreen.SetCheckpointActive(0);
        Push(myPlayScreen);
        myPlayScreen.RequestLevel(aCommand.myArgument);
        PrepareLoading(LOADING_START_LEVEL);
        myPlayScreen.ClearPlayerPowerUp();
        break;
    case COMMAND_NEXT_LEVEL:
        // The player keeps the power-up.
        Clear();
        myPlayScreen.SetTimer(LEVEL_TIME);
        myPlayScreen.GetHud().StartPulse();
        myPlayScreen.SetCheckpointActive(0);
        Push(myPlayScreen);
        myPlayScreen.RequestLevel(aCommand.myArgument);
        PrepareLoading(LOADING_NEXT_LEVEL);
        break;
    case COMMAND_MAIN_MENU:
        myPlayScreen.StopAllSounds();
        Clear();
        myMainMenu.ResetTimer();
        myPlayScreen.ResetRun();
        myPlayScreen.ClearCurrentLevel();
        Push(myMainMenu);
        // Whichever way the menu was reached (pause menu, ending, a failed load), only its
        // own music plays there.
        GetAudioManager().ReturnToMenuMusic();
        break;
    case COMMAND_POP:
        if (!myScreenStack.empty())
        {
            myScreenStack.back()->ResetTimer();
            Pop();
        }
        break;
    case COMMAND_QUIT:
        Clear();
        myTransitionActive = false;
        myHasDeferredCommand = false;
        Qel::Platform::PostQuitMessage(0);
        break;
    case COMMAND_PAUSE:
        Push(myPauseMenu);
        myPauseMenu.Relayout();
        break;
    case COMMAND_OPTIONS:
        Push(myOptions);
        myOptions.Relayout();
        break;
    case COMMAND_IN_GAME_SETTINGS:
        Push(myInGameSettings);
        myInGameSettings.Relayout();
        break;
    case COMMAND_CREDITS:
        Push(myCredits);
        myCredits.Relayout();
        break;
    case COMMAND_LIFE_LOST:
        // The level reloads in place: the play screen stays beneath the loading screen.
        myPlayScreen.SetCheckpointActive(aCommand.myAtCheckpoint);
        if (aCommand.myAtCheckpoint)
        {
            myPlayScreen.MovePlayerToCheckpoint();
            myPlayScreen.SetTimer(myPlayScreen.GetHud().GetCheckpointTime());
        }
        else
        {
            myPlayScreen.SetTimer(LEVEL_TIME);
        }
        myPlayScreen.RequestLevel(aCommand.myArgument);
        PrepareLoading(LOADING_LIFE_LOST);
        break;
    case COMMAND_OUT_OF_LIVES:
    case COMMAND_OUT_OF_TIME:
        myPlayScreen.SetTimer(LEVEL_TIME);
        myPlayScreen.SetCheckpointActive(0);
        myPlayScreen.RequestLevel(aCommand.myArgument);
        PrepareLoading(aCommand.myCode == COMMAND_OUT_OF_LIVES ? LOADING_OUT_OF_LIVES : LOADING_OUT_OF_TIME);
        break;
    case COMMAND_INTRO:
        Clear();
        Push(myIntro);
        myIntro.Restart();
        break;
    case COMMAND_FIRST_SPLASH:
        Clear();
        mySplash1.ResetTimer();
        Push(mySplash1);
        mySplash1.Relayout();
        break;
    case COMMAND_THIRD_SPLASH:
        Clear();
        mySplash2.ResetTimer();
        Push(mySplash2);
        mySplash2.Relayout();
        break;
    case COMMAND_SECOND_SPLASH:
        Clear();
        mySplash3.ResetTimer();
        Push(mySplash3);
        mySplash3.Relayout();
        break;
    case COMMAND_ADVANCE_TRANSITION: AdvanceTransition(aContext); break;
    case COMMAND_ENDING_CREDITS:
        // The level's loops (enemies, the fan, a zipline ride) must not play on under the credits.
        myPlayScreen.StopAllSounds();
        Clear();
        myEndingCredits.ResetTexts();
        myEndingCredits.ResetTimer();
        myEndingCredits.SetStatistics(myPlayScreen.GetHud().GetScore(), myPlayScreen.GetHud().GetBatteryCount(),
                                      myPlayScreen.GetHud().GetExtraLifeCount());
        Push(myEndingCredits);
        myEndingCredits.Relayout();
        break;
    default: break;
    }
}
