// tube_effect.h - sixteen thin tubes on a ring, swaying like seaweed, sphere-mapped.
//
// The layout (placement, phase) comes from the program's generator reseeded with 1 on every
// frame, so the same time always gives the same picture; the generator is left reseeded from
// its own sequence so other users still see varying numbers.
#pragma once

#include "effects/effect.h"
#include "math/vector3.h"

class TubeEffect : public Effect {
  public:
    static constexpr int kTubes = 16;
    static constexpr int kRings = 48;
    static constexpr int kRingPoints = 9;  // the ninth closes the ring

    void prepare() override;
    void render(float time, float delta) override;

    // Scratch storage for one tube, ring-major (point j of ring r at kRingPoints * r + j).
    Vector3 ringPoints[kRings * kRingPoints];
    // Unit radial directions of the ring points.
    Vector3 ringNormals[kRingPoints];

    // Fills ringPoints with one tube swaying at phase (the processor work of a tube).
    void buildTube(float phase);

  private:
    void drawTube() const;
};

extern TubeEffect g_tube;
