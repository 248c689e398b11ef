// audio.h - the program's view of the sound output: one stereo device pulled by a callback.
//
// The music player mixes; the device only asks for more. The one backend today is SDL2
// (audio_sdl.cpp); a native backend would be one more file implementing these calls.
//
// The fill callback runs on the backend's own audio thread. lockAudioDevice keeps it from
// running, so state it shares with the main thread can be changed under the lock.
#pragma once

namespace platform {

struct AudioDevice;  // opaque, owned by the backend

// Fills exactly `frames` interleaved stereo frames (left, right) of 32-bit float.
using AudioFill = void (*)(void* user, float* stereo, int frames);

struct AudioFormat {
    int rate = 0;          // frames per second the callback is asked for
    int bufferFrames = 0;  // frames per callback, about
    // Frames the device still has to play when it asks for more: how long after a fill a
    // frame is heard, as far as the backend can tell.
    int latencyFrames = 0;
};

// Starts the audio system. False, with the reason in audioError(), when no driver works.
bool initAudio();
// Stops the audio system; closes nothing that is still open.
void shutdownAudio();

// Opens the default output for stereo float at `rate`, about `bufferFrames` per callback, in
// the paused state. The backend converts where the hardware wants another format. Null, with
// the reason in audioError(), when no device opens.
AudioDevice* openAudioDevice(int rate, int bufferFrames, AudioFill fill, void* user,
                             AudioFormat* obtained);
void pauseAudioDevice(AudioDevice* device, bool paused);
void lockAudioDevice(AudioDevice* device);
void unlockAudioDevice(AudioDevice* device);
// Stops and releases the device. When it returns the fill callback is not running and will
// not run again. Accepts null.
void closeAudioDevice(AudioDevice* device);

// For tests: while on, initAudio needs no driver and openAudioDevice opens a device that
// plays nothing and asks for frames only when pullAudio is called, on the caller's thread,
// reporting latencyFrames as its latency. With the manual clock a test then decides exactly
// when the device asks and when the caller looks.
void useHandPulledAudio(bool on, int latencyFrames = 0);
// Has the open hand-pulled device ask its callback for `frames` frames; false without one.
bool pullAudio(int frames);

// Name of the driver in use ("pulseaudio", "alsa", "dummy", ...), or "" before initAudio.
const char* audioDriverName();
const char* audioError();

}  // namespace platform
