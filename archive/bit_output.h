// bit_output.h - writes the packed stream: big-endian bits, most significant bit first, the
// last byte padded with zero bits.
#pragma once

#include <cstdint>
#include <vector>

namespace rar {

class BitOutput {
  public:
    explicit BitOutput(std::vector<uint8_t>& out) : out_(out) {}

    // The low n bits of value, n at most 32.
    void write(uint32_t value, unsigned n) {
        if (n == 0) return;
        acc_ = (acc_ << n) | (value & (n == 32 ? 0xFFFFFFFFu : ((1u << n) - 1)));
        count_ += n;
        while (count_ >= 8) {
            count_ -= 8;
            out_.push_back(static_cast<uint8_t>(acc_ >> count_));
        }
    }
    void finish() {
        if (count_) out_.push_back(static_cast<uint8_t>(acc_ << (8 - count_)));
        count_ = 0;
        acc_ = 0;
    }
    uint64_t bitCount() const { return static_cast<uint64_t>(out_.size()) * 8 + count_; }

  private:
    std::vector<uint8_t>& out_;
    uint64_t acc_ = 0;
    unsigned count_ = 0;
};

}  // namespace rar
