#include "LevelLoadingState.h"
#include "State.h"
#include "TransitionState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using Qel::i32;
using Qel::u32;

namespace
{
// The base class's helpers on a screen that does nothing else.
class PlainState final : public State
{
public:
    void Init() override {}
    StateCommand Update(const UpdateContext&) override { return {}; }
    void Render() override {}
};

UpdateContext Context(float aDeltaTime) { return UpdateContext{nullptr, aDeltaTime, nullptr}; }
}

TEST(State, TheTimerTextAlwaysShowsTwoDecimals)
{
    PlainState state;
    state.ResetTimer();
    state.UpdateTimer(0.0f);
    EXPECT_EQ(state.GetTimerText().GetText(), "Time: 0.00s");
    state.SetTimer(300.0f);
    state.UpdateTimer(-0.015625f);
    EXPECT_FLOAT_EQ(state.GetTimer(), 299.984375f);
    EXPECT_EQ(state.GetTimerText().GetText(), "Time: 299.98s");
    state.UpdateTimer(1.0f);
    EXPECT_EQ(state.GetTimerText().GetText(), "Time: 300.98s");
    EXPECT_EQ(state.GetScreenSize(), (std::pair<float, float>{1280.0f, 720.0f}));
}

TEST(State, TheTimerTextSitsTwentyFiveUnitsInFromTheCornerOfItsArea)
{
    PlainState state;   // no engine: the render size is 1280 x 720
    state.InitTimerText(1280.0f, 720.0f);
    EXPECT_FLOAT_EQ(state.GetTimerText().GetPosition().x, 25.0f);
    EXPECT_FLOAT_EQ(state.GetTimerText().GetPosition().y, 25.0f);
    state.InitTimerText(1000.0f, 500.0f);
    EXPECT_FLOAT_EQ(state.GetTimerText().GetPosition().x, 165.0f);
    EXPECT_FLOAT_EQ(state.GetTimerText().GetPosition().y, 135.0f);
}

TEST(TransitionState, FadesOutHoldsTheCommandAtBlackAndFadesIn)
{
    TransitionState fade;
    fade.Init();
    StateCommand command = MakeLevelCommand(COMMAND_NEXT_LEVEL, Qel::StringId("x"), true);
    command.myKeepOnTop = 1;
    command.myAtCheckpoint = 1;
    fade.SetPendingCommand(command);
    EXPECT_EQ(fade.GetPendingCommand().myCode, COMMAND_NEXT_LEVEL);
    EXPECT_EQ(fade.GetPendingCommand().myArgument, Qel::StringId("x"));
    EXPECT_EQ(fade.GetPendingCommand().myUseTransition, 0);
    EXPECT_EQ(fade.GetPendingCommand().myKeepOnTop, 0);
    EXPECT_EQ(fade.GetPendingCommand().myAtCheckpoint, 1);

    fade.Reset();
    EXPECT_EQ(fade.GetPhase(), TransitionState::PHASE_IDLE);
    fade.Start();
    const struct
    {
        u32 phaseAfter;
        float alpha;
        i32 code;
    } updates[] = {
        {TransitionState::PHASE_FADING_OUT, 0.5f, COMMAND_ADVANCE_TRANSITION},
        {TransitionState::PHASE_FADING_OUT, 1.0f, COMMAND_ADVANCE_TRANSITION},   // exactly 0.2 s is not enough
        {TransitionState::PHASE_BLACK, 1.0f, COMMAND_ADVANCE_TRANSITION},
        {TransitionState::PHASE_FADING_IN, 1.0f, COMMAND_NEXT_LEVEL},
        {TransitionState::PHASE_FADING_IN, 0.5f, COMMAND_ADVANCE_TRANSITION},
        {TransitionState::PHASE_FADING_IN, 0.0f, COMMAND_ADVANCE_TRANSITION},
        {TransitionState::PHASE_DONE, 0.0f, COMMAND_ADVANCE_TRANSITION},
        {TransitionState::PHASE_DONE, 0.0f, COMMAND_ADVANCE_TRANSITION},
    };
    int index = 1;
    for (const auto& row : updates)
    {
        const StateCommand result = fade.Update(Context(0.1f));
        EXPECT_EQ(fade.GetPhase(), row.phaseAfter) << "update " << index;
        EXPECT_NEAR(fade.GetAlpha(), row.alpha, 1e-6) << "update " << index;
        EXPECT_EQ(result.myCode, row.code) << "update " << index;
        if (row.code == COMMAND_NEXT_LEVEL)
        {
            // At black: the command with keep-on-top, so it is applied beneath the fade.
            EXPECT_EQ(result.myKeepOnTop, 1);
            EXPECT_EQ(result.myUseTransition, 0);
            EXPECT_EQ(result.myAtCheckpoint, 1);
            EXPECT_EQ(result.myArgument, Qel::StringId("x"));
            EXPECT_FLOAT_EQ(fade.GetTimer(), 0.0f);
        }
        else
        {
            EXPECT_EQ(result.myKeepOnTop, 0);
            EXPECT_EQ(result.myArgument, Qel::StringId());
        }
        ++index;
    }
}

TEST(TransitionState, TheDrawnOpacityEasesInAndOut)
{
    TransitionState fade;
    fade.Start();
    const struct
    {
        float time, drawn;
    } table[] = {{0.05f, 0.1464466f}, {0.1f, 0.5f}, {0.15f, 0.8535534f}};
    for (const auto& row : table)
    {
        fade.SetTimer(0.0f);
        fade.Start();
        fade.Update(Context(row.time));
        EXPECT_NEAR(fade.GetDrawnAlpha(), row.drawn, 1e-5) << row.time;
    }
}

TEST(LevelLoadingState, ShowsTheLineOfItsReasonAndKeepsItForUnknownReasons)
{
    LevelLoadingState loading;
    loading.Init();
    const char* lines[] = {"> Getting ready... ", "> Ascending... ", "> Life lost ",
                           "> Out of lives (Checkpoint lost) ", "> You died (out of time) "};
    for (Qel::u8 reason = 0; reason < 5; ++reason)
    {
        loading.SetReason(reason);
        loading.Update(Context(0.0f));
        EXPECT_EQ(loading.GetMessage().GetText(), lines[reason]);
    }
    loading.SetReason(7);
    loading.Update(Context(0.0f));
    EXPECT_EQ(loading.GetMessage().GetText(), lines[4]);
    EXPECT_FLOAT_EQ(loading.GetMessage().GetScale(), 0.5f);   // 1280 x 720 against 2560 x 1440
    EXPECT_EQ(loading.GetMessage().GetColor(), (Qel::Color{1.0f, 0.98f, 0.25f, 1.0f}));
}

TEST(LevelLoadingState, LeavesOnceReadyAndPastItsMinimumTime)
{
    const float dt = 1.0f / 64.0f;
    const struct
    {
        bool ready;
        float timeBefore;
        i32 code;
        bool fade;
    } table[] = {
        {true, 3.0f - dt, COMMAND_LOAD_STEP, false},   // exactly 3 s is not past it
        {true, 3.0f, COMMAND_REMOVE_LOADING_SCREEN, true},
        {false, 10.0f, COMMAND_LOAD_STEP, false},
        {true, 0.0f, COMMAND_LOAD_STEP, false},
    };
    for (const auto& row : table)
    {
        LevelLoadingState loading;
        loading.SetMinimumTime(3.0f);
        loading.SetLevelReady(row.ready);
        loading.SetTimer(row.timeBefore);
        const StateCommand command = loading.Update(Context(dt));
        EXPECT_EQ(command.myCode, row.code) << row.timeBefore;
        EXPECT_EQ(command.myUseTransition != 0, row.fade) << row.timeBefore;
        EXPECT_EQ(command.myKeepOnTop, 0);
    }
}
