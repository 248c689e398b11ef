// file_collector.h - turns the PATH arguments of "rarpack a" into the list of files to store:
// a file under its own name, a directory as every file below it, named relative to the
// directory with '\' between the parts, in a fixed (sorted) order so that the same tree always
// gives the same archive.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace rarpack {

struct SourceFile {
    std::string path;  // to open
    std::string name;  // as stored
    time_t modified = 0;
    bool readOnly = false;
};

struct CollectResult {
    std::vector<SourceFile> files;
    std::vector<std::string> errors;    // the archive must not be written
    std::vector<std::string> warnings;  // things passed over on purpose
};

// Files found to be `skip` (the archive being replaced, say) are passed over with a note.
CollectResult collectFiles(const std::vector<std::string>& paths, const std::string& skip = "");

}  // namespace rarpack
