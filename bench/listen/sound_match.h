// sound_match.h - finding one recording of the song in another, for the listening benchmarks.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace listen {

constexpr int kRate = 44100;
constexpr double kMatch = 0.9;          // normalised correlation of a found stretch
constexpr int kEnvelope = kRate / 100;  // 10 ms frames for the coarse search

inline double energy(const float* a, int n) {
    double sum = 0.0;
    for (int i = 0; i < n; ++i) sum += double(a[i]) * a[i];
    return sum;
}

// Normalised correlation of a (whose energy is given) with b, over n samples.
inline double correlation(const float* a, const float* b, int n, double energyA) {
    double ab = 0.0;
    for (int i = 0; i < n; ++i) ab += double(a[i]) * b[i];
    const double energyB = energy(b, n);
    return energyA > 0.0 && energyB > 0.0 ? ab / std::sqrt(energyA * energyB) : 0.0;
}

inline std::vector<float> envelope(const std::vector<float>& s) {
    std::vector<float> out(s.size() / kEnvelope);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<float>(std::sqrt(energy(&s[i * kEnvelope], kEnvelope) / kEnvelope));
    return out;
}

// The sample of `recording` where `render` starts: the loudness envelopes of the render's
// first 10 s lined up to 10 ms, then its first second to the sample. -1 when not found.
inline long findStartOf(const std::vector<float>& recording, const std::vector<float>& render) {
    const std::vector<float> r = envelope(recording), m = envelope(render);
    const int length = std::min<int>(int(m.size()), 1000);
    const double e = energy(m.data(), length);
    long best = -1;
    double bestC = 0.0;
    for (long lag = 0; lag + length <= long(r.size()); ++lag) {
        const double c = correlation(m.data(), &r[lag], length, e);
        if (c > bestC) bestC = c, best = lag;
    }
    if (best < 0) return -1;
    const long from = std::max(0L, best * kEnvelope - kEnvelope), to = best * kEnvelope + kEnvelope;
    const int n = std::min<int>(kRate, int(render.size()));
    const double eRender = energy(render.data(), n);
    long at = -1;
    bestC = 0.0;
    for (long lag = from; lag <= to && lag + n <= long(recording.size()); ++lag) {
        const double c = correlation(render.data(), &recording[lag], n, eRender);
        if (c > bestC) bestC = c, at = lag;
    }
    return bestC > kMatch ? at : -1;
}

// The same, for a recording that may have started a little after the render's sound: the
// render is then looked for from 3 s into it, and `at` may be negative. False when the render
// is not in the recording.
inline bool findStart(const std::vector<float>& recording, const std::vector<float>& render,
                      long& at) {
    at = findStartOf(recording, render);
    const long skip = 3L * kRate;
    if (at >= 0) return true;
    if (long(render.size()) < 2 * skip) return false;
    const long later =
        findStartOf(recording, std::vector<float>(render.begin() + skip, render.end()));
    at = later - skip;
    return later >= 0;
}

}  // namespace listen
