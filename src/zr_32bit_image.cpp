#include "src/zr_32bit_image.h"

#include <algorithm>
#include <cstring>

#include "src/zr_error.h"
#include "src/zr_memory.h"

namespace {

const char kSource[] = "src\\Zr32BitImage";

// Units per destination pixel in resizedCopy.
constexpr uint64_t kUnits = 1024;

template <class T>
using Block = std::unique_ptr<T[], ZrReleaser>;

// Room for `count` values of T from the library's memory; code 2 when it
// cannot be had.
template <class T>
Block<T> AllocateArray(size_t count, int32_t line) {
    if (count > SIZE_MAX / sizeof(T))
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, line);
    void* block = zrAllocate(count * sizeof(T));
    if (!block)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, line);
    return Block<T>(static_cast<T*>(block));
}

// Where each of `from` source pixels starts on an axis of `to` destination
// pixels of kUnits each; entry `from` is the end, to x kUnits.
Block<uint64_t> Boundaries(int32_t from, int32_t to) {
    Block<uint64_t> bounds = AllocateArray<uint64_t>(static_cast<size_t>(from) + 1, __LINE__);
    const unsigned __int128 total = static_cast<unsigned __int128>(to) * kUnits;
    for (int64_t i = 0; i <= from; ++i)
        bounds[i] = static_cast<uint64_t>(total * static_cast<uint64_t>(i) / static_cast<uint64_t>(from));
    return bounds;
}

// Copies the colours of `count` 4-byte pixels into 3-or-more-byte pixels
// with red, green and blue at the offsets (the general case).
void ExportRow(const uint8_t* in, uint8_t* out, int32_t count, int redIn, int blueIn,
               size_t pixelBytes, int32_t redOffset, int32_t greenOffset, int32_t blueOffset) {
    for (int32_t i = 0; i < count; ++i, in += 4, out += pixelBytes) {
        out[redOffset] = in[redIn];
        out[greenOffset] = in[1];
        out[blueOffset] = in[blueIn];
    }
}

// The common case, packed R, G, B bytes, with the byte positions known.
template <int RedIn, int BlueIn>
void ExportRowPacked(const uint8_t* in, uint8_t* out, int32_t count) {
    for (int32_t i = 0; i < count; ++i, in += 4, out += 3) {
        out[0] = in[RedIn];
        out[1] = in[1];
        out[2] = in[BlueIn];
    }
}

} // namespace

Zr32BitImage::Zr32BitImage(int32_t width, int32_t height, int32_t format,
                           ZrStrideFunction strideFunction, std::unique_ptr<ZrBaseBuffer> buffer,
                           bool clear)
    : ZrRealImage(strideFunction, format, width, height, 8, 4, std::move(buffer), clear) {
    zrCheck(format == kZrFormatRGBX || format == kZrFormatBGRX, kSource, __LINE__);
}

std::unique_ptr<ZrImage> Zr32BitImage::clone() const {
    auto copy = zrMake<Zr32BitImage>(kSource, __LINE__, width, height, format, getStrideFunction(),
                                     nullptr, false);
    copy->fill = fill;
    copy->copyFormatInfo(*this);
    copy->copyPixelsFrom(*this);
    return copy;
}

void Zr32BitImage::clear() {
    const uint8_t bytes[4] = {format == kZrFormatRGBX ? fill.red : fill.blue, fill.green,
                              format == kZrFormatRGBX ? fill.blue : fill.red, fill.fourth};
    fillPixels(bytes, sizeof bytes);
}

void Zr32BitImage::exportRGB(int32_t x0, int32_t y0, int32_t y1, int32_t x1, int32_t dstX,
                             int32_t dstY, int32_t dstStride, int32_t dstPixelBytes,
                             int32_t redOffset, int32_t greenOffset, int32_t blueOffset,
                             uint8_t* dst) const {
    if (!exportArgumentsValid(x0, y0, y1, x1, dstX, dstY, dstStride, dstPixelBytes, redOffset,
                              greenOffset, blueOffset, dst))
        return;
    const bool rgbx = format == kZrFormatRGBX;
    const bool packed = dstPixelBytes == 3 && redOffset == 0 && greenOffset == 1 && blueOffset == 2;
    const int32_t count = x1 - x0;
    ZrPixelLock pixels(*this);
    for (int32_t y = y0; y < y1; ++y) {
        const uint8_t* in = pixelAt(pixels.get(), x0, y, 4);
        uint8_t* out = exportRow(dst, dstX, dstY, dstStride, static_cast<size_t>(dstPixelBytes), y, y0);
        if (packed && rgbx)
            ExportRowPacked<0, 2>(in, out, count);
        else if (packed)
            ExportRowPacked<2, 0>(in, out, count);
        else
            ExportRow(in, out, count, rgbx ? 0 : 2, rgbx ? 2 : 0, static_cast<size_t>(dstPixelBytes),
                      redOffset, greenOffset, blueOffset);
    }
}

std::unique_ptr<ZrImage> Zr32BitImage::createCompatible(int32_t x0, int32_t y0, int32_t y1,
                                                        int32_t x1) const {
    int32_t w, h;
    regionSize(x0, y0, y1, x1, w, h);
    auto image = zrMake<Zr32BitImage>(kSource, __LINE__, w, h, kZrFormatRGBX, getStrideFunction(),
                                      nullptr, false);
    image->fill = fill;
    image->clear();
    return image;
}

std::unique_ptr<ZrImage> Zr32BitImage::resizedCopy(int32_t newWidth, int32_t newHeight) const {
    auto result = zrMake<Zr32BitImage>(kSource, __LINE__, newWidth, newHeight, format,
                                       getStrideFunction(), nullptr, true);
    result->fill = fill;
    result->copyFormatInfo(*this);
    if (width <= 0 || height <= 0 || newWidth <= 0 || newHeight <= 0)
        return result;

    // Each source pixel covers a span of destination units on each axis; the
    // spans tile the destination, so the weights under every destination
    // pixel add up to kUnits x kUnits. The sum is separable: columns first,
    // one source row at a time, then rows. Sums stay below 2^32: at most
    // kUnits x kUnits x 255.
    const Block<uint64_t> columns = Boundaries(width, newWidth);
    const Block<uint64_t> rows = Boundaries(height, newHeight);
    const size_t values = static_cast<size_t>(newWidth) * 4;
    Block<uint32_t> across = AllocateArray<uint32_t>(values, __LINE__); // one source row, scaled across
    Block<uint32_t> sum = AllocateArray<uint32_t>(values, __LINE__);    // one destination row
    int32_t acrossRow = -1;

    ZrPixelLock source(*this);
    ZrPixelLock target(*result);
    auto scaleAcross = [&](int32_t y) {
        if (y == acrossRow)
            return;
        std::fill(across.get(), across.get() + values, 0u);
        const uint8_t* in = source.get() + static_cast<size_t>(y) * static_cast<size_t>(getStride());
        for (int32_t i = 0; i < width; ++i, in += 4) {
            for (uint64_t at = columns[i], end = columns[i + 1]; at < end;) {
                const uint64_t j = at / kUnits;
                const uint32_t weight = static_cast<uint32_t>(std::min(end, (j + 1) * kUnits) - at);
                uint32_t* out = across.get() + 4 * j;
                for (int c = 0; c < 4; ++c)
                    out[c] += weight * in[c];
                at += weight;
            }
        }
        acrossRow = y;
    };

    int32_t first = 0; // the first source row reaching into destination row k
    for (int32_t k = 0; k < newHeight; ++k) {
        const uint64_t top = static_cast<uint64_t>(k) * kUnits, bottom = top + kUnits;
        while (rows[first + 1] <= top)
            ++first;
        std::fill(sum.get(), sum.get() + values, 0u);
        for (int32_t y = first; y < height && rows[y] < bottom; ++y) {
            const uint64_t overlap = std::min(rows[y + 1], bottom) - std::max(rows[y], top);
            if (overlap == 0)
                continue;
            scaleAcross(y);
            const uint32_t weight = static_cast<uint32_t>(overlap);
            for (size_t v = 0; v < values; ++v)
                sum[v] += weight * across[v];
        }
        uint8_t* out = target.get() + static_cast<size_t>(k) * static_cast<size_t>(result->getStride());
        for (size_t v = 0; v < values; ++v)
            out[v] = static_cast<uint8_t>((sum[v] + (1u << 19)) >> 20);
    }
    return result;
}
