#pragma once
#include "core/Types.h"

namespace Qel
{
// Keeps the frame loop at the display's rate when the buffer swap does not: vsync refused by the
// system, or accepted and ignored (a swap that returns at once), and while the window is
// minimised and nothing is shown. It only says when the next frame may start; the caller sleeps
// until then, so no core is spent waiting. Times are in nanoseconds of a monotonic clock.
class FramePacer
{
public:
    // Frames this much shorter than the period, this many in a row, mean the swap does not wait.
    static constexpr u32 FAST_FRAMES_FOR_NO_WAIT = 8;

    // After a frame was shown with vsync asked for. aSwapWaits: the system took the swap interval.
    // Returns the time to sleep until; 0 when the frame may start at once.
    i64 AfterShownFrame(i64 aNow, i64 aPeriod, bool aSwapWaits);
    // After a frame that showed nothing (minimised): one frame each aPeriod.
    i64 AfterHiddenFrame(i64 aNow, i64 aPeriod) { return Pace(aNow, aPeriod); }
    // Vsync off: frames run free, and pacing starts afresh when it is back on.
    void Reset();

    bool IsPacing() const { return myPacing; }

private:
    i64 Pace(i64 aNow, i64 aPeriod);

    i64 myLastFrame = 0;
    i64 myNextFrame = 0;
    u32 myFastFrames = 0;
    bool mySwapIgnoresInterval = false;
    bool myPacing = false;
};

// Nanoseconds between frames at a refresh rate in hertz; 60 Hz when the rate is unknown (0).
i64 RefreshPeriod(i32 aRefreshRate);
}
