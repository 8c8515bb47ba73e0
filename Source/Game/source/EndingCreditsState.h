#pragma once
// The ending screen with the run's statistics.
// Still an empty screen: it draws nothing and asks for nothing.
#include "State.h"

class EndingCreditsState final : public State
{
public:
    void Init() override;
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;
    // Starts the typed texts from their beginning.
    void ResetTexts() {}
    void SetStatistics(Qel::i32 aScore, Qel::i32 aBatteries, Qel::i32 aExtraLives)
    {
        myScore = aScore;
        myBatteries = aBatteries;
        myExtraLives = aExtraLives;
    }
    Qel::i32 GetScore() const { return myScore; }
    Qel::i32 GetBatteries() const { return myBatteries; }
    Qel::i32 GetExtraLives() const { return myExtraLives; }
    void Relayout() {}

private:
    Qel::i32 myScore = 0;
    Qel::i32 myBatteries = 0;
    Qel::i32 myExtraLives = 0;
};
