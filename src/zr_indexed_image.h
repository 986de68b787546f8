// Images of one 8-bit palette index per pixel (format 5) with their palette.
#pragma once

#include "src/zr_color_table.h"
#include "src/zr_image.h"

class ZrIndexedImage : public ZrRealImage {
public:
    // A width x height image over `buffer` (owned from here on; a new
    // ZrBuffer when null) with a copy of `palette`, or without one a palette
    // of one black entry; with `clear` every byte starts as 0. Throws
    // ZrErrorCode 2 when memory runs out or the buffer is too small.
    ZrIndexedImage(int32_t width, int32_t height, ZrStrideFunction strideFunction,
                   std::unique_ptr<ZrBaseBuffer> buffer, const ZrColorTable* palette, bool clear);

    std::unique_ptr<ZrImage> clone() const override;
    // The colour of the palette entry each pixel names; an index beyond the
    // palette gives black.
    void exportRGB(int32_t x0, int32_t y0, int32_t y1, int32_t x1, int32_t dstX, int32_t dstY,
                   int32_t dstStride, int32_t dstPixelBytes, int32_t redOffset,
                   int32_t greenOffset, int32_t blueOffset, uint8_t* dst) const override;
    // Same class and palette, every index 0.
    std::unique_ptr<ZrImage> createCompatible(int32_t x0, int32_t y0, int32_t y1,
                                              int32_t x1) const override;
    // Takes a copy of another indexed image's palette; throws ZrErrorCode 2
    // when memory runs out, keeping the old palette then.
    void copyKindAttributes(const ZrImage& other) override;

    const ZrColorTable& getPalette() const { return palette; }
    // Takes a copy of `table`; throws ZrErrorCode 2 when memory runs out,
    // keeping the old palette then.
    void setPalette(const ZrColorTable& table) { palette.assign(table); }

private:
    ZrColorTable palette;
};
