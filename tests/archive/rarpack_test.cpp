// rarpack as a user runs it: the bytes it writes, the commands, their options and exit
// statuses, names and times in the archive, and no half-written archive after a failure.
#include <sys/stat.h>
#include <utime.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "archive/archive.h"
#include "archive_test_support.h"

using namespace archivetest;
namespace fs = std::filesystem;

namespace {

class Rarpack : public ::testing::Test {
  protected:
    std::string readText(const std::string& rel) const {
        const Bytes b = dir_.read(rel);
        return std::string(b.begin(), b.end());
    }
    bool saidOut(const std::string& s) const { return readText("out.txt").find(s) != npos; }
    bool saidErr(const std::string& s) const { return readText("err.txt").find(s) != npos; }

    // Runs rarpack in the test directory, 9 hours east of UTC; stdout and stderr land in
    // out.txt and err.txt.
    int run(const std::string& args, const std::string& env = "") {
        const std::string cmd = "cd '" + dir_.path() + "' && TZ=JST-9 " + env +
                                " '" RARPACK_PATH "' " + args + " >out.txt 2>err.txt";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void makeTree() {
        dir_.write("tree/textures/wall.png", textData(20000, 1));
        dir_.write("tree/lwos/ship.lwo", binaryData(30000, 2));
        dir_.write("tree/music.xm", binaryData(5000, 3));
        dir_.write("tree/empty.txt", {});
    }

    // The list's nodes, without their names.
    std::vector<ArchiveEntryInfo> list(const std::string& rel) const {
        ArchiveEntryInfo* head = nullptr;
        Archive::listEntries(dir_.path(rel).c_str(), &head);
        std::vector<ArchiveEntryInfo> out;
        for (ArchiveEntryInfo* e = head; e; e = e->next) out.push_back(*e);
        Archive::freeEntryList(head);
        for (ArchiveEntryInfo& e : out) e.name = nullptr;
        return out;
    }

    static constexpr size_t npos = std::string::npos;
    TempDir dir_;
};

// A file header with its name, its packed size and data CRC put in, and its own CRC (the low
// 16 bits of the CRC-32 of the rest).
Bytes header(Bytes h, const std::string& name, uint32_t packed, uint32_t dataCrc) {
    put32(h, 7, packed);
    put32(h, 16, dataCrc);
    h.insert(h.end(), name.begin(), name.end());
    put16(h, 0, static_cast<uint16_t>(crc(h.data() + 2, h.size() - 2)));
    return h;
}

}  // namespace

TEST_F(Rarpack, WritesExactlyTheseBytes) {
    dir_.write("digits.txt", text("123456789"));
    dir_.write("run.bin", Bytes(100, 'a'));
    ASSERT_EQ(run("a --mtime=1700000000 out.rar digits.txt run.bin"), 0) << readText("err.txt");
    Bytes expected = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00,                     // marker
                      0xCF, 0x90, 0x73, 0x00, 0x00, 0x0D, 0x00, 0, 0, 0, 0, 0, 0};  // main header
    // Type 74; flags 8080 (add-size, 1 MB window); header size; packed size (put in); size;
    // host MS-DOS; CRC-32 (put in); 2023-11-14 22:13:20 UTC: 43<<9|11<<5|14 = 576E,
    // 22<<11|13<<5|20/2 = B1AA; version 20; method; name size; attributes 20 (archive).
    // clang-format off
    const Bytes h1 = header({0, 0, 0x74, 0x80, 0x80, 32 + 10, 0, 0, 0, 0, 0, 9, 0, 0, 0, 0,
                             0, 0, 0, 0, 0xAA, 0xB1, 0x6E, 0x57, 20, 0x30, 10, 0, 0x20, 0, 0, 0},
                            "digits.txt", 9, 0xCBF43926);  // stored: 9 bytes never pack
    expected.insert(expected.end(), h1.begin(), h1.end());
    for (char c : std::string("123456789")) expected.push_back(static_cast<uint8_t>(c));

    // 100 times 'a' packs to one literal and a long match of 99 at distance 1 (length code 22:
    // 96 + 3, 4 extra bits 0), with two main codes of one bit ('a' 0, 292 1) and one distance
    // code (0). The lengths are coded with 18 (code 0), 1 (10) and 17 (11).
    BitWriter w;
    w.pattern(
        "00 0000 0010 0000 0000 0000 0000 0000 0000 0000 0000"  // LZ, fresh; lengths of
        "0000 0000 0000 0000 0000 0000 0000 0010 0001"         // 1 and 17: 2 bits, 18: 1
        "0 1010110  10"                                        // 97 zeros; 'a': 1
        "0 1111111  0 0101101  10"                             // 138 + 56 zeros; 292: 1
        "11 010  10  0 1000000"                                // 5 zeros; distance 0: 1; 75 zeros
        "0 1 0000 0"                                           // 'a', 99 bytes from 1 back
    );
    const Bytes stream = w.finish();
    const Bytes h2 = header({0, 0, 0x74, 0x80, 0x80, 32 + 7, 0, 0, 0, 0, 0, 100, 0, 0, 0, 0,
                             0, 0, 0, 0, 0xAA, 0xB1, 0x6E, 0x57, 20, 0x33, 7, 0, 0x20, 0, 0, 0},
                            "run.bin", 16, crc(Bytes(100, 'a')));
    // clang-format on
    expected.insert(expected.end(), h2.begin(), h2.end());
    expected.insert(expected.end(), stream.begin(), stream.end());
    // The end-of-archive block: type 7B, flags 4000 (skip if unknown), size 7.
    Bytes end = {0, 0, 0x7B, 0x00, 0x40, 0x07, 0x00};
    put16(end, 0, static_cast<uint16_t>(crc(end.data() + 2, end.size() - 2)));
    expected.insert(expected.end(), end.begin(), end.end());
    EXPECT_EQ(dir_.read("out.rar"), expected);

    ASSERT_EQ(run("l out.rar"), 0);
    EXPECT_TRUE(saidOut("       9          9  100%  store   CBF43926  2023-11-14 22:13:20\n"));
    EXPECT_TRUE(saidOut("     100         16   16%  normal"));
    EXPECT_TRUE(saidOut("2 files, 109 bytes packed to 25 (23%)"));
    ASSERT_EQ(run("p out.rar RUN.BIN"), 0);
    EXPECT_EQ(dir_.read("out.txt"), Bytes(100, 'a'));
    // A header whose CRC does not match fails the test, though its data is intact.
    expected[71] ^= 1;
    dir_.write("bad.rar", expected);
    EXPECT_TRUE(run("t bad.rar") == 1 &&
                saidOut("OK      digits.txt\nFAILED  run.bin: header CRC mismatch\n1 of 2"));
}

TEST_F(Rarpack, HelpAndUsageErrors) {
    EXPECT_TRUE(run("--help") == 0 && saidOut("rarpack a [-m0] [-s] [-mm]"));
    for (const char* args :
         {"", "z archive.rar", "x", "x -q archive.rar", "x archive.rar one two", "a archive.rar",
          "a -q archive.rar tree", "a --mtime=soon archive.rar tree", "a -mm5 archive.rar tree",
          "l", "t a b", "p archive.rar"})
        EXPECT_TRUE(run(args) == 2 && saidErr("\nTry 'rarpack --help'.\n") && !saidErr("Usage"))
            << args;
    EXPECT_EQ(run("a archive.rar tree", "SOURCE_DATE_EPOCH=soon"), 2);
    EXPECT_FALSE(fs::exists(dir_.path("archive.rar")));
}

TEST_F(Rarpack, TreesOptionsTimesAndAttributes) {
    makeTree();
    dir_.write("loose.txt", textData(300, 4));
    ASSERT_EQ(run("a data.rar tree loose.txt"), 0) << readText("err.txt");
    EXPECT_EQ(listNames(dir_.read("data.rar")),
              (std::vector<std::string>{"empty.txt", "lwos\\ship.lwo", "music.xm",
                                        "textures\\wall.png", "loose.txt"}));
    EXPECT_TRUE(saidOut("data.rar: 5 files, 55300 bytes packed to"));
    ASSERT_EQ(run("p data.rar TEXTURES/WALL.PNG"), 0);
    EXPECT_EQ(dir_.read("out.txt"), textData(20000, 1));
    EXPECT_TRUE(run("p data.rar nothing.here") == 1 && saidErr("cannot read nothing.here"));

    ASSERT_EQ(run("a -m0 stored.rar tree"), 0);
    EXPECT_EQ(list("stored.rar")[1].method, 0x30);
    ASSERT_EQ(run("a -s solid.rar tree"), 0);
    EXPECT_EQ(dir_.read("solid.rar")[10], 0x08);  // main header flags: solid
    const auto entries = list("solid.rar");
    ASSERT_EQ(entries.size(), 4u);
    // The first two have no stream to go on with: empty, then the first packed.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(entries[i].flags, i < 2 ? 0x8080 : 0x8090) << i;
    ASSERT_EQ(run("l solid.rar"), 0);
    EXPECT_TRUE(saidOut("Archive solid.rar (solid)"));
    dir_.write("raw.pcm", soundSamples(20000, 1, 8));
    ASSERT_EQ(run("a -mm3 three.rar raw.pcm"), 0);
    EXPECT_EQ(dir_.read("three.rar")[20 + 32 + 7] >> 4, 0x8 | 2);  // audio, 3 channels
    ASSERT_EQ(run("p three.rar raw.pcm"), 0);
    EXPECT_EQ(dir_.read("out.txt"), soundSamples(20000, 1, 8));
    // Times and attributes come from the files, unless fixed.
    ASSERT_EQ(run("a one.rar tree", "SOURCE_DATE_EPOCH=1700000000"), 0);
    utime(dir_.path("tree/music.xm").c_str(), nullptr);  // a new file time changes nothing
    ASSERT_EQ(run("a two.rar tree", "SOURCE_DATE_EPOCH=1700000000"), 0);
    EXPECT_EQ(dir_.read("one.rar"), dir_.read("two.rar"));
    ASSERT_EQ(run("a --mtime=0 zero.rar tree", "SOURCE_DATE_EPOCH=1700000000"), 0);
    EXPECT_EQ(list("zero.rar")[0].fileTime, 0x00210000u);  // 1970 is before 1980-01-01

    dir_.write("dated.txt", textData(100));
    dir_.write("locked.txt", textData(100));
    const time_t when = 1600000000;
    const utimbuf times = {when, when};
    utime(dir_.path("dated.txt").c_str(), &times);
    chmod(dir_.path("locked.txt").c_str(), 0444);
    ASSERT_EQ(run("a t.rar dated.txt locked.txt"), 0);
    const auto dated = list("t.rar");
    ASSERT_EQ(dated.size(), 2u);
    // 2020-09-13 12:26:40 UTC, 21:26:40 there: 40<<9|9<<5|13 = 512D, 21<<11|26<<5|20 = AB54.
    EXPECT_EQ(dated[0].fileTime, 0x512DAB54u);
    EXPECT_EQ(dated[0].attributes, 0x20u);
    EXPECT_EQ(dated[1].attributes, 0x21u);
    EXPECT_EQ(dated[0].hostSystem, 0);
    EXPECT_EQ(dated[0].unpackVersion, 20);
}

TEST_F(Rarpack, FailuresLeaveNoArchiveBehind) {
    makeTree();
    ASSERT_EQ(run("a keep.rar tree"), 0);
    const Bytes before = dir_.read("keep.rar");
    EXPECT_TRUE(run("a keep.rar tree missing-file") == 1 && saidErr("missing-file"));
    dir_.write("clash/a_b.txt", {'1'});
    dir_.write("clash/a/b.txt", {'2'});  // the reader could not tell the two apart
    EXPECT_TRUE(run("a keep.rar clash") == 1 && saidErr("same to the reader"));
    fs::create_directory(dir_.path("adir"));
    EXPECT_EQ(run("a adir tree"), 1);  // written in full, then the rename fails
    EXPECT_EQ(dir_.read("keep.rar"), before);
    for (const auto& entry : fs::directory_iterator(dir_.path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), npos) << entry.path();

    // An archive written inside the tree it packs leaves its old self out.
    ASSERT_EQ(run("a tree/self.rar tree"), 0);
    ASSERT_EQ(run("a tree/self.rar tree"), 0);
    EXPECT_EQ(listNames(dir_.read("tree/self.rar")).size(), 4u);
    EXPECT_TRUE(saidErr("the archive being written"));
}

TEST_F(Rarpack, DamagedArchivesFailTheTest) {
    Bytes tail = rawArchive({storedEntry("a", text("a"))});
    tail.insert(tail.end(), {0, 0, 0x74});  // a block cut short after the entry
    dir_.write("tail.rar", tail);
    EXPECT_EQ(run("t tail.rar"), 1);
    EXPECT_TRUE(
        saidOut("OK      a\nFAILED  archive damaged or cut short after entry 1\n"
                "1 entry OK, but the archive is not whole\n"));
    dir_.write("not.rar", textData(100));
    EXPECT_EQ(run("t not.rar"), 1);
    EXPECT_EQ(run("l missing.rar"), 1);

    // In a solid archive the entry after a damaged one fails too, whatever it holds: the
    // stream it goes on from is lost.
    BitWriter one, two;
    flatLzTables(one);
    for (int i = 0; i < 40; ++i) one.bits('a', 9);
    two.bits('x', 9);
    Bytes cut = one.finish();
    cut.resize(250);  // the tables and five of the forty literals
    dir_.write("solid.rar", rawArchive({packedEntry("one", cut, Bytes(40, 'a')),
                                        packedEntry("two", two.finish(), text("x"), true)},
                                       true));
    EXPECT_TRUE(run("t solid.rar") == 1 && saidOut("2 of 2 entries failed"));
}

// A cut archive is told by l and t, whether the cut falls inside an entry or between two:
// rarpack ends every archive with the end-of-archive block.
TEST_F(Rarpack, CutArchivesAreToldByListAndTest) {
    dir_.write("one.txt", textData(3000));
    dir_.write("two.txt", textData(5000));
    ASSERT_EQ(run("a -m0 whole.rar one.txt two.txt"), 0);
    const Bytes whole = dir_.read("whole.rar");
    EXPECT_TRUE(run("l whole.rar") == 0 && run("t whole.rar") == 0);
    const struct {
        const char* name;
        size_t keep;
        const char* said;
    } cuts[] = {
        {"inside.rar", whole.size() - 100, "cut short: the data of two.txt would end at byte"},
        {"boundary.rar", whole.size() - 7,
         "cut short: the file ends after entry 2 without the end-of-archive block"},
    };
    for (const auto& c : cuts) {
        dir_.write(c.name, Bytes(whole.begin(), whole.begin() + static_cast<long>(c.keep)));
        EXPECT_TRUE(run(std::string("l ") + c.name) == 1 && saidErr(c.said)) << c.name;
        EXPECT_TRUE(run(std::string("t ") + c.name) == 1 && saidOut(c.said)) << c.name;
    }
}

TEST_F(Rarpack, ExtractRestoresATreeKeepsWhatIsThereAndRefusesNamesThatClimbOut) {
    makeTree();
    const time_t when = 1600000000;  // an even second: MS-DOS times count in twos
    const utimbuf times = {when, when};
    utime(dir_.path("tree/lwos/ship.lwo").c_str(), &times);
    chmod(dir_.path("tree/music.xm").c_str(), 0444);
    ASSERT_EQ(run("a -s data.rar tree"), 0);
    ASSERT_EQ(run("x data.rar out"), 0) << readText("err.txt");
    for (const char* name : {"textures/wall.png", "lwos/ship.lwo", "music.xm", "empty.txt"})
        EXPECT_EQ(dir_.read(std::string("out/") + name), dir_.read(std::string("tree/") + name));
    struct stat status;
    ASSERT_EQ(stat(dir_.path("out/lwos/ship.lwo").c_str(), &status), 0);
    EXPECT_EQ(status.st_mtime, when);
    ASSERT_EQ(stat(dir_.path("out/music.xm").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0222, 0u) << "read-only as packed";
    // A second time the files are there: kept, unless -o.
    dir_.write("out/textures/wall.png", text("mine"));
    ASSERT_EQ(run("x data.rar out"), 0);
    EXPECT_EQ(dir_.read("out/textures/wall.png"), text("mine"));
    ASSERT_EQ(run("x -o data.rar out"), 0);
    EXPECT_EQ(dir_.read("out/textures/wall.png"), textData(20000, 1));

    const char* refused[] = {"..\\up.txt", "\\root.txt", "C:\\drive.txt", "a\\..\\..\\up2.txt",
                             "link\\out.txt"};
    std::vector<RawEntry> entries = {storedEntry("good\\.\\in.txt", text("in"))};
    for (const char* name : refused) entries.push_back(storedEntry(name, text("out")));
    dir_.write("evil.rar", rawArchive(entries));
    fs::create_directories(dir_.path("outside"));
    fs::create_directories(dir_.path("dest"));
    fs::create_directory_symlink(dir_.path("outside"), dir_.path("dest/link"));
    EXPECT_EQ(run("x evil.rar dest"), 1);
    for (const char* name : refused) EXPECT_TRUE(saidErr(std::string(name) + ": refused")) << name;
    EXPECT_TRUE(saidOut("1 file extracted to dest, 5 failed"));
    EXPECT_EQ(dir_.read("dest/good/in.txt"), text("in"));
    EXPECT_TRUE(fs::is_empty(dir_.path("outside")));
    for (const char* stray : {"up.txt", "up2.txt", "root.txt", "drive.txt", "C:"})
        EXPECT_FALSE(fs::exists(dir_.path(stray))) << stray;
}
