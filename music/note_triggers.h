// note_triggers.h - which cells of a pattern row strike a note, on which tick.
//
// The mixer has no notion of an instrument callback, so the player reads the pattern data of
// each row as the song reaches it and decides, as FastTracker 2 plays it:
//   - a note with an instrument strikes that instrument;
//   - a note without one strikes the channel's current instrument (the last instrument
//     number written in that channel, with or without a note), if any;
//   - a note delay (EDx, 0 < x < speed) strikes on tick x, and again on every repetition of
//     a pattern delay; a delay of the whole row or more strikes nothing; a note delay
//     without a note strikes the channel's last note again;
//   - note-off, note-cut and fade notes, a tone portamento (the note slides, it is not
//     struck), a cut or key-off on tick 0, and instruments the module does not have strike
//     nothing; retrigger effects (E9x, Rxy) do not count as new notes.
#pragma once

#include <cstdint>
#include <vector>

enum class CellCommand : uint8_t {
    kNone,
    kNoteDelay,     // value: tick
    kNoteCut,       // value: tick
    kKeyOff,        // value: tick
    kPatternLoop,   // value: repeats (0 marks the loop start)
    kPatternDelay,  // value: extra repetitions of the row
};

// One pattern cell, reduced to what decides triggering.
struct CellInfo {
    uint8_t note = 0;        // 1..120 a note; 0 none; above 120 releases, cuts and fades
    uint8_t instrument = 0;  // 1-based; 0 none
    CellCommand command = CellCommand::kNone;
    uint8_t value = 0;
    bool tonePorta = false;  // effect or volume column slides to the note
};

struct Strike {
    int16_t channel;
    int16_t instrument;  // 1-based, as in the pattern
    int32_t tick;        // ticks after the row's start
};

class NoteTriggers {
  public:
    static constexpr int kLastNote = 120;

    void reset(int channels, int instruments);
    // Appends the strikes of one row, in channel order, to out (at most capacity entries)
    // and returns how many. speed: ticks per row; patternDelay: extra repetitions of the row.
    int strikes(const CellInfo* cells, int speed, int patternDelay, Strike* out, int capacity);
    // Most strikes one row can give: each channel's note on every repetition of the row.
    int maxStrikesPerRow() const { return static_cast<int>(channels_.size()) * 16; }

  private:
    struct ChannelState {
        uint8_t instrument = 0;  // current instrument, 1-based
        bool struck = false;     // a note has sounded, so a bare note delay repeats it
    };
    std::vector<ChannelState> channels_;
    int instruments_ = 0;
};

// Row-wide effects of a row's cells.
int patternDelayOf(const CellInfo* cells, int channels);
bool hasPatternLoop(const CellInfo* cells, int channels);
