#include "effects/metaball_effect.h"

#include <GL/gl.h>

#include <cmath>

#include "effects/sphere_map.h"
#include "effects/sprites.h"
#include "texture/texture_cache.h"

MetaballEffect g_metaballs;

namespace {

constexpr float kBallStrength = 2.0f;
constexpr float kWallStrength = 1.0f;
constexpr float kWallFar = 30.0f;  // the walls stand at 0 and 30 on each axis
constexpr int kStarsPerBall = 16;
constexpr float kStarHalfSize = 4.0f;

}  // namespace

void MetaballEffect::prepare() {
    grid.setup(kGridSize, kThreshold);
}

void MetaballEffect::buildField(float t) {
    const float toGrid = 0.5f * kGridSize;
    for (int i = 0; i < kBalls; ++i) {
        const float a = std::sin(t + 2.0f * i);
        const Vector3 p(0.8f * a, 0.8f * std::sin(a + t),
                        0.8f * std::cos(2.0f * i * std::sin(2.0f * i) + t));
        balls[i] = {p, kBallStrength};
        grid.addBall(Vector3((p.x + 1.0f) * toGrid, (p.y + 1.0f) * toGrid, (p.z + 1.0f) * toGrid),
                     kBallStrength);
    }
    const Vector3 origin = Vector3::zero();
    grid.addPlane(origin, Vector3(1, 0, 0), kWallStrength);
    grid.addPlane(origin, Vector3(0, 1, 0), kWallStrength);
    grid.addPlane(origin, Vector3(0, 0, 1), kWallStrength);
    grid.addPlane(Vector3(kWallFar, 0, 0), Vector3(-1, 0, 0), kWallStrength);
    grid.addPlane(Vector3(0, kWallFar, 0), Vector3(0, -1, 0), kWallStrength);
    grid.addPlane(Vector3(0, 0, kWallFar), Vector3(0, 0, -1), kWallStrength);
}

// Sixteen star quads around each ball, each turning about x and y at its own phase.
void MetaballEffect::drawStars(float t) const {
    const float toDrawing = 0.5f * kGridSize;
    for (const BallRecord& ball : balls) {
        for (int j = 0; j < kStarsPerBall; ++j) {
            glPushMatrix();
            glTranslatef(toDrawing * (ball.position.x + 1.0f), toDrawing * (ball.position.y + 1.0f),
                         toDrawing * (ball.position.z + 1.0f));
            glRotatef(200.0f * t + 37.0f * j, 1, 0, 0);
            glRotatef(200.0f * t + 67.0f * j, 0, 1, 0);
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0);
            glVertex3f(-kStarHalfSize, -kStarHalfSize, 0);
            glTexCoord2f(1, 0);
            glVertex3f(kStarHalfSize, -kStarHalfSize, 0);
            glTexCoord2f(1, 1);
            glVertex3f(kStarHalfSize, kStarHalfSize, 0);
            glTexCoord2f(0, 1);
            glVertex3f(-kStarHalfSize, kStarHalfSize, 0);
            glEnd();
            glPopMatrix();
        }
    }
}

void MetaballEffect::render(float time, float) {
    glPushAttrib(0xFFFFF);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_NORMALIZE);
    const float half = -0.5f * kGridSize;
    glTranslatef(half, half, half);  // the grid centred on the caller's origin
    buildField(time);

    // The blobs cover the stars wherever they overlap, whatever their depths: the additive
    // stars write no depth, and blobs drawn over them would replace them. Drawn after the
    // blobs at the far end of the depth range, the stars reach exactly the pixels no blob
    // covers, and those the blobs do cover fail the depth test before they are shaded.
    g_textureCache.bind("textures\\testenvmap.jpg");
    glPushAttrib(GL_ENABLE_BIT);
    glEnable(GL_TEXTURE_2D);
    enableSphereMapping();
    glBegin(GL_TRIANGLES);
    grid.polygonise();
    glEnd();
    glPopAttrib();

    readBillboardFrame(frame);
    beginSpriteState();
    glDepthRange(1.0, 1.0);
    glDepthFunc(GL_LEQUAL);
    g_textureCache.bind("textures\\yellowstar.png");
    drawStars(time);
    endSpriteState();

    grid.clearSources();
    glPopAttrib();
}
