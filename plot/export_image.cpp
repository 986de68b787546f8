#include "plot/export_image.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "src/log.h"
#include "src/shown_text.h"
#include "src/zr_error.h"
#include "src/zr_file.h"
#include "src/zr_image_converter.h"
#include "src/zr_png_file.h"

std::unique_ptr<Zr32BitImage> MakeExportImage(Canvas& canvas) {
    const uint64_t bytes =
        4ull * static_cast<uint64_t>(canvas.Width()) * static_cast<uint64_t>(canvas.Height());
    if (bytes > UINT32_MAX)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, "app\\ExportImage", __LINE__);
    std::unique_ptr<ZrBaseBuffer> buffer(new (std::nothrow) ZrInPlaceBuffer(
        reinterpret_cast<uint8_t*>(canvas.bits()), static_cast<uint32_t>(bytes), true));
    if (!buffer)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, "app\\ExportImage", __LINE__);
    std::unique_ptr<Zr32BitImage> image(new (std::nothrow) Zr32BitImage(
        canvas.Width(), canvas.Height(), kZrFormatBGRX, zrDefaultStride, std::move(buffer), true));
    if (!image)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, "app\\ExportImage", __LINE__);
    return image;
}

bool SavePNG(const Zr32BitImage& exportImage, const char* path, std::string* reason) {
    try {
        const std::unique_ptr<ZrRGBImage> rgb = convertToRGB(exportImage);
        if (!rgb)
            throw ZrErrorCode(ZrError::NoMemoryHeld, 0, "app\\ExportImage", __LINE__);
        ZrWritePNG writer;
        ZrFileLocator locator;
        locator.setName(path);
        writer.write(*rgb, locator);
        return true;
    } catch (const ZrErrorCode& error) {
        if (reason)
            *reason = ZrErrorText(error);
        return false;
    }
}

void LogSaveFailure(const std::string& path, const std::string& reason) {
    logMessage(LogError, "Error saving image \"%s\": %s", EscapeControlCharacters(path).c_str(),
               reason.c_str());
}

size_t FindExtension(const char* name) {
    size_t dot = 0;
    bool found = false;
    size_t i = 0;
    for (; name[i]; ++i) {
        if (name[i] == '.') {
            dot = i;
            found = true;
        } else if (name[i] == ':' || name[i] == '\\' || name[i] == '/') {
            found = false;
        }
    }
    return found ? dot : i;
}

void AddExportExtension(char* name, size_t size, ExportFormat format) {
    const size_t length = std::strlen(name);
    const char* extension = format == ExportFormat::Svg   ? ".SVG"
                            : format == ExportFormat::Bmp ? ".BMP"
                                                          : ".PNG";
    if (FindExtension(name) == length && length + 5 < size)
        std::memcpy(name + length, extension, 5);
}
