// Sync data of modules played in lockstep: orders, triggers and their frames, song end.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "music/music_player.h"
#include "platform/platform.h"
#include "tests/music/test_songs.h"

using namespace testsongs;

namespace {

constexpr int64_t kRow = 6 * kTick;  // speed 6

class LockstepSong : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(startLockstep(player)); }
    void TearDown() override { player.close(); }
    MusicPlayer player;
};

struct Expected {
    int64_t frame;
    int channel;
    int instrument;
};

void expectTriggers(const Recording& r, const std::vector<Expected>& expected) {
    const std::vector<SyncEvent> got = r.triggers();
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].frame, expected[i].frame);
        EXPECT_EQ(got[i].channel, expected[i].channel);
        EXPECT_EQ(got[i].instrument, expected[i].instrument);
    }
}

// ---------------------------------------------------------------------------------------------
// Orders
// ---------------------------------------------------------------------------------------------

TEST_F(LockstepSong, OrdersAdvanceOnTheirFirstFrameAndTheLastOneStays) {
    xm::Module m = emptySong(2, 3);
    m.orders = {0, 1, 2};
    const std::vector<uint8_t> bytes = bytesOf(m);
    ASSERT_TRUE(player.openMemory(bytes.data(), bytes.size(), false));
    ASSERT_TRUE(player.play());
    EXPECT_EQ(player.getOrder(), 0);

    const int64_t orderFrames = 16 * kRow;
    ASSERT_TRUE(player.advanceFrames(orderFrames));
    EXPECT_EQ(player.getOrder(), 0) << "order 1 begins on the next frame";
    ASSERT_TRUE(player.advanceFrames(1));
    EXPECT_EQ(player.getOrder(), 1);
    ASSERT_TRUE(player.advanceTo(2.0 * orderFrames / kRate + 0.001));
    EXPECT_EQ(player.getOrder(), 2);
    EXPECT_FALSE(player.finished());

    // Past the end: the song has stopped and the last order is still reported.
    ASSERT_TRUE(player.advanceTo(4.0 * orderFrames / kRate));
    EXPECT_TRUE(player.finished());
    EXPECT_EQ(player.endFrame(), 3 * orderFrames);
    EXPECT_EQ(player.getOrder(), 2);
    ASSERT_TRUE(player.advanceFrames(kRate));
    EXPECT_EQ(player.getOrder(), 2);
}

TEST_F(LockstepSong, BreaksAndJumpsCountAsTheSongPlaysThem) {
    xm::Module m = emptySong(2, 4);
    m.orders = {0, 1, 2, 3};
    // Order 0 breaks after row 2 into row 5 of order 1; order 1 jumps over order 2.
    m.patterns[0].at(2, 1) = xm::Cell::fx(xm::kPatternBreak, xm::breakParam(5));
    m.patterns[1].at(15, 1) = xm::Cell::fx(xm::kPositionJump, 3);
    m.patterns[1].at(5, 0) = note("C-4", 1);
    m.patterns[2].at(0, 0) = note("C-4", 1);  // never played
    const Recording r = playThrough(player, bytesOf(m), 1000);
    const std::vector<SyncEvent> orders = r.orders();
    ASSERT_EQ(orders.size(), 3u);
    EXPECT_EQ(orders[0].order, 0);
    EXPECT_EQ(orders[1].order, 1);
    EXPECT_EQ(orders[1].row, 5);
    EXPECT_EQ(orders[1].frame, 3 * kRow);
    EXPECT_EQ(orders[2].order, 3);
    EXPECT_EQ(orders[2].frame, (3 + 11) * kRow);
    expectTriggers(r, {{3 * kRow, 0, 0}});
    EXPECT_EQ(r.heardAt[1], 3.0 * kRow / kRate);
}

// ---------------------------------------------------------------------------------------------
// Triggers
// ---------------------------------------------------------------------------------------------

TEST_F(LockstepSong, NotesStrikeTheirInstrumentOnTheFrameTheySound) {
    xm::Module m = emptySong(3, 1, 3);
    xm::Pattern& p = m.patterns[0];
    p.at(0, 0) = note("C-4", 1);
    p.at(0, 1) = note("E-4", 2);
    p.at(1, 0) = note("D-4", 0);  // no instrument: channel 0 still holds instrument 1
    p.at(2, 0) = note("===", 0);  // note-off strikes nothing
    p.at(3, 2) = withEffect(note("C-4", 3), xm::kExtended, xm::extendedParam(xm::kNoteDelay, 4));
    p.at(4, 2) = withEffect(note("C-4", 3), xm::kExtended, xm::extendedParam(xm::kNoteDelay, 6));
    p.at(5, 1) = withEffect(note("G-4", 2), xm::kTonePorta, 0x20);  // slides, not struck
    p.at(6, 1) = note("G-4", 0);
    p.at(6, 1).volume = xm::volumeColumn::tonePorta(2);  // so does the volume column's
    p.at(7, 0) = withEffect(note("C-4", 1), xm::kExtended, xm::extendedParam(xm::kNoteCut, 0));
    p.at(8, 0) = withEffect(note("C-4", 1), xm::kExtended, xm::extendedParam(xm::kNoteCut, 3));
    p.at(9, 0) = withEffect(note("C-4", 1), xm::kKeyOffEffect, 0);
    p.at(10, 1) = xm::Cell::noteOn(0, 3);  // instrument alone: no note, but it is now current
    p.at(11, 1) = note("A-4", 0);
    p.at(12, 2) = note("C-4", 9);  // the module has no instrument 9
    // A note delay without a note strikes the channel's last note again.
    p.at(13, 0) = xm::Cell::fx(xm::kExtended, xm::extendedParam(xm::kNoteDelay, 2));
    const Recording r = playThrough(player, bytesOf(m), 777);
    expectTriggers(r, {{0, 0, 0},
                       {0, 1, 1},
                       {kRow, 0, 0},
                       {3 * kRow + 4 * kTick, 2, 2},
                       {8 * kRow, 0, 0},
                       {11 * kRow, 1, 2},
                       {13 * kRow + 2 * kTick, 0, 0}});

    EXPECT_EQ(instHitCount[0], 4);
    EXPECT_EQ(instHitCount[1], 1);
    EXPECT_EQ(instHitCount[2], 2);
    EXPECT_FLOAT_EQ(instHitTime[0], static_cast<float>((13.0 * kRow + 2 * kTick) / kRate));
    EXPECT_FLOAT_EQ(instHitTime[2], static_cast<float>((11.0 * kRow) / kRate));
}

TEST_F(LockstepSong, TriggersAreWhereTheOutputSounds) {
    // Clicks separated by silence: every onset in the output must have its trigger, and
    // every trigger its onset, within the mixer's volume ramp.
    xm::Module m = emptySong(2, 1, 2, 32);
    m.speed = 3;
    xm::Pattern& p = m.patterns[0];
    for (int row = 0; row < 32; row += 2) {
        xm::Cell c = note("C-5", 1 + (row / 2) % 2);
        if (row % 6 == 2)
            c = withEffect(c, xm::kExtended, xm::extendedParam(xm::kNoteDelay, 1 + row % 2));
        if (row % 8 == 6) c = withEffect(c, xm::kExtended, xm::extendedParam(xm::kNoteDelay, 2));
        p.at(row, row % 4 == 0 ? 0 : 1) = c;
    }
    p.at(31, 0) = xm::Cell::fx(xm::kExtended, xm::extendedParam(xm::kNoteDelay, 1));
    const Recording r = playThrough(player, bytesOf(m), 4096);
    std::vector<int64_t> onsets;
    int64_t quietSince = -1000;
    for (int64_t f = 0; f < static_cast<int64_t>(r.pcm.size() / 2); ++f) {
        const bool loud = std::fabs(r.pcm[2 * f]) + std::fabs(r.pcm[2 * f + 1]) > 1e-3f;
        if (loud && f - quietSince > 200) onsets.push_back(f);
        if (loud) quietSince = f;
    }
    const std::vector<SyncEvent> t = r.triggers();
    ASSERT_EQ(onsets.size(), t.size());
    for (size_t i = 0; i < t.size(); ++i) {
        EXPECT_GE(onsets[i], t[i].frame) << i;
        EXPECT_LE(onsets[i], t[i].frame + 8) << i;
    }
}

TEST_F(LockstepSong, DelayedNotesStrikeAgainOnEveryRepeatOfADelayedRow) {
    xm::Module m = emptySong(2, 1);
    m.patterns[0].at(0, 0) =
        withEffect(note("C-4", 1), xm::kExtended, xm::extendedParam(xm::kNoteDelay, 2));
    m.patterns[0].at(0, 1) = xm::Cell::fx(xm::kExtended, xm::extendedParam(xm::kPatternDelay, 2));
    m.patterns[0].at(1, 0) = note("C-4", 1);
    const Recording r = playThrough(player, bytesOf(m), 5000);
    expectTriggers(r, {{2 * kTick, 0, 0}, {8 * kTick, 0, 0}, {14 * kTick, 0, 0}, {3 * kRow, 0, 0}});
}

TEST_F(LockstepSong, PatternLoopsCountEveryPass) {
    xm::Module m = emptySong(2, 2);
    // Row 0 of order 0 loops on itself twice; rows 4..5 of order 1 play three times.
    m.patterns[0].at(0, 0) =
        withEffect(note("C-4", 1), xm::kExtended, xm::extendedParam(xm::kPatternLoop, 2));
    m.patterns[1].at(4, 1) = xm::Cell::fx(xm::kExtended, xm::extendedParam(xm::kPatternLoop, 0));
    m.patterns[1].at(4, 0) = note("C-4", 1);
    m.patterns[1].at(5, 1) = xm::Cell::fx(xm::kExtended, xm::extendedParam(xm::kPatternLoop, 2));
    const Recording r = playThrough(player, bytesOf(m), 3000);
    const int64_t order1 = (16 + 2) * kRow;
    expectTriggers(r, {{0, 0, 0},
                       {kRow, 0, 0},
                       {2 * kRow, 0, 0},
                       {order1 + 4 * kRow, 0, 0},
                       {order1 + 6 * kRow, 0, 0},
                       {order1 + 8 * kRow, 0, 0}});
    ASSERT_EQ(r.orders().size(), 2u);
    EXPECT_EQ(r.orders()[1].frame, order1);
    EXPECT_EQ(player.endFrame(), order1 + 20 * kRow);
}

TEST_F(LockstepSong, InstrumentsAbove63HaveNoSyncData) {
    xm::Module m = emptySong(1, 1, 66);
    m.patterns[0].at(0, 0) = note("C-4", 64);  // instrument 63, the last with sync data
    m.patterns[0].at(1, 0) = note("C-4", 65);
    m.patterns[0].at(2, 0) = note("C-4", 66);
    const Recording r = playThrough(player, bytesOf(m), 2048);
    // The song strikes all three; only the first reaches the arrays.
    expectTriggers(r, {{0, 0, 63}, {kRow, 0, 64}, {2 * kRow, 0, 65}});
    EXPECT_EQ(instHitCount[63], 1);
    for (int i = 0; i < 63; ++i) EXPECT_EQ(instHitCount[i], 0) << i;
}

TEST_F(LockstepSong, CountsWrapAt65536) {
    // 8 orders x 256 rows x 32 channels = 65536 notes, then one more.
    xm::Module m = emptySong(32, 2, 1, 256);
    m.speed = 1;
    m.tempo = 255;
    for (int row = 0; row < 256; ++row) {
        for (int c = 0; c < 32; ++c) m.patterns[0].at(row, c) = note("C-4", 1);
    }
    m.patterns[1] = xm::Pattern(1, 32);
    m.patterns[1].at(0, 0) = note("C-4", 1);
    m.orders = {0, 0, 0, 0, 0, 0, 0, 0, 1};
    const Recording r = playThrough(player, bytesOf(m), 65536, 120 * kRate);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.triggers().size(), 65537u);
    EXPECT_EQ(instHitCount[0], 1);
}

// ---------------------------------------------------------------------------------------------
// Times and repeatability
// ---------------------------------------------------------------------------------------------

class ManualClockSong : public LockstepSong {
  protected:
    void SetUp() override {
        platform::useManualClock(kRate);  // one tick per frame
        LockstepSong::SetUp();
    }
    void TearDown() override {
        LockstepSong::TearDown();
        platform::useRealClock();
    }
};

TEST_F(ManualClockSong, SinceHitFollowsTheMusicClockInStepWithTheSong) {
    xm::Module m = emptySong(1, 1);
    m.patterns[0].at(2, 0) = note("C-4", 1);
    const std::vector<uint8_t> bytes = bytesOf(m);
    ASSERT_TRUE(player.openMemory(bytes.data(), bytes.size(), false));
    ASSERT_TRUE(player.play());
    // Before its first trigger an instrument reads as hit when the music was opened.
    player.updateInstrumentTimes();
    EXPECT_FLOAT_EQ(instSinceHit[0], 0.0f);

    const int64_t later = 2 * kRow + 1000;
    platform::advanceManualClock(later);
    ASSERT_TRUE(player.advanceFrames(later));
    player.updateInstrumentTimes();
    EXPECT_EQ(instHitCount[0], 1);
    EXPECT_FLOAT_EQ(instHitTime[0], static_cast<float>(2.0 * kRow / kRate));
    EXPECT_NEAR(instSinceHit[0], 1000.0 / kRate, 1e-6);
}

TEST_F(LockstepSong, TwoRunsAreIdenticalHoweverTheTimeIsSliced) {
    xm::Module m = emptySong(4, 2, 2, 32);
    m.instruments[1] = toneInstrument(40);
    for (int row = 0; row < 32; ++row) {
        m.patterns[row % 2].at(row, row % 4) = note(row % 3 ? "C-4" : "G-3", 1 + row % 2);
        if (row % 5 == 0) {
            m.patterns[0].at(row, 3) =
                withEffect(note("E-4", 2), xm::kExtended, xm::extendedParam(xm::kNoteDelay, 3));
        }
    }
    m.patterns[1].at(7, 2) = xm::Cell::fx(xm::kSetSpeedTempo, 150);
    const std::vector<uint8_t> bytes = bytesOf(m);
    const Recording a = playThrough(player, bytes, 735);  // 60 frames per second
    player.close();
    ASSERT_TRUE(startLockstep(player));
    const Recording b = playThrough(player, bytes, 1103);
    ASSERT_TRUE(a.finished);
    ASSERT_EQ(a.events.size(), b.events.size());
    for (size_t i = 0; i < a.events.size(); ++i) {
        EXPECT_EQ(a.events[i].frame, b.events[i].frame) << i;
        EXPECT_EQ(a.events[i].instrument, b.events[i].instrument) << i;
        EXPECT_EQ(a.heardAt[i], b.heardAt[i]) << i;
    }
    // The mixed sound is bit for bit the same up to the end of the song.
    const size_t common = 2 * static_cast<size_t>(player.endFrame());
    ASSERT_LE(common, std::min(a.pcm.size(), b.pcm.size()));
    EXPECT_TRUE(std::equal(a.pcm.begin(), a.pcm.begin() + common, b.pcm.begin()));
}

TEST_F(LockstepSong, SeekToOrderGivesTheStateOfAFullRun) {
    xm::Module m = emptySong(2, 3, 2);
    m.patterns[0].at(0, 0) = note("C-4", 1);
    m.patterns[0].at(9, 1) = note("C-4", 2);
    m.patterns[1].at(3, 0) = note("C-4", 1);
    m.patterns[1].at(15, 1) = xm::Cell::fx(xm::kPositionJump, 3);
    m.patterns[2].at(0, 0) = note("C-4", 2);
    m.orders = {0, 1, 1, 2};  // order 2 is jumped over, order 3 follows order 1
    const std::vector<uint8_t> bytes = bytesOf(m);
    ASSERT_TRUE(player.openMemory(bytes.data(), bytes.size(), false));

    EXPECT_LT(player.seekToOrder(2), 0.0) << "jumped over, never reached";
    EXPECT_LT(player.seekToOrder(4), 0.0) << "no such order";
    EXPECT_EQ(player.getOrder(), 0) << "a failed seek leaves the song alone";

    const double at = player.seekToOrder(3);
    EXPECT_DOUBLE_EQ(at, 32.0 * kRow / kRate);
    EXPECT_EQ(player.getOrder(), 3);
    EXPECT_EQ(instHitCount[0], 2);
    EXPECT_EQ(instHitCount[1], 1);
    EXPECT_FLOAT_EQ(instHitTime[0], static_cast<float>(19.0 * kRow / kRate));
    ASSERT_TRUE(player.play());
    EXPECT_EQ(player.heardFrame(), 32 * kRow);
    // The note on the order's first frame is still to come.
    ASSERT_TRUE(player.advanceFrames(1));
    EXPECT_EQ(instHitCount[1], 2);
    EXPECT_FLOAT_EQ(instHitTime[1], static_cast<float>(at));
}

}  // namespace
