// The module writer: what it refuses, and what a player reads back from what it writes.
// (The timing tests play its modules: speeds, tempos, patterns and effects.)
#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <iterator>
#include <string>

#include "music/xm_writer.h"
#include "tests/music/test_songs.h"

namespace {

using testsongs::emptySong;
using testsongs::note;

TEST(XmWriter, RefusesWhatTheFormatCannotHold) {
    const xm::Module ok = emptySong(4, 1);
    std::vector<uint8_t> out;
    std::string error;
    ASSERT_TRUE(xm::write(ok, out, &error)) << error;
    void (*const faults[])(xm::Module&) = {
        [](xm::Module& m) { m = emptySong(33, 1); },
        [](xm::Module& m) { m.orders.push_back(7); },
        [](xm::Module& m) { m.orders.clear(); },
        [](xm::Module& m) {  // a loop past the end of the 40-frame sample
            m.instruments[0].samples[0] = xm::sineSample(40);
            m.instruments[0].samples[0].loopStart = 30;
        },
        [](xm::Module& m) {
            m.instruments[0].volumeEnvelope.points.resize(13, {0, 64});
        },
        [](xm::Module& m) {
            m.instruments[0].volumeEnvelope.points = {{0, 64}, {0, 10}};
        },
        [](xm::Module& m) { m.patterns[0].at(0, 0).instrument = 200; },
        [](xm::Module& m) { m.patterns.push_back(xm::Pattern(8, 3)); },  // 3 channels, not 4
    };
    for (size_t i = 0; i < std::size(faults); ++i) {
        xm::Module m = ok;
        faults[i](m);
        out.assign(3, 1);
        error.clear();
        EXPECT_FALSE(xm::write(m, out, &error)) << i;
        EXPECT_TRUE(out.empty()) << i;
        EXPECT_FALSE(error.empty()) << i;
    }
}

TEST(XmWriter, VolumesLoopsEnvelopesAndSamplesOfEitherDepthReadBackAsWritten) {
    // The same waveform stored both ways: the 8-bit copy differs by its lost low byte only.
    xm::Sample wave;
    for (int i = 0; i < 400; ++i) {
        wave.data.push_back(
            static_cast<int16_t>(20000 * std::sin(i * 0.07) + 9000 * std::sin(i * 0.31)));
    }
    wave.loop = xm::Loop::Forward;  // so that only the envelope ends the note
    wave.loopStart = 100;
    wave.loopLength = 300;
    xm::Module m = emptySong(1, 1, 2);
    m.instruments[0] = xm::instrumentFromSample(wave);
    m.instruments[0].volumeEnvelope.points = {{0, 64}, {4, 64}, {5, 0}};  // 5 ticks: 4410 frames
    wave.sixteenBit = false;
    m.instruments[1] = xm::instrumentFromSample(wave);
    m.instruments[1].volumeEnvelope = m.instruments[0].volumeEnvelope;
    std::vector<float> out[2];
    for (int i = 0; i < 2; ++i) {
        m.patterns[0].at(0, 0) = note("C-5", 1 + i);
        m.patterns[0].at(0, 0).volume = xm::volumeColumn::set(40);
        const std::vector<uint8_t> bytes = testsongs::bytesOf(m);
        openmpt_module* mod = openmpt_module_create_from_memory2(
            bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr, nullptr, nullptr, nullptr,
            nullptr, nullptr);
        ASSERT_NE(mod, nullptr);
        EXPECT_EQ(openmpt_module_get_pattern_row_channel_command(mod, 0, 0, 0,
                                                                 OPENMPT_MODULE_COMMAND_VOLUME),
                  40);
        out[i].resize(2 * 5000);
        openmpt_module_read_interleaved_float_stereo(mod, 44100, 5000, out[i].data());
        openmpt_module_destroy(mod);
    }
    float peak = 0.0f;
    float difference = 0.0f;
    for (size_t k = 0; k < out[0].size(); ++k) {
        peak = std::max(peak, std::fabs(out[0][k]));
        difference = std::max(difference, std::fabs(out[0][k] - out[1][k]));
    }
    EXPECT_GT(peak, 0.05f);
    EXPECT_LT(difference, peak / 50);
    for (size_t k = 2 * 4500; k < out[0].size(); ++k) ASSERT_EQ(out[0][k], 0.0f) << k;
}

}  // namespace
