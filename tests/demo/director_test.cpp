#include <GL/gl.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "archive/archive.h"
#include "demo/director.h"
#include "demo/effect_catalog.h"
#include "demo/logo_overlay.h"
#include "demo/part_table.h"
#include "effects/twist_torus.h"
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

// Which part each order draws is guarded by the reference frames; here, that the table gives
// every order of the song exactly one part and nothing past it (nor to the order of a song
// that failed to load).
TEST(PartTable, EveryOrderHasExactlyOnePart) {
    for (int order = 0; order < 32; ++order) {
        int parts = 0;
        for (size_t r = 0; r < PartTable::rowCount(); ++r) {
            const PartRow& row = PartTable::row(r);
            if (order >= row.firstOrder && order <= row.lastOrder) ++parts;
        }
        EXPECT_EQ(parts, 1) << "order " << order;
        ASSERT_NE(Director::partForOrder(order), nullptr) << "order " << order;
    }
    for (int order : {32, 33, 255, 1 << 30, -1, -32})
        EXPECT_EQ(Director::partForOrder(order), nullptr) << "order " << order;
    for (size_t r = 0; r < PartTable::rowCount(); ++r) {
        const PartRow& row = PartTable::row(r);
        EXPECT_EQ(row.draw != nullptr, row.firstOrder >= 0) << row.name;
        EXPECT_LE(row.firstOrder, row.lastOrder) << row.name;
    }
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

    // Every step of every row once, by its place.
    std::vector<std::pair<int, std::string>> places;
    for (size_t r = 0; r < PartTable::rowCount(); ++r) {
        const PartRow& row = PartTable::row(r);
        for (size_t i = 0; i < row.stepCount; ++i)
            places.push_back({row.steps[i].place, row.steps[i].name});
    }
    std::sort(places.begin(), places.end());
    ASSERT_EQ(g_trace.size(), places.size());
    for (size_t i = 0; i < places.size(); ++i) {
        EXPECT_EQ(places[i].first, static_cast<int>(i)) << "places run 0, 1, 2, ... once each";
        EXPECT_EQ(g_trace[i].step, places[i].second);
    }
    // The names are what the steps do: each step's work shows by the time the next begins.
    auto after = [&](size_t i, const char* step) {
        for (size_t k = 0; k < i; ++k)
            if (g_trace[k].step == step) return true;
        return false;
    };
    for (size_t i = 0; i < g_trace.size(); ++i) {
        EXPECT_EQ(g_trace[i].starNamed, after(i, "g_starMesh.setObjectName")) << g_trace[i].step;
        EXPECT_EQ(g_trace[i].barsReset, after(i, "g_logoOverlay.prepare")) << g_trace[i].step;
        EXPECT_EQ(g_trace[i].messages, after(i, "g_twistTorus.load") ? 1u : 0u) << g_trace[i].step;
    }
    // The spike ball is loaded after the torus: its message comes second.
    EXPECT_TRUE(after(g_trace.size(), "g_spikeBall.load"));
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
    for (PartFunction part : {Director::partForOrder(8), Director::partForOrder(16)}) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        part(2.0f, 0.02f);
    }
    glLoadIdentity();
    // The twisting torus's part still put its title over where the torus would be.
    Director::partForOrder(8)(2.0f, 0.02f);
    EXPECT_GT(testsupport::pixelFromTop(320, 120).g, 240);
    for (const std::string& message : capture.messages()) {
        EXPECT_EQ(message.find("torus-loop-meta"), std::string::npos) << message;
        EXPECT_EQ(message.find("spikeball"), std::string::npos) << message;
    }
    glLoadIdentity();
}

// After the director's first frame (the test above): every viewer entry is found by its name
// and draws a frame without an OpenGL error, with its objects and pictures missing
// too.
TEST(Viewer, EveryEntryDraws) {
    ASSERT_TRUE(testsupport::ensureGlContext());
    testsupport::MessageCapture capture;
    std::set<std::string> names;
    for (int i = 0; i < effectCount(); ++i) {
        const EffectEntry& entry = effectAt(i);
        EXPECT_TRUE(names.insert(entry.name).second) << "two entries named " << entry.name;
        EXPECT_EQ(findEffect(entry.name), &entry);
        if (i > 0) EXPECT_LT(std::string(effectAt(i - 1).name), entry.name);
        while (glGetError() != GL_NO_ERROR) {
        }
        for (float time : {0.0f, 12.5f}) drawEffectFrame(entry, time, 0.02f);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << entry.name;
    }
    EXPECT_EQ(findEffect("no-such-effect"), nullptr);
}

}  // namespace
