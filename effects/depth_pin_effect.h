// depth_pin_effect.h - a pin screen: a tumbling cube is drawn small into the corner of the
// framebuffer, its depth image read back, and a 32 x 32 grid of small cubes is pushed towards
// the viewer by that depth. Part of the library; the production does not show it.
//
// The read-back clears the whole window: whatever the frame drew before is lost. The grid is
// laid out in the caller's frame, pins pushed along +z by up to 800 units, and the model-view
// is left moved by the grid's walk.
#pragma once

#include "effects/effect.h"

class DepthPinEffect : public Effect {
  public:
    static constexpr int kSide = 32;

    void prepare() override;
    void render(float time, float delta) override;

    float* depthImage = nullptr;  // kSide * kSide, row 0 at the bottom of the framebuffer
};

extern DepthPinEffect g_depthPins;
