// Jumps to an order start, through the song map and by mixing from the top: the same frames,
// events, sound and sync data as a run from the top; and pause in real time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

#include "music/module_song.h"
#include "music/music_player.h"
#include "platform/platform.h"
#include "tests/music/test_songs.h"
#include "tests/support/test_support.h"

using namespace testsongs;

namespace {

constexpr int64_t kRow = 6 * kTick;  // speed 6

// What a jump must carry over: order 0 breaks into row 5 of order 1, which jumps over order 2;
// orders 1 and 3 open with notes of an earlier order's instrument, order 1 with a tone struck
// in order 0 still ringing; order 3 goes back to the rows of order 1 not played yet.
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
    m.patterns[3].at(15, 2) = xm::Cell::fx(xm::kPositionJump, 1);
    return bytesOf(m);
}

std::vector<uint8_t> productionSong() {
    return testsupport::readFile(PALISADE_MUSIC_MODULE);
}

// What a song gives: its events and its sound.
struct Played final : SyncEventSink {
    void onSyncEvent(const SyncEvent& e) override { events.push_back(e); }
    Played& render(ModuleSong& song, int64_t frames) {
        std::vector<float> block(2 * 4096);
        for (; frames > 0; frames -= 4096) {
            const int n = static_cast<int>(std::min<int64_t>(frames, 4096));
            song.render(block.data(), n, this);
            pcm.insert(pcm.end(), block.begin(), block.begin() + 2 * n);
        }
        return *this;
    }
    std::vector<SyncEvent> events;
    std::vector<float> pcm;
};

// Events side by side as text, so that a difference shows where it is.
std::vector<std::string> described(const std::vector<SyncEvent>& events) {
    std::vector<std::string> out;
    for (const SyncEvent& e : events) {
        out.push_back(std::to_string(e.kind) + " at " + std::to_string(e.frame) + ": order " +
                      std::to_string(e.order) + " row " + std::to_string(e.row) + " channel " +
                      std::to_string(e.channel) + " instrument " + std::to_string(e.instrument));
    }
    return out;
}

double relativeError(const float* a, const float* b, size_t n) {
    double error = 0.0, power = 0.0;
    for (size_t i = 0; i < n; ++i) {
        error += (a[i] - b[i]) * (a[i] - b[i]);
        power += a[i] * a[i];
    }
    return power > 0.0 ? std::sqrt(error / power) : std::sqrt(error);
}

TEST(SongMap, AJumpToAnyOrderPlaysOnAsARunFromTheTop) {
    const std::vector<uint8_t> bytes = crossingSong();
    ModuleSong top, scanned, song;
    ASSERT_TRUE(top.load(bytes.data(), bytes.size(), kRate));
    const Played full = Played().render(top, 20 * kRate);
    ASSERT_TRUE(scanned.load(bytes.data(), bytes.size(), kRate, nullptr, true));
    SongMap map;
    Played scan;
    ASSERT_TRUE(scanned.scan(map, &scan));
    // Muted, the song keeps its timing: the same events, the same end.
    EXPECT_EQ(described(scan.events), described(full.events));
    EXPECT_EQ(map.endFrame, full.events.back().frame);
    EXPECT_EQ(map.orderStart(2), nullptr) << "jumped over";
    ASSERT_NE(map.orderStart(1), nullptr);
    EXPECT_EQ(map.orderStart(1)->row, 5);
    EXPECT_EQ(map.orderStart(1)->frame, 16 * kRow);

    // One song serves every jump: fresh, after its end, and after other jumps.
    ASSERT_TRUE(song.load(bytes.data(), bytes.size(), kRate));
    for (int order : {3, 0, 1, 3}) {
        SCOPED_TRACE(order);
        Played after;
        const int64_t at = song.jumpTo(map, order, 8.0, &after);
        ASSERT_EQ(at, map.orderStart(order)->frame);
        after.render(song, kRate);
        std::vector<SyncEvent> expected;
        for (const SyncEvent& e : full.events)
            if (e.frame >= at && e.frame < at + kRate) expected.push_back(e);
        EXPECT_EQ(described(after.events), described(expected));
        // The tone struck before order 1 sounds in it: the sound is that of the run.
        EXPECT_LT(relativeError(&full.pcm[2 * at], after.pcm.data(), after.pcm.size()), 1e-4);
        Played().render(song, 20 * kRate);
    }
    EXPECT_LT(song.jumpTo(map, 2, 8.0, nullptr), 0);

    // Without the replay of the stretch before, the tone would be missing.
    song.jumpTo(map, 1, 0.0, nullptr);
    const Played bare = Played().render(song, kRate);
    EXPECT_GT(relativeError(&full.pcm[2 * 16 * kRow], bare.pcm.data(), bare.pcm.size()), 0.1);
}

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

void expectState(const OrderState& s) {
    for (int i = 0; i < kInstrumentSlots; ++i) {
        EXPECT_EQ(instHitCount[i], s.count[i]) << "instrument " << i;
        EXPECT_EQ(instHitTime[i], s.time[i]) << "instrument " << i;
    }
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
    bool lockstepToo;  // lockstep seeks mix from the top: too slow for a long song
};

class EveryOrder : public RealTimeSong, public ::testing::WithParamInterface<SongCase> {};

TEST_P(EveryOrder, AJumpGivesTheSyncDataOfALockstepRunFromTheTop) {
    const std::vector<uint8_t> bytes = GetParam().bytes();
    ASSERT_FALSE(bytes.empty());
    const std::vector<OrderState> states = lockstepOrderStates(bytes, GetParam().orders + 1);
    ASSERT_FALSE(states.empty());
    // Where a seek lands: false where the song never reaches the order.
    const auto land = [&](MusicPlayer& p, int order) {
        const OrderState& s = states[static_cast<size_t>(order)];
        const double at = p.seekToOrder(order);
        EXPECT_DOUBLE_EQ(at, s.frame < 0 ? -1.0 : s.frame / double(kRate));
        if (s.frame < 0) return false;
        expectState(s);
        EXPECT_EQ(p.getOrder(), order);
        // Where each order up to there began, as the parts' clocks read it.
        for (size_t k = 0; k < states.size(); ++k) {
            if (states[k].frame < 0 || states[k].frame > s.frame) continue;
            EXPECT_DOUBLE_EQ(p.orderStartSeconds(int(k)), states[k].frame / double(kRate))
                << "order " << k << " begins";
        }
        return true;
    };
    open(bytes);
    ASSERT_TRUE(player.prepareJumps());
    // Backwards, so that every jump leaves a song that has played on.
    for (int order = GetParam().orders; order >= 0; --order) {
        SCOPED_TRACE(order);
        if (!land(player, order)) continue;
        platform::advanceManualClock(kRate / 10);  // and it plays on from there
        player.updateInstrumentTimes();
        const int64_t at = states[static_cast<size_t>(order)].frame;
        EXPECT_EQ(player.heardFrame(), at + kRate / 10);
        EXPECT_NEAR(musicClock.elapsedSeconds(), at / double(kRate) + 0.1, 1e-9);
    }
    if (!GetParam().lockstepToo) return;
    MusicPlayer mixing;
    ASSERT_TRUE(startLockstep(mixing));
    ASSERT_TRUE(mixing.openMemory(bytes.data(), bytes.size(), false));
    EXPECT_LT(mixing.seekToOrder(GetParam().orders + 1), 0.0);
    EXPECT_EQ(mixing.getOrder(), 0) << "a failed seek leaves the song alone";
    ASSERT_TRUE(mixing.play());
    for (int order = GetParam().orders; order >= 0; --order) {
        SCOPED_TRACE(order);
        if (!land(mixing, order)) continue;
        // Each order played opens with a note: still to come, it is heard on the next frame.
        ASSERT_TRUE(mixing.advanceFrames(1));
        const auto total = [](const uint16_t* c) { return std::accumulate(c, c + 64, 0); };
        EXPECT_EQ(total(instHitCount), total(states[static_cast<size_t>(order)].count) + 1);
    }
    mixing.close();
}

INSTANTIATE_TEST_SUITE_P(Songs, EveryOrder,
                         ::testing::Values(SongCase{"crossing", crossingSong, 3, true},
                                           SongCase{"production", productionSong, 31, false}),
                         [](const ::testing::TestParamInfo<SongCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(RealTimeSong, PauseHoldsTheSongAndTheClockWhereTheyStand) {
    open(bytesOf(steadyBeat(64)));  // a row every 1764 frames
    platform::advanceManualClock(kRate / 2);
    ASSERT_TRUE(player.pause());
    EXPECT_FALSE(player.pause());
    platform::advanceManualClock(3 * kRate);
    player.updateInstrumentTimes();
    player.updateSpectrum();
    EXPECT_EQ(player.heardFrame(), kRate / 2);
    EXPECT_DOUBLE_EQ(musicClock.elapsedSeconds(), 0.5);
    EXPECT_EQ(instHitCount[0], 13);  // the rows at 0 .. 21168
    EXPECT_EQ(player.getOrder(), 0);
    // It goes on from there, as if the pause had not been.
    ASSERT_TRUE(player.resume());
    EXPECT_FALSE(player.resume());
    platform::advanceManualClock(kRate / 4);
    player.updateInstrumentTimes();
    EXPECT_EQ(player.heardFrame(), kRate / 2 + kRate / 4);
    EXPECT_DOUBLE_EQ(musicClock.elapsedSeconds(), 0.75);
    EXPECT_EQ(instHitCount[0], 19);  // the rows at 0 .. 31752
    EXPECT_NEAR(instSinceHit[0], (33075 - 31752) / double(kRate), 1e-6);
}

}  // namespace
