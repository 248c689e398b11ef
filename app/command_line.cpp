#include "app/command_line.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool parseInt(const char* text, int low, int high, int& out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < low || value > high) return false;
    out = static_cast<int>(value);
    return true;
}

bool parseSize(const char* text, int& width, int& height) {
    if (!text) return false;
    const char* x = std::strchr(text, 'x');
    if (!x) x = std::strchr(text, 'X');
    if (!x) return false;
    const std::string w(text, x);
    return parseInt(w.c_str(), 16, 16384, width) && parseInt(x + 1, 16, 16384, height);
}

bool parseSeconds(const char* text, double& out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    out = std::strtod(text, &end);
    return *end == '\0' && std::isfinite(out) && out > 0.0 && out < 24.0 * 3600.0;
}

}  // namespace

int LaunchOptions::lockstepFrames() const {
    if (frames > 0) return frames;
    if (duration > 0.0) return static_cast<int>(std::ceil(duration * fps - 1e-9));
    return -1;
}

bool parseCommandLine(int argc, const char* const* argv, LaunchOptions& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needs = [&](bool ok, const char* what) {
            if (!ok)
                error = arg + ": expected " + what;
            else
                ++i;
            return ok;
        };
        if (arg == "--help" || arg == "-h") {
            o.showHelp = true;
        } else if (arg == "--version") {
            o.showVersion = true;
        } else if (arg == "--window") {
            if (!needs(parseSize(value, o.width, o.height), "a size like 800x600")) return false;
            o.windowGiven = true;
        } else if (arg == "--depth") {
            if (!needs(parseInt(value, 16, 32, o.colorBits) &&
                           (o.colorBits == 16 || o.colorBits == 32),
                       "16 or 32"))
                return false;
            o.depthGiven = true;
        } else if (arg == "--fullscreen") {
            o.fullscreen = true;
        } else if (arg == "--no-dialog") {
            o.noDialog = true;
        } else if (arg == "--effect") {
            if (!needs(value && *value, "an effect name (--effect list names them)")) return false;
            o.effect = argv[i];
        } else if (arg == "--data") {
            if (!needs(value && *value, "an archive path")) return false;
            o.dataPath = argv[i];
        } else if (arg == "--start-order") {
            if (!needs(parseInt(value, 0, 255, o.startOrder), "an order number 0-255"))
                return false;
        } else if (arg == "--loop") {
            o.loop = true;
        } else if (arg == "--keys") {
            std::string why;
            if (!value || !parseKeyScript(value, o.keys, why)) {
                error = arg + ": " + (value ? why : "expected SECONDS:KEY,...");
                return false;
            }
            ++i;
        } else if (arg == "--capture") {
            if (!needs(value && *value, "a directory")) return false;
            o.captureDir = argv[i];
        } else if (arg == "--video") {
            if (!needs(value && *value, "a video file (.mp4, .mkv or .webm)")) return false;
            o.videoPath = argv[i];
        } else if (arg == "--measure") {
            o.measure = true;
        } else if (arg == "--warm-up") {
            if (!needs(parseSeconds(value, o.warmUp), "seconds")) return false;
        } else if (arg == "--clear-only") {
            o.clearOnly = true;
        } else if (arg == "--fps") {
            if (!needs(parseInt(value, 1, 1000, o.fps), "frames per second 1-1000")) return false;
        } else if (arg == "--frames") {
            if (!needs(parseInt(value, 1, 10000000, o.frames), "a frame count")) return false;
        } else if (arg == "--duration") {
            if (!needs(parseSeconds(value, o.duration), "seconds")) return false;
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if ((!o.captureDir.empty()) + (!o.videoPath.empty()) + o.measure > 1) {
        error = "--capture, --video and --measure exclude each other";
        return false;
    }
    if ((o.frames > 0 || o.duration > 0) && !o.lockstep()) {
        error = "--frames and --duration need --capture DIR, --video FILE or --measure";
        return false;
    }
    if (o.frames > 0 && o.duration > 0) {
        error = "give --frames or --duration, not both";
        return false;
    }
    if (o.lockstep() && o.videoPath.empty() && o.lockstepFrames() < 0) {
        error = "a lockstep run needs --frames N or --duration S";
        return false;
    }
    if ((o.loop || !o.keys.empty()) && o.lockstep()) {
        error = std::string(o.loop ? "--loop" : "--keys") +
                " plays in real time, not with --capture, --video or --measure";
        return false;
    }
    if (o.clearOnly && !o.measure) {
        error = "--clear-only goes with --measure";
        return false;
    }
    if (o.warmUp > 0 && (!o.measure || o.warmUp >= o.lockstepFrames() / double(o.fps))) {
        error =
            o.measure ? "--warm-up must be shorter than the run" : "--warm-up goes with --measure";
        return false;
    }
    return true;
}

const char* usageText() {
    return "Usage: palisade [OPTIONS]\n"
           "Plays the demo Vexil Palisade 2.0. Escape or the close box ends it.\n"
           "\n"
           "Keys while it plays:\n"
           "  Space              pause, and go on\n"
           "  Left, Right        jump to the start of the previous or next order\n"
           "  Home               start the song again\n"
           "  Escape             quit\n"
           "\n"
           "First a settings dialog asks for the display; its Cancel, Escape or close box\n"
           "end the program (status 0). It does not open when a display option is given,\n"
           "in lockstep runs, or where the video driver shows nothing (SDL's offscreen and\n"
           "dummy drivers): the display is then the options' or the defaults (640x480,\n"
           "32 bits, windowed).\n"
           "\n"
           "Display:\n"
           "  --window WxH       window of W x H pixels\n"
           "  --depth 16|32      colour depth in bits\n"
           "  --fullscreen       full screen (at --window's size, or 640x480)\n"
           "  --no-dialog        skip the settings dialog\n"
           "\n"
           "Effects:\n"
           "  --effect NAME      draw one effect alone, full screen, instead of the demo\n"
           "                     (real time, or with --capture/--measure); list: the names\n"
           "\n"
           "Data and position:\n"
           "  --data FILE        archive with the production's assets (default: data.rar\n"
           "                     in the working directory, else the installed one)\n"
           "  --start-order N    start the song at order N, with the clock at that time\n"
           "  --loop             start the song again when it ends (real time only)\n"
           "  --keys LIST        press keys at set times of a real-time run, for runs no\n"
           "                     one watches: SECONDS:KEY,... after the start, KEY\n"
           "                     one of space, left, right, home, escape\n"
           "\n"
           "Lockstep (frame k is drawn at time k / fps, the music rendered in step):\n"
           "  --capture DIR      write numbered PNG frames and audio.wav into DIR (the\n"
           "                     files of an earlier capture there are replaced)\n"
           "  --video FILE       write one video file with its sound through ffmpeg; the\n"
           "                     extension picks the format: .mp4 (H.264, AAC), .mkv\n"
           "                     (lossless FFV1, FLAC), .webm (VP9, Opus). Without\n"
           "                     --frames or --duration it runs to the end of the song\n"
           "  --measure          draw without writing files and print the frame rate\n"
           "  --clear-only       with --measure: only clear each frame (the reference)\n"
           "  --warm-up S        with --measure: draw the first S seconds uncounted\n"
           "  --fps N            frames per second of the lockstep clock (default 30)\n"
           "  --frames N         number of frames to draw\n"
           "  --duration S       or the number of seconds to draw\n"
           "\n"
           "  --help             this text\n"
           "  --version          the program's version\n"
           "\n"
           "Exit status: 0; 1 when the archive cannot be read, the window or the demo cannot\n"
           "start, a video cannot be written (nothing is left under its name), or a lockstep\n"
           "run showed an error message or met an OpenGL error (its frames are still\n"
           "written); 2 for a wrong option; 130 when Ctrl-C stopped a video export.\n";
}
