// Images of three 8-bit channels per pixel in the order R, G, B (format 1):
// what the PNG writer stores.
#pragma once

#include "src/zr_image.h"

class ZrRGBImage : public ZrRealImage {
public:
    // A width x height image, every byte 0, over `buffer` (owned from here
    // on; a new ZrBuffer when null). Throws ZrErrorCode 2 when memory runs
    // out or the buffer is too small.
    ZrRGBImage(int32_t width, int32_t height, ZrStrideFunction strideFunction,
               std::unique_ptr<ZrBaseBuffer> buffer);

    std::unique_ptr<ZrImage> clone() const override;
    void exportRGB(int32_t x0, int32_t y0, int32_t y1, int32_t x1, int32_t dstX, int32_t dstY,
                   int32_t dstStride, int32_t dstPixelBytes, int32_t redOffset,
                   int32_t greenOffset, int32_t blueOffset, uint8_t* dst) const override;
    // Same class and fill colour, every pixel set to it.
    std::unique_ptr<ZrImage> createCompatible(int32_t x0, int32_t y0, int32_t y1,
                                              int32_t x1) const override;
    // Every pixel set to the fill colour's red, green and blue.
    void clear() override;

    ZrFillColor getFillColor() const { return fill; }
    void setFillColor(ZrFillColor color) { fill = color; }

private:
    ZrFillColor fill;
};
