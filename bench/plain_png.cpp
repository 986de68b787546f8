#include "plain_png.h"

#include <png.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

[[noreturn]] void DirectError(png_structp, png_const_charp message) {
    throw std::runtime_error(message);
}

} // namespace

// libpng itself reorders B, G, R and drops the fourth byte of each pixel.
void WritePlainPng(const Canvas& canvas, const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot open " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, DirectError, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    try {
        if (!info)
            throw std::runtime_error("out of memory");
        png_init_io(png, file);
        const int32_t width = canvas.Width(), height = canvas.Height();
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        png_set_bgr(png);
        png_set_filler(png, 0, PNG_FILLER_AFTER);
        std::vector<png_bytep> rows(height);
        for (int32_t y = 0; y < height; ++y)
            rows[y] = reinterpret_cast<png_bytep>(canvas.bits() + size_t(y) * width);
        png_write_rows(png, rows.data(), height);
        png_write_end(png, nullptr);
    } catch (...) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        throw;
    }
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0)
        throw std::runtime_error("cannot close " + path);
}
