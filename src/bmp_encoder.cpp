#include "src/bmp_encoder.h"

#include <cstring>

namespace {

void Put16(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void Put32(unsigned char* p, uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

} // namespace

size_t BmpLayout::RowSize() const {
    return (static_cast<size_t>(bitsPerPixel / 8) * static_cast<size_t>(width) + 3) & ~size_t{3};
}

bool PlanBmp(int32_t width, int32_t height, int bitsPerPixel, bool fileHeader, BmpLayout& layout) {
    if (width <= 0 || height <= 0 || (bitsPerPixel != 24 && bitsPerPixel != 32))
        return false;
    // In 64 bits the sizes cannot overflow: 4 x (2^31 - 1) squared is below 2^64.
    const uint64_t rowSize = (static_cast<uint64_t>(bitsPerPixel / 8) * width + 3) & ~3ull;
    const uint64_t size = (fileHeader ? 54u : 40u) + rowSize * static_cast<uint64_t>(height);
    if (size > UINT32_MAX || size > SIZE_MAX)
        return false;
    layout.width = width;
    layout.height = height;
    layout.bitsPerPixel = bitsPerPixel;
    layout.fileHeader = fileHeader;
    return true;
}

void EncodeBmpHeaders(const BmpLayout& layout, unsigned char* out) {
    std::memset(out, 0, layout.HeaderSize());
    if (layout.fileHeader) {
        out[0] = 'B';
        out[1] = 'M';
        Put32(out + 2, static_cast<uint32_t>(layout.Size()));
        Put32(out + 10, 54); // pixel data offset
        out += 14;
    }
    Put32(out, 40); // information header size
    Put32(out + 4, static_cast<uint32_t>(layout.width));
    Put32(out + 8, static_cast<uint32_t>(layout.height)); // positive: bottom-up
    Put16(out + 12, 1);                                   // planes
    Put16(out + 14, static_cast<uint32_t>(layout.bitsPerPixel));
    // compression BI_RGB and the five following fields stay 0
}

void EncodeBmpRow(const BmpLayout& layout, const uint32_t* pixels, int32_t row,
                  unsigned char* out) {
    const uint32_t* source = pixels + static_cast<size_t>(layout.height - 1 - row) * layout.width;
    if (layout.bitsPerPixel == 32) {
        // A pixel word in little-endian order is blue, green, red and the top byte.
        for (int32_t j = 0; j < layout.width; ++j)
            Put32(out + 4 * static_cast<size_t>(j), source[j]);
        return;
    }
    for (int32_t j = 0; j < layout.width; ++j) {
        unsigned char* p = out + 3 * static_cast<size_t>(j);
        p[0] = static_cast<unsigned char>(source[j]);       // blue
        p[1] = static_cast<unsigned char>(source[j] >> 8);  // green
        p[2] = static_cast<unsigned char>(source[j] >> 16); // red
    }
    const size_t used = 3 * static_cast<size_t>(layout.width);
    std::memset(out + used, 0, layout.RowSize() - used);
}

void EncodeBmp(const BmpLayout& layout, const uint32_t* pixels, unsigned char* out) {
    EncodeBmpHeaders(layout, out);
    out += layout.HeaderSize();
    for (int32_t row = 0; row < layout.height; ++row, out += layout.RowSize())
        EncodeBmpRow(layout, pixels, row, out);
}
