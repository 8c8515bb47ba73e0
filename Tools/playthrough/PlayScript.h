#pragma once
// Input scripts: the keys held on each frame, written as short lines.
//
//     # a comment; blank lines are skipped
//     wait 1.0           nothing held for one second
//     right 2.5          the right arrow held for 2.5 s
//     right+jump 0.4     several keys at once
//
// Keys: left, right, up, down, jump (Z), run (X: sprint, and throw), enter, esc. Times are
// seconds at 60 frames a second, rounded to whole frames.
#include "core/Types.h"

#include <filesystem>
#include <string>
#include <vector>

namespace Playthrough
{
constexpr int FRAMES_PER_SECOND = 60;
constexpr float FRAME_TIME = 1.0f / FRAMES_PER_SECOND;

enum Key : Qel::u32
{
    KEY_LEFT = 1,
    KEY_RIGHT = 2,
    KEY_UP = 4,
    KEY_DOWN = 8,
    KEY_JUMP = 16,
    KEY_RUN = 32,
    KEY_ENTER = 64,
    KEY_ESC = 128,
    KEY_ALL = 255,
};

// The virtual-key code of one key bit.
Qel::u32 VirtualKey(Qel::u32 aKeyBit);

struct Step
{
    Qel::u32 myKeys = 0;
    int myFrames = 0;
};

class Script
{
public:
    // Reads the text; false, with the name and line in aError, on anything it cannot read.
    bool Parse(const std::string& aText, const std::string& aName, std::string& aError);
    bool Load(const std::filesystem::path& aFile, std::string& aError);
    // The lines, equal neighbours merged, under aHeader (comment lines).
    std::string Format(const std::string& aHeader = "") const;

    void Add(Qel::u32 aKeys, int aFrames);
    void Clear();
    const std::vector<Step>& GetSteps() const { return mySteps; }
    int GetFrameCount() const { return static_cast<int>(myFrameKeys.size()); }
    // The keys held on frame aFrame; none past the end.
    Qel::u32 KeysAt(int aFrame) const
    {
        return aFrame >= 0 && aFrame < GetFrameCount() ? myFrameKeys[static_cast<size_t>(aFrame)] : 0;
    }
    // The first aFrames frames only.
    void Truncate(int aFrames);

private:
    std::vector<Step> mySteps;
    std::vector<Qel::u32> myFrameKeys;
};
}
