// Content decoded on worker threads must be exactly what the loaders make on their own, for every
// picture, sound and font the game ships, whichever thread ends up doing the work.
#include "audio/Wav.h"
#include "loaders/ContentPrefetch.h"
#include "loaders/FileData.h"
#include "loaders/ImageDecode.h"
#include "loaders/LoadFlags.h"
#include "text/GlyphAtlas.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace Qel;

namespace
{
constexpr u32 MAX_SIZE = 16384;
constexpr u64 MAX_BYTES = u64(2) << 30;

std::filesystem::path ShippedAssets()
{
    const char* bin = std::getenv("QEL_BIN_DIR");
    return bin ? std::filesystem::path(bin) / "assets" : std::filesystem::path();
}

std::vector<std::string> FilesWithExtension(const std::filesystem::path& aFolder, const std::string& aExtension)
{
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(aFolder, error))
        if (entry.is_regular_file() && entry.path().extension() == aExtension)
            files.push_back(entry.path().string());
    return files;
}

// What the texture loader would decode itself.
void ExpectSameImage(const std::string& aFile, u32 aFlags, const PrefetchedImage& aPrefetched)
{
    std::vector<u8> bytes;
    const HRESULT read = ReadWholeFile(aFile, MAX_BYTES, bytes);
    ASSERT_EQ(aPrefetched.myRead, read) << aFile;
    DecodedImage serial;
    const bool decodes = Succeeded(read) && DetectImageContainer(bytes.data(), bytes.size()) != ImageContainer::Unknown &&
                         Succeeded(DecodeImage(bytes.data(), bytes.size(), MAX_SIZE, aFlags, serial));
    ASSERT_EQ(aPrefetched.myDecoded, decodes) << aFile;
    if (!decodes)
    {
        EXPECT_EQ(aPrefetched.myBytes, bytes) << aFile;
        return;
    }
    const DecodedImage& image = aPrefetched.myImage;
    EXPECT_EQ(image.width, serial.width) << aFile;
    EXPECT_EQ(image.height, serial.height) << aFile;
    EXPECT_EQ(image.srgb, serial.srgb) << aFile;
    EXPECT_EQ(image.channels, serial.channels) << aFile;
    EXPECT_TRUE(image.pixels == serial.pixels) << aFile;
    EXPECT_TRUE(aPrefetched.myBytes.empty()) << aFile;
}

void ExpectSameSound(const std::string& aFile, const PrefetchedSound& aPrefetched)
{
    WavSound serial;
    std::string error;
    const bool loaded = LoadWavFile(aFile, serial, error);
    ASSERT_EQ(aPrefetched.myLoaded, loaded) << aFile;
    EXPECT_EQ(aPrefetched.myError, error) << aFile;
    EXPECT_EQ(aPrefetched.mySound.channels, serial.channels) << aFile;
    EXPECT_EQ(aPrefetched.mySound.rate, serial.rate) << aFile;
    EXPECT_TRUE(aPrefetched.mySound.frames == serial.frames) << aFile;
}

void ExpectSameFont(const std::string& aFile, u32 aSize, u8 aOutline, const PrefetchedFont& aPrefetched)
{
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    InternalTextAndFontData serial;
    std::string error;
    const bool built = BuildFontAtlas(library, aFile, aSize, aOutline, serial, error);
    FT_Done_FreeType(library);
    ASSERT_EQ(aPrefetched.myBuilt, built) << aFile;
    EXPECT_EQ(aPrefetched.myError, error) << aFile;
    const InternalTextAndFontData& font = aPrefetched.myData;
    EXPECT_EQ(std::memcmp(font.myGlyphs.data(), serial.myGlyphs.data(), sizeof(FontGlyph) * serial.myGlyphs.size()), 0)
        << aFile;
    EXPECT_EQ(font.myLineHeight, serial.myLineHeight) << aFile;
    EXPECT_EQ(font.mySpaceExtra, serial.mySpaceExtra) << aFile;
    EXPECT_TRUE(font.myAtlasPixels == serial.myAtlasPixels) << aFile;
}

struct FontCase
{
    const char* myFile;
    u32 mySize;
    u8 myOutline;
};
}

TEST(ContentPrefetch, EveryShippedPictureSoundAndFontMatchesASerialLoad)
{
    const std::filesystem::path assets = ShippedAssets();
    const std::vector<std::string> images = FilesWithExtension(assets / "game/art/2d/Textures", ".png");
    const std::vector<std::string> sounds = FilesWithExtension(assets / "game/audio", ".wav");
    ASSERT_GE(images.size(), 10u) << assets;
    ASSERT_GE(sounds.size(), 70u) << assets;
    const std::string fonts = (assets / "engine").string();
    const FontCase fontCases[] = {
        {"/Text/arial.ttf", 14, 0},
        {"/Text/arial.ttf", 24, 0},
        {"/art/2d/Fonts/Nippo/Nippo-Medium.otf", 18, 2},
        {"/art/2d/Fonts/Nippo/Nippo-Regular.otf", 60, 0},
    };

    // Several workers race over the queue; takes come in the reverse order, so some wait for a
    // worker and some find their work not started and do it themselves.
    ContentPrefetch prefetch(6);
    for (const std::string& file : images)
        prefetch.PrefetchImage(file, TEXTURE_LOAD_FORCE_SRGB, MAX_SIZE, MAX_BYTES);
    for (const std::string& file : sounds)
        prefetch.PrefetchSound(file);
    for (const FontCase& font : fontCases)
        prefetch.PrefetchFont(fonts + font.myFile, font.mySize, font.myOutline);

    for (auto it = fontCases + std::size(fontCases); it != fontCases; --it)
    {
        const FontCase& font = *(it - 1);
        const std::unique_ptr<PrefetchedFont> taken = prefetch.TakeFont(fonts + font.myFile, font.mySize, font.myOutline);
        ASSERT_TRUE(taken);
        ExpectSameFont(fonts + font.myFile, font.mySize, font.myOutline, *taken);
    }
    for (auto it = sounds.rbegin(); it != sounds.rend(); ++it)
    {
        const std::unique_ptr<PrefetchedSound> taken = prefetch.TakeSound(*it);
        ASSERT_TRUE(taken) << *it;
        ExpectSameSound(*it, *taken);
    }
    for (auto it = images.rbegin(); it != images.rend(); ++it)
    {
        const std::unique_ptr<PrefetchedImage> taken = prefetch.TakeImage(*it, TEXTURE_LOAD_FORCE_SRGB, MAX_SIZE, MAX_BYTES);
        ASSERT_TRUE(taken) << *it;
        ExpectSameImage(*it, TEXTURE_LOAD_FORCE_SRGB, *taken);
    }
    EXPECT_EQ(prefetch.GetWaitingCount(), 0u);
}

TEST(ContentPrefetch, FailuresAreTheLoadersOwnAndResultsAreHandedOutOnce)
{
    QelTest::TempFolder folder;
    const std::string broken = folder.Write("broken.png", std::string("\x89PNG\r\n\x1a\n", 8) + "not really").string();
    const std::string dds = folder.Write("plain.dds", std::string("DDS ") + std::string(124, '\0')).string();
    const std::string noise = folder.Write("noise.wav", "RIFF....WAVEjunk").string();
    const std::string missing = (folder.Path() / "missing.png").string();

    ContentPrefetch prefetch(1);
    for (const std::string& file : {broken, dds, missing})
        prefetch.PrefetchImage(file, TEXTURE_LOAD_DEFAULT, MAX_SIZE, MAX_BYTES);
    prefetch.PrefetchSound(noise);
    prefetch.PrefetchSound(noise);   // queued once
    prefetch.PrefetchFont(broken, 20, 0);
    EXPECT_EQ(prefetch.GetWaitingCount(), 5u);

    for (const std::string& file : {broken, dds, missing})
    {
        const std::unique_ptr<PrefetchedImage> taken = prefetch.TakeImage(file, TEXTURE_LOAD_DEFAULT, MAX_SIZE, MAX_BYTES);
        ASSERT_TRUE(taken) << file;
        ExpectSameImage(file, TEXTURE_LOAD_DEFAULT, *taken);
        // Taken once; another size limit or load flag was never asked for.
        EXPECT_FALSE(prefetch.TakeImage(file, TEXTURE_LOAD_DEFAULT, MAX_SIZE, MAX_BYTES)) << file;
    }
    EXPECT_FALSE(prefetch.TakeImage(broken, TEXTURE_LOAD_FORCE_SRGB, MAX_SIZE, MAX_BYTES));
    const std::unique_ptr<PrefetchedSound> sound = prefetch.TakeSound(noise);
    ASSERT_TRUE(sound);
    ExpectSameSound(noise, *sound);
    EXPECT_FALSE(sound->myLoaded);
    const std::unique_ptr<PrefetchedFont> font = prefetch.TakeFont(broken, 20, 0);
    ASSERT_TRUE(font);
    ExpectSameFont(broken, 20, 0, *font);

    // What nobody takes is let go.
    prefetch.PrefetchSound(noise);
    prefetch.DropUnclaimed();
    EXPECT_EQ(prefetch.GetWaitingCount(), 0u);
    EXPECT_FALSE(prefetch.TakeSound(noise));
    prefetch.WaitIdle();
}
