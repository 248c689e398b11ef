// logo_overlay.h - what every part draws last: logo bars, spectrum analyser, the bouncing
// 3D logo and the flashes on the accent instruments; plus the noise veil the parts share.
//
// Everything is placed in the fixed 640 x 480 overlay space. The bars leave the 640 x 334
// letterbox between y = 73 and y = 407 for the part's own picture.
#pragma once

class LogoOverlay {
  public:
    static constexpr int kBars = 64;

    // Bars start at height 0. Run once, on the first frame.
    void prepare();
    // corner 0..3: top-left, top-right, bottom-right, bottom-left. Needs the model-view matrix
    // selected and the window's projection in place; leaves the enable bits as found, the
    // colour opaque white and the model-view matrix identity.
    void draw(float time, float delta, int corner);

    // Lets every bar fall by 200 pixels a second and jump up to the level of its two bands.
    void updatePeaks(const float* spectrum, float delta);

    // Height in overlay pixels of each analyser bar: falls steadily, jumps up to a new level.
    float barPeak[kBars];

  private:
    void drawBars(float time);
    void drawAnalyser(float delta);
    void drawLogo(float time, int corner);
    void drawFlash();
};

extern LogoOverlay g_logoOverlay;

// Level in overlay pixels of a bar whose two spectrum bands sum to s.
float analyserLevel(float s);

// Full-screen veil of the bound texture at a random offset (film grain); alpha is its
// strength.
void drawNoiseOverlay(float alpha);
