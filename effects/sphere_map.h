// sphere_map.h - environment mapping by sphere-map texture generation.
#pragma once

// Sphere-map generation for s and t, both switched on: the bound texture is looked up by the
// eye-space normal, so a surface mirrors it. Inside the caller's attribute push (the enable
// bits are changed; the generation modes are texture state and stay).
void enableSphereMapping();
