#include "display/frame_timer.h"

#include <algorithm>
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
    paused_ = false;
}

// While paused, "now" is the moment of the pause.
void FrameTimer::start() {
    start_ = paused_ ? pausedAt_ : platform::counter();
}

void FrameTimer::startAt(double seconds) {
    const int64_t now = paused_ ? pausedAt_ : platform::counter();
    start_ = now - static_cast<int64_t>(std::llround(seconds * frequency_));
    if (paused_) elapsed_ = static_cast<double>(now - start_) / static_cast<double>(frequency_);
}

void FrameTimer::update() {
    const int64_t now = platform::counter();
    const double r = 1.0 / static_cast<double>(frequency_);
    frameTime_ = static_cast<double>(now - last_) * r;
    elapsed_ = static_cast<double>((paused_ ? pausedAt_ : now) - start_) * r;
    last_ = now;
}

void FrameTimer::pause() {
    if (paused_) return;
    pausedAt_ = platform::counter();
    elapsed_ = static_cast<double>(pausedAt_ - start_) / static_cast<double>(frequency_);
    paused_ = true;
}

void FrameTimer::resume() {
    if (!paused_) return;
    const int64_t stood = platform::counter() - pausedAt_;
    start_ += stood;
    // A frame read during the pause ends its span at the pause.
    last_ = std::min(last_, pausedAt_) + stood;
    paused_ = false;
}
