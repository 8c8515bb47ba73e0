#include "PlayScript.h"

#include "platform/VirtualKeys.h"

#include <cmath>
#include <fstream>
#include <sstream>

namespace Playthrough
{
namespace
{
struct KeyName
{
    const char* myName;
    Qel::u32 myBit;
    Qel::u32 myVirtualKey;
};
constexpr KeyName KEY_NAMES[] = {
    {"left", KEY_LEFT, Qel::VK_LEFT},   {"right", KEY_RIGHT, Qel::VK_RIGHT},    {"up", KEY_UP, Qel::VK_UP},
    {"down", KEY_DOWN, Qel::VK_DOWN},   {"jump", KEY_JUMP, 'Z'},                {"run", KEY_RUN, 'X'},
    {"enter", KEY_ENTER, Qel::VK_RETURN}, {"esc", KEY_ESC, Qel::VK_ESCAPE},
};

std::string Trim(const std::string& aText)
{
    const size_t first = aText.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return aText.substr(first, aText.find_last_not_of(" \t\r") - first + 1);
}

bool ParseKeys(const std::string& aWord, Qel::u32& aKeys)
{
    aKeys = 0;
    if (aWord == "wait")
        return true;
    // getline drops a last empty part: "right+" would read as "right".
    if (aWord.empty() || aWord.front() == '+' || aWord.back() == '+' || aWord.find("++") != std::string::npos)
        return false;
    std::stringstream parts(aWord);
    std::string part;
    while (std::getline(parts, part, '+'))
    {
        bool known = false;
        for (const KeyName& key : KEY_NAMES)
            if (part == key.myName)
            {
                aKeys |= key.myBit;
                known = true;
            }
        if (!known)
            return false;
    }
    return aKeys != 0;
}
}

Qel::u32 VirtualKey(Qel::u32 aKeyBit)
{
    for (const KeyName& key : KEY_NAMES)
        if (key.myBit == aKeyBit)
            return key.myVirtualKey;
    return 0;
}

bool Script::Parse(const std::string& aText, const std::string& aName, std::string& aError)
{
    Clear();
    std::stringstream lines(aText);
    std::string line;
    int number = 0;
    while (std::getline(lines, line))
    {
        ++number;
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty())
            continue;
        std::stringstream words(line);
        std::string keys, seconds, extra;
        words >> keys >> seconds >> extra;
        Qel::u32 mask = 0;
        char* end = nullptr;
        const double value = seconds.empty() ? -1.0 : std::strtod(seconds.c_str(), &end);
        if (!ParseKeys(keys, mask) || seconds.empty() || *end != '\0' || !std::isfinite(value) || value < 0.0 ||
            value > 3600.0 || !extra.empty())
        {
            aError = aName + ":" + std::to_string(number) + ": expected 'keys seconds' (e.g. right+jump 0.4), got '" +
                     line + "'";
            Clear();
            return false;
        }
        Add(mask, static_cast<int>(std::lround(value * FRAMES_PER_SECOND)));
    }
    return true;
}

bool Script::Load(const std::filesystem::path& aFile, std::string& aError)
{
    std::ifstream in(aFile, std::ios::binary);
    if (!in)
    {
        aError = aFile.string() + ": cannot be read";
        Clear();
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    return Parse(text.str(), aFile.string(), aError);
}

std::string Script::Format(const std::string& aHeader) const
{
    std::string text = aHeader;
    for (const Step& step : mySteps)
    {
        std::string keys;
        for (const KeyName& key : KEY_NAMES)
            if (step.myKeys & key.myBit)
                keys += (keys.empty() ? "" : "+") + std::string(key.myName);
        char seconds[32];
        std::snprintf(seconds, sizeof(seconds), "%.3f", static_cast<double>(step.myFrames) / FRAMES_PER_SECOND);
        std::string number = seconds;
        while (number.back() == '0')
            number.pop_back();
        if (number.back() == '.')
            number.pop_back();
        text += (keys.empty() ? "wait" : keys) + " " + number + "\n";
    }
    return text;
}

void Script::Add(Qel::u32 aKeys, int aFrames)
{
    if (aFrames <= 0)
        return;
    aKeys &= KEY_ALL;
    if (!mySteps.empty() && mySteps.back().myKeys == aKeys)
        mySteps.back().myFrames += aFrames;
    else
        mySteps.push_back({aKeys, aFrames});
    myFrameKeys.insert(myFrameKeys.end(), static_cast<size_t>(aFrames), aKeys);
}

void Script::Clear()
{
    mySteps.clear();
    myFrameKeys.clear();
}

void Script::Truncate(int aFrames)
{
    const std::vector<Step> steps = mySteps;
    Clear();
    for (const Step& step : steps)
    {
        const int take = std::min(step.myFrames, aFrames - GetFrameCount());
        if (take <= 0)
            break;
        Add(step.myKeys, take);
    }
}
}
