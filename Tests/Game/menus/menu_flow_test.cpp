// The menus on the real state stack, driven by keys through the input manager: the whole walk
// from the logos to quitting, the main menu's wrap-around, presses held into a menu, the
// settings' sliders and window-mode buttons, the level list, and the ending's typing.
#include "../states/FlowFixture.h"
#include "LevelSelectMenuState.h"
#include "MenuWidgets.h"
#include "SettingsPanel.h"
#include "StateStack.h"
#include "TestSupport.h"
#include "platform/VirtualKeys.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

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

class FakeWindowMode final : public WindowModeControl
{
public:
    bool IsFullscreen() const override { return myFullscreen; }
    bool SetFullscreen(bool aFullscreen) override
    {
        myCalls.push_back(aFullscreen ? "fullscreen" : "windowed");
        if (myRefuse)
            return false;
        myFullscreen = aFullscreen;
        return true;
    }
    bool SetResolution(u32 aWidth, u32 aHeight) override
    {
        myCalls.push_back(std::to_string(aWidth) + "x" + std::to_string(aHeight));
        return !myRefuse;
    }
    bool myFullscreen = true;
    bool myRefuse = false;
    std::vector<std::string> myCalls;
};

class MenuFlowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mySavedGameRoot = Settings::GetGameAssetsPath();
        Settings::GetGameAssetsPath() = myLevels.Path();
        for (int i = 1; i <= 4; ++i)
        {
            myLevels.Write("scenes/game_scenes/level" + std::to_string(i) + ".qls", "");
            myLevels.Write("scenes/game_scenes/level" + std::to_string(i) + ".leveldata/notes.txt", "");
        }
        SetWindowModeControl(&myWindowMode);
        SplashScreenState::ResetSharedFlagsForTesting();
        Platform::ResetMessageQueue();
        myStack.Init();
        myAudio->ClearEvents();
    }
    void TearDown() override
    {
        SetWindowModeControl(nullptr);
        Settings::GetGameAssetsPath() = mySavedGameRoot;
        Platform::ResetMessageQueue();
    }
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
    // A key down for aFrames frames, then up for one.
    void Tap(u32 aKey, int aFrames = 2)
    {
        myKeys.Down(aKey);
        Frames(aFrames);
        myKeys.Up(aKey);
        Frame();
    }
    State* Top() const { return myStack.GetTop(); }
    // Frames until aState is on top with no fade over it (at most ten seconds).
    void RunUntilTop(State& aState)
    {
        for (int i = 0; i < 640 && Top() != &aState; ++i)
            Frame();
        ASSERT_EQ(Top(), &aState);
    }
    void ToMainMenu()
    {
        Tap(VK_ESCAPE);
        RunUntilTop(myStack.GetMainMenu());
    }
    static u32 Music(u8 aId) { return AudioManager::GetSlot(SOUND_CATEGORY_MUSIC, aId); }
    static u32 Effect(u8 aId) { return AudioManager::GetSlot(SOUND_CATEGORY_EFFECTS, aId); }

    QelTest::TempFolder myLevels;
    std::filesystem::path mySavedGameRoot;
    FakeWindowMode myWindowMode;
    RecordedAudio myAudio;
    FakePad myPad;
    InputManager myInput{nullptr};
    XInputController myGamepad;
    Keys myKeys{myInput};
    StateStack myStack;
};
}

TEST_F(MenuFlowTest, WalksFromTheLogosThroughEveryScreenAndQuits)
{
    // Boot: the logos in their order; skip goes to the menu and starts its music once.
    EXPECT_EQ(Top(), &myStack.GetSplash1());
    Frames(96);
    EXPECT_EQ(Top(), &myStack.GetSplash1());   // 1.5 s is not yet past
    Frames(15);                                 // past it, and through the fade-out
    EXPECT_EQ(myStack.GetScreenStack().front(), &myStack.GetSplash3());
    ToMainMenu();
    EXPECT_EQ(myAudio->CountPlays(Music(MUSIC_MENU)), 1u);

    // Level select, a chapter level, the loading screen, the play screen.
    Tap(VK_DOWN);
    EXPECT_EQ(myStack.GetMainMenu().GetSelected(), MainMenuState::BUTTON_LEVEL_SELECT);
    Tap(VK_RETURN);
    RunUntilTop(myStack.GetLevelSelect());
    ASSERT_EQ(myStack.GetLevelSelect().GetButtons().size(), 5u);
    EXPECT_EQ(myStack.GetLevelSelect().GetButtons()[3].GetLabel(), "Chapter 2-1");
    Tap(VK_DOWN);   // Chapter 1-1 -> Chapter 2-1
    EXPECT_EQ(myStack.GetLevelSelect().GetSelected(), 3);
    Tap(VK_RETURN);
    RunUntilTop(myStack.GetLoadingScreen());
    EXPECT_EQ(myStack.GetPlayScreen().GetRequestedLevel(), StringId(std::string("scenes/game_scenes/level4.qls")));
    RunUntilTop(myStack.GetPlayScreen());

    // Pause, the in-game settings over it, back, then the main menu with its music.
    Tap(VK_ESCAPE);
    ASSERT_EQ(Top(), &myStack.GetPauseMenu());
    Tap(VK_DOWN);
    Tap(VK_RETURN);
    ASSERT_EQ(Top(), &myStack.GetInGameSettings());
    EXPECT_EQ(myStack.GetScreenStack().size(), 3u);
    Tap(VK_ESCAPE);
    ASSERT_EQ(Top(), &myStack.GetPauseMenu());
    Frame();
    EXPECT_EQ(myStack.GetPauseMenu().GetSelected(), InGameMenuState::BUTTON_RESUME);
    Tap(VK_DOWN);
    Tap(VK_DOWN);
    Tap(VK_RETURN);
    RunUntilTop(myStack.GetMainMenu());
    EXPECT_TRUE(myAudio->IsPlaying(Music(MUSIC_MENU)));

    // Options and back, the credits and back, then quit.
    while (myStack.GetMainMenu().GetSelected() != MainMenuState::BUTTON_OPTIONS)
        Tap(VK_DOWN);
    Tap(VK_RETURN);
    RunUntilTop(myStack.GetOptions());
    Tap(VK_ESCAPE);
    RunUntilTop(myStack.GetMainMenu());
    EXPECT_EQ(myStack.GetMainMenu().GetSelected(), MainMenuState::BUTTON_START_GAME);
    Tap(VK_UP);
    Tap(VK_UP);
    Tap(VK_RETURN);
    RunUntilTop(myStack.GetCredits());
    Tap(VK_ESCAPE);
    RunUntilTop(myStack.GetMainMenu());
    while (myStack.GetMainMenu().GetSelected() != MainMenuState::BUTTON_QUIT)
        Tap(VK_DOWN);
    Tap(VK_RETURN);
    EXPECT_TRUE(myStack.GetScreenStack().empty());
    EXPECT_TRUE(TakeQuit());
}

TEST_F(MenuFlowTest, MainMenuSelectionWrapsRoundAndPlaysTheMoveSound)
{
    ToMainMenu();
    Frames(3);
    const MainMenuState& menu = myStack.GetMainMenu();
    ASSERT_EQ(menu.GetButtons().size(), 5u);
    EXPECT_EQ(menu.GetButtons()[0].GetLabel(), "Start Game");
    EXPECT_EQ(menu.GetButtons()[4].GetLabel(), "Quit");
    EXPECT_EQ(menu.GetSelected(), 0);
    myAudio->ClearEvents();
    Tap(VK_UP);
    EXPECT_EQ(menu.GetSelected(), MainMenuState::BUTTON_QUIT);
    EXPECT_EQ(menu.GetButtons()[4].GetVisualState(), MenuButton::VISUAL_SELECTED);
    EXPECT_EQ(myAudio->CountPlays(Effect(SFX_UI_MOVE_SELECTION)), 1u);
    Tap(VK_DOWN);
    EXPECT_EQ(menu.GetSelected(), MainMenuState::BUTTON_START_GAME);
}

TEST_F(MenuFlowTest, EachButtonKindClicksWithItsOwnSound)
{
    ToMainMenu();
    Frames(3);
    const MainMenuState& menu = myStack.GetMainMenu();
    // An accept button, a small "Back" on another screen, the small "Quit".
    const struct
    {
        int button;       // main-menu button to click, -1: the top screen's selected one
        State* leadsTo;   // null: the game quits
        u8 sound;
    } clicks[] = {
        {MainMenuState::BUTTON_CREDITS, &myStack.GetCredits(), SFX_UI_ACCEPT},
        {-1, &myStack.GetMainMenu(), SFX_UI_CANCEL},
        {MainMenuState::BUTTON_QUIT, nullptr, SFX_UI_CANCEL},
    };
    for (const auto& click : clicks)
    {
        for (int i = 0; i < 5 && click.button >= 0 && menu.GetSelected() != click.button; ++i)
            Tap(VK_DOWN);
        myAudio->ClearEvents();
        Tap(VK_RETURN);
        for (u8 sound : {SFX_UI_ACCEPT, SFX_UI_CANCEL, SFX_UI_START})
            EXPECT_EQ(myAudio->CountPlays(Effect(sound)), sound == click.sound ? 1u : 0u) << click.button;
        if (click.leadsTo)
            RunUntilTop(*click.leadsTo);
        else
            EXPECT_TRUE(TakeQuit());
    }
}

TEST_F(MenuFlowTest, AOneFrameTapClicksButAPressHeldIntoTheMenuDoesNot)
{
    ToMainMenu();
    Tap(VK_DOWN);
    Tap(VK_RETURN);
    RunUntilTop(myStack.GetLevelSelect());
    // Space (confirm) held while back leads to the main menu: releasing it there clicks nothing.
    myKeys.Down(VK_SPACE);
    Frames(2);
    Tap(VK_ESCAPE);
    RunUntilTop(myStack.GetMainMenu());
    Frames(5);
    myKeys.Up(VK_SPACE);
    Frames(30);
    EXPECT_EQ(Top(), &myStack.GetMainMenu());
    // A tap of a single frame clicks "Level Select" (still selected).
    myAudio->ClearEvents();
    Tap(VK_RETURN, 1);
    EXPECT_EQ(myAudio->CountPlays(Effect(SFX_UI_ACCEPT)), 1u);
    RunUntilTop(myStack.GetLevelSelect());
}

TEST_F(MenuFlowTest, OptionsSlidersAndWindowModeButtons)
{
    ToMainMenu();
    Tap(VK_DOWN);
    Tap(VK_DOWN);
    Tap(VK_RETURN);
    RunUntilTop(myStack.GetOptions());
    const SettingsPanel& panel = myStack.GetOptions().GetPanel();

    // In full screen the resolutions are disabled and the keys skip them.
    for (int control : {SettingsPanel::BUTTON_1280X720, SettingsPanel::BUTTON_1920X1080, SettingsPanel::BUTTON_2560X1440})
        EXPECT_EQ(panel.GetButton(control).GetVisualState(), MenuButton::VISUAL_DISABLED);
    Tap(VK_DOWN);
    EXPECT_EQ(panel.GetSelected(), SettingsPanel::SLIDER_MUSIC);

    // Right held on the music slider raises the music only.
    const float sfx = GetAudioManager().GetSfxVolume();
    myKeys.Down(VK_RIGHT);
    Frames(17);   // held from the second frame: 16 frames of 1/64 s
    myKeys.Up(VK_RIGHT);
    Frame();
    EXPECT_NEAR(GetAudioManager().GetMusicVolume(), 0.85f, 0.001f);
    EXPECT_FLOAT_EQ(GetAudioManager().GetSfxVolume(), sfx);
    EXPECT_NEAR(panel.GetSlider(SettingsPanel::SLIDER_MUSIC).GetValue(), 0.85f, 0.001f);
    // A volume set elsewhere shows at once.
    GetAudioManager().SetSfxVolume(0.25f);
    Frame();
    EXPECT_FLOAT_EQ(panel.GetSlider(SettingsPanel::SLIDER_SFX).GetValue(), 0.25f);

    Tap(VK_DOWN);
    Tap(VK_DOWN);
    Tap(VK_DOWN);
    EXPECT_EQ(panel.GetSelected(), SettingsPanel::BUTTON_WINDOWED);
    Tap(VK_DOWN);
    EXPECT_EQ(panel.GetSelected(), SettingsPanel::BUTTON_BACK);
    Tap(VK_UP);
    Tap(VK_RETURN);
    EXPECT_EQ(myWindowMode.myCalls, std::vector<std::string>{"windowed"});
    Frame();
    EXPECT_EQ(panel.GetButton(SettingsPanel::BUTTON_1920X1080).GetVisualState(), MenuButton::VISUAL_NORMAL);
    Tap(VK_DOWN);
    Tap(VK_DOWN);
    Tap(VK_RETURN);
    EXPECT_EQ(myWindowMode.myCalls.back(), "1920x1080");

    // A change the system refuses says so and leaves the screen working.
    myWindowMode.myRefuse = true;
    testing::internal::CaptureStderr();
    Tap(VK_RETURN);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("1920x1080"), std::string::npos) << message;
    EXPECT_EQ(Top(), &myStack.GetOptions());

    Tap(VK_ESCAPE);
    RunUntilTop(myStack.GetMainMenu());
}

TEST_F(MenuFlowTest, LevelListLabelsAndGridNavigation)
{
    QelTest::TempFolder folder;
    for (int i = 1; i <= 7; ++i)
        folder.Write("scenes/game_scenes/level" + std::to_string(i) + ".qls", "");
    folder.Write("scenes/game_scenes/level1.leveldata/8d2f0c7e-0000-0000-0000-000000000001", "{}");
    folder.Write("scenes/game_scenes/notes.json", "{}");
    const std::vector<std::string> levels = LevelSelectMenuState::FindLevels(folder.Path(), "scenes/game_scenes");
    ASSERT_EQ(levels.size(), 7u);
    EXPECT_EQ(levels[0], "scenes/game_scenes/level1.qls");
    EXPECT_EQ(LevelSelectMenuState::MakeLabel(0), "Chapter 1-1");
    EXPECT_EQ(LevelSelectMenuState::MakeLabel(5), "Chapter 2-3");
    EXPECT_EQ(LevelSelectMenuState::MakeLabel(6), "Chapter 3-1");

    const struct
    {
        int levels, from;
        u32 action;
        int to;
    } moves[] = {
        {6, 6, ACTION_MENU_UP, 4},   {6, 0, ACTION_MENU_DOWN, 3}, {6, 5, ACTION_MENU_DOWN, 6},
        {6, 5, ACTION_MENU_RIGHT, 5}, {7, 6, ACTION_MENU_RIGHT, 7}, {7, 4, ACTION_MENU_DOWN, 7},
        {4, 2, ACTION_MENU_DOWN, 4},  {6, 1, ACTION_MENU_LEFT, 0},
    };
    for (const auto& move : moves)
        EXPECT_EQ(LevelSelectMenuState::Navigate(move.from, move.action, move.levels), move.to)
            << move.levels << " levels, from " << move.from;

    // Rows centred and a chapter per row, at 1280 x 720 (units follow the height).
    const Vector2f first = LevelSelectMenuState::GetLevelButtonCentre(0, 6, 1280, 720);
    const Vector2f second = LevelSelectMenuState::GetLevelButtonCentre(1, 6, 1280, 720);
    const Vector2f fourth = LevelSelectMenuState::GetLevelButtonCentre(3, 6, 1280, 720);
    EXPECT_FLOAT_EQ(second.x, 640.0f);
    EXPECT_FLOAT_EQ(second.x - first.x, 222.0f * 0.72f);
    EXPECT_FLOAT_EQ(first.y, 432.0f);
    EXPECT_FLOAT_EQ(first.y - fourth.y, 135.0f * 0.72f);

    // No scene folder: only "Back", and the game goes on.
    LevelSelectMenuState empty;
    testing::internal::CaptureStderr();
    empty.BuildFrom(folder.Path() / "missing");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("missing"), std::string::npos);
    ASSERT_EQ(empty.GetButtons().size(), 1u);
    EXPECT_EQ(empty.GetButtons()[0].GetLabel(), "Back");
}

TEST_F(MenuFlowTest, EndingCreditsTypeACharacterEveryTwentiethOfASecondAndOnlySkipLeaves)
{
    EndingCreditsState& ending = myStack.GetEndingCredits();
    ending.ResetTexts();
    ending.ResetTimer();
    ending.SetStatistics(12345, 7, 3);
    ASSERT_EQ(ending.GetStatisticsString(), "Score: 12345\nBatteries: 7\nExtra lives: 3");
    ASSERT_EQ(ending.GetStatisticsString().size(), 40u);
    myStack.PushForTesting(ending);
    Frames(65);   // 1.015625 s: 20 characters
    EXPECT_EQ(ending.GetStatisticsText().GetText(), ending.GetStatisticsString().substr(0, 20));
    EXPECT_EQ(ending.GetLeftColumnText().GetText(), ending.GetLeftColumnString().substr(0, 20));
    Frames(64);   // past 2 s: all 40
    EXPECT_EQ(ending.GetStatisticsText().GetText(), ending.GetStatisticsString());
    EXPECT_EQ(ending.GetRightColumnText().GetText().size(), 40u);

    Tap(VK_RETURN);
    Tap(VK_SPACE);
    EXPECT_EQ(Top(), &ending);
    myAudio->ClearEvents();
    Tap(VK_ESCAPE);
    EXPECT_EQ(myAudio->CountPlays(Music(MUSIC_MENU)), 1u);
    EXPECT_EQ(myAudio->CountStops(AudioManager::GetSlot(SOUND_CATEGORY_AMBIENT, AMBIENT_LEVEL3)), 1u);
    RunUntilTop(myStack.GetMainMenu());

    // A second ending starts typing from nothing.
    ending.ResetTexts();
    ending.ResetTimer();
    myStack.PushForTesting(ending);
    Frame();
    EXPECT_TRUE(ending.GetStatisticsText().GetText().empty());
}

TEST(MenuWidgets, SliderClampsAndReportsOnlyRealChanges)
{
    MenuSlider slider;
    slider.Setup("Music Volume", 0.0f, 1.0f, 1.0f);
    std::vector<float> changes;
    slider.SetOnChange([&](float aValue) { changes.push_back(aValue); });
    slider.SetValueFraction(1.5f);
    slider.SetValue(1.0000001f);
    EXPECT_TRUE(changes.empty());
    slider.SetValueFraction(0.25f);
    slider.ShowValue(0.5f);
    EXPECT_EQ(changes, std::vector<float>{0.25f});
    EXPECT_FLOAT_EQ(slider.GetValue(), 0.5f);
    EXPECT_EQ(StepSelection(-1, 5, -1), 4);
    EXPECT_EQ(StepSelection(0, 5, -1), 4);
    EXPECT_EQ(StepSelection(3, 8, 1, [](int aIndex) { return aIndex >= 4 && aIndex <= 6; }), 7);
}

TEST(MenuWidgets, AMouseClickCountsOnlyWhenPressAndReleaseAreBothOnTheButton)
{
    RecordedAudio audio;
    FakePad pad;
    InputManager input{nullptr};
    XInputController gamepad;
    InputMapper mapper(0.4f, 0.9f);
    BindDefaultInputs(mapper);
    MenuButton button;
    button.SetRelativePosition(0.5f, 0.5f);
    button.Setup("Resume", MenuButton::KIND_ACCEPT);
    button.SetMouseAllowed(true);
    u32 frame = 0;
    auto step = [&]() {
        input.Update();
        gamepad.Update();
        mapper.Update(input, gamepad, DT);
        UpdateContext context;
        context.myActions = &mapper;
        context.myDeltaTime = DT;
        context.myInput = &input;
        context.myFrame = ++frame;
        button.Update(context, false);
        return button.IsClicked();
    };
    auto moveTo = [&](int aX, int aY) { input.UpdateEvents(WM_MOUSEMOVE, 0, static_cast<LPARAM>((aY << 16) | aX)); };
    moveTo(640, 360);   // the centre of a 1280 x 720 render area
    step();
    EXPECT_TRUE(button.IsHovered());
    EXPECT_EQ(button.GetVisualState(), MenuButton::VISUAL_SELECTED);

    // Pressed on it, released off it: nothing.
    input.UpdateEvents(WM_LBUTTONDOWN, 0, 0);
    EXPECT_FALSE(step());
    EXPECT_EQ(button.GetVisualState(), MenuButton::VISUAL_PRESSED);
    moveTo(10, 10);
    step();
    input.UpdateEvents(WM_LBUTTONUP, 0, 0);
    EXPECT_FALSE(step());

    // Pressed and released on it: one click with the accept sound and a rumble.
    audio->ClearEvents();
    moveTo(640, 360);
    step();
    input.UpdateEvents(WM_LBUTTONDOWN, 0, 0);
    step();
    input.UpdateEvents(WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(step());
    EXPECT_EQ(audio->CountPlays(AudioManager::GetSlot(SOUND_CATEGORY_EFFECTS, SFX_UI_ACCEPT)), 1u);
    EXPECT_FALSE(step());

    // A disabled button never clicks and draws at half opacity.
    button.SetDisabled(true);
    input.UpdateEvents(WM_LBUTTONDOWN, 0, 0);
    step();
    input.UpdateEvents(WM_LBUTTONUP, 0, 0);
    EXPECT_FALSE(step());
    EXPECT_EQ(button.GetVisualState(), MenuButton::VISUAL_DISABLED);
}

TEST_F(MenuFlowTest, AnIntroFilmThatCannotPlayEndsAtOnceAndTheFirstLevelLoads)
{
    // The tests run where no film lies: the intro has nothing to show.
    ASSERT_FALSE(myStack.GetIntro().IsVideoValid());
    ToMainMenu();
    ASSERT_EQ(myStack.GetMainMenu().GetSelected(), MainMenuState::BUTTON_START_GAME);
    myAudio->ClearEvents();
    Tap(VK_RETURN);
    RunUntilTop(myStack.GetLoadingScreen());
    EXPECT_EQ(myStack.GetPlayScreen().GetRequestedLevel(), StringId(std::string("scenes/game_scenes/level1.qls")));
    EXPECT_EQ(myAudio->CountPlays(Music(MUSIC_INTRO)), 1u);
    EXPECT_EQ(myAudio->CountPlays(Effect(SFX_UI_START)), 1u);

    // Straight from the intro's own update, with a broken file.
    IntroCutsceneState intro;
    QelTest::TempFolder folder;
    testing::internal::CaptureStderr();
    intro.InitWithPath(folder.Write("broken.mp4", "not a film").string());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("broken.mp4"), std::string::npos);
    intro.Restart();
    InputMapper mapper;
    UpdateContext context;
    context.myActions = &mapper;
    context.myDeltaTime = DT;
    const StateCommand command = intro.Update(context);
    EXPECT_EQ(command.myCode, COMMAND_START_LEVEL);
    EXPECT_TRUE(command.myUseTransition);
    EXPECT_EQ(command.myArgument, StringId(std::string("scenes/game_scenes/level1.qls")));
}
