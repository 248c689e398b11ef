// spectrum.h - magnitudes of the last 1024 output samples in 512 bands, through kissfft.
//
// Hann-windowed real FFT. Band k covers k x rate / 1024 Hz (43 Hz wide at 44100 Hz); the
// scale makes a full-scale sine read about 1.0 in its band (exactly 1.0 when it sits on a
// band's centre, down to 0.85 between two) and silence read exactly 0.
#pragma once

struct kiss_fftr_state;

class SpectrumAnalyser {
  public:
    static constexpr int kInput = 1024;
    static constexpr int kBands = 512;

    SpectrumAnalyser() = default;
    ~SpectrumAnalyser();
    SpectrumAnalyser(const SpectrumAnalyser&) = delete;
    SpectrumAnalyser& operator=(const SpectrumAnalyser&) = delete;

    // Allocates the transform. False when it cannot.
    bool init();
    bool ready() const { return fft_ != nullptr; }
    // kInput samples, oldest first, into kBands magnitudes. Writes zeros when not ready.
    void analyse(const float* samples, float* bands);

  private:
    kiss_fftr_state* fft_ = nullptr;
    float window_[kInput] = {};
    float windowed_[kInput] = {};
    float bins_[2 * (kInput / 2 + 1)] = {};  // kissfft's complex pairs (real, imaginary)
};
