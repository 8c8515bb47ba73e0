// With no usable audio device the game carries on without sound.
#include "audio/Audio.h"
#include "audio/AudioOut.h"
#include "platform/audio/WaveOut.h"
#include "settings/Settings.h"

#include "TestSupport.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(NoAudioDevice, SoundsAndStreamsAreSilentNotErrors)
{
    ASSERT_STREQ(std::getenv("ALSOFT_DRIVERS"), "no-such-driver");
    QelTest::TempFolder folder;
    Qel::Settings::GetGameAssetsPath() = folder.Path();
    folder.Write("a.wav", QelTest::Wav::Pcm16(1, 44100, {1, 2, 3, 4}));

    testing::internal::CaptureStderr();
    Qel::Audio sound;
    sound.Init("a.wav", true);
    Qel::Audio other;
    other.Init("a.wav", false);
    const std::string messages = testing::internal::GetCapturedStderr();
    // One line says that sound is off; no line per sound.
    EXPECT_NE(messages.find("sound is off"), std::string::npos) << messages;
    EXPECT_EQ(messages.find('\n'), messages.size() - 1) << messages;

    EXPECT_FALSE(Qel::AudioOut::GetInstance().IsInitialised());
    EXPECT_FALSE(sound.IsLoaded());
    sound.SetVolume(0.5f);
    sound.Play();
    sound.Stop(false);
    sound.Stop(true);
    EXPECT_EQ(sound.GetVolume(), 0.5f);

    Qel::Platform::WaveOut stream;
    Qel::Platform::WAVEFORMATEX format;
    format.wFormatTag = Qel::Platform::WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.nAvgBytesPerSec = 176400;
    format.nBlockAlign = 4;
    format.wBitsPerSample = 16;
    EXPECT_FALSE(stream.Open(format));
    const Qel::u8 block[16] = {};
    EXPECT_FALSE(stream.Write(block, sizeof(block)));
    Qel::Settings::GetGameAssetsPath().clear();
}
