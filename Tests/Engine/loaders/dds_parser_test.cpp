#include "TextureFixtures.h"
#include "loaders/DDSParser.h"
#include "loaders/GLFormat.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

using namespace Qel;
using QelTest::Bytes;
using QelTest::BuildDds;
using QelTest::DdsHeader;
using QelTest::Filled;

namespace
{
constexpr HRESULT NOT_SUPPORTED = HResultFromWin32(ERROR_NOT_SUPPORTED);
constexpr HRESULT INVALID_DATA = HResultFromWin32(ERROR_INVALID_DATA);
constexpr HRESULT HANDLE_EOF = HResultFromWin32(ERROR_HANDLE_EOF);

struct ParseCase
{
    const char* name;
    std::function<Bytes()> file;
    u32 loadFlags;
    HRESULT expected;
    DXGI_FORMAT format; // checked on success
};

DdsHeader With(DdsHeader aHeader, const std::function<void(DdsHeader&)>& aChange)
{
    aChange(aHeader);
    return aHeader;
}
}

TEST(DDSParser, HeadersAreCheckedAgainstTheFile)
{
    const Bytes rgba4x4 = Filled(64);
    const ParseCase cases[] = {
        {"127 bytes", [] { return Filled(127); }, 0, E_FAIL, DXGI_FORMAT_UNKNOWN},
        {"127 bytes with magic", [] { return QelTest::Truncated(BuildDds({}, {}), 127); }, 0,
         E_FAIL, DXGI_FORMAT_UNKNOWN},
        {"DX10 in 140 bytes",
         [] {
             Bytes b = BuildDds(DdsHeader::Dx10(28, 4, 4), {});
             b.resize(140);
             return b;
         },
         0, E_FAIL, DXGI_FORMAT_UNKNOWN},
        {"wrong magic", [&] { return BuildDds(With({}, [](DdsHeader& h) { h.magic = 0x20534445; }), rgba4x4); }, 0,
         E_FAIL, DXGI_FORMAT_UNKNOWN},
        {"header size 123", [&] { return BuildDds(With({}, [](DdsHeader& h) { h.size = 123; }), rgba4x4); }, 0,
         E_FAIL, DXGI_FORMAT_UNKNOWN},
        {"pixel format size 0", [&] { return BuildDds(With({}, [](DdsHeader& h) { h.pfSize = 0; }), rgba4x4); }, 0,
         E_FAIL, DXGI_FORMAT_UNKNOWN},
        {"legacy RGBA8", [&] { return BuildDds({}, rgba4x4); }, 0, S_OK, DXGI_FORMAT_R8G8B8A8_UNORM},
        {"legacy RGBA8 forced sRGB", [&] { return BuildDds({}, rgba4x4); }, 1, S_OK,
         DXGI_FORMAT_R8G8B8A8_UNORM_SRGB},
        {"BC7 sRGB ignoring sRGB keeps the file's format", [] { return BuildDds(DdsHeader::Dx10(99, 4, 4), Filled(16)); },
         2, S_OK, DXGI_FORMAT_BC7_UNORM_SRGB},
        {"BC1 forced sRGB", [] { return BuildDds(DdsHeader::Bc1(4, 4), Filled(8)); }, 1, S_OK,
         DXGI_FORMAT_BC1_UNORM_SRGB},
        {"16 mips", [&] { return BuildDds(With({}, [](DdsHeader& h) { h.mipCount = 16; }), rgba4x4); }, 0,
         NOT_SUPPORTED, DXGI_FORMAT_UNKNOWN},
        {"more mips than the size has",
         [] { return BuildDds(With({}, [](DdsHeader& h) { h.mipCount = 10; }), Filled(4096)); }, 0, E_INVALIDARG,
         DXGI_FORMAT_UNKNOWN},
        {"DX10 array size 0",
         [] { return BuildDds(With(DdsHeader::Dx10(28, 4, 4), [](DdsHeader& h) { h.arraySize = 0; }), Filled(64)); },
         0, INVALID_DATA, DXGI_FORMAT_UNKNOWN},
        {"cube with five faces",
         [] { return BuildDds(With({}, [](DdsHeader& h) { h.caps2 = 0x200 | (0xFC00 & ~0x8000u); }), Filled(64 * 6)); },
         0, NOT_SUPPORTED, DXGI_FORMAT_UNKNOWN},
        {"3D without the volume flag",
         [] {
             return BuildDds(With(DdsHeader::Dx10(28, 4, 4), [](DdsHeader& h) { h.dimension = 4; h.depth = 2; }),
                             Filled(128));
         },
         0, INVALID_DATA, DXGI_FORMAT_UNKNOWN},
        {"3D array",
         [] {
             return BuildDds(With(DdsHeader::Dx10(28, 4, 4),
                                  [](DdsHeader& h) { h.dimension = 4; h.depth = 2; h.flags |= 0x800000; h.arraySize = 2; }),
                             Filled(256));
         },
         0, NOT_SUPPORTED, DXGI_FORMAT_UNKNOWN},
        {"1D with height 2",
         [] { return BuildDds(With(DdsHeader::Dx10(28, 4, 2), [](DdsHeader& h) { h.dimension = 2; }), Filled(16)); }, 0,
         INVALID_DATA, DXGI_FORMAT_UNKNOWN},
        {"buffer dimension",
         [] { return BuildDds(With(DdsHeader::Dx10(28, 4, 4), [](DdsHeader& h) { h.dimension = 1; }), Filled(64)); }, 0,
         NOT_SUPPORTED, DXGI_FORMAT_UNKNOWN},
        {"8x8 BC1 missing its last 8 bytes", [] { return BuildDds(DdsHeader::Bc1(8, 8), Filled(24)); }, 0, HANDLE_EOF,
         DXGI_FORMAT_UNKNOWN},
        {"width 16385", [] { return BuildDds(DdsHeader::Dx10(28, 16385, 1), Filled(16)); }, 0, NOT_SUPPORTED,
         DXGI_FORMAT_UNKNOWN},
        {"zero width", [&] { return BuildDds(With({}, [](DdsHeader& h) { h.width = 0; }), rgba4x4); }, 0,
         E_INVALIDARG, DXGI_FORMAT_UNKNOWN},
        {"zero height", [&] { return BuildDds(With({}, [](DdsHeader& h) { h.height = 0; }), rgba4x4); }, 0,
         E_INVALIDARG, DXGI_FORMAT_UNKNOWN},
        {"volume of depth 0",
         [&] { return BuildDds(With({}, [](DdsHeader& h) { h.flags |= 0x800000; h.depth = 0; }), rgba4x4); }, 0,
         E_INVALIDARG, DXGI_FORMAT_UNKNOWN},
        {"6x6 BC1", [] { return BuildDds(DdsHeader::Bc1(6, 6), Filled(32)); }, 0, E_INVALIDARG, DXGI_FORMAT_UNKNOWN},
        {"cube array size that wraps when multiplied by six",
         [] {
             return BuildDds(
                 With(DdsHeader::Dx10(28, 4, 4), [](DdsHeader& h) { h.misc = 0x4; h.arraySize = 0x2AAAAAABu; }),
                 Filled(64 * 6));
         },
         0, NOT_SUPPORTED, DXGI_FORMAT_UNKNOWN},
        {"cube that is not square", [] {
             return BuildDds(With(DdsHeader::Dx10(28, 8, 4), [](DdsHeader& h) { h.misc = 0x4; }), Filled(128 * 6));
         },
         0, E_INVALIDARG, DXGI_FORMAT_UNKNOWN},
        {"palette format", [] { return BuildDds(DdsHeader::Dx10(113, 4, 4), Filled(16)); }, 0, NOT_SUPPORTED,
         DXGI_FORMAT_UNKNOWN},
        {"format number past the table", [] { return BuildDds(DdsHeader::Dx10(500, 4, 4), Filled(64)); }, 0,
         NOT_SUPPORTED, DXGI_FORMAT_UNKNOWN},
        {"legacy 24-bit RGB",
         [] {
             return BuildDds(With({}, [](DdsHeader& h) { h.bitCount = 24; h.masks[3] = 0; h.pfFlags = 0x40; }),
                             Filled(48));
         },
         0, NOT_SUPPORTED, DXGI_FORMAT_UNKNOWN},
        {"odd-width YUY2", [] { return BuildDds(DdsHeader::Dx10(107, 3, 4), Filled(64)); }, 0, NOT_SUPPORTED,
         DXGI_FORMAT_UNKNOWN},
        {"mip chain cut short",
         [] { return BuildDds(With({}, [](DdsHeader& h) { h.mipCount = 3; }), Filled(64 + 16)); }, 0, HANDLE_EOF,
         DXGI_FORMAT_UNKNOWN},
    };
    for (const ParseCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Bytes file = c.file();
        DDSTextureInfo info;
        EXPECT_EQ(ParseDDS(file.data(), file.size(), c.loadFlags, 0, info), c.expected);
        if (c.expected == S_OK)
            EXPECT_EQ(info.format, c.format);
        else
            EXPECT_TRUE(info.subresources.empty());
    }
}

TEST(DDSParser, LegacyPixelFormatsMapToDxgiFormats)
{
    struct Case
    {
        u32 flags, fourCC, bits, r, g, b, a;
        DXGI_FORMAT expected;
    };
    const u32 RGB = DDS_RGB, LUM = DDS_LUMINANCE, FOURCC = DDS_FOURCC;
    const Case cases[] = {
        {RGB, 0, 32, 0xff, 0xff00, 0xff0000, 0xff000000, DXGI_FORMAT_R8G8B8A8_UNORM},
        {RGB, 0, 32, 0xff0000, 0xff00, 0xff, 0xff000000, DXGI_FORMAT_B8G8R8A8_UNORM},
        {RGB, 0, 32, 0xff0000, 0xff00, 0xff, 0, DXGI_FORMAT_B8G8R8X8_UNORM},
        {RGB, 0, 32, 0x3ff00000, 0xffc00, 0x3ff, 0xc0000000, DXGI_FORMAT_R10G10B10A2_UNORM},
        {RGB, 0, 32, 0xffff, 0xffff0000, 0, 0, DXGI_FORMAT_R16G16_UNORM},
        {RGB, 0, 32, 0xffffffff, 0, 0, 0, DXGI_FORMAT_R32_FLOAT},
        {RGB, 0, 16, 0x7c00, 0x3e0, 0x1f, 0x8000, DXGI_FORMAT_B5G5R5A1_UNORM},
        {RGB, 0, 16, 0xf800, 0x7e0, 0x1f, 0, DXGI_FORMAT_B5G6R5_UNORM},
        {RGB, 0, 16, 0xf00, 0xf0, 0xf, 0xf000, DXGI_FORMAT_B4G4R4A4_UNORM},
        {RGB, 0, 16, 0x7c00, 0x3e0, 0x1f, 0, DXGI_FORMAT_UNKNOWN},
        {RGB, 0, 8, 0xff, 0, 0, 0, DXGI_FORMAT_R8_UNORM},
        {LUM, 0, 16, 0xffff, 0, 0, 0, DXGI_FORMAT_R16_UNORM},
        {LUM, 0, 16, 0xff, 0, 0, 0xff00, DXGI_FORMAT_R8G8_UNORM},
        {LUM, 0, 8, 0xff, 0, 0, 0, DXGI_FORMAT_R8_UNORM},
        {DDS_ALPHA, 0, 8, 0, 0, 0, 0xff, DXGI_FORMAT_A8_UNORM},
        {DDS_BUMPDUDV, 0, 16, 0xff, 0xff00, 0, 0, DXGI_FORMAT_R8G8_SNORM},
        {FOURCC, MakeFourCC('D', 'X', 'T', '1'), 0, 0, 0, 0, 0, DXGI_FORMAT_BC1_UNORM},
        {FOURCC, MakeFourCC('D', 'X', 'T', '2'), 0, 0, 0, 0, 0, DXGI_FORMAT_BC2_UNORM},
        {FOURCC, MakeFourCC('D', 'X', 'T', '5'), 0, 0, 0, 0, 0, DXGI_FORMAT_BC3_UNORM},
        {FOURCC, MakeFourCC('A', 'T', 'I', '2'), 0, 0, 0, 0, 0, DXGI_FORMAT_BC5_UNORM},
        {FOURCC, MakeFourCC('B', 'C', '4', 'S'), 0, 0, 0, 0, 0, DXGI_FORMAT_BC4_SNORM},
        {FOURCC, 113, 0, 0, 0, 0, 0, DXGI_FORMAT_R16G16B16A16_FLOAT},
        {FOURCC, 116, 0, 0, 0, 0, 0, DXGI_FORMAT_R32G32B32A32_FLOAT},
        {FOURCC, MakeFourCC('A', 'B', 'C', 'D'), 0, 0, 0, 0, 0, DXGI_FORMAT_UNKNOWN},
    };
    for (const Case& c : cases)
    {
        DDSPixelFormat pf{32, c.flags, c.fourCC, c.bits, c.r, c.g, c.b, c.a};
        EXPECT_EQ(GetDXGIFormat(pf), c.expected) << "flags " << c.flags << " bits " << c.bits << " fourCC " << c.fourCC;
    }
}

TEST(DDSParser, SubresourcesFollowEachOtherInTheFile)
{
    struct Case
    {
        bool dx10;
        u64 first;
    };
    for (const Case c : {Case{false, 128}, Case{true, 148}})
    {
        DdsHeader header = c.dx10 ? DdsHeader::Dx10(28, 4, 4) : DdsHeader{};
        header.mipCount = 3;
        const Bytes file = BuildDds(header, Filled(64 + 16 + 4));
        DDSTextureInfo info;
        ASSERT_EQ(ParseDDS(file.data(), file.size(), 0, 0, info), S_OK);
        ASSERT_EQ(info.subresources.size(), 3u);
        const u64 offsets[] = {c.first, c.first + 64, c.first + 80};
        const u64 sizes[] = {64, 16, 4};
        const u32 widths[] = {4, 2, 1};
        for (size_t i = 0; i < 3; ++i)
        {
            EXPECT_EQ(info.subresources[i].offset, offsets[i]);
            EXPECT_EQ(info.subresources[i].size, sizes[i]);
            EXPECT_EQ(info.subresources[i].width, widths[i]);
            EXPECT_EQ(info.subresources[i].height, widths[i]);
        }
        EXPECT_EQ(info.levels, 3u);
        EXPECT_EQ(info.dimension, DDSDimension::Texture2D);
    }
}

TEST(DDSParser, CubeFacesKeepTheirLevelsTogether)
{
    DdsHeader header;
    header.caps2 = DDS_CUBEMAP_ALLFACES;
    header.mipCount = 2;
    const Bytes file = BuildDds(header, Filled((64 + 16) * 6));
    DDSTextureInfo info;
    ASSERT_EQ(ParseDDS(file.data(), file.size(), 0, 0, info), S_OK);
    EXPECT_TRUE(info.isCube);
    EXPECT_EQ(info.arraySize, 6u);
    ASSERT_EQ(info.subresources.size(), 12u);
    // Face 1, level 0 follows face 0's two levels.
    EXPECT_EQ(info.subresources[2].offset, 128u + 80u);
    EXPECT_EQ(info.subresources[2].width, 4u);
    EXPECT_EQ(info.subresources[3].offset, 128u + 80u + 64u);
    EXPECT_EQ(info.subresources[11].offset + info.subresources[11].size, file.size());
}

TEST(DDSParser, VolumeLevelsHoldAllTheirSlices)
{
    DdsHeader header;
    header.flags |= DDS_HEADER_FLAGS_VOLUME;
    header.depth = 4;
    header.mipCount = 3;
    // 4x4x4, 2x2x2, 1x1x1 of 4 bytes a pixel.
    const Bytes file = BuildDds(header, Filled(256 + 32 + 4));
    DDSTextureInfo info;
    ASSERT_EQ(ParseDDS(file.data(), file.size(), 0, 0, info), S_OK);
    EXPECT_EQ(info.dimension, DDSDimension::Texture3D);
    ASSERT_EQ(info.subresources.size(), 3u);
    EXPECT_EQ(info.subresources[0].size, 256u);
    EXPECT_EQ(info.subresources[1].offset, 128u + 256u);
    EXPECT_EQ(info.subresources[1].depth, 2u);
    EXPECT_EQ(info.subresources[2].size, 4u);
}

TEST(DDSParser, MaximumSizeLeavesOutTheTopLevels)
{
    DdsHeader header;
    header.width = header.height = 16;
    header.mipCount = 5;
    const Bytes file = BuildDds(header, Filled(1024 + 256 + 64 + 16 + 4));
    DDSTextureInfo info;
    ASSERT_EQ(ParseDDS(file.data(), file.size(), 0, 4, info), S_OK);
    EXPECT_EQ(info.skipMip, 2u);
    EXPECT_EQ(info.levels, 3u);
    EXPECT_EQ(info.topWidth, 4u);
    ASSERT_EQ(info.subresources.size(), 3u);
    EXPECT_EQ(info.subresources[0].offset, 128u + 1024u + 256u);

    // A single level is kept whatever its size.
    header.mipCount = 1;
    const Bytes single = BuildDds(header, Filled(1024));
    ASSERT_EQ(ParseDDS(single.data(), single.size(), 0, 4, info), S_OK);
    EXPECT_EQ(info.topWidth, 16u);
}

TEST(DDSParser, BlockAndPackedSurfaceSizes)
{
    struct Case
    {
        u64 width, height;
        DXGI_FORMAT format;
        u64 rowBytes, rows;
    };
    const Case cases[] = {
        {8, 8, DXGI_FORMAT_BC1_UNORM, 16, 2},  {1, 1, DXGI_FORMAT_BC1_UNORM, 8, 1},
        {8, 4, DXGI_FORMAT_BC3_UNORM, 32, 1},  {2, 2, DXGI_FORMAT_BC7_UNORM, 16, 1},
        {5, 3, DXGI_FORMAT_R8G8B8A8_UNORM, 20, 3}, {3, 2, DXGI_FORMAT_YUY2, 8, 2},
        {7, 1, DXGI_FORMAT_R1_UNORM, 1, 1},    {4, 4, DXGI_FORMAT_R32G32B32_FLOAT, 48, 4},
    };
    for (const Case& c : cases)
    {
        SurfaceInfo surface;
        ASSERT_TRUE(GetSurfaceInfo(c.width, c.height, c.format, surface));
        EXPECT_EQ(surface.rowBytes, c.rowBytes) << c.format;
        EXPECT_EQ(surface.numRows, c.rows) << c.format;
        EXPECT_EQ(surface.numBytes, c.rowBytes * c.rows);
    }
    SurfaceInfo surface;
    EXPECT_FALSE(GetSurfaceInfo(4, 4, DXGI_FORMAT_UNKNOWN, surface));
}

TEST(GLFormat, FormatsMapOrAreRefusedWithTheirCodes)
{
    struct Case
    {
        DXGI_FORMAT format;
        HRESULT expected;
        u32 internalFormat;
    };
    const Case cases[] = {
        {DXGI_FORMAT_R8G8B8A8_UNORM, S_OK, 0x8058},        // GL_RGBA8
        {DXGI_FORMAT_R8G8B8A8_UNORM_SRGB, S_OK, 0x8C43},   // GL_SRGB8_ALPHA8
        {DXGI_FORMAT_BC1_UNORM, S_OK, 0x83F1},
        {DXGI_FORMAT_BC1_UNORM_SRGB, S_OK, 0x8C4D},
        {DXGI_FORMAT_BC3_UNORM_SRGB, S_OK, 0x8C4F},
        {DXGI_FORMAT_BC5_UNORM, S_OK, 0x8DBD},
        {DXGI_FORMAT_BC6H_UF16, S_OK, 0x8E8F},
        {DXGI_FORMAT_BC7_UNORM_SRGB, S_OK, 0x8E8D},
        {DXGI_FORMAT_BC7_TYPELESS, E_INVALIDARG, 0},
        {DXGI_FORMAT_D32_FLOAT, E_INVALIDARG, 0},
        {DXGI_FORMAT_R8G8B8A8_UINT, NOT_SUPPORTED, 0},
        {DXGI_FORMAT_YUY2, NOT_SUPPORTED, 0},
        {DXGI_FORMAT_R10G10B10_XR_BIAS_A2_UNORM, NOT_SUPPORTED, 0},
    };
    for (const Case& c : cases)
    {
        GLFormatInfo info;
        EXPECT_EQ(GetGLFormat(c.format, info), c.expected) << c.format;
        EXPECT_EQ(info.internalFormat, c.internalFormat) << c.format;
    }
    GLFormatInfo alpha;
    ASSERT_EQ(GetGLFormat(DXGI_FORMAT_A8_UNORM, alpha), S_OK);
    EXPECT_EQ(alpha.swizzle[3], 0x1903u); // alpha comes from GL_RED
}

TEST(DxgiFormat, SrgbVariants)
{
    const std::pair<DXGI_FORMAT, DXGI_FORMAT> cases[] = {
        {DXGI_FORMAT_R8G8B8A8_UNORM, DXGI_FORMAT_R8G8B8A8_UNORM_SRGB}, {DXGI_FORMAT_BC1_UNORM, DXGI_FORMAT_BC1_UNORM_SRGB},
        {DXGI_FORMAT_BC2_UNORM, DXGI_FORMAT_BC2_UNORM_SRGB},           {DXGI_FORMAT_BC3_UNORM, DXGI_FORMAT_BC3_UNORM_SRGB},
        {DXGI_FORMAT_B8G8R8A8_UNORM, DXGI_FORMAT_B8G8R8A8_UNORM_SRGB}, {DXGI_FORMAT_B8G8R8X8_UNORM, DXGI_FORMAT_B8G8R8X8_UNORM_SRGB},
        {DXGI_FORMAT_BC7_UNORM, DXGI_FORMAT_BC7_UNORM_SRGB},           {DXGI_FORMAT_BC4_UNORM, DXGI_FORMAT_BC4_UNORM},
        {DXGI_FORMAT_R16G16B16A16_UNORM, DXGI_FORMAT_R16G16B16A16_UNORM},
    };
    for (const auto& [from, to] : cases)
        EXPECT_EQ(MakeSrgb(from), to) << from;
}

TEST(DDSParser, CheckedInFuzzInputsStayInsideTheirFiles)
{
    const std::filesystem::path folder = QelTest::TestDataFolder() / "textures";
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        if (entry.path().extension() != ".dds")
            continue;
        std::ifstream stream(entry.path(), std::ios::binary);
        const Bytes file((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        for (u32 flags = 0; flags < 3; ++flags)
        {
            DDSTextureInfo info;
            if (Failed(ParseDDS(file.data(), file.size(), flags, 0, info)))
            {
                EXPECT_TRUE(info.subresources.empty()) << entry.path();
                continue;
            }
            EXPECT_EQ(info.subresources.size(), size_t(info.arraySize) * info.levels) << entry.path();
            for (const DDSSubresource& sub : info.subresources)
                EXPECT_LE(sub.offset + sub.size, file.size()) << entry.path();
        }
        ++count;
    }
    EXPECT_GT(count, 0u);
}
