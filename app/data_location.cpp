#include "app/data_location.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isFile(const std::string& path) {
    struct stat s;
    return stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode);
}

std::string workingDirectory() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : ".";
}

}  // namespace

DataLocation locateData(const std::string& given, const std::string& installed) {
    DataLocation location;
    if (!given.empty()) {
        // Named by the user: read as it stands, and its own problem reported.
        location.path = given;
        location.looked.push_back(given);
        return location;
    }
    const std::string here = workingDirectory() + "/data.rar";
    for (const std::string& candidate : {here, installed}) {
        if (candidate.empty()) continue;
        location.looked.push_back(candidate);
        if (isFile(candidate)) {
            location.path = candidate == here ? "data.rar" : candidate;
            return location;
        }
    }
    return location;
}

std::string dataNotFoundMessage(const DataLocation& location) {
    std::string text = "Cannot find the data archive data.rar; looked for";
    for (size_t i = 0; i < location.looked.size(); ++i)
        text += (i == 0 ? " " : " and ") + location.looked[i];
    return text + ". Start the program where data.rar is, or name it with --data FILE";
}
