#include "music/note_triggers.h"

#include <cstddef>

void NoteTriggers::reset(int channels, int instruments) {
    channels_.assign(static_cast<size_t>(channels > 0 ? channels : 0), ChannelState{});
    instruments_ = instruments;
}

int NoteTriggers::strikes(const CellInfo* cells, int speed, int patternDelay, Strike* out,
                          int capacity) {
    int count = 0;
    for (size_t c = 0; c < channels_.size(); ++c) {
        const CellInfo& cell = cells[c];
        ChannelState& channel = channels_[c];
        if (cell.instrument) channel.instrument = cell.instrument;

        const int delay = cell.command == CellCommand::kNoteDelay ? cell.value : 0;
        if (delay >= speed) continue;  // the row ends before the note would sound
        const bool hasNote = cell.note >= 1 && cell.note <= kLastNote;
        if (hasNote) {
            if (cell.tonePorta) continue;
        } else if (!(cell.command == CellCommand::kNoteDelay && delay > 0 && channel.struck)) {
            continue;
        }
        // Silenced on the very tick it would sound.
        if ((cell.command == CellCommand::kNoteCut || cell.command == CellCommand::kKeyOff) &&
            cell.value == 0) {
            continue;
        }
        const int instrument = channel.instrument;
        if (instrument == 0 || instrument > instruments_) continue;
        channel.struck = true;

        // A delayed note sounds again on every repetition of a delayed row; an undelayed
        // one does not.
        const int repeats = delay > 0 ? 1 + patternDelay : 1;
        for (int k = 0; k < repeats && count < capacity; ++k) {
            out[count++] = Strike{static_cast<int16_t>(c), static_cast<int16_t>(instrument),
                                  static_cast<int32_t>(k * speed + delay)};
        }
    }
    return count;
}

int patternDelayOf(const CellInfo* cells, int channels) {
    for (int c = 0; c < channels; ++c) {
        if (cells[c].command == CellCommand::kPatternDelay) return cells[c].value;
    }
    return 0;
}

bool hasPatternLoop(const CellInfo* cells, int channels) {
    for (int c = 0; c < channels; ++c) {
        if (cells[c].command == CellCommand::kPatternLoop && cells[c].value > 0) return true;
    }
    return false;
}
