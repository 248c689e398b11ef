// library_effects.cpp - the effects of the library that no order of the production draws,
// and the preparation the production gives two of them: each can still be drawn alone
// (palisade --effect NAME) with a camera that frames it.
#include <GL/gl.h>
#include <GL/glu.h>

#include <iterator>

#include "demo/part_table.h"
#include "effects/arrow_field_effect.h"
#include "effects/depth_pin_effect.h"
#include "effects/feedback_cube_effect.h"
#include "effects/null_effect.h"
#include "effects/object_grid_effect.h"
#include "effects/sky_map_scene_effect.h"
#include "effects/star_mesh_effect.h"
#include "effects/tunnel_scene_effect.h"
#include "effects/wave_grid_effect.h"
#include "texture/texture_cache.h"

namespace {

void drawArrowField(float time, float frameTime) {
    // From outside the cube, which the flying object never leaves.
    glTranslatef(0.0f, 0.0f, -60.0f);
    g_arrowField.render(time, frameTime);
}

// The star mesh and the arrow field are prepared on the first frame though nothing draws them.
void nameStarMesh() {
    g_starMesh.setObjectName("lwos\\star.lwo");
}
void prepareStarMesh() {
    g_starMesh.prepare();
    nameStarMesh();
}
void drawStarMesh(float time, float frameTime) {
    glTranslatef(0.0f, 0.0f, -9.0f);
    glRotatef(40.0f * time, 0, 1, 0);
    g_textureCache.bind("textures\\testenvmap.jpg");  // kept for the first ten seconds
    g_starMesh.render(time, frameTime);
}

// The library effects the production never shows get a camera that frames them.
void drawDepthPins(float time, float frameTime) {
    // The pins stand about 700 to 800 units out of the grid's plane: turn about their middle.
    glTranslatef(0.0f, 0.0f, -230.0f);
    glRotatef(-35.0f, 1, 0, 0);
    glTranslatef(0.0f, 0.0f, -760.0f);
    g_depthPins.render(time, frameTime);
}

void drawFeedbackCube(float time, float frameTime) {
    // The slide show skips slot 0 and keeps what is bound: a picture for its first seconds.
    g_textureCache.bind("textures\\rest.jpg");
    glTranslatef(0.0f, 0.0f, -4.0f);
    glRotatef(40.0f * time, 1, 0, 0);
    glRotatef(53.0f * time, 0, 1, 0);
    g_feedbackCube.render(time, frameTime);
}

void drawNull(float time, float frameTime) {
    g_null.render(time, frameTime);
}

void drawObjectGrid(float time, float frameTime) {
    glTranslatef(0.0f, 0.0f, -20.0f);
    glRotatef(25.0f, 1, 0, 0);
    glRotatef(30.0f * time, 0, 1, 0);
    g_objectGrid.render(time, frameTime);
}

void drawWaveGrid(float time, float frameTime) {
    gluLookAt(0.0, 62.0, 58.0, 0.0, -6.0, 4.0, 0.0, 1.0, 0.0);
    g_waveGrid.render(time, frameTime);
}

// The scenes bring their own cameras: the effect draws from the window's projection alone.
void drawSceneSky(float time, float frameTime) {
    g_skyMapScene.render(time, frameTime);
}
void drawSceneTunnel(float time, float frameTime) {
    g_tunnelScene.render(time, frameTime);
}

constexpr PrepareStep kSteps[] = {
    {2, "g_starMesh.prepare", prepareGlobal<g_starMesh>},
    {3, "g_starMesh.setObjectName", nameStarMesh},
    {10, "g_arrowField.prepare", prepareGlobal<g_arrowField>},
};

constexpr EffectEntry kEntries[] = {
    {"arrow-field", "64 arrows turning towards an object on a Lissajous path (never in a part)",
     prepareGlobal<g_arrowField>, drawArrowField},
    {"depth-pins", "32 x 32 pins pushed out by the depth image of a tumbling cube",
     prepareGlobal<g_depthPins>, drawDepthPins},
    {"feedback-cube", "a cube wearing the previous frame over a changing slide show",
     prepareGlobal<g_feedbackCube>, drawFeedbackCube},
    {"null", "the effect that draws nothing (a cleared frame)", prepareGlobal<g_null>, drawNull},
    {"object-grid", "small cubes on every point of the palisade test object",
     prepareGlobal<g_objectGrid>, drawObjectGrid},
    {"scene-sky",
     "the scene cransscene.lws lit by its lights, with a scrolling sky map added on unit 1",
     prepareGlobal<g_skyMapScene>, drawSceneSky},
    {"scene-tunnel", "the scene tunnel.lws: the camera flies down a tunnel of rolling cube rings",
     prepareGlobal<g_tunnelScene>, drawSceneTunnel},
    {"star-mesh", "star object as big red points, then mirroring a texture that changes every 10 s",
     prepareStarMesh, drawStarMesh},
    {"wave-grid", "a liquid surface rippled by four wandering wave sources",
     prepareGlobal<g_waveGrid>, drawWaveGrid},
};

}  // namespace

extern const PartRow kLibraryRow = {
    "library", -1, -1, nullptr, kSteps, std::size(kSteps), kEntries, std::size(kEntries)};
