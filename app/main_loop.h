// main_loop.h - the render loop: one event per iteration, a frame whenever none is waiting.
//
// A burst of events therefore delays frames instead of being drained at once, and the loop
// never sleeps while it plays: the frame rate is bounded only by the driver.
//
// With playback controls, the keys they know go to them. While paused the loop draws one
// frame at the standing time (with no frame time, so nothing moves), keeps that picture and
// shows it again about 30 times a second, sleeping in between: an effect that feeds back its
// last picture or moves particles by time left over from its last step would otherwise
// still move.
#pragma once

#include <cstdint>
#include <vector>

#include "display/demo_window.h"
#include "platform/platform.h"

class PlaybackControls;

// Draws one frame; false asks the loop to stop after presenting it. user is the pointer the
// loop was made with.
using FrameFunction = bool (*)(void* user, float time, float frameTime);

// The window's event handling: the close box and Escape post Quit to the queue; the loop
// ends when it takes that Quit. Nothing else is handled.
void postQuitOnClose(const platform::Event& event);

class MainLoop {
  public:
    static constexpr const char* kCaptionFormat = "%s  -  %3.1f FPS";

    MainLoop(DemoWindow& window, FrameFunction frame, void* user = nullptr)
        : window_(window), frame_(frame), user_(user) {}

    // Real time: the keys of the playback controls, and their pause. Null: none.
    void setControls(PlaybackControls* controls) { controls_ = controls; }

    // Starts the window's frame clock, reading atSeconds now.
    void start(double atSeconds = 0.0);
    // One iteration: takes one event, or draws and presents one frame when none is waiting.
    // Returns whether the loop is still running.
    bool iterate();
    void run();
    // Iterates until one frame has been drawn (handling whatever events wait first), for
    // runs that draw a fixed number of frames. False once the loop has ended.
    bool stepFrame();

    bool running() const { return running_; }
    int framesDrawn() const { return framesDrawn_; }

  private:
    void drawFrame();
    void holdFrame();
    void showHeldFrame();

    DemoWindow& window_;
    FrameFunction frame_;
    void* user_;
    PlaybackControls* controls_ = nullptr;
    // The picture shown while paused; empty until a paused frame has been drawn.
    std::vector<uint8_t> held_;
    int heldWidth_ = 0;
    int heldHeight_ = 0;
    bool running_ = true;
    int frameCounter_ = 0;  // frames since the caption was last written
    int framesDrawn_ = 0;
    char caption_[128] = {};
};
