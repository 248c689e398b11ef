// sphere_map.h - texture coordinates from the eye-space normal, the chrome look of most
// effects.
#pragma once

// Sphere-map generation for s and t, both switched on (enable bits: callers restore them).
void enableSphereMapping();
