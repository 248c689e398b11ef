#include "effects/spike_ball_effect.h"

#include <GL/gl.h>

#include "effects/sphere_map.h"
#include "effects/sprites.h"
#include "texture/texture_cache.h"

SpikeBall g_spikeBall;

bool SpikeBall::load(const char* entryName) {
    tips.clear();
    return shape.load(entryName) && findTips();
}

bool SpikeBall::useLoadedMesh() {
    tips.clear();
    return shape.useLoadedMesh() && findTips();
}

bool SpikeBall::findTips() {
    // The table of tips has a fixed size; points beyond it carry no greeting.
    for (int i = 0; i < shape.pointCount && static_cast<int>(tips.size()) < kMaxTips; ++i)
        if (shape.restPoints[i].length() > kTipDistance) tips.push_back(i);
    return true;
}

void SpikeBall::render(float t, float, float twist) {
    if (shape.pointCount == 0) return;  // nothing was loaded: reported at load
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    enableSphereMapping();
    shape.twist(0.6f * t, twist);
    shape.drawTriangles();
    drawGreetings();
    glPopAttrib();
}

void SpikeBall::drawGreetings() {
    g_textureCache.bind("textures\\greet.png");
    captureBillboardFrame(sprites);
    // Wide, flat strips: the greeting's band of the texture at each tip.
    Vector3 r, u;
    scale(sprites.right, 0.6f, r);
    scale(sprites.up, 0.08f, u);
    setBillboardCorners(sprites, r, u);
    const float kBand = 0.025f;
    double band = 0.0;
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (const int p : tips) {
        // Point 0 never carries a greeting (its index reads as "no tip"), but takes its band.
        if (p > 0) {
            const float v0 = static_cast<float>(band), v1 = static_cast<float>(band + kBand);
            const float texCoords[4][2] = {{0, v0}, {1, v0}, {1, v1}, {0, v1}};
            const Vector3& tip = shape.points[p];
            for (int k = 0; k < 4; ++k) {
                const Vector3& c = sprites.corners[k];
                glTexCoord2fv(texCoords[k]);
                glVertex3f(tip.x + c.x, tip.y + c.y, tip.z + c.z);
            }
        }
        band += kBand;
        if (band >= 0.925) band = 0.0;
    }
    endSpriteBatch();
}
