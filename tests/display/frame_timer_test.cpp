#include <gtest/gtest.h>

#include "display/frame_timer.h"
#include "platform/platform.h"

namespace {

class ManualClock : public ::testing::Test {
  protected:
    void SetUp() override { platform::useManualClock(1000); }
    void TearDown() override { platform::useRealClock(); }
};

TEST_F(ManualClock, OneReadingGivesFrameTimeAndElapsed) {
    FrameTimer t;
    t.reset();
    platform::advanceManualClock(500);  // time between construction and start
    t.start();
    platform::advanceManualClock(250);
    t.update();
    // The first frame counts from the last reading (construction), elapsed from start().
    EXPECT_DOUBLE_EQ(t.frameSeconds(), 0.75);
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.25);
    platform::advanceManualClock(20);
    t.update();
    EXPECT_DOUBLE_EQ(t.frameSeconds(), 0.02);
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.27);
    EXPECT_DOUBLE_EQ(t.framesPerSecond(), 50.0);
}

TEST_F(ManualClock, RateIsOfTheLastFrameOnly) {
    FrameTimer t;
    t.reset();
    t.start();
    platform::advanceManualClock(10);
    t.update();
    platform::advanceManualClock(100);
    t.update();
    EXPECT_DOUBLE_EQ(t.framesPerSecond(), 10.0);
}

TEST_F(ManualClock, PauseStopsTheTimeAndTheFrameSpanAcrossIt) {
    FrameTimer t;
    t.reset();
    t.start();
    platform::advanceManualClock(100);
    t.update();
    platform::advanceManualClock(50);
    t.pause();
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.15);
    platform::advanceManualClock(1000);
    t.update();
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.15);
    t.resume();
    platform::advanceManualClock(20);
    t.update();
    // The frame read during the pause ends the span before it: 20 ms since going on.
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.17);
    EXPECT_DOUBLE_EQ(t.frameSeconds(), 0.02);

    // No frame while paused: the next frame's span is the time before and after the pause.
    platform::advanceManualClock(5);
    t.pause();
    platform::advanceManualClock(5000);
    t.resume();
    platform::advanceManualClock(10);
    t.update();
    EXPECT_DOUBLE_EQ(t.elapsedSeconds(), 0.185);
    EXPECT_DOUBLE_EQ(t.frameSeconds(), 0.015);
}

TEST(RealClock, Advances) {
    FrameTimer t;
    t.start();
    const int64_t before = platform::counter();
    while (platform::counter() - before < platform::counterFrequency() / 200) {
    }
    t.update();
    EXPECT_GT(t.elapsedSeconds(), 0.004);
    EXPECT_LT(t.elapsedSeconds(), 5.0);
}

}  // namespace
