#include "archive/archive_walker.h"

#include <cstring>
#include <vector>

#include "archive/crc32.h"

namespace rar {

bool ArchiveWalker::open() {
    uint8_t marker[kMarkerSize];
    if (!source_.readAt(0, marker, kMarkerSize)) return false;
    // Only the two RAR markers are walked: any other start (old-format archives included)
    // would be read with a block layout it does not have.
    if (std::memcmp(marker, kMarker, kMarkerSize) != 0 &&
        std::memcmp(marker, kAltMarker, kMarkerSize) != 0)
        return false;
    uint8_t main[kMainHeaderSize];
    if (!source_.readAt(kMarkerSize, main, kMainHeaderSize)) return false;
    const uint16_t headerSize = load16(main + 5);
    if (headerSize < kMainHeaderSize) return false;
    solid_ = (load16(main + 3) & kMainSolid) != 0;
    position_ = kMarkerSize + headerSize;
    return true;
}

WalkStep ArchiveWalker::next(FileHeader& header) {
    const uint64_t total = source_.size();
    for (;;) {
        const uint64_t start = position_;
        if (start >= total) return WalkStep::End;
        uint8_t fixed[kFileHeaderFixedSize] = {};
        const uint64_t left = total - start;
        const size_t got =
            left < kFileHeaderFixedSize ? static_cast<size_t>(left) : kFileHeaderFixedSize;
        if (got < kBlockPrefixSize || !source_.readAt(start, fixed, got)) return WalkStep::Error;
        const uint8_t type = fixed[2];
        const uint16_t flags = load16(fixed + 3);
        const uint16_t headerSize = load16(fixed + 5);
        if (headerSize < kBlockPrefixSize) return WalkStep::Error;
        uint64_t addSize = 0;
        if (flags & kBlockHasAddSize) {
            if (got < 11) return WalkStep::Error;
            addSize = load32(fixed + 7);
        }
        const uint64_t next = start + headerSize + addSize;
        if (type == kBlockEnd) {
            endBlock_ = true;
            return WalkStep::End;
        }
        if (type != kBlockFile) {
            position_ = next;
            continue;
        }
        // A file header needs its 32 fixed bytes and its whole name inside the header.
        const uint16_t nameSize = load16(fixed + 26);
        if (headerSize < kFileHeaderFixedSize || nameSize > headerSize - kFileHeaderFixedSize ||
            headerSize > left)
            return WalkStep::Error;
        std::vector<uint8_t> whole(headerSize);
        if (!source_.readAt(start, whole.data(), headerSize)) return WalkStep::Error;

        header = FileHeader();
        header.blockStart = start;
        header.dataStart = start + headerSize;
        header.nextBlock = next;
        header.flags = flags;
        header.headerSize = headerSize;
        header.packedSize = load32(fixed + 7);
        header.unpackedSize = load32(fixed + 11);
        header.hostSystem = fixed[15];
        header.fileCrc = load32(fixed + 16);
        header.fileTime = load32(fixed + 20);
        header.unpackVersion = fixed[24];
        header.method = fixed[25];
        header.attributes = load32(fixed + 28);
        header.headerCrcMatches =
            (crc32Of(whole.data() + 2, headerSize - 2) & 0xFFFF) == load16(fixed);
        header.nameSize = nameSize > kMaxEntryName ? kMaxEntryName : nameSize;
        std::memcpy(header.name, whole.data() + kFileHeaderFixedSize, header.nameSize);
        header.name[header.nameSize] = '\0';
        position_ = next;
        return WalkStep::File;
    }
}

}  // namespace rar
