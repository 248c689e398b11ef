// particle_emitter.h - a small fountain of soft additive sprites with a fixed pool of slots.
//
// Particles are born at a steady rate in a box round the origin, drift with a little random
// push and gravity, fade linearly over their life and free their slot when it ends. A full
// pool emits nothing until a slot frees.
#pragma once

#include <memory>

#include "effects/effect.h"
#include "math/vector3.h"

struct Particle {
    Vector3 position;
    Vector3 velocity;
    float life;     // seconds left
    float maxLife;  // seconds at birth
    bool alive;
};

class ParticleEmitter {
  public:
    int capacity = 0;                  // slots in pool
    BillboardFrame frame;              // camera axes captured when drawing
    float rate = 10.0f;                // particles per second
    float lifetime = 10.0f;            // life of a new particle, seconds
    float size = 0.0f;                 // sprite half-size
    float carry = 0.0f;                // emission time not yet spent, seconds
    Vector3 spread{1.0f, 1.0f, 1.0f};  // size of the birth box
    std::unique_ptr<Particle[]> pool;
    Vector3 gravity{0.0f, -0.1f, 0.0f};
    Vector3 velocity{0.0f, 0.0f, 0.0f};  // base velocity of a new particle
    Vector3 origin{0.0f, 0.0f, 0.0f};    // centre of the birth box

    // Makes count empty slots. False, with no slots, when they cannot be had.
    bool setup(int count);
    // Emits what the step and the carried time are due, then moves and ages every particle.
    void update(float dt);
    // The live particles as sprites with the bound texture, faded by their life left.
    void draw();

    int aliveCount() const;
};
