// effect.h - the interface of the library effects and the camera frame of sprite batches.
//
// Every effect is one global object built before main runs. Construction must make no GL
// call and read no asset: the window and the archive do not exist yet. One-time work belongs
// in prepare(), which the director runs on the first frame; render() draws one frame.
#pragma once

#include "math/matrix4.h"
#include "math/vector3.h"

class Effect {
  public:
    virtual void prepare() = 0;
    // time: demo seconds as the calling part passes them (sometimes shifted);
    // delta: the previous frame's duration in seconds.
    virtual void render(float time, float delta) = 0;

  protected:
    // Effects live for the whole run and are never deleted through the base.
    ~Effect() = default;
};

// Camera axes captured from the model-view matrix at the start of a sprite batch.
// Construction leaves everything unset; captureBillboardFrame fills it.
struct BillboardFrame {
    Matrix4 modelview;   // as OpenGL returns it (column-major)
    Vector3 up;          // elements 1, 5, 9
    Vector3 right;       // elements 0, 4, 8
    Vector3 corners[4];  // -right-up, right-up, right+up, -right+up
};
