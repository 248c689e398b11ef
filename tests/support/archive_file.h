// archive_file.h - data archives written by a test, to read back through the program's reader.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

using ArchiveEntries = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

// Packs the entries, in the order given, into a RAR archive at path; false when it could not be
// packed or written.
bool writeArchive(const std::string& path, const ArchiveEntries& entries);

}  // namespace testsupport
