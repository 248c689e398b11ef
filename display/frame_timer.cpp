#include "display/frame_timer.h"

#include <cmath>

#include "platform/platform.h"

FrameTimer::FrameTimer() {
    reset();
}

void FrameTimer::reset() {
    frequency_ = platform::counterFrequency();
    last_ = platform::counter();
    start_ = platform::counter();
    frameTime_ = 0.0;
    elapsed_ = 0.0;
}

void FrameTimer::start() {
    start_ = platform::counter();
}

void FrameTimer::startAt(double seconds) {
    start_ = platform::counter() - static_cast<int64_t>(std::llround(seconds * frequency_));
}

void FrameTimer::update() {
    const int64_t now = platform::counter();
    const double r = 1.0 / static_cast<double>(frequency_);
    frameTime_ = static_cast<double>(now - last_) * r;
    elapsed_ = static_cast<double>(now - start_) * r;
    last_ = now;
}
