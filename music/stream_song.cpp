#include "music/stream_song.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kFileBlock = 1024;

using Memory = StreamSong::Memory;

sf_count_t memoryLength(void* user) {
    return static_cast<Memory*>(user)->size;
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    Memory* m = static_cast<Memory*>(user);
    sf_count_t to = offset;
    if (whence == SEEK_CUR) to += m->at;
    if (whence == SEEK_END) to += m->size;
    m->at = std::clamp<sf_count_t>(to, 0, m->size);
    return m->at;
}

sf_count_t memoryRead(void* out, sf_count_t count, void* user) {
    Memory* m = static_cast<Memory*>(user);
    const sf_count_t n = std::clamp<sf_count_t>(m->size - m->at, 0, std::max<sf_count_t>(count, 0));
    std::memcpy(out, m->data + m->at, static_cast<size_t>(n));
    m->at += n;
    return n;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*) {
    return 0;  // read-only
}

sf_count_t memoryTell(void* user) {
    return static_cast<Memory*>(user)->at;
}

}  // namespace

StreamSong::~StreamSong() {
    if (file_) sf_close(file_);
}

bool StreamSong::load(const unsigned char* data, size_t size, int rate, std::string* error) {
    if (file_) sf_close(file_);
    file_ = nullptr;
    memory_ = Memory{data, static_cast<int64_t>(size), 0};
    SF_VIRTUAL_IO io = {memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    file_ = data ? sf_open_virtual(&io, SFM_READ, &info, &memory_) : nullptr;
    if (!file_ || info.channels < 1 || info.samplerate < 1) {
        if (error) *error = data ? sf_strerror(file_) : "no data";
        if (file_) sf_close(file_);
        file_ = nullptr;
        return false;
    }
    rate_ = rate > 0 ? rate : 44100;
    fileRate_ = info.samplerate;
    fileChannels_ = info.channels;
    fileBlock_.assign(static_cast<size_t>(kFileBlock) * static_cast<size_t>(fileChannels_), 0.0f);
    mono_.assign(kFileBlock, 0.0f);
    blockFrames_ = blockAt_ = 0;
    fileDone_ = ended_ = primed_ = haveNext_ = endAnnounced_ = false;
    position_ = 0;
    phase_ = 0.0;
    previous_ = next_ = 0.0f;
    return true;
}

bool StreamSong::readFileFrame(float& out) {
    if (blockAt_ == blockFrames_) {
        if (fileDone_) return false;
        blockFrames_ = static_cast<int>(sf_readf_float(file_, fileBlock_.data(), kFileBlock));
        blockAt_ = 0;
        if (blockFrames_ < kFileBlock) fileDone_ = true;
        for (int i = 0; i < blockFrames_; ++i) {
            float sum = 0.0f;
            for (int c = 0; c < fileChannels_; ++c)
                sum += fileBlock_[static_cast<size_t>(i * fileChannels_ + c)];
            mono_[static_cast<size_t>(i)] = sum / static_cast<float>(fileChannels_);
        }
        if (blockFrames_ == 0) return false;
    }
    out = mono_[static_cast<size_t>(blockAt_++)];
    return true;
}

void StreamSong::render(float* stereo, int frames, SyncEventSink* sink) {
    const bool endedBefore = ended_;
    // Output frame j plays file position j x step, between file frames previous_ and next_.
    const double step = static_cast<double>(fileRate_) / static_cast<double>(rate_);
    for (int i = 0; i < frames; ++i) {
        if (file_ && !primed_) {
            primed_ = true;
            ended_ = !readFileFrame(previous_);
            haveNext_ = !ended_ && readFileFrame(next_);
        }
        while (!ended_ && phase_ >= 1.0) {
            phase_ -= 1.0;
            if (!haveNext_) {
                ended_ = true;
                break;
            }
            previous_ = next_;
            haveNext_ = readFileFrame(next_);
        }
        float v = 0.0f;
        if (file_ && !ended_) {
            const float toward = haveNext_ ? next_ : previous_;
            v = previous_ + static_cast<float>(phase_) * (toward - previous_);
            phase_ += step;
        }
        if (ended_ && !endedBefore && !endAnnounced_) {
            endAnnounced_ = true;
            SyncEvent end;
            end.kind = SyncEvent::kEnd;
            end.frame = position_ + i;
            if (sink) sink->onSyncEvent(end);
        }
        stereo[2 * i] = v;
        stereo[2 * i + 1] = v;
    }
    position_ += frames;
}
