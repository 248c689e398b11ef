#include "music/audio_handoff.h"

#include <algorithm>

SyncEventQueue::SyncEventQueue(int capacityLog2)
    : ring_(size_t{1} << capacityLog2), mask_((uint64_t{1} << capacityLog2) - 1) {}

bool SyncEventQueue::push(const SyncEvent& event) {
    const uint64_t w = write_.load(std::memory_order_relaxed);
    if (w - read_.load(std::memory_order_acquire) > mask_) {
        dropped_.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    ring_[w & mask_] = event;
    write_.store(w + 1, std::memory_order_release);
    return true;
}

bool SyncEventQueue::peek(SyncEvent& event) const {
    const uint64_t r = read_.load(std::memory_order_relaxed);
    if (r == write_.load(std::memory_order_acquire)) return false;
    event = ring_[r & mask_];
    return true;
}

void SyncEventQueue::pop() {
    const uint64_t r = read_.load(std::memory_order_relaxed);
    if (r != write_.load(std::memory_order_acquire)) read_.store(r + 1, std::memory_order_release);
}

void SyncEventQueue::clear() {
    read_.store(write_.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

SampleHistory::SampleHistory() : ring_(new std::atomic<float>[kCapacity]) {
    for (int i = 0; i < kCapacity; ++i) ring_[i].store(0.0f, std::memory_order_relaxed);
}

void SampleHistory::write(int64_t start, const float* stereo, int frames) {
    for (int i = 0; i < frames; ++i) {
        const float mono = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
        ring_[static_cast<size_t>((start + i) & (kCapacity - 1))].store(mono,
                                                                        std::memory_order_relaxed);
    }
}

void SampleHistory::read(int64_t end, int count, int64_t written, float* out) const {
    end = std::min(end, written);
    // The producer may be writing up to half a ring ahead; older frames are gone.
    const int64_t oldestSafe = std::max(validFrom_, written - kCapacity / 2);
    for (int i = 0; i < count; ++i) {
        const int64_t frame = end - count + i;
        out[i] = frame >= oldestSafe && frame < end
                     ? ring_[static_cast<size_t>(frame & (kCapacity - 1))].load(
                           std::memory_order_relaxed)
                     : 0.0f;
    }
}

void SampleHistory::restart(int64_t frame) {
    validFrom_ = frame;
}
