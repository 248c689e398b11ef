// command_line.h - the production's options.
//
// Without options the program behaves as it always has: settings dialog, data.rar in the
// working directory, real time. The options serve users (window size, depth, full screen,
// another archive) and the team (starting at an order, lockstep capture and measurement).
#pragma once

#include <string>
#include <vector>

#include "app/key_script.h"

struct LaunchOptions {
    bool showHelp = false;
    bool showVersion = false;

    bool windowGiven = false;  // --window WxH: windowed at that size
    int width = 640;
    int height = 480;
    bool depthGiven = false;  // --depth 16|32
    int colorBits = 32;
    bool fullscreen = false;  // --fullscreen
    bool noDialog = false;    // --no-dialog

    std::string effect;  // --effect NAME: one effect alone ("list" prints the names)

    std::string dataPath;  // --data FILE; empty: look for data.rar (data_location.h)
    int startOrder = -1;                // --start-order N; -1: from the start
    bool loop = false;                  // --loop: the song starts again when it ends
    std::vector<ScriptedKey> keys;      // --keys LIST: key presses replayed in real time

    // Lockstep: frame k is drawn at time k / fps with the music rendered in step.
    std::string captureDir;  // --capture DIR: PNG frames and a WAV of the same span
    std::string videoPath;   // --video FILE: one video file with its sound, through ffmpeg
    bool measure = false;    // --measure: lockstep without writing files, prints the rate
    bool clearOnly = false;  // --clear-only: frames are only cleared (reference for --measure)
    double warmUp = 0.0;     // --warm-up S: with --measure, the first S seconds are not counted
    int fps = 30;            // --fps N
    int frames = -1;         // --frames N
    double duration = -1.0;  // --duration S

    bool lockstep() const { return !captureDir.empty() || !videoPath.empty() || measure; }
    // The settings dialog opens unless the display was chosen here already (or refused), or
    // the run is in lockstep.
    bool dialogWanted() const {
        return !noDialog && !windowGiven && !depthGiven && !fullscreen && !lockstep();
    }
    // Number of frames a lockstep run draws; -1 when not given (a video then runs to the end
    // of the song).
    int lockstepFrames() const;
};

// Fills options from argv. False with a one-line reason in error for anything it cannot use.
bool parseCommandLine(int argc, const char* const* argv, LaunchOptions& options,
                      std::string& error);

const char* usageText();
