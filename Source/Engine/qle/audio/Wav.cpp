#include "audio/Wav.h"

#include "core/ByteReader.h"
#include "loaders/FileData.h"

#include <cmath>
#include <cstring>
#include <filesystem>

namespace Qel
{
namespace
{
constexpr u16 FORMAT_PCM = 1;
constexpr u16 FORMAT_FLOAT = 3;
constexpr u16 FORMAT_EXTENSIBLE = 0xFFFE;
constexpr u32 MAX_RATE = 384000;
// The GUID tail shared by the sub-formats of WAVE_FORMAT_EXTENSIBLE.
constexpr u8 SUBFORMAT_TAIL[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool Fail(std::string& aError, std::string aCause)
{
    aError = std::move(aCause);
    return false;
}

i16 FromFloat(double aValue)
{
    if (!(aValue == aValue))
        return 0;
    if (aValue > 1.0)
        aValue = 1.0;
    if (aValue < -1.0)
        aValue = -1.0;
    return static_cast<i16>(std::lround(aValue * 32767.0));
}

i16 ConvertSample(const u8* aSample, u16 aFormat, u16 aBits)
{
    if (aFormat == FORMAT_FLOAT)
    {
        if (aBits == 32)
        {
            float value;
            std::memcpy(&value, aSample, sizeof(value));
            return FromFloat(value);
        }
        double value;
        std::memcpy(&value, aSample, sizeof(value));
        return FromFloat(value);
    }
    switch (aBits)
    {
    case 8: return static_cast<i16>((int(aSample[0]) - 128) * 256);
    case 16: return static_cast<i16>(ReadLittleU16(aSample));
    case 24: return static_cast<i16>(ReadLittleU16(aSample + 1));
    default: return static_cast<i16>(ReadLittleU16(aSample + 2));
    }
}

std::string ChunkName(const u8* aId)
{
    std::string name;
    for (int i = 0; i < 4; ++i)
        name += (aId[i] >= 32 && aId[i] < 127) ? static_cast<char>(aId[i]) : '?';
    return name;
}
}

bool ParseWav(const u8* aBytes, size_t aSize, WavSound& aSound, std::string& aError)
{
    aSound = WavSound();
    if (!aBytes || aSize == 0)
        return Fail(aError, "the file is empty");
    if (aSize < 12)
        return Fail(aError, "the file is too short to be a WAV file (" + std::to_string(aSize) + " bytes)");
    if (std::memcmp(aBytes, "RIFF", 4) != 0 || std::memcmp(aBytes + 8, "WAVE", 4) != 0)
        return Fail(aError, "not a WAV file (no RIFF/WAVE header)");

    // A RIFF size beyond the file means the file was cut short: the chunks still tell what is there.
    const u64 riffEnd = 8 + u64(ReadLittleU32(aBytes + 4));
    const u64 end = riffEnd < aSize ? riffEnd : aSize;

    const u8* format = nullptr;
    u32 formatSize = 0;
    const u8* data = nullptr;
    u32 dataSize = 0;
    u64 position = 12;
    while (position + 8 <= end && !(format && data))
    {
        const u8* header = aBytes + position;
        const u32 size = ReadLittleU32(header + 4);
        const u64 body = position + 8;
        if (size > end - body)
        {
            if (std::memcmp(header, "data", 4) == 0)
                return Fail(aError, "the data chunk claims " + std::to_string(size) + " bytes but only " +
                                        std::to_string(end - body) + " are left (truncated file?)");
            return Fail(aError, "the '" + ChunkName(header) + "' chunk runs past the end of the file");
        }
        if (std::memcmp(header, "fmt ", 4) == 0 && !format)
        {
            format = aBytes + body;
            formatSize = size;
        }
        else if (std::memcmp(header, "data", 4) == 0 && !data)
        {
            data = aBytes + body;
            dataSize = size;
        }
        position = body + size + (size & 1);
    }
    if (!format)
        return Fail(aError, "no 'fmt ' chunk");
    if (formatSize < 16)
        return Fail(aError, "the 'fmt ' chunk is too short (" + std::to_string(formatSize) + " bytes)");

    u16 tag = ReadLittleU16(format);
    const u16 channels = ReadLittleU16(format + 2);
    const u32 rate = ReadLittleU32(format + 4);
    const u16 blockAlign = ReadLittleU16(format + 12);
    const u16 bits = ReadLittleU16(format + 14);
    if (tag == FORMAT_EXTENSIBLE)
    {
        if (formatSize < 40 || ReadLittleU16(format + 16) < 22)
            return Fail(aError, "the extensible 'fmt ' chunk is too short");
        const u16 validBits = ReadLittleU16(format + 18);
        const u8* subFormat = format + 24;
        if (std::memcmp(subFormat + 2, SUBFORMAT_TAIL, sizeof(SUBFORMAT_TAIL)) != 0)
            return Fail(aError, "unsupported extensible sub-format");
        tag = ReadLittleU16(subFormat);
        if (validBits > bits)
            return Fail(aError, "more valid bits (" + std::to_string(validBits) + ") than stored bits");
    }
    if (tag != FORMAT_PCM && tag != FORMAT_FLOAT)
        return Fail(aError, "unsupported sample format " + std::to_string(tag) + " (integer or float PCM only)");
    if (channels != 1 && channels != 2)
        return Fail(aError, std::to_string(channels) + " channels (only mono and stereo are supported)");
    if (rate == 0 || rate > MAX_RATE)
        return Fail(aError, "unusable sample rate " + std::to_string(rate));
    const bool bitsOk = tag == FORMAT_PCM ? (bits == 8 || bits == 16 || bits == 24 || bits == 32)
                                          : (bits == 32 || bits == 64);
    if (!bitsOk)
        return Fail(aError, "unsupported sample size of " + std::to_string(bits) + " bits");
    if (blockAlign != channels * (bits / 8))
        return Fail(aError, "block align " + std::to_string(blockAlign) + " does not match " +
                                std::to_string(channels) + " channels of " + std::to_string(bits) + " bits");
    if (!data)
        return Fail(aError, "no 'data' chunk");

    // A partial frame at the end is left out.
    const u32 frameCount = dataSize / blockAlign;
    if (frameCount == 0)
        return Fail(aError, "no samples");
    const u32 bytesPerSample = bits / 8u;
    aSound.channels = channels;
    aSound.rate = rate;
    aSound.frames.resize(size_t(frameCount) * channels);
    for (size_t i = 0; i < aSound.frames.size(); ++i)
        aSound.frames[i] = ConvertSample(data + i * bytesPerSample, tag, bits);
    return true;
}

bool LoadWavFile(const std::string& aPath, WavSound& aSound, std::string& aError)
{
    aSound = WavSound();
    std::error_code error;
    if (!std::filesystem::is_regular_file(aPath, error))
        return Fail(aError, "the file does not exist");
    std::vector<u8> bytes;
    const HRESULT read = ReadWholeFile(aPath, WAV_MAX_FILE_SIZE, bytes);
    if (read == E_FAIL)
        return Fail(aError, "the file is too large (" + std::to_string(std::filesystem::file_size(aPath, error)) +
                                " bytes)");
    if (Failed(read))
        return Fail(aError, std::string("the file cannot be read (") + DescribeHResult(read) + ")");
    return ParseWav(bytes.data(), bytes.size(), aSound, aError);
}
}
