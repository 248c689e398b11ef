#include <GL/gl.h>

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "display/demo_window.h"
#include "platform/platform.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::MessageCapture;

TEST(DemoWindow, CreatesAContextWithTheViewportAndProjectionOfItsSize) {
    ASSERT_TRUE(testsupport::ensureGlContext(800, 600));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), std::vector<GLint>({0, 0, 800, 600}));

    // 45 degrees high, aspect 800 / 600, near 1, far 10000:
    // f = 1 / tan(22.5 degrees) = 2.414214; the depth row is -(10001 / 9999), -(20000 / 9999).
    GLfloat p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    EXPECT_NEAR(p[5], 2.414214f, 1e-5);
    EXPECT_NEAR(p[0], 2.414214f * 0.75f, 1e-5);
    EXPECT_NEAR(p[10], -1.0002000f, 1e-6);
    EXPECT_NEAR(p[14], -2.0002000f, 1e-5);
    EXPECT_EQ(p[11], -1.0f);
    GLfloat modelView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(modelView[i], i % 5 == 0 ? 1.0f : 0.0f) << i;

    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_EQ(depthBits, 16);  // what is asked for with 32-bit colour too, as Mesa gives it

    // The whole client area is drawable.
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(testsupport::pixelFromTop(799, 599).g, 255);
    EXPECT_EQ(testsupport::pixelFromTop(0, 0).g, 255);
}

TEST(DemoWindow, AsksForTheChosenColourDepthAndA16BitDepthBuffer) {
    g_demoWindow.destroy();
    DemoWindow w;
    w.colorBits = 16;
    MessageCapture capture;
    ASSERT_TRUE(w.create("sixteen"));
    EXPECT_TRUE(capture.messages().empty());
    EXPECT_STREQ(platform::windowTitle(w.window), "sixteen");
    w.setTitle("Vexil Palisade 2.0  -  60.0 FPS");
    EXPECT_STREQ(platform::windowTitle(w.window), "Vexil Palisade 2.0  -  60.0 FPS");
    w.destroy();
    EXPECT_EQ(w.window, nullptr);

    // The driver may give more than it is asked for, so what is asked is checked too.
    const int bits[][4] = {{16, 5, 6, 5}, {32, 8, 8, 8}, {24, 8, 8, 8}};  // asked, r, g, b
    for (const auto& b : bits) {
        platform::WindowDesc desc;
        desc.colorBits = b[0];
        const platform::PixelFormat f = platform::pixelFormatFor(desc);
        EXPECT_EQ(std::vector<int>({f.red, f.green, f.blue, f.alpha, f.depth}),
                  std::vector<int>({b[1], b[2], b[3], 0, 16}));  // the depth buffer: 16 always
    }
}

TEST(DemoWindow, AnUnavailableDisplayModeGivesBothMessagesInOrder) {
    g_demoWindow.destroy();
    DemoWindow w;
    w.fullscreen = true;
    w.width = 12345;  // no display offers this
    w.height = 77;
    MessageCapture capture;
    EXPECT_FALSE(w.create("full"));
    const std::vector<std::string> shown = {"Failed to change screenmode",
                                            "Failed to initialize window"};
    EXPECT_EQ(capture.messages(), shown);
    EXPECT_EQ(w.window, nullptr);
    w.destroy();  // safe after a failed create, and again
    w.destroy();
    DemoWindow never;
    never.destroy();
    EXPECT_EQ(never.window, nullptr);
}

}  // namespace
