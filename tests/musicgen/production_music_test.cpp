// The production's music as the demo hears it: the module the build writes from
// assets/music/palisade.score, played once through the music player in lockstep.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "music/sync_slots.h"
#include "tools/musicgen/arranger.h"
#include "tools/musicgen/render.h"
#include "tools/musicgen/score.h"

namespace {

constexpr int kOrders = 32;
using namespace SyncSlot;

bool isJumpOrder(int order) {
    return (order >= 8 && order <= 12) || (order >= 22 && order <= 25);
}

class ProductionMusic : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::ifstream in(PALISADE_MUSIC_MODULE, std::ios::binary);
        built_ = new std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
        song_ = new Rendition;
        std::string error;
        rendered_ = renderModule(*built_, *song_, error);
        EXPECT_TRUE(rendered_) << error;
        counts_ = new std::vector<std::vector<int>>(hitsPerOrder(*song_, kOrders, 64));
    }
    static void TearDownTestSuite() {
        delete built_;
        delete song_;
        delete counts_;
    }
    static int hits(int order, int instrument) {
        return (*counts_)[static_cast<size_t>(order)][static_cast<size_t>(instrument)];
    }

    static std::vector<uint8_t>* built_;
    static Rendition* song_;
    static std::vector<std::vector<int>>* counts_;
    static bool rendered_;
};

std::vector<uint8_t>* ProductionMusic::built_ = nullptr;
Rendition* ProductionMusic::song_ = nullptr;
std::vector<std::vector<int>>* ProductionMusic::counts_ = nullptr;
bool ProductionMusic::rendered_ = false;

TEST_F(ProductionMusic, TheBuildWritesWhatTheScoreGivesEveryTime) {
    std::vector<uint8_t> first, second;
    std::string error;
    ASSERT_TRUE(generateModule(PALISADE_MUSIC_SCORE, first, error)) << error;
    ASSERT_TRUE(generateModule(PALISADE_MUSIC_SCORE, second, error)) << error;
    EXPECT_EQ(first, second);
    EXPECT_EQ(*built_, first);
    EXPECT_LT(first.size(), 2u * 1024 * 1024);
}

TEST_F(ProductionMusic, PlaysItsThirtyTwoOrdersOnceToTheEnd) {
    ASSERT_TRUE(rendered_);
    EXPECT_TRUE(song_->finished);
    ASSERT_EQ(song_->orderStarts.size(), static_cast<size_t>(kOrders));
    for (int o = 0; o < kOrders; ++o) {
        const double end = o + 1 < kOrders ? song_->orderStarts[o + 1] : song_->seconds;
        const double length = end - song_->orderStarts[o];
        // 64 rows at 120 BPM, speed 6: about 8 s; the title's order holds a beat longer so
        // that the title, which lands 7.5 s into it, settles before the drop.
        EXPECT_NEAR(length, o == 7 ? 8.49 : 7.99, 0.02) << "order " << o;
    }
    EXPECT_GE(song_->orderStarts[8] - song_->orderStarts[7], 8.0);
    EXPECT_NEAR(song_->seconds, 256.3, 0.5);
}

TEST_F(ProductionMusic, TheNamedSyncSlotsHoldTheInstrumentsTheirNamesPromise) {
    score::Score score;
    std::string error;
    ASSERT_TRUE(score::parseFile(PALISADE_MUSIC_SCORE, score, error)) << error;
    const struct {
        int slot;
        const char* name;
    } expected[] = {{kTitleImpact, "impact"},
                    {kTitleStab, "stab"},
                    {kCrash, "crash"},
                    {kSnareAccent, "snare_acc"},
                    {kKickAccent, "kick_acc"}};
    for (const auto& e : expected) {
        const score::InstrumentDef* instrument = score.findInstrument(e.name);
        ASSERT_NE(instrument, nullptr) << e.name;
        EXPECT_EQ(instrument->slot, e.slot) << e.name;
    }
    for (const score::InstrumentDef& instrument : score.instruments)
        EXPECT_NE(instrument.slot, kAccent) << "the director writes slot " << kAccent;
}

TEST_F(ProductionMusic, StrikesTheSyncInstrumentsWhereThePicturesWantThem) {
    ASSERT_TRUE(rendered_);
    for (int o = 0; o < kOrders; ++o) {
        // The title shakes on its impact and stab, in its own order only.
        if (o == 7) {
            EXPECT_GE(hits(o, kTitleImpact), 2);
            EXPECT_GE(hits(o, kTitleStab), 2);
        } else {
            EXPECT_EQ(hits(o, kTitleImpact) + hits(o, kTitleStab), 0) << "order " << o;
        }
        // The crash opens every order: the logo wobbles all through.
        EXPECT_GE(hits(o, kCrash), 1) << "order " << o;
        const int accents = hits(o, kSnareAccent) + hits(o, kKickAccent);
        if (isJumpOrder(o)) {
            // On the beat: at least one jump a bar from each accent.
            EXPECT_GE(hits(o, kSnareAccent), 4) << "order " << o;
            EXPECT_GE(hits(o, kKickAccent), 4) << "order " << o;
            EXPECT_LE(accents, 24) << "order " << o;
        } else {
            EXPECT_LE(accents, 2) << "order " << o;  // sparingly elsewhere
        }
        EXPECT_EQ(hits(o, kAccent), 0) << "order " << o;
    }
}

TEST_F(ProductionMusic, NeverClipsAndSitsInItsLoudnessRange) {
    ASSERT_TRUE(rendered_);
    const Levels whole = measureLevels(song_->pcm);
    EXPECT_LT(whole.peakDb, -1.0);  // headroom below full scale
    EXPECT_GT(whole.rmsDb, -20.0);
    EXPECT_LT(whole.rmsDb, -10.0);
}

TEST_F(ProductionMusic, HasNoSilentHoles) {
    ASSERT_TRUE(rendered_);
    // Every second but the fading last ones carries sound; no section drops away.
    const size_t seconds = static_cast<size_t>(song_->seconds);
    for (size_t s = 0; s + 4 < seconds; ++s) {
        const Levels l = measureLevels(song_->pcm, s * kRenderRate, (s + 1) * kRenderRate);
        EXPECT_GT(l.rmsDb, -36.0) << "second " << s;
    }
    for (int o = 0; o + 1 < kOrders; ++o) {
        const size_t from = static_cast<size_t>(song_->orderStarts[o] * kRenderRate);
        const size_t to = static_cast<size_t>(song_->orderStarts[o + 1] * kRenderRate);
        EXPECT_GT(measureLevels(song_->pcm, from, to).rmsDb, -24.0) << "order " << o;
    }
}

}  // namespace
