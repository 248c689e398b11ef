// coder_state.h - the encoder's copy of everything the decoder remembers between symbols:
// code lengths (current and previous, for delta-coded tables), recent distances, the last
// match, the block mode and the audio predictor. The encoder must keep it exactly as the
// decoder will, or the stream would decode differently from how it was meant.
#pragma once

#include <cstdint>
#include <cstring>

#include "archive/audio_predictor.h"
#include "archive/lz_tables.h"

namespace rar {

// The distances and lengths matches are coded against: the four recent distances (a ring
// written by every match) and the last match.
struct MatchMemory {
    uint32_t recent[4] = {};
    uint32_t recentCount = 0;
    uint32_t lastDistance = 0;
    uint32_t lastLength = 0;

    // Recent distance k (0 newest .. 3 oldest), as symbol 257 + k reads it.
    uint32_t recentDistance(unsigned k) const { return recent[(recentCount - 1 - k) & 3]; }
    void noteMatch(uint32_t length, uint32_t distance) {
        recent[recentCount++ & 3] = distance;
        lastDistance = distance;
        lastLength = length;
    }
};

struct CoderState {
    uint8_t lengths[kLengthTableSize] = {};
    uint8_t previous[kLengthTableSize] = {};
    MatchMemory memory;
    bool audioMode = false;
    unsigned channels = 1;
    unsigned channel = 0;
    bool hasTables = false;  // a table header has been written in this stream
    AudioPredictor predictor;

    void reset() { *this = CoderState(); }
};

}  // namespace rar
