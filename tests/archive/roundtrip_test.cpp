// The archiver and the reader together: every kind of data comes back as it went in, the
// archives have the layout other RAR 2.x readers expect, and the streams really use every
// symbol kind of the format.
#include <cstring>

#include "archive/archive_format.h"
#include "archive/crc32.h"
#include "archive_test_support.h"

using namespace archivetest;

namespace {

// The packed data of every entry, found by walking the archive bytes directly.
struct WalkedEntry {
    std::string name;
    uint16_t flags;
    uint8_t version, method, host;
    uint32_t packed, unpacked, crc, time, attributes;
    Bytes data;
};

std::vector<WalkedEntry> walk(const Bytes& a, bool* solid) {
    std::vector<WalkedEntry> out;
    EXPECT_GE(a.size(), 20u);
    EXPECT_EQ(0, std::memcmp(a.data(), rar::kMarker, 7));
    EXPECT_EQ(rar::load16(&a[7]), rar::crc32Of(&a[9], 11) & 0xFFFF) << "main header CRC";
    EXPECT_EQ(a[9], 0x73);
    EXPECT_EQ(rar::load16(&a[12]), 13);
    *solid = rar::load16(&a[10]) & 0x0008;
    size_t at = 20;
    while (at < a.size()) {
        const uint16_t headerSize = rar::load16(&a[at + 5]);
        EXPECT_EQ(rar::load16(&a[at]), rar::crc32Of(&a[at + 2], headerSize - 2) & 0xFFFF)
            << "file header CRC at " << at;
        WalkedEntry e;
        e.flags = rar::load16(&a[at + 3]);
        e.packed = rar::load32(&a[at + 7]);
        e.unpacked = rar::load32(&a[at + 11]);
        e.host = a[at + 15];
        e.crc = rar::load32(&a[at + 16]);
        e.time = rar::load32(&a[at + 20]);
        e.version = a[at + 24];
        e.method = a[at + 25];
        const uint16_t nameSize = rar::load16(&a[at + 26]);
        e.attributes = rar::load32(&a[at + 28]);
        EXPECT_EQ(a[at + 2], 0x74);
        EXPECT_EQ(headerSize, 32 + nameSize);
        e.name.assign(reinterpret_cast<const char*>(&a[at + 32]), nameSize);
        e.data.assign(a.begin() + at + headerSize, a.begin() + at + headerSize + e.packed);
        out.push_back(e);
        at += headerSize + e.packed;
    }
    EXPECT_EQ(at, a.size());
    return out;
}

// Packs files, checks the layout, reads every entry back, and has the plain decoder check
// every compressed stream of a non-solid archive.
Bytes roundTrip(const std::vector<NamedData>& files, const rar::PackOptions& options,
                rar::EncoderStats* stats = nullptr, std::vector<rar::PackedEntry>* info = nullptr) {
    const Bytes archive = packArchive(files, options, stats, info);
    bool solid = false;
    const std::vector<WalkedEntry> walked = walk(archive, &solid);
    EXPECT_EQ(solid, options.solid);
    EXPECT_EQ(walked.size(), files.size());
    for (size_t i = 0; i < walked.size() && i < files.size(); ++i) {
        const WalkedEntry& w = walked[i];
        EXPECT_EQ(w.name, files[i].name);
        EXPECT_EQ(w.version, 20);
        EXPECT_EQ(w.host, 0);
        EXPECT_EQ(w.time, 0x5A8E6B20u);
        EXPECT_EQ(w.attributes, 0x20u);
        EXPECT_EQ(w.unpacked, files[i].data.size());
        EXPECT_EQ(w.crc, crcOf(files[i].data));
        EXPECT_TRUE(w.flags & 0x8000);
        if (w.method == 0x30) {
            EXPECT_EQ(w.data, files[i].data);
        }
        if (!options.solid && w.method != 0x30) {
            Bytes plain;
            EXPECT_TRUE(referenceDecode(w.data, w.unpacked, &plain)) << w.name;
            EXPECT_TRUE(plain == files[i].data) << w.name;
        }
        Bytes out;
        EXPECT_TRUE(readEntry(archive, files[i].name, &out)) << files[i].name;
        EXPECT_TRUE(out == files[i].data) << files[i].name;
    }
    return archive;
}

Bytes concat(const Bytes& a, const Bytes& b) {
    Bytes out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

}  // namespace

TEST(RoundTrip, VariedData) {
    std::vector<rar::PackedEntry> info;
    roundTrip({{"empty", {}},
               {"one", {'1'}},
               {"text.txt", textData(60000)},
               {"binary.bin", binaryData(200000)},
               {"repeats", repetitiveData(150000)},
               {"random", randomData(70000)},
               {"dir\\sub\\name with spaces", textData(100, 5)}},
              rar::PackOptions(), nullptr, &info);
    EXPECT_EQ(info[0].method, 0x30);
    EXPECT_EQ(info[1].method, 0x30);  // one byte never packs smaller
    EXPECT_EQ(info[2].method, 0x33);
    EXPECT_LT(info[2].packedSize, 60000u / 3);
    EXPECT_LT(info[4].packedSize, 150000u / 50);
    EXPECT_EQ(info[5].method, 0x30);  // random data is stored
}

TEST(RoundTrip, MoreThanTheWindowWraps) {
    // 2.5 MB whose second half repeats pieces of the first from over 1 MB back, and from
    // just under 1 MB back.
    Bytes big = concat(binaryData(1200000, 8), textData(300000, 9));
    const Bytes firstPart(big.begin(), big.begin() + 400000);
    big.insert(big.end(), firstPart.begin(), firstPart.end());
    const Bytes recent(big.end() - 1040000, big.end() - 1040000 + 300000);
    big.insert(big.end(), recent.begin(), recent.end());
    big.insert(big.end(), 200000, 0x20);
    rar::EncoderStats stats;
    roundTrip({{"big", big}}, rar::PackOptions(), &stats);
    EXPECT_GT(stats.longMatches(), 0u);
}

TEST(RoundTrip, SoundInMultimediaMode) {
    struct Case {
        unsigned channels, bits;
    };
    for (const Case c : {Case{1, 8}, Case{2, 8}, Case{1, 16}, Case{2, 16}}) {
        const std::string name = "s" + std::to_string(c.channels) + "x" + std::to_string(c.bits);
        std::vector<rar::PackedEntry> info;
        rar::EncoderStats stats;
        roundTrip({{name + ".wav", waveFile(40000, c.channels, c.bits)}}, rar::PackOptions(),
                  &stats, &info);
        EXPECT_TRUE(info[0].audio) << name;  // chosen because it packs better
        EXPECT_EQ(info[0].channels, c.channels * c.bits / 8) << name;
        EXPECT_GT(stats.audioBytes, 0u);
        EXPECT_GT(stats.audioHeaders, 0u);

        // Forced on raw samples without a header.
        rar::PackOptions forced;
        forced.audio = rar::AudioChoice::Always;
        info.clear();
        roundTrip({{name, soundSamples(20000, c.channels, c.bits, 9)}}, forced, nullptr, &info);
        EXPECT_TRUE(info[0].audio);
    }
    // Three byte channels (24-bit pictures, say) when asked for.
    rar::PackOptions three;
    three.audio = rar::AudioChoice::Always;
    three.audioChannels = 3;
    std::vector<rar::PackedEntry> info;
    roundTrip({{"rgb", soundSamples(30000, 3, 8)}}, three, nullptr, &info);
    EXPECT_EQ(info[0].channels, 3u);

    // Long sound switches tables inside the stream, with symbol 256 of an audio table.
    rar::EncoderStats stats;
    Bytes changing = soundSamples(150000, 1, 8, 1);
    const Bytes loud = randomData(150000, 12);
    changing.insert(changing.end(), loud.begin(), loud.end());
    const Bytes quiet = soundSamples(150000, 1, 8, 2);
    changing.insert(changing.end(), quiet.begin(), quiet.end());
    rar::PackOptions mm;
    mm.audio = rar::AudioChoice::Always;
    mm.audioChannels = 1;
    roundTrip({{"changing", changing}}, mm, &stats);
    EXPECT_GT(stats.audioSwitches, 0u);
}

TEST(RoundTrip, SolidArchiveOfManyFiles) {
    std::vector<NamedData> files;
    for (int i = 0; i < 40; ++i) {
        Bytes data;
        switch (i % 4) {
            case 0:
                data = textData(1000 + 97 * i, 100 + i);
                break;
            case 1:
                data = binaryData(3000 + 11 * i, 200 + i);
                break;
            case 2:
                data = waveFile(2000 + 10 * i, 1 + i % 2, i % 3 ? 16 : 8, 300 + i);
                break;
            default:
                data = i % 8 == 3 ? Bytes() : repetitiveData(500 + i);
        }
        files.push_back({"files\\f" + std::to_string(i), data});
    }
    rar::PackOptions solid;
    solid.solid = true;
    std::vector<rar::PackedEntry> info;
    const Bytes archive = roundTrip(files, solid, nullptr, &info);
    size_t audioEntries = 0;
    for (size_t i = 1; i < info.size(); ++i) {
        EXPECT_TRUE(info[i].solid) << i;  // every entry after the first continues the stream
        audioEntries += info[i].audio;
    }
    EXPECT_FALSE(info[0].solid);
    EXPECT_GT(audioEntries, 0u);
    EXPECT_LT(archive.size(), packArchive(files, rar::PackOptions()).size());
}

TEST(RoundTrip, EverySymbolKindAndTableSwitchesOccur) {
    // Text, then records, then text again: the statistics change twice.
    Bytes data = concat(textData(120000, 31), binaryData(120000, 32));
    data = concat(data, textData(120000, 33));
    rar::EncoderStats stats;
    roundTrip({{"mixed", data}}, rar::PackOptions(), &stats);
    EXPECT_GT(stats.literals(), 0u);
    EXPECT_GT(stats.longMatches(), 0u);
    for (unsigned s = 256; s <= 268; ++s) EXPECT_GT(stats.mainSymbols[s], 0u) << "symbol " << s;
    EXPECT_GT(stats.mainSymbols[269], 0u) << "no table switch";
    EXPECT_GE(stats.tableHeaders, 3u);
}

TEST(RoundTrip, StoredAndSameInputSameBytes) {
    rar::PackOptions store;
    store.store = true;
    std::vector<rar::PackedEntry> info;
    roundTrip({{"t", textData(5000)}, {"b", binaryData(5000)}}, store, nullptr, &info);
    EXPECT_EQ(info[0].method, 0x30);
    EXPECT_EQ(info[1].method, 0x30);

    const std::vector<NamedData> files = {{"a", textData(80000)}, {"w", waveFile(9000, 2, 16)}};
    for (bool solid : {false, true}) {
        rar::PackOptions o;
        o.solid = solid;
        EXPECT_EQ(packArchive(files, o), packArchive(files, o));
    }
}

TEST(ArchiveWriter, RefusesNamesTheReaderCannotFind) {
    Bytes out;
    rar::VectorSink sink(out);
    rar::ArchiveWriter writer(sink, rar::PackOptions());
    ASSERT_TRUE(writer.begin());
    const uint8_t byte = 1;
    EXPECT_FALSE(writer.add("", &byte, 1, 0, 0x20));
    EXPECT_FALSE(writer.add(std::string(256, 'x').c_str(), &byte, 1, 0, 0x20));
    EXPECT_TRUE(writer.add(std::string(255, 'x').c_str(), &byte, 1, 0, 0x20));
}

TEST(ArchiveWriter, DosDateTime) {
    EXPECT_EQ(rar::dosDateTime(2024, 2, 29, 13, 45, 59),
              ((44u << 9 | 2u << 5 | 29u) << 16) | (13u << 11 | 45u << 5 | 29u));
    EXPECT_EQ(rar::dosDateTime(1970, 1, 1, 0, 0, 0), (1u << 5 | 1u) << 16);
    EXPECT_EQ(rar::dosDateTime(2200, 1, 1, 0, 0, 0) >> 25, 127u);
}
