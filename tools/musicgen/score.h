// score.h - the music as written: a small text language that reads like a tracker.
//
// A score is a list of directives, one per line; a line that starts with white space
// continues the directive above it. `#` at the start of a word begins a comment.
//
//     title "Palisade 2.0"
//     tempo 120                     # beats per minute as the tracker counts them
//     speed 6                       # ticks per row
//     rows 64                       # rows per pattern
//     instrument 0 kick drum start=170 end=48 decay=0.3      # slot (0-based) name kind settings
//     track drums kick              # one channel per track, with its usual instrument
//     track echo lead echo=lead:3:45 pan=200   # a delayed, quieter copy of track lead,
//                                              # panned to the right
//     phrase beat                   # rows, written as steps
//         x . . . x . . . x . . . x:40 . x . .
//     pattern verse from intro      # a pattern starts as a copy of another, if given
//         drums beat*4              # phrases (transposed +N/-N, %volume, @instrument, *repeat)
//         bass  line line+5 .16     # and steps, one after the other
//         pad   chords & gate*4     # `&` lays more steps over the same rows from the top:
//                                   # they fill what the cells above leave empty
//     order intro verse verse       # the song's order list, appended to
//
// Steps, one row each: `.` empty (`.16` sixteen empty rows); a note `C-4`/`C#4`; `x` the
// instrument's own pitch (drums); `off` or `===` key off; followed by any of `@name` (the
// instrument), `:40` (volume 0..64), `+A04` (an effect: letter and two hex digits, as a
// tracker shows it); and `*N` repeats the step N times. A step may also be just `:40` or
// `+EB1` to set the volume or play an effect without a note.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace score {

// One row of a track as written.
struct Step {
    uint8_t note = 0;       // 0 none, 1..96, 97 key off
    bool ownPitch = false;  // `x`: the instrument's own key
    std::string instrument;
    int volume = -1;  // 0..64, -1 none
    bool hasEffect = false;
    uint8_t effect = 0;
    uint8_t param = 0;
    bool empty() const { return !note && !ownPitch && volume < 0 && !hasEffect; }
};

struct Setting {
    std::string key;
    std::string value;
    int line = 0;
};

struct InstrumentDef {
    int slot = 0;  // 0-based, as the demo's sync arrays count
    std::string name;
    std::string kind;
    std::vector<Setting> settings;
    int line = 0;
};

struct TrackDef {
    std::string name;
    std::string instrument;  // may be empty
    std::string echoOf;      // track whose notes this one repeats, later and quieter
    int echoDelay = 0;       // rows
    int echoPercent = 0;     // of the original volume
    int pan = -1;            // 0..255: every note of the track is panned there; -1 leaves it
    int line = 0;
};

struct PhraseDef {
    std::string name;
    std::string instrument;  // may be empty
    std::vector<Step> steps;
    int line = 0;
};

// One entry of a track line: a phrase with its changes, or steps written in place.
struct Item {
    std::string phrase;       // empty for steps written in place
    std::vector<Step> steps;  // the steps written in place
    std::string instrument;
    int transpose = 0;
    int volumePercent = 100;
    int repeat = 1;
    int layer = 0;  // items after the n-th `&` lie over the rows from the top again
    int line = 0;
};

struct TrackLine {
    std::string track;
    std::vector<Item> items;
    int line = 0;
};

struct PatternDef {
    std::string name;
    std::string base;  // pattern it starts as a copy of, or empty
    std::vector<TrackLine> lines;
    int line = 0;
};

struct OrderEntry {
    std::string pattern;
    int line = 0;
};

struct Score {
    std::string file;  // for messages
    std::string title;
    int tempo = 125;
    int speed = 6;
    int rows = 64;
    std::vector<InstrumentDef> instruments;
    std::vector<TrackDef> tracks;
    std::vector<PhraseDef> phrases;
    std::vector<PatternDef> patterns;
    std::vector<OrderEntry> orders;

    const InstrumentDef* findInstrument(const std::string& name) const;
    const TrackDef* findTrack(const std::string& name) const;
    const PhraseDef* findPhrase(const std::string& name) const;
    const PatternDef* findPattern(const std::string& name) const;
};

// Reads a score. On failure returns false with "FILE:LINE: what is wrong" in error.
// `file` only names the text in messages.
bool parse(const std::string& text, const std::string& file, Score& out, std::string& error);
bool parseFile(const std::string& path, Score& out, std::string& error);

// "FILE:LINE: message".
std::string where(const std::string& file, int line, const std::string& message);

// The slot the demo's director fills itself from instruments 44 and 45: no instrument may
// take it.
constexpr int kReservedSlot = 50;
constexpr int kMaxSlots = 128;

}  // namespace score
