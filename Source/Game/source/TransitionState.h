#pragma once
// The fade through black between two screens. The state stack pushes it over the current screen
// with the command to apply at full black; the screen darkens over 0.2 s, the command is applied
// beneath it, the new screen brightens over 0.2 s and the fade removes itself.
#include "State.h"
#include "UiSprite.h"

class TransitionState final : public State
{
public:
    enum Phase : Qel::u32
    {
        PHASE_IDLE = 0,
        PHASE_FADING_OUT = 1,
        PHASE_BLACK = 2,
        PHASE_FADING_IN = 3,
        PHASE_DONE = 4,
    };
    // Each way. A float, so that an elapsed time of exactly 0.2f does not yet end a fade.
    static constexpr float FADE_TIME = 0.2f;

    void Init() override;
    // Starts decoding what Init loads, on worker threads (before the engine may run).
    static void Prefetch();
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;

    // Keeps a copy with the fade and keep-on-top flags cleared.
    void SetPendingCommand(const StateCommand& aCommand);
    const StateCommand& GetPendingCommand() const { return myPendingCommand; }
    void Reset() { myPhase = PHASE_IDLE; }
    void Start() { myPhase = PHASE_FADING_OUT; }
    Qel::u32 GetPhase() const { return myPhase; }
    float GetAlpha() const { return myAlpha; }
    // The black sprite's opacity as drawn: the in-out sine of the alpha.
    float GetDrawnAlpha() const;
    // Refits the black sprite when the render size changed.
    void Relayout();
    const UiSprite& GetSprite() const { return myBlackSprite; }

private:
    UiSprite myBlackSprite;
    StateCommand myPendingCommand;
    Qel::u32 myPhase = PHASE_IDLE;
    float myAlpha = 0.0f;
};
