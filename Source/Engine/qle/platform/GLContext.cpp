#include "platform/GLContext.h"

#include "platform/Platform.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <SDL.h>

#include <cstdio>

namespace Qel::Platform
{
namespace
{
class SdlGLContext final : public GLContext
{
public:
    SdlGLContext(HWND aWindow, SDL_Window* aSdlWindow, SDL_GLContext aContext)
        : myWindow(aWindow), mySdlWindow(aSdlWindow), myContext(aContext)
    {
    }
    ~SdlGLContext() override
    {
        SDL_GL_MakeCurrent(mySdlWindow, nullptr);
        SDL_GL_DeleteContext(myContext);
    }
    bool IsHeadless() const override { return false; }
    bool MakeCurrent() override { return SDL_GL_MakeCurrent(mySdlWindow, myContext) == 0; }
    void SwapBuffers() override
    {
        if (Platform::IsWindow(myWindow))
            SDL_GL_SwapWindow(mySdlWindow);
    }
    bool SetSwapInterval(int aInterval) override
    {
        if (aInterval != myInterval)
        {
            myInterval = aInterval;
            // Refused (Xvfb, some drivers): the caller paces the frames itself.
            myIntervalTaken = SDL_GL_SetSwapInterval(aInterval) == 0 && SDL_GL_GetSwapInterval() == aInterval;
        }
        return myIntervalTaken;
    }
    i32 GetRefreshRate() const override
    {
        SDL_DisplayMode mode{};
        if (SDL_GetWindowDisplayMode(mySdlWindow, &mode) != 0 || mode.refresh_rate <= 0)
        {
            const int display = SDL_GetWindowDisplayIndex(mySdlWindow);
            if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0)
                return 0;
        }
        return mode.refresh_rate > 0 ? mode.refresh_rate : 0;
    }
    void GetDrawableSize(u32& aWidth, u32& aHeight) const override { Platform::GetDrawableSize(myWindow, aWidth, aHeight); }

private:
    HWND myWindow;
    SDL_Window* mySdlWindow;
    SDL_GLContext myContext;
    int myInterval = -100;
    bool myIntervalTaken = false;
};

class EglGLContext final : public GLContext
{
public:
    EglGLContext(EGLDisplay aDisplay, EGLContext aContext) : myDisplay(aDisplay), myContext(aContext) {}
    ~EglGLContext() override
    {
        eglMakeCurrent(myDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(myDisplay, myContext);
        eglTerminate(myDisplay);
    }
    bool IsHeadless() const override { return true; }
    bool MakeCurrent() override { return eglMakeCurrent(myDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, myContext) == EGL_TRUE; }
    void SwapBuffers() override {}
    bool SetSwapInterval(int) override { return false; }
    i32 GetRefreshRate() const override { return 0; }
    void GetDrawableSize(u32& aWidth, u32& aHeight) const override { aWidth = aHeight = 0; }

private:
    EGLDisplay myDisplay;
    EGLContext myContext;
};
}

std::unique_ptr<GLContext> GLContext::CreateForWindow(HWND aWindow)
{
    auto* sdlWindow = static_cast<SDL_Window*>(GetNativeHandle(aWindow));
    if (!sdlWindow)
    {
        std::fprintf(stderr, "Could not create the OpenGL context: no window\n");
        return nullptr;
    }
    SDL_GLContext context = SDL_GL_CreateContext(sdlWindow);
    if (!context)
    {
        std::fprintf(stderr, "Could not create an OpenGL 3.3 core context: %s\n", SDL_GetError());
        return nullptr;
    }
    auto result = std::make_unique<SdlGLContext>(aWindow, sdlWindow, context);
    if (!result->MakeCurrent())
    {
        std::fprintf(stderr, "Could not make the OpenGL context current: %s\n", SDL_GetError());
        return nullptr;
    }
    return result;
}

std::unique_ptr<GLContext> GLContext::CreateHeadless()
{
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
    {
        std::fprintf(stderr, "Could not create a headless OpenGL context: no eglGetPlatformDisplayEXT\n");
        return nullptr;
    }
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor))
    {
        std::fprintf(stderr, "Could not create a headless OpenGL context: no EGL display\n");
        return nullptr;
    }
    eglBindAPI(EGL_OPENGL_API);
    const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    eglChooseConfig(display, configAttributes, &config, 1, &count);
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                        EGL_NONE};
    EGLContext context = eglCreateContext(display, count > 0 ? config : EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT,
                                          contextAttributes);
    if (context == EGL_NO_CONTEXT)
    {
        std::fprintf(stderr, "Could not create a headless OpenGL 3.3 core context (EGL error 0x%x)\n", eglGetError());
        eglTerminate(display);
        return nullptr;
    }
    auto result = std::make_unique<EglGLContext>(display, context);
    if (!result->MakeCurrent())
    {
        std::fprintf(stderr, "Could not make the headless OpenGL context current\n");
        return nullptr;
    }
    return result;
}
}
