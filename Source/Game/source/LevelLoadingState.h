#pragma once
// Stands over the play screen while a level loads: a black screen with one line that says why.
// Asks the state stack for one more loading step each frame, and removes itself with a fade once
// the play screen is ready and the screen has been shown for its minimum time.
#include "State.h"
#include "UiSprite.h"
#include "text/Text.h"

enum LoadingReason : Qel::u8
{
    LOADING_START_LEVEL = 0,
    LOADING_NEXT_LEVEL = 1,
    LOADING_LIFE_LOST = 2,
    LOADING_OUT_OF_LIVES = 3,
    LOADING_OUT_OF_TIME = 4,
};

class LevelLoadingState final : public State
{
public:
    static constexpr float MINIMUM_TIME = 3.0f;

    LevelLoadingState();

    void Init() override;
    // Starts decoding what Init loads, on worker threads (before the engine may run).
    static void Prefetch();
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;

    void SetMinimumTime(float aSeconds) { myMinimumTime = aSeconds; }
    // Reasons outside the table keep the line shown before.
    void SetReason(Qel::u8 aReason) { myReason = aReason; }
    void SetLevelReady(bool aReady) { myLevelReady = aReady; }
    void Relayout();

    float GetMinimumTime() const { return myMinimumTime; }
    Qel::u8 GetReason() const { return myReason; }
    bool IsLevelReady() const { return myLevelReady; }
    const Qel::Text& GetMessage() const { return myMessage; }
    // The line of a reason; null for a reason outside the table.
    static const char* GetReasonLine(Qel::u8 aReason);

private:
    UiSprite myBackground;
    Qel::Text myMessage;
    float myMinimumTime = 0.0f;
    bool myLevelReady = false;
    Qel::u8 myReason = LOADING_START_LEVEL;
};
