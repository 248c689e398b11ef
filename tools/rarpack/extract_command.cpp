// extract_command.cpp - "rarpack x": every entry of an archive written under a directory.
//
// Entry names come from the archive, so they are input like any other: a name that would
// land outside the directory (a ".." part, a leading separator, a drive letter, a link in
// the directory that leads elsewhere) is refused with its name, and the rest is still
// extracted. Each file is written under a temporary name and renamed into place, so a failure
// never leaves half a file, and an existing link is replaced rather than followed.
#include <sys/stat.h>
#include <utime.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "archive/archive_format.h"
#include "archive/byte_source.h"
#include "archive/entry_scanner.h"
#include "tools/rarpack/atomic_file.h"
#include "tools/rarpack/rarpack.h"

namespace rarpack {
namespace {

namespace fs = std::filesystem;

// Window-size bits all set mark a directory entry.
constexpr uint16_t kDirectoryBits = 0x00E0;

// The local time an MS-DOS date and time stand for, as "a" stores them.
time_t timeOfDos(uint32_t t) {
    struct tm parts = {};
    parts.tm_year = static_cast<int>(t >> 25) + 80;
    parts.tm_mon = static_cast<int>((t >> 21) & 15) - 1;
    parts.tm_mday = static_cast<int>((t >> 16) & 31);
    parts.tm_hour = static_cast<int>((t >> 11) & 31);
    parts.tm_min = static_cast<int>((t >> 5) & 63);
    parts.tm_sec = static_cast<int>(t & 31) * 2;
    parts.tm_isdst = -1;
    return mktime(&parts);
}

// Whether `inner` (both canonical) is `root` or lies below it.
bool inside(const fs::path& inner, const fs::path& root) {
    const fs::path relative = inner.lexically_relative(root);
    return !relative.empty() && *relative.begin() != "..";
}

// Whether a folder below root (by its name) stays inside root once the links on its way are
// followed. Asked before anything is created, so nothing is made outside either.
bool staysInside(fs::path folder, const fs::path& root) {
    std::error_code error;
    while (!fs::exists(folder, error) && folder != root && folder != folder.parent_path())
        folder = folder.parent_path();
    const fs::path real = fs::canonical(folder, error);
    return !error && inside(real, root);
}

struct Tally {
    int extracted = 0;
    int kept = 0;
    int failed = 0;
};

class Extractor {
  public:
    Extractor(const ExtractOptions& options, const fs::path& root)
        : options_(options), root_(root) {}

    // Writes the scanner's current entry; the scanner has moved past it afterwards.
    void entry(rar::EntryScanner& scanner, Tally& tally) {
        const rar::FileHeader& h = scanner.header();
        std::string relative;
        if (!safeEntryPath(h.name, &relative)) {
            fail(h.name, "refused: the name leads outside " + options_.directory, scanner, tally);
            return;
        }
        const fs::path target = root_ / relative;
        const bool directory = (h.flags & kDirectoryBits) == kDirectoryBits;
        const fs::path folder = directory ? target : target.parent_path();
        if (!staysInside(folder, root_)) {
            fail(h.name, "refused: a link leads it outside " + options_.directory, scanner, tally);
            return;
        }
        std::error_code error;
        fs::create_directories(folder, error);
        if (error) {
            fail(h.name, "cannot create its directory: " + error.message(), scanner, tally);
            return;
        }
        if (directory) {
            scanner.pass();
            return;
        }
        const fs::file_status existing = fs::symlink_status(target, error);
        if (fs::exists(existing)) {
            if (fs::is_directory(existing)) {
                fail(h.name, "a directory of that name is in the way", scanner, tally);
                return;
            }
            if (!options_.overwrite) {
                std::fprintf(stderr, "rarpack: %s exists, kept\n", target.c_str());
                ++tally.kept;
                scanner.pass();
                return;
            }
        }
        unsigned char* data = nullptr;
        if (!scanner.extract(&data)) {
            fail(h.name, "data damaged or not readable", nullptr, tally);
            return;
        }
        std::string why;
        AtomicFile out;
        const bool written = out.open(target.string(), &why) &&
                             std::fwrite(data, 1, h.unpackedSize, out.stream()) == h.unpackedSize &&
                             out.commit(&why);
        std::free(data);
        if (!written) {
            fail(h.name, why.empty() ? "write failed" : why, nullptr, tally);
            return;
        }
        const time_t when = timeOfDos(h.fileTime);
        const utimbuf times = {when, when};
        utime(target.c_str(), &times);
        if (h.attributes & rar::kAttrReadOnly) {
            struct stat status;
            if (stat(target.c_str(), &status) == 0) chmod(target.c_str(), status.st_mode & ~0222);
        }
        std::printf("  %s\n", relative.c_str());
        ++tally.extracted;
    }

  private:
    // Reports the entry; moves the scanner past it when it has not read the entry yet.
    void fail(const char* name, const std::string& why, rar::EntryScanner* scanner, Tally& tally) {
        std::fprintf(stderr, "rarpack: %s: %s\n", name, why.c_str());
        ++tally.failed;
        if (scanner) scanner->pass();
    }
    void fail(const char* name, const std::string& why, rar::EntryScanner& scanner, Tally& tally) {
        fail(name, why, &scanner, tally);
    }

    const ExtractOptions& options_;
    fs::path root_;
};

}  // namespace

bool safeEntryPath(const char* stored, std::string* relative) {
    relative->clear();
    const std::string name = stored ? stored : "";
    if (name.empty() || name[0] == '\\' || name[0] == '/') return false;  // absolute
    if (name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':')
        return false;  // a drive letter
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos) end = name.size();
        const std::string part = name.substr(start, end - start);
        if (part == "..") return false;
        if (!part.empty() && part != ".") {
            if (!relative->empty()) *relative += '/';
            *relative += part;
        }
        start = end + 1;
    }
    return !relative->empty();
}

int extractCommand(const ExtractOptions& options) {
    rar::FileSource source;
    if (!source.open(options.archive.c_str())) {
        std::fprintf(stderr, "rarpack: %s: cannot open\n", options.archive.c_str());
        return 1;
    }
    rar::EntryScanner scanner(source);
    if (!scanner.open()) {
        std::fprintf(stderr, "rarpack: %s: not a RAR archive\n", options.archive.c_str());
        return 1;
    }
    std::error_code error;
    fs::create_directories(options.directory, error);
    const fs::path root = error ? fs::path() : fs::canonical(options.directory, error);
    if (error) {
        std::fprintf(stderr, "rarpack: %s: %s\n", options.directory.c_str(),
                     error.message().c_str());
        return 1;
    }
    Extractor extractor(options, root);
    Tally tally;
    rar::WalkStep step;
    while ((step = scanner.next()) == rar::WalkStep::File) extractor.entry(scanner, tally);
    if (step == rar::WalkStep::Error) {
        std::fprintf(stderr, "rarpack: %s: damaged after its last readable entry\n",
                     options.archive.c_str());
        ++tally.failed;
    }
    std::printf("%d %s extracted to %s", tally.extracted, tally.extracted == 1 ? "file" : "files",
                options.directory.c_str());
    if (tally.kept) std::printf(", %d existing kept (-o overwrites them)", tally.kept);
    if (tally.failed) std::printf(", %d failed", tally.failed);
    std::printf("\n");
    return tally.failed ? 1 : 0;
}

}  // namespace rarpack
