// musicgen as users run it.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/support/test_support.h"

namespace {

testsupport::ToolRun musicgen(const std::string& arguments) {
    return testsupport::runCommand(std::string(MUSICGEN_PATH) + " " + arguments + " 2>&1");
}

const char kSmallScore[] =
    "tempo 125\n"
    "instrument 0 kick drum decay=0.05 length=0.1\n"
    "track t kick\n"
    "pattern a\n"
    "    t x . . . x\n"
    "order a a\n";

TEST(MusicgenTool, WritesTheModuleAndExplainsFailures) {
    testsupport::TempDir temp;
    const std::string score = temp.file("tool.score"), out = temp.file("tool.xm");
    std::ofstream(score) << kSmallScore;
    // What --out writes is checked on the production's music: the build writes it so.
    ASSERT_EQ(musicgen("--out " + out + " " + score).status, 0);

    const std::string bad = temp.file("bad.score");
    std::ofstream(bad) << kSmallScore << "order a b\n";
    const testsupport::ToolRun refused = musicgen("--out " + out + " " + bad);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("bad.score:7: the order list names pattern 'b'"), std::string::npos)
        << refused.out;
    EXPECT_EQ(musicgen(score).status, 2);  // nothing asked of it
    EXPECT_EQ(musicgen("--frobnicate " + score).status, 2);
    EXPECT_EQ(musicgen("--size 10 --stats " + score).status, 2);
    EXPECT_EQ(musicgen("--stats --solo nobody " + score).status, 1);
    EXPECT_EQ(musicgen("--out /nonexistent/dir/x.xm " + score).status, 1);

    // Two orders of 64 rows at tempo 125, speed 6: 2 x 7.68 s.
    const testsupport::ToolRun stats = musicgen("--stats " + score);
    ASSERT_EQ(stats.status, 0) << stats.out;
    EXPECT_NE(stats.out.find("Length 15.360"), std::string::npos) << stats.out;
    EXPECT_NE(stats.out.find("\n    1    7.680 "), std::string::npos) << stats.out;
    const std::string png = temp.file("s.png"), wav = temp.file("s.wav");
    ASSERT_EQ(musicgen("--spectrogram " + png + " --size 64x32 --wav " + wav + " " + score).status,
              0);
    EXPECT_EQ(testsupport::readFile(wav).size(), 44u + 2 * 64 * 5292 * 4);  // 16-bit stereo
    EXPECT_FALSE(testsupport::readFile(png).empty());
}

}  // namespace
