// director.h - turns the song position into the frame's picture.
//
// The song's order list is the production's timeline: each of its 32 orders selects one of
// the twelve parts (demo/part_table.h). On the very first frame the director prepares the effects,
// in a fixed order, before the first part is drawn.
#pragma once

#include "demo/parts.h"

struct PartRow;

namespace Director {

// Called once per frame by the main loop; always true (the production never ends itself).
bool frame(float time, float frameTime);

// The row of the part an order selects, and its drawing; null for orders no part draws
// (outside 0..31, negative ones included).
const PartRow* rowForOrder(int order);
PartFunction partForOrder(int order);

// Slot 50 of the sync data: the hits of instruments 44 and 45 together (the count wraps at
// 65536; the time since is the fresher of the two).
void combineAccents();

bool prepared();

// The one place where a frame's sync data is read, once per frame before anything is drawn:
// the instruments' hits and the times since (updateInstrumentTimes), slot 50 (combineAccents)
// and the spectrum of what is heard (updateSpectrum). The director and the effect viewer call
// it first thing in their frames; the parts and effects only read what it left.
void readFrameSync();

// Told the name of each first-frame preparation step ("g_metaballs.prepare", ...) just before
// it runs, so a test or a trace can follow the order; none by default.
using PrepareObserver = void (*)(const char* step);
void setPrepareObserver(PrepareObserver observer);

}  // namespace Director
