#include "filewatcher/FileWatcher.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace Qel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace
{
// Flushes as the frame loop would until aDone holds or two seconds pass.
bool FlushUntil(FileWatcher& aWatcher, const std::function<bool()>& aDone)
{
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (std::chrono::steady_clock::now() < deadline)
    {
        aWatcher.FlushChanges();
        if (aDone())
            return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

// Several poll intervals of frames, for checking that nothing (more) happens.
void FlushForAWhile(FileWatcher& aWatcher)
{
    for (int i = 0; i < 20; ++i)
    {
        aWatcher.FlushChanges();
        std::this_thread::sleep_for(8ms);
    }
}

// Moves the modification time by a whole second: no dependence on the file system's resolution.
void Touch(const fs::path& aPath, int aSeconds = 1)
{
    fs::last_write_time(aPath, fs::last_write_time(aPath) + std::chrono::seconds(aSeconds));
}

size_t ThreadCount()
{
    return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator()));
}

struct Enabled
{
    std::atomic<bool> myOn{true};
    FileWatcher::EnabledQuery Query()
    {
        return [this] { return myOn.load(); };
    }
};
}

TEST(FileWatcher, ChangedFileRunsItsCallbackOnTheFlushingThread)
{
    QelTest::TempFolder folder;
    const fs::path file = folder.Write("texture.dds", "a");
    Enabled enabled;
    FileWatcher watcher(enabled.Query());
    int runs = 0;
    std::thread::id ranOn;
    ASSERT_TRUE(watcher.WatchFileChange(file.string(), [&] {
        ++runs;
        ranOn = std::this_thread::get_id();
    }));

    std::this_thread::sleep_for(100ms);   // the watcher polls, but only a flush runs callbacks
    EXPECT_EQ(runs, 0);
    watcher.FlushChanges();
    EXPECT_EQ(runs, 0);   // nothing changed yet

    Touch(file);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return runs == 1; }));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    FlushForAWhile(watcher);
    EXPECT_EQ(runs, 1);
}

TEST(FileWatcher, SeveralChangesBeforeAFlushRunTheCallbacksOnce)
{
    QelTest::TempFolder folder;
    const fs::path file = folder.Write("model.fbx", "a");
    Enabled enabled;
    FileWatcher watcher(enabled.Query());
    std::vector<int> order;
    ASSERT_TRUE(watcher.WatchFileChange(file.string(), [&] { order.push_back(1); }));
    ASSERT_TRUE(watcher.WatchFileChange(file.string(), [&] { order.push_back(2); }));

    // Changes seen by separate polls, all before the next frame's flush.
    Touch(file, 1);
    std::this_thread::sleep_for(80ms);
    Touch(file, 2);
    std::this_thread::sleep_for(80ms);
    watcher.FlushChanges();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    FlushForAWhile(watcher);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(FileWatcher, FileChangedDuringItsCallbackIsHandledAtALaterFlush)
{
    QelTest::TempFolder folder;
    const fs::path file = folder.Write("a.png", "a");
    Enabled enabled;
    FileWatcher watcher(enabled.Query());
    int runs = 0;
    ASSERT_TRUE(watcher.WatchFileChange(file.string(), [&] {
        if (++runs == 1)
        {
            Touch(file);
            std::this_thread::sleep_for(80ms);   // the watcher waits for the flush to end
        }
    }));
    Touch(file);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return runs >= 1; }));
    EXPECT_EQ(runs, 1);   // not run again within the same flush
    ASSERT_TRUE(FlushUntil(watcher, [&] { return runs == 2; }));
    FlushForAWhile(watcher);
    EXPECT_EQ(runs, 2);
}

TEST(FileWatcher, BothSeparatorsShareOneCallbackList)
{
    // "a\b.txt" is a plain file name here, yet it keys like "a/b.txt": a change of either runs
    // the callbacks of both.
    QelTest::TempFolder folder;
    const fs::path slashed = folder.Write("a/b.txt", "1");
    const fs::path backslashed = folder.Write("a\\b.txt", "2");
    ASSERT_NE(slashed, backslashed);
    Enabled enabled;
    FileWatcher watcher(enabled.Query());
    int slashRuns = 0, backslashRuns = 0;
    ASSERT_TRUE(watcher.WatchFileChange(slashed.string(), [&] { ++slashRuns; }));
    ASSERT_TRUE(watcher.WatchFileChange(backslashed.string(), [&] { ++backslashRuns; }));

    Touch(backslashed);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return slashRuns == 1 && backslashRuns == 1; }));
    FlushForAWhile(watcher);
    EXPECT_EQ(slashRuns, 1);
    EXPECT_EQ(backslashRuns, 1);
}

TEST(FileWatcher, DeletedFileIsSkippedWithAMessageUntilItComesBack)
{
    QelTest::TempFolder folder;
    const fs::path file = folder.Write("gone.dds", "a");
    Enabled enabled;
    FileWatcher watcher(enabled.Query());
    int runs = 0;
    ASSERT_TRUE(watcher.WatchFileChange(file.string(), [&] { ++runs; }));
    const auto before = fs::last_write_time(file);

    testing::internal::CaptureStdout();
    fs::remove(file);
    FlushForAWhile(watcher);   // several polls of a missing file
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(runs, 0);
    const std::string message = "FileWatcher: \"" + file.string() + "\" is missing";
    ASSERT_NE(output.find(message), std::string::npos) << output;
    EXPECT_EQ(output.find(message), output.rfind(message)) << "said once, not every poll: " << output;

    // Back with a new time: one reload.
    folder.Write("gone.dds", "b");
    fs::last_write_time(file, before + 5s);
    ASSERT_TRUE(FlushUntil(watcher, [&] { return runs == 1; }));
    FlushForAWhile(watcher);
    EXPECT_EQ(runs, 1);
}

TEST(FileWatcher, RegistrationFailsForMissingFilesAndWhenOff)
{
    QelTest::TempFolder folder;
    const fs::path file = folder.Write("x.tga", "a");
    const size_t threadsBefore = ThreadCount();
    int runs = 0;
    {
        Enabled enabled;
        enabled.myOn = false;
        FileWatcher watcher(enabled.Query());
        EXPECT_FALSE(watcher.WatchFileChange(file.string(), [&] { ++runs; }));
        EXPECT_EQ(ThreadCount(), threadsBefore);   // no thread for a watcher that watches nothing

        enabled.myOn = true;
        EXPECT_FALSE(watcher.WatchFileChange((folder.Path() / "missing.tga").string(), [&] { ++runs; }));
        EXPECT_EQ(ThreadCount(), threadsBefore);
        Touch(file);
        FlushForAWhile(watcher);
    }
    {
        // Without an engine the default watcher is off.
        FileWatcher watcher;
        EXPECT_FALSE(watcher.WatchFileChange(file.string(), [&] { ++runs; }));
    }
    EXPECT_EQ(runs, 0);
}

TEST(FileWatcher, FlushDoesNothingWhileTheFeatureIsOff)
{
    QelTest::TempFolder folder;
    const fs::path file = folder.Write("y.dds", "a");
    Enabled enabled;
    FileWatcher watcher(enabled.Query());
    int runs = 0;
    ASSERT_TRUE(watcher.WatchFileChange(file.string(), [&] { ++runs; }));
    enabled.myOn = false;
    Touch(file);
    FlushForAWhile(watcher);
    EXPECT_EQ(runs, 0);
    enabled.myOn = true;   // the change waited in the queue
    ASSERT_TRUE(FlushUntil(watcher, [&] { return runs == 1; }));
}

TEST(FileWatcher, DestructionStopsTheThreadPromptly)
{
    QelTest::TempFolder folder;
    const fs::path file = folder.Write("z.dds", "a");
    const size_t threadsBefore = ThreadCount();
    auto watcher = std::make_unique<FileWatcher>([] { return true; });
    ASSERT_TRUE(watcher->WatchFileChange(file.string(), [] {}));
    EXPECT_EQ(ThreadCount(), threadsBefore + 1);
    // A second file does not start a second thread.
    const fs::path other = folder.Write("w.dds", "a");
    ASSERT_TRUE(watcher->WatchFileChange(other.string(), [] {}));
    EXPECT_EQ(ThreadCount(), threadsBefore + 1);

    const auto start = std::chrono::steady_clock::now();
    watcher.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_EQ(ThreadCount(), threadsBefore);
}
