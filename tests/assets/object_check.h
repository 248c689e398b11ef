// object_check.h - a generated object read back with the program's own LWO2 reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "tools/assetgen/lwo2_model.h"

// Reads the file's bytes into *mesh and fails the calling test where the program would not
// load the object exactly as it was built: refused, or any point, triangle, corner order,
// surface, block, UV map or clip that differs from the model.
void expectReadsAsBuilt(const std::string& name, const LwoObject& built,
                        const std::vector<uint8_t>& bytes, Mesh* mesh);
