#include "TextureReadback.h"
#include "GLTestContext.h"
#include "TestSupport.h"
#include "TextureFixtures.h"
#include "graphics/ColorSpace.h"
#include "loaders/DDSTextureLoader.h"
#include "loaders/WICTextureLoader.h"
#include "texture/TextureUpload.h"

#include <gtest/gtest.h>

#include <array>

using namespace Qel;
using QelTest::Bytes;
using QelTest::BuildDds;
using QelTest::DdsHeader;

namespace
{
constexpr u32 GL_TEXTURE_2D_ = 0x0DE1;
constexpr u32 GL_TEXTURE_3D_ = 0x806F;
constexpr u32 GL_TEXTURE_1D_ = 0x0DE0;
constexpr u32 GL_TEXTURE_2D_ARRAY_ = 0x8C1A;
constexpr u32 GL_TEXTURE_CUBE_MAP_ = 0x8513;
constexpr u32 GL_TEXTURE_CUBE_MAP_ARRAY_ = 0x9009;
constexpr u32 GL_RGBA8_ = 0x8058;
constexpr u32 GL_SRGB8_ALPHA8_ = 0x8C43;
constexpr u32 GL_RGBA16_ = 0x805B;

using Rgba = std::array<u8, 4>;

Rgba RgbaAt(const std::vector<u8>& aPixels, size_t aIndex)
{
    return {aPixels[aIndex * 4], aPixels[aIndex * 4 + 1], aPixels[aIndex * 4 + 2], aPixels[aIndex * 4 + 3]};
}

void ExpectAll(const std::vector<u8>& aPixels, size_t aCount, Rgba aExpected)
{
    ASSERT_EQ(aPixels.size(), aCount * 4);
    for (size_t i = 0; i < aCount; ++i)
        ASSERT_EQ(RgbaAt(aPixels, i), aExpected) << "pixel " << i;
}

HRESULT Load(const Bytes& aFile, u32 aFlags, ShaderResourceView& aView)
{
    return CreateDDSTextureFromMemoryEx(aFile.data(), aFile.size(), 0, aFlags, &aView);
}
}

using DDSUploadTest = QelTest::GLTest;

TEST_F(DDSUploadTest, Bc1StaysCompressedAndDecodesToItsColour)
{
    struct Case
    {
        u32 flags;
        u32 internalFormat;
    };
    for (const Case c : {Case{0, 0x83F1}, Case{1, 0x8C4D}})
    {
        ShaderResourceView view;
        ASSERT_EQ(Load(BuildDds(DdsHeader::Bc1(4, 4), QelTest::Bc1SolidBlock(0xF800)), c.flags, view), S_OK);
        EXPECT_EQ(view->GetTarget(), GL_TEXTURE_2D_);
        EXPECT_EQ(view->GetInternalFormat(), c.internalFormat);
        EXPECT_EQ(Texture::CalculateTextureSize(view), (std::pair<u32, u32>{4, 4}));
        ExpectAll(QelTest::ReadTextureRGBA8(view), 16, {255, 0, 0, 255});
    }
}

TEST_F(DDSUploadTest, Bc1MipChainKeepsEachLevel)
{
    DdsHeader header = DdsHeader::Bc1(8, 8);
    header.mipCount = 4;
    Bytes data;
    const u16 colours[] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    for (int block = 0; block < 4; ++block) // level 0 has four blocks
        for (u8 b : QelTest::Bc1SolidBlock(colours[0]))
            data.push_back(b);
    for (int level = 1; level < 4; ++level)
        for (u8 b : QelTest::Bc1SolidBlock(colours[level]))
            data.push_back(b);
    ShaderResourceView view;
    ASSERT_EQ(Load(BuildDds(header, data), 0, view), S_OK);
    EXPECT_EQ(view->GetLevels(), 4u);
    EXPECT_EQ(QelTest::GetTextureMaxLevel(view), 3u);
    ExpectAll(QelTest::ReadTextureRGBA8(view, 0), 64, {255, 0, 0, 255});
    ExpectAll(QelTest::ReadTextureRGBA8(view, 1), 16, {0, 255, 0, 255});
    ExpectAll(QelTest::ReadTextureRGBA8(view, 2), 4, {0, 0, 255, 255});
    ExpectAll(QelTest::ReadTextureRGBA8(view, 3), 1, {255, 255, 255, 255});
}

TEST_F(DDSUploadTest, CubeFacesLandOnTheirTargets)
{
    // Faces +X, -X, +Y, -Y, +Z, -Z, each with two levels of its own colour.
    const Rgba faces[6] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255},
                            {255, 255, 0, 255}, {0, 255, 255, 255}, {255, 0, 255, 255}};
    DdsHeader header;
    header.caps2 = 0xFE00;
    header.mipCount = 2;
    Bytes data;
    for (const Rgba& face : faces)
    {
        const Bytes level0 = QelTest::RepeatPixel(16, {face[0], face[1], face[2], face[3]});
        const Bytes level1 = QelTest::RepeatPixel(4, {u8(face[0] / 2), u8(face[1] / 2), u8(face[2] / 2), face[3]});
        data.insert(data.end(), level0.begin(), level0.end());
        data.insert(data.end(), level1.begin(), level1.end());
    }
    ShaderResourceView view;
    ASSERT_EQ(Load(BuildDds(header, data), 0, view), S_OK);
    EXPECT_EQ(view->GetTarget(), GL_TEXTURE_CUBE_MAP_);
    EXPECT_EQ(view->GetLevels(), 2u);
    for (u32 face = 0; face < 6; ++face)
    {
        SCOPED_TRACE(face);
        ExpectAll(QelTest::ReadTextureRGBA8(view, 0, face), 16, faces[face]);
        const Rgba half = {u8(faces[face][0] / 2), u8(faces[face][1] / 2), u8(faces[face][2] / 2), 255};
        ExpectAll(QelTest::ReadTextureRGBA8(view, 1, face), 4, half);
    }
}

TEST_F(DDSUploadTest, DimensionsAndArraysPickTheirTargets)
{
    struct Case
    {
        const char* name;
        DdsHeader header;
        size_t bytes;
        u32 target;
        u32 depth;
    };
    DdsHeader array = DdsHeader::Dx10(28, 4, 4);
    array.arraySize = 3;
    DdsHeader volume = DdsHeader::Dx10(28, 4, 4);
    volume.dimension = 4;
    volume.depth = 2;
    volume.flags |= 0x800000;
    DdsHeader line = DdsHeader::Dx10(28, 8, 1);
    line.dimension = 2;
    DdsHeader cubeArray = DdsHeader::Dx10(28, 4, 4);
    cubeArray.misc = 0x4;
    cubeArray.arraySize = 2;
    DdsHeader bc3Array = DdsHeader::Dx10(77, 8, 8);
    bc3Array.arraySize = 2;
    const Case cases[] = {
        {"2D array", array, 64 * 3, GL_TEXTURE_2D_ARRAY_, 3},
        {"volume", volume, 128, GL_TEXTURE_3D_, 2},
        {"1D", line, 32, GL_TEXTURE_1D_, 1},
        {"cube array", cubeArray, 64 * 12, GL_TEXTURE_CUBE_MAP_ARRAY_, 12},
        {"compressed array", bc3Array, 64 * 2, GL_TEXTURE_2D_ARRAY_, 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ShaderResourceView view;
        ASSERT_EQ(Load(BuildDds(c.header, QelTest::Filled(c.bytes)), 0, view), S_OK);
        EXPECT_EQ(view->GetTarget(), c.target);
        EXPECT_EQ(view->GetDepth(), c.depth);
    }
}

TEST_F(DDSUploadTest, FormatsReadBackAsTheyWereStored)
{
    struct Case
    {
        const char* name;
        DdsHeader header;
        Bytes pixel;
        u32 flags;
        u32 internalFormat;
        Rgba expected;
    };
    DdsHeader bgra;
    bgra.masks[0] = 0xff0000;
    bgra.masks[2] = 0xff;
    DdsHeader rgb565;
    rgb565.bitCount = 16;
    rgb565.pfFlags = 0x40;
    rgb565.masks[0] = 0xf800;
    rgb565.masks[1] = 0x7e0;
    rgb565.masks[2] = 0x1f;
    rgb565.masks[3] = 0;
    const Case cases[] = {
        {"RGBA8", {}, {10, 20, 30, 40}, 0, GL_RGBA8_, {10, 20, 30, 40}},
        {"RGBA8 forced sRGB", {}, {10, 20, 30, 40}, 1, GL_SRGB8_ALPHA8_, {10, 20, 30, 40}},
        {"BGRA8", bgra, {1, 2, 3, 4}, 0, GL_RGBA8_, {3, 2, 1, 4}},
        {"BGRA8 forced sRGB", bgra, {1, 2, 3, 4}, 1, GL_SRGB8_ALPHA8_, {3, 2, 1, 4}},
        {"B5G6R5 red", rgb565, {0x00, 0xF8}, 0, 0x8D62, {255, 0, 0, 255}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Bytes data;
        for (int i = 0; i < 16; ++i)
            data.insert(data.end(), c.pixel.begin(), c.pixel.end());
        ShaderResourceView view;
        ASSERT_EQ(Load(BuildDds(c.header, data), c.flags, view), S_OK);
        EXPECT_EQ(view->GetInternalFormat(), c.internalFormat);
        ExpectAll(QelTest::ReadTextureRGBA8(view), 16, c.expected);
    }
}

TEST_F(DDSUploadTest, Bc7AndBc6hAreAccepted)
{
    struct Case
    {
        u32 format;
        u32 flags;
        u32 internalFormat;
    };
    for (const Case c : {Case{98, 0, 0x8E8C}, Case{98, 1, 0x8E8D}, Case{99, 2, 0x8E8D}, Case{95, 0, 0x8E8F}})
    {
        ShaderResourceView view;
        ASSERT_EQ(Load(BuildDds(DdsHeader::Dx10(c.format, 4, 4), QelTest::Filled(16, 0)), c.flags, view), S_OK)
            << c.format;
        EXPECT_EQ(view->GetInternalFormat(), c.internalFormat);
    }
}

TEST_F(DDSUploadTest, RefusedFilesLeaveNoView)
{
    QelTest::TempFolder folder;
    const auto shortFile = folder.Write("short.dds", std::string(127, 'x'));
    struct Case
    {
        const char* name;
        std::filesystem::path file;
        HRESULT expected;
    };
    const std::filesystem::path uintFile =
        folder.Write("uint.dds", QelTest::ToString(BuildDds(DdsHeader::Dx10(30, 4, 4), QelTest::Filled(64))));
    const std::filesystem::path typelessFile =
        folder.Write("typeless.dds", QelTest::ToString(BuildDds(DdsHeader::Dx10(27, 4, 4), QelTest::Filled(64))));
    const Case cases[] = {
        {"127 bytes", shortFile, E_FAIL},
        {"missing", folder.Path() / "missing.dds", HResultFromWin32(ERROR_FILE_NOT_FOUND)},
        {"integer format", uintFile, HResultFromWin32(ERROR_NOT_SUPPORTED)},
        {"typeless format", typelessFile, E_INVALIDARG},
        {"no file name", std::filesystem::path(), E_INVALIDARG},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ShaderResourceView view = std::make_shared<const impl::GLTexture>(0, GL_TEXTURE_2D_, 1, 1, 1, 1, 0);
        EXPECT_EQ(CreateDDSTextureFromFileEx(c.file, 0, 0, &view), c.expected);
        EXPECT_EQ(view, nullptr);
    }
    EXPECT_EQ(CreateDDSTextureFromFileEx(shortFile, 0, 0, nullptr), E_INVALIDARG);
}

TEST_F(DDSUploadTest, ImagesGetTheirColourSpaceAndMipChain)
{
    const Bytes png = QelTest::EncodePng(3, 5, QelTest::RepeatPixel(15, {200, 100, 50, 255}));
    struct Case
    {
        Bytes file;
        u32 flags;
        u32 internalFormat;
    };
    const Case cases[] = {
        {png, 0, GL_RGBA8_},
        {png, 1, GL_SRGB8_ALPHA8_},
        {QelTest::WithPngChunk(png, "sRGB", {0}), 0, GL_SRGB8_ALPHA8_},
        {QelTest::WithPngChunk(png, "sRGB", {0}), 2, GL_RGBA8_},
    };
    for (const Case& c : cases)
    {
        ShaderResourceView view;
        ASSERT_EQ(CreateWICTextureFromMemoryEx(c.file.data(), c.file.size(), 16384, c.flags, true, &view), S_OK);
        EXPECT_EQ(view->GetInternalFormat(), c.internalFormat);
        EXPECT_EQ(Texture::CalculateTextureSize(view), (std::pair<u32, u32>{3, 5}));
        // floor(log2(5)) + 1 levels.
        EXPECT_EQ(QelTest::GetTextureMaxLevel(view), 2u);
        ExpectAll(QelTest::ReadTextureRGBA8(view), 15, {200, 100, 50, 255});
    }
    ShaderResourceView single;
    ASSERT_EQ(CreateWICTextureFromMemoryEx(png.data(), png.size(), 16384, 0, false, &single), S_OK);
    EXPECT_EQ(QelTest::GetTextureMaxLevel(single), 0u);
}

TEST_F(DDSUploadTest, RgbaTexturesCanBeRewritten)
{
    const Bytes red = QelTest::RepeatPixel(6, {255, 0, 0, 255});
    std::unique_ptr<Texture> texture = Texture::CreateFromRGBA(3, 2, red.data());
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->GetWidth(), 3u);
    EXPECT_EQ(texture->GetShaderResourceView()->GetInternalFormat(), GL_SRGB8_ALPHA8_);
    EXPECT_NE(texture->GetGLName(), 0u);

    // Rows of 4 pixels of which the texture takes the first 3.
    Bytes padded = QelTest::RepeatPixel(8, {0, 0, 255, 255});
    padded[12] = 99; // the fourth pixel of row 0 is padding
    ASSERT_TRUE(texture->UpdateRGBA(padded.data(), 16));
    ExpectAll(QelTest::ReadTextureRGBA8(texture->GetShaderResourceView()), 6, {0, 0, 255, 255});

    EXPECT_FALSE(texture->UpdateRGBA(nullptr));
    EXPECT_FALSE(texture->UpdateRGBA(padded.data(), 8));

    // A region rewrites only its own pixels: the top-left 2 x 1 turns green, the rest stays blue.
    const Bytes green = QelTest::RepeatPixel(2, {0, 255, 0, 255});
    ASSERT_TRUE(texture->UpdateRGBA(green.data(), 0, 2, 1));
    const std::vector<u8> after = QelTest::ReadTextureRGBA8(texture->GetShaderResourceView());
    ASSERT_EQ(after.size(), 6u * 4u);
    for (size_t i = 0; i < 6; ++i)
    {
        const bool inRegion = i < 2;
        EXPECT_EQ(after[i * 4 + 1], inRegion ? 255 : 0) << i;
        EXPECT_EQ(after[i * 4 + 2], inRegion ? 0 : 255) << i;
    }
    EXPECT_FALSE(texture->UpdateRGBA(green.data(), 0, 4, 1));   // wider than the texture
    EXPECT_FALSE(texture->UpdateRGBA(green.data(), 0, 0, 1));
    EXPECT_EQ(Texture::CreateFromRGBA(0, 2, red.data()), nullptr);
    EXPECT_EQ(Texture::CreateFromRGBA(3, 2, nullptr), nullptr);
    EXPECT_EQ(Texture::CreateFromRGBA(1u << 20, 1, red.data()), nullptr);
}

TEST_F(DDSUploadTest, SampledTexturesShowTheirTexels)
{
    // Swizzles only show when sampling: X8 reads alpha 1, A8 puts its data in alpha.
    DdsHeader bgrx;
    bgrx.masks[0] = 0xff0000;
    bgrx.masks[2] = 0xff;
    bgrx.masks[3] = 0;
    DdsHeader alpha;
    alpha.pfFlags = 0x2;
    alpha.bitCount = 8;
    ShaderResourceView view;
    ASSERT_EQ(Load(BuildDds(bgrx, QelTest::RepeatPixel(16, {0, 0, 255, 7})), 0, view), S_OK);
    auto sample = QelTest::SampleTexture(view, 0.5f, 0.5f);
    EXPECT_NEAR(sample[0], 1.0f, 1e-3f);
    EXPECT_NEAR(sample[3], 1.0f, 1e-3f);
    ASSERT_EQ(Load(BuildDds(alpha, QelTest::Filled(16, 51)), 0, view), S_OK);
    sample = QelTest::SampleTexture(view, 0.5f, 0.5f);
    EXPECT_NEAR(sample[0], 0.0f, 1e-3f);
    EXPECT_NEAR(sample[3], 0.2f, 1e-3f);

    // A BC1 sRGB texture decodes to linear when sampled.
    ASSERT_EQ(Load(BuildDds(DdsHeader::Bc1(4, 4), QelTest::Bc1SolidBlock(0x8410)), 1, view), S_OK);
    const float stored = QelTest::ReadTextureRGBA8(view)[0] / 255.0f;
    const float expected = SrgbToLinear(stored);
    EXPECT_NEAR(QelTest::SampleTexture(view, 0.5f, 0.5f)[0], expected, 2e-3f);
}

TEST_F(DDSUploadTest, CubeMapsSampleTheFaceADirectionPoints)
{
    const u8 faces[6][4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255},
                            {255, 255, 0, 255}, {0, 255, 255, 255}, {255, 0, 255, 255}};
    DdsHeader header;
    header.caps2 = 0xFE00;
    Bytes data;
    for (const auto& face : faces)
    {
        const Bytes pixels = QelTest::RepeatPixel(16, {face[0], face[1], face[2], face[3]});
        data.insert(data.end(), pixels.begin(), pixels.end());
    }
    ShaderResourceView view;
    ASSERT_EQ(Load(BuildDds(header, data), 0, view), S_OK);
    const float directions[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int face = 0; face < 6; ++face)
    {
        const auto sample = QelTest::SampleTexture(view, directions[face][0], directions[face][1], directions[face][2]);
        for (int channel = 0; channel < 4; ++channel)
            EXPECT_NEAR(sample[channel], faces[face][channel] / 255.0f, 1e-3f) << "face " << face;
    }
}
