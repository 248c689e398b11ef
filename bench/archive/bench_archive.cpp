// bench_archive - the archiver and reader on a mixed corpus, beside zlib and the gzip and xz
// tools.
//
// For every file: its packed size next to gzip -9 and xz -9; how fast it packs; and how fast
// the reader gives it back (MB/s of output, one whole entry read from an archive in memory)
// next to zlib's inflate of the same file compressed at level 9, into a fresh buffer each
// time as the reader does. zlib serves as the reference only; the program never uses it.
//
//   bench_archive [--corpus DIR]     (default DIR: bench-corpus, built on first use)
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/archive_source.h"
#include "archive/archive_writer.h"
#include "corpus.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Best time of one run, repeating until enough time has passed to trust it.
template <typename Fn>
double bestTime(Fn fn) {
    double best = 1e30, total = 0;
    for (int runs = 0; runs < 3 || (total < 0.3 && runs < 1000); ++runs) {
        const auto start = Clock::now();
        fn();
        const double t = secondsSince(start);
        best = std::min(best, t);
        total += t;
    }
    return best;
}

// Bytes a tool writes for the file, or 0 when it cannot be run.
size_t toolOutputSize(const std::string& command, const std::string& file) {
    const std::string cmd = command + " '" + file + "'";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return 0;
    size_t total = 0, n;
    char buf[1 << 16];
    while ((n = std::fread(buf, 1, sizeof(buf), p)) > 0) total += n;
    return pclose(p) == 0 ? total : 0;
}

struct Row {
    std::string name;
    size_t size = 0, packed = 0, gzip = 0, xz = 0;
    bool audio = false, stored = false;
    double packSeconds = 0, readSeconds = 0, inflateSeconds = 0;
};

double mbps(size_t bytes, double seconds) {
    return seconds > 0 ? bytes / 1e6 / seconds : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = "bench-corpus";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--corpus") == 0 && i + 1 < argc) {
            dir = argv[++i];
        } else {
            std::fprintf(stderr, "usage: bench_archive [--corpus DIR]\n");
            return 2;
        }
    }
    const std::vector<std::string> files = benchcorpus::ensureCorpus(dir);
    if (files.empty()) {
        std::fprintf(stderr, "bench_archive: no corpus\n");
        return 1;
    }

    std::printf("%-22s %9s %9s %9s %9s %7s %6s %8s %8s %8s %6s\n", "file", "size", "packed",
                "gzip -9", "xz -9", "vs gzip", "mode", "pack", "read", "inflate", "ratio");
    std::printf("%-22s %9s %9s %9s %9s %7s %6s %8s %8s %8s %6s\n", "", "bytes", "bytes", "bytes",
                "bytes", "", "", "MB/s", "MB/s", "MB/s", "");
    std::vector<Row> rows;
    bool allBelowGzip = true;
    for (const std::string& path : files) {
        std::ifstream in(path, std::ios::binary);
        const Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        Row row;
        row.name = path.substr(path.find_last_of('/') + 1);
        row.size = data.size();

        Bytes archive;
        rar::VectorSink sink(archive);
        rar::ArchiveWriter writer(sink, rar::PackOptions());
        rar::PackedEntry entry;
        const auto packStart = Clock::now();
        if (!writer.begin() ||
            !writer.add(row.name.c_str(), data.data(), data.size(), 0, 0x20, &entry)) {
            std::fprintf(stderr, "bench_archive: packing %s failed\n", path.c_str());
            return 1;
        }
        row.packSeconds = secondsSince(packStart);
        row.packed = entry.packedSize;
        row.audio = entry.audio;
        row.stored = entry.method == 0x30;

        rar::MemorySource source(archive.data(), archive.size());
        bool same = true;
        row.readSeconds = bestTime([&] {
            unsigned char* out = nullptr;
            size_t size = 0;
            if (!Archive::getEntryFrom(source, &out, &size, row.name.c_str(), "") ||
                size != data.size() || std::memcmp(out, data.data(), size) != 0)
                same = false;
            std::free(out);
        });
        if (!same) {
            std::fprintf(stderr, "bench_archive: %s did not come back intact\n", path.c_str());
            return 1;
        }

        uLongf zlibSize = compressBound(data.size());
        Bytes z(zlibSize);
        compress2(z.data(), &zlibSize, data.data(), data.size(), 9);
        row.inflateSeconds = bestTime([&] {
            uLongf size = data.size();
            auto* out = static_cast<Bytef*>(std::malloc(data.size() ? data.size() : 1));
            if (uncompress(out, &size, z.data(), zlibSize) != Z_OK || size != data.size())
                same = false;
            std::free(out);
        });
        if (!same) {
            std::fprintf(stderr, "bench_archive: zlib failed on %s\n", path.c_str());
            return 1;
        }

        // gzip's 18 bytes of framing (with -n: no name, no time) are left out: both sides
        // count compressed data only.
        const size_t gzipFile = toolOutputSize("gzip -9 -n -c", path);
        row.gzip = gzipFile > 18 ? gzipFile - 18 : 0;
        row.xz = toolOutputSize("xz -9 -c", path);
        const bool below = row.gzip == 0 || row.packed < row.gzip;
        allBelowGzip = allBelowGzip && below;

        std::printf(
            "%-22s %9zu %9zu %9zu %9zu %6.1f%% %6s %8.1f %8.1f %8.1f %6.2f%s\n", row.name.c_str(),
            row.size, row.packed, row.gzip, row.xz, row.gzip ? 100.0 * row.packed / row.gzip : 0.0,
            row.stored ? "store" : (row.audio ? "audio" : "lz"), mbps(row.size, row.packSeconds),
            mbps(row.size, row.readSeconds), mbps(row.size, row.inflateSeconds),
            row.readSeconds > 0 ? row.inflateSeconds / row.readSeconds : 0,
            below ? "" : "  <- not below gzip -9");
        std::fflush(stdout);
        rows.push_back(row);
    }

    Row total;
    for (const Row& r : rows) {
        total.size += r.size;
        total.packed += r.packed;
        total.gzip += r.gzip;
        total.xz += r.xz;
        total.packSeconds += r.packSeconds;
        total.readSeconds += r.readSeconds;
        total.inflateSeconds += r.inflateSeconds;
    }
    const double ratio = total.inflateSeconds / total.readSeconds;
    const double packRate = mbps(total.size, total.packSeconds);
    std::printf("%-22s %9zu %9zu %9zu %9zu %6.1f%% %6s %8.1f %8.1f %8.1f %6.2f\n", "total",
                total.size, total.packed, total.gzip, total.xz, 100.0 * total.packed / total.gzip,
                "", packRate, mbps(total.size, total.readSeconds),
                mbps(total.size, total.inflateSeconds), ratio);
    std::printf("\n%zu files, %.1f MB\n", rows.size(), total.size / 1e6);
    std::printf("decompression vs zlib inflate:  ratio %.2f (target >= 1.0)  %s\n", ratio,
                ratio >= 1.0 ? "met" : "missed");
    std::printf(
        "packed size below gzip -9:      %s on every file (total %.1f%% of gzip -9, "
        "%.1f%% of xz -9)  %s\n",
        allBelowGzip ? "yes" : "no", 100.0 * total.packed / total.gzip,
        total.xz ? 100.0 * total.packed / total.xz : 0.0, allBelowGzip ? "met" : "missed");
    std::printf("packing speed:                  %.1f MB/s (target >= 5)  %s\n", packRate,
                packRate >= 5 ? "met" : "missed");
    return 0;
}
