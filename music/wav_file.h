// wav_file.h - writes the mixed output to a 16-bit PCM WAV file, a block at a time.
#pragma once

#include <cstdint>

struct sf_private_tag;

class WavFile {
  public:
    WavFile() = default;
    ~WavFile();
    WavFile(const WavFile&) = delete;
    WavFile& operator=(const WavFile&) = delete;

    // Creates (or replaces) the file. False when it cannot be created.
    bool open(const char* path, int rate, int channels = 2);
    // Appends interleaved float frames; values beyond full scale are clipped.
    bool write(const float* frames, int64_t count);
    // Finishes the header. False when something could not be written.
    bool close();
    bool isOpen() const { return file_ != nullptr; }
    const char* error() const;

  private:
    sf_private_tag* file_ = nullptr;
    int channels_ = 2;
    bool failed_ = false;
};
