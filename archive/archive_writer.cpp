#include "archive/archive_writer.h"

#include <algorithm>
#include <cstring>

#include "archive/archive_format.h"
#include "archive/audio_analysis.h"
#include "archive/crc32.h"

namespace rar {
namespace {

// Below this, or when LZ already packs to this fraction, the audio mode is not worth a try
// unless the data says it is sound.
constexpr size_t kAudioTrialMinimum = 4096;
constexpr double kAudioTrialRatio = 0.6;
// Sound is judged against LZ on its first bytes, parsed quickly; only when LZ comes within
// this factor of the multimedia mode is it parsed in full.
constexpr size_t kQuickSample = 256 * 1024;
constexpr double kQuickMargin = 1.15;

}  // namespace

bool acceptableEntryName(const char* name) {
    if (!name) return false;
    const size_t len = std::strlen(name);
    return len >= 1 && len <= kMaxRequestLength;
}

uint32_t dosDateTime(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1980) return (1u << 5 | 1u) << 16;  // 1980-01-01 00:00:00
    if (year > 2107) return ((127u << 9 | 12u << 5 | 31u) << 16) | (23u << 11 | 59u << 5 | 29u);
    const uint32_t date = static_cast<uint32_t>((year - 1980) << 9 | month << 5 | day);
    const uint32_t time = static_cast<uint32_t>(hour << 11 | minute << 5 | second / 2);
    return date << 16 | time;
}

ArchiveWriter::ArchiveWriter(ByteSink& sink, const PackOptions& options)
    : sink_(sink), options_(options), encoder_(options.parser) {
    encoder_.setReserveSwitch(options.solid);
}

bool ArchiveWriter::begin() {
    uint8_t head[kMarkerSize + kMainHeaderSize] = {};
    std::memcpy(head, kMarker, kMarkerSize);
    uint8_t* main = head + kMarkerSize;
    main[2] = kBlockMain;
    store16(main + 3, options_.solid ? kMainSolid : 0);
    store16(main + 5, kMainHeaderSize);
    store16(main, static_cast<uint16_t>(crc32Of(main + 2, kMainHeaderSize - 2)));
    return sink_.write(head, sizeof(head));
}

bool ArchiveWriter::end() {
    uint8_t block[kBlockPrefixSize] = {};
    block[2] = kBlockEnd;
    store16(block + 3, kBlockSkipIfUnknown);
    store16(block + 5, kBlockPrefixSize);
    store16(block, static_cast<uint16_t>(crc32Of(block + 2, kBlockPrefixSize - 2)));
    return sink_.write(block, sizeof(block));
}

void ArchiveWriter::compress(const uint8_t* data, size_t size, PackedEntry& entry,
                             std::vector<uint8_t>& packed) {
    if (!options_.solid) encoder_.restart();
    encoder_.beginEntry(data, size);
    const StreamEncoder::Snapshot before = encoder_.save();

    unsigned channels = options_.audioChannels;
    if (!channels) channels = waveFrameBytes(data, size);
    std::vector<uint8_t> lz, audio;
    bool useAudio = false;

    if (options_.audio == AudioChoice::Always) {
        if (!channels) channels = estimateAudio(data, size).channels;
        encoder_.encodeAudio(channels, audio);
        useAudio = true;
    } else if (options_.audio == AudioChoice::Auto && channels && !options_.solid) {
        // Sound by its header: the multimedia mode nearly always wins, so LZ is first judged
        // by a quick parse of the first part, and parsed in full only when that comes close.
        encoder_.encodeAudio(channels, audio);
        const size_t sample = std::min(size, kQuickSample);
        StreamEncoder probe(options_.parser);
        probe.beginEntry(data, sample);
        std::vector<uint8_t> quick;
        probe.encodeLz(quick, true);
        const double lzRate = static_cast<double>(quick.size()) / static_cast<double>(sample);
        const double audioRate = static_cast<double>(audio.size()) / static_cast<double>(size);
        useAudio = lzRate > kQuickMargin * audioRate;
        if (!useAudio) {
            const StreamEncoder::Snapshot afterAudio = encoder_.save();
            encoder_.restart();
            encoder_.restore(before);  // statistics as they were before this entry
            encoder_.beginEntry(data, size);
            encoder_.encodeLz(lz);
            useAudio = audio.size() <= lz.size();
            if (useAudio) {
                encoder_.restart();
                encoder_.restore(afterAudio);
            }
        }
    } else {
        encoder_.encodeLz(lz);
        const StreamEncoder::Snapshot afterLz = encoder_.save();
        bool tryAudio = options_.audio == AudioChoice::Auto && channels != 0;
        // Poorly packed data that is not known sound may still be sound (or a picture).
        if (options_.audio == AudioChoice::Auto && !tryAudio && size >= kAudioTrialMinimum &&
            lz.size() > kAudioTrialRatio * size) {
            const AudioEstimate guess = estimateAudio(data, size);
            if (guess.bits / 8 < lz.size()) {
                tryAudio = true;
                channels = guess.channels;
            }
        }
        if (tryAudio) {
            // The match finder already holds this entry from the LZ parse, as it must after
            // either coding; only the small state goes back.
            encoder_.restore(before);
            encoder_.encodeAudio(channels, audio);
            useAudio = audio.size() < lz.size();
        }
        if (!useAudio) encoder_.restore(afterLz);
    }
    if (useAudio) {
        packed.swap(audio);
        entry.audio = true;
        entry.channels = channels;
    } else {
        packed.swap(lz);
    }
    encoder_.endEntry();
}

bool ArchiveWriter::add(const char* name, const uint8_t* data, size_t size, uint32_t dosTime,
                        uint32_t attributes, PackedEntry* info) {
    if (!acceptableEntryName(name) || size > 0xFFFFFFFFu) return false;
    PackedEntry entry;
    entry.size = static_cast<uint32_t>(size);
    entry.crc = crc32Of(data, size);
    entry.solid = options_.solid && encoder_.continuing();

    std::vector<uint8_t> packed;
    bool stored = options_.store || size == 0;
    if (!stored) {
        compress(data, size, entry, packed);
        // Outside a solid stream nothing depends on this entry's coding: keep the smaller.
        if (!options_.solid && packed.size() >= size) stored = true;
    }
    if (stored) {
        entry.method = kMethodStored;
        entry.audio = false;
        entry.channels = 0;
        entry.packedSize = entry.size;
        if (!options_.solid) entry.solid = false;
    } else {
        entry.method = kMethodNormal;
        entry.packedSize = static_cast<uint32_t>(packed.size());
    }
    if (!writeHeader(name, entry, dosTime, attributes)) return false;
    const bool ok = stored ? sink_.write(data, size) : sink_.write(packed.data(), packed.size());
    if (info) *info = entry;
    return ok;
}

bool ArchiveWriter::writeHeader(const char* name, const PackedEntry& entry, uint32_t dosTime,
                                uint32_t attributes) {
    const size_t nameSize = std::strlen(name);
    std::vector<uint8_t> h(kFileHeaderFixedSize + nameSize, 0);
    h[2] = kBlockFile;
    store16(&h[3], static_cast<uint16_t>(kBlockHasAddSize | kFileWindow1M |
                                         (entry.solid ? kFileSolid : 0)));
    store16(&h[5], static_cast<uint16_t>(h.size()));
    store32(&h[7], entry.packedSize);
    store32(&h[11], entry.size);
    h[15] = kHostMsDos;
    store32(&h[16], entry.crc);
    store32(&h[20], dosTime);
    h[24] = kVersion20;
    h[25] = entry.method;
    store16(&h[26], static_cast<uint16_t>(nameSize));
    store32(&h[28], attributes);
    std::memcpy(&h[kFileHeaderFixedSize], name, nameSize);
    store16(&h[0], static_cast<uint16_t>(crc32Of(&h[2], h.size() - 2)));
    return sink_.write(h.data(), h.size());
}

}  // namespace rar
