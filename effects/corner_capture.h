// corner_capture.h - drawing into the lower-left corner of the framebuffer and copying that
// corner into textures: how the reflections, the feedback zoom and the zoom blur render to a
// texture without an offscreen buffer.
//
// A capture sets the viewport to the size x size corner and limits drawing and clears to it
// with the scissor (a part's letterbox clip would cut the corner, and a depth clear should not
// wipe the whole window for every cube face). endCornerCapture puts the full-window viewport
// and whatever clip was on back. One capture at a time: the corner is one piece of one
// framebuffer.
#pragma once

// A new size x size RGBA texture of zero bytes with linear filtering, to copy corners into.
// The 2D texture binding is left as it was.
unsigned createCornerTexture(int size);

// Viewport and scissor become the lower-left size x size pixels.
void beginCornerCapture(int size);
// Copies the corner (level 0, offset 0, 0) into the image of target of the bound texture,
// limited to the part of the corner that lies inside the window: a window smaller than the
// corner leaves the rest of the texture as it was instead of reading outside the framebuffer.
void copyCornerToTexture(unsigned target, int size);
// Reads the lower-left width x height pixels back into out (width x height RGBA texels, rows
// bottom-up): the same bytes a copy into an RGBA texture would give, with the part outside
// the window as zeros.
void readCornerRegion(int width, int height, unsigned char* out);
// During a capture: viewport and scissor become the size x size square at x, y, so that many
// small images can be drawn side by side and read back at once.
void useCornerTile(int x, int y, int size);
// Copies the part of the corner from (x, y), width x height, to the same place in the image of
// target of the bound texture, limited to the window like copyCornerToTexture.
void copyCornerPartToTexture(unsigned target, int x, int y, int width, int height);
// The clip that was on when the capture began, as x, y, width, height in window pixels;
// false when none was.
bool cornerCaptureClip(int box[4]);
// Full-window viewport, and the scissor test and box as they were before beginCornerCapture.
void endCornerCapture();

// How many columns and rows of a corner size pixels wide or high lie inside the window.
int cornerCopyWidth(int size);
int cornerCopyHeight(int size);
