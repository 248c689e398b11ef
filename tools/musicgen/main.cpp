// musicgen - makes the production's XM module from its score: every sample synthesized here,
// every note laid out from the text. It can also play the result the way the demo hears it
// and report its levels and sync, write it as WAV, and draw its spectrogram.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "music/wav_file.h"
#include "platform/platform.h"
#include "tools/musicgen/arranger.h"
#include "tools/musicgen/dsp.h"
#include "tools/musicgen/render.h"
#include "tools/musicgen/spectrogram.h"

namespace {

const char kUsage[] =
    "Usage: musicgen [options] SCORE\n"
    "\n"
    "Writes the XM module that SCORE describes (assets/music/palisade.score): every sample is\n"
    "synthesized from the score's instrument settings, every pattern laid out from its\n"
    "phrases. The same score always gives the same bytes.\n"
    "\n"
    "Options:\n"
    "  -o, --out FILE        write the module to FILE\n"
    "  --stats               play the song as the demo hears it and print its length, peak\n"
    "                        and RMS level, and per order: the levels, the share of low, mid\n"
    "                        and high frequencies, and the triggers of the sync instruments\n"
    "  --wav FILE            play the song and write it as 16-bit stereo WAV\n"
    "  --spectrogram FILE    play the song and draw its spectrogram as PNG\n"
    "  --size WxH            size of the spectrogram's spectrum (default 1600x400)\n"
    "  --parts LIST          orders where the pictures change, ticked on the spectrogram\n"
    "                        (default 0,4,7,8,10,11,13,16,20,22,24,26)\n"
    "  --solo TRACKS         play only these tracks (comma-separated names), to hear and\n"
    "                        measure them alone; the module written with --out is whole\n"
    "  --help                show this text\n"
    "\n"
    "Exit status: 0 on success, 1 when the score is wrong or a file cannot be written (the\n"
    "message names the score line), 2 for a usage error.\n";

// Instruments the demo's pictures follow, 0-based.
const int kSyncInstruments[] = {8, 9, 42, 44, 45};

struct Options {
    std::string score;
    std::string out;
    std::string wav;
    std::string spectrogram;
    bool stats = false;
    bool help = false;
    int width = 1600;
    int height = 400;
    std::vector<int> parts = {0, 4, 7, 8, 10, 11, 13, 16, 20, 22, 24, 26};
    std::vector<std::string> solo;
};

bool parseSize(const std::string& text, int& w, int& h) {
    int a = 0, b = 0;
    char x = 0, extra = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &a, &x, &b, &extra) != 3 || x != 'x') return false;
    if (a < 64 || a > 8192 || b < 32 || b > 4096) return false;
    w = a;
    h = b;
    return true;
}

bool parseList(const std::string& text, std::vector<int>& out) {
    out.clear();
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) {
        char* end = nullptr;
        const long v = std::strtol(part.c_str(), &end, 10);
        if (part.empty() || *end || v < 0 || v > 255) return false;
        out.push_back(static_cast<int>(v));
    }
    return !out.empty();
}

bool parse(int argc, char** argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue = arg == "-o" || arg == "--out" || arg == "--wav" ||
                                arg == "--spectrogram" || arg == "--size" || arg == "--parts" ||
                                arg == "--solo";
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--stats") {
            o.stats = true;
        } else if (takesValue) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            const std::string value = argv[++i];
            if (arg == "-o" || arg == "--out") {
                o.out = value;
            } else if (arg == "--wav") {
                o.wav = value;
            } else if (arg == "--spectrogram") {
                o.spectrogram = value;
            } else if (arg == "--size" && !parseSize(value, o.width, o.height)) {
                error = "--size wants WIDTHxHEIGHT, such as 1600x400";
                return false;
            } else if (arg == "--solo") {
                std::stringstream in(value);
                std::string name;
                while (std::getline(in, name, ',')) o.solo.push_back(name);
            } else if (arg == "--parts" && !parseList(value, o.parts)) {
                error = "--parts wants order numbers separated by commas";
                return false;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (o.score.empty()) {
            o.score = arg;
        } else {
            error = "one score at a time ('" + arg + "' is one too many)";
            return false;
        }
    }
    if (o.help) return true;
    if (o.score.empty()) {
        error = "no score given";
        return false;
    }
    if (o.out.empty() && !o.stats && o.wav.empty() && o.spectrogram.empty()) {
        error = "nothing to do: give --out, --stats, --wav or --spectrogram";
        return false;
    }
    return true;
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// RMS of three bands of the mono mix (below 200 Hz, 200 Hz to 3 kHz, above 3 kHz), in dB.
void bandLevels(const std::vector<float>& pcm, size_t first, size_t last, double db[3]) {
    dsp::OnePole below200, below3k;
    below200.set(200.0);
    below3k.set(3000.0);
    double sums[3] = {0, 0, 0};
    for (size_t f = first; f < last; ++f) {
        const double x = 0.5 * (pcm[2 * f] + pcm[2 * f + 1]);
        const double low = below200.lowpass(x), lowish = below3k.lowpass(x);
        const double bands[3] = {low, lowish - low, x - lowish};
        for (int b = 0; b < 3; ++b) sums[b] += bands[b] * bands[b];
    }
    const double n = static_cast<double>(std::max<size_t>(1, last - first));
    for (int b = 0; b < 3; ++b) db[b] = sums[b] > 0 ? 10.0 * std::log10(sums[b] / n) : -200.0;
}

void printStats(const Rendition& r) {
    const Levels all = measureLevels(r.pcm);
    std::printf("Length %.3f s (%d:%06.3f), peak %.4f (%.2f dBFS), RMS %.2f dBFS\n", r.seconds,
                static_cast<int>(r.seconds) / 60, std::fmod(r.seconds, 60.0), all.peak, all.peakDb,
                all.rmsDb);
    const int orders = static_cast<int>(r.orderStarts.size());
    const auto counts = hitsPerOrder(r, orders, 64);
    std::printf("\norder  start s  peak dB  RMS dB   low   mid  high |  i8  i9 i42 i44 i45\n");
    for (int o = 0; o < orders; ++o) {
        const double start = r.orderStarts[static_cast<size_t>(o)];
        const double end = o + 1 < orders ? r.orderStarts[static_cast<size_t>(o) + 1] : r.seconds;
        const size_t f0 = static_cast<size_t>(std::max(0.0, start) * kRenderRate);
        const size_t f1 = std::min(r.pcm.size() / 2, static_cast<size_t>(end * kRenderRate));
        const Levels l = measureLevels(r.pcm, f0, f1);
        double bands[3];
        bandLevels(r.pcm, f0, f1, bands);
        std::printf("%5d %8.3f %8.2f %7.2f %5.1f %5.1f %5.1f |", o, start, l.peakDb, l.rmsDb,
                    bands[0], bands[1], bands[2]);
        for (int i : kSyncInstruments) std::printf(" %3d", counts[static_cast<size_t>(o)][i]);
        std::printf("\n");
    }
}

bool writeWav(const Rendition& r, const std::string& path) {
    WavFile wav;
    if (!wav.open(path.c_str(), kRenderRate)) return false;
    const bool ok = wav.write(r.pcm.data(), static_cast<int64_t>(r.pcm.size() / 2));
    return wav.close() && ok;
}

// Silences every channel but those of the named tracks.
bool keepTracks(const score::Score& score, const std::vector<std::string>& names, xm::Module& song,
                std::string& error) {
    std::vector<bool> keep(score.tracks.size(), false);
    for (const std::string& name : names) {
        const score::TrackDef* t = score.findTrack(name);
        if (!t) {
            error = "--solo: no track is called '" + name + "'";
            return false;
        }
        keep[static_cast<size_t>(t - score.tracks.data())] = true;
    }
    for (xm::Pattern& p : song.patterns) {
        for (int r = 0; r < p.rows(); ++r) {
            for (int c = 0; c < p.channels(); ++c) {
                xm::Cell& cell = p.at(r, c);
                // Pattern delays and breaks shape the song's timing: they stay.
                const bool timing = cell.effect == xm::kExtended && (cell.param >> 4) == 0xE;
                if (!keep[static_cast<size_t>(c)]) {
                    const xm::Cell kept = cell;
                    cell = xm::Cell{};
                    if (timing) {
                        cell.effect = kept.effect;
                        cell.param = kept.param;
                    }
                }
            }
        }
    }
    return true;
}

void messageToStderr(const char* text) {
    std::fprintf(stderr, "musicgen: %s\n", text);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    std::string error;
    if (!parse(argc, argv, o, error)) {
        std::fprintf(stderr, "musicgen: %s\nTry 'musicgen --help'.\n", error.c_str());
        return 2;
    }
    if (o.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    score::Score score;
    xm::Module song;
    std::vector<uint8_t> module;
    if (!score::parseFile(o.score, score, error) || !arrange(score, song, error) ||
        !xm::write(song, module, &error)) {
        std::fprintf(stderr, "musicgen: %s\n", error.c_str());
        return 1;
    }
    if (!o.out.empty() && !writeBytes(o.out, module)) {
        std::fprintf(stderr, "musicgen: cannot write %s: %s\n", o.out.c_str(),
                     std::strerror(errno));
        return 1;
    }
    if (!o.stats && o.wav.empty() && o.spectrogram.empty()) return 0;
    if (!o.solo.empty()) {
        if (!keepTracks(score, o.solo, song, error) || !xm::write(song, module, &error)) {
            std::fprintf(stderr, "musicgen: %s\n", error.c_str());
            return 1;
        }
    }

    platform::setMessageSink(messageToStderr);
    Rendition r;
    if (!renderModule(module, r, error)) {
        std::fprintf(stderr, "musicgen: %s\n", error.c_str());
        return 1;
    }
    if (o.stats) printStats(r);
    if (!o.wav.empty() && !writeWav(r, o.wav)) {
        std::fprintf(stderr, "musicgen: cannot write %s\n", o.wav.c_str());
        return 1;
    }
    if (!o.spectrogram.empty()) {
        SpectrogramMarks marks;
        for (double t : r.orderStarts) marks.orders.push_back(t);
        for (int p : o.parts) {
            if (p < static_cast<int>(r.orderStarts.size())) {
                marks.parts.push_back(r.orderStarts[static_cast<size_t>(p)]);
            }
        }
        const Picture picture = drawSpectrogram(r.pcm, kRenderRate, o.width, o.height, marks);
        if (!writePng(picture, o.spectrogram, error)) {
            std::fprintf(stderr, "musicgen: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
