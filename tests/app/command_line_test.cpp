// The command line as a table: what each option sets (every field compared, the defaults
// written out here rather than taken from the struct) and what each bad one says.
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

using Fields = std::map<std::string, std::string>;

// The words of a command line after the program's name; '' stands for an empty argument.
bool parse(const std::string& line, LaunchOptions& options, std::string& error) {
    std::vector<std::string> words = {"palisade"};
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word == "''" ? "" : word);
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    return parseCommandLine(int(argv.size()), argv.data(), options, error);
}

// "name=value name=value ..." as a map.
Fields fields(const std::string& text) {
    Fields out;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        const size_t eq = word.find('=');
        out[word.substr(0, eq)] = word.substr(eq + 1);
    }
    return out;
}

Fields fieldsOf(const LaunchOptions& o) {
    std::ostringstream s;
    s << "help=" << o.showHelp << " version=" << o.showVersion << " windowGiven=" << o.windowGiven
      << " width=" << o.width << " height=" << o.height << " depthGiven=" << o.depthGiven
      << " colorBits=" << o.colorBits << " fullscreen=" << o.fullscreen
      << " noDialog=" << o.noDialog << " effect=" << o.effect << " data=" << o.dataPath
      << " startOrder=" << o.startOrder << " loop=" << o.loop << " capture=" << o.captureDir
      << " video=" << o.videoPath << " measure=" << o.measure << " clearOnly=" << o.clearOnly
      << " fps=" << o.fps << " frames=" << o.frames << " duration=" << o.duration
      << " lockstepFrames=" << o.lockstepFrames() << " lockstep=" << o.lockstep()
      << " dialog=" << o.dialogWanted() << " warmUp=" << o.warmUp << " keys=";
    for (const ScriptedKey& k : o.keys) s << k.seconds << ":" << k.key << ";";
    return fields(s.str());
}

TEST(CommandLine, EachOptionSetsItsFieldsAndNothingElse) {
    const Fields defaults = fields(
        "help=0 version=0 windowGiven=0 width=640 height=480 depthGiven=0 colorBits=32 "
        "fullscreen=0 noDialog=0 effect= data= startOrder=-1 loop=0 capture= video= "
        "measure=0 clearOnly=0 fps=30 frames=-1 duration=-1 lockstepFrames=-1 lockstep=0 dialog=1 "
        "warmUp=0 keys=");
    const struct {
        const char* line;
        const char* changed;  // from the defaults
    } cases[] = {
        {"", ""},
        {"--help", "help=1"},
        {"-h", "help=1"},
        {"--version", "version=1"},
        {"--window 1024x768", "dialog=0 windowGiven=1 width=1024 height=768"},
        // The ends of the range, and a capital X.
        {"--window 16X16384", "dialog=0 windowGiven=1 width=16 height=16384"},
        {"--window 16384x16", "dialog=0 windowGiven=1 width=16384 height=16"},
        {"--depth 16", "dialog=0 depthGiven=1 colorBits=16"},
        {"--depth 32", "dialog=0 depthGiven=1"},
        {"--fullscreen", "dialog=0 fullscreen=1"},
        {"--no-dialog", "dialog=0 noDialog=1"},
        {"--loop", "loop=1"},
        {"--keys 0.5:right,1:escape,1:space,2:left,3:home", "keys=0.5:39;1:27;1:32;2:37;3:36;"},
        {"--effect metaballs", "effect=metaballs"},  // the dialog still opens
        {"--data other.rar", "data=other.rar"},
        {"--start-order 0", "startOrder=0"},
        {"--start-order 255", "startOrder=255"},
        {"--video a.mp4", "lockstep=1 dialog=0 video=a.mp4"},  // to the song's end
        {"--capture o --frames 1", "lockstep=1 dialog=0 capture=o frames=1 lockstepFrames=1"},
        {"--measure --frames 10000000 --fps 1000",
         "lockstep=1 dialog=0 measure=1 frames=10000000 fps=1000 lockstepFrames=10000000"},
        {"--measure --duration 9 --warm-up 8",
         "lockstep=1 dialog=0 measure=1 duration=9 lockstepFrames=270 warmUp=8"},
        {"--measure --clear-only --fps 1 --duration 86399.5",
         "lockstep=1 dialog=0 measure=1 clearOnly=1 fps=1 duration=86399.5 lockstepFrames=86400"},
        // 56 s x 30 = 1680; 0.1 s x 24 = 2.4, and a partial frame is still drawn; 0.1 x 30
        // is 3.0000000000000004 in doubles, which must not become a fourth frame.
        {"--video a.mkv --duration 56",
         "lockstep=1 dialog=0 video=a.mkv duration=56 lockstepFrames=1680"},
        {"--capture o --fps 24 --duration 0.1",
         "lockstep=1 dialog=0 capture=o fps=24 duration=0.1 lockstepFrames=3"},
        {"--capture o --duration 0.1",
         "lockstep=1 dialog=0 capture=o duration=0.1 lockstepFrames=3"},
    };
    for (const auto& c : cases) {
        LaunchOptions options;
        std::string error;
        ASSERT_TRUE(parse(c.line, options, error)) << c.line << ": " << error;
        Fields expected = defaults;
        for (const auto& [field, value] : fields(c.changed)) expected[field] = value;
        EXPECT_EQ(fieldsOf(options), expected) << c.line;
    }
}

TEST(CommandLine, RefusesWhatItCannotUseAndSaysWhy) {
    const char* size = "--window: expected a size like 800x600";
    const char* fps = "--fps: expected frames per second 1-1000";
    const char* frames = "--frames: expected a frame count";
    const char* seconds = "--duration: expected seconds";
    const char* order = "--start-order: expected an order number 0-255";
    const char* alone = "--frames and --duration need --capture DIR, --video FILE or --measure";
    const char* exclusive = "--capture, --video and --measure exclude each other";
    const char* noLength = "a lockstep run needs --frames N or --duration S";
    const char* realTime = "--loop plays in real time, not with --capture, --video or --measure";
    const char* clearOnly = "--clear-only goes with --measure";
    const struct {
        const char* line;
        const char* said;
    } cases[] = {
        {"--window", size},
        {"--window 800", size},
        {"--window 15x600", size},
        {"--window 800x16385", size},
        {"--window x600", size},
        {"--window 800x600x", size},
        {"--depth 24", "--depth: expected 16 or 32"},
        {"--effect", "--effect: expected an effect name (--effect list names them)"},
        {"--effect ''", "--effect: expected an effect name"},
        {"--data", "--data: expected an archive path"},
        {"--start-order -1", order},
        {"--start-order 256", order},
        {"--start-order 3x", order},
        {"--capture", "--capture: expected a directory"},
        {"--video", "--video: expected a video file (.mp4, .mkv or .webm)"},
        {"--measure --frames 1 --fps 0", fps},
        {"--measure --frames 1 --fps 1001", fps},
        {"--measure --frames 0", frames},
        {"--measure --frames 10000001", frames},
        {"--measure --duration 0", seconds},
        {"--measure --duration nan", seconds},
        {"--measure --duration 86400", seconds},
        {"--measure --duration 2s", seconds},
        {"--bogus", "unknown option --bogus"},
        {"data.rar", "unknown option data.rar"},
        {"--frames 10", alone},
        {"--duration 1", alone},
        {"--capture o --measure --frames 5", exclusive},
        {"--capture o --video a.mp4", exclusive},
        {"--capture o --frames 5 --duration 1", "give --frames or --duration, not both"},
        {"--capture o", noLength},
        {"--measure", noLength},
        {"--video a.mp4 --loop", realTime},
        {"--measure --frames 1 --loop", realTime},
        {"--capture o --frames 1 --clear-only", clearOnly},
        {"--capture o --frames 30 --warm-up 0.5", "--warm-up goes with --measure"},
        {"--measure --frames 30 --warm-up 1", "--warm-up must be shorter than the run"},
        {"--measure --frames 30 --warm-up x", "--warm-up: expected seconds"},
        {"--keys", "--keys: expected SECONDS:KEY,..."},
        {"--keys ''", "--keys: no keys"},
        {"--keys 1:up", "--keys: '1:up' is not SECONDS:KEY"},
        {"--keys right", "--keys: 'right' is not SECONDS:KEY"},
        {"--keys -1:home", "--keys: '-1:home' is not SECONDS:KEY"},
        {"--keys 1:space,,2:space", "--keys: '' is not SECONDS:KEY"},
        {"--keys 2:home,1:space", "--keys: '1:space' comes before the key ahead of it"},
        {"--capture o --frames 1 --keys 1:space", "--keys plays in real time"},
    };
    for (const auto& c : cases) {
        LaunchOptions options;
        std::string error;
        EXPECT_FALSE(parse(c.line, options, error)) << c.line;
        EXPECT_EQ(error.find(c.said), 0u) << c.line << ": " << error;
    }
}

}  // namespace
