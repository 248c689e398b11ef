// archive_walker.h - the container walk: the marker, the main header, and the blocks up to
// each file header. Positions are checked against the size of the source, so a damaged
// header ends the walk instead of sending it outside the file.
#pragma once

#include <cstdint>

#include "archive/archive_format.h"
#include "archive/byte_source.h"

namespace rar {

// One file header as stored, with where its data lies.
struct FileHeader {
    uint64_t blockStart = 0;
    uint64_t dataStart = 0;  // block start + header size
    uint64_t nextBlock = 0;
    uint16_t flags = 0;
    uint16_t headerSize = 0;
    uint32_t packedSize = 0;
    uint32_t unpackedSize = 0;
    uint8_t hostSystem = 0;
    uint32_t fileCrc = 0;
    uint32_t fileTime = 0;
    uint8_t unpackVersion = 0;
    uint8_t method = 0;
    uint16_t nameSize = 0;  // after the cut to kMaxEntryName
    uint32_t attributes = 0;
    bool headerCrcMatches = false;
    char name[kMaxEntryName + 1] = {};

    bool stored() const { return method == kMethodStored; }
    bool solid() const { return (flags & kFileSolid) != 0; }
    bool enciphered() const { return (flags & kFileEnciphered) != 0; }
    // The whole packed data lies inside the source.
    bool dataInside(uint64_t sourceSize) const {
        return dataStart <= sourceSize && packedSize <= sourceSize - dataStart;
    }
};

enum class WalkStep { File, End, Error };

class ArchiveWalker {
  public:
    explicit ArchiveWalker(const ByteSource& source) : source_(source) {}

    // Reads the marker and the main header. False refuses the file: too short, not a RAR
    // archive, or a damaged main header.
    bool open();
    bool solidArchive() const { return solid_; }

    // Moves to the next file header, skipping every other block.
    WalkStep next(FileHeader& header);
    // After End: whether the walk ended at an end-of-archive block rather than at the end of
    // the file (writers that write the block leave a cut file without it).
    bool endBlockSeen() const { return endBlock_; }

  private:
    const ByteSource& source_;
    uint64_t position_ = 0;
    bool solid_ = false;
    bool endBlock_ = false;
};

}  // namespace rar
