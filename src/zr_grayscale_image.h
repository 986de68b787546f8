// Images of one 8-bit grey level per pixel (format 4).
#pragma once

#include "src/zr_image.h"

// Polarity values: which grey level is black.
constexpr uint8_t kZrZeroIsBlack = 0;
constexpr uint8_t kZrZeroIsWhite = 255;

class ZrGrayscaleImage : public ZrRealImage {
public:
    // A width x height image over `buffer` (owned from here on; a new
    // ZrBuffer when null), polarity 0 and fill level 0; with `clear` every
    // byte starts as 0. Throws ZrErrorCode 2 when memory runs out or the
    // buffer is too small.
    ZrGrayscaleImage(int32_t width, int32_t height, ZrStrideFunction strideFunction,
                     std::unique_ptr<ZrBaseBuffer> buffer, bool clear);

    std::unique_ptr<ZrImage> clone() const override;
    // The grey level in all three channels, inverted for polarity 255.
    // Throws ZrErrorCode 38 for a polarity other than 0 and 255.
    void exportRGB(int32_t x0, int32_t y0, int32_t y1, int32_t x1, int32_t dstX, int32_t dstY,
                   int32_t dstStride, int32_t dstPixelBytes, int32_t redOffset,
                   int32_t greenOffset, int32_t blueOffset, uint8_t* dst) const override;
    // Same class, polarity and fill level, every pixel set to the fill level.
    std::unique_ptr<ZrImage> createCompatible(int32_t x0, int32_t y0, int32_t y1,
                                              int32_t x1) const override;
    // Takes the polarity of another grey image.
    void copyKindAttributes(const ZrImage& other) override;
    // Every pixel set to the fill level.
    void clear() override;

    uint8_t getFillLevel() const { return fillLevel; }
    void setFillLevel(uint8_t level) { fillLevel = level; }
    uint8_t getPolarity() const { return polarity; }
    void setPolarity(uint8_t value) { polarity = value; }

private:
    uint8_t fillLevel = 0;
    uint8_t polarity = kZrZeroIsBlack;
};
