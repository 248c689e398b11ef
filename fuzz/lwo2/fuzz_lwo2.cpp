// fuzz_lwo2 - the LWO2 reader on arbitrary bytes. Whatever it accepts must also be safe to
// compute normals on, as the program does next.
#include <cstddef>
#include <cstdint>

#include "mesh/mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Mesh mesh;
    if (mesh.read(data, size) == LwoStatus::Ok) mesh.computeNormals();
    return 0;
}
