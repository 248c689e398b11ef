// entry_scanner.h - walks the file entries of one archive in order and reads the ones the
// caller wants. In a solid archive an entry builds on the decoder state the entries before it
// left, so entries passed over still go through the decoder (stored ones excepted: they take
// no part in that state).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "archive/archive_walker.h"
#include "archive/byte_source.h"
#include "archive/decompressor.h"

namespace rar {

// Most bytes one packed byte can stand for: every symbol takes at least one bit and yields at
// most 260 bytes. A header that claims more is damaged, and is refused before any allocation.
constexpr uint64_t kMaxExpansion = 8 * 260;

class EntryScanner {
  public:
    explicit EntryScanner(const ByteSource& source) : source_(source), walker_(source) {}

    bool open() { return walker_.open(); }
    bool solidArchive() const { return walker_.solidArchive(); }

    WalkStep next() { return walker_.next(header_); }
    const FileHeader& header() const { return header_; }

    // Reads the current entry into a new malloc block (at least one byte long, so that an
    // empty entry still gets a buffer) and checks its CRC. On failure *buffer stays null.
    bool extract(unsigned char** buffer);
    // Moves past the current entry without keeping its bytes.
    bool pass();

  private:
    bool decodable() const;
    bool decode(uint8_t* output);

    const ByteSource& source_;
    ArchiveWalker walker_;
    FileHeader header_;
    std::unique_ptr<Decompressor> decoder_;
};

}  // namespace rar
