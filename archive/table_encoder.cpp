#include "archive/table_encoder.h"

#include <vector>

#include "archive/huffman_builder.h"

namespace rar {
namespace {

struct LengthItem {
    uint8_t symbol;  // 0..15 change, 16 repeat, 17/18 zeros
    uint8_t extra;
};

constexpr uint8_t kItemExtraBits[kBitLenSymbols] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                    0, 0, 0, 0, 0, 0, 2, 3, 7};

struct HeaderPlan {
    bool keep = false;
    std::vector<LengthItem> items;
    uint8_t bitLengths[kBitLenSymbols] = {};
    uint64_t bits = 0;
};

HeaderPlan planHeader(const uint8_t* previous, bool keep, bool audio, const uint8_t* lengths,
                      unsigned count) {
    HeaderPlan plan;
    plan.keep = keep;
    unsigned i = 0;
    while (i < count) {
        const uint8_t len = lengths[i];
        if (len == 0) {
            unsigned run = 1;
            while (i + run < count && run < 138 && lengths[i + run] == 0) ++run;
            if (run >= 11) {
                plan.items.push_back({18, static_cast<uint8_t>(run - 11)});
                i += run;
                continue;
            }
            if (run >= 3) {
                plan.items.push_back({17, static_cast<uint8_t>(run - 3)});
                i += run;
                continue;
            }
        } else if (i > 0 && lengths[i - 1] == len) {
            unsigned run = 1;
            while (i + run < count && run < 6 && lengths[i + run] == len) ++run;
            if (run >= 3) {
                plan.items.push_back({16, static_cast<uint8_t>(run - 3)});
                i += run;
                continue;
            }
        }
        const uint8_t base = keep ? previous[i] : 0;
        plan.items.push_back({static_cast<uint8_t>((len - base) & 15), 0});
        ++i;
    }
    uint32_t counts[kBitLenSymbols] = {};
    for (const LengthItem& item : plan.items) counts[item.symbol]++;
    buildCodeLengths(counts, kBitLenSymbols, kMaxCodeLength, plan.bitLengths);
    plan.bits = 2 + (audio ? 2 : 0) + 4 * kBitLenSymbols +
                codedBits(counts, plan.bitLengths, kBitLenSymbols);
    for (const LengthItem& item : plan.items) plan.bits += kItemExtraBits[item.symbol];
    return plan;
}

HeaderPlan bestPlan(const CoderState& state, bool audio, unsigned channels,
                    const uint8_t* newLengths) {
    const unsigned count = audio ? kAudioSymbols * channels : kLzLengthCount;
    HeaderPlan fresh = planHeader(state.previous, false, audio, newLengths, count);
    HeaderPlan delta = planHeader(state.previous, true, audio, newLengths, count);
    return delta.bits < fresh.bits ? delta : fresh;
}

}  // namespace

uint64_t tableHeaderBits(const CoderState& state, bool audio, unsigned channels,
                         const uint8_t* newLengths) {
    return bestPlan(state, audio, channels, newLengths).bits;
}

void writeTableHeader(BitOutput& out, CoderState& state, bool audio, unsigned channels,
                      const uint8_t* newLengths) {
    const HeaderPlan plan = bestPlan(state, audio, channels, newLengths);
    out.write(audio ? 1 : 0, 1);
    out.write(plan.keep ? 1 : 0, 1);
    if (audio) out.write(channels - 1, 2);
    for (uint8_t len : plan.bitLengths) out.write(len, 4);
    uint16_t codes[kBitLenSymbols];
    buildCanonicalCodes(plan.bitLengths, kBitLenSymbols, codes);
    for (const LengthItem& item : plan.items) {
        out.write(codes[item.symbol], plan.bitLengths[item.symbol]);
        out.write(item.extra, kItemExtraBits[item.symbol]);
    }

    // The decoder's side of the same header.
    const unsigned count = audio ? kAudioSymbols * channels : kLzLengthCount;
    if (!plan.keep) std::memset(state.previous, 0, sizeof(state.previous));
    std::memcpy(state.lengths, newLengths, count);
    state.audioMode = audio;
    if (audio) {
        state.channels = channels;
        if (state.channel >= channels) state.channel = 0;
    }
    std::memcpy(state.previous, state.lengths, sizeof(state.lengths));
    state.hasTables = true;
}

}  // namespace rar
