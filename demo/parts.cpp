// parts.cpp - what the parts share.
#include "demo/parts.h"

#include "effects/overlay.h"
#include "music/music_player.h"
#include "music/sync_slots.h"
#include "texture/texture_cache.h"

namespace {

float g_partStart = 0.0f;

}  // namespace

float partSeconds(float time) {
    return time - g_partStart;
}

void setPartStart(float seconds) {
    g_partStart = seconds;
}

float accentShiftedTime(float time, float k) {
    return time + k * instHitCount[SyncSlot::kAccent];
}

void drawLetterbox(const char* textureName) {
    g_textureCache.bind(textureName);
    drawOverlayQuad(0.0f, kLetterboxTop, 640.0f, kLetterboxBottom, false);
}
