// The real OpenAL Soft device path on its loopback device: what Qel::Audio and the wave-out queue
// play is mixed into memory on demand and measured.
#include "audio/Audio.h"
#include "audio/AudioOut.h"
#include "platform/audio/AudioBackend.h"
#include "platform/audio/WaveOut.h"
#include "settings/Settings.h"

#include "TestSupport.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using Qel::Audio;
using Qel::i16;
using Qel::u32;
using namespace QelTest::Wav;

namespace
{
constexpr u32 RATE = 44100;

std::vector<i16> Tone(u32 aRate, u32 aChannels, double aFrequency, double aAmplitude, u32 aFrames)
{
    std::vector<i16> samples;
    for (u32 i = 0; i < aFrames; ++i)
    {
        const i16 value = static_cast<i16>(std::lround(aAmplitude * 32767.0 * std::sin(2.0 * M_PI * aFrequency * i / aRate)));
        for (u32 c = 0; c < aChannels; ++c)
            samples.push_back(value);
    }
    return samples;
}

struct Stats
{
    int peakLeft = 0;
    int peakRight = 0;
    int crossings = 0;
};

// Rendered output, stereo frames.
class Render
{
public:
    void Run(u32 aFrames)
    {
        const size_t start = mySamples.size();
        mySamples.resize(start + size_t(aFrames) * 2);
        ASSERT_TRUE(Qel::Platform::RenderLoopbackAudio(mySamples.data() + start, aFrames));
    }
    u32 Frames() const { return static_cast<u32>(mySamples.size() / 2); }
    Stats Measure(u32 aFirst, u32 aEnd) const
    {
        Stats stats;
        for (u32 i = aFirst; i < aEnd; ++i)
        {
            stats.peakLeft = std::max(stats.peakLeft, std::abs(int(mySamples[2 * i])));
            stats.peakRight = std::max(stats.peakRight, std::abs(int(mySamples[2 * i + 1])));
            if (i > aFirst && (mySamples[2 * (i - 1)] < 0) != (mySamples[2 * i] < 0))
                ++stats.crossings;
        }
        return stats;
    }
    // The device's output lags the sources by a few dozen frames: keep margins of 64 and more.
    bool Silent(u32 aFirst, u32 aEnd) const
    {
        const Stats stats = Measure(aFirst, aEnd);
        // The mixer leaves a last bit of noise after a sound ends.
        return stats.peakLeft <= 2 && stats.peakRight <= 2;
    }

private:
    std::vector<i16> mySamples;
};

u32 Seconds(double aSeconds)
{
    return static_cast<u32>(std::lround(aSeconds * RATE));
}

class OpenALLoopback : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(Qel::Platform::UseLoopbackAudioDevice()); }

    void SetUp() override
    {
        Qel::Settings::GetGameAssetsPath() = myFolder.Path();
        // 441 Hz: a whole number of periods in 0.1 s, so the loop is seamless.
        myFolder.Write("tone.wav", Pcm16(1, RATE, Tone(RATE, 1, 441, 0.5, Seconds(1.0))));
        myFolder.Write("short.wav", Pcm16(1, RATE, Tone(RATE, 1, 441, 0.5, Seconds(0.1))));
        myFolder.Write("loop.wav", Pcm16(2, RATE, Tone(RATE, 2, 441, 0.5, Seconds(0.1))));
        myFolder.Write("quiet.wav", Pcm16(1, RATE, Tone(RATE, 1, 441, 0.2, Seconds(0.5))));
        myFolder.Write("low_rate.wav", Pcm16(1, 22050, Tone(22050, 1, 441, 0.5, 22050)));
    }
    void TearDown() override
    {
        Qel::AudioOut::DestroyInstanceForTesting();
        Qel::Settings::GetGameAssetsPath().clear();
    }

    QelTest::TempFolder myFolder;
    Render myOut;
};

TEST_F(OpenALLoopback, AToneComesOutAtItsLevelOnBothSides)
{
    Audio sound;
    sound.Init("tone.wav", false);
    ASSERT_TRUE(Qel::AudioOut::GetInstance().IsInitialised());
    ASSERT_TRUE(sound.IsLoaded());
    sound.Play();
    myOut.Run(Seconds(0.5));
    const Stats stats = myOut.Measure(Seconds(0.05), Seconds(0.5));
    EXPECT_NEAR(stats.peakLeft, 16384, 200);
    EXPECT_NEAR(stats.peakRight, 16384, 200);
    EXPECT_NEAR(stats.crossings, 0.45 * 441 * 2, 3);
}

TEST_F(OpenALLoopback, VolumeSetBeforePlayScalesTheOutput)
{
    Audio sound;
    sound.Init("tone.wav", false);
    sound.SetVolume(0.5f);
    sound.Play();
    myOut.Run(Seconds(0.3));
    EXPECT_NEAR(myOut.Measure(Seconds(0.05), Seconds(0.3)).peakLeft, 8192, 150);

    sound.SetVolume(0.25f);
    myOut.Run(Seconds(0.2));
    EXPECT_NEAR(myOut.Measure(Seconds(0.35), Seconds(0.5)).peakLeft, 4096, 100);
}

TEST_F(OpenALLoopback, AOneShotPlaysOnceThenIsSilent)
{
    Audio sound;
    sound.Init("short.wav", false);
    sound.Play();
    myOut.Run(Seconds(0.3));
    EXPECT_GT(myOut.Measure(Seconds(0.01), Seconds(0.09)).peakLeft, 15000);
    EXPECT_TRUE(myOut.Silent(Seconds(0.11), Seconds(0.3)));
}

TEST_F(OpenALLoopback, StopWithoutHasteFinishesThePassOfEveryLoopingCopy)
{
    Audio sound;
    sound.Init("loop.wav", true);
    sound.Play();
    myOut.Run(Seconds(0.03));
    sound.Play();
    myOut.Run(Seconds(0.22));
    EXPECT_GT(myOut.Measure(Seconds(0.2), Seconds(0.25)).peakLeft, 15000);

    // At 0.25 s the first copy is half-way through a pass (it ends at 0.3 s), the second a fifth
    // of the way (it ends at 0.33 s). Neither plays on after that.
    sound.Stop(false);
    myOut.Run(Seconds(0.15));
    EXPECT_GT(myOut.Measure(Seconds(0.25), Seconds(0.29)).peakLeft, 15000);
    EXPECT_GT(myOut.Measure(Seconds(0.305), Seconds(0.325)).peakLeft, 15000);
    EXPECT_TRUE(myOut.Silent(Seconds(0.335), Seconds(0.4)));
}

TEST_F(OpenALLoopback, StopAtOnceSilencesEveryCopy)
{
    Audio sound;
    sound.Init("loop.wav", true);
    sound.Play();
    myOut.Run(Seconds(0.05));
    sound.Play();
    myOut.Run(Seconds(0.05));
    sound.Stop(true);
    myOut.Run(Seconds(0.2));
    EXPECT_TRUE(myOut.Silent(Seconds(0.1) + 256, Seconds(0.3)));

    // Played again it starts from the beginning, looping.
    sound.Play();
    myOut.Run(Seconds(0.3));
    EXPECT_GT(myOut.Measure(Seconds(0.5), Seconds(0.6)).peakLeft, 15000);
}

TEST_F(OpenALLoopback, CopiesStartedTogetherAddUp)
{
    Audio sound;
    sound.Init("quiet.wav", false);
    sound.Play();
    sound.Play();
    sound.Play();
    myOut.Run(Seconds(0.3));
    EXPECT_NEAR(myOut.Measure(Seconds(0.05), Seconds(0.3)).peakLeft, 3 * 6553, 300);
}

TEST_F(OpenALLoopback, ASoundAtAnotherRatePlaysAtItsOwnPitch)
{
    Audio sound;
    sound.Init("low_rate.wav", false);
    sound.Play();
    myOut.Run(Seconds(0.6));
    EXPECT_NEAR(myOut.Measure(Seconds(0.05), Seconds(0.55)).crossings, 441, 4);
}

Qel::Platform::WAVEFORMATEX StereoFormat()
{
    Qel::Platform::WAVEFORMATEX format;
    format.wFormatTag = Qel::Platform::WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = RATE;
    format.nAvgBytesPerSec = RATE * 4;
    format.nBlockAlign = 4;
    format.wBitsPerSample = 16;
    return format;
}

TEST_F(OpenALLoopback, TheStreamPlaysBlocksInOrderAtTheOutputRate)
{
    Qel::Platform::WaveOut out;
    ASSERT_TRUE(out.Open(StereoFormat()));
    const std::string bytes = Samples16(Tone(RATE, 2, 441, 0.5, Seconds(0.5)));
    constexpr u32 BLOCK = 4096;   // 1024 frames
    u32 blocks = 0;
    for (size_t at = 0; at < bytes.size(); at += BLOCK, ++blocks)
        ASSERT_TRUE(out.Write(reinterpret_cast<const Qel::u8*>(bytes.data()) + at,
                              static_cast<u32>(std::min<size_t>(BLOCK, bytes.size() - at))));
    EXPECT_EQ(out.GetBytesWritten(), bytes.size());
    EXPECT_EQ(out.GetQueuedBufferCount(), blocks);
    EXPECT_TRUE(out.IsPlaying());

    // Ten blocks' worth of frames later, ten blocks are done.
    myOut.Run(10 * 1024 + 16);
    EXPECT_EQ(out.GetQueuedBufferCount(), blocks - 10);
    myOut.Run(Seconds(0.6) - myOut.Frames());
    const Stats stats = myOut.Measure(Seconds(0.02), Seconds(0.5));
    EXPECT_NEAR(stats.peakLeft, 16384, 200);
    EXPECT_NEAR(stats.crossings, 0.48 * 441 * 2, 3);
    EXPECT_TRUE(myOut.Silent(Seconds(0.5) + 128, Seconds(0.6)));

    // Run dry, it stopped; new sound starts it again.
    EXPECT_FALSE(out.IsPlaying());
    EXPECT_EQ(out.GetQueuedBufferCount(), 0u);
    ASSERT_TRUE(out.Write(reinterpret_cast<const Qel::u8*>(bytes.data()), BLOCK));
    EXPECT_TRUE(out.IsPlaying());
    myOut.Run(2048);
    EXPECT_GT(myOut.Measure(Seconds(0.6) + 128, Seconds(0.6) + 1024).peakLeft, 10000);
}

TEST_F(OpenALLoopback, AFullStreamDropsRatherThanOverwrites)
{
    Qel::Platform::WaveOut out;
    ASSERT_TRUE(out.Open(StereoFormat()));
    std::vector<Qel::u8> block(4096, 0);
    u32 accepted = 0;
    for (u32 i = 0; i < Qel::Platform::WaveOut::MAX_QUEUED_BUFFERS + 6; ++i)
        accepted += out.Write(block.data(), 4096);
    EXPECT_EQ(accepted, Qel::Platform::WaveOut::MAX_QUEUED_BUFFERS);
    EXPECT_EQ(out.GetBytesDropped(), 6u * 4096);

    // Once blocks have played, their buffers take new sound.
    myOut.Run(4 * 1024 + 16);
    EXPECT_TRUE(out.Write(block.data(), 4096));

    out.Reset();
    EXPECT_EQ(out.GetQueuedBufferCount(), 0u);
    EXPECT_FALSE(out.IsPlaying());
}

TEST_F(OpenALLoopback, TheStreamRefusesFormatsItCannotPlay)
{
    Qel::Platform::WaveOut out;
    Qel::Platform::WAVEFORMATEX format = StereoFormat();
    format.wBitsPerSample = 8;
    EXPECT_FALSE(out.Open(format));
    format = StereoFormat();
    format.nBlockAlign = 3;
    EXPECT_FALSE(out.Open(format));
    std::vector<Qel::u8> block(4096, 0);
    EXPECT_FALSE(out.Write(block.data(), 4096));
    EXPECT_EQ(out.GetBytesDropped(), 4096u);
}
}
