// rarpack as a user runs it: the commands, their options and exit statuses, names and times
// in the archive, reproducible output, and no half-written archive after a failure.
#include <sys/stat.h>
#include <utime.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "archive/archive.h"
#include "archive/archive_format.h"
#include "archive_test_support.h"
#include "tools/rarpack/file_collector.h"
#include "tools/rarpack/rarpack.h"

using namespace archivetest;
namespace fs = std::filesystem;

namespace {

class Rarpack : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/rarpack_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    std::string path(const std::string& rel) const { return dir_ + "/" + rel; }

    void writeFile(const std::string& rel, const Bytes& data) {
        const fs::path p = path(rel);
        std::error_code ec;
        fs::create_directories(p.parent_path(), ec);
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()),
                   static_cast<std::streamsize>(data.size()));
    }
    Bytes readFile(const std::string& rel) const {
        std::ifstream in(path(rel), std::ios::binary);
        return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    std::string readText(const std::string& rel) const {
        const Bytes b = readFile(rel);
        return std::string(b.begin(), b.end());
    }

    // Runs rarpack in the test directory; stdout and stderr land in out.txt and err.txt.
    int run(const std::string& args, const std::string& env = "") {
        const std::string cmd =
            "cd '" + dir_ + "' && " + env + " '" RARPACK_PATH "' " + args + " >out.txt 2>err.txt";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void makeTree() {
        writeFile("tree/textures/wall.png", textData(20000, 1));
        writeFile("tree/lwos/ship.lwo", binaryData(30000, 2));
        writeFile("tree/music.xm", binaryData(5000, 3));
        writeFile("tree/empty.txt", {});
    }

    std::vector<ArchiveEntryInfo> list(const std::string& rel) {
        ArchiveEntryInfo* head = nullptr;
        Archive::listEntries(path(rel).c_str(), &head);
        std::vector<ArchiveEntryInfo> out;
        for (ArchiveEntryInfo* e = head; e; e = e->next) {
            out.push_back(*e);
            names_.push_back(e->name);
            out.back().name = nullptr;
        }
        Archive::freeEntryList(head);
        return out;
    }
    std::vector<std::string> names(const std::string& rel) {
        names_.clear();
        list(rel);
        return names_;
    }

    std::string dir_;
    std::vector<std::string> names_;
};

}  // namespace

TEST_F(Rarpack, HelpAndUsageErrors) {
    EXPECT_EQ(run("--help"), 0);
    EXPECT_NE(readText("out.txt").find("rarpack a [-m0] [-s] [-mm]"), std::string::npos);
    for (const char* args :
         {"", "z archive.rar", "x", "x -q archive.rar", "x archive.rar one two", "a archive.rar",
          "a -q archive.rar tree", "a --mtime=soon archive.rar tree", "p archive.rar"})
        EXPECT_EQ(run(args), 2) << args;
    EXPECT_NE(readText("err.txt").find("Usage"), std::string::npos);
    EXPECT_FALSE(fs::exists(path("archive.rar")));
}

TEST_F(Rarpack, AddListTestPrint) {
    makeTree();
    writeFile("loose.txt", textData(300, 4));
    ASSERT_EQ(run("a data.rar tree loose.txt"), 0) << readText("err.txt");
    EXPECT_EQ(names("data.rar"),
              (std::vector<std::string>{"empty.txt", "lwos\\ship.lwo", "music.xm",
                                        "textures\\wall.png", "loose.txt"}));

    ASSERT_EQ(run("l data.rar"), 0);
    const std::string listing = readText("out.txt");
    EXPECT_NE(listing.find("textures\\wall.png"), std::string::npos);
    EXPECT_NE(listing.find("normal"), std::string::npos);
    EXPECT_NE(listing.find("5 files"), std::string::npos);

    ASSERT_EQ(run("t data.rar"), 0);
    EXPECT_NE(readText("out.txt").find("All 5 entries OK"), std::string::npos);

    ASSERT_EQ(run("p data.rar TEXTURES/WALL.PNG"), 0);
    EXPECT_EQ(readFile("out.txt"), textData(20000, 1));
    EXPECT_EQ(run("p data.rar nothing.here"), 1);
    EXPECT_NE(readText("err.txt").find("cannot read nothing.here"), std::string::npos);
}

TEST_F(Rarpack, StoreSolidAndMultimediaOptions) {
    makeTree();
    writeFile("tree/sound.wav", waveFile(20000, 2, 16));
    ASSERT_EQ(run("a -m0 stored.rar tree"), 0);
    for (const ArchiveEntryInfo& e : list("stored.rar")) {
        EXPECT_EQ(e.method, rar::kMethodStored);
        EXPECT_EQ(e.packedSize, e.unpackedSize);
    }

    ASSERT_EQ(run("a -s solid.rar tree"), 0);
    const Bytes solid = readFile("solid.rar");
    EXPECT_TRUE(rar::load16(&solid[10]) & rar::kMainSolid);
    const auto entries = list("solid.rar");
    ASSERT_EQ(entries.size(), 5u);
    for (size_t i = 2; i < entries.size(); ++i) EXPECT_TRUE(entries[i].flags & rar::kFileSolid);
    ASSERT_EQ(run("t solid.rar"), 0);

    // A WAV file packs in multimedia mode by itself: the first bit of its stream says so.
    ASSERT_EQ(run("a plain.rar tree/sound.wav"), 0);
    const Bytes plain = readFile("plain.rar");
    EXPECT_TRUE(plain[20 + 32 + 9] & 0x80);
    writeFile("raw.pcm", soundSamples(20000, 1, 8));
    ASSERT_EQ(run("a -mm forced.rar raw.pcm"), 0);
    EXPECT_TRUE(readFile("forced.rar")[20 + 32 + 7] & 0x80);
    ASSERT_EQ(run("t forced.rar"), 0);
    ASSERT_EQ(run("a -mm3 three.rar raw.pcm"), 0);
    ASSERT_EQ(run("p three.rar raw.pcm"), 0);
    EXPECT_EQ(readFile("out.txt"), soundSamples(20000, 1, 8));
}

TEST_F(Rarpack, FixedTimeGivesIdenticalArchives) {
    makeTree();
    ASSERT_EQ(run("a one.rar tree", "SOURCE_DATE_EPOCH=1700000000"), 0);
    utime(path("tree/music.xm").c_str(), nullptr);  // a new file time changes nothing
    ASSERT_EQ(run("a two.rar tree", "SOURCE_DATE_EPOCH=1700000000"), 0);
    ASSERT_EQ(run("a -s --mtime=1700000000 three.rar tree"), 0);
    ASSERT_EQ(run("a -s --mtime=1700000000 four.rar tree"), 0);
    EXPECT_EQ(readFile("one.rar"), readFile("two.rar"));
    EXPECT_EQ(readFile("three.rar"), readFile("four.rar"));
    // 2023-11-14 22:13:20 UTC
    for (const ArchiveEntryInfo& e : list("one.rar"))
        EXPECT_EQ(e.fileTime, rar::dosDateTime(2023, 11, 14, 22, 13, 20));
}

TEST_F(Rarpack, FileTimesAndAttributesComeFromTheFiles) {
    writeFile("dated.txt", textData(100));
    writeFile("locked.txt", textData(100));
    const time_t when = 1600000000;
    const utimbuf times = {when, when};
    utime(path("dated.txt").c_str(), &times);
    chmod(path("locked.txt").c_str(), 0444);
    ASSERT_EQ(run("a t.rar dated.txt locked.txt"), 0);
    const auto entries = list("t.rar");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].fileTime, rarpack::dosTimeOf(when, false));
    EXPECT_EQ(entries[0].attributes, rar::kAttrArchive);
    EXPECT_EQ(entries[1].attributes, rar::kAttrArchive | rar::kAttrReadOnly);
    EXPECT_EQ(entries[0].hostSystem, rar::kHostMsDos);
    EXPECT_EQ(entries[0].unpackVersion, 20);
}

TEST_F(Rarpack, FailuresLeaveNoArchiveBehind) {
    makeTree();
    ASSERT_EQ(run("a keep.rar tree"), 0);
    const Bytes before = readFile("keep.rar");

    EXPECT_EQ(run("a keep.rar tree missing-file"), 1);
    EXPECT_NE(readText("err.txt").find("missing-file"), std::string::npos);

    writeFile("clash/a_b.txt", {'1'});
    writeFile("clash/a/b.txt", {'2'});  // the reader could not tell the two apart
    EXPECT_EQ(run("a keep.rar clash"), 1);
    EXPECT_NE(readText("err.txt").find("same to the reader"), std::string::npos);

    writeFile("odd/back\\slash", {'3'});
    EXPECT_EQ(run("a keep.rar odd"), 1);

    fs::create_directory(path("adir"));
    EXPECT_EQ(run("a adir tree"), 1);  // written in full, then the rename fails
    EXPECT_TRUE(fs::is_directory(path("adir")));

    EXPECT_EQ(readFile("keep.rar"), before);
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
    EXPECT_EQ(run("a new.rar nothing"), 1);
    EXPECT_FALSE(fs::exists(path("new.rar")));
}

TEST_F(Rarpack, DamagedArchivesFailTheTest) {
    makeTree();
    ASSERT_EQ(run("a data.rar tree"), 0);
    Bytes damaged = readFile("data.rar");
    damaged[damaged.size() - 100] ^= 0x10;
    writeFile("damaged.rar", damaged);
    EXPECT_EQ(run("t damaged.rar"), 1);
    EXPECT_NE(readText("out.txt").find("FAILED"), std::string::npos);

    writeFile("not.rar", textData(100));
    EXPECT_EQ(run("l not.rar"), 1);
    EXPECT_EQ(run("t not.rar"), 1);
    EXPECT_EQ(run("t missing.rar"), 1);

    // Writing an archive inside the tree it packs leaves the old archive out.
    ASSERT_EQ(run("a tree/self.rar tree"), 0);
    ASSERT_EQ(run("a tree/self.rar tree"), 0);
    EXPECT_EQ(names("tree/self.rar").size(), 4u);
    EXPECT_NE(readText("err.txt").find("the archive being written"), std::string::npos);

    fs::create_directory(path("nothing-inside"));
    ASSERT_EQ(run("a empty.rar nothing-inside"), 0);
    ASSERT_EQ(run("t empty.rar"), 0);
    EXPECT_TRUE(names("empty.rar").empty());
}

TEST_F(Rarpack, ExtractRestoresAPackedTreeAndKeepsWhatIsThere) {
    makeTree();
    const time_t when = 1600000000;  // an even second: MS-DOS times count in twos
    const utimbuf times = {when, when};
    utime(path("tree/lwos/ship.lwo").c_str(), &times);
    chmod(path("tree/music.xm").c_str(), 0444);
    ASSERT_EQ(run("a -s data.rar tree"), 0);
    ASSERT_EQ(run("x data.rar out/here"), 0) << readText("err.txt");
    for (const char* name : {"textures/wall.png", "lwos/ship.lwo", "music.xm", "empty.txt"})
        EXPECT_EQ(readFile(std::string("out/here/") + name), readFile(std::string("tree/") + name))
            << name;
    struct stat status;
    ASSERT_EQ(stat(path("out/here/lwos/ship.lwo").c_str(), &status), 0);
    EXPECT_EQ(status.st_mtime, when);
    ASSERT_EQ(stat(path("out/here/music.xm").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0222, 0u) << "read-only as packed";

    // A second time the files are there: kept and reported, unless -o.
    writeFile("out/here/textures/wall.png", {'m', 'i', 'n', 'e'});
    ASSERT_EQ(run("x data.rar out/here"), 0);
    EXPECT_NE(readText("err.txt").find("textures/wall.png exists, kept"), std::string::npos);
    EXPECT_NE(readText("out.txt").find("4 existing kept"), std::string::npos);
    EXPECT_EQ(readFile("out/here/textures/wall.png"), (Bytes{'m', 'i', 'n', 'e'}));
    ASSERT_EQ(run("x -o data.rar out/here"), 0);
    EXPECT_EQ(readFile("out/here/textures/wall.png"), textData(20000, 1));
    // Without DIR, into the current directory.
    ASSERT_EQ(run("x data.rar"), 0);
    EXPECT_EQ(readFile("lwos/ship.lwo"), binaryData(30000, 2));
}

TEST_F(Rarpack, ExtractRefusesNamesThatClimbOutAndExtractsTheRest) {
    const Bytes data = textData(50, 5);
    RawEntry folder = storedEntry("made\\folder", {});
    folder.flags |= 0x00E0;  // a directory entry
    const char* refused[] = {"..\\up.txt",         "\\root.txt",    "/root2.txt", "C:\\drive.txt",
                             "a\\..\\..\\up2.txt", "link\\out.txt", "..",         "."};
    std::vector<RawEntry> entries = {storedEntry("good\\.\\in.txt", data), folder};
    for (const char* name : refused) entries.push_back(storedEntry(name, data));
    entries.push_back(storedEntry("last.txt", data));
    writeFile("evil.rar", rawArchive(entries));
    fs::create_directories(path("outside"));
    fs::create_directories(path("dest"));
    fs::create_directory_symlink(path("outside"), path("dest/link"));

    EXPECT_EQ(run("x evil.rar dest"), 1);
    const std::string err = readText("err.txt");
    for (const char* name : refused)
        EXPECT_NE(err.find(std::string(name) + ": refused"), std::string::npos) << name;
    EXPECT_EQ(readFile("dest/good/in.txt"), data);
    EXPECT_EQ(readFile("dest/last.txt"), data);
    EXPECT_TRUE(fs::is_directory(path("dest/made/folder")));
    EXPECT_TRUE(fs::is_empty(path("outside")));
    for (const char* stray : {"up.txt", "up2.txt", "root.txt", "drive.txt", "C:"})
        EXPECT_FALSE(fs::exists(path(stray))) << stray;
    EXPECT_FALSE(fs::exists("/root2.txt"));
}

TEST(RarpackOptions, ParsesAddArguments) {
    rarpack::AddOptions o;
    std::string error;
    ASSERT_TRUE(
        rarpack::parseAddArguments({"-s", "-m0", "-mm2", "x.rar", "a", "b"}, nullptr, &o, &error));
    EXPECT_TRUE(o.pack.solid);
    EXPECT_TRUE(o.pack.store);
    EXPECT_EQ(o.pack.audio, rar::AudioChoice::Always);
    EXPECT_EQ(o.pack.audioChannels, 2u);
    EXPECT_EQ(o.archive, "x.rar");
    EXPECT_EQ(o.paths, (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(o.fixedTime);

    ASSERT_TRUE(rarpack::parseAddArguments({"--", "-odd.rar", "p"}, "42", &o, &error));
    EXPECT_EQ(o.archive, "-odd.rar");
    EXPECT_TRUE(o.fixedTime);
    EXPECT_EQ(o.time, 42);
    ASSERT_TRUE(rarpack::parseAddArguments({"--mtime=7", "x", "p"}, "42", &o, &error));
    EXPECT_EQ(o.time, 7);  // the option wins over the environment
    EXPECT_FALSE(rarpack::parseAddArguments({"x", "p"}, "soon", &o, &error));
    EXPECT_FALSE(rarpack::parseAddArguments({"-mm5", "x", "p"}, nullptr, &o, &error));
}
