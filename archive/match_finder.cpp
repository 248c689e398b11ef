#include "archive/match_finder.h"

#include <algorithm>
#include <cstring>

namespace rar {

uint32_t commonLength(const uint8_t* a, const uint8_t* b, uint32_t limit) {
    uint32_t len = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    while (len + 8 <= limit) {
        uint64_t x, y;
        std::memcpy(&x, a + len, 8);
        std::memcpy(&y, b + len, 8);
        if (const uint64_t diff = x ^ y) return len + (__builtin_ctzll(diff) >> 3);
        len += 8;
    }
#endif
    while (len < limit && a[len] == b[len]) ++len;
    return len;
}

MatchFinder::MatchFinder()
    : head_(size_t{1} << kHashBits, kNone),
      chain_(kWindowSize, kNone),
      head3_(size_t{1} << kHash3Bits, kNone),
      pairHead_(65536, kNone) {}

void MatchFinder::reset() {
    std::fill(head_.begin(), head_.end(), kNone);
    std::fill(head3_.begin(), head3_.end(), kNone);
    std::fill(pairHead_.begin(), pairHead_.end(), kNone);
    // Chain slots are only followed from positions entered after this, which rewrite them.
}

void MatchFinder::rebase(uint32_t shift) {
    auto move = [shift](uint32_t& p) { p = (p == kNone || p < shift) ? kNone : p - shift; };
    for (uint32_t& p : head_) move(p);
    for (uint32_t& p : chain_) move(p);
    for (uint32_t& p : head3_) move(p);
    for (uint32_t& p : pairHead_) move(p);
}

void MatchFinder::insert(const uint8_t* buf, uint32_t pos, uint32_t end) {
    const uint8_t* p = buf + pos;
    if (pos + 2 > end) return;
    pairHead_[p[0] | (p[1] << 8)] = pos;
    if (pos + 3 > end) return;
    head3_[hash3(p)] = pos;
    if (pos + 4 > end) return;
    const uint32_t h = hash4(p);
    chain_[pos & kWindowMask] = head_[h];
    head_[h] = pos;
}

unsigned MatchFinder::find(const uint8_t* buf, uint32_t pos, uint32_t maxLength, Match* out,
                           unsigned maxOut) const {
    if (maxLength < 3 || maxOut == 0) return 0;
    unsigned found = 0;
    uint32_t best = 2;
    const uint8_t* here = buf + pos;
    auto record = [&](uint32_t len, uint32_t distance) {
        best = len;
        if (found == maxOut) --found;  // keep the longest in the last slot
        out[found++] = {len, distance};
    };

    const uint32_t near = head3_[hash3(here)];
    if (near < pos && pos - near <= kMaxDistance) {
        const uint32_t len = commonLength(buf + near, here, maxLength);
        if (len >= 3) record(len, pos - near);
    }
    if (best >= niceLength_ || best >= maxLength || maxLength < 4) return found;

    uint32_t candidate = head_[hash4(here)];
    // Inside runs (one byte, or a short period) the chain holds position after position of the
    // same run; stepping through those is cheap (neighbouring slots) and finds nothing new,
    // so up to kFreeSteps of them do not count against maxChain.
    constexpr unsigned kFreeSteps = 32;
    unsigned freeSteps = 0;
    uint32_t previous = kNone;
    for (unsigned steps = maxChain_; steps > 0 && candidate < pos;) {
        if (previous - candidate > 4 || ++freeSteps > kFreeSteps) --steps;
        previous = candidate;
        const uint32_t distance = pos - candidate;
        if (distance > kMaxDistance) break;
        const uint8_t* there = buf + candidate;
        // The byte just past the best length decides most candidates at once.
        if (there[best] == here[best]) {
            const uint32_t len = commonLength(there, here, maxLength);
            if (len > best) {
                record(len, distance);
                if (len >= niceLength_ || len >= maxLength) break;
            }
        }
        const uint32_t next = chain_[candidate & kWindowMask];
        if (next >= candidate) break;
        candidate = next;
    }
    return found;
}

uint32_t MatchFinder::findPair(const uint8_t* buf, uint32_t pos) const {
    const uint32_t p = pairHead_[buf[pos] | (buf[pos + 1] << 8)];
    return p < pos ? p : kNone;
}

}  // namespace rar
