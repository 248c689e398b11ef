// The opening's two parts put their objects where they belong: the box's fall, the camera's
// path, the arrow tower's angles and the logo's corner, read back from the model-view matrix
// at each object the part draws.
#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "demo/logo_overlay.h"
#include "demo/parts.h"
#include "effects/tube_effect.h"
#include "mesh/mesh_library.h"
#include "music/music_player.h"
#include "tests/support/test_support.h"

namespace {

using Matrix = std::array<float, 16>;

struct Drawn {
    std::string name;
    int layer;
    Matrix modelview;
    float fogStart, fogEnd;
};

void record(void* user, const char* name, int layer) {
    Drawn d{name, layer, {}, 0, 0};
    glGetFloatv(GL_MODELVIEW_MATRIX, d.modelview.data());
    glGetFloatv(GL_FOG_START, &d.fogStart);
    glGetFloatv(GL_FOG_END, &d.fogEnd);
    static_cast<std::vector<Drawn>*>(user)->push_back(d);
}

// The camera at eye looking at (0, targetY, 0) with x up, then the objects' base: raised to
// baseY and turned three quarters about y.
void loadCameraAndBase(double ex, double ey, double ez, double targetY, float baseY) {
    glLoadIdentity();
    gluLookAt(ex, ey, ez, 0, targetY, 0, 1, 0, 0);
    glTranslatef(0, baseY, 0);
    glRotatef(270, 0, 1, 0);
}

Matrix currentModelview() {
    Matrix m;
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    glLoadIdentity();
    return m;
}

void expectSameMatrix(const Matrix& got, const Matrix& want, const std::string& what) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(got[i], want[i], 1e-3f * (1.0f + std::fabs(want[i])))
            << what << ", [" << i << "]";
}

class Opening : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        g_tube.prepare();
        g_logoOverlay.prepare();
        // No hit for a long time: the logo rests in its corner at its own size.
        for (int i = 0; i < kInstrumentSlots; ++i) {
            instHitCount[i] = 0;
            instSinceHit[i] = 1000.0f;
        }
        g_meshLibrary.setDrawObserver(record, &drawn);
    }
    void TearDown() override { g_meshLibrary.setDrawObserver(nullptr, nullptr); }

    std::vector<const Drawn*> drawsOf(const char* name) const {
        std::vector<const Drawn*> found;
        for (const Drawn& d : drawn)
            if (d.name == name) found.push_back(&d);
        return found;
    }
    // The logo's place in its corner: x, y and depth of its model-view translation.
    void expectLogoAt(float x, float y) const {
        const auto logo = drawsOf("lwos\\c-logo.lwo");
        ASSERT_EQ(logo.size(), 1u);
        EXPECT_FLOAT_EQ(logo[0]->modelview[12], x);
        EXPECT_FLOAT_EQ(logo[0]->modelview[13], y);
        EXPECT_FLOAT_EQ(logo[0]->modelview[14], -35.0f);
    }

    std::vector<Drawn> drawn;
    testsupport::MessageCapture capture;  // the objects and textures are not loaded here
};

TEST_F(Opening, TheBoxSinksToTwentyAndStaysThereWhileTheCameraDrifts) {
    const struct {
        float time, boxHeight;
    } cases[] = {{0.0f, 120.0f}, {10.0f, 90.0f}, {33.3f, 20.1f}, {33.4f, 20.0f}, {95.0f, 20.0f}};
    for (const auto& c : cases) {
        drawn.clear();
        glLoadIdentity();
        partTubeIntro(c.time, 1.0f / 30);
        const auto box = drawsOf("lwos\\box-demo.lwo");
        ASSERT_EQ(box.size(), 1u);
        EXPECT_EQ(box[0]->layer, 0);
        EXPECT_EQ(box[0]->fogStart, 10.0f);
        EXPECT_EQ(box[0]->fogEnd, 50.0f);
        const double t = c.time;
        loadCameraAndBase(5 * std::sin(0.6 * t + std::sin(0.3 * t)), 0,
                          5 * std::sin(t + std::sin(0.45 * t)), 20, c.boxHeight);
        expectSameMatrix(box[0]->modelview, currentModelview(),
                         "box at " + std::to_string(c.time) + " s");
        expectLogoAt(-14.5f, 10.5f);  // top left
    }
}

TEST_F(Opening, TheTowerTurnsEachArrowAtItsOwnRate) {
    for (float time : {1.5f, 20.0f, 47.0f}) {
        drawn.clear();
        glLoadIdentity();
        partTubeArrows(time, 1.0f / 30);
        const auto arrows = drawsOf("lwos\\arrow-strengs-big.lwo");
        ASSERT_EQ(arrows.size(), 17u);
        const double t = time;
        const double ex = 6 * std::sin(0.6 * t + std::sin(0.2 * t));
        const double ez = 6 * std::sin(t + std::sin(0.35 * t));
        for (int i = 0; i < 16; ++i) {
            // Arrow i stands 6 (i + 1) above the base, turned 180 sin(0.1 i t) degrees.
            loadCameraAndBase(ex, 10, ez, 18, -20.0f);
            glTranslatef(0, 6.0f * (i + 1), 0);
            glRotatef(static_cast<float>(180 * std::sin(0.1 * i * t)), 0, 1, 0);
            EXPECT_EQ(arrows[i]->layer, 0);
            expectSameMatrix(arrows[i]->modelview, currentModelview(),
                             "arrow " + std::to_string(i) + " at " + std::to_string(time) + " s");
        }
        // The tower's foot, layer 1, on the base itself.
        loadCameraAndBase(ex, 10, ez, 18, -20.0f);
        EXPECT_EQ(arrows[16]->layer, 1);
        expectSameMatrix(arrows[16]->modelview, currentModelview(), "foot");
        expectLogoAt(14.5f, 10.5f);  // top right
    }
}

}  // namespace
