#pragma once
// Samples and their playback channels, shaped after the sample API of the sound library the
// engine was designed around: a sample is loaded once and allows up to `max` playbacks at the same
// time; each play takes a channel of the sample; a channel has a volume and flags (loop); stopping
// a sample stops all its channels. Built on an AudioBackend (OpenAL in the game).
//
// Handles: sample handles have the top bit clear, channel handles have it set; 0 is never a valid
// handle and stale handles (of a freed sample or a recycled channel) are refused with
// SOUND_ERROR_HANDLE. Main thread only.
#include "core/Types.h"
#include "platform/audio/AudioBackend.h"

#include <vector>

namespace Qel::Platform
{
// Sample and channel flags.
inline constexpr u32 SAMPLE_8BITS = 1;          // accepted; samples are always kept as 16-bit
inline constexpr u32 SAMPLE_LOOP = 4;
inline constexpr u32 SAMPLE_SOFTWARE = 0x10;     // reported by SampleGetInfo: every sample is mixed in software
inline constexpr u32 SAMPLE_OVER_VOL = 0x10000;  // a play beyond the limit takes the quietest channel
inline constexpr u32 SAMPLE_OVER_POS = 0x20000;  // ... the channel that has played furthest
// Channel attributes and position modes.
inline constexpr u32 ATTRIB_VOL = 2;
inline constexpr u32 POS_BYTE = 0;

// Error codes of ErrorGetCode.
inline constexpr int SOUND_OK = 0;
inline constexpr int SOUND_ERROR_MEM = 1;
inline constexpr int SOUND_ERROR_FORMAT = 6;
inline constexpr int SOUND_ERROR_POSITION = 7;
inline constexpr int SOUND_ERROR_HANDLE = 5;
inline constexpr int SOUND_ERROR_ALREADY = 14;
inline constexpr int SOUND_ERROR_INIT = 8;
inline constexpr int SOUND_ERROR_NOCHAN = 18;
inline constexpr int SOUND_ERROR_ILLTYPE = 19;
inline constexpr int SOUND_ERROR_ILLPARAM = 20;
inline constexpr int SOUND_ERROR_DEVICE = 23;

// Upper limit of simultaneous playbacks of one sample.
inline constexpr u32 SAMPLE_MAX_CHANNELS = 64;

struct SampleInfo
{
    u32 freq = 0;
    float volume = 1.0f;
    u32 flags = 0;
    u32 length = 0;   // bytes of 16-bit data
    u32 max = 0;
    u32 chans = 0;
};

// Decoded sound handed to SampleLoad: interleaved signed 16-bit frames.
struct PcmView
{
    const i16* frames = nullptr;
    u32 frameCount = 0;
    u32 channels = 0;   // 1 or 2
    u32 rate = 0;
};

class SoundSystem
{
public:
    explicit SoundSystem(AudioBackend& aBackend);
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // Opens the device (aDevice -1 = default); the rate and flags are advisory. False when there is
    // no device; every later load then fails with SOUND_ERROR_INIT.
    bool Init(int aDevice, u32 aFrequency, u32 aFlags);
    // Frees every sample and source. The device stays open for its other user (the video's
    // stream) and closes at exit.
    bool Free();
    bool IsInitialised() const { return myInitialised; }

    // 0 on failure. aMax is clamped to 1..SAMPLE_MAX_CHANNELS.
    u32 SampleLoad(const PcmView& aSound, u32 aMax, u32 aFlags);
    bool SampleFree(u32 aSample);
    bool SampleGetInfo(u32 aSample, SampleInfo& aInfo);
    // Handles of the sample's channels that are playing or paused, written to aChannels when it is
    // not null (room for SampleInfo::max). Returns their count, or 0xFFFFFFFF for a bad handle.
    u32 SampleGetChannels(u32 aSample, u32* aChannels);
    // A channel of the sample ready to play: a free one, else (with an override flag) the one the
    // flag picks, else 0 with SOUND_ERROR_NOCHAN. Volume 1, position 0, the sample's loop flag.
    u32 SampleGetChannel(u32 aSample, u32 aFlags);
    // Stops every channel of the sample.
    bool SampleStop(u32 aSample);

    bool ChannelPlay(u32 aChannel, bool aRestart);
    bool ChannelStop(u32 aChannel);
    bool ChannelSetAttribute(u32 aChannel, u32 aAttribute, float aValue);
    bool ChannelGetAttribute(u32 aChannel, u32 aAttribute, float& aValue);
    // Position in bytes of 16-bit data (POS_BYTE only).
    bool ChannelSetPosition(u32 aChannel, u64 aPosition, u32 aMode);
    // Sets the flags in aMask to aFlags (only SAMPLE_LOOP can change) and returns the channel's
    // flags; 0xFFFFFFFF for a bad handle.
    u32 ChannelFlags(u32 aChannel, u32 aFlags, u32 aMask);
    // True while the channel plays.
    bool ChannelIsActive(u32 aChannel);

    // The error of the last call (SOUND_OK after a success).
    int ErrorGetCode() const { return myError; }

private:
    struct Slot
    {
        u32 source = 0;
        u32 generation = 0;
        u32 flags = 0;
        float volume = 1.0f;
        u32 startFrame = 0;
    };
    struct Sample
    {
        u32 generation = 0;
        bool used = false;
        u32 buffer = 0;
        u32 flags = 0;
        u32 max = 0;
        u32 rate = 0;
        u32 channels = 0;
        u32 frameCount = 0;
        std::vector<Slot> slots;
    };

    Sample* FindSample(u32 aHandle);
    Slot* FindChannel(u32 aHandle, Sample** aSample = nullptr);
    bool IsBusy(const Slot& aSlot);
    void ReleaseSource(Slot& aSlot);
    u32 AcquireSource();
    bool Fail(int aError);
    bool Succeed();
    static u32 MakeSampleHandle(u32 aIndex, u32 aGeneration);
    static u32 MakeChannelHandle(u32 aSampleIndex, u32 aSlot, u32 aGeneration);

    AudioBackend& myBackend;
    std::vector<Sample> mySamples;
    std::vector<u32> myFreeSources;
    std::vector<i16> myScratch;
    u32 myCreatedSources = 0;
    int myError = SOUND_OK;
    bool myInitialised = false;
};
}
