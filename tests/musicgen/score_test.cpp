// The score language: what it reads, and how it says what is wrong.
#include <gtest/gtest.h>

#include <string>

#include "tools/musicgen/score.h"

namespace {

score::Score parsed(const std::string& text) {
    score::Score s;
    std::string error;
    EXPECT_TRUE(score::parse(text, "t.score", s, error)) << error;
    return s;
}

// The message for a score that must be refused; empty if it was accepted.
std::string refusal(const std::string& text) {
    score::Score s;
    std::string error;
    return score::parse(text, "t.score", s, error) ? std::string() : error;
}

const char kHeader[] =
    "title \"Song\"\n"
    "tempo 120\n"
    "instrument 0 kick drum decay=0.2\n"
    "track drums kick\n";

TEST(ScoreParser, ReadsDirectivesBlocksAndContinuations) {
    const score::Score s = parsed(std::string(kHeader) +
                                  "# a comment line\n"
                                  "instrument 3 lead synth wave=saw   # trailing comment\n"
                                  "    cutoff=900 label=\"Lead synth\"\n"
                                  "track echo echo=drums:3:50 pan=200\n"
                                  "phrase beat @kick\n"
                                  "    x . x:40 .\n"
                                  "    C#4+A04 off .3\n"
                                  "pattern a\n"
                                  "    drums beat*2 beat+3%50 .2\n"
                                  "pattern b from a\n"
                                  "order a b\n"
                                  "    a\n");
    EXPECT_EQ(s.title, "Song");
    EXPECT_EQ(s.tempo, 120);
    ASSERT_EQ(s.instruments.size(), 2u);
    EXPECT_EQ(s.instruments[1].slot, 3);
    ASSERT_EQ(s.instruments[1].settings.size(), 3u);
    EXPECT_EQ(s.instruments[1].settings[1].key, "cutoff");
    EXPECT_EQ(s.instruments[1].settings[1].line, 7);
    EXPECT_EQ(s.instruments[1].settings[2].value, "Lead synth");
    const score::TrackDef* echo = s.findTrack("echo");
    ASSERT_NE(echo, nullptr);
    EXPECT_EQ(echo->echoOf, "drums");
    EXPECT_EQ(echo->echoDelay, 3);
    EXPECT_EQ(echo->echoPercent, 50);
    EXPECT_EQ(echo->pan, 200);

    const score::PhraseDef* beat = s.findPhrase("beat");
    ASSERT_NE(beat, nullptr);
    EXPECT_EQ(beat->instrument, "kick");
    ASSERT_EQ(beat->steps.size(), 9u);  // x . x . C#4 off and three rests
    EXPECT_TRUE(beat->steps[0].ownPitch);
    EXPECT_TRUE(beat->steps[1].empty());
    EXPECT_EQ(beat->steps[2].volume, 40);
    EXPECT_EQ(beat->steps[4].note, 50);  // C#4
    EXPECT_TRUE(beat->steps[4].hasEffect);
    EXPECT_EQ(beat->steps[4].effect, 0x0A);
    EXPECT_EQ(beat->steps[4].param, 0x04);
    EXPECT_EQ(beat->steps[5].note, 97);  // key off

    const score::PatternDef* a = s.findPattern("a");
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->lines.size(), 1u);
    const std::vector<score::Item>& items = a->lines[0].items;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].repeat, 2);
    EXPECT_EQ(items[1].transpose, 3);
    EXPECT_EQ(items[1].volumePercent, 50);
    EXPECT_EQ(items[2].steps.size(), 2u);  // the rests written in place
    EXPECT_EQ(s.findPattern("b")->base, "a");
    ASSERT_EQ(s.orders.size(), 3u);
    EXPECT_EQ(s.orders[2].pattern, "a");
}

TEST(ScoreParser, StepsCarryInstrumentsEffectsAndRepeats) {
    const score::Score s = parsed(std::string(kHeader) +
                                  "phrase pq\n"
                                  "    x@kick:64*3 +G3F :20 +EB1*2 ===\n"
                                  "pattern a\n"
                                  "    drums pq-2@kick x . & :10*4\n"
                                  "order a\n");
    const std::vector<score::Step>& steps = s.findPhrase("pq")->steps;
    ASSERT_EQ(steps.size(), 8u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(steps[i].instrument, "kick");
        EXPECT_EQ(steps[i].volume, 64);
    }
    EXPECT_EQ(steps[3].effect, 0x10);  // G: global volume
    EXPECT_EQ(steps[3].param, 0x3F);
    EXPECT_FALSE(steps[4].note);
    EXPECT_EQ(steps[4].volume, 20);
    EXPECT_EQ(steps[6].effect, 0x0E);
    EXPECT_EQ(steps[7].note, 97);

    const std::vector<score::Item>& items = s.findPattern("a")->lines[0].items;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].transpose, -2);
    EXPECT_EQ(items[0].instrument, "kick");
    EXPECT_EQ(items[1].steps.size(), 2u);
    EXPECT_EQ(items[1].layer, 0);
    EXPECT_EQ(items[2].layer, 1);  // after '&'
    EXPECT_EQ(items[2].steps.size(), 4u);
}

TEST(ScoreParser, RefusesMalformedInputWithItsLine) {
    struct Case {
        std::string text;
        const char* expected;  // "t.score:LINE: " and a part of the message
        const char* says;
    };
    const std::string h = kHeader;  // four lines
    const Case cases[] = {
        {h + "tempo 300\n", "t.score:5: ", "tempo wants one number from 32 to 255"},
        {h + "speed\n", "t.score:5: ", "speed wants one number"},
        {h + "colour red\n", "t.score:5: ", "unknown directive 'colour'"},
        {"    x . .\n", "t.score:1: ", "continues a directive"},
        {h + "title \"open\n", "t.score:5: ", "quotation is not closed"},
        {h + "instrument 50 acc drum\n", "t.score:5: ", "slot 50"},
        {h + "instrument 0 other drum\n", "t.score:5: ", "slot 0 is taken by 'kick' (line 3)"},
        {h + "instrument 200 far drum\n", "t.score:5: ", "not a number from 0 to 127"},
        {h + "instrument 1 kick drum\n", "t.score:5: ", "instrument 'kick' is defined twice"},
        {h + "instrument 1 k2 drum decay\n", "t.score:5: ", "'decay' is not a setting"},
        {h + "phrase pq\n    H-4\n", "t.score:6: ", "'H-4' is not a note"},
        {h + "phrase pq\n    C-9\n", "t.score:6: ", "'C-9' is not a note"},
        {h + "phrase pq\n    x:65\n", "t.score:6: ", "volume after ':' runs from 0 to 64"},
        {h + "phrase pq\n    x+Z01\n", "t.score:6: ", "an effect is a command letter"},
        {h + "phrase pq\n    x+A4\n", "t.score:6: ", "an effect is a command letter"},
        {h + "phrase pq\n    .0\n", "t.score:6: ", "not a rest"},
        {h + "phrase pq\n    x*0\n", "t.score:6: ", "'*N' comes last"},
        {h + "phrase pq\n    x*2:40\n", "t.score:6: ", "'*N' comes last"},
        {h + "phrase x\n", "t.score:5: ", "reads as a step"},
        {h + "phrase off\n", "t.score:5: ", "reads as a step"},
        {h + "phrase 9lives\n", "t.score:5: ", "not a name for a phrase"},
        {h + "phrase pp\nphrase pp\n", "t.score:6: ", "phrase 'pp' is defined twice"},
        {h + "pattern a from nowhere\n", "t.score:5: ", "starts from 'nowhere'"},
        {h + "pattern a\n    drums x\n    drums x\n", "t.score:7: ", "already has a line"},
        {h + "pattern a\n    drums beat%500\n", "t.score:6: ", "%volume (0..400)"},
        {h + "pattern a\n    drums C-4@\n", "t.score:6: ", "'@' wants an instrument name"},
        {h + "track t echo=drums:0:50\n", "t.score:5: ", "echo=TRACK:ROWS:PERCENT"},
        {h + "track t kick kick\n", "t.score:5: ", "neither its instrument"},
        {h + "pattern a\n", "t.score:5: ", "no order list"},
    };
    for (const Case& c : cases) {
        const std::string error = refusal(c.text);
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << c.text << " -> " << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.text << " -> " << error;
    }
}

TEST(ScoreParser, ReadsWindowsLineEndingsAndReportsUnreadableFiles) {
    const score::Score s = parsed(
        "tempo 125\r\ninstrument 0 k drum\r\ntrack t k\r\n"
        "pattern a\r\n    t x\r\norder a\r\n");
    EXPECT_EQ(s.tempo, 125);
    EXPECT_EQ(s.orders.size(), 1u);

    score::Score out;
    std::string error;
    EXPECT_FALSE(score::parseFile("/nonexistent/song.score", out, error));
    EXPECT_NE(error.find("/nonexistent/song.score"), std::string::npos);
}

}  // namespace
