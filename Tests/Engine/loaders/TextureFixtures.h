#pragma once
#include <algorithm>
// Small texture files built in memory for the loader and texture-manager tests.
#include "core/Types.h"

#include <stb_image_write.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace QelTest
{
using Bytes = std::vector<Qel::u8>;

inline void PutU32(Bytes& aBytes, size_t aOffset, Qel::u32 aValue)
{
    if (aBytes.size() < aOffset + 4)
        aBytes.resize(aOffset + 4);
    for (int i = 0; i < 4; ++i)
        aBytes[aOffset + i] = static_cast<Qel::u8>(aValue >> (8 * i));
}

inline Qel::u32 FourCC(const char (&aCode)[5])
{
    return Qel::u32(Qel::u8(aCode[0])) | (Qel::u32(Qel::u8(aCode[1])) << 8) | (Qel::u32(Qel::u8(aCode[2])) << 16) |
           (Qel::u32(Qel::u8(aCode[3])) << 24);
}

// Every field of a DDS header, with the defaults of a 4 x 4 legacy RGBA8 texture.
struct DdsHeader
{
    Qel::u32 magic = 0x20534444;
    Qel::u32 size = 124;
    Qel::u32 flags = 0x1007; // caps, height, width, pixel format
    Qel::u32 height = 4;
    Qel::u32 width = 4;
    Qel::u32 depth = 0;
    Qel::u32 mipCount = 1;
    Qel::u32 pfSize = 32;
    Qel::u32 pfFlags = 0x41; // RGB with alpha
    Qel::u32 fourCC = 0;
    Qel::u32 bitCount = 32;
    Qel::u32 masks[4] = {0x000000ff, 0x0000ff00, 0x00ff0000, 0xff000000};
    Qel::u32 caps2 = 0;
    // DX10 extension (written when dx10 is set; fourCC then becomes "DX10").
    bool dx10 = false;
    Qel::u32 dxgiFormat = 28;
    Qel::u32 dimension = 3;
    Qel::u32 misc = 0;
    Qel::u32 arraySize = 1;
    Qel::u32 misc2 = 0;

    static DdsHeader Dx10(Qel::u32 aFormat, Qel::u32 aWidth, Qel::u32 aHeight)
    {
        DdsHeader header;
        header.dx10 = true;
        header.dxgiFormat = aFormat;
        header.width = aWidth;
        header.height = aHeight;
        return header;
    }
    static DdsHeader Bc1(Qel::u32 aWidth, Qel::u32 aHeight)
    {
        DdsHeader header;
        header.pfFlags = 0x4;
        header.fourCC = FourCC("DXT1");
        header.bitCount = 0;
        header.masks[0] = header.masks[1] = header.masks[2] = header.masks[3] = 0;
        header.width = aWidth;
        header.height = aHeight;
        return header;
    }
};

// The header followed by aPayloadBytes of data (filled with aFill) or by the given data.
inline Bytes BuildDds(const DdsHeader& aHeader, const Bytes& aPayload)
{
    Bytes bytes(aHeader.dx10 ? 148 : 128, 0);
    PutU32(bytes, 0, aHeader.magic);
    PutU32(bytes, 4, aHeader.size);
    PutU32(bytes, 8, aHeader.flags);
    PutU32(bytes, 12, aHeader.height);
    PutU32(bytes, 16, aHeader.width);
    PutU32(bytes, 24, aHeader.depth);
    PutU32(bytes, 28, aHeader.mipCount);
    PutU32(bytes, 76, aHeader.pfSize);
    PutU32(bytes, 80, aHeader.dx10 ? 0x4 : aHeader.pfFlags);
    PutU32(bytes, 84, aHeader.dx10 ? FourCC("DX10") : aHeader.fourCC);
    PutU32(bytes, 88, aHeader.bitCount);
    for (int i = 0; i < 4; ++i)
        PutU32(bytes, 92 + 4 * i, aHeader.masks[i]);
    PutU32(bytes, 108, 0x1000);
    PutU32(bytes, 112, aHeader.caps2);
    if (aHeader.dx10)
    {
        PutU32(bytes, 128, aHeader.dxgiFormat);
        PutU32(bytes, 132, aHeader.dimension);
        PutU32(bytes, 136, aHeader.misc);
        PutU32(bytes, 140, aHeader.arraySize);
        PutU32(bytes, 144, aHeader.misc2);
    }
    bytes.insert(bytes.end(), aPayload.begin(), aPayload.end());
    return bytes;
}

inline Bytes Truncated(Bytes aBytes, size_t aSize)
{
    aBytes.resize(aSize < aBytes.size() ? aSize : aBytes.size());
    return aBytes;
}

inline Bytes Filled(size_t aCount, Qel::u8 aValue = 0x5A) { return Bytes(aCount, aValue); }

inline Bytes RepeatPixel(size_t aPixels, std::initializer_list<Qel::u8> aPixel)
{
    Bytes bytes;
    bytes.reserve(aPixels * aPixel.size());
    for (size_t i = 0; i < aPixels; ++i)
        bytes.insert(bytes.end(), aPixel.begin(), aPixel.end());
    return bytes;
}

// One BC1 block of a single colour (RGB565 colour0, all indices 0).
inline Bytes Bc1SolidBlock(Qel::u16 aColor565)
{
    return {static_cast<Qel::u8>(aColor565 & 0xFF), static_cast<Qel::u8>(aColor565 >> 8), 0, 0, 0, 0, 0, 0};
}

inline std::string ToString(const Bytes& aBytes) { return std::string(aBytes.begin(), aBytes.end()); }

// --- Targa ---------------------------------------------------------------------------------

struct TgaHeader
{
    Qel::u8 idLength = 0;
    Qel::u8 colorMapType = 0;
    Qel::u8 imageType = 2;
    Qel::u16 colorMapLength = 0;
    Qel::u8 colorMapBits = 0;
    Qel::u16 width = 2;
    Qel::u16 height = 2;
    Qel::u8 bitsPerPixel = 32;
    Qel::u8 descriptor = 8; // 8 alpha bits, bottom-left origin
};

inline Bytes BuildTga(const TgaHeader& aHeader, const Bytes& aBody)
{
    Bytes bytes(18, 0);
    bytes[0] = aHeader.idLength;
    bytes[1] = aHeader.colorMapType;
    bytes[2] = aHeader.imageType;
    bytes[5] = static_cast<Qel::u8>(aHeader.colorMapLength & 0xFF);
    bytes[6] = static_cast<Qel::u8>(aHeader.colorMapLength >> 8);
    bytes[7] = aHeader.colorMapBits;
    bytes[12] = static_cast<Qel::u8>(aHeader.width & 0xFF);
    bytes[13] = static_cast<Qel::u8>(aHeader.width >> 8);
    bytes[14] = static_cast<Qel::u8>(aHeader.height & 0xFF);
    bytes[15] = static_cast<Qel::u8>(aHeader.height >> 8);
    bytes[16] = aHeader.bitsPerPixel;
    bytes[17] = aHeader.descriptor;
    bytes.insert(bytes.end(), aBody.begin(), aBody.end());
    return bytes;
}

// --- PNG and JPEG through stb_image_write ----------------------------------------------------

inline void AppendToBytes(void* aContext, void* aData, int aSize)
{
    auto* bytes = static_cast<Bytes*>(aContext);
    const auto* data = static_cast<const Qel::u8*>(aData);
    bytes->insert(bytes->end(), data, data + aSize);
}

// RGBA pixels, rows top-down.
inline Bytes EncodePng(int aWidth, int aHeight, const Bytes& aRgba)
{
    Bytes bytes;
    stbi_write_png_to_func(AppendToBytes, &bytes, aWidth, aHeight, 4, aRgba.data(), aWidth * 4);
    return bytes;
}

inline Bytes EncodeJpeg(int aWidth, int aHeight, const Bytes& aRgb)
{
    Bytes bytes;
    stbi_write_jpg_to_func(AppendToBytes, &bytes, aWidth, aHeight, 3, aRgb.data(), 95);
    return bytes;
}

inline Qel::u32 Crc32(const Qel::u8* aData, size_t aSize)
{
    Qel::u32 crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < aSize; ++i)
    {
        crc ^= aData[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// Inserts a chunk right after IHDR (where sRGB and gAMA belong).
inline Bytes WithPngChunk(Bytes aPng, const char (&aType)[5], const Bytes& aData)
{
    Bytes chunk;
    const Qel::u32 length = static_cast<Qel::u32>(aData.size());
    for (int i = 3; i >= 0; --i)
        chunk.push_back(static_cast<Qel::u8>(length >> (8 * i)));
    chunk.insert(chunk.end(), aType, aType + 4);
    chunk.insert(chunk.end(), aData.begin(), aData.end());
    const Qel::u32 crc = Crc32(chunk.data() + 4, chunk.size() - 4);
    for (int i = 3; i >= 0; --i)
        chunk.push_back(static_cast<Qel::u8>(crc >> (8 * i)));
    const size_t afterHeader = 8 + 25; // signature, IHDR
    aPng.insert(aPng.begin() + static_cast<std::ptrdiff_t>(afterHeader), chunk.begin(), chunk.end());
    return aPng;
}

// A PNG of any bit depth and colour type (0 grey, 2 RGB, 4 grey + alpha, 6 RGBA) from raw rows
// (big-endian samples), stored without compression.
inline Bytes EncodeRawPng(Qel::u32 aWidth, Qel::u32 aHeight, Qel::u8 aBitDepth, Qel::u8 aColorType, const Bytes& aRows)
{
    const auto chunk = [](Bytes& aOut, const char (&aType)[5], const Bytes& aData) {
        const Qel::u32 length = static_cast<Qel::u32>(aData.size());
        for (int i = 3; i >= 0; --i)
            aOut.push_back(static_cast<Qel::u8>(length >> (8 * i)));
        const size_t start = aOut.size();
        aOut.insert(aOut.end(), aType, aType + 4);
        aOut.insert(aOut.end(), aData.begin(), aData.end());
        const Qel::u32 crc = Crc32(aOut.data() + start, aOut.size() - start);
        for (int i = 3; i >= 0; --i)
            aOut.push_back(static_cast<Qel::u8>(crc >> (8 * i)));
    };
    const size_t rowBytes = aRows.size() / aHeight;
    Bytes raw;
    for (Qel::u32 y = 0; y < aHeight; ++y)
    {
        raw.push_back(0);   // no filter
        raw.insert(raw.end(), aRows.begin() + static_cast<std::ptrdiff_t>(y * rowBytes),
                   aRows.begin() + static_cast<std::ptrdiff_t>((y + 1) * rowBytes));
    }
    Bytes zlib = {0x78, 0x01};
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535)
    {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        zlib.push_back(at + n >= raw.size() ? 1 : 0);
        zlib.push_back(static_cast<Qel::u8>(n));
        zlib.push_back(static_cast<Qel::u8>(n >> 8));
        zlib.push_back(static_cast<Qel::u8>(~n));
        zlib.push_back(static_cast<Qel::u8>(~n >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                    raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        if (raw.empty())
            break;
    }
    Qel::u32 a = 1, b = 0;
    for (Qel::u8 byte : raw)
    {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    const Qel::u32 adler = (b << 16) | a;
    for (int i = 3; i >= 0; --i)
        zlib.push_back(static_cast<Qel::u8>(adler >> (8 * i)));

    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header;
    for (Qel::u32 v : {aWidth, aHeight})
        for (int i = 3; i >= 0; --i)
            header.push_back(static_cast<Qel::u8>(v >> (8 * i)));
    header.insert(header.end(), {aBitDepth, aColorType, 0, 0, 0});
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", zlib);
    chunk(png, "IEND", {});
    return png;
}

inline Bytes BigEndian32(Qel::u32 aValue)
{
    return {static_cast<Qel::u8>(aValue >> 24), static_cast<Qel::u8>(aValue >> 16), static_cast<Qel::u8>(aValue >> 8),
            static_cast<Qel::u8>(aValue)};
}

// Inserts an EXIF APP1 segment (little-endian TIFF) whose Exif IFD holds ColorSpace = aColorSpace.
inline Bytes WithExifColorSpace(Bytes aJpeg, Qel::u16 aColorSpace)
{
    Bytes tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
    auto u16le = [&](Qel::u16 v) {
        tiff.push_back(static_cast<Qel::u8>(v));
        tiff.push_back(static_cast<Qel::u8>(v >> 8));
    };
    auto u32le = [&](Qel::u32 v) {
        for (int i = 0; i < 4; ++i)
            tiff.push_back(static_cast<Qel::u8>(v >> (8 * i)));
    };
    // IFD0 at 8: one entry, the Exif IFD pointer, then no next IFD.
    u16le(1);
    u16le(0x8769);
    u16le(4);
    u32le(1);
    u32le(26);
    u32le(0);
    // Exif IFD at 26: ColorSpace.
    u16le(1);
    u16le(0xA001);
    u16le(3);
    u32le(1);
    u16le(aColorSpace);
    u16le(0);
    u32le(0);
    Bytes segment = {0xFF, 0xE1};
    const size_t length = 2 + 6 + tiff.size();
    segment.push_back(static_cast<Qel::u8>(length >> 8));
    segment.push_back(static_cast<Qel::u8>(length));
    const char exif[6] = {'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), exif, exif + 6);
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    aJpeg.insert(aJpeg.begin() + 2, segment.begin(), segment.end());
    return aJpeg;
}
}
