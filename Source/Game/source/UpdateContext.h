#pragma once
// What every screen's update gets, built by the state stack each frame.
#include "core/Types.h"

namespace Qel
{
class InputManager;
}
class InputMapper;

struct UpdateContext
{
    // The action map, already updated this frame.
    InputMapper* myActions = nullptr;
    // The clamped frame time in seconds.
    float myDeltaTime = 0.0f;
    // Raw keyboard and mouse: mouse position and movement for the menus, and the cursor.
    Qel::InputManager* myInput = nullptr;
    // Counts the state stack's frames from 1 (0: unknown). Menus use it to tell a press held
    // since before they became active from a fresh one.
    Qel::u32 myFrame = 0;
};
