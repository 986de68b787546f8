#include "src/zr_indexed_image.h"

#include "src/zr_error.h"
#include "src/zr_memory.h"

namespace {
const char kSource[] = "src\\ZrIndexedImage";
} // namespace

ZrIndexedImage::ZrIndexedImage(int32_t width, int32_t height, ZrStrideFunction strideFunction,
                               std::unique_ptr<ZrBaseBuffer> buffer, const ZrColorTable* table,
                               bool clear)
    : ZrRealImage(strideFunction, kZrFormatIndexed, width, height, 8, 1, std::move(buffer), clear) {
    if (table) {
        palette.assign(*table);
    } else {
        palette.resize(1); // one entry, black
    }
}

std::unique_ptr<ZrImage> ZrIndexedImage::clone() const {
    auto copy = zrMake<ZrIndexedImage>(kSource, __LINE__, width, height, getStrideFunction(),
                                       nullptr, &palette, false);
    copy->copyFormatInfo(*this);
    copy->copyPixelsFrom(*this);
    return copy;
}

void ZrIndexedImage::exportRGB(int32_t x0, int32_t y0, int32_t y1, int32_t x1, int32_t dstX,
                               int32_t dstY, int32_t dstStride, int32_t dstPixelBytes,
                               int32_t redOffset, int32_t greenOffset, int32_t blueOffset,
                               uint8_t* dst) const {
    if (!exportArgumentsValid(x0, y0, y1, x1, dstX, dstY, dstStride, dstPixelBytes, redOffset,
                              greenOffset, blueOffset, dst))
        return;
    static const uint8_t kBlack[3] = {0, 0, 0};
    const uint8_t* entries = palette.getEntries();
    const uint32_t count = palette.getCount();
    const size_t pixelBytes = static_cast<size_t>(dstPixelBytes);
    ZrPixelLock pixels(*this);
    for (int32_t y = y0; y < y1; ++y) {
        const uint8_t* in = pixelAt(pixels.get(), x0, y, 1);
        uint8_t* out = exportRow(dst, dstX, dstY, dstStride, pixelBytes, y, y0);
        for (int32_t x = x0; x < x1; ++x, ++in, out += pixelBytes) {
            const uint8_t* color = *in < count ? entries + size_t{*in} * 3 : kBlack;
            out[redOffset] = color[0];
            out[greenOffset] = color[1];
            out[blueOffset] = color[2];
        }
    }
}

std::unique_ptr<ZrImage> ZrIndexedImage::createCompatible(int32_t x0, int32_t y0, int32_t y1,
                                                          int32_t x1) const {
    int32_t w, h;
    regionSize(x0, y0, y1, x1, w, h);
    return zrMake<ZrIndexedImage>(kSource, __LINE__, w, h, getStrideFunction(), nullptr, &palette,
                                  true);
}

void ZrIndexedImage::copyKindAttributes(const ZrImage& other) {
    if (const auto* indexed = dynamic_cast<const ZrIndexedImage*>(&other))
        palette.assign(indexed->palette);
}
