// bench_case.h - the effects micro-benchmark: the processor work of one effect frame.
//
// Each case is a function that does one frame's CPU work of an effect (no drawing, or drawing
// into a context whose cost is not what is measured) and registers itself with BENCH_CASE.
// bench_effects runs every case (or those named on its command line) for a fixed time and
// prints milliseconds per frame beside a reference measured in the same run, so the figures
// stay comparable on a busy machine. Target: under 2 ms per frame for every case.
#pragma once

namespace bench {

using CaseFunction = void (*)();

// Registers a case; returns a value so it can initialise a static.
int addCase(const char* name, CaseFunction prepare, CaseFunction frame);

// Keeps the compiler from dropping work whose result nothing reads.
void keep(const void* data);

}  // namespace bench

#define BENCH_CONCAT2(a, b) a##b
#define BENCH_CONCAT(a, b) BENCH_CONCAT2(a, b)
// BENCH_CASE("name", prepareFunction, frameFunction);
#define BENCH_CASE(name, prepare, frame) \
    static const int BENCH_CONCAT(benchCase, __LINE__) = bench::addCase(name, prepare, frame)
