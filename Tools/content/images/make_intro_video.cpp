// Makes the intro film: six seconds of the owl-haunted forest at dusk, the factory on the heights
// going dark window by window, owls' eyes opening, and the small battery hero switching itself
// on, with a sound track of wind, hoots and power sweeps. Frames are drawn here and piped into
// Debian's ffmpeg (H.264 + AAC in MP4, bit-exact flags, one thread), so the file is the same on
// every build. Usage: make_intro_video <font folder> <ffmpeg> <output.mp4>
#define STB_TRUETYPE_IMPLEMENTATION
#include "Scenery.h"

#include <filesystem>

using namespace Raster;
using namespace Scenery;

namespace
{
constexpr int WIDTH = 1280, HEIGHT = 720, FPS = 30;
constexpr float DURATION = 6.0f;
constexpr int SAMPLE_RATE = 44100;

// ---- Sound track --------------------------------------------------------------------------
void WriteWav(const std::filesystem::path& aPath, const std::vector<float>& aLeft, const std::vector<float>& aRight)
{
    std::vector<std::uint8_t> out;
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(std::uint8_t(v >> (8 * i)));
    };
    auto u16 = [&](std::uint16_t v) {
        out.push_back(std::uint8_t(v));
        out.push_back(std::uint8_t(v >> 8));
    };
    const std::uint32_t frames = std::uint32_t(aLeft.size());
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    u32(36 + frames * 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    u32(16);
    u16(1);
    u16(2);
    u32(SAMPLE_RATE);
    u32(SAMPLE_RATE * 4);
    u16(4);
    u16(16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    u32(frames * 4);
    for (std::uint32_t i = 0; i < frames; ++i)
        for (float s : {aLeft[i], aRight[i]})
            u16(std::uint16_t(std::int16_t(std::lround(std::max(-1.0f, std::min(1.0f, s)) * 32767.0f))));
    std::ofstream file(aPath, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
    if (!file)
        throw std::runtime_error(aPath.string() + ": could not be written");
}

void MakeSoundTrack(const std::filesystem::path& aPath)
{
    const int n = int(DURATION * SAMPLE_RATE);
    std::vector<float> left(static_cast<size_t>(n)), right(static_cast<size_t>(n));
    const float pi = 3.14159265f;
    // Wind: filtered noise with a slow swell, a little wider on the right.
    float lowL = 0, lowR = 0, bandL = 0, bandR = 0;
    std::uint32_t seed = 12345;
    auto noise = [&]() {
        seed = seed * 1664525U + 1013904223U;
        return ((seed >> 8) & 0xFFFF) / 32767.5f - 1.0f;
    };
    for (int i = 0; i < n; ++i)
    {
        const float t = float(i) / SAMPLE_RATE;
        const float swell = 0.55f + 0.45f * std::sin(t * 0.9f) * std::sin(t * 0.37f + 1.0f);
        lowL += (noise() - lowL) * 0.02f;
        lowR += (noise() - lowR) * 0.02f;
        bandL += (lowL - bandL) * 0.1f;
        bandR += (lowR - bandR) * 0.1f;
        left[size_t(i)] += (lowL - bandL) * 1.6f * swell;
        right[size_t(i)] += (lowR - bandR) * 1.6f * swell;
    }
    auto addTone = [&](float aStart, float aLength, float aPan, const auto& aVoice) {
        const int first = int(aStart * SAMPLE_RATE), count = int(aLength * SAMPLE_RATE);
        for (int k = 0; k < count && first + k < n; ++k)
        {
            const float t = float(k) / SAMPLE_RATE;
            const float s = aVoice(t, t / aLength);
            left[size_t(first + k)] += s * (1.0f - aPan);
            right[size_t(first + k)] += s * aPan;
        }
    };
    // Owl hoots: two soft falling "hoo"s with a breathy vibrato.
    for (float start : {1.9f, 2.45f})
        addTone(start, 0.42f, 0.3f, [&](float t, float u) {
            const float env = std::sin(pi * u) * std::sin(pi * u);
            const float f = 410.0f - 60.0f * u + 6.0f * std::sin(t * 2 * pi * 5.5f);
            return 0.22f * env * (std::sin(2 * pi * f * t) + 0.25f * std::sin(4 * pi * f * t));
        });
    // Power failing on the heights: a falling hum with a crackle.
    addTone(1.3f, 1.6f, 0.65f, [&](float t, float u) {
        const float f = 320.0f * std::pow(0.25f, u);
        const float env = (1.0f - u) * std::min(1.0f, t * 20.0f);
        return 0.16f * env * (std::sin(2 * pi * f * t) + 0.4f * std::sin(2 * pi * f * 1.5f * t)) + 0.03f * env * noise();
    });
    // The hero powering up: a rising sweep, then a bright chime.
    addTone(3.1f, 1.2f, 0.5f, [&](float t, float u) {
        const float f = 180.0f * std::pow(5.0f, u);
        const float env = std::min(1.0f, t * 8.0f) * (1.0f - u * 0.6f);
        return 0.14f * env * std::sin(2 * pi * f * t + 0.8f * std::sin(2 * pi * f * 2.0f * t));
    });
    const float chime[] = {523.25f, 659.25f, 783.99f, 1046.5f};
    for (int k = 0; k < 4; ++k)
        addTone(4.3f + k * 0.11f, 1.6f, 0.35f + 0.1f * k, [&](float t, float) {
            return 0.12f * std::exp(-t * 3.2f) * (std::sin(2 * pi * chime[k] * t) + 0.3f * std::sin(2 * pi * chime[k] * 2.76f * t));
        });
    // Fade in and out, then keep peaks below -1 dBFS.
    float peak = 0.0f;
    for (int i = 0; i < n; ++i)
    {
        const float t = float(i) / SAMPLE_RATE;
        const float fade = std::min(1.0f, t / 0.6f) * std::min(1.0f, (DURATION - t) / 0.8f);
        left[size_t(i)] *= fade;
        right[size_t(i)] *= fade;
        peak = std::max(peak, std::max(std::fabs(left[size_t(i)]), std::fabs(right[size_t(i)])));
    }
    const float gain = peak > 0.0f ? 0.8f / peak : 1.0f;
    for (int i = 0; i < n; ++i)
    {
        left[size_t(i)] *= gain;
        right[size_t(i)] *= gain;
    }
    WriteWav(aPath, left, right);
}

// ---- Pictures -------------------------------------------------------------------------------
// The still layers, drawn once wider than the screen and slid for the slow pan.
struct Layers
{
    Canvas sky{WIDTH + 200, HEIGHT};
    Canvas far{WIDTH + 200, HEIGHT};
    Canvas mid{WIDTH + 200, HEIGHT};
    Canvas near{WIDTH + 200, HEIGHT};
};

void DrawLayers(Layers& aLayers)
{
    Sky(aLayers.sky, Hex(0x08122c), Hex(0x134f68), Hex(0x2f9aa6), 0.6f, 303);
    Moon(aLayers.sky, 260, 150, 48);
    Hills(aLayers.far, 470, 140, 0.0024f, Hex(0x1d4a5e), Hex(0x163a4c), 15);
    Mist(aLayers.far, 450, 30, Hex(0xc8b8ec, 0.4f), 81);
    Hills(aLayers.mid, 540, 90, 0.004f, Hex(0x1b4a48), Hex(0x133834), 16);
    PineForest(aLayers.mid, 580, 170, 55, Hex(0x17403a), Hex(0x10302b), 31);
    Mist(aLayers.mid, 585, 24, Hex(0xb9a6e0, 0.3f), 82);
    PineForest(aLayers.near, 760, 330, 120, Hex(0x081a16), Hex(0x040c0b), 33);
    // A clearing in the front forest for the hero: soften the trees' feet with a mossy ground.
    aLayers.near.Fill(0, 640, WIDTH + 200, HEIGHT, [&](float x, float y) {
        return SdEllipse(x, y, 700, 760, 520, 120);
    }, [&](float, float y) { return Mix(Hex(0x123a2c), Hex(0x071612), Clamp01((y - 640) / 80.0f)); });
}

void Composite(Canvas& aFrame, const Canvas& aLayer, float aShift)
{
    const int shift = int(std::lround(aShift));
    for (int y = 0; y < HEIGHT; ++y)
        for (int x = 0; x < WIDTH; ++x)
        {
            const Rgba c = aLayer.Get(std::min(aLayer.Width() - 1, std::max(0, x + shift)), y);
            aFrame.Blend(x, y, c, 1.0f);
        }
}

// The small battery-powered hero: a rounded cell with a cap, cyan eyes and a warm glow.
void Hero(Canvas& aFrame, float aX, float aGroundY, float aPower)
{
    const float k = 1.6f, bodyW = 34 * k, bodyH = 52 * k, cy = aGroundY - bodyH * 0.5f - 8 * k;
    auto body = [&](float x, float y) { return SdRoundRect(x, y, aX, cy, bodyW * 0.5f, bodyH * 0.5f, 12 * k); };
    if (aPower > 0.01f)
        aFrame.Glow(aX - bodyW, cy - bodyH, aX + bodyW, cy + bodyH, body, Hex(0xffb13b, 0.5f * aPower), (90 * aPower + 10) * k);
    // Legs.
    for (float side : {-1.0f, 1.0f})
        aFrame.Fill(aX + side * 9 * k - 6 * k, aGroundY - 12 * k, aX + side * 9 * k + 6 * k, aGroundY,
                    [&](float x, float y) { return SdSegment(x, y, aX + side * 8 * k, aGroundY - 10 * k, aX + side * 10 * k, aGroundY - 2 * k, 3.2f * k); },
                    [&](float, float) { return Hex(0x1b1f2c); });
    const Rgba dark = Hex(0x3a3a40), lit = Hex(0xffc94a);
    aFrame.Fill(aX - bodyW, cy - bodyH, aX + bodyW, cy + bodyH, body, [&](float, float y) {
        const float level = (cy + bodyH * 0.5f) - y;   // fills from the bottom as it powers up
        const float filled = SmoothStep(-2, 2, aPower * bodyH - level);
        return Mix(Mix(dark, Hex(0x25252a), 0.5f), Mix(lit, Hex(0xfff1a0), Clamp01((cy - y) / bodyH + 0.5f)), filled);
    });
    aFrame.Fill(aX - bodyW, cy - bodyH, aX + bodyW, cy + bodyH, [&](float x, float y) { return std::fabs(body(x, y) + 1.5f) - 1.5f; },
                [&](float, float) { return Hex(0x1b1f2c); });
    aFrame.Fill(aX - 8 * k, cy - bodyH * 0.5f - 8 * k, aX + 8 * k, cy - bodyH * 0.5f + 2 * k,
                [&](float x, float y) { return SdRoundRect(x, y, aX, cy - bodyH * 0.5f - 3 * k, 6 * k, 5 * k, 2 * k); },
                [&](float, float) { return Hex(0xb8bcc8); });
    for (float side : {-1.0f, 1.0f})
    {
        const float ex = aX + side * 7 * k, ey = cy - 8 * k;
        auto eye = [&](float x, float y) { return SdCircle(x, y, ex, ey, 4.2f * k); };
        if (aPower > 0.5f)
            aFrame.Glow(ex - 7, ey - 7, ex + 7, ey + 7, eye, Hex(0x5fe8ff, 0.7f * (aPower - 0.5f) * 2), 14 * k);
        aFrame.Fill(ex - 8, ey - 8, ex + 8, ey + 8, eye,
                    [&](float, float) { return Mix(Hex(0x1b1f2c), Hex(0xaaf6ff), Clamp01((aPower - 0.5f) * 2)); });
    }
}

void Caption(Canvas& aFrame, const Font& aFont, const std::string& aText, float aAlpha)
{
    if (aAlpha <= 0.01f)
        return;
    Font::Style s;
    s.pixelHeight = 34;
    s.spacing = 1;
    s.top = WithAlpha(OFF_WHITE, aAlpha);
    s.bottom = WithAlpha(Hex(0xd8d0c0), aAlpha);
    s.outline = 3;
    s.outlineColor = Hex(0x060a16, 0.85f * aAlpha);
    aFont.Draw(aFrame, aText, WIDTH * 0.5f, 96, s, true);
}

float Window(float aT, float aIn, float aOut, float aFade)
{
    return Clamp01((aT - aIn) / aFade) * Clamp01((aOut - aT) / aFade);
}

void DrawFrame(Canvas& aFrame, const Layers& aLayers, const Font& aRegular, const Font& aBold, float aT)
{
    const float pan = aT / DURATION;   // 0..1 across the film
    Composite(aFrame, aLayers.sky, 40 + pan * 30);
    // The factory on the heights: its windows go dark from 1.3 s to 2.9 s.
    Composite(aFrame, aLayers.far, 40 + pan * 50);
    const int dark = int(Clamp01((aT - 1.3f) / 1.6f) * 60);
    Factory(aFrame, 900 - pan * 50, 395, 70, Hex(0x14263a), 1.0f - Clamp01((aT - 2.7f) / 0.4f), 9, dark);
    Composite(aFrame, aLayers.mid, 40 + pan * 80);
    // Owls wake in the dark once the lights are gone.
    const float eyes = Clamp01((aT - 2.0f) / 0.35f);
    const float blink = std::fabs(std::sin(aT * 2.1f)) > 0.08f ? 1.0f : 0.1f;
    OwlEyes(aFrame, 330 - pan * 80, 520, 5, eyes * blink);
    OwlEyes(aFrame, 1040 - pan * 80, 540, 4, Clamp01((aT - 2.3f) / 0.35f));
    Composite(aFrame, aLayers.near, 40 + pan * 130);
    OwlEyes(aFrame, 150 - pan * 130, 470, 7, Clamp01((aT - 2.6f) / 0.3f) * blink);
    // The hero in the clearing switches on.
    Hero(aFrame, 700 - pan * 130, 700, SmoothStep(3.1f, 4.2f, aT));
    Caption(aFrame, aRegular, "The lights on the heights went out...", Window(aT, 1.0f, 3.0f, 0.35f));
    Caption(aFrame, aRegular, "...and one small battery woke up.", Window(aT, 3.3f, 5.1f, 0.35f));
    // The title rises over the last second and a half.
    const float title = Window(aT, 4.4f, 7.0f, 0.5f);
    if (title > 0.01f)
    {
        Font::Style s;
        s.pixelHeight = 96;
        s.spacing = 3;
        s.top = WithAlpha(Hex(0xfff1a0), title);
        s.bottom = WithAlpha(Hex(0xff9a28), title);
        s.outline = 5;
        s.outlineColor = Hex(0x0b1326, title);
        s.glow = 20;
        s.glowColor = Hex(0xffa83a, 0.35f * title);
        aBold.Draw(aFrame, "Owlbright Heights", WIDTH * 0.5f, 230 - title * 12, s, true);
    }
    // Fade from and to black.
    const float fade = std::min(Clamp01(aT / 0.6f), Clamp01((DURATION - aT) / 0.5f));
    for (int y = 0; y < HEIGHT; ++y)
        for (int x = 0; x < WIDTH; ++x)
            aFrame.Blend(x, y, Rgba{0, 0, 0, 1}, 1.0f - fade);
}
}

int main(int aArgc, char** aArgv)
{
    if (aArgc != 4)
    {
        std::fprintf(stderr, "usage: make_intro_video <font folder> <ffmpeg> <output.mp4>\n");
        return 2;
    }
    try
    {
        const std::filesystem::path fonts = aArgv[1], output = aArgv[3];
        std::filesystem::create_directories(output.parent_path());
        const Font regular((fonts / "DejaVuSans.ttf").string()), bold((fonts / "DejaVuSans-Bold.ttf").string());
        const std::filesystem::path wav = output.string() + ".sound.wav";
        MakeSoundTrack(wav);

        const std::string command = std::string("\"") + aArgv[2] +
                                    "\" -loglevel error -y -f rawvideo -pix_fmt rgb24 -s 1280x720 -r 30 -i - -i \"" +
                                    wav.string() +
                                    "\" -map 0:v -map 1:a -c:v libx264 -preset medium -crf 20 -pix_fmt yuv420p -threads 1"
                                    " -x264-params threads=1:lookahead-threads=1 -c:a aac -b:a 128k -shortest"
                                    " -fflags +bitexact -flags:v +bitexact -flags:a +bitexact -map_metadata -1"
                                    " -movflags +faststart \"" +
                                    output.string() + "\"";
        FILE* pipe = popen(command.c_str(), "w");
        if (!pipe)
            throw std::runtime_error("could not start " + std::string(aArgv[2]));
        Layers layers;
        DrawLayers(layers);
        const int frames = int(DURATION * FPS);
        for (int i = 0; i < frames; ++i)
        {
            Canvas frame(WIDTH, HEIGHT);
            DrawFrame(frame, layers, regular, bold, float(i) / FPS);
            const std::vector<std::uint8_t> bytes = frame.ToBytes(3);
            if (std::fwrite(bytes.data(), 1, bytes.size(), pipe) != bytes.size())
                break;
        }
        const int status = pclose(pipe);
        std::filesystem::remove(wav);
        if (status != 0)
            throw std::runtime_error("ffmpeg failed to write " + output.string());
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "make_intro_video: %s\n", e.what());
        return 1;
    }
    return 0;
}
