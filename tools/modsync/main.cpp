// modsync - shows the sync a tracker module gives the demo: when each order starts and when
// each instrument is struck, to the frame, as the music player hears them. It plays the song
// through the player in lockstep, so what it prints is what the demo sees.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "music/module_song.h"
#include "music/music_player.h"
#include "music/wav_file.h"
#include "platform/platform.h"

namespace {

constexpr int kRate = 44100;
constexpr int64_t kMaxSongFrames = int64_t{2} * 3600 * kRate;  // give up after two hours

const char kUsage[] =
    "Usage: modsync [options] MODULE\n"
    "\n"
    "Prints when each order of a tracker module (XM, MOD, S3M, IT, ...) starts and when each\n"
    "instrument is struck, as the demo's music player hears them at 44100 Hz.\n"
    "\n"
    "Options:\n"
    "  --instrument N  only the triggers of instrument N (0-based, as the sync arrays\n"
    "                  count: the module's instrument 1 is 0)\n"
    "  --csv           one line per event: time,order,row,channel,instrument,event\n"
    "                  (event is 'order' or 'trigger'; time in seconds)\n"
    "  --wav FILE      also write the song as it plays, 16-bit stereo WAV\n"
    "  --help          show this text\n"
    "\n"
    "Instruments 0 to 63 drive the demo's sync data; higher ones are listed but drive nothing.\n"
    "\n"
    "Exit status: 0 on success, 1 when the module cannot be read or played or the WAV file\n"
    "cannot be written, 2 for a usage error.\n";

struct Options {
    std::string module;
    std::string wav;
    int instrument = -1;
    bool csv = false;
    bool help = false;
};

bool parseInstrument(const char* text, int& out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno || end == text || *end || v < 0 || v > 255) return false;
    out = static_cast<int>(v);
    return true;
}

bool parse(int argc, char** argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--csv") {
            o.csv = true;
        } else if (arg == "--instrument" || arg == "--wav") {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            const char* value = argv[++i];
            if (arg == "--wav") {
                o.wav = value;
            } else if (!parseInstrument(value, o.instrument)) {
                error =
                    std::string("--instrument wants a number from 0 to 255, not '") + value + "'";
                return false;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (o.module.empty()) {
            o.module = arg;
        } else {
            error = "one module at a time ('" + arg + "' is one too many)";
            return false;
        }
    }
    if (!o.help && o.module.empty()) {
        error = "no module given";
        return false;
    }
    return true;
}

bool readFile(const std::string& path, std::vector<unsigned char>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

void messageToStderr(const char* text) {
    std::fprintf(stderr, "modsync: %s\n", text);
}

struct Heard {
    SyncEvent event;
    double time;
};

void collect(void* user, const SyncEvent& event, double heardAt) {
    static_cast<std::vector<Heard>*>(user)->push_back({event, heardAt});
}

void printCsv(const std::vector<Heard>& heard, int instrument) {
    std::printf("time,order,row,channel,instrument,event\n");
    for (const Heard& h : heard) {
        const SyncEvent& e = h.event;
        if (e.kind == SyncEvent::kOrder) {
            std::printf("%.6f,%d,%d,,,order\n", h.time, e.order, e.row);
        } else if (e.kind == SyncEvent::kTrigger &&
                   (instrument < 0 || e.instrument == instrument)) {
            std::printf("%.6f,%d,%d,%d,%d,trigger\n", h.time, e.order, e.row, e.channel,
                        e.instrument);
        }
    }
}

void printReport(const Options& o, const ModuleSong& info, const std::vector<Heard>& heard,
                 const MusicPlayer& player) {
    std::printf("%s: %s, \"%s\", %d orders, %d instruments, %d channels\n", o.module.c_str(),
                info.formatName().c_str(), info.title().c_str(), info.orderCount(),
                info.instrumentCount(), info.channelCount());
    if (player.finished()) {
        std::printf("The song ends at %.3f s (frame %lld).\n",
                    static_cast<double>(player.endFrame()) / kRate,
                    static_cast<long long>(player.endFrame()));
    } else {
        std::printf("The song had not ended after two hours; stopped there.\n");
    }

    std::printf("\nOrders, as played:\n");
    for (const Heard& h : heard) {
        if (h.event.kind != SyncEvent::kOrder) continue;
        std::printf("  order %3d (pattern %3d) at %9.3f s, from row %d\n", h.event.order,
                    info.patternOfOrder(h.event.order), h.time, h.event.row);
    }

    std::map<int, std::vector<double>> times;
    for (const Heard& h : heard) {
        if (h.event.kind != SyncEvent::kTrigger) continue;
        if (o.instrument >= 0 && h.event.instrument != o.instrument) continue;
        times[h.event.instrument].push_back(h.time);
    }
    std::printf("\nTriggers%s:\n", o.instrument >= 0 ? " of the chosen instrument" : "");
    if (times.empty()) std::printf("  none\n");
    for (const auto& [instrument, list] : times) {
        std::printf("  instrument %d \"%s\": %zu trigger%s%s\n", instrument,
                    info.instrumentName(instrument).c_str(), list.size(),
                    list.size() == 1 ? "" : "s",
                    instrument >= kInstrumentSlots ? " (above 63: no sync data)" : "");
        for (size_t i = 0; i < list.size(); ++i) {
            std::printf("%s%9.3f", i % 8 == 0 ? "   " : "", list[i]);
            if (i % 8 == 7 || i + 1 == list.size()) std::printf("\n");
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!parse(argc, argv, options, error)) {
        std::fprintf(stderr, "modsync: %s\nTry 'modsync --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::vector<unsigned char> data;
    if (!readFile(options.module, data)) {
        std::fprintf(stderr, "modsync: cannot read %s: %s\n", options.module.c_str(),
                     std::strerror(errno));
        return 1;
    }
    ModuleSong info;
    std::string reason;
    if (!info.load(data.data(), data.size(), kRate, &reason)) {
        std::fprintf(stderr, "modsync: %s is not a module libopenmpt can play (%s)\n",
                     options.module.c_str(), reason.c_str());
        return 1;
    }

    platform::setMessageSink(messageToStderr);
    MusicPlayer player;
    player.useLockstep(true);
    std::vector<Heard> heard;
    player.setSyncObserver(collect, &heard);
    if (!player.init(kRate, 32) || !player.openMemory(data.data(), data.size(), false) ||
        !player.play()) {
        return 1;  // the player has said why
    }
    WavFile wav;
    if (!options.wav.empty() && !wav.open(options.wav.c_str(), kRate)) {
        std::fprintf(stderr, "modsync: cannot create %s: %s\n", options.wav.c_str(), wav.error());
        return 1;
    }

    // One second at a time, the same path the demo's lockstep runs take.
    std::vector<float> pcm;
    for (int64_t at = 0; at < kMaxSongFrames && !player.finished(); at += kRate) {
        pcm.clear();
        player.advanceFrames(kRate, wav.isOpen() ? &pcm : nullptr);
        if (!wav.isOpen()) continue;
        int64_t frames = kRate;
        if (player.finished())
            frames = std::max<int64_t>(0, std::min<int64_t>(frames, player.endFrame() - at));
        if (!wav.write(pcm.data(), frames)) {
            std::fprintf(stderr, "modsync: cannot write %s\n", options.wav.c_str());
            return 1;
        }
    }
    if (wav.isOpen() && !wav.close()) {
        std::fprintf(stderr, "modsync: cannot finish %s\n", options.wav.c_str());
        return 1;
    }
    if (player.droppedEvents() > 0) {
        std::fprintf(stderr, "modsync: %llu events were lost\n",
                     static_cast<unsigned long long>(player.droppedEvents()));
    }

    if (options.csv) {
        printCsv(heard, options.instrument);
    } else {
        printReport(options, info, heard, player);
    }
    player.close();
    return 0;
}
