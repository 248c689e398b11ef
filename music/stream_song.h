// stream_song.h - a sampled recording (WAV, OGG, FLAC, ...) decoded from memory by libsndfile.
//
// Played as one mono channel on both sides of the output, whatever the file holds, and
// resampled (linearly) when the file's rate differs from the output's. A stream carries no
// orders and no notes: it gives only sound and, through the player, the spectrum.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "music/music_source.h"

struct sf_private_tag;

class StreamSong final : public MusicSource {
  public:
    StreamSong() = default;
    ~StreamSong() override;
    StreamSong(const StreamSong&) = delete;
    StreamSong& operator=(const StreamSong&) = delete;

    // The data is read in place and must outlive the stream. False, with libsndfile's
    // reason in *error when given, if it cannot be decoded.
    bool load(const unsigned char* data, size_t size, int rate, std::string* error = nullptr);

    void render(float* stereo, int frames, SyncEventSink* sink) override;
    bool finished() const override { return ended_; }

    int fileRate() const { return fileRate_; }
    int fileChannels() const { return fileChannels_; }

    // libsndfile's view of the memory, public for its C callbacks.
    struct Memory {
        const unsigned char* data = nullptr;
        int64_t size = 0;
        int64_t at = 0;
    };

  private:
    bool readFileFrame(float& out);

    sf_private_tag* file_ = nullptr;
    Memory memory_;
    int rate_ = 44100;
    int fileRate_ = 0;
    int fileChannels_ = 0;
    bool ended_ = false;
    bool endAnnounced_ = false;
    int64_t position_ = 0;  // frames handed out

    // Decoded file frames, downmixed, waiting to be resampled.
    std::vector<float> fileBlock_;
    std::vector<float> mono_;
    int blockFrames_ = 0;
    int blockAt_ = 0;
    bool fileDone_ = false;

    // Linear resampling between two consecutive file frames.
    double phase_ = 0.0;
    float previous_ = 0.0f;
    float next_ = 0.0f;
    bool haveNext_ = false;
    bool primed_ = false;
};
