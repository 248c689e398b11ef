// The arranger: scores laid out into modules, and the mistakes it reports by line.
#include <gtest/gtest.h>

#include <string>

#include "tools/musicgen/arranger.h"

namespace {

const char kInstruments[] =
    "title \"Two words\"\n"
    "tempo 120\n"
    "instrument 0 kick drum decay=0.05 length=0.1\n"
    "instrument 5 tone synth wave=sine key=A-4  # its settings go on below\n"
    "    length=0.2 loop=0.1 volume=40\r\n"
    "instrument 7 blip synth wave=square key=C-5 length=0.05 decay=0.02 sustain=0\n"
    "track drums kick\n"
    "track melody tone\n"
    "track echo echo=melody:2:50 pan=32\n";  // line 9

bool build(const std::string& body, xm::Module& m, std::string& error) {
    score::Score s;
    return score::parse(std::string(kInstruments) + body, "t.score", s, error) &&
           arrange(s, m, error);
}

xm::Module built(const std::string& body) {
    xm::Module m;
    std::string error;
    EXPECT_TRUE(build(body, m, error)) << error;
    return m;
}

TEST(Arranger, LaysPhrasesOutInTheirInstrumentsSlots) {
    const xm::Module m = built(
        "phrase line\n"
        "    A-4 . C-5:32 off\n"
        "phrase beat\n"
        "    x . x:60 .\n"
        "pattern a\n"
        "    drums beat*2 x@blip +G3F\n"
        "    melody line line+2%50 . +F03 line-3\n"
        "order a a\n");
    // Each instrument keeps its slot, the sync arrays' number; the slots between stay empty.
    ASSERT_EQ(m.instruments.size(), 8u);
    for (int empty : {1, 2, 3, 4, 6}) EXPECT_TRUE(m.instruments[empty].samples.empty());
    EXPECT_EQ(m.instruments[5].samples[0].volume, 40);
    EXPECT_EQ(m.channels, 3);
    EXPECT_EQ(m.tempo, 120);
    EXPECT_EQ(m.name, "Two words");
    ASSERT_EQ(m.orders, (std::vector<uint8_t>{0, 0}));
    ASSERT_EQ(m.patterns.size(), 1u);
    const xm::Pattern& p = m.patterns[0];
    // `x` strikes the instrument's own key; module instruments count from 1.
    EXPECT_EQ(p.at(0, 0).note, xm::note("C-4"));
    EXPECT_EQ(p.at(0, 0).instrument, 1);
    EXPECT_EQ(p.at(2, 0).volume, xm::volumeColumn::set(60));
    EXPECT_EQ(p.at(4, 0).note, xm::note("C-4"));
    EXPECT_EQ(p.at(8, 0).note, xm::note("C-5"));  // blip's key
    EXPECT_EQ(p.at(8, 0).instrument, 8);
    EXPECT_EQ(p.at(9, 0).effect, 0x10);  // G: global volume
    EXPECT_EQ(p.at(9, 0).param, 0x3F);

    EXPECT_EQ(p.at(0, 1).note, xm::note("A-4"));
    EXPECT_EQ(p.at(0, 1).instrument, 6);
    EXPECT_EQ(p.at(0, 1).volume, 0);  // no volume written: the sample's own
    EXPECT_EQ(p.at(3, 1).note, xm::kKeyOff);
    EXPECT_EQ(p.at(4, 1).note, xm::note("B-4"));              // transposed +2
    EXPECT_EQ(p.at(4, 1).volume, xm::volumeColumn::set(20));  // 50 % of the sample's 40
    EXPECT_EQ(p.at(6, 1).volume, xm::volumeColumn::set(16));  // 50 % of 32
    EXPECT_EQ(p.at(9, 1).effect, xm::kSetSpeedTempo);
    EXPECT_EQ(p.at(9, 1).param, 3);
    EXPECT_EQ(p.at(10, 1).note, xm::note("F#4"));  // transposed -3
}

TEST(Arranger, OverlaysFillTheGapsAndEchoesFollowLaterAndQuieter) {
    const xm::Pattern p = built(
                              "pattern a\n"
                              "    melody A-4:40 . C-5 .59 off & :10 :11 :13\n"
                              "order a\n")
                              .patterns[0];
    // The overlay fills only what is empty: A-4 keeps its 40, the rest take the overlay's.
    EXPECT_EQ(p.at(0, 1).volume, xm::volumeColumn::set(40));
    EXPECT_EQ(p.at(1, 1).volume, xm::volumeColumn::set(11));
    EXPECT_EQ(p.at(2, 1).volume, xm::volumeColumn::set(13));
    EXPECT_EQ(p.at(2, 1).note, xm::note("C-5"));
    // The echo: two rows later, at half the volume (rounded), panned, its key-off pushed off
    // the end.
    EXPECT_EQ(p.at(2, 2).note, xm::note("A-4"));
    EXPECT_EQ(p.at(2, 2).volume, xm::volumeColumn::set(20));
    EXPECT_EQ(p.at(2, 2).effect, xm::kSetPanning);
    EXPECT_EQ(p.at(2, 2).param, 32);
    EXPECT_EQ(p.at(4, 2).note, xm::note("C-5"));
    EXPECT_EQ(p.at(4, 2).volume, xm::volumeColumn::set(7));  // half of 13
    for (int r = 5; r < 64; ++r) EXPECT_TRUE(p.at(r, 2).empty()) << r;
}

TEST(Arranger, PatternsCopyOthersAndLeftOutTracksFallSilent) {
    const xm::Module m = built(
        "pattern a\n"
        "    drums x x\n"
        "    melody C-5\n"
        "pattern b from a\n"
        "    melody\n"  // a bare track name silences the inherited line
        "pattern c from b\n"
        "    drums .2 x\n"
        "order a b c\n");
    ASSERT_EQ(m.patterns.size(), 3u);
    EXPECT_EQ(m.patterns[1].at(1, 0).note, xm::note("C-4"));
    // The held C-5 is released as the next pattern starts, and its echo with it; a one-shot
    // drum is never cut, and nothing held is nothing released.
    EXPECT_EQ(m.patterns[1].at(0, 1).note, xm::kKeyOff);
    EXPECT_EQ(m.patterns[1].at(0, 2).note, xm::kKeyOff);
    EXPECT_EQ(m.patterns[1].at(0, 0).note, xm::note("C-4"));
    EXPECT_TRUE(m.patterns[2].at(0, 0).empty());
    EXPECT_TRUE(m.patterns[2].at(0, 1).empty());
    EXPECT_EQ(m.patterns[2].at(2, 0).note, xm::note("C-4"));
}

TEST(Arranger, RefusesWhatDoesNotFitWithItsLine) {
    // The score's own lines start after the nine of the header.
    const struct {
        std::string body;
        const char* expected;
        const char* says;
    } cases[] = {
        {"pattern a\n    drums nothing\norder a\n", "t.score:11: ", "no phrase is called"},
        {"pattern a\n    bongos x\norder a\n", "t.score:11: ", "no track is called 'bongos'"},
        {"pattern a\n    echo x\norder a\n", "t.score:11: ", "takes no notes"},
        {"pattern a\n    drums x@cowbell\norder a\n", "t.score:11: ", "no instrument is called"},
        {"pattern a\n    drums .60 x*5\norder a\n", "t.score:11: ", "runs to row 65"},
        {"phrase hi\n    B-7\npattern a\n    melody hi+1\norder a\n",
         "t.score:13: ", "falls off the keyboard"},
        {"pattern a\norder a missing\n", "t.score:11: ", "pattern 'missing'"},
        {"instrument 9 odd drum decya=3\npattern a\norder a\n",
         "t.score:10: ", "decya=3: kind drum has no such setting"},
        {"instrument 9 odd drum\n    decay=-1\npattern a\norder a\n",
         "t.score:11: ", "decay=-1: wants a number from"},
        {"instrument 9 odd guitar\npattern a\norder a\n", "t.score:10: ", "unknown kind 'guitar'"},
        {"instrument 9 odd synth loop=0.2 length=0.5 reverb=0.3\npattern a\norder a\n",
         "t.score:10: ", "reverb is baked into one-shot sounds"},
        {"instrument 9 odd drum env=0:64,0:0\npattern a\norder a\n",
         "t.score:10: ", "ticks must rise"},
        {"instrument 9 odd drum vibrato=1:2:16:3\npattern a\norder a\n",
         "t.score:10: ", "TYPE:SWEEP:DEPTH:RATE"},
        {"track loop echo=loop:1:50\npattern a\norder a\n", "t.score:10: ", "echoes 'loop'"},
    };
    for (const auto& c : cases) {
        xm::Module m;
        std::string error;
        EXPECT_FALSE(build(c.body, m, error)) << c.body;
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << c.body << " -> " << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.body << " -> " << error;
    }
}

}  // namespace
