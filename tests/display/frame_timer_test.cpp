#include <gtest/gtest.h>

#include "display/frame_timer.h"
#include "platform/platform.h"

namespace {

// A counter of 1000 ticks a second that moves only when told to: 1 tick is 1 ms.
class ManualClock : public ::testing::Test {
  protected:
    void SetUp() override { platform::useManualClock(1000); }
    void TearDown() override { platform::useRealClock(); }
    static void advance(int64_t ms) { platform::advanceManualClock(ms); }
};

TEST_F(ManualClock, OneReadingGivesTheFrameTimeAndTheElapsedTime) {
    FrameTimer t;
    advance(500);  // between construction and start
    t.start();
    advance(250);
    t.update();
    // The first frame counts from construction, the elapsed time from start().
    EXPECT_DOUBLE_EQ(t.frameSeconds(), 0.75);
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.25);
    advance(20);
    t.update();
    EXPECT_DOUBLE_EQ(t.frameSeconds(), 0.02);
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.27);
    EXPECT_DOUBLE_EQ(t.framesPerSecond(), 50.0);  // of the last frame only: 1 / 0.02
}

TEST_F(ManualClock, PauseStopsTheTimeAndTheFrameSpanAcrossIt) {
    FrameTimer t;
    t.start();
    advance(100);
    t.update();
    advance(50);
    t.pause();
    EXPECT_TRUE(t.paused());
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.15);
    advance(1000);
    t.update();
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.15);
    t.resume();
    advance(20);
    t.update();
    // The frame read during the pause ends the span before it: 20 ms since going on.
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.17);
    EXPECT_DOUBLE_EQ(t.frameSeconds(), 0.02);

    // No frame while paused: the next frame's span is the time before and after the pause.
    advance(5);
    t.pause();
    advance(2000);
    t.pause();  // a second pause or resume changes nothing
    advance(3000);
    t.resume();
    t.resume();
    advance(10);
    t.update();
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.185);
    EXPECT_DOUBLE_EQ(t.frameSeconds(), 0.015);
}

TEST_F(ManualClock, StartsAtAGivenTimeRunningOrPaused) {
    FrameTimer t;
    t.startAt(2.5);  // mid-song: 2500 ticks ago
    advance(100);
    t.update();
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 2.6);
    EXPECT_DOUBLE_EQ(t.frameSeconds(), 0.1);

    // Paused, the elapsed time reads the new start at once and keeps it until going on.
    t.pause();
    advance(50);
    t.startAt(1.25);
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 1.25);
    t.update();
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 1.25);
    t.resume();
    advance(20);
    t.update();
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 1.27);

    // start() while paused starts at the pause: 0 on going on, whatever the pause lasted.
    t.pause();
    advance(300);
    t.start();
    t.update();
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.0);
    t.resume();
    advance(40);
    t.update();
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.04);
}

TEST_F(ManualClock, ResetTakesTheNewFrequencyAndEndsAPause) {
    FrameTimer t;
    advance(70);
    t.update();
    t.pause();
    platform::useManualClock(250);  // 4 ms a tick
    t.reset();
    EXPECT_FALSE(t.paused());
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.0);
    EXPECT_DOUBLE_EQ(t.frameSeconds(), 0.0);
    advance(5);
    t.update();
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.02);
    EXPECT_DOUBLE_EQ(t.frameSeconds(), 0.02);
}

}  // namespace
