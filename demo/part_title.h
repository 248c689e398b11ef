// part_title.h - where the title of order 7 stands on the screen at a given moment.
#pragma once

// A rectangle of the overlay space (640 x 480, y downwards).
struct OverlayRect {
    float x0, y0, x1, y1;
};

// The title strip (100, 100)-(540, 140), stretched 3200 pixels up and down until 7.5 s into
// the part, then snapping in (3200 e^(-4 (local - 7.5)) each way), and shaking sideways after
// each hit of the title's instruments, only as much as it is still stretched.
// local: seconds since the part began; time: the frame clock; sinceHit: seconds since the
// fresher of the title's impact and stab.
OverlayRect titlePlacement(float local, float time, float sinceHit);
