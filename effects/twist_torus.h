// twist_torus.h - the twisting torus: a mesh that wrings itself like a towel.
//
// Every point is turned on the processor with a delay that grows with its distance from the
// centre (twisted_mesh.h), and the object jumps sideways on each accent of the music. It is
// drawn mirroring the texture the caller bound.
#pragma once

#include "effects/effect.h"
#include "effects/twisted_mesh.h"

class TwistTorus {
  public:
    // Loads the object. A missing or refused object is reported once and nothing is drawn.
    bool load(const char* entryName);

    // time: seconds; the centre turns with it, and a point at distance d lags phaseScale * d
    // seconds behind. frameTime is not used. Sets the bound texture to clamp (a setting of the
    // texture, which outlasts the call).
    void draw(float time, float frameTime, float phaseScale);

    TwistedMesh shape;
};

extern TwistTorus g_twistTorus;
