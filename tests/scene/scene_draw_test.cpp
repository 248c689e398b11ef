#include <GL/gl.h>

#include <gtest/gtest.h>

#include "mesh/mesh_library.h"
#include "scene/scene.h"
#include "tests/mesh/lwo_builder.h"
#include "tests/scene/scene_text.h"
#include "tests/support/test_support.h"

namespace {

using lws::header;

constexpr float kHalfPi = 1.5707963f;

class SceneDraw : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        // A triangle a unit each way in the z = 0 plane, facing the camera.
        if (!g_meshLibrary.find("lwos\\tri.lwo")) {
            const std::vector<uint8_t> tri = lwo::file(lwo::oneTriangle());
            ASSERT_TRUE(g_meshLibrary.loadFromMemory("lwos\\tri.lwo", tri.data(), tri.size()));
        }
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glFrustum(-0.5, 0.5, -0.375, 0.375, 1.0, 100.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        glColor3f(1, 1, 1);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void TearDown() override {
        EXPECT_TRUE(capture.messages().empty()) << capture.messages()[0];
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    void read(Scene& scene, const std::string& body) {
        std::vector<std::string> problems;
        const std::string text = header() + body;
        scene.read("test.lws", text.data(), text.size(), &problems);
        ASSERT_TRUE(problems.empty()) << problems[0];
    }

    testsupport::MessageCapture capture;
};

// The light pass captures each light's model-view matrix: the camera, then every parent's
// translation, heading and scale, then the light's own motion.
TEST_F(SceneDraw, ParentChainGivesTheWorldMatrix) {
    std::vector<lws::Channel> a(9);
    a[0].keys = {{1.0f, 0.0f}};
    a[3].keys = {{kHalfPi, 0.0f}};
    for (int c = 6; c < 9; ++c) a[c].keys = {{2.0f, 0.0f}};
    Scene scene;
    read(scene, "AddNullObject A\n" + lws::motion("ObjectMotion", a) + lws::null("B", 0, 1, 0) +
                    "ParentItem 10000000\n" + lws::light("L", 0, 0, 2) + "ParentItem 10000001\n" +
                    lws::camera(0, 0, 5));
    scene.draw(0.0f);

    // L's origin: (0, 1, -2) in A's frame, doubled, turned a quarter to face +x, moved by
    // A's (1, 0, 0) and by the camera's (0, 0, -5), forward.
    const float* m = scene.items[scene.lights[0]].lightMatrix;
    EXPECT_NEAR(m[12], 5.0f, 1e-4);
    EXPECT_NEAR(m[13], 2.0f, 1e-4);
    EXPECT_NEAR(m[14], -5.0f, 1e-4);
    // A's x axis, doubled, now points along +z.
    EXPECT_NEAR(m[0], 0.0f, 1e-4);
    EXPECT_NEAR(m[2], 2.0f, 1e-4);
    // The caller's matrix is left as it was, camera included.
    float after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_NEAR(after[14], -5.0f, 1e-5);
}

TEST_F(SceneDraw, ObjectsFollowTheirParents) {
    std::vector<lws::Channel> p(9);
    p[0].keys = {{-3.0f, 0.0f}, {3.0f, 2.0f}};
    for (int c = 6; c < 9; ++c) p[c].keys = {{1.0f, 0.0f}};
    Scene scene;
    read(scene, "AddNullObject P\n" + lws::motion("ObjectMotion", p) +
                    "LoadObjectLayer 1 tri.lwo\n" + lws::still("ObjectMotion") +
                    "ParentItem 10000000\n" + lws::camera(0, 0, 10));
    // x = -3 at distance 10 lands at 0.6 of the half-width left of the centre: pixel 128.
    for (float t : {0.0f, 2.0f}) {
        glClear(GL_COLOR_BUFFER_BIT);
        glLoadIdentity();
        scene.draw(t);
        const bool left = t == 0.0f;
        EXPECT_EQ(testsupport::pixelFromTop(128, 240).r > 128, left) << t;
        EXPECT_EQ(testsupport::pixelFromTop(512, 240).r > 128, !left) << t;
        EXPECT_LT(testsupport::pixelFromTop(320, 240).r, 128) << t;
    }
}

// Each object is lit by the lights it does not exclude, packed from GL_LIGHT0, at most eight.
TEST_F(SceneDraw, LightExclusionsPerObject) {
    struct Case {
        const char* exclusions;
        int enabled;       // lights left on after drawing the object
        float firstGreen;  // GL_LIGHT0's green
    };
    const Case cases[] = {
        {"", 8, 0.0f},
        {"ExcludeLight 20000000\n", 8, 1.0f},
        {"ExcludeLight 20000000\nExcludeLight 20000001\n", 7, 1.0f},
    };
    for (const Case& c : cases) {
        std::string lights = "AddLight\nLightName Red\n" + lws::still("LightMotion") +
                             "LightColor 1 0 0\nAddLight\nLightName Green\n" +
                             lws::still("LightMotion") + "LightColor 0 1 0\n";
        for (int i = 0; i < 7; ++i) lights += lws::light("White" + std::to_string(i));
        Scene scene;
        std::vector<std::string> problems;
        const std::string text = header() + "LoadObjectLayer 1 tri.lwo\n" +
                                 lws::still("ObjectMotion") + c.exclusions + lights +
                                 lws::camera(0, 0, 10);
        scene.read("test.lws", text.data(), text.size(), &problems);
        ASSERT_EQ(problems.size(), 1u);  // nine lights
        scene.draw(0.0f);
        int enabled = 0;
        for (int k = 0; k < 8; ++k) enabled += glIsEnabled(GL_LIGHT0 + k);
        EXPECT_EQ(enabled, c.enabled) << c.exclusions;
        GLfloat diffuse[4];
        glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
        EXPECT_EQ(diffuse[1], c.firstGreen) << c.exclusions;
    }

    Scene dark;
    read(dark, "LoadObjectLayer 1 tri.lwo\n" + lws::still("ObjectMotion") +
                   "ExcludeLight 20000000\n" + lws::light("Only") + lws::camera());
    dark.draw(0.0f);
    for (int k = 0; k < 8; ++k) EXPECT_FALSE(glIsEnabled(GL_LIGHT0 + k)) << k;
}

// Damaged scenes draw what they kept and leave OpenGL without errors: the deepest chain the
// reader keeps fits the matrix stack, and a scene without a camera draws from the caller's.
TEST_F(SceneDraw, DeepChainsAndMissingCamerasDrawCleanly) {
    std::string chain = lws::null("C0");
    for (int i = 1; i < 20; ++i) {
        char parent[32];
        std::snprintf(parent, sizeof parent, "ParentItem %08X\n", 0x10000000u + i - 1);
        chain += lws::null("C" + std::to_string(i)) + parent;
    }
    chain += "LoadObjectLayer 1 tri.lwo\n" + lws::still("ObjectMotion") + "ParentItem 1000000E\n";
    Scene scene;
    std::vector<std::string> problems;
    std::string text = header() + chain;
    scene.read("deep.lws", text.data(), text.size(), &problems);
    EXPECT_EQ(problems.size(), 2u);  // too deep, no camera
    glTranslatef(0, 0, -10);
    scene.draw(0.0f);
    EXPECT_GT(testsupport::pixelFromTop(320, 240).r, 128);  // the triangle, 16 levels down
    float after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(after[14], -10.0f);
    capture.clear();
}

}  // namespace
