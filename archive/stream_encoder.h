// stream_encoder.h - writes the packed stream of entries: LZ blocks or multimedia (audio)
// blocks, each block with new tables when they pay for themselves and with the tables of the
// block before otherwise.
//
// The encoder keeps the history (the last megabyte at least), its match finder and its copy
// of the decoder state across entries, so consecutive entries of a solid archive build on each
// other; restart() begins an independent stream. To compare codings of one entry, a caller
// saves the state, codes the entry one way, restores and codes it the other way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/bit_output.h"
#include "archive/coder_state.h"
#include "archive/lz_parser.h"
#include "archive/lz_symbols.h"
#include "archive/match_finder.h"

namespace rar {

// What the streams written so far contain, so tests can see every symbol kind really used.
struct EncoderStats {
    uint64_t mainSymbols[kMainSymbols] = {};  // every main-table symbol written, by symbol
    uint64_t audioBytes = 0;
    uint64_t audioSwitches = 0;  // symbol 256 of an audio table
    uint64_t tableHeaders = 0;   // block headers written, the first of each stream included
    uint64_t audioHeaders = 0;   // of those, headers of audio blocks
    uint64_t keptTables = 0;     // blocks that went on with the tables before them

    uint64_t literals() const;
    uint64_t longMatches() const;
    uint64_t shortMatches() const;
};

class StreamEncoder {
  public:
    explicit StreamEncoder(const ParserSettings& settings = ParserSettings());

    // Next entry starts a new stream (an entry without the solid flag).
    void restart();
    // Whether the next entry continues a stream (and so gets the solid flag).
    bool continuing() const { return state_.hasTables; }
    // In a solid archive every table keeps a code for the table switch, so that the next
    // entry can always change tables at its start.
    void setReserveSwitch(bool reserve) { reserveSwitch_ = reserve; }

    // Makes data the current entry: appends it to the history. Then code it with encodeLz or
    // encodeAudio (or both, restoring a saved state between them), and call endEntry.
    void beginEntry(const uint8_t* data, size_t size);
    // quick: a short lazy parse throughout, for judging the size LZ would reach.
    void encodeLz(std::vector<uint8_t>& out, bool quick = false);
    void encodeAudio(unsigned channels, std::vector<uint8_t>& out);
    void endEntry();

    struct Snapshot {
        CoderState state;
        SymbolPrices prices;
        EncoderStats stats;
    };
    Snapshot save() const { return {state_, prices_, stats_}; }
    void restore(const Snapshot& s) {
        state_ = s.state;
        prices_ = s.prices;
        stats_ = s.stats;
    }

    const EncoderStats& stats() const { return stats_; }

  private:
    struct LzCounts {
        uint32_t main[kMainSymbols] = {};
        uint32_t dist[kDistSymbols] = {};
        uint32_t repLen[kRepLenSymbols] = {};
        void add(const LzCounts& o);
    };
    struct AudioCounts {
        uint32_t symbols[kMaxChannels][kAudioSymbols] = {};
        void add(const AudioCounts& o);
    };

    static void countTokens(const LzToken* t, size_t n, LzCounts& counts);
    void lzLengths(const LzCounts& counts, bool reserve, uint8_t* lengths) const;
    uint64_t lzBlockBits(const LzCounts& counts, bool reserve) const;
    void emitLzTokens(BitOutput& out, const std::vector<LzToken>& tokens, bool entryEnds);
    void emitLzBlock(BitOutput& out, const LzToken* tokens, size_t n, const LzCounts& counts,
                     bool reserve);
    void writeSwitch(BitOutput& out);

    void audioLengths(const AudioCounts& counts, unsigned channels, bool reserveAll,
                      unsigned endChannel, uint8_t* lengths) const;
    uint64_t audioBlockBits(const AudioCounts& counts, unsigned channels) const;
    void emitAudioBlock(BitOutput& out, const uint8_t* deltas, size_t n, unsigned firstChannel,
                        unsigned channels, const AudioCounts& counts, bool lastInEntry);

    void slideHistory(size_t incoming);

    ParserSettings settings_;
    MatchFinder finder_;
    LzParser parser_;
    CoderState state_;
    SymbolPrices prices_;
    EncoderStats stats_;
    bool reserveSwitch_ = false;

    std::vector<uint8_t> history_;
    uint32_t entryStart_ = 0;
    uint32_t insertedTo_ = 0;
};

}  // namespace rar
