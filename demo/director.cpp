#include "demo/director.h"

#include <GL/gl.h>

namespace Director {

bool frame(float, float) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    return true;
}

}  // namespace Director
