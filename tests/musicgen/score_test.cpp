// The score language: how it says what is wrong, and where. (What it reads is checked through
// the modules the arranger makes of it.)
#include <gtest/gtest.h>

#include <string>

#include "tools/musicgen/score.h"

namespace {

const char kHeader[] =
    "title \"Song\"\n"
    "tempo 120\n"
    "instrument 0 kick drum decay=0.2\n"
    "track drums kick\n";

TEST(ScoreParser, RefusesMalformedInputWithItsLine) {
    const struct {
        std::string text;
        const char* expected;  // "t.score:LINE: " and a part of the message
        const char* says;
    } cases[] = {
        {"tempo 31\n", "t.score:5: ", "tempo wants one number from 32 to 255"},
        {"colour red\n", "t.score:5: ", "unknown directive 'colour'"},
        {"    x . .\n", "t.score:5: ", "continues a directive"},
        {"title \"open\n", "t.score:5: ", "quotation is not closed"},
        {"instrument 50 acc drum\n", "t.score:5: ", "slot 50"},
        {"instrument 0 other drum\n", "t.score:5: ", "slot 0 is taken by 'kick' (line 3)"},
        {"instrument 128 far drum\n", "t.score:5: ", "not a number from 0 to 127"},
        {"instrument 1 k2 drum decay\n", "t.score:5: ", "'decay' is not a setting"},
        {"phrase pq\n    H-4\n", "t.score:6: ", "'H-4' is not a note"},
        {"phrase pq\n    x:65\n", "t.score:6: ", "volume after ':' runs from 0 to 64"},
        {"phrase pq\n    x+A4\n", "t.score:6: ", "an effect is a command letter"},
        {"phrase pq\n    x*2:40\n", "t.score:6: ", "'*N' comes last"},
        {"phrase pq\n    :10@kick\n", "t.score:6: ", "an instrument needs a note"},
        {"pattern a from nowhere\n", "t.score:5: ", "starts from 'nowhere'"},
        {"pattern a\n    drums x\n    drums x\n", "t.score:7: ", "already has a line"},
        {"pattern a\n    drums beat%401\n", "t.score:6: ", "%volume (0..400)"},
        {"track t echo=drums:0:50\n", "t.score:5: ", "echo=TRACK:ROWS:PERCENT"},
        {"track t kick kick\n", "t.score:5: ", "neither its instrument"},
        {"pattern a\n", "t.score:5: ", "no order list"},
    };
    for (const auto& c : cases) {
        score::Score s;
        std::string error;
        EXPECT_FALSE(score::parse(kHeader + c.text, "t.score", s, error)) << c.text;
        EXPECT_EQ(error.rfind(c.expected, 0), 0u) << c.text << " -> " << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.text << " -> " << error;
    }
    score::Score s;
    std::string error;
    EXPECT_FALSE(score::parseFile("/nonexistent/song.score", s, error));
    EXPECT_EQ(error, "/nonexistent/song.score: cannot be read");
}

}  // namespace
