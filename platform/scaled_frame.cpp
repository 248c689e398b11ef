#include "platform/scaled_frame.h"

#include <GL/glext.h>

#include <algorithm>
#include <cstdint>

#include "platform/platform.h"

namespace platform {

namespace {

// The framebuffer-object functions (OpenGL 3.0, ARB_framebuffer_object), looked up once per
// context that needs them.
struct FramebufferFunctions {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer;

    bool load() {
        genFramebuffers = PFNGLGENFRAMEBUFFERSPROC(glProcAddress("glGenFramebuffers"));
        deleteFramebuffers = PFNGLDELETEFRAMEBUFFERSPROC(glProcAddress("glDeleteFramebuffers"));
        bindFramebuffer = PFNGLBINDFRAMEBUFFERPROC(glProcAddress("glBindFramebuffer"));
        genRenderbuffers = PFNGLGENRENDERBUFFERSPROC(glProcAddress("glGenRenderbuffers"));
        deleteRenderbuffers = PFNGLDELETERENDERBUFFERSPROC(glProcAddress("glDeleteRenderbuffers"));
        bindRenderbuffer = PFNGLBINDRENDERBUFFERPROC(glProcAddress("glBindRenderbuffer"));
        renderbufferStorage = PFNGLRENDERBUFFERSTORAGEPROC(glProcAddress("glRenderbufferStorage"));
        framebufferRenderbuffer =
            PFNGLFRAMEBUFFERRENDERBUFFERPROC(glProcAddress("glFramebufferRenderbuffer"));
        checkFramebufferStatus =
            PFNGLCHECKFRAMEBUFFERSTATUSPROC(glProcAddress("glCheckFramebufferStatus"));
        blitFramebuffer = PFNGLBLITFRAMEBUFFERPROC(glProcAddress("glBlitFramebuffer"));
        return genFramebuffers && deleteFramebuffers && bindFramebuffer && genRenderbuffers &&
               deleteRenderbuffers && bindRenderbuffer && renderbufferStorage &&
               framebufferRenderbuffer && checkFramebufferStatus && blitFramebuffer;
    }
};

FramebufferFunctions g_fb;

}  // namespace

FitRect fitInside(int width, int height, int outerWidth, int outerHeight) {
    if (width <= 0 || height <= 0 || outerWidth <= 0 || outerHeight <= 0) return {0, 0, 0, 0};
    // Wider than the outer shape: full width, bars above and below; else full height.
    FitRect r{0, 0, outerWidth, outerHeight};
    if (int64_t(width) * outerHeight > int64_t(outerWidth) * height) {
        r.height = std::max(1, int(int64_t(outerWidth) * height / width));
    } else {
        r.width = std::max(1, int(int64_t(outerHeight) * width / height));
    }
    r.x = (outerWidth - r.width) / 2;
    r.y = (outerHeight - r.height) / 2;
    return r;
}

bool ScaledFrame::create(int width, int height, int colorBits, int depthBits) {
    release();
    if (!g_fb.load()) return false;
    width_ = width;
    height_ = height;
    g_fb.genFramebuffers(1, &framebuffer_);
    g_fb.genRenderbuffers(1, &colour_);
    g_fb.genRenderbuffers(1, &depth_);
    g_fb.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    g_fb.bindRenderbuffer(GL_RENDERBUFFER, colour_);
    g_fb.renderbufferStorage(GL_RENDERBUFFER, colorBits == 16 ? GL_RGB565 : GL_RGB8, width, height);
    g_fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    g_fb.bindRenderbuffer(GL_RENDERBUFFER, depth_);
    g_fb.renderbufferStorage(GL_RENDERBUFFER,
                             depthBits > 16 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16, width,
                             height);
    g_fb.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    g_fb.bindRenderbuffer(GL_RENDERBUFFER, 0);
    if (g_fb.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        release();
        while (glGetError() != GL_NO_ERROR) {
        }  // a size past the driver's limit leaves its error: the failure is told instead
        return false;
    }
    glViewport(0, 0, width, height);
    return true;
}

void ScaledFrame::present(int windowWidth, int windowHeight) {
    if (!active()) return;
    const FitRect r = fitInside(width_, height_, windowWidth, windowHeight);
    // Whatever the frame left enabled (a scissor, a colour mask) must not cut the copy. The
    // attributes are saved with the window's framebuffer bound, as they hold its draw buffer.
    g_fb.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    g_fb.bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    g_fb.blitFramebuffer(0, 0, width_, height_, r.x, r.y, r.x + r.width, r.y + r.height,
                         GL_COLOR_BUFFER_BIT, GL_LINEAR);
    glPopAttrib();
}

void ScaledFrame::bind() {
    if (active()) g_fb.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

void ScaledFrame::release() {
    if (framebuffer_) {
        g_fb.bindFramebuffer(GL_FRAMEBUFFER, 0);
        g_fb.deleteFramebuffers(1, &framebuffer_);
    }
    if (colour_) g_fb.deleteRenderbuffers(1, &colour_);
    if (depth_) g_fb.deleteRenderbuffers(1, &depth_);
    framebuffer_ = colour_ = depth_ = 0;
}

}  // namespace platform
