#include "effects/null_effect.h"

#include <GL/gl.h>

NullEffect g_null;

void NullEffect::render(float, float) {
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glPopAttrib();
}
