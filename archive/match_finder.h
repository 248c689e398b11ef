// match_finder.h - finds earlier occurrences of the bytes at a position within the window.
//
// Hash chains over four-byte prefixes give the matches of four bytes and more; for three
// bytes, only worth coding close by, the latest occurrence of each prefix is kept, and for two
// bytes (short matches) the latest occurrence of each pair.
//
// Positions index one history buffer owned by the caller; when the caller drops old history
// it calls rebase() with a multiple of the window size, which keeps the chain slots aligned.
#pragma once

#include <cstdint>
#include <vector>

#include "archive/lz_tables.h"

namespace rar {

struct Match {
    uint32_t length;
    uint32_t distance;
};

class MatchFinder {
  public:
    static constexpr uint32_t kNone = 0xFFFFFFFFu;
    static constexpr uint32_t kMaxDistance = kWindowSize - 1;

    MatchFinder();
    void configure(unsigned maxChain, unsigned niceLength) {
        maxChain_ = maxChain;
        niceLength_ = niceLength;
    }
    void reset();
    void rebase(uint32_t shift);

    // Enters pos; the bytes up to end must be readable (prefixes that do not fit are skipped).
    void insert(const uint8_t* buf, uint32_t pos, uint32_t end);
    // Matches at pos of at least three bytes, each longer and farther than the one before, at
    // most maxLength long and within kMaxDistance. Returns how many were written to out.
    unsigned find(const uint8_t* buf, uint32_t pos, uint32_t maxLength, Match* out,
                  unsigned maxOut) const;
    // Latest earlier position holding the two bytes at pos, or kNone.
    uint32_t findPair(const uint8_t* buf, uint32_t pos) const;

  private:
    static constexpr unsigned kHashBits = 17;
    static constexpr unsigned kHash3Bits = 16;
    static uint32_t hash4(const uint8_t* p) {
        const uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
        return (v * 2654435761u) >> (32 - kHashBits);
    }
    static uint32_t hash3(const uint8_t* p) {
        const uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
        return (v * 506832829u) >> (32 - kHash3Bits);
    }

    std::vector<uint32_t> head_;
    std::vector<uint32_t> chain_;
    std::vector<uint32_t> head3_;
    std::vector<uint32_t> pairHead_;
    unsigned maxChain_ = 32;
    unsigned niceLength_ = 128;
};

// Length of the common run at a and b, at most limit bytes (both ranges readable).
uint32_t commonLength(const uint8_t* a, const uint8_t* b, uint32_t limit);

}  // namespace rar
