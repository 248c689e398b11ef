// The render loop and lockstep runs. The loop on the manual clock: one event an iteration, a
// frame when none waits, the caption, Escape, the close box and the playback keys over a silent
// player. Lockstep runs over a song of clicks: frame k drawn at start + k / fps with the sound
// up to then mixed; what captures, measurements and videos write, or leave when they fail.
#include <IL/il.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/lockstep_run.h"
#include "app/main_loop.h"
#include "app/playback_controls.h"
#include "app/video_export.h"
#include "music/music_player.h"
#include "tests/music/test_songs.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using testsongs::kRate;

// What the frame functions saw, frame by frame, and what they are to do.
struct Frame {
    float time, delta, since;  // since the click instrument was last heard
    int order;
    std::string title;
    int64_t heard;
};
struct FrameLog {
    std::vector<Frame> frames;
    MusicPlayer* player = nullptr;
    int stopAfter = -1;  // return false on this frame (1-based)
    int glErrorAt = -1, interruptAt = -1;
} g_log;

// Each frame takes a different time (1001, 1002, ... ticks), so each caption differs.
bool recordFrame(void*, float time, float delta) {
    g_log.frames.push_back({time, delta, 0, -1, platform::windowTitle(g_demoWindow.window), 0});
    platform::advanceManualClock(1000 + int64_t(g_log.frames.size()));
    return int(g_log.frames.size()) != g_log.stopAfter;
}

// A 60 Hz frame (one tick per music frame) with the order being heard.
bool playedFrame(void*, float time, float delta) {
    g_log.frames.push_back({time, delta, 0, g_log.player->getOrder(), "", 0});
    platform::advanceManualClock(kRate / 60);
    return true;
}

void post(platform::EventKind kind, int key, bool held = false) {
    platform::Event e;
    e.kind = kind;
    e.key = key;
    e.repeat = held;
    platform::postEvent(e);
}

class MainLoopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testsupport::ensureGlContext(66, 48));
        platform::Event e;
        while (platform::pollEvent(e)) {
        }
        g_log = FrameLog{};
        g_log.player = &player;
        platform::useManualClock(kRate);
        g_demoWindow.frameClock.reset();
        g_demoWindow.title = "Vexil Palisade 2.0";
    }
    void TearDown() override {
        player.close();
        platform::useRealClock();
    }
    // Iterates until the loop stops or the limit is reached; returns the iterations run.
    static int runFor(MainLoop& loop, int limit) {
        int n = 0;
        while (n < limit && loop.iterate()) ++n;
        return n;
    }
    // Plays the song with the keys at work, for `frames` frames.
    void play(const xm::Module& song, bool loopOn, int frames) {
        const std::vector<uint8_t> bytes = testsongs::bytesOf(song);
        ASSERT_TRUE(player.init(kRate, 32));
        ASSERT_TRUE(player.openMemory(bytes.data(), bytes.size(), false));
        ASSERT_TRUE(player.play());
        g_log.frames.clear();
        controls = std::make_unique<PlaybackControls>(g_demoWindow.frameClock, player, loopOn);
        loop = std::make_unique<MainLoop>(g_demoWindow, playedFrame);
        loop->setControls(controls.get());
        loop->start();
        for (int i = 0; i < frames; ++i) loop->stepFrame();
    }
    // Posts the key and runs the loop until one more frame has been drawn.
    const Frame& press(int key, bool held = false) {
        post(platform::EventKind::KeyDown, key, held);
        loop->stepFrame();
        return g_log.frames.back();
    }

    testsongs::NoSoundCard noCard;
    MusicPlayer player;
    std::unique_ptr<PlaybackControls> controls;
    std::unique_ptr<MainLoop> loop;
};

TEST_F(MainLoopTest, EscapeAndTheCloseBoxEndTheLoopOnTheNextIteration) {
    for (const auto kind : {platform::EventKind::KeyDown, platform::EventKind::CloseRequested}) {
        g_log.frames.clear();
        MainLoop loop(g_demoWindow, recordFrame);
        loop.start();
        runFor(loop, 3);
        post(kind,
             kind == platform::EventKind::KeyDown ? platform::KeyEscape : platform::KeyUnknown);
        EXPECT_TRUE(loop.iterate());   // takes the event, posts the quit
        EXPECT_FALSE(loop.iterate());  // takes the quit
        EXPECT_FALSE(loop.iterate());
        EXPECT_EQ(g_log.frames.size(), 3u);
        EXPECT_NE(g_demoWindow.window, nullptr);  // the loop never destroys the window
    }
}

// Each frame gets the clock's time; the caption shows the last frame's rate on the 22nd frame
// and every 21st after it, and never in full screen.
TEST_F(MainLoopTest, FramesGetTheClockTimesAndTheCaptionItsRate) {
    for (const bool fullscreen : {false, true}) {
        g_log.frames.clear();
        g_demoWindow.fullscreen = fullscreen;
        g_demoWindow.setTitle(g_demoWindow.title);
        MainLoop loop(g_demoWindow, recordFrame);
        loop.start();
        runFor(loop, 70);
        ASSERT_EQ(g_log.frames.size(), 70u);
        EXPECT_FLOAT_EQ(g_log.frames[2].time, 2003.0f / kRate);  // 1001 + 1002 ticks
        EXPECT_FLOAT_EQ(g_log.frames[2].delta, 1002.0f / kRate);
        std::vector<int> changes;  // 1-based frames whose caption differs from the one before
        for (size_t i = 1; i < g_log.frames.size(); ++i)
            if (g_log.frames[i].title != g_log.frames[i - 1].title) changes.push_back(int(i) + 1);
        EXPECT_EQ(changes, fullscreen ? std::vector<int>() : std::vector<int>({22, 43, 64}));
        // The rate of the single frame before the 22nd: 44100 / 1021 ticks = 43.19.
        EXPECT_EQ(g_log.frames[21].title,
                  fullscreen ? "Vexil Palisade 2.0" : "Vexil Palisade 2.0  -  43.2 FPS");
    }
}

TEST_F(MainLoopTest, FrameReturningFalseStopsAfterPresenting) {
    g_log.stopAfter = 4;
    MainLoop loop(g_demoWindow, recordFrame);
    loop.start();
    EXPECT_EQ(runFor(loop, 100), 3);
    EXPECT_FALSE(loop.running());
    EXPECT_EQ(g_log.frames.size(), 4u);
}

// Three orders of 16 rows at speed 6: 84672 frames (1.92 s) each.
constexpr float kOrderSeconds = 16 * 6 * 882 / float(kRate);

// A held key repeats the jumps, but neither restarts nor pauses again.
TEST_F(MainLoopTest, ArrowsAndHomeJumpWithThePictureAndTheMusic) {
    ASSERT_NO_FATAL_FAILURE(play(testsongs::emptySong(1, 3), false, 3));
    const float frame = 1.0f / 60;
    const struct {
        int key;
        bool held;
        int order;
        float time;
    } steps[] = {{platform::KeyRight, false, 1, kOrderSeconds},
                 {platform::KeyRight, true, 2, 2 * kOrderSeconds},
                 {platform::KeyRight, false, 2, 2 * kOrderSeconds + frame},  // none after the last
                 {platform::KeyHome, true, 2, 2 * kOrderSeconds + 2 * frame},
                 {platform::KeySpace, true, 2, 2 * kOrderSeconds + 3 * frame},
                 {platform::KeyLeft, true, 1, kOrderSeconds},
                 {platform::KeyLeft, false, 0, 0.0f},
                 {platform::KeyLeft, false, 0, 0.0f},  // the first order's start
                 {platform::KeyRight, false, 1, kOrderSeconds},
                 {platform::KeyHome, false, 0, 0.0f}};
    for (const auto& s : steps) {
        const Frame& seen = press(s.key, s.held);
        EXPECT_EQ(seen.order, s.order) << s.key;
        EXPECT_NEAR(seen.time, s.time, 1e-5) << s.key;
        EXPECT_EQ(player.heardFrame(), std::llround(s.time * kRate)) << s.key;
    }
    EXPECT_FALSE(controls->paused());
}

TEST_F(MainLoopTest, SpaceHoldsPictureClockAndMusicUntilPressedAgain) {
    ASSERT_NO_FATAL_FAILURE(play(testsongs::emptySong(1, 3), false, 10));
    const float before = g_log.frames.back().time;

    // The paused frame is drawn at the standing time with no frame time, once.
    const Frame paused = press(platform::KeySpace);
    EXPECT_TRUE(controls->paused());
    EXPECT_NEAR(paused.time, before + 1.0f / 60, 1e-5);
    EXPECT_EQ(paused.delta, 0.0f);
    const int64_t heard = player.heardFrame();
    const size_t drawn = g_log.frames.size();
    for (int i = 0; i < 4; ++i) {
        platform::advanceManualClock(kRate);
        loop->iterate();  // shows the held picture
    }
    EXPECT_EQ(g_log.frames.size(), drawn);
    EXPECT_EQ(player.heardFrame(), heard);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // A jump while paused draws the new place and stays paused there.
    const Frame jumped = press(platform::KeyRight);
    EXPECT_NEAR(jumped.time, kOrderSeconds, 1e-5);
    EXPECT_EQ(jumped.order, 1);
    EXPECT_TRUE(controls->paused());

    // Going on: the four seconds paused count for nothing.
    press(platform::KeySpace);
    const Frame next = press(platform::KeyUnknown);
    EXPECT_FALSE(controls->paused());
    EXPECT_NEAR(next.time, kOrderSeconds + 1.0f / 60, 1e-5);
    EXPECT_NEAR(next.delta, 1.0f / 60, 1e-5);
    EXPECT_EQ(player.heardFrame(), std::llround(kOrderSeconds * kRate) + kRate / 60);
}

// A song of 0.48 s played for 45 frames (0.75 s): held at its end, or started again by the
// frame after the one its end was heard in (frame 29, 0.483 s), so frame 44 is 14 frames in.
TEST_F(MainLoopTest, LoopStartsTheSongAgainAtItsEnd) {
    for (const bool loopOn : {false, true}) {
        ASSERT_NO_FATAL_FAILURE(play(testsongs::emptySong(1, 1, 1, 4), loopOn, 45));
        EXPECT_EQ(player.finished(), !loopOn);
        EXPECT_NEAR(g_log.frames.back().time, (loopOn ? 14.0f : 44.0f) / 60, 1e-4);
        player.close();
    }
}

constexpr int kWidth = 66, kHeight = 48, kFps = 25;  // rows of 198 bytes, read back unpadded
constexpr int kRow = kRate / kFps;  // 1764 music frames: a frame is a row of the song
constexpr int kOrder = 16 * kRow;   // 28224 frames, 0.64 s
constexpr int kClick = 3 * kRow;    // each order's one note, on its fourth row

// Frame k: grey 10 (k + 1) with a white top row, so that order and orientation show, over
// noise in the bottom 16 rows, so that its PNG takes some 3 kB.
bool drawFrame(void*, float time, float delta) {
    const int k = int(g_log.frames.size());
    g_musicPlayer.updateInstrumentTimes();
    g_log.frames.push_back({time, delta, instSinceHit[0], -1, "", g_musicPlayer.heardFrame()});
    std::vector<uint8_t> rgb(kWidth * kHeight * 3, uint8_t(10 * (k + 1)));  // rows bottom-up
    uint32_t x = 12345;
    for (int i = 0; i < kWidth * 16 * 3; ++i)
        rgb[i] = uint8_t((x = x * 1664525 + 1013904223) >> 24);
    std::fill(rgb.end() - kWidth * 3, rgb.end(), 255);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRasterPos2f(-1.0f, -1.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glDrawPixels(kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    if (k == g_log.glErrorAt) glEnable(0x1234);  // GL_INVALID_ENUM
    if (k == g_log.interruptAt) raise(SIGINT);
    return true;
}

// A PNG's grey levels (its green), top row first.
std::vector<uint8_t> decodePng(const std::string& path) {
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_UPPER_LEFT);
    std::vector<uint8_t> grey;
    if (ilLoad(IL_PNG, path.c_str()) && ilGetInteger(IL_IMAGE_WIDTH) == kWidth &&
        ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE))
        for (int i = 0; i < ilGetInteger(IL_IMAGE_WIDTH) * ilGetInteger(IL_IMAGE_HEIGHT); ++i)
            grey.push_back(ilGetData()[i * 3 + 1]);
    ilDeleteImages(1, &image);
    return grey;
}

// A clip's frames as ffmpeg decodes them to grey levels, or its sound as float samples.
std::string decoded(const std::string& clip, const std::string& format) {
    return testsupport::runCommand("ffmpeg -nostdin -v error -i " + clip + " " + format + " -").out;
}

// The samples of a 16-bit WAV file; the first stereo frame of a click.
std::vector<float> samples(const std::string& path) {
    std::vector<float> out;
    const std::vector<uint8_t> wav = testsupport::readFile(path);
    for (size_t i = 44; i + 1 < wav.size(); i += 2)
        out.push_back(int16_t(wav[i] | wav[i + 1] << 8) / 32768.0f);
    return out;
}
long firstSound(const std::vector<float>& stereo) {
    for (size_t i = 0; i < stereo.size(); ++i)
        if (std::fabs(stereo[i]) > 0.01f) return long(i / 2);
    return -1;
}

Names filesIn(const std::string& directory) {
    Names names;
    for (const auto& e : fs::directory_iterator(directory)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The program's own set-up for a lockstep run, with a two-order song of 16 rows at speed 2.
class Lockstep : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(testsupport::ensureGlContext(kWidth, kHeight));
        ilInit();  // the start-up's, which these runs skip
        beginLockstepClock(kFps);
        g_demoWindow.frameClock.reset();
        g_musicPlayer.useLockstep(true);
        ASSERT_TRUE(g_musicPlayer.init(kRate, 32));
        xm::Module song = testsongs::emptySong(1, 2);
        song.speed = 2;
        for (auto& pattern : song.patterns) pattern.at(3, 0) = testsongs::note("C-4", 1);
        const std::vector<uint8_t> bytes = testsongs::bytesOf(song);
        ASSERT_TRUE(g_musicPlayer.openMemory(bytes.data(), bytes.size(), false));
        ASSERT_TRUE(g_musicPlayer.play());
        g_log = FrameLog{};
    }
    void TearDown() override {
        g_musicPlayer.close();
        platform::useRealClock();
    }
    // A capture into `capture`, a video into `video` or else a measurement, from the start of
    // `order` (-1: at 0 without music) as the program runs one; its status, and what it said.
    int run(const std::string& capture, const std::string& video, int frames, int order = 0) {
        LaunchOptions options;
        options.captureDir = capture;
        options.videoPath = video;
        options.measure = capture.empty() && video.empty();
        options.frames = frames;
        options.fps = kFps;
        const double start = order < 0 ? 0.0 : g_musicPlayer.seekToOrder(order);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = runLockstep(options, g_demoWindow, drawFrame, nullptr, start);
        said = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
        return status;
    }
    bool saidIt(const std::string& text) const { return said.find(text) != std::string::npos; }

    testsupport::TempDir temp;
    std::string said;
};

// Two frames a second: the slowest pair of frames and where in the song it starts.
TEST(MeasuredRun, SlowestSecondIsTheLongestRunOfFpsFrames) {
    const struct {
        std::vector<double> ends;
        const char* said;
    } cases[] = {
        {{0.1}, ""},                                                          // under a second
        {{0.1, 0.2}, ", 10.0 in the slowest second (from 4.0 s)"},            // the first frames
        {{0.1, 0.2, 0.7, 0.75}, ", 3.3 in the slowest second (from 4.5 s)"},  // frames 1-2
        {{0.1, 0.2, 0.3, 1.3}, ", 1.8 in the slowest second (from 5.0 s)"},   // frames 2-3
    };
    for (const auto& c : cases) EXPECT_EQ(slowestSecond(c.ends, 2, 4.0), c.said);
}

TEST_F(Lockstep, FramesAreDrawnOnTheFrameClockWithTheirSoundAlreadyMixed) {
    const std::string dir = temp.file("frames");
    ASSERT_EQ(run(dir, "", 5, 1), 0);
    EXPECT_TRUE(saidIt("wrote 5 frames and audio.wav to " + dir + "\n")) << said;
    ASSERT_EQ(g_log.frames.size(), 5u);
    EXPECT_EQ(filesIn(dir), (Names{"audio.wav", "frame00000.png", "frame00001.png",
                                   "frame00002.png", "frame00003.png", "frame00004.png"}));
    for (int k = 0; k < 5; ++k) {
        // At 0.64 + k / 25 s, the song heard up to then; the click last heard at 0.12 s, and
        // the one at 0.76 s (frame 3) once its first sample has played, by frame 4.
        EXPECT_FLOAT_EQ(g_log.frames[k].time, float(0.64 + k / 25.0)) << k;
        EXPECT_FLOAT_EQ(k ? g_log.frames[k].delta : 0.04f, 0.04f) << k;
        EXPECT_EQ(g_log.frames[k].heard, kOrder + k * kRow) << k;
        EXPECT_NEAR(g_log.frames[k].since, k < 4 ? 0.52 + 0.04 * k : 0.04, 1e-6) << k;
        const std::vector<uint8_t> grey = decodePng(dir + "/" + filesIn(dir)[k + 1]);
        ASSERT_EQ(grey.size(), size_t(kWidth * kHeight)) << k;
        EXPECT_EQ(grey[0], 255) << k << ": upright, the white row on top";
        EXPECT_EQ(grey[kWidth], 10 * (k + 1)) << k;
    }
    // The sound of the same span, five rows from the order's start, with its note on row 3.
    const std::vector<float> sound = samples(dir + "/audio.wav");
    EXPECT_EQ(sound.size(), size_t(5 * kRow * 2));
    EXPECT_NEAR(firstSound(sound), kClick, 1);
}

TEST_F(Lockstep, ASecondCaptureReplacesTheFirstAndLeavesOtherFiles) {
    const std::string dir = temp.file("again");
    ASSERT_EQ(run(dir, "", 4), 0);
    for (const char* own : {"notes.txt", "frame1.png", "frame00001.png.txt", "frame0000x.png"})
        std::ofstream(dir + "/" + own) << "mine";
    std::ofstream(dir + "/frame99999.png") << "an older, longer capture";
    g_musicPlayer.close();  // the sound is then silence of the same span
    ASSERT_EQ(run(dir, "", 2, -1), 0);
    EXPECT_TRUE(saidIt("palisade: replacing the earlier capture in " + dir + " (6 files)")) << said;
    EXPECT_EQ(filesIn(dir),
              (Names{"audio.wav", "frame00000.png", "frame00001.png", "frame00001.png.txt",
                     "frame0000x.png", "frame1.png", "notes.txt"}));
    const std::vector<float> sound = samples(dir + "/audio.wav");
    EXPECT_EQ(sound.size(), size_t(2 * kRow * 2));
    EXPECT_EQ(firstSound(sound), -1);
}

TEST_F(Lockstep, AnOpenGLErrorIsNamedWithItsFrameAndFailsTheRun) {
    g_log.glErrorAt = 1;
    EXPECT_EQ(run("", "", 3), 1);
    EXPECT_TRUE(saidIt("palisade: OpenGL error GL_INVALID_ENUM (0x0500) after frame 1\n")) << said;
    EXPECT_TRUE(saidIt("palisade: OpenGL reported errors after 1 of the 3 frames")) << said;
}

TEST_F(Lockstep, AVideoRunsToTheSongsEndWithPictureAndSoundInStep) {
    const std::string clip = temp.file("clip.mkv");
    ASSERT_EQ(run("", clip, -1, 1), 0);
    // From 0.64 s to the song's end at 1.28 s: 16 frames.
    EXPECT_TRUE(saidIt("wrote " + clip + ": ")) << said;
    EXPECT_EQ(filesIn(temp.path()), Names{"clip.mkv"});
    const std::string grey = decoded(clip, "-f rawvideo -pix_fmt gray");
    const size_t frame = kWidth * kHeight;
    ASSERT_EQ(grey.size(), 16 * frame);
    for (size_t k = 0; k < 16; ++k) {
        EXPECT_GT(uint8_t(grey[k * frame]), 240) << k << ": upright, the white row on top";
        EXPECT_NEAR(uint8_t(grey[k * frame + frame / 2]), 10 * (k + 1), 3) << k;
    }
    const std::string raw = decoded(clip, "-f f32le -ac 2 -ar 44100");
    std::vector<float> sound(raw.size() / sizeof(float));
    std::copy_n(reinterpret_cast<const float*>(raw.data()), sound.size(), sound.data());
    EXPECT_EQ(sound.size(), size_t(16 * kRow * 2));
    EXPECT_NEAR(firstSound(sound), kClick, 1);
}

TEST_F(Lockstep, AnInterruptedOrFailedVideoLeavesNothingUnderItsName) {
    const std::string clip = temp.file("cut.mp4");
    g_log.interruptAt = 2;  // as Ctrl-C would
    EXPECT_EQ(run("", clip, 10), 130);
    EXPECT_TRUE(saidIt("palisade: interrupted; " + clip + " was not written")) << said;
    EXPECT_TRUE(filesIn(temp.path()).empty());

    // An ffmpeg that takes every frame and the sound, writes a little and fails.
    const std::string path = getenv("PATH");
    fs::create_directories(temp.file("bin"));
    std::ofstream(temp.file("bin/ffmpeg")) << "#!/bin/sh\nfor a; do out=$a; done\necho x "
                                              ">\"$out\"; cat <&3 >/dev/null & cat >/dev/null\n"
                                           << "wait; exit 1\n";
    fs::permissions(temp.file("bin/ffmpeg"), fs::perms::owner_all);
    setenv("PATH", (temp.file("bin") + ":" + path).c_str(), 1);
    const int status = run("", clip, 10);
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(saidIt("palisade: ffmpeg failed (exit status 1); " + clip + " was not written"))
        << said;
    EXPECT_EQ(filesIn(temp.path()), Names{"bin"});

    // One that ends before it reads anything: the frames already handed over are dropped,
    // and the run ends instead of waiting for a reader.
    std::ofstream(temp.file("bin/ffmpeg")) << "#!/bin/sh\nexit 1\n";
    setenv("PATH", (temp.file("bin") + ":" + path).c_str(), 1);
    alarm(60);
    const int early = run("", clip, 60);
    alarm(0);
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(early, 1);
    EXPECT_EQ(filesIn(temp.path()), Names{"bin"});
}

// A disk that fills up, played by a file-size limit: the run names the file it could not
// write, removes it and ends with status 1; what it wrote before stays, whole. Under 2000
// bytes the first frame fails; under 16384 the sound, at frame 3 (44 + 3 x 7056 bytes).
TEST_F(Lockstep, AFullDiskLeavesNoCutOffFile) {
    const struct {
        rlim_t limit;
        const char* failed;
        Names left;
    } cases[] = {
        {2000, "frame00000.png: File too large", {"audio.wav"}},
        {16384,
         "audio.wav: ",
         {"frame00000.png", "frame00001.png", "frame00002.png", "frame00003.png"}},
    };
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldSignal = signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
    for (const auto& c : cases) {
        const std::string dir = temp.file(std::to_string(c.limit));
        rlimit limit = before;
        limit.rlim_cur = c.limit;
        setrlimit(RLIMIT_FSIZE, &limit);
        const int status = run(dir, "", 10);
        setrlimit(RLIMIT_FSIZE, &before);
        EXPECT_EQ(status, 1) << c.limit;
        EXPECT_TRUE(saidIt("palisade: cannot write " + dir + "/" + c.failed)) << said;
        EXPECT_EQ(filesIn(dir), c.left) << c.limit;
        for (const std::string& name : c.left)
            EXPECT_TRUE(name == "audio.wav" || !decodePng(dir + "/" + name).empty()) << name;
    }
    signal(SIGXFSZ, oldSignal);
}

// Upper-case extensions are known too; without ffmpeg the message says how to install it.
TEST(VideoFile, NeedsAKnownExtensionAndFfmpeg) {
    testsupport::TempDir temp;
    const std::string path = getenv("PATH");
    std::string error;
    EXPECT_TRUE(canWriteVideo(temp.file("a.MKV"), error)) << error;
    setenv("PATH", temp.path().c_str(), 1);
    EXPECT_FALSE(canWriteVideo(temp.file("a.webm"), error));
    setenv("PATH", path.c_str(), 1);
    EXPECT_NE(error.find("sudo apt-get install ffmpeg"), std::string::npos) << error;
}

// A frame much larger than a pipe holds, with only a sixtieth of a second of sound before
// it: ffmpeg wants a whole packet of sound before it takes more picture, so the writer must
// let frames wait in memory rather than block on the picture (this used to hang for good).
TEST(VideoFile, LargeFramesAtSixtyASecondDoNotStallTheEncoder) {
    testsupport::TempDir temp;
    alarm(120);  // a stall ends the test instead of hanging it
    VideoExport video;
    std::string error;
    ASSERT_TRUE(video.begin(temp.file("large.mkv"), 640, 360, 60, error)) << error;
    const std::vector<uint8_t> rgb(640 * 360 * 3, 99);
    const std::vector<float> sound(kRate / 60 * 2, 0.25f);
    for (int f = 0; f < 12; ++f)
        ASSERT_TRUE(video.addSound(sound.data(), kRate / 60) && video.addFrame(rgb.data())) << f;
    EXPECT_TRUE(video.finish(error)) << error;
    alarm(0);
}

}  // namespace
