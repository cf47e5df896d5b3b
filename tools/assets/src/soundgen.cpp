// Synthesises the game's two looping sounds as 16-bit PCM WAV files:
//   engine.wav  2 s mono at 22050 Hz: a low outboard-motor hum
//   sea.wav     20 s stereo at 22050 Hz: surf and wind (make-assets encodes it to sea.ogg)
// usage: soundgen <output folder>
//
// Both must loop without a click, so everything is periodic in the length of the file:
// tones have a whole number of cycles, events are placed on a circle, and every filter runs
// round the buffer twice so that its state at the start is the state it has at the end.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
using Signal = std::vector<double>;

[[noreturn]] void die(const std::string &message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    std::exit(1);
}

// xorshift64*: fixed seeds, the same noise on every machine.
struct Noise {
    uint64_t state;
    explicit Noise(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    double next() {  // uniform in [-1, 1)
        state ^= state >> 12, state ^= state << 25, state ^= state >> 27;
        return double((state * 0x2545F4914F6CDD1Dull) >> 11) / double(1ull << 52) - 1.0;
    }
    Signal signal(size_t n) {
        Signal s(n);
        for (double &v : s) v = next();
        return s;
    }
};

enum class Band { low, band, high };

// Trapezoidal state-variable filter with a cutoff that may change per sample, run round the
// buffer twice: the first lap only settles the state, the second is kept.
Signal filter(const Signal &in, double rate, Band band, double q, const std::function<double(size_t)> &cutoff) {
    Signal out(in.size());
    double ic1 = 0, ic2 = 0, k = 1 / q;
    for (int lap = 0; lap < 2; ++lap)
        for (size_t i = 0; i < in.size(); ++i) {
            double g = std::tan(kPi * std::min(cutoff(i), rate * 0.45) / rate);
            double a1 = 1 / (1 + g * (g + k)), a2 = g * a1, a3 = g * a2;
            double v3 = in[i] - ic2;
            double v1 = a1 * ic1 + a2 * v3, v2 = ic2 + a2 * ic1 + a3 * v3;
            ic1 = 2 * v1 - ic1, ic2 = 2 * v2 - ic2;
            out[i] = band == Band::low ? v2 : band == Band::band ? v1 : in[i] - k * v1 - v2;
        }
    return out;
}

Signal filter(const Signal &in, double rate, Band band, double q, double cutoff) {
    return filter(in, rate, band, q, [cutoff](size_t) { return cutoff; });
}

double peak(const Signal &s) {
    double p = 0;
    for (double v : s) p = std::max(p, std::fabs(v));
    return p;
}

// Channels interleaved, scaled together so the loudest sample reaches `level`.
void write_wav(const std::string &path, const std::vector<Signal> &channels, int rate, double level) {
    double p = 0;
    for (const Signal &c : channels) p = std::max(p, peak(c));
    size_t frames = channels[0].size();
    uint16_t count = uint16_t(channels.size());
    std::vector<int16_t> samples;
    samples.reserve(frames * count);
    for (size_t i = 0; i < frames; ++i)
        for (const Signal &c : channels) samples.push_back(int16_t(std::lround(c[i] / p * level * 32767)));

    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) die("cannot write " + path);
    auto u32 = [f](uint32_t v) { for (int i = 0; i < 4; ++i) std::fputc(int(v >> (8 * i)) & 255, f); };
    auto u16 = [f](uint16_t v) { std::fputc(v & 255, f), std::fputc(v >> 8, f); };
    uint32_t data_bytes = uint32_t(samples.size() * 2);
    std::fwrite("RIFF", 1, 4, f), u32(36 + data_bytes), std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16), u16(1), u16(count), u32(rate), u32(rate * count * 2), u16(count * 2), u16(16);
    std::fwrite("data", 1, 4, f), u32(data_bytes);
    for (int16_t s : samples) u16(uint16_t(s));
    std::fclose(f);
}

// Firing pulses ring a few body resonances; a little rumble and a slow throb keep it alive.
void make_engine(const std::string &folder) {
    constexpr int kRate = 22050;
    constexpr size_t kLength = 2 * kRate;
    constexpr int kFirings = 94;  // 47 Hz, a whole number of firings per loop
    const double cylinder_strength[4] = {1.0, 0.82, 0.93, 0.77};
    Noise noise(7);

    Signal pulses(kLength, 0.0);
    for (int c = 0; c < kFirings; ++c) {
        double at = c * double(kLength) / kFirings + noise.next() * 6;
        size_t i = size_t(std::lround(at + kLength)) % kLength;
        pulses[i] += cylinder_strength[c % 4] * (1 + 0.12 * noise.next());
    }
    Signal body(kLength, 0.0);
    struct Resonance { double frequency, q, gain; };
    for (Resonance r : {Resonance{94, 2.5, 1.0}, {188, 3, 0.7}, {410, 4, 0.35}, {870, 3, 0.12}}) {
        Signal ring = filter(pulses, kRate, Band::band, r.q, r.frequency);
        for (size_t i = 0; i < kLength; ++i) body[i] += ring[i] * r.gain;
    }
    Signal rumble = filter(noise.signal(kLength), kRate, Band::low, 0.7, 140);
    double body_peak = peak(body), rumble_peak = peak(rumble);
    Signal hum(kLength);
    for (size_t i = 0; i < kLength; ++i) {
        double t = double(i) / kLength;  // one loop is t from 0 to 1
        double throb = 1 + 0.08 * std::sin(2 * kPi * 6 * t) + 0.04 * std::sin(2 * kPi * 11 * t + 1);
        double v = body[i] / body_peak * throb + 0.25 * rumble[i] / rumble_peak;
        hum[i] = std::tanh(1.6 * v);  // a little saturation, as a muffled exhaust would have
    }
    write_wav(folder + "/engine.wav", {filter(hum, kRate, Band::low, 0.7, 1400)}, kRate, 0.6);
}

// Swell envelope of one breaking wave: a smooth rise, then the wash fading out. `since` is the
// time after the wave starts, already taken round the loop.
double breaker(double since) {
    constexpr double kRise = 0.9, kFade = 1.7;
    if (since < kRise) {
        double x = since / kRise;
        return x * x * (3 - 2 * x);
    }
    return std::exp(-(since - kRise) / kFade);
}

void make_sea(const std::string &folder) {
    // The mix is low-passed at 7 kHz, so 22050 Hz keeps all of it at half the decoding cost,
    // which the game pays before its first frame.
    constexpr int kRate = 22050;
    constexpr double kSeconds = 20;
    constexpr size_t kLength = size_t(kSeconds * kRate);
    struct Wave { double start, strength; };
    // Each ear hears its own waves, so the surf moves about the stereo field.
    const std::vector<Wave> waves[2] = {
        {{0.4, 1.0}, {4.6, 0.7}, {8.9, 0.9}, {12.3, 0.6}, {16.1, 0.95}},
        {{2.3, 0.8}, {6.4, 1.0}, {10.6, 0.65}, {14.4, 0.9}, {18.2, 0.7}},
    };
    Noise shared_noise(11);
    Signal shared = shared_noise.signal(kLength);
    std::vector<Signal> channels;
    for (int ch = 0; ch < 2; ++ch) {
        Noise noise(100 + ch);
        Signal own = noise.signal(kLength), source(kLength);
        for (size_t i = 0; i < kLength; ++i) source[i] = 0.45 * shared[i] + 0.55 * own[i];

        Signal swell(kLength);
        for (size_t i = 0; i < kLength; ++i) {
            double t = double(i) / kRate, s = 0;
            for (const Wave &w : waves[ch]) s += w.strength * breaker(std::fmod(t - w.start + kSeconds, kSeconds));
            swell[i] = s;
        }
        auto loop_phase = [&](size_t i, double cycles) { return 2 * kPi * cycles * double(i) / kLength; };

        Signal roar = filter(source, kRate, Band::low, 0.6, 260);
        // The breaking water gets brighter as the wave peaks.
        Signal hiss = filter(source, kRate, Band::band, 0.55, [&](size_t i) { return 700 + 2600 * swell[i]; });
        Signal wind = filter(noise.signal(kLength), kRate, Band::band, 4.0, [&](size_t i) {
            return 520 + 180 * std::sin(loop_phase(i, 2) + ch) + 60 * std::sin(loop_phase(i, 5));
        });
        double roar_peak = peak(roar), hiss_peak = peak(hiss), wind_peak = peak(wind);
        Signal out(kLength);
        for (size_t i = 0; i < kLength; ++i) {
            double gust = 0.6 + 0.4 * std::sin(loop_phase(i, 3) + 2 * ch);
            out[i] = 0.55 * roar[i] / roar_peak * (0.6 + 0.25 * swell[i]) +
                     0.8 * hiss[i] / hiss_peak * (0.08 + 0.5 * swell[i]) + 0.18 * wind[i] / wind_peak * gust;
        }
        channels.push_back(filter(out, kRate, Band::low, 0.7, 7000));  // spray, not static
    }
    write_wav(folder + "/sea.wav", channels, kRate, 0.7);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) die("usage: soundgen <output folder>");
    make_engine(argv[1]);
    make_sea(argv[1]);
    return 0;
}
