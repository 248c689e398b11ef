// data_location.h - where the production's data archive is found.
//
// The archive named with --data when one is; otherwise data.rar in the working directory,
// and then the one installed with the program (PALISADE_INSTALLED_DATA).
#pragma once

#include <string>
#include <vector>

struct DataLocation {
    std::string path;                 // the archive to read; empty when none was found
    std::vector<std::string> looked;  // every place looked at, in order
};

// given: the --data file, or empty. installed: the installed archive's path.
DataLocation locateData(const std::string& given, const std::string& installed);

// What to tell the user when no archive was found: every place looked and what to do.
std::string dataNotFoundMessage(const DataLocation& location);
