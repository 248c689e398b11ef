// lz_parser.h - turns bytes into LZ tokens by the cheapest path through a stretch of input.
//
// For a stretch of up to kStretch positions the parser finds, position by position, the
// cheapest way (in estimated bits, from the code lengths of the block before) to reach each
// later position: a literal, a long match, a repeat of the last match, a match at one of the
// four recent distances (each path keeps its own), or a short two-byte match. The path to the
// end of the stretch becomes the tokens. A match of at least niceLength ends the stretch at
// once, which keeps runs of repeated data cheap to parse.
#pragma once

#include <cstdint>
#include <vector>

#include "archive/coder_state.h"
#include "archive/lz_symbols.h"
#include "archive/match_finder.h"

namespace rar {

enum class ParseStrategy {
    Optimal,  // cheapest path through each stretch
    Lazy,     // best choice at each position, put off by up to two bytes for a better one
    Quick,    // lazy with a short search, to judge what LZ would reach
};

// The cheapest-path parse packs best but costs about three times the lazy one; beyond the
// first optimalBytes of an entry the window's reach matters more than the parse, so the
// rest of a large entry is parsed lazily.
struct ParserSettings {
    uint32_t optimalBytes = 1u << 20;
    unsigned optimalChain = 8;  // chain entries tried per position
    unsigned optimalNice = 64;  // a match this long is taken without weighing others
    unsigned lazyChain = 16;
    unsigned lazyNice = 128;
    unsigned quickChain = 4;
    unsigned quickNice = 32;
};

class LzParser {
  public:
    LzParser(MatchFinder& finder, const ParserSettings& settings);

    // Parses buf from pos until at least segmentEnd, matching bytes up to dataEnd against
    // everything before them in buf. Positions below insertedTo are in the match finder; the
    // parser enters the ones it passes. memory (recent distances, last match) moves on with
    // the tokens. Returns the position after the last token.
    uint32_t parse(ParseStrategy strategy, const uint8_t* buf, uint32_t pos, uint32_t segmentEnd,
                   uint32_t dataEnd, uint32_t& insertedTo, MatchMemory& memory,
                   const SymbolPrices& prices, std::vector<LzToken>& out);

  private:
    static constexpr uint32_t kStretch = 4096;
    static constexpr uint32_t kMaxMatch = 260;

    struct Node {
        uint32_t price;
        uint32_t from;
        uint32_t distance;
        uint16_t length;
        uint16_t symbol;
        MatchMemory memory;
    };

    struct Choice {
        uint32_t length = 0;
        uint32_t distance = 0;
        uint16_t symbol = 0;
        int64_t score = 0;  // sixteenths of a bit saved against literals
    };
    Choice bestAt(const uint8_t* buf, uint32_t pos, uint32_t dataEnd, const MatchMemory& memory,
                  const SymbolPrices& prices) const;
    uint32_t parseLazy(const uint8_t* buf, uint32_t pos, uint32_t segmentEnd, uint32_t dataEnd,
                       uint32_t& insertedTo, MatchMemory& memory, const SymbolPrices& prices,
                       std::vector<LzToken>& out);
    // Cheapest path over one stretch; returns its length in bytes.
    uint32_t parseStretch(const uint8_t* buf, uint32_t pos, uint32_t dataEnd, uint32_t& insertedTo,
                          MatchMemory& memory, const SymbolPrices& prices,
                          std::vector<LzToken>& out);
    void enter(const uint8_t* buf, uint32_t upTo, uint32_t dataEnd, uint32_t& insertedTo);

    MatchFinder& finder_;
    ParserSettings settings_;
    std::vector<Node> nodes_;
    std::vector<LzToken> path_;
};

}  // namespace rar
