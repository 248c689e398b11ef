// sky_particle_effect.h - the closing picture: a scrolling sky plane seen from below at a
// tilt, two fountains of soft cloud puffs rising slowly in front of it, and "textures\end.PNG"
// blended over everything.
//
// The effect takes its step from the time it is given, not from the frame delta.
#pragma once

#include "effects/effect.h"
#include "effects/particle_emitter.h"

class SkyParticleEffect : public Effect {
  public:
    // Thirty slots per fountain, fifteen births a second, a minute of life.
    void prepare() override;
    void render(float time, float delta) override;

    ParticleEmitter emitters[2];
};

extern SkyParticleEffect g_skyParticles;
