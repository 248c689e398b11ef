#include "music/wav_file.h"

#include <sndfile.h>

#include <cstring>

WavFile::~WavFile() {
    close();
}

bool WavFile::open(const char* path, int rate, int channels) {
    close();
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    file_ = sf_open(path, SFM_WRITE, &info);
    if (!file_) return false;
    // Loud mixes overshoot full scale; clip them rather than let them wrap around.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    channels_ = channels;
    failed_ = false;
    return true;
}

bool WavFile::write(const float* frames, int64_t count) {
    if (!file_) return false;
    if (count <= 0) return true;
    if (sf_writef_float(file_, frames, count) != count) failed_ = true;
    return !failed_;
}

bool WavFile::close() {
    if (!file_) return false;
    const bool ok = sf_close(file_) == 0 && !failed_;
    file_ = nullptr;
    return ok;
}

const char* WavFile::error() const {
    return sf_strerror(file_);
}
