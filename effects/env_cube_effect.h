// env_cube_effect.h - a 4 x 4 x 4 block of chrome cubes, each tumbling about its own centre.
//
// The cubes ("lwos\\cube.lwo") sit 9 units apart, sphere-mapped with "textures\\testenvmap.jpg";
// all turn at 45 degrees per second about x, y and z, with a phase set by their place in the
// grid. The model-view matrix is left translated by (22.5, -13.5, -22.5).
#pragma once

#include "effects/effect.h"
#include "math/plane.h"
#include "math/vector3.h"

class EnvCubeEffect : public Effect {
  public:
    static constexpr int kSide = 4;

    void prepare() override {}
    void render(float time, float delta) override;
    // The same at a time kept in double precision (times shifted far by the music accents).
    void draw(double time);

    // Angles in degrees about x, y and z of the cube at grid place (i, j, k), in [0, 360).
    static Vector3 cubeAngles(double time, int i, int j, int k);

    BillboardFrame sprites;  // not used by this effect
    Plane frustum[6];        // not used by this effect
};

extern EnvCubeEffect g_envCube;
