#pragma once
#include <functional>
#include <string>

namespace Qel
{
// Minimal until hot reload is built: watches nothing.
class FileWatcher
{
public:
    bool WatchFileChange(const std::string& aPath, std::function<void()> aCallback)
    {
        (void)aPath;
        (void)aCallback;
        return false;
    }
    void FlushChanges() {}
};
}
