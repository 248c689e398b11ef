// bench_music - what the music costs and how closely its sync follows the sound.
//
// 1. CPU time of mixing plus spectrum per second of music, as a share of one core, on a dense
//    module (32 channels, a note on every channel on every row), the way the demo uses the
//    player: 60 updates a second, each with a spectrum. Reference: libopenmpt mixing the same
//    module alone in 1024-frame reads, measured in the same run.
// 2. Trigger delivery on a real-time output (the audio driver SDL picks, SDL_AUDIODRIVER to
//    choose): how late a trigger reaches the sync arrays after the output played its frame,
//    and how far the heard times stray from the song's own spacing.
// 3. Jumps on the production's module (or the module named on the command line): how long
//    seekToOrder stalls the caller to reach order 31, by mixing from the top (every jump
//    before the jump map; lockstep still seeks so) and through the map in real time, with
//    the time the map takes to make and the slowest jump to any order.
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "music/music_player.h"
#include "music/xm_writer.h"
#include "platform/audio.h"
#include "platform/platform.h"

namespace {

constexpr int kRate = 44100;
constexpr double kSeconds = 60.0;

double cpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

xm::Sample decayingTone(int variant) {
    xm::Sample s;
    const int frames = 12000 + 1500 * variant;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i);
        const double v = std::sin(t * (0.03 + 0.011 * variant)) * 0.6 + std::sin(t * 0.17) * 0.2;
        s.data.push_back(
            static_cast<int16_t>(v * 30000.0 * std::exp(-t / (4000.0 + 300 * variant))));
    }
    s.sixteenBit = variant % 3 != 0;
    s.loop = xm::Loop::Forward;
    s.loopStart = static_cast<uint32_t>(frames / 2);
    s.loopLength = static_cast<uint32_t>(frames / 2);
    s.volume = 40;
    return s;
}

std::vector<uint8_t> denseModule() {
    xm::Module m;
    m.name = "dense";
    m.channels = 32;
    m.speed = 3;
    m.tempo = 150;
    for (int i = 0; i < 16; ++i) {
        xm::Instrument ins = xm::instrumentFromSample(decayingTone(i));
        ins.volumeEnvelope.points = {{0, 64}, {8, 48}, {40, 20}, {120, 0}};
        ins.volumeEnvelope.sustain = 1;
        ins.fadeout = 800;
        m.instruments.push_back(ins);
    }
    for (int p = 0; p < 4; ++p) {
        xm::Pattern& pattern = m.addPattern(64);
        for (int r = 0; r < 64; ++r) {
            for (int c = 0; c < 32; ++c) {
                xm::Cell cell =
                    xm::Cell::noteOn(static_cast<uint8_t>(25 + (r * 7 + c * 5 + p * 3) % 48),
                                     static_cast<uint8_t>(1 + (c + r + p) % 16));
                cell.volume = xm::volumeColumn::set(24 + (r + c) % 40);
                if ((r + c) % 4 == 1) cell.effect = xm::kVibrato, cell.param = 0x46;
                if ((r + c) % 7 == 3) cell.effect = xm::kPortaUp, cell.param = 0x08;
                if ((r + c) % 9 == 5) {
                    cell.effect = xm::kExtended;
                    cell.param = xm::extendedParam(xm::kNoteDelay, 1);
                }
                pattern.at(r, c) = cell;
            }
        }
        m.orders.push_back(static_cast<uint8_t>(p));
    }
    // Long enough for the measured minute.
    for (int i = 0; i < 4; ++i) {
        for (int p = 0; p < 4; ++p) m.orders.push_back(static_cast<uint8_t>(p));
    }
    std::vector<uint8_t> bytes;
    xm::write(m, bytes);
    return bytes;
}

double referenceMixing(const std::vector<uint8_t>& module, double seconds) {
    openmpt_module* mod =
        openmpt_module_create_from_memory2(module.data(), module.size(), openmpt_log_func_silent,
                                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!mod) return -1.0;
    std::vector<float> buffer(2 * 1024);
    const int64_t total = static_cast<int64_t>(seconds * kRate);
    const double start = cpuSeconds();
    for (int64_t done = 0; done < total; done += 1024) {
        if (openmpt_module_read_interleaved_float_stereo(mod, kRate, 1024, buffer.data()) == 0)
            break;
    }
    const double cpu = cpuSeconds() - start;
    openmpt_module_destroy(mod);
    return cpu;
}

double playerMixing(const std::vector<uint8_t>& module, double seconds) {
    MusicPlayer player;
    player.useLockstep(true);
    if (!player.init(kRate, 32) || !player.openMemory(module.data(), module.size(), false) ||
        !player.play()) {
        return -1.0;
    }
    const int frames = static_cast<int>(seconds * 60);
    float sink = 0.0f;
    const double start = cpuSeconds();
    for (int k = 1; k <= frames; ++k) {
        player.advanceTo(k / 60.0);
        player.getOrder();
        player.updateInstrumentTimes();
        player.updateSpectrum();
        sink += player.spectrum()[10];
    }
    const double cpu = cpuSeconds() - start;
    if (player.finished()) std::printf("  (the song ended early; figures cover less music)\n");
    player.close();
    return sink == -1.0f ? 0.0 : cpu;
}

// One note per row on one channel at speed 2: a trigger every 40 ms.
std::vector<uint8_t> beatModule(int rows) {
    xm::Module m;
    m.channels = 1;
    m.speed = 2;
    m.instruments.push_back(xm::instrumentFromSample(xm::sineSample(32, 0.5)));
    xm::Pattern& p = m.addPattern(rows);
    for (int r = 0; r < rows; ++r) p.at(r, 0) = xm::Cell::noteOn(xm::note("C-4"), 1);
    m.orders = {0};
    std::vector<uint8_t> bytes;
    xm::write(m, bytes);
    return bytes;
}

struct Delivery {
    double songTime;   // the trigger's frame, in seconds
    double heardAt;    // musicClock time the player says it was heard
    double delivered;  // musicClock time it reached the sync arrays
};

std::vector<Delivery> measureDelivery(double seconds, std::string& driver) {
    std::vector<Delivery> out;
    MusicPlayer player;
    player.allowSilentOutput(false);
    if (!player.init(kRate, 32)) return out;
    driver = platform::audioDriverName();
    struct State {
        std::vector<Delivery>* out;
    } state{&out};
    player.setSyncObserver(
        [](void* user, const SyncEvent& e, double heardAt) {
            State* s = static_cast<State*>(user);
            if (e.kind != SyncEvent::kTrigger) return;
            const double now = static_cast<double>(platform::counter() - musicClock.startCount()) /
                               static_cast<double>(musicClock.frequency());
            s->out->push_back({static_cast<double>(e.frame) / kRate, heardAt, now});
        },
        &state);
    const std::vector<uint8_t> module = beatModule(static_cast<int>(seconds / 0.04));
    if (!player.openMemory(module.data(), module.size(), false) || !player.play()) return out;
    while (!player.finished()) {
        player.updateInstrumentTimes();  // a 1 ms frame loop
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    player.close();
    return out;
}

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// Wall and processor time of one call, in milliseconds.
template <typename F>
void timed(F f, double& wallMs, double& cpuMs) {
    const double w = wallSeconds();
    const double c = cpuSeconds();
    f();
    cpuMs = 1000.0 * (cpuSeconds() - c);
    wallMs = 1000.0 * (wallSeconds() - w);
}

int benchJumps(const char* path, int target) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> module((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
    std::printf("\nJumps to order %d of %s\n", target, path);
    if (module.empty()) {
        std::printf("  cannot read the module; skipped\n");
        return 1;
    }
    std::vector<double> beforeWall, beforeCpu;
    for (int run = 0; run < 3; ++run) {
        MusicPlayer player;
        player.useLockstep(true);
        if (!player.init(kRate, 32) || !player.openMemory(module.data(), module.size(), false))
            return 1;
        double w = 0, c = 0, at = 0;
        timed([&] { at = player.seekToOrder(target); }, w, c);
        if (at < 0) {
            std::printf("  the song never reaches order %d\n", target);
            return 1;
        }
        beforeWall.push_back(w);
        beforeCpu.push_back(c);
        player.close();
    }

    MusicPlayer player;
    if (!player.init(kRate, 32) || !player.openMemory(module.data(), module.size(), false))
        return 1;
    double mapWall = 0, mapCpu = 0;
    bool ready = false;
    timed([&] { ready = player.prepareJumps(); }, mapWall, mapCpu);
    if (!ready || !player.play()) {
        std::printf("  no jump map\n");
        return 1;
    }
    std::vector<double> afterWall, afterCpu;
    for (int run = 0; run < 7; ++run) {
        double w = 0, c = 0;
        timed([&] { player.seekToOrder(run % 2 ? 0 : target); }, w, c);
        if (run % 2 == 0) {
            afterWall.push_back(w);
            afterCpu.push_back(c);
        }
    }
    double worst = 0.0;
    int worstOrder = -1;
    for (int order = 0; order < 256; ++order) {
        double w = 0, c = 0, at = 0;
        timed([&] { at = player.seekToOrder(order); }, w, c);
        if (at >= 0 && w > worst) {
            worst = w;
            worstOrder = order;
        }
    }
    player.close();
    std::printf(
        "  before, mixing from the top (lockstep):  %7.1f ms wall, %7.1f ms CPU (median of 3)\n",
        median(beforeWall), median(beforeCpu));
    std::printf(
        "  after, through the jump map (real time): %7.1f ms wall, %7.1f ms CPU (median of 4)\n",
        median(afterWall), median(afterCpu));
    std::printf("  slowest jump to any order: %.1f ms (order %d); target: under 100 ms\n", worst,
                worstOrder);
    std::printf(
        "  the map itself, made once in the background as the song starts: %.1f ms wall, "
        "%.1f ms CPU\n",
        mapWall, mapCpu);
    std::printf("  ratio before / after: %.0f\n", median(beforeWall) / median(afterWall));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::printf(
            "Usage: bench_music [MODULE [ORDER]]\n"
            "Measures the music's CPU cost, the trigger delivery on a real-time output, and\n"
            "the time of a jump to ORDER (default 31) of MODULE (default: the production's).\n"
            "Exit status: 0, or 1 when something could not be played.\n");
        return 0;
    }
    const char* jumpModule = argc > 1 ? argv[1] : PALISADE_MUSIC_MODULE;
    const int jumpOrder = argc > 2 ? std::atoi(argv[2]) : 31;
    const std::vector<uint8_t> module = denseModule();
    std::printf(
        "Music CPU cost, dense module (32 channels, a note on every channel every 50 ms), %.0f s "
        "of music\n",
        kSeconds);
    const double reference = referenceMixing(module, kSeconds);
    const double player = playerMixing(module, kSeconds);
    if (reference <= 0.0 || player <= 0.0) {
        std::printf("could not play the module\n");
        return 1;
    }
    std::printf(
        "  player, lockstep at 60 updates/s with spectrum: %.3f s CPU = %.2f %% of one core\n",
        player, 100.0 * player / kSeconds);
    std::printf(
        "  reference, libopenmpt mixing alone:            %.3f s CPU = %.2f %% of one core\n",
        reference, 100.0 * reference / kSeconds);
    std::printf("  ratio player / reference: %.2f   (target: player below 3 %%)\n",
                player / reference);

    const int jumps = benchJumps(jumpModule, jumpOrder);

    std::string driver = "none";
    const std::vector<Delivery> d = measureDelivery(4.0, driver);
    std::printf(
        "\nTrigger delivery on a real-time output (SDL audio driver '%s'), 4 s, 1 ms polling\n",
        driver.c_str());
    if (d.empty()) {
        std::printf("  no audio device could be opened; skipped\n");
        return jumps;
    }
    double lagSum = 0.0, lagMax = 0.0;
    for (const Delivery& x : d) {
        lagSum += x.delivered - x.heardAt;
        lagMax = std::max(lagMax, x.delivered - x.heardAt);
    }
    // Heard times against song times: the slope is the output's pace, the scatter around the
    // line the jitter of the heard-position estimate.
    double st = 0, sh = 0, stt = 0, sth = 0;
    for (const Delivery& x : d) {
        st += x.songTime;
        sh += x.heardAt;
        stt += x.songTime * x.songTime;
        sth += x.songTime * x.heardAt;
    }
    const double n = static_cast<double>(d.size());
    const double slope = (n * sth - st * sh) / (n * stt - st * st);
    const double offset = (sh - slope * st) / n;
    double jitter = 0.0;
    for (const Delivery& x : d)
        jitter = std::max(jitter, std::fabs(x.heardAt - (offset + slope * x.songTime)));
    std::printf(
        "  %zu triggers; reached the sync arrays %.2f ms on average, %.2f ms at most, after the "
        "output played them\n",
        d.size(), 1000.0 * lagSum / n, 1000.0 * lagMax);
    std::printf(
        "  the output played %.3f s of song per second; heard times lie within %.2f ms of that "
        "line\n",
        slope > 0 ? 1.0 / slope : 0.0, 1000.0 * jitter);
    return jumps;
}
