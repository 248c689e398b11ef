// patch.h - one score instrument made into a module instrument: its sample rendered by its
// voice, tuned, looped, levelled, and given its envelope, vibrato and panning.
//
// Settings every kind takes besides its own:
//   key=C-4        the note that plays the sample at the pitch it was made at (and that `x`
//                  strikes); drums sound as made at C-4
//   volume=64      default volume 0..64 (the mix level)      pan=128    0 (left) .. 255
//   bits=16        8 halves the size for sounds that hide their noise
//   peak=0.95      the level the sample is normalised to
//   reverb=0 room=0.5 damp=0.5 tail=0.5    a room baked into one-shot samples
//   env=0:64,20:0  volume envelope, tick:value pairs (a tick is 2.5/tempo s)
//   envsustain=N, envloop=A:B  its sustain point and loop; fadeout=0..4095 after key off
//   decay=S        (cymbal) the envelope that lets the held shimmer ring out
//   vibrato=TYPE:SWEEP:DEPTH:RATE          the tracker's automatic vibrato
//   label="text"   the name shown in trackers (22 characters); seed=N for the noise
#pragma once

#include <string>

#include "music/xm_writer.h"
#include "tools/musicgen/score.h"

struct BuiltInstrument {
    xm::Instrument instrument;
    int key = 49;     // the note `x` strikes
    int volume = 64;  // default volume, for scaling steps that give none
};

// Renders def at the score's tempo. False with a line-numbered message on a bad setting.
bool buildInstrument(const score::InstrumentDef& def, const score::Score& score,
                     BuiltInstrument& out, std::string& error);
