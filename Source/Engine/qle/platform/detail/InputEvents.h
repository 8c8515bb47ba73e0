#pragma once
// Inside the platform layer only: SDL input events become Win32-style messages.
#include "platform/Win32.h"

union SDL_Event;

namespace Qel::Platform::detail
{
// Posts the messages (PostMessage) that one SDL keyboard / mouse event stands for, addressed to
// aWindow. Events that are not input are ignored.
void TranslateInputEvent(const SDL_Event& aEvent, HWND aWindow);
}
