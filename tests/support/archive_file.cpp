#include "tests/support/archive_file.h"

#include "archive/archive_writer.h"
#include "tests/support/test_support.h"

namespace testsupport {

bool writeArchive(const std::string& path, const ArchiveEntries& entries) {
    std::vector<uint8_t> bytes;
    rar::VectorSink sink(bytes);
    rar::ArchiveWriter writer(sink, rar::PackOptions());
    if (!writer.begin()) return false;
    for (const auto& [name, data] : entries)
        if (!writer.add(name.c_str(), data.data(), data.size(),
                        rar::dosDateTime(2004, 4, 1, 0, 0, 0), 0x20))
            return false;
    return writeFile(path, bytes);
}

}  // namespace testsupport
