// module_song.h - a tracker module decoded and mixed by libopenmpt, with its sync events.
//
// libopenmpt reports where the song is (order, row, speed, tempo) but calls nobody back, so
// the song finds its own row starts: it mixes in small reads and asks for the row after each
// one. Where the next row is due (row length = speed x (1 + pattern delay) ticks), it reads
// one frame at a time, so every row start - and with it every order change and every note -
// is stamped with the exact output frame. Should a row start where it was not expected, it
// is still found within a 16-frame read.
//
// The reads are scheduled by song position alone, never by how the caller slices its
// requests, so the same song gives the same frames and events however it is pulled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "music/music_source.h"
#include "music/note_triggers.h"

struct openmpt_module;

class ModuleSong final : public MusicSource {
  public:
    ModuleSong() = default;
    ~ModuleSong() override;
    ModuleSong(const ModuleSong&) = delete;
    ModuleSong& operator=(const ModuleSong&) = delete;

    // Loads a module from memory (the data is copied) to be mixed at `rate` frames per
    // second. False, with libopenmpt's reason in *error when given, if it is not a module.
    bool load(const void* data, size_t size, int rate, std::string* error = nullptr);

    void render(float* stereo, int frames, SyncEventSink* sink) override;
    bool finished() const override { return ended_ && staged_ == 0; }

    // Plays silently from here until `order` begins, handing its events to sink, and stops
    // on the order's first frame. Returns that frame, or -1 when the song ends first.
    int64_t skipToOrder(int order, SyncEventSink* sink);

    // Frames handed out so far.
    int64_t position() const { return position_; }
    int rate() const { return rate_; }
    int firstOrder() const { return firstOrder_; }
    int orderCount() const;
    // The song's length played once from the top, in seconds (libopenmpt's estimate).
    double durationSeconds() const;
    int channelCount() const { return channels_; }
    int instrumentCount() const { return instruments_; }
    int patternOfOrder(int order) const;
    std::string title() const;
    std::string formatName() const;
    // Name of instrument i (0-based), or of sample i in formats without instruments.
    std::string instrumentName(int instrument) const;

  private:
    struct RowInfo {
        uint32_t firstCell;
        uint8_t patternDelay;
        bool patternLoop;
    };

    void buildRowTable();
    void decodeCell(int pattern, int row, int channel, CellInfo& cell) const;
    int nextReadSize() const;
    void mixNextBlock(SyncEventSink* sink);
    void checkRow(int64_t blockStart, int frames, SyncEventSink* sink);
    void beginRow(int order, int row, int64_t start, SyncEventSink* sink);
    const RowInfo* rowInfo(int pattern, int row) const;

    openmpt_module* module_ = nullptr;
    int rate_ = 44100;
    int channels_ = 0;
    int instruments_ = 0;
    int firstOrder_ = 0;
    bool s3mFamily_ = false;  // effect letters of S3M/IT rather than MOD/XM

    // Pattern data, decoded once at load so that mixing never allocates.
    std::vector<CellInfo> cells_;
    std::vector<RowInfo> rows_;
    std::vector<uint32_t> firstRowOfPattern_;
    std::vector<int> rowsOfPattern_;

    NoteTriggers triggers_;
    std::vector<Strike> strikes_;
    std::vector<SyncEvent> rowEvents_;

    // Mixed frames waiting to be handed out.
    std::vector<float> stage_;
    int stageOffset_ = 0;
    int staged_ = 0;
    int64_t mixed_ = 0;     // frames read from libopenmpt
    int64_t position_ = 0;  // frames handed out
    bool ended_ = false;

    // The row being played and when the next one is due.
    bool inRow_ = false;
    int order_ = -1;
    int row_ = -1;
    int lastOrder_ = -1;
    int64_t rowStart_ = 0;
    int64_t nextRowDue_ = 0;
    bool rowRepeats_ = false;  // a pattern loop may play this very row again
};
