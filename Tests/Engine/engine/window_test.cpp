#include "engine/Engine.h"
#include "platform/Platform.h"
#include "window/Window.h"

#include <gtest/gtest.h>

using namespace Qel;

TEST(Window, PresentationFollowsTheStartFlags)
{
    struct Case
    {
        u8 fullscreen, borderless, maximized;
        bool startsFullscreen;
        u32 creationStyle;
    };
    const Case cases[] = {
        {0, 0, 0, false, WS_OVERLAPPEDWINDOW},
        {0, 1, 0, false, Window::CREATION_STYLE_POPUP},   // a popup at creation, then windowed
        {0, 1, 1, true, Window::CREATION_STYLE_POPUP},
        {1, 0, 0, true, Window::CREATION_STYLE_POPUP},
        {0, 0, 1, false, WS_OVERLAPPEDWINDOW},
    };
    for (const Case& c : cases)
    {
        EngineCreateParameters parameters;
        parameters.myStartInFullscreen = c.fullscreen;
        parameters.myBorderless = c.borderless;
        parameters.myStartMaximized = c.maximized;
        EXPECT_EQ(Window::StartsFullscreen(parameters), c.startsFullscreen);
        EXPECT_EQ(Window::CreationStyle(parameters), c.creationStyle);
    }
    EXPECT_EQ(Window::CREATION_STYLE_POPUP, 0x96000000u);
    EXPECT_EQ(Window::FULLSCREEN_STYLE, 0x97000000u);
    EXPECT_EQ(Window::WINDOWED_STYLE, 0x10CF0000u);
}

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Platform::Init());
        Platform::ResetMessageQueue();
    }
    void TearDown() override { Platform::Shutdown(); }
};

TEST_F(WindowTest, ClientAreaIsTheRequestedSizeAndFullscreenCoversTheMonitor)
{
    EngineCreateParameters parameters;
    parameters.myWindowWidth = 1280;
    parameters.myWindowHeight = 720;
    Window window;
    Window* windowObject = nullptr;
    ASSERT_TRUE(window.Init(parameters, &parameters.myInstance, &windowObject));
    EXPECT_EQ(windowObject, &window);
    u32 w = 0, h = 0;
    Platform::GetDrawableSize(window.myWindowHandle, w, h);
    EXPECT_EQ(w, 1280u);
    EXPECT_EQ(h, 720u);
    EXPECT_FALSE(window.IsFullscreen());

    window.SetFullscreen(true);
    EXPECT_TRUE(window.IsFullscreen());
    const RECT monitor = Platform::GetNearestMonitorRect(window.myWindowHandle);
    Platform::GetDrawableSize(window.myWindowHandle, w, h);
    EXPECT_EQ(w, static_cast<u32>(monitor.right - monitor.left));
    EXPECT_EQ(h, static_cast<u32>(monitor.bottom - monitor.top));

    window.SetResolution(640, 360);   // still covering the monitor
    Platform::GetDrawableSize(window.myWindowHandle, w, h);
    EXPECT_EQ(w, static_cast<u32>(monitor.right - monitor.left));
    window.SetFullscreen(false);
    Platform::GetDrawableSize(window.myWindowHandle, w, h);
    EXPECT_EQ(w, 640u);
    EXPECT_EQ(h, 360u);
}

TEST_F(WindowTest, TheCallbackSeesEveryMessageAndCanKeepTheProgramAlive)
{
    std::vector<UINT> seen;
    LRESULT answer = 1;
    EngineCreateParameters parameters;
    parameters.myWindowWidth = 200;
    parameters.myWindowHeight = 100;
    parameters.myWindowMessageCallback = [&](HWND, UINT aMessage, WPARAM, LPARAM) {
        seen.push_back(aMessage);
        return answer;
    };
    Window window;
    Window* windowObject = nullptr;
    ASSERT_TRUE(window.Init(parameters, &parameters.myInstance, &windowObject));

    // Non-zero: the engine does not handle WM_DESTROY, so nothing quits.
    Window::WindowProcedure(window.myWindowHandle, WM_DESTROY, 0, 0);
    MSG message;
    bool quit = false;
    while (Platform::PeekMessage(message))
        quit = quit || message.message == WM_QUIT;
    EXPECT_FALSE(quit);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), WM_DESTROY);

    answer = 0;
    Window::WindowProcedure(window.myWindowHandle, WM_DESTROY, 0, 0);
    while (Platform::PeekMessage(message))
        quit = quit || message.message == WM_QUIT;
    EXPECT_TRUE(quit);
}
