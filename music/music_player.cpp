#include "music/music_player.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "music/module_song.h"
#include "music/stream_song.h"
#include "platform/audio.h"
#include "platform/platform.h"

// ---------------------------------------------------------------------------------------------
// Globals. One translation unit, so the clock exists before the player that reads it.
// ---------------------------------------------------------------------------------------------

uint16_t instHitCount[kInstrumentSlots] = {};
float instHitTime[kInstrumentSlots] = {};
float instSinceHit[kInstrumentSlots] = {};
FrameTimer musicClock;
MusicPlayer g_musicPlayer;

void onInstrumentTriggered(const ModuleSong*, int instrument, double heardAt) {
    if (instrument < 0 || instrument >= kInstrumentSlots) return;
    instHitTime[instrument] = static_cast<float>(heardAt);
    instHitCount[instrument] = static_cast<uint16_t>(instHitCount[instrument] + 1);
}

namespace {

// What the user is shown when the music cannot start: what failed, then why.
void tellFailure(const std::string& what, const std::string& why) {
    platform::showMessage((why.empty() ? what : what + ": " + why).c_str());
}

std::string audioReason() {
    const char* reason = platform::audioError();
    return reason && *reason ? reason : "no device";
}

constexpr int kDeviceBufferFrames = 1024;  // about 23 ms at 44100 Hz
constexpr int kMixChunk = 1024;            // frames mixed at a time on the main thread
// How far back a jump replays the notes that ring into the order, at about 1.3 ms of
// processor time per second of music: enough for most decays and echoes, not for a drone
// held from far back.
constexpr double kMaxPrerollSeconds = 8.0;

void resetSyncArrays() {
    for (int i = 0; i < kInstrumentSlots; ++i) {
        instHitCount[i] = 0;
        instHitTime[i] = 0.0f;
        instSinceHit[i] = 0.0f;
    }
}

// Keeps the events a seek passes over until the new song is in place.
class EventList final : public SyncEventSink {
  public:
    void onSyncEvent(const SyncEvent& event) override { events.push_back(event); }
    std::vector<SyncEvent> events;
};

// The sync data as an order begins, for the instruments the arrays hold.
struct OrderSync {
    uint16_t count[kInstrumentSlots] = {};
    int64_t lastHit[kInstrumentSlots];  // frame of the last trigger; -1 never struck
    OrderSync() {
        for (int64_t& f : lastHit) f = -1;
    }
};

// Counts the triggers of a silent pass and notes the counts as each order first begins:
// everything before the order's first frame has arrived by then, nothing after it.
class SyncTally final : public SyncEventSink {
  public:
    explicit SyncTally(std::vector<OrderSync>& out) : out_(out), seen_(out.size(), false) {}
    void onSyncEvent(const SyncEvent& e) override {
        if (e.kind == SyncEvent::kOrder && e.order >= 0 &&
            e.order < static_cast<int>(out_.size()) && !seen_[static_cast<size_t>(e.order)]) {
            seen_[static_cast<size_t>(e.order)] = true;
            out_[static_cast<size_t>(e.order)] = now_;
        } else if (e.kind == SyncEvent::kTrigger && e.instrument >= 0 &&
                   e.instrument < kInstrumentSlots) {
            now_.count[e.instrument] = static_cast<uint16_t>(now_.count[e.instrument] + 1);
            now_.lastHit[e.instrument] = e.frame;
        }
    }

  private:
    std::vector<OrderSync>& out_;
    std::vector<bool> seen_;
    OrderSync now_;
};

}  // namespace

// What quick jumps need: the song's map, the sync data of every order start, and a second
// copy of the song to put in place while the first one plays on.
struct MusicPlayer::JumpMap {
    SongMap map;
    std::vector<OrderSync> sync;  // by order
    std::unique_ptr<ModuleSong> spare;
    bool ok = false;

    // Runs on its own thread; touches nothing but this and the module's bytes.
    void build(const unsigned char* data, size_t size, int rate) {
        ModuleSong scanned;
        if (!scanned.load(data, size, rate, nullptr, true)) return;
        sync.assign(static_cast<size_t>(std::max(0, scanned.orderCount())), OrderSync());
        SyncTally tally(sync);
        if (!scanned.scan(map, &tally)) return;
        spare = std::make_unique<ModuleSong>();
        ok = spare->load(data, size, rate);
    }
};

MusicPlayer::MusicPlayer() = default;

MusicPlayer::~MusicPlayer() {
    // The device thread must be gone before the state it reads.
    if (device_) platform::closeAudioDevice(device_);
    device_ = nullptr;
    dropJumpMap();
}

void MusicPlayer::setSyncObserver(SyncObserver observer, void* user) {
    observer_ = observer;
    observerUser_ = user;
}

// ---------------------------------------------------------------------------------------------
// Output
// ---------------------------------------------------------------------------------------------

bool MusicPlayer::init(int mixRate, int maxChannels) {
    if (initialised_) return true;
    if (mixRate < 8000 || mixRate > 192000 || maxChannels < 1 || maxChannels > 1024) {
        tellFailure("Cannot start the music", "mixing rate " + std::to_string(mixRate) +
                                                  " or channel count " +
                                                  std::to_string(maxChannels) + " out of range");
        return false;
    }
    if (!analyser_.init()) {
        tellFailure("Cannot start the music", "the spectrum analyser cannot be set up");
        return false;
    }
    rate_ = mixRate;
    mixBuffer_.assign(2 * kMixChunk, 0.0f);
    if (!startOutput()) return false;
    initialised_ = true;
    return true;
}

bool MusicPlayer::startOutput() {
    if (lockstepWanted_) {
        output_ = Output::Lockstep;
        return true;
    }
    const char* reason = nullptr;
    if (!platform::initAudio()) {
        reason = platform::audioError();
        if (!silentAllowed_) {
            tellFailure("Cannot open the audio output", audioReason());
            return false;
        }
    } else {
        platform::AudioFormat format;
        device_ = platform::openAudioDevice(rate_, kDeviceBufferFrames, fillDevice, this, &format);
        if (device_ && format.rate != rate_) {
            platform::closeAudioDevice(device_);
            device_ = nullptr;
        }
        if (device_) {
            latencyFrames_ = format.latencyFrames;
            output_ = Output::Device;
            return true;
        }
        reason = platform::audioError();
        if (!silentAllowed_) {
            tellFailure("Cannot open the audio output", audioReason());
            return false;
        }
    }
    // No sound card is no reason to stop the show: the timeline runs on, silent.
    std::fprintf(stderr, "No audio output (%s); the music plays silently.\n",
                 reason && *reason ? reason : "no device");
    output_ = Output::Silent;
    return true;
}

void MusicPlayer::lockOutput() {
    if (device_) platform::lockAudioDevice(device_);
}

void MusicPlayer::unlockOutput() {
    if (device_) platform::unlockAudioDevice(device_);
}

void MusicPlayer::fillDevice(void* user, float* stereo, int frames) {
    MusicPlayer* self = static_cast<MusicPlayer*>(user);
    if (!self->running_.load(std::memory_order_acquire) ||
        self->paused_.load(std::memory_order_acquire) || !self->source_) {
        // Between songs and while paused the output is silent and the song's frame count
        // stands still.
        std::memset(stereo, 0, sizeof(float) * 2 * static_cast<size_t>(frames));
        return;
    }
    const int64_t first = self->produced_.load(std::memory_order_relaxed);
    self->publishAnchor(platform::counter(), first);
    self->source_->render(stereo, frames, &self->queueSink_);
    self->history_.write(first, stereo, frames);
    self->produced_.store(first + frames, std::memory_order_release);
}

// A sequence lock: the device thread writes the pair, the main thread reads it whole. The
// pair's own release stores and acquire loads order them after the odd count and before the
// count read again, without fences (which ThreadSanitizer cannot follow); on x86 they are
// plain moves all the same.
void MusicPlayer::publishAnchor(int64_t ticks, int64_t frame) {
    const uint32_t seq = anchorSeq_.load(std::memory_order_relaxed);
    anchorSeq_.store(seq + 1, std::memory_order_relaxed);
    anchorTicks_.store(ticks, std::memory_order_release);
    anchorFrame_.store(frame, std::memory_order_release);
    anchorSeq_.store(seq + 2, std::memory_order_release);
}

bool MusicPlayer::readAnchor(int64_t& ticks, int64_t& frame) const {
    for (int attempt = 0; attempt < 64; ++attempt) {
        const uint32_t before = anchorSeq_.load(std::memory_order_acquire);
        if (before & 1u) continue;
        ticks = anchorTicks_.load(std::memory_order_acquire);
        frame = anchorFrame_.load(std::memory_order_acquire);
        if (anchorSeq_.load(std::memory_order_relaxed) == before) return before != 0;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Opening and playing
// ---------------------------------------------------------------------------------------------

void MusicPlayer::stopSource() {
    if (device_) platform::pauseAudioDevice(device_, true);
    lockOutput();
    running_.store(false, std::memory_order_release);
    source_.reset();
    module_ = nullptr;
    queue_.clear();
    unlockOutput();
    playing_ = false;
}

void MusicPlayer::resetPosition(int64_t frame) {
    // Only with the device stopped or locked: the producer side is ours for the moment.
    queue_.clear();
    history_.restart(frame);
    produced_.store(frame, std::memory_order_release);
    anchorSeq_.store(0, std::memory_order_release);
    startFrame_ = frame;
    heard_ = frame;
    endHeard_ = false;
    endFrame_ = -1;
}

bool MusicPlayer::openMemory(const void* data, size_t size, bool isStream) {
    return openNamed(data, size, isStream, nullptr, "no music data");
}

bool MusicPlayer::openNamed(const void* data, size_t size, bool isStream, const char* name,
                            const char* missing) {
    std::string failure =
        isStream ? "Cannot read the music stream" : "Cannot read the music module";
    if (name) failure += std::string(" ") + name;
    dropJumpMap();  // it reads the bytes about to be replaced
    stopSource();
    paused_.store(false, std::memory_order_release);
    isStream_ = isStream;
    heardOrder_ = -1;
    orderBegins_.clear();
    openFailed_ = true;
    if (!initialised_ || !data || size == 0) {
        tellFailure(failure, !initialised_ ? "the music player has not started" : missing);
        return false;
    }
    data_.assign(static_cast<const unsigned char*>(data),
                 static_cast<const unsigned char*>(data) + size);
    std::string reason;
    std::unique_ptr<MusicSource> source;
    if (isStream) {
        auto stream = std::make_unique<StreamSong>();
        if (stream->load(data_.data(), data_.size(), rate_, &reason)) source = std::move(stream);
    } else {
        auto song = std::make_unique<ModuleSong>();
        if (song->load(data_.data(), data_.size(), rate_, &reason)) source = std::move(song);
    }
    if (!source) {
        data_.clear();
        tellFailure(failure, reason);
        return false;
    }
    lockOutput();
    resetPosition(0);
    source_ = std::move(source);
    if (!isStream) module_ = static_cast<ModuleSong*>(source_.get());
    unlockOutput();

    if (module_) {
        resetSyncArrays();
        // reset() also picks up a switch to the manual clock made since start-up.
        musicClock.reset();
        heardOrder_ = module_->firstOrder();
    }
    setBase(platform::counter(), 0);
    openFailed_ = false;
    return true;
}

bool MusicPlayer::play() {
    if (!source_) {
        // A failed open has already said what went wrong; a second box would add nothing.
        if (!openFailed_) tellFailure("Cannot play the music", "no module or stream is open");
        return false;
    }
    if (playing_) return true;
    playing_ = true;
    heard_ = produced_.load(std::memory_order_acquire);
    if (output_ == Output::Lockstep) {
        setBase(musicClock.startCount(), 0);
    } else {
        setBase(platform::counter(), heard_);
    }
    running_.store(true, std::memory_order_release);
    // Streams are started paused and then let go, so the first buffer is complete.
    if (device_) platform::pauseAudioDevice(device_, false);
    // The map for quick jumps is made while the song plays, on a thread of its own.
    startJumpMap();
    return true;
}

void MusicPlayer::close() {
    dropJumpMap();
    paused_.store(false, std::memory_order_release);
    if (device_) {
        platform::closeAudioDevice(device_);  // the device thread is gone after this
        device_ = nullptr;
    }
    running_.store(false, std::memory_order_release);
    source_.reset();
    module_ = nullptr;
    data_.clear();
    queue_.clear();
    playing_ = false;
    openFailed_ = false;
    heardOrder_ = -1;
    if (output_ == Output::Device || output_ == Output::Silent) platform::shutdownAudio();
    output_ = Output::None;
    initialised_ = false;
}

// ---------------------------------------------------------------------------------------------
// Where the song is heard
// ---------------------------------------------------------------------------------------------

void MusicPlayer::setBase(int64_t ticks, int64_t frame) {
    baseTicks_ = ticks;
    baseFrame_ = frame;
}

double MusicPlayer::timeOfFrame(int64_t frame) const {
    const double frequency = static_cast<double>(musicClock.frequency());
    return static_cast<double>(baseTicks_ - musicClock.startCount()) / frequency +
           static_cast<double>(frame - baseFrame_) / rate_;
}

int64_t MusicPlayer::deviceHeardFrame(int64_t now) {
    int64_t ticks = 0;
    int64_t first = 0;
    // The device asked for `first` when it had latencyFrames_ left to play: from then on
    // the output moves at the mixing rate.
    if (readAnchor(ticks, first)) setBase(ticks, first - latencyFrames_);
    const double frequency = static_cast<double>(musicClock.frequency());
    const double elapsed = static_cast<double>(now - baseTicks_) / frequency;
    int64_t heard = baseFrame_ + static_cast<int64_t>(std::floor(elapsed * rate_));
    // Never backwards, never past what has been mixed.
    heard = std::min(heard, produced_.load(std::memory_order_acquire));
    return std::max(heard, heard_);
}

void MusicPlayer::pump() {
    if (!source_ || !playing_ || paused_.load(std::memory_order_relaxed)) return;
    switch (output_) {
        case Output::Device:
            heard_ = deviceHeardFrame(platform::counter());
            deliverUntil(heard_);
            break;
        case Output::Silent: {
            const double frequency = static_cast<double>(musicClock.frequency());
            const double elapsed =
                static_cast<double>(platform::counter() - baseTicks_) / frequency;
            const int64_t target = baseFrame_ + static_cast<int64_t>(std::floor(elapsed * rate_));
            const int64_t produced = produced_.load(std::memory_order_relaxed);
            if (target > produced) mixHere(target - produced, nullptr);
            break;
        }
        case Output::Lockstep:
            deliverUntil(heard_);
            break;
        case Output::None:
            break;
    }
}

void MusicPlayer::mixHere(int64_t frames, std::vector<float>* pcm) {
    while (frames > 0) {
        const int n = static_cast<int>(std::min<int64_t>(frames, kMixChunk));
        const int64_t first = produced_.load(std::memory_order_relaxed);
        source_->render(mixBuffer_.data(), n, &queueSink_);
        history_.write(first, mixBuffer_.data(), n);
        produced_.store(first + n, std::memory_order_release);
        if (pcm) pcm->insert(pcm->end(), mixBuffer_.begin(), mixBuffer_.begin() + 2 * n);
        // Without a device, a frame is heard the moment it is mixed.
        heard_ = first + n;
        deliverUntil(heard_);
        frames -= n;
    }
}

void MusicPlayer::deliverUntil(int64_t heard) {
    SyncEvent event;
    while (queue_.peek(event) && event.frame < heard) {
        queue_.pop();
        deliver(event);
    }
}

void MusicPlayer::deliver(const SyncEvent& event) {
    const double heardAt = timeOfFrame(event.frame);
    switch (event.kind) {
        case SyncEvent::kOrder:
            heardOrder_ = event.order;
            noteOrderBegins(event.order, event.frame);
            break;
        case SyncEvent::kTrigger:
            if (event.instrument >= 0 && event.instrument < kInstrumentSlots) {
                onInstrumentTriggered(module_, event.instrument, heardAt);
            }
            break;
        case SyncEvent::kEnd:
            endHeard_ = true;
            endFrame_ = event.frame;
            break;
    }
    if (observer_) observer_(observerUser_, event, heardAt);
}

// ---------------------------------------------------------------------------------------------
// Queries
// ---------------------------------------------------------------------------------------------

void MusicPlayer::noteOrderBegins(int order, int64_t frame) {
    if (order < 0 || frame < 0) return;
    if (orderBegins_.size() <= static_cast<size_t>(order))
        orderBegins_.resize(static_cast<size_t>(order) + 1, -1);
    int64_t& begins = orderBegins_[static_cast<size_t>(order)];
    if (begins < 0) begins = frame;
}

double MusicPlayer::orderStartSeconds(int order) const {
    if (!module_ || order < 0 || static_cast<size_t>(order) >= orderBegins_.size()) return -1.0;
    const int64_t frame = orderBegins_[static_cast<size_t>(order)];
    return frame < 0 ? -1.0 : static_cast<double>(frame) / rate_;
}

int MusicPlayer::getOrder() {
    pump();
    return module_ ? heardOrder_ : -1;
}

void MusicPlayer::updateInstrumentTimes() {
    pump();
    musicClock.update();
    const double now = musicClock.elapsedSeconds();
    for (int i = 0; i < kInstrumentSlots; ++i) {
        instSinceHit[i] = static_cast<float>(now - static_cast<double>(instHitTime[i]));
    }
}

void MusicPlayer::updateSpectrum() {
    pump();
    float samples[SpectrumAnalyser::kInput];
    history_.read(heard_, SpectrumAnalyser::kInput, produced_.load(std::memory_order_acquire),
                  samples);
    analyser_.analyse(samples, spectrum_);
}

// ---------------------------------------------------------------------------------------------
// Lockstep and seeking
// ---------------------------------------------------------------------------------------------

bool MusicPlayer::advanceFrames(int64_t frames, std::vector<float>* pcm) {
    if (output_ != Output::Lockstep || !source_ || !playing_) return false;
    if (frames > 0) mixHere(frames, pcm);
    return true;
}

bool MusicPlayer::advanceTo(double seconds, std::vector<float>* pcm) {
    if (output_ != Output::Lockstep || !source_ || !playing_) return false;
    const int64_t target = static_cast<int64_t>(std::llround(seconds * rate_));
    return advanceFrames(target - produced_.load(std::memory_order_relaxed), pcm);
}

double MusicPlayer::songSeconds() {
    if (!module_) return -1.0;
    lockOutput();
    const double seconds = module_->durationSeconds();
    unlockOutput();
    return seconds;
}

double MusicPlayer::seekToOrder(int order) {
    if (!module_ || order < 0) return -1.0;
    if (output_ != Output::Lockstep && prepareJumps()) return seekByMap(order);
    return seekByMixing(order);
}

double MusicPlayer::seekByMixing(int order) {
    // The live module is the mixing thread's while the device plays.
    lockOutput();
    const int orders = module_->orderCount();
    unlockOutput();
    if (order >= orders) return -1.0;

    // Played from the top on a song of its own, so that a failure leaves ours untouched and
    // the device keeps playing meanwhile.
    auto song = std::make_unique<ModuleSong>();
    if (!song->load(data_.data(), data_.size(), rate_)) return -1.0;
    EventList passed;
    const int64_t at = song->skipToOrder(order, &passed);
    if (at < 0) return -1.0;

    lockOutput();
    resetPosition(at);
    source_ = std::move(song);
    module_ = static_cast<ModuleSong*>(source_.get());
    // Events from the order's first frame on are still to be heard.
    for (const SyncEvent& e : passed.events) {
        if (e.frame >= at) queue_.push(e);
    }
    unlockOutput();

    if (output_ == Output::Lockstep) {
        setBase(musicClock.startCount(), 0);
    } else {
        // The music clock reads the song's time from here on, as after playing from the top:
        // an instrument never struck reads as struck at the song's start, not just now.
        musicClock.startAt(static_cast<double>(at) / rate_);
        setBase(platform::counter(), at);
    }
    resetSyncArrays();
    for (const SyncEvent& e : passed.events) {
        if (e.frame < at) deliver(e);
    }
    noteOrderBegins(order, at);
    heardOrder_ = order;
    return static_cast<double>(at) / rate_;
}

double MusicPlayer::seekByMap(int order) {
    JumpMap& jumps = *jumps_;
    if (!jumps.map.orderStart(order) || !jumps.spare) return -1.0;
    // The spare is ours alone: it is put in place while the device plays on.
    EventList first;
    const int64_t at = jumps.spare->jumpTo(jumps.map, order, kMaxPrerollSeconds, &first);
    if (at < 0) return -1.0;

    lockOutput();
    resetPosition(at);
    std::unique_ptr<MusicSource> previous = std::move(source_);
    source_ = std::move(jumps.spare);
    module_ = static_cast<ModuleSong*>(source_.get());
    for (const SyncEvent& e : first.events) queue_.push(e);
    unlockOutput();
    // Module mode only ever plays module songs; the one replaced serves the next jump.
    jumps.spare.reset(static_cast<ModuleSong*>(previous.release()));

    // As after playing from the top: frame `at` is heard when the music clock reads its
    // song time.
    const double seconds = static_cast<double>(at) / rate_;
    musicClock.startAt(seconds);
    setBase(musicClock.startCount() + static_cast<int64_t>(std::llround(
                                          seconds * static_cast<double>(musicClock.frequency()))),
            at);
    for (size_t k = 0; k < jumps.map.orders.size(); ++k)
        noteOrderBegins(static_cast<int>(k), jumps.map.orders[k].frame);
    const OrderSync& sync = jumps.sync[static_cast<size_t>(order)];
    for (int i = 0; i < kInstrumentSlots; ++i) {
        instHitCount[i] = sync.count[i];
        instHitTime[i] =
            sync.lastHit[i] < 0 ? 0.0f : static_cast<float>(timeOfFrame(sync.lastHit[i]));
        instSinceHit[i] = 0.0f;
    }
    heardOrder_ = order;
    return seconds;
}

// ---------------------------------------------------------------------------------------------
// Pause and the jump map
// ---------------------------------------------------------------------------------------------

bool MusicPlayer::pause() {
    if (!playing_ || paused_ || (output_ != Output::Device && output_ != Output::Silent))
        return false;
    pump();  // the position as of now
    lockOutput();
    paused_.store(true, std::memory_order_release);
    unlockOutput();
    musicClock.pause();
    return true;
}

bool MusicPlayer::resume() {
    if (!paused_) return false;
    musicClock.resume();
    lockOutput();
    // The device's last request was before the pause; the next one tells anew.
    anchorSeq_.store(0, std::memory_order_release);
    paused_.store(false, std::memory_order_release);
    unlockOutput();
    // The song goes on from the frame where it stood, at the music clock's time then.
    setBase(platform::counter(), heard_);
    return true;
}

int MusicPlayer::firstOrder() const {
    return module_ ? module_->firstOrder() : -1;
}

int MusicPlayer::orderCount() {
    if (!module_) return -1;
    lockOutput();  // the module is the mixing thread's while the device plays
    const int orders = module_->orderCount();
    unlockOutput();
    return orders;
}

void MusicPlayer::startJumpMap() {
    if (jumps_ || !module_ || (output_ != Output::Device && output_ != Output::Silent)) return;
    jumps_ = std::make_unique<JumpMap>();
    JumpMap* jumps = jumps_.get();
    const unsigned char* data = data_.data();
    const size_t size = data_.size();
    const int rate = rate_;
    jumpThread_ = std::thread([jumps, data, size, rate] { jumps->build(data, size, rate); });
}

void MusicPlayer::dropJumpMap() {
    if (jumpThread_.joinable()) jumpThread_.join();
    jumps_.reset();
}

bool MusicPlayer::prepareJumps() {
    startJumpMap();
    if (jumpThread_.joinable()) jumpThread_.join();
    return jumps_ && jumps_->ok;
}
