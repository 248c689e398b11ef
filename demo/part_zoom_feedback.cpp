// part_zoom_feedback.cpp - orders 20-21: a tumbling chrome object and a cloud of lenses,
// streaming outwards through the feedback zoom.
#include <GL/gl.h>

#include <cmath>
#include <iterator>

#include "demo/logo_overlay.h"
#include "demo/part_table.h"
#include "demo/parts.h"
#include "effects/zoom_feedback_effect.h"

namespace {

void partZoomFeedback(float time, float frameTime) {
    glPushAttrib(kAllAttributeGroups);
    glTranslatef(0.0f, 0.0f, -2.5f);
    glRotatef(40.0f * time, 1, 0, 0);
    glRotatef(53.0f * time + 21.0f * std::sin(3.1f * time), 0, 1, 0);
    glRotatef(53.0f * std::sin(time + std::sin(3.1f * time)), 0, 0, 1);
    g_zoomFeedback.setViewport();
    g_zoomFeedback.render(time, frameTime);
    g_logoOverlay.draw(time, frameTime, 0);
    glPopAttrib();
}

// Alone, the object tumbles at a steady rate.
void drawZoomFeedbackAlone(float time, float frameTime) {
    glTranslatef(0.0f, 0.0f, -2.5f);
    glRotatef(40.0f * time, 1, 0, 0);
    glRotatef(53.0f * time, 0, 1, 0);
    g_zoomFeedback.setViewport();
    g_zoomFeedback.render(time, frameTime);
}

constexpr PrepareStep kSteps[] = {{8, "g_zoomFeedback.prepare", prepareGlobal<g_zoomFeedback>}};
constexpr EffectEntry kEntries[] = {
    {"zoom-feedback", "a chrome object and lens sprites streaming out through a feedback zoom",
     prepareGlobal<g_zoomFeedback>, drawZoomFeedbackAlone},
};

}  // namespace

extern const PartRow kZoomFeedbackPart = {
    "zoom-feedback",    20, 21, partZoomFeedback, kSteps, std::size(kSteps), kEntries,
    std::size(kEntries)};
