#pragma once
// Builds WAV files byte by byte, including broken ones.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace QelTest::Wav
{
inline std::string U16(std::uint16_t aValue)
{
    return {static_cast<char>(aValue & 0xFF), static_cast<char>(aValue >> 8)};
}

inline std::string U32(std::uint32_t aValue)
{
    return U16(static_cast<std::uint16_t>(aValue & 0xFFFF)) + U16(static_cast<std::uint16_t>(aValue >> 16));
}

// A chunk; the size written is the payload's unless aSize says otherwise. Odd payloads get their pad byte.
inline std::string Chunk(const char* aId, const std::string& aPayload, std::int64_t aSize = -1)
{
    std::string chunk = std::string(aId, 4) + U32(aSize < 0 ? static_cast<std::uint32_t>(aPayload.size())
                                                            : static_cast<std::uint32_t>(aSize));
    chunk += aPayload;
    if (aPayload.size() % 2)
        chunk += '\0';
    return chunk;
}

inline std::string Fmt(std::uint16_t aTag, std::uint16_t aChannels, std::uint32_t aRate, std::uint16_t aBits,
                       int aBlockAlign = -1)
{
    const std::uint16_t align =
        aBlockAlign < 0 ? static_cast<std::uint16_t>(aChannels * (aBits / 8)) : static_cast<std::uint16_t>(aBlockAlign);
    return Chunk("fmt ", U16(aTag) + U16(aChannels) + U32(aRate) + U32(aRate * align) + U16(align) + U16(aBits));
}

// WAVE_FORMAT_EXTENSIBLE with a sub-format tag (1 PCM, 3 float) on the standard GUID tail.
inline std::string FmtExtensible(std::uint16_t aSubTag, std::uint16_t aChannels, std::uint32_t aRate,
                                 std::uint16_t aBits, std::uint16_t aValidBits, bool aStandardGuid = true)
{
    const std::uint16_t align = static_cast<std::uint16_t>(aChannels * (aBits / 8));
    std::string payload = U16(0xFFFE) + U16(aChannels) + U32(aRate) + U32(aRate * align) + U16(align) + U16(aBits);
    payload += U16(22) + U16(aValidBits) + U32(aChannels == 2 ? 3 : 4);
    const unsigned char tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    payload += U16(aSubTag);
    payload += std::string(reinterpret_cast<const char*>(tail), sizeof(tail));
    if (!aStandardGuid)
        payload[payload.size() - 1] = 0x72;
    return Chunk("fmt ", payload);
}

inline std::string Samples16(const std::vector<std::int16_t>& aSamples)
{
    std::string bytes;
    for (std::int16_t sample : aSamples)
        bytes += U16(static_cast<std::uint16_t>(sample));
    return bytes;
}

inline std::string Floats(const std::vector<float>& aSamples)
{
    std::string bytes(aSamples.size() * 4, '\0');
    std::memcpy(bytes.data(), aSamples.data(), bytes.size());
    return bytes;
}

// "RIFF" size "WAVE" and the chunks; the RIFF size is the true one unless aRiffSize says otherwise.
inline std::string Riff(const std::string& aChunks, std::int64_t aRiffSize = -1)
{
    const std::uint32_t size = aRiffSize < 0 ? static_cast<std::uint32_t>(aChunks.size() + 4)
                                             : static_cast<std::uint32_t>(aRiffSize);
    return "RIFF" + U32(size) + "WAVE" + aChunks;
}

// A whole 16-bit PCM file.
inline std::string Pcm16(std::uint16_t aChannels, std::uint32_t aRate, const std::vector<std::int16_t>& aSamples)
{
    return Riff(Fmt(1, aChannels, aRate, 16) + Chunk("data", Samples16(aSamples)));
}
}
