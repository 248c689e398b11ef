// The video writer on its own: what ffmpeg makes of the streams, and what is left when it
// cannot run or fails.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/video_export.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

class VideoExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("palisade_video_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        const char* path = std::getenv("PATH");
        path_ = path ? path : "";
    }
    void TearDown() override {
        ::setenv("PATH", path_.c_str(), 1);
        fs::remove_all(dir_);
    }
    // Frames of a flat grey that brightens, and a second of sound, at 10 frames a second.
    static bool writeClip(VideoExport& video, int frames, std::string& error) {
        std::vector<uint8_t> rgb(64 * 48 * 3);
        std::vector<float> sound(VideoExport::kSampleRate / 10 * 2, 0.25f);
        for (int f = 0; f < frames; ++f) {
            std::fill(rgb.begin(), rgb.end(), static_cast<uint8_t>(20 * f));
            if (!video.addSound(sound.data(), VideoExport::kSampleRate / 10) ||
                !video.addFrame(rgb.data())) {
                error = "write failed";
                return false;
            }
        }
        return video.finish(error);
    }
    // Only the files ffmpeg left, hidden ones included.
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
        return names;
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(VideoExportTest, FormatsFollowTheExtension) {
    EXPECT_STREQ(videoFormatFor("a/b.MP4")->container, "mp4");
    EXPECT_STREQ(videoFormatFor("b.mkv")->container, "matroska");
    EXPECT_STREQ(videoFormatFor("b.webm")->container, "webm");
    EXPECT_EQ(videoFormatFor("b.avi"), nullptr);
    EXPECT_EQ(videoFormatFor("mp4"), nullptr);
}

TEST_F(VideoExportTest, WritesOneFileWithPictureAndSoundOfTheRightLength) {
    const std::string out = (dir_ / "clip.mkv").string();
    VideoExport video;
    std::string error;
    ASSERT_TRUE(video.begin(out, 64, 48, 10, error)) << error;
    ASSERT_TRUE(writeClip(video, 10, error)) << error;
    EXPECT_EQ(files(), std::vector<std::string>{"clip.mkv"});
    const auto frames = testsupport::runCommand(
        "ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames "
        "-of csv=p=0 " + out);
    EXPECT_EQ(frames.out, "10\n");
    const auto sound = testsupport::runCommand(
        "ffprobe -v error -select_streams a:0 -show_entries stream=codec_name -of csv=p=0 " + out);
    EXPECT_EQ(sound.out, "flac\n");
    const auto length = testsupport::runCommand(
        "ffprobe -v error -show_entries format=duration -of csv=p=0 " + out);
    EXPECT_NEAR(std::atof(length.out.c_str()), 1.0, 0.05) << length.out;
}

TEST_F(VideoExportTest, WithoutFfmpegSaysHowToInstallItAndWritesNothing) {
    ::setenv("PATH", dir_.c_str(), 1);
    VideoExport video;
    std::string error;
    EXPECT_FALSE(video.begin((dir_ / "clip.mp4").string(), 64, 48, 10, error));
    EXPECT_NE(error.find("apt-get install ffmpeg"), std::string::npos) << error;
    EXPECT_TRUE(files().empty());
}

TEST_F(VideoExportTest, AFailingOrAbandonedEncoderLeavesNothingUnderTheName) {
    // An ffmpeg that writes a little and fails.
    const fs::path fake = dir_ / "bin";
    fs::create_directories(fake);
    std::ofstream(fake / "ffmpeg") << "#!/bin/sh\nfor a; do out=$a; done\necho x > \"$out\"\nexit 1\n";
    fs::permissions(fake / "ffmpeg", fs::perms::owner_all);
    ::setenv("PATH", (fake.string() + ":" + path_).c_str(), 1);
    {
        VideoExport video;
        std::string error;
        ASSERT_TRUE(video.begin((dir_ / "clip.mp4").string(), 64, 48, 10, error)) << error;
        EXPECT_FALSE(writeClip(video, 3, error));
    }
    ::setenv("PATH", path_.c_str(), 1);
    {
        VideoExport video;
        std::string error;
        ASSERT_TRUE(video.begin((dir_ / "clip.mp4").string(), 64, 48, 10, error)) << error;
        std::vector<uint8_t> rgb(64 * 48 * 3, 128);
        EXPECT_TRUE(video.addFrame(rgb.data()));
        video.abandon();  // as on Ctrl-C
    }
    EXPECT_EQ(files(), std::vector<std::string>{"bin"});
}

}  // namespace
