// decompressor.h - the packed-stream decoder: LZ77 over a 1 MB window with canonical Huffman
// codes, and blocks in the multimedia mode.
//
// One Decompressor lives for one read of the archive; entries of a solid archive pass their
// window, tables, recent distances and predictor state on to the next entry. Decoded bytes
// collect in the window and leave it for the output only in block copies: when the window is
// about to wrap, and at the end of the entry.
//
// The window behaves as 1 MB from the start, but memory is only taken for the part the
// entries of one read can reach: until the window has wrapped once, no byte at or past the
// produce position is ever read (those are the zeros of a fresh window), so a read of small
// entries needs only a small block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/audio_predictor.h"
#include "archive/bit_input.h"
#include "archive/huffman_table.h"
#include "archive/lz_tables.h"

namespace rar {

class Decompressor {
  public:
    Decompressor();
    ~Decompressor();
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    // Decodes one entry from its packed data (followed by BitInput::kPadding readable bytes).
    // With output non-null the entry's unpackedSize bytes are written there; with null they
    // only pass through the window (an earlier entry of a solid archive). An entry with the
    // solid flag continues from the state the previous one left. False on a damaged stream:
    // reading past the packed data, or more output than unpackedSize.
    bool decodeEntry(const uint8_t* packed, size_t packedSize, uint32_t unpackedSize,
                     bool solidEntry, uint8_t* output);

  private:
    bool reserveWindow(uint64_t bytes);
    void resetState();
    bool readTables(BitInput& in);
    bool decodeBlocks(BitInput& in, int64_t& remaining);
    static inline void copyFast(uint8_t* d, uint32_t distance, uint32_t length);
    void copySlow(uint32_t length, uint32_t distance);
    bool flush();
    bool readPendingTableSwitch(BitInput& in);

    uint8_t* window_ = nullptr;
    uint32_t capacity_ = 0;    // bytes of the window held in memory
    uint32_t pos_ = 0;         // next byte to produce
    uint32_t flushed_ = 0;     // first byte not yet copied out
    bool wrapped_ = false;     // every window byte has been written at least once
    bool broken_ = false;      // a failed entry left the state unfit for a solid successor
    bool tablesRead_ = false;  // this read has tables to decode with

    uint8_t* output_ = nullptr;
    uint32_t outputSize_ = 0;
    uint32_t outputCapacity_ = 0;

    HuffmanTable main_, dist_, repLen_, bitLen_;
    HuffmanTable audio_[kMaxChannels];
    uint8_t lengths_[kLengthTableSize] = {};
    uint8_t previousLengths_[kLengthTableSize] = {};

    uint32_t recent_[4] = {};
    uint32_t recentCount_ = 0;
    uint32_t lastDistance_ = 0;
    uint32_t lastLength_ = 0;

    bool audioMode_ = false;
    unsigned channels_ = 1;
    unsigned channel_ = 0;
    AudioPredictor predictor_;
};

}  // namespace rar
