#include "effects/corner_capture.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "display/demo_window.h"

namespace {

// The clip of whoever drew before the capture.
GLboolean g_scissorWasOn = GL_FALSE;
GLint g_scissorBox[4] = {};

}  // namespace

unsigned createCornerTexture(int size) {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    const std::vector<unsigned char> zeros(static_cast<size_t>(size) * size * 4, 0);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, bound);
    return name;
}

int cornerCopyWidth(int size) {
    return std::max(0, std::min(size, g_demoWindow.width));
}

int cornerCopyHeight(int size) {
    return std::max(0, std::min(size, g_demoWindow.height));
}

void beginCornerCapture(int size) {
    g_scissorWasOn = glIsEnabled(GL_SCISSOR_TEST);
    glGetIntegerv(GL_SCISSOR_BOX, g_scissorBox);
    useCornerTile(0, 0, size);
    glEnable(GL_SCISSOR_TEST);
}

void copyCornerToTexture(unsigned target, int size) {
    glCopyTexSubImage2D(target, 0, 0, 0, 0, 0, cornerCopyWidth(size), cornerCopyHeight(size));
}

void copyCornerPartToTexture(unsigned target, int x, int y, int width, int height) {
    width = std::min(width, g_demoWindow.width - x);
    height = std::min(height, g_demoWindow.height - y);
    if (width > 0 && height > 0) glCopyTexSubImage2D(target, 0, x, y, x, y, width, height);
}

bool cornerCaptureClip(int box[4]) {
    for (int i = 0; i < 4; ++i) box[i] = g_scissorBox[i];
    return g_scissorWasOn;
}

void useCornerTile(int x, int y, int size) {
    glViewport(x, y, size, size);
    glScissor(x, y, size, size);
}

void readCornerRegion(int width, int height, unsigned char* out) {
    const int inWidth = cornerCopyWidth(width), inHeight = cornerCopyHeight(height);
    if (inWidth < width || inHeight < height)
        std::memset(out, 0, static_cast<size_t>(width) * height * 4);
    if (inWidth == 0 || inHeight == 0) return;
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ROW_LENGTH, width);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, inWidth, inHeight, GL_RGBA, GL_UNSIGNED_BYTE, out);
    glPopClientAttrib();
}

void endCornerCapture() {
    glViewport(0, 0, g_demoWindow.width, g_demoWindow.height);
    glScissor(g_scissorBox[0], g_scissorBox[1], g_scissorBox[2], g_scissorBox[3]);
    if (g_scissorWasOn)
        glEnable(GL_SCISSOR_TEST);
    else
        glDisable(GL_SCISSOR_TEST);
}
