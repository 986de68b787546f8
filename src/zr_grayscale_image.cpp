#include "src/zr_grayscale_image.h"

#include <cstring>

#include "src/zr_error.h"
#include "src/zr_memory.h"

namespace {
const char kSource[] = "src\\ZrGrayscaleImage";
} // namespace

ZrGrayscaleImage::ZrGrayscaleImage(int32_t width, int32_t height, ZrStrideFunction strideFunction,
                                   std::unique_ptr<ZrBaseBuffer> buffer, bool clear)
    : ZrRealImage(strideFunction, kZrFormatGray, width, height, 8, 1, std::move(buffer), clear) {}

std::unique_ptr<ZrImage> ZrGrayscaleImage::clone() const {
    auto copy = zrMake<ZrGrayscaleImage>(kSource, __LINE__, width, height, getStrideFunction(),
                                         nullptr, false);
    copy->fillLevel = fillLevel;
    copy->polarity = polarity;
    copy->copyFormatInfo(*this);
    copy->copyPixelsFrom(*this);
    return copy;
}

void ZrGrayscaleImage::clear() { fillPixels(&fillLevel, 1); }

void ZrGrayscaleImage::exportRGB(int32_t x0, int32_t y0, int32_t y1, int32_t x1, int32_t dstX,
                                 int32_t dstY, int32_t dstStride, int32_t dstPixelBytes,
                                 int32_t redOffset, int32_t greenOffset, int32_t blueOffset,
                                 uint8_t* dst) const {
    if (!exportArgumentsValid(x0, y0, y1, x1, dstX, dstY, dstStride, dstPixelBytes, redOffset,
                              greenOffset, blueOffset, dst))
        return;
    if (polarity != kZrZeroIsBlack && polarity != kZrZeroIsWhite)
        throw ZrErrorCode(ZrError::LineFinished, 0, kSource, __LINE__);
    const uint8_t flip = polarity == kZrZeroIsWhite ? 0xFF : 0x00;
    const size_t pixelBytes = static_cast<size_t>(dstPixelBytes);
    ZrPixelLock pixels(*this);
    for (int32_t y = y0; y < y1; ++y) {
        const uint8_t* in = pixelAt(pixels.get(), x0, y, 1);
        uint8_t* out = exportRow(dst, dstX, dstY, dstStride, pixelBytes, y, y0);
        for (int32_t x = x0; x < x1; ++x, ++in, out += pixelBytes) {
            const uint8_t level = *in ^ flip; // 255 - level when inverted
            out[redOffset] = level;
            out[greenOffset] = level;
            out[blueOffset] = level;
        }
    }
}

std::unique_ptr<ZrImage> ZrGrayscaleImage::createCompatible(int32_t x0, int32_t y0, int32_t y1,
                                                            int32_t x1) const {
    int32_t w, h;
    regionSize(x0, y0, y1, x1, w, h);
    auto image = zrMake<ZrGrayscaleImage>(kSource, __LINE__, w, h, getStrideFunction(), nullptr,
                                          false);
    image->fillLevel = fillLevel;
    image->polarity = polarity;
    image->clear();
    return image;
}

void ZrGrayscaleImage::copyKindAttributes(const ZrImage& other) {
    if (const auto* grey = dynamic_cast<const ZrGrayscaleImage*>(&other))
        polarity = grey->polarity;
}
