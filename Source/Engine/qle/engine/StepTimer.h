#pragma once
#include "core/Types.h"

namespace Qel
{
// Frame timer in 100 ns ticks; one tick per frame, clamped to a tenth of a second so a stall
// (a debugger break, a window drag) never turns into a huge step.
class StepTimer
{
public:
    static constexpr u64 TICKS_PER_SECOND = 10'000'000;

    StepTimer();
    StepTimer(i64 aFrequency, i64 aCounter);

    template <typename Update>
    void Tick(Update&& aUpdate);
    template <typename Update>
    void TickAt(i64 aCounter, Update&& aUpdate);

    u64 GetElapsedTicks() const { return myElapsedTicks; }
    u64 GetTotalTicks() const { return myTotalTicks; }
    u32 GetFrameCount() const { return myFrameCount; }
    u32 GetFramesPerSecond() const { return myFramesPerSecond; }
    u64 GetMaxDelta() const { return myMaxDelta; }

private:
    void Advance(i64 aCounter);
    void FinishFrame(u32 aFrameCountBefore);

    i64 myFrequency = 0;
    i64 myLastCounter = 0;
    u64 myMaxDelta = 0;
    u64 myElapsedTicks = 0;
    u64 myTotalTicks = 0;
    u64 myLeftOverTicks = 0;
    u32 myFrameCount = 0;
    u32 myFramesPerSecond = 0;
    u32 myFramesThisSecond = 0;
    u64 mySecondCounter = 0;
};

i64 ReadPerformanceCounter();

template <typename Update>
void StepTimer::Tick(Update&& aUpdate)
{
    TickAt(ReadPerformanceCounter(), aUpdate);
}

template <typename Update>
void StepTimer::TickAt(i64 aCounter, Update&& aUpdate)
{
    const u32 before = myFrameCount;
    Advance(aCounter);
    aUpdate();
    FinishFrame(before);
}
}
