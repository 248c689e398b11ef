// archive_test_support.h - archives and packed streams written bit by bit, a CRC-32 of our
// own, the reader called on bytes in memory, and test data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive_writer.h"

namespace archivetest {

using Bytes = std::vector<uint8_t>;

Bytes text(const std::string& s);
Bytes operator+(Bytes a, const Bytes& b);
void put16(Bytes& b, size_t at, uint16_t v);
void put32(Bytes& b, size_t at, uint32_t v);
// CRC-32 bit by bit (IEEE, reflected 0xEDB88320), independent of the program's tables.
uint32_t crc(const uint8_t* p, size_t n);
inline uint32_t crc(const Bytes& b) {
    return crc(b.data(), b.size());
}

// Big-endian bits, first bit highest, the last byte padded with zeros.
class BitWriter {
  public:
    void bits(uint32_t value, unsigned n);
    // Bits written as text, e.g. "01 1010110"; spaces are ignored.
    void pattern(const char* p);
    Bytes finish();

  private:
    Bytes out_;
    unsigned used_ = 0;  // bits used in the last byte
};

// Table headers in which all codes of a table have one length, so a symbol's code is its
// number: LZ main symbols 9 bits, distances 6, repeat lengths 5 (with keep: main lengths
// changed by mainDelta, the rest kept); audio 9 bits. The code lengths are coded in 5 bits.
void flatLzTables(BitWriter& w, bool keep = false, unsigned mainDelta = 0);
void flatAudioTables(BitWriter& w, unsigned channels);

struct RawEntry {
    std::string name;
    Bytes packed;
    uint32_t unpackedSize = 0;
    uint32_t crc = 0;
    uint8_t method = 0x30;
    uint8_t version = 20;
    uint16_t flags = 0x8000;
};
RawEntry storedEntry(const std::string& name, const Bytes& data);
RawEntry packedEntry(const std::string& name, const Bytes& stream, const Bytes& data,
                     bool solid = false);
Bytes mainHeader(bool solid);
Bytes fileBlock(const RawEntry& e);
Bytes rawArchive(const std::vector<RawEntry>& entries, bool solid = false);

struct NamedData {
    std::string name;
    Bytes data;
};
Bytes packArchive(const std::vector<NamedData>& files, const rar::PackOptions& options,
                  std::vector<rar::PackedEntry>* info = nullptr,
                  rar::EncoderStats* stats = nullptr);

// getEntry on an archive in memory; false when the read fails (then the buffer must be null
// and the size 0, which is checked too).
bool readEntry(const Bytes& archive, const std::string& name, Bytes* out);
Bytes readBytes(const Bytes& archive, const std::string& name);  // empty when the read fails
std::vector<std::string> listNames(const Bytes& archive);        // (names without spaces)
// Each node of the list: "name, name size, packed, unpacked, host, time (hex), version,
// method (hex), attributes (hex), flags (hex), CRC (hex)".
std::vector<std::string> describeEntries(const Bytes& archive);
// The stream as the one packed entry of an archive, read back; empty when the read fails.
Bytes decodeStream(const Bytes& stream, const Bytes& expected);

// A fresh directory under /tmp, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    std::string path(const std::string& name = "") const { return path_ + "/" + name; }
    std::string write(const std::string& name, const Bytes& data) const;  // returns the path
    Bytes read(const std::string& name) const;

  private:
    std::string path_;
};

Bytes textData(size_t size, uint32_t seed = 1);
Bytes binaryData(size_t size, uint32_t seed = 2);  // records, code-like bytes, far copies
Bytes randomData(size_t size, uint32_t seed = 3);
// Sampled sound: two tones with a slow envelope and a little noise, 8 or 16 bits.
Bytes soundSamples(size_t frames, unsigned channels, unsigned bits, uint32_t seed = 4);
Bytes waveFile(size_t frames, unsigned channels, unsigned bits, uint32_t seed = 4);

}  // namespace archivetest
