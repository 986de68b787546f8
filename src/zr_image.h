// The raster image family: ZrImage (size, format and format information),
// ZrRealImage (pixels in a buffer) and the library's stride function. Every
// failure is a thrown ZrErrorCode; every image owns its buffer and its
// format information.
#pragma once

#include <cstdint>
#include <memory>

#include "src/zr_buffer.h"
#include "src/zr_format_info.h"

// Pixel formats (the `format` of every image).
constexpr int32_t kZrFormatPlain = 0;   // no byte order defined
constexpr int32_t kZrFormatRGB = 1;     // 3 x 8 bits: R, G, B
constexpr int32_t kZrFormatRGBX = 3;    // 4 x 8 bits: R, G, B, X
constexpr int32_t kZrFormatGray = 4;    // 1 x 8 bits: grey level
constexpr int32_t kZrFormatIndexed = 5; // 1 x 8 bits: palette index
constexpr int32_t kZrFormatBGRX = 6;    // 4 x 8 bits: B, G, R, X (the word 0x00RRGGBB)

// Every new image's auxiliary size.
constexpr int32_t kZrDefaultAuxWidth = 100;
constexpr int32_t kZrDefaultAuxHeight = 100;

class ZrRealImage;

// Bytes per row for an image of the given channel layout and width; a
// result below the packed row size is raised to it.
using ZrStrideFunction = int64_t (*)(const ZrRealImage& image, uint16_t bitsPerChannel,
                                     uint16_t channels, int32_t width);

// The library's stride function, which pads nothing: width x channels x
// bits / 8 for 8 and 16 bits, (width x channels + 7) / 8 for 1 bit. Other
// bit counts fail a consistency check and count as 1; so do 0 channels.
int64_t zrDefaultStride(const ZrRealImage& image, uint16_t bitsPerChannel, uint16_t channels,
                        int32_t width);

struct ZrPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// Tags choosing the mirror axis of flippedCopy.
struct ZrLeftRight {};
struct ZrTopBottom {};

// Four bytes of fill colour: red, green, blue and the byte that carries no
// colour. New images take black.
struct ZrFillColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t fourth = 0;
};

class ZrImage {
public:
    ZrImage(const ZrImage&) = delete;
    ZrImage& operator=(const ZrImage&) = delete;

    // A new image of the same class, size, format, kind attributes, pixels
    // and format information; the caller owns it. Throws ZrErrorCode (37 for
    // a class without one, 2 when memory runs out).
    virtual std::unique_ptr<ZrImage> clone() const = 0;
    // Gives the image a new size; see ZrRealImage for the pixels.
    virtual void setSize(int32_t width, int32_t height);
    virtual int32_t getWidth() const;
    virtual int32_t getHeight() const;
    virtual void setAuxSize(int32_t width, int32_t height);
    // The attached format information, owned by the image; null when none.
    virtual ZrImgFmtGlobalInfo* getFormatInfo() const;
    // Deletes the attached information and takes `info` (may be null).
    virtual void setFormatInfo(std::unique_ptr<ZrImgFmtGlobalInfo> info);
    // Attaches a copy of `other`'s information, or none when it has none;
    // throws ZrErrorCode 2 when memory runs out, keeping the old one then.
    virtual void copyFormatInfo(const ZrImage& other);
    // Hands the attached information to the caller and keeps none.
    virtual std::unique_ptr<ZrImgFmtGlobalInfo> detachFormatInfo();
    // Takes `info` and hands the previously attached one to the caller.
    virtual std::unique_ptr<ZrImgFmtGlobalInfo>
    replaceFormatInfo(std::unique_ptr<ZrImgFmtGlobalInfo> info);
    // Copies the colours of columns x0 .. x1 - 1 and rows y0 .. y1 - 1 into
    // `dst`: pixel (x, y) goes to byte (dstY + y - y0) x dstStride + (dstX +
    // x - x0) x dstPixelBytes, its red, green and blue at the three offsets;
    // other bytes are left alone. Bad arguments fail a consistency check and
    // copy nothing. Throws ZrErrorCode where the class says so.
    virtual void exportRGB(int32_t x0, int32_t y0, int32_t y1, int32_t x1, int32_t dstX,
                           int32_t dstY, int32_t dstStride, int32_t dstPixelBytes,
                           int32_t redOffset, int32_t greenOffset, int32_t blueOffset,
                           uint8_t* dst) const = 0;
    // Copies all of `source` (same format, bits and channels) into this image
    // with its top left at `position`, kind attributes first. A source that
    // does not match or fit fails a consistency check and nothing is copied.
    virtual void copyRegionFrom(ZrPoint position, const ZrImage& source) = 0;
    // A clone mirrored left-right or top-bottom; the caller owns it. Throws
    // what clone throws.
    virtual std::unique_ptr<ZrImage> flippedCopy(ZrLeftRight) const = 0;
    virtual std::unique_ptr<ZrImage> flippedCopy(ZrTopBottom) const = 0;
    // A new image of the same kind scaled to the size; the caller owns it.
    // Throws ZrErrorCode (37 for a class without one, 2 when memory runs out).
    virtual std::unique_ptr<ZrImage> resizedCopy(int32_t width, int32_t height) const = 0;
    virtual ~ZrImage();
    // Forgets the buffer, bits, channels and stride without freeing
    // anything: the buffer, with its memory, goes to the caller (null when
    // there was none).
    virtual std::unique_ptr<ZrBaseBuffer> reset() = 0;
    // A new image of the same class sized x1 - x0 by y1 - y0, pixels cleared;
    // the caller owns it. Throws ZrErrorCode (2 when memory runs out or the
    // size is negative).
    virtual std::unique_ptr<ZrImage> createCompatible(int32_t x0, int32_t y0, int32_t y1,
                                                      int32_t x1) const = 0;
    // Copies what is particular to the kind (an indexed image's palette, a
    // grey image's polarity) from an image of the same kind.
    virtual void copyKindAttributes(const ZrImage& other) = 0;
    // Sets every pixel to the kind's fill value (every byte 0 for a plain
    // image). Throws ZrErrorCode 27 when there are no pixels.
    virtual void clear() = 0;
    // Makes the buffer hold stride x height bytes (uninitialised), keeping
    // memory that already has that size. Throws ZrErrorCode 2 when memory
    // runs out or the size cannot be represented.
    virtual void allocatePixels() = 0;
    // Frees the pixel memory; nothing when there is none. Never throws.
    virtual void freePixels() noexcept = 0;
    // The stride function's result for the current width.
    virtual int64_t computeStride() const = 0;

    int32_t getFormat() const { return format; }
    int32_t getAuxWidth() const { return auxWidth; }
    int32_t getAuxHeight() const { return auxHeight; }

protected:
    ZrImage(int32_t format, int32_t width, int32_t height);

    int32_t format;
    int32_t width;
    int32_t height;

private:
    std::unique_ptr<ZrImgFmtGlobalInfo> formatInfo;
    int32_t auxWidth = kZrDefaultAuxWidth;
    int32_t auxHeight = kZrDefaultAuxHeight;
};

class ZrRealImage : public ZrImage {
public:
    // An image of width x height pixels of `channels` channels of `bits`
    // bits, over `buffer` (owned from here on, also when this throws) or a
    // new ZrBuffer when null. With `clear`, every byte starts as 0. Throws
    // ZrErrorCode 2 when memory runs out or the size cannot be represented;
    // nothing is left allocated then.
    ZrRealImage(ZrStrideFunction strideFunction, int32_t format, int32_t width, int32_t height,
                uint16_t bitsPerChannel, uint16_t channels, std::unique_ptr<ZrBaseBuffer> buffer,
                bool clear);

    // Throws ZrErrorCode 37: a plain image cannot be cloned.
    std::unique_ptr<ZrImage> clone() const override;
    // New pixel memory of the new size from a buffer of the same kind (a
    // ZrBuffer when the kind has none), contents undefined; nothing happens
    // at the current size. On failure (ZrErrorCode 2, or 1 while the pixels
    // are locked) the image is left exactly as it was.
    void setSize(int32_t width, int32_t height) override;
    // Fails a consistency check: a plain image has no colours.
    void exportRGB(int32_t x0, int32_t y0, int32_t y1, int32_t x1, int32_t dstX, int32_t dstY,
                   int32_t dstStride, int32_t dstPixelBytes, int32_t redOffset,
                   int32_t greenOffset, int32_t blueOffset, uint8_t* dst) const override;
    void copyRegionFrom(ZrPoint position, const ZrImage& source) override;
    std::unique_ptr<ZrImage> flippedCopy(ZrLeftRight) const override;
    std::unique_ptr<ZrImage> flippedCopy(ZrTopBottom) const override;
    // Throws ZrErrorCode 37.
    std::unique_ptr<ZrImage> resizedCopy(int32_t width, int32_t height) const override;
    ~ZrRealImage() override;
    std::unique_ptr<ZrBaseBuffer> reset() override;
    // A plain image (format 0) of the same bits, channels and stride function.
    std::unique_ptr<ZrImage> createCompatible(int32_t x0, int32_t y0, int32_t y1,
                                              int32_t x1) const override;
    void copyKindAttributes(const ZrImage& other) override;
    void clear() override;
    void allocatePixels() override;
    void freePixels() noexcept override;
    int64_t computeStride() const override;

    // Start of the pixel area, for access until the matching unlockPixels;
    // calls nest and return the same pointer. Throws ZrErrorCode 27 when the
    // image holds no pixel memory.
    uint8_t* lockPixels() const;
    // Ends one lockPixels; an unlock without a lock fails a consistency
    // check and does nothing.
    void unlockPixels() const noexcept;

    uint16_t getBitsPerChannel() const { return bitsPerChannel; }
    uint16_t getChannels() const { return channels; }
    int32_t getStride() const { return stride; }
    ZrStrideFunction getStrideFunction() const { return strideFunction; }
    // The buffer, owned by the image; null after reset.
    ZrBaseBuffer* getBuffer() const { return buffer.get(); }

protected:
    // Copies the pixel bytes of `source`, an image of the same size and
    // layout, into this one.
    void copyPixelsFrom(const ZrRealImage& source);
    // The address of pixel (x, y) in locked `pixels` of `pixelBytes` bytes each.
    const uint8_t* pixelAt(const uint8_t* pixels, int32_t x, int32_t y, size_t pixelBytes) const;
    // Where exportRGB puts source row y of a region starting at row y0.
    static uint8_t* exportRow(uint8_t* dst, int32_t dstX, int32_t dstY, int32_t dstStride,
                              size_t dstPixelBytes, int32_t y, int32_t y0);
    // Sets every pixel of every row to the `pixelBytes` bytes of `pattern`.
    void fillPixels(const uint8_t* pattern, size_t pixelBytes);
    // Checks exportRGB's arguments; false (after a failed consistency check)
    // when they are unusable.
    bool exportArgumentsValid(int32_t x0, int32_t y0, int32_t y1, int32_t x1, int32_t dstX,
                              int32_t dstY, int32_t dstStride, int32_t dstPixelBytes,
                              int32_t redOffset, int32_t greenOffset, int32_t blueOffset,
                              const uint8_t* dst) const;
    // The size of a region (x0, y0, y1, x1) as a width and height; throws
    // ZrErrorCode 2 when it is negative or cannot be represented.
    static void regionSize(int32_t x0, int32_t y0, int32_t y1, int32_t x1, int32_t& width,
                           int32_t& height);

private:
    void mirrorLeftRight();
    void mirrorTopBottom();

    std::unique_ptr<ZrBaseBuffer> buffer;
    uint16_t bitsPerChannel = 0;
    uint16_t channels = 0;
    int32_t stride = 0;
    ZrStrideFunction strideFunction;
};

// Holds an image's pixels locked for its own lifetime.
class ZrPixelLock {
public:
    // Throws what lockPixels throws.
    explicit ZrPixelLock(const ZrRealImage& image) : image(image), pixels(image.lockPixels()) {}
    ~ZrPixelLock() { image.unlockPixels(); }
    ZrPixelLock(const ZrPixelLock&) = delete;
    ZrPixelLock& operator=(const ZrPixelLock&) = delete;

    uint8_t* get() const { return pixels; }

private:
    const ZrRealImage& image;
    uint8_t* pixels;
};
