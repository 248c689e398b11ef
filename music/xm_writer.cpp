// xm_writer.cpp - XM serialisation: header, packed patterns, instruments, delta-coded samples.
#include "music/xm_writer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace xm {

// ---------------------------------------------------------------------------------------------
// Notes and patterns
// ---------------------------------------------------------------------------------------------

uint8_t note(const char* name) {
    if (!name) return 0;
    if (std::strcmp(name, "===") == 0 || std::strcmp(name, "OFF") == 0) return kKeyOff;
    if (std::strlen(name) != 3) return 0;
    static const char kLetters[] = "C D EF G A B";
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    const char* at = std::strchr(kLetters, letter);
    if (!at || letter == ' ') return 0;
    int semitone = static_cast<int>(at - kLetters);
    if (name[1] == '#') {
        ++semitone;
    } else if (name[1] != '-') {
        return 0;
    }
    if (name[2] < '0' || name[2] > '7') return 0;
    const int octave = name[2] - '0';
    const int n = octave * 12 + semitone + 1;
    return n >= 1 && n <= 96 ? static_cast<uint8_t>(n) : 0;
}

Pattern::Pattern(int rows, int channels)
    : rows_(std::max(1, rows)),
      channels_(std::max(1, channels)),
      cells_(static_cast<size_t>(rows_) * static_cast<size_t>(channels_)) {}

int Pattern::index(int row, int channel) const {
    row = std::clamp(row, 0, rows_ - 1);
    channel = std::clamp(channel, 0, channels_ - 1);
    return row * channels_ + channel;
}

Cell& Pattern::at(int row, int channel) {
    return cells_[static_cast<size_t>(index(row, channel))];
}

const Cell& Pattern::at(int row, int channel) const {
    return cells_[static_cast<size_t>(index(row, channel))];
}

Pattern& Module::addPattern(int rows) {
    patterns.emplace_back(rows, channels);
    return patterns.back();
}

// ---------------------------------------------------------------------------------------------
// Byte output
// ---------------------------------------------------------------------------------------------

namespace {

class Bytes {
  public:
    explicit Bytes(std::vector<uint8_t>& out) : out_(out) {}
    void u8(unsigned v) { out_.push_back(static_cast<uint8_t>(v)); }
    void u16(unsigned v) {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    // Fixed-width text, cut or padded with fill.
    void text(const std::string& s, size_t width, char fill = '\0') {
        for (size_t i = 0; i < width; ++i) u8(i < s.size() ? static_cast<uint8_t>(s[i]) : fill);
    }
    void zeros(size_t n) { out_.insert(out_.end(), n, 0); }
    size_t size() const { return out_.size(); }
    void patchU16(size_t at, unsigned v) {
        out_[at] = static_cast<uint8_t>(v & 0xFF);
        out_[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    }

  private:
    std::vector<uint8_t>& out_;
};

bool fail(std::string* error, const char* what, int index = -1) {
    if (error) {
        char text[160];
        if (index >= 0) {
            std::snprintf(text, sizeof text, "%s (%d)", what, index);
        } else {
            std::snprintf(text, sizeof text, "%s", what);
        }
        *error = text;
    }
    return false;
}

bool checkEnvelope(const Envelope& e, std::string* error, int instrument) {
    const int n = static_cast<int>(e.points.size());
    if (n > kMaxEnvelopePoints) return fail(error, "envelope has more than 12 points", instrument);
    for (int i = 0; i < n; ++i) {
        if (e.points[i].value > 64) return fail(error, "envelope value above 64", instrument);
        if (i > 0 && e.points[i].tick <= e.points[i - 1].tick) {
            return fail(error, "envelope ticks must rise", instrument);
        }
    }
    const auto validPoint = [n](int p) { return p < 0 || p < n; };
    if (!validPoint(e.sustain) || !validPoint(e.loopStart) || !validPoint(e.loopEnd)) {
        return fail(error, "envelope sustain or loop point outside the envelope", instrument);
    }
    if ((e.loopStart >= 0) != (e.loopEnd >= 0) || e.loopEnd < e.loopStart) {
        return fail(error, "envelope loop needs a start no later than its end", instrument);
    }
    return true;
}

bool check(const Module& m, std::string* error) {
    if (m.channels < 1 || m.channels > kMaxChannels) return fail(error, "channels must be 1..32");
    if (m.orders.empty() || m.orders.size() > kMaxOrders)
        return fail(error, "orders must be 1..256");
    if (m.patterns.empty() || m.patterns.size() > kMaxPatterns) {
        return fail(error, "patterns must be 1..256");
    }
    if (m.instruments.size() > kMaxInstruments) return fail(error, "more than 128 instruments");
    if (m.speed < 1 || m.speed > 31) return fail(error, "speed must be 1..31");
    if (m.tempo < 32 || m.tempo > 255) return fail(error, "tempo must be 32..255");
    if (m.restartPosition < 0 || m.restartPosition >= static_cast<int>(m.orders.size())) {
        return fail(error, "restart position outside the order list");
    }
    for (size_t i = 0; i < m.orders.size(); ++i) {
        if (m.orders[i] >= m.patterns.size()) {
            return fail(error, "order names a missing pattern", static_cast<int>(i));
        }
    }
    for (size_t p = 0; p < m.patterns.size(); ++p) {
        const Pattern& pat = m.patterns[p];
        if (pat.channels() != m.channels) {
            return fail(error, "pattern channel count differs from the module's",
                        static_cast<int>(p));
        }
        if (pat.rows() > kMaxRows)
            return fail(error, "pattern has more than 256 rows", static_cast<int>(p));
        for (int r = 0; r < pat.rows(); ++r) {
            for (int c = 0; c < pat.channels(); ++c) {
                const Cell& cell = pat.at(r, c);
                if (cell.note > kKeyOff) return fail(error, "note above 97", static_cast<int>(p));
                if (cell.instrument > kMaxInstruments) {
                    return fail(error, "instrument number above 128", static_cast<int>(p));
                }
            }
        }
    }
    for (size_t i = 0; i < m.instruments.size(); ++i) {
        const Instrument& ins = m.instruments[i];
        const int index = static_cast<int>(i) + 1;
        if (ins.samples.size() > kMaxSamplesPerInstrument) {
            return fail(error, "instrument has more than 16 samples", index);
        }
        for (uint8_t s : ins.keymap) {
            if (!ins.samples.empty() && s >= ins.samples.size()) {
                return fail(error, "keymap names a missing sample", index);
            }
        }
        if (!checkEnvelope(ins.volumeEnvelope, error, index)) return false;
        if (!checkEnvelope(ins.panningEnvelope, error, index)) return false;
        for (const Sample& s : ins.samples) {
            const uint64_t frames = s.data.size();
            if (frames * 2 > 0x7FFFFFFFull) return fail(error, "sample too long", index);
            if (s.volume > 64) return fail(error, "sample volume above 64", index);
            if (s.loop != Loop::None) {
                if (s.loopLength == 0 || uint64_t(s.loopStart) + s.loopLength > frames) {
                    return fail(error, "sample loop outside the sample", index);
                }
            }
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Sections
// ---------------------------------------------------------------------------------------------

void writeHeader(const Module& m, Bytes& b) {
    b.text("Extended Module: ", 17);
    b.text(m.name, 20);
    b.u8(0x1A);
    b.text(m.trackerName, 20);
    b.u16(0x0104);
    b.u32(276);  // header size, counted from this field
    b.u16(static_cast<unsigned>(m.orders.size()));
    b.u16(static_cast<unsigned>(m.restartPosition));
    b.u16(static_cast<unsigned>(m.channels));
    b.u16(static_cast<unsigned>(m.patterns.size()));
    b.u16(static_cast<unsigned>(m.instruments.size()));
    b.u16(m.linearFrequencies ? 1 : 0);
    b.u16(static_cast<unsigned>(m.speed));
    b.u16(static_cast<unsigned>(m.tempo));
    for (int i = 0; i < kMaxOrders; ++i) {
        b.u8(i < static_cast<int>(m.orders.size()) ? m.orders[static_cast<size_t>(i)] : 0);
    }
}

// Cells are packed: a byte with the top bit set says which of the five fields follow.
bool writePattern(const Pattern& p, Bytes& b, std::string* error, int index) {
    b.u32(9);  // pattern header size
    b.u8(0);   // packing type
    b.u16(static_cast<unsigned>(p.rows()));
    const size_t sizeAt = b.size();
    b.u16(0);
    const size_t dataStart = b.size();
    for (int r = 0; r < p.rows(); ++r) {
        for (int c = 0; c < p.channels(); ++c) {
            const Cell& cell = p.at(r, c);
            const uint8_t fields[5] = {cell.note, cell.instrument, cell.volume, cell.effect,
                                       cell.param};
            unsigned mask = 0;
            for (int f = 0; f < 5; ++f) {
                if (fields[f]) mask |= 1u << f;
            }
            if (mask == 0x1F) {
                for (uint8_t v : fields) b.u8(v);
                continue;
            }
            b.u8(0x80 | mask);
            for (int f = 0; f < 5; ++f) {
                if (mask & (1u << f)) b.u8(fields[f]);
            }
        }
    }
    const size_t packed = b.size() - dataStart;
    if (packed > 0xFFFF) return fail(error, "pattern too large once packed", index);
    b.patchU16(sizeAt, static_cast<unsigned>(packed));
    return true;
}

void writeEnvelopePoints(const Envelope& e, Bytes& b) {
    for (int i = 0; i < kMaxEnvelopePoints; ++i) {
        if (i < static_cast<int>(e.points.size())) {
            b.u16(e.points[static_cast<size_t>(i)].tick);
            b.u16(e.points[static_cast<size_t>(i)].value);
        } else {
            b.u32(0);
        }
    }
}

unsigned envelopeFlags(const Envelope& e) {
    if (e.points.empty()) return 0;
    unsigned flags = 1;
    if (e.sustain >= 0) flags |= 2;
    if (e.loopStart >= 0) flags |= 4;
    return flags;
}

unsigned pointOrZero(int p) {
    return p < 0 ? 0u : static_cast<unsigned>(p);
}

void writeSampleData(const Sample& s, Bytes& b) {
    // Stored as differences from the previous value, which compress well and are what the
    // format requires.
    if (s.sixteenBit) {
        int16_t previous = 0;
        for (int16_t v : s.data) {
            b.u16(static_cast<uint16_t>(static_cast<int16_t>(v - previous)));
            previous = v;
        }
    } else {
        int8_t previous = 0;
        for (int16_t v16 : s.data) {
            const int8_t v = static_cast<int8_t>(v16 >> 8);
            b.u8(static_cast<uint8_t>(static_cast<int8_t>(v - previous)));
            previous = v;
        }
    }
}

void writeInstrument(const Instrument& ins, Bytes& b) {
    const bool hasSamples = !ins.samples.empty();
    b.u32(hasSamples ? 263 : 29);  // instrument header size, counted from this field
    b.text(ins.name, 22);
    b.u8(0);  // instrument type
    b.u16(static_cast<unsigned>(ins.samples.size()));
    if (!hasSamples) return;

    b.u32(40);  // sample header size
    for (uint8_t s : ins.keymap) b.u8(s);
    writeEnvelopePoints(ins.volumeEnvelope, b);
    writeEnvelopePoints(ins.panningEnvelope, b);
    b.u8(static_cast<unsigned>(ins.volumeEnvelope.points.size()));
    b.u8(static_cast<unsigned>(ins.panningEnvelope.points.size()));
    b.u8(pointOrZero(ins.volumeEnvelope.sustain));
    b.u8(pointOrZero(ins.volumeEnvelope.loopStart));
    b.u8(pointOrZero(ins.volumeEnvelope.loopEnd));
    b.u8(pointOrZero(ins.panningEnvelope.sustain));
    b.u8(pointOrZero(ins.panningEnvelope.loopStart));
    b.u8(pointOrZero(ins.panningEnvelope.loopEnd));
    b.u8(envelopeFlags(ins.volumeEnvelope));
    b.u8(envelopeFlags(ins.panningEnvelope));
    b.u8(ins.vibratoType);
    b.u8(ins.vibratoSweep);
    b.u8(ins.vibratoDepth);
    b.u8(ins.vibratoRate);
    b.u16(ins.fadeout);
    b.zeros(22);  // reserved

    for (const Sample& s : ins.samples) {
        const uint32_t bytesPerFrame = s.sixteenBit ? 2 : 1;
        b.u32(static_cast<uint32_t>(s.data.size()) * bytesPerFrame);
        b.u32(s.loop == Loop::None ? 0 : s.loopStart * bytesPerFrame);
        b.u32(s.loop == Loop::None ? 0 : s.loopLength * bytesPerFrame);
        b.u8(s.volume);
        b.u8(static_cast<uint8_t>(s.finetune));
        b.u8(static_cast<unsigned>(s.loop) | (s.sixteenBit ? 0x10u : 0u));
        b.u8(s.panning);
        b.u8(static_cast<uint8_t>(s.relativeNote));
        b.u8(0);  // reserved
        b.text(s.name, 22);
    }
    for (const Sample& s : ins.samples) writeSampleData(s, b);
}

}  // namespace

bool write(const Module& module, std::vector<uint8_t>& out, std::string* error) {
    out.clear();
    if (!check(module, error)) return false;
    Bytes b(out);
    writeHeader(module, b);
    for (size_t p = 0; p < module.patterns.size(); ++p) {
        if (!writePattern(module.patterns[p], b, error, static_cast<int>(p))) {
            out.clear();
            return false;
        }
    }
    for (const Instrument& ins : module.instruments) writeInstrument(ins, b);
    return true;
}

bool writeFile(const Module& module, const char* path, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!write(module, bytes, error)) return false;
    FILE* f = std::fopen(path, "wb");
    if (!f) return fail(error, "cannot create the output file");
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!ok || !closed) return fail(error, "cannot write the output file");
    return true;
}

// ---------------------------------------------------------------------------------------------
// Sample makers
// ---------------------------------------------------------------------------------------------

Sample sineSample(int periodFrames, double amplitude, bool sixteenBit) {
    Sample s;
    s.name = "sine";
    periodFrames = std::max(2, periodFrames);
    amplitude = std::clamp(amplitude, 0.0, 1.0);
    s.data.resize(static_cast<size_t>(periodFrames));
    const double twoPi = 6.283185307179586;
    for (int i = 0; i < periodFrames; ++i) {
        const double v = std::sin(twoPi * i / periodFrames) * amplitude * 32767.0;
        s.data[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(v));
    }
    s.sixteenBit = sixteenBit;
    s.loop = Loop::Forward;
    s.loopStart = 0;
    s.loopLength = static_cast<uint32_t>(periodFrames);
    return s;
}

Instrument instrumentFromSample(Sample sample, const char* name) {
    Instrument ins;
    ins.name = name ? name : "";
    ins.samples.push_back(std::move(sample));
    return ins;
}

}  // namespace xm
