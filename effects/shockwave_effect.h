// shockwave_effect.h - a sphere-mapped unit sphere whose radius ripples with time.
//
// The surface is rebuilt on the processor every frame (sphere_grid.h) and drawn unlit with
// "textures\shockwave.jpg" as a sphere map, so the picture slides over the moving surface like
// a reflection. The caller places it; the picture depends on the time alone.
#pragma once

#include "effects/effect.h"
#include "effects/sphere_grid.h"

class ShockwaveEffect : public Effect {
  public:
    // Nothing to do: the grid's storage is part of the object.
    void prepare() override;
    // Leaves face culling off (it is turned off before the enable bits are saved).
    void render(float time, float delta) override;

    // The radial scale of the surface at (u, y) at time t.
    static double rippleScale(double u, double y, double time);

    // The grid for a time: the processor work of one frame.
    void buildGrid(float time);

    SphereGrid grid;
};

extern ShockwaveEffect g_shockwave;
