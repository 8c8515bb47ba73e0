#pragma once
// The controls the options screen and the in-game settings share: music and effects volume
// sliders that always show the current volumes, window mode buttons and three resolutions
// (disabled in full screen), and "Back". Each takes effect at once; nothing is saved.
#include "MenuWidgets.h"

// The window mode as the settings see it; the engine's window by default (tests put in their own).
class WindowModeControl
{
public:
    virtual ~WindowModeControl() = default;
    virtual bool IsFullscreen() const;
    // False when the system refused; the window then stays in the mode it had.
    virtual bool SetFullscreen(bool aFullscreen);
    virtual bool SetResolution(Qel::u32 aWidth, Qel::u32 aHeight);
};
WindowModeControl& GetWindowModeControl();
// Null puts the engine's back.
void SetWindowModeControl(WindowModeControl* aControl);

class SettingsPanel
{
public:
    enum Control
    {
        SLIDER_MUSIC = 0,
        SLIDER_SFX = 1,
        BUTTON_FULLSCREEN = 2,
        BUTTON_WINDOWED = 3,
        BUTTON_1280X720 = 4,
        BUTTON_1920X1080 = 5,
        BUTTON_2560X1440 = 6,
        BUTTON_BACK = 7,
        CONTROL_COUNT = 8,
    };
    // Relative centres (y from the bottom) of the controls.
    struct Layout
    {
        float myMusicY;
        float mySfxY;
        float myFullscreenX;
        float myWindowedX;
        float myModeY;
        float myResolutionY[3];
        float myBackY;
    };

    void Init(const Layout& aLayout);
    // The sliders take the volumes as they are now (on push).
    void Refresh();
    // One frame; true when "Back" was clicked or the back action pressed.
    bool Update(const UpdateContext& aContext);
    void Render();

    int GetSelected() const { return mySelected; }
    const MenuSlider& GetSlider(int aControl) const { return mySliders[aControl == SLIDER_SFX ? 1 : 0]; }
    const MenuButton& GetButton(int aControl) const { return myButtons[ButtonIndex(aControl)]; }
    static bool IsResolutionButton(int aControl) { return aControl >= BUTTON_1280X720 && aControl <= BUTTON_2560X1440; }

private:
    static size_t ButtonIndex(int aControl) { return static_cast<size_t>(aControl - BUTTON_FULLSCREEN); }
    MenuButton& Button(int aControl) { return myButtons[ButtonIndex(aControl)]; }
    void ApplyWindowMode(bool aFullscreen);
    void ApplyResolution(int aControl);

    MenuSlider mySliders[2];
    MenuButton myButtons[6];
    int mySelected = -1;
    // Unknown at first, so the resolution buttons take the mode's state in the first update.
    int myLastFullscreen = -1;
};
