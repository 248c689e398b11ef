// The instruments as heard: in tune, looping without a seam, each drum with its character.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tools/musicgen/arranger.h"
#include "tools/musicgen/dsp.h"
#include "tools/musicgen/render.h"

namespace {

// A one-track module playing `notes` (steps) on `instrument`, rendered through the player.
std::vector<float> play(const std::string& instrument, const std::string& notes) {
    const std::string name = instrument.substr(0, instrument.find(' '));
    const std::string text = "tempo 120\ninstrument 0 " + instrument + "\ntrack t " + name +
                             "\npattern a\n    t " + notes + "\norder a\n";
    score::Score s;
    xm::Module m;
    std::string error;
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(score::parse(text, "t.score", s, error) && arrange(s, m, error) &&
                xm::write(m, bytes, &error))
        << error;
    Rendition r;
    EXPECT_TRUE(renderModule(bytes, r, error)) << error;
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

double cents(double got, double wanted) {
    return 1200.0 * std::log2(got / wanted);
}

TEST(Voices, NotesSoundAtTheirPitchWhateverTheKeyAndLoop) {
    struct Case {
        const char* instrument;
        const char* note;
        double hz;
    };
    const Case cases[] = {
        {"s synth wave=sine key=C-6 length=0.5 loop=0.4", "A-4", 440.0},
        {"s synth wave=sine key=A-1 length=0.3 loop=0.2", "A-2", 110.0},
        {"s synth wave=sine key=C-4 length=3", "E-5", 659.2551},
        {"s synth wave=sine key=F#3 length=3 loop=0.37", "C-3", 130.8128},
        {"s synth wave=sine key=D-5 length=3", "D-5", 587.3295},
    };
    for (const Case& c : cases) {
        const std::vector<float> pcm = play(c.instrument, std::string(c.note) + " .63");
        EXPECT_NEAR(cents(pitchOf(pcm, 0.2, 1.5), c.hz), 0.0, 0.5) << c.instrument << " " << c.note;
    }
}

TEST(Voices, LoopedSamplesJoinWithoutASeam) {
    // A wide unison saw and a cymbal's noise: the loop's last frame leads into its first as
    // smoothly as any two neighbouring frames of the sample do.
    for (const char* instrument :
         {"pad synth wave=saw voices=7 detune=40 length=0.6 loop=0.5",
          "crash cymbal decay=2 loop=0.3", "wind noise length=0.5 loop=0.3"}) {
        const std::string name(instrument, std::strchr(instrument, ' '));
        const std::string text = "instrument 0 " + std::string(instrument) + "\ntrack t " + name +
                                 "\npattern a\n    t x\norder a\n";
        score::Score s;
        xm::Module m;
        std::string error;
        ASSERT_TRUE(score::parse(text, "t.score", s, error) && arrange(s, m, error)) << error;
        const xm::Sample& sample = m.instruments[0].samples[0];
        ASSERT_EQ(sample.loop, xm::Loop::Forward);
        const std::vector<int16_t>& d = sample.data;
        const size_t start = sample.loopStart, end = sample.loopStart + sample.loopLength;
        ASSERT_EQ(end, d.size());
        double largestStep = 0.0;
        for (size_t i = start + 1; i < end; ++i) {
            largestStep = std::max(largestStep, std::fabs(double(d[i]) - d[i - 1]));
        }
        const double seam = std::fabs(double(d[start]) - d[end - 1]);
        EXPECT_LE(seam, largestStep) << instrument;
    }
}

// Share of a signal's energy above `hz`, from a one-pole split.
double shareAbove(const std::vector<float>& pcm, double hz) {
    dsp::OnePole low;
    low.set(hz);
    double all = 0, high = 0;
    for (size_t i = 0; i < pcm.size(); i += 2) {
        const double x = pcm[i];
        const double h = x - low.lowpass(x);
        all += x * x;
        high += h * h;
    }
    return all > 0 ? high / all : 0.0;
}

TEST(Voices, DrumsHaveTheirCharacter) {
    const std::vector<float> kick = play("k drum start=180 end=50 decay=0.15 length=0.4", "x .63");
    const std::vector<float> snare = play("s snare length=0.3", "x .63");
    const std::vector<float> hat = play("h hat decay=0.03 length=0.08", "x .63");
    // Low to high: the kick's body, the snare's wires, the hat's metal.
    EXPECT_LT(shareAbove(kick, 1000), 0.1);
    EXPECT_GT(shareAbove(snare, 1000), 0.3);
    EXPECT_LT(shareAbove(kick, 4000), shareAbove(snare, 4000));
    EXPECT_LT(shareAbove(snare, 4000), shareAbove(hat, 4000));
    // The kick falls in pitch and dies away.
    EXPECT_GT(pitchOf(kick, 0.0, 0.02), 1.5 * pitchOf(kick, 0.08, 0.2));
    const Levels start = measureLevels(kick, 0, 4410), tail = measureLevels(kick, 13230, 17640);
    EXPECT_LT(tail.rmsDb, start.rmsDb - 12.0);
}

TEST(Voices, CymbalsRingOutThroughTheirEnvelope) {
    const std::vector<float> crash = play("c cymbal decay=1.5 loop=0.3", "x .63");
    const double early = measureLevels(crash, 4410, 13230).rmsDb;
    const double late = measureLevels(crash, 44100, 52920).rmsDb;
    const double gone = measureLevels(crash, 75000, 88200).rmsDb;
    EXPECT_LT(late, early - 6.0);
    EXPECT_LT(gone, -90.0);  // silent once the envelope has ended, though the sample loops
}

TEST(Dsp, RandomIsRepeatableAndInRange) {
    dsp::Random a(7), b(7), c(8);
    bool differs = false;
    for (int i = 0; i < 1000; ++i) {
        const double x = a.bipolar();
        EXPECT_EQ(x, b.bipolar());
        EXPECT_GE(x, -1.0);
        EXPECT_LT(x, 1.0);
        differs = differs || x != c.bipolar();
    }
    EXPECT_TRUE(differs);
}

TEST(Dsp, FilterAndWaveTableKeepToTheirBand) {
    dsp::Svf lowpass;
    lowpass.set(500.0, 0.0);
    double in = 0, out = 0;
    for (int i = 0; i < 44100; ++i) {
        const double x = std::sin(dsp::kTwoPi * 8000.0 * i / dsp::kRate);
        lowpass.process(x);
        if (i > 4410) {
            in += x * x;
            out += lowpass.low() * lowpass.low();
        }
    }
    EXPECT_LT(out / in, 0.01);  // 8 kHz is four octaves above the cut-off

    // A saw built for 2 kHz keeps its first harmonics and holds none that a note played an
    // octave higher would fold back (above 11 kHz).
    const dsp::WaveTable saw(dsp::Wave::Saw, 2000.0);
    const auto harmonic = [&](int k) {
        const int n = 4096;
        double s = 0, c = 0;
        for (int i = 0; i < n; ++i) {
            const double v = saw.at(static_cast<double>(i) / n);
            s += v * std::sin(dsp::kTwoPi * k * i / n);
            c += v * std::cos(dsp::kTwoPi * k * i / n);
        }
        return 2.0 * std::hypot(s, c) / n;
    };
    EXPECT_NEAR(harmonic(1), 2.0 / dsp::kPi, 0.01);
    EXPECT_NEAR(harmonic(5), 2.0 / (5 * dsp::kPi), 0.01);
    EXPECT_LT(harmonic(6), 0.001);
    EXPECT_LT(harmonic(9), 0.001);
}

}  // namespace
