#include "app/main_loop.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include <GL/gl.h>

#include "app/playback_controls.h"

namespace {

constexpr int kHeldFrameMilliseconds = 33;

}  // namespace

void postQuitOnClose(const platform::Event& event) {
    const bool quit =
        event.kind == platform::EventKind::CloseRequested ||
        (event.kind == platform::EventKind::KeyDown && event.key == platform::KeyEscape);
    if (quit) {
        platform::Event q;
        q.kind = platform::EventKind::Quit;
        platform::postEvent(q);
    }
}

void MainLoop::start(double atSeconds) {
    window_.frameClock.startAt(atSeconds);
}

bool MainLoop::iterate() {
    if (!running_) return false;
    platform::Event event;
    if (platform::pollEvent(event)) {
        if (event.kind == platform::EventKind::Quit) {
            running_ = false;
        } else {
            postQuitOnClose(event);
            // Whatever the controls change, a paused picture is drawn anew.
            if (controls_ && controls_->handleEvent(event)) held_.clear();
        }
        return running_;
    }
    drawFrame();
    return running_;
}

void MainLoop::run() {
    start();
    while (iterate()) {
    }
}

bool MainLoop::stepFrame() {
    const int before = framesDrawn_;
    while (running_ && framesDrawn_ == before) iterate();
    return framesDrawn_ > before;
}

void MainLoop::drawFrame() {
    if (controls_ && controls_->beforeFrame()) held_.clear();
    const bool paused = controls_ && controls_->paused();
    if (paused && !held_.empty()) {
        showHeldFrame();
        return;
    }
    if (!paused) held_.clear();
    FrameTimer& clock = window_.frameClock;
    clock.update();
    if (frameCounter_ > 20 && !window_.fullscreen) {
        std::snprintf(caption_, sizeof caption_, kCaptionFormat, window_.title,
                      clock.framesPerSecond());
        window_.setTitle(caption_);
        frameCounter_ = 0;
    }
    ++frameCounter_;
    ++framesDrawn_;
    const bool keep = frame_(user_, static_cast<float>(clock.elapsedSeconds()),
                             paused ? 0.0f : static_cast<float>(clock.frameSeconds()));
    if (!keep) running_ = false;
    if (paused) holdFrame();
    window_.swapBuffers();
}

void MainLoop::holdFrame() {
    heldWidth_ = window_.width;
    heldHeight_ = window_.height;
    held_.assign(static_cast<size_t>(heldWidth_) * static_cast<size_t>(heldHeight_) * 3, 0);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, heldWidth_, heldHeight_, GL_RGB, GL_UNSIGNED_BYTE, held_.data());
    glPopClientAttrib();
}

void MainLoop::showHeldFrame() {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_TEXTURE_2D);
#ifdef GL_TEXTURE_CUBE_MAP
    glDisable(GL_TEXTURE_CUBE_MAP);
#endif
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_COLOR_LOGIC_OP);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glViewport(0, 0, heldWidth_, heldHeight_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelZoom(1.0f, 1.0f);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRasterPos2f(-1.0f, -1.0f);
    glDrawPixels(heldWidth_, heldHeight_, GL_RGB, GL_UNSIGNED_BYTE, held_.data());
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopClientAttrib();
    glPopAttrib();
    window_.swapBuffers();
    // Nothing moves: no need to spin.
    std::this_thread::sleep_for(std::chrono::milliseconds(kHeldFrameMilliseconds));
}
