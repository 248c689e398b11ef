// archive_format.h - the fixed numbers of the RAR 2.x container, shared by the reader and
// the writer, and little-endian field access.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rar {

constexpr size_t kMarkerSize = 7;
constexpr uint8_t kMarker[kMarkerSize] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};  // Rar!
constexpr uint8_t kAltMarker[kMarkerSize] = {'M', 'o', 'r', 'l', 'e', 'x', '!'};

constexpr size_t kMainHeaderSize = 13;
constexpr size_t kBlockPrefixSize = 7;  // CRC, type, flags, size: what every block has
constexpr size_t kFileHeaderFixedSize = 32;

constexpr uint8_t kBlockMain = 0x73;
constexpr uint8_t kBlockFile = 0x74;
constexpr uint8_t kBlockEnd = 0x7B;

constexpr uint16_t kMainSolid = 0x0008;

constexpr uint16_t kFileEnciphered = 0x0004;
constexpr uint16_t kFileSolid = 0x0010;
constexpr uint16_t kFileWindow1M = 0x0080;  // dictionary-size bits: 1 MB
constexpr uint16_t kBlockHasAddSize = 0x8000;
constexpr uint16_t kBlockSkipIfUnknown = 0x4000;  // a reader that does not know it skips it

constexpr uint8_t kMethodStored = 0x30;
constexpr uint8_t kMethodNormal = 0x33;
constexpr uint8_t kVersion20 = 20;
constexpr uint8_t kMinVersion = 13;
constexpr uint8_t kMaxVersion = 20;

constexpr uint8_t kHostMsDos = 0;
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrArchive = 0x20;

// Entry names keep at most this many bytes; requested names and archive paths at most
// kMaxRequestLength characters.
constexpr size_t kMaxEntryName = 259;
constexpr size_t kMaxRequestLength = 255;

inline uint16_t load16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t load32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void store16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void store32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace rar
