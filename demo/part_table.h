// part_table.h - the production described once: every part with its orders, the first-frame
// preparation of its effects, its drawing and its entries in the effect viewer.
//
// Each row is defined in its part's own file (part_<name>.cpp); part_table.cpp lists the
// rows. The director's order table, the first frame's preparation and the viewer's list
// (palisade --effect) are all read from here, so a new part is one file and one row.
#pragma once

#include <cstddef>

#include "demo/parts.h"

// One step of the first frame's preparation, run once before the first part is drawn.
struct PrepareStep {
    int place;         // its place among all the steps of every row (0 runs first)
    const char* name;  // what it runs ("g_metaballs.prepare"), for traces and tests
    void (*run)();
};

// A step or viewer entry that only prepares a global: prepareGlobal<g_metaballs>.
template <auto& global>
void prepareGlobal() {
    global.prepare();
}

// An effect drawn alone, full screen, by the viewer (palisade --effect NAME): with the camera,
// texture and transform its part gives it, without the letterbox and the shared overlay.
struct EffectEntry {
    const char* name;         // what --effect takes, lower case
    const char* description;  // one line for --effect list
    void (*prepare)();        // one-time work, run before the first frame
    void (*draw)(float time, float frameTime);
};

struct PartRow {
    const char* name;  // as the benchmarks call it
    // The orders it draws, first to last; both -1 for a row of effects no order draws.
    int firstOrder, lastOrder;
    PartFunction draw;  // null where it draws no order
    const PrepareStep* steps;
    size_t stepCount;
    const EffectEntry* entries;
    size_t entryCount;
};

namespace PartTable {

size_t rowCount();
const PartRow& row(size_t index);

}  // namespace PartTable
