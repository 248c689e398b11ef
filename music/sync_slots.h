// sync_slots.h - the instrument slots of the sync arrays that the production's pictures follow.
//
// A slot is the module's instrument number minus one. The score (assets/music/palisade.score)
// strikes each of these instruments where the pictures expect it; the production-music tests
// check that it does.
#pragma once

namespace SyncSlot {

constexpr int kTitleImpact = 8;   // falling boom under the title (order 7): shakes the title
constexpr int kTitleStab = 9;     // minor-chord stab under the title (order 7): shakes the title
constexpr int kCrash = 42;        // crash on the first row of every order: logo wobble, flash
constexpr int kSnareAccent = 44;  // snare accents of the drops: time jumps, flashes
constexpr int kKickAccent = 45;   // kick accents of the drops: time jumps, flashes
// Not an instrument: the director folds the two accents together here every frame.
constexpr int kAccent = 50;

}  // namespace SyncSlot
