#include "demo/director.h"

#include <GL/gl.h>

#include "demo/logo_overlay.h"
#include "demo/twist_mesh.h"
#include "demo/zoom_feedback_effect.h"
#include "effects/arrow_field_effect.h"
#include "effects/arrow_shock_effect.h"
#include "effects/env_cube_effect.h"
#include "effects/metaball_effect.h"
#include "effects/reflect_spheres_effect.h"
#include "effects/shockwave_effect.h"
#include "effects/sky_particle_effect.h"
#include "effects/spike_ball_effect.h"
#include "effects/star_mesh_effect.h"
#include "effects/tube_effect.h"
#include "effects/zoom_blur.h"
#include "music/music_player.h"
#include "music/sync_slots.h"

namespace {

constexpr int kOrders = 32;

constexpr PartFunction kPartOfOrder[kOrders] = {
    partTubeIntro,    partTubeIntro,    partTubeIntro,  partTubeIntro,  // 0-3
    partTubeArrows,   partTubeArrows,   partTubeArrows,                 // 4-6
    partTitle,                                                          // 7
    partTwistTorus,   partTwistTorus,                                   // 8-9
    partMetaballs,                                                      // 10
    partSpheres,      partSpheres,                                      // 11-12
    partArrowShock,   partArrowShock,   partArrowShock,                 // 13-15
    partHeart,        partHeart,        partHeart,      partHeart,      // 16-19
    partZoomFeedback, partZoomFeedback,                                 // 20-21
    partEnvCube,      partEnvCube,                                      // 22-23
    partShockwave,    partShockwave,                                    // 24-25
    partCredits,      partCredits,      partCredits,    partCredits,    // 26-29
    partCredits,      partCredits,                                      // 30-31
};

bool g_prepared = false;
Director::PrepareObserver g_prepareObserver = nullptr;

struct PrepareStep {
    const char* name;
    void (*run)();
};

// One-time preparation of everything the parts draw, in a fixed order (the star mesh is
// prepared and named though no part draws it, as is the arrow field).
constexpr PrepareStep kPrepareSteps[] = {
    {"g_metaballs.prepare", [] { g_metaballs.prepare(); }},
    {"g_scratchTexture.prepare", [] { g_scratchTexture.prepare(); }},
    {"g_starMesh.prepare", [] { g_starMesh.prepare(); }},
    {"g_starMesh.setObjectName", [] { g_starMesh.setObjectName("lwos\\star.lwo"); }},
    {"g_reflectSpheres.prepare", [] { g_reflectSpheres.prepare(); }},
    {"g_envCube.prepare", [] { g_envCube.prepare(); }},
    {"g_shockwave.prepare", [] { g_shockwave.prepare(); }},
    {"g_arrowShock.prepare", [] { g_arrowShock.prepare(); }},
    {"g_zoomFeedback.prepare", [] { g_zoomFeedback.prepare(); }},
    {"g_skyParticles.prepare", [] { g_skyParticles.prepare(); }},
    {"g_arrowField.prepare", [] { g_arrowField.prepare(); }},
    {"g_twistTorus.load", [] { g_twistTorus.load("lwos\\torus-loop-meta.lwo"); }},
    {"g_tube.prepare", [] { g_tube.prepare(); }},
    {"g_logoOverlay.prepare", [] { g_logoOverlay.prepare(); }},
    {"g_spikeBall.load", [] { g_spikeBall.load("lwos\\spikeball.lwo"); }},
};

void prepareEffects() {
    for (const PrepareStep& step : kPrepareSteps) {
        if (g_prepareObserver) g_prepareObserver(step.name);
        step.run();
    }
}

}  // namespace

namespace Director {

PartFunction partForOrder(int order) {
    return static_cast<unsigned>(order) < kOrders ? kPartOfOrder[order] : nullptr;
}

void combineAccents() {
    using namespace SyncSlot;
    instHitCount[kAccent] =
        static_cast<uint16_t>(instHitCount[kSnareAccent] + instHitCount[kKickAccent]);
    instSinceHit[kAccent] = instSinceHit[kSnareAccent] < instSinceHit[kKickAccent]
                                ? instSinceHit[kSnareAccent]
                                : instSinceHit[kKickAccent];
}

bool prepared() {
    return g_prepared;
}

void setPrepareObserver(PrepareObserver observer) {
    g_prepareObserver = observer;
}

bool frame(float time, float frameTime) {
    // The order is read before anything is drawn.
    const int order = g_musicPlayer.getOrder();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    g_musicPlayer.updateInstrumentTimes();
    combineAccents();
    if (!g_prepared) {
        prepareEffects();
        g_prepared = true;
    }
    if (const PartFunction part = partForOrder(order)) part(time, frameTime);
    return true;
}

}  // namespace Director
