#include "effects/sprites.h"

#include <GL/gl.h>

void setBillboardCorners(BillboardFrame& frame, const Vector3& r, const Vector3& u) {
    frame.corners[0] = Vector3(-r.x - u.x, -r.y - u.y, -r.z - u.z);
    frame.corners[1] = Vector3(r.x - u.x, r.y - u.y, r.z - u.z);
    frame.corners[2] = Vector3(r.x + u.x, r.y + u.y, r.z + u.z);
    frame.corners[3] = Vector3(-r.x + u.x, -r.y + u.y, -r.z + u.z);
}

void readBillboardFrame(BillboardFrame& frame) {
    glGetFloatv(GL_MODELVIEW_MATRIX, frame.modelview.m);
    const float* m = frame.modelview.m;
    frame.right = Vector3(m[0], m[4], m[8]);
    frame.up = Vector3(m[1], m[5], m[9]);
    setBillboardCorners(frame, frame.right, frame.up);
}

void beginSpriteState() {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
}

void endSpriteState() {
    glDepthMask(GL_TRUE);
    glPopAttrib();
}

void captureBillboardFrame(BillboardFrame& frame) {
    readBillboardFrame(frame);
    beginSpriteState();
    glBegin(GL_QUADS);
}

void emitSprite(const BillboardFrame& frame, const Vector3& p, float halfSize, float alpha) {
    static const float kTexCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    for (int k = 0; k < 4; ++k) {
        const Vector3& c = frame.corners[k];
        glTexCoord2fv(kTexCoords[k]);
        glVertex3f(p.x + halfSize * c.x, p.y + halfSize * c.y, p.z + halfSize * c.z);
    }
}

void endSpriteBatch() {
    glEnd();
    endSpriteState();
}
