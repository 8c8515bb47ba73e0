#include "video/VideoPlayer.h"

#include "video/WaveOutPlayer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace Qel
{
namespace
{
constexpr int OUTPUT_RATE = 44100;
constexpr int OUTPUT_CHANNELS = 2;
constexpr int MAX_READS_PER_FRAME = 10001;
constexpr double MIN_FRAMES_PER_SECOND = 2.5e-5;
constexpr double MAX_FRAMES_PER_SECOND = 1000.0;

double Ratio(int aNum, int aDen)
{
    return (aNum != 0 && aDen != 0) ? double(aNum) / double(aDen) : 0.0;
}
}

double ChooseFramesPerSecond(int aAverageNum, int aAverageDen, int aBaseNum, int aBaseDen, int aTimeBaseNum,
                             int aTimeBaseDen)
{
    double fps = Ratio(aAverageNum, aAverageDen);
    if (!(fps >= MIN_FRAMES_PER_SECOND))
        fps = Ratio(aBaseNum, aBaseDen);
    if (!(fps >= MIN_FRAMES_PER_SECOND))
        fps = Ratio(aTimeBaseDen, aTimeBaseNum);
    // Decoders leave their time base at 0/1: an unusable rate would pace frames at zero intervals.
    if (!std::isfinite(fps) || fps < MIN_FRAMES_PER_SECOND || fps > MAX_FRAMES_PER_SECOND)
        fps = VIDEO_DEFAULT_FRAMES_PER_SECOND;
    return fps;
}

VideoPlayer::VideoPlayer() = default;

VideoPlayer::~VideoPlayer()
{
    Close();
}

u32 VideoPlayer::Fail(u32 aCode, std::string aCause)
{
    myError = std::move(aCause);
    Close();
    return aCode;
}

void VideoPlayer::Close()
{
    if (myWaveOut)
    {
        myWaveOut->Close();
        myWaveOut.reset();
    }
    sws_freeContext(myScaler);
    myScaler = nullptr;
    swr_free(&myResampler);
    av_frame_free(&myFrame);
    av_frame_free(&myAudioFrame);
    av_packet_free(&myPacket);
    avcodec_free_context(&myVideoContext);
    avcodec_free_context(&myAudioContext);
    avformat_close_input(&myFormat);
    mySoundBuffer.clear();
    mySoundBuffer.shrink_to_fit();
    mySoundBytes = 0;
    myVideoStream = -1;
    myAudioStream = -1;
    myGotPicture = false;
    myDraining = false;
    myLastResult = 0;
    myWidth = 0;
    myHeight = 0;
}

u32 VideoPlayer::Init(const char* aPath, bool aWithAudio)
{
    Close();
    myError.clear();
    myFrameCount = 0;
    myPath = aPath ? aPath : "";
    std::error_code error;
    if (myPath.empty() || !std::filesystem::is_regular_file(myPath, error))
        return Fail(VIDEO_PLAYER_FILE_MISSING, "the file does not exist");
    if (std::FILE* file = std::fopen(myPath.c_str(), "rb"))
        std::fclose(file);
    else
        return Fail(VIDEO_PLAYER_FILE_MISSING, "the file cannot be opened for reading");

    if (avformat_open_input(&myFormat, myPath.c_str(), nullptr, nullptr) < 0)
        return Fail(VIDEO_PLAYER_FAILURE, "not a video container that can be read");
    if (avformat_find_stream_info(myFormat, nullptr) < 0)
        return Fail(VIDEO_PLAYER_FAILURE, "its streams cannot be read");

    // The best video stream, so a cover picture never stands in for the film.
    myVideoStream = av_find_best_stream(myFormat, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (aWithAudio)
    {
        for (unsigned i = 0; i < myFormat->nb_streams; ++i)
        {
            if (myFormat->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            {
                if (const u32 result = OpenAudio(static_cast<int>(i)); result != VIDEO_PLAYER_READY)
                    return result;
                break;
            }
        }
    }

    if (myVideoStream < 0)
        return Fail(VIDEO_PLAYER_FAILURE, "it has no video stream");
    const AVCodecParameters* parameters = myFormat->streams[myVideoStream]->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    if (!decoder)
        return Fail(VIDEO_PLAYER_FAILURE, "no decoder for its video stream");
    myVideoContext = avcodec_alloc_context3(decoder);
    if (!myVideoContext || avcodec_parameters_to_context(myVideoContext, parameters) < 0)
        return Fail(VIDEO_PLAYER_FAILURE, "no decoder for its video stream");
    // One thread: no frame delay from frame threading and the same results on every machine.
    myVideoContext->thread_count = 1;
    if (avcodec_open2(myVideoContext, decoder, nullptr) < 0)
        return Fail(VIDEO_PLAYER_FAILURE, "its video decoder cannot be opened");
    if (myVideoContext->width <= 0 || myVideoContext->height <= 0 ||
        static_cast<u32>(myVideoContext->width) > VIDEO_MAX_SIDE ||
        static_cast<u32>(myVideoContext->height) > VIDEO_MAX_SIDE)
        return Fail(VIDEO_PLAYER_FAILURE, "unusable picture size " + std::to_string(myVideoContext->width) + " x " +
                                              std::to_string(myVideoContext->height));
    myWidth = static_cast<u32>(myVideoContext->width);
    myHeight = static_cast<u32>(myVideoContext->height);

    myFrame = av_frame_alloc();
    myPacket = av_packet_alloc();
    if (!myFrame || !myPacket)
        return Fail(VIDEO_PLAYER_FAILURE, "out of memory");
    if (myVideoContext->pix_fmt != AV_PIX_FMT_NONE)
    {
        myScaler = sws_getContext(myVideoContext->width, myVideoContext->height, myVideoContext->pix_fmt,
                                  myVideoContext->width, myVideoContext->height, AV_PIX_FMT_RGBA, SWS_BILINEAR,
                                  nullptr, nullptr, nullptr);
        if (!myScaler)
            return Fail(VIDEO_PLAYER_FAILURE, "its pictures cannot be converted to RGBA");
    }
    return VIDEO_PLAYER_READY;
}

u32 VideoPlayer::OpenAudio(int aStream)
{
    myAudioStream = aStream;
    const AVCodecParameters* parameters = myFormat->streams[aStream]->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    if (!decoder)
    {
        std::printf("Couldn't find a proper decoder for audio\n");
        return Fail(VIDEO_PLAYER_FAILURE, "no decoder for its sound");
    }
    myAudioContext = avcodec_alloc_context3(decoder);
    if (!myAudioContext || avcodec_parameters_to_context(myAudioContext, parameters) < 0 ||
        avcodec_open2(myAudioContext, decoder, nullptr) < 0)
    {
        std::printf("Couldn't open the context with the decoder for the audio\n");
        return Fail(VIDEO_PLAYER_FAILURE, "its sound decoder cannot be opened");
    }
    AVChannelLayout output = AV_CHANNEL_LAYOUT_STEREO;
    AVChannelLayout input;
    av_channel_layout_default(&input, myAudioContext->ch_layout.nb_channels);
    const int created = swr_alloc_set_opts2(&myResampler, &output, AV_SAMPLE_FMT_S16, OUTPUT_RATE, &input,
                                            myAudioContext->sample_fmt, myAudioContext->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&input);
    if (created < 0 || !myResampler)
    {
        std::printf("Couldn't create the SwrContext\n");
        return Fail(VIDEO_PLAYER_FAILURE, "its sound cannot be resampled");
    }
    if (swr_init(myResampler) < 0)
    {
        std::printf("Couldn't initialize the SwrContext\n");
        return Fail(VIDEO_PLAYER_FAILURE, "its sound cannot be resampled");
    }
    myAudioFrame = av_frame_alloc();
    if (!myAudioFrame)
        return Fail(VIDEO_PLAYER_FAILURE, "out of memory");
    mySoundBuffer.assign(size_t(OUTPUT_CHANNELS) * OUTPUT_RATE * av_get_bytes_per_sample(AV_SAMPLE_FMT_S16), 0);
    return VIDEO_PLAYER_READY;
}

int VideoPlayer::DecodeNextFrame()
{
    myGotPicture = false;
    if (!myFormat)
        return AVERROR_EOF;
    int reads = 0;
    for (;;)
    {
        // A packet can hold several pictures (or the decoder its delayed ones): take those first.
        const int received = avcodec_receive_frame(myVideoContext, myFrame);
        if (received == 0)
        {
            myGotPicture = true;
            return myLastResult < 0 ? 0 : myLastResult;
        }
        if (myDraining && received != AVERROR(EAGAIN))
            return myLastResult < 0 ? myLastResult : AVERROR_EOF;
        if (reads >= MAX_READS_PER_FRAME)
            return myLastResult;
        ++reads;
        myLastResult = av_read_frame(myFormat, myPacket);
        if (myLastResult < 0)
        {
            // End of the file: the decoders still hold pictures and sound; let them out.
            myDraining = true;
            avcodec_send_packet(myVideoContext, nullptr);
            DecodeAudio(nullptr);
            continue;
        }
        if (myPacket->stream_index == myVideoStream)
            avcodec_send_packet(myVideoContext, myPacket);   // a damaged packet is skipped
        else if (myPacket->stream_index == myAudioStream && myAudioContext)
            DecodeAudio(myPacket);
        av_packet_unref(myPacket);
    }
}

void VideoPlayer::DecodeAudio(const AVPacket* aPacket)
{
    if (!myAudioContext)
        return;
    if (!myWaveOut)
    {
        myWaveOut = std::make_unique<WaveOutPlayer>();
        Platform::WAVEFORMATEX format;
        format.wFormatTag = Platform::WAVE_FORMAT_PCM;
        format.nChannels = OUTPUT_CHANNELS;
        format.nSamplesPerSec = OUTPUT_RATE;
        format.nAvgBytesPerSec = OUTPUT_RATE * OUTPUT_CHANNELS * 2;
        format.nBlockAlign = OUTPUT_CHANNELS * 2;
        format.wBitsPerSample = 16;
        format.cbSize = 0;
        myWaveOut->Open(format, WaveOutPlayer::BLOCK_COUNT, WaveOutPlayer::BLOCK_SIZE);
    }
    if (avcodec_send_packet(myAudioContext, aPacket) < 0 && aPacket)
        return;
    while (avcodec_receive_frame(myAudioContext, myAudioFrame) == 0)
    {
        u8* output = mySoundBuffer.data();
        const int samples = swr_convert(myResampler, &output, OUTPUT_RATE,
                                        const_cast<const u8**>(myAudioFrame->extended_data), myAudioFrame->nb_samples);
        WriteSound(samples);
    }
    if (!aPacket)
    {
        // The resampler keeps a few samples back for its filter; only the end of the sound lets them out.
        for (;;)
        {
            u8* output = mySoundBuffer.data();
            const int samples = swr_convert(myResampler, &output, OUTPUT_RATE, nullptr, 0);
            if (samples < 1)
                break;
            WriteSound(samples);
        }
        myWaveOut->Flush();
    }
}

void VideoPlayer::WriteSound(int aSamples)
{
    if (aSamples < 1)
        return;
    mySoundBytes = aSamples * OUTPUT_CHANNELS * av_get_bytes_per_sample(AV_SAMPLE_FMT_S16);
    myWaveOut->Write(mySoundBuffer.data(), mySoundBytes);
}

double VideoPlayer::GetFramesPerSecond() const
{
    if (!myFormat)
        return 0.0;
    const AVStream* stream = myFormat->streams[myVideoStream];
    return ChooseFramesPerSecond(stream->avg_frame_rate.num, stream->avg_frame_rate.den, stream->r_frame_rate.num,
                                 stream->r_frame_rate.den, myVideoContext->time_base.num,
                                 myVideoContext->time_base.den);
}

bool VideoPlayer::CopyFrame(u32* aDestination, u32 aTextureWidth, u32 aTextureHeight)
{
    if (!myGotPicture)
        return false;
    ++myFrameCount;
    if (!aDestination || aTextureWidth < myWidth || aTextureHeight < myHeight || myFrame->width <= 0 ||
        myFrame->height <= 0)
        return false;
    // The scaler follows the picture, should a stream change its size or format midway.
    myScaler = sws_getCachedContext(myScaler, myFrame->width, myFrame->height,
                                    static_cast<AVPixelFormat>(myFrame->format), static_cast<int>(myWidth),
                                    static_cast<int>(myHeight), AV_PIX_FMT_RGBA, SWS_BILINEAR, nullptr, nullptr,
                                    nullptr);
    if (!myScaler)
        return false;
    u8* planes[4] = {reinterpret_cast<u8*>(aDestination), nullptr, nullptr, nullptr};
    int pitches[4] = {static_cast<int>(aTextureWidth * 4), 0, 0, 0};
    const int rows = sws_scale(myScaler, myFrame->data, myFrame->linesize, 0, myFrame->height, planes, pitches);
    if (rows > 0)
    {
        const size_t padding = aTextureWidth - myWidth;
        if (padding != 0)
            for (u32 y = 0; y < myHeight; ++y)
                std::memset(aDestination + size_t(y) * aTextureWidth + myWidth, 0, padding * 4);
        std::memset(aDestination + size_t(myHeight) * aTextureWidth, 0,
                    size_t(aTextureHeight - myHeight) * aTextureWidth * 4);
    }
    return true;
}

void VideoPlayer::Restart()
{
    if (!myFormat)
        return;
    av_seek_frame(myFormat, myVideoStream, 0, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(myVideoContext);
    if (myAudioContext)
        avcodec_flush_buffers(myAudioContext);
    myDraining = false;
    myLastResult = 0;
    myGotPicture = false;
}

void VideoPlayer::StopSound()
{
    if (myWaveOut)
        myWaveOut->Reset();
}
}
