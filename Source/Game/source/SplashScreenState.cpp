#include "SplashScreenState.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "InputMapper.h"
#include "MenuWidgets.h"

namespace
{
bool ourSplashSkipped = false;
bool ourMenuMusicStarted = false;

void StartMenuMusicOnce()
{
    if (ourMenuMusicStarted)
        return;
    GetAudioManager().PlayMusic(MUSIC_MENU);
    ourMenuMusicStarted = true;
}
}

bool SplashScreenState::IsSplashSkipped() { return ourSplashSkipped; }
bool SplashScreenState::IsMenuMusicStarted() { return ourMenuMusicStarted; }
void SplashScreenState::ResetSharedFlagsForTesting()
{
    ourSplashSkipped = false;
    ourMenuMusicStarted = false;
}

void SplashScreenState::Init()
{
    myTexturePath = "art/2d/Textures/T_UI_QELSplash.png";
    myLogo.Init(myTexturePath, 0.5f, 0.5f);
    const auto [width, height] = GetRenderSizeF();
    SetScreenSize(width, height);
    FitLogo();
}

void SplashScreenState::SetTexture(const char* aTexturePath)
{
    myTexturePath = aTexturePath;
    myLogo.Init(aTexturePath, 0.5f, 0.5f);
    FitLogo();
}

void SplashScreenState::FitLogo()
{
    const auto [width, height] = GetScreenSize();
    myLogo.CenterOnScreen();
    myLogo.SetSize(width, height);
}

void SplashScreenState::Relayout()
{
    const auto size = GetRenderSizeF();
    if (GetScreenSize() == size)
        return;
    SetScreenSize(size.first, size.second);
    FitLogo();
}

StateCommand SplashScreenState::Update(const UpdateContext& aContext)
{
    if (aContext.myActions && aContext.myActions->IsActionPressed(ACTION_SKIP))
        ourSplashSkipped = true;
    if (ourSplashSkipped)
    {
        StartMenuMusicOnce();
        return MakeCommand(COMMAND_MAIN_MENU, true);
    }
    const auto size = GetRenderSizeF();
    if (GetScreenSize() != size)
        SetScreenSize(size.first, size.second);
    UpdateTimer(aContext.myDeltaTime);
    FitLogo();
    if (GetTimer() <= SHOW_TIME)
        return {};
    if (myNextCommand == COMMAND_MAIN_MENU)
        StartMenuMusicOnce();
    return MakeCommand(myNextCommand, true);
}

void SplashScreenState::Render()
{
    const MenuDrawScope scope;
    myLogo.Render();
}
