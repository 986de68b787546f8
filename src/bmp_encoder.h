// Uncompressed bottom-up bitmaps (BI_RGB, no colour table) of 32-bit pixels
// 0x00RRGGBB, encoded into memory: the 24-bit BMP file the canvas writes and
// the 32-bit packed DIB that Copy Graph puts on the clipboard (the same
// bitmap without the file header).
#pragma once

#include <cstddef>
#include <cstdint>

struct BmpLayout {
    int32_t width = 0;
    int32_t height = 0;
    int bitsPerPixel = 24; // 24: blue, green, red; 32: the pixel word's four bytes
    bool fileHeader = true; // the 14-byte "BM" header before the information header

    // The file header (when there is one) and the 40-byte information header.
    size_t HeaderSize() const { return fileHeader ? 54 : 40; }
    // One stored row: its pixels' bytes padded with zeros to a multiple of 4.
    size_t RowSize() const;
    // The headers and all rows.
    size_t Size() const { return HeaderSize() + RowSize() * static_cast<size_t>(height); }
};

// The layout of a `width` x `height` bitmap of 24 or 32 bits per pixel;
// false when a size is not positive, the bit count is another one, or the
// whole would not fit the format's 32-bit sizes.
bool PlanBmp(int32_t width, int32_t height, int bitsPerPixel, bool fileHeader, BmpLayout& layout);

// Writes the headers (HeaderSize() bytes) to `out`: "BM", the size and the
// pixel offset; then size 40, the width, the height (positive: bottom-up),
// 1 plane, the bit count, BI_RGB and five zeros.
void EncodeBmpHeaders(const BmpLayout& layout, unsigned char* out);

// Writes stored row `row` (0 is the bottom row of the picture) of `pixels`
// (width x height words, top row first) to `out`: RowSize() bytes.
void EncodeBmpRow(const BmpLayout& layout, const uint32_t* pixels, int32_t row, unsigned char* out);

// Writes the whole bitmap (Size() bytes) to `out`.
void EncodeBmp(const BmpLayout& layout, const uint32_t* pixels, unsigned char* out);
