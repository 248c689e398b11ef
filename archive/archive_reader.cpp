#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "archive/archive.h"
#include "archive/archive_format.h"
#include "archive/archive_source.h"
#include "archive/entry_name.h"
#include "archive/entry_scanner.h"

namespace {

std::string g_dataPath = "data.rar";

// Names and paths longer than the reader's 256-byte fields are refused, never cut.
bool acceptableRequest(const char* text) {
    return text && std::strlen(text) <= rar::kMaxRequestLength;
}

ArchiveEntryInfo* newEntryInfo(const rar::FileHeader& h) {
    auto* node = static_cast<ArchiveEntryInfo*>(std::calloc(1, sizeof(ArchiveEntryInfo)));
    if (!node) return nullptr;
    node->name = static_cast<char*>(std::malloc(size_t{h.nameSize} + 1));
    if (!node->name) {
        std::free(node);
        return nullptr;
    }
    std::memcpy(node->name, h.name, size_t{h.nameSize} + 1);
    node->nameSize = h.nameSize;
    node->packedSize = h.packedSize;
    node->unpackedSize = h.unpackedSize;
    node->hostSystem = h.hostSystem;
    node->fileCrc = h.fileCrc;
    node->fileTime = h.fileTime;
    node->unpackVersion = h.unpackVersion;
    node->method = h.method;
    node->attributes = h.attributes;
    node->flags = h.flags;
    node->next = nullptr;
    return node;
}

}  // namespace

namespace Archive {

int getEntryFrom(const rar::ByteSource& source, unsigned char** buffer, size_t* size,
                 const char* entryName, const char* password) {
    (void)password;  // no cipher is carried; enciphered entries fail whatever is passed
    if (buffer) *buffer = nullptr;
    if (size) *size = 0;
    if (!buffer || !size || !acceptableRequest(entryName)) return 0;

    rar::EntryScanner scanner(source);
    if (!scanner.open()) return 0;
    while (scanner.next() == rar::WalkStep::File) {
        if (rar::entryNamesMatch(entryName, scanner.header().name)) {
            unsigned char* data = nullptr;
            if (!scanner.extract(&data)) return 0;
            *buffer = data;
            *size = scanner.header().unpackedSize;
            return 1;
        }
        if (!scanner.pass()) return 0;
    }
    return 0;
}

int listEntriesFrom(const rar::ByteSource& source, ArchiveEntryInfo** head) {
    if (!head) return 0;
    *head = nullptr;
    rar::ArchiveWalker walker(source);
    if (!walker.open()) return 0;
    int count = 0;
    ArchiveEntryInfo** tail = head;
    rar::FileHeader h;
    while (walker.next(h) == rar::WalkStep::File) {
        ArchiveEntryInfo* node = newEntryInfo(h);
        if (!node) break;
        *tail = node;
        tail = &node->next;
        ++count;
    }
    return count;
}

int getEntry(unsigned char** buffer, size_t* size, const char* entryName, const char* archivePath,
             const char* password) {
    if (buffer) *buffer = nullptr;
    if (size) *size = 0;
    if (!acceptableRequest(archivePath)) return 0;
    rar::FileSource file;
    if (!file.open(archivePath)) return 0;
    return getEntryFrom(file, buffer, size, entryName, password);
}

unsigned char* loadEntry(size_t* size, const char* entryName) {
    size_t ignored = 0;
    unsigned char* buffer = nullptr;
    getEntry(&buffer, size ? size : &ignored, entryName, g_dataPath.c_str(), "");
    return buffer;
}

int listEntries(const char* archivePath, ArchiveEntryInfo** head) {
    if (head) *head = nullptr;
    if (!head || !acceptableRequest(archivePath)) return 0;
    rar::FileSource file;
    if (!file.open(archivePath)) return 0;
    return listEntriesFrom(file, head);
}

const char* check(const char* archivePath) {
    if (!acceptableRequest(archivePath)) return "path too long";
    struct stat status;
    if (stat(archivePath, &status) != 0)
        return errno == ENOENT ? "no such file" : std::strerror(errno);
    if (S_ISDIR(status.st_mode)) return "a directory";
    rar::FileSource file;
    errno = 0;
    if (!file.open(archivePath)) return errno ? std::strerror(errno) : "cannot be read";
    uint8_t marker[rar::kMarkerSize];
    if (!file.readAt(0, marker, sizeof marker) ||
        (std::memcmp(marker, rar::kMarker, sizeof marker) != 0 &&
         std::memcmp(marker, rar::kAltMarker, sizeof marker) != 0))
        return "not a RAR archive";
    rar::ArchiveWalker walker(file);
    if (!walker.open()) return "damaged";
    rar::FileHeader header;
    rar::WalkStep step;
    while ((step = walker.next(header)) == rar::WalkStep::File) {
        if (!header.dataInside(file.size())) return "damaged";  // cut short
    }
    return step == rar::WalkStep::End ? nullptr : "damaged";
}

void freeEntryList(ArchiveEntryInfo* head) {
    while (head) {
        ArchiveEntryInfo* next = head->next;
        std::free(head->name);
        std::free(head);
        head = next;
    }
}

bool nameEndsWith(const char* name, const char* ending) {
    const size_t length = std::strlen(name), endingLength = std::strlen(ending);
    return length >= endingLength && std::strcmp(name + length - endingLength, ending) == 0;
}

void setDataPath(const char* path) {
    g_dataPath = path ? path : "data.rar";
}

const char* dataPath() {
    return g_dataPath.c_str();
}

}  // namespace Archive
