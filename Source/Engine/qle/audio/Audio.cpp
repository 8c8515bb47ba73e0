#include "audio/Audio.h"

#include "audio/AudioOut.h"
#include "loaders/ContentPrefetch.h"
#include "settings/Settings.h"

#include <cstdio>
#include <string>

namespace Qel
{
void Audio::Init(const char* aPath, bool aLoop)
{
    AudioOut& output = AudioOut::GetInstance();
    myChannel = 0;
    const std::string path = aPath ? aPath : "";
    const std::string resolved = ResolveAssetPath(path);
    if (resolved.empty())
    {
        std::fprintf(stderr, "Sound file \"%s\" was not found in the asset folders\n", path.c_str());
        mySample = AUDIO_NO_SAMPLE;
        return;
    }
    mySample = output.Load(resolved, aLoop);
}

void Audio::Prefetch(const char* aPath)
{
    const std::string resolved = ResolveAssetPath(aPath ? aPath : "");
    if (!resolved.empty())
        ContentPrefetch::Get().PrefetchSound(resolved);
}

void Audio::Play()
{
    if (mySample == AUDIO_NO_SAMPLE)
        return;
    AudioOut::GetInstance().Play(mySample, myChannel, myVolume);
}

void Audio::SetVolume(float aVolume)
{
    myVolume = aVolume;
    if (mySample != AUDIO_NO_SAMPLE)
        AudioOut::GetInstance().SetVolume(myChannel, aVolume);
}

void Audio::Stop(bool aImmediately)
{
    if (mySample == AUDIO_NO_SAMPLE)
        return;
    AudioOut::GetInstance().Stop(mySample, aImmediately);
}

void Audio::Unload()
{
    if (mySample == AUDIO_NO_SAMPLE)
        return;
    AudioOut::GetInstance().Unload(mySample);
    mySample = AUDIO_NO_SAMPLE;
    myChannel = 0;
}

bool Audio::IsLoaded() const
{
    return mySample != AUDIO_NO_SAMPLE;
}

bool Audio::IsPlaying() const
{
    if (mySample == AUDIO_NO_SAMPLE || !AudioOut::HasInstance())
        return false;
    const u32 count = AudioOut::GetInstance().GetSoundSystem().SampleGetChannels(mySample, nullptr);
    return count != 0xFFFFFFFFu && count > 0;
}
}
