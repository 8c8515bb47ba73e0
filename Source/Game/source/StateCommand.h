#pragma once
// What a screen's update asks the state stack to do. Screens never switch screens themselves:
// they return one of these and the stack applies it.
#include "core/Types.h"
#include "stringRegistry/StringId.h"

// The command codes. The numbers are fixed: screens and the stack agree on them.
enum StateCommandCode : Qel::i32
{
    COMMAND_NONE = 0,
    COMMAND_OPEN_LEVEL_SELECT = 1,
    COMMAND_LOAD_STEP = 2,
    COMMAND_REMOVE_LOADING_SCREEN = 3,
    COMMAND_START_LEVEL = 4,
    COMMAND_NEXT_LEVEL = 5,
    COMMAND_MAIN_MENU = 6,
    COMMAND_POP = 7,
    COMMAND_QUIT = 8,
    COMMAND_PAUSE = 9,
    COMMAND_OPTIONS = 10,
    COMMAND_IN_GAME_SETTINGS = 11,
    COMMAND_CREDITS = 12,
    COMMAND_LIFE_LOST = 13,
    COMMAND_OUT_OF_LIVES = 14,
    COMMAND_OUT_OF_TIME = 15,
    COMMAND_INTRO = 16,
    COMMAND_FIRST_SPLASH = 17,
    COMMAND_THIRD_SPLASH = 18,   // shows the member splash 2
    COMMAND_SECOND_SPLASH = 19,  // shows the member splash 3
    COMMAND_ADVANCE_TRANSITION = 20,
    COMMAND_ENDING_CREDITS = 21,
};

struct StateCommand
{
    Qel::i32 myCode = COMMAND_NONE;
    // The level's scene path for COMMAND_START_LEVEL, COMMAND_NEXT_LEVEL and the reloads.
    Qel::StringId myArgument;
    // Apply behind a fade through black.
    Qel::u8 myUseTransition = 0;
    // Apply beneath the top screen: it is popped first and pushed back after.
    Qel::u8 myKeepOnTop = 0;
    // COMMAND_LIFE_LOST: respawn at the active checkpoint.
    Qel::u8 myAtCheckpoint = 0;
};

// Shorthands for the common shapes.
inline StateCommand MakeCommand(Qel::i32 aCode, bool aUseTransition = false)
{
    StateCommand command;
    command.myCode = aCode;
    command.myUseTransition = aUseTransition ? 1 : 0;
    return command;
}
inline StateCommand MakeLevelCommand(Qel::i32 aCode, Qel::StringId aLevel, bool aUseTransition = true)
{
    StateCommand command = MakeCommand(aCode, aUseTransition);
    command.myArgument = aLevel;
    return command;
}
