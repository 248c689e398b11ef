#include "music/module_song.h"

#include <libopenmpt/libopenmpt.h>
#include <libopenmpt/libopenmpt_ext.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr int kBlock = 256;       // ordinary read, aligned to a grid of song frames
constexpr int kSearchBlock = 16;  // read while a row start is overdue
constexpr int kGuard = 8;         // frames either side of a due row start read one by one

// libopenmpt hands out strings that must go back to it.
std::string takeString(const char* text) {
    std::string s = text ? text : "";
    if (text) openmpt_free_string(text);
    return s;
}

char formattedLetter(openmpt_module* module, int pattern, int row, int channel, int command) {
    const std::string s = takeString(
        openmpt_module_format_pattern_row_channel_command(module, pattern, row, channel, command));
    return s.empty() ? ' ' : s[0];
}

// Where an FastTracker 2 module's own headers say its data ends, as far as they can be read
// within `size` bytes: beyond `size` when the file was cut short. libopenmpt plays such a
// file without a word, with silence for whatever is missing. 0 when the data is not an XM
// module of the usual layout (version 1.04), which this count leaves to libopenmpt.
uint64_t xmDeclaredEnd(const unsigned char* d, size_t size) {
    auto u16 = [&](uint64_t at) { return at + 2 <= size ? uint32_t(d[at] | d[at + 1] << 8) : 0u; };
    auto u32 = [&](uint64_t at) {
        return at + 4 <= size ? uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16 : 0u;
    };
    if (size < 80 || std::memcmp(d, "Extended Module: ", 17) != 0 || u16(58) != 0x0104) return 0;
    const uint32_t patterns = u16(70), instruments = u16(72);
    uint64_t at = 60 + uint64_t(u32(60));
    for (uint32_t p = 0; p < patterns; ++p) {
        // Header length, packing type, rows, packed data size.
        if (at + 9 > size) return at + 9;
        at += uint64_t(u32(at)) + u16(at + 7);
    }
    for (uint32_t i = 0; i < instruments; ++i) {
        // Header size, name, type, sample count, then the size of each sample header.
        if (at + 29 > size) return at + 29;
        const uint32_t samples = u16(at + 27);
        if (samples && at + 33 > size) return at + 33;
        const uint32_t headerSize = samples ? u32(at + 29) : 0;
        if (u32(at) < 29 || (samples && headerSize < 18)) return 0;  // not the usual layout
        at += u32(at);
        uint64_t data = 0;
        for (uint32_t k = 0; k < samples; ++k, at += headerSize) {
            if (at + 18 > size) return at + 18;
            const uint32_t length = u32(at);
            // ModPlug's 4-bit ADPCM: a 16-byte table, then two samples a byte.
            data += d[at + 17] == 0xAD ? 16 + (uint64_t(length) + 1) / 2 : length;
        }
        at += data;
    }
    return at;
}

}  // namespace

ModuleSong::~ModuleSong() {
    if (ext_)
        openmpt_module_ext_destroy(ext_);
    else if (module_)
        openmpt_module_destroy(module_);
}

bool ModuleSong::load(const void* data, size_t size, int rate, std::string* error, bool muted) {
    if (ext_)
        openmpt_module_ext_destroy(ext_);
    else if (module_)
        openmpt_module_destroy(module_);
    module_ = nullptr;
    ext_ = nullptr;
    const uint64_t end = data ? xmDeclaredEnd(static_cast<const unsigned char*>(data), size) : 0;
    if (end > size) {
        if (error)
            *error = "the module is cut short: it ends at byte " + std::to_string(size) +
                     ", its headers go on to byte " + std::to_string(end) + " at least";
        return false;
    }
    int code = 0;
    const char* message = nullptr;
    if (muted) {
        ext_ = openmpt_module_ext_create_from_memory(data, size, openmpt_log_func_silent, nullptr,
                                                     openmpt_error_func_store, nullptr, &code,
                                                     &message, nullptr);
        if (ext_) module_ = openmpt_module_ext_get_module(ext_);
    } else {
        module_ = openmpt_module_create_from_memory2(data, size, openmpt_log_func_silent, nullptr,
                                                     openmpt_error_func_store, nullptr, &code,
                                                     &message, nullptr);
    }
    std::string reason = takeString(message);
    if (!module_) {
        if (reason.empty()) reason = takeString(openmpt_error_string(code));
        if (error) *error = reason.empty() ? "not a module" : reason;
        return false;
    }
    // Once through, then silence: the song must stop where it ends, not fade or restart.
    openmpt_module_set_repeat_count(module_, 0);
    openmpt_module_ctl_set_text(module_, "play.at_end", "stop");

    rate_ = rate > 0 ? rate : 44100;
    channels_ = std::max(0, static_cast<int>(openmpt_module_get_num_channels(module_)));
    // Formats without instruments strike their samples by number.
    instruments_ = static_cast<int>(openmpt_module_get_num_instruments(module_));
    if (instruments_ == 0) instruments_ = static_cast<int>(openmpt_module_get_num_samples(module_));
    firstOrder_ = static_cast<int>(openmpt_module_get_current_order(module_));
    const std::string type = formatName();
    s3mFamily_ = type == "s3m" || type == "it" || type == "mptm";
    if (ext_) {
        // Muted channels keep their timing but are not mixed.
        openmpt_module_ext_interface_interactive interactive{};
        if (openmpt_module_ext_get_interface(ext_, LIBOPENMPT_EXT_C_INTERFACE_INTERACTIVE,
                                             &interactive, sizeof interactive) &&
            interactive.set_channel_mute_status) {
            for (int c = 0; c < channels_; ++c) interactive.set_channel_mute_status(ext_, c, 1);
        }
    }

    buildRowTable();
    triggers_.reset(channels_, instruments_);
    strikes_.resize(static_cast<size_t>(triggers_.maxStrikesPerRow()));
    rowEvents_.reserve(strikes_.size() + 1);
    stage_.assign(2 * kBlock, 0.0f);
    stageOffset_ = staged_ = 0;
    mixed_ = position_ = 0;
    ended_ = false;
    inRow_ = false;
    order_ = row_ = lastOrder_ = -1;
    return true;
}

double ModuleSong::durationSeconds() const {
    return module_ ? openmpt_module_get_duration_seconds(module_) : 0.0;
}

int ModuleSong::orderCount() const {
    return module_ ? static_cast<int>(openmpt_module_get_num_orders(module_)) : 0;
}

int ModuleSong::patternOfOrder(int order) const {
    return module_ ? static_cast<int>(openmpt_module_get_order_pattern(module_, order)) : -1;
}

std::string ModuleSong::title() const {
    return module_ ? takeString(openmpt_module_get_metadata(module_, "title")) : std::string();
}

std::string ModuleSong::formatName() const {
    return module_ ? takeString(openmpt_module_get_metadata(module_, "type")) : std::string();
}

std::string ModuleSong::instrumentName(int instrument) const {
    if (!module_ || instrument < 0 || instrument >= instruments_) return std::string();
    if (openmpt_module_get_num_instruments(module_) > 0) {
        return takeString(openmpt_module_get_instrument_name(module_, instrument));
    }
    return takeString(openmpt_module_get_sample_name(module_, instrument));
}

// ---------------------------------------------------------------------------------------------
// Pattern data
// ---------------------------------------------------------------------------------------------

// Effect commands come back as the format's own letters; their raw numbers are libopenmpt's
// private business.
void ModuleSong::decodeCell(int pattern, int row, int channel, CellInfo& cell) const {
    const auto raw = [&](int command) {
        return openmpt_module_get_pattern_row_channel_command(module_, pattern, row, channel,
                                                              command);
    };
    cell.note = raw(OPENMPT_MODULE_COMMAND_NOTE);
    cell.instrument = raw(OPENMPT_MODULE_COMMAND_INSTRUMENT);
    if (raw(OPENMPT_MODULE_COMMAND_VOLUMEEFFECT) != 0) {
        const char v =
            formattedLetter(module_, pattern, row, channel, OPENMPT_MODULE_COMMAND_VOLUMEEFFECT);
        if (v == 'g') cell.tonePorta = true;
    }
    if (raw(OPENMPT_MODULE_COMMAND_EFFECT) == 0) return;
    const char e = formattedLetter(module_, pattern, row, channel, OPENMPT_MODULE_COMMAND_EFFECT);
    const uint8_t param = raw(OPENMPT_MODULE_COMMAND_PARAMETER);
    const uint8_t high = param >> 4;
    const uint8_t low = param & 0x0F;
    if (s3mFamily_) {
        if (e == 'G' || e == 'L') cell.tonePorta = true;
        if (e != 'S') return;
        if (high == 0xD) cell.command = CellCommand::kNoteDelay;
        if (high == 0xC) cell.command = CellCommand::kNoteCut;
        if (high == 0xB) cell.command = CellCommand::kPatternLoop;
        if (high == 0xE) cell.command = CellCommand::kPatternDelay;
        cell.value = low;
        return;
    }
    if (e == '3' || e == '5') cell.tonePorta = true;
    if (e == 'K') {
        cell.command = CellCommand::kKeyOff;
        cell.value = param;
        return;
    }
    if (e != 'E') return;
    if (high == 0xD) cell.command = CellCommand::kNoteDelay;
    if (high == 0xC) cell.command = CellCommand::kNoteCut;
    if (high == 0x6) cell.command = CellCommand::kPatternLoop;
    if (high == 0xE) cell.command = CellCommand::kPatternDelay;
    cell.value = low;
}

void ModuleSong::buildRowTable() {
    cells_.clear();
    rows_.clear();
    const int patterns = static_cast<int>(openmpt_module_get_num_patterns(module_));
    firstRowOfPattern_.assign(static_cast<size_t>(patterns), 0);
    rowsOfPattern_.assign(static_cast<size_t>(patterns), 0);
    for (int p = 0; p < patterns; ++p) {
        const int rows =
            std::max(0, static_cast<int>(openmpt_module_get_pattern_num_rows(module_, p)));
        firstRowOfPattern_[static_cast<size_t>(p)] = static_cast<uint32_t>(rows_.size());
        rowsOfPattern_[static_cast<size_t>(p)] = rows;
        for (int r = 0; r < rows; ++r) {
            const size_t first = cells_.size();
            cells_.resize(first + static_cast<size_t>(channels_));
            for (int c = 0; c < channels_; ++c)
                decodeCell(p, r, c, cells_[first + static_cast<size_t>(c)]);
            const CellInfo* cells = &cells_[first];
            RowInfo info;
            info.firstCell = static_cast<uint32_t>(first);
            info.patternDelay = static_cast<uint8_t>(patternDelayOf(cells, channels_));
            info.patternLoop = hasPatternLoop(cells, channels_);
            rows_.push_back(info);
        }
    }
}

const ModuleSong::RowInfo* ModuleSong::rowInfo(int pattern, int row) const {
    if (pattern < 0 || pattern >= static_cast<int>(rowsOfPattern_.size())) return nullptr;
    if (row < 0 || row >= rowsOfPattern_[static_cast<size_t>(pattern)]) return nullptr;
    return &rows_[firstRowOfPattern_[static_cast<size_t>(pattern)] + static_cast<size_t>(row)];
}

// ---------------------------------------------------------------------------------------------
// Mixing and row tracking
// ---------------------------------------------------------------------------------------------

int ModuleSong::nextReadSize() const {
    if (!inRow_) return 1;  // the first frame tells where the song starts
    const int toGrid = kBlock - static_cast<int>(mixed_ % kBlock);
    const int64_t searchFrom = nextRowDue_ - kGuard;
    if (mixed_ < searchFrom)
        return static_cast<int>(std::min<int64_t>(toGrid, searchFrom - mixed_));
    if (mixed_ <= nextRowDue_ + kGuard) return 1;
    // Overdue: the song did something the row length did not foresee.
    return kSearchBlock - static_cast<int>(mixed_ % kSearchBlock);
}

void ModuleSong::mixNextBlock(SyncEventSink* sink) {
    const int want = nextReadSize();
    const int got = static_cast<int>(openmpt_module_read_interleaved_float_stereo(
        module_, rate_, static_cast<size_t>(want), stage_.data()));
    const int64_t blockStart = mixed_;
    mixed_ += got;
    stageOffset_ = 0;
    staged_ = got;
    // A short read is the song's last; the position libopenmpt reports after it is no row.
    if (got == want) checkRow(blockStart, got, sink);
    if (got < want) {
        ended_ = true;
        SyncEvent end;
        end.kind = SyncEvent::kEnd;
        end.frame = mixed_;
        end.order = order_;
        end.row = static_cast<int16_t>(row_);
        if (sink) sink->onSyncEvent(end);
    }
}

void ModuleSong::checkRow(int64_t blockStart, int frames, SyncEventSink* sink) {
    const int order = static_cast<int>(openmpt_module_get_current_order(module_));
    const int row = static_cast<int>(openmpt_module_get_current_row(module_));
    if (!inRow_ || order != order_ || row != row_) {
        // A one-frame read pins the start exactly; in a longer read it began at its start at
        // the earliest.
        beginRow(order, row, blockStart, sink);
        return;
    }
    // A pattern loop on a single row plays the same row again without changing the row
    // number: only the passing of its due time shows it.
    if (rowRepeats_ && blockStart + frames - 1 > nextRowDue_ + kGuard) {
        beginRow(order, row, nextRowDue_, sink);
    }
}

void ModuleSong::beginRow(int order, int row, int64_t start, SyncEventSink* sink) {
    inRow_ = true;
    order_ = order;
    row_ = row;
    rowStart_ = start;

    const int speed = std::max(1, static_cast<int>(openmpt_module_get_current_speed(module_)));
    const int tempo = std::max(1, static_cast<int>(openmpt_module_get_current_tempo(module_)));
    // A tick lasts 2.5 / tempo seconds, in whole frames.
    const int64_t tickFrames = static_cast<int64_t>(rate_) * 5 / (2 * tempo);
    const int pattern = static_cast<int>(openmpt_module_get_current_pattern(module_));
    const RowInfo* info = rowInfo(pattern, row);
    const int patternDelay = info ? info->patternDelay : 0;
    rowRepeats_ = info && info->patternLoop;
    nextRowDue_ = start + static_cast<int64_t>(speed) * (1 + patternDelay) * tickFrames;

    if (map_) recordRow(order, row, start);
    rowEvents_.clear();
    if (order != lastOrder_) {
        lastOrder_ = order;
        SyncEvent e;
        e.kind = SyncEvent::kOrder;
        e.frame = start;
        e.order = order;
        e.row = static_cast<int16_t>(row);
        rowEvents_.push_back(e);
    }
    if (info) {
        const int n = triggers_.strikes(&cells_[info->firstCell], speed, patternDelay,
                                        strikes_.data(), static_cast<int>(strikes_.size()));
        if (map_) recordStrikes(n, start, tickFrames);
        for (int i = 0; i < n; ++i) {
            SyncEvent e;
            e.kind = SyncEvent::kTrigger;
            e.frame = start + strikes_[static_cast<size_t>(i)].tick * tickFrames;
            e.order = order;
            e.row = static_cast<int16_t>(row);
            e.channel = strikes_[static_cast<size_t>(i)].channel;
            e.instrument = static_cast<int16_t>(strikes_[static_cast<size_t>(i)].instrument - 1);
            rowEvents_.push_back(e);
        }
    }
    // Delayed notes come after the row's other events; listeners want frame order.
    std::stable_sort(rowEvents_.begin(), rowEvents_.end(),
                     [](const SyncEvent& a, const SyncEvent& b) { return a.frame < b.frame; });
    if (sink) {
        for (const SyncEvent& e : rowEvents_) sink->onSyncEvent(e);
    }
}

void ModuleSong::render(float* stereo, int frames, SyncEventSink* sink) {
    while (frames > 0) {
        if (staged_ == 0) {
            if (ended_ || !module_) {
                std::memset(stereo, 0, sizeof(float) * 2 * static_cast<size_t>(frames));
                position_ += frames;
                return;
            }
            mixNextBlock(sink);
            continue;
        }
        const int n = std::min(frames, staged_);
        std::memcpy(stereo, stage_.data() + 2 * stageOffset_,
                    sizeof(float) * 2 * static_cast<size_t>(n));
        stereo += 2 * n;
        frames -= n;
        stageOffset_ += n;
        staged_ -= n;
        position_ += n;
    }
}

// ---------------------------------------------------------------------------------------------
// Skipping ahead
// ---------------------------------------------------------------------------------------------

namespace {

// Passes events on and notes where the wanted order begins.
class OrderWatch final : public SyncEventSink {
  public:
    OrderWatch(int order, SyncEventSink* next) : order_(order), next_(next) {}
    void onSyncEvent(const SyncEvent& e) override {
        if (found_ < 0 && e.kind == SyncEvent::kOrder && e.order == order_) found_ = e.frame;
        if (next_) next_->onSyncEvent(e);
    }
    int64_t found() const { return found_; }

  private:
    int order_;
    SyncEventSink* next_;
    int64_t found_ = -1;
};

}  // namespace

int64_t ModuleSong::skipToOrder(int order, SyncEventSink* sink) {
    if (!module_) return -1;
    OrderWatch watch(order, sink);
    while (true) {
        // Frames already mixed lie before any order start still to come.
        position_ += staged_;
        stageOffset_ += staged_;
        staged_ = 0;
        if (ended_) return -1;
        mixNextBlock(&watch);
        // An order starts on the first frame of the read that finds it.
        if (watch.found() >= 0) return position_;
    }
}

// ---------------------------------------------------------------------------------------------
// The song map and jumps
// ---------------------------------------------------------------------------------------------

const SongMap::OrderStart* SongMap::orderStart(int order) const {
    if (order < 0 || order >= static_cast<int>(orders.size())) return nullptr;
    const OrderStart& start = orders[static_cast<size_t>(order)];
    return start.frame >= 0 ? &start : nullptr;
}

const SongMap::RowStart* SongMap::rowAtOrBefore(int64_t frame) const {
    const auto after = std::upper_bound(rows.begin(), rows.end(), frame,
                                        [](int64_t f, const RowStart& r) { return f < r.frame; });
    return after == rows.begin() ? nullptr : &*(after - 1);
}

// Called before the row's strikes change the channels' state: an order start keeps the state
// the row tracking had on reaching it.
void ModuleSong::recordRow(int order, int row, int64_t start) {
    map_->rows.push_back(SongMap::RowStart{start, order, row});
    if (order == lastOrder_ || order < 0 || order >= static_cast<int>(map_->orders.size())) return;
    SongMap::OrderStart& entry = map_->orders[static_cast<size_t>(order)];
    if (entry.frame >= 0) return;
    entry.frame = start;
    entry.row = row;
    entry.triggers = triggers_;
    entry.soundingSince = start;
    for (const int64_t strike : lastStrike_)
        if (strike >= 0) entry.soundingSince = std::min(entry.soundingSince, strike);
}

void ModuleSong::recordStrikes(int count, int64_t start, int64_t tickFrames) {
    for (int i = 0; i < count; ++i) {
        const Strike& s = strikes_[static_cast<size_t>(i)];
        if (s.channel >= 0 && s.channel < static_cast<int>(lastStrike_.size()))
            lastStrike_[static_cast<size_t>(s.channel)] = start + s.tick * tickFrames;
    }
}

bool ModuleSong::scan(SongMap& map, SyncEventSink* sink) {
    if (!module_ || mixed_ != 0 || ended_) return false;
    map = SongMap{};
    map.orders.resize(static_cast<size_t>(std::max(0, orderCount())));
    lastStrike_.assign(static_cast<size_t>(channels_), -1);
    map_ = &map;
    while (!ended_) mixNextBlock(sink);
    map_ = nullptr;
    map.endFrame = mixed_;
    position_ = mixed_;
    staged_ = 0;
    return true;
}

void ModuleSong::resetRowTracking(int64_t frame) {
    stageOffset_ = staged_ = 0;
    mixed_ = position_ = frame;
    ended_ = false;
    inRow_ = false;
    order_ = row_ = lastOrder_ = -1;
    rowRepeats_ = false;
}

// Seeks, mixes up to the order start when a preroll is given, and reads the order's first
// frame; true when that frame is the order's first row, as the map says.
bool ModuleSong::placeAt(const SongMap::RowStart* preroll, const SongMap::OrderStart& start,
                         int order, SyncEventSink* sink) {
    if (preroll) {
        openmpt_module_set_position_order_row(module_, preroll->order, preroll->row);
        // The mixer's state does not depend on the interpolation, so the stretch before the
        // order is mixed with the cheapest and the order itself with the usual.
        int32_t filter = 0;
        const bool haveFilter = openmpt_module_get_render_param(
            module_, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, &filter);
        if (haveFilter)
            openmpt_module_set_render_param(module_,
                                            OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 1);
        int64_t left = start.frame - preroll->frame;
        while (left > 0) {
            const int want = static_cast<int>(std::min<int64_t>(left, kBlock));
            const size_t got = openmpt_module_read_interleaved_float_stereo(
                module_, rate_, static_cast<size_t>(want), stage_.data());
            if (got != static_cast<size_t>(want)) break;
            left -= want;
        }
        if (haveFilter)
            openmpt_module_set_render_param(
                module_, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, filter);
        if (left > 0) return false;
    } else {
        openmpt_module_set_position_order_row(module_, order, start.row);
    }
    resetRowTracking(start.frame);
    triggers_ = start.triggers;
    mixNextBlock(sink);
    return !ended_ && order_ == order && row_ == start.row;
}

int64_t ModuleSong::jumpTo(const SongMap& map, int order, double maxPrerollSeconds,
                           SyncEventSink* sink) {
    const SongMap::OrderStart* start = map.orderStart(order);
    if (!module_ || !start) return -1;
    // Notes struck before the order may still ring in it; the stretch since the earliest of
    // them is played again, up to the limit.
    const int64_t limit = static_cast<int64_t>(maxPrerollSeconds * rate_);
    const int64_t from = std::max(start->soundingSince, start->frame - std::max<int64_t>(0, limit));
    const SongMap::RowStart* preroll = from < start->frame ? map.rowAtOrBefore(from) : nullptr;
    // Events of the first frame are held back until the song is known to be in place.
    class Held final : public SyncEventSink {
      public:
        void onSyncEvent(const SyncEvent& e) override { events.push_back(e); }
        std::vector<SyncEvent> events;
    } held;
    // A seek inside a pattern loop or past a jump may not replay the song's path: the
    // order is then entered directly, without the notes ringing into it.
    if (!placeAt(preroll, *start, order, &held) && preroll) {
        held.events.clear();
        placeAt(nullptr, *start, order, &held);
    }
    if (sink) {
        for (const SyncEvent& e : held.events) sink->onSyncEvent(e);
    }
    return start->frame;
}
