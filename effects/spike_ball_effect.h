// spike_ball_effect.h - a ball of spikes twisting in waves, with a greeting at every tip.
//
// The object's points are turned one by one (twisted_mesh.h) with a lag that grows with their
// distance from the centre, and the surface mirrors whatever texture the caller bound. At the
// tip of every long spike (a point farther than 2.54 from the centre) a camera-facing strip
// shows one band of "textures\greet.png", which holds forty bands of 1/40 of its height
// counted from the bottom: the tips take bands 0 to 36 in turn, then start again.
#pragma once

#include <vector>

#include "effects/effect.h"
#include "effects/twisted_mesh.h"

class SpikeBall {
  public:
    static constexpr float kTipDistance = 2.54f;
    static constexpr int kMaxTips = 10000;
    static constexpr int kBands = 37;

    // Loads the object and finds its tips. A missing or refused object is reported once and
    // the ball draws nothing.
    bool load(const char* entryName);
    // Takes the shape and the tips from the mesh as it now stands (see TwistedMesh).
    bool useLoadedMesh();

    // t: seconds; twist: how far the turn lags per unit of distance from the centre (the
    // production's 0.6). The delta is not used.
    void render(float t, float delta, float twist);

    TwistedMesh shape;
    std::vector<int> tips;  // point indices, in point order
    BillboardFrame sprites;

  private:
    bool findTips();
    void drawGreetings();
};

extern SpikeBall g_spikeBall;
