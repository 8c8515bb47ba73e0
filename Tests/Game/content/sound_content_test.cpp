// The built asset tree holds every sound the game names, each one a WAV the engine reads, with
// room below full scale; loops join without a jump and one-shots start and end at silence; and
// the synthesiser makes the same bytes again.
#include "AudioManager.h"
#include "TestSupport.h"
#include "audio/Wav.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Qel::u8;

namespace
{
struct Named
{
    std::string path;
    bool loop;
};

std::vector<Named> EverySound()
{
    std::vector<Named> sounds;
    for (u8 id = 0; id < MUSIC_COUNT; ++id)
        sounds.push_back({GetMusicEntry(id).myPath, GetMusicEntry(id).myLoop});
    for (u8 id = 0; id < AMBIENT_COUNT; ++id)
        sounds.push_back({GetAmbientEntry(id).myPath, GetAmbientEntry(id).myLoop});
    for (u8 id = 0; id < EFFECT_COUNT; ++id)
        sounds.push_back({GetEffectEntry(id).myPath, GetEffectEntry(id).myLoop});
    // The per-object sounds whose names say they loop are played looping by their objects.
    for (u8 entry = 0; entry < INSTANCE_SOUND_COUNT; ++entry)
    {
        const std::string path = GetInstanceSoundPath(entry);
        sounds.push_back({path, path.find("Loop") != std::string::npos});
    }
    return sounds;
}

fs::path GameAssets()
{
    const char* bin = std::getenv("QEL_BIN_DIR");
    return bin ? fs::path(bin) / "assets" / "game" : fs::path();
}

std::string ReadAll(const fs::path& aPath)
{
    std::ifstream in(aPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}

TEST(SoundContent, EverySoundThatTheGameNamesIsInTheTreeAndDecodes)
{
    const std::vector<Named> sounds = EverySound();
    ASSERT_EQ(sounds.size(), 101u);
    const fs::path root = GameAssets();
    ASSERT_FALSE(root.empty());
    const double limit = 32767.0 * std::pow(10.0, -1.0 / 20.0);   // -1 dBFS
    for (const Named& sound : sounds)
    {
        const fs::path path = root / sound.path;
        Qel::WavSound wav;
        std::string error;
        ASSERT_TRUE(Qel::LoadWavFile(path.string(), wav, error)) << path << ": " << error;
        ASSERT_GT(wav.GetFrameCount(), 100u) << path;
        EXPECT_EQ(wav.rate, 44100u) << path;
        const std::vector<Qel::i16>& s = wav.frames;
        int peak = 0;
        double sumStep = 0.0;
        for (size_t i = 0; i < s.size(); ++i)
        {
            peak = std::max(peak, std::abs(static_cast<int>(s[i])));
            if (i > 0)
                sumStep += std::abs(static_cast<int>(s[i]) - static_cast<int>(s[i - 1]));
        }
        EXPECT_LT(peak, limit) << path << " peaks too high";
        EXPECT_GT(peak, 1000) << path << " is (nearly) silent";
        if (sound.loop)
        {
            // The join is one more step of the waveform: no larger than its ordinary steps.
            const double meanStep = sumStep / static_cast<double>(s.size() - 1);
            const int join = std::abs(static_cast<int>(s.front()) - static_cast<int>(s.back()));
            EXPECT_LE(join, 4.0 * meanStep + 8.0) << path << " clicks where it loops";
        }
        else
        {
            EXPECT_LE(std::abs(static_cast<int>(s.front())), 64) << path << " starts with a click";
            EXPECT_LE(std::abs(static_cast<int>(s.back())), 64) << path << " ends with a click";
        }
    }
}

TEST(SoundContent, TheSynthesiserMakesTheSameBytesEveryTime)
{
    const char* tool = std::getenv("QEL_MAKE_SOUNDS");
    ASSERT_NE(tool, nullptr);
    QelTest::TempFolder folder;
    const std::string command = std::string("\"") + tool + "\" \"" + folder.Path().string() + "\" > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const fs::path built = GameAssets() / "audio";
    for (const Named& sound : EverySound())
    {
        const std::string relative = sound.path.substr(std::string("audio/").size());
        EXPECT_EQ(ReadAll(folder.Path() / relative), ReadAll(built / relative)) << sound.path;
    }
}
