#include "audio/AudioOut.h"

#include "audio/Wav.h"
#include "loaders/ContentPrefetch.h"

#include <cstdio>

namespace Qel
{
namespace
{
constexpr u32 FLAGS_LOOP = Platform::SAMPLE_LOOP;
// One-shots: a play beyond the limit takes over the playback that has gone furthest.
constexpr u32 FLAGS_ONCE = Platform::SAMPLE_OVER_POS | Platform::SAMPLE_8BITS;
// What a looping sample reports about itself.
constexpr u32 LOOPING_SAMPLE_FLAGS = Platform::SAMPLE_LOOP | Platform::SAMPLE_SOFTWARE;

std::unique_ptr<AudioOut>& Instance()
{
    static std::unique_ptr<AudioOut> instance;
    return instance;
}
}

AudioOut::AudioOut() : AudioOut(Platform::GetAudioBackend())
{
}

AudioOut::AudioOut(Platform::AudioBackend& aBackend) : mySoundSystem(aBackend)
{
    myInitialised = mySoundSystem.Init(-1, 44100, 1);
}

AudioOut::~AudioOut()
{
    for (const LoadedSample& record : mySamples)
        mySoundSystem.SampleFree(record.sample);
    mySamples.clear();
    if (myInitialised)
        mySoundSystem.Free();
}

AudioOut& AudioOut::GetInstance()
{
    std::unique_ptr<AudioOut>& instance = Instance();
    if (!instance)
        instance = std::make_unique<AudioOut>();
    return *instance;
}

bool AudioOut::HasInstance()
{
    return Instance() != nullptr;
}

void AudioOut::DestroyInstanceForTesting()
{
    Instance().reset();
}

u32 AudioOut::Load(const std::string& aPath, bool aLoop)
{
    // Without a device nothing could play it: do not spend time decoding.
    if (!myInitialised)
        return AUDIO_NO_SAMPLE;
    WavSound sound;
    std::string error;
    bool loaded = false;
    if (std::unique_ptr<PrefetchedSound> prefetched = ContentPrefetch::Get().TakeSound(aPath))
    {
        loaded = prefetched->myLoaded;
        sound = std::move(prefetched->mySound);
        error = std::move(prefetched->myError);
    }
    else
    {
        loaded = LoadWavFile(aPath, sound, error);
    }
    if (!loaded)
    {
        std::fprintf(stderr, "Sound file \"%s\" cannot be played: %s\n", aPath.c_str(), error.c_str());
        return AUDIO_NO_SAMPLE;
    }
    const Platform::PcmView view{sound.frames.data(), sound.GetFrameCount(), sound.channels, sound.rate};
    const u32 sample = mySoundSystem.SampleLoad(view, AUDIO_MAX_PLAYBACKS, aLoop ? FLAGS_LOOP : FLAGS_ONCE);
    if (sample == 0)
    {
        std::fprintf(stderr, "Sound file \"%s\" was refused by the audio device (error %d)\n", aPath.c_str(),
                     mySoundSystem.ErrorGetCode());
        return AUDIO_NO_SAMPLE;
    }
    mySamples.push_back({aPath, sample});
    return sample;
}

bool AudioOut::Play(u32 aSample, u32& aChannel, float aVolume)
{
    if (aSample == 0)
        return false;
    const u32 channel = mySoundSystem.SampleGetChannel(aSample, 0);
    if (channel == 0)
    {
        (void)mySoundSystem.ErrorGetCode();
        return false;
    }
    mySoundSystem.ChannelSetAttribute(channel, Platform::ATTRIB_VOL, aVolume);
    aChannel = channel;
    if (!mySoundSystem.ChannelPlay(channel, false))
    {
        (void)mySoundSystem.ErrorGetCode();
        return false;
    }
    return true;
}

void AudioOut::SetVolume(u32& aChannel, float aVolume)
{
    mySoundSystem.ChannelSetAttribute(aChannel, Platform::ATTRIB_VOL, aVolume);
}

bool AudioOut::Stop(u32 aSample, bool aImmediately)
{
    if (aSample == 0)
        return false;
    if (!aImmediately)
        return StopLooping(aSample);
    mySoundSystem.ChannelSetPosition(mySoundSystem.SampleGetChannel(aSample, 0), 0, Platform::POS_BYTE);
    return mySoundSystem.SampleStop(aSample);
}

bool AudioOut::StopLooping(u32 aSample)
{
    Platform::SampleInfo info;
    if (!mySoundSystem.SampleGetInfo(aSample, info) || info.flags != LOOPING_SAMPLE_FLAGS)
        return false;
    u32 channels[Platform::SAMPLE_MAX_CHANNELS];
    const u32 count = mySoundSystem.SampleGetChannels(aSample, channels);
    if (count == 0xFFFFFFFFu)
        return false;
    // Every looping playback ends after its pass: a sound started twice must not keep one copy
    // looping forever.
    bool stopped = false;
    for (u32 i = 0; i < count; ++i)
    {
        const u32 flags = mySoundSystem.ChannelFlags(channels[i], 0, 0);
        if (flags != 0xFFFFFFFFu && (flags & Platform::SAMPLE_LOOP))
        {
            mySoundSystem.ChannelFlags(channels[i], 0, Platform::SAMPLE_LOOP);
            stopped = true;
        }
    }
    return stopped;
}

bool AudioOut::Unload(u32 aSample)
{
    for (auto it = mySamples.begin(); it != mySamples.end(); ++it)
    {
        if (it->sample == aSample)
        {
            mySamples.erase(it);
            mySoundSystem.SampleFree(aSample);
            return true;
        }
    }
    return false;
}
}
