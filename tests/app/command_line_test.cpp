#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

struct Parsed {
    bool ok;
    LaunchOptions options;
    std::string error;
};

Parsed parse(std::vector<const char*> args) {
    args.insert(args.begin(), "palisade");
    Parsed p;
    p.ok = parseCommandLine(int(args.size()), args.data(), p.options, p.error);
    return p;
}

TEST(CommandLine, NoOptionsKeepsTheClassicBehaviour) {
    const Parsed p = parse({});
    ASSERT_TRUE(p.ok);
    EXPECT_FALSE(p.options.lockstep());
    EXPECT_FALSE(p.options.noDialog);
    EXPECT_EQ(p.options.dataPath, "data.rar");
    EXPECT_EQ(p.options.startOrder, -1);
    EXPECT_EQ(p.options.width, 640);
    EXPECT_EQ(p.options.colorBits, 32);
}

TEST(CommandLine, DisplayAndDataOptions) {
    const Parsed p = parse({"--window", "1024x768", "--depth", "16", "--fullscreen", "--data",
                            "other.rar", "--start-order", "7", "--no-dialog", "--loop"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(p.options.windowGiven);
    EXPECT_EQ(p.options.width, 1024);
    EXPECT_EQ(p.options.height, 768);
    EXPECT_EQ(p.options.colorBits, 16);
    EXPECT_TRUE(p.options.fullscreen);
    EXPECT_EQ(p.options.dataPath, "other.rar");
    EXPECT_EQ(p.options.startOrder, 7);
    EXPECT_TRUE(p.options.loop);
}

TEST(CommandLine, LockstepFrameCounts) {
    Parsed p = parse({"--capture", "out", "--fps", "30", "--duration", "56"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.lockstepFrames(), 1680);
    p = parse({"--measure", "--frames", "100", "--clear-only"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.lockstepFrames(), 100);
    p = parse({"--capture", "out", "--fps", "24", "--duration", "0.1"});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.options.lockstepFrames(), 3);  // a partial frame still gets drawn
}

TEST(CommandLine, RefusesWhatItCannotUse) {
    const std::vector<std::vector<const char*>> bad = {
        {"--window", "800"},
        {"--window", "0x600"},
        {"--window"},
        {"--depth", "24"},
        {"--fps", "0"},
        {"--frames", "-3"},
        {"--duration", "nan"},
        {"--start-order", "x"},
        {"--capture", "out"},  // no length
        {"--frames", "10"},    // no lockstep mode
        {"--capture", "out", "--measure", "--frames", "5"},
        {"--capture", "out", "--frames", "5", "--duration", "1"},
        {"--clear-only"},
        {"--video", "out.mp4", "--loop"},  // looping is for real time
        {"--bogus"},
    };
    for (const auto& args : bad) {
        const Parsed p = parse(args);
        EXPECT_FALSE(p.ok) << args[0];
        EXPECT_FALSE(p.error.empty()) << args[0];
    }
}

}  // namespace
