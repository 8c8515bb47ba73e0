// Decoding of the generated test videos without a GL context: pictures, pacing data, sound and
// every kind of bad file. Sound goes to OpenAL's loopback device, which plays only when asked.
#include "platform/audio/AudioBackend.h"
#include "platform/audio/WaveOut.h"
#include "video/Video.h"
#include "video/VideoPlayer.h"
#include "video/WaveOutPlayer.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using Qel::u32;
using Qel::VideoPlayer;

namespace
{
constexpr double BYTES_PER_SECOND = 44100.0 * 4;

std::string Media(const char* aName)
{
    const char* folder = std::getenv("QEL_VIDEO_MEDIA");
    return folder ? std::string(folder) + "/" + aName : std::string(aName);
}

std::string ReadFile(const std::string& aPath)
{
    std::ifstream file(aPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

struct Rgba
{
    int r, g, b, a;
};

Rgba At(const std::vector<u32>& aPixels, u32 aWidth, u32 aX, u32 aY)
{
    const auto* bytes = reinterpret_cast<const Qel::u8*>(&aPixels[size_t(aY) * aWidth + aX]);
    return {bytes[0], bytes[1], bytes[2], bytes[3]};
}

class VideoPlayerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_NE(std::getenv("QEL_VIDEO_MEDIA"), nullptr);
        ASSERT_TRUE(Qel::Platform::UseLoopbackAudioDevice());
    }
};

TEST(FramesPerSecond, FallsBackStepByStepAndNeverToZero)
{
    const struct
    {
        int average[2], base[2], timeBase[2];
        double expected;
    } cases[] = {
        {{25, 1}, {50, 1}, {1, 90000}, 25.0},
        {{30000, 1001}, {0, 0}, {0, 1}, 30000.0 / 1001.0},
        {{0, 0}, {24, 1}, {0, 1}, 24.0},
        {{25, 0}, {0, 1}, {1, 30}, 30.0},              // a zero part makes a rate unusable
        {{1, 100000}, {1, 100000}, {1, 12}, 12.0},     // below 2.5e-5
        {{0, 0}, {0, 0}, {0, 1}, Qel::VIDEO_DEFAULT_FRAMES_PER_SECOND},   // decoders leave 0/1
        {{0, 0}, {0, 0}, {0, 0}, Qel::VIDEO_DEFAULT_FRAMES_PER_SECOND},
        {{0, 0}, {0, 0}, {1, 90000}, Qel::VIDEO_DEFAULT_FRAMES_PER_SECOND},   // no film has 90000
        {{-25, 1}, {0, 0}, {0, 1}, Qel::VIDEO_DEFAULT_FRAMES_PER_SECOND},
    };
    for (const auto& c : cases)
    {
        const double fps = Qel::ChooseFramesPerSecond(c.average[0], c.average[1], c.base[0], c.base[1],
                                                      c.timeBase[0], c.timeBase[1]);
        EXPECT_DOUBLE_EQ(fps, c.expected) << c.average[0] << "/" << c.average[1];
    }
}

TEST(TextureSize, IsTheNextPowerOfTwo)
{
    const std::pair<u32, u32> cases[] = {{0, 1},    {1, 1},     {2, 2},     {48, 64},     {64, 64},
                                         {65, 128}, {100, 128}, {1080, 2048}, {1920, 2048}, {4096, 4096}};
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(Qel::Video::NextPowerOfTwo(value), expected) << value;
}

TEST_F(VideoPlayerTest, DecodesEveryFrameIncludingTheOnesHeldBack)
{
    VideoPlayer player;
    ASSERT_EQ(player.Init(Media("clip.mp4").c_str(), false), Qel::VIDEO_PLAYER_READY) << player.GetError();
    EXPECT_EQ(player.GetWidth(), 64u);
    EXPECT_EQ(player.GetHeight(), 48u);
    EXPECT_DOUBLE_EQ(player.GetFramesPerSecond(), 25.0);
    std::vector<u32> pixels(64 * 64);
    int pictures = 0;
    for (int call = 0; call < 100; ++call)
    {
        if (player.DecodeNextFrame() < 0)
            break;
        EXPECT_TRUE(player.HasPicture());
        EXPECT_TRUE(player.CopyFrame(pixels.data(), 64, 64));
        ++pictures;
    }
    EXPECT_EQ(pictures, 25);
    EXPECT_EQ(player.GetFrameCount(), 25u);
    // The end stays the end.
    EXPECT_LT(player.DecodeNextFrame(), 0);
    EXPECT_FALSE(player.HasPicture());
    EXPECT_FALSE(player.CopyFrame(pixels.data(), 64, 64));
    EXPECT_EQ(player.GetWaveOutPlayer(), nullptr);
    EXPECT_FALSE(player.HasAudioStream());
}

TEST_F(VideoPlayerTest, CopyFramePutsThePictureTopLeftAndClearsTheRest)
{
    VideoPlayer player;
    ASSERT_EQ(player.Init(Media("colours.mp4").c_str(), false), Qel::VIDEO_PLAYER_READY) << player.GetError();
    constexpr u32 W = 128, H = 64;
    std::vector<u32> pixels(W * H, 0xDEADBEEFu);
    EXPECT_FALSE(player.CopyFrame(pixels.data(), W, H));   // nothing decoded yet
    EXPECT_EQ(pixels[0], 0xDEADBEEFu);
    ASSERT_GE(player.DecodeNextFrame(), 0);
    EXPECT_FALSE(player.CopyFrame(pixels.data(), 32, 64));   // too small for the picture
    ASSERT_TRUE(player.CopyFrame(pixels.data(), W, H));

    for (u32 y = 0; y < H; ++y)
        for (u32 x = 0; x < W; ++x)
        {
            const Rgba p = At(pixels, W, x, y);
            if (x >= 64 || y >= 48)
                ASSERT_EQ(pixels[y * W + x], 0u) << x << "," << y;
            else
                ASSERT_EQ(p.a, 255) << x << "," << y;
        }
    // The first row is the top of the picture: red; the last row of the picture is blue.
    for (const auto& [y, expected] : {std::pair<u32, Rgba>{2, {255, 0, 0, 255}}, {45, {0, 0, 255, 255}}})
    {
        const Rgba p = At(pixels, W, 32, y);
        EXPECT_NEAR(p.r, expected.r, 12) << "row " << y;
        EXPECT_NEAR(p.g, expected.g, 12) << "row " << y;
        EXPECT_NEAR(p.b, expected.b, 12) << "row " << y;
    }
}

TEST_F(VideoPlayerTest, RestartGoesBackToTheFirstPicture)
{
    VideoPlayer player;
    ASSERT_EQ(player.Init(Media("clip.mp4").c_str(), false), Qel::VIDEO_PLAYER_READY);
    std::vector<u32> first(64 * 64), later(64 * 64), again(64 * 64);
    ASSERT_GE(player.DecodeNextFrame(), 0);
    ASSERT_TRUE(player.CopyFrame(first.data(), 64, 64));
    for (int i = 0; i < 10; ++i)
        ASSERT_GE(player.DecodeNextFrame(), 0);
    ASSERT_TRUE(player.CopyFrame(later.data(), 64, 64));
    EXPECT_NE(first, later);

    player.Restart();
    ASSERT_GE(player.DecodeNextFrame(), 0);
    ASSERT_TRUE(player.CopyFrame(again.data(), 64, 64));
    EXPECT_EQ(first, again);

    // From the end as well, with every frame there again.
    while (player.DecodeNextFrame() >= 0)
    {
    }
    player.Restart();
    int pictures = 0;
    while (player.DecodeNextFrame() >= 0 && pictures < 100)
        ++pictures;
    EXPECT_EQ(pictures, 25);
}

TEST_F(VideoPlayerTest, SoundIsResampledAndArrivesWithThePictures)
{
    VideoPlayer player;
    ASSERT_EQ(player.Init(Media("clip.mp4").c_str(), true), Qel::VIDEO_PLAYER_READY) << player.GetError();
    EXPECT_TRUE(player.HasAudioStream());
    EXPECT_EQ(player.GetWaveOutPlayer(), nullptr);   // opened by the first sound packet

    // The sound delivered never runs far ahead of the pictures nor falls behind them.
    int frame = 0;
    while (player.DecodeNextFrame() >= 0)
    {
        ++frame;
        ASSERT_NE(player.GetWaveOutPlayer(), nullptr);
        const double seconds = player.GetWaveOutPlayer()->GetDevice().GetBytesWritten() / BYTES_PER_SECOND;
        EXPECT_LE(seconds, frame / 25.0 + 0.25) << "frame " << frame;
        EXPECT_GE(seconds, frame / 25.0 - 0.15) << "frame " << frame;
    }
    ASSERT_EQ(frame, 25);
    const Qel::Platform::WaveOut& device = player.GetWaveOutPlayer()->GetDevice();
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.GetBytesDropped(), 0u);
    // One second of 44.1 kHz stereo, give or take the encoder's padding; the last partial block too.
    EXPECT_NEAR(device.GetBytesWritten() / BYTES_PER_SECOND, 1.0, 0.06);
    EXPECT_NE(device.GetBytesWritten() % Qel::WaveOutPlayer::BLOCK_SIZE, 0u);

    // Played out, it is the 440 Hz tone at its pitch: the output rate is right.
    std::vector<Qel::i16> out(44100 * 2);
    ASSERT_TRUE(Qel::Platform::RenderLoopbackAudio(out.data(), 44100));
    int crossings = 0;
    int peak = 0;
    int sideDifference = 0;
    for (u32 i = 4410; i < 39690; ++i)   // 0.1 s to 0.9 s
    {
        crossings += (out[2 * (i - 1)] < 0) != (out[2 * i] < 0);
        peak = std::max(peak, std::abs(int(out[2 * i])));
        sideDifference = std::max(sideDifference, std::abs(out[2 * i] - out[2 * i + 1]));
    }
    EXPECT_NEAR(crossings, 0.8 * 440 * 2, 6);
    EXPECT_GT(peak, 1000);
    // The mono tone is on both sides (up to the rounding of the conversion).
    EXPECT_LE(sideDifference, 3);
}

TEST_F(VideoPlayerTest, NoSoundWantedOrNoneThereOpensNoOutput)
{
    for (const auto& [file, withAudio] : {std::pair{"clip.mp4", false}, std::pair{"silent.mp4", true}})
    {
        SCOPED_TRACE(file);
        VideoPlayer player;
        ASSERT_EQ(player.Init(Media(file).c_str(), withAudio), Qel::VIDEO_PLAYER_READY);
        int pictures = 0;
        while (player.DecodeNextFrame() >= 0 && pictures < 100)
            ++pictures;
        EXPECT_EQ(pictures, 25);
        EXPECT_FALSE(player.HasAudioStream());
        EXPECT_EQ(player.GetWaveOutPlayer(), nullptr);
    }
}

TEST_F(VideoPlayerTest, BadFilesAreRefusedAndNamed)
{
    QelTest::TempFolder folder;
    const std::string clip = ReadFile(Media("clip.mp4"));
    ASSERT_GT(clip.size(), 1000u);
    std::filesystem::create_directories(folder.Path() / "folder.mp4");
    const struct
    {
        std::string path;
        u32 code;
    } cases[] = {
        {(folder.Path() / "missing.mp4").string(), Qel::VIDEO_PLAYER_FILE_MISSING},
        {(folder.Path() / "folder.mp4").string(), Qel::VIDEO_PLAYER_FILE_MISSING},
        {folder.Write("empty.mp4", "").string(), Qel::VIDEO_PLAYER_FAILURE},
        {folder.Write("text.mp4", "not a video, only some words").string(), Qel::VIDEO_PLAYER_FAILURE},
        // The index of a plain MP4 comes last: cut, the file has none.
        {folder.Write("cut.mp4", clip.substr(0, clip.size() / 2)).string(), Qel::VIDEO_PLAYER_FAILURE},
        {Media("sound_only.mp4"), Qel::VIDEO_PLAYER_FAILURE},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.path);
        VideoPlayer player;
        EXPECT_EQ(player.Init(c.path.c_str(), true), c.code);
        EXPECT_FALSE(player.GetError().empty());
        EXPECT_FALSE(player.IsReady());
        EXPECT_LT(player.DecodeNextFrame(), 0);
        EXPECT_FALSE(player.CopyFrame(nullptr, 64, 64));
        player.Restart();
        EXPECT_EQ(player.GetFramesPerSecond(), 0.0);

        // The video object says which file and why, and stays empty and harmless.
        Qel::Video video;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(video.Init(c.path.c_str(), true));
        const std::string messages = testing::internal::GetCapturedStderr();
        EXPECT_NE(messages.find(c.path), std::string::npos) << messages;
        EXPECT_NE(messages.find(player.GetError()), std::string::npos) << messages;
        video.Play(false);
        video.Update(1.0f);
        video.Restart();
        EXPECT_EQ(video.GetStatus(), Qel::VIDEO_STATUS_NONE);
        EXPECT_FALSE(video.IsPlaying());
        EXPECT_EQ(video.GetTexture(), nullptr);
        EXPECT_EQ(video.GetPlayer(), nullptr);
    }
}

TEST_F(VideoPlayerTest, ACutFileWithItsIndexUpFrontPlaysWhatIsThere)
{
    QelTest::TempFolder folder;
    const std::string clip = ReadFile(Media("clip_faststart.mp4"));
    for (int percent : {30, 60, 90})
    {
        SCOPED_TRACE(percent);
        const std::string path = folder.Write("cut.mp4", clip.substr(0, clip.size() * percent / 100)).string();
        VideoPlayer player;
        ASSERT_EQ(player.Init(path.c_str(), true), Qel::VIDEO_PLAYER_READY) << player.GetError();
        int pictures = 0;
        while (player.DecodeNextFrame() >= 0 && pictures < 100)
            ++pictures;
        EXPECT_GT(pictures, 0);
        EXPECT_LT(pictures, 25);
        EXPECT_LT(player.DecodeNextFrame(), 0);
    }
}

TEST_F(VideoPlayerTest, AnyCutOfAFileEndsWithoutCrashing)
{
    QelTest::TempFolder folder;
    for (const char* name : {"clip.mp4", "clip_faststart.mp4"})
    {
        const std::string clip = ReadFile(Media(name));
        for (size_t size = 0; size < clip.size(); size += clip.size() / 23 + 1)
        {
            const std::string path = folder.Write("cut.mp4", clip.substr(0, size)).string();
            testing::internal::CaptureStderr();
            VideoPlayer player;
            int calls = 0;
            if (player.Init(path.c_str(), true) == Qel::VIDEO_PLAYER_READY)
            {
                std::vector<u32> pixels(64 * 64);
                while (player.DecodeNextFrame() >= 0 && calls < 100)
                {
                    player.CopyFrame(pixels.data(), 64, 64);
                    ++calls;
                }
            }
            testing::internal::GetCapturedStderr();
            EXPECT_LT(calls, 100) << name << " cut at " << size;
        }
    }
}
}
