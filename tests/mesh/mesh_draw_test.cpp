#include <GL/gl.h>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "archive/archive.h"
#include "mesh/mesh_library.h"
#include "tests/mesh/lwo_builder.h"
#include "tests/support/test_support.h"

namespace {

using lwo::Bytes;

// One corner as OpenGL's feedback mode returns it: window position, colour, texture coordinate.
struct Corner {
    float x, y, z, w, r, g, b, a, s, t, p, q;
};

// With the viewport below, window coordinates are the object's x and y times 0.25.
std::vector<Corner> feedback(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(1 << 14);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_4D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint size = glRenderMode(GL_RENDER);
    std::vector<Corner> corners;
    for (GLint i = 0; i < size;) {
        EXPECT_EQ(buffer[i], GLfloat(GL_POLYGON_TOKEN));
        const int n = int(buffer[i + 1]);
        EXPECT_EQ(n, 3);
        for (int k = 0; k < n; ++k)
            corners.push_back(*reinterpret_cast<const Corner*>(&buffer[i + 2 + 12 * k]));
        i += 2 + 12 * n;
    }
    return corners;
}

class MeshDraw : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glViewport(-1, -1, 2, 2);  // window coordinates = normalised device coordinates
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        glScalef(0.25f, 0.25f, 0.25f);
    }
    void TearDown() override {
        glLoadIdentity();
        glPopAttrib();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    bool load(Mesh& mesh, const Bytes& chunks) {
        const std::vector<uint8_t> data = lwo::file(chunks);
        return mesh.loadFromMemory("lwos\\test.lwo", data.data(), data.size());
    }
};

// Each surface's list holds its triangles with corners in reverse order, counter-clockwise on
// screen (back faces are culled, so a wrong winding draws nothing), each with its own corner
// normal, shown by lights that make a corner's colour (max(n.x, 0), max(-n.x, 0), n.z).
// Face normals are (a - c) x (a - b) made unit; a corner of a surface whose smoothing angle is
// above 0 takes the sum of the unit normals of every face at its point, made unit, whatever
// their surfaces or areas. A roof, in OpenGL space: P0 (0, 1, 0.5), P1 (0, -1, 0.5),
// P2 (-1, 0, 0), P3 (2, 0, 0); A = (P0, P1, P2) smooth, B = (P0, P3, P1) flat.
//   A: (1, 1, 0.5) x (0, 2, 0) = (-1, 0, 2), unit (-0.4472136, 0, 0.8944272)
//   B: (0, 2, 0) x (-2, 1, 0.5) = (1, 0, 4), unit (0.2425356, 0, 0.9701425)
//   at P0 and P1: A + B = (-0.204678, 0, 1.864570), unit (-0.1091168, 0, 0.9940289)
TEST_F(MeshDraw, DisplayListsHoldReversedCornersWithTheirNormals) {
    Bytes c;
    c.chunk("LAYR", lwo::layr(0));
    c.chunk("PNTS", lwo::pnts({{0, 1, -0.5f}, {0, -1, -0.5f}, {-1, 0, 0}, {2, 0, 0}}));
    c.chunk("POLS", lwo::pols({{0, 3, 1}, {0, 1, 2}}));
    c.chunk("PTAG", lwo::ptag({{0, 1}}));
    c.chunk("SURF", lwo::surf("Smooth", Bytes().sub("SMAN", Bytes().f4(0.01f))));
    c.chunk("SURF", lwo::surf("Flat", Bytes().sub("SMAN", Bytes().f4(0))));
    Mesh mesh;
    ASSERT_TRUE(load(mesh, c));

    const GLfloat none[4] = {0, 0, 0, 1}, white[4] = {1, 1, 1, 1};
    const GLfloat lights[3][2][4] = {{{1, 0, 0, 0}, {1, 0, 0, 1}},   // red from +x
                                     {{-1, 0, 0, 0}, {0, 1, 0, 1}},  // green from -x
                                     {{0, 0, 1, 0}, {0, 0, 1, 1}}};  // blue from the front
    glPushMatrix();
    glLoadIdentity();
    for (int k = 0; k < 3; ++k) {
        glLightfv(GL_LIGHT0 + k, GL_POSITION, lights[k][0]);
        glLightfv(GL_LIGHT0 + k, GL_DIFFUSE, lights[k][1]);
        glEnable(GL_LIGHT0 + k);
    }
    glPopMatrix();
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
    glDisable(GL_COLOR_MATERIAL);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);

    const std::vector<Corner> corners = feedback([&] { mesh.draw(0, false, false); });
    ASSERT_EQ(corners.size(), 6u);
    // Surface 0: A = (P0, P1, P2) drawn P2, P1, P0; P0 and P1 smoothed with B.
    const struct {
        float x, y, red, green, blue;
    } expected[6] = {
        {-1, 0, 0, 0.4472136f, 0.8944272f}, {0, -1, 0, 0.1091168f, 0.9940289f},
        {0, 1, 0, 0.1091168f, 0.9940289f},  {0, -1, 0.2425356f, 0, 0.9701425f},
        {2, 0, 0.2425356f, 0, 0.9701425f},  {0, 1, 0.2425356f, 0, 0.9701425f},
    };
    for (int k = 0; k < 6; ++k) {
        SCOPED_TRACE(testing::Message() << "corner " << k);
        EXPECT_NEAR(corners[k].x, 0.25f * expected[k].x, 1e-5);  // the viewport's scale
        EXPECT_NEAR(corners[k].y, 0.25f * expected[k].y, 1e-5);
        EXPECT_NEAR(corners[k].r, expected[k].red, 2e-3);
        EXPECT_NEAR(corners[k].g, expected[k].green, 2e-3);
        EXPECT_NEAR(corners[k].b, expected[k].blue, 2e-3);
    }
    // The mirrored z: P0 and P1 stand at OpenGL z = 0.5, window depth (0.125 + 1) / 2.
    EXPECT_NEAR(corners[2].z, 0.5625f, 1e-5);
}

TEST_F(MeshDraw, LayersAfterAGapGetNoListsAndDepthWritesEndOn) {
    Bytes c = lwo::bareLayer(0);
    c.raw(lwo::bareLayer(2, {{0, 1, 2}, {0, 2, 1}}));
    c.chunk("SURF", lwo::surf("a"));
    c.chunk("SURF", lwo::surf("b"));
    Mesh mesh;
    ASSERT_TRUE(load(mesh, c));
    // Every surface gets a list in layer 0, even one that no triangle uses.
    const uint32_t* lists = mesh.layer(0)->displayLists;
    EXPECT_TRUE(lists[0] && lists[1] && !lists[2] && !mesh.layer(2)->displayLists[0]);
    EXPECT_TRUE(feedback([&] { mesh.draw(2, false, false); }).empty());
    EXPECT_EQ(feedback([&] { mesh.draw(Mesh::kAllLayers, false, false); }).size(), 3u);

    GLboolean mask[2];
    glDepthMask(GL_FALSE);
    mesh.draw(7, false, false);  // no such layer: the mask is left alone
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask[0]);
    mesh.draw(0, false, false);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask[1]);
    EXPECT_TRUE(mask[0] == GL_FALSE && mask[1] == GL_TRUE);
}

// A square of two triangles with an image block (image 1, a clip of that index) of the given
// projection and axis, and an additive transparency layer of opacity 0.5; opaque: a colour
// layer instead, and both sides. Its UV map lists the points out of order: point p has
// u = p / 4, v = 1 - p / 8.
Bytes textured(uint16_t projection, uint16_t axis = 0, bool opaque = false) {
    Bytes header;
    header.s0("\x80").sub("CHAN", Bytes().id(opaque ? "COLR" : "TRAN"));
    header.sub("OPAC", Bytes().u2(7).f4(0.5f).u2(0));
    Bytes block;
    block.sub("IMAP", header).sub("PROJ", Bytes().u2(projection)).sub("AXIS", Bytes().u2(axis));
    block.sub("IMAG", Bytes().u2(1));
    if (projection == 5) block.sub("VMAP", Bytes().s0("UV"));
    Bytes c;
    c.chunk("CLIP", Bytes().u4(1).sub("STIL", Bytes().s0("images/strip.png")));
    c.chunk("LAYR", lwo::layr(0));
    c.chunk("PNTS", lwo::pnts({{-1, 2, -3}, {1, 1, 0}, {1, -1, 0}, {-1, -1, 0}}));
    c.chunk("POLS", lwo::pols({{0, 1, 2}, {0, 2, 3}}));
    Bytes uv = Bytes().id("TXUV").u2(2).s0("Other").u2(0).f4(9).f4(9);
    c.chunk("VMAP", uv);
    uv = Bytes().id("TXUV").u2(2).s0("UV");
    for (uint16_t point : {2, 0, 3, 1}) uv.u2(point).f4(point / 4.0f).f4(1 - point / 8.0f);
    c.chunk("VMAP", uv);
    c.chunk("SURF",
            lwo::surf("Glow", Bytes().sub("SIDE", Bytes().u2(opaque ? 3 : 0)).sub("BLOK", block)));
    return c;
}

// Immediate mode gives each corner its point's coordinates from the surface's UV map; the
// display lists carry none, so the current coordinate stays.
TEST_F(MeshDraw, ImmediateModeGivesTheUVMapsCoordinates) {
    Mesh mesh;
    ASSERT_TRUE(load(mesh, textured(5)));
    std::vector<Corner> corners = feedback([&] { mesh.draw(0, true, true); });
    ASSERT_EQ(corners.size(), 6u);
    const int points[6] = {2, 1, 0, 3, 2, 0};  // each triangle's corners reversed
    for (int k = 0; k < 6; ++k) {
        EXPECT_TRUE(corners[k].s == points[k] / 4.0f && corners[k].t == 1 - points[k] / 8.0f) << k;
        // Additive: unlit, white at the layer's opacity.
        EXPECT_TRUE(corners[k].r == 1.0f && corners[k].a == 0.5f) << k;
    }
    EXPECT_TRUE(mesh.surfaces[0].hasUV);
    // The enable bits come back; the blend function stays as the surface set it.
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint dst = 0;
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_ONE);

    glTexCoord2f(0.75f, 0.125f);
    corners = feedback([&] { mesh.draw(0, false, true); });
    ASSERT_EQ(corners.size(), 6u);
    for (const Corner& c : corners) EXPECT_TRUE(c.s == 0.75f && c.t == 0.125f);
}

// Planar mapping: the planes across the block's axis, a repeat every 4 units. Read on the first
// corner drawn, point 2 = (1, -1, 0), and the third, point 0 = (-1, 2, 3) in OpenGL space. The
// enable bits the surface sets, as letters: Cull, Texture, Blend, Lighting, Depth test and
// generation of S and T.
TEST_F(MeshDraw, SurfaceMaterialByProjectionAndAxis) {
    const struct {
        uint16_t projection, axis;
        bool opaque;           // no transparency layer, both sides, no clip for its image
        GLint mode;            // 0: no generation
        float s0, t0, s2, t2;  // coordinates of the first and third corners
        const char* enabled;
    } cases[] = {
        {0, 0, false, GL_OBJECT_LINEAR, -0.25f, 0, 0.5f, 0.75f, "CTB--ST"},       // y / 4, z / 4
        {0, 1, false, GL_OBJECT_LINEAR, 0, 0.25f, 0.75f, -0.25f, "CTB--ST"},      // z / 4, x / 4
        {0, 2, false, GL_OBJECT_LINEAR, -0.25f, 0.25f, 0.5f, -0.25f, "CTB--ST"},  // y / 4, x / 4
        {2, 0, false, GL_EYE_LINEAR, 0, 0, 0, 0, "CTB--ST"},
        {1, 0, false, 0, 0.5f, 0.5f, 0.5f, 0.5f, "CTB----"},
        {4, 0, false, 0, 0.5f, 0.5f, 0.5f, 0.5f, "CTB----"},
        {0, 2, true, GL_OBJECT_LINEAR, -0.25f, 0.25f, 0.5f, -0.25f, "---LDST"},
    };
    // Mesa generates coordinates only for a unit with a complete texture.
    GLuint texture = 0;
    const uint8_t texel[4] = {255, 255, 255, 255};
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    for (const auto& c : cases) {
        Mesh mesh;
        ASSERT_TRUE(load(mesh, textured(c.projection, c.axis, c.opaque)));
        if (c.opaque) mesh.clips[0].index = 2;
        SCOPED_TRACE(testing::Message() << "projection " << c.projection << " axis " << c.axis);
        glTexCoord2f(0.5f, 0.5f);
        const std::vector<Corner> corners = feedback([&] { mesh.draw(0, false, true); });
        ASSERT_EQ(corners.size(), 6u);
        if (c.mode != GL_EYE_LINEAR && !c.opaque) {  // and Mesa generates none untextured
            EXPECT_NEAR(corners[0].s, c.s0, 1e-6);
            EXPECT_NEAR(corners[0].t, c.t0, 1e-6);
            EXPECT_NEAR(corners[2].s, c.s2, 1e-6);
            EXPECT_NEAR(corners[2].t, c.t2, 1e-6);
        }
        glPushAttrib(GL_ENABLE_BIT);
        EXPECT_EQ(mesh.setupSurface(0, 0), 0);
        std::string enabled;
        for (GLenum bit : {GL_CULL_FACE, GL_TEXTURE_2D, GL_BLEND, GL_LIGHTING, GL_DEPTH_TEST,
                           GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T})
            enabled += glIsEnabled(bit) ? "CTBLDST"[enabled.size()] : '-';
        EXPECT_EQ(enabled, c.enabled);
        GLint mode = 0;
        glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
        EXPECT_TRUE(c.mode == 0 || mode == c.mode);
        glPopAttrib();
    }
    glDeleteTextures(1, &texture);
}

// Names are kept in lower case and found whatever their case, but separators must match; only
// names ending in lower-case "lwo" (as given) are loaded; a refused or unreadable object takes
// no slot; an unknown name shows its message once and draws nothing.
TEST_F(MeshDraw, LibraryByName) {
    testsupport::MessageCapture capture;
    const auto library = std::make_unique<MeshLibrary>();
    const auto add = [&](const char* name, Bytes chunks = lwo::oneTriangle()) {
        const std::vector<uint8_t> data = lwo::file(chunks);
        return library->loadFromMemory(name, data.data(), data.size());
    };
    EXPECT_FALSE(add("lwos\\BOX.LWO"));
    EXPECT_FALSE(add("lwos\\readme.txt"));
    EXPECT_FALSE(add("lwos\\bad.lwo", lwo::oneTriangle().chunk("PTAG", lwo::ptag({{9, 0}}))));
    Archive::setDataPath("no-such-archive.rar");
    EXPECT_FALSE(library->load("lwos\\gone.lwo"));
    Archive::setDataPath("data.rar");
    EXPECT_TRUE(library->refused("LWOS\\Gone.lwo"));
    ASSERT_EQ(capture.messages().size(), 2u);
    EXPECT_NE(capture.messages()[0].find("lwos\\bad.lwo"), std::string::npos);
    EXPECT_EQ(capture.messages()[1], "Object could not be read: lwos\\gone.lwo");
    EXPECT_TRUE(add("lwos\\Cube.lwo"));
    EXPECT_TRUE(add("lwos\\BOX.lwo"));
    EXPECT_EQ(library->count(), 2);
    EXPECT_STREQ(library->name(0), "lwos\\cube.lwo");
    EXPECT_EQ(library->find("LWOS\\CUBE.LWO"), library->mesh(0));
    EXPECT_EQ(library->find("lwos\\box.lwo"), library->mesh(1));
    EXPECT_EQ(library->find("lwos/cube.lwo"), nullptr);
    EXPECT_EQ(library->find("lwos\\cube"), nullptr);

    EXPECT_EQ(feedback([&] { library->draw("LWOS\\CUBE.lwo", 0); }).size(), 3u);
    EXPECT_TRUE(feedback([&] { library->draw("lwos\\cube.lwo", 1); }).empty());  // no layer 1
    capture.clear();
    EXPECT_TRUE(feedback([&] { library->draw("LWOS/Cube.lwo", 0); }).empty());
    library->draw("LWOS/Cube.lwo", 0);
    EXPECT_EQ(capture.messages(),
              std::vector<std::string>{"Object was not found: lwos/cube.lwo\n"});
}

}  // namespace
