#pragma once
// A sound loaded from a WAV asset, looping or not. Cheap to copy: copies share the sample. A sound
// that failed to load (missing or broken file, no audio device) stays silent; every call on it is
// then harmless.
#include "core/Types.h"

namespace Qel
{
class Audio
{
public:
    // Resolves aPath as an asset path and loads it; the first call starts the sound output.
    void Init(const char* aPath, bool aLoop);
    // Starts reading a sound file of a later Init on a worker thread. Any thread.
    static void Prefetch(const char* aPath);
    // Plays a new copy at the stored volume (up to three copies at once).
    void Play();
    // Stores the volume for the next plays and applies it to the copy started last.
    void SetVolume(float aVolume);
    // Immediately: every copy stops now. Otherwise the looping copies end at the end of their pass.
    void Stop(bool aImmediately);
    // Frees the sample; the handle is silent afterwards.
    void Unload();

    bool IsLoaded() const;
    // True while any copy of the sound plays.
    bool IsPlaying() const;
    u32 GetSampleHandle() const { return mySample; }
    u32 GetChannelHandle() const { return myChannel; }
    float GetVolume() const { return myVolume; }

private:
    u32 mySample = 0xFFFFFFFFu;
    u32 myChannel = 0;
    float myVolume = 1.0f;
};
}
