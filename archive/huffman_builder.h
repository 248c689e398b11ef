// huffman_builder.h - code lengths for the encoder: Huffman lengths from symbol counts,
// limited to a maximum length, and the canonical codes the decoder derives from them.
#pragma once

#include <cstdint>

namespace rar {

// lengths[i] becomes the code length of symbol i (0 when its count is 0). A lone used
// symbol gets length 1. Lengths never exceed maxLength. Deterministic for equal counts.
void buildCodeLengths(const uint32_t* counts, unsigned symbolCount, unsigned maxLength,
                      uint8_t* lengths);

// Canonical codes: shorter codes first, symbols in order within one length.
void buildCanonicalCodes(const uint8_t* lengths, unsigned symbolCount, uint16_t* codes);

// Bits that counts take when coded with lengths (unused symbols must have count 0).
uint64_t codedBits(const uint32_t* counts, const uint8_t* lengths, unsigned symbolCount);

}  // namespace rar
