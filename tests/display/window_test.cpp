#include <GL/gl.h>

#include <cmath>

#include <gtest/gtest.h>

#include "display/demo_window.h"
#include "platform/platform.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::MessageCapture;

TEST(DemoWindow, CreatesAHeadlessContextWithTheProjection) {
    ASSERT_TRUE(testsupport::ensureGlContext(800, 600));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);

    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
    EXPECT_NEAR(projection[5], f, 1e-5);
    EXPECT_NEAR(projection[0], f / (800.0 / 600.0), 1e-5);
    // Near 1, far 10000.
    EXPECT_NEAR(projection[10], -(10000.0 + 1.0) / (10000.0 - 1.0), 1e-5);

    GLint depthBits = 0, mode = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_GE(depthBits, 16);
    EXPECT_EQ(mode, GL_MODELVIEW);

    // The whole client area is drawable.
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(testsupport::pixelFromTop(799, 599).g, 255);
    EXPECT_EQ(testsupport::pixelFromTop(0, 0).g, 255);
}

TEST(DemoWindow, SixteenBitColourStillGivesAContext) {
    g_demoWindow.destroy();
    DemoWindow w;
    w.colorBits = 16;
    MessageCapture capture;
    ASSERT_TRUE(w.create("sixteen"));
    EXPECT_TRUE(capture.messages().empty());
    // The driver may give more than it is asked for, so what is asked is checked too.
    GLint red = 0, green = 0;
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_GREEN_BITS, &green);
    EXPECT_GE(red, 5);
    EXPECT_GE(green, 6);
    w.destroy();

    const struct {
        int colorBits, red, green, blue;
    } cases[] = {{16, 5, 6, 5}, {32, 8, 8, 8}, {24, 8, 8, 8}};
    for (const auto& c : cases) {
        platform::WindowDesc desc;
        desc.colorBits = c.colorBits;
        const platform::PixelFormat f = platform::pixelFormatFor(desc);
        EXPECT_EQ(f.red, c.red) << c.colorBits;
        EXPECT_EQ(f.green, c.green) << c.colorBits;
        EXPECT_EQ(f.blue, c.blue) << c.colorBits;
        EXPECT_EQ(f.alpha, 0) << c.colorBits;
        EXPECT_EQ(f.depth, 16) << "the depth buffer is 16 bits in every mode";
    }
}

TEST(DemoWindow, UnavailableDisplayModeGivesBothMessagesInOrder) {
    g_demoWindow.destroy();
    DemoWindow w;
    w.fullscreen = true;
    w.width = 12345;  // no display offers this
    w.height = 77;
    MessageCapture capture;
    EXPECT_FALSE(w.create("full"));
    ASSERT_EQ(capture.messages().size(), 2u);
    EXPECT_EQ(capture.messages()[0], "Failed to change screenmode");
    EXPECT_EQ(capture.messages()[1], "Failed to initialize window");
    EXPECT_EQ(w.window, nullptr);
    w.destroy();  // safe after a failed create
    w.destroy();
}

TEST(DemoWindow, DestroyIsSafeWithoutCreate) {
    DemoWindow w;
    w.destroy();
    EXPECT_EQ(w.window, nullptr);
}

}  // namespace
