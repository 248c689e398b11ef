// xm_writer.h - builds FastTracker 2 extended modules (XM) from code.
//
// A module is plain data: fill in a Module (patterns of cells, instruments with their samples
// and envelopes, the order list) and serialise it with xm::write. Nothing here plays music;
// the tests build their modules with it and the production's music is composed through it.
//
//     xm::Module song;
//     song.channels = 4;
//     song.instruments.push_back(xm::instrumentFromSample(xm::sineSample(32)));
//     xm::Pattern& p = song.addPattern(64);
//     p.at(0, 0) = xm::Cell::noteOn(xm::note("C-4"), 1);
//     song.orders = {0};
//     std::vector<uint8_t> bytes;
//     if (!xm::write(song, bytes, &error)) ...
//
// Conventions follow the file format: notes are 1 (C-0) to 96 (B-7) with 97 releasing the
// key, instruments are numbered from 1 in cells (0 = none), volumes run 0 to 64, and the
// volume column holds the raw XM byte (see volumeColumn).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace xm {

// Limits of the format as FastTracker 2 defines it.
constexpr int kMaxChannels = 32;
constexpr int kMaxOrders = 256;
constexpr int kMaxPatterns = 256;
constexpr int kMaxRows = 256;
constexpr int kMaxInstruments = 128;
constexpr int kMaxSamplesPerInstrument = 16;
constexpr int kMaxEnvelopePoints = 12;

constexpr uint8_t kNoNote = 0;
constexpr uint8_t kKeyOff = 97;

// Effect column commands (the letter shown by trackers in the comment).
enum Effect : uint8_t {
    kArpeggio = 0x00,           // 0xy
    kPortaUp = 0x01,            // 1xx
    kPortaDown = 0x02,          // 2xx
    kTonePorta = 0x03,          // 3xx: slide to the note instead of striking it
    kVibrato = 0x04,            // 4xy
    kTonePortaVolSlide = 0x05,  // 5xy
    kVibratoVolSlide = 0x06,    // 6xy
    kTremolo = 0x07,            // 7xy
    kSetPanning = 0x08,         // 8xx
    kSampleOffset = 0x09,       // 9xx
    kVolumeSlide = 0x0A,        // Axy
    kPositionJump = 0x0B,       // Bxx: continue at order xx
    kSetVolume = 0x0C,          // Cxx
    kPatternBreak = 0x0D,       // Dxx: next order, row given in decimal digits (breakParam)
    kExtended = 0x0E,           // Exy: sub-command x (see Extended), value y
    kSetSpeedTempo = 0x0F,      // Fxx: below 32 ticks per row, otherwise beats per minute
    kSetGlobalVolume = 0x10,    // Gxx
    kGlobalVolumeSlide = 0x11,  // Hxy
    kKeyOffEffect = 0x14,       // Kxx: release the key at tick xx
    kSetEnvelopePos = 0x15,     // Lxx
    kPanningSlide = 0x19,       // Pxy
    kMultiRetrig = 0x1B,        // Rxy
    kTremor = 0x1D,             // Txy
    kExtraFinePorta = 0x21,     // Xxy
};

// Sub-commands of kExtended, the high nibble of its parameter.
enum Extended : uint8_t {
    kFinePortaUp = 0x1,
    kFinePortaDown = 0x2,
    kPatternLoop = 0x6,  // E60 marks the loop start, E6x repeats x times
    kRetrigNote = 0x9,
    kFineVolUp = 0xA,
    kFineVolDown = 0xB,
    kNoteCut = 0xC,       // ECx: silence the note at tick x
    kNoteDelay = 0xD,     // EDx: strike the note at tick x instead of tick 0
    kPatternDelay = 0xE,  // EEx: hold the row for x more rows' worth of ticks
};

// Parameter of an extended command: kExtended with extendedParam(kNoteDelay, 3) is ED3.
constexpr uint8_t extendedParam(Extended sub, int value) {
    return static_cast<uint8_t>((sub << 4) | (value & 0x0F));
}
// Parameter of kPatternBreak for a target row (0..99), which the format stores as two
// decimal digits.
constexpr uint8_t breakParam(int row) {
    return static_cast<uint8_t>(((row / 10) << 4) | (row % 10));
}

// Volume column bytes. 0 leaves the column empty.
namespace volumeColumn {
constexpr uint8_t set(int volume) {  // 0..64
    return static_cast<uint8_t>(0x10 + (volume < 0 ? 0 : volume > 64 ? 64 : volume));
}
constexpr uint8_t tonePorta(int speed) {  // Mx: slide to the note, speed 0..15
    return static_cast<uint8_t>(0xF0 | (speed & 0x0F));
}
}  // namespace volumeColumn

// Note number of a name such as "C-4", "F#2" or "B-7"; "===" or "OFF" gives kKeyOff.
// 0 for anything else.
uint8_t note(const char* name);

struct Cell {
    uint8_t note = kNoNote;
    uint8_t instrument = 0;  // 1-based, 0 = none
    uint8_t volume = 0;      // raw volume column byte
    uint8_t effect = 0;
    uint8_t param = 0;

    static Cell noteOn(uint8_t note, uint8_t instrument) {
        Cell c;
        c.note = note;
        c.instrument = instrument;
        return c;
    }
    static Cell fx(uint8_t effect, uint8_t param) {
        Cell c;
        c.effect = effect;
        c.param = param;
        return c;
    }
    bool empty() const { return !note && !instrument && !volume && !effect && !param; }
};

class Pattern {
  public:
    Pattern(int rows, int channels);
    int rows() const { return rows_; }
    int channels() const { return channels_; }
    // Row and channel must be in range; out-of-range access is clamped to the last cell so
    // that a slip never writes outside the pattern.
    Cell& at(int row, int channel);
    const Cell& at(int row, int channel) const;

  private:
    int index(int row, int channel) const;
    int rows_;
    int channels_;
    std::vector<Cell> cells_;
};

enum class Loop : uint8_t { None = 0, Forward = 1, PingPong = 2 };

struct Sample {
    std::string name;
    std::vector<int16_t> data;  // PCM frames, full 16-bit range
    bool sixteenBit = true;     // false stores data >> 8 as 8-bit samples
    Loop loop = Loop::None;
    uint32_t loopStart = 0;  // in frames
    uint32_t loopLength = 0;
    uint8_t volume = 64;
    int8_t finetune = 0;  // -128..127, 1/128 of a semitone
    uint8_t panning = 128;
    int8_t relativeNote = 0;  // semitones; 0 plays C-4 at 8363 frames per second
};

struct EnvelopePoint {
    uint16_t tick;
    uint16_t value;  // 0..64
};

// Off while it has no points.
struct Envelope {
    std::vector<EnvelopePoint> points;
    int sustain = -1;  // point index or -1
    int loopStart = -1;
    int loopEnd = -1;
};

struct Instrument {
    std::string name;
    std::vector<Sample> samples;
    std::array<uint8_t, 96> keymap{};  // sample index for each note, all 0 by default
    Envelope volumeEnvelope;
    Envelope panningEnvelope;
    uint16_t fadeout = 0;
    uint8_t vibratoType = 0;
    uint8_t vibratoSweep = 0;
    uint8_t vibratoDepth = 0;
    uint8_t vibratoRate = 0;
};

struct Module {
    std::string name;
    std::string trackerName = "Palisade xm_writer";
    int channels = 4;
    int speed = 6;    // ticks per row
    int tempo = 125;  // beats per minute; a tick lasts 2.5 / tempo seconds
    bool linearFrequencies = true;
    int restartPosition = 0;
    std::vector<uint8_t> orders;  // pattern index per order
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;

    // Appends an empty pattern with this module's channel count and returns it.
    Pattern& addPattern(int rows);
};

// Serialises the module. False, with the reason in *error when given, if it breaks a limit
// of the format (too many channels, an order naming a missing pattern, a loop outside its
// sample, ...); out is then left empty.
bool write(const Module& module, std::vector<uint8_t>& out, std::string* error = nullptr);
// write() to a file; false also when the file cannot be written.
bool writeFile(const Module& module, const char* path, std::string* error = nullptr);

// Small sample makers for tests and generated music.
//
// One looped period of a sine of the given length and amplitude (0..1 of full scale), so a
// note plays a steady tone of 8363 / periodFrames Hz at C-4 (relative note 0).
Sample sineSample(int periodFrames, double amplitude = 1.0, bool sixteenBit = true);
// An instrument with one sample mapped to every note.
Instrument instrumentFromSample(Sample sample, const char* name = "");

}  // namespace xm
