#pragma once
// The bunnymark scene shared by the engine's program and the bare-GL reference: the same bunnies,
// the same fixed-step motion, the same texture and the same measurements, so the two differ only
// in how the sprites reach GL.
//
// Options: --sprites N (default 1000), --frames F (measured, default 100), --warmup W (default
// 10), --capture FILE (after the last frame, the back buffer's RGBA rows, bottom row first).
// One line goes to stdout per run:
//   <program> sprites=N frames=F frame_ms=.. main_cpu_ms=.. process_cpu_ms=.. faults=.. main_faults=..
#include <sys/resource.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace Bunnymark
{
constexpr int WIDTH = 800;
constexpr int HEIGHT = 450;
constexpr int BUNNY_SIZE = 32;
constexpr float TIME_STEP = 1.0f / 60.0f;
constexpr float GRAVITY = 900.0f;   // pixels per second squared, downward
constexpr int BATCH_SIZE = 1024;    // instances a draw
// Clear colour, sRGB.
constexpr float CLEAR_COLOR[4] = {0.1f, 0.12f, 0.16f, 1.0f};

// y grows upward; (x, y) is the sprite's top-left corner.
struct Bunny
{
    float x, y;
    float vx, vy;
    std::uint8_t r, g, b;
};

// A small deterministic generator: the same scene in every run and in both programs.
class Random
{
public:
    explicit Random(std::uint32_t aSeed) : myState(aSeed ? aSeed : 1u) {}
    std::uint32_t Next()
    {
        myState ^= myState << 13;
        myState ^= myState >> 17;
        myState ^= myState << 5;
        return myState;
    }
    // [0, 1)
    float Unit() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }

private:
    std::uint32_t myState;
};

inline std::vector<Bunny> MakeBunnies(int aCount)
{
    Random random(20261210u);
    std::vector<Bunny> bunnies(static_cast<size_t>(aCount));
    for (Bunny& bunny : bunnies)
    {
        bunny.x = random.Unit() * static_cast<float>(WIDTH - BUNNY_SIZE);
        bunny.y = static_cast<float>(BUNNY_SIZE) + random.Unit() * static_cast<float>(HEIGHT - BUNNY_SIZE);
        bunny.vx = (random.Unit() - 0.5f) * 400.0f;
        bunny.vy = (random.Unit() - 0.5f) * 400.0f;
        bunny.r = static_cast<std::uint8_t>(96 + random.Next() % 160);
        bunny.g = static_cast<std::uint8_t>(96 + random.Next() % 160);
        bunny.b = static_cast<std::uint8_t>(96 + random.Next() % 160);
    }
    return bunnies;
}

// One fixed step: fall, bounce off the walls and the floor.
inline void Step(std::vector<Bunny>& aBunnies)
{
    const float right = static_cast<float>(WIDTH - BUNNY_SIZE);
    const float top = static_cast<float>(HEIGHT);
    const float floor = static_cast<float>(BUNNY_SIZE);
    for (Bunny& bunny : aBunnies)
    {
        bunny.vy -= GRAVITY * TIME_STEP;
        bunny.x += bunny.vx * TIME_STEP;
        bunny.y += bunny.vy * TIME_STEP;
        if (bunny.x < 0.0f)
        {
            bunny.x = 0.0f;
            bunny.vx = -bunny.vx;
        }
        else if (bunny.x > right)
        {
            bunny.x = right;
            bunny.vx = -bunny.vx;
        }
        if (bunny.y < floor)
        {
            bunny.y = floor;
            bunny.vy = -bunny.vy * 0.85f;
            if (bunny.vy < 200.0f)
                bunny.vy += 300.0f;
        }
        else if (bunny.y > top)
        {
            bunny.y = top;
            bunny.vy = 0.0f;
        }
    }
}

// 32 x 32 RGBA (sRGB colour, linear alpha), top row first: a round white body with two ears and
// soft edges, so blending and the alpha channel both matter.
inline std::vector<std::uint8_t> MakeBunnyTexels()
{
    std::vector<std::uint8_t> texels(BUNNY_SIZE * BUNNY_SIZE * 4);
    for (int y = 0; y < BUNNY_SIZE; ++y)
        for (int x = 0; x < BUNNY_SIZE; ++x)
        {
            const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
            const float body = std::sqrt((fx - 16.0f) * (fx - 16.0f) + (fy - 21.0f) * (fy - 21.0f));
            const float leftEar = std::abs(fx - 11.0f) * 3.0f + std::abs(fy - 8.0f);
            const float rightEar = std::abs(fx - 21.0f) * 3.0f + std::abs(fy - 8.0f);
            float alpha = std::fmin(1.0f, std::fmax(0.0f, 10.5f - body));
            alpha = std::fmax(alpha, std::fmin(1.0f, std::fmax(0.0f, (9.0f - std::fmin(leftEar, rightEar)) * 0.5f)));
            const std::uint8_t shade = static_cast<std::uint8_t>(200 + (x * 7 + y * 3) % 56);
            std::uint8_t* texel = &texels[static_cast<size_t>((y * BUNNY_SIZE + x) * 4)];
            texel[0] = shade;
            texel[1] = shade;
            texel[2] = static_cast<std::uint8_t>(255 - (x + y) % 40);
            texel[3] = static_cast<std::uint8_t>(std::lround(alpha * 255.0f));
        }
    return texels;
}

struct Options
{
    int mySprites = 1000;
    int myFrames = 100;
    int myWarmup = 10;
    std::string myCapture;
};

inline Options ParseOptions(int aArgc, char** aArgv)
{
    Options options;
    for (int i = 1; i + 1 < aArgc; i += 2)
    {
        const std::string key = aArgv[i];
        const char* value = aArgv[i + 1];
        if (key == "--sprites")
            options.mySprites = std::atoi(value);
        else if (key == "--frames")
            options.myFrames = std::atoi(value);
        else if (key == "--warmup")
            options.myWarmup = std::atoi(value);
        else if (key == "--capture")
            options.myCapture = value;
        else
            std::fprintf(stderr, "unknown option %s\n", key.c_str());
    }
    if (options.mySprites < 0)
        options.mySprites = 0;
    if (options.myFrames < 1)
        options.myFrames = 1;
    if (options.myWarmup < 0)
        options.myWarmup = 0;
    return options;
}

// Wall time, main-thread CPU, process CPU (every thread: the rasteriser's too) and page faults.
class Meter
{
public:
    void Start() { Read(myStart); }
    void Stop() { Read(myStop); }

    void Print(const char* aProgram, int aSprites, int aFrames) const
    {
        const double frames = static_cast<double>(aFrames);
        std::printf("%s sprites=%d frames=%d frame_ms=%.4f main_cpu_ms=%.4f process_cpu_ms=%.4f faults=%.2f "
                    "main_faults=%.2f\n",
                    aProgram, aSprites, aFrames, (myStop.wall - myStart.wall) * 1e3 / frames,
                    (myStop.thread - myStart.thread) * 1e3 / frames, (myStop.process - myStart.process) * 1e3 / frames,
                    static_cast<double>(myStop.faults - myStart.faults) / frames,
                    static_cast<double>(myStop.threadFaults - myStart.threadFaults) / frames);
        std::fflush(stdout);
    }

private:
    struct Sample
    {
        double wall = 0, thread = 0, process = 0;
        long faults = 0, threadFaults = 0;
    };
    static double Seconds(clockid_t aClock)
    {
        timespec time{};
        clock_gettime(aClock, &time);
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
    }
    static void Read(Sample& aSample)
    {
        aSample.wall = Seconds(CLOCK_MONOTONIC);
        aSample.thread = Seconds(CLOCK_THREAD_CPUTIME_ID);
        aSample.process = Seconds(CLOCK_PROCESS_CPUTIME_ID);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        aSample.faults = usage.ru_minflt + usage.ru_majflt;
        getrusage(RUSAGE_THREAD, &usage);
        aSample.threadFaults = usage.ru_minflt + usage.ru_majflt;
    }
    Sample myStart, myStop;
};

inline bool WriteCapture(const std::string& aPath, const std::vector<std::uint8_t>& aPixels)
{
    FILE* file = std::fopen(aPath.c_str(), "wb");
    if (!file)
    {
        std::fprintf(stderr, "cannot write %s\n", aPath.c_str());
        return false;
    }
    const bool written = std::fwrite(aPixels.data(), 1, aPixels.size(), file) == aPixels.size();
    return std::fclose(file) == 0 && written;
}
}
