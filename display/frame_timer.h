// frame_timer.h - clock over the platform's high-resolution counter.
//
// update() takes one counter reading and derives both the duration of the last frame and the
// time since start(), so the two always agree. framesPerSecond is the rate of the last single
// frame, not an average.
//
// pause() stops the time: until resume(), the elapsed time reads what it read at the pause,
// and the pause counts neither in the elapsed time nor in the first frame after it.
#pragma once

#include <cstdint>

class FrameTimer {
  public:
    // Reads the frequency, then sets last and start to the counter now.
    FrameTimer();

    void start();
    // Starts so that the elapsed time now reads `seconds` (a run that begins mid-song);
    // while paused, so that it reads `seconds` on resuming.
    void startAt(double seconds);
    void update();
    // Re-reads the frequency and restarts, as construction does; used when the program
    // switches between the real and the manual (lockstep) clock. Ends a pause.
    void reset();
    void pause();
    void resume();
    bool paused() const { return paused_; }

    double elapsedSeconds() const { return elapsed_; }
    double frameSeconds() const { return frameTime_; }
    double framesPerSecond() const { return 1.0 / frameTime_; }

    // The counter value of start(), for readers that compute their own elapsed time.
    int64_t startCount() const { return start_; }
    int64_t frequency() const { return frequency_; }

  private:
    int64_t frequency_;
    int64_t last_;
    int64_t start_;
    int64_t pausedAt_ = 0;
    bool paused_ = false;
    double frameTime_ = 0.0;
    double elapsed_ = 0.0;
};
