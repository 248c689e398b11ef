// archive_test_support.h - what the archive tests share: archives assembled byte by byte,
// packed streams written symbol by symbol, test data, and a plain second decoder that follows
// the documented algorithm literally, to check the fast one against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive_writer.h"
#include "archive/bit_output.h"
#include "archive/lz_tables.h"

namespace archivetest {

using Bytes = std::vector<uint8_t>;

// ---- archives assembled by hand ----

struct RawEntry {
    std::string name;
    Bytes packed;
    uint32_t unpackedSize = 0;
    uint32_t crc = 0;
    uint8_t method = 0x30;
    uint8_t version = 20;
    uint16_t flags = 0x8000;
    uint32_t attributes = 0x20;
    uint32_t fileTime = 0;
    uint8_t hostSystem = 0;
};

// A stored entry holding data.
RawEntry storedEntry(const std::string& name, const Bytes& data);
// A compressed entry with the given stream that decodes to data.
RawEntry packedEntry(const std::string& name, const Bytes& stream, const Bytes& data,
                     bool solid = false);

// Little-endian fields written into b at the offset.
void put16(Bytes& b, size_t at, uint16_t v);
void put32(Bytes& b, size_t at, uint32_t v);

Bytes mainHeader(bool solid);
Bytes fileBlock(const RawEntry& e);
Bytes rawArchive(const std::vector<RawEntry>& entries, bool solid = false);

// ---- archives written by the archiver ----

struct NamedData {
    std::string name;
    Bytes data;
};
Bytes packArchive(const std::vector<NamedData>& files, const rar::PackOptions& options,
                  rar::EncoderStats* stats = nullptr,
                  std::vector<rar::PackedEntry>* info = nullptr);

// ---- reading ----

// getEntry on an archive in memory; false when the read fails (then the buffer must be null
// and the size 0, which is checked too).
bool readEntry(const Bytes& archive, const std::string& name, Bytes* out);
std::vector<std::string> listNames(const Bytes& archive);

// ---- packed streams written symbol by symbol ----

// Tables where every symbol has a code: main symbols 9 bits, distances 6, repeat lengths 5,
// audio symbols 9. Table headers use a flat 5-bit code for the code lengths, so the stream
// shape depends on nothing in the encoder.
// The code lengths lzTables() writes, with main symbols of mainBits bits.
void flatLzLengths(uint8_t* lengths, uint8_t mainBits = 9);

class StreamBuilder {
  public:
    StreamBuilder();
    void lzTables();
    void lzTables(const uint8_t* lengths);  // kLzLengthCount lengths, written as they are
    void audioTables(unsigned channels);
    void literal(uint8_t b);
    void longMatch(uint32_t length, uint32_t distance);
    void repeatLast();
    void recent(unsigned k, uint32_t length, uint32_t distance);  // distance for the bonus
    void shortMatch(uint32_t distance);
    void newTables();  // symbol 269
    void audioSymbol(unsigned channel, unsigned symbol);
    void bits(uint32_t value, unsigned n) { out_.write(value, n); }
    // Goes on with the tables another builder wrote last (the next entry of a solid stream).
    void adoptTables(const StreamBuilder& other);
    Bytes finish();

  private:
    void writeLengths(bool audio, unsigned channels, const uint8_t* lengths, unsigned count);
    void setTables(const uint8_t* lengths);
    void write(const uint8_t* lengths, const uint16_t* codes, unsigned symbol);
    void mainSymbol(unsigned s);
    Bytes bytes_;
    rar::BitOutput out_;
    uint8_t lengths_[rar::kLengthTableSize] = {};
    uint16_t codes_[rar::kLengthTableSize] = {};
};

// ---- the plain decoder ----

// Decodes one stream (non-solid, fresh state) with the search over code limits, byte-by-byte
// masked copies and a zero-filled window, as documented. False when the stream runs past its
// end or produces more than size bytes.
bool referenceDecode(const Bytes& stream, uint32_t size, Bytes* out);
// The symbol that search finds for the 16 bits (first bit highest) with those code lengths, and
// the bits it takes.
unsigned referenceSymbol(const uint8_t* lengths, unsigned n, uint32_t bits16, unsigned* used);

// ---- test data ----

Bytes textData(size_t size, uint32_t seed = 1);
Bytes binaryData(size_t size, uint32_t seed = 2);  // structured records and code-like bytes
Bytes randomData(size_t size, uint32_t seed = 3);
Bytes repetitiveData(size_t size);
// Sampled sound: a few tones with a slow envelope and a little noise.
Bytes soundSamples(size_t frames, unsigned channels, unsigned bits, uint32_t seed = 4);
Bytes waveFile(size_t frames, unsigned channels, unsigned bits, uint32_t seed = 4);

uint32_t crcOf(const Bytes& b);

}  // namespace archivetest
