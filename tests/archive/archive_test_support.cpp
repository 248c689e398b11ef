#include "archive_test_support.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "archive/archive_source.h"
#include "archive/crc32.h"
#include "archive/huffman_builder.h"

namespace archivetest {

using namespace rar;

uint32_t crcOf(const Bytes& b) {
    return crc32Of(b.data(), b.size());
}

// ---------------------------------------------------------------------------------------
// archives assembled by hand

void put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

RawEntry storedEntry(const std::string& name, const Bytes& data) {
    RawEntry e;
    e.name = name;
    e.packed = data;
    e.unpackedSize = static_cast<uint32_t>(data.size());
    e.crc = crcOf(data);
    return e;
}

RawEntry packedEntry(const std::string& name, const Bytes& stream, const Bytes& data, bool solid) {
    RawEntry e;
    e.name = name;
    e.packed = stream;
    e.unpackedSize = static_cast<uint32_t>(data.size());
    e.crc = crcOf(data);
    e.method = 0x33;
    if (solid) e.flags |= 0x10;
    return e;
}

Bytes mainHeader(bool solid) {
    Bytes b = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
    Bytes h(13, 0);
    h[2] = 0x73;
    put16(h, 3, solid ? 0x0008 : 0);
    put16(h, 5, 13);
    put16(h, 0, static_cast<uint16_t>(crc32Of(h.data() + 2, 11)));
    b.insert(b.end(), h.begin(), h.end());
    return b;
}

Bytes fileBlock(const RawEntry& e) {
    Bytes h(32 + e.name.size(), 0);
    h[2] = 0x74;
    put16(h, 3, e.flags);
    put16(h, 5, static_cast<uint16_t>(h.size()));
    put32(h, 7, static_cast<uint32_t>(e.packed.size()));
    put32(h, 11, e.unpackedSize);
    h[15] = e.hostSystem;
    put32(h, 16, e.crc);
    put32(h, 20, e.fileTime);
    h[24] = e.version;
    h[25] = e.method;
    put16(h, 26, static_cast<uint16_t>(e.name.size()));
    put32(h, 28, e.attributes);
    std::memcpy(h.data() + 32, e.name.data(), e.name.size());
    put16(h, 0, static_cast<uint16_t>(crc32Of(h.data() + 2, h.size() - 2)));
    h.insert(h.end(), e.packed.begin(), e.packed.end());
    return h;
}

Bytes rawArchive(const std::vector<RawEntry>& entries, bool solid) {
    Bytes b = mainHeader(solid);
    for (const RawEntry& e : entries) {
        const Bytes block = fileBlock(e);
        b.insert(b.end(), block.begin(), block.end());
    }
    return b;
}

// ---------------------------------------------------------------------------------------
// archives written by the archiver, and reading

Bytes packArchive(const std::vector<NamedData>& files, const PackOptions& options,
                  EncoderStats* stats, std::vector<PackedEntry>* info) {
    Bytes out;
    VectorSink sink(out);
    ArchiveWriter writer(sink, options);
    if (!writer.begin()) return {};
    for (const NamedData& f : files) {
        PackedEntry e;
        if (!writer.add(f.name.c_str(), f.data.data(), f.data.size(), 0x5A8E6B20, 0x20, &e))
            return {};
        if (info) info->push_back(e);
    }
    if (stats) *stats = writer.stats();
    return out;
}

bool readEntry(const Bytes& archive, const std::string& name, Bytes* out) {
    MemorySource source(archive.data(), archive.size());
    unsigned char* buffer = reinterpret_cast<unsigned char*>(&out);  // must be overwritten
    size_t size = 12345;
    const int ok = Archive::getEntryFrom(source, &buffer, &size, name.c_str(), "");
    if (!ok) {
        EXPECT_EQ(buffer, nullptr);
        EXPECT_EQ(size, 0u);
        return false;
    }
    EXPECT_NE(buffer, nullptr);
    if (out) out->assign(buffer, buffer + size);
    std::free(buffer);
    return true;
}

std::vector<std::string> listNames(const Bytes& archive) {
    MemorySource source(archive.data(), archive.size());
    ArchiveEntryInfo* head = nullptr;
    const int n = Archive::listEntriesFrom(source, &head);
    std::vector<std::string> names;
    for (ArchiveEntryInfo* e = head; e; e = e->next) names.push_back(e->name);
    EXPECT_EQ(static_cast<size_t>(n), names.size());
    Archive::freeEntryList(head);
    return names;
}

// ---------------------------------------------------------------------------------------
// packed streams written symbol by symbol

namespace {

unsigned codeFor(const uint8_t* bases, const uint8_t* bits, unsigned count, uint32_t value) {
    for (unsigned c = 0; c < count; ++c)
        if (value >= bases[c] && value < bases[c] + (1u << bits[c])) return c;
    ADD_FAILURE() << "no code for " << value;
    return 0;
}

unsigned distanceCodeFor(uint32_t value) {
    for (unsigned c = 0; c < kDistSymbols; ++c)
        if (value >= kDistBase[c] && value < kDistBase[c] + (1u << kDistBits[c])) return c;
    ADD_FAILURE() << "no distance code for " << value;
    return 0;
}

}  // namespace

StreamBuilder::StreamBuilder() : out_(bytes_) {}

void StreamBuilder::setTables(const uint8_t* lengths) {
    std::memcpy(lengths_, lengths, sizeof(lengths_));
    // Codes per table slice, both for LZ (main, distance, repeat length) and audio layouts.
    buildCanonicalCodes(lengths_, kMainSymbols, codes_);
    buildCanonicalCodes(lengths_ + kMainSymbols, kDistSymbols, codes_ + kMainSymbols);
    buildCanonicalCodes(lengths_ + kMainSymbols + kDistSymbols, kRepLenSymbols,
                        codes_ + kMainSymbols + kDistSymbols);
}

void StreamBuilder::adoptTables(const StreamBuilder& other) {
    std::memcpy(lengths_, other.lengths_, sizeof(lengths_));
    std::memcpy(codes_, other.codes_, sizeof(codes_));
}

void StreamBuilder::write(const uint8_t* lengths, const uint16_t* codes, unsigned symbol) {
    ASSERT_NE(lengths[symbol], 0) << "symbol " << symbol << " has no code";
    out_.write(codes[symbol], lengths[symbol]);
}

void StreamBuilder::writeLengths(bool audio, unsigned channels, const uint8_t* lengths,
                                 unsigned count) {
    out_.write(audio ? 1 : 0, 1);
    out_.write(0, 1);  // previous lengths cleared
    if (audio) out_.write(channels - 1, 2);
    for (unsigned i = 0; i < kBitLenSymbols; ++i) out_.write(5, 4);
    for (unsigned i = 0; i < count; ++i) out_.write(lengths[i], 5);  // flat code: symbol i = i
    uint8_t all[kLengthTableSize] = {};
    std::memcpy(all, lengths, count);
    setTables(all);
    if (audio)
        for (unsigned c = 0; c < channels; ++c)
            buildCanonicalCodes(lengths_ + c * kAudioSymbols, kAudioSymbols,
                                codes_ + c * kAudioSymbols);
}

void flatLzLengths(uint8_t* lengths, uint8_t mainBits) {
    std::memset(lengths, mainBits, kMainSymbols);
    std::memset(lengths + kMainSymbols, 6, kDistSymbols);
    std::memset(lengths + kMainSymbols + kDistSymbols, 5, kRepLenSymbols);
}

void StreamBuilder::lzTables() {
    uint8_t lengths[kLzLengthCount];
    flatLzLengths(lengths);
    lzTables(lengths);
}

void StreamBuilder::lzTables(const uint8_t* lengths) {
    writeLengths(false, 1, lengths, kLzLengthCount);
}

void StreamBuilder::audioTables(unsigned channels) {
    uint8_t lengths[kLengthTableSize];
    std::memset(lengths, 9, sizeof(lengths));
    writeLengths(true, channels, lengths, kAudioSymbols * channels);
}

void StreamBuilder::mainSymbol(unsigned s) {
    write(lengths_, codes_, s);
}

void StreamBuilder::literal(uint8_t b) {
    mainSymbol(b);
}

void StreamBuilder::longMatch(uint32_t length, uint32_t distance) {
    const uint32_t v = length - kMinLongMatch - longMatchBonus(distance);
    const unsigned lc = codeFor(kLengthBase, kLengthBits, kRepLenSymbols, v);
    mainSymbol(kSymLongFirst + lc);
    out_.write(v - kLengthBase[lc], kLengthBits[lc]);
    const unsigned dc = distanceCodeFor(distance - 1);
    write(lengths_ + kMainSymbols, codes_ + kMainSymbols, dc);
    out_.write(distance - 1 - kDistBase[dc], kDistBits[dc]);
}

void StreamBuilder::repeatLast() {
    mainSymbol(kSymRepeatLast);
}

void StreamBuilder::recent(unsigned k, uint32_t length, uint32_t distance) {
    mainSymbol(kSymRecentFirst + k);
    const uint32_t v = length - kMinRecentMatch - recentMatchBonus(distance);
    const unsigned lc = codeFor(kLengthBase, kLengthBits, kRepLenSymbols, v);
    write(lengths_ + kMainSymbols + kDistSymbols, codes_ + kMainSymbols + kDistSymbols, lc);
    out_.write(v - kLengthBase[lc], kLengthBits[lc]);
}

void StreamBuilder::shortMatch(uint32_t distance) {
    const unsigned slot = codeFor(kShortBase, kShortBits, 8, distance - 1);
    mainSymbol(kSymShortFirst + slot);
    out_.write(distance - 1 - kShortBase[slot], kShortBits[slot]);
}

void StreamBuilder::newTables() {
    mainSymbol(kSymNewTables);
}

void StreamBuilder::audioSymbol(unsigned channel, unsigned symbol) {
    write(lengths_ + channel * kAudioSymbols, codes_ + channel * kAudioSymbols, symbol);
}

Bytes StreamBuilder::finish() {
    out_.finish();
    return bytes_;
}

// ---------------------------------------------------------------------------------------
// the plain decoder

namespace {

struct PlainTable {
    uint32_t limit[16] = {};
    uint32_t first[16] = {};
    std::vector<uint32_t> symbols;
    unsigned count = 0;

    void build(const uint8_t* lengths, unsigned n) {
        unsigned perLength[16] = {};
        for (unsigned i = 0; i < n; ++i) perLength[lengths[i] & 15]++;
        perLength[0] = 0;
        uint32_t acc = 0;
        for (unsigned len = 1; len < 16; ++len) {
            acc = 2 * (acc + perLength[len]);
            limit[len] = std::min<uint32_t>(acc << (15 - len), 0xFFFF);
            first[len] = first[len - 1] + perLength[len - 1];
        }
        symbols.assign(n, 0);
        uint32_t next[16];
        std::memcpy(next, first, sizeof(next));
        for (unsigned i = 0; i < n; ++i)
            if (lengths[i] & 15) symbols[next[lengths[i] & 15]++] = i;
        count = n;
    }
};

struct PlainBits {
    const Bytes& data;  // padded with zeros by the caller
    uint64_t pos = 0;
    uint32_t peek16() const {
        const size_t a = pos >> 3;
        const uint32_t v = (data[a] << 16) | (data[a + 1] << 8) | data[a + 2];
        return (v >> (8 - (pos & 7))) & 0xFFFF;
    }
    uint32_t take(unsigned n) {
        const uint32_t v = n ? peek16() >> (16 - n) : 0;
        pos += n;
        return v;
    }
    unsigned decode(const PlainTable& t) {
        const uint32_t v = peek16() & 0xFFFE;
        unsigned len = 1;
        while (len < 15 && v >= t.limit[len]) ++len;
        pos += len;
        uint32_t n = t.first[len] + ((v - t.limit[len - 1]) >> (16 - len));
        if (n >= t.count) n = 0;
        return t.symbols[n];
    }
};

struct PlainChannel {
    int k[5] = {}, d[4] = {}, lastDelta = 0;
    unsigned err[11] = {}, count = 0, lastByte = 0;
};

}  // namespace

unsigned referenceSymbol(const uint8_t* lengths, unsigned n, uint32_t bits16, unsigned* used) {
    PlainTable table;
    table.build(lengths, n);
    const Bytes bytes = {static_cast<uint8_t>(bits16 >> 8), static_cast<uint8_t>(bits16), 0, 0};
    PlainBits in{bytes};
    const unsigned symbol = in.decode(table);
    *used = static_cast<unsigned>(in.pos);
    return symbol;
}

bool referenceDecode(const Bytes& stream, uint32_t size, Bytes* out) {
    Bytes padded = stream;
    padded.resize(stream.size() + 64, 0);
    PlainBits in{padded};
    const uint64_t endBits = static_cast<uint64_t>(stream.size()) * 8;
    Bytes window(kWindowSize, 0);
    uint32_t P = 0, F = 0;
    out->clear();
    PlainTable mainT, distT, repT, bitT, audioT[4];
    uint8_t table[kLengthTableSize] = {}, prev[kLengthTableSize] = {};
    uint32_t recent[4] = {}, counter = 0, lastDist = 0, lastLen = 0;
    bool audio = false;
    unsigned channels = 1, channel = 0;
    PlainChannel ch[4];
    int channelDelta = 0;
    bool overflow = false;

    auto flush = [&]() {
        Bytes pending;
        for (uint32_t i = F; i != P; i = (i + 1) & kWindowMask) pending.push_back(window[i]);
        if (out->size() + pending.size() > size)
            overflow = true;
        else
            out->insert(out->end(), pending.begin(), pending.end());
        F = P;
    };
    auto readTables = [&]() {
        const uint32_t head = in.peek16();
        audio = head & 0x8000;
        if (!(head & 0x4000)) std::memset(prev, 0, sizeof(prev));
        in.pos += 2;
        unsigned count = kLzLengthCount;
        if (audio) {
            channels = in.take(2) + 1;
            if (channel >= channels) channel = 0;
            count = kAudioSymbols * channels;
        }
        uint8_t bl[kBitLenSymbols];
        for (uint8_t& b : bl) b = static_cast<uint8_t>(in.take(4));
        bitT.build(bl, kBitLenSymbols);
        for (unsigned i = 0; i < count;) {
            if (in.pos > endBits) return false;
            const unsigned s = in.decode(bitT);
            if (s < 16) {
                table[i] = (s + prev[i]) & 15;
                ++i;
            } else if (s == 16) {
                unsigned n = in.take(2) + 3;
                const uint8_t v = i ? table[i - 1] : 0;
                while (n-- && i < count) table[i++] = v;
            } else {
                unsigned n = s == 17 ? in.take(3) + 3 : in.take(7) + 11;
                while (n-- && i < count) table[i++] = 0;
            }
        }
        if (audio) {
            for (unsigned c = 0; c < channels; ++c) audioT[c].build(table + 257 * c, 257);
        } else {
            mainT.build(table, 298);
            distT.build(table + 298, 48);
            repT.build(table + 346, 28);
        }
        std::memcpy(prev, table, sizeof(table));
        return in.pos <= endBits;
    };
    auto copy = [&](uint32_t len, uint32_t dist, int64_t& count) {
        recent[counter++ & 3] = dist;
        lastDist = dist;
        lastLen = len;
        count -= len;
        while (len--) {
            window[P] = window[(P - dist) & kWindowMask];
            P = (P + 1) & kWindowMask;
        }
    };

    if (!readTables()) return false;
    int64_t count = static_cast<int64_t>(size) - 1;
    while (count >= 0) {
        if (in.pos > endBits) return false;
        P &= kWindowMask;
        if (((F - P) & kWindowMask) < 270 && F != P) flush();
        if (overflow) return false;
        if (audio) {
            const unsigned s = in.decode(audioT[channel]);
            if (s == 256) {
                if (!readTables()) return false;
                continue;
            }
            PlainChannel& v = ch[channel];
            v.count++;
            v.d[3] = v.d[2];
            v.d[2] = v.d[1];
            v.d[1] = v.lastDelta - v.d[0];
            v.d[0] = v.lastDelta;
            int p = 8 * static_cast<int>(v.lastByte) + v.k[0] * v.d[0] + v.k[1] * v.d[1] +
                    v.k[2] * v.d[2] + v.k[3] * v.d[3] + v.k[4] * channelDelta;
            p = (p >> 3) & 0xFF;
            const unsigned b = (p - s) & 0xFF;
            const int I = static_cast<int8_t>(s) * 8;
            const int terms[11] = {I,          I - v.d[0],       I + v.d[0],      I - v.d[1],
                                   I + v.d[1], I - v.d[2],       I + v.d[2],      I - v.d[3],
                                   I + v.d[3], I - channelDelta, I + channelDelta};
            for (int t = 0; t < 11; ++t) v.err[t] += std::abs(terms[t]);
            v.lastDelta = static_cast<int8_t>(b - v.lastByte);
            channelDelta = v.lastDelta;
            v.lastByte = b;
            if (v.count % 32 == 0) {
                int best = 0;
                for (int t = 1; t < 11; ++t)
                    if (v.err[t] < v.err[best]) best = t;
                std::memset(v.err, 0, sizeof(v.err));
                if (best) {
                    int& w = v.k[(best - 1) / 2];
                    if (best % 2 == 1 && w >= -16) --w;
                    if (best % 2 == 0 && w < 16) ++w;
                }
            }
            window[P] = static_cast<uint8_t>(b);
            P = (P + 1) & kWindowMask;
            channel = (channel + 1) % channels;
            --count;
            continue;
        }
        const unsigned s = in.decode(mainT);
        if (s < 256) {
            window[P] = static_cast<uint8_t>(s);
            P = (P + 1) & kWindowMask;
            --count;
        } else if (s >= 270) {
            uint32_t len = kLengthBase[s - 270] + 3 + in.take(kLengthBits[s - 270]);
            const unsigned dc = in.decode(distT);
            const uint32_t dist = kDistBase[dc] + 1 + in.take(kDistBits[dc]);
            if (dist >= 0x2000) ++len;
            if (dist >= 0x40000) ++len;
            copy(len, dist, count);
        } else if (s == 269) {
            if (!readTables()) return false;
        } else if (s == 256) {
            copy(lastLen, lastDist, count);
        } else if (s < 261) {
            const uint32_t dist = recent[(counter - (s - 256)) & 3];
            const unsigned lc = in.decode(repT);
            uint32_t len = kLengthBase[lc] + 2 + in.take(kLengthBits[lc]);
            if (dist >= 0x101) ++len;
            if (dist >= 0x2000) ++len;
            if (dist >= 0x40000) ++len;
            copy(len, dist, count);
        } else {
            const unsigned slot = s - 261;
            copy(2, kShortBase[slot] + 1 + in.take(kShortBits[slot]), count);
        }
    }
    flush();
    return !overflow && out->size() == size;
}

// ---------------------------------------------------------------------------------------
// test data

namespace {

struct Lcg {
    uint32_t x;
    uint32_t next() {
        x = x * 1664525u + 1013904223u;
        return x >> 8;
    }
};

}  // namespace

Bytes textData(size_t size, uint32_t seed) {
    static const char* words[] = {
        "the",     "archive", "window",   "of",    "a",      "match", "and",     "sound",
        "table",   "length",  "distance", "in",    "code",   "block", "each",    "entry",
        "program", "reads",   "writes",   "bytes", "symbol", "tree",  "solid",   "file",
        "header",  "name",    "with",     "for",   "is",     "that",  "decoder", "stream"};
    Lcg r{seed};
    std::string s;
    while (s.size() < size) {
        const unsigned n = 4 + r.next() % 12;
        for (unsigned i = 0; i < n; ++i) {
            std::string w = words[r.next() % 32];
            if (i == 0) w[0] = static_cast<char>(w[0] - 'a' + 'A');
            s += w;
            s += i + 1 < n ? " " : (r.next() % 4 ? ". " : ".\n");
        }
        if (r.next() % 9 == 0) s += "\n    " + std::to_string(r.next() % 100000) + "\n";
    }
    s.resize(size);
    return Bytes(s.begin(), s.end());
}

Bytes binaryData(size_t size, uint32_t seed) {
    Lcg r{seed};
    Bytes b;
    uint32_t id = 1000;
    while (b.size() < size) {
        switch (r.next() % 4) {
            case 0: {  // a record
                id += 1 + r.next() % 3;
                for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(id >> (8 * i)));
                b.push_back(static_cast<uint8_t>(r.next() % 4));
                b.push_back(0);
                const char* names[] = {"alpha", "beta", "gamma", "delta"};
                const char* nm = names[r.next() % 4];
                b.insert(b.end(), nm, nm + std::strlen(nm));
                b.push_back(0);
                break;
            }
            case 1: {  // code-like bytes
                static const uint8_t ops[] = {0x48, 0x89, 0xE5, 0x8B, 0x45, 0xFC, 0xC3, 0xE8};
                for (int i = 0; i < 12; ++i) b.push_back(ops[r.next() % 8]);
                break;
            }
            case 2:  // a copy of something from far back
                if (b.size() > 64) {
                    const size_t from = r.next() % (b.size() - 32);
                    for (int i = 0; i < 24; ++i) b.push_back(b[from + i]);
                }
                break;
            default:
                for (int i = 0; i < 6; ++i) b.push_back(static_cast<uint8_t>(r.next()));
        }
    }
    b.resize(size);
    return b;
}

Bytes randomData(size_t size, uint32_t seed) {
    Lcg r{seed};
    Bytes b(size);
    for (uint8_t& v : b) v = static_cast<uint8_t>(r.next() >> 16);  // the long-period bits
    return b;
}

Bytes repetitiveData(size_t size) {
    Bytes b;
    const std::string unit = "repeat me, ";
    while (b.size() < size) {
        for (int i = 0; i < 40; ++i) b.insert(b.end(), unit.begin(), unit.end());
        b.insert(b.end(), 300, 0);
        b.push_back(static_cast<uint8_t>(b.size() & 0xFF));
    }
    b.resize(size);
    return b;
}

Bytes soundSamples(size_t frames, unsigned channels, unsigned bits, uint32_t seed) {
    Lcg r{seed};
    Bytes b;
    for (size_t f = 0; f < frames; ++f) {
        const double t = static_cast<double>(f) / 22050.0;
        const double envelope = 0.5 + 0.4 * std::sin(t * 1.7);
        for (unsigned c = 0; c < channels; ++c) {
            double v = envelope * (0.6 * std::sin(2 * M_PI * (220.0 + 110 * c) * t) +
                                   0.3 * std::sin(2 * M_PI * 331.0 * t + c));
            v += (static_cast<double>(r.next() % 1000) / 1000.0 - 0.5) * 0.02;
            if (bits == 8) {
                b.push_back(static_cast<uint8_t>(128 + std::lround(v * 100)));
            } else {
                const auto s = static_cast<int16_t>(std::lround(v * 20000));
                b.push_back(static_cast<uint8_t>(s & 0xFF));
                b.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
            }
        }
    }
    return b;
}

Bytes waveFile(size_t frames, unsigned channels, unsigned bits, uint32_t seed) {
    const Bytes samples = soundSamples(frames, channels, bits, seed);
    Bytes h(44, 0);
    std::memcpy(h.data(), "RIFF", 4);
    put32(h, 4, static_cast<uint32_t>(36 + samples.size()));
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    put32(h, 16, 16);
    put16(h, 20, 1);
    put16(h, 22, static_cast<uint16_t>(channels));
    put32(h, 24, 22050);
    put32(h, 28, 22050 * channels * bits / 8);
    put16(h, 32, static_cast<uint16_t>(channels * bits / 8));
    put16(h, 34, static_cast<uint16_t>(bits));
    std::memcpy(h.data() + 36, "data", 4);
    put32(h, 40, static_cast<uint32_t>(samples.size()));
    h.insert(h.end(), samples.begin(), samples.end());
    return h;
}

}  // namespace archivetest
