// music_player.h - the production's music and the sync data the pictures follow.
//
// One global player, g_musicPlayer, plays a tracker module (or, in stream mode, a WAV, OGG
// or FLAC recording) and keeps three kinds of sync data: the order being heard (getOrder),
// per-instrument trigger counts and times (instHitCount, instHitTime, instSinceHit) and a
// 512-band spectrum of what is being heard (spectrum()).
//
// Where the sound comes from and goes to:
//   - Device: an audio device pulls frames on its own thread; the player mixes there.
//   - Silent: no device could be opened; the song is mixed on the main thread as the clock
//     runs, so the timeline, triggers and spectrum go on without sound.
//   - Lockstep: the caller advances the song itself (advanceFrames, advanceTo) by exact
//     numbers of frames; nothing depends on real time, so two runs are identical.
//
// Sync is delivered as it is heard, not as it is mixed: every trigger carries the output
// frame its note starts on, and it reaches the sync arrays on the main thread (inside
// getOrder, updateInstrumentTimes and updateSpectrum, or while advancing in lockstep) once
// the output has played that frame. Its instHitTime is the musicClock time at which that
// frame was heard, so instSinceHit does not depend on when the frame code looked. All sync
// data is written on the main thread only; the audio thread hands events and samples over
// through lock-free rings (audio_handoff.h).
//
// In lockstep the song's time is the music clock's time: frame f is heard at musicClock
// time f / rate. A caller that uses the manual platform clock keeps it in step with the
// song (advancing both by the same span, and bringing the clock to the time seekToOrder
// returns).
//
// Jumps in real time: when a module starts playing on a device or silently, a background
// thread plays it once through, muted (about a tenth of a second of processor time), and
// keeps the sync state of every order start and a second copy of the song. seekToOrder then
// takes well under 100 ms wherever it lands: it puts the spare copy at the order (see
// ModuleSong::jumpTo), swaps it in and sets the sync data from the map. In lockstep a seek
// mixes its way from the top as before, so that every run gives the same sound.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "display/frame_timer.h"
#include "music/audio_handoff.h"
#include "music/spectrum.h"
#include "music/sync_event.h"

namespace platform {
struct AudioDevice;
}
class MusicSource;
class ModuleSong;

constexpr int kInstrumentSlots = 64;

// Sync data, indexed by instrument 0..63 (the module's instrument i + 1). Written by the
// player on the main thread; reset when a module is opened.
extern uint16_t instHitCount[kInstrumentSlots];  // wraps at 65536
extern float instHitTime[kInstrumentSlots];      // musicClock seconds of the last trigger heard
extern float instSinceHit[kInstrumentSlots];     // recomputed by updateInstrumentTimes

// The clock of the instrument timing; restarted when a module is opened.
extern FrameTimer musicClock;

// Called once for each note struck with instrument 0..63, when the output has played it.
// heardAt is the musicClock time of the note's first frame.
void onInstrumentTriggered(const ModuleSong* module, int instrument, double heardAt);

class MusicPlayer {
  public:
    static constexpr int kSpectrumBands = SpectrumAnalyser::kBands;

    enum class Output { None, Device, Silent, Lockstep };

    // Called for every sync event as it is heard, instruments above 63 included (tools).
    using SyncObserver = void (*)(void* user, const SyncEvent& event, double heardAt);

    MusicPlayer();
    ~MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    // --- What the start-up, the director and the overlay call --------------------------------

    // Starts the output at mixRate (8000..192000) frames per second. maxChannels (1..1024)
    // is checked but the mixer needs no voice limit. Without an audio device the player
    // goes silent rather than failing, unless allowSilentOutput(false).
    bool init(int mixRate, int maxChannels);
    // Reads the archive entry from data.rar and opens it (openMemory).
    bool open(const char* entryName, bool isStream);
    // Opens music held in memory (copied). Module mode restarts musicClock and clears the
    // sync arrays. A failure of these and of init and play shows one message: what failed
    // ("Cannot read the music module NAME", "Cannot open the audio output") and why.
    bool openMemory(const void* data, size_t size, bool isStream);
    bool play();
    // Stops and releases the music and the output.
    void close();

    // The order being heard; -1 when no module is open. After the song ends the last order
    // stays.
    int getOrder();
    // Delivers the triggers heard so far, then instSinceHit = musicClock now - instHitTime.
    void updateInstrumentTimes();
    // Recomputes spectrum() from the 1024 samples before the frame being heard.
    void updateSpectrum();
    // 512 magnitudes, band k around k x rate / 1024 Hz; a full-scale sine reads about 1.0.
    const float* spectrum() const { return spectrum_; }
    bool isStream() const { return isStream_; }
    // Length of the open module played once, in seconds; -1 without a module.
    double songSeconds();

    // --- Set-up, before init --------------------------------------------------------------

    // Lockstep output: no device; the song moves only through advanceFrames/advanceTo.
    void useLockstep(bool on) { lockstepWanted_ = on; }
    // Whether init may fall back to silent output when no audio device opens (default yes).
    void allowSilentOutput(bool allowed) { silentAllowed_ = allowed; }
    void setSyncObserver(SyncObserver observer, void* user);

    // --- Lockstep ---------------------------------------------------------------------------

    // Mixes exactly `frames` more frames, delivering the sync events they contain, and
    // appends them (interleaved stereo) to pcm when given. False unless playing in lockstep.
    bool advanceFrames(int64_t frames, std::vector<float>* pcm = nullptr);
    // Advances to song time `seconds` (frame round(seconds x rate)); never goes back.
    bool advanceTo(double seconds, std::vector<float>* pcm = nullptr);

    // Puts the song where order `order` first begins, with the sync data (counts, times,
    // current order) that playing it from the start would have given. Returns the song time
    // of that point in seconds, or -1 (song untouched) when there is no module or the song
    // never reaches that order. Works before play and while playing, paused or not, in
    // every output, after the song's end too; in real time it also sets musicClock to that
    // song time. In real time the sync observer sees only the events from that point on;
    // in lockstep it sees those before it too, as the song is mixed up to there.
    double seekToOrder(int order);

    // --- Real time: pause and jumps ---------------------------------------------------------

    // Stops the song where it is heard: the output goes silent (what the device holds
    // already still plays), musicClock and the sync data stand still. False unless a song
    // plays on a device or silently.
    bool pause();
    // Goes on from where the song stopped; musicClock resumes from where it stood.
    bool resume();
    bool paused() const { return paused_; }
    // Builds the map of order starts now if it is not there yet, and waits for it. False
    // where jumps are not quick: lockstep, streams, no module, or a song that cannot be read.
    bool prepareJumps();
    // The module's first order; -1 without a module.
    int firstOrder() const;
    // How many orders the module's order list holds; -1 without a module.
    int orderCount();
    // The song time, in seconds, at which order `order` first begins when the song is played
    // from the top; -1 where the player does not know it yet: the order has not been heard,
    // passed by a seek, or found by the jump map.
    double orderStartSeconds(int order) const;

    // --- State ------------------------------------------------------------------------------

    Output output() const { return output_; }
    int mixRate() const { return rate_; }
    // Frames of the song heard so far (the song's position), as of the last query.
    int64_t heardFrame() const { return heard_; }
    // True once the end of the song has been heard; endFrame() then tells where it was.
    bool finished() const { return endHeard_; }
    int64_t endFrame() const { return endFrame_; }
    // Events lost because the main thread stopped collecting for a very long time.
    uint64_t droppedEvents() const { return queue_.dropped(); }

  private:
    struct JumpMap;

    class QueueSink final : public SyncEventSink {
      public:
        explicit QueueSink(SyncEventQueue& queue) : queue_(queue) {}
        void onSyncEvent(const SyncEvent& event) override { queue_.push(event); }

      private:
        SyncEventQueue& queue_;
    };

    static void fillDevice(void* user, float* stereo, int frames);

    bool startOutput();
    // openMemory, naming the music in the message of a failure (name may be null) and
    // saying `missing` when there are no bytes.
    bool openNamed(const void* data, size_t size, bool isStream, const char* name,
                   const char* missing);
    void stopSource();
    void pump();
    void mixHere(int64_t frames, std::vector<float>* pcm);
    int64_t deviceHeardFrame(int64_t now);
    void deliverUntil(int64_t heard);
    void deliver(const SyncEvent& event);
    double timeOfFrame(int64_t frame) const;
    void setBase(int64_t ticks, int64_t frame);
    void publishAnchor(int64_t ticks, int64_t frame);
    bool readAnchor(int64_t& ticks, int64_t& frame) const;
    void lockOutput();
    void unlockOutput();
    void resetPosition(int64_t frame);
    void startJumpMap();
    void dropJumpMap();
    double seekByMixing(int order);
    double seekByMap(int order);

    // Set-up.
    bool lockstepWanted_ = false;
    bool silentAllowed_ = true;
    SyncObserver observer_ = nullptr;
    void* observerUser_ = nullptr;

    // Output.
    bool initialised_ = false;
    Output output_ = Output::None;
    int rate_ = 44100;
    platform::AudioDevice* device_ = nullptr;
    int latencyFrames_ = 0;

    // The music. source_ is used by the audio thread while running_; the main thread
    // replaces it only with the output locked.
    std::vector<unsigned char> data_;
    std::unique_ptr<MusicSource> source_;
    ModuleSong* module_ = nullptr;  // source_ in module mode
    bool isStream_ = false;
    bool openFailed_ = false;
    bool playing_ = false;
    std::atomic<bool> running_{false};

    // Handed from the mixing thread to the main thread.
    SyncEventQueue queue_;
    QueueSink queueSink_{queue_};
    SampleHistory history_;
    std::atomic<int64_t> produced_{0};  // frames mixed and written to the history
    std::atomic<uint32_t> anchorSeq_{0};
    std::atomic<int64_t> anchorTicks_{0};  // counter when the device last asked for frames
    std::atomic<int64_t> anchorFrame_{0};  // the first frame it was given then

    // Main thread: where the song is heard.
    int64_t startFrame_ = 0;  // first frame of this run (after a seek, the order's start)
    int64_t heard_ = 0;
    int64_t baseTicks_ = 0;  // frame baseFrame_ is heard at counter baseTicks_
    int64_t baseFrame_ = 0;
    int heardOrder_ = -1;
    std::vector<int64_t> orderBegins_;  // by order: its first frame when played from the top
    void noteOrderBegins(int order, int64_t frame);
    bool endHeard_ = false;
    int64_t endFrame_ = -1;

    // Pause: the device plays silence and the song's position stands still.
    std::atomic<bool> paused_{false};

    // Quick jumps: built by jumpThread_, then the main thread's alone.
    std::unique_ptr<JumpMap> jumps_;
    std::thread jumpThread_;

    SpectrumAnalyser analyser_;
    float spectrum_[kSpectrumBands] = {};
    std::vector<float> mixBuffer_;
};

extern MusicPlayer g_musicPlayer;
