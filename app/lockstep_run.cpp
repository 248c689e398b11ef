#include "app/lockstep_run.h"

#include <GL/gl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/png_frame.h"
#include "app/video_export.h"
#include "display/demo_window.h"
#include "music/music_player.h"
#include "music/wav_file.h"
#include "platform/platform.h"
#include "platform/process.h"

namespace {

// Ticks of the manual clock per frame: one per output sample at 44.1 kHz, so both frame and
// sample times are whole ticks.
constexpr int64_t kTicksPerFrame = 44100;

// The back buffer as RGB bytes, rows bottom-up.
const std::vector<unsigned char>& readBackFrame(const DemoWindow& window,
                                                std::vector<unsigned char>& pixels) {
    pixels.resize(static_cast<size_t>(window.width) * window.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, window.width, window.height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Writes the back buffer as numbered PNG files.
class FrameWriter {
  public:
    FrameWriter(std::string directory, const DemoWindow& window)
        : directory_(std::move(directory)), window_(window) {}

    bool write(int index) {
        const int w = window_.width, h = window_.height;
        readBackFrame(window_, pixels_);
        char name[32];
        std::snprintf(name, sizeof name, "/frame%05d.png", index);
        const std::string path = directory_ + name;

        // Written through a stream of our own: DevIL's own file writing does not notice a
        // write that fails (a full disk) and would leave a cut-off picture behind.
        errno = 0;
        FILE* file = std::fopen(path.c_str(), "wb");  // a frame of an earlier capture is replaced
        bool ok = file && writePngFrame(file, w, h, pixels_.data());
        int error = errno;
        if (file && std::fclose(file) != 0 && ok) {
            ok = false;
            error = errno;
        }
        if (!ok) {
            if (file) std::remove(path.c_str());  // no cut-off frame is left
            std::fprintf(stderr, "palisade: cannot write %s: %s\n", path.c_str(),
                         error ? std::strerror(error) : "the picture could not be encoded");
        }
        return ok;
    }

  private:
    std::string directory_;
    const DemoWindow& window_;
    std::vector<unsigned char> pixels_;
};

// Appends the span's sound to a WAV file or a video, padding with silence where the music
// gave none (no module).
class SoundTrack {
  public:
    bool open(const std::string& path) {
        path_ = path;
        if (!wav_.open(path.c_str(), kRate, 2)) {
            std::fprintf(stderr, "palisade: cannot write %s: %s\n", path.c_str(), wav_.error());
            return false;
        }
        return true;
    }
    void sendTo(VideoExport* video) { video_ = video; }
    // Brings the music to song time `seconds`, writing what it mixed.
    void advanceTo(double seconds) {
        const int64_t target = static_cast<int64_t>(std::llround(seconds * kRate));
        pcm_.clear();
        const bool keep = wav_.isOpen() || video_;
        g_musicPlayer.advanceTo(seconds, keep ? &pcm_ : nullptr);
        if (!keep) return;
        const int64_t wanted = (target - written_) * 2;
        if (wanted <= 0) return;
        pcm_.resize(static_cast<size_t>(wanted), 0.0f);
        if (video_ ? !video_->addSound(pcm_.data(), wanted / 2)
                   : !wav_.write(pcm_.data(), wanted / 2))
            failed_ = true;
        written_ = target;
    }
    bool failed() const { return failed_; }
    void startAt(double seconds) { written_ = static_cast<int64_t>(std::llround(seconds * kRate)); }
    // False when the sound could not be written whole; the file is then removed, so that no
    // cut-off audio.wav is left to pass for the capture's sound.
    bool close() {
        if (!wav_.isOpen()) return true;
        const std::string reason = wav_.error();
        if (wav_.close() && !failed_) return true;
        std::remove(path_.c_str());
        std::fprintf(stderr, "palisade: cannot write %s: %s\n", path_.c_str(), reason.c_str());
        return false;
    }

  private:
    static constexpr int kRate = 44100;
    std::string path_;
    WavFile wav_;
    VideoExport* video_ = nullptr;
    std::vector<float> pcm_;
    int64_t written_ = 0;
    bool failed_ = false;
};

// What the loop's frame function needs: the frame to draw and where it goes.
struct LockstepFrames {
    FrameFunction draw;
    void* user;
    const DemoWindow& window;
    FrameWriter* writer;  // null unless capturing
    VideoExport* video;   // null unless exporting
    int index = 0;
    bool writeFailed = false;
    int glErrorFrames = 0;  // frames after which OpenGL reported an error
    std::vector<unsigned char> pixels;
};

const char* glErrorName(GLenum error) {
    switch (error) {
        case GL_INVALID_ENUM:
            return "GL_INVALID_ENUM";
        case GL_INVALID_VALUE:
            return "GL_INVALID_VALUE";
        case GL_INVALID_OPERATION:
            return "GL_INVALID_OPERATION";
        case GL_STACK_OVERFLOW:
            return "GL_STACK_OVERFLOW";
        case GL_STACK_UNDERFLOW:
            return "GL_STACK_UNDERFLOW";
        case GL_OUT_OF_MEMORY:
            return "GL_OUT_OF_MEMORY";
        default:
            return "an unknown error";
    }
}

// A frame that left an OpenGL error drew something else than it meant to, so a lockstep run
// says so (the first few times, with the frame) and ends with status 1.
void checkGlErrors(LockstepFrames& frames) {
    bool any = false;
    for (GLenum error; (error = glGetError()) != GL_NO_ERROR;) {
        if (!any && frames.glErrorFrames < 3)
            std::fprintf(stderr, "palisade: OpenGL error %s (0x%04X) after frame %d\n",
                         glErrorName(error), error, frames.index);
        any = true;
    }
    if (any) ++frames.glErrorFrames;
}

// The frame as the caller draws it, read back before it is presented. When measuring, it is
// finished before the next one starts: a headless surface's swap does not wait for the
// renderer, so without this the rate would count queued work, not drawn frames.
bool drawAndCapture(void* user, float time, float frameTime) {
    LockstepFrames& frames = *static_cast<LockstepFrames*>(user);
    const bool keep = frames.draw(frames.user, time, frameTime);
    checkGlErrors(frames);
    if (frames.writeFailed) return keep;
    if (frames.writer) {
        frames.writeFailed = !frames.writer->write(frames.index);
    } else if (frames.video) {
        frames.writeFailed =
            !frames.video->addFrame(readBackFrame(frames.window, frames.pixels).data());
    } else {
        glFinish();
    }
    return keep;
}

// Whether a file name is one a capture writes: frameNNNNN.png or audio.wav.
bool captureFileName(const std::string& name) {
    if (name == "audio.wav") return true;
    if (name.size() < std::strlen("frame00000.png") || name.rfind("frame", 0) != 0) return false;
    const size_t dot = name.size() - 4;
    return name.compare(dot, 4, ".png") == 0 && name.find_first_not_of("0123456789", 5) == dot;
}

// Makes the directory, or empties it of an earlier capture, so that it ends up holding this
// capture alone and no frame is left over from a longer one. Other files are left alone.
bool prepareCaptureDirectory(const std::string& directory) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(directory, error);
    std::vector<fs::path> earlier;
    if (!error) {
        for (const auto& entry : fs::directory_iterator(directory, error)) {
            if (entry.is_regular_file() && captureFileName(entry.path().filename().string()))
                earlier.push_back(entry.path());
        }
    }
    int removed = 0;
    for (const fs::path& path : earlier) {
        if (error || !fs::remove(path, error)) break;
        ++removed;
    }
    if (error) {
        std::fprintf(stderr, "palisade: cannot write into %s: %s\n", directory.c_str(),
                     error.message().c_str());
        return false;
    }
    if (removed > 0)
        std::fprintf(stderr, "palisade: replacing the earlier capture in %s (%d files)\n",
                     directory.c_str(), removed);
    return true;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

std::string slowestSecond(const std::vector<double>& frameEnds, int fps, double startSeconds) {
    if (fps <= 0 || frameEnds.size() < static_cast<size_t>(fps)) return "";
    double longest = frameEnds[fps - 1];
    size_t first = 0;
    for (size_t k = fps; k < frameEnds.size(); ++k) {
        const double span = frameEnds[k] - frameEnds[k - fps];
        if (span > longest) longest = span, first = k - fps + 1;
    }
    char text[96];
    std::snprintf(text, sizeof text, ", %.1f in the slowest second (from %.1f s)",
                  longest > 0 ? fps / longest : 0.0, startSeconds + double(first) / fps);
    return text;
}

namespace {

// How many frames to draw: as asked, or for a video without a length, to the song's end.
int framesToDraw(const LaunchOptions& options, double startSeconds) {
    const int asked = options.lockstepFrames();
    if (asked > 0) return asked;
    const double song = g_musicPlayer.songSeconds();
    if (song <= startSeconds) return -1;
    return static_cast<int>(std::ceil((song - startSeconds) * options.fps - 1e-9));
}

void showProgress(const char* verb, int done, int total, double elapsed) {
    const double rate = elapsed > 0 ? done / elapsed : 0.0;
    const int left = rate > 0 ? static_cast<int>(std::lround((total - done) / rate)) : 0;
    std::fprintf(stderr, "\r%s frame %d of %d, %.1f frames per second, %d:%02d left   ", verb, done,
                 total, rate, left / 60, left % 60);
}

}  // namespace

void beginLockstepClock(int fps) {
    platform::useManualClock(kTicksPerFrame * fps);
}

int runLockstep(const LaunchOptions& options, DemoWindow& window, FrameFunction draw, void* user,
                double startSeconds) {
    const int frames = framesToDraw(options, startSeconds);
    const int fps = options.fps;
    const bool capture = !options.captureDir.empty();
    const bool video = !options.videoPath.empty();
    if (frames <= 0) {
        std::fprintf(stderr, "palisade: there is no song to run to the end of; give --duration\n");
        return 1;
    }

    FrameWriter writer(options.captureDir, window);
    VideoExport exporter;
    SoundTrack sound;
    if (capture && (!prepareCaptureDirectory(options.captureDir) ||
                    !sound.open(options.captureDir + "/audio.wav")))
        return 1;
    if (video) {
        std::string error;
        if (!exporter.begin(options.videoPath, window.width, window.height, fps, error)) {
            std::fprintf(stderr, "palisade: %s\n", error.c_str());
            return 1;
        }
        sound.sendTo(&exporter);
        // Ctrl-C stops the export between frames, so it can take its partial file away.
        platform::watchInterrupt(true);
    }
    sound.startAt(startSeconds);
    LockstepFrames state{
        draw,  user, window, capture ? &writer : nullptr, video ? &exporter : nullptr, 0,
        false, 0,    {}};
    MainLoop loop(window, drawAndCapture, &state);

    // The clock stands at the start time; frame k is drawn k frames later.
    const int64_t startTicks =
        static_cast<int64_t>(std::llround(startSeconds * kTicksPerFrame * fps));
    platform::advanceManualClock(startTicks - platform::counter());
    loop.start(startSeconds);

    const auto began = std::chrono::steady_clock::now();
    int drawn = 0;
    bool interrupted = false;
    std::vector<double> frameEnds;  // seconds since began when each frame was done
    for (int k = 0; k < frames && !state.writeFailed && !sound.failed(); ++k) {
        if (video && platform::interruptRequested()) {
            interrupted = true;
            break;
        }
        const int64_t target = startTicks + k * kTicksPerFrame;
        platform::advanceManualClock(target - platform::counter());
        // The sound up to this frame's time goes out before the frame itself.
        sound.advanceTo(startSeconds + static_cast<double>(k) / fps);
        state.index = k;
        if (!loop.stepFrame()) break;  // the user ended the run
        if (state.writeFailed) break;  // its file is gone; the sound stops where the frames do
        ++drawn;
        frameEnds.push_back(secondsSince(began));
        if ((capture || video) && (k % 30 == 29 || k + 1 == frames))
            showProgress(capture ? "captured" : "encoded", k + 1, frames, secondsSince(began));
    }
    if (capture || video) std::fputc('\n', stderr);
    // The sound covers the same span as the frames: drawn / fps seconds.
    if (!interrupted) sound.advanceTo(startSeconds + static_cast<double>(drawn) / fps);
    const double elapsed = secondsSince(began);

    if (video) {
        platform::watchInterrupt(false);
        if (interrupted) {
            exporter.abandon();
            std::fprintf(stderr, "palisade: interrupted; %s was not written\n",
                         options.videoPath.c_str());
            return 130;
        }
        std::string error;
        if (state.writeFailed || sound.failed()) {
            exporter.abandon();
            std::fprintf(stderr, "palisade: ffmpeg stopped taking the frames; %s was not written\n",
                         options.videoPath.c_str());
            return 1;
        }
        if (!exporter.finish(error)) {
            std::fprintf(stderr, "palisade: %s; %s was not written\n", error.c_str(),
                         options.videoPath.c_str());
            return 1;
        }
        std::error_code ec;
        const auto bytes = std::filesystem::file_size(options.videoPath, ec);
        std::printf("wrote %s: %.1f MB, %.2f s (%d frames at %d per second, %dx%d) in %.1f s\n",
                    options.videoPath.c_str(), ec ? 0.0 : bytes / 1e6,
                    static_cast<double>(drawn) / fps, drawn, fps, window.width, window.height,
                    elapsed);
    } else {
        if (!sound.close() || state.writeFailed || sound.failed()) return 1;
        if (capture) {
            std::printf("wrote %d frames and audio.wav to %s\n", drawn, options.captureDir.c_str());
        } else {
            // Frames of the warm-up are drawn but not counted: the figures start after them.
            const int skip = std::min(drawn, static_cast<int>(std::lround(options.warmUp * fps)));
            const double t0 = skip > 0 ? frameEnds[skip - 1] : 0.0;
            std::vector<double> counted(frameEnds.begin() + skip, frameEnds.end());
            for (double& t : counted) t -= t0;
            const double span = elapsed - t0;
            std::printf("%d frames at %dx%d in %.3f s: %.1f frames per second%s%s\n", drawn - skip,
                        window.width, window.height, span, span > 0 ? (drawn - skip) / span : 0.0,
                        slowestSecond(counted, fps, startSeconds + double(skip) / fps).c_str(),
                        options.clearOnly ? " (cleared frames only)" : "");
        }
    }
    // Scripts trust the status: frames drawn after an error (a texture or the music that
    // could not be read, an OpenGL error) are not what was asked for.
    if (state.glErrorFrames > 0) {
        std::fprintf(stderr, "palisade: OpenGL reported errors after %d of the %d frames\n",
                     state.glErrorFrames, drawn);
        return 1;
    }
    if (const int errors = platform::messagesShown()) {
        std::fprintf(stderr, "palisade: %d error %s shown during the run\n", errors,
                     errors == 1 ? "message was" : "messages were");
        return 1;
    }
    return 0;
}
