// The instruments as heard: in tune whatever their key and loop.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tools/musicgen/arranger.h"
#include "tools/musicgen/render.h"

namespace {

// A one-track module playing `notes` (steps) on `instrument`, rendered through the player.
std::vector<float> play(const std::string& instrument, const std::string& notes) {
    const std::string text = "tempo 120\ninstrument 0 " + instrument +
                             "\ntrack t s\npattern a\n    t " + notes + "\norder a\n";
    score::Score s;
    xm::Module m;
    std::string error;
    std::vector<uint8_t> bytes;
    Rendition r;
    EXPECT_TRUE(score::parse(text, "t.score", s, error) && arrange(s, m, error) &&
                xm::write(m, bytes, &error) && renderModule(bytes, r, error))
        << error;
    return r.pcm;
}

// Frequency of a steady tone from its rising zero crossings in seconds [from, to).
double pitchOf(const std::vector<float>& pcm, double from, double to) {
    std::vector<double> crossings;
    const size_t a = static_cast<size_t>(from * kRenderRate);
    const size_t b = std::min(pcm.size() / 2, static_cast<size_t>(to * kRenderRate));
    for (size_t i = a + 1; i < b; ++i) {
        const double x0 = pcm[2 * (i - 1)], x1 = pcm[2 * i];
        if (x0 < 0 && x1 >= 0) crossings.push_back(static_cast<double>(i - 1) + -x0 / (x1 - x0));
    }
    if (crossings.size() < 2) return 0.0;
    return (crossings.size() - 1) * kRenderRate / (crossings.back() - crossings.front());
}

TEST(Voices, NotesSoundAtTheirPitchWhateverTheKeyAndLoop) {
    const struct {
        const char* instrument;
        const char* note;
        double hz;
    } cases[] = {
        {"s synth wave=sine key=C-6 length=0.5 loop=0.4", "A-4", 440.0},
        {"s synth wave=sine key=A-1 length=0.3 loop=0.2", "A-2", 110.0},
        {"s synth wave=sine key=C-4 length=3", "E-5", 659.2551},
        {"s synth wave=sine key=F#3 length=3 loop=0.37", "C-3", 130.8128},
    };
    for (const auto& c : cases) {
        const double hz = pitchOf(play(c.instrument, std::string(c.note) + " .63"), 0.2, 1.5);
        EXPECT_NEAR(1200.0 * std::log2(hz / c.hz), 0.0, 0.5) << c.instrument << " " << c.note;
    }
}

}  // namespace
