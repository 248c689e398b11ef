// render.h - the song as the demo hears it: played through the music player in lockstep,
// with every order change and instrument trigger, and its levels measured.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SyncHit {
    int order;
    int row;
    int instrument;  // 0-based
    double time;     // seconds
};

struct Rendition {
    std::vector<float> pcm;           // interleaved stereo at 44100 Hz, up to the song's end
    std::vector<double> orderStarts;  // seconds, by order; -1 for an order never heard
    std::vector<SyncHit> hits;        // every trigger, in time order
    bool finished = false;            // the song reached its end
    double seconds = 0.0;             // its length
};

constexpr int kRenderRate = 44100;

// Plays the module once through a lockstep MusicPlayer. False (with the reason) when it
// cannot be opened or has not ended after `maxSeconds`.
bool renderModule(const std::vector<uint8_t>& module, Rendition& out, std::string& error,
                  double maxSeconds = 900.0);

struct Levels {
    double peak = 0.0;  // largest sample magnitude, 1.0 = full scale
    double peakDb = -200.0;
    double rmsDb = -200.0;  // both channels together
};

// Levels of frames [first, last) of interleaved stereo.
Levels measureLevels(const std::vector<float>& pcm, size_t first, size_t last);
// The same for the whole recording.
Levels measureLevels(const std::vector<float>& pcm);

// How many times each instrument was struck in each order: counts[order][instrument].
std::vector<std::vector<int>> hitsPerOrder(const Rendition& r, int orders, int instruments);
