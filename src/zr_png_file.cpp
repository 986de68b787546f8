// PNG encoding through libpng. libpng reports its errors through our error
// callback, which throws the recorded ZrErrorCode straight through libpng's
// frames (libpng is built to let exceptions pass); there is no setjmp.
// Everything libpng allocates goes through our allocation callback and the
// library's memory functions.
#include "src/zr_png_file.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <typeinfo>

#include "src/zr_error.h"
#include "src/zr_grayscale_image.h"
#include "src/zr_indexed_image.h"
#include "src/zr_memory.h"
#include "src/zr_rgb_image.h"

namespace {

const char kSource[] = "src\\ZrPNGFile";
constexpr int32_t kErrorLine = 711;
constexpr int32_t kWarningLine = 720;
constexpr int32_t kAllocateLine = 735;

// The error record of one encoding: the first cause of failure, and the
// file being written. libpng holds it as its error, memory and I/O context.
struct PngRecord {
    ZrErrorCode error;
    ZrPNGFile* file;
};

PngRecord& RecordOf(png_voidp context) { return *static_cast<PngRecord*>(context); }

[[noreturn]] void OnError(png_structp png, png_const_charp) {
    PngRecord& record = RecordOf(png_get_error_ptr(png));
    if (record.error.kind() == ZrError::None)
        record.error = ZrErrorCode(ZrError::Other, 0, kSource, kErrorLine);
    throw ZrErrorCode(record.error);
}

void OnWarning(png_structp, png_const_charp) { zrCheck(false, kSource, kWarningLine); }

png_voidp OnAllocate(png_structp png, png_alloc_size_t size) {
    void* block = zrAllocate(size);
    if (!block)
        RecordOf(png_get_mem_ptr(png)).error = {ZrError::OutOfMemory, 0, kSource, kAllocateLine};
    return block;
}

void OnFree(png_structp, png_voidp block) { zrRelease(block); }

void OnWriteData(png_structp png, png_bytep bytes, size_t count) {
    PngRecord& record = RecordOf(png_get_io_ptr(png));
    bool failed = false;
    try {
        record.file->write(bytes, count);
    } catch (const ZrErrorCode& e) {
        record.error = e;
        failed = true;
    }
    if (failed)
        png_error(png, "Write Error"); // the error callback throws the file's error
}

// The write structure with its main and end information structures,
// destroyed together however the encoding ends.
struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_infop endInfo = nullptr;

    PngWriter() = default;
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;
    ~PngWriter() {
        if (!png)
            return;
        if (endInfo)
            png_destroy_info_struct(png, &endInfo);
        png_destroy_write_struct(&png, &info);
    }
};

} // namespace

// ZrPNGGlobalInfo -------------------------------------------------------------

void ZrPNGGlobalInfo::formatName(char* buffer, size_t size) const {
    if (!buffer || size == 0)
        return;
    const char name[] = "PNG";
    const size_t length = std::min(size - 1, sizeof name - 1);
    std::memcpy(buffer, name, length);
    buffer[length] = '\0';
}

std::unique_ptr<ZrImgFmtGlobalInfo> ZrPNGGlobalInfo::clone() const {
    return zrMake<ZrPNGGlobalInfo>(kSource, __LINE__, bitDepth, colorType, interlaceType);
}

// ZrPNGFile -------------------------------------------------------------------

void ZrPNGFile::beginWrite() {}
void ZrPNGFile::endWrite() {}
void ZrPNGFile::afterClose() {}

const char* ZrPNGFile::formatName() const { return "PNG"; }

std::unique_ptr<ZrImgFmtGlobalInfo> ZrPNGFile::createFormatInfo() const {
    return zrMake<ZrPNGGlobalInfo>(kSource, __LINE__, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE);
}

bool ZrPNGFile::canWrite(const ZrImage& image) const {
    const std::type_info& kind = typeid(image);
    return kind == typeid(ZrRGBImage) || kind == typeid(ZrGrayscaleImage) ||
           kind == typeid(ZrIndexedImage);
}

void ZrPNGFile::writeImage(const ZrImage& image, const ZrImgFmtGlobalInfo*) {
    // The pixel layouts libpng is given: 8 bits, one or three channels.
    const auto* real = dynamic_cast<const ZrRealImage*>(&image);
    if (!real)
        throw ZrErrorCode(ZrError::NotSupported, 0, kSource, __LINE__);
    int colorType, channels;
    switch (real->getFormat()) {
    case kZrFormatGray: colorType = PNG_COLOR_TYPE_GRAY, channels = 1; break;
    case kZrFormatRGB: colorType = PNG_COLOR_TYPE_RGB, channels = 3; break;
    case kZrFormatIndexed: colorType = PNG_COLOR_TYPE_PALETTE, channels = 1; break;
    default: throw ZrErrorCode(ZrError::NotSupported, 0, kSource, __LINE__);
    }
    if (real->getBitsPerChannel() != 8 || real->getChannels() != channels)
        throw ZrErrorCode(ZrError::NotSupported, 0, kSource, __LINE__);
    const auto* fileInfo = dynamic_cast<const ZrPNGGlobalInfo*>(getFormatInfo());
    const int interlace = fileInfo ? fileInfo->interlaceType : PNG_INTERLACE_NONE;
    const int32_t width = real->getWidth(), height = real->getHeight();

    // Declared before the structures that point at it, so it outlives them.
    PngRecord record{ZrErrorCode(), this};
    PngWriter writer;
    // The error callbacks are in place from the first allocation on.
    writer.png = png_create_write_struct_2(PNG_LIBPNG_VER_STRING, &record, OnError, OnWarning,
                                           &record, OnAllocate, OnFree);
    if (!writer.png)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, __LINE__);
    writer.info = png_create_info_struct(writer.png);
    if (!writer.info)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, __LINE__);
    writer.endInfo = png_create_info_struct(writer.png);
    if (!writer.endInfo)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, __LINE__);

    if (getMode() & kCountOnly)
        resetWritten();
    truncate();
    rewind();

    png_set_write_fn(writer.png, &record, OnWriteData, nullptr);
    png_set_write_status_fn(writer.png, nullptr);

    // A negative size is no size libpng knows; it refuses zero itself.
    png_set_IHDR(writer.png, writer.info, width < 0 ? 0 : static_cast<png_uint_32>(width),
                 height < 0 ? 0 : static_cast<png_uint_32>(height), 8, colorType, interlace,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        const ZrColorTable& table = static_cast<const ZrIndexedImage*>(real)->getPalette();
        png_color palette[PNG_MAX_PALETTE_LENGTH];
        const uint32_t count = std::min<uint32_t>(table.getCount(), PNG_MAX_PALETTE_LENGTH);
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* entry = table.getEntries() + size_t{i} * 3;
            palette[i] = png_color{entry[0], entry[1], entry[2]};
        }
        png_set_PLTE(writer.png, writer.info, palette, static_cast<int>(count));
    }
    png_write_info(writer.png, writer.info);

    const size_t rows = static_cast<size_t>(height);
    if (rows > SIZE_MAX / sizeof(png_bytep))
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, __LINE__);
    const std::unique_ptr<png_bytep[], ZrReleaser> rowTable(
        static_cast<png_bytep*>(zrAllocate(rows * sizeof(png_bytep))));
    if (!rowTable)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, __LINE__);
    {
        ZrPixelLock pixels(*real);
        for (size_t i = 0; i < rows; ++i)
            rowTable[i] = pixels.get() + i * static_cast<size_t>(real->getStride());
        const int passes = interlace == PNG_INTERLACE_NONE ? 1 : png_set_interlace_handling(writer.png);
        for (int pass = 0; pass < passes; ++pass)
            png_write_rows(writer.png, rowTable.get(), static_cast<png_uint_32>(rows));
    }
    png_write_end(writer.png, writer.endInfo);
}

// ZrWritePNG ------------------------------------------------------------------

std::unique_ptr<ZrImageFile> ZrWritePNG::createFile() const {
    return zrMake<ZrPNGFile>(kSource, __LINE__);
}
