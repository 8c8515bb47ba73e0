#pragma once
// The menus' widgets: a text button with a background and two selection arrows, and a value
// slider for the volumes. Both are laid out as fractions of the render size and react to the
// mouse and to the confirm and menu actions; their screens update and draw them each frame.
#include "UiSprite.h"
#include "UpdateContext.h"
#include "core/Types.h"
#include "graphics/SpriteShader.h"
#include "math/Color.h"
#include "text/Text.h"

#include <functional>
#include <string>
#include <utility>

// Menu texts are laid out for 2560 x 1440: the smaller of height / 1440 and width / 2560.
float GetMenuTextScale();
// Sprite sizes of the menus follow the render height: height / 1000.
float GetMenuUnit();
// The mouse in render pixels with y measured from the bottom; (-1, -1) without input.
Qel::Vector2f GetMenuMousePosition(const UpdateContext& aContext);

// Screen-space camera and alpha blending for the menus' sprites and texts while it lives.
class MenuDrawScope
{
public:
    MenuDrawScope();
    ~MenuDrawScope();
    MenuDrawScope(const MenuDrawScope&) = delete;
    MenuDrawScope& operator=(const MenuDrawScope&) = delete;

private:
    bool myPushed = false;
};

// A sprite shader of the menus: the instanced sprite vertex shader with the given pixel shader.
// Get() is null (draw with the default shader) when it could not be loaded or there is no engine.
class MenuShader
{
public:
    void Init(const char* aPixelShader);
    Qel::SpriteShader* Get() { return myLoaded ? &myShader : nullptr; }

private:
    Qel::SpriteShader myShader;
    bool myLoaded = false;
};

// Tracks the press of one input across frames: a press already held when the widget becomes
// active (it was not updated in the last two frames) is ignored until it is released.
class PressTracker
{
public:
    // Feeds this frame's held state; returns the edges of a press that counts.
    struct Edges
    {
        bool myBegan = false;
        bool myEnded = false;
        bool myHeld = false;
        // The widget was not updated in the frame before.
        bool myFresh = false;
    };
    Edges Update(bool aHeld, Qel::u32 aFrame);
    void Reset() { myArmed = false; }

private:
    bool myHeldLastFrame = false;
    bool myIgnoring = true;
    bool myArmed = false;
    Qel::u32 myLastFrame = 0;
};

class MenuButton
{
public:
    enum Kind : Qel::u8
    {
        KIND_ACCEPT = 0,
        KIND_SMALL = 1,
        KIND_START = 2,
    };
    enum VisualState : Qel::u8
    {
        VISUAL_NORMAL = 0,
        VISUAL_SELECTED = 1,
        VISUAL_PRESSED = 2,
        VISUAL_DISABLED = 3,
    };
    struct LabelStyle
    {
        std::string myText;
        Qel::Color myColor{1.0f, 1.0f, 1.0f, 1.0f};
        float myScale = 1.0f;
        // In units of render height / 1000.
        Qel::Vector2f myOffset;
    };

    MenuButton();
    // Starts decoding the buttons' pictures and label font on worker threads.
    static void Prefetch();

    // The label (for every look), the kind and a size factor; loads the background and arrows.
    void Setup(const std::string& aLabel, Qel::u8 aKind, float aScale = 1.0f);
    // A look's label; a look never set copies the normal one.
    void SetStyle(Qel::u8 aVisualState, const LabelStyle& aStyle);
    // Where the button's centre sits, as a fraction of the render size (y from the bottom).
    void SetRelativePosition(float aX, float aY) { myRelativePosition = {aX, aY}; }
    Qel::Vector2f GetRelativePosition() const { return myRelativePosition; }
    void SetMouseAllowed(bool aAllowed);
    void SetDisabled(bool aDisabled);
    void SetOnPress(std::function<void()> aCallback) { myOnPress = std::move(aCallback); }
    void SetOnClick(std::function<void()> aCallback) { myOnClick = std::move(aCallback); }

    void Update(const UpdateContext& aContext, bool aSelectedByKeyboard);
    void Render();

    bool IsClicked() const { return myClicked; }
    bool IsHovered() const { return myHovered; }
    bool IsDisabled() const { return myVisualState == VISUAL_DISABLED; }
    Qel::u8 GetVisualState() const { return myVisualState; }
    Qel::u8 GetKind() const { return myKind; }
    const std::string& GetLabel() const { return myStyles[VISUAL_NORMAL].myText; }
    const Qel::Text& GetLabelText() const { return myLabel; }
    // Centre and current (eased) size of the background in render pixels.
    Qel::Vector2f GetPosition() const { return myBackground.GetData().myPosition; }
    Qel::Vector2f GetSize() const { return myBackground.GetData().mySize; }
    Qel::Vector2f GetBaseSize() const { return myBaseSize; }
    const UiSprite& GetLeftArrow() const { return myLeftArrow; }

    // The click sound of each kind.
    static Qel::u8 GetClickSound(Qel::u8 aKind);

private:
    void Layout(float aDeltaTime, bool aSnap);

    Qel::Text myLabel;
    UiSprite myBackground;
    UiSprite myLeftArrow;
    UiSprite myRightArrow;
    LabelStyle myStyles[3];
    bool myStyleSet[3] = {true, false, false};
    Qel::u8 myKind = KIND_ACCEPT;
    Qel::u8 myVisualState = VISUAL_NORMAL;
    Qel::u8 myShownStyle = 255;
    bool myMouseAllowed = false;
    bool myHovered = false;
    bool myPressStartedSelected = false;
    bool myWasSelected = false;
    bool myClicked = false;
    bool mySized = false;
    PressTracker myPress;
    std::function<void()> myOnPress;
    std::function<void()> myOnClick;
    Qel::Vector2f myRelativePosition{0.5f, 0.5f};
    // Background size before the render-height scale: 0.7 of the texture times the set-up scale.
    Qel::Vector2f myBaseSize;
};

class MenuSlider
{
public:
    MenuSlider();
    // Starts decoding the sliders' pictures on worker threads.
    static void Prefetch();

    void Setup(const std::string& aLabel, float aMinimum, float aMaximum, float aValue);
    void SetRelativePosition(float aX, float aY) { myRelativePosition = {aX, aY}; }
    void SetMouseAllowed(bool aAllowed);
    void SetOnPress(std::function<void()> aCallback) { myOnPress = std::move(aCallback); }
    void SetOnChange(std::function<void(float)> aCallback) { myOnChange = std::move(aCallback); }

    // Clamped; a change of more than 0.000001 is stored and reported to the on-change callback.
    void SetValueFraction(float aFraction);
    void SetValue(float aValue);
    // Shows a value set elsewhere (clamped) without reporting it.
    void ShowValue(float aValue);
    float GetValue() const { return myValue; }
    float GetFraction() const;

    void Update(const UpdateContext& aContext, bool aSelectedByKeyboard);
    void Render();

    bool IsHovered() const { return myHovered; }
    bool IsDragging() const { return myDragging; }
    bool IsSelected() const { return mySelected; }
    // The bar's active span in render pixels: left edge and width.
    std::pair<float, float> GetActiveSpan() const;
    Qel::Vector2f GetBarPosition() const { return myBar.GetData().myPosition; }
    Qel::Vector2f GetBarSize() const { return myBar.GetData().mySize; }
    Qel::Vector2f GetGrabberPosition() const { return myGrabber.GetData().myPosition; }

private:
    void Layout(float aDeltaTime, bool aSnap);
    void StoreValue(float aValue, bool aNotify);

    Qel::Text myLabel;
    Qel::Text myValueText;
    UiSprite myBar;
    UiSprite myGrabber;
    UiSprite myLeftArrow;
    UiSprite myRightArrow;
    float myValue = 0.0f;
    float myMinimum = 0.0f;
    float myMaximum = 1.0f;
    int myShownPercent = -1;
    bool mySelected = false;
    bool myHovered = false;
    bool myDragging = false;
    bool myMouseAllowed = false;
    bool mySized = false;
    PressTracker myPress;
    std::function<void()> myOnPress;
    std::function<void(float)> myOnChange;
    Qel::Vector2f myRelativePosition{0.5f, 0.5f};
};

// Moves a selection through aCount entries by one step (-1 up, +1 down) with wrap-around,
// skipping entries for which aSkip returns true. -1 (nothing selected) starts from the end
// the step comes from. Returns the start when every entry is skipped.
int StepSelection(int aSelected, int aCount, int aStep, const std::function<bool(int)>& aSkip = {});
