// table_encoder.h - writes the header of a block: the mode bits, the bit-length code and the
// code lengths of the block's tables, either as they are or as changes from the previous
// block's lengths, whichever is shorter.
#pragma once

#include <cstdint>

#include "archive/bit_output.h"
#include "archive/coder_state.h"

namespace rar {

// newLengths holds kLzLengthCount lengths (LZ mode) or kAudioSymbols * channels (audio).
uint64_t tableHeaderBits(const CoderState& state, bool audio, unsigned channels,
                         const uint8_t* newLengths);
void writeTableHeader(BitOutput& out, CoderState& state, bool audio, unsigned channels,
                      const uint8_t* newLengths);

}  // namespace rar
