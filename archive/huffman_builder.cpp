#include "archive/huffman_builder.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace rar {

void buildCodeLengths(const uint32_t* counts, unsigned symbolCount, unsigned maxLength,
                      uint8_t* lengths) {
    std::memset(lengths, 0, symbolCount);
    std::vector<unsigned> used;
    for (unsigned i = 0; i < symbolCount; ++i)
        if (counts[i]) used.push_back(i);
    if (used.empty()) return;
    if (used.size() == 1) {
        lengths[used[0]] = 1;
        return;
    }
    // Least frequent first; the symbol number settles ties so that output never varies.
    std::sort(used.begin(), used.end(), [&](unsigned a, unsigned b) {
        return counts[a] != counts[b] ? counts[a] < counts[b] : a < b;
    });

    // Two-queue Huffman construction: leaves in weight order, merged nodes in creation
    // order (their weights never decrease).
    const size_t n = used.size();
    std::vector<uint64_t> weight(2 * n);
    std::vector<size_t> parent(2 * n, 0);
    for (size_t i = 0; i < n; ++i) weight[i] = counts[used[i]];
    size_t leaf = 0, node = n, made = n;
    auto takeSmallest = [&]() {
        if (leaf < n && (node >= made || weight[leaf] <= weight[node])) return leaf++;
        return node++;
    };
    while (made < 2 * n - 1) {
        const size_t a = takeSmallest();
        const size_t b = takeSmallest();
        weight[made] = weight[a] + weight[b];
        parent[a] = made;
        parent[b] = made;
        ++made;
    }
    std::vector<unsigned> depth(2 * n - 1, 0);
    for (size_t i = 2 * n - 2; i-- > 0;) depth[i] = depth[parent[i]] + 1;

    // Count leaves per length; lengths past the limit are folded back and the code is made
    // to fit again by pushing the deepest shorter leaves one level down.
    std::vector<uint32_t> perLength(std::max<unsigned>(maxLength, 64) + 1, 0);
    unsigned deepest = 0;
    for (size_t i = 0; i < n; ++i) {
        const unsigned d = std::min<unsigned>(depth[i], maxLength);
        perLength[d]++;
        deepest = std::max(deepest, depth[i]);
    }
    if (deepest > maxLength) {
        uint64_t kraft = 0;
        for (unsigned len = 1; len <= maxLength; ++len)
            kraft += static_cast<uint64_t>(perLength[len]) << (maxLength - len);
        const uint64_t full = uint64_t{1} << maxLength;
        while (kraft > full) {
            unsigned len = maxLength - 1;
            while (perLength[len] == 0) --len;
            perLength[len]--;
            perLength[len + 1]++;
            kraft -= uint64_t{1} << (maxLength - len - 1);
        }
    }
    // Shortest lengths to the most frequent symbols.
    size_t next = n;
    for (unsigned len = 1; len <= maxLength; ++len)
        for (uint32_t k = 0; k < perLength[len]; ++k)
            lengths[used[--next]] = static_cast<uint8_t>(len);
}

void buildCanonicalCodes(const uint8_t* lengths, unsigned symbolCount, uint16_t* codes) {
    unsigned perLength[17] = {};
    for (unsigned i = 0; i < symbolCount; ++i) perLength[lengths[i]]++;
    perLength[0] = 0;
    unsigned start[17] = {};
    unsigned code = 0;
    for (unsigned len = 1; len <= 16; ++len) {
        code = (code + perLength[len - 1]) << 1;
        start[len] = code;
    }
    for (unsigned i = 0; i < symbolCount; ++i)
        codes[i] = lengths[i] ? static_cast<uint16_t>(start[lengths[i]]++) : 0;
}

uint64_t codedBits(const uint32_t* counts, const uint8_t* lengths, unsigned symbolCount) {
    uint64_t bits = 0;
    for (unsigned i = 0; i < symbolCount; ++i)
        bits += static_cast<uint64_t>(counts[i]) * lengths[i];
    return bits;
}

}  // namespace rar
