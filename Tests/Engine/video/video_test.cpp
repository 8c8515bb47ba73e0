// Qel::Video with its texture on a headless GL device: first picture, pacing by the frame rate,
// end, loop, restart, the power-of-two texture and files that are not there.
#include "TextureReadback.h"
#include "platform/audio/AudioBackend.h"
#include "texture/Texture.h"
#include "texture/TextureUpload.h"
#include "video/Video.h"
#include "video/VideoPlayer.h"

#include "GLTestContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

using Qel::u32;
using Qel::Video;

namespace
{
std::string Media(const char* aName)
{
    const char* folder = std::getenv("QEL_VIDEO_MEDIA");
    return folder ? std::string(folder) + "/" + aName : std::string(aName);
}

class VideoTest : public QelTest::GLTest
{
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(Qel::Platform::UseLoopbackAudioDevice()); }

    static u32 Frames(const Video& aVideo) { return aVideo.GetPlayer() ? aVideo.GetPlayer()->GetFrameCount() : 0; }

    // What the GPU holds is the picture of the video object, byte for byte.
    static void ExpectTextureHoldsPicture(const Video& aVideo)
    {
        ASSERT_NE(aVideo.GetTexture(), nullptr);
        const std::vector<Qel::u8> stored = QelTest::ReadTextureRGBA8(aVideo.GetTexture()->GetShaderResourceView());
        const auto* expected = reinterpret_cast<const Qel::u8*>(aVideo.GetPixels().data());
        ASSERT_EQ(stored.size(), aVideo.GetPixels().size() * 4);
        EXPECT_TRUE(std::equal(stored.begin(), stored.end(), expected));
    }
};

TEST_F(VideoTest, InitShowsTheFirstPictureAndWaitsForPlay)
{
    Video video;
    ASSERT_TRUE(video.Init(Media("clip.mp4").c_str(), true));
    EXPECT_EQ(video.GetStatus(), Qel::VIDEO_STATUS_PLAYING);
    EXPECT_FALSE(video.IsPlaying());
    EXPECT_EQ(video.GetVideoWidth(), 64u);
    EXPECT_EQ(video.GetVideoHeight(), 48u);
    EXPECT_EQ(video.GetTextureWidth(), 64u);
    EXPECT_EQ(video.GetTextureHeight(), 64u);
    ASSERT_NE(video.GetTexture(), nullptr);
    EXPECT_EQ(video.GetTexture()->GetWidth(), 64u);
    EXPECT_EQ(video.GetTexture()->GetHeight(), 64u);
    EXPECT_NE(video.GetTexture()->GetGLName(), 0u);
    EXPECT_EQ(Frames(video), 1u);
    EXPECT_NE(video.GetPixels()[0], 0u);
    EXPECT_EQ(video.GetPixels()[63 * 64], 0u);
    ExpectTextureHoldsPicture(video);

    // A second Init is refused; Update does nothing before Play.
    EXPECT_FALSE(video.Init(Media("clip.mp4").c_str(), true));
    video.Update(1.0f);
    EXPECT_EQ(Frames(video), 1u);
}

TEST_F(VideoTest, UpdatesDecodeAsManyFramesAsTheTimeCallsFor)
{
    Video video;
    ASSERT_TRUE(video.Init(Media("clip.mp4").c_str(), false));
    video.Play(false);
    // 25 frames a second in steps of 0.1 s: two or three frames a step, leftover kept.
    u32 shown = Frames(video);
    for (int step = 1; step <= 9; ++step)
    {
        video.Update(0.1f);
        const u32 now = Frames(video);
        EXPECT_GE(now - shown, 2u) << "step " << step;
        EXPECT_LE(now - shown, 3u) << "step " << step;
        shown = now;
        EXPECT_EQ(video.GetStatus(), Qel::VIDEO_STATUS_PLAYING);
    }
    EXPECT_GE(shown, 23u);
    ExpectTextureHoldsPicture(video);
    // The whole second has shown every picture once; a frame's time later the end is reported.
    video.Update(0.1f);
    video.Update(0.04f);
    EXPECT_EQ(Frames(video), 25u);
    EXPECT_EQ(video.GetStatus(), Qel::VIDEO_STATUS_FINISHED);
    const std::vector<u32> last = video.GetPixels();
    video.Update(0.5f);
    EXPECT_EQ(Frames(video), 25u);
    EXPECT_EQ(video.GetPixels(), last);   // the last picture stays
}

TEST_F(VideoTest, SmallUpdatesAddUp)
{
    Video video;
    ASSERT_TRUE(video.Init(Media("clip.mp4").c_str(), false));
    video.Play(false);
    for (int i = 0; i < 30; ++i)   // 0.3 s of 10 ms frames
        video.Update(0.01f);
    EXPECT_NEAR(Frames(video), 1 + 7.5, 1.0);
}

TEST_F(VideoTest, ALoopingVideoStartsOverAndKeepsPlaying)
{
    Video video;
    ASSERT_TRUE(video.Init(Media("clip.mp4").c_str(), true));
    video.Play(true);
    for (int i = 0; i < 60; ++i)
    {
        video.Update(0.04f);
        ASSERT_EQ(video.GetStatus(), Qel::VIDEO_STATUS_PLAYING) << "update " << i;
    }
    // One new picture every update, across the loop point too.
    EXPECT_NEAR(Frames(video), 61.0, 1.0);
}

TEST_F(VideoTest, RestartPlaysFromTheFirstPictureAgain)
{
    Video video;
    ASSERT_TRUE(video.Init(Media("clip.mp4").c_str(), true));
    const std::vector<u32> first = video.GetPixels();
    video.Play(false);
    for (int i = 0; i < 12 && video.GetStatus() != Qel::VIDEO_STATUS_FINISHED; ++i)
        video.Update(0.1f);
    ASSERT_EQ(video.GetStatus(), Qel::VIDEO_STATUS_FINISHED);

    video.Restart();
    EXPECT_EQ(video.GetStatus(), Qel::VIDEO_STATUS_PLAYING);
    EXPECT_TRUE(video.IsPlaying());
    video.Update(0.05f);
    EXPECT_EQ(video.GetPixels(), first);
    for (int i = 0; i < 12 && video.GetStatus() != Qel::VIDEO_STATUS_FINISHED; ++i)
        video.Update(0.1f);
    EXPECT_EQ(video.GetStatus(), Qel::VIDEO_STATUS_FINISHED);
    EXPECT_EQ(Frames(video), 50u);
}

TEST_F(VideoTest, AFullHdPictureFillsTheTopLeftOfA2048Texture)
{
    Video video;
    ASSERT_TRUE(video.Init(Media("full_hd.mp4").c_str(), false));
    EXPECT_EQ(video.GetTextureWidth(), 2048u);
    EXPECT_EQ(video.GetTextureHeight(), 2048u);
    ASSERT_NE(video.GetTexture(), nullptr);
    EXPECT_EQ(video.GetTexture()->GetWidth(), 2048u);
    const std::vector<u32>& pixels = video.GetPixels();
    ASSERT_EQ(pixels.size(), 2048u * 2048u);
    u32 opaque = 0, stray = 0;
    for (u32 y = 0; y < 2048; ++y)
        for (u32 x = 0; x < 2048; ++x)
        {
            const u32 pixel = pixels[size_t(y) * 2048 + x];
            if (x < 1920 && y < 1080)
                opaque += (pixel >> 24) == 0xFF;
            else
                stray += pixel != 0;
        }
    EXPECT_EQ(opaque, 1920u * 1080u);
    EXPECT_EQ(stray, 0u);
}

TEST_F(VideoTest, AMissingVideoIsNotThere)
{
    Video video;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(video.Init("/no/such/folder/Cutscene_Intro.mp4", true));
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("/no/such/folder/Cutscene_Intro.mp4"), std::string::npos) << messages;
    // What the intro screen does with it: play, update, and on "finished or not there" restart.
    video.Play(false);
    video.Update(0.03f);
    video.Restart();
    video.Update(0.03f);
    EXPECT_EQ(video.GetStatus(), Qel::VIDEO_STATUS_NONE);
    EXPECT_EQ(video.GetTexture(), nullptr);
    // It may be tried again once the file is there.
    EXPECT_TRUE(video.Init(Media("clip.mp4").c_str(), false));
}

TEST_F(VideoTest, AnUpdateNeverRunsAwayAndIgnoresNonsenseTime)
{
    Video video;
    ASSERT_TRUE(video.Init(Media("clip.mp4").c_str(), false));
    video.Play(true);
    video.Update(100.0f);
    EXPECT_EQ(Frames(video), 1u + Video::MAX_FRAME_STEPS_PER_UPDATE);
    EXPECT_EQ(video.GetStatus(), Qel::VIDEO_STATUS_PLAYING);
    const u32 before = Frames(video);
    video.Update(std::numeric_limits<float>::quiet_NaN());
    video.Update(-1.0f);
    video.Update(0.04f);
    EXPECT_EQ(Frames(video), before + 1);
}

TEST_F(VideoTest, DestroyEmptiesTheVideo)
{
    Video video;
    ASSERT_TRUE(video.Init(Media("clip.mp4").c_str(), true));
    video.Play(false);
    video.Update(0.2f);
    video.Destroy();
    EXPECT_EQ(video.GetStatus(), Qel::VIDEO_STATUS_NONE);
    EXPECT_EQ(video.GetTexture(), nullptr);
    EXPECT_EQ(video.GetPlayer(), nullptr);
    EXPECT_FALSE(video.IsPlaying());
    EXPECT_TRUE(video.Init(Media("colours.mp4").c_str(), false));
    EXPECT_EQ(video.GetStatus(), Qel::VIDEO_STATUS_PLAYING);
}
}
