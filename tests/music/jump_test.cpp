// Jumps through the song map: the same frames, events and sync data as a run from the top,
// and pause in real time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "music/module_song.h"
#include "music/music_player.h"
#include "platform/platform.h"
#include "tests/music/test_songs.h"
#include "tests/support/test_support.h"

using namespace testsongs;

namespace {

constexpr int64_t kRow = 6 * kTick;  // speed 6

// Four orders with what a jump must carry over: order 0 breaks into row 5 of order 1, order 1
// jumps over order 2, the first rows of orders 1 and 3 strike notes without an instrument
// (the channel's instrument from an earlier order), and a tone struck late in order 0 still
// sounds at the start of order 1.
std::vector<uint8_t> crossingSong() {
    xm::Module m = emptySong(3, 4, 2);
    m.instruments.push_back(toneInstrument(40));
    m.patterns[0].at(0, 0) = note("C-4", 1);
    m.patterns[0].at(4, 1) = note("C-4", 2);
    m.patterns[0].at(12, 2) = note("A-4", 3);
    m.patterns[0].at(15, 0) = xm::Cell::fx(xm::kPatternBreak, xm::breakParam(5));
    m.patterns[1].at(5, 1) = note("E-4", 0);
    m.patterns[1].at(8, 0) =
        withEffect(note("G-4", 0), xm::kExtended, xm::extendedParam(xm::kNoteDelay, 3));
    m.patterns[1].at(15, 0) = xm::Cell::fx(xm::kPositionJump, 3);
    m.patterns[2].at(0, 0) = note("C-4", 2);  // never played
    m.patterns[3].at(0, 0) = note("D-4", 0);
    m.patterns[3].at(2, 1) =
        withEffect(note("F-4", 1), xm::kExtended, xm::extendedParam(xm::kPatternDelay, 1));
    m.orders = {0, 1, 2, 3};
    return bytesOf(m);
}

std::vector<uint8_t> productionSong() {
    return testsupport::readFile(PALISADE_MUSIC_MODULE);
}

struct Played {
    std::vector<SyncEvent> events;
    std::vector<float> pcm;
};

class Collect final : public SyncEventSink {
  public:
    explicit Collect(std::vector<SyncEvent>& out) : out_(out) {}
    void onSyncEvent(const SyncEvent& e) override { out_.push_back(e); }

  private:
    std::vector<SyncEvent>& out_;
};

void render(ModuleSong& song, int64_t frames, Played& out) {
    Collect sink(out.events);
    std::vector<float> block(2 * 4096);
    while (frames > 0) {
        const int n = static_cast<int>(std::min<int64_t>(frames, 4096));
        song.render(block.data(), n, &sink);
        out.pcm.insert(out.pcm.end(), block.begin(), block.begin() + 2 * n);
        frames -= n;
    }
}

bool sameEvent(const SyncEvent& a, const SyncEvent& b) {
    return a.kind == b.kind && a.frame == b.frame && a.order == b.order && a.row == b.row &&
           a.channel == b.channel && a.instrument == b.instrument;
}

double relativeError(const float* a, const float* b, size_t n) {
    double error = 0.0, power = 0.0;
    for (size_t i = 0; i < n; ++i) {
        error += (a[i] - b[i]) * (a[i] - b[i]);
        power += a[i] * a[i];
    }
    return power > 0.0 ? std::sqrt(error / power) : std::sqrt(error);
}

// ---------------------------------------------------------------------------------------------
// The song map and ModuleSong::jumpTo
// ---------------------------------------------------------------------------------------------

TEST(SongMap, AJumpToAnyOrderPlaysOnAsARunFromTheTop) {
    const std::vector<uint8_t> bytes = crossingSong();
    ModuleSong top;
    ASSERT_TRUE(top.load(bytes.data(), bytes.size(), kRate));
    Played full;
    render(top, 20 * kRate, full);

    ModuleSong scanned;
    ASSERT_TRUE(scanned.load(bytes.data(), bytes.size(), kRate, nullptr, true));
    SongMap map;
    std::vector<SyncEvent> scanEvents;
    Collect sink(scanEvents);
    ASSERT_TRUE(scanned.scan(map, &sink));
    // Muted, the song keeps its timing: the same events, the same end.
    ASSERT_EQ(scanEvents.size(), full.events.size());
    for (size_t i = 0; i < scanEvents.size(); ++i)
        EXPECT_TRUE(sameEvent(scanEvents[i], full.events[i])) << i;
    EXPECT_EQ(map.endFrame, full.events.back().frame);
    EXPECT_EQ(map.orderStart(2), nullptr) << "jumped over";
    EXPECT_EQ(map.orderStart(4), nullptr) << "no such order";
    ASSERT_NE(map.orderStart(1), nullptr);
    EXPECT_EQ(map.orderStart(1)->row, 5);
    EXPECT_EQ(map.orderStart(1)->frame, 16 * kRow);

    // One song serves every jump: fresh, after its end, and after other jumps.
    ModuleSong song;
    ASSERT_TRUE(song.load(bytes.data(), bytes.size(), kRate));
    bool fresh = true;
    for (int order : {3, 0, 1, 3}) {
        if (!fresh) {
            Played spent;
            render(song, 20 * kRate, spent);
        }
        fresh = false;
        SCOPED_TRACE(order);
        Played after;
        Collect first(after.events);
        const int64_t at = song.jumpTo(map, order, 8.0, &first);
        ASSERT_EQ(at, map.orderStart(order)->frame);
        render(song, kRate, after);
        std::vector<SyncEvent> expected;
        for (const SyncEvent& e : full.events)
            if (e.frame >= at && e.frame < at + kRate) expected.push_back(e);
        ASSERT_EQ(after.events.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_TRUE(sameEvent(after.events[i], expected[i])) << i;
        // The tone struck before order 1 sounds in it: the sound is that of the run.
        EXPECT_LT(relativeError(&full.pcm[2 * at], after.pcm.data(), after.pcm.size()), 1e-4);
    }
    EXPECT_LT(song.jumpTo(map, 2, 8.0, nullptr), 0);

    // Without the replay of the stretch before, the tone would be missing.
    Played bare;
    song.jumpTo(map, 1, 0.0, nullptr);
    render(song, kRate, bare);
    EXPECT_GT(relativeError(&full.pcm[2 * 16 * kRow], bare.pcm.data(), bare.pcm.size()), 0.1);
}

// ---------------------------------------------------------------------------------------------
// The player in real time
// ---------------------------------------------------------------------------------------------

// The sync data as each order first begins, from a lockstep run from the top.
struct OrderState {
    int64_t frame = -1;
    uint16_t count[kInstrumentSlots];
    float time[kInstrumentSlots];
};

std::vector<OrderState> lockstepOrderStates(const std::vector<uint8_t>& bytes, int orders) {
    std::vector<OrderState> states(static_cast<size_t>(orders));
    MusicPlayer player;
    if (!startLockstep(player)) return {};
    player.setSyncObserver(
        [](void* user, const SyncEvent& e, double) {
            auto& states = *static_cast<std::vector<OrderState>*>(user);
            if (e.kind != SyncEvent::kOrder || e.order >= static_cast<int>(states.size())) return;
            OrderState& s = states[static_cast<size_t>(e.order)];
            if (s.frame >= 0) return;
            s.frame = e.frame;
            std::copy(instHitCount, instHitCount + kInstrumentSlots, s.count);
            std::copy(instHitTime, instHitTime + kInstrumentSlots, s.time);
        },
        &states);
    if (!player.openMemory(bytes.data(), bytes.size(), false) || !player.play()) return {};
    for (int second = 0; second < 600 && !player.finished(); ++second) player.advanceFrames(kRate);
    player.close();
    return states;
}

// Silent output on the manual clock: real time that moves only when the test says so.
class RealTimeSong : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::useManualClock(kRate);  // one tick per frame
        ASSERT_TRUE(player.init(kRate, 32));
        ASSERT_EQ(player.output(), MusicPlayer::Output::Silent);
    }
    void TearDown() override {
        player.close();
        platform::useRealClock();
    }
    void open(const std::vector<uint8_t>& bytes) {
        ASSERT_TRUE(player.openMemory(bytes.data(), bytes.size(), false));
        ASSERT_TRUE(player.play());
    }
    NoSoundCard noCard;
    MusicPlayer player;
};

struct SongCase {
    const char* name;
    std::vector<uint8_t> (*bytes)();
    int orders;
};

class EveryOrder : public RealTimeSong, public ::testing::WithParamInterface<SongCase> {};

TEST_P(EveryOrder, AJumpGivesTheSyncDataOfALockstepRunFromTheTop) {
    const std::vector<uint8_t> bytes = GetParam().bytes();
    ASSERT_FALSE(bytes.empty());
    const std::vector<OrderState> states = lockstepOrderStates(bytes, GetParam().orders + 1);
    ASSERT_FALSE(states.empty());
    open(bytes);
    ASSERT_TRUE(player.prepareJumps());
    // Backwards, so that every jump leaves a song that has played on.
    for (int order = GetParam().orders; order >= 0; --order) {
        SCOPED_TRACE(order);
        const OrderState& s = states[static_cast<size_t>(order)];
        const double at = player.seekToOrder(order);
        if (s.frame < 0) {
            EXPECT_LT(at, 0.0);
            continue;
        }
        ASSERT_DOUBLE_EQ(at, static_cast<double>(s.frame) / kRate);
        for (int i = 0; i < kInstrumentSlots; ++i) {
            EXPECT_EQ(instHitCount[i], s.count[i]) << "instrument " << i;
            EXPECT_FLOAT_EQ(instHitTime[i], s.time[i]) << "instrument " << i;
        }
        EXPECT_EQ(player.getOrder(), order);
        platform::advanceManualClock(kRate / 10);  // and it plays on from there
        player.updateInstrumentTimes();
        EXPECT_EQ(player.heardFrame(), s.frame + kRate / 10);
        EXPECT_NEAR(musicClock.elapsedSeconds(), at + 0.1, 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(Songs, EveryOrder,
                         ::testing::Values(SongCase{"crossing", crossingSong, 3},
                                           SongCase{"production", productionSong, 31}),
                         [](const ::testing::TestParamInfo<SongCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(RealTimeSong, PauseKeepsTheClockAndTheMusicPosition) {
    open(bytesOf(steadyBeat(64)));
    platform::advanceManualClock(kRate / 2);
    player.updateInstrumentTimes();
    const int64_t heard = player.heardFrame();
    const double clock = musicClock.elapsedSeconds();
    const uint16_t hits = instHitCount[0];
    EXPECT_EQ(heard, kRate / 2);

    ASSERT_TRUE(player.pause());
    EXPECT_TRUE(player.paused());
    platform::advanceManualClock(3 * kRate);
    player.updateInstrumentTimes();
    player.updateSpectrum();
    EXPECT_EQ(player.heardFrame(), heard);
    EXPECT_DOUBLE_EQ(musicClock.elapsedSeconds(), clock);
    EXPECT_EQ(instHitCount[0], hits);
    EXPECT_EQ(player.getOrder(), 0);

    // It goes on from there, as if the pause had not been.
    ASSERT_TRUE(player.resume());
    EXPECT_FALSE(player.resume());
    platform::advanceManualClock(kRate / 4);
    player.updateInstrumentTimes();
    EXPECT_EQ(player.heardFrame(), heard + kRate / 4);
    EXPECT_DOUBLE_EQ(musicClock.elapsedSeconds(), clock + 0.25);
    EXPECT_EQ(instHitCount[0], static_cast<uint16_t>(hits + 6));  // a row every 40 ms
    EXPECT_GE(instSinceHit[0], 0.0f);
    EXPECT_LT(instSinceHit[0], 0.04f);
}

TEST(DeviceOutput, PauseStopsTheSongOnTheDevice) {
    MusicPlayer player;
    player.allowSilentOutput(false);
    if (!player.init(kRate, 32)) GTEST_SKIP() << "no audio driver, not even SDL's dummy";
    const std::vector<uint8_t> bytes = bytesOf(steadyBeat(256));
    ASSERT_TRUE(player.openMemory(bytes.data(), bytes.size(), false));
    ASSERT_TRUE(player.play());
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    ASSERT_TRUE(player.pause());
    player.updateInstrumentTimes();
    const int64_t heard = player.heardFrame();
    const double clock = musicClock.elapsedSeconds();
    EXPECT_GT(heard, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    player.updateInstrumentTimes();
    EXPECT_EQ(player.heardFrame(), heard);
    EXPECT_DOUBLE_EQ(musicClock.elapsedSeconds(), clock);
    ASSERT_TRUE(player.resume());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    player.updateInstrumentTimes();
    EXPECT_GT(player.heardFrame(), heard + kRate / 20);
    // The clock went on by the time played, not by the pause as well.
    EXPECT_LT(musicClock.elapsedSeconds() - clock, 0.35);
    EXPECT_GT(musicClock.elapsedSeconds() - clock, 0.15);
    player.close();
}

}  // namespace
