// tones.cpp - the synth voice: unison oscillators, chords, filter, envelopes, FM.
//
// A looped synth sample holds a whole number of cycles of every oscillator in its loop, so
// the loop is seamless even for a detuned unison stack: the loop's length is chosen to fit
// the fundamental almost exactly, and every other oscillator is nudged to the nearest
// frequency that fits (a few cents at most for a loop of half a second).
#include <algorithm>
#include <cmath>
#include <memory>

#include "tools/musicgen/voices.h"

namespace {

using dsp::kRate;

// One oscillator of the stack.
struct Oscillator {
    const dsp::WaveTable* table;
    double frequency;
    double phase;
    double level;
};

// A loop of about `frames` frames that holds a whole number of cycles of `f`, nearly exactly,
// and an even number of them, so that a layer an octave down fits as well.
size_t loopFor(double f, size_t frames) {
    size_t best = frames;
    double bestMiss = 1.0;
    const double period = kRate / f;
    const int around = static_cast<int>(std::lround(frames / period / 2.0));
    for (int half = std::max(1, around * 9 / 10); half <= std::max(1, around * 11 / 10); ++half) {
        const double exact = 2.0 * half * period;
        const double miss = std::fabs(exact - std::round(exact));
        if (miss < bestMiss) {
            bestMiss = miss;
            best = static_cast<size_t>(std::lround(exact));
        }
    }
    return best;
}

// The frequency with a whole number of cycles in `loopFrames` (unchanged without a loop).
double fitToLoop(double f, size_t loopFrames) {
    if (loopFrames == 0) return f;
    const double cycles = std::max(1.0, std::round(f * loopFrames / kRate));
    return cycles * kRate / static_cast<double>(loopFrames);
}

struct Layer {
    dsp::Wave wave;
    double width;
    int voices;
    double detune;    // cents, whole spread
    double interval;  // semitones above the note
    double level;
};

// Adds the unison stack of one layer on one chord note.
void addLayer(const Layer& layer, double noteHz, size_t loopFrames, dsp::Random& rng,
              std::vector<std::unique_ptr<dsp::WaveTable>>& tables,
              std::vector<Oscillator>& oscillators) {
    if (layer.level <= 0.0) return;
    const double centre = noteHz * std::pow(2.0, layer.interval / 12.0);
    tables.push_back(std::make_unique<dsp::WaveTable>(layer.wave, centre, layer.width));
    const double each = layer.level / std::sqrt(static_cast<double>(layer.voices));
    for (int v = 0; v < layer.voices; ++v) {
        const double offset =
            layer.voices > 1 ? layer.detune * (static_cast<double>(v) / (layer.voices - 1) - 0.5)
                             : 0.0;
        // The outer voices a little quieter, as in the classic unison saw.
        const double weight = layer.voices > 2 && (v == 0 || v == layer.voices - 1) ? 0.8 : 1.0;
        const double f = fitToLoop(centre * std::pow(2.0, offset / 1200.0), loopFrames);
        const double phase = layer.voices > 1 ? rng.unit() : 0.0;
        oscillators.push_back({tables.back().get(), f, phase, each * weight});
    }
}

}  // namespace

void makeSynth(VoiceRequest& r, Voice& out) {
    Settings& s = r.settings;
    Layer main{
        dsp::waveNamed(s.word("wave", "saw", {"saw", "square", "pulse", "triangle", "sine"})),
        s.number("width", 0.5, 0.02, 0.98),
        static_cast<int>(s.number("voices", 1, 1, 9)),
        s.number("detune", 0, 0, 200),
        0.0,
        1.0};
    Layer second{
        dsp::waveNamed(s.word("wave2", "square", {"saw", "square", "pulse", "triangle", "sine"})),
        s.number("width2", 0.5, 0.02, 0.98),
        static_cast<int>(s.number("voices2", 1, 1, 9)),
        s.number("detune2", 0, 0, 200),
        s.number("interval2", 0, -36, 36),
        s.number("level2", 0, 0, 4)};
    Layer sub{dsp::Wave::Sine, 0.5, 1, 0, -12, s.number("sub", 0, 0, 4)};
    const double noise = s.number("noise", 0, 0, 4);
    const std::vector<double> chord = s.list("chord", {0.0}, -36, 36);

    const std::string ftype = s.word("ftype", "low", {"low", "band", "high"});
    const double cutoff = s.number("cutoff", 20000, 20, 20000);
    const double reso = s.number("reso", 0, 0, 0.98);
    const double fenv = s.number("fenv", 0, -20000, 20000);
    const double fdecay = s.number("fdecay", 0.2, 0.001, 20);
    const double drive = s.number("drive", 1, 1, 30);

    const double attack = s.number("attack", 0.003, 0, 20);
    const double decay = s.number("decay", 0.3, 0.001, 30);
    const double sustain = s.number("sustain", 1.0, 0, 1);
    const double length = s.number("length", 1.0, 0.01, 20);
    const double loop = s.number("loop", 0, 0, length);

    const double bend = s.number("bend", 0, -48, 48);
    const double bendDecay = s.number("benddecay", 0.02, 0.0005, 10);
    const double fmRatio = s.number("fm", 0, 0, 32);
    const double fmIndex = s.number("index", 1, 0, 50);
    const double fmDecay = s.number("fmdecay", 0, 0, 20);  // 0: constant
    if (!s.ok()) return;

    const size_t loopFrames = loop > 0 ? loopFor(r.frequency, dsp::frames(loop)) : 0;
    const size_t n = std::max(dsp::frames(length), loopFrames + 1);
    const double root = fitToLoop(r.frequency, loopFrames);

    dsp::Random rng(r.seed);
    std::vector<std::unique_ptr<dsp::WaveTable>> tables;
    std::vector<Oscillator> oscillators;
    for (double interval : chord) {
        const double noteHz = root * std::pow(2.0, interval / 12.0);
        addLayer(main, noteHz, loopFrames, rng, tables, oscillators);
        addLayer(second, noteHz, loopFrames, rng, tables, oscillators);
        addLayer(sub, noteHz, loopFrames, rng, tables, oscillators);
    }
    std::vector<double> modPhase(oscillators.size(), 0.0);

    dsp::Svf filter;
    out.data.assign(n, 0.0);
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double pitch =
            bend != 0 ? std::pow(2.0, bend * std::exp(-t / bendDecay) / 12.0) : 1.0;
        const double depth =
            fmRatio > 0 ? fmIndex * (fmDecay > 0 ? std::exp(-t / fmDecay) : 1.0) : 0.0;
        double x = 0.0;
        for (size_t o = 0; o < oscillators.size(); ++o) {
            Oscillator& osc = oscillators[o];
            double phase = osc.phase;
            if (depth > 0) {
                phase += depth * std::sin(dsp::kTwoPi * modPhase[o]) / dsp::kTwoPi;
                modPhase[o] += fmRatio * osc.frequency * pitch / kRate;
            }
            x += osc.level * osc.table->at(phase);
            osc.phase += osc.frequency * pitch / kRate;
        }
        if (noise > 0) x += noise * rng.bipolar();
        if (cutoff < 20000 || fenv != 0 || ftype != "low") {
            filter.set(std::max(20.0, cutoff + fenv * std::exp(-t / fdecay)), reso);
            filter.process(x);
            x = ftype == "low" ? filter.low() : ftype == "band" ? filter.band() : filter.high();
        }
        x = dsp::saturate(x, drive);
        double amp = attack > 0 && t < attack ? t / attack : 1.0;
        if (t >= attack) amp = sustain + (1.0 - sustain) * std::exp(-(t - attack) / decay);
        out.data[i] = x * amp;
    }
    if (loopFrames > 0) {
        out.loopStart = n - loopFrames;
        out.loopLength = loopFrames;
    } else {
        dsp::fadeTail(out.data, 0.008);
    }
    out.frequency = root;
}
