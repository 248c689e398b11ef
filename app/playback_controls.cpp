#include "app/playback_controls.h"

#include "display/frame_timer.h"
#include "music/music_player.h"

namespace {

constexpr int kMaxOrders = 256;  // the longest order list a module format allows

}  // namespace

PlaybackAction playbackActionFor(const platform::Event& event) {
    if (event.kind != platform::EventKind::KeyDown) return PlaybackAction::None;
    switch (event.key) {
        case platform::KeySpace:
            // A held key would flicker between the two.
            return event.repeat ? PlaybackAction::None : PlaybackAction::TogglePause;
        case platform::KeyLeft:
            return PlaybackAction::PreviousOrder;
        case platform::KeyRight:
            return PlaybackAction::NextOrder;
        case platform::KeyHome:
            return event.repeat ? PlaybackAction::None : PlaybackAction::Restart;
        default:
            return PlaybackAction::None;
    }
}

bool PlaybackControls::perform(PlaybackAction action) {
    switch (action) {
        case PlaybackAction::TogglePause:
            togglePause();
            return true;
        case PlaybackAction::PreviousOrder:
            return stepOrder(-1);
        case PlaybackAction::NextOrder:
            return stepOrder(+1);
        case PlaybackAction::Restart:
            return restart();
        case PlaybackAction::None:
            break;
    }
    return false;
}

bool PlaybackControls::beforeFrame() {
    if (!loop_ || paused_ || !player_.finished()) return false;
    return restart();
}

void PlaybackControls::togglePause() {
    paused_ = !paused_;
    // Without music (it failed to start) the picture still pauses.
    if (paused_) {
        player_.pause();
        clock_.pause();
    } else {
        player_.resume();
        clock_.resume();
    }
}

bool PlaybackControls::jumpToOrder(int order) {
    const double seconds = player_.seekToOrder(order);
    if (seconds < 0) return false;
    clock_.startAt(seconds);
    return true;
}

bool PlaybackControls::stepOrder(int step) {
    const int current = player_.getOrder();
    if (current < 0) return false;
    for (int order = current + step; order >= 0 && order < kMaxOrders; order += step) {
        if (jumpToOrder(order)) return true;
    }
    return step < 0 && jumpToOrder(current);
}

bool PlaybackControls::restart() {
    const int first = player_.firstOrder();
    return first >= 0 && jumpToOrder(first);
}
