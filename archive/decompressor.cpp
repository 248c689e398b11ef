#include "archive/decompressor.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

// The match copy is used from several places of the decoding loop and must stay inline there.
#if defined(__GNUC__)
#define RAR_LAMBDA_INLINE __attribute__((always_inline))
#else
#define RAR_LAMBDA_INLINE
#endif

namespace rar {
namespace {

// Below this position a whole match (at most 260 bytes) fits before the end of the window,
// so the main loop neither masks nor flushes there.
constexpr uint32_t kFastLimit = kWindowSize - 300;

inline void copy8(uint8_t* d, const uint8_t* s) {
    uint64_t v;
    std::memcpy(&v, s, 8);
    std::memcpy(d, &v, 8);
}
inline void copy4(uint8_t* d, const uint8_t* s) {
    uint32_t v;
    std::memcpy(&v, s, 4);
    std::memcpy(d, &v, 4);
}

}  // namespace

Decompressor::Decompressor() = default;

Decompressor::~Decompressor() {
    std::free(window_);
}

bool Decompressor::reserveWindow(uint64_t bytes) {
    if (bytes <= capacity_) return true;
    // Grow geometrically, and straight to the whole window once an entry could wrap it.
    uint64_t want = std::max<uint64_t>(bytes, uint64_t{capacity_} * 2);
    if (want > kWindowSize / 2) want = kWindowSize;
    auto* grown = static_cast<uint8_t*>(std::realloc(window_, want));
    if (!grown) return false;
    window_ = grown;
    capacity_ = static_cast<uint32_t>(want);
    return true;
}

void Decompressor::resetState() {
    pos_ = 0;
    flushed_ = 0;
    wrapped_ = false;
    broken_ = false;
    tablesRead_ = false;
    std::memset(lengths_, 0, sizeof(lengths_));
    std::memset(previousLengths_, 0, sizeof(previousLengths_));
    std::memset(recent_, 0, sizeof(recent_));
    recentCount_ = 0;
    lastDistance_ = 0;
    lastLength_ = 0;
    audioMode_ = false;
    channels_ = 1;
    channel_ = 0;
    predictor_.reset();
}

bool Decompressor::decodeEntry(const uint8_t* packed, size_t packedSize, uint32_t unpackedSize,
                               bool solidEntry, uint8_t* output) {
    if (!solidEntry) resetState();
    // A solid entry with nothing before it in this read has no tables to go on with.
    if (broken_ || (solidEntry && !tablesRead_)) return false;
    broken_ = true;  // until this entry has decoded cleanly
    // A match may run up to 260 bytes past the entry's end before that is noticed.
    if (!reserveWindow(uint64_t{pos_} + unpackedSize + 300)) return false;

    output_ = output;
    outputSize_ = 0;
    outputCapacity_ = unpackedSize;
    flushed_ = pos_;

    BitInput in;
    in.reset(packed, packedSize);
    if (!solidEntry && !readTables(in)) return false;
    int64_t remaining = unpackedSize;
    if (!decodeBlocks(in, remaining) || !flush()) return false;
    if (output && outputSize_ != unpackedSize) return false;
    // Tables announced after the last byte belong to the next entry of a solid archive; a
    // damaged announcement spoils only that next entry.
    broken_ = !readPendingTableSwitch(in);
    return true;
}

bool Decompressor::readTables(BitInput& in) {
    in.refill();
    const uint32_t head = in.peek16();
    audioMode_ = (head & 0x8000) != 0;
    if (!(head & 0x4000)) std::memset(previousLengths_, 0, sizeof(previousLengths_));
    in.skip(2);

    unsigned count = kLzLengthCount;
    if (audioMode_) {
        channels_ = ((in.peek16() >> 14) & 3) + 1;
        if (channel_ >= channels_) channel_ = 0;
        in.skip(2);
        count = kAudioSymbols * channels_;
    }

    uint8_t bitLengths[kBitLenSymbols];
    for (uint8_t& len : bitLengths) {
        in.refill();
        len = static_cast<uint8_t>(in.take(4));
    }
    bitLen_.build(bitLengths, kBitLenSymbols);

    for (unsigned i = 0; i < count;) {
        if (in.overrun()) return false;
        in.refill();
        const unsigned sym = bitLen_.decode(in);
        if (sym < 16) {
            lengths_[i] = static_cast<uint8_t>((sym + previousLengths_[i]) & 15);
            ++i;
        } else if (sym == 16) {
            // A repeat at the very start has no length before it: it repeats 0.
            const uint8_t value = i > 0 ? lengths_[i - 1] : 0;
            for (unsigned n = in.take(2) + 3; n > 0 && i < count; --n) lengths_[i++] = value;
        } else {
            const unsigned n = sym == 17 ? in.take(3) + 3 : in.take(7) + 11;
            for (unsigned k = 0; k < n && i < count; ++k) lengths_[i++] = 0;
        }
    }
    if (in.overrun()) return false;

    if (audioMode_) {
        for (unsigned c = 0; c < channels_; ++c)
            audio_[c].build(lengths_ + c * kAudioSymbols, kAudioSymbols);
    } else {
        main_.build(lengths_, kMainSymbols);
        dist_.build(lengths_ + kMainSymbols, kDistSymbols);
        repLen_.build(lengths_ + kMainSymbols + kDistSymbols, kRepLenSymbols);
    }
    std::memcpy(previousLengths_, lengths_, sizeof(lengths_));
    tablesRead_ = true;
    return true;
}

inline void Decompressor::copyFast(uint8_t* d, uint32_t distance, uint32_t length) {
    // Neither end wraps and the source lies wholly behind d: plain pointer copies.
    const uint8_t* s = d - distance;
    if (distance >= 8) {
        if (length >= 8) {
            uint32_t i = 0;
            for (; i + 8 <= length; i += 8) copy8(d + i, s + i);
            // The last, overlapping piece rewrites bytes already final with the same values.
            if (i < length) copy8(d + length - 8, s + length - 8);
        } else if (length >= 4) {
            copy4(d, s);
            copy4(d + length - 4, s + length - 4);
        } else {
            for (uint32_t i = 0; i < length; ++i) d[i] = s[i];
        }
    } else if (distance == 1) {
        std::memset(d, s[0], length);
    } else {
        // A short period repeats: once the first bytes are in place, the bytes a whole number
        // of periods (at least 8) back are the same, and can go in eight at a time.
        const uint32_t step = (8 + distance - 1) / distance * distance;
        uint32_t i = 0;
        for (; i < length && i < step - distance; ++i) d[i] = s[i];
        for (; i + 8 <= length; i += 8) copy8(d + i, d + i - step);
        for (; i < length; ++i) d[i] = d[i - distance];
    }
}

bool Decompressor::decodeBlocks(BitInput& input, int64_t& remainingOut) {
    // The loop state lives in locals so that it stays in registers; it goes back to the
    // members around the few calls that need them.
    BitInput in = input;
    int64_t remaining = remainingOut;
    uint32_t pos = pos_;
    uint8_t* const window = window_;
    bool ok = true;

    auto copy = [&](uint32_t length, uint32_t distance) RAR_LAMBDA_INLINE {
        recent_[recentCount_++ & 3] = distance;
        lastDistance_ = distance;
        lastLength_ = length;
        remaining -= length;
        if (pos + length >= kWindowSize || distance - 1u >= pos) {
            pos_ = pos;
            copySlow(length, distance);
            pos = pos_;
            return;
        }
        copyFast(window + pos, distance, length);
        pos += length;
    };
    auto newTables = [&]() {
        input = in;
        ok = readTables(input);
        in = input;
        return ok;
    };

    while (remaining > 0) {
        if (in.overrun()) {
            ok = false;
            break;
        }
        if (pos >= kFastLimit || pos < flushed_) {
            pos_ = pos;
            if (!flush()) {
                ok = false;
                break;
            }
        }
        in.refill();

        if (audioMode_) {
            const unsigned sym = audio_[channel_].decode(in);
            if (sym == kAudioNewTables) {
                if (!newTables()) break;
                continue;
            }
            // As with literals, bytes go on without the checks above while the bits last.
            unsigned ch = channel_;
            for (unsigned s = sym;;) {
                window[pos] = predictor_.decode(ch, s);
                pos = (pos + 1) & kWindowMask;
                if (++ch >= channels_) ch = 0;
                if (--remaining <= 0 || pos >= kFastLimit) break;
                const uint16_t e = audio_[ch].peekShort(in);
                if ((e & 0x1FF) == kAudioNewTables || !(e >> 12) || (e >> 12) > in.available())
                    break;
                in.skip(e >> 12);
                s = e & 0x1FF;
            }
            channel_ = ch;
            continue;
        }

        unsigned sym = main_.decode(in);
        if (sym < 256) {
            // Runs of literals go on without the checks above while the bits of one refill
            // last: they read no extra bits and stay clear of the window's end.
            for (;;) {
                window[pos] = static_cast<uint8_t>(sym);
                pos = (pos + 1) & kWindowMask;
                if (--remaining <= 0 || pos >= kFastLimit) break;
                const uint16_t e = main_.peekShort(in);
                if ((e & 0x1FF) >= 256 || !(e >> 12) || (e >> 12) > in.available()) break;
                in.skip(e >> 12);
                sym = e & 0x1FF;
            }
        } else if (sym >= kSymLongFirst) {
            const unsigned code = sym - kSymLongFirst;
            uint32_t length = kLengthBase[code] + kMinLongMatch + in.take(kLengthBits[code]);
            const unsigned distCode = dist_.decode(in);
            const uint32_t distance = kDistBase[distCode] + 1 + in.take(kDistBits[distCode]);
            length += longMatchBonus(distance);
            copy(length, distance);
        } else if (sym == kSymNewTables) {
            if (!newTables()) break;
        } else if (sym == kSymRepeatLast) {
            copy(lastLength_, lastDistance_);
        } else if (sym < kSymShortFirst) {
            const uint32_t distance = recent_[(recentCount_ - (sym - 256)) & 3];
            const unsigned code = repLen_.decode(in);
            const uint32_t length = kLengthBase[code] + kMinRecentMatch +
                                    in.take(kLengthBits[code]) + recentMatchBonus(distance);
            copy(length, distance);
        } else {
            const unsigned slot = sym - kSymShortFirst;
            const uint32_t distance = kShortBase[slot] + 1 + in.take(kShortBits[slot]);
            copy(kShortMatchLength, distance);
        }
    }
    input = in;
    pos_ = pos;
    remainingOut = remaining;
    return ok;
}

void Decompressor::copySlow(uint32_t length, uint32_t distance) {
    for (uint32_t i = 0; i < length; ++i) {
        const uint32_t src = (pos_ - distance) & kWindowMask;
        // Before the first wrap, bytes at or beyond pos_ are the zeros of a fresh window.
        window_[pos_] = (!wrapped_ && src >= pos_) ? 0 : window_[src];
        pos_ = (pos_ + 1) & kWindowMask;
        if (pos_ == 0) wrapped_ = true;
    }
}

bool Decompressor::flush() {
    if (pos_ < flushed_) wrapped_ = true;
    if (output_ && pos_ != flushed_) {
        const uint32_t first = pos_ > flushed_ ? pos_ - flushed_ : kWindowSize - flushed_;
        const uint32_t second = pos_ > flushed_ ? 0 : pos_;
        if (static_cast<uint64_t>(outputSize_) + first + second > outputCapacity_) return false;
        std::memcpy(output_ + outputSize_, window_ + flushed_, first);
        std::memcpy(output_ + outputSize_ + first, window_, second);
        outputSize_ += first + second;
    }
    flushed_ = pos_;
    return true;
}

bool Decompressor::readPendingTableSwitch(BitInput& in) {
    if (in.bytesLeft() < 5) return true;
    in.refill();
    if (audioMode_) {
        if (audio_[channel_].decode(in) == kAudioNewTables) return readTables(in);
    } else if (main_.decode(in) == kSymNewTables) {
        return readTables(in);
    }
    return true;
}

}  // namespace rar
