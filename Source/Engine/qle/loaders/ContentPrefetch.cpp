#include "loaders/ContentPrefetch.h"

#include "loaders/FileData.h"
#include "text/GlyphAtlas.h"

#include <algorithm>
#include <exception>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace Qel
{
class ContentPrefetch::Task
{
public:
    virtual ~Task() = default;
    // Memory the result holds (once run).
    virtual u64 GetHeldBytes() const { return 0; }
    // Guarded by the prefetch's mutex.
    bool myTaken = false;
    u64 myCounted = 0;
    // Exactly once, by whichever thread comes first; a later caller waits until it is done.
    void Run()
    {
        std::call_once(myOnce, [this] {
            try
            {
                Execute();
            }
            catch (const std::exception&)
            {
                // Out of memory: the result stays failed and the loader tries its own way.
            }
        });
    }

private:
    virtual void Execute() = 0;
    std::once_flag myOnce;
};

namespace
{
class ImageTask final : public ContentPrefetch::Task
{
public:
    ImageTask(std::string aFile, u32 aLoadFlags, u32 aMaxSize, u64 aMaxFileBytes)
        : myFile(std::move(aFile)), myLoadFlags(aLoadFlags), myMaxSize(aMaxSize), myMaxFileBytes(aMaxFileBytes),
          myResult(std::make_unique<PrefetchedImage>())
    {
    }
    std::unique_ptr<PrefetchedImage> TakeResult() { return std::move(myResult); }
    u64 GetHeldBytes() const override
    {
        return myResult ? myResult->myImage.pixels.size() + myResult->myBytes.size() : 0;
    }

private:
    void Execute() override
    {
        PrefetchedImage& result = *myResult;
        result.myRead = ReadWholeFile(myFile, myMaxFileBytes, result.myBytes);
        if (Failed(result.myRead) || result.myBytes.empty())
            return;
        // Only what the image decoder knows by its signature; DDS and the rest keep their bytes.
        if (DetectImageContainer(result.myBytes.data(), result.myBytes.size()) == ImageContainer::Unknown)
            return;
        if (Failed(DecodeImage(result.myBytes.data(), result.myBytes.size(), myMaxSize, myLoadFlags, result.myImage)) ||
            result.myImage.width == 0 || result.myImage.height == 0)
        {
            result.myImage = DecodedImage();
            return;
        }
        result.myDecoded = true;
        std::vector<u8>().swap(result.myBytes);
    }

    std::string myFile;
    u32 myLoadFlags;
    u32 myMaxSize;
    u64 myMaxFileBytes;
    std::unique_ptr<PrefetchedImage> myResult;
};

class SoundTask final : public ContentPrefetch::Task
{
public:
    explicit SoundTask(std::string aFile) : myFile(std::move(aFile)), myResult(std::make_unique<PrefetchedSound>()) {}
    std::unique_ptr<PrefetchedSound> TakeResult() { return std::move(myResult); }
    u64 GetHeldBytes() const override { return myResult ? myResult->mySound.frames.size() * sizeof(i16) : 0; }

private:
    void Execute() override { myResult->myLoaded = LoadWavFile(myFile, myResult->mySound, myResult->myError); }

    std::string myFile;
    std::unique_ptr<PrefetchedSound> myResult;
};

class FontTask final : public ContentPrefetch::Task
{
public:
    FontTask(std::string aFile, u32 aSize, u8 aOutlineWidth)
        : myFile(std::move(aFile)), mySize(aSize), myOutlineWidth(aOutlineWidth),
          myResult(std::make_unique<PrefetchedFont>())
    {
    }
    std::unique_ptr<PrefetchedFont> TakeResult() { return std::move(myResult); }
    u64 GetHeldBytes() const override { return myResult ? myResult->myData.myAtlasPixels.size() * sizeof(u32) : 0; }

private:
    void Execute() override
    {
        // A library of its own: FreeType libraries are not shared between threads.
        FT_Library library = nullptr;
        if (FT_Init_FreeType(&library))
        {
            myResult->myError = "the font library is not started";
            return;
        }
        myResult->myBuilt =
            BuildFontAtlas(library, myFile, mySize, myOutlineWidth, myResult->myData, myResult->myError);
        FT_Done_FreeType(library);
    }

    std::string myFile;
    u32 mySize;
    u8 myOutlineWidth;
    std::unique_ptr<PrefetchedFont> myResult;
};

std::string ImageKey(const std::string& aFile, u32 aLoadFlags, u32 aMaxSize, u64 aMaxFileBytes)
{
    return "image|" + std::to_string(aLoadFlags) + "|" + std::to_string(aMaxSize) + "|" +
           std::to_string(aMaxFileBytes) + "|" + aFile;
}
std::string SoundKey(const std::string& aFile) { return "sound|" + aFile; }
std::string FontKey(const std::string& aFile, u32 aSize, u8 aOutlineWidth)
{
    return "font|" + std::to_string(aSize) + "|" + std::to_string(aOutlineWidth) + "|" + aFile;
}
}

ContentPrefetch& ContentPrefetch::Get()
{
    static ContentPrefetch instance;
    return instance;
}

u32 ContentPrefetch::GetDefaultWorkerCount()
{
    // Half the cores: the main thread and the GL driver's own threads start up meanwhile.
    const u32 cores = std::thread::hardware_concurrency();
    return cores > 3 ? cores / 2 : 1;
}

ContentPrefetch::ContentPrefetch(u32 aMaxWorkers) : myMaxWorkers(std::max(aMaxWorkers, 1u))
{
#if defined(__GLIBC__)
    // One heap for every thread, set before the first worker (or the driver's threads) starts:
    // each would otherwise keep an arena of freed decode buffers, about 90 MB more at the peak
    // for no gain in speed.
    mallopt(M_ARENA_MAX, 1);
#endif
}

ContentPrefetch::~ContentPrefetch()
{
    {
        std::lock_guard lock(myMutex);
        myQueue.clear();
    }
    myRoom.notify_all();
    WaitIdle();
    for (std::thread& thread : myThreads)
        thread.join();
}

void ContentPrefetch::Queue(const std::string& aKey, std::shared_ptr<Task> aTask)
{
    std::lock_guard lock(myMutex);
    if (!myWaiting.emplace(aKey, aTask).second)
        return;
    myQueue.push_back(std::move(aTask));
    if (myRunning < myMaxWorkers && myRunning < myQueue.size())
    {
        // Threads that ran out of work have returned (or are about to): join them before adding one.
        if (myRunning == 0)
        {
            for (std::thread& thread : myThreads)
                thread.join();
            myThreads.clear();
        }
        ++myRunning;
        myThreads.emplace_back([this] { WorkerLoop(); });
    }
}

std::shared_ptr<ContentPrefetch::Task> ContentPrefetch::Take(const std::string& aKey)
{
    std::shared_ptr<Task> task;
    {
        std::lock_guard lock(myMutex);
        const auto found = myWaiting.find(aKey);
        if (found == myWaiting.end())
            return nullptr;
        task = std::move(found->second);
        myWaiting.erase(found);
        task->myTaken = true;
    }
    task->Run();
    {
        std::lock_guard lock(myMutex);
        myHeldBytes -= task->myCounted;
        task->myCounted = 0;
    }
    myRoom.notify_all();
    return task;
}

void ContentPrefetch::WorkerLoop()
{
    std::unique_lock lock(myMutex);
    for (;;)
    {
        myRoom.wait(lock, [this] { return myQueue.empty() || myHeldBytes < HELD_BYTES_LIMIT; });
        if (myQueue.empty())
            break;
        std::shared_ptr<Task> task = std::move(myQueue.front());
        myQueue.pop_front();
        lock.unlock();
        task->Run();
#if defined(__GLIBC__)
        // The smaller buffers of a decode stay in this thread's heap once freed; give them back
        // before the next file, so that the workers' heaps do not add up to the peak.
        malloc_trim(0);
#endif
        lock.lock();
        if (!task->myTaken && task->myCounted == 0)
        {
            task->myCounted = task->GetHeldBytes();
            myHeldBytes += task->myCounted;
        }
        task.reset();
    }
    --myRunning;
    myIdle.notify_all();
}

void ContentPrefetch::PrefetchImage(const std::string& aFile, u32 aLoadFlags, u32 aMaxSize, u64 aMaxFileBytes)
{
    Queue(ImageKey(aFile, aLoadFlags, aMaxSize, aMaxFileBytes),
          std::make_shared<ImageTask>(aFile, aLoadFlags, aMaxSize, aMaxFileBytes));
}

void ContentPrefetch::PrefetchSound(const std::string& aFile)
{
    Queue(SoundKey(aFile), std::make_shared<SoundTask>(aFile));
}

void ContentPrefetch::PrefetchFont(const std::string& aFile, u32 aSize, u8 aOutlineWidth)
{
    Queue(FontKey(aFile, aSize, aOutlineWidth), std::make_shared<FontTask>(aFile, aSize, aOutlineWidth));
}

std::unique_ptr<PrefetchedImage> ContentPrefetch::TakeImage(const std::string& aFile, u32 aLoadFlags, u32 aMaxSize,
                                                            u64 aMaxFileBytes)
{
    const std::shared_ptr<Task> task = Take(ImageKey(aFile, aLoadFlags, aMaxSize, aMaxFileBytes));
    return task ? static_cast<ImageTask&>(*task).TakeResult() : nullptr;
}

std::unique_ptr<PrefetchedSound> ContentPrefetch::TakeSound(const std::string& aFile)
{
    const std::shared_ptr<Task> task = Take(SoundKey(aFile));
    return task ? static_cast<SoundTask&>(*task).TakeResult() : nullptr;
}

std::unique_ptr<PrefetchedFont> ContentPrefetch::TakeFont(const std::string& aFile, u32 aSize, u8 aOutlineWidth)
{
    const std::shared_ptr<Task> task = Take(FontKey(aFile, aSize, aOutlineWidth));
    return task ? static_cast<FontTask&>(*task).TakeResult() : nullptr;
}

void ContentPrefetch::DropUnclaimed()
{
    {
        std::lock_guard lock(myMutex);
        for (auto& entry : myWaiting)
        {
            myHeldBytes -= entry.second->myCounted;
            entry.second->myCounted = 0;
            entry.second->myTaken = true;
        }
        myWaiting.clear();
        myQueue.clear();
    }
    myRoom.notify_all();
}

void ContentPrefetch::WaitIdle()
{
    std::unique_lock lock(myMutex);
    myIdle.wait(lock, [this] { return myRunning == 0; });
}

size_t ContentPrefetch::GetWaitingCount() const
{
    std::lock_guard lock(myMutex);
    return myWaiting.size();
}
}
