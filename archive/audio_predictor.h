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

namespace rar {

struct AudioChannelState {
    int32_t k[5] = {};
    int32_t d[4] = {};
    int32_t lastDelta = 0;
    uint32_t errors[11] = {};
    uint32_t byteCount = 0;
    uint32_t lastByte = 0;
};

class AudioPredictor {
  public:
    void reset() { *this = AudioPredictor(); }

    // Difference (symbol 0..255) to byte, for the given channel.
    uint8_t decode(unsigned channel, unsigned delta) {
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

    AudioChannelState channels_[kMaxChannels];
    int32_t channelDelta_ = 0;
};

}  // namespace rar
