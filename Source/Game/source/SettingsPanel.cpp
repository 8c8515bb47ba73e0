#include "SettingsPanel.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "InputMapper.h"
#include "engine/Engine.h"
#include "input/InputManager.h"

#include <cstdio>

namespace
{
WindowModeControl ourEngineWindowMode;
WindowModeControl* ourWindowMode = &ourEngineWindowMode;

struct Resolution
{
    const char* myLabel;
    Qel::u32 myWidth;
    Qel::u32 myHeight;
};
constexpr Resolution RESOLUTIONS[] = {{"1280x720", 1280, 720}, {"1920x1080", 1920, 1080}, {"2560x1440", 2560, 1440}};
}

bool WindowModeControl::IsFullscreen() const
{
    const Qel::Engine* engine = Qel::Engine::GetInstance();
    return engine && engine->IsFullscreen();
}

bool WindowModeControl::SetFullscreen(bool aFullscreen)
{
    Qel::Engine* engine = Qel::Engine::GetInstance();
    return engine && engine->SetFullscreen(aFullscreen);
}

bool WindowModeControl::SetResolution(Qel::u32 aWidth, Qel::u32 aHeight)
{
    Qel::Engine* engine = Qel::Engine::GetInstance();
    return engine && engine->SetResolution(aWidth, aHeight);
}

WindowModeControl& GetWindowModeControl() { return *ourWindowMode; }

void SetWindowModeControl(WindowModeControl* aControl) { ourWindowMode = aControl ? aControl : &ourEngineWindowMode; }

void SettingsPanel::Init(const Layout& aLayout)
{
    AudioManager& audio = GetAudioManager();
    mySliders[0].SetRelativePosition(0.5f, aLayout.myMusicY);
    mySliders[0].Setup("Music Volume", 0.0f, 1.0f, audio.GetMusicVolume());
    mySliders[0].SetOnChange([](float aValue) { GetAudioManager().SetMusicVolume(aValue); });
    mySliders[1].SetRelativePosition(0.5f, aLayout.mySfxY);
    mySliders[1].Setup("SFX Volume", 0.0f, 1.0f, audio.GetSfxVolume());
    mySliders[1].SetOnChange([](float aValue) { GetAudioManager().SetSfxVolume(aValue); });

    Button(BUTTON_FULLSCREEN).SetRelativePosition(aLayout.myFullscreenX, aLayout.myModeY);
    Button(BUTTON_FULLSCREEN).Setup("Fullscreen", MenuButton::KIND_ACCEPT);
    Button(BUTTON_WINDOWED).SetRelativePosition(aLayout.myWindowedX, aLayout.myModeY);
    Button(BUTTON_WINDOWED).Setup("Windowed", MenuButton::KIND_ACCEPT);
    for (int i = 0; i < 3; ++i)
    {
        Button(BUTTON_1280X720 + i).SetRelativePosition(0.5f, aLayout.myResolutionY[i]);
        Button(BUTTON_1280X720 + i).Setup(RESOLUTIONS[i].myLabel, MenuButton::KIND_ACCEPT);
    }
    Button(BUTTON_BACK).SetRelativePosition(0.5f, aLayout.myBackY);
    Button(BUTTON_BACK).Setup("Back", MenuButton::KIND_SMALL);
    mySelected = -1;
    myLastFullscreen = -1;
}

void SettingsPanel::Refresh()
{
    mySliders[0].ShowValue(GetAudioManager().GetMusicVolume());
    mySliders[1].ShowValue(GetAudioManager().GetSfxVolume());
}

void SettingsPanel::ApplyWindowMode(bool aFullscreen)
{
    if (!GetWindowModeControl().SetFullscreen(aFullscreen))
        std::fprintf(stderr, "The window could not switch to %s; it stays as it was.\n", aFullscreen ? "full screen" : "a window");
}

void SettingsPanel::ApplyResolution(int aControl)
{
    const Resolution& resolution = RESOLUTIONS[aControl - BUTTON_1280X720];
    if (!GetWindowModeControl().SetResolution(resolution.myWidth, resolution.myHeight))
        std::fprintf(stderr, "The window could not change to %s; it stays at its size.\n", resolution.myLabel);
}

bool SettingsPanel::Update(const UpdateContext& aContext)
{
    if (aContext.myActions)
        aContext.myActions->UpdateCursorVisibility(aContext);
    const bool cursorShown = aContext.myInput && aContext.myInput->IsCursorVisible();

    const bool fullscreen = GetWindowModeControl().IsFullscreen();
    if (static_cast<int>(fullscreen) != myLastFullscreen)
    {
        for (int control = BUTTON_1280X720; control <= BUTTON_2560X1440; ++control)
            Button(control).SetDisabled(fullscreen);
        myLastFullscreen = fullscreen ? 1 : 0;
    }

    const auto skip = [fullscreen](int aControl) { return fullscreen && IsResolutionButton(aControl); };
    if (aContext.myActions && aContext.myActions->IsActionPressed(ACTION_MENU_UP))
        mySelected = StepSelection(mySelected, CONTROL_COUNT, -1, skip);
    if (aContext.myActions && aContext.myActions->IsActionPressed(ACTION_MENU_DOWN))
        mySelected = StepSelection(mySelected, CONTROL_COUNT, +1, skip);

    // The volumes may have changed on the other settings screen: show them as they are.
    if (!mySliders[0].IsDragging())
        mySliders[0].ShowValue(GetAudioManager().GetMusicVolume());
    if (!mySliders[1].IsDragging())
        mySliders[1].ShowValue(GetAudioManager().GetSfxVolume());
    for (int i = 0; i < 2; ++i)
    {
        mySliders[i].SetMouseAllowed(cursorShown);
        mySliders[i].Update(aContext, mySelected == i);
        if (cursorShown && mySliders[i].IsHovered())
            mySelected = i;
    }
    for (int control = BUTTON_FULLSCREEN; control < CONTROL_COUNT; ++control)
    {
        MenuButton& button = Button(control);
        button.SetMouseAllowed(cursorShown);
        button.Update(aContext, mySelected == control);
        if (cursorShown && button.IsHovered())
            mySelected = control;
    }

    if (Button(BUTTON_FULLSCREEN).IsClicked())
        ApplyWindowMode(true);
    if (Button(BUTTON_WINDOWED).IsClicked())
        ApplyWindowMode(false);
    for (int control = BUTTON_1280X720; control <= BUTTON_2560X1440; ++control)
        if (Button(control).IsClicked())
            ApplyResolution(control);

    return Button(BUTTON_BACK).IsClicked() || (aContext.myActions && aContext.myActions->IsActionPressed(ACTION_BACK));
}

void SettingsPanel::Render()
{
    for (MenuSlider& slider : mySliders)
        slider.Render();
    for (MenuButton& button : myButtons)
        button.Render();
}
