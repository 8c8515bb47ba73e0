// The one OpenAL device and context of the process, opened by whichever sound user comes first
// (the sample system or the video's stream) and closed at exit.
#include "platform/audio/AudioBackend.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <cstdio>
#include <cstdlib>

namespace Qel::Platform
{
namespace
{
constexpr ALCint OUTPUT_RATE = 44100;

class OpenALBackend final : public AudioBackend
{
public:
    bool Open() override
    {
        if (myTried)
            return myContext != nullptr;
        myTried = true;
        if (myWantLoopback)
            OpenLoopback();
        else
            OpenDefault();
        if (!myContext)
            return false;
        myDirectChannels = alIsExtensionPresent("AL_SOFT_direct_channels") == AL_TRUE;
        if (!myAtExitRegistered)
        {
            // The backend itself is never destroyed, so nothing can call it after the device is gone.
            myAtExitRegistered = std::atexit([] { GetOpenALBackend().Close(); }) == 0;
        }
        return true;
    }

    bool IsOpen() const override { return myContext != nullptr; }

    void Close() override
    {
        if (myContext)
        {
            alcMakeContextCurrent(nullptr);
            alcDestroyContext(myContext);
        }
        if (myDevice)
            alcCloseDevice(myDevice);
        myContext = nullptr;
        myDevice = nullptr;
        myLoopback = false;
        myWantLoopback = false;
        myTried = false;
    }

    u32 CreateBuffer() override
    {
        if (!myContext)
            return 0;
        alGetError();
        ALuint buffer = 0;
        alGenBuffers(1, &buffer);
        return alGetError() == AL_NO_ERROR ? buffer : 0;
    }

    void DeleteBuffer(u32 aBuffer) override
    {
        if (!myContext || aBuffer == 0)
            return;
        const ALuint buffer = aBuffer;
        alDeleteBuffers(1, &buffer);
        alGetError();
    }

    bool SetBufferData(u32 aBuffer, const i16* aFrames, u32 aFrameCount, u32 aChannels, u32 aRate) override
    {
        if (!myContext || aBuffer == 0 || !aFrames || aFrameCount == 0 || aRate == 0 || (aChannels != 1 && aChannels != 2))
            return false;
        const u64 bytes = u64(aFrameCount) * aChannels * sizeof(i16);
        if (bytes > 0x7FFFFFFFu)
            return false;
        alGetError();
        alBufferData(aBuffer, aChannels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, aFrames,
                     static_cast<ALsizei>(bytes), static_cast<ALsizei>(aRate));
        return alGetError() == AL_NO_ERROR;
    }

    u32 CreateSource() override
    {
        if (!myContext)
            return 0;
        alGetError();
        ALuint source = 0;
        alGenSources(1, &source);
        if (alGetError() != AL_NO_ERROR)
            return 0;
        // Sounds are not placed in the world: no panning, no distance attenuation, stereo as it is.
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
        if (myDirectChannels)
            alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
        alGetError();
        return source;
    }

    void DeleteSource(u32 aSource) override
    {
        if (!myContext || aSource == 0)
            return;
        const ALuint source = aSource;
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
        alDeleteSources(1, &source);
        alGetError();
    }

    void SetSourceBuffer(u32 aSource, u32 aBuffer) override
    {
        if (!myContext)
            return;
        alSourcei(aSource, AL_BUFFER, static_cast<ALint>(aBuffer));
        alGetError();
    }

    void SetSourceGain(u32 aSource, float aGain) override
    {
        if (!myContext)
            return;
        alSourcef(aSource, AL_GAIN, aGain);
        alGetError();
    }

    void SetSourceLooping(u32 aSource, bool aLooping) override
    {
        if (!myContext)
            return;
        alSourcei(aSource, AL_LOOPING, aLooping ? AL_TRUE : AL_FALSE);
        alGetError();
    }

    void PlaySource(u32 aSource) override
    {
        if (!myContext)
            return;
        alSourcePlay(aSource);
        alGetError();
    }

    void StopSource(u32 aSource) override
    {
        if (!myContext)
            return;
        alSourceStop(aSource);
        alSourceRewind(aSource);
        alGetError();
    }

    SourceState GetSourceState(u32 aSource) override
    {
        if (!myContext)
            return SourceState::Stopped;
        ALint state = AL_STOPPED;
        alGetSourcei(aSource, AL_SOURCE_STATE, &state);
        alGetError();
        switch (state)
        {
        case AL_INITIAL: return SourceState::Initial;
        case AL_PLAYING: return SourceState::Playing;
        case AL_PAUSED: return SourceState::Paused;
        default: return SourceState::Stopped;
        }
    }

    u32 GetSourceFrameOffset(u32 aSource) override
    {
        if (!myContext)
            return 0;
        ALint offset = 0;
        alGetSourcei(aSource, AL_SAMPLE_OFFSET, &offset);
        alGetError();
        return offset > 0 ? static_cast<u32>(offset) : 0;
    }

    void SetSourceFrameOffset(u32 aSource, u32 aFrame) override
    {
        if (!myContext)
            return;
        alSourcei(aSource, AL_SAMPLE_OFFSET, static_cast<ALint>(aFrame & 0x7FFFFFFFu));
        alGetError();
    }

    void QueueBuffer(u32 aSource, u32 aBuffer) override
    {
        if (!myContext)
            return;
        const ALuint buffer = aBuffer;
        alSourceQueueBuffers(aSource, 1, &buffer);
        alGetError();
    }

    u32 UnqueueProcessedBuffer(u32 aSource) override
    {
        if (!myContext)
            return 0;
        ALint processed = 0;
        alGetSourcei(aSource, AL_BUFFERS_PROCESSED, &processed);
        if (processed <= 0)
        {
            alGetError();
            return 0;
        }
        ALuint buffer = 0;
        alSourceUnqueueBuffers(aSource, 1, &buffer);
        return alGetError() == AL_NO_ERROR ? buffer : 0;
    }

    u32 GetQueuedBufferCount(u32 aSource) override
    {
        if (!myContext)
            return 0;
        ALint queued = 0;
        alGetSourcei(aSource, AL_BUFFERS_QUEUED, &queued);
        alGetError();
        return queued > 0 ? static_cast<u32>(queued) : 0;
    }

    bool RequestLoopback()
    {
        if (myContext)
            return myLoopback;
        if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback"))
            return false;
        myWantLoopback = true;
        myTried = false;
        return true;
    }

    bool Render(i16* aFrames, u32 aFrameCount)
    {
        if (!myContext || !myLoopback || !aFrames || !myRenderSamples)
            return false;
        myRenderSamples(myDevice, aFrames, static_cast<ALCsizei>(aFrameCount));
        return true;
    }

    static OpenALBackend& GetOpenALBackend()
    {
        static OpenALBackend* backend = new OpenALBackend;
        return *backend;
    }

private:
    void OpenDefault()
    {
        myDevice = alcOpenDevice(nullptr);
        if (!myDevice)
        {
            std::fprintf(stderr, "No audio device could be opened: sound is off.\n");
            return;
        }
        const ALCint attributes[] = {ALC_FREQUENCY, OUTPUT_RATE, 0};
        MakeContext(attributes);
    }

    void OpenLoopback()
    {
        auto openLoopback =
            reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
        myRenderSamples =
            reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
        if (!openLoopback || !myRenderSamples)
            return;
        myDevice = openLoopback(nullptr);
        if (!myDevice)
            return;
        const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_SHORT_SOFT,
                                     ALC_FREQUENCY, OUTPUT_RATE, ALC_HRTF_SOFT, ALC_FALSE, 0};
        MakeContext(attributes);
        myLoopback = myContext != nullptr;
    }

    void MakeContext(const ALCint* aAttributes)
    {
        myContext = alcCreateContext(myDevice, aAttributes);
        if (!myContext || alcMakeContextCurrent(myContext) != ALC_TRUE)
        {
            std::fprintf(stderr, "The audio device could not be set up: sound is off.\n");
            if (myContext)
                alcDestroyContext(myContext);
            alcCloseDevice(myDevice);
            myContext = nullptr;
            myDevice = nullptr;
        }
    }

    ALCdevice* myDevice = nullptr;
    ALCcontext* myContext = nullptr;
    LPALCRENDERSAMPLESSOFT myRenderSamples = nullptr;
    bool myTried = false;
    bool myWantLoopback = false;
    bool myLoopback = false;
    bool myDirectChannels = false;
    bool myAtExitRegistered = false;
};

AudioBackend* ourTestBackend = nullptr;
}

AudioBackend& GetAudioBackend()
{
    if (ourTestBackend)
        return *ourTestBackend;
    return OpenALBackend::GetOpenALBackend();
}

void SetAudioBackendForTesting(AudioBackend* aBackend)
{
    ourTestBackend = aBackend;
}

bool UseLoopbackAudioDevice()
{
    return OpenALBackend::GetOpenALBackend().RequestLoopback();
}

bool RenderLoopbackAudio(i16* aFrames, u32 aFrameCount)
{
    return OpenALBackend::GetOpenALBackend().Render(aFrames, aFrameCount);
}
}
