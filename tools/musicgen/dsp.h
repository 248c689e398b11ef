// dsp.h - the signal-processing pieces the instrument voices are built from.
//
// Everything runs at 44.1 kHz in double precision on plain vectors and is deterministic: the
// only randomness is our own seeded generator, so the same patch always gives the same
// sample.
#pragma once

#include <string>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dsp {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

using Signal = std::vector<double>;

// xorshift64*: fast, well spread, and the same sequence everywhere.
class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
        if (state_ == 0) state_ = 1;
    }
    uint32_t next();
    // Uniform in [-1, 1).
    double bipolar() { return next() * (2.0 / 4294967296.0) - 1.0; }
    // Uniform in [0, 1).
    double unit() { return next() * (1.0 / 4294967296.0); }

  private:
    uint64_t state_;
};

// Frequency of a tracker note (1 = C-0, 49 = C-4 = middle C, 261.63 Hz) in Hz.
double noteFrequency(double note);
// Frames for a duration in seconds (at least 1).
size_t frames(double seconds);

// Waveforms of a band-limited oscillator.
enum class Wave { Sine, Saw, Square, Triangle, Pulse };

// The wave a score names ("saw", "square", "triangle", "pulse"); anything else is a sine.
Wave waveNamed(const std::string& name);

// One cycle of a waveform holding only the harmonics below a cut-off, read with linear
// interpolation: alias-free for the pitch it was built for.
class WaveTable {
  public:
    WaveTable(Wave wave, double frequency, double pulseWidth = 0.5);
    // Phase in cycles (any value; only the fraction counts).
    double at(double phase) const;

  private:
    static constexpr int kSize = 8192;
    std::vector<double> table_;
};

// Zavalishin's topology-preserving state-variable filter: stable under fast modulation.
class Svf {
  public:
    // cutoff in Hz (clamped below Nyquist), resonance 0..1 (1 rings).
    void set(double cutoff, double resonance);
    void process(double in);
    double low() const { return low_; }
    double band() const { return band_; }
    double high() const { return high_; }

  private:
    double g_ = 0.1, k_ = 2.0, a1_ = 0, a2_ = 0, a3_ = 0;
    double ic1_ = 0, ic2_ = 0;
    double low_ = 0, band_ = 0, high_ = 0;
};

// One-pole low-pass and high-pass.
class OnePole {
  public:
    void set(double cutoff);
    double lowpass(double in);
    double highpass(double in) { return in - lowpass(in); }

  private:
    double a_ = 0.5, z_ = 0;
};

// A small Schroeder-Moorer room (four damped combs, two all-passes), mono.
class Reverb {
  public:
    // size 0..1 sets the comb feedback, damping 0..1 the high-frequency loss.
    Reverb(double size, double damping);
    double process(double in);

  private:
    struct Comb {
        std::vector<double> line;
        size_t at = 0;
        double store = 0;
    };
    struct AllPass {
        std::vector<double> line;
        size_t at = 0;
    };
    Comb combs_[4];
    AllPass allPasses_[2];
    double feedback_, damping_;
};

// tanh saturation that leaves small signals at unit gain whatever the drive.
double saturate(double x, double drive);

// Scales the signal so that its largest magnitude is `peak` (silence stays silent).
void normalize(Signal& s, double peak);
// Ramps the last `seconds` down to zero so a one-shot ends without a click.
void fadeTail(Signal& s, double seconds);
// Adds the reverb of `dry` (wet amount `mix`) and returns it `tail` seconds longer.
Signal withReverb(const Signal& dry, double mix, double size, double damping, double tail);
// Blends the `fade` frames before the loop end with those before the loop start, so that the
// jump back to the start continues the waveform smoothly. Noise (uncorrelated stretches)
// wants an equal-power blend, periodic sound a linear one.
void crossfadeLoop(Signal& s, size_t loopStart, size_t loopLength, size_t fade, bool noise);

}  // namespace dsp
