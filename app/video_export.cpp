#include "app/video_export.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/process.h"

namespace {

namespace fs = std::filesystem;

struct FormatCodecs {
    VideoFormat format;
    const char* codecs;  // ffmpeg's arguments for the streams, separated by blanks
};

// Good defaults for watching and sharing: H.264 and AAC play everywhere; FFV1 and FLAC keep
// every pixel and sample; VP9 and Opus for the web.
const FormatCodecs kFormats[] = {
    {{".mp4", "mp4", "H.264 and AAC"},
     "-c:v libx264 -preset veryfast -crf 16 -pix_fmt yuv420p -c:a aac -b:a 192k "
     "-movflags +faststart"},
    {{".mkv", "matroska", "lossless FFV1 and FLAC"}, "-c:v ffv1 -level 3 -c:a flac"},
    {{".webm", "webm", "VP9 and Opus"},
     "-c:v libvpx-vp9 -crf 30 -b:v 0 -row-mt 1 -pix_fmt yuv420p -c:a libopus -b:a 160k"},
};

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void appendWords(std::vector<std::string>& out, const char* words) {
    std::string word;
    for (const char* c = words;; ++c) {
        if (*c == ' ' || *c == '\0') {
            if (!word.empty()) out.push_back(word);
            word.clear();
            if (*c == '\0') break;
        } else {
            word += *c;
        }
    }
}

const FormatCodecs* formatEntry(const VideoFormat& format) {
    for (const FormatCodecs& f : kFormats)
        if (&f.format == &format) return &f;
    return nullptr;
}

}  // namespace

const VideoFormat* videoFormatFor(const std::string& path) {
    const std::string extension = lowerCase(fs::path(path).extension().string());
    for (const FormatCodecs& f : kFormats)
        if (extension == f.format.extension) return &f.format;
    return nullptr;
}

std::string knownVideoExtensions() {
    std::string text;
    for (const FormatCodecs& f : kFormats)
        text += (text.empty() ? "" : ", ") + std::string(f.format.extension);
    return text;
}

std::vector<std::string> ffmpegArguments(const std::string& output, const VideoFormat& format,
                                         int width, int height, int fps) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    std::vector<std::string> args = {
        "ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
        // Both inputs are raw with their format given, so ffmpeg must not wait for seconds of
        // one of them to probe it while the other's pipe fills: that would stall both sides.
        // The picture: raw RGB frames, rows bottom-up as OpenGL reads them.
        "-probesize", "32", "-analyzeduration", "0", "-f", "rawvideo", "-pix_fmt", "rgb24", "-s",
        size, "-r", std::to_string(fps), "-i", "pipe:0",
        // The sound: interleaved stereo float.
        "-probesize", "32", "-analyzeduration", "0", "-f", "f32le", "-ar",
        std::to_string(VideoExport::kSampleRate), "-ac", "2", "-i", "pipe:3", "-map", "0:v", "-map",
        "1:a",
        // Upright, and even-sized for the 4:2:0 codecs.
        "-vf", "vflip,pad=ceil(iw/2)*2:ceil(ih/2)*2"};
    if (const FormatCodecs* entry = formatEntry(format)) appendWords(args, entry->codecs);
    args.insert(args.end(), {"-f", format.container, output});
    return args;
}

VideoExport::~VideoExport() {
    abandon();
}

bool canWriteVideo(const std::string& path, std::string& error) {
    if (!videoFormatFor(path)) {
        error = "cannot tell the video format of " + path + " (use " + knownVideoExtensions() + ")";
        return false;
    }
    if (platform::findExecutable("ffmpeg").empty()) {
        error =
            "writing a video needs ffmpeg, which is not installed (on Debian: "
            "sudo apt-get install ffmpeg)";
        return false;
    }
    const fs::path target(path);
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(directory, ec)) {
        error = "cannot write " + path + ": there is no directory " + directory.string();
        return false;
    }
    return true;
}

bool VideoExport::begin(const std::string& path, int width, int height, int fps,
                        std::string& error) {
    abandon();
    if (!canWriteVideo(path, error)) return false;
    const fs::path target(path);
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    path_ = path;
    partial_ = (directory / ("." + target.filename().string() + ".partial")).string();
    process_ = platform::startProcess(
        ffmpegArguments(partial_, *videoFormatFor(path), width, height, fps), 2, error);
    if (!process_) return false;
    frameBytes_ = static_cast<size_t>(width) * height * 3;
    // ffmpeg reads the sound in packets of a few hundredths of a second and may wait for a
    // whole one before it takes more picture, while the sound for a frame is only made
    // before that frame: a tenth of a second of frames (at least two) may wait in memory.
    framesAhead_ = std::max(2, (fps + 9) / 10);
    ending_ = broken_ = false;
    framesWaiting_ = 0;
    writer_ = std::thread(&VideoExport::feed, this);
    return true;
}

bool VideoExport::addFrame(const uint8_t* rgb) {
    return hand(0, rgb, frameBytes_);
}

bool VideoExport::addSound(const float* stereo, int64_t frames) {
    if (frames <= 0) return process_ != nullptr;
    return hand(1, stereo, static_cast<size_t>(frames) * 2 * sizeof(float));
}

bool VideoExport::hand(int pipe, const void* data, size_t size) {
    if (!process_) return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    std::unique_lock<std::mutex> lock(mutex_);
    // Frames wait for room; the sound never does (it is small, and the encoder may want
    // much of it before it takes the next frame).
    if (pipe == 0)
        changed_.wait(lock, [&] { return broken_ || framesWaiting_ < kFramesHandedOver; });
    if (broken_) return false;
    // A frame's buffer is used again rather than made anew: fresh pages cost the system
    // more than the copy.
    Block block{pipe, {}};
    if (pipe == 0 && !spare_.empty()) {
        block.bytes.swap(spare_.back());
        spare_.pop_back();
    }
    lock.unlock();
    block.bytes.assign(bytes, bytes + size);
    lock.lock();
    framesWaiting_ += pipe == 0;
    blocks_.push_back(std::move(block));
    changed_.notify_all();
    return true;
}

void VideoExport::feed() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        changed_.wait(lock, [&] { return ending_ || !blocks_.empty(); });
        if (blocks_.empty()) return;  // ending, and everything handed over is out
        Block block = std::move(blocks_.front());
        blocks_.pop_front();
        lock.unlock();
        // The sound is queued, never waited on; a frame returns once no more than
        // framesAhead_ frames' bytes wait in memory for ffmpeg.
        const bool written =
            block.pipe == 0
                ? platform::writeToProcess(process_, 0, block.bytes.data(), block.bytes.size(),
                                           frameBytes_ * framesAhead_)
                : platform::queueForProcess(process_, 1, block.bytes.data(), block.bytes.size());
        lock.lock();
        if (block.pipe == 0) spare_.push_back(std::move(block.bytes));
        framesWaiting_ -= block.pipe == 0;
        if (!written) {
            broken_ = true;
            blocks_.clear();
            framesWaiting_ = 0;
        }
        changed_.notify_all();
        if (broken_) {
            // Nothing more reaches ffmpeg; wait to be told to end.
            changed_.wait(lock, [&] { return ending_; });
            return;
        }
    }
}

void VideoExport::stopFeeding() {
    if (!writer_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    writer_.join();
}

bool VideoExport::finish(std::string& error) {
    if (!process_) {
        error = "no export was started";
        return false;
    }
    stopFeeding();
    const int status = platform::finishProcess(process_);
    process_ = nullptr;
    std::error_code ec;
    if (status != 0) {
        fs::remove(partial_, ec);
        error = status < 0 ? "ffmpeg was stopped"
                           : "ffmpeg failed (exit status " + std::to_string(status) + ")";
        return false;
    }
    fs::rename(partial_, path_, ec);
    if (ec) {
        fs::remove(partial_, ec);
        error = "cannot put the video under " + path_ + ": " + ec.message();
        return false;
    }
    return true;
}

void VideoExport::abandon() {
    if (!process_) return;
    {
        // What is still handed over is dropped: the writer ends after its current block.
        std::lock_guard<std::mutex> lock(mutex_);
        blocks_.clear();
        framesWaiting_ = 0;
    }
    stopFeeding();
    platform::killProcess(process_);
    process_ = nullptr;
    std::error_code ec;
    fs::remove(partial_, ec);
}
