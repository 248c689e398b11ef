// part_title.cpp - order 7: two spinning shredders with lens flares at their shards, and the
// title sliding in over them, landing on the beat at 7.5 s.
#include "demo/part_title.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "demo/logo_overlay.h"
#include "demo/part_table.h"
#include "demo/parts.h"
#include "effects/overlay.h"
#include "effects/sphere_map.h"
#include "effects/sprites.h"
#include "mesh/mesh_library.h"
#include "music/music_player.h"
#include "music/sync_slots.h"
#include "texture/texture_cache.h"

namespace {

constexpr const char* kShredder = "lwos\\shredder.lwo";

BillboardFrame g_flares;  // the lens flares' camera frame, refilled every frame

// Seconds since the fresher of the title's two instruments.
float sinceTitleHit() {
    return std::min(instSinceHit[SyncSlot::kTitleImpact], instSinceHit[SyncSlot::kTitleStab]);
}

// The shredders: the drum with its blades, then the shards turning the other way about the
// same axis, a lens flare on every shard point.
void drawShredders(float time, BillboardFrame& flares) {
    glTranslatef(8.0f, 0.0f, -24.0f);
    glEnable(GL_TEXTURE_2D);
    enableSphereMapping();
    g_textureCache.bind("textures\\testenvmap.jpg");
    glRotatef(-60.0f, 0, 0, 1);
    glRotatef(220.0f, 0, 1, 0);
    glRotatef(45.0f * time, 1, 0, 0);
    // A damped shake along x after each accent.
    const float a = 10.0f * std::exp(-0.8f * instSinceHit[SyncSlot::kAccent]);
    glTranslatef(-0.3f * a * std::sin(a), 0.0f, 0.0f);
    g_meshLibrary.draw(kShredder, 0);
    glRotatef(-90.0f * time, 1, 0, 0);
    g_meshLibrary.draw(kShredder, 1);

    g_textureCache.bind("textures\\lens.jpg");
    captureBillboardFrame(flares);
    // A missing shredder has been reported by the draws above; it gets no flares.
    const Mesh* shredder = g_meshLibrary.find(kShredder);
    if (const MeshLayer* shards = shredder ? shredder->layer(1) : nullptr)
        for (const Vector3& p : shards->points) emitSprite(flares, p, 2.0f, 1.0f);
    endSpriteBatch();
}

}  // namespace

OverlayRect titlePlacement(float local, float time, float sinceHit) {
    const float slide = local <= 7.5f ? 3200.0f : 3200.0f * std::exp(-4.0f * (local - 7.5f));
    const float shake =
        std::exp(-2.0f * sinceHit) * 100.0f * std::sin(3670.0f * time) * (slide / 3200.0f);
    return {100.0f + shake, 100.0f - slide, 540.0f + shake, 140.0f + slide};
}

namespace {

void partTitle(float time, float frameTime) {
    const float local = partSeconds(time);

    glPushAttrib(kAllAttributeGroups);
    drawLetterbox("textures\\design-clogo-creativity-back.jpg");
    // Below the logo bars only: the shredders and their flares stay under them.
    beginLetterboxClip();
    drawShredders(time, g_flares);
    endLetterboxClip();
    g_logoOverlay.draw(time, frameTime, 2);

    const float sinceHit = sinceTitleHit();
    const OverlayRect title = titlePlacement(local, time, sinceHit);
    g_textureCache.bind("textures\\title.png");
    drawOverlayQuad(title.x0, title.y0, title.x1, title.y1, true);
    g_textureCache.bind("textures\\noise.png");
    drawNoiseOverlay(std::exp(-2.0f * sinceHit));
    glPopAttrib();
}

}  // namespace

// The title draws effects of other rows only: nothing of its own to prepare or view alone.
extern const PartRow kTitlePart = {"title", 7, 7, partTitle, nullptr, 0, nullptr, 0};
