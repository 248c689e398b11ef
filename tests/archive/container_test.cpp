// The container: opening, the block walk, names, the entry list, CRC checking, and every way a
// damaged or hostile header must end in a clean failure.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "archive/archive.h"
#include "archive/archive_source.h"
#include "archive_test_support.h"

using namespace archivetest;

namespace {

const Bytes kHello = {'h', 'e', 'l', 'l', 'o'};

// A block of another type with an add-size, which the walk must step over.
Bytes otherBlock(uint8_t type, size_t dataSize) {
    Bytes b(11 + dataSize, 0xAB);
    b[2] = type;
    put16(b, 3, 0x8000);
    put16(b, 5, 11);
    put32(b, 7, static_cast<uint32_t>(dataSize));
    return b;
}

Bytes textBytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

class TempFile {
  public:
    explicit TempFile(const Bytes& content) {
        char name[] = "/tmp/archive_test_XXXXXX";
        const int fd = mkstemp(name);
        path_ = name;
        if (fd >= 0) {
            EXPECT_EQ(write(fd, content.data(), content.size()),
                      static_cast<ssize_t>(content.size()));
            close(fd);
        }
    }
    ~TempFile() { std::remove(path_.c_str()); }
    const char* path() const { return path_.c_str(); }

  private:
    std::string path_;
};

}  // namespace

TEST(Container, EmptyEntryReadsAsNonNullBufferOfSizeZero) {
    const Bytes archive = rawArchive({storedEntry("empty", {})});
    rar::MemorySource source(archive.data(), archive.size());
    unsigned char* buffer = nullptr;
    size_t size = 99;
    ASSERT_EQ(Archive::getEntryFrom(source, &buffer, &size, "empty", ""), 1);
    EXPECT_NE(buffer, nullptr);
    EXPECT_EQ(size, 0u);
    std::free(buffer);
}

TEST(Container, NamesMatchWithoutCaseAndWithAnySeparatorAndTheFirstWins) {
    const Bytes archive =
        rawArchive({storedEntry("textures\\greet.png", kHello),
                    storedEntry("TEXTURES/Greet.PNG", {'x'}), storedEntry("x", {})});
    Bytes out;
    for (const char* name : {"TEXTURES/GREET.PNG", "textures_greet.png", "Textures\\Greet.png"}) {
        ASSERT_TRUE(readEntry(archive, name, &out)) << name;
        EXPECT_EQ(out, kHello);
    }
    for (const char* name : {"greet.png", "textures/greet.pn", "textures/greet.png ", ""})
        EXPECT_FALSE(readEntry(archive, name, &out)) << name;
}

TEST(Container, LongNamesAreCutInTheListAndLongRequestsRefused) {
    const std::string longName(300, 'n');
    const Bytes archive = rawArchive({storedEntry(longName, kHello), storedEntry("ok", kHello)});
    rar::MemorySource source(archive.data(), archive.size());
    ArchiveEntryInfo* head = nullptr;
    ASSERT_EQ(Archive::listEntriesFrom(source, &head), 2);
    EXPECT_EQ(head->nameSize, 259);
    EXPECT_EQ(std::string(head->name), longName.substr(0, 259));
    Archive::freeEntryList(head);

    // A request longer than 255 characters is refused, never cut to fit.
    EXPECT_FALSE(readEntry(archive, std::string(256, 'n'), nullptr));
    EXPECT_FALSE(readEntry(archive, longName, nullptr));
    const Bytes exact = rawArchive({storedEntry(std::string(255, 'm'), kHello)});
    EXPECT_TRUE(readEntry(exact, std::string(255, 'm'), nullptr));
}

TEST(Container, ListHoldsEveryHeaderField) {
    RawEntry e = storedEntry("dir\\file.bin", kHello);
    e.fileTime = 0x12345678;
    e.attributes = 0x21;
    e.hostSystem = 2;
    const Bytes archive = rawArchive({e, storedEntry("second", {})});
    rar::MemorySource source(archive.data(), archive.size());
    ArchiveEntryInfo* head = nullptr;
    ASSERT_EQ(Archive::listEntriesFrom(source, &head), 2);
    EXPECT_STREQ(head->name, "dir\\file.bin");
    EXPECT_EQ(head->nameSize, 12);
    EXPECT_EQ(head->packedSize, 5u);
    EXPECT_EQ(head->unpackedSize, 5u);
    EXPECT_EQ(head->fileCrc, crcOf(kHello));
    EXPECT_EQ(head->fileTime, 0x12345678u);
    EXPECT_EQ(head->attributes, 0x21u);
    EXPECT_EQ(head->hostSystem, 2);
    EXPECT_EQ(head->unpackVersion, 20);
    EXPECT_EQ(head->method, 0x30);
    ASSERT_NE(head->next, nullptr);
    EXPECT_STREQ(head->next->name, "second");
    EXPECT_EQ(head->next->next, nullptr);
    Archive::freeEntryList(head);
    Archive::freeEntryList(nullptr);
}

TEST(Container, RefusedStarts) {
    const Bytes good = rawArchive({storedEntry("a", kHello)});
    Bytes morlex = good;
    std::memcpy(morlex.data(), "Morlex!", 7);
    EXPECT_TRUE(readEntry(morlex, "a", nullptr));

    Bytes oldFormat = good;
    std::memcpy(oldFormat.data(), "RE~^", 4);
    Bytes other = good;
    other[0] = 'X';
    Bytes shortMain = good;
    put16(shortMain, 7 + 5, 12);  // main header size below 13
    for (const Bytes& bad : {oldFormat, other, shortMain, Bytes(good.begin(), good.begin() + 6),
                             Bytes(good.begin(), good.begin() + 19), Bytes()}) {
        EXPECT_FALSE(readEntry(bad, "a", nullptr));
        EXPECT_TRUE(listNames(bad).empty());
    }
}

TEST(Container, WalkStepsOverOtherBlocksAndStopsAtTheEndBlock) {
    Bytes main = mainHeader(false);
    main[7 + 5] = 20;  // a longer main header: 7 extra bytes are skipped
    main.insert(main.end(), 7, 0xEE);
    const Bytes archive = concat({main, otherBlock(0x75, 10), otherBlock(0x77, 40),
                                  fileBlock(storedEntry("a", kHello)), otherBlock(0x7A, 3),
                                  fileBlock(storedEntry("b", kHello)), otherBlock(0x7B, 0),
                                  fileBlock(storedEntry("after-end", kHello))});
    EXPECT_EQ(listNames(archive), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(readEntry(archive, "b", nullptr));
    EXPECT_FALSE(readEntry(archive, "after-end", nullptr));
}

TEST(Container, DataStartsAfterTheWholeHeader) {
    // A header with fields after the name: its data begins at block start + header size.
    RawEntry e = storedEntry("a", kHello);
    Bytes block = fileBlock(e);
    block.insert(block.begin() + 33, 8, 0x55);
    put16(block, 5, 33 + 8);
    const Bytes archive = concat({mainHeader(false), block});
    Bytes out;
    ASSERT_TRUE(readEntry(archive, "a", &out));
    EXPECT_EQ(out, kHello);
}

TEST(Container, DamagedHeadersEndTheWalk) {
    const Bytes first = fileBlock(storedEntry("first", kHello));
    Bytes tiny = fileBlock(storedEntry("second", kHello));
    put16(tiny, 5, 6);  // header size below 7
    Bytes nameTooLong = fileBlock(storedEntry("second", kHello));
    put16(nameTooLong, 26, 200);  // name runs past the header
    Bytes shortFixed = fileBlock(storedEntry("second", kHello));
    put16(shortFixed, 5, 20);  // file header without its 32 fixed bytes
    for (const Bytes& bad : {tiny, nameTooLong, shortFixed}) {
        const Bytes archive = concat({mainHeader(false), first, bad});
        EXPECT_EQ(listNames(archive), std::vector<std::string>{"first"});
        EXPECT_TRUE(readEntry(archive, "first", nullptr));
        EXPECT_FALSE(readEntry(archive, "second", nullptr));
    }
    // A block cut off inside its first seven bytes.
    const Bytes cut = concat({mainHeader(false), first, Bytes{0, 0, 0x74}});
    EXPECT_EQ(listNames(cut), std::vector<std::string>{"first"});
    EXPECT_FALSE(readEntry(cut, "second", nullptr));
}

TEST(Container, SizesBeyondTheFileFailWithoutAllocating) {
    // Packed data that would run past the end of the file.
    Bytes archive = rawArchive({storedEntry("a", kHello)});
    archive.resize(archive.size() - 2);
    EXPECT_FALSE(readEntry(archive, "a", nullptr));
    EXPECT_EQ(listNames(archive), std::vector<std::string>{"a"});

    // Stored entries larger than their data, compressed ones larger than any stream can be.
    RawEntry stored = storedEntry("s", kHello);
    stored.unpackedSize = 0xFFFFFFF0u;
    StreamBuilder s;
    s.lzTables();
    s.literal('x');
    RawEntry packed = packedEntry("p", s.finish(), {'x'});
    packed.unpackedSize = 0xFFFFFFFFu;
    const Bytes hostile = rawArchive({stored, packed});
    EXPECT_FALSE(readEntry(hostile, "s", nullptr));
    EXPECT_FALSE(readEntry(hostile, "p", nullptr));

    RawEntry add = storedEntry("a", kHello);
    add.packed.clear();
    Bytes block = fileBlock(add);
    put32(block, 7, 0xFFFFFFF0u);  // add-size far past the end
    EXPECT_FALSE(readEntry(concat({mainHeader(false), block}), "a", nullptr));
}

TEST(Container, EntriesThatCannotBeReadFail) {
    RawEntry badCrc = storedEntry("crc", kHello);
    badCrc.crc ^= 1;
    RawEntry oldVersion = storedEntry("v12", kHello);
    oldVersion.version = 12;
    RawEntry newVersion = storedEntry("v29", kHello);
    newVersion.version = 29;
    RawEntry ciphered = storedEntry("cipher", kHello);
    ciphered.flags |= 0x0004;
    const Bytes archive =
        rawArchive({badCrc, oldVersion, newVersion, ciphered, storedEntry("fine", kHello)});
    for (const char* name : {"crc", "v12", "v29", "cipher"})
        EXPECT_FALSE(readEntry(archive, name, nullptr)) << name;
    EXPECT_TRUE(readEntry(archive, "fine", nullptr));

    rar::MemorySource source(archive.data(), archive.size());
    unsigned char* buffer = nullptr;
    size_t size = 0;
    EXPECT_EQ(Archive::getEntryFrom(source, &buffer, &size, "cipher", "secret"), 0);
    EXPECT_EQ(buffer, nullptr);
}

TEST(Container, SolidArchiveReadsAnyEntryOnItsOwn) {
    rar::PackOptions solid;
    solid.solid = true;
    std::vector<NamedData> files;
    for (int i = 0; i < 6; ++i)
        files.push_back({"f" + std::to_string(i), textData(2000 + 300 * i, 40 + i)});
    files.insert(files.begin() + 2, NamedData{"empty", {}});
    const Bytes archive = packArchive(files, solid);
    for (int i = 5; i >= 0; --i) {
        Bytes out;
        ASSERT_TRUE(readEntry(archive, files[i].name, &out)) << files[i].name;
        EXPECT_EQ(out, files[i].data);
    }

    // A stored entry before the requested one takes no part in the decoder state.
    StreamBuilder a;
    a.lzTables();
    for (char c : std::string("solid start ")) a.literal(static_cast<uint8_t>(c));
    StreamBuilder b;
    b.adoptTables(a);
    b.longMatch(6, 12);
    const Bytes mixed = rawArchive(
        {packedEntry("one", a.finish(), textBytes("solid start ")), storedEntry("plain", kHello),
         packedEntry("two", b.finish(), textBytes("solid "), true)},
        true);
    Bytes out;
    ASSERT_TRUE(readEntry(mixed, "two", &out));
    EXPECT_EQ(out, textBytes("solid "));

    // A damaged earlier entry of a solid archive fails the read of a later one.
    RawEntry badVersion = packedEntry("one", StreamBuilder().finish(), kHello);
    badVersion.version = 26;
    EXPECT_FALSE(
        readEntry(rawArchive({badVersion, storedEntry("plain", kHello)}, true), "plain", &out));
}

TEST(Container, NullArgumentsFailCleanly) {
    const Bytes archive = rawArchive({storedEntry("a", kHello)});
    rar::MemorySource source(archive.data(), archive.size());
    unsigned char* buffer = reinterpret_cast<unsigned char*>(1);
    size_t size = 7;
    EXPECT_EQ(Archive::getEntryFrom(source, nullptr, &size, "a", ""), 0);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(Archive::getEntryFrom(source, &buffer, nullptr, "a", ""), 0);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(Archive::getEntryFrom(source, &buffer, &size, nullptr, ""), 0);
    EXPECT_EQ(Archive::getEntryFrom(source, &buffer, &size, "a", nullptr), 1);
    std::free(buffer);
    EXPECT_EQ(Archive::listEntriesFrom(source, nullptr), 0);
    EXPECT_EQ(Archive::getEntry(&buffer, &size, "a", nullptr, ""), 0);
    EXPECT_EQ(Archive::listEntries(nullptr, nullptr), 0);
}

TEST(ArchiveFiles, ReadsListsAndLoadsThroughTheFileSystem) {
    const Bytes archive = packArchive(
        {{"music.xm", binaryData(5000)}, {"textures\\a.png", textData(3000)}}, rar::PackOptions());
    TempFile file(archive);
    unsigned char* buffer = nullptr;
    size_t size = 0;
    ASSERT_EQ(Archive::getEntry(&buffer, &size, "textures/A.PNG", file.path(), ""), 1);
    EXPECT_EQ(Bytes(buffer, buffer + size), textData(3000));
    std::free(buffer);

    ArchiveEntryInfo* head = nullptr;
    EXPECT_EQ(Archive::listEntries(file.path(), &head), 2);
    Archive::freeEntryList(head);

    EXPECT_STREQ(Archive::dataPath(), "data.rar");
    Archive::setDataPath(file.path());
    size = 0;
    unsigned char* music = Archive::loadEntry(&size, "music.xm");
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(Bytes(music, music + size), binaryData(5000));
    std::free(music);
    EXPECT_EQ(Archive::loadEntry(&size, "missing"), nullptr);
    EXPECT_EQ(size, 0u);
    Archive::setDataPath(nullptr);
    EXPECT_STREQ(Archive::dataPath(), "data.rar");
}

TEST(ArchiveFiles, MissingShortAndOverlongPathsFail) {
    unsigned char* buffer = reinterpret_cast<unsigned char*>(1);
    size_t size = 5;
    EXPECT_EQ(Archive::getEntry(&buffer, &size, "a", "/nonexistent/dir/data.rar", ""), 0);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(size, 0u);

    TempFile six(Bytes{0x52, 0x61, 0x72, 0x21, 0x1A, 0x07});
    EXPECT_EQ(Archive::getEntry(&buffer, &size, "a", six.path(), ""), 0);
    ArchiveEntryInfo* head = reinterpret_cast<ArchiveEntryInfo*>(1);
    EXPECT_EQ(Archive::listEntries(six.path(), &head), 0);
    EXPECT_EQ(head, nullptr);

    const std::string longPath = "/tmp/" + std::string(251, 'p');  // 256 characters
    EXPECT_EQ(Archive::getEntry(&buffer, &size, "a", longPath.c_str(), ""), 0);
    EXPECT_EQ(Archive::listEntries(longPath.c_str(), &head), 0);
}

TEST(ArchiveFiles, AFailedReadLeavesNothingForTheNext) {
    // A solid read that fails half-way, then a plain read, then the solid one again intact.
    rar::PackOptions solid;
    solid.solid = true;
    const Bytes good = packArchive({{"a", textData(5000, 1)}, {"b", textData(5000, 2)}}, solid);
    Bytes broken = good;
    broken[20 + 32 + 1 + 100] ^= 0x40;  // inside the packed data of "a"
    EXPECT_FALSE(readEntry(broken, "b", nullptr));
    Bytes out;
    ASSERT_TRUE(readEntry(rawArchive({storedEntry("x", kHello)}), "x", &out));
    EXPECT_EQ(out, kHello);
    ASSERT_TRUE(readEntry(good, "b", &out));
    EXPECT_EQ(out, textData(5000, 2));
}
