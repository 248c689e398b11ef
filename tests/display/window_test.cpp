#include <GL/gl.h>

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "display/demo_window.h"
#include "platform/platform.h"
#include "platform/scaled_frame.h"
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

TEST(ScaledFrame, FitsThePictureWithItsAspectAndCentredBars) {
    const struct {
        int width, height, outerWidth, outerHeight;
        platform::FitRect fit;
    } cases[] = {
        {640, 480, 1280, 1024, {0, 32, 1280, 960}},     // taller screen: bars above and below
        {1024, 768, 1920, 1080, {240, 0, 1440, 1080}},  // wider screen: bars at the sides
        {800, 600, 800, 600, {0, 0, 800, 600}},         // the same size
        {1, 1000, 100, 100, {49, 0, 1, 100}},           // never thinner than a pixel
        {640, 480, 0, 768, {0, 0, 0, 0}},               // nothing to fill
    };
    for (const auto& c : cases) {
        const platform::FitRect r =
            platform::fitInside(c.width, c.height, c.outerWidth, c.outerHeight);
        EXPECT_EQ(std::vector<int>({r.x, r.y, r.width, r.height}),
                  std::vector<int>({c.fit.x, c.fit.y, c.fit.width, c.fit.height}))
            << c.width << "x" << c.height << " in " << c.outerWidth << "x" << c.outerHeight;
    }
}

// Full screen at a size the display has no mode for plays in the desktop's mode: drawing goes
// to a picture of the chosen size, and the swap shows it scaled with black bars.
TEST(DemoWindow, FullScreenAtASizeTheDisplayLacksIsScaledIntoTheDesktop) {
    g_demoWindow.destroy();
    int desktopWidth = 0, desktopHeight = 0;
    ASSERT_TRUE(platform::desktopSize(desktopWidth, desktopHeight));
    DemoWindow w;
    w.fullscreen = true;
    w.width = desktopWidth * 3 / 4;  // wider than the desktop's shape: bars above and below
    w.height = desktopHeight / 2;
    MessageCapture capture;
    ASSERT_TRUE(w.create("scaled"));
    EXPECT_TRUE(capture.messages().empty());

    // Inside the frame everything sees the picture's size.
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport + 2, viewport + 4),
              std::vector<GLint>({w.width, w.height}));
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char corner[3] = {};
    glReadPixels(w.width - 1, w.height - 1, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, corner);
    EXPECT_EQ(corner[0], 255);

    w.swapBuffers();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    // The window's own framebuffer: red across the middle, black bars above and below.
    using BindFramebuffer = void (*)(GLenum, GLuint);
    const auto bind = BindFramebuffer(platform::glProcAddress("glBindFramebuffer"));
    ASSERT_NE(bind, nullptr);
    bind(0x8CA8 /* GL_READ_FRAMEBUFFER */, 0);
    const platform::FitRect fit =
        platform::fitInside(w.width, w.height, desktopWidth, desktopHeight);
    ASSERT_GT(fit.y, 2);
    const int rows[][2] = {{0, 0},
                           {fit.y - 1, 0},
                           {fit.y + 1, 255},
                           {desktopHeight / 2, 255},
                           {fit.y + fit.height + 1, 0},
                           {desktopHeight - 1, 0}};
    for (const auto& row : rows) {
        unsigned char pixel[3] = {};
        glReadPixels(desktopWidth / 2, row[0], 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
        EXPECT_EQ(pixel[0], row[1]) << "row " << row[0];
    }
    w.destroy();
}

// A window that cannot be made ends with one message saying what failed and why.
TEST(DemoWindow, AWindowThatCannotBeMadeGivesOneMessage) {
    g_demoWindow.destroy();
    DemoWindow w;
    w.fullscreen = true;
    w.width = 1 << 20;  // past any driver's picture size
    w.height = 77;
    MessageCapture capture;
    EXPECT_FALSE(w.create("full"));
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_EQ(capture.messages()[0].rfind("Failed to initialize window: cannot get an OpenGL "
                                          "context: the driver cannot draw a 1048576x77 picture",
                                          0),
              0u)
        << capture.messages()[0];
    w.destroy();  // safe after a failed create, and again
    w.destroy();
    EXPECT_EQ(w.window, nullptr);
    DemoWindow never;
    never.destroy();
    EXPECT_EQ(never.window, nullptr);
}

}  // namespace
