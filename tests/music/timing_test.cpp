// Trigger timing in lockstep: the output frame every order change and trigger is stamped on,
// and what the sync arrays and getOrder read on the frame before and the frame after each.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "music/music_player.h"
#include "platform/platform.h"
#include "tests/music/test_songs.h"

using namespace testsongs;

namespace {

// Speed 6 at tempo 125: 6 ticks of 44100 x 2.5 / 125 = 882 frames.
constexpr int64_t kRow = 6 * kTick;  // 5292

// One expected event: an order change (instrument -1) or a trigger.
struct Ev {
    int64_t frame;
    int order;  // orders: the order entered
    int row;    // orders: the row it is entered on
    int channel;
    int instrument;  // 0-based, as the sync arrays count
};
Ev order(int64_t frame, int o, int row = 0) {
    return {frame, o, row, -1, -1};
}
Ev hit(int64_t frame, int channel, int instrument) {
    return {frame, -1, -1, channel, instrument};
}
std::string text(const Ev& e) {
    return std::to_string(e.frame) +
           (e.instrument < 0 ? " order " + std::to_string(e.order) + " row " + std::to_string(e.row)
                             : " channel " + std::to_string(e.channel) + " instrument " +
                                   std::to_string(e.instrument));
}

struct TimingCase {
    const char* name;
    xm::Module (*song)();
    std::vector<Ev> events;  // every order change and trigger, as heard
    int64_t end;             // the song's last frame + 1
    bool probe = true;       // check the sync data on the frames around each event
};

xm::Cell delayed(xm::Cell c, int ticks) {
    return withEffect(c, xm::kExtended, xm::extendedParam(xm::kNoteDelay, ticks));
}

// Speed 3 at tempo 150 (ticks of 110250 / 150 = 735 frames, rows of 2205), then speed 5 from
// row 3 and tempo 131 from row 4: ticks of 841 frames (110250 / 131 = 841.6, cut to whole
// frames as the mixer does).
xm::Module tempoSong() {
    xm::Module m = emptySong(2, 1, 2);
    m.speed = 3;
    m.tempo = 150;
    xm::Pattern& p = m.patterns[0];
    p.at(0, 0) = note("C-4", 1);
    p.at(2, 0) = delayed(note("C-4", 1), 2);
    p.at(3, 1) = withEffect(note("C-4", 2), xm::kSetSpeedTempo, 5);
    p.at(4, 0) = note("C-4", 1);
    p.at(4, 1) = xm::Cell::fx(xm::kSetSpeedTempo, 131);
    p.at(5, 0) = delayed(note("C-4", 2), 3);  // instrument 2 on channel 0
    return m;
}

// Order 0 breaks after row 2 into row 12 of order 1, which jumps over order 2 to order 3;
// order 3 jumps back to order 1, which ends the song where it reaches row 12 again.
xm::Module breakSong() {
    xm::Module m = emptySong(2, 4);
    m.patterns[0].at(1, 0) = note("C-4", 1);
    m.patterns[0].at(2, 1) = xm::Cell::fx(xm::kPatternBreak, xm::breakParam(12));
    m.patterns[1].at(12, 0) = note("D-4", 0);  // the channel's instrument from order 0
    m.patterns[1].at(15, 1) = xm::Cell::fx(xm::kPositionJump, 3);
    m.patterns[2].at(0, 0) = note("C-4", 1);  // never played
    m.patterns[3].at(0, 0) = delayed(note("C-4", 1), 1);
    m.patterns[3].at(15, 1) = xm::Cell::fx(xm::kPositionJump, 1);  // back to rows not played
    return m;
}

xm::Cell loop(int times) {
    return xm::Cell::fx(xm::kExtended, xm::extendedParam(xm::kPatternLoop, times));
}

// Rows 0..1 of order 0 play three times, and rows 4..5 of order 1.
xm::Module loopSong() {
    xm::Module m = emptySong(2, 2);
    m.patterns[0].at(0, 1) = loop(0);
    m.patterns[0].at(0, 0) = note("C-4", 1);
    m.patterns[0].at(1, 1) = loop(2);
    m.patterns[1].at(4, 1) = loop(0);
    m.patterns[1].at(5, 0) = note("C-4", 1);
    m.patterns[1].at(5, 1) = loop(2);
    return m;
}

// Row 0 plays three times.
xm::Module oneRowLoopSong() {
    xm::Module m = emptySong(1, 1);
    m.patterns[0].at(0, 0) = withEffect(note("C-4", 1), xm::kExtended, loop(2).param);
    return m;
}

// A note delay on a row held for two more rows (EE2) beside a note without one, a delay of a
// whole row, and one without a note.
xm::Module delaySong() {
    xm::Module m = emptySong(2, 1);
    xm::Pattern& p = m.patterns[0];
    p.at(0, 0) = delayed(note("C-4", 1), 2);
    p.at(0, 1) = withEffect(note("C-4", 1), xm::kExtended, xm::extendedParam(xm::kPatternDelay, 2));
    p.at(1, 0) = note("C-4", 1);
    p.at(2, 0) = delayed(note("C-4", 1), 6);  // the row ends first
    p.at(3, 0) = xm::Cell::fx(xm::kExtended, xm::extendedParam(xm::kNoteDelay, 2));
    return m;
}

// What strikes and what does not, on three channels with 66 instruments: only 1..64 have
// slots in the sync arrays.
xm::Module noteSong() {
    xm::Module m = emptySong(3, 1, 66);
    xm::Pattern& p = m.patterns[0];
    p.at(0, 0) = note("C-4", 1);
    p.at(0, 1) = note("E-4", 2);
    p.at(1, 0) = note("D-4", 0);  // no instrument: channel 0 still holds instrument 1
    p.at(2, 0) = note("===", 0);  // note-off
    p.at(3, 2) = delayed(note("C-4", 3), 4);
    p.at(5, 1) = withEffect(note("G-4", 2), xm::kTonePorta, 0x20);  // slides, not struck
    p.at(6, 1) = note("G-4", 0);
    p.at(6, 1).volume = xm::volumeColumn::tonePorta(2);  // so does the volume column's
    p.at(7, 0) = withEffect(note("C-4", 1), xm::kExtended, xm::extendedParam(xm::kNoteCut, 0));
    p.at(8, 0) = withEffect(note("C-4", 1), xm::kExtended, xm::extendedParam(xm::kNoteCut, 3));
    p.at(9, 0) = withEffect(note("C-4", 1), xm::kKeyOffEffect, 0);
    p.at(10, 1) = xm::Cell::noteOn(0, 3);  // instrument alone: now the channel's
    p.at(11, 1) = note("A-4", 0);
    p.at(12, 2) = note("C-4", 67);  // the module has no instrument 67
    p.at(13, 1) = xm::Cell::fx(xm::kExtended, xm::extendedParam(xm::kNoteDelay, 2));
    p.at(14, 2) = note("C-4", 64);
    p.at(15, 2) = note("C-4", 66);
    return m;
}

// clang-format off
// Every frame worked out from the tick lengths above; kRow is 5292 frames, kTick 882.
const TimingCase kCases[] = {
    // First: the songs after it must find its counts cleared.
    {"WhatStrikes", noteSong,
     {order(0, 0), hit(0, 0, 0), hit(0, 1, 1), hit(kRow, 0, 0),
      hit(3 * kRow + 4 * kTick, 2, 2),  // 19404
      hit(8 * kRow, 0, 0), hit(11 * kRow, 1, 2),
      hit(13 * kRow + 2 * kTick, 1, 2),  // 70560: A-4 again
      hit(14 * kRow, 2, 63), hit(15 * kRow, 2, 65)},
     16 * kRow},
    {"SpeedTempoAndTheirChanges", tempoSong,
     {order(0, 0), hit(0, 0, 0),
      hit(2 * 2205 + 2 * 735, 0, 0),          // 5880
      hit(3 * 2205, 1, 1),                    // 6615, the first row of speed 5
      hit(6615 + 5 * 735, 0, 0),              // 10290, the first row of tempo 131
      hit(10290 + 5 * 841 + 3 * 841, 0, 1)},  // 17018
     10290 + 12 * 5 * 841},                   // 60750
    {"BreakAndJump", breakSong,
     {order(0, 0), hit(kRow, 0, 0),
      order(3 * kRow, 1, 12), hit(3 * kRow, 0, 0),       // 15876
      order(7 * kRow, 3), hit(7 * kRow + kTick, 0, 0),  // 37044 (+ 882)
      order(23 * kRow, 1)},
     35 * kRow},
    {"PatternLoops", loopSong,
     {order(0, 0), hit(0, 0, 0), hit(2 * kRow, 0, 0), hit(4 * kRow, 0, 0),
      order(20 * kRow, 1),  // 105840
      hit(25 * kRow, 0, 0), hit(27 * kRow, 0, 0), hit(29 * kRow, 0, 0)},
     40 * kRow},
    // The same row again shows only as it runs on past its end, so its sync data is up to 9
    // frames late in lockstep; the stamps are exact.
    {"OneRowLoop", oneRowLoopSong,
     {order(0, 0), hit(0, 0, 0), hit(kRow, 0, 0), hit(2 * kRow, 0, 0)}, 18 * kRow, false},
    {"NoteDelays", delaySong,
     {order(0, 0),
      hit(0, 1, 0),  // once: only delayed notes strike on every repeat
      hit(2 * kTick, 0, 0), hit(8 * kTick, 0, 0), hit(14 * kTick, 0, 0),
      hit(3 * kRow, 0, 0),               // 15876, after the 18 ticks of row 0
      hit(5 * kRow + 2 * kTick, 0, 0)},  // 28224: row 3, the last note again
     18 * kRow},
};

// clang-format on

// A lockstep player on the manual clock, which moves with the song: frame f is heard at
// music clock time f / 44100 s.
class Timing : public ::testing::TestWithParam<TimingCase> {
  protected:
    void SetUp() override {
        platform::useManualClock(kRate);
        ASSERT_TRUE(startLockstep(player));
    }
    void TearDown() override {
        player.close();
        platform::useRealClock();
    }
    // As the program's lockstep runs advance: to a time in seconds, the nearest frame.
    void advanceTo(int64_t frame) {
        platform::advanceManualClock(frame - at);
        ASSERT_TRUE(player.advanceTo(frame / double(kRate), &pcm));
        at = frame;
    }
    // The sync data once frames [0, heard) have been heard: that of the events before.
    void expectSyncAt(int64_t heard, const std::vector<Ev>& events) {
        SCOPED_TRACE("frame " + std::to_string(heard));
        uint16_t count[kInstrumentSlots] = {};
        std::vector<int64_t> last(kInstrumentSlots, -1);
        int current = 0;
        for (const Ev& e : events) {
            if (e.frame >= heard) break;
            if (e.instrument < 0) current = e.order;
            if (e.instrument >= 0 && e.instrument < kInstrumentSlots) {
                ++count[e.instrument];
                last[e.instrument] = e.frame;
            }
        }
        player.updateInstrumentTimes();
        EXPECT_EQ(player.getOrder(), current);
        for (int i = 0; i < kInstrumentSlots; ++i) {
            const float time = last[i] < 0 ? 0.0f : static_cast<float>(last[i] / double(kRate));
            EXPECT_EQ(instHitCount[i], count[i]) << "instrument " << i;
            EXPECT_EQ(instHitTime[i], time) << "instrument " << i;
            EXPECT_FLOAT_EQ(instSinceHit[i], static_cast<float>(heard / double(kRate) - time))
                << "instrument " << i;
        }
    }

    MusicPlayer player;
    int64_t at = 0;
    std::vector<float> pcm;
};

TEST_P(Timing, EveryEventOnItsFrameAndTheSyncDataFromTheNextFrameOn) {
    const TimingCase& c = GetParam();
    std::vector<std::pair<SyncEvent, double>> heard;
    player.setSyncObserver(
        [](void* user, const SyncEvent& e, double heardAt) {
            static_cast<std::vector<std::pair<SyncEvent, double>>*>(user)->push_back({e, heardAt});
        },
        &heard);
    const std::vector<uint8_t> bytes = bytesOf(c.song());
    ASSERT_TRUE(player.openMemory(bytes.data(), bytes.size(), false));
    ASSERT_TRUE(player.play());
    expectSyncAt(0, c.events);
    for (const Ev& e : c.events) {
        if (e.frame < at || !c.probe) continue;  // several on one frame
        advanceTo(e.frame);
        expectSyncAt(e.frame, c.events);
        advanceTo(e.frame + 1);
        expectSyncAt(e.frame + 1, c.events);
    }
    advanceTo(c.end);
    EXPECT_FALSE(player.finished()) << "ended early";
    advanceTo(c.end + 1);
    EXPECT_TRUE(player.finished());
    EXPECT_EQ(player.endFrame(), c.end);
    expectSyncAt(c.end + 1, c.events);

    // Every event as expected, heard at its frame's time.
    std::vector<std::string> got, want;
    for (const auto& [e, time] : heard) {
        if (e.kind == SyncEvent::kEnd) continue;
        got.push_back(text(e.kind == SyncEvent::kOrder ? order(e.frame, e.order, e.row)
                                                       : hit(e.frame, e.channel, e.instrument)));
        EXPECT_EQ(time, e.frame / double(kRate));
    }
    for (const Ev& e : c.events) want.push_back(text(e));
    EXPECT_EQ(got, want);
    EXPECT_EQ(heard.back().first.kind, SyncEvent::kEnd);

    // The stamps are where the clicks sound: each onset within the mixer's ramp after its
    // trigger, and no onset without one.
    std::vector<int64_t> onsets;
    int64_t loudAt = -1000;
    for (int64_t f = 0; f < static_cast<int64_t>(pcm.size() / 2); ++f) {
        if (std::fabs(pcm[2 * f]) + std::fabs(pcm[2 * f + 1]) < 1e-3f) continue;
        if (f - loudAt > 200) onsets.push_back(f);
        loudAt = f;
    }
    std::vector<int64_t> struck;
    for (const Ev& e : c.events)
        if (e.instrument >= 0 && (struck.empty() || struck.back() != e.frame))
            struck.push_back(e.frame);
    ASSERT_EQ(onsets.size(), struck.size());
    for (size_t i = 0; i < struck.size(); ++i) {
        EXPECT_GE(onsets[i], struck[i]) << i;
        EXPECT_LE(onsets[i], struck[i] + 8) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Songs, Timing, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TimingCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
