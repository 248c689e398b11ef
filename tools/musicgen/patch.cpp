// patch.cpp - from a rendered voice to a module instrument.
#include "tools/musicgen/patch.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "tools/musicgen/settings.h"
#include "tools/musicgen/voices.h"

namespace {

// The format plays C-4 at 8363 frames per second, ours run at 44100; a sample is retuned
// by its relative note and finetune. Players honour the finetune in eighths of a semitone
// only, so the samples are made at the pitch such a step lands on exactly.
constexpr int kFinetuneStep = 16;

// Semitones (relative note + finetune / 128) that make `key` play a sample holding
// `frequency` Hz at that key's pitch.
double retuning(double frequency, int key) {
    return 12.0 * std::log2(dsp::kRate * dsp::noteFrequency(key) / (8363.0 * frequency)) -
           (key - 49);
}

// The retuning rounded to what players honour.
double playableRetuning(double semitones) {
    const double steps = 128.0 / kFinetuneStep;
    return std::round(semitones * steps) / steps;
}

// The pitch a sample for `key` is made at, so that its retuning is playable exactly.
double makingFrequency(int key) {
    const double native = dsp::noteFrequency(key);
    const double exact = retuning(native, key);
    return native * std::pow(2.0, (exact - playableRetuning(exact)) / 12.0);
}

void tune(double frequency, int key, xm::Sample& sample) {
    const double semitones = playableRetuning(retuning(frequency, key));
    int relative = static_cast<int>(std::floor(semitones));
    int fine = static_cast<int>(std::lround((semitones - relative) * 128.0));
    if (fine >= 64) {  // keep the finetune in -64..63 steps of the playable grid
        fine -= 128;
        ++relative;
    }
    sample.relativeNote = static_cast<int8_t>(std::clamp(relative, -96, 95));
    sample.finetune = static_cast<int8_t>(std::clamp(fine, -128, 112));
}

bool readPair(const std::string& text, char separator, int& a, int& b) {
    std::istringstream in(text);
    char sep = 0;
    return (in >> a >> sep >> b) && sep == separator && in.peek() == EOF;
}

bool readEnvelope(Settings& s, xm::Envelope& env) {
    const score::Setting* raw = s.raw("env");
    if (!raw) return true;
    std::istringstream in(raw->value);
    std::string point;
    while (std::getline(in, point, ',')) {
        int tick = 0, value = 0;
        if (!readPair(point, ':', tick, value) || tick < 0 || tick > 65535 || value < 0 ||
            value > 64) {
            return s.fail(*raw, "wants tick:value points (value 0..64) separated by commas");
        }
        if (!env.points.empty() && tick <= env.points.back().tick) {
            return s.fail(*raw, "the ticks must rise from point to point");
        }
        env.points.push_back({static_cast<uint16_t>(tick), static_cast<uint16_t>(value)});
    }
    if (env.points.empty() || env.points.size() > xm::kMaxEnvelopePoints) {
        return s.fail(*raw, "wants 1 to 12 points");
    }
    const int last = static_cast<int>(env.points.size()) - 1;
    env.sustain = static_cast<int>(s.number("envsustain", -1, -1, last));
    if (const score::Setting* loop = s.raw("envloop")) {
        int a = 0, b = 0;
        if (!readPair(loop->value, ':', a, b) || a < 0 || b < a || b > last) {
            return s.fail(*loop, "wants START:END point numbers of the envelope");
        }
        env.loopStart = a;
        env.loopEnd = b;
    }
    return s.ok();
}

// A fall from full volume to silence over `seconds`, shaped like an exponential decay.
xm::Envelope decayEnvelope(double seconds, int tempo) {
    xm::Envelope env;
    const double ticksPerSecond = tempo * 2.0 / 5.0;
    const int points = 10;
    int lastTick = -1;
    for (int i = 0; i < points; ++i) {
        const double t = seconds * i / (points - 1);
        const int tick = std::max(lastTick + 1, static_cast<int>(std::lround(t * ticksPerSecond)));
        const double level = i == points - 1 ? 0.0 : 64.0 * std::exp(-3.5 * i / (points - 1));
        env.points.push_back(
            {static_cast<uint16_t>(tick), static_cast<uint16_t>(std::lround(level))});
        lastTick = tick;
    }
    return env;
}

bool readVibrato(Settings& s, xm::Instrument& ins) {
    const score::Setting* raw = s.raw("vibrato");
    if (!raw) return true;
    std::istringstream in(raw->value);
    int v[4] = {};
    char sep[3] = {};
    if (!(in >> v[0] >> sep[0] >> v[1] >> sep[1] >> v[2] >> sep[2] >> v[3]) || in.peek() != EOF ||
        sep[0] != ':' || sep[1] != ':' || sep[2] != ':' || v[0] < 0 || v[0] > 3 || v[1] < 0 ||
        v[1] > 255 || v[2] < 0 || v[2] > 15 || v[3] < 0 || v[3] > 63) {
        return s.fail(*raw, "wants TYPE:SWEEP:DEPTH:RATE (0..3, 0..255, 0..15, 0..63)");
    }
    ins.vibratoType = static_cast<uint8_t>(v[0]);
    ins.vibratoSweep = static_cast<uint8_t>(v[1]);
    ins.vibratoDepth = static_cast<uint8_t>(v[2]);
    ins.vibratoRate = static_cast<uint8_t>(v[3]);
    return true;
}

std::vector<int16_t> toPcm(const dsp::Signal& s) {
    std::vector<int16_t> pcm(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        pcm[i] = static_cast<int16_t>(std::clamp(std::lround(s[i] * 32767.0), -32767L, 32767L));
    }
    return pcm;
}

}  // namespace

bool buildInstrument(const score::InstrumentDef& def, const score::Score& score,
                     BuiltInstrument& out, std::string& error) {
    Settings s(def, score.file);
    const VoiceMaker maker = findVoiceMaker(def.kind);
    if (!maker) {
        error = score::where(
            score.file, def.line,
            "instrument " + def.name + ": unknown kind '" + def.kind + "' (" + voiceKinds() + ")");
        return false;
    }
    out = BuiltInstrument{};
    out.key = s.note("key", 49);
    out.volume = static_cast<int>(s.number("volume", 64, 0, 64));
    const int pan = static_cast<int>(s.number("pan", 128, 0, 255));
    const int bits = static_cast<int>(s.number("bits", 16, 8, 16));
    const double peak = s.number("peak", 0.95, 0.01, 1.0);
    const double reverb = s.number("reverb", 0, 0, 4);
    const double room = s.number("room", 0.5, 0, 1);
    const double damp = s.number("damp", 0.5, 0, 1);
    const double tail = s.number("tail", 0.5, 0, 10);
    const int fadeout = static_cast<int>(s.number("fadeout", 0, 0, 4095));
    const std::string label = s.text("label", def.name);
    const uint64_t seed =
        static_cast<uint64_t>(s.number("seed", def.slot * 7919 + 17, 0, 4294967295.0));
    xm::Instrument& ins = out.instrument;
    if (!readEnvelope(s, ins.volumeEnvelope) || !readVibrato(s, ins)) {
        error = s.error();
        return false;
    }
    if (bits != 8 && bits != 16) {
        s.fail(*s.raw("bits"), "wants 8 or 16");
    }

    Voice voice;
    VoiceRequest request{s, makingFrequency(out.key), seed};
    maker(request, voice);
    if (!s.finish()) {
        error = s.error();
        return false;
    }
    if (reverb > 0) {
        if (voice.loopLength > 0) {
            error = score::where(score.file, def.line,
                                 "instrument " + def.name +
                                     ": reverb is baked into one-shot sounds; this one loops");
            return false;
        }
        voice.data = dsp::withReverb(voice.data, reverb, room, damp, tail);
        dsp::fadeTail(voice.data, std::min(0.2, tail * 0.5 + 0.005));
    }
    if (voice.loopLength > 0) {
        dsp::crossfadeLoop(voice.data, voice.loopStart, voice.loopLength,
                           std::min(voice.loopLength / 2, dsp::frames(0.03)), voice.noiseLoop);
    }
    dsp::normalize(voice.data, peak);

    xm::Sample sample;
    sample.name = def.name;
    sample.data = toPcm(voice.data);
    sample.sixteenBit = bits == 16;
    sample.volume = static_cast<uint8_t>(out.volume);
    sample.panning = static_cast<uint8_t>(pan);
    if (voice.loopLength > 0) {
        sample.loop = xm::Loop::Forward;
        sample.loopStart = static_cast<uint32_t>(voice.loopStart);
        sample.loopLength = static_cast<uint32_t>(voice.loopLength);
    }
    tune(voice.frequency, out.key, sample);

    ins.name = label.substr(0, 22);
    ins.samples.push_back(std::move(sample));
    ins.fadeout = static_cast<uint16_t>(fadeout);
    if (ins.volumeEnvelope.points.empty() && voice.autoDecay > 0) {
        ins.volumeEnvelope = decayEnvelope(voice.autoDecay, score.tempo);
    }
    return true;
}
