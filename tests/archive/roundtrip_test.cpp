// The archiver and the reader together, where streams written by hand cannot reach: data
// larger than the window, solid archives of many files, sound in the multimedia mode, how
// small each kind of data packs, and damaged archives refused without a crash.
#include "archive/huffman_builder.h"
#include "archive_test_support.h"

using namespace archivetest;

namespace {

// Packs the files and reads every one back.
Bytes roundTrip(const std::vector<NamedData>& files, const rar::PackOptions& options,
                std::vector<rar::PackedEntry>* info = nullptr, rar::EncoderStats* stats = nullptr) {
    const Bytes archive = packArchive(files, options, info, stats);
    EXPECT_EQ(listNames(archive).size(), files.size());
    for (const NamedData& f : files) EXPECT_TRUE(readBytes(archive, f.name) == f.data) << f.name;
    return archive;
}

const rar::PackOptions kSolid = {false, true, rar::AudioChoice::Auto, 0, {}};

}  // namespace

TEST(RoundTrip, EachKindOfDataPacksAsSmallAsItShould) {
    std::vector<rar::PackedEntry> info;
    rar::EncoderStats stats;
    // Text, then records, then text: the statistics change twice inside one entry.
    const Bytes mixed = textData(120000, 31) + binaryData(120000, 32) + textData(120000, 33);
    roundTrip({{"empty", {}},
               {"one", {'1'}},
               {"text", textData(60000)},
               {"binary", binaryData(200000)},
               {"random", randomData(70000)},
               {"mixed", mixed},
               {"raw sound", soundSamples(30000, 2, 8)},
               {"mono.wav", waveFile(40000, 1, 8)},
               {"stereo.wav", waveFile(40000, 2, 16)}},
              rar::PackOptions(), &info, &stats);
    for (int i : {0, 1, 4}) EXPECT_EQ(info[i].method, 0x30) << i;  // one byte, noise: stored
    // What the archiver reaches today, with about 1% to spare: a parse that misses matches
    // or prices them wrong packs worse without ever decoding wrong.
    for (const auto& [i, most] : {std::pair{2, 12520u}, {3, 50150u}, {5, 86980u}}) {
        EXPECT_EQ(info[i].method, 0x33);
        EXPECT_FALSE(info[i].audio);
        EXPECT_LT(info[i].packedSize, most) << i;
    }
    // Sound in the multimedia mode, with one channel per byte of a sample frame: found without
    // a WAV header, or told by one.
    for (const auto& [i, channels, most] :
         {std::tuple{6, 2u, 0u}, {7, 1u, 12050u}, {8, 4u, 103100u}}) {
        EXPECT_TRUE(info[i].audio) << i;
        EXPECT_EQ(info[i].channels, channels) << i;
        EXPECT_TRUE(!most || info[i].packedSize < most) << i;
    }
    for (unsigned s = 256; s <= 269; ++s) EXPECT_GT(stats.mainSymbols[s], 0u) << "symbol " << s;
}

TEST(RoundTrip, MatchesReachAcrossTheWholeWindow) {
    // 2.5 MB whose second half repeats pieces from just under 1 MB back, and from further back
    // than the window reaches.
    Bytes big = binaryData(1200000, 8) + textData(300000, 9);
    big = big + Bytes(big.begin(), big.begin() + 400000);
    big = big + Bytes(big.end() - 1040000, big.end() - 740000) + Bytes(200000, ' ');
    std::vector<rar::PackedEntry> info;
    roundTrip({{"big", big}}, rar::PackOptions(), &info);
    EXPECT_LT(info[0].packedSize, 368900u);
}

TEST(RoundTrip, SolidArchiveOfManyFiles) {
    std::vector<NamedData> files;
    for (int i = 0; i < 40; ++i) {
        Bytes data = i % 4 == 0   ? textData(1000 + 97 * i, 100 + i)
                     : i % 4 == 1 ? binaryData(3000 + 11 * i, 200 + i)
                     : i % 4 == 2 ? waveFile(2000 + 10 * i, 1 + i % 2, i % 3 ? 16 : 8, 300 + i) +
                                        Bytes(i % 3, 7)
                     : i % 8 == 3 ? Bytes()
                                  : textData(500 + i, 7);
        files.push_back({"files\\f" + std::to_string(i), data});
    }
    std::vector<rar::PackedEntry> info;
    const Bytes archive = roundTrip(files, kSolid, &info);
    EXPECT_FALSE(info[0].solid);
    size_t audio = 0;
    for (size_t i = 1; i < info.size(); ++i) {
        EXPECT_TRUE(info[i].solid) << i;  // every entry after the first goes on with the stream
        audio += info[i].audio;
    }
    EXPECT_GT(audio, 0u);
    EXPECT_LT(archive.size(), 41300u);
    EXPECT_LT(archive.size() + 5000, packArchive(files, rar::PackOptions()).size());
}

// Every single-byte change and every truncation of small archives gives a failed read or the
// right bytes, never anything else (nor, under the sanitizers, a bad memory access).
TEST(RoundTrip, DamagedArchivesGiveTheRightBytesOrNothing) {
    const std::vector<NamedData> files = {
        {"stored.bin", text("hello")}, {"a.txt", textData(120, 3)}, {"s.wav", waveFile(60, 1, 8)}};
    for (const rar::PackOptions& options : {rar::PackOptions(), kSolid}) {
        const Bytes archive = packArchive(files, options);
        auto check = [&](const Bytes& damaged, size_t where) {
            for (const NamedData& f : files) {
                Bytes out;
                const bool read = readEntry(damaged, f.name, &out);
                ASSERT_TRUE(!read || out == f.data) << f.name << ", damage at " << where;
            }
            listNames(damaged);
        };
        Bytes changed = archive;
        for (size_t pos = 0; pos < archive.size(); ++pos) {
            for (unsigned v = 0; v < 256; ++v) {
                changed[pos] = static_cast<uint8_t>(v);
                check(changed, pos);
                if (HasFatalFailure()) return;
            }
            changed[pos] = archive[pos];
        }
        for (size_t len = 0; len < archive.size(); ++len)
            check(Bytes(archive.begin(), archive.begin() + len), len);
    }
}

TEST(ArchiveWriter, NamesAndTimes) {
    EXPECT_TRUE(packArchive({{"", {1}}}, rar::PackOptions()).empty());
    EXPECT_TRUE(packArchive({{std::string(256, 'x'), {1}}}, rar::PackOptions()).empty());
    EXPECT_FALSE(packArchive({{std::string(255, 'x'), {1}}}, rar::PackOptions()).empty());
    // Years count from 1980 in 7 bits; seconds in twos.
    EXPECT_EQ(rar::dosDateTime(2107, 1, 1, 0, 0, 0), 0xFE210000u);  // 127<<9|1<<5|1
    EXPECT_EQ(rar::dosDateTime(1979, 6, 1, 1, 1, 1), 0x00210000u);  // 1980-01-01 00:00:00
    EXPECT_EQ(rar::dosDateTime(2200, 1, 1, 0, 0, 0), 0xFF9FBF7Du);  // 2107-12-31 23:59:58
}

TEST(ArchiveWriter, CodeLengthsStayWithin15BitsAndStillFormACode) {
    uint32_t counts[30] = {1, 1};  // Fibonacci counts: a plain Huffman code 29 bits deep
    for (int i = 2; i < 30; ++i) counts[i] = counts[i - 1] + counts[i - 2];
    uint8_t lengths[30];
    rar::buildCodeLengths(counts, 30, 15, lengths);
    uint32_t kraft = 0;  // sum of 2^(15 - length): at most 2^15 for a prefix code
    for (uint8_t l : lengths) kraft += l >= 1 && l <= 15 ? 1u << (15 - l) : 1u << 16;
    EXPECT_LE(kraft, 1u << 15);
}
