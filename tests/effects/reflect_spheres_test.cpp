#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <array>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "display/demo_window.h"
#include "effects/mipmap_chain.h"
#include "effects/reflect_spheres_effect.h"
#include "tests/support/test_support.h"

namespace {

using Colour = std::array<int, 3>;
// One colour per axis, in cube-face order: +x, -x, +y, -y, +z, -z.
const Colour kAxisColours[6] = {{255, 0, 0},   {0, 255, 255}, {0, 255, 0},
                                {255, 0, 255}, {0, 0, 255},   {255, 255, 0}};
constexpr int kSize = ReflectSpheresEffect::kMapSize;

struct Dir {
    double x, y, z;
};
Dir operator*(double k, Dir d) {
    return {k * d.x, k * d.y, k * d.z};
}
Dir operator+(Dir a, Dir b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Dir operator-(Dir a, Dir b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
double dot(Dir a, Dir b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Dir unit(Dir d) {
    return (1.0 / std::sqrt(dot(d, d))) * d;
}

// The direction OpenGL looks up for texture coordinates (s, t) of a cube face.
Dir faceDirection(int face, double s, double t) {
    const double sc = 2 * s - 1, tc = 2 * t - 1;
    const Dir table[6] = {{1, -tc, -sc}, {-1, -tc, sc}, {sc, 1, tc},
                          {sc, -1, -tc}, {sc, -tc, 1},  {-sc, -tc, -1}};
    return unit(table[face]);
}
// The face a direction falls on.
int majorFace(Dir d) {
    const double ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z);
    if (ax >= ay && ax >= az) return d.x > 0 ? 0 : 1;
    if (ay >= az) return d.y > 0 ? 2 : 3;
    return d.z > 0 ? 4 : 5;
}
Vector3 toVector(Dir d) {
    return Vector3(float(d.x), float(d.y), float(d.z));
}

void fillCubeMap(const CubeMapTexture& map, const Colour (&colours)[6]) {
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, map.texture);
    std::vector<unsigned char> chain(mipmapChainBytes(map.size));
    for (int f = 0; f < 6; ++f) {
        for (size_t i = 0; i < chain.size(); i += 4)
            for (int c = 0; c < 4; ++c) chain[i + c] = c < 3 ? colours[f][c] : 255;
        uploadMipmapChain(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + f, chain.data(), map.size);
    }
}
void fillCubeMap(const CubeMapTexture& map, const Colour& colour) {
    const Colour all[6] = {colour, colour, colour, colour, colour, colour};
    fillCubeMap(map, all);
}

Colour faceTexel(const CubeMapTexture& map, int face, double s, double t, int level = 0) {
    const int size = kSize >> level;
    std::vector<unsigned char> texels(size * size * 4);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, map.texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + face, level, GL_RGBA, GL_UNSIGNED_BYTE,
                  texels.data());
    const int x = int(s * size), y = int(t * size);
    const unsigned char* p = &texels[(size_t(y) * size + x) * 4];
    return {p[0], p[1], p[2]};
}

::testing::AssertionResult near(const Colour& got, const Colour& want) {
    for (int c = 0; c < 3; ++c)
        if (std::abs(got[c] - want[c]) > 40)
            return ::testing::AssertionFailure()
                   << "got (" << got[0] << ", " << got[1] << ", " << got[2] << "), want ("
                   << want[0] << ", " << want[1] << ", " << want[2] << ")";
    return ::testing::AssertionSuccess();
}

class ReflectSpheres : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        static bool prepared = false;
        if (!prepared) g_reflectSpheres.prepare();
        prepared = true;
        // A black sky, and the state the production draws in.
        static GLuint black = 0;
        if (!black) {
            const unsigned char texel[4] = {0, 0, 0, 255};
            glGenTextures(1, &black);
            glBindTexture(GL_TEXTURE_2D, black);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        }
        glBindTexture(GL_TEXTURE_2D, black);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glColor4f(1, 1, 1, 1);
        // What the sphere-mapped effects drawn before leave behind.
        glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
        // Every sphere starts at the viewer's centre, where only its inside faces the viewer
        // and is culled away.
        for (ReflectSphere& item : g_reflectSpheres.items) {
            item.position = Vector3::zero();
            fillCubeMap(item.frontMap, Colour{0, 0, 0});
        }
    }
    void TearDown() override {
        g_demoWindow.resetProjection();
        glDisable(GL_CULL_FACE);
    }
    ReflectSphere& item(int k) { return g_reflectSpheres.items[k]; }
};

// Each face of sphere 0's map, seen from its centre: a red sphere where the face's centre
// looks, a green one where its upper middle looks and a blue one where its right middle looks,
// all as OpenGL's cube-map lookup finds them.
TEST_F(ReflectSpheres, CubeFacesHoldTheSceneSeenAlongTheirAxes) {
    struct Marker {
        double s, t;
        Colour colour;
    };
    const Marker markers[3] = {
        {0.5, 0.5, {255, 0, 0}}, {0.5, 0.2, {0, 255, 0}}, {0.8, 0.5, {0, 0, 255}}};
    for (int face = 0; face < 6; ++face) {
        SCOPED_TRACE(face);
        for (int m = 0; m < 3; ++m) {
            item(1 + m).position = toVector(20.0 * faceDirection(face, markers[m].s, markers[m].t));
            fillCubeMap(item(1 + m).frontMap, markers[m].colour);
        }
        g_reflectSpheres.renderReflections();
        for (const Marker& m : markers)
            EXPECT_TRUE(near(faceTexel(item(0).backMap, face, m.s, m.t), m.colour));
        // The smaller levels follow, for the spheres seen from afar.
        EXPECT_TRUE(near(faceTexel(item(0).backMap, face, 0.5, 0.5, 2), markers[0].colour));
        // The mirrored places hold only sky.
        EXPECT_TRUE(near(faceTexel(item(0).backMap, face, 0.5, 0.8), {0, 0, 0}));
        EXPECT_TRUE(near(faceTexel(item(0).backMap, face, 0.2, 0.5), {0, 0, 0}));
        // Nothing of them shows on the opposite face.
        EXPECT_TRUE(near(faceTexel(item(0).backMap, face ^ 1, 0.5, 0.5), {0, 0, 0}));
    }
}

// Every item's faces come from its own tiles, whether the window holds all the passes at once
// or four at a time.
TEST_F(ReflectSpheres, EachItemsFacesComeFromItsOwnTiles) {
    const int width = g_demoWindow.width, height = g_demoWindow.height;
    for (int side : {0, 128}) {
        if (side) g_demoWindow.width = g_demoWindow.height = side;
        for (int k : {2, 7}) {
            const int marker = (k + 1) % ReflectSpheresEffect::kItems;
            fillCubeMap(item(marker).frontMap, Colour{255, 0, 0});
            for (int face = 0; face < 6; ++face) {
                SCOPED_TRACE(testing::Message()
                             << "window " << side << " item " << k << " face " << face);
                item(marker).position = toVector(20.0 * faceDirection(face, 0.5, 0.5));
                g_reflectSpheres.renderReflections();
                EXPECT_TRUE(near(faceTexel(item(k).backMap, face, 0.5, 0.5), {255, 0, 0}));
                EXPECT_TRUE(near(faceTexel(item(k).backMap, face ^ 1, 0.5, 0.5), {0, 0, 0}));
            }
            item(marker).position = Vector3::zero();
            fillCubeMap(item(marker).frontMap, Colour{0, 0, 0});
        }
    }
    g_demoWindow.width = width;
    g_demoWindow.height = height;
}

// A sphere reflected in another's map shows its own map turned the world's way round: seen
// along each axis, its middle reflects the axis back at the viewer and its four sides the four
// directions beside it.
TEST_F(ReflectSpheres, ReflectionsOfReflectionsFaceTheWorld) {
    fillCubeMap(item(1).frontMap, kAxisColours);
    const double kDistance = 20.0, kRadius = 4.0;
    const double offsets[5][2] = {{0, 0}, {0.08, 0}, {-0.08, 0}, {0, 0.08}, {0, -0.08}};
    for (int face = 0; face < 6; ++face) {
        SCOPED_TRACE(face);
        const Dir centre = kDistance * faceDirection(face, 0.5, 0.5);
        item(1).position = toVector(centre);
        g_reflectSpheres.renderReflections();
        for (const auto& o : offsets) {
            const double s = 0.5 + o[0], t = 0.5 + o[1];
            // Where the ray from the viewer meets sphere 1, and where it goes from there.
            const Dir d = faceDirection(face, s, t);
            const double along = dot(d, centre);
            const double hit =
                along - std::sqrt(kRadius * kRadius - (dot(centre, centre) - along * along));
            const Dir normal = unit(hit * d - centre);
            const Dir reflected = d - 2.0 * dot(d, normal) * normal;
            SCOPED_TRACE(testing::Message() << "s " << s << " t " << t);
            EXPECT_TRUE(
                near(faceTexel(item(0).backMap, face, s, t), kAxisColours[majorFace(reflected)]));
        }
    }
}

// The final picture: a sphere among six coloured ones on the axes shows each on its own side.
TEST_F(ReflectSpheres, FinalSphereShowsEachAxisOnItsSide) {
    const Dir axes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int a = 0; a < 6; ++a) {
        item(1 + a).position = toVector(20.0 * axes[a]);
        fillCubeMap(item(1 + a).frontMap, kAxisColours[a]);
    }
    g_reflectSpheres.renderReflections();
    g_demoWindow.resetProjection();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glTranslatef(0, 0, -30);
    item(0).draw(0);
    // Points of the sphere whose normals lean 45 degrees from the viewer towards each axis
    // reflect that axis; the middle reflects what is behind the viewer (+z).
    GLdouble model[16], projection[16];
    GLint view[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, view);
    const Dir toViewer{0, 0, 1};
    for (int a : {0, 1, 2, 3, 4}) {
        const Dir normal = a == 4 ? toViewer : unit(axes[a] + toViewer);
        const Dir p = 4.0 * normal;
        GLdouble x, y, z;
        gluProject(p.x, p.y, p.z, model, projection, view, &x, &y, &z);
        const auto pixel = testsupport::readPixels(int(x), int(y), 1, 1);
        SCOPED_TRACE(a);
        EXPECT_TRUE(near({pixel[0], pixel[1], pixel[2]}, kAxisColours[a]));
    }
}

TEST(ReflectSphere, IsCulledOnlyWhenWhollyBehindAPlane) {
    ReflectSphere sphere;
    sphere.radius = 4.0f;
    // Five planes that see everything, then x >= 0.
    Plane planes[6];
    for (int i = 0; i < 5; ++i) planes[i] = Plane(0, 0, 0, 100);
    planes[5] = Plane(1, 0, 0, 0);
    const struct {
        float x;
        bool drawn;
    } cases[] = {{-4.0f, false}, {-5.0f, false}, {-3.9f, true}, {0.0f, true}, {10.0f, true}};
    for (const auto& c : cases) {
        sphere.position = Vector3(c.x, 0, 0);
        EXPECT_EQ(sphere.cullDistance(planes) > 0.0f, c.drawn) << c.x;
    }
}

}  // namespace
