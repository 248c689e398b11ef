#include <GL/gl.h>

#include <gtest/gtest.h>

#include "demo/director.h"
#include "demo/logo_overlay.h"
#include "effects/sky_particle_effect.h"
#include "effects/tube_effect.h"
#include "music/music_player.h"
#include "music/sync_slots.h"
#include "tests/support/test_support.h"

namespace {

TEST(Director, EveryOrderSelectsItsPart) {
    struct {
        int first, last;
        PartFunction part;
    } table[] = {{0, 3, partTubeIntro},    {4, 6, partTubeArrows},  {7, 7, partTitle},
                 {8, 9, partTwistTorus},   {10, 10, partMetaballs}, {11, 12, partSpheres},
                 {13, 15, partArrowShock}, {16, 19, partHeart},     {20, 21, partZoomFeedback},
                 {22, 23, partEnvCube},    {24, 25, partShockwave}, {26, 31, partCredits}};
    for (const auto& row : table)
        for (int order = row.first; order <= row.last; ++order)
            EXPECT_EQ(Director::partForOrder(order), row.part) << "order " << order;
    // Past the song's 32 orders, and the order of a song that failed to load, draw nothing.
    for (int order : {32, 33, 255, 1 << 30, -1, -32})
        EXPECT_EQ(Director::partForOrder(order), nullptr) << "order " << order;
}

TEST(Director, Slot50CombinesTheTwoAccents) {
    instHitCount[SyncSlot::kSnareAccent] = 65535;
    instHitCount[SyncSlot::kKickAccent] = 2;
    instSinceHit[SyncSlot::kSnareAccent] = 0.75f;
    instSinceHit[SyncSlot::kKickAccent] = 0.25f;
    Director::combineAccents();
    EXPECT_EQ(instHitCount[SyncSlot::kAccent], 1);  // the 16-bit sum wraps
    EXPECT_EQ(instSinceHit[SyncSlot::kAccent], 0.25f);
    instSinceHit[SyncSlot::kSnareAccent] = 0.125f;
    Director::combineAccents();
    EXPECT_EQ(instSinceHit[SyncSlot::kAccent], 0.125f);
    EXPECT_FLOAT_EQ(accentShiftedTime(10.0f, 34.6f), 10.0f + 34.6f);
}

TEST(Director, FirstFramePreparesEvenWithoutMusicAndStaysCleared) {
    ASSERT_TRUE(testsupport::ensureGlContext());
    testsupport::MessageCapture capture;
    ASSERT_LT(g_musicPlayer.getOrder(), 0);  // nothing loaded: no valid order
    g_logoOverlay.barPeak[5] = 77.0f;
    glClearColor(0, 0, 0, 1);
    glColor3f(1, 1, 1);

    EXPECT_FALSE(Director::prepared());
    EXPECT_TRUE(Director::frame(0.0f, 0.0f));
    EXPECT_TRUE(Director::prepared());
    EXPECT_EQ(g_logoOverlay.barPeak[5], 0.0f);
    EXPECT_NEAR(g_tube.ringNormals[2].z, 1.0f, 1e-6f);
    EXPECT_EQ(g_skyParticles.emitters[1].capacity, 30);

    glColor3f(1, 1, 1);
    glClearColor(1, 0, 0, 1);
    EXPECT_TRUE(Director::frame(1.0f, 0.016f));
    // Cleared and nothing drawn over it.
    const auto p = testsupport::pixelFromTop(320, 240);
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.g, 0);
    EXPECT_TRUE(capture.messages().empty());
    glClearColor(0, 0, 0, 1);
}

}  // namespace
