// atomic_file.h - writes a file under a temporary name beside its target and renames it into
// place only when everything was written, so a failure never leaves a half-written file under
// the target name.
#pragma once

#include <cstdio>
#include <string>

namespace rarpack {

class AtomicFile {
  public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open(const std::string& target, std::string* error);
    std::FILE* stream() { return file_; }
    // Flushes, syncs and renames over the target. After a failure the temporary file is gone.
    bool commit(std::string* error);

  private:
    void discard();

    std::string target_;
    std::string temp_;
    std::FILE* file_ = nullptr;
};

}  // namespace rarpack
