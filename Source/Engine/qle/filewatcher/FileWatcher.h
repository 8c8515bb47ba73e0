#pragma once
// Hot reload: parts of the engine register a callback for a file; a background thread polls the
// modification time of every watched file every 32 ms and queues the files that changed; the
// main thread runs their callbacks at the start of the next frame (FlushChanges). All of it is
// off unless the Filewatcher debug feature is on.
#include "core/Types.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Qel
{
class FileWatcher
{
public:
    static constexpr std::chrono::milliseconds POLL_INTERVAL{32};

    using EnabledQuery = std::function<bool()>;

    // Asks the engine whether the Filewatcher debug feature is on.
    FileWatcher();
    // Asks aIsEnabled instead (tests, tools).
    explicit FileWatcher(EnabledQuery aIsEnabled);
    ~FileWatcher();

    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;

    // True when aPath is now watched: the feature is on and the file exists. A path stays watched
    // for the watcher's life; several callbacks may watch one file.
    bool WatchFileChange(const std::string& aPath, std::function<void()> aCallback);

    // Main thread, once per frame: runs the callbacks of every file found changed since the last
    // flush, each file once, callbacks in registration order.
    void FlushChanges();

private:
    struct WatchedFile
    {
        std::filesystem::path myPath;
        u64 myWriteTime = 0;
        bool myProblemReported = false;   // the file is missing or unreadable, and we said so
    };

    // Both spellings of a path ('\\' or '/') share one callback list.
    static std::string MakeKey(const std::string& aPath);
    bool IsEnabled() const;
    void ThreadMain();
    void CheckFile(const std::string& aPath, WatchedFile& aFile);

    EnabledQuery myIsEnabled;
    std::thread myThread;
    std::map<std::string, std::vector<std::function<void()>>> myCallbacks;
    std::vector<std::string> myChangedPaths;
    std::vector<std::string> myPathsBeingFlushed;
    std::map<std::string, WatchedFile> myLastWriteTimes;
    std::mutex myListLock;
    std::mutex myTimesLock;
    std::atomic<bool> myStopRequested{false};
    // Wakes the thread from its sleep when the watcher is destroyed.
    std::mutex myWakeLock;
    std::condition_variable myWake;
};
}
