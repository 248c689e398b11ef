#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_loop.h"
#include "tests/support/test_support.h"

namespace {

// What the frame function saw, frame by frame.
struct FrameLog {
    std::vector<float> times;
    std::vector<std::string> titles;
    int stopAfter = -1;  // return false on this frame (1-based)
};
FrameLog g_log;

bool recordFrame(void*, float time, float) {
    g_log.times.push_back(time);
    g_log.titles.emplace_back(platform::windowTitle(g_demoWindow.window));
    // Each frame takes a different time, so each caption differs from the last.
    platform::advanceManualClock(1000 + static_cast<int64_t>(g_log.times.size()));
    return static_cast<int>(g_log.times.size()) != g_log.stopAfter;
}

void post(platform::EventKind kind, int key = platform::KeyUnknown) {
    platform::Event e;
    e.kind = kind;
    e.key = key;
    platform::postEvent(e);
}

class MainLoopTest : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        platform::Event e;
        while (platform::pollEvent(e)) {
        }
        g_log = FrameLog{};
        platform::useManualClock(60000);
        g_demoWindow.frameClock.reset();
        g_demoWindow.setTitle("Vexil Palisade 2.0");
        g_demoWindow.title = "Vexil Palisade 2.0";
        g_demoWindow.fullscreen = false;
    }
    void TearDown() override {
        g_demoWindow.fullscreen = false;
        platform::useRealClock();
    }

    // Iterates until the loop stops or the limit is reached; returns the iterations run.
    static int runFor(MainLoop& loop, int limit) {
        int n = 0;
        while (n < limit && loop.iterate()) ++n;
        return n;
    }
};

TEST_F(MainLoopTest, EscapeEndsTheLoopOnTheNextIteration) {
    MainLoop loop(g_demoWindow, recordFrame);
    loop.start();
    runFor(loop, 3);
    EXPECT_EQ(g_log.times.size(), 3u);
    post(platform::EventKind::KeyDown, platform::KeyEscape);
    EXPECT_TRUE(loop.iterate());   // takes the key, posts the quit
    EXPECT_FALSE(loop.iterate());  // takes the quit
    EXPECT_EQ(g_log.times.size(), 3u);
    EXPECT_FALSE(loop.iterate());
}

TEST_F(MainLoopTest, CloseBoxBehavesLikeEscape) {
    MainLoop loop(g_demoWindow, recordFrame);
    loop.start();
    post(platform::EventKind::CloseRequested);
    EXPECT_TRUE(loop.iterate());
    EXPECT_FALSE(loop.iterate());
    EXPECT_TRUE(g_log.times.empty());
    EXPECT_NE(g_demoWindow.window, nullptr);  // the loop never destroys the window
}

TEST_F(MainLoopTest, OtherKeysAndEventsOnlyDelayFrames) {
    MainLoop loop(g_demoWindow, recordFrame);
    loop.start();
    for (int i = 0; i < 5; ++i) post(platform::EventKind::Other);
    post(platform::EventKind::KeyDown, platform::KeyUnknown);
    // One event per iteration: six iterations without a frame, then frames again.
    EXPECT_EQ(runFor(loop, 6), 6);
    EXPECT_TRUE(g_log.times.empty());
    EXPECT_EQ(runFor(loop, 2), 2);
    EXPECT_EQ(g_log.times.size(), 2u);
}

TEST_F(MainLoopTest, FramesGetTheClockTimes) {
    MainLoop loop(g_demoWindow, recordFrame);
    loop.start();
    runFor(loop, 3);
    ASSERT_EQ(g_log.times.size(), 3u);
    EXPECT_FLOAT_EQ(g_log.times[0], 0.0f);
    EXPECT_FLOAT_EQ(g_log.times[1], 1001.0f / 60000.0f);
    EXPECT_FLOAT_EQ(g_log.times[2], 2003.0f / 60000.0f);
}

TEST_F(MainLoopTest, CaptionOnThe22ndFrameThenEvery21st) {
    MainLoop loop(g_demoWindow, recordFrame);
    loop.start();
    runFor(loop, 70);
    ASSERT_EQ(g_log.titles.size(), 70u);
    std::vector<int> changes;  // 1-based frames whose caption differs from the one before
    for (size_t i = 1; i < g_log.titles.size(); ++i)
        if (g_log.titles[i] != g_log.titles[i - 1]) changes.push_back(int(i) + 1);
    EXPECT_EQ(changes, (std::vector<int>{22, 43, 64}));
    // The rate of the single frame before the 22nd: 60000 / 1021 ticks.
    char expected[128];
    std::snprintf(expected, sizeof expected, "Vexil Palisade 2.0  -  %3.1f FPS", 60000.0 / 1021);
    EXPECT_EQ(g_log.titles[21], expected);
    EXPECT_EQ(g_log.titles[0], "Vexil Palisade 2.0");
}

TEST_F(MainLoopTest, NoCaptionInFullScreen) {
    g_demoWindow.fullscreen = true;
    MainLoop loop(g_demoWindow, recordFrame);
    loop.start();
    runFor(loop, 50);
    for (const std::string& t : g_log.titles) EXPECT_EQ(t, "Vexil Palisade 2.0");
}

TEST_F(MainLoopTest, FrameReturningFalseStopsAfterPresenting) {
    g_log.stopAfter = 4;
    MainLoop loop(g_demoWindow, recordFrame);
    loop.start();
    EXPECT_EQ(runFor(loop, 100), 3);
    EXPECT_FALSE(loop.running());
    EXPECT_EQ(g_log.times.size(), 4u);
}

}  // namespace
