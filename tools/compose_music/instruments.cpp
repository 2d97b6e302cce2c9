#include "instruments.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace compose {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// C-5 (middle C) in Hz: a loop of L frames holding k cycles plays in tune
// at C5Speed = L * kMiddleC / k.
constexpr double kMiddleC = 261.6255653;

// A fixed generator, so every build makes the same bytes.
class Noise {
  public:
    double next() {
        state_ = state_ * 1664525u + 1013904223u;
        return double((state_ >> 8) & 0xFFFF) / 32768.0 - 1.0;
    }

  private:
    uint32_t state_ = 0x2545F491u;
};

// Scales to the given peak and quantises to the sample's resolution.
Sample quantise(const char* name, const std::vector<double>& wave, bool sixteenBit, double peak) {
    double maxAbs = 1e-12;
    for (double v : wave)
        maxAbs = std::max(maxAbs, std::abs(v));
    const double full = sixteenBit ? 32767.0 : 127.0;
    Sample s;
    s.name = name;
    s.sixteenBit = sixteenBit;
    for (double v : wave) {
        const double q = std::round(v / maxAbs * peak * full);
        s.frames.push_back(int16_t(std::clamp(q, -full, full)));
    }
    return s;
}

// Linear fade over the last `frames` frames, so one-shots end at zero.
void fadeTail(std::vector<double>& wave, size_t frames) {
    frames = std::min(frames, wave.size());
    for (size_t i = 0; i < frames; ++i) {
        wave[wave.size() - 1 - i] *= double(i) / double(frames);
    }
}

Sample kick() {
    constexpr double rate = 11025.0;
    std::vector<double> wave(size_t(rate * 0.30));
    double phase = 0.0;
    for (size_t n = 0; n < wave.size(); ++n) {
        const double t = double(n) / rate;
        // Settles on A1, the key's root.
        const double freq = 55.0 + 120.0 * std::exp(-t / 0.032) + 260.0 * std::exp(-t / 0.004);
        phase += kTwoPi * freq / rate;
        const double v = std::sin(phase) * std::exp(-t / 0.11);
        wave[n] = std::tanh(2.0 * v);  // a little drive for punch
    }
    fadeTail(wave, size_t(rate * 0.015));
    Sample s = quantise("kick", wave, true, 0.97);
    s.c5Speed = uint32_t(rate);
    return s;
}

Sample snare() {
    constexpr double rate = 22050.0;
    std::vector<double> wave(size_t(rate * 0.25));
    Noise noise;
    double hp = 0.0, previous = 0.0;
    for (size_t n = 0; n < wave.size(); ++n) {
        const double t = double(n) / rate;
        // The body rings on A3 and E4, in the key.
        const double body = 0.8 * std::sin(kTwoPi * 220.0 * t) * std::exp(-t / 0.07) +
                            0.3 * std::sin(kTwoPi * 329.6 * t) * std::exp(-t / 0.035);
        const double x = noise.next();
        hp = 0.6 * (hp + x - previous);
        previous = x;
        // Driven, so the crack stays loud for its peak.
        wave[n] = std::tanh(1.8 * (body + 0.9 * hp * std::exp(-t / 0.1)));
    }
    fadeTail(wave, size_t(rate * 0.01));
    Sample s = quantise("snare", wave, false, 0.95);
    s.c5Speed = uint32_t(rate);
    return s;
}

// Inharmonic square waves plus high-passed noise: the metal of cymbals.
std::vector<double> metal(double rate, double seconds, double decay, double noiseMix) {
    static constexpr double kPartials[] = {1.0, 1.4836, 1.8004, 2.5461, 2.6304, 3.8968};
    std::vector<double> wave(size_t(rate * seconds));
    Noise noise;
    double hp1 = 0.0, hp2 = 0.0, prevX = 0.0, prevH = 0.0;
    for (size_t n = 0; n < wave.size(); ++n) {
        const double t = double(n) / rate;
        double m = 0.0;
        for (double p : kPartials)
            m += std::sin(kTwoPi * 1370.0 * p * t) > 0.0 ? 1.0 : -1.0;
        const double x = (1.0 - noiseMix) * m / 6.0 + noiseMix * noise.next();
        hp1 = 0.6 * (hp1 + x - prevX);
        prevX = x;
        hp2 = 0.6 * (hp2 + hp1 - prevH);
        prevH = hp1;
        const double attack = std::min(1.0, t / 0.001);
        wave[n] = hp2 * attack * std::exp(-t / decay);
    }
    return wave;
}

Sample hat() {
    constexpr double rate = 32000.0;
    std::vector<double> wave = metal(rate, 0.06, 0.016, 0.55);
    fadeTail(wave, size_t(rate * 0.008));
    Sample s = quantise("hat", wave, false, 0.95);
    s.c5Speed = uint32_t(rate);
    return s;
}

Sample crash() {
    constexpr double rate = 16000.0;
    std::vector<double> wave = metal(rate, 0.5, 0.18, 0.7);
    fadeTail(wave, size_t(rate * 0.12));
    Sample s = quantise("crash", wave, false, 0.95);
    s.c5Speed = uint32_t(rate);
    return s;
}

// White noise on a loop, for wind and risers: pitch and volume do the work.
Sample noiseLoop() {
    std::vector<double> wave(2048);
    Noise noise;
    for (double& v : wave)
        v = noise.next();
    Sample s = quantise("noise", wave, false, 0.9);
    s.looped = true;
    s.loopBegin = 0;
    s.loopEnd = uint32_t(wave.size());
    s.c5Speed = 16000;
    return s;
}

// A saw whose brightness and level fall over its first cycles and then stay:
// the last cycle loops, so a note plucks and then sustains until it is cut.
Sample pluckedWave(const char* name, int cycleFrames, int cycles, int harmonics, double startCutoff,
                   double endCutoff, double decayCycles, double endLevel, double subBoost) {
    const int total = cycleFrames * cycles;
    const int lastCycleStart = total - cycleFrames;
    std::vector<double> wave(size_t(total), 0.0);
    for (int n = 0; n < total; ++n) {
        // The spectrum is frozen over the looped cycle, so the loop is seamless.
        const double age = double(std::min(n, lastCycleStart)) / double(cycleFrames);
        const double fall = std::exp(-age / decayCycles);
        const double cutoff = endCutoff + (startCutoff - endCutoff) * fall;
        const double level = endLevel + (1.0 - endLevel) * fall;
        double v = 0.0;
        for (int h = 1; h <= harmonics; ++h) {
            const double lowpass = 1.0 / (1.0 + std::pow(h / cutoff, 4.0));
            const double amp = (h == 1 ? subBoost : 1.0) / h * lowpass;
            v += amp * std::sin(kTwoPi * h * n / cycleFrames);
        }
        wave[size_t(n)] = level * v;
    }
    Sample s = quantise(name, wave, true, 0.95);
    s.looped = true;
    s.loopBegin = uint32_t(lastCycleStart);
    s.loopEnd = uint32_t(total);
    s.c5Speed = uint32_t(std::lround(cycleFrames * kMiddleC));
    return s;
}

// Three detuned oscillators on a loop of `loopFrames` frames holding
// 63, 64 and 65 cycles: a seamless chorus. `spectrum` gives each harmonic.
template <typename Spectrum>
Sample chorusLoop(const char* name, int loopFrames, double sideLevel, int harmonics,
                  Spectrum spectrum) {
    static constexpr int kCycles[] = {64, 63, 65};
    std::vector<double> wave(size_t(loopFrames), 0.0);
    Noise phases;
    for (int osc = 0; osc < 3; ++osc) {
        const double level = osc == 0 ? 1.0 : sideLevel;
        for (int h = 1; h <= harmonics; ++h) {
            const double amp = level * spectrum(h);
            if (amp == 0.0) continue;
            const double phase = osc == 0 ? 0.0 : std::numbers::pi * phases.next();
            for (int n = 0; n < loopFrames; ++n) {
                wave[size_t(n)] +=
                    amp * std::sin(kTwoPi * h * kCycles[osc] * n / loopFrames + phase);
            }
        }
    }
    Sample s = quantise(name, wave, true, 0.95);
    s.looped = true;
    s.loopBegin = 0;
    s.loopEnd = uint32_t(loopFrames);
    s.c5Speed = uint32_t(std::lround(loopFrames * kMiddleC / kCycles[0]));
    return s;
}

Sample lead() {
    // A saw with a little extra square, rolled off before the loop's Nyquist.
    return chorusLoop("lead", 2048, 0.45, 15, [](int h) {
        const double taper = h <= 8 ? 1.0 : std::cos((h - 8) / 8.0 * std::numbers::pi / 2);
        const double square = (h % 2 == 1) ? 0.35 : 0.0;
        return (1.0 + square) / h * taper;
    });
}

Sample pad() {
    // Soft: odd harmonics falling fast, a touch of the even ones for warmth.
    return chorusLoop("pad", 2048, 0.9, 9,
                      [](int h) { return (h % 2 == 1 ? 1.0 : 0.3) / (double(h) * h); });
}

}  // namespace

std::vector<Sample> makeInstruments() {
    std::vector<Sample> samples;
    samples.push_back(kick());
    samples.push_back(snare());
    samples.push_back(hat());
    samples.push_back(crash());
    samples.push_back(noiseLoop());
    samples.push_back(pluckedWave("bass", 64, 48, 30, 22.0, 3.0, 8.0, 0.7, 1.4));
    samples.push_back(lead());
    samples.push_back(pad());
    samples.push_back(pluckedWave("pluck", 32, 72, 14, 12.0, 2.0, 40.0, 0.06, 1.0));
    return samples;
}

}  // namespace compose
