// archive_source.h - the archive operations on any byte source, for callers that hold an
// archive in memory (tests, the fuzz target). Archive::getEntry and Archive::listEntries are
// these same operations on the file they open.
#pragma once

#include <cstddef>

#include "archive/archive.h"
#include "archive/byte_source.h"

namespace Archive {

int getEntryFrom(const rar::ByteSource& source, unsigned char** buffer, size_t* size,
                 const char* entryName, const char* password);
int listEntriesFrom(const rar::ByteSource& source, ArchiveEntryInfo** head);

}  // namespace Archive
