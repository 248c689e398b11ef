#include "archive/crc32.h"

#include <array>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define RAR_CRC_FOLDING 1
#endif

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

uint32_t updateWithTables(uint32_t c, const uint8_t* p, size_t size) {
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
    return c;
}

#if RAR_CRC_FOLDING
// Folding with carry-less multiplication: a 128-bit block standing for polynomial R, followed
// by n more bits, is replaced by a 128-bit value congruent to R·x^n modulo the CRC polynomial,
// from the two 64-bit halves of R times x^(n+63) and x^(n-1) mod P (one power less than the
// plain shift, as the product of two bit-reversed 64-bit values comes out one place over).
// What remains at the end is 16 bytes with the same CRC as everything folded into them, which
// the tables finish.

// x^n mod P, P = x^32 + 0x04C11DB7, as 32 coefficient bits (bit t: x^t).
constexpr uint32_t xPowerMod(unsigned n) {
    uint64_t r = 1;
    for (unsigned i = 0; i < n; ++i) {
        r <<= 1;
        if (r & (uint64_t{1} << 32)) r ^= 0x104C11DB7u;
    }
    return static_cast<uint32_t>(r);
}
// In the bit order of the stream: x^t at bit 63 - t of a 64-bit lane.
constexpr uint64_t reflected(uint32_t poly) {
    uint64_t out = 0;
    for (unsigned t = 0; t < 32; ++t)
        if (poly & (1u << t)) out |= uint64_t{1} << (63 - t);
    return out;
}

constexpr uint64_t kFold128Lo = reflected(xPowerMod(128 + 63));
constexpr uint64_t kFold128Hi = reflected(xPowerMod(128 - 1));
constexpr uint64_t kFold512Lo = reflected(xPowerMod(512 + 63));
constexpr uint64_t kFold512Hi = reflected(xPowerMod(512 - 1));

__attribute__((target("pclmul,sse2"))) inline __m128i fold(__m128i r, __m128i k) {
    return _mm_xor_si128(_mm_clmulepi64_si128(r, k, 0x00), _mm_clmulepi64_si128(r, k, 0x11));
}

// At least 64 bytes; returns the register after the largest multiple of 16 bytes.
__attribute__((target("pclmul,sse2"))) uint32_t updateFolding(uint32_t c, const uint8_t*& p,
                                                              size_t& size) {
    const __m128i k128 =
        _mm_set_epi64x(static_cast<long long>(kFold128Hi), static_cast<long long>(kFold128Lo));
    const __m128i k512 =
        _mm_set_epi64x(static_cast<long long>(kFold512Hi), static_cast<long long>(kFold512Lo));
    auto load = [](const uint8_t* q) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    };
    // The register joins the stream as if it had been XORed into its first four bytes.
    __m128i x0 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(c)));
    __m128i x1 = load(p + 16), x2 = load(p + 32), x3 = load(p + 48);
    p += 64;
    size -= 64;
    while (size >= 64) {
        x0 = _mm_xor_si128(fold(x0, k512), load(p));
        x1 = _mm_xor_si128(fold(x1, k512), load(p + 16));
        x2 = _mm_xor_si128(fold(x2, k512), load(p + 32));
        x3 = _mm_xor_si128(fold(x3, k512), load(p + 48));
        p += 64;
        size -= 64;
    }
    x0 = _mm_xor_si128(fold(x0, k128), x1);
    x0 = _mm_xor_si128(fold(x0, k128), x2);
    x0 = _mm_xor_si128(fold(x0, k128), x3);
    while (size >= 16) {
        x0 = _mm_xor_si128(fold(x0, k128), load(p));
        p += 16;
        size -= 16;
    }
    uint8_t rest[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(rest), x0);
    return updateWithTables(0, rest, 16);
}

bool canFold() {
    static const bool supported =
        __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
    return supported;
}
#endif

}  // namespace

void Crc32::update(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    uint32_t c = state_;
#if RAR_CRC_FOLDING
    if (size >= 64 && canFold()) c = updateFolding(c, p, size);
#endif
    state_ = updateWithTables(c, p, size);
}

uint32_t crc32Of(const void* data, size_t size) {
    Crc32 crc;
    crc.update(data, size);
    return crc.value();
}

}  // namespace rar
