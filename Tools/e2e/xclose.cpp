// Asks a top-level X window, found by its title, to close, as a window manager's close button
// does (WM_DELETE_WINDOW). Exits 0 when the request was sent, 1 when no such window appeared
// within the wait, 2 when there is no X display.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace
{
Window FindByTitle(Display* aDisplay, Window aWindow, const std::string& aTitle)
{
    char* name = nullptr;
    if (XFetchName(aDisplay, aWindow, &name) && name)
    {
        const bool match = aTitle == name;
        XFree(name);
        if (match)
            return aWindow;
    }
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(aDisplay, aWindow, &root, &parent, &children, &count))
    {
        for (unsigned i = 0; i < count && !found; ++i)
            found = FindByTitle(aDisplay, children[i], aTitle);
        if (children)
            XFree(children);
    }
    return found;
}
}

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: xclose <window title> [seconds to wait]\n");
        return 2;
    }
    const std::string title = argv[1];
    const int waitSeconds = argc > 2 ? std::atoi(argv[2]) : 10;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
    {
        std::fprintf(stderr, "xclose: no X display\n");
        return 2;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(waitSeconds);
    Window window = 0;
    while (!(window = FindByTitle(display, DefaultRootWindow(display), title)))
    {
        if (std::chrono::steady_clock::now() > deadline)
        {
            std::fprintf(stderr, "xclose: no window titled \"%s\"\n", title.c_str());
            XCloseDisplay(display);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    XEvent event;
    std::memset(&event, 0, sizeof(event));
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    return 0;
}
