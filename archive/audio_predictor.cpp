#include "archive/audio_predictor.h"

#include <cstdlib>

namespace rar {

int32_t AudioPredictor::predict(unsigned channel) {
    AudioChannelState& v = channels_[channel];
    v.byteCount++;
    v.d[3] = v.d[2];
    v.d[2] = v.d[1];
    v.d[1] = v.lastDelta - v.d[0];
    v.d[0] = v.lastDelta;
    const int32_t p = 8 * static_cast<int32_t>(v.lastByte) + v.k[0] * v.d[0] + v.k[1] * v.d[1] +
                      v.k[2] * v.d[2] + v.k[3] * v.d[3] + v.k[4] * channelDelta_;
    return (p >> 3) & 0xFF;
}

void AudioPredictor::learn(unsigned channel, uint8_t delta, uint8_t out) {
    AudioChannelState& v = channels_[channel];
    const int32_t i = static_cast<int8_t>(delta) * 8;
    const int32_t c = channelDelta_;
    v.errors[0] += static_cast<uint32_t>(std::abs(i));
    v.errors[1] += static_cast<uint32_t>(std::abs(i - v.d[0]));
    v.errors[2] += static_cast<uint32_t>(std::abs(i + v.d[0]));
    v.errors[3] += static_cast<uint32_t>(std::abs(i - v.d[1]));
    v.errors[4] += static_cast<uint32_t>(std::abs(i + v.d[1]));
    v.errors[5] += static_cast<uint32_t>(std::abs(i - v.d[2]));
    v.errors[6] += static_cast<uint32_t>(std::abs(i + v.d[2]));
    v.errors[7] += static_cast<uint32_t>(std::abs(i - v.d[3]));
    v.errors[8] += static_cast<uint32_t>(std::abs(i + v.d[3]));
    v.errors[9] += static_cast<uint32_t>(std::abs(i - c));
    v.errors[10] += static_cast<uint32_t>(std::abs(i + c));

    const int32_t diff = static_cast<int8_t>(static_cast<uint8_t>(out - v.lastByte));
    v.lastDelta = diff;
    channelDelta_ = diff;
    v.lastByte = out;

    if (v.byteCount % 32 != 0) return;
    unsigned best = 0;
    for (unsigned s = 1; s < 11; ++s)
        if (v.errors[s] < v.errors[best]) best = s;
    for (uint32_t& e : v.errors) e = 0;
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
