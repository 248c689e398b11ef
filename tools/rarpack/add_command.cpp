#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "archive/archive_format.h"
#include "tools/rarpack/atomic_file.h"
#include "tools/rarpack/file_collector.h"
#include "tools/rarpack/rarpack.h"

namespace rarpack {
namespace {

class FileSink final : public rar::ByteSink {
  public:
    explicit FileSink(std::FILE* f) : file_(f) {}
    bool write(const void* data, size_t size) override {
        return size == 0 || std::fwrite(data, 1, size, file_) == size;
    }

  private:
    std::FILE* file_;
};

// Whole file, read to its end (sizes in stat can be wrong for special file systems).
bool readWhole(const std::string& path, std::vector<uint8_t>* out, std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    out->clear();
    uint8_t chunk[1 << 16];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof(chunk), f)) > 0) {
        out->insert(out->end(), chunk, chunk + n);
        if (out->size() > 0xFFFFFFFFu) {
            std::fclose(f);
            *error = path + ": larger than 4 GB, which RAR 2.0 cannot store";
            return false;
        }
    }
    const bool failed = std::ferror(f);
    std::fclose(f);
    if (failed) *error = path + ": read error";
    return !failed;
}

bool parseTime(const std::string& text, time_t* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno || *end || v < 0) return false;
    *out = static_cast<time_t>(v);
    return true;
}

}  // namespace

uint32_t dosTimeOf(time_t t, bool utc) {
    struct tm parts;
    if (!(utc ? gmtime_r(&t, &parts) : localtime_r(&t, &parts)))
        return rar::dosDateTime(1980, 1, 1, 0, 0, 0);
    return rar::dosDateTime(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                            parts.tm_min, parts.tm_sec);
}

bool parseAddArguments(const std::vector<std::string>& args, const char* sourceDateEpoch,
                       AddOptions* options, std::string* error) {
    *options = AddOptions();
    if (sourceDateEpoch && *sourceDateEpoch) {
        if (!parseTime(sourceDateEpoch, &options->time)) {
            *error = "SOURCE_DATE_EPOCH must be a number of seconds";
            return false;
        }
        options->fixedTime = true;
    }
    size_t i = 0;
    for (; i < args.size() && args[i].size() > 1 && args[i][0] == '-'; ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            ++i;
            break;
        }
        if (a == "-m0") {
            options->pack.store = true;
        } else if (a == "-s") {
            options->pack.solid = true;
        } else if (a == "-mm") {
            options->pack.audio = rar::AudioChoice::Always;
        } else if (a.size() == 4 && a.compare(0, 3, "-mm") == 0 && a[3] >= '1' && a[3] <= '4') {
            options->pack.audio = rar::AudioChoice::Always;
            options->pack.audioChannels = static_cast<unsigned>(a[3] - '0');
        } else if (a.compare(0, 8, "--mtime=") == 0) {
            if (!parseTime(a.substr(8), &options->time)) {
                *error = "--mtime needs a number of seconds since 1970, as in --mtime=1700000000";
                return false;
            }
            options->fixedTime = true;
        } else {
            *error = "unknown option " + a;
            return false;
        }
    }
    if (i >= args.size()) {
        *error = "a: missing ARCHIVE";
        return false;
    }
    options->archive = args[i++];
    options->paths.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    if (options->paths.empty()) {
        *error = "a: missing PATH (a file or directory to add)";
        return false;
    }
    return true;
}

int addCommand(const AddOptions& options) {
    const CollectResult collected = collectFiles(options.paths, options.archive);
    for (const std::string& w : collected.warnings)
        std::fprintf(stderr, "rarpack: %s\n", w.c_str());
    if (!collected.errors.empty()) {
        for (const std::string& e : collected.errors)
            std::fprintf(stderr, "rarpack: %s\n", e.c_str());
        std::fprintf(stderr, "rarpack: %s not written\n", options.archive.c_str());
        return 1;
    }

    std::string error;
    AtomicFile out;
    if (!out.open(options.archive, &error)) {
        std::fprintf(stderr, "rarpack: %s\n", error.c_str());
        return 1;
    }
    FileSink sink(out.stream());
    rar::ArchiveWriter writer(sink, options.pack);
    if (!writer.begin()) {
        std::fprintf(stderr, "rarpack: %s: write failed\n", options.archive.c_str());
        return 1;
    }
    uint64_t total = 0, packed = 0;
    std::vector<uint8_t> data;
    for (const SourceFile& f : collected.files) {
        if (!readWhole(f.path, &data, &error)) {
            std::fprintf(stderr, "rarpack: %s\nrarpack: %s not written\n", error.c_str(),
                         options.archive.c_str());
            return 1;
        }
        const time_t t = options.fixedTime ? options.time : f.modified;
        const uint32_t attributes = rar::kAttrArchive | (f.readOnly ? rar::kAttrReadOnly : 0);
        rar::PackedEntry entry;
        if (!writer.add(f.name.c_str(), data.data(), data.size(), dosTimeOf(t, options.fixedTime),
                        attributes, &entry)) {
            std::fprintf(stderr, "rarpack: %s: write failed\nrarpack: %s not written\n",
                         f.path.c_str(), options.archive.c_str());
            return 1;
        }
        total += entry.size;
        packed += entry.packedSize;
    }
    if (!writer.end()) {
        std::fprintf(stderr, "rarpack: %s: write failed\n", options.archive.c_str());
        return 1;
    }
    if (!out.commit(&error)) {
        std::fprintf(stderr, "rarpack: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %zu %s, %llu bytes packed to %llu (%.1f%%)\n", options.archive.c_str(),
                collected.files.size(), collected.files.size() == 1 ? "file" : "files",
                static_cast<unsigned long long>(total), static_cast<unsigned long long>(packed),
                total ? 100.0 * static_cast<double>(packed) / static_cast<double>(total) : 100.0);
    return 0;
}

}  // namespace rarpack
