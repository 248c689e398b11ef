// Damaged archives: every single-byte change and every truncation of small archives gives a
// failed read or the right bytes, never anything else (and, under the sanitizers, no bad
// memory access).
#include "archive_test_support.h"

using namespace archivetest;

namespace {

void expectRightBytesOrFailure(const Bytes& archive, const std::vector<NamedData>& files,
                               const char* what, size_t where) {
    for (const NamedData& f : files) {
        Bytes out;
        if (readEntry(archive, f.name, &out)) {
            ASSERT_TRUE(out == f.data)
                << what << " at " << where << " gave wrong bytes for " << f.name;
        }
    }
    listNames(archive);
}

void damageEverywhere(const std::vector<NamedData>& files, const rar::PackOptions& options) {
    const Bytes archive = packArchive(files, options);
    ASSERT_FALSE(archive.empty());
    for (const NamedData& f : files) ASSERT_TRUE(readEntry(archive, f.name, nullptr));
    Bytes changed = archive;
    for (size_t pos = 0; pos < archive.size(); ++pos) {
        for (unsigned v = 0; v < 256; ++v) {
            if (v == archive[pos]) continue;
            changed[pos] = static_cast<uint8_t>(v);
            expectRightBytesOrFailure(changed, files, "change", pos);
            if (::testing::Test::HasFatalFailure()) return;
        }
        changed[pos] = archive[pos];
    }
    for (size_t len = 0; len < archive.size(); ++len) {
        expectRightBytesOrFailure(Bytes(archive.begin(), archive.begin() + len), files,
                                  "truncation", len);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

}  // namespace

TEST(Damage, PlainArchiveWithStoredPackedAndAudioEntries) {
    damageEverywhere({{"stored.bin", {'h', 'e', 'l', 'l', 'o'}},
                      {"alpha.txt", textData(160, 3)},
                      {"sound.wav", waveFile(60, 1, 8)}},
                     rar::PackOptions());
}

TEST(Damage, SolidArchive) {
    rar::PackOptions solid;
    solid.solid = true;
    damageEverywhere({{"first.txt", textData(90, 4)},
                      {"second.txt", textData(70, 5)},
                      {"third.bin", binaryData(60, 6)}},
                     solid);
}
