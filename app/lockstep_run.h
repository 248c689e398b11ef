// lockstep_run.h - drawing a fixed number of frames on an exact clock.
//
// Frame k is drawn at time start + k / fps. The platform clock runs manually, so every clock
// of the program (the frame clock, the music clock) reads exactly those times, and the music
// is mixed in step. Two runs over the same span give the same frames and the same sound.
// A capture writes each frame as a PNG and the span's sound as a WAV; a measurement writes
// nothing and reports the frame rate it reached.
#pragma once

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/main_loop.h"

// Makes every clock of the program manual at a rate where frames fall on whole ticks. Call
// before the window and the music exist.
void beginLockstepClock(int fps);

// Draws the frames with `draw` (given `user`), the first at startSeconds. Returns the process
// exit status (0, or 1 after a message on standard error).
int runLockstep(const LaunchOptions& options, DemoWindow& window, FrameFunction draw, void* user,
                double startSeconds);

// For a measured run: ", R in the slowest second (from S s)", the rate of the `fps`
// consecutive frames that took longest, given when each frame was done (seconds from the
// start), and the song time that second starts at. Empty for runs shorter than a second.
std::string slowestSecond(const std::vector<double>& frameEnds, int fps, double startSeconds);
