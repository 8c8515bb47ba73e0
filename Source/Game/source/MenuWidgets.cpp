#include "MenuWidgets.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "InputMapper.h"
#include "State.h"
#include "engine/Engine.h"
#include "graphics/GraphicsEngine.h"
#include "graphics/GraphicsStateStack.h"
#include "input/InputManager.h"
#include "math/MathConstants.h"
#include "platform/VirtualKeys.h"
#include "text/TextService.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
constexpr const char* LABEL_FONT = "art/2d/Fonts/Nippo/Nippo-Medium.otf";
constexpr Qel::u32 LABEL_SIZE = 18;
constexpr Qel::u8 LABEL_OUTLINE = 2;
constexpr const char* BUTTON_TEXTURE = "art/2d/Textures/T_UI_ButtonMedium.png";
constexpr const char* SMALL_BUTTON_TEXTURE = "art/2d/Textures/T_UI_Button_Small.png";
constexpr const char* ARROW_TEXTURE = "art/2d/Textures/T_UI_SelectionArrow.png";
constexpr const char* SLIDER_TEXTURE = "art/2d/Textures/T_UI_Slider.png";
constexpr const char* GRABBER_TEXTURE = "art/2d/Textures/T_UI_SliderGrabber.png";
constexpr const char* SPRITE_VERTEX_SHADER = "shaders/instanced_sprite_shader_VS";

constexpr float BACKGROUND_SCALE = 0.7f;
constexpr float SELECTED_SIZE = 0.92f;
constexpr float PRESSED_SIZE = 0.89f;
constexpr float EASING_RATE = 25.0f;
constexpr float ARROW_SIZE = 26.0f;   // per 1000 of the render height
constexpr float RUMBLE_STRENGTH = 0.2f;
constexpr float RUMBLE_SECONDS = 0.1f;
constexpr float SLIDER_HALF_WIDTH = 0.4f;
constexpr float SLIDER_HALF_HEIGHT = 0.5f;
constexpr float VALUE_EPSILON = 0.000001f;

const Qel::Color LABEL_NORMAL{0.96f, 0.94f, 0.88f, 1.0f};
const Qel::Color LABEL_SELECTED{1.0f, 0.72f, 0.24f, 1.0f};
const Qel::Color LABEL_PRESSED{1.0f, 0.9f, 0.45f, 1.0f};
const Qel::Color LABEL_DISABLED{0.55f, 0.57f, 0.63f, 1.0f};

// The eased share of the way to a target this frame. Kept at most 1 so a long frame lands on
// the target instead of overshooting it.
float EaseFactor(float aDeltaTime) { return std::clamp(aDeltaTime * EASING_RATE, 0.0f, 1.0f); }

Qel::Vector2f EaseTowards(const Qel::Vector2f& aCurrent, const Qel::Vector2f& aTarget, float aFactor)
{
    return {aTarget.x * aFactor + aCurrent.x * (1.0f - aFactor), aTarget.y * aFactor + aCurrent.y * (1.0f - aFactor)};
}

bool IsMouseButtonDown(const UpdateContext& aContext)
{
    return aContext.myInput && (aContext.myInput->IsKeyHeld(Qel::VK_LBUTTON) || aContext.myInput->IsKeyPressed(Qel::VK_LBUTTON));
}

// Confirm counts from the frame it goes down, so a tap of a single frame still clicks.
bool IsConfirmDown(const UpdateContext& aContext)
{
    return aContext.myActions &&
           (aContext.myActions->IsActionHeld(ACTION_CONFIRM) || aContext.myActions->IsActionPressed(ACTION_CONFIRM));
}

void Rumble(const UpdateContext& aContext, float aLow, float aHigh, float aSeconds)
{
    if (aContext.myActions)
        aContext.myActions->AddRumble(aLow, aHigh, aSeconds);
}

// Centres a text on a point.
void CentreText(Qel::Text& aText, float aX, float aY)
{
    aText.SetPosition({aX - aText.GetWidth() * 0.5f, aY - aText.GetHeight() * 0.5f});
}
}

float GetMenuTextScale()
{
    const auto [width, height] = GetRenderSizeF();
    return std::min(height / 1440.0f, width / 2560.0f);
}

float GetMenuUnit() { return GetRenderSizeF().second / 1000.0f; }

Qel::Vector2f GetMenuMousePosition(const UpdateContext& aContext)
{
    if (!aContext.myInput)
        return {-1.0f, -1.0f};
    const auto [width, height] = GetRenderSizeF();
    Qel::Vector2f mouse = aContext.myInput->GetMousePosition();
    // The mouse comes in window pixels; the menus are laid out in render pixels.
    if (const Qel::Engine* engine = Qel::Engine::GetInstance())
    {
        const auto [windowWidth, windowHeight] = engine->GetWindowSize();
        if (windowWidth > 0 && windowHeight > 0)
        {
            mouse.x *= width / static_cast<float>(windowWidth);
            mouse.y *= height / static_cast<float>(windowHeight);
        }
    }
    return {mouse.x, height - mouse.y};
}

MenuDrawScope::MenuDrawScope()
{
    Qel::Engine* engine = Qel::Engine::GetInstance();
    if (!engine || !engine->GetGraphicsEngine() || !engine->GetGraphicsEngine()->GetGraphicsStateStack())
        return;
    Qel::GraphicsStateStack* states = engine->GetGraphicsEngine()->GetGraphicsStateStack();
    states->Push();
    states->SetScreenSpaceCamera();
    states->SetBlendState(1);   // alpha blend
    myPushed = true;
}

MenuDrawScope::~MenuDrawScope()
{
    if (myPushed)
        Qel::Engine::GetInstance()->GetGraphicsEngine()->GetGraphicsStateStack()->Pop();
}

void MenuShader::Init(const char* aPixelShader)
{
    myLoaded = false;
    const Qel::Engine* engine = Qel::Engine::GetInstance();
    if (!engine || !engine->GetGraphicsEngine())
        return;
    myLoaded = myShader.Init(SPRITE_VERTEX_SHADER, aPixelShader);
    if (!myLoaded)
        std::fprintf(stderr, "Menu shader %s could not be loaded: drawing with the plain sprite shader.\n", aPixelShader);
}

PressTracker::Edges PressTracker::Update(bool aHeld, Qel::u32 aFrame)
{
    // Not updated lately (first use, or its screen just came back): whatever is held now was
    // pressed for something else. One frame of grace: the frame in which a fade removes itself
    // updates nothing beneath it.
    const bool fresh = !myArmed || (aFrame != 0 && (aFrame < myLastFrame || aFrame > myLastFrame + 2));
    if (fresh)
    {
        myIgnoring = aHeld;
        myHeldLastFrame = false;
    }
    myArmed = true;
    myLastFrame = aFrame;
    Edges edges;
    edges.myFresh = fresh;
    if (myIgnoring)
    {
        if (!aHeld)
            myIgnoring = false;
        return edges;
    }
    edges.myBegan = aHeld && !myHeldLastFrame;
    edges.myEnded = !aHeld && myHeldLastFrame;
    edges.myHeld = aHeld;
    myHeldLastFrame = aHeld;
    return edges;
}

// ---- MenuButton -----------------------------------------------------------------------------
void MenuButton::Prefetch()
{
    UiSprite::Prefetch(BUTTON_TEXTURE);
    UiSprite::Prefetch(SMALL_BUTTON_TEXTURE);
    UiSprite::Prefetch(ARROW_TEXTURE);
    Qel::TextService::Prefetch(LABEL_FONT, LABEL_SIZE, LABEL_OUTLINE);
}

MenuButton::MenuButton() : myLabel(LABEL_FONT, LABEL_SIZE, LABEL_OUTLINE) {}

Qel::u8 MenuButton::GetClickSound(Qel::u8 aKind)
{
    switch (aKind)
    {
    case KIND_SMALL: return SFX_UI_CANCEL;
    case KIND_START: return SFX_UI_START;
    default: return SFX_UI_ACCEPT;
    }
}

void MenuButton::Setup(const std::string& aLabel, Qel::u8 aKind, float aScale)
{
    myKind = aKind;
    const float labelScale = aKind == KIND_SMALL ? 1.3f : 1.5f;
    myStyles[VISUAL_NORMAL] = {aLabel, LABEL_NORMAL, labelScale, {0.0f, 0.0f}};
    myStyles[VISUAL_SELECTED] = {aLabel, LABEL_SELECTED, labelScale, {0.0f, 0.0f}};
    myStyles[VISUAL_PRESSED] = {aLabel, LABEL_PRESSED, labelScale * 0.95f, {0.0f, 0.0f}};
    myStyleSet[VISUAL_SELECTED] = myStyleSet[VISUAL_PRESSED] = true;
    myShownStyle = 255;
    myBackground.Init(aKind == KIND_SMALL ? SMALL_BUTTON_TEXTURE : BUTTON_TEXTURE, myRelativePosition.x, myRelativePosition.y);
    myLeftArrow.Init(ARROW_TEXTURE, myRelativePosition.x, myRelativePosition.y);
    myRightArrow.Init(ARROW_TEXTURE, myRelativePosition.x, myRelativePosition.y);
    myLeftArrow.GetData().myRotation = Qel::PI;
    Qel::Vector2f texture = myBackground.GetTextureSize();
    if (texture.x <= 0.0f)
        texture = aKind == KIND_SMALL ? Qel::Vector2f{220.0f, 76.0f} : Qel::Vector2f{300.0f, 100.0f};
    myBaseSize = {texture.x * BACKGROUND_SCALE * aScale, texture.y * BACKGROUND_SCALE * aScale};
    mySized = false;
    myPress.Reset();
    myWasSelected = false;
    myPressStartedSelected = false;
    myClicked = false;
}

void MenuButton::SetStyle(Qel::u8 aVisualState, const LabelStyle& aStyle)
{
    if (aVisualState > VISUAL_PRESSED)
        return;
    myStyles[aVisualState] = aStyle;
    myStyleSet[aVisualState] = true;
    myShownStyle = 255;
}

void MenuButton::SetMouseAllowed(bool aAllowed)
{
    // Turned on: a mouse button already down belongs to something else.
    if (aAllowed && !myMouseAllowed)
        myPress.Reset();
    myMouseAllowed = aAllowed;
}

void MenuButton::SetDisabled(bool aDisabled)
{
    if (aDisabled)
        myVisualState = VISUAL_DISABLED;
    else if (myVisualState == VISUAL_DISABLED)
        myVisualState = VISUAL_NORMAL;
}

void MenuButton::Update(const UpdateContext& aContext, bool aSelectedByKeyboard)
{
    myClicked = false;
    const auto [width, height] = GetRenderSizeF();
    const Qel::Vector2f centre{width * myRelativePosition.x, height * myRelativePosition.y};
    const Qel::Vector2f size = mySized ? myBackground.GetData().mySize : Qel::Vector2f{myBaseSize.x * GetMenuUnit(), myBaseSize.y * GetMenuUnit()};
    const Qel::Vector2f mouse = GetMenuMousePosition(aContext);
    const bool disabled = myVisualState == VISUAL_DISABLED;

    myHovered = myMouseAllowed && !disabled && std::fabs(mouse.x - centre.x) <= size.x * 0.5f &&
                std::fabs(mouse.y - centre.y) <= size.y * 0.5f;
    const bool selected = !disabled && (myHovered || aSelectedByKeyboard);
    const bool held = (myMouseAllowed && IsMouseButtonDown(aContext)) || IsConfirmDown(aContext);
    const PressTracker::Edges press = myPress.Update(held, aContext.myFrame);

    if (press.myBegan)
    {
        myPressStartedSelected = selected;
        if (selected && myOnPress)
            myOnPress();
    }
    if (press.myEnded)
    {
        if (myPressStartedSelected && selected)
        {
            GetAudioManager().PlaySfx(GetClickSound(myKind));
            myClicked = true;
            if (myOnClick)
                myOnClick();
            Rumble(aContext, RUMBLE_STRENGTH, RUMBLE_STRENGTH, RUMBLE_SECONDS);
        }
        myPressStartedSelected = false;
    }

    if (!disabled)
    {
        if (press.myHeld && myPressStartedSelected)
            myVisualState = VISUAL_PRESSED;
        else if (selected)
        {
            // A menu that just opened has not moved its selection: no sound for it.
            if (!myWasSelected && !press.myFresh)
            {
                GetAudioManager().PlaySfx(SFX_UI_MOVE_SELECTION);
                Rumble(aContext, RUMBLE_STRENGTH, RUMBLE_STRENGTH, RUMBLE_SECONDS);
            }
            myVisualState = VISUAL_SELECTED;
        }
        else
            myVisualState = VISUAL_NORMAL;
        myWasSelected = selected;
    }
    else
        myWasSelected = false;
    Layout(aContext.myDeltaTime, false);
}

void MenuButton::Layout(float aDeltaTime, bool aSnap)
{
    const auto [width, height] = GetRenderSizeF();
    const float unit = height / 1000.0f;
    const Qel::Vector2f centre{width * myRelativePosition.x, height * myRelativePosition.y};
    float factor = 1.0f;
    if (myVisualState == VISUAL_SELECTED)
        factor = SELECTED_SIZE;
    else if (myVisualState == VISUAL_PRESSED)
        factor = PRESSED_SIZE;
    const Qel::Vector2f target{myBaseSize.x * unit * factor, myBaseSize.y * unit * factor};
    Qel::Sprite2DInstanceData& background = myBackground.GetData();
    background.myPosition = centre;
    background.mySize = (aSnap || !mySized) ? target : EaseTowards(background.mySize, target, EaseFactor(aDeltaTime));
    background.myColor = myVisualState == VISUAL_DISABLED ? Qel::Color{1.0f, 1.0f, 1.0f, 0.5f} : Qel::Color{1.0f, 1.0f, 1.0f, 1.0f};
    mySized = true;

    const Qel::u8 styleIndex = myVisualState == VISUAL_DISABLED ? Qel::u8{VISUAL_NORMAL} : myVisualState;
    const LabelStyle& style = myStyles[myStyleSet[styleIndex] ? styleIndex : Qel::u8{VISUAL_NORMAL}];
    if (myShownStyle != styleIndex)
    {
        myLabel.SetText(style.myText);
        myShownStyle = styleIndex;
    }
    myLabel.SetColor(myVisualState == VISUAL_DISABLED ? LABEL_DISABLED : style.myColor);
    myLabel.SetScale(style.myScale * GetMenuTextScale());
    CentreText(myLabel, centre.x + style.myOffset.x * unit, centre.y + style.myOffset.y * unit);

    const float arrow = ARROW_SIZE * unit;
    const float gap = (myKind == KIND_SMALL ? 1.0f : 6.0f) * unit;
    const float reach = myLabel.GetWidth() * 0.5f + gap + arrow * 0.5f;
    myLeftArrow.SetSize(arrow, arrow);
    myRightArrow.SetSize(arrow, arrow);
    myLeftArrow.SetPosition(centre.x - reach, centre.y);
    myRightArrow.SetPosition(centre.x + reach, centre.y);
}

void MenuButton::Render()
{
    if (!mySized)
        Layout(0.0f, true);
    myBackground.Render();
    if (myVisualState == VISUAL_SELECTED || myVisualState == VISUAL_PRESSED)
    {
        myLeftArrow.Render();
        myRightArrow.Render();
    }
    myLabel.Render();
}

// ---- MenuSlider -----------------------------------------------------------------------------
void MenuSlider::Prefetch()
{
    UiSprite::Prefetch(SLIDER_TEXTURE);
    UiSprite::Prefetch(GRABBER_TEXTURE);
    UiSprite::Prefetch(ARROW_TEXTURE);
}

MenuSlider::MenuSlider() : myLabel(LABEL_FONT, LABEL_SIZE, LABEL_OUTLINE), myValueText(LABEL_FONT, LABEL_SIZE, LABEL_OUTLINE) {}

void MenuSlider::Setup(const std::string& aLabel, float aMinimum, float aMaximum, float aValue)
{
    myMinimum = std::min(aMinimum, aMaximum);
    myMaximum = std::max(aMinimum, aMaximum);
    myValue = std::clamp(aValue, myMinimum, myMaximum);
    myLabel.SetText(aLabel);
    myLabel.SetColor(LABEL_NORMAL);
    myValueText.SetColor(LABEL_SELECTED);
    myShownPercent = -1;
    myBar.Init(SLIDER_TEXTURE, myRelativePosition.x, myRelativePosition.y);
    myGrabber.Init(GRABBER_TEXTURE, myRelativePosition.x, myRelativePosition.y);
    myLeftArrow.Init(ARROW_TEXTURE, myRelativePosition.x, myRelativePosition.y);
    myRightArrow.Init(ARROW_TEXTURE, myRelativePosition.x, myRelativePosition.y);
    myLeftArrow.GetData().myRotation = Qel::PI;
    mySized = false;
    myPress.Reset();
}

void MenuSlider::SetMouseAllowed(bool aAllowed)
{
    if (aAllowed && !myMouseAllowed)
        myPress.Reset();
    myMouseAllowed = aAllowed;
    if (!aAllowed)
        myDragging = false;
}

float MenuSlider::GetFraction() const
{
    const float range = myMaximum - myMinimum;
    return range > 0.0f ? (myValue - myMinimum) / range : 0.0f;
}

void MenuSlider::StoreValue(float aValue, bool aNotify)
{
    const float value = std::clamp(aValue, myMinimum, myMaximum);
    if (std::fabs(value - myValue) <= VALUE_EPSILON)
        return;
    myValue = value;
    if (aNotify && myOnChange)
        myOnChange(myValue);
}

void MenuSlider::SetValueFraction(float aFraction)
{
    const float t = std::clamp(aFraction, 0.0f, 1.0f);
    StoreValue(myMinimum + t * (myMaximum - myMinimum), true);
}

void MenuSlider::SetValue(float aValue) { StoreValue(aValue, true); }

void MenuSlider::ShowValue(float aValue) { StoreValue(aValue, false); }

std::pair<float, float> MenuSlider::GetActiveSpan() const
{
    const Qel::Vector2f position = myBar.GetData().myPosition, size = myBar.GetData().mySize;
    return {position.x - size.x * SLIDER_HALF_WIDTH, size.x * SLIDER_HALF_WIDTH * 2.0f};
}

void MenuSlider::Update(const UpdateContext& aContext, bool aSelectedByKeyboard)
{
    if (!mySized)
        Layout(0.0f, true);
    const Qel::Vector2f centre = myBar.GetData().myPosition, size = myBar.GetData().mySize;
    const Qel::Vector2f mouse = GetMenuMousePosition(aContext);
    myHovered = myMouseAllowed && std::fabs(mouse.x - centre.x) <= size.x * SLIDER_HALF_WIDTH &&
                std::fabs(mouse.y - centre.y) <= size.y * SLIDER_HALF_HEIGHT;
    mySelected = aSelectedByKeyboard || myHovered;

    const PressTracker::Edges press = myPress.Update(myMouseAllowed && IsMouseButtonDown(aContext), aContext.myFrame);
    if (press.myBegan && myHovered)
    {
        myDragging = true;
        if (myOnPress)
            myOnPress();
    }
    if (!press.myHeld)
        myDragging = false;
    if (myDragging)
    {
        const auto [left, span] = GetActiveSpan();
        if (span > 0.0f)
            SetValueFraction((mouse.x - left) / span);
    }
    if (mySelected && aContext.myActions)
    {
        const float nudge = aContext.myActions->GetActionValue(ACTION_MENU_RIGHT) - aContext.myActions->GetActionValue(ACTION_MENU_LEFT);
        if (std::fabs(nudge) > VALUE_EPSILON)
        {
            SetValueFraction(GetFraction() + nudge * aContext.myDeltaTime);
            const float fraction = GetFraction();
            Rumble(aContext, 1.0f - fraction, fraction, 0.002f);
        }
    }
    Layout(aContext.myDeltaTime, false);
}

void MenuSlider::Layout(float aDeltaTime, bool aSnap)
{
    const auto [width, height] = GetRenderSizeF();
    const float unit = height / 1000.0f;
    const Qel::Vector2f centre{width * myRelativePosition.x, height * myRelativePosition.y};
    Qel::Vector2f barTexture = myBar.GetTextureSize();
    if (barTexture.x <= 0.0f)
        barTexture = {720.0f, 56.0f};
    Qel::Vector2f grabberTexture = myGrabber.GetTextureSize();
    if (grabberTexture.x <= 0.0f)
        grabberTexture = {64.0f, 64.0f};
    const Qel::Vector2f barSize{barTexture.x * BACKGROUND_SCALE * unit, barTexture.y * BACKGROUND_SCALE * unit};
    myBar.SetPosition(centre.x, centre.y);
    myBar.SetSize(barSize.x, barSize.y);

    const float factor = (aSnap || !mySized) ? 1.0f : EaseFactor(aDeltaTime);
    const float left = centre.x - barSize.x * SLIDER_HALF_WIDTH, span = barSize.x * SLIDER_HALF_WIDTH * 2.0f;
    const Qel::Vector2f grabberTarget{left + GetFraction() * span, centre.y};
    const float grab = (mySelected ? 1.12f : 1.0f) * BACKGROUND_SCALE * unit;
    Qel::Sprite2DInstanceData& grabber = myGrabber.GetData();
    grabber.myPosition = EaseTowards(grabber.myPosition, grabberTarget, factor);
    grabber.mySize = EaseTowards(grabber.mySize, {grabberTexture.x * grab, grabberTexture.y * grab}, factor);

    const float arrow = ARROW_SIZE * unit;
    const float reach = barSize.x * 0.5f + 6.0f * unit + arrow * 0.5f;
    myLeftArrow.SetSize(arrow, arrow);
    myRightArrow.SetSize(arrow, arrow);
    Qel::Sprite2DInstanceData& leftArrow = myLeftArrow.GetData();
    Qel::Sprite2DInstanceData& rightArrow = myRightArrow.GetData();
    leftArrow.myPosition = EaseTowards(leftArrow.myPosition, {centre.x - reach, centre.y}, factor);
    rightArrow.myPosition = EaseTowards(rightArrow.myPosition, {centre.x + reach, centre.y}, factor);
    mySized = true;

    // The name above the bar's left end, the value in per cent above its right end.
    const float textScale = 1.45f * GetMenuTextScale();
    myLabel.SetScale(textScale);
    myLabel.SetColor(mySelected ? LABEL_SELECTED : LABEL_NORMAL);
    const float textY = centre.y + barSize.y * 0.5f + 8.0f * unit;
    myLabel.SetPosition({centre.x - barSize.x * 0.5f + 10.0f * unit, textY});
    const int percent = static_cast<int>(std::lround(GetFraction() * 100.0f));
    if (percent != myShownPercent)
    {
        char buffer[16];
        std::snprintf(buffer, sizeof(buffer), "%d%%", percent);
        myValueText.SetText(buffer);
        myShownPercent = percent;
    }
    myValueText.SetScale(textScale);
    myValueText.SetPosition({centre.x + barSize.x * 0.5f - 10.0f * unit - myValueText.GetWidth(), textY});
}

void MenuSlider::Render()
{
    if (!mySized)
        Layout(0.0f, true);
    myBar.Render();
    myGrabber.Render();
    if (mySelected)
    {
        myLeftArrow.Render();
        myRightArrow.Render();
    }
    myLabel.Render();
    myValueText.Render();
}

int StepSelection(int aSelected, int aCount, int aStep, const std::function<bool(int)>& aSkip)
{
    if (aCount <= 0 || aStep == 0)
        return aSelected;
    int index = aSelected;
    if (index < 0 || index >= aCount)
        index = aStep > 0 ? -1 : aCount;
    for (int i = 0; i < aCount; ++i)
    {
        index = ((index + aStep) % aCount + aCount) % aCount;
        if (!aSkip || !aSkip(index))
            return index;
    }
    return aSelected;
}
