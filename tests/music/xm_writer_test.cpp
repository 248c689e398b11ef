// The module writer: what it writes must be what a player reads back and hears.
#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <string>

#include "music/xm_writer.h"
#include "tests/music/test_songs.h"
#include "tests/support/test_support.h"

namespace {

using testsongs::emptySong;
using testsongs::note;

struct Loaded {
    explicit Loaded(const std::vector<uint8_t>& bytes)
        : module(openmpt_module_create_from_memory2(bytes.data(), bytes.size(),
                                                    openmpt_log_func_silent, nullptr, nullptr,
                                                    nullptr, nullptr, nullptr, nullptr)) {}
    ~Loaded() {
        if (module) openmpt_module_destroy(module);
    }
    // Peak of the left channel over `frames` frames from here.
    float peak(int frames) {
        std::vector<float> buffer(2 * static_cast<size_t>(frames));
        const size_t got = openmpt_module_read_interleaved_float_stereo(
            module, 44100, static_cast<size_t>(frames), buffer.data());
        float p = 0.0f;
        for (size_t i = 0; i < got; ++i) p = std::max(p, std::fabs(buffer[2 * i]));
        return p;
    }
    openmpt_module* module;
};

TEST(XmNotes, NamesMapToTheFormatsNoteNumbers) {
    EXPECT_EQ(xm::note("C-0"), 1);
    EXPECT_EQ(xm::note("C-4"), 49);
    EXPECT_EQ(xm::note("c#4"), 50);
    EXPECT_EQ(xm::note("B-7"), 96);
    EXPECT_EQ(xm::note("==="), xm::kKeyOff);
    for (const char* bad : {"H-4", "C-8", "C4", "E#4x", "", "B#7"})
        EXPECT_EQ(xm::note(bad), 0) << bad;
    EXPECT_EQ(xm::note(nullptr), 0);
    EXPECT_EQ(xm::breakParam(12), 0x12);
    EXPECT_EQ(xm::extendedParam(xm::kNoteDelay, 3), 0xD3);
}

TEST(XmWriter, RefusesWhatTheFormatCannotHold) {
    std::vector<uint8_t> out;
    std::string error;
    const auto refused = [&](const xm::Module& m) {
        out.assign(3, 1);
        error.clear();
        return !xm::write(m, out, &error) && out.empty() && !error.empty();
    };
    xm::Module ok = emptySong(4, 1);
    ASSERT_TRUE(xm::write(ok, out, &error)) << error;

    xm::Module m = emptySong(33, 1);
    EXPECT_TRUE(refused(m));
    m = ok;
    m.orders.push_back(7);
    EXPECT_TRUE(refused(m));
    m = ok;
    m.orders.clear();
    EXPECT_TRUE(refused(m));
    m = ok;
    m.instruments[0].samples[0].loop = xm::Loop::Forward;
    m.instruments[0].samples[0].loopStart = 30;
    m.instruments[0].samples[0].loopLength = 20;  // past the 40-frame sample
    EXPECT_TRUE(refused(m));
    m = ok;
    for (int i = 0; i < 13; ++i)
        m.instruments[0].volumeEnvelope.points.push_back({static_cast<uint16_t>(i), 64});
    EXPECT_TRUE(refused(m));
    m = ok;
    m.instruments[0].volumeEnvelope.points = {{0, 64}, {0, 10}};
    EXPECT_TRUE(refused(m));
    m = ok;
    m.patterns[0].at(0, 0).instrument = 200;
    EXPECT_TRUE(refused(m));
    m = ok;
    m.patterns.push_back(xm::Pattern(8, 3));  // channel count differs
    EXPECT_TRUE(refused(m));
}

TEST(XmWriter, ModulesReadBackAsWritten) {
    xm::Module m = emptySong(6, 2, 3, 40);
    m.name = "round trip";
    m.speed = 5;
    m.tempo = 140;
    m.orders = {1, 0, 1};
    m.patterns[1].at(39, 5) = xm::Cell::fx(xm::kSetSpeedTempo, 3);
    m.patterns[0].at(7, 2) = note("F#3", 2);
    m.patterns[0].at(7, 2).volume = xm::volumeColumn::set(40);
    m.patterns[0].at(7, 2).effect = xm::kExtended;
    m.patterns[0].at(7, 2).param = 0xD2;
    m.patterns[0].at(8, 0) = note("===", 0);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(xm::write(m, bytes));

    Loaded song(bytes);
    ASSERT_NE(song.module, nullptr);
    openmpt_module* mod = song.module;
    EXPECT_EQ(openmpt_module_get_num_channels(mod), 6);
    EXPECT_EQ(openmpt_module_get_num_orders(mod), 3);
    EXPECT_EQ(openmpt_module_get_num_patterns(mod), 2);
    EXPECT_EQ(openmpt_module_get_num_instruments(mod), 3);
    EXPECT_EQ(openmpt_module_get_order_pattern(mod, 0), 1);
    EXPECT_EQ(openmpt_module_get_pattern_num_rows(mod, 0), 40);
    EXPECT_EQ(openmpt_module_get_current_speed(mod), 5);
    EXPECT_EQ(openmpt_module_get_current_tempo(mod), 140);
    const char* title = openmpt_module_get_metadata(mod, "title");
    EXPECT_STREQ(title, "round trip");
    openmpt_free_string(title);

    const auto cell = [&](int pattern, int row, int channel, int command) {
        return openmpt_module_get_pattern_row_channel_command(mod, pattern, row, channel, command);
    };
    // The player counts notes from C-0 = 1 too, an octave higher than the file's numbers.
    EXPECT_EQ(cell(0, 7, 2, OPENMPT_MODULE_COMMAND_NOTE), xm::note("F#3") + 12);
    EXPECT_EQ(cell(0, 7, 2, OPENMPT_MODULE_COMMAND_INSTRUMENT), 2);
    EXPECT_EQ(cell(0, 7, 2, OPENMPT_MODULE_COMMAND_VOLUME), 40);
    EXPECT_EQ(cell(0, 7, 2, OPENMPT_MODULE_COMMAND_PARAMETER), 0xD2);
    EXPECT_EQ(cell(0, 8, 0, OPENMPT_MODULE_COMMAND_NOTE), 255) << "key off";
    EXPECT_EQ(cell(0, 6, 2, OPENMPT_MODULE_COMMAND_NOTE), 0);
    EXPECT_EQ(cell(1, 39, 5, OPENMPT_MODULE_COMMAND_PARAMETER), 3);
}

TEST(XmWriter, EightAndSixteenBitSamplesSoundAlike) {
    // The same waveform stored both ways: the 8-bit copy differs by its lost low byte only.
    xm::Sample wave;
    for (int i = 0; i < 400; ++i) {
        wave.data.push_back(
            static_cast<int16_t>(20000 * std::sin(i * 0.07) + 9000 * std::sin(i * 0.31)));
    }
    xm::Module m = emptySong(1, 1, 2);
    m.instruments[0] = xm::instrumentFromSample(wave);
    wave.sixteenBit = false;
    m.instruments[1] = xm::instrumentFromSample(wave);
    std::vector<uint8_t> bytes[2];
    for (int i = 0; i < 2; ++i) {
        m.patterns[0].at(0, 0) = note("C-5", 1 + i);
        bytes[i] = testsongs::bytesOf(m);
    }
    std::vector<float> out[2];
    for (int i = 0; i < 2; ++i) {
        Loaded song(bytes[i]);
        ASSERT_NE(song.module, nullptr);
        out[i].resize(2 * 2000);
        openmpt_module_read_interleaved_float_stereo(song.module, 44100, 2000, out[i].data());
    }
    float peak = 0.0f;
    float difference = 0.0f;
    for (size_t k = 0; k < out[0].size(); ++k) {
        peak = std::max(peak, std::fabs(out[0][k]));
        difference = std::max(difference, std::fabs(out[0][k] - out[1][k]));
    }
    EXPECT_GT(peak, 0.05f);
    EXPECT_LT(difference, peak / 50);
}

TEST(XmWriter, VolumeEnvelopesShapeTheNote) {
    xm::Module m = emptySong(1, 1);
    m.instruments[0] = testsongs::toneInstrument();
    m.instruments[0].volumeEnvelope.points = {{0, 64}, {6, 0}};  // gone after one row
    m.patterns[0].at(0, 0) = note("C-4", 1);
    Loaded song(testsongs::bytesOf(m));
    ASSERT_NE(song.module, nullptr);
    EXPECT_GT(song.peak(2 * 882), 0.05f);
    song.peak(5 * 882);
    EXPECT_EQ(song.peak(882), 0.0f);
}

TEST(XmWriter, WritesFiles) {
    const xm::Module m = emptySong(2, 1);
    testsupport::TempDir temp;
    ASSERT_TRUE(xm::writeFile(m, temp.file("w.xm").c_str()));
    EXPECT_EQ(testsupport::readFile(temp.file("w.xm")), testsongs::bytesOf(m));
    std::string error;
    EXPECT_FALSE(xm::writeFile(m, "/nonexistent-dir/x.xm", &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
