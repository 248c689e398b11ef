// fuzz_archive - libFuzzer target for the archive reader: the input is an archive; every
// listed entry is read by name (which walks and, in solid archives, decodes the ones before
// it), and every entry is read in one pass as "rarpack t" does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "archive/archive_source.h"
#include "archive/entry_scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rar::MemorySource source(data, size);

    ArchiveEntryInfo* head = nullptr;
    Archive::listEntriesFrom(source, &head);
    int reads = 0;
    for (ArchiveEntryInfo* e = head; e && reads < 8; e = e->next, ++reads) {
        unsigned char* buffer = nullptr;
        size_t got = 0;
        Archive::getEntryFrom(source, &buffer, &got, e->name, "");
        std::free(buffer);
    }
    Archive::freeEntryList(head);

    rar::EntryScanner scanner(source);
    if (scanner.open()) {
        for (int n = 0; n < 64 && scanner.next() == rar::WalkStep::File; ++n) {
            unsigned char* buffer = nullptr;
            scanner.extract(&buffer);
            std::free(buffer);
        }
    }
    return 0;
}
