// lz_symbols.h - how the encoder spells a match in the symbols of the packed stream: length
// and distance codes with their extra bits, and the estimated cost of each choice in bits,
// taken from the code lengths of the block before.
#pragma once

#include <cstdint>

#include "archive/lz_tables.h"

namespace rar {

// One symbol of the main table with what it needs: a literal, or a match of one of the four
// kinds (long, repeat of the last match, recent distance, short).
struct LzToken {
    uint32_t distance;
    uint16_t length;
    uint16_t symbol;
};

namespace detail {
struct CodeTables {
    uint8_t length[256];
    uint8_t shortSlot[256];
};
constexpr CodeTables makeCodeTables() {
    CodeTables t{};
    for (unsigned v = 0; v < 256; ++v) {
        unsigned c = 0;
        while (c + 1 < kRepLenSymbols && kLengthBase[c + 1] <= v) ++c;
        t.length[v] = static_cast<uint8_t>(c);
        unsigned s = 0;
        while (s + 1 < 8 && kShortBase[s + 1] <= v) ++s;
        t.shortSlot[v] = static_cast<uint8_t>(s);
    }
    return t;
}
inline constexpr CodeTables kCodeTables = makeCodeTables();
}  // namespace detail

inline unsigned lengthCode(uint32_t value) {  // value 0..255
    return detail::kCodeTables.length[value];
}
inline unsigned distanceCode(uint32_t value) {  // distance - 1, 0..0xFFFFF
    if (value < 4) return value;
    if (value >= 262144) return 36 + ((value - 262144) >> 16);
    const unsigned top = 31 - static_cast<unsigned>(__builtin_clz(value));
    return 2 * top + ((value >> (top - 1)) & 1);
}
inline unsigned shortSlot(uint32_t value) {  // distance - 1, 0..255
    return detail::kCodeTables.shortSlot[value];
}

// Prices in sixteenths of a bit.
struct SymbolPrices {
    static constexpr uint32_t kScale = 16;
    static constexpr unsigned kMaxLength = 261;

    uint32_t main[kMainSymbols];
    uint32_t dist[kDistSymbols];
    uint32_t repLen[kRepLenSymbols];
    uint32_t literalAverage;  // typical price of a literal, for weighing matches
    // Length part of a match's price by length, for each number of far-distance steps.
    uint32_t longLength[3][kMaxLength];
    uint32_t recentLength[4][kMaxLength];

    void setDefaults();
    // From the lengths of an LZ table (kLzLengthCount entries) and the main-symbol counts
    // that went with them.
    void setFromLengths(const uint8_t* lengths, const uint32_t* mainCounts);

    uint32_t distancePart(uint32_t distance) const {
        const unsigned dc = distanceCode(distance - 1);
        return dist[dc] + kDistBits[dc] * kScale;
    }
    uint32_t longMatch(uint32_t length, uint32_t distance) const {
        return longLength[longMatchBonus(distance)][length] + distancePart(distance);
    }
    uint32_t recentMatch(unsigned k, uint32_t length, uint32_t distance) const {
        return main[kSymRecentFirst + k] + recentLength[recentMatchBonus(distance)][length];
    }
    uint32_t shortMatch(uint32_t distance) const {
        const unsigned slot = shortSlot(distance - 1);
        return main[kSymShortFirst + slot] + kShortBits[slot] * kScale;
    }

  private:
    void updateLengthParts();
};

}  // namespace rar
