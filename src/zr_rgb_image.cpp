#include "src/zr_rgb_image.h"

#include <cstring>

#include "src/zr_error.h"
#include "src/zr_memory.h"

namespace {
const char kSource[] = "src\\ZrRGBImage";
} // namespace

ZrRGBImage::ZrRGBImage(int32_t width, int32_t height, ZrStrideFunction strideFunction,
                       std::unique_ptr<ZrBaseBuffer> buffer)
    : ZrRealImage(strideFunction, kZrFormatRGB, width, height, 8, 3, std::move(buffer), true) {}

std::unique_ptr<ZrImage> ZrRGBImage::clone() const {
    auto copy = zrMake<ZrRGBImage>(kSource, __LINE__, width, height, getStrideFunction(), nullptr);
    copy->fill = fill;
    copy->copyFormatInfo(*this);
    copy->copyPixelsFrom(*this);
    return copy;
}

void ZrRGBImage::clear() {
    const uint8_t bytes[3] = {fill.red, fill.green, fill.blue};
    fillPixels(bytes, sizeof bytes);
}

void ZrRGBImage::exportRGB(int32_t x0, int32_t y0, int32_t y1, int32_t x1, int32_t dstX,
                           int32_t dstY, int32_t dstStride, int32_t dstPixelBytes,
                           int32_t redOffset, int32_t greenOffset, int32_t blueOffset,
                           uint8_t* dst) const {
    if (!exportArgumentsValid(x0, y0, y1, x1, dstX, dstY, dstStride, dstPixelBytes, redOffset,
                              greenOffset, blueOffset, dst))
        return;
    const bool packed = dstPixelBytes == 3 && redOffset == 0 && greenOffset == 1 && blueOffset == 2;
    const size_t pixelBytes = static_cast<size_t>(dstPixelBytes);
    const int32_t count = x1 - x0;
    ZrPixelLock pixels(*this);
    for (int32_t y = y0; y < y1; ++y) {
        const uint8_t* in = pixelAt(pixels.get(), x0, y, 3);
        uint8_t* out = exportRow(dst, dstX, dstY, dstStride, pixelBytes, y, y0);
        if (packed) {
            std::memmove(out, in, static_cast<size_t>(count) * 3);
            continue;
        }
        for (int32_t i = 0; i < count; ++i, in += 3, out += pixelBytes) {
            out[redOffset] = in[0];
            out[greenOffset] = in[1];
            out[blueOffset] = in[2];
        }
    }
}

std::unique_ptr<ZrImage> ZrRGBImage::createCompatible(int32_t x0, int32_t y0, int32_t y1,
                                                      int32_t x1) const {
    int32_t w, h;
    regionSize(x0, y0, y1, x1, w, h);
    auto image = zrMake<ZrRGBImage>(kSource, __LINE__, w, h, getStrideFunction(), nullptr);
    image->fill = fill;
    image->clear();
    return image;
}
