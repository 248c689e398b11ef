#include "music/spectrum.h"

#include <kiss_fftr.h>

#include <cmath>
#include <cstdlib>

static_assert(sizeof(kiss_fft_cpx) == 2 * sizeof(float), "kissfft must be built for float");

SpectrumAnalyser::~SpectrumAnalyser() {
    if (fft_) kiss_fftr_free(fft_);
}

bool SpectrumAnalyser::init() {
    if (fft_) return true;
    fft_ = kiss_fftr_alloc(kInput, 0, nullptr, nullptr);
    if (!fft_) return false;
    const double twoPi = 6.283185307179586;
    for (int n = 0; n < kInput; ++n) {
        window_[n] = static_cast<float>(0.5 - 0.5 * std::cos(twoPi * n / kInput));
    }
    return true;
}

void SpectrumAnalyser::analyse(const float* samples, float* bands) {
    if (!fft_) {
        for (int k = 0; k < kBands; ++k) bands[k] = 0.0f;
        return;
    }
    for (int n = 0; n < kInput; ++n) windowed_[n] = samples[n] * window_[n];
    kiss_fft_cpx* bins = reinterpret_cast<kiss_fft_cpx*>(bins_);
    kiss_fftr(fft_, windowed_, bins);
    // A sine of amplitude A gives |X| = A x N/2 x 0.5 (the Hann window's mean) in its bin.
    const float scale = 4.0f / kInput;
    for (int k = 0; k < kBands; ++k) {
        bands[k] = std::sqrt(bins[k].r * bins[k].r + bins[k].i * bins[k].i) * scale;
    }
    bands[0] *= 0.5f;  // the constant part has no mirror image to share with
}
