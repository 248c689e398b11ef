// part_env_cube.h - the motion of the cube grid of orders 22-23.
//
// Its time jumps by 3783.6 s on every accent, so by order 22 it is near 250000 s: too large
// for a float to step smoothly in. The time is kept in double precision and every angle is
// reduced to one turn before it reaches OpenGL.
#pragma once

struct EnvCubeMotion {
    double time;                   // the shifted time
    float shiftX;                  // sideways swing of the whole grid
    float angleX, angleY, angleZ;  // degrees, in [0, 360)
};

// The grid's motion at a frame time, with hits accents counted so far.
EnvCubeMotion envCubeMotion(float time, unsigned hits);
