#include "TestSupport.h"
#include "TextureFixtures.h"
#include "loaders/tgaloader.h"

#include <gtest/gtest.h>

using namespace Qel;
using QelTest::Bytes;
using QelTest::BuildTga;
using QelTest::TgaHeader;

namespace
{
// Four B, G, R, A pixels of a 2 x 2 image, in file order.
const Bytes FOUR_PIXELS = {
    1, 2, 3, 4,     5, 6, 7, 8,      // first row stored
    9, 10, 11, 12,  13, 14, 15, 16,  // second row stored
};
}

TEST(Targa, BottomUpRowsAreFlippedAndChannelsSwapped)
{
    std::string error;
    const Bytes file = BuildTga({}, FOUR_PIXELS);
    const auto image = ParseTargaImage(file.data(), file.size(), &error);
    ASSERT_TRUE(image) << error;
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(image->bitsPerPixel, 32u);
    // The last row stored is the top row; B and R trade places.
    const Bytes expected = {11, 10, 9, 12, 15, 14, 13, 16, 3, 2, 1, 4, 7, 6, 5, 8};
    EXPECT_EQ(image->pixels, expected);
}

TEST(Targa, HeaderFieldsChangeWhereAndHowPixelsAreRead)
{
    struct Case
    {
        const char* name;
        TgaHeader header;
        Bytes body;
        Bytes expected;
    };
    TgaHeader topDown;
    topDown.descriptor = 8 | 0x20;
    TgaHeader withId;
    withId.idLength = 3;
    TgaHeader withColorMap;
    withColorMap.colorMapType = 1;
    withColorMap.colorMapLength = 2;
    withColorMap.colorMapBits = 24;
    TgaHeader rightToLeft;
    rightToLeft.descriptor = 8 | 0x20 | 0x10;
    Bytes idBody = {0xAA, 0xBB, 0xCC};
    idBody.insert(idBody.end(), FOUR_PIXELS.begin(), FOUR_PIXELS.end());
    Bytes mapBody(6, 0xEE);
    mapBody.insert(mapBody.end(), FOUR_PIXELS.begin(), FOUR_PIXELS.end());

    const Bytes flipped = {11, 10, 9, 12, 15, 14, 13, 16, 3, 2, 1, 4, 7, 6, 5, 8};
    const Bytes straight = {3, 2, 1, 4, 7, 6, 5, 8, 11, 10, 9, 12, 15, 14, 13, 16};
    const Case cases[] = {
        {"top-left origin is not flipped", topDown, FOUR_PIXELS, straight},
        {"image ID is skipped", withId, idBody, flipped},
        {"colour map is skipped", withColorMap, mapBody, flipped},
        {"right-to-left rows are mirrored", rightToLeft, FOUR_PIXELS, {7, 6, 5, 8, 3, 2, 1, 4, 15, 14, 13, 16, 11, 10, 9, 12}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Bytes file = BuildTga(c.header, c.body);
        std::string error;
        const auto image = ParseTargaImage(file.data(), file.size(), &error);
        ASSERT_TRUE(image) << error;
        EXPECT_EQ(image->pixels, c.expected);
    }
}

TEST(Targa, BadFilesGiveNoImage)
{
    struct Case
    {
        const char* name;
        Bytes file;
    };
    TgaHeader rgb24;
    rgb24.bitsPerPixel = 24;
    TgaHeader zeroWidth;
    zeroWidth.width = 0;
    TgaHeader huge;
    huge.width = 20000;
    huge.height = 20000;
    TgaHeader colorMapped;
    colorMapped.imageType = 1;
    TgaHeader grey;
    grey.imageType = 3;
    TgaHeader badMapType;
    badMapType.colorMapType = 7;
    TgaHeader longId;
    longId.idLength = 255;
    TgaHeader rle;
    rle.imageType = 10;
    TgaHeader wide;
    wide.width = 16385;
    wide.height = 1;

    const Bytes truncated(FOUR_PIXELS.begin(), FOUR_PIXELS.end() - 1);
    const Case cases[] = {
        {"24 bits per pixel", BuildTga(rgb24, Bytes(12, 0))},
        {"zero width", BuildTga(zeroWidth, FOUR_PIXELS)},
        {"over the size limit", BuildTga(huge, FOUR_PIXELS)},
        {"wider than a texture", BuildTga(wide, Bytes(16385 * 4, 0))},
        {"colour-mapped image", BuildTga(colorMapped, FOUR_PIXELS)},
        {"greyscale image", BuildTga(grey, FOUR_PIXELS)},
        {"unknown colour-map type", BuildTga(badMapType, FOUR_PIXELS)},
        {"pixels cut short", BuildTga({}, truncated)},
        {"ID field past the end", BuildTga(longId, FOUR_PIXELS)},
        {"run-length data cut short", BuildTga(rle, {0x83, 1, 2, 3})},
        {"raw packet past the end", BuildTga(rle, {0x03, 1, 2, 3, 4})},
        // Run-length files are refused whole, even well-formed ones and ones whose run goes past
        // the image (which once counted as a success).
        {"run-length data", BuildTga(rle, {0x82, 1, 2, 3, 4, 0x00, 9, 10, 11, 12})},
        {"run past the image", BuildTga(rle, {0xFF, 1, 2, 3, 4})},
        {"header only", QelTest::Truncated(BuildTga({}, {}), 17)},
        {"empty", Bytes()},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string error;
        EXPECT_EQ(ParseTargaImage(c.file.data(), c.file.size(), &error), nullptr);
        EXPECT_FALSE(error.empty());
    }
}

TEST(Targa, FilesAreReadWholeAndMissingOnesFail)
{
    QelTest::TempFolder folder;
    const auto path = folder.Write("a.tga", QelTest::ToString(BuildTga({}, FOUR_PIXELS)));
    const auto image = LoadTargaImage(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels.size(), 16u);

    std::string error;
    EXPECT_EQ(LoadTargaImage(folder.Path() / "gone.tga", &error), nullptr);
    EXPECT_EQ(error, "file not found");
}

TEST(Targa, CheckedInFuzzInputsGiveWholeImagesOrNone)
{
    const std::filesystem::path folder = QelTest::TestDataFolder() / "textures";
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        if (entry.path().extension() != ".tga")
            continue;
        std::string error;
        if (const auto image = LoadTargaImage(entry.path(), &error))
            EXPECT_EQ(image->pixels.size(), size_t(image->width) * image->height * 4) << entry.path();
        else
            EXPECT_FALSE(error.empty()) << entry.path();
        ++count;
    }
    EXPECT_GT(count, 0u);
}
