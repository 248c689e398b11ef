#include "archive/audio_analysis.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "archive/archive_format.h"
#include "archive/audio_predictor.h"

namespace rar {
namespace {

constexpr size_t kSampleBytes = 256 * 1024;

double entropyBits(const uint32_t* counts, unsigned n) {
    uint64_t total = 0;
    for (unsigned i = 0; i < n; ++i) total += counts[i];
    double bits = 0;
    for (unsigned i = 0; i < n; ++i)
        if (counts[i]) bits -= counts[i] * std::log2(static_cast<double>(counts[i]) / total);
    return bits;
}

}  // namespace

unsigned waveFrameBytes(const uint8_t* data, size_t size) {
    if (size < 44 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return 0;
    size_t at = 12;
    while (at + 8 <= size) {
        const uint32_t chunkSize = load32(data + at + 4);
        if (std::memcmp(data + at, "fmt ", 4) == 0) {
            if (chunkSize < 16 || at + 8 + 16 > size) return 0;
            const uint8_t* fmt = data + at + 8;
            const uint16_t format = load16(fmt);
            const uint16_t blockAlign = load16(fmt + 12);
            const uint16_t bitsPerSample = load16(fmt + 14);
            const bool pcm = format == 1 || format == 0xFFFE;
            if (!pcm || (bitsPerSample != 8 && bitsPerSample != 16)) return 0;
            return blockAlign >= 1 && blockAlign <= 4 ? blockAlign : 0;
        }
        at += 8 + static_cast<size_t>(chunkSize) + (chunkSize & 1);
    }
    return 0;
}

AudioEstimate estimateAudio(const uint8_t* data, size_t size, unsigned channels) {
    const size_t sample = size < kSampleBytes ? size : kSampleBytes;
    AudioEstimate best;
    best.bits = UINT64_MAX;
    for (unsigned ch = 1; ch <= 4; ++ch) {
        if (channels && ch != channels) continue;
        AudioPredictor predictor;
        std::vector<uint32_t> counts(ch * 256, 0);
        for (size_t i = 0; i < sample; ++i) {
            const unsigned c = static_cast<unsigned>(i % ch);
            counts[c * 256 + predictor.encode(c, data[i])]++;
        }
        double bits = 0;
        for (unsigned c = 0; c < ch; ++c) bits += entropyBits(counts.data() + c * 256, 256);
        // Scale the sample to the whole and add what the tables cost.
        const double scaled = sample ? bits * static_cast<double>(size) / sample : 0;
        const uint64_t total = static_cast<uint64_t>(scaled) + 600 * ch;
        if (total < best.bits) best = {ch, total};
    }
    return best;
}

}  // namespace rar
