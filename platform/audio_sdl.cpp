// audio_sdl.cpp - SDL2 backend of the sound output.
//
// Platform: anything SDL2 has an audio driver for (PulseAudio, PipeWire, ALSA, and the
// "dummy" driver that consumes audio in real time without a sound card).
// Limits: one stereo float output at a time; SDL converts to what the hardware wants.
// Latency: SDL does not report it; we assume the device asks for a buffer when it has one
// buffer left to play (the queue we ask a PulseAudio server for, less a buffer), and that drivers
// without hardware (dummy, disk) have none.
// Depends on: SDL2 (audio subsystem).
#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/audio.h"

namespace platform {

struct AudioDevice {
    SDL_AudioDeviceID id = 0;  // 0: a hand-pulled device
    AudioFill fill = nullptr;
    void* user = nullptr;
};

namespace {

char g_error[256] = "";

// The hand-pulled device of the tests (useHandPulledAudio).
bool g_handPulled = false;
int g_handLatency = 0;
AudioDevice* g_handDevice = nullptr;

void setError(const char* text) {
    SDL_strlcpy(g_error, text ? text : "", sizeof g_error);
}

void SDLCALL sdlAudioCallback(void* userdata, Uint8* stream, int len) {
    AudioDevice* device = static_cast<AudioDevice*>(userdata);
    const int frames = len / static_cast<int>(2 * sizeof(float));
    device->fill(device->user, reinterpret_cast<float*>(stream), frames);
}

constexpr const char* kPulseQueueMs = "60";

bool driverWithoutHardware(const char* name) {
    return name && (std::strcmp(name, "dummy") == 0 || std::strcmp(name, "disk") == 0);
}

// The frames queued ahead of the one being heard when the device asks for more: one buffer
// in general, none without hardware. A PulseAudio server is asked for more when a buffer's
// room has come free in its queue, so the queue less one buffer is still to play.
int latencyFrames(const SDL_AudioSpec& have) {
    const char* driver = audioDriverName();
    if (driverWithoutHardware(driver)) return 0;
    const char* queueMs = std::getenv("PULSE_LATENCY_MSEC");
    if (driver && std::strcmp(driver, "pulseaudio") == 0 && queueMs) {
        const long ms = std::strtol(queueMs, nullptr, 10);
        if (ms > 0 && ms < 10000)
            return std::max(0, static_cast<int>(ms * have.freq / 1000) - have.samples);
    }
    return have.samples;
}

}  // namespace

void useHandPulledAudio(bool on, int latencyFrames) {
    g_handPulled = on;
    g_handLatency = latencyFrames;
}

bool pullAudio(int frames) {
    if (!g_handDevice || frames <= 0) return false;
    std::vector<float> scratch(2 * static_cast<size_t>(frames));
    g_handDevice->fill(g_handDevice->user, scratch.data(), frames);
    return true;
}

bool initAudio() {
    if (g_handPulled || SDL_WasInit(SDL_INIT_AUDIO)) return true;
    // SDL asks a PulseAudio server to keep one buffer queued, so a device thread that is late
    // by more than a buffer (on a loaded machine) leaves a gap. libpulse takes a longer queue
    // from its environment; a user's own setting stands.
    setenv("PULSE_LATENCY_MSEC", kPulseQueueMs, 0);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        setError(SDL_GetError());
        return false;
    }
    return true;
}

void shutdownAudio() {
    if (SDL_WasInit(SDL_INIT_AUDIO)) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

AudioDevice* openAudioDevice(int rate, int bufferFrames, AudioFill fill, void* user,
                             AudioFormat* obtained) {
    if (fill && g_handPulled) {
        if (g_handDevice) {
            setError("the hand-pulled device is open already");
            return nullptr;
        }
        g_handDevice = new AudioDevice;
        g_handDevice->fill = fill;
        g_handDevice->user = user;
        if (obtained) *obtained = {rate, bufferFrames, g_handLatency};
        return g_handDevice;
    }
    if (!fill || !SDL_WasInit(SDL_INIT_AUDIO)) {
        setError("audio system not started");
        return nullptr;
    }
    AudioDevice* device = new AudioDevice;
    device->fill = fill;
    device->user = user;

    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples =
        static_cast<Uint16>(bufferFrames > 0 && bufferFrames < 65536 ? bufferFrames : 1024);
    want.callback = sdlAudioCallback;
    want.userdata = device;
    SDL_AudioSpec have;
    // No allowed changes: SDL converts whatever the hardware takes to exactly this format.
    device->id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device->id == 0) {
        setError(SDL_GetError());
        delete device;
        return nullptr;
    }
    if (obtained) {
        obtained->rate = have.freq;
        obtained->bufferFrames = have.samples;
        obtained->latencyFrames = latencyFrames(have);
    }
    return device;
}

// A hand-pulled device (id 0) runs on the caller's thread: nothing to pause or lock.
void pauseAudioDevice(AudioDevice* device, bool paused) {
    if (device && device->id) SDL_PauseAudioDevice(device->id, paused ? 1 : 0);
}

void lockAudioDevice(AudioDevice* device) {
    if (device && device->id) SDL_LockAudioDevice(device->id);
}

void unlockAudioDevice(AudioDevice* device) {
    if (device && device->id) SDL_UnlockAudioDevice(device->id);
}

void closeAudioDevice(AudioDevice* device) {
    if (!device) return;
    if (device == g_handDevice) g_handDevice = nullptr;
    if (device->id) SDL_CloseAudioDevice(device->id);  // waits for a running callback to return
    delete device;
}

const char* audioDriverName() {
    const char* name = SDL_GetCurrentAudioDriver();
    return name ? name : "";
}

const char* audioError() {
    return g_error;
}

}  // namespace platform
