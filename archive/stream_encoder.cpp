#include "archive/stream_encoder.h"

#include <algorithm>

#include "archive/bit_output.h"
#include "archive/huffman_builder.h"
#include "archive/table_encoder.h"

namespace rar {
namespace {

constexpr size_t kSegmentBytes = 512 * 1024;  // parsed at once, then coded
constexpr size_t kLzChunkTokens = 4096;       // smallest LZ block
constexpr size_t kAudioChunkBytes = 16384;    // smallest audio block
constexpr size_t kHistoryLimit = 8 * kWindowSize;

// Whether every symbol that must be coded has a code in lengths.
bool covers(const uint8_t* lengths, const uint32_t* counts, unsigned n) {
    for (unsigned i = 0; i < n; ++i)
        if (counts[i] && !lengths[i]) return false;
    return true;
}

// Greedy block forming over fixed chunks: a chunk joins the block before it unless coding
// the two apart (each with its own tables) is cheaper.
template <typename Counts, typename CostFn>
std::vector<std::pair<size_t, Counts>> formBlocks(const std::vector<Counts>& chunks, CostFn cost) {
    std::vector<std::pair<size_t, Counts>> blocks;  // (chunks in block, counts)
    for (const Counts& c : chunks) {
        if (!blocks.empty()) {
            Counts merged = blocks.back().second;
            merged.add(c);
            if (cost(merged) <= cost(blocks.back().second) + cost(c)) {
                blocks.back().first++;
                blocks.back().second = merged;
                continue;
            }
        }
        blocks.push_back({1, c});
    }
    return blocks;
}

}  // namespace

uint64_t EncoderStats::literals() const {
    uint64_t n = 0;
    for (unsigned s = 0; s < 256; ++s) n += mainSymbols[s];
    return n;
}
uint64_t EncoderStats::longMatches() const {
    uint64_t n = 0;
    for (unsigned s = kSymLongFirst; s < kMainSymbols; ++s) n += mainSymbols[s];
    return n;
}
uint64_t EncoderStats::shortMatches() const {
    uint64_t n = 0;
    for (unsigned s = kSymShortFirst; s < kSymNewTables; ++s) n += mainSymbols[s];
    return n;
}
void StreamEncoder::LzCounts::add(const LzCounts& o) {
    for (unsigned i = 0; i < kMainSymbols; ++i) main[i] += o.main[i];
    for (unsigned i = 0; i < kDistSymbols; ++i) dist[i] += o.dist[i];
    for (unsigned i = 0; i < kRepLenSymbols; ++i) repLen[i] += o.repLen[i];
}

void StreamEncoder::AudioCounts::add(const AudioCounts& o) {
    for (unsigned c = 0; c < kMaxChannels; ++c)
        for (unsigned i = 0; i < kAudioSymbols; ++i) symbols[c][i] += o.symbols[c][i];
}

StreamEncoder::StreamEncoder(const ParserSettings& settings)
    : settings_(settings), parser_(finder_, settings_) {
    restart();
}

void StreamEncoder::restart() {
    state_.reset();
    prices_.setDefaults();
    history_.clear();
    entryStart_ = 0;
    insertedTo_ = 0;
    finder_.reset();
}

void StreamEncoder::slideHistory(size_t incoming) {
    if (history_.size() + incoming <= kHistoryLimit || history_.size() <= kWindowSize) return;
    // Whole windows only, so that the match finder's chain slots stay where they are.
    const size_t shift = (history_.size() - kWindowSize) / kWindowSize * kWindowSize;
    if (shift == 0) return;
    history_.erase(history_.begin(), history_.begin() + static_cast<std::ptrdiff_t>(shift));
    finder_.rebase(static_cast<uint32_t>(shift));
    insertedTo_ -= static_cast<uint32_t>(shift);
}

void StreamEncoder::beginEntry(const uint8_t* data, size_t size) {
    slideHistory(size);
    entryStart_ = static_cast<uint32_t>(history_.size());
    history_.insert(history_.end(), data, data + size);
}

void StreamEncoder::endEntry() {
    const uint32_t end = static_cast<uint32_t>(history_.size());
    // The last bytes stay out until the next entry brings the bytes their prefixes need.
    while (insertedTo_ + 4 <= end) finder_.insert(history_.data(), insertedTo_++, end);
}

// ---------------------------------------------------------------------------------------
// LZ blocks

void StreamEncoder::countTokens(const LzToken* t, size_t n, LzCounts& counts) {
    for (size_t i = 0; i < n; ++i) {
        const unsigned sym = t[i].symbol;
        counts.main[sym]++;
        if (sym >= kSymLongFirst) {
            counts.dist[distanceCode(t[i].distance - 1)]++;
        } else if (sym >= kSymRecentFirst && sym < kSymShortFirst) {
            counts.repLen[lengthCode(t[i].length - kMinRecentMatch -
                                     recentMatchBonus(t[i].distance))]++;
        }
    }
}

void StreamEncoder::lzLengths(const LzCounts& counts, bool reserve, uint8_t* lengths) const {
    uint32_t main[kMainSymbols];
    std::copy(counts.main, counts.main + kMainSymbols, main);
    if (reserve) main[kSymNewTables]++;
    buildCodeLengths(main, kMainSymbols, kMaxCodeLength, lengths);
    buildCodeLengths(counts.dist, kDistSymbols, kMaxCodeLength, lengths + kMainSymbols);
    buildCodeLengths(counts.repLen, kRepLenSymbols, kMaxCodeLength,
                     lengths + kMainSymbols + kDistSymbols);
}

uint64_t StreamEncoder::lzBlockBits(const LzCounts& counts, bool reserve) const {
    uint8_t lengths[kLzLengthCount];
    lzLengths(counts, reserve, lengths);
    return tableHeaderBits(state_, false, 1, lengths) +
           codedBits(counts.main, lengths, kMainSymbols) +
           codedBits(counts.dist, lengths + kMainSymbols, kDistSymbols) +
           codedBits(counts.repLen, lengths + kMainSymbols + kDistSymbols, kRepLenSymbols);
}

void StreamEncoder::encodeLz(std::vector<uint8_t>& out, bool quick) {
    out.clear();
    BitOutput bits(out);
    const uint8_t* buf = history_.data();
    const uint32_t end = static_cast<uint32_t>(history_.size());
    uint32_t pos = entryStart_;
    bool firstOfStream = !quick && !state_.hasTables && entryStart_ == 0;
    std::vector<LzToken> tokens;
    if (pos == end && !state_.hasTables) {
        // Even an empty stream starts with tables.
        emitLzTokens(bits, tokens, true);
    }
    while (pos < end) {
        const uint32_t segmentEnd =
            static_cast<uint32_t>(std::min<size_t>(pos + kSegmentBytes, end));
        ParseStrategy strategy = pos - entryStart_ < settings_.optimalBytes ? ParseStrategy::Optimal
                                                                            : ParseStrategy::Lazy;
        if (quick) strategy = ParseStrategy::Quick;
        if (firstOfStream) {
            // Default prices misjudge a stream's first bytes; price them from a quick trial
            // parse (which prices them about as well as a full one would).
            const CoderState before = state_;
            tokens.clear();
            parser_.parse(ParseStrategy::Quick, buf, pos, segmentEnd, end, insertedTo_,
                          state_.memory, prices_, tokens);
            LzCounts counts;
            countTokens(tokens.data(), tokens.size(), counts);
            uint8_t lengths[kLzLengthCount];
            lzLengths(counts, true, lengths);
            prices_.setFromLengths(lengths, counts.main);
            state_ = before;
            finder_.reset();
            insertedTo_ = entryStart_;
            firstOfStream = false;
        }
        tokens.clear();
        pos = parser_.parse(strategy, buf, pos, segmentEnd, end, insertedTo_, state_.memory,
                            prices_, tokens);
        emitLzTokens(bits, tokens, pos >= end);
    }
    bits.finish();
}

void StreamEncoder::emitLzTokens(BitOutput& out, const std::vector<LzToken>& tokens,
                                 bool entryEnds) {
    std::vector<LzCounts> chunks;
    for (size_t i = 0; i < tokens.size(); i += kLzChunkTokens) {
        chunks.emplace_back();
        countTokens(tokens.data() + i, std::min(kLzChunkTokens, tokens.size() - i), chunks.back());
    }
    if (chunks.empty()) chunks.emplace_back();
    const auto blocks =
        formBlocks(chunks, [this](const LzCounts& c) { return lzBlockBits(c, true); });
    size_t first = 0;
    for (size_t b = 0; b < blocks.size(); ++b) {
        const size_t begin = first * kLzChunkTokens;
        first += blocks[b].first;
        const size_t stop = std::min(first * kLzChunkTokens, tokens.size());
        const bool last = entryEnds && b + 1 == blocks.size();
        emitLzBlock(out, tokens.data() + begin, stop - begin, blocks[b].second,
                    reserveSwitch_ || !last);
    }
}

void StreamEncoder::writeSwitch(BitOutput& out) {
    uint16_t codes[kMainSymbols];
    if (state_.audioMode) {
        const uint8_t* lengths = state_.lengths + state_.channel * kAudioSymbols;
        buildCanonicalCodes(lengths, kAudioSymbols, codes);
        out.write(codes[kAudioNewTables], lengths[kAudioNewTables]);
        stats_.audioSwitches++;
    } else {
        buildCanonicalCodes(state_.lengths, kMainSymbols, codes);
        out.write(codes[kSymNewTables], state_.lengths[kSymNewTables]);
        stats_.mainSymbols[kSymNewTables]++;
    }
}

void StreamEncoder::emitLzBlock(BitOutput& out, const LzToken* tokens, size_t n,
                                const LzCounts& counts, bool reserve) {
    uint8_t fresh[kLzLengthCount];
    lzLengths(counts, reserve, fresh);
    const uint8_t* distLengths = fresh + kMainSymbols;
    const uint8_t* repLengths = distLengths + kDistSymbols;
    const uint64_t freshBits = tableHeaderBits(state_, false, 1, fresh) +
                               codedBits(counts.main, fresh, kMainSymbols) +
                               codedBits(counts.dist, distLengths, kDistSymbols) +
                               codedBits(counts.repLen, repLengths, kRepLenSymbols);

    uint32_t needed[kMainSymbols];
    std::copy(counts.main, counts.main + kMainSymbols, needed);
    if (reserve) needed[kSymNewTables]++;
    const uint8_t* cur = state_.lengths;
    const bool canKeep = state_.hasTables && !state_.audioMode &&
                         covers(cur, needed, kMainSymbols) &&
                         covers(cur + kMainSymbols, counts.dist, kDistSymbols) &&
                         covers(cur + kMainSymbols + kDistSymbols, counts.repLen, kRepLenSymbols);
    const uint64_t keepBits =
        canKeep ? codedBits(counts.main, cur, kMainSymbols) +
                      codedBits(counts.dist, cur + kMainSymbols, kDistSymbols) +
                      codedBits(counts.repLen, cur + kMainSymbols + kDistSymbols, kRepLenSymbols)
                : 0;
    if (canKeep && keepBits <= freshBits + cur[kSymNewTables]) {
        stats_.keptTables++;
    } else {
        if (state_.hasTables) writeSwitch(out);
        writeTableHeader(out, state_, false, 1, fresh);
        stats_.tableHeaders++;
    }

    const uint8_t* lengths = state_.lengths;
    uint16_t mainCodes[kMainSymbols], distCodes[kDistSymbols], repCodes[kRepLenSymbols];
    buildCanonicalCodes(lengths, kMainSymbols, mainCodes);
    buildCanonicalCodes(lengths + kMainSymbols, kDistSymbols, distCodes);
    buildCanonicalCodes(lengths + kMainSymbols + kDistSymbols, kRepLenSymbols, repCodes);
    const uint8_t* dl = lengths + kMainSymbols;
    const uint8_t* rl = dl + kDistSymbols;

    for (size_t i = 0; i < n; ++i) {
        const LzToken& t = tokens[i];
        const unsigned sym = t.symbol;
        out.write(mainCodes[sym], lengths[sym]);
        stats_.mainSymbols[sym]++;
        if (sym < kSymRepeatLast || sym == kSymRepeatLast) continue;
        if (sym < kSymShortFirst) {
            const uint32_t value = t.length - kMinRecentMatch - recentMatchBonus(t.distance);
            const unsigned lc = lengthCode(value);
            out.write(repCodes[lc], rl[lc]);
            out.write(value - kLengthBase[lc], kLengthBits[lc]);
        } else if (sym < kSymNewTables) {
            const unsigned slot = sym - kSymShortFirst;
            out.write(t.distance - 1 - kShortBase[slot], kShortBits[slot]);
        } else {
            const unsigned lc = sym - kSymLongFirst;
            const uint32_t value = t.length - kMinLongMatch - longMatchBonus(t.distance);
            out.write(value - kLengthBase[lc], kLengthBits[lc]);
            const unsigned dc = distanceCode(t.distance - 1);
            out.write(distCodes[dc], dl[dc]);
            out.write(t.distance - 1 - kDistBase[dc], kDistBits[dc]);
        }
    }
    prices_.setFromLengths(lengths, counts.main);
}

// ---------------------------------------------------------------------------------------
// Audio blocks

void StreamEncoder::audioLengths(const AudioCounts& counts, unsigned channels, bool reserveAll,
                                 unsigned endChannel, uint8_t* lengths) const {
    for (unsigned c = 0; c < channels; ++c) {
        uint32_t symbols[kAudioSymbols];
        std::copy(counts.symbols[c], counts.symbols[c] + kAudioSymbols, symbols);
        if (reserveAll || c == endChannel) symbols[kAudioNewTables]++;
        buildCodeLengths(symbols, kAudioSymbols, kMaxCodeLength, lengths + c * kAudioSymbols);
    }
}

uint64_t StreamEncoder::audioBlockBits(const AudioCounts& counts, unsigned channels) const {
    uint8_t lengths[kLengthTableSize] = {};
    audioLengths(counts, channels, true, 0, lengths);
    uint64_t bits = tableHeaderBits(state_, true, channels, lengths);
    for (unsigned c = 0; c < channels; ++c)
        bits += codedBits(counts.symbols[c], lengths + c * kAudioSymbols, kAudioSymbols);
    return bits;
}

void StreamEncoder::encodeAudio(unsigned channels, std::vector<uint8_t>& out) {
    out.clear();
    BitOutput bits(out);
    const uint8_t* data = history_.data() + entryStart_;
    const size_t n = history_.size() - entryStart_;
    // A header that lowers the channel count below the current channel restarts at 0.
    const unsigned first = state_.channel < channels ? state_.channel : 0;

    std::vector<uint8_t> deltas(n);
    std::vector<AudioCounts> chunks;
    for (size_t i = 0; i < n; ++i) {
        const unsigned ch = static_cast<unsigned>((first + i) % channels);
        deltas[i] = state_.predictor.encode(ch, data[i]);
        if (i % kAudioChunkBytes == 0) chunks.emplace_back();
        chunks.back().symbols[ch][deltas[i]]++;
    }
    if (chunks.empty()) chunks.emplace_back();
    const auto blocks = formBlocks(
        chunks, [this, channels](const AudioCounts& c) { return audioBlockBits(c, channels); });
    size_t chunk = 0;
    for (size_t b = 0; b < blocks.size(); ++b) {
        const size_t begin = chunk * kAudioChunkBytes;
        chunk += blocks[b].first;
        const size_t stop = std::min(chunk * kAudioChunkBytes, n);
        emitAudioBlock(bits, deltas.data() + begin, stop - begin,
                       static_cast<unsigned>((first + begin) % channels), channels,
                       blocks[b].second, b + 1 == blocks.size());
    }
    bits.finish();
}

void StreamEncoder::emitAudioBlock(BitOutput& out, const uint8_t* deltas, size_t n,
                                   unsigned firstChannel, unsigned channels,
                                   const AudioCounts& counts, bool lastInEntry) {
    const unsigned endChannel = static_cast<unsigned>((firstChannel + n) % channels);
    // Without a reserve the end channel gets no switch code: kMaxChannels matches no channel.
    const unsigned reserveChannel = lastInEntry ? kMaxChannels : endChannel;
    uint8_t fresh[kLengthTableSize] = {};
    audioLengths(counts, channels, reserveSwitch_, reserveChannel, fresh);
    uint64_t freshBits = tableHeaderBits(state_, true, channels, fresh);
    uint64_t keepBits = 0;
    bool canKeep = state_.hasTables && state_.audioMode && state_.channels == channels;
    for (unsigned c = 0; c < channels; ++c) {
        const uint8_t* cur = state_.lengths + c * kAudioSymbols;
        freshBits += codedBits(counts.symbols[c], fresh + c * kAudioSymbols, kAudioSymbols);
        keepBits += codedBits(counts.symbols[c], cur, kAudioSymbols);
        const bool mustSwitch = reserveSwitch_ || c == reserveChannel;
        canKeep = canKeep && covers(cur, counts.symbols[c], kAudioSymbols) &&
                  (!mustSwitch || cur[kAudioNewTables]);
    }
    if (canKeep && keepBits <= freshBits) {
        stats_.keptTables++;
    } else {
        if (state_.hasTables) writeSwitch(out);
        writeTableHeader(out, state_, true, channels, fresh);
        stats_.tableHeaders++;
        stats_.audioHeaders++;
    }

    uint16_t codes[kMaxChannels][kAudioSymbols];
    for (unsigned c = 0; c < channels; ++c)
        buildCanonicalCodes(state_.lengths + c * kAudioSymbols, kAudioSymbols, codes[c]);
    unsigned ch = state_.channel;
    for (size_t i = 0; i < n; ++i) {
        out.write(codes[ch][deltas[i]], state_.lengths[ch * kAudioSymbols + deltas[i]]);
        if (++ch == channels) ch = 0;
    }
    state_.channel = ch;
    stats_.audioBytes += n;
}

}  // namespace rar
