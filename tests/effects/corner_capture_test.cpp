#include <GL/gl.h>

#include <array>
#include <vector>

#include <gtest/gtest.h>

#include "effects/corner_capture.h"
#include "tests/support/test_support.h"

namespace {

struct Box {
    int x, y, w, h;
};
Box viewport() {
    GLint v[4];
    glGetIntegerv(GL_VIEWPORT, v);
    return {v[0], v[1], v[2], v[3]};
}
Box scissorBox() {
    GLint v[4];
    glGetIntegerv(GL_SCISSOR_BOX, v);
    return {v[0], v[1], v[2], v[3]};
}
bool same(Box a, Box b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

// A size x size texture of one colour.
GLuint solidTexture(int size, unsigned char r, unsigned char g, unsigned char b) {
    std::vector<unsigned char> texels;
    for (int i = 0; i < size * size; ++i) texels.insert(texels.end(), {r, g, b, 255});
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.data());
    return name;
}

std::vector<unsigned char> textureImage(GLuint name, int size) {
    std::vector<unsigned char> texels(size_t(size) * size * 4);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

const unsigned char* texel(const std::vector<unsigned char>& image, int size, int x, int y) {
    return &image[(size_t(y) * size + x) * 4];
}

// Clears the window blue, then the corner red through a capture.
void drawRedCorner(int size) {
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    beginCornerCapture(size);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

class CornerCapture : public testsupport::GlTest {};

TEST_F(CornerCapture, EndPutsBackTheViewportAndTheClipWhateverItWas) {
    for (bool clipOn : {true, false}) {
        const Box band{0, 54, 640, 334};
        glScissor(band.x, band.y, band.w, band.h);
        if (clipOn) glEnable(GL_SCISSOR_TEST);
        beginCornerCapture(64);
        EXPECT_TRUE(same(viewport(), {0, 0, 64, 64}));
        EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
        EXPECT_TRUE(same(scissorBox(), {0, 0, 64, 64}));
        endCornerCapture();
        EXPECT_TRUE(same(viewport(), {0, 0, 640, 480}));
        EXPECT_EQ(bool(glIsEnabled(GL_SCISSOR_TEST)), clipOn);
        EXPECT_TRUE(same(scissorBox(), band));
        glDisable(GL_SCISSOR_TEST);
    }
}

TEST_F(CornerCapture, ClearsOnlyTheCornerAndCopiesWhatWasDrawnThere) {
    drawRedCorner(64);
    const GLuint texture = solidTexture(64, 0, 255, 0);
    copyCornerToTexture(GL_TEXTURE_2D, 64);
    endCornerCapture();
    const auto image = textureImage(texture, 64);
    for (int i = 0; i < 64 * 64; ++i) ASSERT_EQ(image[4 * i], 255) << "texel " << i;
    const auto outside = testsupport::readPixels(64, 0, 1, 1);
    EXPECT_EQ(outside[0], 0);
    EXPECT_EQ(outside[2], 255);  // the window's picture beside the corner is untouched
    glDeleteTextures(1, &texture);
}

TEST(CornerCaptureSmallWindow, CopiesStayInsideTheWindow) {
    ASSERT_TRUE(testsupport::ensureGlContext(200, 150));
    EXPECT_EQ(cornerCopyWidth(256), 200);
    EXPECT_EQ(cornerCopyHeight(256), 150);
    while (glGetError() != GL_NO_ERROR) {
    }
    drawRedCorner(256);
    const GLuint texture = solidTexture(256, 0, 255, 0);
    copyCornerToTexture(GL_TEXTURE_2D, 256);
    endCornerCapture();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    const auto image = textureImage(texture, 256);
    EXPECT_EQ(texel(image, 256, 199, 149)[0], 255);  // copied
    EXPECT_EQ(texel(image, 256, 200, 10)[1], 255);   // beyond the window: left as it was
    EXPECT_EQ(texel(image, 256, 10, 150)[1], 255);
    glDeleteTextures(1, &texture);

    // A read-back holds the same corner, and zeros beyond the window.
    drawRedCorner(256);
    std::vector<unsigned char> read(256 * 256 * 4, 7);
    readCornerRegion(256, 256, read.data());
    endCornerCapture();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(texel(read, 256, 199, 149)[0], 255);
    EXPECT_EQ(texel(read, 256, 0, 0)[2], 0);
    for (const auto& xy : {std::array<int, 2>{200, 10}, {10, 150}, {255, 255}})
        for (int c = 0; c < 4; ++c) EXPECT_EQ(texel(read, 256, xy[0], xy[1])[c], 0);

    ASSERT_TRUE(testsupport::ensureGlContext(640, 480));
    EXPECT_EQ(cornerCopyWidth(512), 512);
    EXPECT_EQ(cornerCopyHeight(512), 480);
}

}  // namespace
