#pragma once
// A PCM output that plays blocks in the order they are written, shaped after the wave-out device
// API the video player was designed around. It is one streaming source on the process's audio
// device. Written bytes are copied into device buffers, so the caller's block is free again as
// soon as Write returns; a buffer on the device is never refilled before it has been played.
// Main thread only.
#include "core/Types.h"
#include "platform/audio/AudioBackend.h"

#include <vector>

namespace Qel::Platform
{
inline constexpr u16 WAVE_FORMAT_PCM = 1;

struct WAVEFORMATEX
{
    u16 wFormatTag = 0;
    u16 nChannels = 0;
    u32 nSamplesPerSec = 0;
    u32 nAvgBytesPerSec = 0;
    u16 nBlockAlign = 0;
    u16 wBitsPerSample = 0;
    u16 cbSize = 0;
};

class WaveOut
{
public:
    // Device buffers waiting to play at most; more sound than that is dropped rather than
    // stalling the caller (about 1.5 s of 44.1 kHz stereo in 4096-byte blocks).
    static constexpr u32 MAX_QUEUED_BUFFERS = 64;

    explicit WaveOut(AudioBackend& aBackend);
    WaveOut();   // on GetAudioBackend()
    ~WaveOut();
    WaveOut(const WaveOut&) = delete;
    WaveOut& operator=(const WaveOut&) = delete;

    // 16-bit PCM, 1 or 2 channels. False when the format is not that or there is no audio
    // device; writes are then dropped.
    bool Open(const WAVEFORMATEX& aFormat);
    bool IsOpen() const { return mySource != 0; }
    // Queues aSize bytes (whole frames; a partial frame at the end is dropped) and keeps the stream
    // playing. False when the bytes were dropped: not open, the device refused them, or the
    // queue is full.
    bool Write(const u8* aData, u32 aSize);
    // Stops at once and drops everything queued; the output stays open.
    void Reset();
    void Close();

    // Device buffers still waiting or playing.
    u32 GetQueuedBufferCount();
    bool IsPlaying();
    u64 GetBytesWritten() const { return myBytesWritten; }
    u64 GetBytesDropped() const { return myBytesDropped; }

private:
    void Recycle();

    AudioBackend& myBackend;
    WAVEFORMATEX myFormat;
    u32 mySource = 0;
    std::vector<u32> myBuffers;
    std::vector<u32> myFreeBuffers;
    u64 myBytesWritten = 0;
    u64 myBytesDropped = 0;
};
}
