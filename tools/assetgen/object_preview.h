// object_preview.h - a small software rasteriser that shows an object the way the engine
// draws it: normals averaged over shared points where the surface smooths, faceted where it
// does not, back faces culled, and sphere-mapped with the texture it wears on screen.
#pragma once

#include "tools/assetgen/image.h"
#include "tools/assetgen/lwo2_model.h"

struct PreviewView {
    float yaw = 0.6f, pitch = 0.45f;  // radians, turning the object before the camera
    int layer = 0;
};

// A size x size picture on a dark ground. With a sphere map the surface shows its
// reflection; without one it is lit from the upper left in its surface colour.
Image renderObjectPreview(const LwoObject& object, int size, const Image* sphereMap,
                          const PreviewView& view);
