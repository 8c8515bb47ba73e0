// Makes every sound of the game: the music and ambience loops, the effects and the per-object
// sounds, as 16-bit mono WAV files at 44.1 kHz under the given audio folder.
//
//     make_sounds <assets/game/audio>
//
// Everything is synthesised from fixed recipes and fixed seeds, so every build writes the same
// bytes. Loops are rendered around a circle (a note that rings past the end carries on at the
// start, filters run twice round), so they join without a click. Peaks are normalised below
// -1 dBFS.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr int RATE = 44100;
constexpr double PI = 3.14159265358979323846;
constexpr double TWO_PI = 2.0 * PI;

using Buffer = std::vector<float>;

// ---- deterministic random numbers ---------------------------------------------------------
class Rng
{
public:
    explicit Rng(uint64_t aSeed) : myState(aSeed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
    uint32_t Next()
    {
        myState ^= myState >> 12;
        myState ^= myState << 25;
        myState ^= myState >> 27;
        return static_cast<uint32_t>((myState * 0x2545F4914F6CDD1Dull) >> 32);
    }
    float Uniform() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }
    float Bipolar() { return Uniform() * 2.0f - 1.0f; }
    int Range(int aMin, int aMax) { return aMin + static_cast<int>(Next() % static_cast<uint32_t>(aMax - aMin + 1)); }

private:
    uint64_t myState;
};

int Samples(double aSeconds) { return static_cast<int>(std::lround(aSeconds * RATE)); }
double MidiToHz(double aNote) { return 440.0 * std::pow(2.0, (aNote - 69.0) / 12.0); }

// ---- a canvas that either ends (one-shots) or wraps around (loops) -------------------------
struct Canvas
{
    Buffer samples;
    bool loop = false;

    explicit Canvas(int aLength, bool aLoop) : samples(static_cast<size_t>(aLength), 0.0f), loop(aLoop) {}
    int Length() const { return static_cast<int>(samples.size()); }
    void Add(long aIndex, float aValue)
    {
        const long n = Length();
        if (loop)
            samples[static_cast<size_t>(((aIndex % n) + n) % n)] += aValue;
        else if (aIndex >= 0 && aIndex < n)
            samples[static_cast<size_t>(aIndex)] += aValue;
    }
};

// ---- oscillators ---------------------------------------------------------------------------
double PolyBlep(double aPhase, double aIncrement)
{
    if (aPhase < aIncrement)
    {
        const double t = aPhase / aIncrement;
        return t + t - t * t - 1.0;
    }
    if (aPhase > 1.0 - aIncrement)
    {
        const double t = (aPhase - 1.0) / aIncrement;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

enum class Wave
{
    Sine,
    Triangle,
    Square,
    Saw,
};

// One sample of a wave at a phase in cycles (0..1), band-limited for the square and the saw.
double WaveAt(Wave aWave, double aPhase, double aIncrement)
{
    switch (aWave)
    {
    case Wave::Sine: return std::sin(TWO_PI * aPhase);
    case Wave::Triangle: return 1.0 - 4.0 * std::fabs(aPhase - 0.5);
    case Wave::Square: {
        double value = aPhase < 0.5 ? 1.0 : -1.0;
        value += PolyBlep(aPhase, aIncrement);
        value -= PolyBlep(std::fmod(aPhase + 0.5, 1.0), aIncrement);
        return value;
    }
    case Wave::Saw: return 2.0 * aPhase - 1.0 - PolyBlep(aPhase, aIncrement);
    }
    return 0.0;
}

// ---- filters ----------------------------------------------------------------------------
struct OnePole
{
    double state = 0.0;
    double cutoff = -1.0;
    double coefficient = 0.0;
    double LowPass(double aInput, double aCutoff)
    {
        if (aCutoff != cutoff)
        {
            cutoff = aCutoff;
            coefficient = 1.0 - std::exp(-TWO_PI * aCutoff / RATE);
        }
        state += coefficient * (aInput - state);
        return state;
    }
};

// A state-variable filter (Chamberlin), stable well below a sixth of the rate.
struct Svf
{
    double low = 0.0, band = 0.0;
    double cutoff = -1.0;
    double f = 0.0;
    void Run(double aInput, double aCutoff, double aQ)
    {
        if (aCutoff != cutoff)
        {
            cutoff = aCutoff;
            f = 2.0 * std::sin(PI * std::min(aCutoff, RATE / 6.5) / RATE);
        }
        const double damping = 1.0 / aQ;
        low += f * band;
        const double high = aInput - low - damping * band;
        band += f * high;
    }
    double High(double aInput) const { return aInput - low - band; }
};

// ---- envelopes -------------------------------------------------------------------------------
// Rises over aAttack, then decays exponentially with time constant aDecay.
double Percussive(double t, double aAttack, double aDecay)
{
    if (t < 0.0)
        return 0.0;
    if (t < aAttack)
        return t / aAttack;
    return std::exp(-(t - aAttack) / aDecay);
}

// Attack, hold at 1, release to 0 at aLength.
double Gate(double t, double aAttack, double aLength, double aRelease)
{
    if (t < 0.0 || t > aLength)
        return 0.0;
    double value = 1.0;
    if (t < aAttack)
        value = t / aAttack;
    if (t > aLength - aRelease)
        value = std::min(value, (aLength - t) / aRelease);
    return value;
}

// ---- voices --------------------------------------------------------------------------------
struct ToneSpec
{
    double start = 0.0;      // seconds
    double length = 0.2;     // seconds the voice sounds
    double fromHz = 440.0;
    double toHz = 440.0;     // exponential glide over the length
    Wave wave = Wave::Sine;
    double gain = 0.5;
    double attack = 0.003;
    double decay = 1e9;      // exponential decay time constant; huge = none
    double release = 0.01;   // linear fade to 0 at the end
    double vibratoHz = 0.0;
    double vibratoDepth = 0.0;   // in semitones
    double lowPass = 0.0;        // 0: none
};

void AddTone(Canvas& aCanvas, const ToneSpec& s)
{
    const long first = Samples(s.start);
    const int count = Samples(s.length);
    double phase = 0.0;
    OnePole filter;
    for (int i = 0; i < count; ++i)
    {
        const double t = static_cast<double>(i) / RATE;
        const double glide = count > 1 ? static_cast<double>(i) / (count - 1) : 0.0;
        double hz = s.fromHz == s.toHz ? s.fromHz : s.fromHz * std::pow(s.toHz / s.fromHz, glide);
        if (s.vibratoDepth > 0.0)
            hz *= std::pow(2.0, s.vibratoDepth / 12.0 * std::sin(TWO_PI * s.vibratoHz * t));
        const double increment = hz / RATE;
        double value = WaveAt(s.wave, phase, increment);
        if (s.lowPass > 0.0)
            value = filter.LowPass(value, s.lowPass);
        const double envelope = Percussive(t, s.attack, s.decay) * Gate(t, 0.0, s.length, s.release);
        aCanvas.Add(first + i, static_cast<float>(value * envelope * s.gain));
        phase += increment;
        phase -= std::floor(phase);
    }
}

struct NoiseSpec
{
    double start = 0.0;
    double length = 0.2;
    double gain = 0.5;
    double attack = 0.002;
    double decay = 1e9;
    double release = 0.01;
    double fromCutoff = 4000.0;   // band centre (or low-pass cutoff), glides exponentially
    double toCutoff = 4000.0;
    double q = 0.7;
    enum Mode
    {
        LowPass,
        BandPass,
        HighPass,
    } mode = LowPass;
    uint64_t seed = 1;
    double tremoloHz = 0.0;   // amplitude modulation (wings, fan blades)
    double tremoloDepth = 0.0;
};

void AddNoise(Canvas& aCanvas, const NoiseSpec& s)
{
    const long first = Samples(s.start);
    const int count = Samples(s.length);
    Rng rng(s.seed);
    Svf filter;
    for (int i = 0; i < count; ++i)
    {
        const double t = static_cast<double>(i) / RATE;
        const double glide = count > 1 ? static_cast<double>(i) / (count - 1) : 0.0;
        const double cutoff =
            s.fromCutoff == s.toCutoff ? s.fromCutoff : s.fromCutoff * std::pow(s.toCutoff / s.fromCutoff, glide);
        const double input = rng.Bipolar();
        filter.Run(input, cutoff, s.q);
        double value = s.mode == NoiseSpec::LowPass ? filter.low
                       : s.mode == NoiseSpec::BandPass ? filter.band
                                                       : filter.High(input);
        double envelope = Percussive(t, s.attack, s.decay) * Gate(t, 0.0, s.length, s.release);
        if (s.tremoloDepth > 0.0)
            envelope *= 1.0 - s.tremoloDepth * 0.5 * (1.0 - std::cos(TWO_PI * s.tremoloHz * t));
        aCanvas.Add(first + i, static_cast<float>(value * envelope * s.gain));
    }
}

// A metallic hit: two-operator FM with a decaying index.
void AddBell(Canvas& aCanvas, double aStart, double aHz, double aRatio, double aIndex, double aDecay, double aGain,
             double aLength = -1.0)
{
    const double length = aLength > 0.0 ? aLength : aDecay * 6.0;
    const long first = Samples(aStart);
    const int count = Samples(length);
    for (int i = 0; i < count; ++i)
    {
        const double t = static_cast<double>(i) / RATE;
        const double envelope = Percussive(t, 0.002, aDecay) * Gate(t, 0.0, length, 0.02);
        const double index = aIndex * std::exp(-t / (aDecay * 0.5));
        const double value = std::sin(TWO_PI * aHz * t + index * std::sin(TWO_PI * aHz * aRatio * t));
        aCanvas.Add(first + i, static_cast<float>(value * envelope * aGain));
    }
}

// A plucked string (Karplus-Strong), woody and bright at the start.
void AddPluck(Canvas& aCanvas, double aStart, double aHz, double aLength, double aGain, uint64_t aSeed,
              double aDamping = 0.996)
{
    const int period = std::max(2, static_cast<int>(std::lround(RATE / aHz)));
    std::vector<double> line(static_cast<size_t>(period));
    Rng rng(aSeed);
    OnePole smooth;
    for (double& v : line)
        v = smooth.LowPass(rng.Bipolar(), 6000.0);
    const long first = Samples(aStart);
    const int count = Samples(aLength);
    size_t index = 0;
    double previous = 0.0;
    for (int i = 0; i < count; ++i)
    {
        const double t = static_cast<double>(i) / RATE;
        const double current = line[index];
        line[index] = aDamping * 0.5 * (current + previous);
        previous = current;
        index = (index + 1) % line.size();
        aCanvas.Add(first + i, static_cast<float>(current * aGain * Gate(t, 0.001, aLength, 0.05)));
    }
}

// A struck bar: fundamental and its fourth partial, the partial dying fast.
void AddMarimba(Canvas& aCanvas, double aStart, double aHz, double aGain, double aDecay = 0.35)
{
    const double length = aDecay * 5.0;
    const long first = Samples(aStart);
    const int count = Samples(length);
    for (int i = 0; i < count; ++i)
    {
        const double t = static_cast<double>(i) / RATE;
        const double gate = Gate(t, 0.0, length, 0.03);
        const double value = std::sin(TWO_PI * aHz * t) * Percussive(t, 0.002, aDecay) +
                             0.35 * std::sin(TWO_PI * aHz * 3.93 * t) * Percussive(t, 0.001, aDecay * 0.18) +
                             0.15 * std::sin(TWO_PI * aHz * 9.2 * t) * Percussive(t, 0.0005, 0.012);
        aCanvas.Add(first + i, static_cast<float>(value * gate * aGain));
    }
}

// Drums.
void AddKick(Canvas& aCanvas, double aStart, double aGain, double aTop = 150.0, double aBottom = 48.0)
{
    const long first = Samples(aStart);
    const int count = Samples(0.35);
    double phase = 0.0;
    for (int i = 0; i < count; ++i)
    {
        const double t = static_cast<double>(i) / RATE;
        const double hz = aBottom + (aTop - aBottom) * std::exp(-t / 0.03);
        phase += hz / RATE;
        const double value = std::sin(TWO_PI * phase) * Percussive(t, 0.001, 0.11) * Gate(t, 0.0, 0.35, 0.03);
        aCanvas.Add(first + i, static_cast<float>(value * aGain));
    }
}

void AddSnare(Canvas& aCanvas, double aStart, double aGain, uint64_t aSeed)
{
    NoiseSpec noise;
    noise.start = aStart;
    noise.length = 0.22;
    noise.gain = aGain;
    noise.decay = 0.05;
    noise.mode = NoiseSpec::BandPass;
    noise.fromCutoff = noise.toCutoff = 2500.0;
    noise.q = 0.8;
    noise.seed = aSeed;
    AddNoise(aCanvas, noise);
    ToneSpec body;
    body.start = aStart;
    body.length = 0.12;
    body.fromHz = 220.0;
    body.toHz = 160.0;
    body.gain = aGain * 0.6;
    body.decay = 0.04;
    AddTone(aCanvas, body);
}

void AddHat(Canvas& aCanvas, double aStart, double aGain, uint64_t aSeed, double aDecay = 0.025)
{
    NoiseSpec noise;
    noise.start = aStart;
    noise.length = aDecay * 5.0;
    noise.gain = aGain;
    noise.decay = aDecay;
    noise.mode = NoiseSpec::HighPass;
    noise.fromCutoff = noise.toCutoff = 6500.0;
    noise.seed = aSeed;
    AddNoise(aCanvas, noise);
}

void AddShaker(Canvas& aCanvas, double aStart, double aGain, uint64_t aSeed)
{
    NoiseSpec noise;
    noise.start = aStart;
    noise.length = 0.09;
    noise.gain = aGain;
    noise.attack = 0.02;
    noise.decay = 0.03;
    noise.mode = NoiseSpec::BandPass;
    noise.fromCutoff = noise.toCutoff = 5000.0;
    noise.q = 1.2;
    noise.seed = aSeed;
    AddNoise(aCanvas, noise);
}

// ---- finishing -------------------------------------------------------------------------------
// Runs an IIR over a loop twice round, so that the filtered loop is as continuous at its join
// as anywhere else.
void CircularLowPass(Buffer& aSamples, double aCutoff)
{
    OnePole filter;
    for (float v : aSamples)
        filter.LowPass(v, aCutoff);
    for (float& v : aSamples)
        v = static_cast<float>(filter.LowPass(v, aCutoff));
}

void RemoveDc(Buffer& aSamples)
{
    double sum = 0.0;
    for (float v : aSamples)
        sum += v;
    const float mean = static_cast<float>(sum / static_cast<double>(std::max<size_t>(1, aSamples.size())));
    for (float& v : aSamples)
        v -= mean;
}

// Peak to aPeak (linear); a one-shot also gets a short fade-in and fade-out so it starts and
// ends at silence.
void Finish(Buffer& aSamples, bool aLoop, double aPeak)
{
    if (!aLoop)
    {
        const int fadeIn = std::min<int>(Samples(0.001), static_cast<int>(aSamples.size()));
        const int fadeOut = std::min<int>(Samples(0.006), static_cast<int>(aSamples.size()));
        for (int i = 0; i < fadeIn; ++i)
            aSamples[static_cast<size_t>(i)] *= static_cast<float>(i) / static_cast<float>(fadeIn);
        for (int i = 0; i < fadeOut; ++i)
            aSamples[aSamples.size() - 1 - static_cast<size_t>(i)] *= static_cast<float>(i) / static_cast<float>(fadeOut);
    }
    else
        RemoveDc(aSamples);
    float peak = 0.0f;
    for (float v : aSamples)
        peak = std::max(peak, std::fabs(v));
    if (peak <= 0.0f)
        return;
    const float scale = static_cast<float>(aPeak) / peak;
    for (float& v : aSamples)
        v *= scale;
}

void WriteLittle(std::ofstream& aOut, uint32_t aValue, int aBytes)
{
    for (int i = 0; i < aBytes; ++i)
        aOut.put(static_cast<char>((aValue >> (8 * i)) & 0xFF));
}

bool WriteWav(const std::filesystem::path& aPath, const Buffer& aSamples)
{
    std::ofstream out(aPath, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    const uint32_t dataBytes = static_cast<uint32_t>(aSamples.size() * 2);
    out.write("RIFF", 4);
    WriteLittle(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    WriteLittle(out, 16, 4);
    WriteLittle(out, 1, 2);   // integer PCM
    WriteLittle(out, 1, 2);   // mono
    WriteLittle(out, RATE, 4);
    WriteLittle(out, RATE * 2, 4);
    WriteLittle(out, 2, 2);
    WriteLittle(out, 16, 2);
    out.write("data", 4);
    WriteLittle(out, dataBytes, 4);
    for (float v : aSamples)
    {
        const long value = std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
        WriteLittle(out, static_cast<uint32_t>(static_cast<int32_t>(value)) & 0xFFFF, 2);
    }
    return static_cast<bool>(out);
}

// -1.5 dBFS for effects, a little lower for music and ambience so layered playback has room.
constexpr double EFFECT_PEAK = 0.84;
constexpr double MUSIC_PEAK = 0.79;
constexpr double AMBIENT_PEAK = 0.6;

// ---- music ----------------------------------------------------------------------------------
enum class Lead
{
    Marimba,
    Pluck,
    Bell,
    Metal,
    Flute,
};
enum class Bass
{
    Round,
    Saw,
    Sub,
};
enum class Drums
{
    Soft,
    Woody,
    Driving,
    Gentle,
    None,
};

struct Song
{
    const char* file;
    double bpm;
    int bars;             // of 4/4, 16 steps each
    int root;             // MIDI note of the key's tonic
    std::vector<int> scale;      // semitones from the root
    std::vector<int> chords;     // scale degree of each bar's chord root (0-based)
    Lead lead;
    Bass bass;
    Drums drums;
    bool pad;
    bool arpeggio;
    uint64_t seed;
    bool loop;
    double tail = 0.0;    // one-shot pieces: seconds of ring-out after the last bar
};

const std::vector<int> MAJOR = {0, 2, 4, 5, 7, 9, 11};
const std::vector<int> MINOR = {0, 2, 3, 5, 7, 8, 10};
const std::vector<int> DORIAN = {0, 2, 3, 5, 7, 9, 10};
const std::vector<int> MIXOLYDIAN = {0, 2, 4, 5, 7, 9, 10};

int ScaleNote(const Song& aSong, int aDegree, int aOctave)
{
    const int size = static_cast<int>(aSong.scale.size());
    int octave = aOctave + (aDegree >= 0 ? aDegree / size : -((-aDegree + size - 1) / size));
    const int index = ((aDegree % size) + size) % size;
    return aSong.root + 12 * octave + aSong.scale[static_cast<size_t>(index)];
}

struct Note
{
    int step;       // 16th step from the start of the bar
    int length;     // in steps
    int degree;     // scale degree relative to the tonic
};

// A two-bar phrase: rhythm from a small set of patterns, pitches a walk over the scale that keeps
// moving (up or down by a step or two, turning now and then) and lands on a chord tone at the
// start of each beat.
std::vector<Note> MakePhrase(Rng& aRng, int aChordA, int aChordB, bool aEndOnTonic)
{
    static const std::vector<std::vector<int>> RHYTHMS = {
        {0, 4, 6, 8, 12}, {0, 2, 4, 8, 10, 12}, {0, 6, 8, 12, 14}, {0, 3, 6, 8, 11, 12}, {0, 4, 8, 10, 12, 14},
    };
    constexpr int LOWEST = -1;
    constexpr int HIGHEST = 10;
    std::vector<Note> notes;
    int degree = aChordA + 2 * aRng.Range(0, 2);
    int direction = aRng.Range(0, 1) ? 1 : -1;
    for (int bar = 0; bar < 2; ++bar)
    {
        const std::vector<int>& rhythm = RHYTHMS[aRng.Next() % RHYTHMS.size()];
        const int chord = bar == 0 ? aChordA : aChordB;
        for (size_t i = 0; i < rhythm.size(); ++i)
        {
            const int step = rhythm[i];
            const int next = i + 1 < rhythm.size() ? rhythm[i + 1] : 16;
            if (aRng.Uniform() < 0.3f)
                direction = -direction;
            int target = degree + direction * aRng.Range(1, 2);
            if (step % 4 == 0)
            {
                // The chord tone nearest the target that is not the note just played.
                int best = target;
                int bestDistance = 1000;
                for (int candidate = LOWEST; candidate <= HIGHEST; ++candidate)
                {
                    const int offset = ((candidate - chord) % 7 + 7) % 7;
                    const bool chordTone = offset == 0 || offset == 2 || offset == 4;
                    if (chordTone && candidate != degree && std::abs(candidate - target) < bestDistance)
                    {
                        best = candidate;
                        bestDistance = std::abs(candidate - target);
                    }
                }
                target = best;
            }
            if (target < LOWEST || target > HIGHEST)
            {
                direction = -direction;
                target = std::clamp(degree + direction, LOWEST, HIGHEST);
            }
            degree = target;
            notes.push_back({bar * 16 + step, next - step, degree});
        }
    }
    if (aEndOnTonic && !notes.empty())
        notes.back().degree = notes.back().degree > 3 ? 7 : 0;
    return notes;
}

void AddLeadNote(Canvas& aCanvas, Lead aLead, double aStart, double aLength, double aHz, uint64_t aSeed)
{
    switch (aLead)
    {
    case Lead::Marimba: AddMarimba(aCanvas, aStart, aHz, 0.34, 0.32); break;
    case Lead::Pluck: AddPluck(aCanvas, aStart, aHz, std::max(0.4, aLength + 0.3), 0.42, aSeed, 0.995); break;
    case Lead::Bell: AddBell(aCanvas, aStart, aHz, 3.5, 1.6, 0.45, 0.22); break;
    case Lead::Metal: {
        ToneSpec tone;
        tone.start = aStart;
        tone.length = aLength * 0.95;
        tone.fromHz = tone.toHz = aHz;
        tone.wave = Wave::Square;
        tone.gain = 0.12;
        tone.attack = 0.005;
        tone.decay = 0.3;
        tone.release = 0.03;
        tone.lowPass = 2600.0;
        AddTone(aCanvas, tone);
        AddBell(aCanvas, aStart, aHz * 2.0, 1.41, 2.2, 0.12, 0.1);
        break;
    }
    case Lead::Flute: {
        ToneSpec tone;
        tone.start = aStart;
        tone.length = aLength;
        tone.fromHz = tone.toHz = aHz;
        tone.wave = Wave::Triangle;
        tone.gain = 0.24;
        tone.attack = 0.04;
        tone.release = 0.08;
        tone.vibratoHz = 5.0;
        tone.vibratoDepth = 0.12;
        AddTone(aCanvas, tone);
        break;
    }
    }
}

void AddBassNote(Canvas& aCanvas, Bass aBass, double aStart, double aLength, double aHz)
{
    ToneSpec tone;
    tone.start = aStart;
    tone.length = aLength;
    tone.fromHz = tone.toHz = aHz;
    switch (aBass)
    {
    case Bass::Round:
        tone.wave = Wave::Triangle;
        tone.gain = 0.42;
        tone.decay = 0.35;
        tone.lowPass = 900.0;
        break;
    case Bass::Saw:
        tone.wave = Wave::Saw;
        tone.gain = 0.26;
        tone.decay = 0.25;
        tone.lowPass = 700.0;
        break;
    case Bass::Sub:
        tone.wave = Wave::Sine;
        tone.gain = 0.4;
        tone.attack = 0.02;
        tone.release = 0.1;
        break;
    }
    AddTone(aCanvas, tone);
}

void AddPadChord(Canvas& aCanvas, double aStart, double aLength, const std::vector<double>& aHz, double aGain)
{
    for (size_t i = 0; i < aHz.size(); ++i)
        for (double detune : {-0.06, 0.06})
        {
            ToneSpec tone;
            tone.start = aStart;
            tone.length = aLength + 0.25;
            tone.fromHz = tone.toHz = aHz[i] * std::pow(2.0, detune / 12.0);
            tone.wave = Wave::Saw;
            tone.gain = aGain;
            tone.attack = 0.3;
            tone.release = 0.4;
            tone.lowPass = 1400.0;
            AddTone(aCanvas, tone);
        }
}

Buffer MakeSong(const Song& aSong)
{
    const double stepSeconds = 60.0 / aSong.bpm / 4.0;
    const int stepSamples = Samples(stepSeconds);
    const double step = static_cast<double>(stepSamples) / RATE;   // whole samples, so loops close exactly
    const int bodySamples = stepSamples * 16 * aSong.bars;
    Canvas canvas(bodySamples + (aSong.loop ? 0 : Samples(aSong.tail)), aSong.loop);
    Rng rng(aSong.seed);

    // Melody: phrases A A' B A'' over pairs of bars.
    const int pairs = aSong.bars / 2;
    std::vector<std::vector<Note>> phrases;
    std::vector<Note> a = MakePhrase(rng, aSong.chords[0], aSong.chords[1 % aSong.chords.size()], false);
    for (int pair = 0; pair < pairs; ++pair)
    {
        const int chordA = aSong.chords[static_cast<size_t>(2 * pair) % aSong.chords.size()];
        const int chordB = aSong.chords[static_cast<size_t>(2 * pair + 1) % aSong.chords.size()];
        const bool last = pair == pairs - 1;
        if (pair % 4 == 2)
            phrases.push_back(MakePhrase(rng, chordA, chordB, last));
        else
        {
            std::vector<Note> phrase = a;
            if (pair % 4 != 0 && !phrase.empty())
                phrase.back().degree = last ? 0 : phrase.back().degree + rng.Range(-2, 2);
            phrases.push_back(phrase);
        }
    }
    uint64_t noteSeed = aSong.seed * 1000;
    for (int pair = 0; pair < pairs; ++pair)
        for (const Note& note : phrases[static_cast<size_t>(pair)])
        {
            const double start = (pair * 32 + note.step) * step;
            AddLeadNote(canvas, aSong.lead, start, note.length * step, MidiToHz(ScaleNote(aSong, note.degree, 1)),
                        ++noteSeed);
        }

    for (int bar = 0; bar < aSong.bars; ++bar)
    {
        const int chord = aSong.chords[static_cast<size_t>(bar) % aSong.chords.size()];
        const double barStart = bar * 16 * step;
        // Bass: root on the beats, the fifth on the offbeat of beat 3.
        const int bassOctave = aSong.root >= 58 ? -2 : -1;
        const int rootNote = ScaleNote(aSong, chord, bassOctave);
        const int fifthNote = ScaleNote(aSong, chord + 4, bassOctave);
        if (aSong.bass == Bass::Sub)
            AddBassNote(canvas, aSong.bass, barStart, 16 * step, MidiToHz(rootNote));
        else
            for (int s : {0, 4, 8, 10, 12})
                AddBassNote(canvas, aSong.bass, barStart + s * step, (s == 8 ? 2 : 4) * step * 0.9,
                            MidiToHz(s == 10 ? fifthNote : rootNote));
        const std::vector<double> triad = {MidiToHz(ScaleNote(aSong, chord, 0)), MidiToHz(ScaleNote(aSong, chord + 2, 0)),
                                           MidiToHz(ScaleNote(aSong, chord + 4, 0))};
        if (aSong.pad)
            AddPadChord(canvas, barStart, 16 * step, triad, 0.035);
        if (aSong.arpeggio)
            for (int s = 0; s < 16; s += 2)
                AddPluck(canvas, barStart + s * step, triad[static_cast<size_t>(s / 2) % 3] * 2.0, 0.35, 0.12,
                         static_cast<uint64_t>(bar * 16 + s + 7), 0.99);

        // Percussion.
        for (int s = 0; s < 16; ++s)
        {
            const double t = barStart + s * step;
            const uint64_t seed = static_cast<uint64_t>(s + 1);
            switch (aSong.drums)
            {
            case Drums::Soft:
                if (s == 0 || s == 8)
                    AddKick(canvas, t, 0.45, 110.0, 45.0);
                if (s % 4 == 2)
                    AddShaker(canvas, t, 0.1, seed);
                break;
            case Drums::Woody:
                if (s == 0 || s == 6 || s == 8)
                    AddKick(canvas, t, 0.5);
                if (s == 4 || s == 12)
                    AddMarimba(canvas, t, 900.0, 0.12, 0.03);   // a wood block
                if (s % 2 == 0)
                    AddShaker(canvas, t, s % 4 == 2 ? 0.12 : 0.06, seed);
                break;
            case Drums::Driving:
                if (s % 4 == 0)
                    AddKick(canvas, t, 0.6);
                if (s == 4 || s == 12)
                    AddSnare(canvas, t, 0.35, seed);
                AddHat(canvas, t, s % 2 == 0 ? 0.1 : 0.05, seed);
                if (s == 14)
                    AddBell(canvas, t, 1800.0, 2.76, 3.0, 0.04, 0.05);   // a clank
                break;
            case Drums::Gentle:
                if (s == 0)
                    AddKick(canvas, t, 0.35, 100.0, 45.0);
                if (s == 8)
                    AddHat(canvas, t, 0.05, seed, 0.06);
                break;
            case Drums::None: break;
            }
        }
    }
    if (!aSong.loop)
    {
        // A last chord that rings out.
        const double end = bodySamples / static_cast<double>(RATE);
        AddLeadNote(canvas, aSong.lead, end, 1.5, MidiToHz(ScaleNote(aSong, 0, 1)), 99);
        AddBassNote(canvas, aSong.bass == Bass::Saw ? Bass::Round : aSong.bass, end, aSong.tail * 0.8,
                    MidiToHz(ScaleNote(aSong, 0, -1)));
        if (aSong.pad)
            AddPadChord(canvas, end, aSong.tail * 0.7,
                        {MidiToHz(ScaleNote(aSong, 0, 0)), MidiToHz(ScaleNote(aSong, 2, 0)), MidiToHz(ScaleNote(aSong, 4, 0))},
                        0.035);
        // A gentle fade over the last seconds.
        Buffer& s = canvas.samples;
        const int fade = std::min<int>(Samples(aSong.tail), static_cast<int>(s.size()));
        for (int i = 0; i < fade; ++i)
            s[s.size() - 1 - static_cast<size_t>(i)] *= static_cast<float>(i) / static_cast<float>(fade);
    }
    CircularLowPass(canvas.samples, 12000.0);
    Finish(canvas.samples, aSong.loop, MUSIC_PEAK);
    return canvas.samples;
}

// ---- ambience and per-object loops ------------------------------------------------------------
// Filtered noise whose brightness and level swell a whole number of times round the loop.
void AddWind(Canvas& aCanvas, double aGain, double aCutoff, int aSwells, uint64_t aSeed, double aQ = 0.6)
{
    const int n = aCanvas.Length();
    Rng rng(aSeed);
    Buffer noise(static_cast<size_t>(n));
    for (float& v : noise)
        v = rng.Bipolar();
    Svf filter;
    // Twice round: the second pass starts from the state the loop ends in.
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < n; ++i)
        {
            const double phase = static_cast<double>(i) / n;
            const double swell = 0.5 - 0.5 * std::cos(TWO_PI * aSwells * phase);
            filter.Run(noise[static_cast<size_t>(i)], aCutoff * (0.6 + 0.8 * swell), aQ);
            if (pass == 1)
                aCanvas.samples[static_cast<size_t>(i)] += static_cast<float>(filter.band * aGain * (0.4 + 0.6 * swell));
        }
}

// A steady tone made of harmonics whose cycles all close on the loop length.
void AddHum(Canvas& aCanvas, double aHz, const std::vector<double>& aHarmonics, double aGain, int aWobbles)
{
    const int n = aCanvas.Length();
    const double seconds = static_cast<double>(n) / RATE;
    const double cycles = std::max(1.0, std::round(aHz * seconds));
    for (int i = 0; i < n; ++i)
    {
        const double phase = static_cast<double>(i) / n;
        double value = 0.0;
        for (size_t h = 0; h < aHarmonics.size(); ++h)
            value += aHarmonics[h] * std::sin(TWO_PI * cycles * static_cast<double>(h + 1) * phase);
        const double wobble = 1.0 - 0.3 * (0.5 - 0.5 * std::cos(TWO_PI * aWobbles * phase));
        aCanvas.samples[static_cast<size_t>(i)] += static_cast<float>(value * wobble * aGain);
    }
}

void AddHoot(Canvas& aCanvas, double aStart, double aHz, double aGain)
{
    for (int i = 0; i < 2; ++i)
    {
        ToneSpec tone;
        tone.start = aStart + i * 0.45;
        tone.length = i == 0 ? 0.25 : 0.5;
        tone.fromHz = aHz * (i == 0 ? 1.0 : 1.02);
        tone.toHz = aHz * (i == 0 ? 1.03 : 0.94);
        tone.gain = aGain;
        tone.attack = 0.05;
        tone.release = 0.15;
        tone.vibratoHz = 6.0;
        tone.vibratoDepth = 0.15;
        AddTone(aCanvas, tone);
    }
}

void AddCricket(Canvas& aCanvas, double aStart, double aGain)
{
    for (int chirp = 0; chirp < 3; ++chirp)
    {
        ToneSpec tone;
        tone.start = aStart + chirp * 0.07;
        tone.length = 0.045;
        tone.fromHz = tone.toHz = 4400.0;
        tone.gain = aGain;
        tone.attack = 0.005;
        tone.release = 0.02;
        AddTone(aCanvas, tone);
    }
}

Buffer MakeForestNight()
{
    Canvas canvas(Samples(24.0), true);
    AddWind(canvas, 0.5, 500.0, 3, 11);
    AddWind(canvas, 0.12, 2200.0, 5, 12, 1.5);   // leaves
    for (double t = 0.3; t < 24.0; t += 1.7)
        AddCricket(canvas, t, 0.05);
    for (double t = 1.0; t < 24.0; t += 2.3)
        AddCricket(canvas, t, 0.03);
    AddHoot(canvas, 5.0, 390.0, 0.18);
    AddHoot(canvas, 15.5, 360.0, 0.12);
    AddHoot(canvas, 23.2, 400.0, 0.1);   // rings across the join
    Finish(canvas.samples, true, AMBIENT_PEAK);
    return canvas.samples;
}

Buffer MakeFactory()
{
    Canvas canvas(Samples(20.0), true);
    AddHum(canvas, 55.0, {1.0, 0.5, 0.3, 0.2, 0.1}, 0.22, 4);
    AddWind(canvas, 0.18, 1800.0, 2, 21, 0.9);   // steam hiss
    for (double t = 0.5; t < 20.0; t += 2.5)
    {
        AddBell(canvas, t, 420.0 + 60.0 * std::fmod(t, 3.0), 1.4, 3.5, 0.15, 0.12);   // distant clanks
        AddKick(canvas, t + 1.25, 0.25, 90.0, 40.0);                                   // presses
    }
    NoiseSpec steam;
    steam.length = 1.2;
    steam.gain = 0.12;
    steam.attack = 0.2;
    steam.release = 0.6;
    steam.mode = NoiseSpec::HighPass;
    steam.fromCutoff = steam.toCutoff = 3000.0;
    for (double t : {3.2, 11.7, 19.4})
    {
        steam.start = t;
        steam.seed = static_cast<uint64_t>(t * 10);
        AddNoise(canvas, steam);
    }
    Finish(canvas.samples, true, AMBIENT_PEAK);
    return canvas.samples;
}

Buffer MakeHeights()
{
    Canvas canvas(Samples(22.0), true);
    AddWind(canvas, 0.6, 700.0, 4, 31, 0.8);
    AddWind(canvas, 0.2, 3000.0, 7, 32, 2.0);   // whistling gusts
    AddHum(canvas, 41.0, {1.0, 0.6, 0.2}, 0.15, 2);
    for (double t : {2.0, 9.5, 16.0, 21.6})
    {
        ToneSpec creak;
        creak.start = t;
        creak.length = 0.6;
        creak.fromHz = 180.0;
        creak.toHz = 140.0;
        creak.wave = Wave::Saw;
        creak.gain = 0.06;
        creak.attack = 0.1;
        creak.release = 0.2;
        creak.lowPass = 900.0;
        creak.vibratoHz = 23.0;
        creak.vibratoDepth = 0.6;
        AddTone(canvas, creak);
    }
    Finish(canvas.samples, true, AMBIENT_PEAK);
    return canvas.samples;
}

// A short loop built from a one-shot pattern on a circle.
Buffer MakeLoop(double aSeconds, const std::function<void(Canvas&)>& aBuild, double aPeak = EFFECT_PEAK * 0.8)
{
    Canvas canvas(Samples(aSeconds), true);
    aBuild(canvas);
    CircularLowPass(canvas.samples, 14000.0);
    Finish(canvas.samples, true, aPeak);
    return canvas.samples;
}

// ---- one-shot effects -----------------------------------------------------------------------------
Buffer MakeEffect(double aSeconds, const std::function<void(Canvas&)>& aBuild)
{
    Canvas canvas(Samples(aSeconds), false);
    aBuild(canvas);
    Finish(canvas.samples, false, EFFECT_PEAK);
    return canvas.samples;
}

void Step(Canvas& c, double aStart, double aCutoff, double aThump, uint64_t aSeed)
{
    NoiseSpec noise;
    noise.start = aStart;
    noise.length = 0.09;
    noise.gain = 0.7;
    noise.decay = 0.018;
    noise.fromCutoff = aCutoff;
    noise.toCutoff = aCutoff * 0.5;
    noise.mode = NoiseSpec::BandPass;
    noise.q = 0.9;
    noise.seed = aSeed;
    AddNoise(c, noise);
    ToneSpec thump;
    thump.start = aStart;
    thump.length = 0.07;
    thump.fromHz = aThump;
    thump.toHz = aThump * 0.6;
    thump.gain = 0.5;
    thump.decay = 0.02;
    AddTone(c, thump);
}

void Blip(Canvas& c, double aStart, double aLength, double aFrom, double aTo, Wave aWave, double aGain,
          double aDecay = 1e9)
{
    ToneSpec tone;
    tone.start = aStart;
    tone.length = aLength;
    tone.fromHz = aFrom;
    tone.toHz = aTo;
    tone.wave = aWave;
    tone.gain = aGain;
    tone.decay = aDecay;
    tone.release = std::min(0.03, aLength * 0.3);
    tone.lowPass = aWave == Wave::Sine ? 0.0 : 5000.0;
    AddTone(c, tone);
}

void Burst(Canvas& c, double aStart, double aLength, double aFrom, double aTo, NoiseSpec::Mode aMode, double aGain,
           double aDecay, uint64_t aSeed, double aQ = 0.7)
{
    NoiseSpec noise;
    noise.start = aStart;
    noise.length = aLength;
    noise.gain = aGain;
    noise.decay = aDecay;
    noise.fromCutoff = aFrom;
    noise.toCutoff = aTo;
    noise.mode = aMode;
    noise.q = aQ;
    noise.seed = aSeed;
    noise.release = std::min(0.05, aLength * 0.3);
    AddNoise(c, noise);
}

Buffer Explosion(uint64_t aSeed, double aBody)
{
    return MakeEffect(1.6, [&](Canvas& c) {
        Burst(c, 0.0, 1.55, 4000.0, 150.0, NoiseSpec::LowPass, 1.4, 0.5, aSeed);
        ToneSpec body;
        body.length = 1.3;
        body.fromHz = aBody;
        body.toHz = aBody * 0.45;
        body.gain = 1.0;
        body.decay = 0.45;
        AddTone(c, body);
        Burst(c, 0.0, 0.08, 6000.0, 3000.0, NoiseSpec::HighPass, 0.5, 0.02, aSeed + 1);
    });
}

struct Job
{
    std::string path;
    std::function<Buffer()> make;
};

// Every sound as a job of its own (each has its own seeds, so the order they run in changes
// nothing); main runs them on a few threads.
std::vector<Job> MakeJobs()
{
    std::vector<Job> jobs;
#define ADD(aPath, ...) jobs.push_back({aPath, [=]() -> Buffer { return __VA_ARGS__; }})
    const std::string music = "Music/";
    const std::string ambient = "Ambient/";
    const std::string sfx = "SFX/";

    // Music: chapter 1 light and woody, chapter 2 driving and metallic, the menu calm, the
    // ending warm.
    const Song songs[] = {
        {"Gameplay_Music_Chapter1_Level1.wav", 112, 8, 62, MAJOR, {0, 4, 5, 3}, Lead::Marimba, Bass::Round, Drums::Woody, false, true, 101, true},
        {"Gameplay_Music_Chapter1_Level2.wav", 104, 8, 57, DORIAN, {0, 6, 3, 4}, Lead::Pluck, Bass::Round, Drums::Woody, false, false, 102, true},
        {"Gameplay_Music_Chapter1_Level3.wav", 118, 8, 64, MIXOLYDIAN, {0, 6, 3, 0}, Lead::Marimba, Bass::Round, Drums::Soft, true, true, 103, true},
        {"Gameplay_Music_Chapter2_Level1.wav", 128, 8, 52, MINOR, {0, 5, 6, 4}, Lead::Metal, Bass::Saw, Drums::Driving, false, false, 201, true},
        {"Gameplay_Music_Chapter2_Level2.wav", 134, 8, 50, DORIAN, {0, 3, 6, 4}, Lead::Metal, Bass::Saw, Drums::Driving, true, false, 202, true},
        {"Gameplay_Music_Chapter2_Level3.wav", 140, 8, 55, MINOR, {0, 6, 5, 4}, Lead::Bell, Bass::Saw, Drums::Driving, true, false, 203, true},
        {"Music_Menu.wav", 88, 8, 60, MAJOR, {0, 5, 3, 4}, Lead::Bell, Bass::Sub, Drums::Gentle, true, false, 301, true},
        {"intro_cutscene_music.wav", 96, 6, 57, MINOR, {0, 5, 2, 6}, Lead::Flute, Bass::Sub, Drums::None, true, false, 401, false, 3.0},
        {"Ending_Cutscene.wav", 84, 8, 65, MAJOR, {0, 3, 5, 4}, Lead::Flute, Bass::Sub, Drums::Gentle, true, true, 501, false, 4.0},
    };
    for (const Song& song : songs)
        ADD(music + song.file, MakeSong(song));

    ADD(ambient + "AMB_Level1_Loop.wav", MakeForestNight());
    ADD(ambient + "AMB_Level2_Loop.wav", MakeFactory());
    ADD(ambient + "AMB_Level3_Loop.wav", MakeHeights());

    // Footsteps: concrete dull, hollow woody, metal ringing; four takes each.
    for (int i = 0; i < 4; ++i)
    {
        const uint64_t seed = 10 + static_cast<uint64_t>(i);
        ADD(sfx + "SFX_Player_Footsteps_Concrete_" + std::to_string(i + 1) + ".wav",
            MakeEffect(0.12, [&](Canvas& c) { Step(c, 0.0, 900.0 + 120.0 * i, 95.0 + 8.0 * i, seed); }));
        ADD(sfx + "SFX_Player_Footsteps_Hollow_" + std::to_string(i + 1) + ".wav", MakeEffect(0.2, [&](Canvas& c) {
                Step(c, 0.0, 600.0 + 60.0 * i, 140.0, seed + 10);
                AddMarimba(c, 0.0, 210.0 + 15.0 * i, 0.5, 0.05);
            }));
        ADD(sfx + "SFX_Player_Footsteps_Metal_" + std::to_string(i + 1) + ".wav", MakeEffect(0.3, [&](Canvas& c) {
                Step(c, 0.0, 2500.0 + 200.0 * i, 180.0, seed + 20);
                AddBell(c, 0.0, 1300.0 + 90.0 * i, 2.41, 2.5, 0.05, 0.3);
            }));
    }
    for (int i = 0; i < 2; ++i)
        ADD(sfx + "SFX_Player_Slide_" + std::to_string(i + 1) + ".wav", MakeEffect(0.45, [&](Canvas& c) {
                NoiseSpec scrape;
                scrape.length = 0.45;
                scrape.gain = 0.8;
                scrape.attack = 0.03;
                scrape.release = 0.15;
                scrape.fromCutoff = 2200.0 + 400.0 * i;
                scrape.toCutoff = 900.0;
                scrape.mode = NoiseSpec::BandPass;
                scrape.q = 2.0;
                scrape.seed = 40 + static_cast<uint64_t>(i);
                scrape.tremoloHz = 30.0;
                scrape.tremoloDepth = 0.3;
                AddNoise(c, scrape);
            }));
    ADD(sfx + "SFX_Player_Death.wav", MakeEffect(1.0, [](Canvas& c) {
            ToneSpec fall;
            fall.length = 0.95;
            fall.fromHz = 660.0;
            fall.toHz = 90.0;
            fall.wave = Wave::Square;
            fall.gain = 0.4;
            fall.lowPass = 3000.0;
            fall.vibratoHz = 9.0;
            fall.vibratoDepth = 0.8;
            fall.decay = 0.7;
            fall.release = 0.2;
            AddTone(c, fall);
        }));
    ADD(sfx + "SFX_Player_Ground_Pound_Activate.wav", MakeEffect(0.3, [](Canvas& c) {
            Burst(c, 0.0, 0.28, 600.0, 5000.0, NoiseSpec::BandPass, 0.8, 1e9, 50, 1.5);
            Blip(c, 0.0, 0.25, 300.0, 900.0, Wave::Triangle, 0.3);
        }));
    ADD(sfx + "SFX_Player_Ground_Pound_Land.wav", MakeEffect(0.6, [](Canvas& c) {
            AddKick(c, 0.0, 1.0, 140.0, 38.0);
            Burst(c, 0.0, 0.5, 1800.0, 200.0, NoiseSpec::LowPass, 1.0, 0.12, 51);
        }));
    ADD(sfx + "SFX_Player_Duck.wav", MakeEffect(0.12, [](Canvas& c) { Blip(c, 0.0, 0.11, 420.0, 240.0, Wave::Triangle, 0.6, 0.06); }));
    ADD(sfx + "SFX_Player_Rise.wav", MakeEffect(0.12, [](Canvas& c) { Blip(c, 0.0, 0.11, 240.0, 420.0, Wave::Triangle, 0.6, 0.06); }));
    ADD(sfx + "SFX_Player_Jump_1.wav", MakeEffect(0.2, [](Canvas& c) { Blip(c, 0.0, 0.19, 280.0, 760.0, Wave::Square, 0.35, 0.09); }));
    ADD(sfx + "SFX_Player_Jump_2.wav", MakeEffect(0.2, [](Canvas& c) { Blip(c, 0.0, 0.19, 320.0, 880.0, Wave::Square, 0.33, 0.08); }));
    ADD(sfx + "SFX_Player_Fall.wav", MakeEffect(0.7, [](Canvas& c) {
            Blip(c, 0.0, 0.68, 1100.0, 280.0, Wave::Sine, 0.5);
            Burst(c, 0.0, 0.68, 800.0, 2400.0, NoiseSpec::BandPass, 0.15, 1e9, 55, 1.0);
        }));
    for (int i = 0; i < 2; ++i)
        ADD(sfx + "SFX_Player_Land_" + std::to_string(i + 1) + ".wav",
            MakeEffect(0.2, [&](Canvas& c) { Step(c, 0.0, 500.0 + 150.0 * i, 80.0 + 10.0 * i, 60 + static_cast<uint64_t>(i)); }));
    for (int i = 0; i < 4; ++i)
        ADD(sfx + "SFX_Player_Shoot_" + std::to_string(i + 1) + ".wav", MakeEffect(0.2, [&](Canvas& c) {
                Blip(c, 0.0, 0.18, 1400.0 - 100.0 * i, 260.0 + 20.0 * i, Wave::Saw, 0.45, 0.07);
                Burst(c, 0.0, 0.05, 5000.0, 2000.0, NoiseSpec::HighPass, 0.3, 0.015, 70 + static_cast<uint64_t>(i));
            }));
    for (int i = 0; i < 2; ++i)
        ADD(sfx + "SFX_Player_Grenade_Bounce_" + std::to_string(i + 1) + ".wav", MakeEffect(0.3, [&](Canvas& c) {
                AddBell(c, 0.0, 620.0 + 90.0 * i, 1.47, 2.0, 0.05, 0.6);
                Step(c, 0.0, 1200.0, 150.0, 80 + static_cast<uint64_t>(i));
            }));
    const double bodies[] = {62.0, 55.0, 70.0, 50.0};
    const char* explodeNames[] = {"SFX_Player_Grenade_Explode.wav", "SFX_Player_Grenade_Explode_2.wav",
                                  "SFX_Player_Grenade_Explode_3.wav", "SFX_Player_Grenade_Explode_4.wav"};
    for (int i = 0; i < 4; ++i)
        ADD(sfx + explodeNames[i], Explosion(90 + static_cast<uint64_t>(i), bodies[i]));
    // An extra life lands on the counter: rising chimes.
    for (int i = 0; i < 4; ++i)
        ADD(sfx + "SFX_Player_Life_" + std::to_string(i + 1) + ".wav", MakeEffect(0.9, [&](Canvas& c) {
                const int notes[] = {72, 76, 79, 84};
                for (int n = 0; n < 4; ++n)
                    AddBell(c, n * 0.08, MidiToHz(notes[n] + 2 * i), 2.0, 1.2, 0.18, 0.35, 0.9 - n * 0.08);
            }));
    ADD(sfx + "SFX_Enemy_Death.wav", MakeEffect(0.4, [](Canvas& c) {
            Blip(c, 0.0, 0.35, 520.0, 120.0, Wave::Square, 0.4, 0.12);
            Burst(c, 0.0, 0.12, 2000.0, 600.0, NoiseSpec::BandPass, 0.6, 0.04, 100);
        }));
    ADD(sfx + "SFX_Beetle_Tank_Cannon_Shoot.wav", MakeEffect(0.8, [](Canvas& c) {
            AddKick(c, 0.0, 1.0, 120.0, 35.0);
            Burst(c, 0.0, 0.6, 3000.0, 300.0, NoiseSpec::LowPass, 1.0, 0.12, 110);
            AddBell(c, 0.0, 300.0, 1.41, 2.0, 0.12, 0.25);
        }));
    const char* breakNames[] = {"SFX_Level_Tiles_Block_Break.wav", "SFX_Level_Tiles_Block_Break_1.wav",
                                "SFX_Level_Tiles_Block_Break_2.wav", "SFX_Level_Tiles_Block_Break_3.wav"};
    for (int i = 0; i < 4; ++i)
        ADD(sfx + breakNames[i], MakeEffect(0.5, [&](Canvas& c) {
                Burst(c, 0.0, 0.25, 2500.0, 500.0, NoiseSpec::LowPass, 1.0, 0.06, 120 + static_cast<uint64_t>(i));
                Rng rng(130 + static_cast<uint64_t>(i));
                for (int d = 0; d < 6; ++d)
                    Step(c, 0.03 + rng.Uniform() * 0.35, 1500.0 + rng.Uniform() * 2500.0, 200.0 + rng.Uniform() * 200.0,
                         140 + static_cast<uint64_t>(d + 10 * i));
            }));
    ADD(sfx + "SFX_Level_Tiles_PowerBlockHit.wav", MakeEffect(0.45, [](Canvas& c) {
            Blip(c, 0.0, 0.1, 300.0, 200.0, Wave::Square, 0.4, 0.04);
            for (int n = 0; n < 3; ++n)
                AddBell(c, 0.06 + n * 0.06, MidiToHz(79 + 4 * n), 2.0, 1.0, 0.08, 0.25);
        }));
    ADD(sfx + "SFX_Player_Hit_Head.wav", MakeEffect(0.18, [](Canvas& c) {
            Blip(c, 0.0, 0.16, 230.0, 150.0, Wave::Triangle, 0.7, 0.05);
            Step(c, 0.0, 800.0, 120.0, 150);
        }));
    ADD(sfx + "SFX_Checkpoint.wav", MakeEffect(1.1, [](Canvas& c) {
            const int notes[] = {67, 71, 74, 79};
            for (int n = 0; n < 4; ++n)
                AddBell(c, n * 0.12, MidiToHz(notes[n]), 3.0, 1.4, 0.3, 0.3, 1.1 - n * 0.12);
        }));
    ADD(sfx + "SFX_Level_Tiles_Zipline_Activate.wav", MakeEffect(0.45, [](Canvas& c) {
            AddBell(c, 0.0, 1500.0, 2.1, 3.0, 0.03, 0.4);
            Burst(c, 0.05, 0.38, 900.0, 3000.0, NoiseSpec::BandPass, 0.6, 1e9, 160, 3.0);
        }));
    ADD(sfx + "SFX_Level_Tiles_Zipline_Riding.wav", MakeLoop(1.5, [](Canvas& c) {
            AddWind(c, 0.8, 2600.0, 3, 170, 3.0);
            AddHum(c, 310.0, {1.0, 0.3}, 0.12, 6);
        }));
    ADD(sfx + "SFX_Player_Collect_Battery.wav", MakeEffect(0.3, [](Canvas& c) {
            Blip(c, 0.0, 0.08, MidiToHz(83), MidiToHz(83), Wave::Square, 0.3);
            Blip(c, 0.07, 0.22, MidiToHz(88), MidiToHz(88), Wave::Square, 0.3, 0.08);
        }));
    ADD(sfx + "SFX_Player_Collect_Powerup_Grenade.wav", MakeEffect(0.5, [](Canvas& c) {
            const int notes[] = {60, 64, 67, 72};
            for (int n = 0; n < 4; ++n)
                Blip(c, n * 0.07, 0.12, MidiToHz(notes[n]), MidiToHz(notes[n]), Wave::Square, 0.3, 0.06);
        }));
    ADD(sfx + "SFX_Player_Collect_Powerup_Life.wav", MakeEffect(0.9, [](Canvas& c) {
            const int notes[] = {72, 76, 79, 84, 88};
            for (int n = 0; n < 5; ++n)
                AddBell(c, n * 0.07, MidiToHz(notes[n]), 2.0, 1.0, 0.2, 0.3, 0.85 - n * 0.07);
        }));
    ADD(sfx + "SFX_Player_Collect_Powerup_Shield.wav", MakeEffect(0.7, [](Canvas& c) {
            Blip(c, 0.0, 0.65, 400.0, 1600.0, Wave::Triangle, 0.3);
            Blip(c, 0.0, 0.65, 404.0, 1616.0, Wave::Triangle, 0.3);
            Burst(c, 0.0, 0.65, 2000.0, 8000.0, NoiseSpec::BandPass, 0.2, 1e9, 180, 4.0);
        }));
    ADD(sfx + "UI_Accept.wav", MakeEffect(0.2, [](Canvas& c) {
            Blip(c, 0.0, 0.07, MidiToHz(76), MidiToHz(76), Wave::Triangle, 0.5, 0.05);
            Blip(c, 0.06, 0.13, MidiToHz(83), MidiToHz(83), Wave::Triangle, 0.5, 0.06);
        }));
    ADD(sfx + "UI_Cancel.wav", MakeEffect(0.2, [](Canvas& c) {
            Blip(c, 0.0, 0.07, MidiToHz(76), MidiToHz(76), Wave::Triangle, 0.5, 0.05);
            Blip(c, 0.06, 0.13, MidiToHz(69), MidiToHz(69), Wave::Triangle, 0.5, 0.06);
        }));
    ADD(sfx + "UI_GameOver.wav", MakeEffect(1.6, [](Canvas& c) {
            const int notes[] = {67, 63, 60, 55};
            for (int n = 0; n < 4; ++n)
            {
                ToneSpec tone;
                tone.start = n * 0.3;
                tone.length = n == 3 ? 0.9 : 0.32;
                tone.fromHz = tone.toHz = MidiToHz(notes[n]);
                tone.wave = Wave::Square;
                tone.gain = 0.3;
                tone.lowPass = 1800.0;
                tone.release = 0.1;
                tone.vibratoHz = n == 3 ? 5.0 : 0.0;
                tone.vibratoDepth = n == 3 ? 0.3 : 0.0;
                AddTone(c, tone);
            }
        }));
    ADD(sfx + "UI_MoveSelection.wav", MakeEffect(0.05, [](Canvas& c) { Blip(c, 0.0, 0.04, 1800.0, 1700.0, Wave::Sine, 0.5, 0.012); }));
    ADD(sfx + "UI_Start.wav", MakeEffect(0.7, [](Canvas& c) {
            const int notes[] = {72, 76, 79};
            for (int n = 0; n < 3; ++n)
                Blip(c, n * 0.08, 0.2, MidiToHz(notes[n]), MidiToHz(notes[n]), Wave::Square, 0.25, 0.1);
            Burst(c, 0.22, 0.45, 4000.0, 9000.0, NoiseSpec::BandPass, 0.25, 0.15, 190, 3.0);
            AddBell(c, 0.24, MidiToHz(84), 2.0, 1.0, 0.2, 0.3);
        }));
    // Under the intro video: a rising wind and a low swell.
    ADD(sfx + "intro_cutscene_sfx.wav", MakeEffect(10.0, [](Canvas& c) {
            NoiseSpec wind;
            wind.length = 10.0;
            wind.gain = 0.5;
            wind.attack = 3.0;
            wind.release = 3.0;
            wind.fromCutoff = 300.0;
            wind.toCutoff = 1500.0;
            wind.mode = NoiseSpec::BandPass;
            wind.q = 0.8;
            wind.seed = 200;
            wind.tremoloHz = 0.3;
            wind.tremoloDepth = 0.5;
            AddNoise(c, wind);
            ToneSpec swell;
            swell.length = 10.0;
            swell.fromHz = 45.0;
            swell.toHz = 60.0;
            swell.gain = 0.5;
            swell.attack = 6.0;
            swell.release = 3.5;
            AddTone(c, swell);
        }));

    // Per-object sounds.
    ADD(sfx + "SFX_Beetle_Beetle_Idle_Noise_Loop.wav", MakeLoop(2.0, [](Canvas& c) {
            AddHum(c, 38.0, {1.0, 0.7, 0.5, 0.3, 0.2}, 0.4, 8);
            AddWind(c, 0.3, 900.0, 24, 300, 1.5);   // treads rattling
        }));
    ADD(sfx + "SFX_MiniOwl_Owl_Idle_Noise_Loop.wav", MakeLoop(3.0, [](Canvas& c) {
            AddHoot(c, 0.4, 520.0, 0.5);
            AddWind(c, 0.05, 1200.0, 2, 310);
        }));
    for (int i = 0; i < 4; ++i)
        ADD(sfx + "SFX_MiniOwl_Footsteps_Variation" + std::to_string(i + 1) + ".wav",
            MakeEffect(0.08, [&](Canvas& c) { Step(c, 0.0, 2400.0 + 200.0 * i, 260.0 + 20.0 * i, 320 + static_cast<uint64_t>(i)); }));
    for (int i = 0; i < 7; ++i)
        ADD(sfx + "SFX_Flying_Mini_Owl_Variation" + std::to_string(i + 1) + ".wav", MakeEffect(0.5, [&](Canvas& c) {
                for (int flap = 0; flap < 3; ++flap)
                    Burst(c, flap * (0.13 + 0.01 * i), 0.12, 700.0 + 60.0 * i, 350.0, NoiseSpec::BandPass, 0.9, 0.04,
                          330 + static_cast<uint64_t>(10 * i + flap), 1.2);
                if (i % 2 == 0)
                    Blip(c, 0.05, 0.12, 1300.0 + 80.0 * i, 1700.0 + 80.0 * i, Wave::Sine, 0.15, 0.05);   // a squeak
            }));
    for (int v = 0; v < 2; ++v)
        ADD(sfx + "SFX_Pipe_Mole_Idle_Noise_Loop_v" + std::to_string(v + 1) + ".wav", MakeLoop(2.0 + 0.5 * v, [&](Canvas& c) {
                const double sniffs[2][4] = {{0.1, 0.3, 1.1, 1.3}, {0.2, 0.35, 0.5, 1.6}};
                for (int s = 0; s < 4; ++s)
                    Burst(c, sniffs[v][s], 0.12, 1800.0, 1200.0, NoiseSpec::BandPass, 0.7, 0.05,
                          400 + static_cast<uint64_t>(10 * v + s), 2.0);
                AddHum(c, 70.0, {1.0, 0.4}, 0.08, 2);
            }));
    for (int i = 0; i < 6; ++i)
    {
        ADD(sfx + "SFX_Pipe_Mole_Up_" + std::to_string(i + 1) + ".wav", MakeEffect(0.3, [&](Canvas& c) {
                Blip(c, 0.0, 0.22, 180.0 + 15.0 * i, 520.0 + 30.0 * i, Wave::Sine, 0.6, 0.1);
                Burst(c, 0.0, 0.15, 1500.0, 800.0, NoiseSpec::BandPass, 0.4, 0.05, 420 + static_cast<uint64_t>(i));
            }));
        ADD(sfx + "SFX_Pipe_Mole_Down_" + std::to_string(i + 1) + ".wav", MakeEffect(0.3, [&](Canvas& c) {
                Blip(c, 0.0, 0.22, 500.0 + 30.0 * i, 170.0 + 15.0 * i, Wave::Sine, 0.6, 0.1);
                Step(c, 0.18, 600.0, 90.0, 430 + static_cast<uint64_t>(i));
            }));
    }
    ADD(sfx + "Scripted_Event_Fan_Loop.wav", MakeLoop(2.0, [](Canvas& c) {
            AddWind(c, 0.9, 700.0, 24, 500, 0.8);   // the blades: 24 passes round the loop
            AddHum(c, 110.0, {1.0, 0.5, 0.25}, 0.15, 4);
        }));
    ADD(sfx + "ScriptedEvent_Fan_Breaking.wav", MakeEffect(2.2, [](Canvas& c) {
            ToneSpec whine;
            whine.length = 2.1;
            whine.fromHz = 330.0;
            whine.toHz = 60.0;
            whine.wave = Wave::Saw;
            whine.gain = 0.3;
            whine.lowPass = 1500.0;
            whine.release = 0.5;
            AddTone(c, whine);
            Rng rng(510);
            for (int k = 0; k < 8; ++k)
                AddBell(c, rng.Uniform() * 1.6, 300.0 + rng.Uniform() * 900.0, 1.41, 3.0, 0.08, 0.35);
            Burst(c, 0.0, 2.0, 2500.0, 300.0, NoiseSpec::LowPass, 0.8, 0.6, 511);
        }));
    ADD(sfx + "ScriptedEvent_Fan_From_Trigger.wav", MakeEffect(1.6, [](Canvas& c) {
            ToneSpec spin;
            spin.length = 1.55;
            spin.fromHz = 50.0;
            spin.toHz = 110.0;
            spin.wave = Wave::Saw;
            spin.gain = 0.3;
            spin.lowPass = 800.0;
            spin.attack = 0.3;
            spin.release = 0.3;
            AddTone(c, spin);
            NoiseSpec air;
            air.length = 1.55;
            air.gain = 0.7;
            air.attack = 0.8;
            air.release = 0.3;
            air.mode = NoiseSpec::BandPass;
            air.fromCutoff = 300.0;
            air.toCutoff = 700.0;
            air.seed = 520;
            air.tremoloHz = 8.0;
            air.tremoloDepth = 0.5;
            AddNoise(c, air);
        }));
#undef ADD
    return jobs;
}
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: make_sounds <audio folder>\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const std::vector<Job> jobs = MakeJobs();
    for (const Job& job : jobs)
    {
        std::error_code error;
        std::filesystem::create_directories((folder / job.path).parent_path(), error);
    }
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        for (size_t i = next++; i < jobs.size(); i = next++)
        {
            const std::filesystem::path path = folder / jobs[i].path;
            if (!WriteWav(path, jobs[i].make()))
            {
                std::fprintf(stderr, "make_sounds: cannot write \"%s\"\n", path.string().c_str());
                failed = true;
            }
        }
    };
    // A few threads: the build runs other work beside this.
    const unsigned count = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < count; ++t)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
    if (failed)
        return 1;
    std::printf("make_sounds: %zu sounds in %s\n", jobs.size(), folder.string().c_str());
    return 0;
}
