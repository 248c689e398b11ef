#include <cmath>

#include <gtest/gtest.h>

#include "effects/particle_emitter.h"
#include "math/random.h"

namespace {

// An emitter like the finale's fountains, with a pool of the given size.
void makeFountain(ParticleEmitter& e, int slots) {
    ASSERT_TRUE(e.setup(slots));
    e.rate = 15.0f;
    e.lifetime = 60.0f;
    e.size = 10.0f;
    e.velocity = Vector3(0.0f, 0.5f, 0.0f);
    e.origin = Vector3(1.5f, -15.0f, -100.0f);
}

TEST(ParticleEmitter, StartsEmptyAndUpdatesWithoutSlots) {
    ParticleEmitter e;
    EXPECT_EQ(e.capacity, 0);
    e.update(1.0f);  // no slots: nothing to do, nothing to crash on
    EXPECT_EQ(e.aliveCount(), 0);
    ASSERT_TRUE(e.setup(30));
    EXPECT_EQ(e.capacity, 30);
    EXPECT_EQ(e.aliveCount(), 0);
}

TEST(ParticleEmitter, CarriesTheFractionOfABirthAndMovesByTheCarriedTimeToo) {
    ParticleEmitter e;
    makeFountain(e, 30);
    demoSrand(3);
    e.update(0.1f);  // 1.5 births due: one is born, a third of a fifteenth is carried
    EXPECT_EQ(e.aliveCount(), 1);
    EXPECT_NEAR(e.carry, 0.1f - 1.0f / 15.0f, 1e-6f);
    const Particle born = e.pool[0];
    EXPECT_NEAR(born.life, 59.9f, 1e-5f);
    // Born inside the unit box round the origin, pushed by at most a quarter each way.
    EXPECT_LE(std::fabs(born.velocity.x), 0.25f + 0.1f * 0.1f);
    EXPECT_NEAR(born.position.z, -100.0f, 0.5f + 0.03f);

    // The next step of 0.1 moves and ages by 0.1333 (the step and the carried time).
    const float span = 0.1f + e.carry;
    e.update(0.1f);
    EXPECT_NEAR(e.pool[0].life, 59.9f - span, 1e-5f);
    const float vy = born.velocity.y - 0.1f * 0.1f;  // gravity by the step alone
    EXPECT_NEAR(e.pool[0].position.y, born.position.y + vy * span, 1e-5f);
    EXPECT_GE(e.aliveCount(), 2);
}

TEST(ParticleEmitter, BirthsTakeTheFirstFreeSlotAndAFullPoolDropsTheSurplus) {
    ParticleEmitter e;
    makeFountain(e, 4);
    e.update(1.0f);  // fifteen due, four slots
    EXPECT_EQ(e.aliveCount(), 4);
    EXPECT_NEAR(e.carry, 0.0f, 1e-6f);  // the eleven that found no slot are not owed later
    e.update(0.1f);
    EXPECT_EQ(e.aliveCount(), 4);
    EXPECT_NEAR(e.carry, 0.1f - 1.0f / 15.0f, 1e-6f);  // the fraction still carries

    e.pool[2].alive = false;
    const float oldest = e.pool[0].life;
    e.update(0.1f);  // 2 due, one free slot: slot 2 is reborn, the others only age
    EXPECT_EQ(e.aliveCount(), 4);
    EXPECT_GT(e.pool[2].life, oldest);
    EXPECT_NEAR(e.pool[2].life, 60.0f - 0.1f - (0.1f - 1.0f / 15.0f), 1e-4f);
}

TEST(ParticleEmitter, ALongFrameKillsItsOwnBirthsAndTheFountainRefillsAfter) {
    ParticleEmitter e;
    makeFountain(e, 30);
    e.update(208.0f);  // the finale's first frame: the whole time so far in one step
    EXPECT_EQ(e.aliveCount(), 0);
    EXPECT_GE(e.carry, 0.0f);
    EXPECT_LT(e.carry, 1.0f / 15.0f);
    for (int i = 0; i < 20; ++i) e.update(1.0f / 30.0f);
    EXPECT_GE(e.aliveCount(), 9);  // about 15 a second
    for (int k = 0; k < e.capacity; ++k) {
        if (e.pool[k].alive) {
            EXPECT_TRUE(std::isfinite(e.pool[k].position.y));
        }
    }

    // No step at all still moves by the carried time; a step back in time makes particles
    // younger than their birth, and they go.
    e.update(0.0f);
    e.update(-5.0f);
    EXPECT_EQ(e.aliveCount(), 0);
}

TEST(ParticleEmitter, NoRateNoBirthsAndNothingCarried) {
    ParticleEmitter e;
    makeFountain(e, 5);
    e.rate = 0.0f;
    e.update(1.0f);
    EXPECT_EQ(e.aliveCount(), 0);
    EXPECT_EQ(e.carry, 0.0f);
}

}  // namespace
