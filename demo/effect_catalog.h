// effect_catalog.h - every effect of the library and of the production, by name, so that each
// can be drawn alone (palisade --effect NAME): looked at, captured and measured on its own.
// The entries are those of the part table's rows.
//
// An entry prepares its effect the way the director would and draws one frame of it full
// screen, setting the camera, texture and transform the effect expects, over the cleared
// frame, without the letterbox or the shared overlay.
#pragma once

#include "demo/part_table.h"

// The entries, by name, as --effect list prints them.
int effectCount();
const EffectEntry& effectAt(int index);
// The entry of that name, or null.
const EffectEntry* findEffect(const char* name);

// One frame of an effect alone: clears, brings the sync data up to date (so effects that
// follow the music still do) and draws the entry. Prepares it on the first call.
void drawEffectFrame(const EffectEntry& entry, float time, float frameTime);
