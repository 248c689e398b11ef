// parts.cpp - what the parts share.
#include "demo/parts.h"

#include "effects/overlay.h"
#include "music/music_player.h"
#include "music/sync_slots.h"
#include "texture/texture_cache.h"

float accentShiftedTime(float time, float k) {
    return time + k * instHitCount[SyncSlot::kAccent];
}

void drawLetterbox(const char* textureName) {
    g_textureCache.bind(textureName);
    drawOverlayQuad(0.0f, kLetterboxTop, 640.0f, kLetterboxBottom, false);
}
