// video_export.h - one video file with its sound, encoded by ffmpeg as the frames are drawn.
//
// The frames (RGB, rows bottom-up as OpenGL reads them) and the sound (interleaved stereo
// float at 44.1 kHz) go to an ffmpeg process through two pipes; no frame touches the disk on
// the way. A thread of the export's own feeds ffmpeg, so the next frame is drawn while this
// one is written and encoded. The container and codecs follow the file's extension. ffmpeg writes
// to a hidden name beside the file, which becomes the file only when the export has finished: a
// failed or interrupted export leaves nothing under the name asked for.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {
struct Process;
}

struct VideoFormat {
    const char* extension;  // ".mp4"
    const char* container;  // ffmpeg's muxer name
    const char* description;
};

// The format a file name asks for, by its extension (letter case ignored); null when none.
const VideoFormat* videoFormatFor(const std::string& path);
// The extensions known, for messages: ".mp4, .mkv, .webm".
std::string knownVideoExtensions();
// Whether a video can be written there: a known extension, ffmpeg installed, the directory
// there. False with the reason (and, for ffmpeg, how to install it) in error.
bool canWriteVideo(const std::string& path, std::string& error);

class VideoExport {
  public:
    static constexpr int kSampleRate = 44100;

    VideoExport() = default;
    ~VideoExport();  // abandons an export that was not finished
    VideoExport(const VideoExport&) = delete;
    VideoExport& operator=(const VideoExport&) = delete;

    // Starts ffmpeg for a width x height picture at fps frames a second. False with the
    // reason (ffmpeg missing, with how to install it; an unknown extension; ...) in error.
    bool begin(const std::string& path, int width, int height, int fps, std::string& error);
    // One frame: width x height RGB bytes, rows bottom-up. Copied; false once ffmpeg has
    // stopped taking what it is given.
    bool addFrame(const uint8_t* rgb);
    // Sound: interleaved stereo frames. Copied, as frames are.
    bool addSound(const float* stereo, int64_t frames);
    // Ends the streams, waits for ffmpeg and puts the file under its name. False with the
    // reason in error; nothing is left behind then.
    bool finish(std::string& error);
    // Stops ffmpeg and removes what it wrote.
    void abandon();

    bool active() const { return process_ != nullptr; }
    const std::string& partialPath() const { return partial_; }

  private:
    struct Block {
        int pipe;  // 0 the picture, 1 the sound
        std::vector<uint8_t> bytes;
    };
    bool hand(int pipe, const void* data, size_t size);
    void feed();         // the writer thread
    void stopFeeding();  // lets the writer finish what it has and joins it

    platform::Process* process_ = nullptr;
    std::string path_;
    std::string partial_;
    size_t frameBytes_ = 0;
    int framesAhead_ = 2;  // frames that may wait in memory for ffmpeg

    // Blocks handed over and not yet given to ffmpeg, at most kFramesHandedOver frames.
    static constexpr int kFramesHandedOver = 2;
    std::thread writer_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Block> blocks_;
    std::vector<std::vector<uint8_t>> spare_;  // written frames' buffers, to be used again
    int framesWaiting_ = 0;
    bool ending_ = false;
    bool broken_ = false;  // ffmpeg stopped taking what it was given
};

// The arguments ffmpeg is started with: the picture on its standard input, the sound on
// descriptor 3, the result into output.
std::vector<std::string> ffmpegArguments(const std::string& output, const VideoFormat& format,
                                         int width, int height, int fps);
