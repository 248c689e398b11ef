// iff_writer.h - big-endian IFF output for programs that write LightWave objects from code:
// the asset generator, the tests and the benchmarks. The program itself only reads them.
//
// Numbers are written big-endian and strings NUL-terminated and padded to an even length, so a
// string that starts at an even offset ends at one. A chunk is written either from a finished
// body (chunk, sub) or in place (open ... close), which fills in the length when it closes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class IffWriter {
  public:
    IffWriter& u1(uint8_t v);
    IffWriter& u2(uint16_t v);
    IffWriter& u4(uint32_t v);
    IffWriter& f4(float v);
    IffWriter& vec(float x, float y, float z);
    // The first four characters of tag.
    IffWriter& id(const char* tag);
    IffWriter& s0(const std::string& s);
    IffWriter& raw(const IffWriter& other);

    // Chunk: ID4, U4 length, the body, and a pad byte after an odd length.
    IffWriter& chunk(const char* tag, const IffWriter& body);
    // Sub-chunk: ID4, U2 length and the body, without padding: the sub-chunks of an LWO2
    // texture block follow each other by their exact lengths, and tests write odd ones.
    IffWriter& sub(const char* tag, const IffWriter& body);

    // Starts a chunk with a U2 (shortLength) or U4 length written in place; close() ends the
    // latest one opened, pads an odd body and fills in its length (without the pad).
    void open(const char* tag, bool shortLength);
    void close();

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    size_t size() const { return bytes_.size(); }

  private:
    struct Open {
        size_t at;  // where the length goes
        bool shortLength;
    };
    std::vector<uint8_t> bytes_;
    std::vector<Open> open_;
};
