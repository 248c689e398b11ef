// part_spheres.cpp - orders 11-12: eight chrome spheres reflecting a sky and each other.
#include <GL/gl.h>

#include <iterator>

#include "demo/logo_overlay.h"
#include "demo/part_table.h"
#include "demo/parts.h"
#include "effects/reflect_spheres_effect.h"

namespace {

void partSpheres(float time, float frameTime) {
    glPushAttrib(kAllAttributeGroups);
    const float t = accentShiftedTime(time, 34.6f);
    g_reflectSpheres.render(t, frameTime);
    g_logoOverlay.draw(t, frameTime, 1);
    glPopAttrib();
}

void drawReflectSpheresAlone(float time, float frameTime) {
    g_reflectSpheres.render(time, frameTime);  // places its own camera
}

constexpr PrepareStep kSteps[] = {{4, "g_reflectSpheres.prepare", prepareGlobal<g_reflectSpheres>}};
constexpr EffectEntry kEntries[] = {
    {"reflect-spheres", "eight spheres reflecting a sky and each other through cube maps",
     prepareGlobal<g_reflectSpheres>, drawReflectSpheresAlone},
};

}  // namespace

extern const PartRow kSpheresPart = {
    "spheres", 11, 12, partSpheres, kSteps, std::size(kSteps), kEntries, std::size(kEntries)};
