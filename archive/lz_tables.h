// lz_tables.h - the constant alphabets of the packed stream, shared by the decoder and the
// encoder: symbol counts, length and distance bases with their extra bits, and the rules
// that lengthen matches at far distances.
#pragma once

#include <cstdint>

namespace rar {

constexpr uint32_t kWindowSize = 0x100000;
constexpr uint32_t kWindowMask = kWindowSize - 1;

constexpr unsigned kMainSymbols = 298;
constexpr unsigned kDistSymbols = 48;
constexpr unsigned kRepLenSymbols = 28;
constexpr unsigned kBitLenSymbols = 19;
constexpr unsigned kAudioSymbols = 257;
constexpr unsigned kLzLengthCount = kMainSymbols + kDistSymbols + kRepLenSymbols;  // 374
constexpr unsigned kLengthTableSize = 4 * kAudioSymbols;                           // 1028
constexpr unsigned kMaxChannels = 4;
constexpr unsigned kMaxCodeLength = 15;

// Main-table symbols beyond the literals.
constexpr unsigned kSymRepeatLast = 256;   // last length at the last distance
constexpr unsigned kSymRecentFirst = 257;  // 257..260: recent distances, newest first
constexpr unsigned kSymShortFirst = 261;   // 261..268: length 2 at a short distance
constexpr unsigned kSymNewTables = 269;
constexpr unsigned kSymLongFirst = 270;  // 270..297: long matches by length code
constexpr unsigned kAudioNewTables = 256;

constexpr uint8_t kLengthBase[kRepLenSymbols] = {0,  1,  2,  3,   4,   5,   6,   7,  8,  10,
                                                 12, 14, 16, 20,  24,  28,  32,  40, 48, 56,
                                                 64, 80, 96, 112, 128, 160, 192, 224};
constexpr uint8_t kLengthBits[kRepLenSymbols] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                                 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};

constexpr uint32_t kDistBase[kDistSymbols] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
constexpr uint8_t kDistBits[kDistSymbols] = {
    0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,  7,  7,  8,  8,  9,  9,  10, 10,
    11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};

constexpr uint8_t kShortBase[8] = {0, 4, 8, 16, 32, 64, 128, 192};
constexpr uint8_t kShortBits[8] = {2, 2, 3, 4, 5, 6, 6, 6};

// A long match is one longer at distances from 0x2000 and one more from 0x40000.
constexpr uint32_t longMatchBonus(uint32_t distance) {
    return (distance >= 0x2000 ? 1u : 0u) + (distance >= 0x40000 ? 1u : 0u);
}
// A match at a recent distance gains one more step, from 0x101.
constexpr uint32_t recentMatchBonus(uint32_t distance) {
    return (distance >= 0x101 ? 1u : 0u) + longMatchBonus(distance);
}

constexpr unsigned kMinLongMatch = 3;    // length code 0 of a long match
constexpr unsigned kMinRecentMatch = 2;  // length code 0 at a recent distance
constexpr unsigned kShortMatchLength = 2;
constexpr uint32_t kMaxShortDistance = 256;

}  // namespace rar
