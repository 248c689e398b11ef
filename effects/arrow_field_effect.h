// arrow_field_effect.h - a lit object flying a Lissajous path through a 32-unit cube and 64
// arrows at fixed places in the cube, each turned to point at it.
//
// The objects are "lwos\tarmslyng2.lwo" and "lwos\arrow.lwo". The arrows' places come from
// the program's generator reseeded with 1, so they are the same in every frame and every run;
// the generator then moves on from its own sequence.
#pragma once

#include "effects/effect.h"
#include "math/vector3.h"

class ArrowFieldEffect : public Effect {
  public:
    static constexpr int kArrows = 64;
    static constexpr float kCube = 32.0f;

    // Nothing to prepare: everything follows from the time.
    void prepare() override;
    void render(float time, float delta) override;

    // Where the flying object is at a time.
    static Vector3 target(float time);
};

extern ArrowFieldEffect g_arrowField;
