// audio_analysis.h - decides whether bytes look like sampled sound worth coding in the
// multimedia mode, and with how many byte channels (1 to 4).
#pragma once

#include <cstddef>
#include <cstdint>

namespace rar {

// The bytes per sample frame of a PCM WAV file (8- or 16-bit, frames of 1 to 4 bytes), or 0
// when data is not such a file.
unsigned waveFrameBytes(const uint8_t* data, size_t size);

struct AudioEstimate {
    unsigned channels = 1;
    uint64_t bits = 0;  // estimated packed size of all of data
};

// Simulates the predictor on a sample of data for 1 to 4 channels (or only `channels` when it
// is not 0) and returns the cheapest, judged by the entropy of the differences.
AudioEstimate estimateAudio(const uint8_t* data, size_t size, unsigned channels = 0);

}  // namespace rar
