#include "archive/crc32.h"

#include <array>

namespace rar {
namespace {

// Eight tables let the loop fold eight bytes per step instead of one.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr CrcTables makeTables() {
    CrcTables t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        t[0][i] = c;
    }
    for (int s = 1; s < 8; ++s)
        for (uint32_t i = 0; i < 256; ++i) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    return t;
}

constexpr CrcTables kTables = makeTables();

}  // namespace

void Crc32::update(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    uint32_t c = state_;
    while (size >= 8) {
        // The table walk reads bytes in stream order, whatever the host byte order.
        uint32_t lo = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                      (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
        const uint32_t hi = static_cast<uint32_t>(p[4]) | (static_cast<uint32_t>(p[5]) << 8) |
                            (static_cast<uint32_t>(p[6]) << 16) |
                            (static_cast<uint32_t>(p[7]) << 24);
        lo ^= c;
        c = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^
            kTables[4][lo >> 24] ^ kTables[3][hi & 0xFF] ^ kTables[2][(hi >> 8) & 0xFF] ^
            kTables[1][(hi >> 16) & 0xFF] ^ kTables[0][hi >> 24];
        p += 8;
        size -= 8;
    }
    while (size--) c = kTables[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    state_ = c;
}

uint32_t crc32Of(const void* data, size_t size) {
    Crc32 crc;
    crc.update(data, size);
    return crc.value();
}

}  // namespace rar
