// part_pending.cpp - the parts whose effects are not in the engine yet. Until they are, each
// draws the shared overlay over the cleared frame, with the time and logo corner the part
// will use, so the song's timeline stays visible.
#include <GL/gl.h>

#include "demo/logo_overlay.h"
#include "demo/parts.h"

namespace {

void overlayOnly(float time, float frameTime, int corner) {
    glPushAttrib(kAllAttributeGroups);
    g_logoOverlay.draw(time, frameTime, corner);
    glPopAttrib();
}

}  // namespace

void partTitle(float time, float frameTime) {
    overlayOnly(time, frameTime, 2);
}
void partTwistTorus(float time, float frameTime) {
    overlayOnly(accentShiftedTime(time, 34.6f), frameTime, 3);
}
void partMetaballs(float time, float frameTime) {
    overlayOnly(accentShiftedTime(time, 34.6f), frameTime, 0);
}
void partArrowShock(float time, float frameTime) {
    overlayOnly(time, frameTime, 2);
}
void partHeart(float time, float frameTime) {
    g_logoOverlay.draw(time, frameTime, 3);
}
void partShockwave(float time, float frameTime) {
    overlayOnly(accentShiftedTime(time, 34.6f), frameTime, 2);
}
void partCredits(float time, float frameTime) {
    overlayOnly(time, frameTime, 0);
}
