// The packed-stream decoder on streams written symbol by symbol: the cases the archiver never
// writes, the edges of the window and of the output, solid continuation, the audio predictor,
// and the lookup-table decoding against the plain search over code limits.
#include <cstring>
#include <random>

#include "archive/audio_predictor.h"
#include "archive/bit_input.h"
#include "archive/crc32.h"
#include "archive/decompressor.h"
#include "archive/huffman_builder.h"
#include "archive/huffman_table.h"
#include "archive_test_support.h"

using namespace archivetest;
using rar::kWindowSize;

namespace {

// Reads the stream as the one entry of an archive and checks the plain decoder agrees.
Bytes decodeAsEntry(const Bytes& stream, const Bytes& expected) {
    const Bytes archive = rawArchive({packedEntry("e", stream, expected)});
    Bytes out;
    EXPECT_TRUE(readEntry(archive, "e", &out));
    Bytes plain;
    EXPECT_TRUE(referenceDecode(stream, static_cast<uint32_t>(expected.size()), &plain));
    EXPECT_EQ(plain, expected);
    return out;
}

}  // namespace

TEST(Decoder, DistanceOneRepeatsTheLastByte) {
    StreamBuilder s;
    s.lzTables();
    s.literal('x');
    s.longMatch(10, 1);
    EXPECT_EQ(decodeAsEntry(s.finish(), Bytes(11, 'x')), Bytes(11, 'x'));
}

TEST(Decoder, RepeatOfLastMatchKeepsTheLengthWithItsFarBonus) {
    // A long match coded with length 5 at distance 0x3000 copies 6 bytes; symbol 256 then
    // copies 6 bytes again from 0x3000 back.
    const Bytes prefix = randomData(0x3000, 7);
    StreamBuilder s;
    s.lzTables();
    for (uint8_t b : prefix) s.literal(b);
    s.longMatch(6, 0x3000);
    s.repeatLast();
    Bytes expected = prefix;
    for (int i = 0; i < 12; ++i) expected.push_back(expected[expected.size() - 0x3000]);
    EXPECT_EQ(decodeAsEntry(s.finish(), expected), expected);
}

TEST(Decoder, RecentDistancesAndShortMatches) {
    const Bytes prefix = textData(600, 9);
    StreamBuilder s;
    s.lzTables();
    for (uint8_t b : prefix) s.literal(b);
    Bytes expected = prefix;
    auto copy = [&](uint32_t len, uint32_t dist) {
        for (uint32_t i = 0; i < len; ++i) expected.push_back(expected[expected.size() - dist]);
    };
    s.longMatch(7, 300);  // recent: 300
    copy(7, 300);
    s.shortMatch(256);  // recent: 256 300
    copy(2, 256);
    s.shortMatch(3);  // recent: 3 256 300
    copy(2, 3);
    s.recent(2, 9, 300);  // third newest; +1 length from 0x101
    copy(9, 300);
    s.recent(0, 4, 300);  // newest is now 300 again
    copy(4, 300);
    s.recent(3, 2, 3);  // 300 300 3 256 -> oldest is 256
    copy(2, 256);
    EXPECT_EQ(decodeAsEntry(s.finish(), expected), expected);
}

TEST(Decoder, MatchBeforeTheFirstByteReadsZeros) {
    StreamBuilder s;
    s.lzTables();
    s.literal('a');
    s.longMatch(4, 3);
    const Bytes expected = {'a', 0, 0, 'a', 0};
    EXPECT_EQ(decodeAsEntry(s.finish(), expected), expected);
}

TEST(Decoder, MatchAcrossTheWindowStartReadsTheWindowEnd) {
    const Bytes prefix = randomData(kWindowSize + 3, 11);
    StreamBuilder s;
    s.lzTables();
    for (uint8_t b : prefix) s.literal(b);
    s.longMatch(40, 8);        // source starts 5 bytes before the window's end
    s.longMatch(30, 0xFFF00);  // far back, wrapping the other way
    Bytes expected = prefix;
    for (int i = 0; i < 40; ++i) expected.push_back(expected[expected.size() - 8]);
    for (int i = 0; i < 30; ++i) expected.push_back(expected[expected.size() - 0xFFF00]);
    EXPECT_EQ(decodeAsEntry(s.finish(), expected), expected);
}

TEST(Decoder, MoreOutputThanTheUnpackedSizeFails) {
    StreamBuilder s;
    s.lzTables();
    for (int i = 0; i < 3; ++i) s.literal('q');
    s.longMatch(4, 1);
    const Bytes stream = s.finish();
    const Bytes seven(7, 'q');
    Bytes out;
    EXPECT_TRUE(readEntry(rawArchive({packedEntry("e", stream, seven)}), "e", &out));
    EXPECT_EQ(out, seven);
    // The same stream declared as 5 bytes: the last match would run past the end.
    EXPECT_FALSE(readEntry(rawArchive({packedEntry("e", stream, Bytes(5, 'q'))}), "e", &out));
    Bytes plain;
    EXPECT_FALSE(referenceDecode(stream, 5, &plain));
}

TEST(Decoder, EmptyCompressedEntries) {
    StreamBuilder s;
    s.lzTables();
    for (const Bytes& stream : {s.finish(), Bytes()}) {
        Bytes out = {1};
        EXPECT_TRUE(readEntry(rawArchive({packedEntry("e", stream, {})}), "e", &out));
        EXPECT_TRUE(out.empty());
    }
}

TEST(Decoder, StreamThatEndsEarlyFails) {
    StreamBuilder s;
    s.lzTables();
    for (int i = 0; i < 100; ++i) s.literal(static_cast<uint8_t>(i));
    Bytes stream = s.finish();
    const Bytes expected = [] {
        Bytes b;
        for (int i = 0; i < 100; ++i) b.push_back(static_cast<uint8_t>(i));
        return b;
    }();
    stream.resize(stream.size() - 20);
    EXPECT_FALSE(readEntry(rawArchive({packedEntry("e", stream, expected)}), "e", nullptr));
}

TEST(Decoder, RepeatCodeAtTheFirstLengthRepeatsZero) {
    // Code-length symbol 16 first: three lengths copied from before the list, taken as 0.
    StreamBuilder s;
    s.bits(0, 2);
    for (int i = 0; i < 19; ++i) s.bits(5, 4);
    s.bits(16, 5);
    s.bits(0, 2);  // 3 copies
    for (unsigned i = 3; i < rar::kLzLengthCount; ++i)
        s.bits(i < rar::kMainSymbols ? 9 : (i < rar::kMainSymbols + rar::kDistSymbols ? 6 : 5), 5);
    uint8_t lengths[rar::kLzLengthCount];
    flatLzLengths(lengths);
    std::memset(lengths, 0, 3);
    StreamBuilder codes;
    codes.lzTables(lengths);
    s.adoptTables(codes);
    s.literal('A');
    s.literal('B');
    EXPECT_EQ(decodeAsEntry(s.finish(), Bytes{'A', 'B'}), (Bytes{'A', 'B'}));
}

TEST(Decoder, SolidEntryContinuesWindowAndTables) {
    const Bytes first = textData(3000, 21);
    StreamBuilder a;
    a.lzTables();
    for (uint8_t b : first) a.literal(b);
    StreamBuilder b;
    b.adoptTables(a);  // no tables at the start of a solid entry
    b.longMatch(100, 2500);
    b.literal('!');
    Bytes second(first.begin() + 500, first.begin() + 600);
    second.push_back('!');
    const Bytes archive = rawArchive(
        {packedEntry("one", a.finish(), first), packedEntry("two", b.finish(), second, true)},
        true);
    Bytes out;
    ASSERT_TRUE(readEntry(archive, "two", &out));  // decodes "one" first, without keeping it
    EXPECT_EQ(out, second);
    ASSERT_TRUE(readEntry(archive, "one", &out));
    EXPECT_EQ(out, first);
}

TEST(Decoder, TablesAnnouncedAtTheEndOfAnEntryServeTheNextOne) {
    const Bytes first = textData(200, 22);
    StreamBuilder a;
    a.lzTables();
    for (uint8_t b : first) a.literal(b);
    a.newTables();
    uint8_t wide[rar::kLzLengthCount];
    flatLzLengths(wide, 10);
    a.lzTables(wide);
    StreamBuilder b;
    b.adoptTables(a);
    const Bytes second = textData(150, 23);
    for (uint8_t c : second) b.literal(c);
    const Bytes archive = rawArchive(
        {packedEntry("one", a.finish(), first), packedEntry("two", b.finish(), second, true)},
        true);
    Bytes out;
    ASSERT_TRUE(readEntry(archive, "two", &out));
    EXPECT_EQ(out, second);
}

TEST(Decoder, TableSwitchInsideAnEntryAndIntoAudio) {
    StreamBuilder s;
    s.lzTables();
    s.literal('L');
    s.newTables();
    s.audioTables(1);
    s.audioSymbol(0, 0);
    s.audioSymbol(0, 1);
    s.audioSymbol(0, 255);
    s.audioSymbol(0, 256);  // back to LZ
    s.lzTables();
    s.literal('Z');
    // The predictor starts from zero state: symbols 0, 1, 255 give 0, 255, 0.
    const Bytes expected = {'L', 0, 255, 0, 'Z'};
    EXPECT_EQ(decodeAsEntry(s.finish(), expected), expected);
}

// ---- audio predictor ----

TEST(AudioPredictor, ChannelsAlternateAndShareTheChannelDelta) {
    // With all weights 0 each channel predicts its own last byte.
    StreamBuilder s;
    s.audioTables(2);
    const unsigned symbols[] = {10, 20, 3, 5, 1, 2};
    for (int i = 0; i < 6; ++i) s.audioSymbol(i % 2, symbols[i]);
    Bytes expected(6);
    uint8_t last[2] = {0, 0};
    for (int i = 0; i < 6; ++i) {
        expected[i] = static_cast<uint8_t>(last[i % 2] - symbols[i]);
        last[i % 2] = expected[i];
    }
    EXPECT_EQ(decodeAsEntry(s.finish(), expected), expected);

    // The channel delta is the last difference of whichever channel ran last.
    rar::AudioPredictor p;
    p.decode(0, 10);  // channel 0: 0 -> 246, difference -10
    EXPECT_EQ(p.channelDelta(), -10);
    p.decode(1, 250);  // channel 1: 0 -> 6
    EXPECT_EQ(p.channelDelta(), 6);
    EXPECT_EQ(p.channel(0).lastDelta, -10);
}

TEST(AudioPredictor, WeightsAdaptOnlyEvery32BytesAndNotOnTies) {
    rar::AudioPredictor quiet;
    for (int i = 0; i < 32; ++i) quiet.decode(0, 0);  // all error sums stay equal (0)
    for (int k = 0; k < 5; ++k) EXPECT_EQ(quiet.channel(0).k[k], 0);

    rar::AudioPredictor ramp;
    auto weightSum = [&] {
        int sum = 0;
        for (int k = 0; k < 5; ++k) sum += std::abs(ramp.channel(0).k[k]);
        return sum;
    };
    for (int i = 0; i < 31; ++i) ramp.encode(0, static_cast<uint8_t>(i * 3));
    EXPECT_EQ(weightSum(), 0);
    ramp.encode(0, 93);
    EXPECT_EQ(weightSum(), 1);  // exactly one weight moved one step
}

TEST(AudioPredictor, EncodeIsTheInverseOfDecode) {
    rar::AudioPredictor enc, dec;
    const Bytes sound = soundSamples(3000, 2, 16);
    for (size_t i = 0; i < sound.size(); ++i) {
        const unsigned ch = i % 4;
        EXPECT_EQ(dec.decode(ch, enc.encode(ch, sound[i])), sound[i]);
    }
    for (int k = 0; k < 5; ++k) {
        EXPECT_GE(dec.channel(0).k[k], -17);
        EXPECT_LE(dec.channel(0).k[k], 16);
    }
}

// ---- lookup-table decoding against the limit search ----

TEST(HuffmanTable, LookupAgreesWithLimitSearchForEveryBitPattern) {
    std::mt19937 rng(5);
    std::vector<std::vector<uint8_t>> tables;
    // Complete codes from the archiver's builder, and arbitrary (over-full, incomplete, empty,
    // single-symbol) length sets that only damaged streams carry.
    for (unsigned n : {rar::kMainSymbols, rar::kDistSymbols, rar::kBitLenSymbols}) {
        std::vector<uint32_t> counts(n);
        for (auto& c : counts) c = rng() % 50 == 0 ? 0 : 1 + (rng() % 1000) * (rng() % 30);
        std::vector<uint8_t> lengths(n);
        rar::buildCodeLengths(counts.data(), n, 15, lengths.data());
        tables.push_back(lengths);
        std::vector<uint8_t> wild(n);
        for (auto& l : wild) l = static_cast<uint8_t>(rng() % 16);
        tables.push_back(wild);
        tables.push_back(std::vector<uint8_t>(n, 0));
        std::vector<uint8_t> one(n, 0);
        one[n / 2] = 1;
        tables.push_back(one);
        std::vector<uint8_t> deep(n, 0);
        for (unsigned i = 0; i < n; ++i) deep[i] = static_cast<uint8_t>(11 + i % 5);
        tables.push_back(deep);
    }
    for (const auto& lengths : tables) {
        const unsigned n = static_cast<unsigned>(lengths.size());
        rar::HuffmanTable table;
        table.build(lengths.data(), n);
        for (uint32_t v = 0; v < 0x10000; ++v) {
            uint8_t buf[2 + rar::BitInput::kPadding] = {static_cast<uint8_t>(v >> 8),
                                                        static_cast<uint8_t>(v)};
            rar::BitInput in;
            in.reset(buf, 2);
            const unsigned symbol = table.decode(in);
            unsigned used = 0;
            ASSERT_EQ(symbol, referenceSymbol(lengths.data(), n, v, &used))
                << "pattern " << v << " alphabet " << n;
            ASSERT_EQ(in.consumedBits(), used) << "pattern " << v;
        }
    }
}

TEST(Decoder, AgreesWithThePlainDecoderOnArbitraryStreams) {
    // Random tables (any lengths) followed by random bits: both decoders must fail alike or
    // produce the same bytes.
    std::mt19937 rng(77);
    int agreedSuccesses = 0;
    for (int round = 0; round < 300; ++round) {
        StreamBuilder s;
        uint8_t lengths[rar::kLzLengthCount];
        for (auto& l : lengths) l = static_cast<uint8_t>(rng() % 3 == 0 ? 0 : rng() % 16);
        if (round % 2) {
            std::vector<uint32_t> counts(rar::kMainSymbols);
            for (auto& c : counts) c = rng() % 100;
            rar::buildCodeLengths(counts.data(), rar::kMainSymbols, 15, lengths);
        }
        s.lzTables(lengths);
        const size_t extra = 20 + rng() % 600;
        for (size_t i = 0; i < extra; ++i) s.bits(rng() & 0xFF, 8);
        const Bytes stream = s.finish();
        const uint32_t size = 1 + rng() % 3000;

        Bytes plain;
        const bool plainOk = referenceDecode(stream, size, &plain);
        Bytes padded = stream;
        padded.resize(stream.size() + rar::BitInput::kPadding, 0);
        rar::Decompressor fast;
        Bytes out(size);
        const bool fastOk = fast.decodeEntry(padded.data(), stream.size(), size, false, out.data());
        ASSERT_EQ(fastOk, plainOk) << "round " << round;
        if (fastOk) {
            ASSERT_EQ(out, plain) << "round " << round;
            ++agreedSuccesses;
        }
    }
    EXPECT_GT(agreedSuccesses, 10);
}

TEST(Crc32, AgreesWithTheBitwiseDefinitionForAnyLengthAndSplit) {
    auto bitwise = [](const uint8_t* p, size_t n) {
        uint32_t c = 0xFFFFFFFFu;
        for (size_t i = 0; i < n; ++i) {
            c ^= p[i];
            for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        }
        return ~c;
    };
    const Bytes data = randomData(5000, 99);
    EXPECT_EQ(rar::crc32Of("123456789", 9), 0xCBF43926u);
    for (size_t n = 0; n < 700; n += (n < 140 ? 1 : 29))
        for (size_t offset = 0; offset < 4; ++offset)
            ASSERT_EQ(rar::crc32Of(data.data() + offset, n), bitwise(data.data() + offset, n))
                << n << " bytes at " << offset;
    rar::Crc32 pieces;
    pieces.update(data.data(), 70);
    pieces.update(data.data() + 70, 1000);
    pieces.update(data.data() + 1070, 3930);
    EXPECT_EQ(pieces.value(), bitwise(data.data(), data.size()));
}
