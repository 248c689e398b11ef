#include "archive/huffman_table.h"

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
    // kLookupBits bits decide both the length and the symbol of such codes.
    unsigned len = 1;
    for (uint32_t prefix = 0; prefix < (1u << kLookupBits); ++prefix) {
        const uint32_t v = prefix << (16 - kLookupBits);
        while (len <= kLookupBits && v >= limit_[len]) ++len;
        lookup_[prefix] =
            len <= kLookupBits ? static_cast<uint16_t>(symbolAt(len, v) | (len << 12)) : 0;
    }
}

unsigned HuffmanTable::symbolAt(unsigned length, uint32_t v) const {
    const uint32_t index = first_[length] + ((v - limit_[length - 1]) >> (16 - length));
    return index < count_ ? symbols_[index] : symbols_[0];
}

unsigned HuffmanTable::decodeLong(BitInput& in, uint32_t v) const {
    unsigned len = kLookupBits + 1;
    while (len < 15 && v >= limit_[len]) ++len;
    in.skip(len);
    return symbolAt(len, v);
}

}  // namespace rar
