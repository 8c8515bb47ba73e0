#include "platform/audio/SoundSystem.h"

#include <cmath>

namespace Qel::Platform
{
namespace
{
constexpr u32 CHANNEL_BIT = 0x80000000u;
constexpr u32 MAX_SAMPLES = 0xFFFE;
constexpr u32 MAX_RATE = 384000;
// Stored buffers are always stereo: a mono file plays at full level on both sides.
constexpr u32 STORED_CHANNELS = 2;

u32 NextGeneration(u32 aGeneration, u32 aLimit)
{
    return aGeneration % aLimit + 1;
}
}

SoundSystem::SoundSystem(AudioBackend& aBackend) : myBackend(aBackend)
{
}

SoundSystem::~SoundSystem()
{
    Free();
}

u32 SoundSystem::MakeSampleHandle(u32 aIndex, u32 aGeneration)
{
    return (aGeneration << 16) | (aIndex + 1);
}

u32 SoundSystem::MakeChannelHandle(u32 aSampleIndex, u32 aSlot, u32 aGeneration)
{
    return CHANNEL_BIT | (aGeneration << 24) | (aSlot << 16) | (aSampleIndex + 1);
}

bool SoundSystem::Fail(int aError)
{
    myError = aError;
    return false;
}

bool SoundSystem::Succeed()
{
    myError = SOUND_OK;
    return true;
}

SoundSystem::Sample* SoundSystem::FindSample(u32 aHandle)
{
    if (aHandle == 0 || (aHandle & CHANNEL_BIT))
        return nullptr;
    const u32 index = (aHandle & 0xFFFF) - 1;
    if ((aHandle & 0xFFFF) == 0 || index >= mySamples.size())
        return nullptr;
    Sample& sample = mySamples[index];
    if (!sample.used || sample.generation != (aHandle >> 16))
        return nullptr;
    return &sample;
}

SoundSystem::Slot* SoundSystem::FindChannel(u32 aHandle, Sample** aSample)
{
    if (!(aHandle & CHANNEL_BIT) || (aHandle & 0xFFFF) == 0)
        return nullptr;
    const u32 index = (aHandle & 0xFFFF) - 1;
    const u32 slotIndex = (aHandle >> 16) & 0xFF;
    const u32 generation = (aHandle >> 24) & 0x7F;
    if (index >= mySamples.size())
        return nullptr;
    Sample& sample = mySamples[index];
    if (!sample.used || slotIndex >= sample.slots.size())
        return nullptr;
    Slot& slot = sample.slots[slotIndex];
    if (slot.generation != generation)
        return nullptr;
    if (aSample)
        *aSample = &sample;
    return &slot;
}

bool SoundSystem::IsBusy(const Slot& aSlot)
{
    if (aSlot.source == 0)
        return false;
    const SourceState state = myBackend.GetSourceState(aSlot.source);
    return state == SourceState::Playing || state == SourceState::Paused;
}

void SoundSystem::ReleaseSource(Slot& aSlot)
{
    if (aSlot.source == 0)
        return;
    myBackend.StopSource(aSlot.source);
    myBackend.SetSourceBuffer(aSlot.source, 0);
    myBackend.SetSourceLooping(aSlot.source, false);
    myFreeSources.push_back(aSlot.source);
    aSlot.source = 0;
}

u32 SoundSystem::AcquireSource()
{
    if (myFreeSources.empty())
    {
        if (const u32 source = myBackend.CreateSource())
        {
            ++myCreatedSources;
            return source;
        }
        // The device ran out of sources: take them back from channels that have finished.
        for (Sample& sample : mySamples)
            for (Slot& slot : sample.slots)
                if (slot.source != 0 && !IsBusy(slot))
                    ReleaseSource(slot);
        if (myFreeSources.empty())
            return 0;
    }
    const u32 source = myFreeSources.back();
    myFreeSources.pop_back();
    return source;
}

bool SoundSystem::Init(int, u32, u32)
{
    if (myInitialised)
        return Fail(SOUND_ERROR_ALREADY);
    if (!myBackend.Open())
        return Fail(SOUND_ERROR_DEVICE);
    myInitialised = true;
    return Succeed();
}

bool SoundSystem::Free()
{
    if (!myInitialised)
        return Fail(SOUND_ERROR_INIT);
    for (u32 i = 0; i < mySamples.size(); ++i)
        if (mySamples[i].used)
            SampleFree(MakeSampleHandle(i, mySamples[i].generation));
    for (u32 source : myFreeSources)
        myBackend.DeleteSource(source);
    myCreatedSources -= static_cast<u32>(myFreeSources.size());
    myFreeSources.clear();
    myInitialised = false;
    return Succeed();
}

u32 SoundSystem::SampleLoad(const PcmView& aSound, u32 aMax, u32 aFlags)
{
    if (!myInitialised)
        return Fail(SOUND_ERROR_INIT), 0;
    if (!aSound.frames || aSound.frameCount == 0 || (aSound.channels != 1 && aSound.channels != 2) ||
        aSound.rate == 0 || aSound.rate > MAX_RATE ||
        u64(aSound.frameCount) * STORED_CHANNELS * sizeof(i16) > 0x7FFFFFFFu)
        return Fail(SOUND_ERROR_ILLPARAM), 0;

    u32 index = 0;
    while (index < mySamples.size() && mySamples[index].used)
        ++index;
    if (index >= MAX_SAMPLES)
        return Fail(SOUND_ERROR_MEM), 0;

    const u32 buffer = myBackend.CreateBuffer();
    if (buffer == 0)
        return Fail(SOUND_ERROR_MEM), 0;
    const i16* frames = aSound.frames;
    if (aSound.channels == 1)
    {
        myScratch.resize(size_t(aSound.frameCount) * STORED_CHANNELS);
        for (u32 i = 0; i < aSound.frameCount; ++i)
            myScratch[2 * i] = myScratch[2 * i + 1] = aSound.frames[i];
        frames = myScratch.data();
    }
    const bool stored = myBackend.SetBufferData(buffer, frames, aSound.frameCount, STORED_CHANNELS, aSound.rate);
    myScratch.clear();
    myScratch.shrink_to_fit();
    if (!stored)
    {
        myBackend.DeleteBuffer(buffer);
        return Fail(SOUND_ERROR_FORMAT), 0;
    }

    if (index == mySamples.size())
        mySamples.emplace_back();
    Sample& sample = mySamples[index];
    sample.used = true;
    sample.generation = NextGeneration(sample.generation, 0x7FFF);
    sample.buffer = buffer;
    sample.flags = aFlags;
    sample.max = aMax < 1 ? 1 : (aMax > SAMPLE_MAX_CHANNELS ? SAMPLE_MAX_CHANNELS : aMax);
    sample.rate = aSound.rate;
    sample.channels = aSound.channels;
    sample.frameCount = aSound.frameCount;
    // Slot generations carry on from the record's previous sample, so its old channel handles stay stale.
    sample.slots.resize(sample.max);
    Succeed();
    return MakeSampleHandle(index, sample.generation);
}

bool SoundSystem::SampleFree(u32 aSample)
{
    Sample* sample = FindSample(aSample);
    if (!sample)
        return Fail(SOUND_ERROR_HANDLE);
    for (Slot& slot : sample->slots)
    {
        ReleaseSource(slot);
        slot.generation = NextGeneration(slot.generation, 0x7F);
    }
    myBackend.DeleteBuffer(sample->buffer);
    sample->buffer = 0;
    sample->used = false;
    return Succeed();
}

bool SoundSystem::SampleGetInfo(u32 aSample, SampleInfo& aInfo)
{
    const Sample* sample = FindSample(aSample);
    if (!sample)
        return Fail(SOUND_ERROR_HANDLE);
    aInfo.freq = sample->rate;
    aInfo.volume = 1.0f;
    aInfo.flags = sample->flags | SAMPLE_SOFTWARE;
    aInfo.length = sample->frameCount * sample->channels * static_cast<u32>(sizeof(i16));
    aInfo.max = sample->max;
    aInfo.chans = sample->channels;
    return Succeed();
}

u32 SoundSystem::SampleGetChannels(u32 aSample, u32* aChannels)
{
    Sample* sample = FindSample(aSample);
    if (!sample)
        return Fail(SOUND_ERROR_HANDLE), 0xFFFFFFFFu;
    const u32 index = (aSample & 0xFFFF) - 1;
    u32 count = 0;
    for (u32 i = 0; i < sample->slots.size(); ++i)
    {
        const Slot& slot = sample->slots[i];
        if (!IsBusy(slot))
            continue;
        if (aChannels)
            aChannels[count] = MakeChannelHandle(index, i, slot.generation);
        ++count;
    }
    Succeed();
    return count;
}

u32 SoundSystem::SampleGetChannel(u32 aSample, u32)
{
    Sample* sample = FindSample(aSample);
    if (!sample)
        return Fail(SOUND_ERROR_HANDLE), 0;
    const u32 index = (aSample & 0xFFFF) - 1;

    int chosen = -1;
    for (u32 i = 0; i < sample->slots.size() && chosen < 0; ++i)
        if (!IsBusy(sample->slots[i]))
            chosen = static_cast<int>(i);
    if (chosen < 0)
    {
        const u32 over = sample->flags & (SAMPLE_OVER_VOL | SAMPLE_OVER_POS);
        if (over == 0)
            return Fail(SOUND_ERROR_NOCHAN), 0;
        if (over == SAMPLE_OVER_VOL)
        {
            float quietest = 0.0f;
            for (u32 i = 0; i < sample->slots.size(); ++i)
                if (chosen < 0 || sample->slots[i].volume < quietest)
                {
                    chosen = static_cast<int>(i);
                    quietest = sample->slots[i].volume;
                }
        }
        else
        {
            u32 furthest = 0;
            for (u32 i = 0; i < sample->slots.size(); ++i)
            {
                const u32 offset = myBackend.GetSourceFrameOffset(sample->slots[i].source);
                if (chosen < 0 || offset > furthest)
                {
                    chosen = static_cast<int>(i);
                    furthest = offset;
                }
            }
        }
    }

    Slot& slot = sample->slots[static_cast<u32>(chosen)];
    if (slot.source != 0)
        myBackend.StopSource(slot.source);
    slot.generation = NextGeneration(slot.generation, 0x7F);
    slot.flags = sample->flags & ~(SAMPLE_OVER_VOL | SAMPLE_OVER_POS);
    slot.volume = 1.0f;
    slot.startFrame = 0;
    Succeed();
    return MakeChannelHandle(index, static_cast<u32>(chosen), slot.generation);
}

bool SoundSystem::SampleStop(u32 aSample)
{
    Sample* sample = FindSample(aSample);
    if (!sample)
        return Fail(SOUND_ERROR_HANDLE);
    for (Slot& slot : sample->slots)
    {
        if (slot.source != 0)
            myBackend.StopSource(slot.source);
        slot.startFrame = 0;
    }
    return Succeed();
}

bool SoundSystem::ChannelPlay(u32 aChannel, bool aRestart)
{
    Sample* sample = nullptr;
    Slot* slot = FindChannel(aChannel, &sample);
    if (!slot)
        return Fail(SOUND_ERROR_HANDLE);
    if (IsBusy(*slot))
    {
        const SourceState state = myBackend.GetSourceState(slot->source);
        if (aRestart)
            myBackend.StopSource(slot->source);
        else if (state == SourceState::Playing)
            return Succeed();
        myBackend.PlaySource(slot->source);
        return Succeed();
    }
    if (slot->source == 0)
    {
        slot->source = AcquireSource();
        if (slot->source == 0)
            return Fail(SOUND_ERROR_NOCHAN);
    }
    myBackend.SetSourceBuffer(slot->source, sample->buffer);
    myBackend.SetSourceLooping(slot->source, (slot->flags & SAMPLE_LOOP) != 0);
    myBackend.SetSourceGain(slot->source, slot->volume);
    if (slot->startFrame != 0)
        myBackend.SetSourceFrameOffset(slot->source, slot->startFrame);
    slot->startFrame = 0;
    myBackend.PlaySource(slot->source);
    return Succeed();
}

bool SoundSystem::ChannelStop(u32 aChannel)
{
    Slot* slot = FindChannel(aChannel);
    if (!slot)
        return Fail(SOUND_ERROR_HANDLE);
    if (slot->source != 0)
        myBackend.StopSource(slot->source);
    slot->startFrame = 0;
    return Succeed();
}

bool SoundSystem::ChannelSetAttribute(u32 aChannel, u32 aAttribute, float aValue)
{
    Slot* slot = FindChannel(aChannel);
    if (!slot)
        return Fail(SOUND_ERROR_HANDLE);
    if (aAttribute != ATTRIB_VOL)
        return Fail(SOUND_ERROR_ILLTYPE);
    slot->volume = (std::isfinite(aValue) && aValue > 0.0f) ? aValue : 0.0f;
    if (slot->source != 0)
        myBackend.SetSourceGain(slot->source, slot->volume);
    return Succeed();
}

bool SoundSystem::ChannelGetAttribute(u32 aChannel, u32 aAttribute, float& aValue)
{
    Slot* slot = FindChannel(aChannel);
    if (!slot)
        return Fail(SOUND_ERROR_HANDLE);
    if (aAttribute != ATTRIB_VOL)
        return Fail(SOUND_ERROR_ILLTYPE);
    aValue = slot->volume;
    return Succeed();
}

bool SoundSystem::ChannelSetPosition(u32 aChannel, u64 aPosition, u32 aMode)
{
    Sample* sample = nullptr;
    Slot* slot = FindChannel(aChannel, &sample);
    if (!slot)
        return Fail(SOUND_ERROR_HANDLE);
    if (aMode != POS_BYTE)
        return Fail(SOUND_ERROR_ILLPARAM);
    const u64 frame = aPosition / (u64(sample->channels) * sizeof(i16));
    if (frame >= sample->frameCount)
        return Fail(SOUND_ERROR_POSITION);
    if (IsBusy(*slot))
        myBackend.SetSourceFrameOffset(slot->source, static_cast<u32>(frame));
    else
        slot->startFrame = static_cast<u32>(frame);
    return Succeed();
}

u32 SoundSystem::ChannelFlags(u32 aChannel, u32 aFlags, u32 aMask)
{
    Slot* slot = FindChannel(aChannel);
    if (!slot)
        return Fail(SOUND_ERROR_HANDLE), 0xFFFFFFFFu;
    aMask &= SAMPLE_LOOP;
    slot->flags = (slot->flags & ~aMask) | (aFlags & aMask);
    if (aMask != 0 && slot->source != 0)
        myBackend.SetSourceLooping(slot->source, (slot->flags & SAMPLE_LOOP) != 0);
    Succeed();
    return slot->flags;
}

bool SoundSystem::ChannelIsActive(u32 aChannel)
{
    Slot* slot = FindChannel(aChannel);
    if (!slot)
        return Fail(SOUND_ERROR_HANDLE);
    Succeed();
    return slot->source != 0 && myBackend.GetSourceState(slot->source) == SourceState::Playing;
}
}
