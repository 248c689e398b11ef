// zoom_feedback_effect.h - video feedback: each frame is laid over an enlarged copy of the one
// before, so everything drawn leaves trails streaming outwards from the centre.
//
// The loop runs in the 256 x 256 lower-left corner of the window: the chrome object
// ("lwos\\tarmslyng2.lwo", sphere-mapped with "textures\\kopi.jpg") and a fixed cloud of lens
// sprites are drawn there, last frame's picture goes over them enlarged at 96 % opacity, the
// corner is copied back into the feedback texture, and the result is stretched over the whole
// window at 80 %.
#pragma once

#include "effects/effect.h"

class ZoomFeedbackEffect : public Effect {
  public:
    static constexpr int kSize = 256;
    static constexpr int kSprites = 200;

    // Creates the black feedback texture.
    void prepare() override;
    // The corner viewport; the part calls it right before render.
    void setViewport();
    // time and delta are not used: the picture moves with the caller's transform.
    void render(float time, float delta) override;

    BillboardFrame sprites;
    unsigned feedbackTexture = 0;
};

extern ZoomFeedbackEffect g_zoomFeedback;
