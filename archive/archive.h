// archive.h - read-only access to the entries of a RAR 2.x archive.
//
// Each call opens the archive, walks its headers from the start and closes it again; nothing
// is cached between calls. Names match case-insensitively, with '\', '/' and '_'
// interchangeable. Buffers returned to the caller are malloc blocks the caller frees; an
// entry list is released with Archive::freeEntryList.
#pragma once

#include <cstddef>
#include <cstdint>

// One node of the entry list, in archive order.
struct ArchiveEntryInfo {
    char* name;         // heap copy, NUL-terminated, as stored (e.g. "textures\\x.png")
    uint16_t nameSize;  // after the cut to 259 bytes
    uint32_t packedSize;
    uint32_t unpackedSize;
    uint8_t hostSystem;
    uint32_t fileCrc;
    uint32_t fileTime;      // MS-DOS date and time
    uint8_t unpackVersion;  // version needed to unpack
    uint8_t method;         // '0' stored, anything else compressed
    uint32_t attributes;
    ArchiveEntryInfo* next;
    uint16_t flags;  // header flags: 0x0004 enciphered, 0x0010 solid
};

namespace Archive {

// Reads one entry whole into a new buffer. 1 on success (size = unpacked size); 0 on any
// failure, with *buffer null and *size 0.
int getEntry(unsigned char** buffer, size_t* size, const char* entryName, const char* archivePath,
             const char* password);

// getEntry on the program's data archive (dataPath()) with no password. Null on failure.
unsigned char* loadEntry(size_t* size, const char* entryName);

// Builds the list of all file headers. Returns the number of nodes (0 when the archive cannot
// be opened or is refused); *head is null when there are none.
int listEntries(const char* archivePath, ArchiveEntryInfo** head);

void freeEntryList(ArchiveEntryInfo* head);

// Why the file at archivePath cannot serve as an archive, or null when it can: it opens, it
// starts like a RAR archive, and its headers lead one to the next up to the end with every
// entry's data inside the file. The reasons: "no such file", "a directory", the system's
// reason it cannot be opened, "not a RAR archive", "damaged". Entry data is not decoded.
const char* check(const char* archivePath);

// Whether a stored name ends with `ending`, compared as stored (letter case counts).
bool nameEndsWith(const char* name, const char* ending);

// The archive loadEntry reads: "data.rar" in the working directory unless the program chose
// another. The text is copied.
void setDataPath(const char* path);
const char* dataPath();

}  // namespace Archive
