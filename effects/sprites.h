// sprites.h - batches of camera-facing, additive, depth-tested sprites.
//
// captureBillboardFrame reads the camera's right and up axes out of the current model-view
// matrix and opens a GL_QUADS batch in sprite state (additive blending, depth test on, depth
// writes off, no lighting, no texture generation). Sprites are then emitted with emitSprite
// and the batch is closed with endSpriteBatch.
#pragma once

#include "effects/effect.h"

void captureBillboardFrame(BillboardFrame& frame);

// The two halves of it, for drawing in sprite state without the batch: the camera's axes
// (and the corners from them), and the state pushed; endSpriteState restores what
// beginSpriteState pushed.
void readBillboardFrame(BillboardFrame& frame);
void beginSpriteState();
void endSpriteState();

// The four corner offsets -right-up, right-up, right+up, -right+up; captureBillboardFrame sets
// them from the camera's own axes, a caller may set stretched ones for its sprites.
void setBillboardCorners(BillboardFrame& frame, const Vector3& right, const Vector3& up);

// One sprite centred at p with half-size s: the corners p + s * corner[k] with texture
// coordinates (0,0), (1,0), (1,1), (0,1); the colour (white at alpha) is set first.
void emitSprite(const BillboardFrame& frame, const Vector3& p, float halfSize, float alpha);

// Ends the primitive, turns depth writes back on and restores the attributes.
void endSpriteBatch();
