// byte_writer.h - big-endian IFF-style output: numbers, padded strings and chunks whose
// length is filled in when they close.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class ByteWriter {
  public:
    void u1(uint8_t v) { bytes_.push_back(v); }
    void u2(uint16_t v) {
        u1(uint8_t(v >> 8));
        u1(uint8_t(v));
    }
    void u4(uint32_t v) {
        u2(uint16_t(v >> 16));
        u2(uint16_t(v));
    }
    void f4(float f) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        u4(v);
    }
    void id(const char tag[5]) { bytes_.insert(bytes_.end(), tag, tag + 4); }
    // NUL-terminated, padded to an even length.
    void s0(const std::string& s) {
        bytes_.insert(bytes_.end(), s.begin(), s.end());
        u1(0);
        if ((s.size() + 1) % 2) u1(0);
    }

    // Opens a chunk with a 4-byte (U4) or 2-byte (U2) length; close() fills it in and pads
    // the data to an even length.
    size_t open(const char tag[5], bool shortLength) {
        id(tag);
        size_t at = bytes_.size();
        if (shortLength)
            u2(0);
        else
            u4(0);
        open_.push_back({at, shortLength});
        return at;
    }
    void close() {
        Open o = open_.back();
        open_.pop_back();
        size_t start = o.at + (o.shortLength ? 2 : 4);
        size_t len = bytes_.size() - start;
        if (len % 2) u1(0);
        if (o.shortLength) {
            bytes_[o.at] = uint8_t(len >> 8), bytes_[o.at + 1] = uint8_t(len);
        } else {
            for (int i = 0; i < 4; ++i) bytes_[o.at + i] = uint8_t(len >> (24 - 8 * i));
        }
    }

    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    struct Open {
        size_t at;
        bool shortLength;
    };
    std::vector<uint8_t> bytes_;
    std::vector<Open> open_;
};
