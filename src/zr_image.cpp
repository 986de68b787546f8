#include "src/zr_image.h"

#include <algorithm>
#include <cstring>

#include "src/zr_error.h"
#include "src/zr_memory.h"

namespace {

const char kSource[] = "src\\ZrRealImage";

bool WholeBytes(uint16_t bits) { return bits == 8 || bits == 16; }

// Bytes of a row with nothing between the pixels; bit counts other than 8
// and 16 count as 1.
int64_t PackedRowBytes(uint16_t bits, uint16_t channels, int32_t width) {
    const int64_t values = int64_t{width} * channels;
    return WholeBytes(bits) ? values * (bits / 8) : (values + 7) / 8;
}

bool GetBit(const uint8_t* row, uint64_t index) {
    return (row[index >> 3] >> (7 - (index & 7))) & 1;
}

void SetBit(uint8_t* row, uint64_t index, bool value) {
    const uint8_t mask = static_cast<uint8_t>(0x80u >> (index & 7));
    if (value)
        row[index >> 3] |= mask;
    else
        row[index >> 3] &= static_cast<uint8_t>(~mask);
}

} // namespace

int64_t zrDefaultStride(const ZrRealImage&, uint16_t bitsPerChannel, uint16_t channels,
                        int32_t width) {
    zrCheck(channels != 0, kSource, __LINE__);
    zrCheck(WholeBytes(bitsPerChannel) || bitsPerChannel == 1, kSource, __LINE__);
    return PackedRowBytes(bitsPerChannel, channels, width);
}

// ZrImage ---------------------------------------------------------------

ZrImage::ZrImage(int32_t format, int32_t width, int32_t height)
    : format(format), width(width), height(height) {}

ZrImage::~ZrImage() = default;

void ZrImage::setSize(int32_t newWidth, int32_t newHeight) {
    width = newWidth;
    height = newHeight;
}

int32_t ZrImage::getWidth() const { return width; }
int32_t ZrImage::getHeight() const { return height; }

void ZrImage::setAuxSize(int32_t w, int32_t h) {
    auxWidth = w;
    auxHeight = h;
}

ZrImgFmtGlobalInfo* ZrImage::getFormatInfo() const { return formatInfo.get(); }

void ZrImage::setFormatInfo(std::unique_ptr<ZrImgFmtGlobalInfo> info) {
    formatInfo = std::move(info);
}

void ZrImage::copyFormatInfo(const ZrImage& other) {
    std::unique_ptr<ZrImgFmtGlobalInfo> copy;
    if (const ZrImgFmtGlobalInfo* info = other.getFormatInfo())
        copy = info->clone();
    setFormatInfo(std::move(copy));
}

std::unique_ptr<ZrImgFmtGlobalInfo> ZrImage::detachFormatInfo() { return std::move(formatInfo); }

std::unique_ptr<ZrImgFmtGlobalInfo>
ZrImage::replaceFormatInfo(std::unique_ptr<ZrImgFmtGlobalInfo> info) {
    std::unique_ptr<ZrImgFmtGlobalInfo> old = detachFormatInfo();
    setFormatInfo(std::move(info));
    return old;
}

// ZrRealImage: construction and memory -------------------------------------

ZrRealImage::ZrRealImage(ZrStrideFunction strideFunction, int32_t format, int32_t width,
                         int32_t height, uint16_t bitsPerChannel, uint16_t channels,
                         std::unique_ptr<ZrBaseBuffer> buffer, bool clear)
    : ZrImage(format, width, height), buffer(std::move(buffer)),
      strideFunction(strideFunction ? strideFunction : zrDefaultStride) {
    zrCheck(bitsPerChannel != 0 && channels != 0, kSource, __LINE__);
    zrCheck(strideFunction != nullptr, kSource, __LINE__);
    if (!this->buffer)
        this->buffer = zrMake<ZrBuffer>(kSource, __LINE__);
    this->bitsPerChannel = bitsPerChannel;
    this->channels = channels;
    // A throw from here on deletes the buffer with the half-built image; a
    // ZrBuffer frees its memory as it goes.
    ZrRealImage::allocatePixels();
    if (clear)
        ZrRealImage::clear();
}

ZrRealImage::~ZrRealImage() { ZrRealImage::freePixels(); }

void ZrRealImage::allocatePixels() {
    if (width < 0 || height < 0)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, __LINE__);
    int64_t rowBytes = computeStride();
    const int64_t packed = PackedRowBytes(bitsPerChannel, channels, width);
    if (rowBytes < packed) {
        // A stride function that leaves no room for the pixels of a row.
        zrCheck(false, kSource, __LINE__);
        rowBytes = packed;
    }
    if (rowBytes > INT32_MAX)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, __LINE__);
    const uint64_t total = static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(height);
    if (total > UINT32_MAX || total > SIZE_MAX)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, __LINE__);
    stride = static_cast<int32_t>(rowBytes);
    if (!buffer)
        buffer = zrMake<ZrBuffer>(kSource, __LINE__);
    if (buffer->isAllocated() && buffer->getSize() == total)
        return;
    buffer->allocateBlock(static_cast<uint32_t>(total));
}

void ZrRealImage::freePixels() noexcept {
    if (buffer && buffer->isAllocated())
        buffer->freeBlock();
}

int64_t ZrRealImage::computeStride() const {
    return strideFunction(*this, bitsPerChannel, channels, width);
}

std::unique_ptr<ZrBaseBuffer> ZrRealImage::reset() {
    bitsPerChannel = 0;
    channels = 0;
    stride = 0;
    return std::move(buffer);
}

void ZrRealImage::setSize(int32_t newWidth, int32_t newHeight) {
    zrCheck(buffer != nullptr, kSource, __LINE__);
    if (newWidth == width && newHeight == height)
        return;
    if (buffer && buffer->getLockCount() > 0) {
        // Someone holds a pointer into the pixels that would be freed.
        zrCheck(false, kSource, __LINE__);
        throw ZrErrorCode(ZrError::Other, 0, kSource, __LINE__);
    }
    std::unique_ptr<ZrBaseBuffer> fresh;
    if (buffer) {
        try {
            fresh = buffer->newEmptyOfSameKind();
        } catch (const ZrErrorCode& e) {
            if (e.kind() != ZrError::NotSupported)
                throw;
        }
    }
    if (!fresh)
        fresh = zrMake<ZrBuffer>(kSource, __LINE__);

    const int32_t oldWidth = width, oldHeight = height, oldStride = stride;
    std::unique_ptr<ZrBaseBuffer> old = std::move(buffer);
    buffer = std::move(fresh);
    width = newWidth;
    height = newHeight;
    try {
        allocatePixels();
    } catch (...) {
        buffer = std::move(old); // deletes the new buffer
        width = oldWidth;
        height = oldHeight;
        stride = oldStride;
        throw;
    }
    if (old && old->isAllocated())
        old->freeBlock();
}

uint8_t* ZrRealImage::lockPixels() const {
    if (!buffer)
        throw ZrErrorCode(ZrError::NoMemoryHeld, 0, kSource, __LINE__);
    return buffer->lock();
}

void ZrRealImage::unlockPixels() const noexcept {
    if (!buffer) {
        zrCheck(false, kSource, __LINE__);
        return;
    }
    buffer->unlock();
}

// ZrRealImage: pixel operations -------------------------------------------

std::unique_ptr<ZrImage> ZrRealImage::clone() const {
    throw ZrErrorCode(ZrError::NotSupported, 0, kSource, __LINE__);
}

void ZrRealImage::clear() {
    ZrPixelLock pixels(*this);
    std::memset(pixels.get(), 0, static_cast<size_t>(stride) * static_cast<size_t>(height));
}

const uint8_t* ZrRealImage::pixelAt(const uint8_t* pixels, int32_t x, int32_t y,
                                    size_t pixelBytes) const {
    return pixels + static_cast<size_t>(y) * static_cast<size_t>(stride) +
           static_cast<size_t>(x) * pixelBytes;
}

uint8_t* ZrRealImage::exportRow(uint8_t* dst, int32_t dstX, int32_t dstY, int32_t dstStride,
                                size_t dstPixelBytes, int32_t y, int32_t y0) {
    return dst + static_cast<size_t>(dstY + int64_t{y} - y0) * static_cast<size_t>(dstStride) +
           static_cast<size_t>(dstX) * dstPixelBytes;
}

void ZrRealImage::fillPixels(const uint8_t* pattern, size_t pixelBytes) {
    ZrPixelLock pixels(*this);
    for (int32_t r = 0; r < height; ++r) {
        uint8_t* row = pixels.get() + static_cast<size_t>(r) * static_cast<size_t>(stride);
        for (int32_t i = 0; i < width; ++i)
            std::memcpy(row + pixelBytes * static_cast<size_t>(i), pattern, pixelBytes);
    }
}

void ZrRealImage::copyPixelsFrom(const ZrRealImage& source) {
    const int32_t rows = std::min(height, source.height);
    if (rows <= 0)
        return;
    ZrPixelLock from(source);
    ZrPixelLock to(*this);
    if (stride == source.stride) {
        std::memcpy(to.get(), from.get(), static_cast<size_t>(stride) * static_cast<size_t>(rows));
        return;
    }
    const size_t rowBytes = static_cast<size_t>(std::min(stride, source.stride));
    for (int32_t r = 0; r < rows; ++r)
        std::memcpy(to.get() + static_cast<size_t>(r) * static_cast<size_t>(stride),
                    from.get() + static_cast<size_t>(r) * static_cast<size_t>(source.stride),
                    rowBytes);
}

void ZrRealImage::exportRGB(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                            int32_t, int32_t, int32_t, int32_t, uint8_t*) const {
    zrCheck(false, kSource, __LINE__);
}

bool ZrRealImage::exportArgumentsValid(int32_t x0, int32_t y0, int32_t y1, int32_t x1,
                                       int32_t dstX, int32_t dstY, int32_t dstStride,
                                       int32_t dstPixelBytes, int32_t redOffset,
                                       int32_t greenOffset, int32_t blueOffset,
                                       const uint8_t* dst) const {
    const bool offsets = redOffset >= 0 && greenOffset >= 0 && blueOffset >= 0 &&
                         redOffset < dstPixelBytes && greenOffset < dstPixelBytes &&
                         blueOffset < dstPixelBytes && redOffset != greenOffset &&
                         redOffset != blueOffset && greenOffset != blueOffset;
    const bool rectangle = x0 >= 0 && y0 >= 0 && x0 < x1 && y0 < y1 && x1 <= width && y1 <= height;
    const bool target = dst != nullptr && dstX >= 0 && dstY >= 0 && dstStride >= 0;
    const bool valid = offsets && rectangle && target;
    zrCheck(valid, kSource, __LINE__);
    return valid;
}

void ZrRealImage::regionSize(int32_t x0, int32_t y0, int32_t y1, int32_t x1, int32_t& w,
                             int32_t& h) {
    const int64_t width64 = int64_t{x1} - x0, height64 = int64_t{y1} - y0;
    if (width64 < 0 || height64 < 0 || width64 > INT32_MAX || height64 > INT32_MAX)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, __LINE__);
    w = static_cast<int32_t>(width64);
    h = static_cast<int32_t>(height64);
}

std::unique_ptr<ZrImage> ZrRealImage::createCompatible(int32_t x0, int32_t y0, int32_t y1,
                                                       int32_t x1) const {
    int32_t w, h;
    regionSize(x0, y0, y1, x1, w, h);
    return zrMake<ZrRealImage>(kSource, __LINE__, strideFunction, kZrFormatPlain, w, h,
                               bitsPerChannel, channels, nullptr, true);
}

void ZrRealImage::copyKindAttributes(const ZrImage&) {}

void ZrRealImage::copyRegionFrom(ZrPoint position, const ZrImage& source) {
    const auto* from = dynamic_cast<const ZrRealImage*>(&source);
    const bool matches = from && from->format == format &&
                         from->bitsPerChannel == bitsPerChannel && from->channels == channels;
    const bool fits = matches && position.x >= 0 && position.y >= 0 &&
                      int64_t{position.x} + from->width <= width &&
                      int64_t{position.y} + from->height <= height;
    zrCheck(matches && fits, kSource, __LINE__);
    if (!fits)
        return;
    copyKindAttributes(source);
    if (from->width == 0 || from->height == 0)
        return;

    ZrPixelLock src(*from);
    ZrPixelLock dst(*this);
    for (int32_t r = 0; r < from->height; ++r) {
        const uint8_t* in = src.get() + static_cast<size_t>(r) * static_cast<size_t>(from->stride);
        uint8_t* out =
            dst.get() + static_cast<size_t>(position.y + r) * static_cast<size_t>(stride);
        if (WholeBytes(bitsPerChannel)) {
            const size_t pixelBytes = size_t{channels} * (bitsPerChannel / 8);
            std::memmove(out + static_cast<size_t>(position.x) * pixelBytes, in,
                         static_cast<size_t>(from->width) * pixelBytes);
        } else {
            // One bit per channel, most significant bit first.
            const uint64_t count = uint64_t{static_cast<uint32_t>(from->width)} * channels;
            const uint64_t first = uint64_t{static_cast<uint32_t>(position.x)} * channels;
            for (uint64_t i = 0; i < count; ++i)
                SetBit(out, first + i, GetBit(in, i));
        }
    }
}

void ZrRealImage::mirrorLeftRight() {
    if (width < 2 || height <= 0)
        return;
    ZrPixelLock pixels(*this);
    for (int32_t r = 0; r < height; ++r) {
        uint8_t* row = pixels.get() + static_cast<size_t>(r) * static_cast<size_t>(stride);
        if (WholeBytes(bitsPerChannel)) {
            const size_t pixelBytes = size_t{channels} * (bitsPerChannel / 8);
            for (size_t i = 0, j = static_cast<size_t>(width) - 1; i < j; ++i, --j) {
                uint8_t* a = row + i * pixelBytes;
                uint8_t* b = row + j * pixelBytes;
                if (pixelBytes == 4) {
                    uint32_t wa, wb;
                    std::memcpy(&wa, a, 4);
                    std::memcpy(&wb, b, 4);
                    std::memcpy(a, &wb, 4);
                    std::memcpy(b, &wa, 4);
                } else {
                    std::swap_ranges(a, a + pixelBytes, b);
                }
            }
        } else {
            for (uint64_t i = 0, j = static_cast<uint64_t>(width) - 1; i < j; ++i, --j) {
                for (uint64_t c = 0; c < channels; ++c) {
                    const bool left = GetBit(row, i * channels + c);
                    SetBit(row, i * channels + c, GetBit(row, j * channels + c));
                    SetBit(row, j * channels + c, left);
                }
            }
        }
    }
}

void ZrRealImage::mirrorTopBottom() {
    if (height < 2)
        return;
    ZrPixelLock pixels(*this);
    const size_t rowBytes = static_cast<size_t>(stride);
    for (size_t top = 0, bottom = static_cast<size_t>(height) - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels.get() + top * rowBytes, pixels.get() + (top + 1) * rowBytes,
                         pixels.get() + bottom * rowBytes);
}

std::unique_ptr<ZrImage> ZrRealImage::flippedCopy(ZrLeftRight) const {
    std::unique_ptr<ZrImage> copy = clone();
    auto* real = dynamic_cast<ZrRealImage*>(copy.get());
    if (!real)
        throw ZrErrorCode(ZrError::NotSupported, 0, kSource, __LINE__);
    real->mirrorLeftRight();
    return copy;
}

std::unique_ptr<ZrImage> ZrRealImage::flippedCopy(ZrTopBottom) const {
    std::unique_ptr<ZrImage> copy = clone();
    auto* real = dynamic_cast<ZrRealImage*>(copy.get());
    if (!real)
        throw ZrErrorCode(ZrError::NotSupported, 0, kSource, __LINE__);
    real->mirrorTopBottom();
    return copy;
}

std::unique_ptr<ZrImage> ZrRealImage::resizedCopy(int32_t, int32_t) const {
    throw ZrErrorCode(ZrError::NotSupported, 0, kSource, __LINE__);
}
