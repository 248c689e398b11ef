#include "tools/common/tool_input.h"

#include <cstdio>
#include <cstdlib>

#include "archive/archive.h"

namespace tools {

bool readWholeFile(const char* path, std::vector<uint8_t>& data) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        data.insert(data.end(), chunk, chunk + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool readArchiveEntry(const char* archive, const char* entry, std::vector<uint8_t>& data) {
    unsigned char* buffer = nullptr;
    size_t size = 0;
    if (!Archive::getEntry(&buffer, &size, entry, archive, "")) return false;
    data.assign(buffer, buffer + size);
    std::free(buffer);
    return true;
}

}  // namespace tools
