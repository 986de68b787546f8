#include "src/zr_image_file.h"

#include "src/zr_error.h"
#include "src/zr_replacement.h"

namespace {
const char kSource[] = "src\\ZrImageFile";
} // namespace

// ZrImageFile -------------------------------------------------------------

ZrImageFile::~ZrImageFile() = default;

void ZrImageFile::afterClose() {}

void ZrImageFile::setImageCount(int32_t count) {
    zrCheck(!isOpen() || (getMode() & kWrite), kSource, __LINE__);
    imageCount = count;
}

void ZrImageFile::setImageSize(int32_t width, int32_t height) {
    zrCheck(!isOpen() || (getMode() & kWrite), kSource, __LINE__);
    imageWidth = width;
    imageHeight = height;
}

std::unique_ptr<ZrImgFmtGlobalInfo> ZrImageFile::cloneFormatInfo() const {
    return formatInfo ? formatInfo->clone() : nullptr;
}

void ZrImageFile::setFormatInfo(std::unique_ptr<ZrImgFmtGlobalInfo> info) {
    formatInfo = std::move(info);
}

void ZrImageFile::startWriting() {
    if (!isOpen())
        openForWrite();
    if (!formatInfo)
        setFormatInfo(createFormatInfo());
    if (getMode() & kCountOnly)
        resetWritten();
    truncate();
}

void ZrImageFile::putImage(const ZrImage& image) {
    zrCheck(imagesWritten < imageCount, kSource, __LINE__);
    if (imagesWritten == 0) {
        zrCheck(isOpen() && (getMode() & kWrite), kSource, __LINE__);
        beginWrite();
        begun = true;
    }
    writeImage(image, image.getFormatInfo());
    ++imagesWritten;
    if (imagesWritten == imageCount)
        endWrite();
}

void ZrImageFile::finishWriting() {
    close();
    resetWriteState();
    afterClose();
}

void ZrImageFile::abandonWriting() noexcept {
    if (isOpen()) {
        try {
            close();
        } catch (const ZrErrorCode&) {
            // The error being reported is the one that stopped the write.
        }
    }
    resetWriteState();
}

void ZrImageFile::resetWriteState() noexcept {
    formatInfo.reset();
    imageCount = 0;
    imageWidth = 0;
    imageHeight = 0;
    begun = false;
    imagesWritten = 0;
}

// ZrWriteImage ----------------------------------------------------------------

ZrWriteImage::~ZrWriteImage() = default;

// The image goes to a new file beside the target, written through the
// descriptor that made it, which takes the target's place only when all of
// it was written (see ZrReplacement).
void ZrWriteImage::write(const ZrImage& image, const ZrFileLocator& locator) {
    const std::unique_ptr<ZrImageFile> file = createFile();
    ZrReplacement replacement(locator.getKind() == ZrFileLocator::kEmpty ? nullptr
                                                                         : locator.getName());
    file->setImageCount(1);
    try {
        file->setImageSize(image.getWidth(), image.getHeight());
        replacement.open(*file);
        file->startWriting();
        file->putImage(image);
        file->finishWriting();
        replacement.commit();
    } catch (const ZrErrorCode&) {
        file->abandonWriting();
        throw;
    }
}

bool ZrWriteImage::canWrite(const ZrImage& image) {
    return createFile()->canWrite(image);
}
