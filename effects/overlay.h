// overlay.h - textured rectangles in the fixed 640 x 480 overlay space.
//
// x runs from 0 (left) to 640 (right), y from 0 (top) to 480 (bottom), z is clipped to
// [-100, 100]; the real window size never enters, so an overlay stretches with the window.
// Letterbox pictures, titles, credits, fades and flashes all go through here.
#pragma once

// The letterbox band between the two logo bars, in overlay y: a part's own picture fills it.
constexpr float kLetterboxTop = 73.0f;
constexpr float kLetterboxBottom = 407.0f;

// Pushes the enable bits and both matrices and sets up the overlay projection. Depth test,
// lighting, culling and texture generation go off; texturing, blending and the bound texture
// stay as the caller set them.
void beginOverlay();
// Undoes exactly one beginOverlay.
void endOverlay();

// Limits drawing to the letterbox band between the logo bars, which is
// all a part's own picture shows of itself once the opaque bars are drawn over it: drawing
// outside it only costs fill. endLetterboxClip lifts the limit again; the bars themselves
// must be drawn without it.
void beginLetterboxClip();
void endLetterboxClip();

// One rectangle with the bound texture and the current colour, the picture's top row at y0.
// With blend, the blend function becomes (source alpha, one minus source alpha) and stays so
// afterwards; only the enable bit is restored.
void drawOverlayQuad(float x0, float y0, float x1, float y1, bool blend);

// The same with the texture window given: (uStart, vStart) at the bottom-left corner, sizes
// (uSize, vSize). A window larger than 1 repeats the picture; one that moves scrolls it.
void drawOverlayQuadUV(float x0, float y0, float x1, float y1, float uStart, float vStart,
                       float uSize, float vSize, bool blend);
