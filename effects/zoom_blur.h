// zoom_blur.h - a radial blur over a picture drawn into the 256 x 256 corner of the window.
//
// The part draws its scene into the corner (useCaptureViewport first); apply then copies the
// corner into a texture and blends it back over itself eight times, each pass enlarged about
// the centre by strength^i overlay units, and finally stretches the corner over the window.
// Strength just above 1 smears the picture slightly; 3 leaves only its centre in the last pass.
#pragma once

class ZoomBlur {
  public:
    static constexpr int kSize = 256;
    static constexpr int kPasses = 8;

    // Creates the blank 256 x 256 texture. Once, before the first frame.
    void prepare();
    // The corner viewport the scene to be blurred is drawn into.
    void useCaptureViewport();
    // Blurs the corner and presents it over the whole window, back at the full viewport.
    // time and delta are not used.
    void apply(float time, float delta, float strength);

    unsigned texture = 0;
};

extern ZoomBlur g_zoomBlur;
