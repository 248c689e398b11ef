// The two scene effects on the production's own scenes, objects and sky map from data.rar.
#include <GL/gl.h>
#include <GL/glu.h>

#include <gtest/gtest.h>

#include "archive/archive.h"
#include "effects/sky_map_scene_effect.h"
#include "effects/tunnel_scene_effect.h"
#include "glext/extensions.h"
#include "mesh/mesh_library.h"
#include "tests/support/test_support.h"
#include "texture/texture_cache.h"

namespace {

class SceneEffects : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        static bool loaded = false;
        if (!loaded) {
            loaded = true;
            Archive::setDataPath(PALISADE_DATA_ARCHIVE);
            ASSERT_EQ(initExtensions(), 0);
            initImageLibrary();
            g_textureCache.load("textures\\skymap.png");
            g_meshLibrary.loadDirectory("lwos");
            g_tunnelScene.prepare();
            g_skyMapScene.prepare();
            ASSERT_TRUE(capture.messages().empty()) << capture.messages()[0];
        }
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 640.0 / 480.0, 1.0, 10000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glClearColor(0, 0, 0, 1);
    }
    void TearDown() override {
        EXPECT_TRUE(capture.messages().empty()) << capture.messages()[0];
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    template <typename Effect>
    std::vector<uint8_t> frame(Effect& effect, float time) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glColor3f(1, 1, 1);
        effect.render(time, 1.0f / 30.0f);
        glPopAttrib();
        return testsupport::readPixels(0, 0, 640, 480);
    }

    static size_t litPixels(const std::vector<uint8_t>& rgba) {
        size_t n = 0;
        for (size_t i = 0; i < rgba.size(); i += 4) n += rgba[i] + rgba[i + 1] + rgba[i + 2] > 60;
        return n;
    }

    testsupport::MessageCapture capture;
};

TEST_F(SceneEffects, ProductionScenesLoadWithTheirItems) {
    struct Case {
        const Scene& scene;
        size_t items, objects, nulls, lights, topLevel;
    };
    const Case cases[] = {
        // Eight rings of five cubes, an arrow; two lights, the camera.
        {g_tunnelScene.scene, 52, 41, 8, 2, 12},
        // Twelve stars on the wreath, the emblem, four arrows; three lights, the camera.
        {g_skyMapScene.scene, 22, 17, 1, 3, 10},
    };
    for (const Case& c : cases) {
        size_t objects = 0, nulls = 0;
        for (const SceneItem& item : c.scene.items) {
            objects += item.type == kItemObject;
            nulls += item.type == kItemNull;
            EXPECT_TRUE(item.inTree) << item.name;
            if (item.type == kItemObject) {
                EXPECT_NE(g_meshLibrary.find(item.name.c_str()), nullptr) << item.name;
            }
        }
        EXPECT_EQ(c.scene.items.size(), c.items) << c.scene.name;
        EXPECT_EQ(c.scene.envelopes.size(), c.items) << c.scene.name;
        EXPECT_EQ(objects, c.objects) << c.scene.name;
        EXPECT_EQ(nulls, c.nulls) << c.scene.name;
        EXPECT_EQ(c.scene.lights.size(), c.lights) << c.scene.name;
        EXPECT_EQ(c.scene.cameras.size(), 1u) << c.scene.name;
        EXPECT_EQ(c.scene.nodes[0].children.size(), c.topLevel) << c.scene.name;
    }
}

TEST_F(SceneEffects, TunnelMovesWithTime) {
    const std::vector<uint8_t> early = frame(g_tunnelScene, 1.0f);
    const std::vector<uint8_t> later = frame(g_tunnelScene, 3.0f);
    EXPECT_GT(litPixels(early), 5000u);
    EXPECT_GT(litPixels(later), 5000u);
    EXPECT_NE(early, later);
    EXPECT_EQ(frame(g_tunnelScene, 1.0f), early);  // the same time, the same picture
}

// The sky map lives on unit 1 only while the scene is drawn; the picture is lit.
TEST_F(SceneEffects, SkySceneIsLitAndLeavesUnitOneAsItFoundIt) {
    const std::vector<uint8_t> picture = frame(g_skyMapScene, 2.0f);
    EXPECT_GT(litPixels(picture), 5000u);
    EXPECT_EQ(frame(g_skyMapScene, 2.0f), picture);  // no offset piles up between frames

    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &active);
    EXPECT_EQ(active, GL_TEXTURE0_ARB);
    glext::glActiveTextureARB(GL_TEXTURE1_ARB);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    GLfloat matrix[16];
    glGetFloatv(GL_TEXTURE_MATRIX, matrix);
    EXPECT_EQ(matrix[12], 0.0f);
    glext::glActiveTextureARB(GL_TEXTURE0_ARB);
}

}  // namespace
