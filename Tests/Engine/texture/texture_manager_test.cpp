#include "TextureReadback.h"
#include "../loaders/TextureFixtures.h"
#include "GLTestContext.h"
#include "TestSupport.h"
#include "filewatcher/FileWatcher.h"
#include "settings/Settings.h"
#include "loaders/ImageDecode.h"
#include "texture/TextureManager.h"
#include "texture/TextureUpload.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>

using namespace Qel;
using QelTest::Bytes;
using QelTest::BuildDds;
using QelTest::BuildTga;
using QelTest::DdsHeader;

namespace
{
constexpr u32 GL_RGBA8_ = 0x8058;
constexpr u32 GL_SRGB8_ALPHA8_ = 0x8C43;
// 128 decoded from sRGB.
constexpr float DECODED_128 = 0.2158605f;
constexpr float RAW_128 = 128.0f / 255.0f;

Bytes Png(int aWidth, int aHeight, std::initializer_list<u8> aPixel)
{
    return QelTest::EncodePng(aWidth, aHeight, QelTest::RepeatPixel(size_t(aWidth) * size_t(aHeight), aPixel));
}

// A GL context, a temporary asset root and a fresh manager.
class TextureManagerTest : public QelTest::GLTest
{
protected:
    void SetUp() override
    {
        QelTest::GLTest::SetUp();
        mySavedGameRoot = Settings::GetGameAssetsPath();
        mySavedEngineRoot = Settings::GetEngineAssetsPath();
        mySavedExecutableFolder = Settings::GetExecutableFolder();
        Settings::GetGameAssetsPath() = myFolder.Path();
        Settings::GetEngineAssetsPath().clear();
        Settings::GetExecutableFolder().clear();
        myManager = std::make_unique<TextureManager>();
        myManager->Init();
    }
    void TearDown() override
    {
        myManager.reset();
        Settings::GetGameAssetsPath() = mySavedGameRoot;
        Settings::GetEngineAssetsPath() = mySavedEngineRoot;
        Settings::GetExecutableFolder() = mySavedExecutableFolder;
        QelTest::GLTest::TearDown();
    }
    std::string Write(const std::string& aName, const Bytes& aBytes)
    {
        return myFolder.Write(aName, QelTest::ToString(aBytes)).string();
    }
    static float Red(const Texture* aTexture) { return QelTest::SampleTexture(aTexture->GetShaderResourceView(), 0.5f, 0.5f)[0]; }

    QelTest::TempFolder myFolder;
    std::unique_ptr<TextureManager> myManager;
    std::filesystem::path mySavedGameRoot, mySavedEngineRoot, mySavedExecutableFolder;
};
}

TEST(TextureCacheKey, ModesAddTheirSuffix)
{
    struct Case
    {
        const char* path;
        u32 mode;
        const char* key;
    };
    const Case cases[] = {
        {"a.png", 0, "a.png"},   {"a.png", 1, "a.png#SRGB"}, {"a.png", 2, "a.png#NO_SRGB"},
        {"a.png", 3, "a.png"},   {"", 1, "#SRGB"},           {"", 0, ""},
        {"dir/b.dds", 2, "dir/b.dds#NO_SRGB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextureManager::MakeCacheKey(c.path, c.mode), c.key);
}

TEST(TextureManagerWithoutDevice, StillHandsOutTextures)
{
    TextureManager manager;
    manager.Init();
    ASSERT_NE(manager.GetWhiteSquare(), nullptr);
    EXPECT_EQ(manager.GetWhiteSquare()->GetName(), "WhiteSquare");
    Texture* texture = manager.GetTexture("anything.png");
    ASSERT_NE(texture, nullptr);
    EXPECT_TRUE(texture->IsFailed());
    EXPECT_EQ(manager.GetTexture(static_cast<const char*>(nullptr)), manager.GetTexture(""));
}

TEST_F(TextureManagerTest, EachModeIsItsOwnEntryLoadedOnce)
{
    const std::string resolved = Write("a.png", Png(2, 2, {128, 128, 128, 255}));
    Texture* srgb = myManager->GetTexture("a.png", 1);
    Texture* linear = myManager->GetTexture("a.png", 2);
    ASSERT_NE(srgb, linear);
    EXPECT_EQ(myManager->FindCached("a.png#SRGB"), srgb);
    EXPECT_EQ(myManager->FindCached("a.png#NO_SRGB"), linear);
    EXPECT_EQ(myManager->GetCacheSize(), 2u);
    EXPECT_EQ(srgb->GetShaderResourceView()->GetInternalFormat(), GL_SRGB8_ALPHA8_);
    EXPECT_EQ(linear->GetShaderResourceView()->GetInternalFormat(), GL_RGBA8_);
    EXPECT_EQ(srgb->GetName(), resolved);
    EXPECT_EQ(srgb->GetPath(), "a.png");
    EXPECT_EQ(srgb->GetColorMode(), 1u);
    EXPECT_FALSE(srgb->IsFailed());

    // Asking again returns the same objects and views: nothing is loaded twice.
    const ShaderResourceView view = srgb->GetShaderResourceView();
    EXPECT_EQ(myManager->GetTexture("a.png", 1), srgb);
    EXPECT_EQ(myManager->GetTexture("a.png", 2), linear);
    EXPECT_EQ(srgb->GetShaderResourceView(), view);
    EXPECT_EQ(myManager->GetCacheSize(), 2u);
}

TEST_F(TextureManagerTest, ColourModesDecideHowColoursAreSampled)
{
    Write("grey.png", Png(2, 2, {128, 128, 128, 255}));
    Write("tagged.png", QelTest::WithPngChunk(Png(2, 2, {128, 128, 128, 255}), "sRGB", {0}));
    Write("grey.dds", BuildDds({}, QelTest::RepeatPixel(16, {128, 128, 128, 255})));
    Write("grey.tga", BuildTga({}, QelTest::RepeatPixel(4, {128, 128, 128, 255})));
    struct Case
    {
        const char* path;
        u32 mode;
        float red;
    };
    const Case cases[] = {
        {"grey.png", 0, RAW_128},     {"grey.png", 1, DECODED_128},   {"grey.png", 2, RAW_128},
        {"tagged.png", 0, DECODED_128}, {"tagged.png", 2, RAW_128},   {"grey.dds", 0, RAW_128},
        {"grey.dds", 1, DECODED_128}, {"grey.tga", 0, DECODED_128},   {"grey.tga", 1, DECODED_128},
        {"grey.tga", 2, RAW_128},
    };
    for (const Case& c : cases)
    {
        Texture* texture = myManager->GetTexture(c.path, c.mode);
        ASSERT_FALSE(texture->IsFailed()) << c.path;
        EXPECT_NEAR(Red(texture), c.red, 1e-3f) << c.path << " mode " << c.mode;
    }
}

TEST_F(TextureManagerTest, MissingFilesGetTheCheckerboardPlaceholderSilently)
{
    testing::internal::CaptureStdout();
    Texture* missing = myManager->GetTexture("nope.png");
    Texture* empty = myManager->GetTexture("");
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "");

    for (Texture* texture : {missing, empty})
    {
        ASSERT_NE(texture, nullptr);
        EXPECT_TRUE(texture->IsFailed());
        EXPECT_EQ(texture->GetWidth(), 512u);
        EXPECT_EQ(texture->GetHeight(), 512u);
        EXPECT_EQ(texture->GetRelativeSize(), (std::pair<float, float>{0.3f, 0.3f}));
        EXPECT_EQ(texture->GetShaderResourceView(), myManager->GetCheckerboardView());
    }
    EXPECT_EQ(missing->GetName(), "nope.png");
    EXPECT_EQ(myManager->GetTexture("nope.png"), missing);
    EXPECT_EQ(myManager->FindCached(""), empty);
    EXPECT_EQ(myManager->TryLoadTexture("other.png"), nullptr);
    EXPECT_EQ(myManager->FindCached("other.png"), nullptr);
}

TEST_F(TextureManagerTest, BuiltInTexturesHoldTheirPixels)
{
    const std::vector<u8> checker = QelTest::ReadTextureRGBA8(myManager->GetCheckerboardView());
    ASSERT_EQ(checker.size(), 16u * 16u * 4u);
    for (u32 y = 0; y < 16; ++y)
        for (u32 x = 0; x < 16; ++x)
        {
            const u8* p = &checker[(y * 16 + x) * 4];
            const u8 expected = ((x + y) % 2) ? 255 : 0;
            ASSERT_EQ(p[0], expected) << x << "," << y;
            ASSERT_EQ(p[1], 0);
            ASSERT_EQ(p[2], expected);
            ASSERT_EQ(p[3], 255);
        }
    Texture* white = myManager->GetWhiteSquare();
    EXPECT_EQ(white->GetName(), "WhiteSquare");
    EXPECT_EQ(white->GetWidth(), 512u);
    EXPECT_EQ(white->GetRelativeSize(), (std::pair<float, float>{0.3f, 0.3f}));
    EXPECT_EQ(Texture::CalculateTextureSize(white->GetShaderResourceView()), (std::pair<u32, u32>{4, 4}));
    EXPECT_EQ(QelTest::ReadTextureRGBA8(white->GetShaderResourceView()), std::vector<u8>(64, 255));
    EXPECT_EQ(QelTest::ReadTextureRGBA8(myManager->GetFlatNormalView()), QelTest::RepeatPixel(16, {128, 128, 255, 255}));
}

TEST_F(TextureManagerTest, ForcedReloadSwapsTheViewWhileOldHoldersStayValid)
{
    const std::string path = Write("swap.png", Png(4, 4, {255, 0, 0, 255}));
    Texture* texture = myManager->GetTexture("swap.png", 2);
    const ShaderResourceView old = texture->GetShaderResourceView();
    EXPECT_NEAR(Red(texture), 1.0f, 1e-3f);

    Write("swap.png", Png(8, 2, {0, 0, 255, 255}));
    EXPECT_EQ(myManager->GetTexture("swap.png", 2, true), texture);
    EXPECT_NE(texture->GetShaderResourceView(), old);
    EXPECT_EQ(texture->GetWidth(), 8u);
    EXPECT_EQ(texture->GetHeight(), 2u);
    const auto sample = QelTest::SampleTexture(texture->GetShaderResourceView(), 0.5f, 0.5f);
    EXPECT_NEAR(sample[0], 0.0f, 1e-3f);
    EXPECT_NEAR(sample[2], 1.0f, 1e-3f);
    // A draw that captured the old view still samples the old image.
    EXPECT_NEAR(QelTest::SampleTexture(old, 0.5f, 0.5f)[0], 1.0f, 1e-3f);

    // A reload that fails keeps the texture as it was, and says which file failed.
    const ShaderResourceView good = texture->GetShaderResourceView();
    Write("swap.png", Bytes(100, 0x42));
    testing::internal::CaptureStdout();
    EXPECT_EQ(myManager->GetTexture("swap.png", 2, true), texture);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find(path), std::string::npos) << printed;
    EXPECT_EQ(texture->GetShaderResourceView(), good);
    EXPECT_FALSE(texture->IsFailed());
    EXPECT_EQ(texture->GetWidth(), 8u);
}

TEST_F(TextureManagerTest, AReloadThatSucceedsFillsThePlaceholder)
{
    Texture* placeholder = myManager->GetTexture("later.png");
    ASSERT_TRUE(placeholder->IsFailed());
    Write("later.png", Png(3, 5, {0, 255, 0, 255}));
    EXPECT_EQ(myManager->GetTexture("later.png", 0, true), placeholder);
    // Filled with the real image, it still says that its first load failed.
    EXPECT_TRUE(placeholder->IsFailed());
    EXPECT_EQ(placeholder->GetWidth(), 3u);
    EXPECT_EQ(placeholder->GetHeight(), 5u);
    EXPECT_NE(placeholder->GetShaderResourceView(), myManager->GetCheckerboardView());
    // Non-power-of-two images get a full mip chain: floor(log2(5)) + 1 levels.
    EXPECT_EQ(QelTest::GetTextureMaxLevel(placeholder->GetShaderResourceView()), 2u);
}

TEST_F(TextureManagerTest, ChangedFilesReloadThroughTheWatcher)
{
    FileWatcher watcher([] { return true; });
    myManager->SetFileWatcher(&watcher);
    const std::string path = Write("watched.png", Png(2, 2, {255, 0, 0, 255}));
    Texture* texture = myManager->GetTexture("watched.png", 2);
    const ShaderResourceView old = texture->GetShaderResourceView();

    Write("watched.png", Png(2, 2, {0, 255, 0, 255}));
    // Make sure the modification time moves even on a coarse file system clock.
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(2));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (texture->GetShaderResourceView() == old && std::chrono::steady_clock::now() < deadline)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        watcher.FlushChanges();
    }
    ASSERT_NE(texture->GetShaderResourceView(), old);
    EXPECT_EQ(myManager->FindCached("watched.png#NO_SRGB"), texture);
    const auto sample = QelTest::SampleTexture(texture->GetShaderResourceView(), 0.5f, 0.5f);
    EXPECT_NEAR(sample[1], 1.0f, 1e-3f);
    myManager.reset(); // the watcher outlives the manager here: its callback must do nothing
    watcher.FlushChanges();
}

TEST_F(TextureManagerTest, BadFilesLoadAsThePlaceholderWithAMessage)
{
    DdsHeader zero;
    zero.width = 0;
    DdsHeader oversized = DdsHeader::Dx10(28, 20000, 4);
    DdsHeader lyingMips;
    lyingMips.mipCount = 10;
    DdsHeader lyingSize;
    lyingSize.width = lyingSize.height = 64;
    DdsHeader hugeArray = DdsHeader::Dx10(28, 4, 4);
    hugeArray.arraySize = 0x7FFFFFFF;
    QelTest::TgaHeader tga24;
    tga24.bitsPerPixel = 24;
    QelTest::TgaHeader tgaHuge;
    tgaHuge.width = tgaHuge.height = 16384;
    Bytes pngGarbage = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    pngGarbage.insert(pngGarbage.end(), 300, 0x17);

    struct Case
    {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"truncated.dds", QelTest::Truncated(BuildDds(DdsHeader::Bc1(8, 8), QelTest::Filled(32)), 150)},
        {"zero.dds", BuildDds(zero, QelTest::Filled(64))},
        {"oversized.dds", BuildDds(oversized, QelTest::Filled(64))},
        {"lyingmips.dds", BuildDds(lyingMips, QelTest::Filled(64))},
        {"lyingsize.dds", BuildDds(lyingSize, QelTest::Filled(64))},
        {"hugearray.dds", BuildDds(hugeArray, QelTest::Filled(64))},
        {"empty.dds", {}},
        {"truncated.tga", QelTest::Truncated(BuildTga({}, QelTest::Filled(16)), 30)},
        {"rgb24.tga", BuildTga(tga24, QelTest::Filled(12))},
        {"huge.tga", BuildTga(tgaHuge, QelTest::Filled(64))},
        {"upper.TGA", BuildTga({}, QelTest::Filled(16))},
        {"garbage.png", pngGarbage},
        {"text.png", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string path = Write(c.name, c.bytes);
        testing::internal::CaptureStdout();
        Texture* texture = myManager->GetTexture(c.name);
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(texture->IsFailed());
        EXPECT_EQ(texture->GetShaderResourceView(), myManager->GetCheckerboardView());
        EXPECT_NE(printed.find(path), std::string::npos) << printed;
    }
}

TEST_F(TextureManagerTest, CheckedInBadFilesNeverCrash)
{
    const std::filesystem::path folder = QelTest::TestDataFolder() / "textures";
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    Settings::GetGameAssetsPath() = folder;
    size_t count = 0;
    testing::internal::CaptureStdout();
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        if (!entry.is_regular_file())
            continue;
        for (u32 mode = 0; mode < 3; ++mode)
        {
            Texture* texture = myManager->GetTexture(entry.path().filename().string(), mode);
            ASSERT_NE(texture, nullptr);
            EXPECT_TRUE(texture->GetShaderResourceView());
        }
        ++count;
    }
    testing::internal::GetCapturedStdout();
    EXPECT_GT(count, 0u);
}

TEST_F(TextureManagerTest, TargaAndDdsFilesLoadAndAreCached)
{
    Write("pixels.tga", BuildTga({}, QelTest::RepeatPixel(4, {0, 0, 255, 255})));
    // DDS is tried first whatever the name says.
    Write("really_dds.png", BuildDds(DdsHeader::Bc1(4, 4), QelTest::Bc1SolidBlock(0x07E0)));
    Texture* targa = myManager->GetTexture("pixels.tga");
    ASSERT_FALSE(targa->IsFailed());
    EXPECT_EQ(targa->GetWidth(), 2u);
    EXPECT_EQ(myManager->GetTexture("pixels.tga"), targa);
    EXPECT_NEAR(Red(targa), 1.0f, 1e-3f); // B, G, R, A in the file
    Texture* dds = myManager->GetTexture("really_dds.png");
    ASSERT_FALSE(dds->IsFailed());
    EXPECT_EQ(dds->GetShaderResourceView()->GetInternalFormat(), 0x83F1u);
    EXPECT_NEAR(QelTest::SampleTexture(dds->GetShaderResourceView(), 0.5f, 0.5f)[1], 1.0f, 1e-3f);
}

TEST_F(TextureManagerTest, RelativeSizeIsOverTheRenderHeight)
{
    // The headless back buffer is 180 pixels high.
    Write("wide.png", Png(90, 45, {1, 2, 3, 255}));
    Texture* texture = myManager->GetTexture("wide.png");
    EXPECT_EQ(texture->GetRelativeSize(), (std::pair<float, float>{0.5f, 0.25f}));
}

TEST_F(TextureManagerTest, ImageFormatsFollowTheDecoderTable)
{
    constexpr u32 GL_R8_ = 0x8229, GL_R16_ = 0x822A, GL_RGBA16_ = 0x805B;
    // 16-bit samples, big-endian: 0x8000 is one half.
    const Bytes halfRgba16 = QelTest::RepeatPixel(4, {0x80, 0x00, 0x80, 0x00, 0x80, 0x00, 0xFF, 0xFF});
    Write("grey8.png", QelTest::EncodeRawPng(2, 2, 8, 0, Bytes(4, 128)));
    Write("grey16.png", QelTest::EncodeRawPng(2, 2, 16, 0, QelTest::RepeatPixel(4, {0x80, 0x00})));
    Write("rgba16.png", QelTest::EncodeRawPng(2, 2, 16, 6, halfRgba16));
    Write("rgba16_srgb.png", QelTest::WithPngChunk(QelTest::EncodeRawPng(2, 2, 16, 6, halfRgba16), "sRGB", {0}));
    struct Case
    {
        const char* path;
        u32 mode;
        u32 format;
        std::array<float, 4> sample;
    };
    const float half = 32768.0f / 65535.0f;
    const Case cases[] = {
        // Grey is one linear channel, whatever the mode asks: Direct3D's R8 reads (g, 0, 0, 1).
        {"grey8.png", 0, GL_R8_, {RAW_128, 0, 0, 1}},
        {"grey8.png", 1, GL_R8_, {RAW_128, 0, 0, 1}},
        {"grey16.png", 0, GL_R16_, {half, 0, 0, 1}},
        // 16-bit stays 16-bit: there is no sRGB form of it to turn into.
        {"rgba16.png", 0, GL_RGBA16_, {half, half, half, 1}},
        {"rgba16.png", 1, GL_RGBA16_, {half, half, half, 1}},
        {"rgba16_srgb.png", 0, GL_RGBA16_, {half, half, half, 1}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.path) + " mode " + std::to_string(c.mode));
        Texture* texture = myManager->GetTexture(c.path, c.mode);
        ASSERT_FALSE(texture->IsFailed());
        EXPECT_EQ(texture->GetShaderResourceView()->GetInternalFormat(), c.format);
        const auto sample = QelTest::SampleTexture(texture->GetShaderResourceView(), 0.5f, 0.5f);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(sample[i], c.sample[i], 2e-3f) << "channel " << i;
    }
}

TEST_F(TextureManagerTest, ImagesOverTheLargestTextureAreScaledDownToFit)
{
    const u32 largest = impl::GetMaxTextureSize();
    ASSERT_GE(largest, 1024u);
    struct Case
    {
        u32 width, height;
    };
    // Wider than the largest texture, and past any fixed side limit: both load, fitted.
    for (const Case c : {Case{largest * 2, 4}, Case{70000, 2}})
    {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        const std::string name = "wide" + std::to_string(c.width) + ".png";
        Write(name, QelTest::EncodeRawPng(c.width, c.height, 8, 0, Bytes(size_t(c.width) * c.height, 200)));
        Texture* texture = myManager->GetTexture(name);
        ASSERT_FALSE(texture->IsFailed());
        const auto [width, height] = ComputeFittedSize(c.width, c.height, largest);
        EXPECT_EQ(texture->GetWidth(), width);
        EXPECT_EQ(texture->GetHeight(), height);
        EXPECT_EQ(texture->GetWidth(), largest);
        EXPECT_NEAR(Red(texture), 200.0f / 255.0f, 2e-3f);
    }
}

TEST_F(TextureManagerTest, RefusedFilesSayWhy)
{
    QelTest::TgaHeader rle;
    rle.imageType = 10;
    struct Case
    {
        const char* name;
        Bytes bytes;
        const char* cause;
    };
    const Case cases[] = {
        {"empty.png", {}, ": empty file"},
        {"empty.dds", {}, ": empty file"},
        {"wide.dds", BuildDds(DdsHeader::Dx10(28, 20000, 4), QelTest::Filled(64)),
         "DDS: 2D texture width 20000 is over the limit of 16384"},
        {"mips.dds",
         [] {
             DdsHeader header;
             header.mipCount = 16;
             return BuildDds(header, QelTest::Filled(64));
         }(),
         "DDS: mip level count 16 is over the limit of 15"},
        {"runs.tga", BuildTga(rle, {0x83, 1, 2, 3, 4}), "Targa: run-length coded Targa images are not supported"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string path = Write(c.name, c.bytes);
        testing::internal::CaptureStdout();
        Texture* texture = myManager->GetTexture(c.name);
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(texture->IsFailed());
        EXPECT_NE(printed.find(path + ": "), std::string::npos) << printed;
        EXPECT_NE(printed.find(c.cause), std::string::npos) << printed;
    }

    // A file over the size cap is refused before it is read (sparse: no disk is used).
    const std::string huge = Write("huge.dds", {});
    std::filesystem::resize_file(huge, (u64(2) << 30) + 1);
    testing::internal::CaptureStdout();
    Texture* texture = myManager->GetTexture("huge.dds");
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(texture->IsFailed());
    EXPECT_NE(printed.find("file too large (over the limit of 2048 MiB)"), std::string::npos) << printed;
}
