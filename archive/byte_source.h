// byte_source.h - where the reader takes archive bytes from: a file opened for one call, or
// a block of memory (tests and the fuzz target). The reader only ever asks for whole
// ranges that lie inside the source, so a short read always means a damaged archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace rar {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual uint64_t size() const = 0;
    // Copies exactly n bytes from offset; false when the range is not all there.
    virtual bool readAt(uint64_t offset, void* dst, size_t n) const = 0;
};

class FileSource final : public ByteSource {
  public:
    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool open(const char* path);
    uint64_t size() const override { return size_; }
    bool readAt(uint64_t offset, void* dst, size_t n) const override;

  private:
    std::FILE* file_ = nullptr;
    uint64_t size_ = 0;
};

class MemorySource final : public ByteSource {
  public:
    MemorySource(const void* data, size_t size)
        : data_(static_cast<const uint8_t*>(data)), size_(size) {}
    uint64_t size() const override { return size_; }
    bool readAt(uint64_t offset, void* dst, size_t n) const override;

  private:
    const uint8_t* data_;
    size_t size_;
};

}  // namespace rar
