// Runs the production itself in lockstep and compares what two runs wrote.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

std::vector<char> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

int runPalisade(const std::string& arguments) {
    return testsupport::runCommand(std::string("SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ") +
                                   PALISADE_EXE + " --data " + PALISADE_DATA + " " + arguments +
                                   " 2>&1")
        .status;
}

TEST(Capture, TwoRunsOfTheSameSpanAreIdentical) {
    const fs::path base = fs::temp_directory_path() / "palisade_capture_test";
    fs::remove_all(base);
    const std::string span = " --window 160x120 --fps 25 --frames 6 --start-order 4";
    ASSERT_EQ(runPalisade("--capture " + (base / "a").string() + span), 0);
    ASSERT_EQ(runPalisade("--capture " + (base / "b").string() + span), 0);

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(base / "a"))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names.size(), 7u);  // six frames and the sound
    for (const std::string& name : names) {
        const auto a = readFile(base / "a" / name);
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, readFile(base / "b" / name)) << name;
    }
    // The sound covers the six frames: 6 / 25 s of 16-bit stereo after a 44-byte header.
    EXPECT_EQ(readFile(base / "a" / "audio.wav").size(), 44u + 44100 * 6 / 25 * 4);
    fs::remove_all(base);
}

TEST(Capture, RefusesALockstepRunWithoutALength) {
    EXPECT_EQ(runPalisade("--capture /tmp/palisade_never_written"), 2);
    EXPECT_FALSE(fs::exists("/tmp/palisade_never_written"));
}

}  // namespace
