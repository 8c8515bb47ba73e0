#pragma once
// The few voice-level operations the sound system and the streaming queue need from an audio
// device: buffers of 16-bit PCM, sources that play one buffer (optionally looping) or a queue of
// buffers. The process uses OpenAL Soft; tests can put a recording implementation in its place.
// Ids are never 0; 0 means "none" or "failed". Main thread only.
#include "core/Types.h"

namespace Qel::Platform
{
enum class SourceState : u8
{
    Initial,
    Playing,
    Paused,
    Stopped,
};

class AudioBackend
{
public:
    virtual ~AudioBackend() = default;

    // Opens the device and its context on the first call; later calls return that result. False
    // means there is no device: everything else then fails quietly and the program stays silent.
    virtual bool Open() = 0;
    virtual bool IsOpen() const = 0;
    // Deletes what is left and closes the device. Open may be called again afterwards.
    virtual void Close() = 0;

    virtual u32 CreateBuffer() = 0;
    virtual void DeleteBuffer(u32 aBuffer) = 0;
    // Interleaved signed 16-bit frames of 1 or 2 channels. False when the device refuses them.
    virtual bool SetBufferData(u32 aBuffer, const i16* aFrames, u32 aFrameCount, u32 aChannels, u32 aRate) = 0;

    virtual u32 CreateSource() = 0;
    virtual void DeleteSource(u32 aSource) = 0;
    // Attaches one buffer for static playback (0 detaches it and empties a stream's queue).
    virtual void SetSourceBuffer(u32 aSource, u32 aBuffer) = 0;
    virtual void SetSourceGain(u32 aSource, float aGain) = 0;
    virtual void SetSourceLooping(u32 aSource, bool aLooping) = 0;
    // Plays from the current position (from the start when stopped or never played).
    virtual void PlaySource(u32 aSource) = 0;
    // Stops and moves back to the start.
    virtual void StopSource(u32 aSource) = 0;
    virtual SourceState GetSourceState(u32 aSource) = 0;
    // Play position in frames within the attached buffer.
    virtual u32 GetSourceFrameOffset(u32 aSource) = 0;
    virtual void SetSourceFrameOffset(u32 aSource, u32 aFrame) = 0;

    // Streaming: buffers appended to a source's queue play one after the other.
    virtual void QueueBuffer(u32 aSource, u32 aBuffer) = 0;
    // Takes the oldest buffer that has finished playing off the queue; 0 when none has.
    virtual u32 UnqueueProcessedBuffer(u32 aSource) = 0;
    virtual u32 GetQueuedBufferCount(u32 aSource) = 0;
};

// The process's backend: OpenAL Soft on the default device, unless a test replaced it.
AudioBackend& GetAudioBackend();
// Tests: every later GetAudioBackend returns aBackend (null: back to OpenAL). Whoever keeps
// sources or buffers of the previous backend must be gone first.
void SetAudioBackendForTesting(AudioBackend* aBackend);

// Tests: makes the OpenAL backend open a loopback device (stereo, 16-bit, 44100 Hz) that mixes
// only when RenderLoopbackAudio asks, instead of the sound card. False when the device is already
// open or the extension is missing.
bool UseLoopbackAudioDevice();
// Mixes aFrameCount stereo frames of the loopback device into aFrames (2 values a frame). False
// when the loopback device is not the open one.
bool RenderLoopbackAudio(i16* aFrames, u32 aFrameCount);
}
