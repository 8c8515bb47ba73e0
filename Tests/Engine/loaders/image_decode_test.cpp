#include "TextureFixtures.h"
#include "loaders/ImageDecode.h"
#include "loaders/LoadFlags.h"

#include <gtest/gtest.h>

using namespace Qel;
using QelTest::Bytes;

namespace
{
Bytes SolidRgba(int aWidth, int aHeight, Bytes aPixel)
{
    Bytes bytes;
    for (int i = 0; i < aWidth * aHeight; ++i)
        bytes.insert(bytes.end(), aPixel.begin(), aPixel.end());
    return bytes;
}
}

TEST(ImageDecode, ContainersAreKnownBySignatureOnly)
{
    const Bytes png = QelTest::EncodePng(1, 1, {1, 2, 3, 4});
    struct Case
    {
        Bytes data;
        ImageContainer expected;
    };
    const Case cases[] = {
        {png, ImageContainer::Png},
        {{0xFF, 0xD8, 0xFF, 0xE0}, ImageContainer::Jpeg},
        {{'B', 'M', 0, 0}, ImageContainer::Bmp},
        {{'G', 'I', 'F', '8', '9', 'a'}, ImageContainer::Gif},
        {{'G', 'I', 'F', '8', '8', 'a'}, ImageContainer::Unknown},
        {QelTest::BuildTga({}, Bytes(16, 0)), ImageContainer::Unknown},
        {{'D', 'D', 'S', ' '}, ImageContainer::Unknown},
        {{0x89, 'P', 'N', 'G'}, ImageContainer::Unknown},
        {{}, ImageContainer::Unknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetectImageContainer(c.data.data(), c.data.size()), c.expected);
}

TEST(ImageDecode, FittedSizeKeepsTheAspectRatio)
{
    struct Case
    {
        u32 width, height, maxSize, fitWidth, fitHeight;
    };
    const Case cases[] = {
        {32768, 16384, 16384, 16384, 8192}, {100, 50, 16384, 100, 50}, {130, 65, 64, 64, 32},
        {65, 130, 64, 32, 64},              {1, 40000, 16384, 1, 16384}, {40000, 1, 16384, 16384, 1},
        {64, 64, 64, 64, 64},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ComputeFittedSize(c.width, c.height, c.maxSize), (std::pair<u32, u32>{c.fitWidth, c.fitHeight}))
            << c.width << "x" << c.height << " max " << c.maxSize;
}

TEST(ImageDecode, PngColourSpaceComesFromItsChunks)
{
    const Bytes png = QelTest::EncodePng(2, 2, SolidRgba(2, 2, {200, 100, 50, 255}));
    struct Case
    {
        const char* name;
        Bytes file;
        bool srgb;
    };
    const Case cases[] = {
        {"sRGB chunk", QelTest::WithPngChunk(png, "sRGB", {0}), true},
        {"gAMA of 1/2.2", QelTest::WithPngChunk(png, "gAMA", QelTest::BigEndian32(45455)), true},
        {"gAMA of 1", QelTest::WithPngChunk(png, "gAMA", QelTest::BigEndian32(100000)), false},
        {"sRGB chunk wins over gAMA",
         QelTest::WithPngChunk(QelTest::WithPngChunk(png, "sRGB", {0}), "gAMA", QelTest::BigEndian32(100000)), true},
        {"neither", png, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsImageMetadataSrgb(ImageContainer::Png, c.file.data(), c.file.size()), c.srgb);
        DecodedImage image;
        ASSERT_EQ(DecodeImage(c.file.data(), c.file.size(), 16384, TEXTURE_LOAD_DEFAULT, image), S_OK);
        EXPECT_EQ(image.srgb, c.srgb);
        EXPECT_EQ(image.pixels[0], 200);
        // Forcing and ignoring override whatever the file says.
        ASSERT_EQ(DecodeImage(c.file.data(), c.file.size(), 16384, TEXTURE_LOAD_FORCE_SRGB, image), S_OK);
        EXPECT_TRUE(image.srgb);
        ASSERT_EQ(DecodeImage(c.file.data(), c.file.size(), 16384, TEXTURE_LOAD_IGNORE_SRGB, image), S_OK);
        EXPECT_FALSE(image.srgb);
    }
}

TEST(ImageDecode, JpegColourSpaceComesFromExif)
{
    const Bytes jpeg = QelTest::EncodeJpeg(8, 8, Bytes(8 * 8 * 3, 128));
    const Bytes srgb = QelTest::WithExifColorSpace(jpeg, 1);
    const Bytes uncalibrated = QelTest::WithExifColorSpace(jpeg, 0xFFFF);
    EXPECT_TRUE(IsImageMetadataSrgb(ImageContainer::Jpeg, srgb.data(), srgb.size()));
    EXPECT_FALSE(IsImageMetadataSrgb(ImageContainer::Jpeg, uncalibrated.data(), uncalibrated.size()));
    EXPECT_FALSE(IsImageMetadataSrgb(ImageContainer::Jpeg, jpeg.data(), jpeg.size()));
    DecodedImage image;
    ASSERT_EQ(DecodeImage(srgb.data(), srgb.size(), 16384, TEXTURE_LOAD_DEFAULT, image), S_OK);
    EXPECT_TRUE(image.srgb);
    EXPECT_EQ(image.width, 8u);
    EXPECT_NEAR(image.pixels[0], 128, 3);
    EXPECT_EQ(image.pixels[3], 255);

    // An EXIF segment whose offsets point past its end reads as no colour space.
    Bytes broken = srgb;
    broken[2 + 4 + 6 + 4] = 0xF0; // IFD0 offset far outside the segment
    EXPECT_FALSE(IsImageMetadataSrgb(ImageContainer::Jpeg, broken.data(), broken.size()));
}

TEST(ImageDecode, LargeImagesAreScaledToTheMaximum)
{
    const Bytes png = QelTest::EncodePng(130, 65, SolidRgba(130, 65, {10, 20, 30, 255}));
    DecodedImage image;
    ASSERT_EQ(DecodeImage(png.data(), png.size(), 64, TEXTURE_LOAD_DEFAULT, image), S_OK);
    EXPECT_EQ(image.width, 64u);
    EXPECT_EQ(image.height, 32u);
    ASSERT_EQ(image.pixels.size(), 64u * 32u * 4u);
    EXPECT_EQ(image.pixels[0], 10);
    EXPECT_EQ(image.pixels[4 * 64 * 32 - 2], 30);
}

TEST(ImageDecode, FilesThatAreNotImagesOrAreBrokenAreRefused)
{
    // IHDR that claims 100000 x 100000 pixels, in an otherwise tiny file (the PNG reader's own
    // limit refuses it).
    Bytes bomb = QelTest::EncodePng(1, 1, {1, 2, 3, 4});
    const Bytes side = QelTest::BigEndian32(100000);
    std::copy(side.begin(), side.end(), bomb.begin() + 16);
    std::copy(side.begin(), side.end(), bomb.begin() + 20);
    // A JPEG whose frame header claims 60000 x 60000: refused before any pixel is decoded.
    Bytes jpegBomb = QelTest::EncodeJpeg(8, 8, Bytes(8 * 8 * 3, 128));
    for (size_t i = 2; i + 8 < jpegBomb.size(); ++i)
        if (jpegBomb[i] == 0xFF && jpegBomb[i + 1] == 0xC0)
        {
            jpegBomb[i + 5] = jpegBomb[i + 7] = 0xEA;
            jpegBomb[i + 6] = jpegBomb[i + 8] = 0x60;
            break;
        }
    Bytes garbagePng = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    garbagePng.insert(garbagePng.end(), 200, 0x42);
    const Bytes truncatedPng = QelTest::Truncated(QelTest::EncodePng(16, 16, Bytes(16 * 16 * 4, 7)), 40);
    struct Case
    {
        const char* name;
        Bytes file;
        HRESULT expected;
    };
    const Case cases[] = {
        {"Targa", QelTest::BuildTga({}, Bytes(16, 0)), HResultFromWin32(ERROR_NOT_SUPPORTED)},
        {"text", {'h', 'e', 'l', 'l', 'o'}, HResultFromWin32(ERROR_NOT_SUPPORTED)},
        {"garbage after a PNG signature", garbagePng, E_FAIL},
        {"truncated PNG", truncatedPng, E_FAIL},
        {"PNG claiming a huge size", bomb, E_FAIL},
        {"JPEG claiming a huge size", jpegBomb, E_OUTOFMEMORY},
        {"JPEG signature only", {0xFF, 0xD8, 0xFF}, E_FAIL},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        DecodedImage image;
        EXPECT_EQ(DecodeImage(c.file.data(), c.file.size(), 16384, TEXTURE_LOAD_DEFAULT, image), c.expected);
        EXPECT_TRUE(image.pixels.empty());
    }
}
