// lwo2_writer.h - stores an LwoObject as a LightWave LWO2 file.
//
// Only what the engine's object reader takes: triangles, 2-byte point and polygon indices,
// 2-D UV maps, surfaces with colour, diffuse, luminosity, specular, smoothing angle,
// sidedness and image blocks, layers and still-image clips.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/lwo2_model.h"

// The largest index the 2-byte form of an LWO2 index can hold.
constexpr uint32_t kLwoMaxShortIndex = 0xFEFF;

// The file's bytes, or an empty vector with the reason in *error when the object does not
// fit the subset (too many points or triangles for 2-byte indices, an index out of range,
// layers not numbered 0, 1, 2, ..., a surface index without a surface).
std::vector<uint8_t> writeLwo2(const LwoObject& object, std::string* error);
