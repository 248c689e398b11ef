// tool_input.h - the input of the inspection tools (lwoinfo, lwsinfo): a whole file on disk,
// or one entry of an archive read through the program's own reader.
#pragma once

#include <cstdint>
#include <vector>

namespace tools {

// False when the file cannot be opened or read.
bool readWholeFile(const char* path, std::vector<uint8_t>& data);
// False when the archive or the entry cannot be read.
bool readArchiveEntry(const char* archive, const char* entry, std::vector<uint8_t>& data);

}  // namespace tools
