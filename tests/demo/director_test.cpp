#include <GL/gl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive.h"
#include "demo/director.h"
#include "demo/logo_overlay.h"
#include "demo/twist_mesh.h"
#include "effects/sky_particle_effect.h"
#include "effects/spike_ball_effect.h"
#include "effects/star_mesh_effect.h"
#include "effects/tube_effect.h"
#include "music/music_player.h"
#include "music/sync_slots.h"
#include "tests/support/test_support.h"
#include "tests/texture/test_images.h"
#include "texture/texture_cache.h"

namespace {

// Which part each order draws is guarded by the reference frames; past the song's 32 orders,
// and the order of a song that failed to load, nothing is drawn.
TEST(Director, OrdersOutsideTheSongDrawNothing) {
    EXPECT_NE(Director::partForOrder(31), nullptr);
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

// What the first frame's preparation looked like as each step began: the step's name, how
// many messages had been shown, and two effects of earlier steps.
struct PrepareTrace {
    std::string step;
    size_t messages;
    bool barsReset;
    bool starNamed;
};
std::vector<PrepareTrace> g_trace;
testsupport::MessageCapture* g_traceMessages = nullptr;

void tracePrepareStep(const char* step) {
    g_trace.push_back({step, g_traceMessages->messages().size(), g_logoOverlay.barPeak[5] == 0.0f,
                       g_starMesh.objectName != nullptr});
}

// The one test that runs the director's first frame: without music or objects, the
// preparation still runs once, in its order, the frame stays cleared, and the parts whose
// objects are missing draw the rest.
TEST(Director, FirstFramePreparesEvenWithoutMusicOrObjectsAndStaysCleared) {
    ASSERT_TRUE(testsupport::ensureGlContext());
    testsupport::MessageCapture capture;
    ASSERT_LT(g_musicPlayer.getOrder(), 0);  // nothing loaded: no valid order
    Archive::setDataPath("no-such-archive.rar");
    g_logoOverlay.barPeak[5] = 77.0f;
    glClearColor(0, 0, 0, 1);
    glColor3f(1, 1, 1);
    g_traceMessages = &capture;
    Director::setPrepareObserver(tracePrepareStep);

    EXPECT_FALSE(Director::prepared());
    EXPECT_TRUE(Director::frame(0.0f, 0.0f));
    EXPECT_TRUE(Director::prepared());
    EXPECT_EQ(g_logoOverlay.barPeak[5], 0.0f);
    EXPECT_NEAR(g_tube.ringNormals[2].z, 1.0f, 1e-6f);
    EXPECT_EQ(g_skyParticles.emitters[1].capacity, 30);
    EXPECT_STREQ(g_starMesh.objectName, "lwos\\star.lwo");
    // The two objects the first frame reads are missing: one message each, nothing to draw.
    ASSERT_EQ(capture.messages().size(), 2u);
    EXPECT_NE(capture.messages()[0].find("lwos\\torus-loop-meta.lwo"), std::string::npos);
    EXPECT_NE(capture.messages()[1].find("lwos\\spikeball.lwo"), std::string::npos);
    EXPECT_EQ(g_twistTorus.shape.pointCount, 0);
    EXPECT_EQ(g_spikeBall.shape.pointCount, 0);

    // Every step once, in this order.
    const std::vector<std::string> order = {
        "g_metaballs.prepare",      "g_scratchTexture.prepare", "g_starMesh.prepare",
        "g_starMesh.setObjectName", "g_reflectSpheres.prepare", "g_envCube.prepare",
        "g_shockwave.prepare",      "g_arrowShock.prepare",     "g_zoomFeedback.prepare",
        "g_skyParticles.prepare",   "g_arrowField.prepare",     "g_twistTorus.load",
        "g_tube.prepare",           "g_logoOverlay.prepare",    "g_spikeBall.load"};
    std::vector<std::string> steps;
    for (const PrepareTrace& t : g_trace) steps.push_back(t.step);
    ASSERT_EQ(steps, order);
    // The names are what the steps do: each step's work shows by the time the next begins.
    for (size_t i = 0; i < g_trace.size(); ++i) {
        EXPECT_EQ(g_trace[i].starNamed, i > 3) << g_trace[i].step;
        EXPECT_EQ(g_trace[i].barsReset, i > 13) << g_trace[i].step;
        EXPECT_EQ(g_trace[i].messages, i > 11 ? 1u : 0u) << g_trace[i].step;
    }
    capture.clear();
    g_trace.clear();

    glColor3f(1, 1, 1);
    glClearColor(1, 0, 0, 1);
    EXPECT_TRUE(Director::frame(1.0f, 0.016f));
    EXPECT_TRUE(g_trace.empty()) << "the preparation runs on the first frame only";
    Director::setPrepareObserver(nullptr);
    // Cleared and nothing drawn over it.
    const auto p = testsupport::pixelFromTop(320, 240);
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.g, 0);
    EXPECT_TRUE(capture.messages().empty());
    glClearColor(0, 0, 0, 1);
    Archive::setDataPath("data.rar");

    // The torus and the spike ball are missing: their parts draw the rest and say nothing more.
    initImageLibrary();
    const auto white = testimages::solidPng(255, 255, 255);
    g_textureCache.loadFromMemory("textures\\title.png", white.data(), white.size());
    for (PartFunction part : {partTwistTorus, partHeart}) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        part(2.0f, 0.02f);
    }
    glLoadIdentity();
    // The twisting torus's part still put its title over where the torus would be.
    partTwistTorus(2.0f, 0.02f);
    EXPECT_GT(testsupport::pixelFromTop(320, 120).g, 240);
    for (const std::string& message : capture.messages()) {
        EXPECT_EQ(message.find("torus-loop-meta"), std::string::npos) << message;
        EXPECT_EQ(message.find("spikeball"), std::string::npos) << message;
    }
    glLoadIdentity();
}

}  // namespace
