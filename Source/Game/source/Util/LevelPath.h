#pragma once
// What a level's scene path says about it: its chapter and level ("...level1.qls" to
// "...level6.qls"), the digit that tells one level from another for music and the level-start
// score, and the music and ambience that change when the digit does.
#include "core/Types.h"

#include <string_view>

namespace LevelPath
{
// The character at length - 5 as a number (c - '0'); -1 for a path shorter than 5 characters.
Qel::i32 LevelDigit(std::string_view aPath);

// Chapter and level from the last 10 characters; false (both untouched) for any other ending.
bool ChapterAndLevel(std::string_view aPath, Qel::i32& aChapter, Qel::i32& aLevel);

// The level's music track (digit - 1) and ambience (0 for levels 1 to 3, 1 for 4 and 5, 2 for
// 6); -1 for a digit outside 1 to 6.
Qel::i32 MusicForDigit(Qel::i32 aDigit);
Qel::i32 AmbienceForDigit(Qel::i32 aDigit);

// What a load does to music, ambience and the level-start score; -1 where nothing happens.
struct MusicChange
{
    bool myLevelChanged = false;
    Qel::i32 myStopMusic = -1;
    Qel::i32 myStopAmbience = -1;
    Qel::i32 myPlayMusic = -1;
    Qel::i32 myPlayAmbience = -1;
};
MusicChange PlanMusicChange(Qel::i32 aPreviousDigit, Qel::i32 aNewDigit);
}
