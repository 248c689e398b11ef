// bit_input.h - the packed stream as a big-endian bit stream, most significant bit first.
//
// The whole packed data of an entry sits in memory followed by kPadding zero bytes, so a
// refill can always load eight bytes at once. One refill leaves at least 56 bits, enough for
// any one symbol with its extra bits and distance. Reading beyond the packed data is caught
// by overrun(), which the decoder checks once per symbol.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace rar {

class BitInput {
  public:
    static constexpr size_t kPadding = 64;

    // data must be followed by kPadding readable bytes.
    void reset(const uint8_t* data, size_t size) {
        start_ = data;
        next_ = data;
        end_ = data + size;
        sizeBits_ = static_cast<uint64_t>(size) * 8;
        bits_ = 0;
        count_ = 0;
        refill();
    }

    void refill() {
        uint64_t v;
        std::memcpy(&v, next_, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        v = __builtin_bswap64(v);
#endif
        bits_ |= v >> count_;
        next_ += (63 - count_) >> 3;
        count_ |= 56;
    }

    unsigned available() const {
        return count_;
    }
    uint32_t peek16() const {
        return static_cast<uint32_t>(bits_ >> 48);
    }
    void skip(unsigned n) {
        bits_ <<= n;
        count_ -= n;
    }
    // n extra bits, 0 to 16.
    uint32_t take(unsigned n) {
        const uint32_t v = static_cast<uint32_t>((bits_ >> 32) >> (32 - n));
        skip(n);
        return v;
    }

    uint64_t consumedBits() const {
        return static_cast<uint64_t>(next_ - start_) * 8 - count_;
    }
    // The refill pointer runs ahead of the bits used, so only past the end is it worth the
    // exact count.
    bool overrun() const {
        return next_ > end_ && consumedBits() > sizeBits_;
    }
    // Whole bytes left from the byte that holds the next bit.
    uint64_t bytesLeft() const {
        const uint64_t at = consumedBits() >> 3;
        return at >= (sizeBits_ >> 3) ? 0 : (sizeBits_ >> 3) - at;
    }

  private:
    const uint8_t* start_ = nullptr;
    const uint8_t* next_ = nullptr;
    const uint8_t* end_ = nullptr;
    uint64_t sizeBits_ = 0;
    uint64_t bits_ = 0;
    unsigned count_ = 0;
};

}  // namespace rar
