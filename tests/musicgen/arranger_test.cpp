// The arranger: scores laid out into modules, and the mistakes it reports by line.
#include <gtest/gtest.h>

#include <string>

#include "tools/musicgen/arranger.h"

namespace {

const char kInstruments[] =
    "tempo 120\n"
    "instrument 0 kick drum decay=0.05 length=0.1\n"                                  // line 2
    "instrument 5 tone synth wave=sine key=A-4 length=0.2 loop=0.1 volume=40\n"       // line 3
    "instrument 7 blip synth wave=square key=C-5 length=0.05 decay=0.02 sustain=0\n"  // line 4
    "track drums kick\n"
    "track melody tone\n"
    "track echo echo=melody:2:50 pan=32\n";  // line 7

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

std::string refusal(const std::string& body) {
    xm::Module m;
    std::string error;
    return build(body, m, error) ? std::string() : error;
}

TEST(Arranger, InstrumentsKeepTheirSlotsAndGapsStayEmpty) {
    const xm::Module m = built("pattern a\n    drums x\norder a\n");
    ASSERT_EQ(m.instruments.size(), 8u);  // slots 0..7
    EXPECT_FALSE(m.instruments[0].samples.empty());
    for (int empty : {1, 2, 3, 4, 6}) EXPECT_TRUE(m.instruments[empty].samples.empty());
    EXPECT_EQ(m.instruments[5].samples[0].volume, 40);
    EXPECT_EQ(m.instruments[5].samples[0].loop, xm::Loop::Forward);
    EXPECT_EQ(m.channels, 3);
    EXPECT_EQ(m.tempo, 120);
}

TEST(Arranger, LaysPhrasesOutWithTheirChanges) {
    const xm::Module m = built(
        "phrase line\n"
        "    A-4 . C-5:32 off\n"
        "phrase beat\n"
        "    x . x:60 .\n"
        "pattern a\n"
        "    drums beat*2 x@blip\n"
        "    melody line line+2%50 . +F03\n"
        "order a a\n");
    ASSERT_EQ(m.orders.size(), 2u);
    ASSERT_EQ(m.patterns.size(), 1u);  // one pattern, played twice
    const xm::Pattern& p = m.patterns[0];
    EXPECT_EQ(p.rows(), 64);
    // `x` strikes the instrument's own key; module instruments count from 1.
    EXPECT_EQ(p.at(0, 0).note, xm::note("C-4"));
    EXPECT_EQ(p.at(0, 0).instrument, 1);
    EXPECT_EQ(p.at(2, 0).volume, xm::volumeColumn::set(60));
    EXPECT_EQ(p.at(4, 0).note, xm::note("C-4"));
    EXPECT_EQ(p.at(8, 0).note, xm::note("C-5"));  // blip's key
    EXPECT_EQ(p.at(8, 0).instrument, 8);
    EXPECT_TRUE(p.at(9, 0).empty());

    EXPECT_EQ(p.at(0, 1).note, xm::note("A-4"));
    EXPECT_EQ(p.at(0, 1).instrument, 6);
    EXPECT_EQ(p.at(0, 1).volume, 0);  // no volume written: the sample's own
    EXPECT_EQ(p.at(3, 1).note, xm::kKeyOff);
    EXPECT_EQ(p.at(4, 1).note, xm::note("B-4"));              // transposed +2
    EXPECT_EQ(p.at(4, 1).volume, xm::volumeColumn::set(20));  // 50 % of the sample's 40
    EXPECT_EQ(p.at(6, 1).volume, xm::volumeColumn::set(16));  // 50 % of 32
    EXPECT_EQ(p.at(9, 1).effect, xm::kSetSpeedTempo);
    EXPECT_EQ(p.at(9, 1).param, 3);
}

TEST(Arranger, EchoesOverlaysAndPanning) {
    const xm::Module m = built(
        "pattern a\n"
        "    melody A-4:40 . C-5 .59 off & :10 :11 :12\n"
        "order a\n");
    const xm::Pattern& p = m.patterns[0];
    // The overlay fills only what is empty: A-4 keeps its 40, the rest take the overlay's.
    EXPECT_EQ(p.at(0, 1).volume, xm::volumeColumn::set(40));
    EXPECT_EQ(p.at(1, 1).volume, xm::volumeColumn::set(11));
    EXPECT_EQ(p.at(2, 1).volume, xm::volumeColumn::set(12));
    EXPECT_EQ(p.at(2, 1).note, xm::note("C-5"));
    // The echo: two rows later, at half the volume, panned, its key-off pushed off the end.
    EXPECT_EQ(p.at(2, 2).note, xm::note("A-4"));
    EXPECT_EQ(p.at(2, 2).volume, xm::volumeColumn::set(20));
    EXPECT_EQ(p.at(2, 2).effect, xm::kSetPanning);
    EXPECT_EQ(p.at(2, 2).param, 32);
    EXPECT_EQ(p.at(4, 2).note, xm::note("C-5"));
    EXPECT_EQ(p.at(4, 2).volume, xm::volumeColumn::set(6));  // half of the overlay's 12
    for (int r = 5; r < 64; ++r) EXPECT_TRUE(p.at(r, 2).empty()) << r;
}

TEST(Arranger, ReleasesLoopedNotesWhereTheirTrackIsLeftOut) {
    const xm::Module m = built(
        "pattern held\n"
        "    melody A-4\n"
        "    drums x\n"
        "pattern after\n"
        "    drums x\n"
        "pattern later\n"
        "    drums .4 x\n"
        "order held after later\n");
    // The held tone is released as the next pattern starts; its echo with it.
    EXPECT_EQ(m.patterns[1].at(0, 1).note, xm::kKeyOff);
    EXPECT_EQ(m.patterns[1].at(0, 2).note, xm::kKeyOff);
    // Nothing held: nothing released. A one-shot drum is never cut.
    EXPECT_TRUE(m.patterns[2].at(0, 1).empty());
    EXPECT_TRUE(m.patterns[1].at(0, 0).note == xm::note("C-4"));
    EXPECT_TRUE(m.patterns[2].at(0, 0).empty());
}

TEST(Arranger, PatternsStartAsCopiesOfOthers) {
    const xm::Module m = built(
        "pattern a\n"
        "    drums x x\n"
        "    melody C-5\n"
        "pattern b from a\n"
        "    melody\n"  // a bare track name silences the inherited line
        "pattern c from b\n"
        "    drums .2 x\n"
        "order a b c\n");
    EXPECT_EQ(m.patterns[1].at(1, 0).note, xm::note("C-4"));
    EXPECT_EQ(m.patterns[1].at(0, 1).note, xm::kKeyOff);  // the held C-5 released
    EXPECT_TRUE(m.patterns[2].at(0, 0).empty());
    EXPECT_EQ(m.patterns[2].at(2, 0).note, xm::note("C-4"));
}

TEST(Arranger, RefusesWhatDoesNotFitWithItsLine) {
    struct Case {
        std::string body;
        const char* expected;
        const char* says;
    };
    // The score's own lines start after the seven instrument and track lines.
    const Case cases[] = {
        {"pattern a\n    drums nothing\norder a\n", "t.score:9: ", "no phrase is called"},
        {"pattern a\n    bongos x\norder a\n", "t.score:9: ", "no track is called 'bongos'"},
        {"pattern a\n    echo x\norder a\n", "t.score:9: ", "takes no notes"},
        {"pattern a\n    drums x@cowbell\norder a\n",
         "t.score:9: ", "no instrument is called 'cowbell'"},
        {"pattern a\n    drums .60 x*5\norder a\n", "t.score:9: ", "runs to row 65"},
        {"phrase hi\n    B-7\npattern a\n    melody hi+1\norder a\n",
         "t.score:11: ", "falls off the keyboard"},
        {"pattern a\norder a missing\n", "t.score:9: ", "pattern 'missing'"},
        {"instrument 9 odd drum decya=3\npattern a\norder a\n",
         "t.score:8: ", "decya=3: kind drum has no such setting"},
        {"instrument 9 odd drum\n    decay=-1\npattern a\norder a\n",
         "t.score:9: ", "decay=-1: wants a number from"},
        {"instrument 9 odd guitar\npattern a\norder a\n", "t.score:8: ", "unknown kind 'guitar'"},
        {"instrument 9 odd synth loop=0.2 length=0.5 reverb=0.3\npattern a\norder a\n",
         "t.score:8: ", "reverb is baked into one-shot sounds"},
        {"instrument 9 odd drum env=0:64,0:0\npattern a\norder a\n",
         "t.score:8: ", "ticks must rise"},
        {"instrument 9 odd drum vibrato=1:2:3\npattern a\norder a\n",
         "t.score:8: ", "TYPE:SWEEP:DEPTH:RATE"},
        {"track loop echo=loop:1:50\npattern a\norder a\n", "t.score:8: ", "echoes 'loop'"},
    };
    for (const Case& c : cases) {
        const std::string error = refusal(c.body);
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << c.body << " -> " << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.body << " -> " << error;
    }
}

TEST(Arranger, TheSameScoreGivesTheSameBytes) {
    const std::string body =
        "instrument 9 hiss noise length=0.1\n"
        "pattern a\n    drums x x@hiss\norder a\n";
    std::vector<uint8_t> first, second;
    ASSERT_TRUE(xm::write(built(body), first));
    ASSERT_TRUE(xm::write(built(body), second));
    EXPECT_EQ(first, second);
    // The noise comes from a seed of the score's own: another seed, other bytes.
    std::vector<uint8_t> reseeded;
    const std::string other =
        "instrument 9 hiss noise length=0.1 seed=5\n"
        "pattern a\n    drums x x@hiss\norder a\n";
    ASSERT_TRUE(xm::write(built(other), reseeded));
    EXPECT_EQ(reseeded.size(), first.size());
    EXPECT_NE(reseeded, first);
}

}  // namespace
