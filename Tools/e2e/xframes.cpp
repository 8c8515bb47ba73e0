// Counts the frames a window presents, from outside the program: every present repaints the
// window, which the X server reports as damage. Damage reports that arrive within 2 ms of each
// other (one present split into several rectangles) count as one frame.
// Usage: xframes <window id> <seconds>; prints "<frames> <seconds> <frames per second>".
// Exits 2 without a display or the damage extension, 1 on bad arguments.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <poll.h>

int main(int aArgc, char** aArgv)
{
    if (aArgc != 3)
    {
        std::fprintf(stderr, "usage: xframes <window id> <seconds>\n");
        return 1;
    }
    const Window window = static_cast<Window>(std::strtoul(aArgv[1], nullptr, 0));
    const double seconds = std::atof(aArgv[2]);
    if (window == 0 || !(seconds > 0.0))
    {
        std::fprintf(stderr, "xframes: a window id and a positive time are needed\n");
        return 1;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    int eventBase = 0, errorBase = 0;
    if (!XDamageQueryExtension(display, &eventBase, &errorBase))
        return 2;
    const Damage damage = XDamageCreate(display, window, XDamageReportRawRectangles);
    XSync(display, False);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    long frames = 0;
    Clock::time_point lastReport{};
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    while (Clock::now() < end)
    {
        if (!XPending(display))
        {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            poll(&connection, 1, static_cast<int>(left > 0 ? left : 0));
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != eventBase + XDamageNotify)
            continue;
        const Clock::time_point now = Clock::now();
        if (frames == 0 || now - lastReport > std::chrono::milliseconds(2))
            ++frames;
        lastReport = now;
    }
    XDamageDestroy(display, damage);
    XCloseDisplay(display);
    std::printf("%ld %.2f %.1f\n", frames, seconds, static_cast<double>(frames) / seconds);
    return 0;
}
