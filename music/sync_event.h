// sync_event.h - what the song tells the pictures, stamped with the output frame it is heard at.
#pragma once

#include <cstdint>

struct SyncEvent {
    enum Kind : uint8_t {
        kOrder,    // the song enters an order (order, row: its first row played)
        kTrigger,  // a note is struck (order, row, channel, instrument)
        kEnd,      // the song has ended; silence follows
    };

    int64_t frame = 0;  // output frame, counted from the song's first frame
    int32_t order = -1;
    int16_t row = -1;
    int16_t channel = -1;     // triggers only
    int16_t instrument = -1;  // triggers only; 0-based (the module's instrument 1 is 0)
    Kind kind = kOrder;
};

// Receives sync events in the order of their frames.
class SyncEventSink {
  public:
    virtual void onSyncEvent(const SyncEvent& event) = 0;

  protected:
    ~SyncEventSink() = default;
};
