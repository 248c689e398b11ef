#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "effects/mipmap_chain.h"
#include "tests/support/test_support.h"

namespace {

std::vector<unsigned char> levelImage(GLenum target, int level, int size) {
    std::vector<unsigned char> texels(size_t(size) * size * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target, level, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

class MipmapChain : public testsupport::GlTest {};

TEST(HalveImage, AveragesEachRowsPairFirstRoundingHalfUp) {
    // Rows (a, b) over (c, d), one case per channel: 0 0 over 1 3 gives 0 and 2, then 1
    // (columns first would give 2); 0 1 over 0 0 gives 1 (the exact mean rounds to 0).
    const unsigned char src[2 * 2 * 4] = {0, 0, 255, 10, 0, 1, 255, 11,   // a, b
                                          1, 0, 255, 12, 3, 0, 255, 13};  // c, d
    unsigned char dst[4];
    halveImage(src, 2, dst);
    EXPECT_EQ(dst[0], 1);
    EXPECT_EQ(dst[1], 1);
    EXPECT_EQ(dst[2], 255);
    EXPECT_EQ(dst[3], 12);
}

// The reflections build their mipmaps on the processor and must look as they did when the
// driver generated them: every level of every cube face the same bytes as the driver's.
TEST_F(MipmapChain, MatchesTheDriversGeneratedLevels) {
    constexpr int kSize = 64;
    std::vector<unsigned char> image(kSize * kSize * 4), chain(mipmapChainBytes(kSize));
    uint32_t x = 12345;
    for (unsigned char& b : image)
        b = static_cast<unsigned char>((x = x * 1103515245u + 12345u) >> 24);

    GLuint textures[2];
    glGenTextures(2, textures);
    for (GLuint t : textures) {
        glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, t);
        for (int f = 0; f < 6; ++f)
            for (int level = 0, s = kSize; s >= 1; ++level, s /= 2)
                glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + f, level, GL_RGBA, s, s, 0,
                             GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    }
    const GLenum face = GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + 3;
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, textures[0]);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
    glTexSubImage2D(face, 0, 0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, textures[1]);
    std::copy(image.begin(), image.end(), chain.begin());
    buildMipmapChain(chain.data(), kSize);
    uploadMipmapChain(face, chain.data(), kSize);

    for (int level = 0, s = kSize; s >= 1; ++level, s /= 2) {
        SCOPED_TRACE(level);
        glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, textures[0]);
        const auto driver = levelImage(face, level, s);
        glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, textures[1]);
        const auto ours = levelImage(face, level, s);
        int differing = 0;
        for (size_t i = 0; i < ours.size(); ++i) differing += ours[i] != driver[i];
        EXPECT_EQ(differing, 0);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glDeleteTextures(2, textures);
}

}  // namespace
