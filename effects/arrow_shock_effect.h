// arrow_shock_effect.h - four lit arrows circling a sphere, aimed at its centre, and the
// sphere ringing outwards from the point under each arrow as if struck.
//
// The sphere is the rippling grid of sphere_grid.h, sphere-mapped with
// "textures\shockwave.jpg"; the arrows are "lwos\arrow.lwo". The picture depends on the time
// alone.
#pragma once

#include "effects/effect.h"
#include "effects/sphere_grid.h"
#include "math/vector3.h"

class ArrowShockEffect : public Effect {
  public:
    static constexpr int kArrows = 4;

    // Nothing to do: the grid's storage is part of the object.
    void prepare() override;
    void render(float time, float delta) override;

    // The swell that one arrow raises at a distance from it: nothing right under the arrow,
    // the crest about 0.1 away, rings every pi/15 beyond, dying away with distance.
    static double strikeRipple(double distance);

    // Where the arrows fly at a time (the arrows are drawn 1.5 times further out).
    void placeArrows(float time);
    // The arrows and the grid for a time: the processor work of one frame.
    void buildGrid(float time);

    Vector3 arrows[kArrows];
    SphereGrid grid;
};

extern ArrowShockEffect g_arrowShock;
