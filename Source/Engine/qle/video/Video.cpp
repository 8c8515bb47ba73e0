#include "video/Video.h"

#include "texture/Texture.h"
#include "video/VideoPlayer.h"

#include <cmath>
#include <cstdio>

namespace Qel
{
Video::Video() = default;

Video::~Video()
{
    Destroy();
}

u32 Video::NextPowerOfTwo(u32 aValue)
{
    u32 power = 1;
    while (power < aValue && power < 0x80000000u)
        power <<= 1;
    return power;
}

bool Video::Init(const char* aPath, bool aWithAudio)
{
    if (myPlayer)
        return false;
    myPlayer = std::make_unique<VideoPlayer>();
    if (myPlayer->Init(aPath, aWithAudio) != VIDEO_PLAYER_READY)
    {
        std::fprintf(stderr, "Video file \"%s\" cannot be played: %s\n", aPath ? aPath : "",
                     myPlayer->GetError().c_str());
        // Without a player every later call does nothing and the status stays 0 ("not there").
        myPlayer.reset();
        return false;
    }
    myPlayer->DecodeNextFrame();

    myVideoWidth = myPlayer->GetWidth();
    myVideoHeight = myPlayer->GetHeight();
    myTextureWidth = NextPowerOfTwo(myVideoWidth);
    myTextureHeight = NextPowerOfTwo(myVideoHeight);
    myPixels.assign(size_t(myTextureWidth) * myTextureHeight, 0u);
    myStatus = VIDEO_STATUS_PLAYING;

    // The first picture is the one just decoded: show it rather than decoding past it.
    myPlayer->CopyFrame(myPixels.data(), myTextureWidth, myTextureHeight);
    UploadFrame();
    myTimer = 0.0f;
    return true;
}

void Video::Play(bool aLoop)
{
    if (!myPlayer)
        return;
    myPlaying = 1;
    myLoop = aLoop ? 1 : 0;
}

void Video::Restart()
{
    if (!myPlayer)
        return;
    myStatus = VIDEO_STATUS_PLAYING;
    myPlaying = 1;
    myTimer = 0.0f;
    myPlayer->Restart();
    myPlayer->StopSound();
}

void Video::Update(float aDeltaTime)
{
    if (!myPlaying || !myPlayer)
        return;
    if (!std::isfinite(aDeltaTime) || aDeltaTime < 0.0f)
        return;
    myTimer += aDeltaTime;
    const double frameTime = 1.0 / myPlayer->GetFramesPerSecond();
    u32 steps = 0;
    while (double(myTimer) >= frameTime)
    {
        if (steps == MAX_FRAME_STEPS_PER_UPDATE)
        {
            // Too far behind to catch up: keep only the part of a frame.
            myTimer = static_cast<float>(std::fmod(double(myTimer), frameTime));
            break;
        }
        FrameStep();
        ++steps;
        myTimer -= static_cast<float>(frameTime);
    }
}

void Video::FrameStep()
{
    if (myPlayer->DecodeNextFrame() < 0)
    {
        if (myLoop)
        {
            myStatus = VIDEO_STATUS_PLAYING;
            myPlaying = 1;
            myPlayer->Restart();
            // The first picture takes this step's place, so the loop does not stall a frame.
            if (myPlayer->DecodeNextFrame() < 0)
                myStatus = VIDEO_STATUS_FINISHED;
        }
        else
        {
            myStatus = VIDEO_STATUS_FINISHED;
        }
    }
    if (myPlayer->CopyFrame(myPixels.data(), myTextureWidth, myTextureHeight))
        UploadFrame();
}

// The one place the picture goes to the GPU: a dynamic sRGB texture. Only the picture's own
// rectangle changes after the first upload; the rest stays cleared.
void Video::UploadFrame()
{
    if (myPixels.empty())
        return;
    const u8* pixels = reinterpret_cast<const u8*>(myPixels.data());
    if (!myTexture)
        myTexture = Texture::CreateFromRGBA(myTextureWidth, myTextureHeight, pixels);
    else
        myTexture->UpdateRGBA(pixels, myTextureWidth * 4, myVideoWidth, myVideoHeight);
}

void Video::Destroy()
{
    myTexture.reset();
    myPixels.clear();
    myPixels.shrink_to_fit();
    myPlayer.reset();
    myVideoWidth = myVideoHeight = 0;
    myTextureWidth = myTextureHeight = 0;
    myTimer = 0.0f;
    myStatus = VIDEO_STATUS_NONE;
    myPlaying = 0;
    myLoop = 0;
}
}
