// video_export.h - one video file with its sound, encoded by ffmpeg as the frames are drawn.
//
// The frames (RGB, rows bottom-up as OpenGL reads them) and the sound (interleaved stereo
// float at 44.1 kHz) go to an ffmpeg process through two pipes; no frame touches the disk on
// the way. The container and codecs follow the file's extension. ffmpeg writes to a hidden
// name beside the file, which becomes the file only when the export has finished: a failed or
// interrupted export leaves nothing under the name asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
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
    // One frame: width x height RGB bytes, rows bottom-up.
    bool addFrame(const uint8_t* rgb);
    // Sound: interleaved stereo frames.
    bool addSound(const float* stereo, int64_t frames);
    // Ends the streams, waits for ffmpeg and puts the file under its name. False with the
    // reason in error; nothing is left behind then.
    bool finish(std::string& error);
    // Stops ffmpeg and removes what it wrote.
    void abandon();

    bool active() const { return process_ != nullptr; }
    const std::string& partialPath() const { return partial_; }

  private:
    platform::Process* process_ = nullptr;
    std::string path_;
    std::string partial_;
    size_t frameBytes_ = 0;
    int framesAhead_ = 2;  // frames that may wait in memory for ffmpeg
};

// The arguments ffmpeg is started with: the picture on its standard input, the sound on
// descriptor 3, the result into output.
std::vector<std::string> ffmpegArguments(const std::string& output, const VideoFormat& format,
                                         int width, int height, int fps);
