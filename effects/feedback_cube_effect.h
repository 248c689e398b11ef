// feedback_cube_effect.h - video feedback: each frame is drawn over a slide-show background
// onto a cube textured with the previous frame, and copied back into that texture. Part of
// the library; the production does not show it.
//
// The picture is built in the 512 x 512 lower-left corner of the framebuffer, as much of it
// as the window holds; only the part of the copy that came from the window is ever shown.
#pragma once

#include "effects/effect.h"

class FeedbackCubeEffect : public Effect {
  public:
    static constexpr int kTextureSize = 512;

    // Makes the (black) feedback texture and sets the clear colour to white at half alpha.
    void prepare() override;
    // Draws the cube with the caller's model-view and fills the window with the copy.
    void render(float time, float delta) override;

    unsigned short texture = 0;
};

extern FeedbackCubeEffect g_feedbackCube;
