// clock.cpp - the program's high-resolution clock, real or manual.
//
// The manual clock exists for lockstep runs (tests, captures): every reader of counter()
// then sees the same sequence of times on every run. The counter may be read from the audio
// thread, so the manual state is atomic.
#include <atomic>

#include "platform/backend.h"
#include "platform/platform.h"

namespace platform {

namespace {
std::atomic<bool> g_manual{false};
std::atomic<int64_t> g_manualTicks{0};
std::atomic<int64_t> g_manualFrequency{1};
}  // namespace

int64_t counter() {
    return g_manual.load() ? g_manualTicks.load() : realCounter();
}

int64_t counterFrequency() {
    return g_manual.load() ? g_manualFrequency.load() : realCounterFrequency();
}

void useManualClock(int64_t frequency) {
    g_manualFrequency = frequency > 0 ? frequency : 1;
    g_manualTicks = 0;
    g_manual = true;
}

void advanceManualClock(int64_t ticks) {
    g_manualTicks += ticks;
}

void useRealClock() {
    g_manual = false;
}

bool manualClockActive() {
    return g_manual.load();
}

double secondsSince(int64_t counterStart) {
    return double(counter() - counterStart) / double(counterFrequency());
}

}  // namespace platform
