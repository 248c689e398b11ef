#include "tests/music/test_songs.h"

#include <cmath>
#include <cstdlib>

namespace testsongs {

xm::Instrument clickInstrument(bool sixteenBit) {
    xm::Sample s;
    s.name = "click";
    s.data.assign(40, 0);
    for (size_t i = 0; i < s.data.size(); ++i) s.data[i] = i % 2 ? 24000 : -24000;
    s.sixteenBit = sixteenBit;
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

std::vector<SyncEvent> Recording::triggers() const {
    std::vector<SyncEvent> out;
    for (const SyncEvent& e : events) {
        if (e.kind == SyncEvent::kTrigger) out.push_back(e);
    }
    return out;
}

std::vector<SyncEvent> Recording::orders() const {
    std::vector<SyncEvent> out;
    for (const SyncEvent& e : events) {
        if (e.kind == SyncEvent::kOrder) out.push_back(e);
    }
    return out;
}

namespace {
void record(void* user, const SyncEvent& event, double heardAt) {
    Recording* r = static_cast<Recording*>(user);
    r->events.push_back(event);
    r->heardAt.push_back(heardAt);
}
}  // namespace

bool startLockstep(MusicPlayer& player) {
    player.useLockstep(true);
    return player.init(kRate, 32);
}

Recording playThrough(MusicPlayer& player, const std::vector<uint8_t>& module, int64_t step,
                      int64_t maxFrames) {
    Recording r;
    player.setSyncObserver(record, &r);
    if (!player.openMemory(module.data(), module.size(), false) || !player.play()) {
        player.setSyncObserver(nullptr, nullptr);
        return r;
    }
    for (int64_t done = 0; done < maxFrames && !player.finished(); done += step) {
        player.advanceFrames(step, &r.pcm);
    }
    r.finished = player.finished();
    player.setSyncObserver(nullptr, nullptr);
    return r;
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
