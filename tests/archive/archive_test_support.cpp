#include "archive_test_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "archive/archive_source.h"

namespace archivetest {

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}
Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
void put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t crc(const uint8_t* p, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    }
    return ~c;
}

void BitWriter::bits(uint32_t value, unsigned n) {
    for (unsigned i = n; i-- > 0;) {
        if (used_ == 0) out_.push_back(0);
        if ((value >> i) & 1) out_.back() |= static_cast<uint8_t>(0x80 >> used_);
        used_ = (used_ + 1) & 7;
    }
}
void BitWriter::pattern(const char* p) {
    for (; *p; ++p)
        if (*p != ' ') bits(*p == '1', 1);
}
Bytes BitWriter::finish() {
    used_ = 0;
    return out_;
}

void flatLzTables(BitWriter& w, bool keep, unsigned mainDelta) {
    w.bits(keep, 2);  // LZ
    for (int i = 0; i < 19; ++i) w.bits(5, 4);
    for (unsigned i = 0; i < 374; ++i) {
        const unsigned length = i < 298 ? 9 : i < 346 ? 6 : 5;
        w.bits(keep ? (i < 298 ? mainDelta : 0) : length, 5);
    }
}

void flatAudioTables(BitWriter& w, unsigned channels) {
    w.bits(8 + channels - 1, 4);  // audio, previous lengths cleared, channels - 1
    for (int i = 0; i < 19; ++i) w.bits(5, 4);
    for (unsigned i = 0; i < 257 * channels; ++i) w.bits(9, 5);
}

// ---------------------------------------------------------------------------------------

RawEntry storedEntry(const std::string& name, const Bytes& data) {
    RawEntry e;
    e.name = name;
    e.packed = data;
    e.unpackedSize = static_cast<uint32_t>(data.size());
    e.crc = crc(data);
    return e;
}

RawEntry packedEntry(const std::string& name, const Bytes& stream, const Bytes& data, bool solid) {
    RawEntry e = storedEntry(name, data);
    e.packed = stream;
    e.method = 0x33;
    if (solid) e.flags |= 0x10;
    return e;
}

Bytes mainHeader(bool solid) {
    Bytes b = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00, 0, 0, 0x73, 0, 0, 13, 0, 0, 0, 0, 0, 0, 0};
    b[10] = solid ? 0x08 : 0;
    return b;  // the reader does not check the main header's CRC
}

Bytes fileBlock(const RawEntry& e) {
    Bytes h(32 + e.name.size(), 0);
    h[2] = 0x74;
    put16(h, 3, e.flags);
    put16(h, 5, static_cast<uint16_t>(h.size()));
    put32(h, 7, static_cast<uint32_t>(e.packed.size()));
    put32(h, 11, e.unpackedSize);
    put32(h, 16, e.crc);
    h[24] = e.version;
    h[25] = e.method;
    put16(h, 26, static_cast<uint16_t>(e.name.size()));
    h[28] = 0x20;
    std::memcpy(h.data() + 32, e.name.data(), e.name.size());
    put16(h, 0, static_cast<uint16_t>(crc(h.data() + 2, h.size() - 2)));
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

Bytes packArchive(const std::vector<NamedData>& files, const rar::PackOptions& options,
                  std::vector<rar::PackedEntry>* info, rar::EncoderStats* stats) {
    Bytes out;
    rar::VectorSink sink(out);
    rar::ArchiveWriter writer(sink, options);
    if (!writer.begin()) return {};
    for (const NamedData& f : files) {
        rar::PackedEntry e;
        if (!writer.add(f.name.c_str(), f.data.data(), f.data.size(), 0x5A8E6B20, 0x20, &e))
            return {};
        if (info) info->push_back(e);
    }
    if (stats) *stats = writer.stats();
    return out;
}

bool readEntry(const Bytes& archive, const std::string& name, Bytes* out) {
    rar::MemorySource source(archive.data(), archive.size());
    unsigned char* buffer = reinterpret_cast<unsigned char*>(&source);  // must be overwritten
    size_t size = 12345;
    if (!Archive::getEntryFrom(source, &buffer, &size, name.c_str(), "")) {
        EXPECT_EQ(buffer, nullptr);
        EXPECT_EQ(size, 0u);
        return false;
    }
    EXPECT_NE(buffer, nullptr);
    if (out) out->assign(buffer, buffer + size);
    std::free(buffer);
    return true;
}

std::vector<std::string> describeEntries(const Bytes& archive) {
    rar::MemorySource source(archive.data(), archive.size());
    ArchiveEntryInfo* head = nullptr;
    const int n = Archive::listEntriesFrom(source, &head);
    std::vector<std::string> out;
    for (ArchiveEntryInfo* e = head; e; e = e->next) {
        char line[400];
        std::snprintf(line, sizeof line, "%s %u %u %u %u %08x %u %02x %x %04x %08x", e->name,
                      e->nameSize, e->packedSize, e->unpackedSize, e->hostSystem, e->fileTime,
                      e->unpackVersion, e->method, e->attributes, e->flags, e->fileCrc);
        out.push_back(line);
    }
    EXPECT_EQ(static_cast<size_t>(n), out.size());
    Archive::freeEntryList(head);
    return out;
}

std::vector<std::string> listNames(const Bytes& archive) {
    std::vector<std::string> names;
    for (const std::string& line : describeEntries(archive))
        names.push_back(line.substr(0, line.find(' ')));
    return names;
}

Bytes readBytes(const Bytes& archive, const std::string& name) {
    Bytes out;
    readEntry(archive, name, &out);
    return out;
}

Bytes decodeStream(const Bytes& stream, const Bytes& expected) {
    return readBytes(rawArchive({packedEntry("e", stream, expected)}), "e");
}

TempDir::TempDir() {
    char name[] = "/tmp/archive_test_XXXXXX";
    path_ = mkdtemp(name) ? name : "/nonexistent";
}
TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
std::string TempDir::write(const std::string& name, const Bytes& data) const {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path(name)).parent_path(), ignored);
    std::ofstream(path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()),
               static_cast<std::streamsize>(data.size()));
    return path(name);
}
Bytes TempDir::read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// ---------------------------------------------------------------------------------------

namespace {
struct Lcg {
    uint32_t x;
    uint32_t next() { return (x = x * 1664525u + 1013904223u) >> 8; }
};
}  // namespace

Bytes textData(size_t size, uint32_t seed) {
    static const char* words[] = {"the ", "archive ", "window ", "of ", "a ",      "match ",
                                  "and ", "sound ",   "table ",  ".\n", "header ", "stream "};
    Lcg r{seed};
    std::string s;
    while (s.size() < size) s += r.next() % 30 ? words[r.next() % 12] : std::to_string(r.next());
    s.resize(size);
    return text(s);
}

Bytes binaryData(size_t size, uint32_t seed) {
    static const uint8_t ops[] = {0x48, 0x89, 0xE5, 0x8B, 0x45, 0xFC, 0xC3, 0xE8};
    Lcg r{seed};
    Bytes b;
    for (uint32_t id = 1000; b.size() < size;) {
        switch (r.next() % 4) {
            case 0:  // a record
                id += 1 + r.next() % 3;
                for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(id >> (8 * i)));
                break;
            case 1:  // code
                for (int i = 0; i < 12; ++i) b.push_back(ops[r.next() % 8]);
                break;
            case 2:  // a copy of something from far back
                for (size_t i = 0, from = r.next() % (b.size() + 1); b.size() > 64 && i < 24; ++i)
                    b.push_back(b[from + i]);
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
    for (uint8_t& v : b) v = static_cast<uint8_t>(r.next() >> 16);
    return b;
}

Bytes soundSamples(size_t frames, unsigned channels, unsigned bits, uint32_t seed) {
    Lcg r{seed};
    Bytes b;
    for (size_t f = 0; f < frames; ++f) {
        const double t = static_cast<double>(f) / 22050.0;
        for (unsigned c = 0; c < channels; ++c) {
            double v = (0.5 + 0.4 * std::sin(t * 1.7)) *
                       (0.6 * std::sin(2 * M_PI * (220.0 + 110 * c) * t) +
                        0.3 * std::sin(2 * M_PI * 331.0 * t + c));
            v += (static_cast<double>(r.next() % 1000) / 1000.0 - 0.5) * 0.02;
            const long s = std::lround(v * (bits == 8 ? 100 : 20000));
            b.push_back(static_cast<uint8_t>(bits == 8 ? 128 + s : s & 0xFF));
            if (bits == 16) b.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
        }
    }
    return b;
}

Bytes waveFile(size_t frames, unsigned channels, unsigned bits, uint32_t seed) {
    const Bytes samples = soundSamples(frames, channels, bits, seed);
    Bytes h = text("RIFF....WAVEfmt \x10");  // a format chunk of 16 bytes
    h.resize(44, 0);
    h[20] = 1;  // PCM
    h[22] = static_cast<uint8_t>(channels);
    put32(h, 24, 22050);
    put32(h, 28, 22050 * channels * bits / 8);
    h[32] = static_cast<uint8_t>(channels * bits / 8);
    h[34] = static_cast<uint8_t>(bits);
    std::memcpy(h.data() + 36, "data", 4);
    put32(h, 4, static_cast<uint32_t>(36 + samples.size()));
    put32(h, 40, static_cast<uint32_t>(samples.size()));
    h.insert(h.end(), samples.begin(), samples.end());
    return h;
}

}  // namespace archivetest
