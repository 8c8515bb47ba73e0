#pragma once
// The process's sound output and the list of loaded samples. Sounds are WAV files loaded whole
// into samples of the sound system; each play takes a new channel, up to three at once per sample.
// With no audio device every load gives AUDIO_NO_SAMPLE and the game stays silent.
#include "core/Types.h"
#include "platform/audio/SoundSystem.h"

#include <memory>
#include <string>
#include <vector>

namespace Qel
{
// Sample handle of a sound that did not load.
inline constexpr u32 AUDIO_NO_SAMPLE = 0xFFFFFFFFu;
// Simultaneous playbacks of one sample.
inline constexpr u32 AUDIO_MAX_PLAYBACKS = 3;

class AudioOut
{
public:
    struct LoadedSample
    {
        std::string path;
        u32 sample = 0;
    };

    AudioOut();   // on the process's audio backend
    explicit AudioOut(Platform::AudioBackend& aBackend);
    virtual ~AudioOut();
    AudioOut(const AudioOut&) = delete;
    AudioOut& operator=(const AudioOut&) = delete;

    // The one output, created on first use and kept until the process ends.
    static AudioOut& GetInstance();
    static bool HasInstance();
    // Tests: destroys the output (freeing its samples) so the next GetInstance makes a new one.
    static void DestroyInstanceForTesting();

    // Loads a WAV file (an already resolved path). AUDIO_NO_SAMPLE on failure; a broken file is
    // reported on stderr with its path.
    u32 Load(const std::string& aPath, bool aLoop);
    bool Play(u32 aSample, u32& aChannel, float aVolume);
    void SetVolume(u32& aChannel, float aVolume);
    // Immediately: every playback of the sample stops now. Otherwise only looping stops: each
    // playback ends at the end of its current pass.
    bool Stop(u32 aSample, bool aImmediately);
    bool StopLooping(u32 aSample);
    // Forgets the first record of the sample and frees the sample.
    bool Unload(u32 aSample);

    bool IsInitialised() const { return myInitialised; }
    const std::vector<LoadedSample>& GetLoadedSamples() const { return mySamples; }
    Platform::SoundSystem& GetSoundSystem() { return mySoundSystem; }

private:
    Platform::SoundSystem mySoundSystem;
    bool myInitialised = false;
    std::vector<LoadedSample> mySamples;
};
}
