#include "video/WaveOutPlayer.h"

#include <cstring>

namespace Qel
{
bool WaveOutPlayer::Open(const Platform::WAVEFORMATEX& aFormat, int aBlockCount, int aBlockSize)
{
    Close();
    if (aBlockCount <= 0 || aBlockSize <= 0 || aFormat.nBlockAlign == 0 || aBlockSize % aFormat.nBlockAlign != 0)
        return false;
    if (!myDevice.Open(aFormat))
        return false;
    myBlockCount = aBlockCount;
    myCurrentBlock = 0;
    myBlocks.resize(static_cast<size_t>(aBlockCount));
    for (Block& block : myBlocks)
    {
        block.data.assign(static_cast<size_t>(aBlockSize), 0);
        block.filled = 0;
    }
    return true;
}

void WaveOutPlayer::Send(Block& aBlock)
{
    myDevice.Write(aBlock.data.data(), static_cast<u32>(aBlock.filled));
    aBlock.filled = 0;
}

void WaveOutPlayer::Write(const u8* aData, int aSize)
{
    if (!myDevice.IsOpen() || !aData || aSize <= 0)
        return;
    while (aSize > 0)
    {
        Block& block = myBlocks[static_cast<size_t>(myCurrentBlock)];
        const int room = static_cast<int>(block.data.size()) - block.filled;
        const int count = aSize < room ? aSize : room;
        std::memcpy(block.data.data() + block.filled, aData, static_cast<size_t>(count));
        block.filled += count;
        aData += count;
        aSize -= count;
        if (block.filled == static_cast<int>(block.data.size()))
        {
            Send(block);
            myCurrentBlock = (myCurrentBlock + 1) % myBlockCount;
        }
    }
}

void WaveOutPlayer::Flush()
{
    if (!myDevice.IsOpen())
        return;
    Block& block = myBlocks[static_cast<size_t>(myCurrentBlock)];
    if (block.filled == 0)
        return;
    Send(block);
    myCurrentBlock = (myCurrentBlock + 1) % myBlockCount;
}

void WaveOutPlayer::Reset()
{
    myDevice.Reset();
    for (Block& block : myBlocks)
        block.filled = 0;
}

void WaveOutPlayer::Close()
{
    myDevice.Close();
    myBlocks.clear();
    myBlockCount = 0;
    myCurrentBlock = 0;
}
}
