// Images of four 8-bit channels per pixel: R, G, B, X (format 3) or B, G, R,
// X (format 6, the memory order of a 32-bit Windows bitmap, in which a pixel
// read as a little-endian word is 0x00RRGGBB).
#pragma once

#include "src/zr_image.h"

class Zr32BitImage : public ZrRealImage {
public:
    // A width x height image of format 3 or 6 (another format fails a
    // consistency check) over `buffer` (owned from here on; a new ZrBuffer
    // when null); with `clear` every byte starts as 0. Throws ZrErrorCode 2
    // when memory runs out or the buffer is too small.
    Zr32BitImage(int32_t width, int32_t height, int32_t format, ZrStrideFunction strideFunction,
                 std::unique_ptr<ZrBaseBuffer> buffer, bool clear);

    std::unique_ptr<ZrImage> clone() const override;
    // Red, green and blue of each pixel in the format's byte order; the
    // fourth byte is not copied.
    void exportRGB(int32_t x0, int32_t y0, int32_t y1, int32_t x1, int32_t dstX, int32_t dstY,
                   int32_t dstStride, int32_t dstPixelBytes, int32_t redOffset,
                   int32_t greenOffset, int32_t blueOffset, uint8_t* dst) const override;
    // Area averaging with 1024 units per destination pixel: every channel
    // of a new pixel is the mean of the source pixels under it, weighted by
    // how much of it they cover, rounded to nearest. Fill colour and format
    // information are copied. Throws ZrErrorCode 2 when memory runs out.
    std::unique_ptr<ZrImage> resizedCopy(int32_t width, int32_t height) const override;
    // Always format 3, with this image's fill colour, every pixel set to it.
    std::unique_ptr<ZrImage> createCompatible(int32_t x0, int32_t y0, int32_t y1,
                                              int32_t x1) const override;
    // Every pixel set to the fill colour in the format's byte order.
    void clear() override;

    ZrFillColor getFillColor() const { return fill; }
    void setFillColor(ZrFillColor color) { fill = color; }

private:
    ZrFillColor fill;
};
