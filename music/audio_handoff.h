// audio_handoff.h - what the audio thread hands to the main thread, without locks.
//
// Both are single-producer, single-consumer rings: the producer is whoever mixes (the audio
// device's thread, or the main thread itself when there is no device), the consumer is the
// main thread. The producer publishes how far it has written through an atomic with release
// order; the consumer reads only below that mark, acquired.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "music/sync_event.h"

class SyncEventQueue {
  public:
    explicit SyncEventQueue(int capacityLog2 = 16);

    // Producer. False when the consumer has fallen a whole ring behind; the event is lost
    // and counted.
    bool push(const SyncEvent& event);
    // Consumer.
    bool peek(SyncEvent& event) const;
    void pop();
    // Only while the producer is stopped.
    void clear();

    uint64_t dropped() const { return dropped_.load(std::memory_order_relaxed); }

  private:
    std::vector<SyncEvent> ring_;
    uint64_t mask_;
    std::atomic<uint64_t> write_{0};
    std::atomic<uint64_t> read_{0};
    std::atomic<uint64_t> dropped_{0};
};

// The mono mix of the output, by absolute frame, for the spectrum. The consumer reads only the
// half ring below the producer's published mark, and the producer writes at most half a ring
// past it, so a slot is not read while it is written. The slots are relaxed atomics all the
// same: a consumer that falls behind reads an old or a new value, never undefined behaviour,
// and on the processors we run on they are the same plain loads and stores.
class SampleHistory {
  public:
    static constexpr int kCapacity = 1 << 16;  // 1.5 s at 44100 Hz

    SampleHistory();
    // Producer: the frames [start, start + frames) of interleaved stereo.
    void write(int64_t start, const float* stereo, int frames);
    // Consumer: the `count` samples before frame `end`, given that the producer has written
    // everything below `written`. Frames never written, or already overwritten, read 0.
    void read(int64_t end, int count, int64_t written, float* out) const;
    // Only while the producer is stopped: nothing before `frame` is valid any more.
    void restart(int64_t frame);

  private:
    std::unique_ptr<std::atomic<float>[]> ring_;
    int64_t validFrom_ = 0;
};
