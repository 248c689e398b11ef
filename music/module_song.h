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
//
// Jumping: skipToOrder mixes its way there from where the song is, which is exact but costs
// the mixing of everything before (about a second of processor time for a four-minute song).
// For a player that jumps around, scan() plays a song once through, muted, and keeps a
// SongMap: where each order first begins, what the row tracking needs to carry on from there,
// and every row start. jumpTo() then puts a song at an order start at once: libopenmpt seeks
// to a row shortly before it (its seek restores tempo, speed and volumes) and mixes the last
// stretch at low quality, so that the notes still ringing at the order start sound too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "music/music_source.h"
#include "music/note_triggers.h"

struct openmpt_module;

struct openmpt_module_ext;

// What one silent pass learns about a song; see ModuleSong::scan.
struct SongMap {
    struct OrderStart {
        int64_t frame = -1;         // the order's first frame when first played; -1: never played
        int row = 0;                // the row it starts on (a pattern break may enter it mid-way)
        NoteTriggers triggers;      // each channel's instrument as the order begins
        int64_t soundingSince = 0;  // the earliest note that may still ring then
    };
    struct RowStart {
        int64_t frame;
        int32_t order;
        int32_t row;
    };

    std::vector<OrderStart> orders;  // by order number
    std::vector<RowStart> rows;      // every row start, as played
    int64_t endFrame = -1;           // where the song ends

    const OrderStart* orderStart(int order) const;
    // The last row start at or before `frame`, or null.
    const RowStart* rowAtOrBefore(int64_t frame) const;
};

class ModuleSong final : public MusicSource {
  public:
    ModuleSong() = default;
    ~ModuleSong() override;
    ModuleSong(const ModuleSong&) = delete;
    ModuleSong& operator=(const ModuleSong&) = delete;

    // Loads a module from memory (the data is copied) to be mixed at `rate` frames per
    // second. False, with libopenmpt's reason in *error when given, if it is not a module.
    // `muted` readies it for scan().
    bool load(const void* data, size_t size, int rate, std::string* error = nullptr,
              bool muted = false);

    void render(float* stereo, int frames, SyncEventSink* sink) override;
    bool finished() const override { return ended_ && staged_ == 0; }

    // Plays silently from here until `order` begins, handing its events to sink, and stops
    // on the order's first frame. Returns that frame, or -1 when the song ends first.
    int64_t skipToOrder(int order, SyncEventSink* sink);

    // On a freshly loaded song: plays it through to its end with every channel muted (a
    // tenth of the cost of mixing it), filling `map` and handing every event to sink.
    // The song is spent afterwards. False when it is no fresh song.
    bool scan(SongMap& map, SyncEventSink* sink);

    // Puts the song (loaded from the same module as the map) at the start of `order`, in
    // any state, ended or not: the frames and events from there on are those of a run from
    // the top, and the sound is too but for notes struck more than maxPrerollSeconds before
    // that still ring. Events of the order's first frame go to sink. Returns that frame,
    // or -1 (song untouched) when the song never plays the order.
    int64_t jumpTo(const SongMap& map, int order, double maxPrerollSeconds, SyncEventSink* sink);

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
    void recordRow(int order, int row, int64_t start);
    void recordStrikes(int count, int64_t start, int64_t tickFrames);
    void resetRowTracking(int64_t frame);
    bool placeAt(const SongMap::RowStart* preroll, const SongMap::OrderStart& start, int order,
                 SyncEventSink* sink);

    openmpt_module* module_ = nullptr;
    openmpt_module_ext* ext_ = nullptr;  // owns module_ when loaded muted
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

    // While scanning: the map being filled and each channel's last strike.
    SongMap* map_ = nullptr;
    std::vector<int64_t> lastStrike_;
};
