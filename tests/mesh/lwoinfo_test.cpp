#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/mesh/lwo_builder.h"
#include "tests/support/test_support.h"

namespace {

using lwo::Bytes;

testsupport::ToolRun lwoinfo(const std::string& arguments) {
    return testsupport::runCommand(std::string(LWOINFO) + " " + arguments + " 2>&1");
}

// The reader's view of each object, and its status: 0 read, 1 and 2 for what stops the
// program, 3 refused, 4 unreadable.
TEST(LwoInfo, PrintsWhatTheReaderMakesOfAnObjectAndExitsWithItsStatus) {
    const testsupport::TempDir dir;
    Bytes good;
    good.chunk("CLIP", Bytes().u4(1).sub("STIL", Bytes().s0("C:/pics/sky.png")));
    good.raw(lwo::oneTriangle(1.0f));
    good.chunk("VMAP", Bytes().id("TXUV").u2(2).s0("UV").u2(0).f4(0).f4(1));
    Bytes quad = Bytes().chunk("LAYR", lwo::layr(0));
    quad.chunk("POLS", Bytes().id("FACE").u2(4).u2(0).u2(0).u2(0).u2(0));
    const struct {
        Bytes chunks;
        int status;
        std::vector<const char*> output;
    } cases[] = {
        {good,
         0,
         {"1 layer, 1 surface, 1 clip, 1 tag", "layer 0: 3 points, 1 triangles",
          "uv map \"UV\": 1 entries", "surface 0 \"Default\"", "clip 1: textures\\sky.png"}},
        {quad, 1, {"3 Vertices per poly only"}},
        {Bytes(lwo::oneTriangle()).chunk("PTAG", lwo::ptag({{5, 0}})), 3, {"names polygon 5"}},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> data = lwo::file(c.chunks);
        testsupport::writeFile(dir.file("o.lwo"), data);
        const testsupport::ToolRun r = lwoinfo(dir.file("o.lwo"));
        EXPECT_EQ(r.status, c.status) << r.out;
        for (const char* line : c.output) EXPECT_NE(r.out.find(line), std::string::npos) << r.out;
    }
    std::ofstream(dir.file("riff.lwo")) << "RIFF....WAVE";
    EXPECT_EQ(lwoinfo(dir.file("riff.lwo")).status, 2);
    EXPECT_EQ(lwoinfo("no-such-file.lwo").status + lwoinfo("").status, 8);
    EXPECT_NE(lwoinfo("--help").out.find("usage: lwoinfo"), std::string::npos);
}

}  // namespace
