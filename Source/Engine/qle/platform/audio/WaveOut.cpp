#include "platform/audio/WaveOut.h"

namespace Qel::Platform
{
WaveOut::WaveOut(AudioBackend& aBackend) : myBackend(aBackend)
{
}

WaveOut::WaveOut() : WaveOut(GetAudioBackend())
{
}

WaveOut::~WaveOut()
{
    Close();
}

bool WaveOut::Open(const WAVEFORMATEX& aFormat)
{
    Close();
    if (aFormat.wFormatTag != WAVE_FORMAT_PCM || aFormat.wBitsPerSample != 16 ||
        (aFormat.nChannels != 1 && aFormat.nChannels != 2) || aFormat.nSamplesPerSec == 0 ||
        aFormat.nBlockAlign != aFormat.nChannels * 2)
        return false;
    if (!myBackend.Open())
        return false;
    mySource = myBackend.CreateSource();
    if (mySource == 0)
        return false;
    myFormat = aFormat;
    myBuffers.reserve(MAX_QUEUED_BUFFERS);
    myFreeBuffers.reserve(MAX_QUEUED_BUFFERS);
    return true;
}

void WaveOut::Recycle()
{
    while (const u32 buffer = myBackend.UnqueueProcessedBuffer(mySource))
        myFreeBuffers.push_back(buffer);
}

bool WaveOut::Write(const u8* aData, u32 aSize)
{
    if (mySource == 0 || !aData)
    {
        myBytesDropped += aSize;
        return false;
    }
    const u32 frames = aSize / myFormat.nBlockAlign;
    if (frames == 0)
        return false;
    Recycle();
    u32 buffer = 0;
    if (!myFreeBuffers.empty())
    {
        buffer = myFreeBuffers.back();
        myFreeBuffers.pop_back();
    }
    else if (myBuffers.size() < MAX_QUEUED_BUFFERS)
    {
        buffer = myBackend.CreateBuffer();
        if (buffer != 0)
            myBuffers.push_back(buffer);
    }
    if (buffer == 0)
    {
        myBytesDropped += aSize;
        return false;
    }
    // The bytes of a 16-bit PCM block are little-endian samples, as the device takes them.
    if (!myBackend.SetBufferData(buffer, reinterpret_cast<const i16*>(aData), frames, myFormat.nChannels,
                                 myFormat.nSamplesPerSec))
    {
        myFreeBuffers.push_back(buffer);
        myBytesDropped += aSize;
        return false;
    }
    myBackend.QueueBuffer(mySource, buffer);
    myBytesWritten += u64(frames) * myFormat.nBlockAlign;
    // A stream that ran dry has stopped; it does not start again by itself.
    if (myBackend.GetSourceState(mySource) != SourceState::Playing)
        myBackend.PlaySource(mySource);
    return true;
}

void WaveOut::Reset()
{
    if (mySource == 0)
        return;
    myBackend.StopSource(mySource);
    myBackend.SetSourceBuffer(mySource, 0);
    myFreeBuffers = myBuffers;
}

void WaveOut::Close()
{
    if (mySource != 0)
    {
        Reset();
        myBackend.DeleteSource(mySource);
        mySource = 0;
    }
    for (u32 buffer : myBuffers)
        myBackend.DeleteBuffer(buffer);
    myBuffers.clear();
    myFreeBuffers.clear();
}

u32 WaveOut::GetQueuedBufferCount()
{
    if (mySource == 0)
        return 0;
    Recycle();
    return myBackend.GetQueuedBufferCount(mySource);
}

bool WaveOut::IsPlaying()
{
    return mySource != 0 && myBackend.GetSourceState(mySource) == SourceState::Playing;
}
}
