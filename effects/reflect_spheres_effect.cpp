#include "effects/reflect_spheres_effect.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "display/demo_window.h"
#include "effects/corner_capture.h"
#include "effects/mipmap_chain.h"
#include "effects/overlay.h"
#include "effects/quadric.h"
#include "glext/extensions.h"
#include "texture/texture_cache.h"

ReflectSpheresEffect g_reflectSpheres;

namespace {

enum Mode { kFinal = 0, kReflection = 1 };

struct Rotation {
    float degrees, x, y, z;
};

// The camera of each cube face, looking out from the centre along the face's axis with the
// face's image upright as OpenGL samples it: the side faces are rolled by 180 degrees.
struct FaceView {
    Rotation first, second;
};
constexpr FaceView kFaceViews[6] = {
    {{-90.0f, 0, 1, 0}, {180.0f, 0, 0, 1}},  // positive x
    {{90.0f, 0, 1, 0}, {180.0f, 0, 0, 1}},   // negative x
    {{-90.0f, 1, 0, 0}, {0.0f, 0, 0, 1}},    // positive y
    {{90.0f, 1, 0, 0}, {0.0f, 0, 0, 1}},     // negative y
    {{180.0f, 1, 0, 0}, {0.0f, 0, 0, 1}},    // positive z
    {{180.0f, 0, 0, 1}, {0.0f, 0, 0, 1}},    // negative z
};

void rotate(const Rotation& r, float sign) {
    if (r.degrees != 0.0f) glRotatef(sign * r.degrees, r.x, r.y, r.z);
}

// The face's view on the current matrix.
void applyFaceView(int face) {
    rotate(kFaceViews[face].first, 1.0f);
    rotate(kFaceViews[face].second, 1.0f);
}

// Its inverse: reflection vectors come out of texture generation in eye space and must be
// turned back into the world's orientation, in which every cube map is stored.
void applyInverseFaceView(int face) {
    rotate(kFaceViews[face].second, -1.0f);
    rotate(kFaceViews[face].first, -1.0f);
}

constexpr float kSkyRadius = 100.0f;
constexpr int kSkyDetailInPasses = 6;
constexpr int kSkyDetail = 32;

}  // namespace

// --- Cube maps ------------------------------------------------------------------------------

void CubeMapTexture::create(int faceSize) {
    size = faceSize;
    const std::vector<unsigned char> zeros(static_cast<size_t>(faceSize) * faceSize * 4, 0);
    GLuint name = 0;
    glGenTextures(1, &name);
    texture = name;
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, name);
    for (int f = 0; f < 6; ++f)
        gluBuild2DMipmaps(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + f, 4, faceSize, faceSize, GL_RGBA,
                          GL_UNSIGNED_BYTE, zeros.data());
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void CubeMapTexture::bind() const {
    // Set on every bind: other effects switch s and t to sphere mapping, and the mode is not
    // part of the enable bits that attribute pushes around them restore.
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP_ARB);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP_ARB);
    glTexGeni(GL_R, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP_ARB);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, texture);
    glEnable(GL_TEXTURE_CUBE_MAP_ARB);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glEnable(GL_TEXTURE_GEN_R);
}

// --- Spheres --------------------------------------------------------------------------------

void ReflectSphere::draw(int mode) {
    glPushMatrix();
    glPushAttrib(GL_ENABLE_BIT);
    glTranslatef(position.x, position.y, position.z);
    if (mode == kReflection) {
        frontMap.bind();
        gluSphere(quadric, radius, coarseDetail, coarseDetail);
    } else {
        backMap.bind();
        gluSphere(quadric, radius, fineDetail, fineDetail);
    }
    glPopAttrib();
    glPopMatrix();
}

float ReflectSphere::cullDistance(const Plane* planes) const {
    float d = 0.0f;
    for (int i = 0; i < 6; ++i) {
        d = planes[i].valueAt(position.x, position.y, position.z);
        if (d <= -radius) return 0.0f;
    }
    return d + radius;
}

// --- The effect -----------------------------------------------------------------------------

void ReflectSpheresEffect::prepare() {
    count = 0;
    quadric_ = sharedQuadric();
    for (ReflectSphere& item : items) {
        item.frontMap.create(kMapSize);
        item.backMap.create(kMapSize);
        item.position = Vector3::zero();
        item.fineDetail = 32;
        item.coarseDetail = 12;
        item.radius = 4.0f;
        item.quadric = quadric_;
        list[count++] = &item;
    }
}

Vector3 ReflectSpheresEffect::itemPosition(int k, float time) {
    return Vector3(10.0f * std::cos(0.8f * k + time), 10.0f * std::cos(time + 2.0f * k),
                   10.0f * std::sin(0.8f * k + time));
}

void ReflectSpheresEffect::render(float time, float) {
    glPushAttrib(GL_ENABLE_BIT);
    glLoadIdentity();
    glTranslatef(5.0f, 0.0f, -40.0f);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    for (int k = 0; k < count; ++k) items[k].position = itemPosition(k, time);
    drawScene(time, false);
    glPopAttrib();
}

void ReflectSpheresEffect::drawSky(int detail) {
    gluQuadricOrientation(quadric_, GLU_INSIDE);
    gluQuadricTexture(quadric_, GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    gluSphere(quadric_, kSkyRadius, detail, detail);
    glDisable(GL_TEXTURE_2D);
    gluQuadricOrientation(quadric_, GLU_OUTSIDE);
    gluQuadricTexture(quadric_, GL_FALSE);
}

void ReflectSpheresEffect::extractFrustum() {
    float p[16], m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    // c = p * m, both column-major: element (row r, column k) at [4 * k + r].
    float c[16];
    for (int k = 0; k < 4; ++k)
        for (int r = 0; r < 4; ++r)
            c[4 * k + r] = p[r] * m[4 * k] + p[4 + r] * m[4 * k + 1] + p[8 + r] * m[4 * k + 2] +
                           p[12 + r] * m[4 * k + 3];
    auto plane = [&](int row, float sign) {
        Plane result(c[3] + sign * c[row], c[7] + sign * c[4 + row], c[11] + sign * c[8 + row],
                     c[15] + sign * c[12 + row]);
        result.normalize();
        return result;
    };
    frustum[0] = plane(0, -1.0f);  // right
    frustum[1] = plane(0, 1.0f);   // left
    frustum[2] = plane(1, 1.0f);   // bottom
    frustum[3] = plane(1, -1.0f);  // top
    frustum[4] = plane(2, -1.0f);  // far
    frustum[5] = plane(2, 1.0f);   // near
}

int ReflectSpheresEffect::itemsSeen(int i, int face, ReflectedItem** seen) {
    const Vector3& p = items[i].position;
    glLoadIdentity();
    applyFaceView(face);
    glTranslatef(-p.x, -p.y, -p.z);
    extractFrustum();
    int n = 0;
    for (int j = 0; j < count; ++j)
        if (j != i && list[j]->cullDistance(frustum) > 0.0f) seen[n++] = list[j];
    return n;
}

void ReflectSpheresEffect::drawReflectionPass(int i, int face, ReflectedItem* const* seen,
                                              int seenCount) {
    const Vector3& p = items[i].position;
    glClear(GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    applyFaceView(face);
    drawSky(kSkyDetailInPasses);
    glTranslatef(-p.x, -p.y, -p.z);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    applyInverseFaceView(face);
    glMatrixMode(GL_MODELVIEW);
    for (int k = 0; k < seenCount; ++k) seen[k]->draw(kReflection);
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void ReflectSpheresEffect::planPasses() {
    // A face that sees no other item holds only the sky, which turns with the face alone:
    // the first such pass of each face is drawn, and the others of the frame take its levels.
    int skyPass[6] = {-1, -1, -1, -1, -1, -1};
    passCount_ = 0;
    for (int i = 0; i < count; ++i) {
        for (int face = 0; face < 6; ++face) {
            Pass& pass = passes_[passCount_];
            pass.seenCount = itemsSeen(i, face, pass.seen);
            if (pass.seenCount == 0 && skyPass[face] >= 0) {
                faceSource_[i][face] = skyPass[face];
                continue;
            }
            if (pass.seenCount == 0) skyPass[face] = passCount_;
            pass.item = i;
            pass.face = face;
            faceSource_[i][face] = passCount_++;
        }
    }
}

unsigned char* ReflectSpheresEffect::passChain(int pass) {
    return chains_.data() + pass * mipmapChainBytes(kMapSize);
}

void ReflectSpheresEffect::drawPassesAndReadBack() {
    const int across = std::max(1, g_demoWindow.width / kMapSize);
    const int down = std::max(1, g_demoWindow.height / kMapSize);
    const int tilesPerRead = across * down;
    beginCornerCapture(kMapSize);
    for (int first = 0; first < passCount_; first += tilesPerRead) {
        const int tiles = std::min(passCount_ - first, tilesPerRead);
        for (int tile = 0; tile < tiles; ++tile) {
            const Pass& pass = passes_[first + tile];
            useCornerTile(tile % across * kMapSize, tile / across * kMapSize, kMapSize);
            drawReflectionPass(pass.item, pass.face, pass.seen, pass.seenCount);
        }
        const int width = std::min(tiles, across) * kMapSize;
        const int height = (tiles + across - 1) / across * kMapSize;
        region_.resize(static_cast<size_t>(width) * height * 4);
        readCornerRegion(width, height, region_.data());
        for (int tile = 0; tile < tiles; ++tile) {
            const unsigned char* from =
                region_.data() + (static_cast<size_t>(tile / across) * kMapSize * width +
                                  static_cast<size_t>(tile % across) * kMapSize) * 4;
            unsigned char* chain = passChain(first + tile);
            for (int row = 0; row < kMapSize; ++row)
                std::memcpy(chain + static_cast<size_t>(row) * kMapSize * 4,
                            from + static_cast<size_t>(row) * width * 4, kMapSize * 4);
            buildMipmapChain(chain, kMapSize);
        }
    }
    endCornerCapture();
}

void ReflectSpheresEffect::renderReflections() {
    // Each face is read back and its mipmaps are built here, the same bytes as the driver's
    // (see halveImage): a copy with mipmaps generated by the driver draws each of the six
    // smaller levels as a pass of its own, and a software rasteriser stalls for every one.
    // The passes are drawn side by side, as many as the window holds, and read back together:
    // a read waits for everything drawn before it, and one wait for all of them lets the
    // rasteriser's threads share the faces instead of taking them one at a time.
    const size_t chainBytes = mipmapChainBytes(kMapSize);
    if (chains_.size() < kItems * 6 * chainBytes) chains_.resize(kItems * 6 * chainBytes);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, 1.0, 0.1, 5000.0);
    glMatrixMode(GL_MODELVIEW);
    planPasses();
    drawPassesAndReadBack();
    for (int i = 0; i < count; ++i) {
        glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, items[i].backMap.texture);
        for (int face = 0; face < 6; ++face)
            uploadMipmapChain(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + face,
                              passChain(faceSource_[i][face]), kMapSize);
    }
}

void ReflectSpheresEffect::drawScene(float time, bool withSky) {
    g_textureCache.bind("textures\\bluesky.jpg");
    glPushMatrix();
    renderReflections();
    g_demoWindow.resetProjection();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPopMatrix();
    glEnable(GL_TEXTURE_2D);

    // The backdrop, and two strips at the left edge scrolling in opposite directions (the
    // scroll taken modulo one picture keeps the coordinates small; the picture repeats).
    g_textureCache.bind("textures\\design-clogo-telelady-back.jpg");
    drawOverlayQuad(0.0f, kLetterboxTop, 640.0f, kLetterboxBottom, false);
    g_textureCache.bind("textures\\commdesign1.png");
    const float scroll = std::fmod(0.2f * time, 1.0f);
    drawOverlayQuadUV(10.0f, 0.0f, 30.0f, 480.0f, 0.0f, scroll, 1.0f, 1.0f, true);
    drawOverlayQuadUV(30.0f, 0.0f, 50.0f, 480.0f, 0.0f, -scroll, 1.0f, 1.0f, true);

    glDisable(GL_TEXTURE_2D);
    for (int k = 0; k < count; ++k) {
        ReflectSphere& item = items[k];
        item.draw(kFinal);
        const CubeMapTexture shown = item.backMap;
        item.backMap = item.frontMap;
        item.frontMap = shown;
    }
    if (withSky) {
        g_textureCache.bind("textures\\bluesky.jpg");
        drawSky(kSkyDetail);
    }
}
