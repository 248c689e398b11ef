#include "archive/audio_predictor.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rar {
namespace {

// The eleven error sums Σ|I - t| over the 32 bytes seen, t = 0, ±D1, ±D2, ±D3, ±D4, ±C.
// Each term is at most 1279 (|I| <= 1024, |t| <= 255), so 16-bit lanes holding four terms
// each cannot overflow.
void errorSums(const AudioChannelState& v, uint32_t* errors) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    auto load = [](const int16_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    auto absolute = [zero](__m128i x) { return _mm_max_epi16(x, _mm_sub_epi16(zero, x)); };
    __m128i i[4];
    __m128i acc[12];
    for (int j = 0; j < 4; ++j) i[j] = load(v.seen[0] + 8 * j);
    acc[0] = zero;
    for (int j = 0; j < 4; ++j) acc[0] = _mm_add_epi16(acc[0], absolute(i[j]));
    for (int t = 1; t <= 5; ++t) {
        __m128i minus = zero, plus = zero;
        for (int j = 0; j < 4; ++j) {
            const __m128i x = load(v.seen[t] + 8 * j);
            minus = _mm_add_epi16(minus, absolute(_mm_sub_epi16(i[j], x)));
            plus = _mm_add_epi16(plus, absolute(_mm_add_epi16(i[j], x)));
        }
        acc[2 * t - 1] = minus;
        acc[2 * t] = plus;
    }
    acc[11] = zero;
    // Pairs of lanes into 32 bits, then four accumulators at a time across their lanes.
    const __m128i ones = _mm_set1_epi16(1);
    for (int a = 0; a < 12; a += 4) {
        const __m128i s0 = _mm_madd_epi16(acc[a], ones), s1 = _mm_madd_epi16(acc[a + 1], ones);
        const __m128i s2 = _mm_madd_epi16(acc[a + 2], ones), s3 = _mm_madd_epi16(acc[a + 3], ones);
        const __m128i t01 = _mm_add_epi32(_mm_unpacklo_epi32(s0, s1), _mm_unpackhi_epi32(s0, s1));
        const __m128i t23 = _mm_add_epi32(_mm_unpacklo_epi32(s2, s3), _mm_unpackhi_epi32(s2, s3));
        const __m128i sums =
            _mm_add_epi32(_mm_unpacklo_epi64(t01, t23), _mm_unpackhi_epi64(t01, t23));
        uint32_t out[4];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), sums);
        for (int k = 0; k < 4 && a + k < 11; ++k) errors[a + k] = out[k];
    }
#else
    for (unsigned e = 0; e < 11; ++e) errors[e] = 0;
    for (unsigned j = 0; j < 32; ++j) {
        const int32_t i = v.seen[0][j];
        errors[0] += static_cast<uint32_t>(i < 0 ? -i : i);
        for (unsigned t = 1; t <= 5; ++t) {
            const int32_t minus = i - v.seen[t][j], plus = i + v.seen[t][j];
            errors[2 * t - 1] += static_cast<uint32_t>(minus < 0 ? -minus : minus);
            errors[2 * t] += static_cast<uint32_t>(plus < 0 ? -plus : plus);
        }
    }
#endif
}

}  // namespace

void AudioPredictor::adapt(AudioChannelState& v) {
    uint32_t errors[11];
    errorSums(v, errors);
    // The smallest sum wins, the first on ties (sum 0: no change).
    unsigned best = 0;
    for (unsigned s = 1; s < 11; ++s)
        if (errors[s] < errors[best]) best = s;
    if (best == 0) return;
    // Odd sums lower a weight, even sums raise it; weights stay within -17..16.
    int32_t& k = v.k[(best - 1) / 2];
    if (best & 1) {
        if (k >= -16) --k;
    } else if (k < 16) {
        ++k;
    }
}

}  // namespace rar
