#include "effects/quadric.h"

#include <GL/glu.h>

GLUquadric* g_quadric = nullptr;

GLUquadric* sharedQuadric() {
    if (!g_quadric) g_quadric = gluNewQuadric();
    return g_quadric;
}
