#pragma once
// The base of every screen: splash screens, menus, loading screen, intro, credits, pause menu,
// settings, the fade and the play screen. A screen is built once with the state stack, set up
// once by Init, then pushed and popped any number of times; being pushed is not a reset.
#include "StateCommand.h"
#include "UpdateContext.h"
#include "text/Text.h"

#include <string>
#include <utility>

class State
{
public:
    State();
    virtual ~State();
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    // One-time set-up at start: textures, shaders, widgets.
    virtual void Init() = 0;
    // Starts building the timer texts' fonts on worker threads.
    static void Prefetch();
    // One frame of the screen's logic; the command tells the state stack what to do next.
    virtual StateCommand Update(const UpdateContext& aContext) = 0;
    virtual void Render() = 0;

    // Seconds since the screen was last reset (the play screen's level timer counts down in it).
    float GetTimer() const { return myElapsedTime; }
    void ResetTimer() { myElapsedTime = 0.0f; }
    void SetTimer(float aSeconds) { myElapsedTime = aSeconds; }
    // Adds aDeltaTime and rewrites the timer text ("Time: 12.34s").
    void UpdateTimer(float aDeltaTime);
    // A larger timer text placed 25 units in from the corner of an area of aWidth x aHeight
    // centred in the render target.
    void InitTimerText(float aWidth, float aHeight);
    void RenderTimerText();
    const Qel::Text& GetTimerText() const { return myTimerText; }

    std::pair<float, float> GetScreenSize() const { return {myScreenWidth, myScreenHeight}; }
    void SetScreenSize(float aWidth, float aHeight)
    {
        myScreenWidth = aWidth;
        myScreenHeight = aHeight;
    }

    static void SetCursorVisible(bool aVisible);

private:
    Qel::Text myTimerText;
    float myElapsedTime = 0.0f;
    float myScreenWidth = 1280.0f;
    float myScreenHeight = 720.0f;
    // The timer text's characters, rewritten in place so a frame does not allocate.
    std::string myTimerString;
};

// The render size as floats; 1280 x 720 without an engine (tests that run no window).
std::pair<float, float> GetRenderSizeF();
