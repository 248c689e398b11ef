#include <GL/gl.h>

#include <gtest/gtest.h>

#include "mesh/mesh_library.h"
#include "scene/scene.h"
#include "tests/mesh/lwo_builder.h"
#include "tests/scene/scene_text.h"
#include "tests/support/test_support.h"

namespace {

constexpr float kHalfPi = 1.5707963f;

// What was current when an object was drawn: the model-view matrix, the lights on, and
// GL_LIGHT0's position (in eye space) and diffuse colour; and the layer asked for.
struct Drawn {
    float matrix[16];
    int lights, layer;
    float light0[4];
    float diffuse0[4];
};

void record(void* user, const char*, int layer) {
    Drawn d;
    d.layer = layer;
    glGetFloatv(GL_MODELVIEW_MATRIX, d.matrix);
    d.lights = 0;
    for (int k = 0; k < 8; ++k) d.lights += glIsEnabled(GL_LIGHT0 + k);
    glGetLightfv(GL_LIGHT0, GL_POSITION, d.light0);
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, d.diffuse0);
    static_cast<std::vector<Drawn>*>(user)->push_back(d);
}

void expectMatrix(const float* m, const std::vector<float>& expected, const char* what) {
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(m[i], expected[i], 1e-4) << what << " element " << i;
}

class SceneDraw : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        if (!g_meshLibrary.find("lwos\\tri.lwo")) {
            const std::vector<uint8_t> tri = lwo::file(lwo::oneTriangle());
            ASSERT_TRUE(g_meshLibrary.loadFromMemory("lwos\\tri.lwo", tri.data(), tri.size()));
        }
        g_meshLibrary.setDrawObserver(record, &drawn);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    void TearDown() override {
        g_meshLibrary.setDrawObserver(nullptr, nullptr);
        EXPECT_TRUE(capture.messages().empty()) << capture.messages()[0];
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    void read(Scene& scene, const std::string& body, size_t problems = 0) {
        std::vector<std::string> found;
        const std::string text = lws::header() + body;
        scene.read("test.lws", text.data(), text.size(), &found);
        ASSERT_EQ(found.size(), problems) << (found.empty() ? "" : found[0]);
    }

    std::vector<Drawn> drawn;
    testsupport::MessageCapture capture;
};

// Position (1, 2, 3), heading, pitch and bank of 90, 30 and 90 degrees, scale (2, 3, 4):
// M = T(1, 2, -3) * Ry(-90) * Rx(-30) * Rz(90) * S, LightWave's heading and pitch mirrored.
// Ry(-90) takes (x, y, z) to (-z, y, x); Rx(-30) takes (0, y, z) to (0, .866y + .5z,
// -.5y + .866z). The columns, each axis scaled and then turned bank, pitch, heading:
//   x: (2, 0, 0) -> (0, 2, 0) -> (0, 1.732, -1) -> (1, 1.732, 0)
//   y: (0, 3, 0) -> (-3, 0, 0) -> (-3, 0, 0) -> (0, 0, -3)
//   z: (0, 0, 4) -> (0, 0, 4) -> (0, 2, 3.464) -> (-3.464, 2, 0)
TEST_F(SceneDraw, MotionIsTranslateHeadingPitchBankThenScale) {
    std::vector<lws::Channel> c(9);
    const float values[9] = {1, 2, 3, kHalfPi, 0.5235988f, kHalfPi, 2, 3, 4};
    for (int k = 0; k < 9; ++k) c[k].keys = {{values[k], 0.0f}};
    Scene scene;
    read(scene, "AddNullObject A\n" + lws::motion("ObjectMotion", c) + lws::camera());
    scene.applyMotion(scene.items[0], 0.0f);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    expectMatrix(m, {1, 1.7320508f, 0, 0, 0, 0, -3, 0, -3.4641016f, 2, 0, 0, 1, 2, -3, 1},
                 "motion");
}

// A null P at (1, 0, 0) turned a quarter to face +x; below it object A at (0, 1, 0), light L
// at LightWave (0, 0, 2) and object B at (2, 0, 0); object C at the top at (0, -1, 0); the
// camera at LightWave z = 5, applied forward: translate (0, 0, -5). P's turn takes (x, y, z) to
// (-z, y, x). Each sibling starts from P's matrix, and the light is placed before any object:
//   A: (0, 1, 0) -> (1, 1, 0) -> (1, 1, -5)
//   L: (0, 0, -2) -> (2, 0, 0) + (1, 0, 0) -> (3, 0, -5)
//   B: (2, 0, 0) -> (0, 0, 2) + (1, 0, 0) -> (1, 0, -3)
//   C: (0, -1, -5)
TEST_F(SceneDraw, SiblingsStartFromTheirParentAndLightsArePlacedFirst) {
    Scene scene;
    read(scene, "AddNullObject P\n" + lws::still("ObjectMotion", 1, 0, 0, kHalfPi) +
                    "LoadObjectLayer 1 tri.lwo\n" + lws::still("ObjectMotion", 0, 1, 0) +
                    "ParentItem 10000000\n" + lws::light("L", 0, 0, 2) + "ParentItem 10000000\n" +
                    "LoadObjectLayer 2 tri.lwo\n" + lws::still("ObjectMotion", 2, 0, 0) +
                    "ParentItem 10000000\nLoadObjectLayer 1 tri.lwo\n" +
                    lws::still("ObjectMotion", 0, -1, 0) + lws::camera(0, 0, 5));
    scene.draw(0.0f);
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[1].layer, 1);  // B is the object's second layer
    // Below P, x points along +z; C is not turned.
    expectMatrix(drawn[0].matrix, {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 1, 1, -5, 1}, "A");
    expectMatrix(drawn[1].matrix, {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 1, 0, -3, 1}, "B");
    expectMatrix(drawn[2].matrix, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -1, -5, 1}, "C");
    for (const Drawn& d : drawn) {
        EXPECT_EQ(d.lights, 1);
        expectMatrix(d.light0, {3, 0, -5, 1}, "light position");
    }
    expectMatrix(scene.items[scene.lights[0]].lightMatrix + 12, {3, 0, -5, 1}, "light matrix");
    // The caller's matrix is left with the camera on it.
    float after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    expectMatrix(after, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -5, 1}, "after");
}

// Each object is lit by the lights it does not exclude, packed from GL_LIGHT0, at most eight:
// here red, green and seven others, (1, 0.5, 1) the first of them.
TEST_F(SceneDraw, LightExclusionsPerObject) {
    std::string lights =
        lws::light("Red") + "LightColor 1 0 0\n" + lws::light("Green") + "LightColor 0 1 0\n";
    for (int i = 0; i < 7; ++i)
        lights += lws::light("W") + "LightColor " + std::to_string(i + 1) + " 0.5 1\n";
    const struct {
        const char* exclusions;
        int enabled;     // lights on while the object is drawn
        float first[4];  // GL_LIGHT0's diffuse colour
    } cases[] = {{"", 8, {1, 0, 0, 1}},
                 {"ExcludeLight 20000000\n", 8, {0, 1, 0, 1}},
                 {"ExcludeLight 20000000\nExcludeLight 20000001\n", 7, {1, 0.5f, 1, 1}},
                 {"ExcludeLight 20000001\n", 8, {1, 0, 0, 1}}};
    for (const auto& c : cases) {
        Scene scene;
        drawn.clear();
        read(scene,
             "LoadObjectLayer 1 tri.lwo\n" + lws::still("ObjectMotion") + c.exclusions + lights +
                 lws::camera(),
             1);  // nine lights
        scene.draw(0.0f);
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0].lights, c.enabled) << c.exclusions;
        expectMatrix(drawn[0].diffuse0, {c.first, c.first + 4}, c.exclusions);
    }
}

// The deepest chain the reader keeps fits OpenGL's matrix stack (TearDown checks for errors),
// a scene without a camera draws from the caller's matrix, and an object no light reaches is
// drawn with every light off.
TEST_F(SceneDraw, DeepChainsAndMissingCamerasDrawCleanly) {
    std::string chain = lws::null("C0");
    for (int i = 1; i < 20; ++i) {
        char parent[32];
        std::snprintf(parent, sizeof parent, "ParentItem %08X\n", 0x10000000u + i - 1);
        chain += lws::null("C" + std::to_string(i), 0, 0.5f) + parent;
    }
    chain += "LoadObjectLayer 1 tri.lwo\n" + lws::still("ObjectMotion") + "ParentItem 1000000E\n";
    Scene scene;
    read(scene, chain, 2);  // too deep, no camera
    glTranslatef(0, 0, -10);
    glEnable(GL_LIGHT7);
    scene.draw(0.0f);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_NEAR(drawn[0].matrix[13], 7.0f, 1e-5);  // 14 nulls up, 0.5 each
    EXPECT_EQ(drawn[0].matrix[14], -10.0f);
    EXPECT_EQ(drawn[0].lights, 0);
    float after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(after[14], -10.0f);
}

}  // namespace
