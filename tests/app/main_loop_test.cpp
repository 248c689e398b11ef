#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <SDL.h>

#include "app/main_loop.h"
#include "app/playback_controls.h"
#include "music/music_player.h"
#include "tests/music/test_songs.h"
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

TEST_F(MainLoopTest, EscapeAndTheCloseBoxEndTheLoopOnTheNextIteration) {
    for (const platform::EventKind kind :
         {platform::EventKind::KeyDown, platform::EventKind::CloseRequested}) {
        g_log = FrameLog{};
        MainLoop loop(g_demoWindow, recordFrame);
        loop.start();
        runFor(loop, 3);
        EXPECT_EQ(g_log.times.size(), 3u);
        post(kind,
             kind == platform::EventKind::KeyDown ? platform::KeyEscape : platform::KeyUnknown);
        EXPECT_TRUE(loop.iterate());   // takes the event, posts the quit
        EXPECT_FALSE(loop.iterate());  // takes the quit
        EXPECT_EQ(g_log.times.size(), 3u);
        EXPECT_FALSE(loop.iterate());
        EXPECT_NE(g_demoWindow.window, nullptr);  // the loop never destroys the window
    }
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

namespace {

using testsongs::kRate;

// What the frame function saw with the playback controls at work.
struct Seen {
    float time;
    float delta;
    int order;
};
struct ControlsLog {
    MusicPlayer* player = nullptr;
    std::vector<Seen> frames;
};
ControlsLog g_controlsLog;

// A 60 Hz frame on the manual clock (one tick per music frame).
bool playedFrame(void*, float time, float delta) {
    g_controlsLog.frames.push_back({time, delta, g_controlsLog.player->getOrder()});
    platform::advanceManualClock(kRate / 60);
    return true;
}

// The window's loop with the keys, over a silent player on the manual clock: three orders of
// 16 rows at speed 6, 84672 frames (1.92 s) each.
class PlaybackKeys : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        platform::Event e;
        while (platform::pollEvent(e)) {
        }
        platform::useManualClock(kRate);
        g_demoWindow.frameClock.reset();
        g_controlsLog = ControlsLog{};
        g_controlsLog.player = &player;
        ASSERT_TRUE(player.init(kRate, 32));
    }
    void TearDown() override {
        player.close();
        platform::useRealClock();
    }
    // Plays the song with the keys at work, for `frames` frames.
    void start(const xm::Module& song, bool loopOn, int frames) {
        const std::vector<uint8_t> bytes = testsongs::bytesOf(song);
        ASSERT_TRUE(player.openMemory(bytes.data(), bytes.size(), false));
        ASSERT_TRUE(player.play());
        g_controlsLog.frames.clear();
        controls = std::make_unique<PlaybackControls>(g_demoWindow.frameClock, player, loopOn);
        loop = std::make_unique<MainLoop>(g_demoWindow, playedFrame);
        loop->setControls(controls.get());
        loop->start();
        for (int i = 0; i < frames; ++i) loop->stepFrame();
    }
    // Posts the key and runs the loop until one more frame has been drawn.
    const Seen& press(int key) {
        post(platform::EventKind::KeyDown, key);
        loop->stepFrame();
        return g_controlsLog.frames.back();
    }

    testsongs::NoSoundCard noCard;
    MusicPlayer player;
    std::unique_ptr<PlaybackControls> controls;
    std::unique_ptr<MainLoop> loop;
};

TEST(PlaybackKeyMap, EachKeyAsksForItsAction) {
    using A = PlaybackAction;
    struct Case {
        platform::EventKind kind;
        int key;
        bool repeat;
        A action;
    };
    const platform::EventKind down = platform::EventKind::KeyDown;
    for (const Case& c :
         {Case{down, platform::KeySpace, false, A::TogglePause},
          Case{down, platform::KeySpace, true, A::None},  // held: no flicker
          Case{down, platform::KeyLeft, false, A::PreviousOrder},
          Case{down, platform::KeyLeft, true, A::PreviousOrder},
          Case{down, platform::KeyRight, true, A::NextOrder},
          Case{down, platform::KeyHome, false, A::Restart},
          Case{down, platform::KeyHome, true, A::None},
          Case{down, platform::KeyEscape, false, A::None},  // the window's
          Case{down, platform::KeyUnknown, false, A::None},
          Case{platform::EventKind::CloseRequested, platform::KeySpace, false, A::None}}) {
        platform::Event e;
        e.kind = c.kind;
        e.key = c.key;
        e.repeat = c.repeat;
        EXPECT_EQ(playbackActionFor(e), c.action) << c.key << " repeat " << c.repeat;
    }
}

constexpr float kOrderSeconds = 16 * 6 * 882 / static_cast<float>(kRate);

TEST_F(PlaybackKeys, TheWindowsKeysArriveAsTheProgramsKeys) {
    const std::pair<SDL_Keycode, int> keys[] = {
        {SDLK_SPACE, platform::KeySpace},   {SDLK_LEFT, platform::KeyLeft},
        {SDLK_RIGHT, platform::KeyRight},   {SDLK_HOME, platform::KeyHome},
        {SDLK_ESCAPE, platform::KeyEscape}, {SDLK_F1, platform::KeyUnknown}};
    for (const auto& k : keys) {
        for (const bool held : {false, true}) {
            SDL_Event e{};
            e.type = SDL_KEYDOWN;
            e.key.keysym.sym = k.first;
            e.key.repeat = held;
            SDL_PushEvent(&e);
            platform::Event got;
            ASSERT_TRUE(platform::pollEvent(got));
            EXPECT_EQ(got.kind, platform::EventKind::KeyDown);
            EXPECT_EQ(got.key, k.second);
            EXPECT_EQ(got.repeat, held);
        }
    }
}

TEST_F(PlaybackKeys, ArrowsAndHomeJumpWithThePictureAndTheMusic) {
    ASSERT_NO_FATAL_FAILURE(start(testsongs::emptySong(1, 3), false, 3));

    struct Step {
        int key;
        int order;
        float time;
    };
    for (const Step& s :
         {Step{platform::KeyRight, 1, kOrderSeconds},
          Step{platform::KeyRight, 2, 2 * kOrderSeconds},
          Step{platform::KeyRight, 2, 2 * kOrderSeconds + 1.0f / 60},  // none
          Step{platform::KeyLeft, 1, kOrderSeconds}, Step{platform::KeyHome, 0, 0.0f},
          Step{platform::KeyLeft, 0, 0.0f}}) {  // the first order's start
        SCOPED_TRACE(s.key);
        const Seen& seen = press(s.key);
        EXPECT_EQ(seen.order, s.order);
        EXPECT_NEAR(seen.time, s.time, 1e-5);
        EXPECT_EQ(player.heardFrame(), std::llround(s.time * kRate));
    }
    EXPECT_TRUE(loop->running());
}

TEST_F(PlaybackKeys, SpaceHoldsPictureClockAndMusicUntilPressedAgain) {
    ASSERT_NO_FATAL_FAILURE(start(testsongs::emptySong(1, 3), false, 10));
    const float before = g_controlsLog.frames.back().time;

    // The paused frame is drawn at the standing time with no frame time, once.
    const Seen paused = press(platform::KeySpace);
    EXPECT_TRUE(controls->paused());
    EXPECT_NEAR(paused.time, before + 1.0f / 60, 1e-5);
    EXPECT_EQ(paused.delta, 0.0f);
    const int64_t heard = player.heardFrame();
    const size_t drawn = g_controlsLog.frames.size();
    for (int i = 0; i < 4; ++i) {
        platform::advanceManualClock(kRate);
        loop->iterate();  // shows the held picture
    }
    EXPECT_EQ(g_controlsLog.frames.size(), drawn);
    EXPECT_EQ(player.heardFrame(), heard);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // A jump while paused draws the new place and stays paused there.
    const Seen jumped = press(platform::KeyRight);
    EXPECT_NEAR(jumped.time, kOrderSeconds, 1e-5);
    EXPECT_EQ(jumped.order, 1);
    EXPECT_TRUE(controls->paused());

    // Going on: the four seconds paused count for nothing.
    press(platform::KeySpace);
    const Seen next = press(platform::KeyUnknown);
    EXPECT_FALSE(controls->paused());
    EXPECT_NEAR(next.time, kOrderSeconds + 1.0f / 60, 1e-5);
    EXPECT_NEAR(next.delta, 1.0f / 60, 1e-5);
    EXPECT_EQ(player.heardFrame(), std::llround(kOrderSeconds * kRate) + kRate / 60);
}

TEST_F(PlaybackKeys, LoopStartsTheSongAgainAtItsEnd) {
    for (const bool loopOn : {false, true}) {
        SCOPED_TRACE(loopOn);
        ASSERT_NO_FATAL_FAILURE(
            start(testsongs::emptySong(1, 1, 1, 4), loopOn, 45));  // 0.48 s, 0.75 s
        const float last = g_controlsLog.frames.back().time;
        if (loopOn) {
            EXPECT_LT(last, 0.3f) << "started again";
            EXPECT_FALSE(player.finished());
        } else {
            EXPECT_NEAR(last, 44.0f / 60, 1e-4);
            EXPECT_TRUE(player.finished());
        }
    }
}

}  // namespace
