// huffman_table.h - canonical Huffman decoding for one alphabet.
//
// Codes are canonical: shorter codes first, symbols in order within a length. A symbol is
// found from the next 16 bits by the smallest length whose limit lies above them. Codes of up
// to kLookupBits bits come straight from a lookup table built from the same limits; only
// longer codes search the remaining limits. Bit patterns that fall outside the code (damaged
// tables) decode as the table's first symbol, the same way on both paths.
#pragma once

#include <cstdint>

#include "archive/bit_input.h"
#include "archive/lz_tables.h"

namespace rar {

class HuffmanTable {
  public:
    static constexpr unsigned kLookupBits = 10;
    static constexpr unsigned kMaxSymbols = kMainSymbols;

    // lengths[i] & 15 is the code length of symbol i, 0 for an unused symbol.
    void build(const uint8_t* lengths, unsigned symbolCount);

    unsigned decode(BitInput& in) const {
        const uint32_t v = in.peek16();
        const uint16_t e = lookup_[v >> (16 - kLookupBits)];
        const uint32_t found = (e >> 12) ? e : decodeLong(v & 0xFFFE);
        in.skip(found >> 12);
        return found & 0x1FF;
    }

    // The lookup entry for the next bits: symbol | length << 12, or 0 for a longer code.
    uint16_t peekShort(const BitInput& in) const {
        return lookup_[in.peek16() >> (16 - kLookupBits)];
    }

  private:
    // Symbol | length << 12 of a code longer than kLookupBits.
    uint32_t decodeLong(uint32_t v) const;
    unsigned symbolAt(unsigned length, uint32_t v) const;

    // Left unset until build(): the decoder never decodes with a table it has not built.
    uint32_t limit_[16];
    uint32_t first_[16];
    uint16_t symbols_[kMaxSymbols];
    unsigned count_ = 0;
    // Symbol in bits 0..8, code length in bits 12..15; length 0 means a longer code.
    uint16_t lookup_[1u << kLookupBits];
};

}  // namespace rar
