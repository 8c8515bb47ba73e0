// A video with sound on a machine without an audio device plays its pictures in silence.
#include "platform/audio/WaveOut.h"
#include "video/VideoPlayer.h"
#include "video/WaveOutPlayer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(VideoWithoutAudioDevice, PlaysThePicturesSilently)
{
    ASSERT_STREQ(std::getenv("ALSOFT_DRIVERS"), "no-such-driver");
    const char* media = std::getenv("QEL_VIDEO_MEDIA");
    ASSERT_NE(media, nullptr);
    Qel::VideoPlayer player;
    testing::internal::CaptureStderr();
    ASSERT_EQ(player.Init((std::string(media) + "/clip.mp4").c_str(), true), Qel::VIDEO_PLAYER_READY);
    int pictures = 0;
    while (player.DecodeNextFrame() >= 0 && pictures < 100)
        ++pictures;
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(pictures, 25);
    ASSERT_NE(player.GetWaveOutPlayer(), nullptr);
    EXPECT_FALSE(player.GetWaveOutPlayer()->IsOpen());
    EXPECT_EQ(player.GetWaveOutPlayer()->GetDevice().GetBytesWritten(), 0u);
    EXPECT_NE(messages.find("sound is off"), std::string::npos) << messages;
}
