#include "filewatcher/FileWatcher.h"

#include "engine/Engine.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <system_error>

namespace Qel
{
namespace
{
bool AskEngine()
{
    const Engine* engine = Engine::GetInstance();
    return engine && engine->IsDebugFeatureOn(DebugFeature::Filewatcher);
}

u64 Ticks(std::filesystem::file_time_type aTime) { return static_cast<u64>(aTime.time_since_epoch().count()); }

bool IsMissing(const std::error_code& aError)
{
    return aError == std::errc::no_such_file_or_directory || aError == std::errc::not_a_directory;
}
}

FileWatcher::FileWatcher()
    : myIsEnabled(&AskEngine)
{
}

FileWatcher::FileWatcher(EnabledQuery aIsEnabled)
    : myIsEnabled(std::move(aIsEnabled))
{
}

FileWatcher::~FileWatcher()
{
    {
        std::lock_guard wake(myWakeLock);
        myStopRequested = true;
    }
    myWake.notify_all();
    if (myThread.joinable())
        myThread.join();
}

std::string FileWatcher::MakeKey(const std::string& aPath)
{
    std::string key = aPath;
    std::replace(key.begin(), key.end(), '\\', '#');
    std::replace(key.begin(), key.end(), '/', '#');
    return key;
}

bool FileWatcher::IsEnabled() const { return myIsEnabled && myIsEnabled(); }

bool FileWatcher::WatchFileChange(const std::string& aPath, std::function<void()> aCallback)
{
    if (!IsEnabled())
        return false;
    WatchedFile file;
    file.myPath = aPath;
    // A file that vanishes between the two calls is simply not watched.
    std::error_code error;
    if (!std::filesystem::exists(file.myPath, error))
        return false;
    const auto writeTime = std::filesystem::last_write_time(file.myPath, error);
    if (error)
        return false;
    file.myWriteTime = Ticks(writeTime);

    myCallbacks[MakeKey(aPath)].push_back(std::move(aCallback));
    if (myThread.joinable())
    {
        std::lock_guard times(myTimesLock);
        myLastWriteTimes.insert_or_assign(aPath, std::move(file));
    }
    else
    {
        myLastWriteTimes.insert_or_assign(aPath, std::move(file));
        myThread = std::thread(&FileWatcher::ThreadMain, this);
    }
    return true;
}

void FileWatcher::CheckFile(const std::string& aPath, WatchedFile& aFile)
{
    std::error_code error;
    const auto writeTime = std::filesystem::last_write_time(aFile.myPath, error);
    if (error)
    {
        // Reloading from a file that is not there would only fail: wait until it is back (editors
        // that save by delete and create pass through this) and keep the time it had.
        if (!aFile.myProblemReported)
        {
            if (IsMissing(error))
                std::printf("FileWatcher: \"%s\" is missing; it reloads when it is back.\n", aPath.c_str());
            else
                std::printf("FileWatcher: cannot read the modification time of \"%s\": %s\n", aPath.c_str(),
                            error.message().c_str());
            std::fflush(stdout);
            aFile.myProblemReported = true;
        }
        return;
    }
    aFile.myProblemReported = false;
    const u64 ticks = Ticks(writeTime);
    if (ticks == aFile.myWriteTime)
        return;
    aFile.myWriteTime = ticks;
    if (std::find(myChangedPaths.begin(), myChangedPaths.end(), aPath) == myChangedPaths.end())
        myChangedPaths.push_back(aPath);
}

void FileWatcher::ThreadMain()
{
    while (!myStopRequested)
    {
        try
        {
            std::lock_guard list(myListLock);
            std::lock_guard times(myTimesLock);
            for (auto& [path, file] : myLastWriteTimes)
                CheckFile(path, file);
        }
        catch (const std::exception& exception)
        {
            // Nothing may escape this thread: that would end the program.
            std::printf("FileWatcher: %s\n", exception.what());
            std::fflush(stdout);
        }
        catch (...)
        {
            std::printf("FileWatcher: an unknown error while checking the watched files\n");
            std::fflush(stdout);
        }
        std::unique_lock wake(myWakeLock);
        myWake.wait_until(wake, std::chrono::steady_clock::now() + POLL_INTERVAL,
                          [this] { return myStopRequested.load(); });
    }
}

void FileWatcher::FlushChanges()
{
    if (!IsEnabled() || !myThread.joinable())
        return;
    std::lock_guard list(myListLock);
    // Cleared first, so a callback that threw last time leaves nothing behind.
    myPathsBeingFlushed.clear();
    myChangedPaths.swap(myPathsBeingFlushed);
    for (const std::string& path : myPathsBeingFlushed)
    {
        const auto found = myCallbacks.find(MakeKey(path));
        if (found == myCallbacks.end())
            continue;
        // A copy: a callback may register further callbacks for its own file.
        const std::vector<std::function<void()>> callbacks = found->second;
        for (const auto& callback : callbacks)
        {
            if (callback)
                callback();
        }
    }
    myPathsBeingFlushed.clear();
}
}
