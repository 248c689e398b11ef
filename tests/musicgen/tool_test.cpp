// musicgen as users run it, and the spectrogram it draws.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"

#include <IL/il.h>
#include <sys/wait.h>

#include <cmath>
#include <fstream>
#include <string>

#include "tools/musicgen/arranger.h"
#include "tools/musicgen/dsp.h"
#include "tools/musicgen/spectrogram.h"

namespace {

using testsupport::ToolRun;

ToolRun musicgen(const std::string& arguments) {
    return testsupport::runCommand(std::string(MUSICGEN_PATH) + " " + arguments + " 2>&1");
}

std::string writeText(const testsupport::TempDir& temp, const char* name, const std::string& text) {
    std::ofstream(temp.file(name), std::ios::binary) << text;
    return temp.file(name);
}

const char kSmallScore[] =
    "tempo 125\n"
    "instrument 0 kick drum decay=0.05 length=0.1\n"
    "track t kick\n"
    "pattern a\n"
    "    t x . . . x\n"
    "order a a\n";

TEST(MusicgenTool, WritesTheModuleAndExplainsFailures) {
    const ToolRun help = musicgen("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: musicgen"), std::string::npos);

    testsupport::TempDir temp;
    const std::string score = writeText(temp, "tool.score", kSmallScore);
    const std::string out = temp.file("tool.xm");
    ASSERT_EQ(musicgen("--out " + out + " " + score).status, 0);
    std::vector<uint8_t> expected;
    std::string error;
    ASSERT_TRUE(generateModule(score, expected, error)) << error;
    EXPECT_EQ(testsupport::readFile(out), expected);

    const std::string bad = writeText(temp, "bad.score", std::string(kSmallScore) + "order a b\n");
    const ToolRun refused = musicgen("--out " + out + " " + bad);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("bad.score:7: the order list names pattern 'b'"), std::string::npos)
        << refused.out;

    EXPECT_EQ(musicgen(score).status, 2);  // nothing asked of it
    EXPECT_EQ(musicgen("--frobnicate " + score).status, 2);
    EXPECT_EQ(musicgen("--size 10 --stats " + score).status, 2);
    EXPECT_EQ(musicgen("--stats --solo nobody " + score).status, 1);
    EXPECT_EQ(musicgen("--out /nonexistent/dir/x.xm " + score).status, 1);
}

TEST(MusicgenTool, StatsReportLengthLevelsAndSync) {
    testsupport::TempDir temp;
    const std::string score = writeText(temp, "stats.score", kSmallScore);
    const ToolRun stats = musicgen("--stats " + score);
    ASSERT_EQ(stats.status, 0) << stats.out;
    // Two orders of 64 rows at tempo 125, speed 6: 2 x 7.68 s.
    EXPECT_NE(stats.out.find("Length 15.36"), std::string::npos) << stats.out;
    EXPECT_NE(stats.out.find("\n    1    7.680 "), std::string::npos) << stats.out;
}

TEST(Spectrogram, ToneLandsOnItsRowAndThePictureKeepsItsWayUp) {
    // A 1 kHz tone for two seconds, silence for two.
    std::vector<float> pcm(2 * 4 * 44100, 0.0f);
    for (size_t i = 0; i < 2 * 44100; ++i) {
        pcm[2 * i] = pcm[2 * i + 1] =
            static_cast<float>(0.5 * std::sin(dsp::kTwoPi * 1000.0 * i / 44100));
    }
    const int width = 64, height = 200;
    const Picture p = drawSpectrogram(pcm, 44100, width, height, {{0.0, 2.0}, {}});
    ASSERT_EQ(p.width, width);
    ASSERT_EQ(p.height, height + height / 4);
    const auto brightness = [&](int x, int y) {
        const uint8_t* px = &p.rgb[3 * (static_cast<size_t>(y) * p.width + x)];
        return px[0] + px[1] + px[2];
    };
    // 1 kHz sits at log(1000/30)/log(20000/30) of the way up from the bottom.
    const int expectedRow = static_cast<int>(
        std::lround((1.0 - std::log(1000.0 / 30.0) / std::log(20000.0 / 30.0)) * height));
    int brightest = 0;
    for (int y = 20; y < height - 20; ++y) {  // clear of the tick marks
        if (brightness(16, y) > brightness(16, brightest)) brightest = y;
    }
    EXPECT_NEAR(brightest, expectedRow, 2);
    EXPECT_LT(brightness(48, expectedRow), brightness(16, expectedRow) / 4);  // silence after

    // Written and read back, the top row stays on top.
    testsupport::TempDir temp;
    const std::string path = temp.file("spectrogram.png");
    std::string error;
    ASSERT_TRUE(writePng(p, path, error)) << error;
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    ASSERT_TRUE(ilLoadImage(path.c_str()));
    ASSERT_TRUE(ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE));
    EXPECT_EQ(ilGetInteger(IL_IMAGE_WIDTH), p.width);
    EXPECT_EQ(ilGetInteger(IL_IMAGE_HEIGHT), p.height);
    const uint8_t* data = ilGetData();
    for (int y : {expectedRow, p.height - 1}) {
        const size_t at = 3 * (static_cast<size_t>(y) * p.width + 16);
        EXPECT_EQ(data[at], p.rgb[at]) << y;
        EXPECT_EQ(data[at + 1], p.rgb[at + 1]) << y;
    }
    ilDeleteImages(1, &image);
}

}  // namespace
