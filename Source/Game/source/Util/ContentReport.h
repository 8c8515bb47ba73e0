#pragma once
// Problems found in a level's content while it loads: each one printed once on standard output,
// naming the file and the cause, and kept for tests and tools. The load carries on.
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class ContentReport
{
public:
    // Prints and keeps the message unless one with the same key was reported already; true
    // when it was new.
    bool Report(std::string_view aKey, std::string aMessage);
    bool Report(std::string aMessage)
    {
        const std::string key = aMessage;
        return Report(key, std::move(aMessage));
    }
    // Forgets what was reported, so the next load reports its own problems again.
    void Clear();
    const std::vector<std::string>& GetMessages() const { return myMessages; }

private:
    std::unordered_set<std::string> myKeys;
    std::vector<std::string> myMessages;
};
