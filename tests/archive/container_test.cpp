// The container: opening, the block walk, names, the entry list, which entries can be read,
// and every way a damaged or hostile header must end in a clean failure.

#include <cstdlib>
#include <cstring>
#include <string>

#include "archive/archive.h"
#include "archive/archive_source.h"
#include "archive_test_support.h"

using namespace archivetest;

namespace {

const Bytes kHello = text("hello");

// A block of another type with an add-size, which the walk must step over.
Bytes otherBlock(uint8_t type, size_t dataSize) {
    Bytes b(11 + dataSize, 0xAB);
    b[2] = type;
    put16(b, 3, 0x8000);
    put16(b, 5, 11);
    put32(b, 7, static_cast<uint32_t>(dataSize));
    return b;
}

}  // namespace

TEST(Container, NamesMatchWithoutCaseOrSeparatorsTheFirstWinsAndLongOnesAreCut) {
    const Bytes archive =
        rawArchive({storedEntry("textures\\greet.png", kHello),
                    storedEntry("TEXTURES/Greet.PNG", {'x'}), storedEntry("a~z{", {'y'})});
    for (const char* name : {"TEXTURES/GREET.PNG", "textures_greet.png", "Textures\\Greet.png"})
        EXPECT_EQ(readBytes(archive, name), kHello) << name;
    EXPECT_EQ(readBytes(archive, "A~Z{"), Bytes{'y'});  // only letters change case
    for (const char* name : {"greet.png", "textures/greet.pn", "textures/greet.png ", "a^Z{", ""})
        EXPECT_FALSE(readEntry(archive, name, nullptr)) << name;
    // Names are cut to 259 bytes; the next header is found past the whole name. A request
    // longer than 255 characters is refused, never cut to fit.
    const std::string n300(300, 'n'), n259(259, 'n'), n256(256, 'n'), n255(255, 'n');
    const Bytes longNames = rawArchive({storedEntry(n300, kHello), storedEntry(n255, kHello)});
    EXPECT_EQ(listNames(longNames), (std::vector<std::string>{n259, n255}));
    EXPECT_TRUE(readEntry(longNames, n255, nullptr));
    EXPECT_FALSE(readEntry(rawArchive({storedEntry(n256, kHello)}), n256, nullptr));
}

TEST(Container, WalkStepsOverOtherBlocksAndStopsAtTheEndBlock) {
    Bytes main = mainHeader(false);
    main[12] = 20;  // a longer main header: 7 more bytes to skip
    main.insert(main.end(), 7, 0x74);
    // A header with fields after the name: its data begins at block start + header size.
    Bytes longer = fileBlock(storedEntry("b", kHello));
    longer.insert(longer.begin() + 33, 8, 0x55);
    put16(longer, 5, 33 + 8);
    const Bytes archive = main + otherBlock(0x75, 10) + otherBlock(0x77, 40) +
                          fileBlock(storedEntry("a", kHello)) + otherBlock(0x7A, 3) + longer +
                          otherBlock(0x7B, 0) + fileBlock(storedEntry("after", kHello));
    EXPECT_EQ(listNames(archive), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(readBytes(archive, "b"), kHello);
    EXPECT_FALSE(readEntry(archive, "after", nullptr));
}

TEST(Container, DamagedOrHostileArchivesFailCleanly) {
    const Bytes good = rawArchive({storedEntry("a", kHello)}),
                a = fileBlock(storedEntry("a", kHello));
    Bytes morlex = good, oldFormat = good, other = good, lastMarkerByte = good;
    std::memcpy(morlex.data(), "Morlex!", 7);
    std::memcpy(oldFormat.data(), "RE~^", 4);
    other[0] = 'X';
    lastMarkerByte[6] = 1;
    Bytes shortMain(good.begin(), good.begin() + 19);  // says 12 bytes; a good header follows
    shortMain[12] = 12;
    shortMain.insert(shortMain.end(), a.begin(), a.end());
    Bytes tiny = fileBlock(storedEntry("b", kHello)), nameTooLong = tiny, shortFixed = tiny;
    put16(tiny, 5, 6);            // header size below 7
    put16(nameTooLong, 26, 200);  // the name runs past the header
    put16(shortFixed, 5, 20);     // a file header without its 32 fixed bytes
    Bytes cutAddSize = otherBlock(0x75, 0);
    cutAddSize.resize(9);  // flag 0x8000, but the file ends inside the add-size
    RawEntry tooBig = storedEntry("a", kHello), tooLong = packedEntry("a", Bytes(9, 0), {});
    tooBig.unpackedSize = 6;            // more than its data
    tooLong.unpackedSize = 0xFFFFFFFF;  // more than any 9 bytes can give
    Bytes farData = fileBlock(storedEntry("a", {}));
    put32(farData, 7, 0xFFFFFFF0u);
    const std::vector<std::string> none, justA = {"a"};
    const struct {
        Bytes archive;
        std::vector<std::string> names;
        bool reads;
    } cases[] = {{morlex, justA, true},
                 {oldFormat, none, false},
                 {other, none, false},
                 {lastMarkerByte, none, false},
                 {shortMain, none, false},
                 {Bytes(good.begin(), good.begin() + 6), none, false},
                 {Bytes(good.begin(), good.begin() + 19), none, false},
                 {Bytes(), none, false},
                 {mainHeader(false) + a + tiny, justA, true},
                 {mainHeader(false) + a + nameTooLong, justA, true},
                 {mainHeader(false) + a + shortFixed, justA, true},
                 {mainHeader(false) + a + cutAddSize, justA, true},
                 {mainHeader(false) + a + Bytes{0, 0, 0x74}, justA, true},
                 {Bytes(good.begin(), good.end() - 1), justA, false},  // data cut short
                 {rawArchive({tooBig}), justA, false},
                 {rawArchive({tooLong}), justA, false},
                 {mainHeader(false) + farData, justA, false}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(listNames(cases[i].archive), cases[i].names) << i;
        EXPECT_EQ(readEntry(cases[i].archive, "a", nullptr), cases[i].reads) << i;
    }
}

TEST(Container, WhichEntriesCanBeRead) {
    struct Case {
        uint8_t version;
        uint16_t flags;
        uint32_t crcChange;
        bool readable;
    };
    for (const Case c :
         {Case{13, 0x8000, 0, true}, Case{20, 0x8000, 0, true}, Case{12, 0x8000, 0, false},
          Case{21, 0x8000, 0, false}, Case{20, 0x8004, 0, false}, Case{20, 0x8000, 1, false},
          Case{20, 0x8000, 0x80000000, false}}) {
        RawEntry e = storedEntry("e", kHello);
        e.version = c.version;
        e.flags = c.flags;
        e.crc ^= c.crcChange;
        Bytes out;
        EXPECT_EQ(readEntry(rawArchive({e}), "e", &out), c.readable) << int(c.version);
        EXPECT_EQ(out, c.readable ? kHello : Bytes());
    }
    // In an archive that is not solid, an entry that cannot be decoded spoils no other.
    RawEntry broken = packedEntry("broken", Bytes(3, 0), kHello);  // no room for tables
    EXPECT_TRUE(readEntry(rawArchive({broken, storedEntry("e", kHello)}), "e", nullptr));
    // An empty entry reads as a buffer of size 0, stored or packed (no stream at all).
    EXPECT_TRUE(readEntry(rawArchive({storedEntry("e", {})}), "e", nullptr));
    EXPECT_TRUE(readEntry(rawArchive({packedEntry("e", {}, {})}), "e", nullptr));
}

TEST(ArchiveFiles, LoadAndCheckThroughTheFileSystem) {
    TempDir dir;
    const Bytes archive = rawArchive({storedEntry("music.xm", kHello)});
    EXPECT_STREQ(Archive::dataPath(), "data.rar");
    Archive::setDataPath(dir.write("data.rar", archive).c_str());
    size_t size = 0;
    unsigned char* music = Archive::loadEntry(&size, "MUSIC.XM");
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(Bytes(music, music + size), kHello);
    std::free(music);
    EXPECT_EQ(Archive::loadEntry(&size, "missing"), nullptr);
    EXPECT_EQ(size, 0u);
    Archive::setDataPath(nullptr);
    EXPECT_STREQ(Archive::dataPath(), "data.rar");
    Bytes cut = archive, badBlock = archive;
    cut.pop_back();
    badBlock[20 + 5] = 6;
    const std::pair<std::string, const char*> checks[] = {
        {dir.path("data.rar"), nullptr},
        {dir.write("end.rar", archive + otherBlock(0x7B, 0) + Bytes(5, 0)), nullptr},
        {dir.path("none.rar"), "no such file"},
        {dir.path(""), "a directory"},
        {dir.write("text.rar", textData(100)), "not a RAR archive"},
        {dir.write("six.rar", Bytes(archive.begin(), archive.begin() + 6)), "not a RAR archive"},
        {dir.write("cut.rar", cut), "damaged"},
        {dir.write("bad.rar", badBlock), "damaged"},
        {"/tmp/" + std::string(251, 'p'), "path too long"}};  // 256 characters
    for (const auto& [file, why] : checks) {
        EXPECT_STREQ(Archive::check(file.c_str()), why) << file;
        unsigned char* buffer = nullptr;
        const bool read = Archive::getEntry(&buffer, &size, "music.xm", file.c_str(), "");
        EXPECT_EQ(read, why == nullptr) << file;
        std::free(buffer);
    }
    EXPECT_TRUE(Archive::nameEndsWith("lwos\\ship.lwo", "lwo"));
    EXPECT_FALSE(Archive::nameEndsWith("lwo", "a.lwo"));
    EXPECT_FALSE(Archive::nameEndsWith("ship.LWO", "lwo"));
}
