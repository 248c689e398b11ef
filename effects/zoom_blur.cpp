#include "effects/zoom_blur.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "display/demo_window.h"
#include "effects/corner_capture.h"
#include "effects/overlay.h"

ZoomBlur g_zoomBlur;

void ZoomBlur::prepare() {
    texture = createCornerTexture(kSize);
}

void ZoomBlur::useCaptureViewport() {
    beginCornerCapture(kSize);
}

namespace {

struct Span {
    int first, count;
};

// The corner texels along one axis that a clip of the stretched picture shows, with all the
// passes need to make them. Window pixel p shows texel (p + 0.5) * size / windowSize - 0.5 and
// the next; a pass enlarges the corner about its centre, so a texel is made only from texels
// nearer the centre, and from one more beyond it for the filter: the span reaches the centre,
// and one texel further out for each pass (and a little more).
Span spanShown(int clipStart, int clipSize, int windowSize, int size, int passes) {
    const auto texel = [&](double p) {
        return static_cast<int>(std::floor((p + 0.5) * size / windowSize - 0.5));
    };
    const int margin = passes + 2;
    const int first = std::max(0, std::min(texel(clipStart), size / 2 - 1) - margin);
    const int last =
        std::min(size - 1, std::max(texel(clipStart + clipSize - 1) + 1, size / 2) + margin);
    return {first, std::max(0, last - first + 1)};
}

}  // namespace

void ZoomBlur::apply(float, float, float strength) {
    // Under a clip (the part's letterbox), only the corner texels the clip lets be seen are
    // blurred and copied; the texels beside them are never sampled by those.
    Span across{0, kSize}, down{0, kSize};
    int clip[4];
    if (cornerCaptureClip(clip)) {
        across = spanShown(clip[0], clip[2], g_demoWindow.width, kSize, kPasses);
        down = spanShown(clip[1], clip[3], g_demoWindow.height, kSize, kPasses);
    }
    glScissor(across.first, down.first, across.count, down.count);
    glPushAttrib(GL_ENABLE_BIT);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    // The viewport is still the corner, so the 640 x 480 overlay space lands in it: each pass
    // lays the corner over itself at half strength, overhanging the frame by d on each side.
    for (int i = 1; i <= kPasses; ++i) {
        copyCornerPartToTexture(GL_TEXTURE_2D, across.first, down.first, across.count, down.count);
        const float d = static_cast<float>(std::pow(static_cast<double>(strength), i));
        beginOverlay();
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 1.0f);
        glVertex2f(-d, -0.75f * d);
        glTexCoord2f(1.0f, 1.0f);
        glVertex2f(640.0f + d, -0.75f * d);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2f(640.0f + d, 480.0f + 0.75f * d);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(-d, 480.0f + 0.75f * d);
        glEnd();
        endOverlay();
    }
    copyCornerPartToTexture(GL_TEXTURE_2D, across.first, down.first, across.count, down.count);
    glPopAttrib();

    // The corner stretched over the whole window, opaque. The capture ends outside the
    // attribute push above, whose pop would otherwise switch the corner's scissor back on.
    endCornerCapture();
    glPushAttrib(GL_ENABLE_BIT);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    drawOverlayQuad(0.0f, 0.0f, 640.0f, 480.0f, false);
    glPopAttrib();
}
