#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>

#include <gtest/gtest.h>

#include "archive/archive.h"
#include "display/demo_window.h"
#include "mesh/mesh_library.h"
#include "tests/mesh/lwo_builder.h"
#include "tests/support/test_support.h"

namespace {

using lwo::Bytes;

// A roof seen from the front: two triangles meeting at a vertical ridge at x = 0 that stands
// out towards the viewer. LightWave's z points away from the viewer, and its visible faces
// list their corners clockwise.
Bytes roof(float smoothing) {
    Bytes c;
    c.chunk("LAYR", lwo::layr(0));
    c.chunk("PNTS", lwo::pnts({{0, 1, -0.5f}, {0, -1, -0.5f}, {-1, 0, 0}, {1, 0, 0}}));
    c.chunk("POLS", lwo::pols({{0, 1, 2}, {0, 3, 1}}));
    c.chunk("SURF", lwo::surf("Roof", Bytes().sub("SMAN", Bytes().f4(smoothing))));
    return c;
}

class MeshDraw : public testsupport::GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        g_demoWindow.resetProjection();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glTranslatef(0, 0, -4);
    }
    void TearDown() override {
        glPopAttrib();
        glLoadIdentity();
    }

    bool load(Mesh& mesh, const Bytes& chunks) {
        const std::vector<uint8_t> data = lwo::file(chunks);
        return mesh.loadFromMemory("lwos\\test.lwo", data.data(), data.size());
    }

    // A white light from the right and the front; nothing else lights the scene.
    void lightFromTheRight() {
        const GLfloat direction[4] = {1, 0, 1, 0};
        const GLfloat white[4] = {1, 1, 1, 1};
        const GLfloat none[4] = {0, 0, 0, 1};
        glPushMatrix();
        glLoadIdentity();
        glLightfv(GL_LIGHT0, GL_POSITION, direction);
        glPopMatrix();
        glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
        glLightfv(GL_LIGHT0, GL_AMBIENT, none);
        glLightfv(GL_LIGHT0, GL_SPECULAR, none);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, none);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glDisable(GL_TEXTURE_2D);
        glEnable(GL_CULL_FACE);  // wrongly wound triangles would vanish
        glEnable(GL_DEPTH_TEST);
    }

    // Red channel of the pixel where the object-space point (x, y, z) lands.
    int redAt(double x, double y, double z) {
        GLdouble model[16], projection[16], wx, wy, wz;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz);
        return testsupport::readPixels(int(wx), int(wy), 1, 1)[0];
    }
};

TEST_F(MeshDraw, ZeroSmoothingGivesFlatFaces) {
    Mesh mesh;
    ASSERT_TRUE(load(mesh, roof(0.0f)));
    lightFromTheRight();
    mesh.draw(0, false, false);
    // In OpenGL space the ridge stands at z = +0.5, towards the viewer.
    const int leftNear = redAt(-0.1, 0, 0.45), leftFar = redAt(-0.8, 0, 0.1);
    const int rightNear = redAt(0.1, 0, 0.45), rightFar = redAt(0.8, 0, 0.1);
    EXPECT_NEAR(leftNear, leftFar, 3);
    EXPECT_NEAR(rightNear, rightFar, 3);
    // Each face is lit by its own normal: n.l = 0.32 on the left, 0.95 on the right.
    EXPECT_NEAR(leftNear, 0.316 * 255, 12);
    EXPECT_NEAR(rightNear, 0.948 * 255, 12);
}

TEST_F(MeshDraw, PositiveSmoothingSharesNormalsAtCommonPoints) {
    Mesh mesh;
    ASSERT_TRUE(load(mesh, roof(1.0f)));
    lightFromTheRight();
    mesh.draw(0, false, false);
    const int leftNear = redAt(-0.05, 0, 0.47), leftFar = redAt(-0.9, 0, 0.05);
    const int rightNear = redAt(0.05, 0, 0.47);
    // At the ridge both faces share the normal (0, 0, 1): n.l = 0.71.
    EXPECT_NEAR(leftNear, rightNear, 20);
    EXPECT_NEAR(leftNear, 0.707 * 255, 20);
    EXPECT_GT(leftNear - leftFar, 60);
}

// An object saved without any surface is loaded and drawn with a default one, lit.
TEST_F(MeshDraw, AnObjectWithoutSurfacesIsDrawnWithTheDefaultOne) {
    Mesh mesh;
    ASSERT_TRUE(load(mesh, lwo::bareLayer()));
    lightFromTheRight();
    mesh.draw(0, false, true);
    // Facing the viewer, lit at 45 degrees.
    EXPECT_GT(redAt(0, -0.3, 0), 100);
    EXPECT_EQ(redAt(0.9, 0.9, 0), 0);
}

TEST_F(MeshDraw, DegenerateTrianglesDoNotSpoilSmoothNormals) {
    Bytes c = lwo::bareLayer(0, {{0, 1, 2}, {0, 0, 1}});
    c.chunk("SURF", lwo::surf("s", Bytes().sub("SMAN", Bytes().f4(1))));
    Mesh mesh;
    ASSERT_TRUE(load(mesh, c));
    for (const MeshPolygon& p : mesh.layer(0)->polygons) {
        for (const Vector3& n : p.cornerNormals) EXPECT_FALSE(std::isnan(n.x) || std::isnan(n.z));
    }
    EXPECT_NEAR(mesh.layer(0)->polygons[0].cornerNormals[0].z, 1.0f, 1e-6);
}

TEST_F(MeshDraw, LayersAfterAGapGetNoListsAndDrawingThemDrawsNothing) {
    Bytes c = lwo::bareLayer(0);
    c.raw(lwo::bareLayer(2));
    c.chunk("SURF", lwo::surf("a"));
    c.chunk("SURF", lwo::surf("b"));
    Mesh mesh;
    ASSERT_TRUE(load(mesh, c));
    // Every surface gets a list in layer 0, even one that no triangle uses.
    EXPECT_NE(mesh.layer(0)->displayLists[0], 0u);
    EXPECT_NE(mesh.layer(0)->displayLists[1], 0u);
    EXPECT_EQ(mesh.layer(2)->displayLists[0], 0u);

    glColor3f(1, 1, 1);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    mesh.draw(2, false, false);
    EXPECT_EQ(redAt(0, 0, 0), 0);
    mesh.draw(Mesh::kAllLayers, false, false);
    EXPECT_EQ(redAt(0, 0, 0), 255);
}

TEST_F(MeshDraw, DrawingLeavesDepthWritesOnButAMissingLayerLeavesThemAlone) {
    Mesh mesh;
    ASSERT_TRUE(load(mesh, lwo::oneTriangle()));
    GLboolean mask = GL_TRUE;
    glDepthMask(GL_FALSE);
    mesh.draw(7, false, false);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_EQ(mask, GL_FALSE);
    mesh.draw(0, false, false);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_EQ(mask, GL_TRUE);
}

// An additive surface with a UV-mapped image: left points at u = 0.25, right ones at 0.75.
Bytes uvMapped(uint16_t projection) {
    Bytes block;
    Bytes header;
    header.s0("\x80").sub("CHAN", Bytes().id("TRAN")).sub("OPAC", Bytes().u2(7).f4(1.0f).u2(0));
    block.sub("IMAP", header).sub("PROJ", Bytes().u2(projection)).sub("IMAG", Bytes().u2(1));
    if (projection == 5) block.sub("VMAP", Bytes().s0("UV"));
    Bytes c;
    c.chunk("CLIP", Bytes().u4(1).sub("STIL", Bytes().s0("images/strip.png")));
    c.chunk("LAYR", lwo::layr(0));
    c.chunk("PNTS", lwo::pnts({{-1, 1, 0}, {1, 1, 0}, {1, -1, 0}, {-1, -1, 0}}));
    c.chunk("POLS", lwo::pols({{0, 1, 2}, {0, 2, 3}}));
    Bytes uv = Bytes().id("TXUV").u2(2).s0("UV");
    for (uint16_t point = 0; point < 4; ++point)
        uv.u2(point).f4(point % 3 ? 0.75f : 0.25f).f4(0.5f);
    c.chunk("VMAP", uv);
    c.chunk("SURF", lwo::surf("Glow", Bytes().sub("BLOK", block)));
    return c;
}

class MaterialMode : public MeshDraw {
  protected:
    void SetUp() override {
        MeshDraw::SetUp();
        // Two texels: red on the left, green on the right.
        const uint8_t texels[8] = {255, 0, 0, 255, 0, 255, 0, 255};
        glGenTextures(1, &texture_);
        glBindTexture(GL_TEXTURE_2D, texture_);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    void TearDown() override {
        glDeleteTextures(1, &texture_);
        MeshDraw::TearDown();
    }
    GLuint texture_ = 0;
};

TEST_F(MaterialMode, ImmediateModeGivesTheUVMapsCoordinates) {
    Mesh mesh;
    ASSERT_TRUE(load(mesh, uvMapped(5)));
    mesh.draw(0, true, true);
    const int left = redAt(-0.5, 0, 0), right = redAt(0.5, 0, 0);
    EXPECT_EQ(left, 255);
    EXPECT_EQ(right, 0);
    EXPECT_TRUE(mesh.surfaces[0].hasUV);

    // The enable bits come back; the blend function stays as the surface set it.
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint dst = 0;
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_ONE);
}

TEST_F(MaterialMode, DisplayListsCarryNoTextureCoordinates) {
    Mesh mesh;
    ASSERT_TRUE(load(mesh, uvMapped(5)));
    glTexCoord2f(0.75f, 0.5f);
    mesh.draw(0, false, true);
    EXPECT_EQ(redAt(-0.5, 0, 0), 0);  // the current coordinate: green everywhere
}

TEST_F(MaterialMode, CylindricalProjectionGeneratesNothing) {
    Mesh mesh;
    ASSERT_TRUE(load(mesh, uvMapped(1)));
    glPushAttrib(GL_ENABLE_BIT);
    EXPECT_EQ(mesh.setupSurface(0, 0), 0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));  // the clip exists
    EXPECT_TRUE(glIsEnabled(GL_BLEND));       // additive
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    glPopAttrib();

    Mesh planar;
    ASSERT_TRUE(load(planar, uvMapped(0)));
    glPushAttrib(GL_ENABLE_BIT);
    planar.setupSurface(0, 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S));
    GLint mode = 0;
    glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
    EXPECT_EQ(mode, GL_OBJECT_LINEAR);
    GLfloat plane[4];
    glGetTexGenfv(GL_T, GL_OBJECT_PLANE, plane);
    EXPECT_EQ(plane[2], 0.25f);  // axis 0 (x) by default: T follows z
    glPopAttrib();
}

// ---------------------------------------------------------------------------------------------
// The library
// ---------------------------------------------------------------------------------------------

class Library : public MeshDraw {
  protected:
    bool add(MeshLibrary& library, const char* name, const Bytes& chunks = lwo::oneTriangle()) {
        const std::vector<uint8_t> data = lwo::file(chunks);
        return library.loadFromMemory(name, data.data(), data.size());
    }
    testsupport::MessageCapture capture;
};

TEST_F(Library, FindsNamesWhateverTheirCaseButSeparatorsMustMatch) {
    auto library = std::make_unique<MeshLibrary>();
    ASSERT_TRUE(add(*library, "lwos\\Cube.lwo"));
    EXPECT_STREQ(library->name(0), "lwos\\cube.lwo");
    EXPECT_NE(library->find("LWOS\\CUBE.LWO"), nullptr);
    EXPECT_EQ(library->find("lwos/cube.lwo"), nullptr);
    EXPECT_EQ(library->find("lwos\\cube"), nullptr);
    EXPECT_TRUE(capture.messages().empty());
}

TEST_F(Library, UnknownNamesShowTheirMessageAndDrawNothing) {
    auto library = std::make_unique<MeshLibrary>();
    ASSERT_TRUE(add(*library, "lwos\\cube.lwo"));
    library->draw("LWOS/Cube.lwo", 0);
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_EQ(capture.messages()[0], "Object was not found: lwos/cube.lwo\n");
    EXPECT_EQ(redAt(0, 0, 0), 0);
}

TEST_F(Library, OnlyLowerCaseLwoEndingsAreLoaded) {
    auto library = std::make_unique<MeshLibrary>();
    EXPECT_FALSE(add(*library, "lwos\\BOX.LWO"));
    EXPECT_FALSE(add(*library, "lwos\\readme.txt"));
    EXPECT_TRUE(add(*library, "lwos\\BOX.lwo"));
    EXPECT_EQ(library->count(), 1);
    EXPECT_NE(library->find("lwos\\box.lwo"), nullptr);
    EXPECT_TRUE(capture.messages().empty());
}

TEST_F(Library, ADamagedObjectTakesNoSlot) {
    auto library = std::make_unique<MeshLibrary>();
    Bytes damaged = lwo::oneTriangle();
    damaged.chunk("PTAG", lwo::ptag({{9, 0}}));
    EXPECT_FALSE(add(*library, "lwos\\bad.lwo", damaged));
    EXPECT_TRUE(add(*library, "lwos\\good.lwo"));
    EXPECT_EQ(library->count(), 1);
    EXPECT_STREQ(library->name(0), "lwos\\good.lwo");
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_NE(capture.messages()[0].find("lwos\\bad.lwo"), std::string::npos);
}

TEST_F(Library, AnUnreadableEntryIsReportedAndTakesNoSlot) {
    auto library = std::make_unique<MeshLibrary>();
    Archive::setDataPath("no-such-archive.rar");
    EXPECT_FALSE(library->load("lwos\\cube.lwo"));
    EXPECT_EQ(library->count(), 0);
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_EQ(capture.messages()[0], "Object could not be read: lwos\\cube.lwo");
}

TEST_F(Library, StopsAtItsLimitsWithAMessage) {
    auto library = std::make_unique<MeshLibrary>();
    const std::string longName = "lwos\\" + std::string(119, 'x') + ".lwo";  // 128 characters
    EXPECT_FALSE(add(*library, longName.c_str()));
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_NE(capture.messages()[0].find("too long"), std::string::npos);
    EXPECT_TRUE(add(*library, longName.substr(1).c_str()));  // 127 fit

    for (int i = 1; i < MeshLibrary::kSlots; ++i) {
        ASSERT_TRUE(add(*library, ("lwos\\m" + std::to_string(i) + ".lwo").c_str()));
    }
    capture.clear();
    EXPECT_FALSE(add(*library, "lwos\\one-more.lwo"));
    EXPECT_EQ(library->count(), MeshLibrary::kSlots);
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_NE(capture.messages()[0].find("lwos\\one-more.lwo"), std::string::npos);
}

}  // namespace
