// part_tube.cpp - the opening: a fogged flight along the swaying tubes, first with a box
// sinking down the shaft (orders 0-3), then with a tower of turning arrows (orders 4-6).
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "demo/logo_overlay.h"
#include "demo/part_table.h"
#include "demo/parts.h"
#include "effects/overlay.h"
#include "effects/tube_effect.h"
#include "mesh/mesh_library.h"
#include "texture/texture_cache.h"

namespace {

// Fog, the camera drifting near the tube's axis looking up along it, and the tubes.
void beginTubeFlight(float time, float frameTime, float eyeX, float eyeY, float eyeZ,
                     float targetY) {
    glPushAttrib(kAllAttributeGroups);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 10.0f);
    glFogf(GL_FOG_END, 50.0f);
    glEnable(GL_FOG);
    beginLetterboxClip();
    gluLookAt(eyeX, eyeY, eyeZ, 0.0, targetY, 0.0, 1.0, 0.0, 0.0);
    g_tube.render(time, frameTime);
}

// Lit, untextured objects turned to face the camera's side of the shaft.
void beginLitObjects(float baseY) {
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glTranslatef(0.0f, baseY, 0.0f);
    glRotatef(180.0f, 0, 1, 0);
    glRotatef(90.0f, 0, 1, 0);
}

// Film grain, fog off, the overlay, and the attributes restored.
void endTubeFlight(float time, float frameTime, int corner) {
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    g_textureCache.bind("textures\\noise.png");
    drawNoiseOverlay(0.5f);
    glDisable(GL_FOG);
    endLetterboxClip();
    g_logoOverlay.draw(time, frameTime, corner);
    glPopAttrib();
}

void partTubeIntro(float time, float frameTime) {
    // The box sinks from height 120 and comes to rest at 20 after 33.3 seconds.
    const float boxHeight = std::max(20.0f, 120.0f - 3.0f * time);
    beginTubeFlight(time, frameTime, 5.0f * std::sin(0.6f * time + std::sin(0.3f * time)), 0.0f,
                    5.0f * std::sin(time + std::sin(0.45f * time)), 20.0f);
    beginLitObjects(boxHeight);
    g_meshLibrary.draw("lwos\\box-demo.lwo", 0);
    endTubeFlight(time, frameTime, 0);
}

void partTubeArrows(float time, float frameTime) {
    beginTubeFlight(time, frameTime, 6.0f * std::sin(0.6f * time + std::sin(0.2f * time)), 10.0f,
                    6.0f * std::sin(time + std::sin(0.35f * time)), 18.0f);
    beginLitObjects(-20.0f);
    // A tower of sixteen arrows, each turning at its own rate, on the base of layer 1.
    glPushMatrix();
    for (int i = 0; i < 16; ++i) {
        glTranslatef(0.0f, 6.0f, 0.0f);
        glPushMatrix();
        glRotatef(180.0f * std::sin(0.1f * i * time), 0, 1, 0);
        g_meshLibrary.draw("lwos\\arrow-strengs-big.lwo", 0);
        glPopMatrix();
    }
    glPopMatrix();
    g_meshLibrary.draw("lwos\\arrow-strengs-big.lwo", 1);
    endTubeFlight(time, frameTime, 1);
}

// Alone, the camera sways on simpler paths.
void drawTubeAlone(float time, float frameTime) {
    gluLookAt(5.0 * std::sin(0.6 * time), 0.0, 5.0 * std::sin(time), 0.0, 20.0, 0.0, 1.0, 0.0, 0.0);
    g_tube.render(time, frameTime);
}

constexpr PrepareStep kSteps[] = {{12, "g_tube.prepare", prepareGlobal<g_tube>}};
constexpr EffectEntry kEntries[] = {
    {"tube", "sixteen swaying sphere-mapped tubes, seen from inside the ring",
     prepareGlobal<g_tube>, drawTubeAlone},
};

}  // namespace

// Both parts fly through the same tubes, prepared and viewed with the first.
extern const PartRow kTubeIntroPart = {
    "tube-intro", 0, 3, partTubeIntro, kSteps, std::size(kSteps), kEntries, std::size(kEntries)};
extern const PartRow kTubeArrowsPart = {"tube-arrows", 4, 6,       partTubeArrows,
                                        nullptr,       0, nullptr, 0};
