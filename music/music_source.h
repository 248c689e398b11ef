// music_source.h - anything the player can pull stereo frames from: a module or a stream.
#pragma once

#include "music/sync_event.h"

class MusicSource {
  public:
    virtual ~MusicSource() = default;
    // Produces exactly `frames` interleaved stereo frames, silence once the music has ended.
    // Sync events are announced no later than the call that produces their frame (a delayed
    // note may be announced ahead of it); sink may be null.
    virtual void render(float* stereo, int frames, SyncEventSink* sink) = 0;
    // True once every frame of the music has been produced.
    virtual bool finished() const = 0;
};
