// PNG files: the format information of a PNG, the file object that encodes
// an image through libpng, and the writer that the export uses.
#pragma once

#include <cstdint>
#include <memory>

#include "src/zr_image_file.h"

// What a PNG records about its image, in PNG numbering.
class ZrPNGGlobalInfo : public ZrImgFmtGlobalInfo {
public:
    ZrPNGGlobalInfo(int32_t bitDepth, int32_t colorType, int32_t interlaceType)
        : bitDepth(bitDepth), colorType(colorType), interlaceType(interlaceType) {}

    // "PNG", cut to fit.
    void formatName(char* buffer, size_t size) const override;
    // Throws ZrErrorCode 2 when memory runs out.
    std::unique_ptr<ZrImgFmtGlobalInfo> clone() const override;

    int32_t bitDepth;
    int32_t colorType;     // 0 grey, 2 RGB, 3 palette
    int32_t interlaceType; // 0 none, 1 Adam7
};

class ZrPNGFile : public ZrImageFile {
public:
    void beginWrite() override;
    // Encodes an 8-bit RGB (format 1), grey (4) or palette (5, with a PLTE
    // chunk of at most 256 entries) image as the whole content of the open
    // file: signature, IHDR, IDAT and IEND chunks with libpng's default
    // compression, interlaced as the file's format information says.
    // Throws ZrErrorCode: 37 for another kind of image, 2 when memory runs
    // out, the file's own error when writing fails, 1 for any other libpng
    // error. Everything it allocated is released on every path.
    void writeImage(const ZrImage& image, const ZrImgFmtGlobalInfo* imageInfo) override;
    void endWrite() override;
    void afterClose() override;
    // "PNG".
    const char* formatName() const override;
    // Bit depth 8, colour type 2, no interlacing. Throws ZrErrorCode 2 when
    // memory runs out.
    std::unique_ptr<ZrImgFmtGlobalInfo> createFormatInfo() const override;
    // True for images whose class is exactly ZrRGBImage, ZrGrayscaleImage or
    // ZrIndexedImage.
    bool canWrite(const ZrImage& image) const override;
};

class ZrWritePNG : public ZrWriteImage {
public:
    // A new ZrPNGFile; throws ZrErrorCode 2 when memory runs out.
    std::unique_ptr<ZrImageFile> createFile() const override;
};
