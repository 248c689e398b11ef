#include "archive/byte_source.h"

#include <sys/types.h>

#include <cstring>

namespace rar {

FileSource::~FileSource() {
    if (file_) std::fclose(file_);
}

bool FileSource::open(const char* path) {
    file_ = std::fopen(path, "rb");
    if (!file_) return false;
    if (fseeko(file_, 0, SEEK_END) != 0) return false;
    const off_t end = ftello(file_);
    if (end < 0) return false;
    size_ = static_cast<uint64_t>(end);
    return true;
}

bool FileSource::readAt(uint64_t offset, void* dst, size_t n) const {
    if (!file_ || offset > size_ || n > size_ - offset) return false;
    if (n == 0) return true;
    if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
    return std::fread(dst, 1, n, file_) == n;
}

bool MemorySource::readAt(uint64_t offset, void* dst, size_t n) const {
    if (offset > size_ || n > size_ - offset) return false;
    if (n) std::memcpy(dst, data_ + offset, n);
    return true;
}

}  // namespace rar
