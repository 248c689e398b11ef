// sphere_map.h - texturing as a reflection: the bound texture mapped by sphere-map texture
// coordinate generation from the normals.
#pragma once

// Enables 2D texturing and sphere-map generation of s and t (the caller's enable-bit push
// undoes it).
void enableSphereMapping();
