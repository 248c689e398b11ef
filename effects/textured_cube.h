// textured_cube.h - the cube from -1 to 1 with a whole picture on each face.
#pragma once

// One GL_QUADS primitive of six faces, each with its normal and per corner a texture
// coordinate and a vertex; faces are wound counter-clockwise from outside.
void drawTexturedCube();
