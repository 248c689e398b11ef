// playback_controls.h - the keys that steer the production while it plays in real time.
//
//   Space   pauses and resumes picture and music together
//   Left    jumps to the start of the previous order (at the first order: to its start)
//   Right   jumps to the start of the next order the song plays
//   Home    starts the song again
// With looping on, the song starts again when it has ended instead of holding its last part.
//
// A jump brings the frame clock to the song time of the order, as --start-order does, and
// the player gives the sync data of a run from the top; paused, the production stays paused
// at the new place. While paused both clocks stand still and the music's position too.
//
// Which key asks for what is a plain mapping (playbackActionFor), apart from acting on it.
#pragma once

#include "platform/platform.h"

class FrameTimer;
class MusicPlayer;

enum class PlaybackAction { None, TogglePause, PreviousOrder, NextOrder, Restart };

// What a key event asks of the playback; None for any other event or key (Escape is the
// window's). A held key repeats the jumps but neither pauses nor restarts again.
PlaybackAction playbackActionFor(const platform::Event& event);

class PlaybackControls {
  public:
    PlaybackControls(FrameTimer& frameClock, MusicPlayer& player, bool loop)
        : clock_(frameClock), player_(player), loop_(loop) {}

    // Acts on a key press; true when it asked for something and that changed the playback.
    bool handleEvent(const platform::Event& event) { return perform(playbackActionFor(event)); }
    bool perform(PlaybackAction action);
    // Before each frame: starts an ended song again when looping. True when it did.
    bool beforeFrame();

    bool paused() const { return paused_; }
    void togglePause();
    // True when the song is now at the start of `order`.
    bool jumpToOrder(int order);
    // The nearest order the song plays in the direction of step (+1 or -1) from the order
    // being heard.
    bool stepOrder(int step);
    bool restart();

  private:
    FrameTimer& clock_;
    MusicPlayer& player_;
    bool loop_;
    bool paused_ = false;
};
