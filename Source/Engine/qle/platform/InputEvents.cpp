#include "platform/detail/InputEvents.h"

#include <SDL.h>

namespace Qel::Platform::detail
{
void TranslateInputEvent(const SDL_Event& aEvent, HWND aWindow)
{
    (void)aEvent;
    (void)aWindow;
}
}
