#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace Qel
{
// Callbacks handed over at engine creation. Kept for the engine's lifetime; nothing calls them yet.
class CallbackList
{
public:
    void Add(std::function<void()> aFirst, std::function<void()> aSecond)
    {
        if (aFirst)
            myFirst.push_back(std::move(aFirst));
        if (aSecond)
            mySecond.push_back(std::move(aSecond));
    }
    size_t GetFirstCount() const { return myFirst.size(); }
    size_t GetSecondCount() const { return mySecond.size(); }

private:
    std::vector<std::function<void()>> myFirst;
    std::vector<std::function<void()>> mySecond;
    std::map<std::string, std::function<void()>> myNamed;
};
}
