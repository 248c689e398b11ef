// quadric.h - the one GLU quadric object of the effects that draw GLU shapes.
#pragma once

struct GLUquadric;

// Made at start-up and never deleted; null before. An effect that draws with it leaves its
// orientation outside and its texture coordinates off, as it found them.
extern GLUquadric* g_quadric;

// g_quadric, made here on first use (start-up's call makes it).
GLUquadric* sharedQuadric();
