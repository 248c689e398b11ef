// demo_window.h - the program's one window, its OpenGL context and the display mode.
//
// The settings choose width, height, colour depth and full screen before create(); drawing
// code anywhere reads width and height to restore the full-window viewport after drawing into
// a smaller one.
#pragma once

#include "display/frame_timer.h"
#include "platform/platform.h"

class DemoWindow {
  public:
    // Starts video, changes the display mode when full screen (or, where the display has no
    // mode of this size, takes the desktop's and says so on standard error: the picture is
    // then drawn at its own size and scaled to fit), creates the window and the context,
    // shows the window and sets the projection. A failure shows one message: what failed,
    // with the driver's reason.
    bool create(const char* windowTitle);
    // Releases the context and the window and restores the display mode. Safe after a
    // failed or missing create().
    void destroy();

    void swapBuffers();
    void setTitle(const char* text);
    // Full-window viewport and the 45-degree perspective projection; model-view left as
    // identity.
    void resetProjection();
    // Starts the platform's video driver; false (and the driver's reason) where it cannot.
    bool startVideo();

    const char* title = "";  // not copied
    platform::Window* window = nullptr;
    FrameTimer frameClock;
    int colorBits = 32;
    int depthBits = 16;
    int height = 480;
    int width = 640;
    bool fullscreen = false;

  private:
    // Null when the window is up, else what failed.
    const char* setUpWindow();
};

extern DemoWindow g_demoWindow;
