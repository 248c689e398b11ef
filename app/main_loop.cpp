#include "app/main_loop.h"

#include <cstdio>

void windowProc(const platform::Event& event) {
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
        if (event.kind == platform::EventKind::Quit)
            running_ = false;
        else
            windowProc(event);
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
                             static_cast<float>(clock.frameSeconds()));
    if (!keep) running_ = false;
    window_.swapBuffers();
}
