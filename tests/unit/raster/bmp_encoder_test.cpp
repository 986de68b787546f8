// The BMP encoder: the layouts it plans and refuses, and every byte of the
// bitmaps it writes, read back field by field as the format defines them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "src/bmp_encoder.h"

namespace {

uint32_t U16(const std::vector<unsigned char>& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t U32(const std::vector<unsigned char>& b, size_t at) {
    return U16(b, at) | U16(b, at + 2) << 16;
}

// Distinct bytes everywhere, the top one included, so that a swapped channel,
// a misplaced pixel or a row in the wrong order shows.
uint32_t Word(int32_t x, int32_t y) {
    return static_cast<uint32_t>((0x31 + 0x11 * y) & 0xff) << 24 |
           static_cast<uint32_t>((0x10 + 0x21 * x) & 0xff) << 16 |
           static_cast<uint32_t>((0x80 + 0x13 * y) & 0xff) << 8 |
           static_cast<uint32_t>((0x05 + 0x07 * x + 0x31 * y) & 0xff);
}

TEST(BmpEncoder, WritesEveryFieldAndPixel) {
    const struct {
        int32_t width, height;
        int bits;
        bool fileHeader;
        size_t rowSize, size;
    } cases[] = {
        {3, 2, 24, true, 12, 78}, // rows of 9 bytes padded to 12
        {1, 1, 24, true, 4, 58},  {4, 4, 24, true, 12, 102}, // no padding
        {5, 3, 24, false, 16, 88}, {33, 1, 24, true, 100, 154},
        {3, 2, 32, false, 12, 64}, {1, 5, 32, false, 4, 60},  {7, 3, 32, true, 28, 138},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " " +
                     std::to_string(c.bits) + (c.fileHeader ? " file" : " packed"));
        std::vector<uint32_t> pixels;
        for (int32_t y = 0; y < c.height; ++y)
            for (int32_t x = 0; x < c.width; ++x)
                pixels.push_back(Word(x, y));
        BmpLayout layout;
        ASSERT_TRUE(PlanBmp(c.width, c.height, c.bits, c.fileHeader, layout));
        EXPECT_EQ(layout.RowSize(), c.rowSize);
        ASSERT_EQ(layout.Size(), c.size);
        std::vector<unsigned char> b(c.size + 1, 0xee); // one byte more: nothing writes it
        EncodeBmp(layout, pixels.data(), b.data());
        EXPECT_EQ(b[c.size], 0xee) << "written past the end";

        size_t info = 0;
        if (c.fileHeader) {
            EXPECT_EQ(b[0], 'B');
            EXPECT_EQ(b[1], 'M');
            EXPECT_EQ(U32(b, 2), c.size) << "file size";
            EXPECT_EQ(U32(b, 6), 0u) << "reserved";
            EXPECT_EQ(U32(b, 10), 54u) << "pixel data offset";
            info = 14;
        }
        EXPECT_EQ(U32(b, info), 40u) << "information header size";
        EXPECT_EQ(U32(b, info + 4), static_cast<uint32_t>(c.width));
        EXPECT_EQ(U32(b, info + 8), static_cast<uint32_t>(c.height)) << "positive: bottom-up";
        EXPECT_EQ(U16(b, info + 12), 1u) << "planes";
        EXPECT_EQ(U16(b, info + 14), static_cast<uint32_t>(c.bits));
        for (size_t at = info + 16; at < info + 40; at += 4)
            EXPECT_EQ(U32(b, at), 0u) << "compression and the fields after it, byte " << at;

        const size_t bytes = static_cast<size_t>(c.bits / 8);
        for (int32_t stored = 0; stored < c.height; ++stored) {
            const size_t row = info + 40 + stored * c.rowSize;
            const int32_t y = c.height - 1 - stored; // the bottom row comes first
            for (int32_t x = 0; x < c.width; ++x) {
                const size_t at = row + x * bytes;
                uint32_t read = b[at] | b[at + 1] << 8 | b[at + 2] << 16;
                uint32_t expected = Word(x, y) & 0xffffff;
                if (c.bits == 32) {
                    read |= static_cast<uint32_t>(b[at + 3]) << 24;
                    expected = Word(x, y);
                }
                ASSERT_EQ(read, expected) << "pixel " << x << "," << y;
            }
            for (size_t pad = c.width * bytes; pad < c.rowSize; ++pad)
                EXPECT_EQ(b[row + pad], 0) << "padding of stored row " << stored;
        }
    }
}

TEST(BmpEncoder, RefusesWhatTheFormatCannotHold) {
    const struct {
        int32_t width, height;
        int bits;
        bool fileHeader;
    } refused[] = {
        {0, 5, 24, true},         {5, 0, 24, true},          {-3, 4, 32, false},
        {4, -1, 24, false},       {2, 2, 16, true},          {2, 2, 8, false},
        {65536, 65536, 24, true}, {32768, 32768, 32, false}, // beyond 32-bit sizes
        {INT32_MAX, INT32_MAX, 32, true},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " " +
                     std::to_string(c.bits));
        BmpLayout layout;
        layout.width = 9;
        EXPECT_FALSE(PlanBmp(c.width, c.height, c.bits, c.fileHeader, layout));
        EXPECT_EQ(layout.width, 9) << "the layout is left as it was";
    }
    // The largest canvas that fits: 32767 x 32767 pixels of 4 bytes.
    BmpLayout layout;
    ASSERT_TRUE(PlanBmp(32767, 32767, 32, false, layout));
    EXPECT_EQ(layout.Size(), 40u + 4u * 32767u * 32767u);
}

} // namespace
