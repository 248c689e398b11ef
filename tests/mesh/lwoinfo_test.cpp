#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

#include "tests/mesh/lwo_builder.h"

namespace {

using testsupport::ToolRun;

using lwo::Bytes;

ToolRun lwoinfo(const std::string& arguments) {
    return testsupport::runCommand(std::string(LWOINFO) + " " + arguments + " 2>&1");
}

std::string writeObject(const testsupport::TempDir& dir, const char* name, const Bytes& chunks) {
    const std::vector<uint8_t> data = lwo::file(chunks);
    const std::string path = dir.file(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return path;
}

TEST(LwoInfo, PrintsWhatTheReaderMakesOfAnObject) {
    const testsupport::TempDir dir;
    Bytes c;
    c.chunk("CLIP", Bytes().u4(1).sub("STIL", Bytes().s0("C:/pics/sky.png")));
    c.raw(lwo::oneTriangle(1.0f));
    c.chunk("VMAP", Bytes().id("TXUV").u2(2).s0("UV").u2(0).f4(0).f4(1));
    const ToolRun run = lwoinfo(writeObject(dir, "info_ok.lwo", c));
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("1 layer, 1 surface, 1 clip, 1 tag"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("layer 0: 3 points, 1 triangles"), std::string::npos);
    EXPECT_NE(run.out.find("uv map \"UV\": 1 entries"), std::string::npos);
    EXPECT_NE(run.out.find("surface 0 \"Default\""), std::string::npos);
    EXPECT_NE(run.out.find("clip 1: textures\\sky.png"), std::string::npos);
}

TEST(LwoInfo, ExitsWithTheReadersStatus) {
    const testsupport::TempDir dir;
    Bytes quad;
    quad.chunk("LAYR", lwo::layr(0));
    quad.chunk("POLS", Bytes().id("FACE").u2(4).u2(0).u2(0).u2(0).u2(0));
    ToolRun run = lwoinfo(writeObject(dir, "info_quad.lwo", quad));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("3 Vertices per poly only"), std::string::npos);

    std::ofstream(dir.file("info_riff.lwo")) << "RIFF....WAVE";
    EXPECT_EQ(lwoinfo(dir.file("info_riff.lwo")).status, 2);

    Bytes damaged = lwo::oneTriangle();
    damaged.chunk("PTAG", lwo::ptag({{5, 0}}));
    run = lwoinfo(writeObject(dir, "info_damaged.lwo", damaged));
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.out.find("names polygon 5"), std::string::npos);

    Bytes patches;
    patches.chunk("LAYR", lwo::layr(0));
    patches.chunk("PNTS", lwo::pnts({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}));
    patches.chunk("POLS", Bytes().id("PTCH").u2(4).u2(0).u2(1).u2(2).u2(3));
    patches.chunk("PTAG", lwo::ptag({{0, 0}}));
    run = lwoinfo(writeObject(dir, "info_patches.lwo", patches));
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.out.find("not loaded: it has no triangles, only subdivision patches (PTCH)"),
              std::string::npos)
        << run.out;

    EXPECT_EQ(lwoinfo("no-such-file.lwo").status, 4);
    EXPECT_EQ(lwoinfo("").status, 4);
    run = lwoinfo("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("usage: lwoinfo"), std::string::npos);
}

}  // namespace
