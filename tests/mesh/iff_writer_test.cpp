// The IFF writer the generator and the tests build objects with.
#include <gtest/gtest.h>

#include "mesh/iff_writer.h"

namespace {

TEST(IffWriter, NumbersAndStringsAreBigEndianAndPadded) {
    IffWriter w;
    w.u2(0x0102).u4(0x03040506).f4(-2.0f).s0("ab").s0("abc");
    const std::vector<uint8_t> expected = {1, 2,   3,   4, 5, 6,   0xC0, 0,   0,
                                           0, 'a', 'b', 0, 0, 'a', 'b',  'c', 0};
    EXPECT_EQ(w.bytes(), expected);
}

// A chunk opened in place and one written from its body give the same bytes; both pad an odd
// body after its length, which counts only the body.
TEST(IffWriter, ChunksInPlaceMatchChunksFromTheirBody) {
    for (int size : {3, 4}) {
        IffWriter body;
        for (int i = 0; i < size; ++i) body.u1(uint8_t(i + 1));
        IffWriter fromBody;
        fromBody.chunk("LONG", IffWriter().raw(body).sub("SUBC", body));
        IffWriter inPlace;
        inPlace.open("LONG", false);
        inPlace.raw(body);
        inPlace.open("SUBC", true);
        inPlace.raw(body);
        inPlace.close();
        inPlace.close();
        const std::vector<uint8_t>& b = inPlace.bytes();
        const uint32_t outer = uint32_t(size + 6 + size + size % 2);
        ASSERT_EQ(b.size(), 8 + outer + outer % 2) << size;
        EXPECT_EQ(b[7], outer) << size;
        EXPECT_EQ(b[8 + size + 5], size) << size;
        // Only the in-place sub-chunk is padded: the body-written one keeps its exact length.
        if (size % 2 == 0) {
            EXPECT_EQ(b, fromBody.bytes()) << size;
        } else {
            EXPECT_EQ(fromBody.size() + 2, b.size()) << size;
        }
    }
}

}  // namespace
