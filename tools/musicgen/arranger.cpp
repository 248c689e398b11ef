// arranger.cpp - laying the score out into the module's patterns.
#include "tools/musicgen/arranger.h"

#include <algorithm>
#include <map>

#include "tools/musicgen/patch.h"

namespace {

using score::Item;
using score::PatternDef;
using score::Score;
using score::Step;
using score::TrackDef;
using score::TrackLine;

class Arranger {
  public:
    Arranger(const Score& score, xm::Module& module, std::string& error)
        : score_(score), module_(module), error_(error) {}

    bool run() { return header() && instruments() && tracks() && patterns(); }

  private:
    bool fail(int line, const std::string& message) {
        error_ = score::where(score_.file, line, message);
        return false;
    }

    bool header() {
        module_ = xm::Module{};
        module_.name = score_.title;
        module_.trackerName = "Palisade musicgen";
        module_.tempo = score_.tempo;
        module_.speed = score_.speed;
        if (score_.tracks.empty() || score_.tracks.size() > xm::kMaxChannels) {
            return fail(1, "a score has 1 to 32 tracks (it has " +
                               std::to_string(score_.tracks.size()) + ")");
        }
        module_.channels = static_cast<int>(score_.tracks.size());
        return true;
    }

    bool instruments() {
        int top = -1;
        for (const score::InstrumentDef& def : score_.instruments) top = std::max(top, def.slot);
        // Slots between the ones the score uses stay empty, so every instrument keeps the
        // number the demo's sync arrays know it by.
        module_.instruments.assign(static_cast<size_t>(top + 1), xm::Instrument{});
        built_.assign(static_cast<size_t>(top + 1), BuiltInstrument{});
        for (const score::InstrumentDef& def : score_.instruments) {
            BuiltInstrument& b = built_[static_cast<size_t>(def.slot)];
            if (!buildInstrument(def, score_, b, error_)) return false;
            module_.instruments[static_cast<size_t>(def.slot)] = b.instrument;
        }
        return true;
    }

    bool knownInstrument(const std::string& name, int line, const std::string& who) {
        if (name.empty() || score_.findInstrument(name)) return true;
        return fail(line, who + ": no instrument is called '" + name + "'");
    }

    bool tracks() {
        for (const TrackDef& t : score_.tracks) {
            if (!knownInstrument(t.instrument, t.line, "track " + t.name)) return false;
            if (t.echoOf.empty()) continue;
            const TrackDef* source = score_.findTrack(t.echoOf);
            if (!source || source == &t || !source->echoOf.empty()) {
                return fail(t.line, "track " + t.name + " echoes '" + t.echoOf +
                                        "', which is not another track with notes of its own");
            }
        }
        for (const score::PhraseDef& p : score_.phrases) {
            if (!knownInstrument(p.instrument, p.line, "phrase " + p.name)) return false;
            for (const Step& s : p.steps) {
                if (!knownInstrument(s.instrument, p.line, "phrase " + p.name)) return false;
            }
        }
        return true;
    }

    int channelOf(const std::string& track) const {
        for (size_t i = 0; i < score_.tracks.size(); ++i) {
            if (score_.tracks[i].name == track) return static_cast<int>(i);
        }
        return -1;
    }

    // The lines of a pattern with those of the patterns it starts from, its own winning.
    void collectLines(const PatternDef& def, std::map<std::string, const TrackLine*>& lines) {
        if (!def.base.empty()) collectLines(*score_.findPattern(def.base), lines);
        for (const TrackLine& l : def.lines) lines[l.track] = &l;
    }

    bool patterns() {
        std::map<std::string, int> index;
        for (const score::OrderEntry& o : score_.orders) {
            const PatternDef* def = score_.findPattern(o.pattern);
            if (!def)
                return fail(o.line, "the order list names pattern '" + o.pattern +
                                        "', which is not defined");
            if (!index.count(o.pattern)) {
                if (module_.patterns.size() >= xm::kMaxPatterns) {
                    return fail(o.line, "more than 256 different patterns");
                }
                index[o.pattern] = static_cast<int>(module_.patterns.size());
                module_.addPattern(score_.rows);
                if (!fillPattern(*def, module_.patterns.back())) return false;
            }
            if (module_.orders.size() >= xm::kMaxOrders) {
                return fail(o.line, "more than 256 orders");
            }
            module_.orders.push_back(static_cast<uint8_t>(index[o.pattern]));
        }
        releaseHeldNotes();
        return true;
    }

    // A track left out of a pattern falls silent: a looped note held over from the order
    // before is released on the pattern's first row.
    void releaseHeldNotes() {
        for (size_t i = 1; i < module_.orders.size(); ++i) {
            const xm::Pattern& before = module_.patterns[module_.orders[i - 1]];
            xm::Pattern& now = module_.patterns[module_.orders[i]];
            const std::vector<bool>& written = written_[module_.orders[i]];
            for (int c = 0; c < now.channels(); ++c) {
                if (!written[static_cast<size_t>(c)] && !now.at(0, c).note &&
                    holdsAtEnd(before, c)) {
                    now.at(0, c).note = xm::kKeyOff;
                }
            }
        }
    }

    // Whether a looped sample is still sounding on the channel when the pattern ends.
    bool holdsAtEnd(const xm::Pattern& p, int channel) const {
        bool held = false;
        for (int r = 0; r < p.rows(); ++r) {
            const xm::Cell& cell = p.at(r, channel);
            if (cell.note == xm::kKeyOff) {
                held = false;
            } else if (cell.note && cell.instrument) {
                const xm::Instrument& ins = module_.instruments[cell.instrument - 1u];
                held = !ins.samples.empty() && ins.samples[0].loop != xm::Loop::None;
            }
            if (cell.effect == xm::kExtended && (cell.param >> 4) == xm::kNoteCut) held = false;
        }
        return held;
    }

    bool fillPattern(const PatternDef& def, xm::Pattern& pattern) {
        std::map<std::string, const TrackLine*> lines;
        collectLines(def, lines);
        std::vector<bool>& written = written_.emplace_back(score_.tracks.size(), false);
        for (const auto& [track, line] : lines) {
            const int channel = channelOf(track);
            if (channel < 0) {
                return fail(line->line,
                            "pattern " + def.name + ": no track is called '" + track + "'");
            }
            const TrackDef& t = score_.tracks[static_cast<size_t>(channel)];
            if (!t.echoOf.empty()) {
                return fail(line->line, "pattern " + def.name + ": track " + track + " echoes " +
                                            t.echoOf + " and takes no notes");
            }
            int row = 0;
            int layer = 0;
            for (const Item& item : line->items) {
                if (item.layer != layer) {
                    layer = item.layer;
                    row = 0;
                }
                if (!placeItem(def, t, channel, item, pattern, row)) return false;
            }
            if (t.pan >= 0) panNotes(t.pan, channel, pattern);
            written[static_cast<size_t>(channel)] = !line->items.empty();
        }
        for (size_t e = 0; e < score_.tracks.size(); ++e) {
            const TrackDef& t = score_.tracks[e];
            if (t.echoOf.empty()) continue;
            const int source = channelOf(t.echoOf);
            echo(t, source, static_cast<int>(e), pattern);
            written[e] = written[static_cast<size_t>(source)];
        }
        return true;
    }

    bool placeItem(const PatternDef& def, const TrackDef& track, int channel, const Item& item,
                   xm::Pattern& pattern, int& row) {
        const std::vector<Step>* steps = &item.steps;
        std::string instrument = item.instrument;
        std::string what = "track " + track.name;
        if (!item.phrase.empty()) {
            const score::PhraseDef* phrase = score_.findPhrase(item.phrase);
            if (!phrase) {
                return fail(item.line,
                            "pattern " + def.name + ": no phrase is called '" + item.phrase + "'");
            }
            steps = &phrase->steps;
            if (instrument.empty()) instrument = phrase->instrument;
            what += ", phrase " + item.phrase;
        }
        if (instrument.empty()) instrument = track.instrument;
        if (!knownInstrument(instrument, item.line, what)) return false;
        const int length = static_cast<int>(steps->size()) * item.repeat;
        if (row + length > pattern.rows()) {
            return fail(item.line, "pattern " + def.name + ": " + what + " runs to row " +
                                       std::to_string(row + length) + ", past the pattern's " +
                                       std::to_string(pattern.rows()) + " rows");
        }
        for (int r = 0; r < item.repeat; ++r) {
            for (const Step& step : *steps) {
                xm::Cell cell;
                if (!makeCell(step, item, instrument, what, cell)) return false;
                merge(cell, pattern.at(row++, channel));
            }
        }
        return true;
    }

    bool makeCell(const Step& step, const Item& item, const std::string& instrument,
                  const std::string& what, xm::Cell& cell) {
        const std::string& name = step.instrument.empty() ? instrument : step.instrument;
        int volume = step.volume;
        if (step.note == xm::kKeyOff) {
            cell.note = xm::kKeyOff;
            volume = -1;
        } else if (step.note || step.ownPitch) {
            const score::InstrumentDef* def = score_.findInstrument(name);
            if (!def) {
                return fail(item.line,
                            what + (name.empty() ? std::string(": a note with no instrument "
                                                               "(give the track, the phrase "
                                                               "or the step one)")
                                                 : ": no instrument is called '" + name + "'"));
            }
            const BuiltInstrument& b = built_[static_cast<size_t>(def->slot)];
            const int note = (step.ownPitch ? b.key : step.note) + item.transpose;
            if (note < 1 || note > 96) {
                return fail(item.line, what + ": transposed by " + std::to_string(item.transpose) +
                                           ", a note falls off the keyboard (C-0..B-7)");
            }
            cell.note = static_cast<uint8_t>(note);
            cell.instrument = static_cast<uint8_t>(def->slot + 1);
            if (volume < 0 && item.volumePercent != 100) volume = b.volume;
        }
        if (volume >= 0) {
            cell.volume = xm::volumeColumn::set((volume * item.volumePercent + 50) / 100);
        }
        if (step.hasEffect) {
            cell.effect = step.effect;
            cell.param = step.param;
        }
        return true;
    }

    // Steps laid over others fill only what is still empty: the first one written wins.
    static void merge(const xm::Cell& cell, xm::Cell& into) {
        if (!into.note && cell.note) {
            into.note = cell.note;
            into.instrument = cell.instrument;
        }
        if (!into.volume) into.volume = cell.volume;
        if (!into.effect && !into.param) {
            into.effect = cell.effect;
            into.param = cell.param;
        }
    }

    // A note takes its sample's panning; the track's own is set with it where the effect
    // column is free.
    static void panNotes(int pan, int channel, xm::Pattern& pattern) {
        for (int r = 0; r < pattern.rows(); ++r) {
            xm::Cell& cell = pattern.at(r, channel);
            if (cell.note && cell.note != xm::kKeyOff && !cell.effect && !cell.param) {
                cell.effect = xm::kSetPanning;
                cell.param = static_cast<uint8_t>(pan);
            }
        }
    }

    // Repeats the notes of `from` on channel `to`, later and quieter; notes pushed past the
    // end of the pattern are dropped.
    void echo(const TrackDef& track, int from, int to, xm::Pattern& pattern) {
        for (int r = pattern.rows() - 1 - track.echoDelay; r >= 0; --r) {
            const xm::Cell& source = pattern.at(r, from);
            if (!source.note || (source.note != xm::kKeyOff && !source.instrument)) continue;
            xm::Cell cell;
            cell.note = source.note;
            if (source.note != xm::kKeyOff) {
                cell.instrument = source.instrument;
                int volume = built_[source.instrument - 1u].volume;
                if (source.volume >= 0x10 && source.volume <= 0x50) volume = source.volume - 0x10;
                cell.volume = xm::volumeColumn::set((volume * track.echoPercent + 50) / 100);
            }
            pattern.at(r + track.echoDelay, to) = cell;
        }
        if (track.pan >= 0) panNotes(track.pan, to, pattern);
    }

    const Score& score_;
    xm::Module& module_;
    std::string& error_;
    std::vector<BuiltInstrument> built_;
    std::vector<std::vector<bool>> written_;  // by module pattern: channels the score wrote
};

}  // namespace

bool arrange(const Score& score, xm::Module& out, std::string& error) {
    return Arranger(score, out, error).run();
}

bool generateModule(const std::string& scorePath, std::vector<uint8_t>& bytes, std::string& error) {
    Score score;
    xm::Module module;
    if (!score::parseFile(scorePath, score, error) || !arrange(score, module, error)) {
        return false;
    }
    std::string why;
    if (!xm::write(module, bytes, &why)) {
        error = scorePath + ": the module cannot be written: " + why;
        return false;
    }
    return true;
}
