// Qel::Audio and its output over a device that records what it is told: which copies play, at
// what volume, which stop, and which handles stay valid.
#include "audio/Audio.h"
#include "audio/AudioOut.h"
#include "platform/audio/SoundSystem.h"
#include "settings/Settings.h"

#include "RecordingAudioBackend.h"
#include "TestSupport.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <algorithm>

using Qel::Audio;
using Qel::AudioOut;
using Qel::u32;
using Qel::Platform::SourceState;
using namespace QelTest::Wav;

namespace
{
class AudioRules : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Qel::Platform::SetAudioBackendForTesting(&myBackend);
        Qel::Settings::GetGameAssetsPath() = myFolder.Path();
        myFolder.Write("audio/tone.wav", Pcm16(1, 44100, {100, -100, 200, -200}));
        myFolder.Write("audio/loop.wav", Pcm16(2, 22050, {1, 2, 3, 4}));
    }
    void TearDown() override
    {
        AudioOut::DestroyInstanceForTesting();
        Qel::Platform::SetAudioBackendForTesting(nullptr);
        Qel::Settings::GetGameAssetsPath().clear();
    }

    std::vector<u32> Playing() const { return myBackend.PlayingSources(); }
    QelTest::RecordingAudioBackend::Source& SourceOf(u32 aId) { return myBackend.sources.at(aId); }

    QelTest::RecordingAudioBackend myBackend;
    QelTest::TempFolder myFolder;
};

TEST_F(AudioRules, EachInitLoadsItsOwnSample)
{
    Audio first, second;
    first.Init("audio/tone.wav", false);
    second.Init("audio/tone.wav", false);
    ASSERT_TRUE(first.IsLoaded());
    ASSERT_TRUE(second.IsLoaded());
    EXPECT_NE(first.GetSampleHandle(), second.GetSampleHandle());
    EXPECT_NE(first.GetSampleHandle(), 0u);
    EXPECT_EQ(first.GetChannelHandle(), 0u);
    EXPECT_EQ(first.GetVolume(), 1.0f);

    const auto& records = AudioOut::GetInstance().GetLoadedSamples();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].sample, first.GetSampleHandle());
    EXPECT_EQ(records[1].sample, second.GetSampleHandle());
    EXPECT_EQ(records[0].path, (myFolder.Path() / "audio/tone.wav").string());

    // A mono file is stored as stereo, so it plays at full level on both sides.
    ASSERT_EQ(myBackend.buffers.size(), 2u);
    const auto& buffer = myBackend.buffers.begin()->second;
    EXPECT_EQ(buffer.channels, 2u);
    EXPECT_EQ(buffer.rate, 44100u);
    EXPECT_EQ(buffer.frames, (std::vector<Qel::i16>{100, 100, -100, -100, 200, 200, -200, -200}));
}

TEST_F(AudioRules, AFourthPlayOfAOneShotTakesTheCopyThatPlayedFurthest)
{
    Audio sound;
    sound.Init("audio/tone.wav", false);
    sound.Play();
    sound.Play();
    sound.Play();
    const std::vector<u32> copies = Playing();
    ASSERT_EQ(copies.size(), 3u);
    for (u32 id : copies)
        EXPECT_FALSE(SourceOf(id).looping);
    SourceOf(copies[0]).offset = 100;
    SourceOf(copies[1]).offset = 300;
    SourceOf(copies[2]).offset = 200;

    sound.Play();
    EXPECT_EQ(Playing(), copies);
    EXPECT_EQ(myBackend.sources.size(), 3u);
    EXPECT_EQ(SourceOf(copies[1]).plays, 2);
    EXPECT_EQ(SourceOf(copies[1]).offset, 0u);
    EXPECT_EQ(SourceOf(copies[0]).offset, 100u);
    EXPECT_EQ(SourceOf(copies[2]).offset, 200u);
}

TEST_F(AudioRules, AFourthPlayOfALoopingSoundIsRefused)
{
    Audio sound;
    sound.Init("audio/loop.wav", true);
    for (int i = 0; i < 3; ++i)
        sound.Play();
    ASSERT_EQ(Playing().size(), 3u);
    for (u32 id : Playing())
        EXPECT_TRUE(SourceOf(id).looping);
    const u32 channel = sound.GetChannelHandle();

    sound.Play();
    EXPECT_EQ(myBackend.CountLog("Play"), 3);
    EXPECT_EQ(sound.GetChannelHandle(), channel);
    EXPECT_EQ(AudioOut::GetInstance().GetSoundSystem().ErrorGetCode(), Qel::Platform::SOUND_ERROR_NOCHAN);
}

TEST_F(AudioRules, FinishedCopiesMakeRoomAndKeepTheirSources)
{
    Audio sound;
    sound.Init("audio/tone.wav", false);
    for (int i = 0; i < 3; ++i)
        sound.Play();
    for (u32 id : Playing())
        myBackend.EndPass(id);
    EXPECT_TRUE(Playing().empty());
    for (int i = 0; i < 3; ++i)
        sound.Play();
    EXPECT_EQ(Playing().size(), 3u);
    EXPECT_EQ(myBackend.sources.size(), 3u);
}

TEST_F(AudioRules, VolumeIsStoredAndReachesTheNewestCopy)
{
    Audio sound;
    sound.Init("audio/tone.wav", false);
    sound.SetVolume(0.5f);
    EXPECT_EQ(sound.GetVolume(), 0.5f);
    EXPECT_TRUE(myBackend.sources.empty());

    sound.Play();
    ASSERT_EQ(Playing().size(), 1u);
    const u32 older = Playing()[0];
    EXPECT_EQ(SourceOf(older).gain, 0.5f);

    sound.Play();
    sound.SetVolume(0.2f);
    const std::vector<u32> copies = Playing();
    ASSERT_EQ(copies.size(), 2u);
    const u32 newer = copies[0] == older ? copies[1] : copies[0];
    EXPECT_EQ(SourceOf(newer).gain, 0.2f);
    EXPECT_EQ(SourceOf(older).gain, 0.5f);
}

TEST_F(AudioRules, StopAtOnceStopsEveryCopyOfThatSoundOnly)
{
    Audio music, effect;
    music.Init("audio/loop.wav", true);
    effect.Init("audio/tone.wav", false);
    music.Play();
    music.Play();
    effect.Play();
    ASSERT_EQ(Playing().size(), 3u);
    const u32 effectSource = Playing().back();

    music.Stop(true);
    EXPECT_EQ(Playing(), std::vector<u32>{effectSource});
    // Stopped copies start from the beginning next time.
    for (const auto& [id, source] : myBackend.sources)
    {
        if (id != effectSource)
        {
            EXPECT_EQ(source.offset, 0u);
        }
    }
}

TEST_F(AudioRules, StopWithoutHasteEndsEveryLoopingCopyAfterItsPass)
{
    Audio sound;
    sound.Init("audio/loop.wav", true);
    sound.Play();
    sound.Play();
    const std::vector<u32> copies = Playing();
    ASSERT_EQ(copies.size(), 2u);

    sound.Stop(false);
    // Both keep playing their current pass, neither loops any more.
    EXPECT_EQ(Playing(), copies);
    for (u32 id : copies)
        EXPECT_FALSE(SourceOf(id).looping);
    EXPECT_FALSE(AudioOut::GetInstance().StopLooping(sound.GetSampleHandle()));

    for (u32 id : copies)
        myBackend.EndPass(id);
    EXPECT_TRUE(Playing().empty());
}

TEST_F(AudioRules, StopWithoutHasteLeavesOneShotsToPlayOut)
{
    Audio sound;
    sound.Init("audio/tone.wav", false);
    sound.Play();
    EXPECT_FALSE(AudioOut::GetInstance().Stop(sound.GetSampleHandle(), false));
    EXPECT_EQ(Playing().size(), 1u);
}

TEST_F(AudioRules, AMissingFileGivesASilentHandle)
{
    Audio sound;
    testing::internal::CaptureStderr();
    sound.Init("audio/missing.wav", true);
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("audio/missing.wav"), std::string::npos) << messages;
    EXPECT_FALSE(sound.IsLoaded());
    EXPECT_EQ(sound.GetSampleHandle(), Qel::AUDIO_NO_SAMPLE);

    const size_t calls = myBackend.log.size();
    sound.Play();
    sound.Stop(true);
    sound.Stop(false);
    sound.SetVolume(0.3f);
    sound.Unload();
    EXPECT_EQ(myBackend.log.size(), calls);
    EXPECT_TRUE(myBackend.sources.empty());
    EXPECT_EQ(sound.GetVolume(), 0.3f);
}

TEST_F(AudioRules, BrokenFilesAreNamedAndStaySilent)
{
    const std::string good = Pcm16(1, 44100, std::vector<Qel::i16>(50, 7));
    const std::pair<const char*, std::string> files[] = {
        {"audio/empty.wav", ""},
        {"audio/text.wav", "just some words, no sound"},
        {"audio/cut.wav", good.substr(0, good.size() - 10)},
        {"audio/header_only.wav", good.substr(0, 44 - 8)},
    };
    for (const auto& [name, bytes] : files)
    {
        SCOPED_TRACE(name);
        myFolder.Write(name, bytes);
        Audio sound;
        testing::internal::CaptureStderr();
        sound.Init(name, false);
        const std::string messages = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(sound.IsLoaded());
        EXPECT_NE(messages.find((myFolder.Path() / name).string()), std::string::npos) << messages;
        sound.Play();
    }
    EXPECT_TRUE(myBackend.sources.empty());
    EXPECT_TRUE(AudioOut::GetInstance().GetLoadedSamples().empty());
}

TEST_F(AudioRules, NoDeviceMeansSilence)
{
    myBackend.openResult = false;
    Audio sound;
    testing::internal::CaptureStderr();
    sound.Init("audio/tone.wav", true);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(AudioOut::GetInstance().IsInitialised());
    EXPECT_FALSE(sound.IsLoaded());
    sound.Play();
    sound.Stop(true);
    EXPECT_TRUE(myBackend.buffers.empty());
    EXPECT_TRUE(myBackend.sources.empty());
    // The device is tried once for the process's output, not for every sound.
    Audio other;
    other.Init("audio/loop.wav", false);
    EXPECT_EQ(myBackend.CountLog("Open"), 1);
}

TEST_F(AudioRules, UnloadForgetsTheFirstRecordAndFreesItsSample)
{
    Audio first, second;
    first.Init("audio/tone.wav", false);
    second.Init("audio/tone.wav", false);
    first.Play();
    const u32 firstSample = first.GetSampleHandle();

    first.Unload();
    EXPECT_FALSE(first.IsLoaded());
    const auto& records = AudioOut::GetInstance().GetLoadedSamples();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].sample, second.GetSampleHandle());
    EXPECT_EQ(myBackend.buffers.size(), 1u);
    EXPECT_TRUE(Playing().empty());
    EXPECT_FALSE(AudioOut::GetInstance().Unload(firstSample));

    first.Play();
    second.Play();
    EXPECT_EQ(Playing().size(), 1u);
}

TEST_F(AudioRules, TheOutputFreesEverythingWhenItGoes)
{
    Audio sound;
    sound.Init("audio/tone.wav", false);
    sound.Play();
    AudioOut::DestroyInstanceForTesting();
    EXPECT_TRUE(myBackend.buffers.empty());
    EXPECT_TRUE(myBackend.sources.empty());
}

// The sample layer itself: handles and the device's source limit.
TEST_F(AudioRules, StaleHandlesAreRefused)
{
    Qel::Platform::SoundSystem system(myBackend);
    ASSERT_TRUE(system.Init(-1, 44100, 1));
    const Qel::i16 frames[] = {1, 2, 3};
    const u32 sample = system.SampleLoad({frames, 3, 1, 44100}, 1, 0);
    ASSERT_NE(sample, 0u);
    ASSERT_NE(sample, Qel::AUDIO_NO_SAMPLE);

    const u32 channel = system.SampleGetChannel(sample, 0);
    ASSERT_NE(channel, 0u);
    EXPECT_NE(channel, sample);
    ASSERT_TRUE(system.ChannelPlay(channel, false));
    EXPECT_EQ(system.SampleGetChannel(sample, 0), 0u);   // its one copy is busy and may not be taken
    myBackend.EndPass(myBackend.PlayingSources().at(0));

    const u32 next = system.SampleGetChannel(sample, 0);
    ASSERT_NE(next, 0u);
    EXPECT_NE(next, channel);
    EXPECT_FALSE(system.ChannelSetAttribute(channel, Qel::Platform::ATTRIB_VOL, 0.5f));
    EXPECT_EQ(system.ErrorGetCode(), Qel::Platform::SOUND_ERROR_HANDLE);
    EXPECT_TRUE(system.ChannelSetAttribute(next, Qel::Platform::ATTRIB_VOL, 0.5f));

    EXPECT_TRUE(system.SampleFree(sample));
    EXPECT_FALSE(system.SampleFree(sample));
    EXPECT_FALSE(system.ChannelPlay(next, false));
    const u32 reused = system.SampleLoad({frames, 3, 1, 44100}, 1, 0);
    EXPECT_NE(reused, sample);
    EXPECT_FALSE(system.SampleStop(sample));
    for (u32 handle : {0u, 0xFFFFFFFFu, 0x80000000u})
        EXPECT_FALSE(system.ChannelPlay(handle, false));
}

TEST_F(AudioRules, SourcesOfFinishedCopiesAreReusedWhenTheDeviceHasNoMore)
{
    myBackend.sourceLimit = 2;
    Audio a, b, c;
    a.Init("audio/tone.wav", false);
    b.Init("audio/tone.wav", false);
    c.Init("audio/tone.wav", false);
    a.Play();
    b.Play();
    c.Play();
    EXPECT_EQ(Playing().size(), 2u);   // nothing free: the third stays silent
    myBackend.EndPass(Playing().at(0));
    c.Play();
    EXPECT_EQ(Playing().size(), 2u);
    EXPECT_EQ(myBackend.sources.size(), 2u);
}
}
