#include "archive/lz_symbols.h"

namespace rar {

void SymbolPrices::setDefaults() {
    for (unsigned s = 0; s < 256; ++s) main[s] = 8 * kScale;
    for (unsigned s = 256; s < kMainSymbols; ++s) main[s] = 9 * kScale;
    main[kSymRepeatLast] = 7 * kScale;
    main[kSymRecentFirst] = 6 * kScale;
    for (unsigned s = kSymLongFirst; s < kMainSymbols; ++s)
        main[s] = (6 + (s - kSymLongFirst) / 4) * kScale;
    for (unsigned c = 0; c < kDistSymbols; ++c) dist[c] = 5 * kScale;
    for (unsigned c = 0; c < kRepLenSymbols; ++c) repLen[c] = (3 + c / 4) * kScale;
    literalAverage = 8 * kScale;
    updateLengthParts();
}

void SymbolPrices::setFromLengths(const uint8_t* lengths, const uint32_t* mainCounts) {
    // A symbol the last block did not use may well appear now; guess it rare, not impossible.
    auto price = [](uint8_t len, unsigned unused) { return (len ? len : unused) * kScale; };
    uint64_t literalBits = 0, literals = 0;
    for (unsigned s = 0; s < kMainSymbols; ++s) {
        main[s] = price(lengths[s], s < 256 ? 11 : 12);
        if (s < 256) {
            literalBits += static_cast<uint64_t>(mainCounts[s]) * main[s];
            literals += mainCounts[s];
        }
    }
    for (unsigned c = 0; c < kDistSymbols; ++c) dist[c] = price(lengths[kMainSymbols + c], 9);
    for (unsigned c = 0; c < kRepLenSymbols; ++c)
        repLen[c] = price(lengths[kMainSymbols + kDistSymbols + c], 8);
    literalAverage = literals ? static_cast<uint32_t>(literalBits / literals) : 8 * kScale;
    updateLengthParts();
}

void SymbolPrices::updateLengthParts() {
    // Lengths a kind of match cannot have keep a huge price and are never chosen.
    constexpr uint32_t kImpossible = 1u << 24;
    for (unsigned bonus = 0; bonus < 3; ++bonus) {
        for (unsigned len = 0; len < kMaxLength; ++len) {
            const int v = static_cast<int>(len) - static_cast<int>(kMinLongMatch + bonus);
            if (v < 0 || v > 255) {
                longLength[bonus][len] = kImpossible;
                continue;
            }
            const unsigned lc = lengthCode(static_cast<uint32_t>(v));
            longLength[bonus][len] = main[kSymLongFirst + lc] + kLengthBits[lc] * kScale;
        }
    }
    for (unsigned bonus = 0; bonus < 4; ++bonus) {
        for (unsigned len = 0; len < kMaxLength; ++len) {
            const int v = static_cast<int>(len) - static_cast<int>(kMinRecentMatch + bonus);
            if (v < 0 || v > 255) {
                recentLength[bonus][len] = kImpossible;
                continue;
            }
            const unsigned lc = lengthCode(static_cast<uint32_t>(v));
            recentLength[bonus][len] = repLen[lc] + kLengthBits[lc] * kScale;
        }
    }
}

}  // namespace rar
