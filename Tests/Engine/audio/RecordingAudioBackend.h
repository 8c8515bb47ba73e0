#pragma once
// An audio device that keeps what it is told: buffers with their frames, sources with their state,
// gain, loop flag and position, and a log of calls. Positions move only when a test says so.
#include "platform/audio/AudioBackend.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace QelTest
{
class RecordingAudioBackend : public Qel::Platform::AudioBackend
{
public:
    struct Buffer
    {
        std::vector<Qel::i16> frames;
        Qel::u32 channels = 0;
        Qel::u32 rate = 0;
    };
    struct Source
    {
        Qel::Platform::SourceState state = Qel::Platform::SourceState::Initial;
        Qel::u32 buffer = 0;
        float gain = 1.0f;
        bool looping = false;
        Qel::u32 offset = 0;
        std::vector<Qel::u32> queue;
        Qel::u32 processed = 0;
        int plays = 0;
    };

    bool openResult = true;
    Qel::u32 sourceLimit = 1000;
    std::vector<std::string> log;
    std::map<Qel::u32, Buffer> buffers;
    std::map<Qel::u32, Source> sources;

    bool Open() override
    {
        log.push_back("Open");
        myOpen = openResult;
        return myOpen;
    }
    bool IsOpen() const override { return myOpen; }
    void Close() override { myOpen = false; }

    Qel::u32 CreateBuffer() override
    {
        buffers[++myNextId] = Buffer();
        return myNextId;
    }
    void DeleteBuffer(Qel::u32 aBuffer) override
    {
        log.push_back("DeleteBuffer");
        buffers.erase(aBuffer);
    }
    bool SetBufferData(Qel::u32 aBuffer, const Qel::i16* aFrames, Qel::u32 aFrameCount, Qel::u32 aChannels,
                       Qel::u32 aRate) override
    {
        Buffer& buffer = buffers.at(aBuffer);
        buffer.frames.assign(aFrames, aFrames + size_t(aFrameCount) * aChannels);
        buffer.channels = aChannels;
        buffer.rate = aRate;
        return true;
    }

    Qel::u32 CreateSource() override
    {
        if (sources.size() >= sourceLimit)
            return 0;
        sources[++myNextId] = Source();
        return myNextId;
    }
    void DeleteSource(Qel::u32 aSource) override { sources.erase(aSource); }
    void SetSourceBuffer(Qel::u32 aSource, Qel::u32 aBuffer) override
    {
        Source& source = sources.at(aSource);
        source.buffer = aBuffer;
        source.queue.clear();
        source.processed = 0;
        source.offset = 0;
    }
    void SetSourceGain(Qel::u32 aSource, float aGain) override { sources.at(aSource).gain = aGain; }
    void SetSourceLooping(Qel::u32 aSource, bool aLooping) override { sources.at(aSource).looping = aLooping; }
    void PlaySource(Qel::u32 aSource) override
    {
        log.push_back("Play");
        Source& source = sources.at(aSource);
        if (source.state == Qel::Platform::SourceState::Stopped)
            source.offset = 0;
        source.state = Qel::Platform::SourceState::Playing;
        ++source.plays;
    }
    void StopSource(Qel::u32 aSource) override
    {
        Source& source = sources.at(aSource);
        source.state = Qel::Platform::SourceState::Initial;
        source.offset = 0;
        source.processed = static_cast<Qel::u32>(source.queue.size());
    }
    Qel::Platform::SourceState GetSourceState(Qel::u32 aSource) override { return sources.at(aSource).state; }
    Qel::u32 GetSourceFrameOffset(Qel::u32 aSource) override
    {
        auto it = sources.find(aSource);
        return it == sources.end() ? 0 : it->second.offset;
    }
    void SetSourceFrameOffset(Qel::u32 aSource, Qel::u32 aFrame) override { sources.at(aSource).offset = aFrame; }

    void QueueBuffer(Qel::u32 aSource, Qel::u32 aBuffer) override { sources.at(aSource).queue.push_back(aBuffer); }
    Qel::u32 UnqueueProcessedBuffer(Qel::u32 aSource) override
    {
        Source& source = sources.at(aSource);
        if (source.processed == 0)
            return 0;
        const Qel::u32 buffer = source.queue.front();
        source.queue.erase(source.queue.begin());
        --source.processed;
        return buffer;
    }
    Qel::u32 GetQueuedBufferCount(Qel::u32 aSource) override
    {
        return static_cast<Qel::u32>(sources.at(aSource).queue.size());
    }

    // The sound reaches the end of its current pass: a looping source starts over, any other stops.
    void EndPass(Qel::u32 aSource)
    {
        Source& source = sources.at(aSource);
        source.offset = 0;
        if (!source.looping)
            source.state = Qel::Platform::SourceState::Stopped;
    }
    // The device has played the first aCount queued buffers of a stream; it stops when it runs dry.
    void PlayQueued(Qel::u32 aSource, Qel::u32 aCount)
    {
        Source& source = sources.at(aSource);
        source.processed = std::min<Qel::u32>(static_cast<Qel::u32>(source.queue.size()), source.processed + aCount);
        if (source.processed == source.queue.size())
            source.state = Qel::Platform::SourceState::Stopped;
    }
    std::vector<Qel::u32> PlayingSources() const
    {
        std::vector<Qel::u32> result;
        for (const auto& [id, source] : sources)
            if (source.state == Qel::Platform::SourceState::Playing)
                result.push_back(id);
        return result;
    }
    int CountLog(const std::string& aEntry) const
    {
        int count = 0;
        for (const std::string& entry : log)
            count += entry == aEntry;
        return count;
    }

private:
    bool myOpen = false;
    Qel::u32 myNextId = 0;
};
}
