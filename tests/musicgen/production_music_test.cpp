// The production's music as the demo hears it: the module the build writes from
// assets/music/palisade.score, played once through the music player in lockstep.
#include <gtest/gtest.h>

#include <string>

#include "music/sync_slots.h"
#include "tests/support/test_support.h"
#include "tools/musicgen/arranger.h"
#include "tools/musicgen/render.h"

namespace {

constexpr int kOrders = 32;
using namespace SyncSlot;

// The module the build wrote, played once through by the first test that asks for it.
const Rendition& song() {
    static const Rendition played = [] {
        Rendition r;
        std::string error;
        EXPECT_TRUE(renderModule(testsupport::readFile(PALISADE_MUSIC_MODULE), r, error)) << error;
        return r;
    }();
    return played;
}

TEST(ProductionMusic, TheBuildWritesWhatTheScoreGivesEveryTime) {
    std::vector<uint8_t> first, second;
    std::string error;
    ASSERT_TRUE(generateModule(PALISADE_MUSIC_SCORE, first, error)) << error;
    ASSERT_TRUE(generateModule(PALISADE_MUSIC_SCORE, second, error)) << error;
    EXPECT_EQ(first, second);
    EXPECT_EQ(testsupport::readFile(PALISADE_MUSIC_MODULE), first);
}

TEST(ProductionMusic, PlaysItsThirtyTwoOrdersOnceToTheEnd) {
    const Rendition& r = song();
    ASSERT_TRUE(r.finished);
    ASSERT_EQ(r.orderStarts.size(), static_cast<size_t>(kOrders));
    for (int o = 0; o < kOrders; ++o) {
        const double end = o + 1 < kOrders ? r.orderStarts[o + 1] : r.seconds;
        // 64 rows at 120 BPM, speed 6: 7.99 s; the title's order holds a beat longer so that
        // the title, which lands 7.5 s into it, settles before the drop.
        EXPECT_NEAR(end - r.orderStarts[o], o == 7 ? 8.49 : 7.99, 0.02) << "order " << o;
    }
}

TEST(ProductionMusic, StrikesTheSyncInstrumentsWhereThePicturesWantThem) {
    // The slots are the module's instruments less one (sync_slots.h).
    const auto hits = hitsPerOrder(song(), kOrders, 64);
    for (int o = 0; o < kOrders; ++o) {
        const std::vector<int>& h = hits[static_cast<size_t>(o)];
        // The title shakes on its impact and stab, in its own order only.
        if (o == 7) {
            EXPECT_GE(h[kTitleImpact], 2);
            EXPECT_GE(h[kTitleStab], 2);
        } else {
            EXPECT_EQ(h[kTitleImpact] + h[kTitleStab], 0) << "order " << o;
        }
        // The crash opens every order: the logo wobbles all through.
        EXPECT_GE(h[kCrash], 1) << "order " << o;
        const bool drop = (o >= 8 && o <= 12) || (o >= 22 && o <= 25);
        if (drop) {
            // On the beat: at least one jump a bar from each accent.
            EXPECT_GE(h[kSnareAccent], 4) << "order " << o;
            EXPECT_GE(h[kKickAccent], 4) << "order " << o;
            EXPECT_LE(h[kSnareAccent] + h[kKickAccent], 24) << "order " << o;
        } else {
            EXPECT_LE(h[kSnareAccent] + h[kKickAccent], 2) << "order " << o;  // sparingly
        }
        EXPECT_EQ(h[kAccent], 0) << "the director writes slot " << kAccent;
    }
}

TEST(ProductionMusic, NeverClipsAndHasNoSilentHoles) {
    const Rendition& r = song();
    const Levels whole = measureLevels(r.pcm);
    EXPECT_LT(whole.peakDb, -1.0);  // headroom below full scale
    EXPECT_GT(whole.rmsDb, -20.0);
    EXPECT_LT(whole.rmsDb, -10.0);
    // Every second but the fading last ones carries sound.
    for (size_t s = 0; s + 4 < static_cast<size_t>(r.seconds); ++s) {
        const Levels l = measureLevels(r.pcm, s * kRenderRate, (s + 1) * kRenderRate);
        EXPECT_GT(l.rmsDb, -36.0) << "second " << s;
    }
}

}  // namespace
