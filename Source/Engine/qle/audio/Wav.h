#pragma once
// Reader of RIFF WAVE files: integer PCM of 8, 16, 24 or 32 bits and float PCM of 32 or 64 bits
// (plain or WAVE_FORMAT_EXTENSIBLE), mono or stereo, converted to interleaved signed 16-bit frames.
// Every chunk size and offset is checked against the bytes that are really there.
#include "core/Types.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Qel
{
struct WavSound
{
    u32 channels = 0;
    u32 rate = 0;
    std::vector<i16> frames;   // interleaved, channels values a frame

    u32 GetFrameCount() const { return channels ? static_cast<u32>(frames.size() / channels) : 0; }
};

// Files above this are refused rather than read into memory.
inline constexpr u64 WAV_MAX_FILE_SIZE = 512ull * 1024 * 1024;

// False, with the cause in aError, when the bytes are not a WAV file this reader can play.
bool ParseWav(const u8* aBytes, size_t aSize, WavSound& aSound, std::string& aError);
// Reads and parses a whole file; the cause in aError names no file (the caller does).
bool LoadWavFile(const std::string& aPath, WavSound& aSound, std::string& aError);
}
