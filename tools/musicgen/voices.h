// voices.h - the sound makers: each kind of instrument renders its sample from its settings.
//
// Kinds: drum (a body whose pitch falls: kicks, toms, booms, zaps), snare, clap, hat,
// cymbal, noise (filtered noise: risers, sweeps, wind) and synth (oscillators, unison,
// chords, filter and amplitude envelopes, FM: basses, pads, leads, plucks, stabs, bells).
#pragma once

#include <cstdint>
#include <string>

#include "tools/musicgen/dsp.h"
#include "tools/musicgen/settings.h"

struct Voice {
    dsp::Signal data;
    size_t loopStart = 0;
    size_t loopLength = 0;   // 0: the sample plays once
    bool noiseLoop = false;  // the loop holds noise rather than a periodic wave
    double frequency = 0.0;  // the pitch the sample holds, in Hz, heard at the instrument's key
    double autoDecay = 0.0;  // seconds; the instrument then fades the held loop away
};

// What each maker gets: the settings to read, the pitch to make, and a seed.
struct VoiceRequest {
    Settings& settings;
    double frequency;  // Hz: the pitch the sample should hold (unpitched sounds ignore it)
    uint64_t seed;
};

using VoiceMaker = void (*)(VoiceRequest& request, Voice& out);

// The maker of a kind, or null for an unknown kind.
VoiceMaker findVoiceMaker(const std::string& kind);
// The kinds, for messages.
const char* voiceKinds();

// Makers, by family (drums.cpp, tones.cpp).
void makeDrum(VoiceRequest& request, Voice& out);
void makeSnare(VoiceRequest& request, Voice& out);
void makeClap(VoiceRequest& request, Voice& out);
void makeHat(VoiceRequest& request, Voice& out);
void makeCymbal(VoiceRequest& request, Voice& out);
void makeNoise(VoiceRequest& request, Voice& out);
void makeSynth(VoiceRequest& request, Voice& out);
