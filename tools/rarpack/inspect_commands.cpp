#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "archive/archive.h"
#include "archive/archive_format.h"
#include "archive/byte_source.h"
#include "archive/entry_scanner.h"
#include "tools/rarpack/rarpack.h"

namespace rarpack {
namespace {

const char* methodName(uint8_t method) {
    switch (method) {
        case 0x30:
            return "store";
        case 0x31:
            return "fastest";
        case 0x32:
            return "fast";
        case 0x33:
            return "normal";
        case 0x34:
            return "good";
        case 0x35:
            return "best";
        default:
            return "?";
    }
}

// "YYYY-MM-DD hh:mm:ss" from an MS-DOS date and time.
void formatDosTime(uint32_t t, char* out, size_t size) {
    std::snprintf(out, size, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (t >> 25), (t >> 21) & 15,
                  (t >> 16) & 31, (t >> 11) & 31, (t >> 5) & 63, (t & 31) * 2);
}

unsigned ratioPercent(uint64_t packed, uint64_t size) {
    return size ? static_cast<unsigned>((packed * 100 + size / 2) / size) : 100;
}

bool requestFits(const std::string& text, const char* what) {
    if (text.size() <= 255) return true;
    std::fprintf(stderr, "rarpack: %s longer than 255 characters: %s\n", what, text.c_str());
    return false;
}

// Why the archive looks cut short, or null: an entry's data running past the end of the
// file, a block broken off, or the file ending without the end-of-archive block rarpack
// writes (a cut at an entry boundary).
std::string cutProblem(const rar::ByteSource& source) {
    rar::ArchiveWalker walker(source);
    if (!walker.open()) return "not a RAR archive";
    rar::FileHeader h;
    rar::WalkStep step;
    unsigned entries = 0;
    while ((step = walker.next(h)) == rar::WalkStep::File) {
        ++entries;
        if (!h.dataInside(source.size()))
            return "cut short: the data of " + std::string(h.name) + " would end at byte " +
                   std::to_string(h.dataStart + h.packedSize) + ", the file ends at byte " +
                   std::to_string(source.size());
    }
    if (step == rar::WalkStep::Error)
        return "damaged or cut short after entry " + std::to_string(entries);
    if (!walker.endBlockSeen())
        return "cut short: the file ends after entry " + std::to_string(entries) +
               " without the end-of-archive block";
    return "";
}

}  // namespace

int listCommand(const std::string& archive) {
    if (!requestFits(archive, "archive path")) return 1;
    ArchiveEntryInfo* head = nullptr;
    const int count = Archive::listEntries(archive.c_str(), &head);
    rar::FileSource source;
    if (!source.open(archive.c_str())) {
        std::fprintf(stderr, "rarpack: %s: cannot open\n", archive.c_str());
        return 1;
    }
    rar::ArchiveWalker walker(source);
    if (!walker.open()) {
        std::fprintf(stderr, "rarpack: %s: not a RAR archive\n", archive.c_str());
        return 1;
    }
    std::printf("Archive %s%s\n", archive.c_str(), walker.solidArchive() ? " (solid)" : "");
    std::printf("%-40s %10s %10s %5s  %-7s %-8s  %s\n", "Name", "Size", "Packed", "Ratio", "Method",
                "CRC32", "Modified");
    uint64_t size = 0, packed = 0;
    for (const ArchiveEntryInfo* e = head; e; e = e->next) {
        char when[32];
        formatDosTime(e->fileTime, when, sizeof(when));
        std::printf("%-40s %10u %10u %4u%%  %-7s %08X  %s%s%s\n", e->name, e->unpackedSize,
                    e->packedSize, ratioPercent(e->packedSize, e->unpackedSize),
                    methodName(e->method), e->fileCrc, when,
                    (e->flags & rar::kFileSolid) ? " solid" : "",
                    (e->flags & rar::kFileEnciphered) ? " enciphered" : "");
        size += e->unpackedSize;
        packed += e->packedSize;
    }
    std::printf("%d %s, %llu bytes packed to %llu (%u%%)\n", count, count == 1 ? "file" : "files",
                static_cast<unsigned long long>(size), static_cast<unsigned long long>(packed),
                ratioPercent(packed, size));
    Archive::freeEntryList(head);
    const std::string problem = cutProblem(source);
    if (!problem.empty()) {
        std::fprintf(stderr, "rarpack: %s: %s\n", archive.c_str(), problem.c_str());
        return 1;
    }
    return 0;
}

int testCommand(const std::string& archive) {
    rar::FileSource source;
    if (!source.open(archive.c_str())) {
        std::fprintf(stderr, "rarpack: %s: cannot open\n", archive.c_str());
        return 1;
    }
    rar::EntryScanner scanner(source);
    if (!scanner.open()) {
        std::fprintf(stderr, "rarpack: %s: not a RAR archive\n", archive.c_str());
        return 1;
    }
    unsigned tested = 0, failed = 0;
    rar::WalkStep step;
    while ((step = scanner.next()) == rar::WalkStep::File) {
        const rar::FileHeader& h = scanner.header();
        unsigned char* data = nullptr;
        const char* problem = nullptr;
        if (!h.headerCrcMatches) problem = "header CRC mismatch";
        // Entries after a failure in a solid archive still go through the decoder, which
        // refuses them: their state is lost.
        if (!scanner.extract(&data) && !problem) problem = "data damaged or not readable";
        std::free(data);
        ++tested;
        if (problem) {
            ++failed;
            std::printf("FAILED  %s: %s\n", h.name, problem);
        } else {
            std::printf("OK      %s\n", h.name);
        }
    }
    const std::string problem = cutProblem(source);
    if (!problem.empty()) std::printf("FAILED  archive %s\n", problem.c_str());
    if (failed) {
        std::printf("%u of %u entries failed\n", failed, tested);
        return 1;
    }
    if (!problem.empty()) {
        std::printf("%u %s OK, but the archive is not whole\n", tested,
                    tested == 1 ? "entry" : "entries");
        return 1;
    }
    std::printf("All %u entries OK\n", tested);
    return 0;
}

int printCommand(const std::string& archive, const std::string& name) {
    if (!requestFits(archive, "archive path") || !requestFits(name, "entry name")) return 1;
    unsigned char* data = nullptr;
    size_t size = 0;
    if (!Archive::getEntry(&data, &size, name.c_str(), archive.c_str(), "")) {
        std::fprintf(stderr, "rarpack: cannot read %s from %s\n", name.c_str(), archive.c_str());
        return 1;
    }
    const bool ok = std::fwrite(data, 1, size, stdout) == size && std::fflush(stdout) == 0;
    std::free(data);
    if (!ok) std::fprintf(stderr, "rarpack: write to standard output failed\n");
    return ok ? 0 : 1;
}

}  // namespace rarpack
