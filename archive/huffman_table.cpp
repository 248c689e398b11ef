#include "archive/huffman_table.h"

#include <algorithm>
#include <cstring>

namespace rar {

void HuffmanTable::build(const uint8_t* lengths, unsigned symbolCount) {
    count_ = symbolCount;
    unsigned lengthCount[16] = {};
    for (unsigned i = 0; i < symbolCount; ++i) lengthCount[lengths[i] & 15]++;
    lengthCount[0] = 0;

    uint32_t n = 0;
    limit_[0] = 0;
    first_[0] = 0;
    for (unsigned len = 1; len < 16; ++len) {
        n = 2 * (n + lengthCount[len]);
        const uint32_t l = n << (15 - len);
        limit_[len] = l > 0xFFFF ? 0xFFFF : l;
        first_[len] = first_[len - 1] + lengthCount[len - 1];
    }

    // Places no symbol claims stay 0, so a stray code always yields a defined symbol.
    std::memset(symbols_, 0, sizeof(symbols_));
    uint32_t next[16];
    std::memcpy(next, first_, sizeof(next));
    for (unsigned i = 0; i < symbolCount; ++i) {
        const unsigned len = lengths[i] & 15;
        if (len) symbols_[next[len]++] = static_cast<uint16_t>(i);
    }

    // Limits of lengths up to kLookupBits are multiples of 2^(16 - kLookupBits) (or the
    // clamp 0xFFFF, which every 16-bit value with bit 0 clear lies below), so the leading
    // kLookupBits bits decide both the length and the symbol of such codes: the prefixes of
    // length len run from limit[len - 1] to limit[len], each code covering
    // 2^(kLookupBits - len) of them.
    constexpr uint32_t kPrefixes = 1u << kLookupBits;
    uint32_t prefix = 0;
    for (unsigned len = 1; len <= kLookupBits && prefix < kPrefixes; ++len) {
        const uint32_t end = limit_[len] >= 0xFFFF ? kPrefixes : limit_[len] >> (16 - kLookupBits);
        const unsigned shift = kLookupBits - len;
        const uint32_t start = prefix;
        while (prefix < end) {
            const uint32_t code = (prefix - start) >> shift;
            const uint32_t index = first_[len] + code;
            const auto entry = static_cast<uint16_t>(
                (index < count_ ? symbols_[index] : symbols_[0]) | (len << 12));
            const uint32_t runEnd = std::min(end, start + ((code + 1) << shift));
            std::fill(lookup_ + prefix, lookup_ + runEnd, entry);
            prefix = runEnd;
        }
    }
    std::fill(lookup_ + prefix, lookup_ + kPrefixes, uint16_t{0});
}

unsigned HuffmanTable::symbolAt(unsigned length, uint32_t v) const {
    const uint32_t index = first_[length] + ((v - limit_[length - 1]) >> (16 - length));
    return index < count_ ? symbols_[index] : symbols_[0];
}

uint32_t HuffmanTable::decodeLong(uint32_t v) const {
    unsigned len = kLookupBits + 1;
    while (len < 15 && v >= limit_[len]) ++len;
    return symbolAt(len, v) | (len << 12);
}

}  // namespace rar
