#include "archive/lz_parser.h"

#include <algorithm>

namespace rar {
namespace {

constexpr uint32_t kUnreached = 0xFFFFFFFFu;
constexpr uint32_t kSkipFrom = 32;  // matches at least this long are followed, not searched
constexpr uint32_t kSkipKeep = 16;  // until this much of them is left

}  // namespace

LzParser::LzParser(MatchFinder& finder, const ParserSettings& settings)
    : finder_(finder), settings_(settings), nodes_(kStretch + kMaxMatch + 1) {}

void LzParser::enter(const uint8_t* buf, uint32_t upTo, uint32_t dataEnd, uint32_t& insertedTo) {
    while (insertedTo < upTo) finder_.insert(buf, insertedTo++, dataEnd);
}

uint32_t LzParser::parse(ParseStrategy strategy, const uint8_t* buf, uint32_t pos,
                         uint32_t segmentEnd, uint32_t dataEnd, uint32_t& insertedTo,
                         MatchMemory& memory, const SymbolPrices& prices,
                         std::vector<LzToken>& out) {
    if (strategy == ParseStrategy::Lazy) {
        finder_.configure(settings_.lazyChain, settings_.lazyNice);
        return parseLazy(buf, pos, segmentEnd, dataEnd, insertedTo, memory, prices, out);
    }
    if (strategy == ParseStrategy::Quick) {
        finder_.configure(settings_.quickChain, settings_.quickNice);
        return parseLazy(buf, pos, segmentEnd, dataEnd, insertedTo, memory, prices, out);
    }
    finder_.configure(settings_.optimalChain, settings_.optimalNice);
    while (pos < segmentEnd)
        pos += parseStretch(buf, pos, dataEnd, insertedTo, memory, prices, out);
    return pos;
}

LzParser::Choice LzParser::bestAt(const uint8_t* buf, uint32_t pos, uint32_t dataEnd,
                                  const MatchMemory& memory, const SymbolPrices& prices) const {
    Choice choice;
    const uint32_t avail = dataEnd - pos;
    if (avail < 2) return choice;
    auto consider = [&](uint32_t length, uint32_t distance, unsigned symbol, uint32_t price) {
        const int64_t score = static_cast<int64_t>(length) * prices.literalAverage - price;
        if (score > choice.score) choice = {length, distance, static_cast<uint16_t>(symbol), score};
    };

    uint32_t tried[4];
    unsigned triedCount = 0;
    for (unsigned k = 0; k < 4; ++k) {
        const uint32_t d = memory.recentDistance(k);
        if (d == 0 || d > pos || d > MatchFinder::kMaxDistance) continue;
        if (std::find(tried, tried + triedCount, d) != tried + triedCount) continue;
        tried[triedCount++] = d;
        const uint32_t bonus = recentMatchBonus(d);
        const uint32_t len =
            commonLength(buf + pos - d, buf + pos, std::min<uint32_t>(avail, 257 + bonus));
        if (k == 0 && memory.lastLength >= kShortMatchLength && len >= memory.lastLength)
            consider(memory.lastLength, d, kSymRepeatLast, prices.main[kSymRepeatLast]);
        if (len >= kMinRecentMatch + bonus)
            consider(len, d, kSymRecentFirst + k, prices.recentMatch(k, len, d));
    }

    Match found[8];
    const unsigned n = finder_.find(buf, pos, std::min<uint32_t>(avail, kMaxMatch), found, 8);
    for (unsigned i = 0; i < n; ++i) {
        const uint32_t d = found[i].distance;
        const uint32_t bonus = longMatchBonus(d);
        const uint32_t len = std::min<uint32_t>(found[i].length, 258 + bonus);
        if (len < kMinLongMatch + bonus) continue;
        consider(len, d, kSymLongFirst + lengthCode(len - kMinLongMatch - bonus),
                 prices.longMatch(len, d));
    }

    if (choice.length < 3) {
        const uint32_t p = finder_.findPair(buf, pos);
        if (p != MatchFinder::kNone && pos - p <= kMaxShortDistance)
            consider(kShortMatchLength, pos - p, kSymShortFirst + shortSlot(pos - p - 1),
                     prices.shortMatch(pos - p));
    }
    return choice;
}

uint32_t LzParser::parseLazy(const uint8_t* buf, uint32_t pos, uint32_t segmentEnd,
                             uint32_t dataEnd, uint32_t& insertedTo, MatchMemory& memory,
                             const SymbolPrices& prices, std::vector<LzToken>& out) {
    constexpr unsigned kLazySteps = 2;
    constexpr uint32_t kLazyCutoff = 64;  // matches this long are taken at once
    while (pos < segmentEnd) {
        enter(buf, pos, dataEnd, insertedTo);
        Choice a = bestAt(buf, pos, dataEnd, memory, prices);
        if (a.score <= 0) {
            out.push_back({0, 1, buf[pos]});
            ++pos;
            continue;
        }
        for (unsigned step = 0; step < kLazySteps && a.length < kLazyCutoff && pos + 1 < dataEnd;
             ++step) {
            enter(buf, pos + 1, dataEnd, insertedTo);
            const Choice b = bestAt(buf, pos + 1, dataEnd, memory, prices);
            if (b.score <= a.score) break;
            out.push_back({0, 1, buf[pos]});
            ++pos;
            a = b;
        }
        out.push_back({a.distance, static_cast<uint16_t>(a.length), a.symbol});
        memory.noteMatch(a.length, a.distance);
        pos += a.length;
    }
    return pos;
}

uint32_t LzParser::parseStretch(const uint8_t* buf, uint32_t pos, uint32_t dataEnd,
                                uint32_t& insertedTo, MatchMemory& memory,
                                const SymbolPrices& prices, std::vector<LzToken>& out) {
    const uint32_t stretch = std::min(kStretch, dataEnd - pos);
    const uint32_t last = std::min(stretch + kMaxMatch, dataEnd - pos);
    for (uint32_t j = 0; j <= last; ++j) nodes_[j].price = kUnreached;
    nodes_[0] = {0, 0, 0, 0, 0, memory};

    auto relax = [&](uint32_t from, uint32_t to, uint32_t price, unsigned symbol, uint32_t length,
                     uint32_t distance) {
        Node& n = nodes_[to];
        if (price >= n.price) return;
        n.price = price;
        n.from = from;
        n.symbol = static_cast<uint16_t>(symbol);
        n.length = static_cast<uint16_t>(length);
        n.distance = distance;
        n.memory = nodes_[from].memory;
        if (symbol >= kSymRepeatLast) n.memory.noteMatch(length, distance);
    };

    uint32_t end = 0;
    // Inside a long match the finder would only find that match again, one byte shorter.
    uint32_t knownUntil = 0, knownDistance = 0;
    for (uint32_t i = 0; i < stretch; ++i) {
        const uint32_t base = nodes_[i].price;
        if (base == kUnreached) continue;
        const uint32_t p = pos + i;
        enter(buf, p, dataEnd, insertedTo);
        relax(i, i + 1, base + prices.main[buf[p]], buf[p], 1, 0);
        const uint32_t avail = dataEnd - p;
        if (avail < 2) continue;
        const MatchMemory m = nodes_[i].memory;
        uint32_t longest = 0, longestDistance = 0;
        unsigned longestSymbol = 0;
        uint32_t longestPrice = 0;

        uint32_t tried[4];
        unsigned triedCount = 0;
        for (unsigned k = 0; k < 4; ++k) {
            const uint32_t d = m.recentDistance(k);
            if (d == 0 || d > p || d > MatchFinder::kMaxDistance) continue;
            if (std::find(tried, tried + triedCount, d) != tried + triedCount) continue;
            tried[triedCount++] = d;
            const uint32_t bonus = recentMatchBonus(d);
            const uint32_t len =
                commonLength(buf + p - d, buf + p, std::min<uint32_t>(avail, 257 + bonus));
            if (k == 0 && m.lastLength >= kShortMatchLength && len >= m.lastLength)
                relax(i, i + m.lastLength, base + prices.main[kSymRepeatLast], kSymRepeatLast,
                      m.lastLength, d);
            for (uint32_t l = kMinRecentMatch + bonus; l <= len; ++l)
                relax(i, i + l, base + prices.recentMatch(k, l, d), kSymRecentFirst + k, l, d);
            if (len > longest && len >= kMinRecentMatch + bonus) {
                longest = len;
                longestDistance = d;
                longestSymbol = kSymRecentFirst + k;
                longestPrice = base + prices.recentMatch(k, len, d);
            }
        }

        Match found[8];
        unsigned n;
        if (i + kSkipKeep < knownUntil) {
            found[0] = {knownUntil - i, knownDistance};
            n = 1;
        } else {
            n = finder_.find(buf, p, std::min<uint32_t>(avail, kMaxMatch), found, 8);
            if (n && found[n - 1].length >= kSkipFrom) {
                knownUntil = i + found[n - 1].length;
                knownDistance = found[n - 1].distance;
            }
        }
        uint32_t covered = 2;
        for (unsigned c = 0; c < n; ++c) {
            const uint32_t d = found[c].distance;
            const uint32_t bonus = longMatchBonus(d);
            const uint32_t len = std::min<uint32_t>(found[c].length, 258 + bonus);
            for (uint32_t l = std::max(covered + 1, kMinLongMatch + bonus); l <= len; ++l) {
                relax(i, i + l, base + prices.longMatch(l, d),
                      kSymLongFirst + lengthCode(l - kMinLongMatch - bonus), l, d);
            }
            covered = std::max(covered, len);
            if (len > longest && len >= kMinLongMatch + bonus) {
                longest = len;
                longestDistance = d;
                longestSymbol = kSymLongFirst + lengthCode(len - kMinLongMatch - bonus);
                longestPrice = base + prices.longMatch(len, d);
            }
        }

        const uint32_t pair = finder_.findPair(buf, p);
        if (pair != MatchFinder::kNone && p - pair <= kMaxShortDistance) {
            const uint32_t d = p - pair;
            relax(i, i + 2, base + prices.shortMatch(d), kSymShortFirst + shortSlot(d - 1), 2, d);
        }

        if (longest >= settings_.optimalNice) {
            // Take a long match from here; whatever else reached its end is dropped. A repeat
            // of the last match is preferred when it is as long as the nice length: in runs
            // it costs a bit or two.
            if (m.lastLength >= settings_.optimalNice && m.lastLength <= longest &&
                longestSymbol == kSymRecentFirst && longestDistance == m.lastDistance) {
                longest = m.lastLength;
                longestSymbol = kSymRepeatLast;
                longestPrice = base + prices.main[kSymRepeatLast];
            }
            nodes_[i + longest].price = kUnreached;
            relax(i, i + longest, longestPrice, longestSymbol, longest, longestDistance);
            end = i + longest;
            break;
        }
    }

    if (end == 0) {
        // Bytes past the stretch are worth what literals would cost there.
        end = stretch;
        int64_t bestScore = INT64_MAX;
        for (uint32_t j = stretch; j <= last; ++j) {
            if (nodes_[j].price == kUnreached) continue;
            const int64_t score = static_cast<int64_t>(nodes_[j].price) -
                                  static_cast<int64_t>(j - stretch) * prices.literalAverage;
            if (score < bestScore) {
                bestScore = score;
                end = j;
            }
        }
    }

    path_.clear();
    for (uint32_t j = end; j > 0; j = nodes_[j].from) {
        const Node& n = nodes_[j];
        path_.push_back({n.distance, n.length, n.symbol});
    }
    out.insert(out.end(), path_.rbegin(), path_.rend());
    memory = nodes_[end].memory;
    return end;
}

}  // namespace rar
