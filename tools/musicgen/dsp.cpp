// dsp.cpp - oscillators, filters, room and sample housekeeping.
#include "tools/musicgen/dsp.h"

#include <algorithm>
#include <cmath>

namespace dsp {

uint32_t Random::next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
}

double noteFrequency(double note) {
    return 261.6255653005986 * std::pow(2.0, (note - 49.0) / 12.0);
}

size_t frames(double seconds) {
    return std::max<size_t>(1, static_cast<size_t>(std::lround(std::max(0.0, seconds) * kRate)));
}

// ---------------------------------------------------------------------------------------------
// Oscillators
// ---------------------------------------------------------------------------------------------

WaveTable::WaveTable(Wave wave, double frequency, double pulseWidth) : table_(kSize + 1, 0.0) {
    // Harmonics stop well below Nyquist so that a note played up to an octave above the one
    // the sample was built for still does not alias in the player's resampler.
    const int harmonics = std::max(1, static_cast<int>(11000.0 / std::max(1.0, frequency)));
    const double width = std::clamp(pulseWidth, 0.02, 0.98);
    for (int k = 1; k <= harmonics; ++k) {
        double sine = 0.0, cosine = 0.0;  // coefficients of sin(k x) and cos(k x)
        switch (wave) {
            case Wave::Sine:
                sine = k == 1 ? 1.0 : 0.0;
                break;
            case Wave::Saw:
                sine = (k % 2 ? 2.0 : -2.0) / (kPi * k);
                break;
            case Wave::Square:
                sine = k % 2 ? 4.0 / (kPi * k) : 0.0;
                break;
            case Wave::Triangle:
                sine = k % 2 ? ((k / 2) % 2 ? -8.0 : 8.0) / (kPi * kPi * k * k) : 0.0;
                break;
            case Wave::Pulse:
                // A rectangle high for `width` of the cycle, without its DC offset.
                sine = 2.0 / (kPi * k) * (1.0 - std::cos(kTwoPi * k * width));
                cosine = 2.0 / (kPi * k) * std::sin(kTwoPi * k * width);
                break;
        }
        if (sine == 0.0 && cosine == 0.0) continue;
        for (int i = 0; i < kSize; ++i) {
            const double x = kTwoPi * k * i / kSize;
            table_[static_cast<size_t>(i)] += sine * std::sin(x) + cosine * std::cos(x);
        }
    }
    table_[kSize] = table_[0];
}

double WaveTable::at(double phase) const {
    const double p = (phase - std::floor(phase)) * kSize;
    const int i = std::min(kSize - 1, static_cast<int>(p));
    const double f = p - i;
    return table_[static_cast<size_t>(i)] * (1.0 - f) + table_[static_cast<size_t>(i) + 1] * f;
}

// ---------------------------------------------------------------------------------------------
// Filters
// ---------------------------------------------------------------------------------------------

void Svf::set(double cutoff, double resonance) {
    cutoff = std::clamp(cutoff, 10.0, 0.45 * kRate);
    g_ = std::tan(kPi * cutoff / kRate);
    k_ = 2.0 - 1.98 * std::clamp(resonance, 0.0, 1.0);
    a1_ = 1.0 / (1.0 + g_ * (g_ + k_));
    a2_ = g_ * a1_;
    a3_ = g_ * a2_;
}

void Svf::process(double in) {
    const double v3 = in - ic2_;
    const double v1 = a1_ * ic1_ + a2_ * v3;
    const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    low_ = v2;
    band_ = v1;
    high_ = in - k_ * v1 - v2;
}

void OnePole::set(double cutoff) {
    cutoff = std::clamp(cutoff, 1.0, 0.45 * kRate);
    a_ = 1.0 - std::exp(-kTwoPi * cutoff / kRate);
}

double OnePole::lowpass(double in) {
    z_ += a_ * (in - z_);
    return z_;
}

Reverb::Reverb(double size, double damping)
    : feedback_(0.7 + 0.28 * std::clamp(size, 0.0, 1.0)),
      damping_(0.05 + 0.9 * std::clamp(damping, 0.0, 1.0)) {
    // Mutually prime delays (in frames) so that the echoes do not pile up on one period.
    static const int kComb[4] = {1557, 1617, 1491, 1422};
    static const int kAllPass[2] = {556, 441};
    for (int i = 0; i < 4; ++i) combs_[i].line.assign(static_cast<size_t>(kComb[i]), 0.0);
    for (int i = 0; i < 2; ++i) allPasses_[i].line.assign(static_cast<size_t>(kAllPass[i]), 0.0);
}

double Reverb::process(double in) {
    double out = 0.0;
    for (Comb& c : combs_) {
        const double y = c.line[c.at];
        c.store = y * (1.0 - damping_) + c.store * damping_;
        c.line[c.at] = in + c.store * feedback_;
        c.at = (c.at + 1) % c.line.size();
        out += y;
    }
    out *= 0.25;
    for (AllPass& a : allPasses_) {
        const double buffered = a.line[a.at];
        a.line[a.at] = out + buffered * 0.5;
        a.at = (a.at + 1) % a.line.size();
        out = buffered - out;
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Sample housekeeping
// ---------------------------------------------------------------------------------------------

double saturate(double x, double drive) {
    if (drive <= 1.0) return x;
    return std::tanh(x * drive) / drive;
}

void normalize(Signal& s, double peak) {
    double largest = 0.0;
    for (double v : s) largest = std::max(largest, std::fabs(v));
    if (largest <= 0.0) return;
    const double gain = peak / largest;
    for (double& v : s) v *= gain;
}

void fadeTail(Signal& s, double seconds) {
    const size_t n = std::min(s.size(), frames(seconds));
    for (size_t i = 0; i < n; ++i) {
        const double w = static_cast<double>(i) / static_cast<double>(n);
        s[s.size() - 1 - i] *= w;
    }
}

Signal withReverb(const Signal& dry, double mix, double size, double damping, double tail) {
    Signal out(dry.size() + (tail > 0.0 ? frames(tail) : 0), 0.0);
    Reverb room(size, damping);
    for (size_t i = 0; i < out.size(); ++i) {
        const double in = i < dry.size() ? dry[i] : 0.0;
        out[i] = in + mix * room.process(in);
    }
    return out;
}

void crossfadeLoop(Signal& s, size_t loopStart, size_t loopLength, size_t fade, bool noise) {
    fade = std::min({fade, loopStart, loopLength});
    if (fade == 0 || loopStart + loopLength > s.size()) return;
    const size_t end = loopStart + loopLength;
    for (size_t i = 0; i < fade; ++i) {
        const double w = static_cast<double>(i + 1) / static_cast<double>(fade);
        const double into = noise ? std::sin(0.5 * kPi * w) : w;
        const double out = noise ? std::cos(0.5 * kPi * w) : 1.0 - w;
        const size_t at = end - fade + i;
        s[at] = s[at] * out + s[loopStart - fade + i] * into;
    }
}

Wave waveNamed(const std::string& name) {
    if (name == "saw") return Wave::Saw;
    if (name == "square") return Wave::Square;
    if (name == "triangle") return Wave::Triangle;
    if (name == "pulse") return Wave::Pulse;
    return Wave::Sine;
}

}  // namespace dsp
