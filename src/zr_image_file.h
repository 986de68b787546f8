// Image files and image writers. A writer (ZrWriteImage) makes the file
// object of its format and drives the write sequence; the file object
// (ZrImageFile) holds the file, the image count and size, the format
// information, and the steps particular to its format.
#pragma once

#include <cstdint>
#include <memory>

#include "src/zr_file.h"
#include "src/zr_format_info.h"
#include "src/zr_image.h"

class ZrImageFile : public ZrFile {
public:
    ZrImageFile() = default;

    // Format steps around the images of one file. Throw ZrErrorCode.
    virtual void beginWrite() = 0;
    // Encodes `image` into the open file; `imageInfo` is the image's own
    // format information (may be null). Throws ZrErrorCode.
    virtual void writeImage(const ZrImage& image, const ZrImgFmtGlobalInfo* imageInfo) = 0;
    virtual void endWrite() = 0;
    // Called once a write sequence has closed the file; does nothing here.
    virtual void afterClose();
    // The format's short name, such as "PNG"; static text.
    virtual const char* formatName() const = 0;
    // Images to write; a file open for something else than writing fails a
    // consistency check.
    virtual void setImageCount(int32_t count);
    // Size of the images; same check.
    virtual void setImageSize(int32_t width, int32_t height);
    // The format's default information for a new file; the caller owns it.
    // Throws ZrErrorCode 2 when memory runs out.
    virtual std::unique_ptr<ZrImgFmtGlobalInfo> createFormatInfo() const = 0;
    // Whether this format can store `image`.
    virtual bool canWrite(const ZrImage& image) const = 0;
    // A copy of the attached information (null when none) that the caller
    // owns; throws ZrErrorCode 2 when memory runs out.
    virtual std::unique_ptr<ZrImgFmtGlobalInfo> cloneFormatInfo() const;
    // Deletes the attached information and takes `info` (may be null).
    virtual void setFormatInfo(std::unique_ptr<ZrImgFmtGlobalInfo> info);
    // Deletes the format information and the file name; closes a descriptor
    // left open.
    virtual ~ZrImageFile();

    // The write sequence, in order. startWriting opens the named file for
    // writing unless the file is already open for writing (attached to a
    // descriptor, or counting only), attaches createFormatInfo when there
    // is no information and empties the file; putImage writes the next
    // image (beginWrite before the first, endWrite after the last of the
    // count); finishWriting closes and resets. Each throws ZrErrorCode; after a
    // throw, abandonWriting closes the file (errors ignored) and resets.
    void startWriting();
    void putImage(const ZrImage& image);
    void finishWriting();
    void abandonWriting() noexcept;

    // The attached information, owned by the file; null when none.
    ZrImgFmtGlobalInfo* getFormatInfo() const { return formatInfo.get(); }
    int32_t getImageCount() const { return imageCount; }
    int32_t getImageWidth() const { return imageWidth; }
    int32_t getImageHeight() const { return imageHeight; }
    int32_t getImagesWritten() const { return imagesWritten; }
    bool hasBegun() const { return begun; }

private:
    // Deletes the format information and sets count, size and flags to 0.
    void resetWriteState() noexcept;

    int32_t imageCount = 0;
    int32_t imageWidth = 0;
    int32_t imageHeight = 0;
    bool begun = false;
    int32_t imagesWritten = 0;
    std::unique_ptr<ZrImgFmtGlobalInfo> formatInfo;
};

class ZrWriteImage {
public:
    ZrWriteImage() = default;
    ZrWriteImage(const ZrWriteImage&) = delete;
    ZrWriteImage& operator=(const ZrWriteImage&) = delete;

    virtual ~ZrWriteImage();
    // Writes `image` as the one image of the file that `locator` names,
    // through a new file that replaces it only once the whole file is
    // written (ZrReplacement): on any failure the old file stays as it was.
    // Throws ZrErrorCode (4 without a name, 5 for a target that may not be
    // written, else the file's or the format's failure).
    virtual void write(const ZrImage& image, const ZrFileLocator& locator);
    // Whether the format can store `image`; throws ZrErrorCode 2 when memory
    // runs out.
    virtual bool canWrite(const ZrImage& image);
    // A new file object of the format that the caller owns; throws
    // ZrErrorCode 2 when memory runs out.
    virtual std::unique_ptr<ZrImageFile> createFile() const = 0;
};
