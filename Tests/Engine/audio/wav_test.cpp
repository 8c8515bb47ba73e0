#include "audio/Wav.h"

#include "TestSupport.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

using namespace QelTest::Wav;
using Qel::i16;
using Qel::u32;

namespace
{
bool Parse(const std::string& aBytes, Qel::WavSound& aSound, std::string& aError)
{
    return Qel::ParseWav(reinterpret_cast<const Qel::u8*>(aBytes.data()), aBytes.size(), aSound, aError);
}

std::string Bytes(std::initializer_list<int> aValues)
{
    std::string bytes;
    for (int value : aValues)
        bytes += static_cast<char>(value);
    return bytes;
}

struct GoodCase
{
    const char* name;
    std::string file;
    u32 channels;
    u32 rate;
    std::vector<i16> frames;
};

TEST(WavParse, ReadsEverySupportedLayout)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    double quarter = 0.25;
    std::string float64(8, '\0');
    std::memcpy(float64.data(), &quarter, 8);
    const GoodCase cases[] = {
        {"pcm16 mono", Pcm16(1, 44100, {0, 1000, -1000, 32767, -32768}), 1, 44100, {0, 1000, -1000, 32767, -32768}},
        {"pcm16 stereo", Pcm16(2, 22050, {1, 2, 3, 4}), 2, 22050, {1, 2, 3, 4}},
        {"pcm8 is unsigned", Riff(Fmt(1, 1, 8000, 8) + Chunk("data", Bytes({128, 255, 0}))), 1, 8000,
         {0, 32512, -32768}},
        {"pcm24 keeps the top 16 bits", Riff(Fmt(1, 1, 48000, 24) + Chunk("data", Bytes({0x56, 0x34, 0x12, 0, 0, 0x80}))),
         1, 48000, {0x1234, -32768}},
        {"pcm32 keeps the top 16 bits",
         Riff(Fmt(1, 1, 48000, 32) + Chunk("data", U32(0x7FFFFFFF) + U32(0x80000000u))), 1, 48000, {32767, -32768}},
        {"float32 is clamped, NaN is silence", Riff(Fmt(3, 1, 44100, 32) + Chunk("data", Floats({0.5f, -1.0f, 2.0f, nan}))),
         1, 44100, {16384, -32767, 32767, 0}},
        {"float64", Riff(Fmt(3, 1, 44100, 64) + Chunk("data", float64)), 1, 44100, {8192}},
        {"extensible pcm", Riff(FmtExtensible(1, 2, 44100, 16, 16) + Chunk("data", Samples16({5, -5}))), 2, 44100,
         {5, -5}},
        {"extensible float", Riff(FmtExtensible(3, 1, 44100, 32, 32) + Chunk("data", Floats({-0.5f}))), 1, 44100,
         {-16384}},
        {"other chunks before, odd sizes padded",
         Riff(Chunk("LIST", "abc") + Chunk("junk", std::string(7, 'x')) + Fmt(1, 1, 44100, 16) +
              Chunk("data", Samples16({7, 8}))),
         1, 44100, {7, 8}},
        {"data before fmt", Riff(Chunk("data", Samples16({9})) + Fmt(1, 1, 44100, 16)), 1, 44100, {9}},
        {"a partial frame at the end is left out", Riff(Fmt(1, 2, 44100, 16) + Chunk("data", Samples16({1, 2, 3}))), 2,
         44100, {1, 2}},
        {"bytes after the RIFF size are ignored", Pcm16(1, 44100, {3}) + "trailing garbage", 1, 44100, {3}},
        {"trailing chunk cut short after fmt and data", Pcm16(1, 44100, {4}) + Chunk("LIST", "", 1000), 1, 44100, {4}},
    };
    for (const GoodCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        Qel::WavSound sound;
        std::string error;
        ASSERT_TRUE(Parse(c.file, sound, error)) << error;
        EXPECT_EQ(sound.channels, c.channels);
        EXPECT_EQ(sound.rate, c.rate);
        EXPECT_EQ(sound.frames, c.frames);
        EXPECT_EQ(sound.GetFrameCount(), c.frames.size() / c.channels);
    }
}

struct BadCase
{
    const char* name;
    std::string file;
    const char* cause;
};

TEST(WavParse, RefusesBrokenFilesWithTheCause)
{
    const std::string data = Chunk("data", Samples16({1, 2}));
    const BadCase cases[] = {
        {"empty", "", "empty"},
        {"shorter than a header", "RIFF\x04\0\0\0WAV", "too short"},
        {"text", "this is not a sound file at all", "not a WAV"},
        {"another RIFF type", "RIFF" + U32(4) + "AVI ", "not a WAV"},
        {"no fmt", Riff(data), "no 'fmt ' chunk"},
        {"fmt too short", Riff(Chunk("fmt ", std::string(14, '\0')) + data), "too short"},
        {"no data", Riff(Fmt(1, 1, 44100, 16)), "no 'data' chunk"},
        {"data cut short", Riff(Fmt(1, 1, 44100, 16) + Chunk("data", Samples16({1, 2}), 400)), "truncated"},
        {"data size at the limit", Riff(Fmt(1, 1, 44100, 16) + Chunk("data", "", 0xFFFFFFFF)), "truncated"},
        {"chunk running past the end", Riff(Chunk("LIST", "", 0xFFFFFFF0) + Fmt(1, 1, 44100, 16) + data),
         "runs past the end"},
        {"no channels", Riff(Fmt(1, 0, 44100, 16, 2) + data), "channels"},
        {"six channels", Riff(Fmt(1, 6, 44100, 16) + data), "channels"},
        {"rate 0", Riff(Fmt(1, 1, 0, 16) + data), "sample rate"},
        {"12 bits", Riff(Fmt(1, 1, 44100, 12, 2) + data), "12 bits"},
        {"16-bit float", Riff(Fmt(3, 1, 44100, 16) + data), "16 bits"},
        {"block align mismatch", Riff(Fmt(1, 2, 44100, 16, 3) + data), "block align"},
        {"ADPCM", Riff(Fmt(2, 1, 44100, 16) + data), "sample format 2"},
        {"extensible too short", Riff(Fmt(0xFFFE, 1, 44100, 16) + data), "extensible"},
        {"extensible unknown GUID", Riff(FmtExtensible(1, 1, 44100, 16, 16, false) + data), "sub-format"},
        {"extensible valid bits above stored", Riff(FmtExtensible(1, 1, 44100, 16, 24) + data), "valid bits"},
        {"empty data", Riff(Fmt(1, 1, 44100, 16) + Chunk("data", "")), "no samples"},
        {"less than a frame", Riff(Fmt(1, 2, 44100, 16) + Chunk("data", "ab")), "no samples"},
    };
    for (const BadCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        Qel::WavSound sound;
        std::string error;
        EXPECT_FALSE(Parse(c.file, sound, error));
        EXPECT_NE(error.find(c.cause), std::string::npos) << error;
        EXPECT_TRUE(sound.frames.empty());
    }
}

TEST(WavParse, EveryCutOfAGoodFileIsRefused)
{
    std::vector<i16> samples(64);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<i16>(i * 100);
    const std::string file = Riff(Chunk("LIST", "INFOsoft") + Fmt(1, 2, 44100, 16) + Chunk("data", Samples16(samples)));
    for (size_t size = 0; size < file.size(); ++size)
    {
        Qel::WavSound sound;
        std::string error;
        EXPECT_FALSE(Parse(file.substr(0, size), sound, error)) << "cut at " << size;
        EXPECT_FALSE(error.empty());
    }
    Qel::WavSound sound;
    std::string error;
    EXPECT_TRUE(Parse(file, sound, error)) << error;
}

TEST(WavFile, MissingEmptyAndFolderAreRefused)
{
    QelTest::TempFolder folder;
    const std::string empty = folder.Write("empty.wav", "").string();
    std::filesystem::create_directories(folder.Path() / "folder.wav");
    const std::pair<std::string, const char*> cases[] = {
        {(folder.Path() / "missing.wav").string(), "does not exist"},
        {empty, "empty"},
        {(folder.Path() / "folder.wav").string(), "does not exist"},
    };
    for (const auto& [path, cause] : cases)
    {
        Qel::WavSound sound;
        std::string error;
        EXPECT_FALSE(Qel::LoadWavFile(path, sound, error)) << path;
        EXPECT_NE(error.find(cause), std::string::npos) << error;
    }
}

// Files written by Debian's ffmpeg at build time: a 441 Hz sine of amplitude 1/8, 0.5 s.
struct ToolCase
{
    const char* file;
    u32 channels;
    u32 rate;
    double tolerance;   // of the peak, in 16-bit steps (at 22050 Hz no sample falls on the crest)
};

TEST(WavFile, ReadsWhatFfmpegWrites)
{
    const char* media = std::getenv("QEL_AUDIO_MEDIA");
    ASSERT_NE(media, nullptr) << "QEL_AUDIO_MEDIA not set";
    const ToolCase cases[] = {
        {"s16_mono_44100.wav", 1, 44100, 2},  {"s16_stereo_22050.wav", 2, 22050, 10},
        {"u8_mono_8000.wav", 1, 8000, 260},   {"s24_stereo_48000.wav", 2, 48000, 2},
        {"s32_mono_44100.wav", 1, 44100, 2},  {"f32_stereo_44100.wav", 2, 44100, 2},
        {"f64_mono_44100.wav", 1, 44100, 2},
    };
    for (const ToolCase& c : cases)
    {
        SCOPED_TRACE(c.file);
        Qel::WavSound sound;
        std::string error;
        ASSERT_TRUE(Qel::LoadWavFile(std::string(media) + "/" + c.file, sound, error)) << error;
        EXPECT_EQ(sound.channels, c.channels);
        EXPECT_EQ(sound.rate, c.rate);
        EXPECT_EQ(sound.GetFrameCount(), c.rate / 2);
        int peak = 0;
        int crossings = 0;
        for (u32 i = 0; i < sound.GetFrameCount(); ++i)
        {
            const int left = sound.frames[i * c.channels];
            peak = std::max(peak, std::abs(left));
            if (c.channels == 2)
            {
                EXPECT_EQ(left, sound.frames[i * 2 + 1]) << "frame " << i;
            }
            if (i > 0 && (sound.frames[(i - 1) * c.channels] < 0) != (left < 0))
                ++crossings;
        }
        EXPECT_NEAR(peak, 32767.0 / 8.0, c.tolerance);
        EXPECT_NEAR(crossings, 441, 3);   // 441 Hz for half a second: two crossings a period
    }
}
}
