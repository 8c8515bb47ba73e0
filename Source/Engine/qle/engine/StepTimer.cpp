#include "engine/StepTimer.h"

#include "platform/Platform.h"

namespace Qel
{
i64 ReadPerformanceCounter() { return Platform::QueryPerformanceCounter(); }

StepTimer::StepTimer() : StepTimer(Platform::QueryPerformanceFrequency(), Platform::QueryPerformanceCounter()) {}

StepTimer::StepTimer(i64 aFrequency, i64 aCounter)
    : myFrequency(aFrequency), myLastCounter(aCounter), myMaxDelta(static_cast<u64>(aFrequency / 10))
{
}

void StepTimer::Advance(i64 aCounter)
{
    u64 delta = aCounter > myLastCounter ? static_cast<u64>(aCounter - myLastCounter) : 0;
    myLastCounter = aCounter;
    mySecondCounter += delta;
    if (delta > myMaxDelta)
        delta = myMaxDelta;
    myElapsedTicks = delta * TICKS_PER_SECOND / static_cast<u64>(myFrequency);
    myTotalTicks += myElapsedTicks;
    myLeftOverTicks = 0;
    ++myFrameCount;
}

void StepTimer::FinishFrame(u32 aFrameCountBefore)
{
    if (myFrameCount != aFrameCountBefore)
        ++myFramesThisSecond;
    if (mySecondCounter >= static_cast<u64>(myFrequency))
    {
        myFramesPerSecond = myFramesThisSecond;
        myFramesThisSecond = 0;
        mySecondCounter %= static_cast<u64>(myFrequency);
    }
}
}
