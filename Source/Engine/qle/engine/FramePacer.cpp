#include "engine/FramePacer.h"

namespace Qel
{
i64 FramePacer::AfterShownFrame(i64 aNow, i64 aPeriod, bool aSwapWaits)
{
    if (aSwapWaits && !mySwapIgnoresInterval)
    {
        // Trust the swap until it shows that it does not wait.
        myPacing = false;
        if (myLastFrame != 0 && aNow - myLastFrame < aPeriod / 2)
            ++myFastFrames;
        else
            myFastFrames = 0;
        myLastFrame = aNow;
        if (myFastFrames < FAST_FRAMES_FOR_NO_WAIT)
            return 0;
        mySwapIgnoresInterval = true;
    }
    return Pace(aNow, aPeriod);
}

i64 FramePacer::Pace(i64 aNow, i64 aPeriod)
{
    // Frames end one period apart (myNextFrame is when the last one was due). A frame that ran
    // late starts the next one at once, and one more than a period late starts the count afresh:
    // no burst of frames to catch up.
    if (!myPacing || aNow > myNextFrame + 2 * aPeriod)
        myNextFrame = aNow;
    myPacing = true;
    const i64 wake = myNextFrame + aPeriod;
    myNextFrame = wake;
    myLastFrame = wake;
    return wake > aNow ? wake : 0;
}

void FramePacer::Reset() { *this = FramePacer{}; }

i64 RefreshPeriod(i32 aRefreshRate)
{
    const i64 rate = aRefreshRate > 0 ? aRefreshRate : 60;
    return 1'000'000'000 / rate;
}
}
