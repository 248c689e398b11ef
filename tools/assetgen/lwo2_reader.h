// lwo2_reader.h - reads back an LWO2 file the way the engine's object reader walks it, and
// refuses anything outside that reader's subset. The generator uses it for its previews and
// the tests use it to check every object it writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/assetgen/lwo2_model.h"

// Fills *out (in the model's coordinates, so that a written object reads back equal) and
// returns true; false with the reason in *error for a file the engine could not take:
// not FORM/LWO2, a polygon that is not a triangle, a UV map that is not 2-D, a 4-byte
// index, a chunk before the first layer that needs one, an index out of range, a length
// running past its chunk, a tag without a surface, or tag names that differ from the
// surface chunks in order (the engine indexes surfaces by tag number).
bool readLwo2(const std::vector<uint8_t>& bytes, LwoObject* out, std::string* error);
