// rarpack.h - the rarpack command line: create RAR 2.0 archives (a), extract them (x), list
// them (l), test them (t) and print one entry (p). Everything but creating goes through the
// program's own archive reader.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "archive/archive_writer.h"

namespace rarpack {

struct AddOptions {
    rar::PackOptions pack;
    bool fixedTime = false;
    time_t time = 0;  // every entry's time when fixedTime (taken as UTC)
    std::string archive;
    std::vector<std::string> paths;
};

// Parses the arguments after "a". False with a message for the user on a usage error.
bool parseAddArguments(const std::vector<std::string>& args, const char* sourceDateEpoch,
                       AddOptions* options, std::string* error);

// MS-DOS time of a file time: local time, or UTC for a fixed (reproducible) time.
uint32_t dosTimeOf(time_t t, bool utc);

struct ExtractOptions {
    std::string archive;
    std::string directory = ".";
    bool overwrite = false;  // -o: replace existing files (otherwise kept and reported)
};

// The relative path ('/' between the parts) an entry is written to, or false when its stored
// name would leave the directory: a ".." part, a leading '\' or '/', a drive letter, or
// nothing left once empty and "." parts are dropped.
bool safeEntryPath(const char* stored, std::string* relative);

int addCommand(const AddOptions& options);
int extractCommand(const ExtractOptions& options);
int listCommand(const std::string& archive);
int testCommand(const std::string& archive);
int printCommand(const std::string& archive, const std::string& name);

// The whole program; returns the exit status.
int run(int argc, char** argv);

}  // namespace rarpack
