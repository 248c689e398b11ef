#include "corpus.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace benchcorpus {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

struct Lcg {
    uint32_t x;
    uint32_t next() {
        x = x * 1664525u + 1013904223u;
        return x >> 16;
    }
    double unit() { return (next() & 0xFFFF) / 65536.0; }
};

Bytes readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeAll(const fs::path& p, const Bytes& b) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// Every file below root whose name ends in suffix (or equals it), sorted, concatenated up to
// limit bytes.
Bytes concatenate(const fs::path& root, const std::string& suffix, size_t limit, bool exact) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const std::string name = it->path().filename().string();
        const bool match =
            exact ? name == suffix
                  : name.size() >= suffix.size() &&
                        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
        if (match) found.push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    Bytes out;
    for (const fs::path& p : found) {
        const Bytes b = readAll(p);
        out.insert(out.end(), b.begin(), b.end());
        if (out.size() >= limit) break;
    }
    if (out.size() > limit) out.resize(limit);
    return out;
}

Bytes serverLog(size_t size) {
    static const char* paths[] = {"/",
                                  "/index.html",
                                  "/api/v1/items",
                                  "/api/v1/users/login",
                                  "/static/app.js",
                                  "/static/style.css",
                                  "/images/logo.png",
                                  "/api/v1/orders",
                                  "/health"};
    static const char* agents[] = {"Mozilla/5.0 (X11; Linux x86_64)", "curl/7.88.1", "Wget/1.21.3",
                                   "Mozilla/5.0 (Windows NT 10.0; Win64; x64)"};
    Lcg r{7};
    std::string s;
    unsigned t = 0;
    char line[512];
    while (s.size() < size) {
        t += r.next() % 3;
        const int status = r.next() % 20 == 0 ? 404 : (r.next() % 50 == 0 ? 500 : 200);
        std::snprintf(line, sizeof(line),
                      "10.%u.%u.%u - - [12/Mar/2024:%02u:%02u:%02u +0000] \"GET %s HTTP/1.1\" %d "
                      "%u \"-\" \"%s\" rt=%u.%03u\n",
                      r.next() % 4, r.next() % 256, r.next() % 256, (t / 3600) % 24, (t / 60) % 60,
                      t % 60, paths[r.next() % 9], status, 200 + r.next() % 40000,
                      agents[r.next() % 4], r.next() % 2, r.next() % 1000);
        s += line;
    }
    s.resize(size);
    return Bytes(s.begin(), s.end());
}

// Smooth value noise in 0..1, a few octaves.
double valueNoise(double x, double y, uint32_t seed) {
    auto lattice = [seed](int xi, int yi) {
        uint32_t h = static_cast<uint32_t>(xi) * 374761393u +
                     static_cast<uint32_t>(yi) * 668265263u + seed * 982451653u;
        h = (h ^ (h >> 13)) * 1274126177u;
        return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
    };
    const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    const double fx = x - xi, fy = y - yi;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = lattice(xi, yi) + sx * (lattice(xi + 1, yi) - lattice(xi, yi));
    const double b = lattice(xi, yi + 1) + sx * (lattice(xi + 1, yi + 1) - lattice(xi, yi + 1));
    return a + sy * (b - a);
}

Bytes ppmHeader(int w, int h, bool colour) {
    const std::string head = std::string(colour ? "P6\n" : "P5\n") + std::to_string(w) + " " +
                             std::to_string(h) + "\n255\n";
    return Bytes(head.begin(), head.end());
}

uint8_t clampByte(double v) {
    return static_cast<uint8_t>(std::lround(std::min(255.0, std::max(0.0, v))));
}

Bytes skyPicture() {
    const int w = 1024, h = 768;
    Bytes b = ppmHeader(w, h, true);
    Lcg r{11};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double cloud = 0, amp = 0.5, f = 1.0 / 128;
            for (int o = 0; o < 5; ++o, amp *= 0.5, f *= 2)
                cloud += amp * valueNoise(x * f, y * f, o);
            cloud = std::max(0.0, cloud - 0.45) * 2.2;
            const double t = static_cast<double>(y) / h;
            const double grain = (r.unit() - 0.5) * 3;
            b.push_back(clampByte(60 + 80 * t + 180 * cloud + grain));
            b.push_back(clampByte(110 + 70 * t + 150 * cloud + grain));
            b.push_back(clampByte(200 + 30 * t + 50 * cloud + grain));
        }
    return b;
}

Bytes patternPicture() {
    const int w = 1024, h = 768;
    Bytes b = ppmHeader(w, h, true);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t r = 240, g = 240, bl = 235;
            if (((x / 32) + (y / 32)) % 2 == 0 && y < 256) r = g = bl = 40;
            const int cx = x - 700, cy = y - 450;
            if (cx * cx + cy * cy < 150 * 150) {
                r = static_cast<uint8_t>(200 - (cx * cx + cy * cy) / 200);
                g = 60;
                bl = 60;
            }
            if (y > 560 && y < 740 && x > 40 && x < 600 && (x / 6 + y / 10) % 7 < 3 &&
                (y / 20) % 2 == 0)
                r = g = bl = 20;  // rows of glyph-like marks
            if (x > 300 && x < 900 && y > 280 && y < 300) {
                r = 20;
                g = static_cast<uint8_t>(x / 4);
                bl = 200;
            }
            b.push_back(r);
            b.push_back(g);
            b.push_back(bl);
        }
    return b;
}

Bytes plasmaPicture() {
    const int w = 512, h = 512;
    Bytes b = ppmHeader(w, h, false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.push_back(clampByte(128 + 40 * std::sin(x / 23.0) + 40 * std::sin(y / 31.0) +
                                  40 * std::sin((x + y) / 17.0)));
    return b;
}

Bytes waveHeader(size_t dataSize, int channels, int rate, int bits) {
    Bytes h;
    auto u32 = [&h](uint32_t v) {
        for (int i = 0; i < 4; ++i) h.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto u16 = [&h](uint16_t v) {
        h.push_back(static_cast<uint8_t>(v));
        h.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto tag = [&h](const char* t) { h.insert(h.end(), t, t + 4); };
    tag("RIFF");
    u32(static_cast<uint32_t>(36 + dataSize));
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(1);
    u16(static_cast<uint16_t>(channels));
    u32(static_cast<uint32_t>(rate));
    u32(static_cast<uint32_t>(rate * channels * bits / 8));
    u16(static_cast<uint16_t>(channels * bits / 8));
    u16(static_cast<uint16_t>(bits));
    tag("data");
    u32(static_cast<uint32_t>(dataSize));
    return h;
}

void put16(Bytes& b, double v) {
    const auto s = static_cast<int16_t>(std::lround(std::max(-1.0, std::min(1.0, v)) * 32000));
    b.push_back(static_cast<uint8_t>(s & 0xFF));
    b.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
}

Bytes musicSound() {
    const int rate = 44100, seconds = 10;
    static const double notes[] = {220.0, 261.6, 329.6, 392.0, 349.2, 293.7, 246.9, 196.0};
    Lcg r{5};
    Bytes data;
    for (int i = 0; i < rate * seconds; ++i) {
        const double t = static_cast<double>(i) / rate;
        const int beat = static_cast<int>(t * 4);
        const double inBeat = t * 4 - beat;
        const double f = notes[beat % 8];
        const double env = std::exp(-3 * inBeat);
        double lead = 0;
        for (int k = 1; k <= 5; ++k) lead += std::sin(2 * M_PI * f * k * t) / k;
        const double bass = std::sin(2 * M_PI * notes[(beat / 4) % 8] / 2 * t);
        const double hat = beat % 2 ? (r.unit() - 0.5) * std::exp(-30 * inBeat) : 0;
        put16(data, 0.25 * env * lead + 0.3 * bass + 0.3 * hat);
        put16(data, 0.15 * env * lead + 0.3 * bass - 0.2 * hat);
    }
    Bytes out = waveHeader(data.size(), 2, rate, 16);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes speechSound() {
    const int rate = 22050, seconds = 15;
    Lcg r{9};
    Bytes data;
    double y1 = 0, y2 = 0, phase = 0;
    for (int i = 0; i < rate * seconds; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double syllable = std::fmod(t * 3.3, 1.0);
        const double pitch = 110 + 30 * std::sin(t * 1.3);
        phase += pitch / rate;
        const double pulse = std::fmod(phase, 1.0) < 0.05 ? 1.0 : 0.0;
        const double excitation = syllable < 0.7 ? pulse : (r.unit() - 0.5) * 0.5;
        // One resonance whose centre drifts like a vowel.
        const double fc = 500 + 900 * (0.5 + 0.5 * std::sin(t * 2.1));
        const double rr = 0.97, w = 2 * M_PI * fc / rate;
        const double y = excitation + 2 * rr * std::cos(w) * y1 - rr * rr * y2;
        y2 = y1;
        y1 = y;
        const double env = syllable < 0.85 ? std::sin(M_PI * syllable / 0.85) : 0;
        data.push_back(clampByte(128 + 12 * env * y));
    }
    Bytes out = waveHeader(data.size(), 1, rate, 8);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes sweepSound() {
    const int rate = 22050, seconds = 15;
    Bytes data;
    double phase = 0;
    for (int i = 0; i < rate * seconds; ++i) {
        const double t = static_cast<double>(i) / rate;
        phase += (200 + 150 * std::sin(t * 0.7)) / rate;
        put16(data, 0.5 * std::sin(2 * M_PI * phase) + 0.2 * std::sin(6 * M_PI * phase));
    }
    Bytes out = waveHeader(data.size(), 1, rate, 16);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

struct SystemFile {
    const char* name;
    std::vector<const char*> candidates;
};

}  // namespace

std::vector<std::string> ensureCorpus(const std::string& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    std::vector<std::string> files;
    auto make = [&](const std::string& name, auto produce) {
        const fs::path p = fs::path(dir) / name;
        if (!fs::exists(p, ec)) {
            const Bytes b = produce();
            if (b.empty()) {
                std::fprintf(stderr, "corpus: %s not available here, left out\n", name.c_str());
                return;
            }
            writeAll(p, b);
        }
        files.push_back(p.string());
    };

    const std::vector<SystemFile> system = {
        {"GPL-3.txt", {"/usr/share/common-licenses/GPL-3"}},
        {"GPL-2.txt", {"/usr/share/common-licenses/GPL-2"}},
        {"LGPL-2.1.txt", {"/usr/share/common-licenses/LGPL-2.1"}},
        {"Apache-2.0.txt", {"/usr/share/common-licenses/Apache-2.0"}},
        {"Artistic.txt", {"/usr/share/common-licenses/Artistic"}},
        {"MPL-2.0.txt", {"/usr/share/common-licenses/MPL-2.0"}},
        {"dpkg-status.txt", {"/var/lib/dpkg/status"}},
        {"bash.bin", {"/usr/bin/bash", "/bin/bash"}},
        {"perl.bin", {"/usr/bin/perl", "/usr/bin/perl5.36.0"}},
        {"libc.so.bin",
         {"/usr/lib/x86_64-linux-gnu/libc.so.6", "/lib/x86_64-linux-gnu/libc.so.6",
          "/usr/lib/aarch64-linux-gnu/libc.so.6"}},
        {"dpkg.bin", {"/usr/bin/dpkg"}},
        {"tar.bin", {"/usr/bin/tar", "/bin/tar"}},
        {"sort.bin", {"/usr/bin/sort"}},
        {"libapt-pkg.bin",
         {"/usr/lib/x86_64-linux-gnu/libapt-pkg.so.6.0.0",
          "/usr/lib/x86_64-linux-gnu/libapt-pkg.so.6.0"}},
    };
    for (const SystemFile& f : system) {
        make(f.name, [&f] {
            for (const char* c : f.candidates) {
                std::error_code e;
                if (fs::is_regular_file(c, e)) return readAll(c);
            }
            return Bytes();
        });
    }
    make("perl-base-modules.txt", [] {
        for (const char* root :
             {"/usr/lib/x86_64-linux-gnu/perl-base", "/usr/lib/aarch64-linux-gnu/perl-base"}) {
            Bytes b = concatenate(root, ".pm", 4u << 20, false);
            if (!b.empty()) return b;
        }
        return Bytes();
    });
    make("copyright-files.txt",
         [] { return concatenate("/usr/share/doc", "copyright", 4u << 20, true); });
    make("server-log.txt", [] { return serverLog(2u << 20); });
    make("sky.ppm", skyPicture);
    make("pattern.ppm", patternPicture);
    make("plasma.pgm", plasmaPicture);
    make("music.wav", musicSound);
    make("speech.wav", speechSound);
    make("sweep.wav", sweepSound);
    return files;
}

}  // namespace benchcorpus
