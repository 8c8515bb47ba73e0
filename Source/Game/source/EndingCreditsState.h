#pragma once
// The ending after the last level: the run's statistics and two columns of credits typed out a
// character every 0.05 seconds under the title logo. Only skip leaves, back to the main menu.
#include "MenuWidgets.h"
#include "State.h"
#include "UiSprite.h"

#include <string>

class EndingCreditsState final : public State
{
public:
    static constexpr float SECONDS_PER_CHARACTER = 0.05f;

    void Init() override;
    // Starts decoding what Init loads, on worker threads (before the engine may run).
    static void Prefetch();
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;
    // Nothing typed yet.
    void ResetTexts();
    void SetStatistics(Qel::i32 aScore, Qel::i32 aBatteries, Qel::i32 aExtraLives);
    void Relayout();

    Qel::i32 GetScore() const { return myScore; }
    Qel::i32 GetBatteries() const { return myBatteries; }
    Qel::i32 GetExtraLives() const { return myExtraLives; }
    const std::string& GetStatisticsString() const { return myStatistics; }
    const std::string& GetLeftColumnString() const { return myLeftColumn; }
    const std::string& GetRightColumnString() const { return myRightColumn; }
    const Qel::Text& GetStatisticsText() const { return myStatisticsText; }
    const Qel::Text& GetLeftColumnText() const { return myLeftText; }
    const Qel::Text& GetRightColumnText() const { return myRightText; }

private:
    UiSprite myBlack;
    UiSprite myTitleLogo;
    MenuShader myLogoShader;
    std::string myStatistics;
    std::string myLeftColumn;
    std::string myRightColumn;
    Qel::Text myStatisticsText;
    Qel::Text myLeftText;
    Qel::Text myRightText;
    size_t myShownStatistics = 0;
    size_t myShownLeft = 0;
    size_t myShownRight = 0;
    Qel::i32 myScore = 0;
    Qel::i32 myBatteries = 0;
    Qel::i32 myExtraLives = 0;
};
