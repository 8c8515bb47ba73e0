#pragma once
// The video's sound output: fixed-size blocks filled from the decoded sound and handed to the
// wave-out queue one full block at a time.
#include "core/Types.h"
#include "platform/audio/WaveOut.h"

#include <vector>

namespace Qel
{
class WaveOutPlayer
{
public:
    static constexpr int BLOCK_COUNT = 16;
    static constexpr int BLOCK_SIZE = 4096;

    WaveOutPlayer() = default;
    ~WaveOutPlayer() { Close(); }
    WaveOutPlayer(const WaveOutPlayer&) = delete;
    WaveOutPlayer& operator=(const WaveOutPlayer&) = delete;

    // False when the output cannot be opened (no device, unusable format); writes are then ignored.
    bool Open(const Platform::WAVEFORMATEX& aFormat, int aBlockCount, int aBlockSize);
    // Fills the current block; each full block goes to the device. A partly filled block waits
    // for the next Write (or Flush).
    void Write(const u8* aData, int aSize);
    // Sends the partly filled block (end of the sound).
    void Flush();
    // Drops the sound queued on the device and the partly filled block.
    void Reset();
    void Close();

    bool IsOpen() const { return myDevice.IsOpen(); }
    Platform::WaveOut& GetDevice() { return myDevice; }
    const Platform::WaveOut& GetDevice() const { return myDevice; }

private:
    struct Block
    {
        std::vector<u8> data;
        int filled = 0;
    };

    void Send(Block& aBlock);

    int myBlockCount = 0;
    int myCurrentBlock = 0;
    Platform::WaveOut myDevice;
    std::vector<Block> myBlocks;
};
}
