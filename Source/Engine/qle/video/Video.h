#pragma once
// A video played into a texture that the caller draws as a sprite, with the file's sound. The
// texture has power-of-two sides; the picture fills its top-left corner and the rest is clear.
// Everything runs on the main thread: each Update decodes as many frames as the time calls for.
// A missing or broken file leaves the video empty: status 0, nothing to draw, every call harmless.
#include "core/Types.h"

#include <memory>
#include <vector>

namespace Qel
{
class Texture;
class VideoPlayer;

inline constexpr i32 VIDEO_STATUS_NONE = 0;
inline constexpr i32 VIDEO_STATUS_PLAYING = 1;
inline constexpr i32 VIDEO_STATUS_FINISHED = 2;

class Video
{
public:
    // Frame steps one Update may take; time beyond that is dropped rather than decoded.
    static constexpr u32 MAX_FRAME_STEPS_PER_UPDATE = 120;

    Video();
    ~Video();
    Video(const Video&) = delete;
    Video& operator=(const Video&) = delete;

    // Opens the file and shows its first picture. False (the file and the cause on stderr) when
    // it cannot be played, or when this video is already initialised.
    bool Init(const char* aPath, bool aWithAudio);
    void Play(bool aLoop);
    // Back to the first frame, playing; the sound still queued from before is dropped.
    void Restart();
    void Update(float aDeltaTime);
    void Destroy();

    i32 GetStatus() const { return myStatus; }
    bool IsPlaying() const { return myPlaying != 0; }
    // Null until a picture has been uploaded (and for a video that failed to open).
    Texture* GetTexture() const { return myTexture.get(); }
    u32 GetVideoWidth() const { return myVideoWidth; }
    u32 GetVideoHeight() const { return myVideoHeight; }
    u32 GetTextureWidth() const { return myTextureWidth; }
    u32 GetTextureHeight() const { return myTextureHeight; }
    // The current picture, RGBA bytes a pixel, texture width pixels a row.
    const std::vector<u32>& GetPixels() const { return myPixels; }
    const VideoPlayer* GetPlayer() const { return myPlayer.get(); }

    // The smallest power of two not below aValue (1 for 0).
    static u32 NextPowerOfTwo(u32 aValue);

private:
    void FrameStep();
    void UploadFrame();

    std::unique_ptr<Texture> myTexture;
    std::unique_ptr<VideoPlayer> myPlayer;
    std::vector<u32> myPixels;
    u32 myVideoWidth = 0;
    u32 myVideoHeight = 0;
    float myTimer = 0.0f;
    i32 myStatus = VIDEO_STATUS_NONE;
    u8 myPlaying = 0;
    u8 myLoop = 0;
    u32 myTextureWidth = 0;
    u32 myTextureHeight = 0;
};
}
