#include "tests/music/test_songs.h"

#include <cstdlib>

namespace testsongs {

static xm::Instrument clickInstrument() {
    xm::Sample s;
    s.name = "click";
    s.data.assign(40, 0);
    // As much up as down, ending on zero: anything else leaves a slow tail in the mix.
    for (size_t i = 0; i + 2 < s.data.size(); ++i) s.data[i] = i % 2 ? 24000 : -24000;
    return xm::instrumentFromSample(s, "click");
}

xm::Instrument toneInstrument(int periodFrames) {
    return xm::instrumentFromSample(xm::sineSample(periodFrames), "tone");
}

xm::Cell note(const char* name, int instrument) {
    return xm::Cell::noteOn(xm::note(name), static_cast<uint8_t>(instrument));
}

xm::Cell withEffect(xm::Cell cell, uint8_t effect, uint8_t param) {
    cell.effect = effect;
    cell.param = param;
    return cell;
}

xm::Module emptySong(int channels, int patterns, int instruments, int rows) {
    xm::Module m;
    m.channels = channels;
    for (int i = 0; i < instruments; ++i) m.instruments.push_back(clickInstrument());
    for (int p = 0; p < patterns; ++p) {
        m.addPattern(rows);
        m.orders.push_back(static_cast<uint8_t>(p));
    }
    return m;
}

std::vector<uint8_t> bytesOf(const xm::Module& module) {
    std::vector<uint8_t> bytes;
    xm::write(module, bytes);
    return bytes;
}

bool startLockstep(MusicPlayer& player) {
    player.useLockstep(true);
    return player.init(kRate, 32);
}

xm::Module steadyBeat(int rows) {
    xm::Module m = emptySong(1, 1, 1, rows);
    m.speed = 2;
    for (int r = 0; r < rows; ++r) m.patterns[0].at(r, 0) = note("C-4", 1);
    return m;
}

NoSoundCard::NoSoundCard() {
    const char* was = std::getenv("SDL_AUDIODRIVER");
    had_ = was != nullptr;
    if (had_) previous_ = was;
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
}

NoSoundCard::~NoSoundCard() {
    if (had_) {
        setenv("SDL_AUDIODRIVER", previous_.c_str(), 1);
    } else {
        unsetenv("SDL_AUDIODRIVER");
    }
}

}  // namespace testsongs
