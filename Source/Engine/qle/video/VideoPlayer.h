#pragma once
// Decoding of one video file: the picture frame by frame into RGBA, and (when wanted) its sound,
// resampled to 44,100 Hz 16-bit stereo and sent to a wave-out queue as it is read.
#include "core/Types.h"

#include <memory>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;
struct SwrContext;

namespace Qel
{
class WaveOutPlayer;

inline constexpr u32 VIDEO_PLAYER_READY = 0;
inline constexpr u32 VIDEO_PLAYER_FAILURE = 1;
inline constexpr u32 VIDEO_PLAYER_FILE_MISSING = 2;

// Largest picture side accepted.
inline constexpr u32 VIDEO_MAX_SIDE = 4096;
// Rate used when a file gives no usable frame rate.
inline constexpr double VIDEO_DEFAULT_FRAMES_PER_SECOND = 25.0;

// The average frame rate when both parts are non-zero; when that is below 2.5e-5 the stream's
// base frame rate likewise; when that is still below, 1 / the codec's time base. Whatever comes out
// that is not a finite rate between 2.5e-5 and 1000 gives VIDEO_DEFAULT_FRAMES_PER_SECOND.
double ChooseFramesPerSecond(int aAverageNum, int aAverageDen, int aBaseNum, int aBaseDen, int aTimeBaseNum,
                             int aTimeBaseDen);

class VideoPlayer
{
public:
    VideoPlayer();
    ~VideoPlayer();
    VideoPlayer(const VideoPlayer&) = delete;
    VideoPlayer& operator=(const VideoPlayer&) = delete;

    // VIDEO_PLAYER_READY, VIDEO_PLAYER_FAILURE or VIDEO_PLAYER_FILE_MISSING; GetError tells why.
    u32 Init(const char* aPath, bool aWithAudio);
    // Reads until the next picture is complete. Negative at the end of the stream (once every
    // picture still held by the decoder has come out) or on a read error.
    int DecodeNextFrame();
    double GetFramesPerSecond() const;
    // Scales the last decoded picture to RGBA into the top-left of aDestination (aTextureWidth
    // pixels a row) and clears the rest. False when no picture is ready.
    bool CopyFrame(u32* aDestination, u32 aTextureWidth, u32 aTextureHeight);
    // Back to the first frame. Queued sound plays on.
    void Restart();
    // Drops the sound waiting on the device.
    void StopSound();

    bool IsReady() const { return myFormat != nullptr; }
    u32 GetWidth() const { return myWidth; }
    u32 GetHeight() const { return myHeight; }
    bool HasPicture() const { return myGotPicture; }
    bool HasAudioStream() const { return myAudioContext != nullptr; }
    // Calls of CopyFrame that found a picture.
    u32 GetFrameCount() const { return myFrameCount; }
    const std::string& GetPath() const { return myPath; }
    const std::string& GetError() const { return myError; }
    // Null until the first sound packet.
    const WaveOutPlayer* GetWaveOutPlayer() const { return myWaveOut.get(); }

private:
    u32 Fail(u32 aCode, std::string aCause);
    u32 OpenAudio(int aStream);
    void DecodeAudio(const AVPacket* aPacket);
    void WriteSound(int aSamples);
    void Close();

    AVFormatContext* myFormat = nullptr;
    int myVideoStream = -1;
    AVCodecContext* myVideoContext = nullptr;
    AVFrame* myFrame = nullptr;
    SwsContext* myScaler = nullptr;
    AVPacket* myPacket = nullptr;
    bool myGotPicture = false;
    bool myDraining = false;
    int myLastResult = 0;
    u32 myFrameCount = 0;
    u32 myWidth = 0;
    u32 myHeight = 0;
    std::string myPath;
    std::string myError;

    int myAudioStream = -1;
    AVCodecContext* myAudioContext = nullptr;
    AVFrame* myAudioFrame = nullptr;
    SwrContext* myResampler = nullptr;
    std::vector<u8> mySoundBuffer;   // one second of output
    int mySoundBytes = 0;            // of the last conversion
    std::unique_ptr<WaveOutPlayer> myWaveOut;
};
}
