// Archives and packed streams written out bit by bit from the format, read back to bytes
// worked out by hand: the container's fields, Huffman tables, every length and distance
// code, the match kinds, and the audio predictor.
#include <cstdlib>
#include <cstring>

#include "archive_test_support.h"

using namespace archivetest;

namespace {

// Main table: 'a' 2 bits; 'b', 'c', long-match code 9 (279) 3 bits; 256..259, 261 and long code
// 0 (270) 4 bits. Canonical codes, shorter first and in symbol order within a length:
// a 00 | b 010, c 011, 279 100 | 256 1010, 257 1011, 258 1100, 259 1101, 261 1110, 270 1111.
// Distance codes 2 and 4 have one bit each (0, 1); repeat-length code 8 one bit (0).
// The code lengths themselves are coded with: 4 00, 18 01 | 1 100, 3 101 |
// 0 1100, 2 1101, 16 1110, 17 1111.
const char* const kHandStream =
    "0 0"                                                     // LZ, previous lengths cleared
    "0100 0011 0100 0011 0010"                                // lengths of 0..4: 4 3 4 3 2
    "0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000"  // 5..15 unused
    "0100 0100 0010"                                          // 16, 17, 18: 4 4 2
    "01 1010110"      // 18: 11 + 86 = 97 zeros (symbols 0..96)
    "1101 101 101"    // 'a' 2, 'b' 3, 'c' 3
    "01 1111111"      // 18: 11 + 127 = 138 zeros (100..237)
    "01 0000111"      // 18: 18 zeros (238..255)
    "00 1110 00"      // 256: 4; 16: 3 + 0 copies of it (257..259)
    "1100 00"         // 260: 0, 261: 4
    "1111 101 00"     // 17: 3 + 5 = 8 zeros (262..269); 270: 4
    "1111 101 101"    // 8 zeros (271..278); 279: 3
    "01 0001001"      // 20 zeros (280..297, distance codes 0 and 1)
    "100 1100 100"    // distance codes 2: 1, 3: 0, 4: 1
    "01 0101000"      // 51 zeros (distance codes 5..47, repeat-length codes 0..7)
    "100 01 0001000"  // repeat-length code 8: 1; 19 zeros (9..27)
    "00 010 011"      // a b c
    "100 1 0"         // long code 9: 10 + 3 + extra 1 = 14 bytes; distance code 2: 3 back
    "00"              // a
    "1111 1 1"        // long code 0: 3 bytes; distance code 4 + extra 1: 4 + 1 + 1 = 6 back
    "1010"            // 256: the last match again, 3 bytes 6 back
    "1101 0 0"        // 259: third newest distance (3); length code 8 + extra 0 + 2 = 10
    "1110 11";        // 261: two bytes at 0 + 1 + 3 = 4 back
// 17 bytes of abc..., a, the 3 from 6 back (abc), again (aba), 10 of period 3, 2 from 4 back:
// abcabcabcabcabcab a abc aba abaabaabaa ab
const std::string kHandText = "abcabcabcabcabcabaabcabaabaabaabaaab";

Bytes handStream() {
    BitWriter w;
    w.pattern(kHandStream);
    return w.finish();
}

}  // namespace

TEST(Exact, HandWrittenArchive) {
    // clang-format off
    Bytes a = {
        0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00,           // marker: "Rar!" 1A 07 00
        0xCF, 0x90, 0x73, 0, 0, 13, 0, 0, 0, 0, 0, 0, 0,    // main header: CRC 90CF, 13 bytes
        0, 0, 0x74, 0x00, 0x80, 32 + 10, 0,                 // file header (CRC not checked)
        9, 0, 0, 0, 9, 0, 0, 0, 3,                          // packed, unpacked size; host Unix
        0x26, 0x39, 0xF4, 0xCB,                             // CRC-32 of "123456789": CBF43926
        0xBD, 0x6D, 0x5D, 0x58,  // 2024-02-29 13:45:58: 44<<9|2<<5|29 = 585D, 13<<11|45<<5|29 = 6DBD
        20, 0x30, 10, 0, 0x21, 0, 0, 0,                     // 2.0, stored, name size; read-only
        'd', 'i', 'g', 'i', 't', 's', '.', 't', 'x', 't', '1', '2', '3', '4', '5', '6', '7', '8', '9',
        0, 0, 0x74, 0x00, 0x80, 32 + 7, 0, 29, 0, 0, 0, 36, 0, 0, 0, 0,  // at 71: the hand stream
        0, 0, 0, 0, 0, 0, 0, 0, 20, 0x33, 7, 0, 0x20, 0, 0, 0, 'd', 'i', 'r', '\\', 'a', 'b', 'c'};
    // clang-format on
    const Bytes stream = handStream();
    ASSERT_EQ(stream.size(), 29u);
    put32(a, 71 + 16, crc(text(kHandText)));  // the CRC-32 field
    a.insert(a.end(), stream.begin(), stream.end());

    EXPECT_EQ(readBytes(a, "DIGITS.TXT"), text("123456789"));
    EXPECT_EQ(readBytes(a, "dir/ABC"), text(kHandText));
    const auto listed = describeEntries(a);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0], "digits.txt 10 9 9 3 585d6dbd 20 30 21 8000 cbf43926");
    EXPECT_EQ(listed[1].substr(0, 41), "dir\\abc 7 29 36 0 00000000 20 33 20 8000 ");
    // One changed byte of data no longer matches the CRC.
    a[67] = '0';
    EXPECT_FALSE(readEntry(a, "digits.txt", nullptr));
    a[67] = '6';
    a.back() ^= 0x80;
    EXPECT_FALSE(readEntry(a, "dir\\abc", nullptr));
}

// ---- every length and distance code ----

namespace {

// The codes by the rule that builds them. Length codes 0..7 stand for themselves, from 8 on
// each group of four doubles its step; distance codes 4..35 go in pairs 2^k, 1.5 * 2^k, and
// from 36 on in steps of 65536.
struct Code {
    static uint32_t lengthBase(unsigned c) { return c < 8 ? c : (4u + (c & 3)) << (c / 4 - 1); }
    static unsigned lengthBits(unsigned c) { return c < 8 ? 0 : c / 4 - 1; }
    static uint32_t distanceBase(unsigned c) {
        return c < 4 ? c : c < 36 ? (2u + (c & 1)) << (c / 2 - 1) : 262144 + 65536 * (c - 36);
    }
    static unsigned distanceBits(unsigned c) { return c < 4 ? 0 : c < 36 ? c / 2 - 1 : 16; }
    static uint32_t most(unsigned bits) { return (1u << bits) - 1; }
};
// Distances each short-match symbol 261..268 reaches.
const uint32_t kShortRange[8][2] = {{1, 4},   {5, 8},    {9, 16},    {17, 32},
                                    {33, 64}, {65, 128}, {129, 192}, {193, 256}};

// An LZ stream with flat tables (symbol s coded as s), and the bytes it decodes to.
struct Flat : Code {
    BitWriter w;
    Bytes out;
    uint32_t recent[4] = {}, count = 0, lastLength = 0, lastDistance = 0;
    unsigned mainBits = 9;

    Flat() { flatLzTables(w); }
    void literal(uint8_t b) {
        w.bits(b, mainBits);
        out.push_back(b);
    }
    void copy(uint32_t length, uint32_t distance) {
        recent[count++ & 3] = distance;
        lastLength = length;
        lastDistance = distance;
        for (uint32_t i = 0; i < length; ++i)  // a fresh window holds zeros
            out.push_back(out.size() >= distance ? out[out.size() - distance] : 0);
    }
    void longMatch(unsigned lc, uint32_t lx, unsigned dc, uint32_t dx) {
        w.bits(270 + lc, mainBits);
        w.bits(lx, lengthBits(lc));
        w.bits(dc, 6);
        w.bits(dx, distanceBits(dc));
        const uint32_t d = distanceBase(dc) + 1 + dx;
        copy(lengthBase(lc) + 3 + lx + (d >= 0x2000) + (d >= 0x40000), d);
    }
    void recentMatch(unsigned k, unsigned lc, uint32_t lx) {  // k 0: the newest distance
        w.bits(257 + k, mainBits);
        w.bits(lc, 5);
        w.bits(lx, lengthBits(lc));
        const uint32_t d = recent[(count - 1 - k) & 3];
        copy(lengthBase(lc) + 2 + lx + (d >= 0x101) + (d >= 0x2000) + (d >= 0x40000), d);
    }
    void repeatLast() {
        w.bits(256, mainBits);
        copy(lastLength, lastDistance);
    }
    void shortMatch(unsigned slot, bool farthest) {
        const uint32_t x = farthest ? kShortRange[slot][1] - kShortRange[slot][0] : 0;
        w.bits(261 + slot, mainBits);
        w.bits(x, __builtin_ctz(kShortRange[slot][1] - kShortRange[slot][0] + 1));
        copy(2, kShortRange[slot][0] + x);
    }
};

}  // namespace

TEST(Exact, EveryLengthAndDistanceCode) {
    Flat s;
    for (uint8_t b : randomData(0xFFFF0, 5)) s.literal(b);
    s.longMatch(27, 31, 10, 15);  // 224 + 3 + 31 = 258 bytes from 32 + 1 + 15 = 48 back,
    s.longMatch(0, 0, 0, 0);      // across the end of the window; then 3 at 1, 4 at 2, 5 at 4
    s.longMatch(1, 0, 1, 0);
    s.longMatch(2, 0, 3, 0);
    unsigned item = 0;
    for (unsigned dc = 0; dc < 48; ++dc) {
        for (const uint32_t dx : {0u, Code::most(Code::distanceBits(dc))}) {
            // Both ends of each code: 0x100, 0x101, 0x2000, 0x2001, 0x40000 among them.
            const unsigned lc = (2 * dc + (dx != 0)) % 28, rc = item % 28;
            s.longMatch(lc, (dc / 14) % 2 ? Code::most(Code::lengthBits(lc)) : 0, dc, dx);
            s.recentMatch(0, 0, 0);  // 2 bytes at that distance, and its bonus
            s.recentMatch(item % 4, rc, (item / 28) % 2 ? Code::most(Code::lengthBits(rc)) : 0);
            if (item % 5 == 0) s.repeatLast();
            if (item % 6 == 0) s.shortMatch(item / 6 % 8, item >= 48);
            s.literal(static_cast<uint8_t>(item++));
            if (item % 7 == 0) s.repeatLast();  // straight after a literal
        }
    }
    ASSERT_GT(s.out.size(), 0x100000u + 10000);
    EXPECT_TRUE(decodeStream(s.w.finish(), s.out) == s.out);
}

// ---- the audio mode ----

namespace {

// The predictor written out plainly, term by term, to check the decoder against.
struct Predictor {
    struct Channel {
        int k[5] = {}, d[4] = {}, lastDelta = 0, lastByte = 0;
        unsigned count = 0, err[11] = {};
    } ch[4];
    int c = 0;  // the last difference of any channel

    uint8_t encode(unsigned channel, uint8_t byte) {  // the symbol that gives byte
        Channel& v = ch[channel];
        v.d[3] = v.d[2];
        v.d[2] = v.d[1];
        v.d[1] = v.lastDelta - v.d[0];
        v.d[0] = v.lastDelta;
        const int p = 8 * v.lastByte + v.k[0] * v.d[0] + v.k[1] * v.d[1] + v.k[2] * v.d[2] +
                      v.k[3] * v.d[3] + v.k[4] * c;
        const auto delta = static_cast<uint8_t>(((p >> 3) & 0xFF) - byte);
        const int i = static_cast<int8_t>(delta) * 8, t[5] = {v.d[0], v.d[1], v.d[2], v.d[3], c};
        v.err[0] += std::abs(i);
        for (int j = 0; j < 5; ++j) {
            v.err[2 * j + 1] += std::abs(i - t[j]);
            v.err[2 * j + 2] += std::abs(i + t[j]);
        }
        v.lastDelta = c = static_cast<int8_t>(byte - v.lastByte);
        v.lastByte = byte;
        if (++v.count % 32 == 0) {
            int best = 0;
            for (int e = 1; e < 11; ++e) best = v.err[e] < v.err[best] ? e : best;
            std::memset(v.err, 0, sizeof v.err);
            int& k = v.k[best ? (best - 1) / 2 : 0];
            k += (best % 2 && k >= -16) ? -1 : (best && !(best % 2) && k < 16) ? 1 : 0;
        }
        return delta;
    }
};

}  // namespace

TEST(Exact, AudioRampAdaptsTheFirstWeight) {
    // One channel, every symbol 240 (-16): with all weights 0 each byte is the last one + 16.
    // Over those 32 bytes I = -128 and D1 = C = 16 from the second byte on, so |I + D1| and
    // |I + C| sum least (128 + 31 * 112 = 3600, against 4096 for |I|): the first of them wins
    // and K1 becomes 1. Byte 33 is then predicted as (8 * 0 + 1 * 16) >> 3 = 2, and 2 - 240
    // gives 18; byte 34 as (8 * 18 + 1 * 18) >> 3 = 20, giving 36.
    BitWriter w;
    flatAudioTables(w, 1);
    Bytes expected;
    for (int i = 1; i <= 34; ++i) {
        w.bits(240, 9);
        expected.push_back(static_cast<uint8_t>(i * 16));
    }
    expected[32] = 18;
    expected[33] = 36;
    EXPECT_EQ(decodeStream(w.finish(), expected), expected);
}

TEST(Exact, AudioChannelsTakeTurnsAndKeepTheirWeightsAcrossHeaders) {
    // From LZ into sound on three channels, then (at channel 2) a header for two: the next
    // byte is channel 0's, and every channel keeps its weights. Then back to LZ.
    Predictor p;
    Flat s;
    s.literal('L');
    s.w.bits(269, 9);
    flatAudioTables(s.w, 3);
    const Bytes sound = soundSamples(3000, 1, 8);
    for (size_t i = 0; i < sound.size(); ++i) {
        if (i == 1502) {
            s.w.bits(256, 9);
            flatAudioTables(s.w, 2);
        }
        s.w.bits(p.encode(i < 1502 ? i % 3 : (i - 1502) % 2, sound[i]), 9);
        s.out.push_back(sound[i]);
    }
    s.w.bits(256, 9);
    flatLzTables(s.w);
    s.literal('Z');
    EXPECT_GT(p.ch[2].k[4], 4);  // the weights came into play, the channel delta most
    EXPECT_TRUE(decodeStream(s.w.finish(), s.out) == s.out);
}

// ---- the decoder's edges ----

TEST(Decoder, OutputPastTheUnpackedSizeOrBitsPastTheStreamFail) {
    Flat s;
    s.literal('q');
    s.longMatch(1, 0, 2, 0);  // 4 bytes from 3 back: a fresh window holds zeros
    EXPECT_EQ(s.out, (Bytes{'q', 0, 0, 'q', 0}));
    for (int i = 0; i < 100; ++i) s.literal('q');
    s.longMatch(1, 0, 0, 0);
    const Bytes stream = s.w.finish();
    EXPECT_EQ(decodeStream(stream, s.out), s.out);
    // Declared one byte shorter, the last match would run past the end.
    EXPECT_TRUE(decodeStream(stream, Bytes(s.out.begin(), s.out.end() - 1)).empty());
    EXPECT_TRUE(decodeStream(Bytes(stream.begin(), stream.end() - 20), s.out).empty());
    Flat tablesOnly;
    EXPECT_TRUE(readEntry(rawArchive({packedEntry("e", tablesOnly.w.finish(), {})}), "e", nullptr));
}

TEST(Decoder, RepeatCodeAtTheFirstLengthRepeatsZero) {
    BitWriter w;
    flatLzTables(w);  // symbol 0 has a length here, which the next tables must not take
    w.bits(269, 9);
    w.pattern("00");
    for (int i = 0; i < 19; ++i) w.bits(5, 4);
    w.bits(16, 5);
    w.bits(0, 2);  // symbols 0..2 copy the length before the list: 0
    for (unsigned i = 3; i < 374; ++i) w.bits(i < 298 ? 9 : i < 346 ? 6 : 5, 5);
    w.bits('A' - 3, 9);  // codes now start at symbol 3
    w.bits('B' - 3, 9);
    EXPECT_EQ(decodeStream(w.finish(), text("AB")), text("AB"));
}

TEST(Decoder, SolidEntriesGoOnWithTheWindowDistancesAndAnnouncedTables) {
    Flat s;
    for (uint8_t b : textData(3000, 21)) s.literal(b);
    s.longMatch(5, 0, 12, 20);  // 8 bytes from 64 + 1 + 20 back
    // Tables for the next entry at the end of this one: every main code one bit longer.
    s.w.bits(269, 9);
    flatLzTables(s.w, true, 1);
    s.mainBits = 10;
    const Bytes one = s.w.finish();
    const Bytes first = s.out;
    s.w = BitWriter();       // no tables at the start of a solid entry
    s.recentMatch(0, 9, 1);  // at the last distance of the entry before
    s.longMatch(22, 7, 22, 100);
    s.literal('!');
    s.repeatLast();
    const Bytes two = s.w.finish();
    const Bytes second(s.out.begin() + first.size(), s.out.end());

    const Bytes archive =
        rawArchive({packedEntry("one", one, first), storedEntry("plain", text("x")),
                    packedEntry("two", two, second, true)},
                   true);
    EXPECT_EQ(readBytes(archive, "two"), second);  // decodes "one" first, without keeping it
}
