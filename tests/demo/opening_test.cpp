// The box of the opening comes to rest at height 20 after 33.3 s, a time the song never
// reaches in that part (the reference frames see it only on its way down): read back from
// the model-view matrix the box is drawn with.
#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "demo/director.h"
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
        Director::partForOrder(0)(c.time, 1.0f / 30);
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
    }
}

}  // namespace
