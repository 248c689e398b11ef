#include "effects/particle_emitter.h"

#include <cmath>
#include <new>

#include "effects/sprites.h"
#include "math/random.h"

namespace {

float unit() {
    return demoRand() / 32768.0f;
}

}  // namespace

bool ParticleEmitter::setup(int count) {
    pool.reset(count > 0 ? new (std::nothrow) Particle[count] : nullptr);
    capacity = pool ? count : 0;
    for (int k = 0; k < capacity; ++k) pool[k].alive = false;
    return capacity == count;
}

void ParticleEmitter::update(float dt) {
    Vector3 g;
    scale(gravity, dt, g);
    // The step carries the emission time left over from the last one, and the particles move
    // by that whole span too, so the carried time moves them twice: that is the fountain's
    // pace, kept as it always was.
    const float span = dt + carry;
    float due = 0.0f;
    if (rate > 0.0f) {
        due = std::trunc(span * rate);
        carry = span - due / rate;
    } else {
        carry = 0.0f;  // nothing is ever due, so there is nothing to carry
    }

    // Births fill the free slots from the first; what finds no slot is dropped, not carried.
    for (int k = 0; k < capacity && due > 0.0f; ++k) {
        Particle& p = pool[k];
        if (p.alive) continue;
        p.position.x = origin.x - 0.5f * spread.x + unit() * spread.x;
        p.position.y = origin.y - 0.5f * spread.y + unit() * spread.y;
        p.position.z = origin.z - 0.5f * spread.z + unit() * spread.z;
        p.velocity.x = velocity.x + (unit() * 0.5f - 0.25f);
        p.velocity.y = velocity.y + (unit() * 0.5f - 0.25f);
        p.velocity.z = velocity.z + (unit() * 0.5f - 0.25f);
        p.life = p.maxLife = lifetime;
        p.alive = true;
        due -= 1.0f;
    }

    for (int k = 0; k < capacity; ++k) {
        Particle& p = pool[k];
        if (!p.alive) continue;
        p.velocity += g;
        Vector3 move;
        p.position += scale(p.velocity, span, move);
        p.life -= span;
        // A step back in time makes a particle younger than its birth: it goes too.
        if (p.life < 0.0f || p.life > p.maxLife) p.alive = false;
    }
}

void ParticleEmitter::draw() {
    captureBillboardFrame(frame);
    for (int k = 0; k < capacity; ++k) {
        const Particle& p = pool[k];
        if (p.alive)
            emitSprite(frame, p.position, size, lifetime > 0.0f ? p.life / lifetime : 0.0f);
    }
    endSpriteBatch();
}

int ParticleEmitter::aliveCount() const {
    int n = 0;
    for (int k = 0; k < capacity; ++k) n += pool[k].alive;
    return n;
}
