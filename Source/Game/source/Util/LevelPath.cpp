#include "Util/LevelPath.h"

#include <array>

namespace LevelPath
{
Qel::i32 LevelDigit(std::string_view aPath)
{
    if (aPath.size() < 5)
        return -1;
    return static_cast<Qel::i32>(aPath[aPath.size() - 5]) - '0';
}

bool ChapterAndLevel(std::string_view aPath, Qel::i32& aChapter, Qel::i32& aLevel)
{
    static constexpr std::array<std::string_view, 6> ENDINGS = {"level1.qls", "level2.qls", "level3.qls",
                                                                "level4.qls", "level5.qls", "level6.qls"};
    if (aPath.size() < 10)
        return false;
    const std::string_view ending = aPath.substr(aPath.size() - 10);
    for (size_t i = 0; i < ENDINGS.size(); ++i)
    {
        if (ending == ENDINGS[i])
        {
            aChapter = static_cast<Qel::i32>(i / 3) + 1;
            aLevel = static_cast<Qel::i32>(i % 3) + 1;
            return true;
        }
    }
    return false;
}

Qel::i32 MusicForDigit(Qel::i32 aDigit) { return aDigit >= 1 && aDigit <= 6 ? aDigit - 1 : -1; }

Qel::i32 AmbienceForDigit(Qel::i32 aDigit)
{
    if (aDigit >= 1 && aDigit <= 3)
        return 0;
    if (aDigit == 4 || aDigit == 5)
        return 1;
    return aDigit == 6 ? 2 : -1;
}

MusicChange PlanMusicChange(Qel::i32 aPreviousDigit, Qel::i32 aNewDigit)
{
    MusicChange change;
    if (aPreviousDigit == aNewDigit)
        return change;
    change.myLevelChanged = true;
    change.myStopMusic = MusicForDigit(aPreviousDigit);
    change.myStopAmbience = AmbienceForDigit(aPreviousDigit);
    change.myPlayMusic = MusicForDigit(aNewDigit);
    change.myPlayAmbience = AmbienceForDigit(aNewDigit);
    return change;
}
}
