// audio_predictor.h - the multimedia mode's per-channel linear predictor.
//
// Each byte of sampled sound is coded as the difference between a prediction from its
// channel's recent history and the byte itself; the weights of the prediction adapt every 32
// bytes towards whichever small change would have made the errors smallest. The decoder turns
// a difference into a byte, the encoder a byte into a difference; both go through the same
// state update so that they can never disagree.
#pragma once

#include <cstdint>

#include "archive/lz_tables.h"

// The decoder's per-byte path must not become a call.
#if defined(__GNUC__)
#define RAR_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define RAR_ALWAYS_INLINE inline
#endif

namespace rar {

// The eleven error sums of the adaptation are Σ|I - t| over the channel's last 32 bytes, for
// t = 0, ±D1, ±D2, ±D3, ±D4, ±C. Rather than adding eleven terms per byte, each byte records I
// and the five values it is measured against, and the sums are formed all at once when the
// 32nd byte has been seen: the same sums, summed eight at a time.
struct AudioChannelState {
    int32_t k[5] = {};
    int32_t d[4] = {};
    int32_t lastDelta = 0;
    uint32_t byteCount = 0;
    uint32_t lastByte = 0;
    int16_t seen[6][32] = {};  // I, D1, D2, D3, D4, C of each byte since the last adaptation
};

class AudioPredictor {
  public:
    void reset() { *this = AudioPredictor(); }

    // Difference (symbol 0..255) to byte, for the given channel.
    RAR_ALWAYS_INLINE uint8_t decode(unsigned channel, unsigned delta) {
        const int32_t p = predict(channel);
        const uint8_t out = static_cast<uint8_t>(p - static_cast<int32_t>(delta));
        learn(channel, static_cast<uint8_t>(delta), out);
        return out;
    }
    // Byte to difference: decode(channel, encode(channel, b)) gives b back.
    uint8_t encode(unsigned channel, uint8_t byte) {
        const int32_t p = predict(channel);
        const uint8_t delta = static_cast<uint8_t>(p - byte);
        learn(channel, delta, byte);
        return delta;
    }

    const AudioChannelState& channel(unsigned c) const { return channels_[c]; }
    int32_t channelDelta() const { return channelDelta_; }

  private:
    int32_t predict(unsigned channel);
    void learn(unsigned channel, uint8_t delta, uint8_t out);
    static void adapt(AudioChannelState& v);

    AudioChannelState channels_[kMaxChannels];
    int32_t channelDelta_ = 0;
};

// Inline: the decoder calls these once per byte of sound.
RAR_ALWAYS_INLINE int32_t AudioPredictor::predict(unsigned channel) {
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

RAR_ALWAYS_INLINE void AudioPredictor::learn(unsigned channel, uint8_t delta, uint8_t out) {
    AudioChannelState& v = channels_[channel];
    const unsigned slot = (v.byteCount - 1) & 31;
    v.seen[0][slot] = static_cast<int16_t>(static_cast<int8_t>(delta) * 8);
    v.seen[1][slot] = static_cast<int16_t>(v.d[0]);
    v.seen[2][slot] = static_cast<int16_t>(v.d[1]);
    v.seen[3][slot] = static_cast<int16_t>(v.d[2]);
    v.seen[4][slot] = static_cast<int16_t>(v.d[3]);
    v.seen[5][slot] = static_cast<int16_t>(channelDelta_);

    const int32_t diff = static_cast<int8_t>(static_cast<uint8_t>(out - v.lastByte));
    v.lastDelta = diff;
    channelDelta_ = diff;
    v.lastByte = out;
    if (slot == 31) adapt(v);
}

}  // namespace rar
