#pragma once
// Reads and decodes content files on worker threads ahead of their first use, so that start-up
// does not decode one file after another on the main thread. The loaders (textures, sounds,
// fonts) ask here first: a prefetched file is handed over once, waiting for its decode when a
// worker is on it, decoding it on the caller's thread when no worker has started it yet. A file
// that was not prefetched goes the ordinary way. Results are exactly what the loaders make
// themselves; no GL here, uploads stay with the loaders on the render thread.
//
// Any thread may call any function. Workers start when there is work and end when the queue is
// empty, so nothing runs once start-up is over.
#include "audio/Wav.h"
#include "core/Types.h"
#include "loaders/ImageDecode.h"
#include "loaders/LoaderResult.h"
#include "text/FontData.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace Qel
{
struct PrefetchedImage
{
    // Reading the file (an HRESULT as ReadWholeFile gives it).
    HRESULT myRead = E_FAIL;
    // Decoded here: a PNG, JPEG, BMP or GIF that decoded. Otherwise the file's bytes stay for the
    // loader's own way (DDS, Targa, a broken image).
    bool myDecoded = false;
    DecodedImage myImage;
    std::vector<u8> myBytes;
};

struct PrefetchedSound
{
    bool myLoaded = false;
    WavSound mySound;
    std::string myError;
};

struct PrefetchedFont
{
    bool myBuilt = false;
    InternalTextAndFontData myData;
    std::string myError;
};

class ContentPrefetch
{
public:
    // The one the loaders ask.
    static ContentPrefetch& Get();
    // Half the cores.
    static u32 GetDefaultWorkerCount();

    explicit ContentPrefetch(u32 aMaxWorkers = GetDefaultWorkerCount());
    // Waits for the work in progress.
    ~ContentPrefetch();
    ContentPrefetch(const ContentPrefetch&) = delete;
    ContentPrefetch& operator=(const ContentPrefetch&) = delete;

    // Files are resolved paths. Work is done in the order it is asked for; asking twice for the
    // same result queues it once.
    void PrefetchImage(const std::string& aFile, u32 aLoadFlags, u32 aMaxSize, u64 aMaxFileBytes);
    void PrefetchSound(const std::string& aFile);
    void PrefetchFont(const std::string& aFile, u32 aSize, u8 aOutlineWidth);

    // Null when nothing of that kind was asked for (or it was already taken).
    std::unique_ptr<PrefetchedImage> TakeImage(const std::string& aFile, u32 aLoadFlags, u32 aMaxSize,
                                               u64 aMaxFileBytes);
    std::unique_ptr<PrefetchedSound> TakeSound(const std::string& aFile);
    std::unique_ptr<PrefetchedFont> TakeFont(const std::string& aFile, u32 aSize, u8 aOutlineWidth);

    // Frees every result nobody took; work not started is dropped.
    void DropUnclaimed();
    // Waits until no worker runs (tests).
    void WaitIdle();
    // Results waiting to be taken, done or not.
    size_t GetWaitingCount() const;

    class Task;

private:
    void Queue(const std::string& aKey, std::shared_ptr<Task> aTask);
    std::shared_ptr<Task> Take(const std::string& aKey);
    void WorkerLoop();

    mutable std::mutex myMutex;
    std::condition_variable myIdle;
    // Workers wait while the results nobody has taken yet hold this much, so that decoding far
    // ahead does not raise the peak memory.
    std::condition_variable myRoom;
    u64 myHeldBytes = 0;
    std::unordered_map<std::string, std::shared_ptr<Task>> myWaiting;
    std::deque<std::shared_ptr<Task>> myQueue;
    std::vector<std::thread> myThreads;
    u32 myMaxWorkers;
    u32 myRunning = 0;

public:
    static constexpr u64 HELD_BYTES_LIMIT = u64(24) << 20;
};
}
