// drums.cpp - percussion and noise voices: drum, snare, clap, hat, cymbal, noise.
#include <algorithm>
#include <cmath>
#include <memory>

#include "tools/musicgen/voices.h"

namespace {

using dsp::kRate;
using dsp::Signal;

// The six detuned square waves of the classic analogue hi-hat, scaled by `pitch`, summed.
class MetalCluster {
  public:
    explicit MetalCluster(double pitch) {
        static const double kHz[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
        for (double hz : kHz) {
            const double f = hz * pitch;
            tables_.emplace_back(dsp::Wave::Square, f);
            step_.push_back(f / kRate);
            phase_.push_back(0.0);
        }
    }
    double next() {
        double sum = 0.0;
        for (size_t i = 0; i < tables_.size(); ++i) {
            sum += tables_[i].at(phase_[i]);
            phase_[i] += step_[i];
        }
        return sum / 6.0;
    }

  private:
    std::vector<dsp::WaveTable> tables_;
    std::vector<double> step_, phase_;
};

double seconds(size_t frame) {
    return static_cast<double>(frame) / kRate;
}

}  // namespace

// A body whose pitch falls from `start` to `end`, with a click and a noise layer: kicks,
// toms, booms and zaps.
void makeDrum(VoiceRequest& r, Voice& out) {
    Settings& s = r.settings;
    const double start = s.number("start", 150, 20, 16000);
    const double end = s.number("end", 45, 10, 16000);
    const double sweep = s.number("sweep", 0.04, 0.0005, 10);
    const double hold = s.number("hold", 0.0, 0.0, 10);
    const double decay = s.number("decay", 0.3, 0.002, 10);
    const double length = s.number("length", hold + 4.0 * decay, 0.01, 10);
    const dsp::Wave wave =
        dsp::waveNamed(s.word("wave", "sine", {"sine", "triangle", "square", "saw"}));
    const double click = s.number("click", 0.3, 0, 4);
    const double noise = s.number("noise", 0.0, 0, 4);
    const double noiseDecay = s.number("noisedecay", 0.04, 0.001, 10);
    const double noiseCut = s.number("noisecut", 8000, 50, 20000);
    const double drive = s.number("drive", 1.0, 1.0, 30);
    const double cutoff = s.number("cutoff", 20000, 50, 20000);

    const dsp::WaveTable table(wave, std::max(start, end));
    dsp::Random rng(r.seed);
    dsp::OnePole noiseFilter, clickFilter;
    noiseFilter.set(noiseCut);
    clickFilter.set(2500);
    dsp::Svf tone;
    tone.set(cutoff, 0.0);

    const size_t n = dsp::frames(length);
    out.data.assign(n, 0.0);
    double phase = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double t = seconds(i);
        const double f = end + (start - end) * std::exp(-t / sweep);
        const double amp =
            (t < hold ? 1.0 : std::exp(-(t - hold) / decay)) * std::min(1.0, t / 0.0005);
        double x = table.at(phase) * amp;
        phase += f / kRate;
        const double white = rng.bipolar();
        x += click * clickFilter.highpass(white) * std::exp(-t / 0.0015);
        x += noise * noiseFilter.lowpass(white) * std::exp(-t / noiseDecay);
        x = dsp::saturate(x, drive);
        if (cutoff < 20000) {
            tone.process(x);
            x = tone.low();
        }
        out.data[i] = x;
    }
    dsp::fadeTail(out.data, 0.005);
    out.frequency = r.frequency;
}

// Two falling tones for the shell, filtered noise for the wires, and a snap on top.
void makeSnare(VoiceRequest& r, Voice& out) {
    Settings& s = r.settings;
    const double tone = s.number("tone", 185, 40, 2000);
    const double tone2 = s.number("tone2", 330, 40, 4000);
    const double body = s.number("body", 0.6, 0, 4);
    const double toneDecay = s.number("tonedecay", 0.06, 0.002, 2);
    const double bend = s.number("bend", 1.4, 1, 4);
    const double noise = s.number("noise", 1.0, 0, 4);
    const double noiseDecay = s.number("noisedecay", 0.15, 0.005, 4);
    const double lowCut = s.number("lowcut", 1200, 20, 15000);
    const double highCut = s.number("highcut", 9000, 200, 20000);
    const double snap = s.number("snap", 0.5, 0, 4);
    const double drive = s.number("drive", 1.5, 1, 30);
    const double length = s.number("length", 0.35, 0.02, 4);

    dsp::Random rng(r.seed);
    dsp::Svf wires;
    wires.set(lowCut, 0.1);
    dsp::OnePole air;
    air.set(highCut);
    const size_t n = dsp::frames(length);
    out.data.assign(n, 0.0);
    double p1 = 0.0, p2 = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double t = seconds(i);
        const double glide = 1.0 + (bend - 1.0) * std::exp(-t / 0.012);
        const double shell = (std::sin(dsp::kTwoPi * p1) + 0.6 * std::sin(dsp::kTwoPi * p2)) *
                             std::exp(-t / toneDecay);
        p1 += tone * glide / kRate;
        p2 += tone2 * glide / kRate;
        wires.process(rng.bipolar());
        const double hiss = air.lowpass(wires.high());
        double x = body * shell + noise * hiss * std::exp(-t / noiseDecay) +
                   snap * wires.high() * std::exp(-t / 0.004);
        out.data[i] = dsp::saturate(x * std::min(1.0, t / 0.0004), drive);
    }
    dsp::fadeTail(out.data, 0.01);
    out.frequency = r.frequency;
}

// Several quick bursts of band-passed noise, then a short tail: hands clapping together.
void makeClap(VoiceRequest& r, Voice& out) {
    Settings& s = r.settings;
    const int bursts = static_cast<int>(s.number("bursts", 4, 1, 12));
    const double spacing = s.number("spacing", 0.010, 0.001, 0.1);
    const double decay = s.number("decay", 0.18, 0.005, 4);
    const double center = s.number("center", 1200, 100, 12000);
    const double reso = s.number("reso", 0.3, 0, 0.95);
    const double drive = s.number("drive", 1.2, 1, 30);
    const double length = s.number("length", 0.4, 0.02, 4);

    dsp::Random rng(r.seed);
    dsp::Svf band;
    band.set(center, reso);
    const size_t n = dsp::frames(length);
    out.data.assign(n, 0.0);
    const double last = spacing * (bursts - 1);
    for (size_t i = 0; i < n; ++i) {
        const double t = seconds(i);
        double env = 0.0;
        for (int b = 0; b < bursts; ++b) {
            const double since = t - spacing * b;
            if (since >= 0) env = std::max(env, std::exp(-since / 0.0045));
        }
        if (t >= last) env = std::max(env, 0.75 * std::exp(-(t - last) / decay));
        band.process(rng.bipolar());
        out.data[i] = dsp::saturate(band.band() * env, drive);
    }
    dsp::fadeTail(out.data, 0.01);
    out.frequency = r.frequency;
}

// Metal cluster and noise above a high cut-off, with a short decay (closed) or a long one
// (open).
void makeHat(VoiceRequest& r, Voice& out) {
    Settings& s = r.settings;
    const double decay = s.number("decay", 0.045, 0.002, 4);
    const double metal = s.number("metal", 0.5, 0, 1);
    const double pitch = s.number("pitch", 1.0, 0.25, 4);
    const double lowCut = s.number("lowcut", 7000, 500, 16000);
    const double length = s.number("length", std::min(4.0, decay * 5.0 + 0.01), 0.01, 4);

    dsp::Random rng(r.seed);
    MetalCluster cluster(pitch);
    dsp::Svf high1, high2;
    high1.set(lowCut, 0.2);
    high2.set(lowCut, 0.0);
    const size_t n = dsp::frames(length);
    out.data.assign(n, 0.0);
    for (size_t i = 0; i < n; ++i) {
        const double t = seconds(i);
        const double x = metal * cluster.next() + (1.0 - metal) * rng.bipolar();
        high1.process(x);
        high2.process(high1.high());
        out.data[i] = high2.high() * std::exp(-t / decay) * std::min(1.0, t / 0.0003);
    }
    dsp::fadeTail(out.data, 0.003);
    out.frequency = r.frequency;
}

// A bright strike settling into a held shimmer; the shimmer loops and the instrument's
// envelope lets it ring out over `decay` seconds, which keeps a long crash small.
void makeCymbal(VoiceRequest& r, Voice& out) {
    Settings& s = r.settings;
    const double decay = s.number("decay", 2.5, 0.1, 20);
    const double metal = s.number("metal", 0.45, 0, 1);
    const double pitch = s.number("pitch", 1.6, 0.25, 4);
    const double lowCut = s.number("lowcut", 4000, 200, 16000);
    const double strike = s.number("strike", 0.15, 0.01, 2);
    const double shimmer = s.number("shimmer", 0.5, 0.05, 1);
    const double loop = s.number("loop", 0.45, 0.05, 4);

    dsp::Random rng(r.seed);
    MetalCluster cluster(pitch), cluster2(pitch * 1.4983);
    dsp::Svf high, body;
    high.set(lowCut, 0.1);
    body.set(lowCut * 0.6, 0.3);
    const size_t strikeFrames = dsp::frames(strike);
    const size_t loopFrames = dsp::frames(loop);
    const size_t n = strikeFrames + loopFrames;
    out.data.assign(n, 0.0);
    for (size_t i = 0; i < n; ++i) {
        const double t = seconds(i);
        const double ring = 0.5 * (cluster.next() + cluster2.next());
        const double x = metal * ring + (1.0 - metal) * rng.bipolar();
        high.process(x);
        body.process(x);
        const double env = shimmer + (1.0 - shimmer) * std::exp(-t / (strike * 0.3));
        out.data[i] = (high.high() + 0.35 * body.band()) * env * std::min(1.0, t / 0.0005);
    }
    out.loopStart = strikeFrames;
    out.loopLength = loopFrames;
    out.noiseLoop = true;
    out.autoDecay = decay;
    out.frequency = r.frequency;
}

// Filtered white noise whose cut-off may glide: risers, sweeps, wind, a reversed cymbal.
void makeNoise(VoiceRequest& r, Voice& out) {
    Settings& s = r.settings;
    const std::string type = s.word("ftype", "band", {"low", "band", "high"});
    const double cutoff = s.number("cutoff", 2000, 20, 20000);
    const double sweepTo = s.number("sweepto", cutoff, 20, 20000);
    const double reso = s.number("reso", 0.3, 0, 0.98);
    const double length = s.number("length", 1.0, 0.01, 20);
    const double loop = s.number("loop", 0.0, 0.0, length);
    const double attack = s.number("attack", 0.0, 0.0, 20);
    const double decay = s.number("decay", 0.0, 0.0, 20);  // 0: no decay

    dsp::Random rng(r.seed);
    dsp::Svf filter;
    const size_t n = dsp::frames(length);
    const double sweepTime = std::max(0.001, length - loop);
    out.data.assign(n, 0.0);
    for (size_t i = 0; i < n; ++i) {
        const double t = seconds(i);
        const double k = std::min(1.0, t / sweepTime);
        filter.set(cutoff * std::pow(sweepTo / cutoff, k), reso);
        filter.process(rng.bipolar());
        double x = type == "low" ? filter.low() : type == "high" ? filter.high() : filter.band();
        if (attack > 0) x *= std::min(1.0, t / attack);
        if (decay > 0) x *= std::exp(-t / decay);
        out.data[i] = x;
    }
    if (loop > 0) {
        out.loopLength = dsp::frames(loop);
        out.loopStart = n - std::min(n - 1, out.loopLength);
        out.loopLength = n - out.loopStart;
        out.noiseLoop = true;
    } else {
        dsp::fadeTail(out.data, 0.01);
    }
    out.frequency = r.frequency;
}

VoiceMaker findVoiceMaker(const std::string& kind) {
    static const struct {
        const char* kind;
        VoiceMaker maker;
    } kMakers[] = {{"drum", makeDrum},  {"snare", makeSnare},   {"clap", makeClap},
                   {"hat", makeHat},    {"cymbal", makeCymbal}, {"noise", makeNoise},
                   {"synth", makeSynth}};
    for (const auto& m : kMakers) {
        if (kind == m.kind) return m.maker;
    }
    return nullptr;
}

const char* voiceKinds() {
    return "drum, snare, clap, hat, cymbal, noise, synth";
}
