// archive_writer.h - writes RAR 2.0 archives: the marker, the main header, and one file header
// with its data per entry, every header with its CRC. Entries are stored or compressed
// (LZ or multimedia mode, whichever is smaller; stored when nothing packs smaller); in a solid
// archive every compressed entry continues the stream of the ones before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/lz_parser.h"
#include "archive/stream_encoder.h"

namespace rar {

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual bool write(const void* data, size_t size) = 0;
};

class VectorSink final : public ByteSink {
  public:
    explicit VectorSink(std::vector<uint8_t>& out) : out_(out) {}
    bool write(const void* data, size_t size) override {
        const auto* p = static_cast<const uint8_t*>(data);
        out_.insert(out_.end(), p, p + size);
        return true;
    }

  private:
    std::vector<uint8_t>& out_;
};

enum class AudioChoice { Auto, Never, Always };

struct PackOptions {
    bool store = false;  // every entry stored
    bool solid = false;
    AudioChoice audio = AudioChoice::Auto;
    unsigned audioChannels = 0;  // 0: from a WAV header, else the best estimate
    ParserSettings parser;
};

struct PackedEntry {
    uint32_t size = 0;
    uint32_t packedSize = 0;
    uint32_t crc = 0;
    uint8_t method = 0;
    bool audio = false;
    unsigned channels = 0;
    bool solid = false;
};

// Names the reader can find again: 1 to 255 bytes.
bool acceptableEntryName(const char* name);

// MS-DOS date and time from calendar fields (year 1980..2107; clamped outside).
uint32_t dosDateTime(int year, int month, int day, int hour, int minute, int second);

class ArchiveWriter {
  public:
    ArchiveWriter(ByteSink& sink, const PackOptions& options);

    bool begin();
    // The end-of-archive block, after the last entry: a reader that meets the end of the
    // file without it knows the file was cut.
    bool end();
    // False when the name is not acceptable, the data is over 4 GB or the sink fails.
    bool add(const char* name, const uint8_t* data, size_t size, uint32_t dosTime,
             uint32_t attributes, PackedEntry* info = nullptr);

    const EncoderStats& stats() const { return encoder_.stats(); }

  private:
    bool writeHeader(const char* name, const PackedEntry& entry, uint32_t dosTime,
                     uint32_t attributes);
    void compress(const uint8_t* data, size_t size, PackedEntry& entry,
                  std::vector<uint8_t>& packed);

    ByteSink& sink_;
    PackOptions options_;
    StreamEncoder encoder_;
};

}  // namespace rar
