// scaled_frame.h - a picture drawn at its own size and shown scaled in a larger window.
//
// Full screen at a size the display has no mode for runs in the desktop's mode. The frame is
// then drawn into an offscreen framebuffer of the chosen size, bound for the whole frame so
// that drawing, copying to textures and reading back see only the picture, and at each swap it
// is scaled into the window with its aspect kept and black bars where the shapes differ.
#pragma once

#include <GL/gl.h>

namespace platform {

struct FitRect {
    int x, y, width, height;
};

// The largest rectangle of the picture's aspect inside the outer one, centred; at least one
// pixel each way where the outer area is not empty.
FitRect fitInside(int width, int height, int outerWidth, int outerHeight);

class ScaledFrame {
  public:
    // With the window's context current: makes the framebuffer (colour of colorBits, depth of
    // depthBits) and binds it. False, with nothing left bound, where the driver lacks
    // framebuffer objects or cannot make this one.
    bool create(int width, int height, int colorBits, int depthBits);
    // Scales the picture into the window's framebuffer, bars black; then the swap shows it.
    void present(int windowWidth, int windowHeight);
    // Binds the picture's framebuffer again for the next frame.
    void bind();
    // With the context current; safe when nothing was made.
    void release();
    bool active() const { return framebuffer_ != 0; }

  private:
    GLuint framebuffer_ = 0;
    GLuint colour_ = 0;
    GLuint depth_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace platform
