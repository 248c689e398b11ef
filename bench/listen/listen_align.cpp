// listen_align: where a recording of the program playing in real time lost sound, against the
// lockstep render of the same span.
//
// The recording (the sound card's monitor, started before the program) holds the render
// somewhere after its start. The render is followed through it block by block: each 50 ms
// block is found in the recording near where the one before it was. A lost stretch of sound
// (the device starved, a gap of silence) pushes every later block back by its length; a
// block that is silent in the recording where the render has sound is lost too. The drift
// is how far the blocks move besides the gaps: none where the device's clock drives the mix.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/listen/sound_match.h"

namespace {

using listen::correlation;
using listen::energy;
using listen::kMatch;
using listen::kRate;

constexpr int kBlock = kRate / 20;  // 50 ms
constexpr int kNear = kRate / 200;  // a block is looked for 5 ms either side first,
constexpr int kFar = kRate / 2;     // then up to 0.5 s later after a loss

// The file's frames mixed to mono; empty (with a message) when it cannot be read at 44100 Hz.
std::vector<float> readMono(const char* path) {
    SF_INFO info = {};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (!file) {
        std::fprintf(stderr, "listen_align: cannot read %s: %s\n", path, sf_strerror(nullptr));
        return {};
    }
    std::vector<float> mono;
    if (info.samplerate != kRate) {
        std::fprintf(stderr, "listen_align: %s is at %d Hz, not %d\n", path, info.samplerate,
                     kRate);
    } else {
        std::vector<float> frames(static_cast<size_t>(info.frames) * info.channels);
        const sf_count_t got = sf_readf_float(file, frames.data(), info.frames);
        mono.resize(static_cast<size_t>(got));
        for (sf_count_t i = 0; i < got; ++i) {
            float sum = 0.0f;
            for (int c = 0; c < info.channels; ++c) sum += frames[i * info.channels + c];
            mono[i] = sum / info.channels;
        }
    }
    sf_close(file);
    return mono;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::string(argv[1]) == "--help") {
        std::printf(
            "Usage: listen_align RECORDING.wav RENDER.wav\n"
            "Follows the render (the lockstep capture's audio.wav) through the recording of the\n"
            "same span played in real time, both 44100 Hz, and prints the gaps (sound lost in\n"
            "the recording), their total length and the drift. Exit status 0, 1 when the\n"
            "render was not found in the recording, 2 for a usage error.\n");
        return argc == 2 ? 0 : 2;
    }
    const std::vector<float> recording = readMono(argv[1]), render = readMono(argv[2]);
    if (recording.empty() || render.empty()) return 1;
    long start = 0;
    if (!listen::findStart(recording, render, start)) {
        std::printf("the render was not found in the recording\n");
        return 1;
    }
    long lag = start;  // where the render's current block lies in the recording
    int blocks = 0, matched = 0, silent = 0, gaps = 0, lostBlocks = 0;
    long gapFrames = 0;
    bool inLoss = false, lastLossSilent = false;
    // A recording that began after the render's sound (an idle sink's monitor gives nothing)
    // is followed from its own start.
    const long firstBlock = start < 0 ? (-start + kBlock - 1) / kBlock * kBlock : 0;
    for (long at = firstBlock; at + kBlock <= long(render.size()); at += kBlock) {
        const float* block = &render[at];
        const double e = energy(block, kBlock);
        if (e < kBlock * 1e-6) continue;  // the render is silent here: nothing to follow
        ++blocks;
        auto search = [&](long from, long to, double& bestC) {
            long best = -1;
            bestC = 0.0;
            for (long l = std::max(-at, from); l <= to; ++l) {
                if (at + l + kBlock > long(recording.size())) break;
                const double c = correlation(block, &recording[at + l], kBlock, e);
                if (c > bestC) bestC = c, best = l;
            }
            return best;
        };
        double c = 0.0;
        long found = search(lag - kNear, lag + kNear, c);
        if (c < kMatch) found = search(lag - kNear, lag + kFar, c);
        if (c < kMatch) {
            // Lost, or silent where the render sounds: counted with the gap it belongs to.
            const long where = at + lag;
            const bool quiet = where >= 0 && where + kBlock <= long(recording.size()) &&
                               energy(&recording[where], kBlock) < 0.01 * e;
            silent += quiet;
            ++lostBlocks;
            if (!inLoss && quiet) ++gaps;
            std::printf("  %.2f s: a block not found%s\n", double(at) / kRate,
                        quiet ? " (silent)" : "");
            inLoss = true;
            lastLossSilent = quiet;
            continue;
        }
        ++matched;
        if (found > lag + 20) {  // later by more than half a millisecond: sound went missing
            if (!inLoss || !lastLossSilent) ++gaps;
            gapFrames += found - lag;
            std::printf("  %.2f s: %.1f ms later than the block before\n", double(at) / kRate,
                        double(found - lag) / kRate * 1000.0);
        }
        inLoss = false;
        lag = found;
    }
    const double seconds = double(render.size()) / kRate;
    const double drift = double(lag - start - gapFrames) / kRate * 1000.0;
    std::printf(
        "render %.1f s, found %.3f s into the recording; %d of %d sounding blocks "
        "matched\n",
        seconds, double(start) / kRate, matched, blocks);
    // A gap is sound that came late (the blocks after it moved back) or silence where the
    // render sounds; a block that merely did not match, with nothing moved, is counted apart.
    std::printf("gaps: %d, %.1f ms in all; %d blocks unmatched, %d of them silent\n", gaps,
                double(gapFrames) / kRate * 1000.0 + silent * 1000.0 * kBlock / kRate, lostBlocks,
                silent);
    std::printf("drift: %.2f ms over the span\n", drift);
    return 0;
}
