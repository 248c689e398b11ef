#include "tools/rarpack/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace rarpack {

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temp_.empty()) std::remove(temp_.c_str());
    temp_.clear();
}

bool AtomicFile::open(const std::string& target, std::string* error) {
    target_ = target;
    std::vector<char> pattern(target.begin(), target.end());
    const char suffix[] = ".tmpXXXXXX";
    pattern.insert(pattern.end(), suffix, suffix + sizeof(suffix));
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        *error = target + ": cannot create a temporary file beside it: " + std::strerror(errno);
        return false;
    }
    temp_ = pattern.data();
    // mkstemp makes the file private; give it what a newly created file would have.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    file_ = fdopen(fd, "wb");
    if (!file_) {
        close(fd);
        *error = target + ": " + std::strerror(errno);
        discard();
        return false;
    }
    return true;
}

bool AtomicFile::commit(std::string* error) {
    if (!file_) {
        *error = target_ + ": not open";
        return false;
    }
    const bool written =
        std::fflush(file_) == 0 && !std::ferror(file_) && fsync(fileno(file_)) == 0;
    const int writeErrno = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!written || !closed) {
        *error = target_ + ": write failed: " + std::strerror(written ? errno : writeErrno);
        discard();
        return false;
    }
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        *error = target_ + ": " + std::strerror(errno);
        discard();
        return false;
    }
    temp_.clear();
    return true;
}

}  // namespace rarpack
