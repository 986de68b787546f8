// The PNG writer: files read back by libpng's reading side with the exact
// pixels and only the chunks the writer should produce, and every failure
// arriving as the right ZrErrorCode with nothing leaked.
#include <gtest/gtest.h>

#include <png.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "plot/canvas.h"
#include "plot/plotter.h"
#include "plot/render.h"
#include "raster_test_util.h"
#include "src/zr_32bit_image.h"
#include "src/zr_grayscale_image.h"
#include "src/zr_image_converter.h"
#include "src/zr_indexed_image.h"
#include "src/zr_png_file.h"
#include "src/zr_rgb_image.h"

namespace {

using raster_test::ChunkSummary;
using raster_test::ChunkTypes;
using raster_test::CountedMemory;
using raster_test::DecodedPng;
using raster_test::DecodePng;
using raster_test::Describe;
using raster_test::LimitedWrites;
using raster_test::ReadBytes;
using raster_test::ScratchFolder;

using raster_test::Caught;

// Writes `image` to `path` as the export does.
void WritePng(const ZrImage& image, const std::string& path) {
    ZrWritePNG writer;
    ZrFileLocator locator;
    locator.setName(path.c_str());
    writer.write(image, locator);
}

// Fills the pixel bytes with a fixed pseudo-random sequence (hard to compress).
void Noise(const ZrRealImage& image, unsigned seed) {
    std::mt19937 random(seed);
    ZrPixelLock pixels(image);
    for (int32_t y = 0; y < image.getHeight(); ++y)
        for (int32_t i = 0; i < image.getWidth() * image.getChannels(); ++i)
            pixels.get()[size_t(y) * image.getStride() + i] = static_cast<uint8_t>(random());
}

// Checks that `bytes` is a PNG holding exactly `image`'s pixels with the
// given colour type and chunk list.
void ExpectPng(const std::vector<uint8_t>& bytes, const ZrRealImage& image, int colorType,
               const std::string& chunks, int interlace = PNG_INTERLACE_NONE) {
    std::string problem;
    const std::vector<std::string> types = ChunkTypes(bytes, problem);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(ChunkSummary(types), chunks);
    DecodedPng png;
    try {
        png = DecodePng(bytes);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
    EXPECT_EQ(png.width, uint32_t(image.getWidth()));
    EXPECT_EQ(png.height, uint32_t(image.getHeight()));
    EXPECT_EQ(png.bitDepth, 8);
    EXPECT_EQ(png.colorType, colorType);
    EXPECT_EQ(png.interlace, interlace);
    const size_t rowBytes = size_t(image.getWidth()) * image.getChannels();
    ASSERT_EQ(png.rowBytes, rowBytes);
    ZrPixelLock pixels(image);
    for (int32_t y = 0; y < image.getHeight(); ++y) {
        const uint8_t* expected = pixels.get() + size_t(y) * image.getStride();
        const uint8_t* got = png.pixels.data() + size_t(y) * rowBytes;
        for (size_t i = 0; i < rowBytes; ++i)
            ASSERT_EQ(got[i], expected[i]) << "first difference at row " << y << ", pixel "
                                           << i / image.getChannels() << ", channel "
                                           << i % image.getChannels();
    }
}

// Round trips -------------------------------------------------------------------------------

TEST(ZrPNGRoundTrip, RGBImagesOfManySizes) {
    ScratchFolder folder;
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {2, 1}, {1, 3}, {17, 5}, {300, 40}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        ZrRGBImage image(w, h, zrDefaultStride, nullptr);
        Noise(image, static_cast<unsigned>(w * 1000 + h));
        const std::string path = folder.file("rgb.png");
        WritePng(image, path);
        ExpectPng(ReadBytes(path), image, PNG_COLOR_TYPE_RGB, "IHDR IDAT IEND");
    }
}

TEST(ZrPNGRoundTrip, GreyAndPaletteImages) {
    ScratchFolder folder;
    ZrGrayscaleImage grey(33, 9, zrDefaultStride, nullptr, true);
    Noise(grey, 3);
    WritePng(grey, folder.file("grey.png"));
    ExpectPng(ReadBytes(folder.file("grey.png")), grey, PNG_COLOR_TYPE_GRAY, "IHDR IDAT IEND");

    ZrColorTable palette;
    palette.resize(256);
    for (uint32_t i = 0; i < 256; ++i)
        palette.setEntry(i, static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 3));
    ZrIndexedImage indexed(20, 7, zrDefaultStride, nullptr, &palette, true);
    Noise(indexed, 4);
    WritePng(indexed, folder.file("palette.png"));
    const std::vector<uint8_t> bytes = ReadBytes(folder.file("palette.png"));
    ExpectPng(bytes, indexed, PNG_COLOR_TYPE_PALETTE, "IHDR PLTE IDAT IEND");
    const DecodedPng png = DecodePng(bytes);
    EXPECT_EQ(png.palette, std::vector<uint8_t>(palette.getEntries(), palette.getEntries() + 768));

    // A palette of more than 256 entries is cut to the first 256.
    ZrColorTable large(palette);
    large.resize(300);
    ZrIndexedImage many(2, 2, zrDefaultStride, nullptr, &large, true);
    WritePng(many, folder.file("many.png"));
    EXPECT_EQ(DecodePng(ReadBytes(folder.file("many.png"))).palette.size(), 768u);
}

TEST(ZrPNGRoundTrip, CanvasBecomesAnRGBPngWithTheScreensColours) {
    // The export path: a rendered canvas wrapped as a format-6 image,
    // converted to RGB and written.
    Canvas canvas(123, 45);
    ASSERT_NE(canvas.bits(), nullptr);
    const uint32_t bytes = 4u * 123u * 45u;
    Zr32BitImage exportImage(123, 45, kZrFormatBGRX, zrDefaultStride,
                             std::make_unique<ZrInPlaceBuffer>(reinterpret_cast<uint8_t*>(canvas.bits()), bytes, true),
                             true);
    Plotter plotter;
    plotter.SetCanvas(canvas.bits(), canvas.Stride(), canvas.Width(), canvas.Height());
    EquationSlots equations = {"sin(x)*5", "x", "", "", "", "", "", ""};
    GraphStyle style;
    style.backColor = 0x123456;
    RenderGraph(plotter, equations, style);

    ScratchFolder folder;
    const std::string path = folder.file("graph.png");
    const std::unique_ptr<ZrRGBImage> rgb = convertToRGB(exportImage);
    WritePng(*rgb, path);
    const std::vector<uint8_t> file = ReadBytes(path);
    std::string problem;
    EXPECT_EQ(ChunkSummary(ChunkTypes(file, problem)), "IHDR IDAT IEND");
    const DecodedPng png = DecodePng(file);
    ASSERT_EQ(png.width, 123u);
    ASSERT_EQ(png.height, 45u);
    EXPECT_EQ(png.colorType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(png.interlace, PNG_INTERLACE_NONE);
    int colours = 0;
    for (int32_t y = 0; y < 45; ++y)
        for (int32_t x = 0; x < 123; ++x) {
            const uint32_t word = canvas.bits()[y * 123 + x];
            const uint8_t* p = &png.pixels[size_t(y) * png.rowBytes + 3 * size_t(x)];
            const uint32_t read = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
            ASSERT_EQ(read, word) << "first difference at " << x << "," << y;
            colours += word != 0x123456;
        }
    EXPECT_GT(colours, 100); // axes and curves are there
}

TEST(ZrPNGRoundTrip, InterlacedWhenTheFileSaysSo) {
    ScratchFolder folder;
    ZrRGBImage image(13, 11, zrDefaultStride, nullptr);
    Noise(image, 9);
    ZrPNGFile file;
    const std::string path = folder.file("adam7.png");
    file.setName(path.c_str());
    file.setImageCount(1);
    file.createEmpty();
    file.setFormatInfo(std::make_unique<ZrPNGGlobalInfo>(8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_ADAM7));
    file.startWriting();
    file.putImage(image);
    file.finishWriting();
    EXPECT_EQ(file.getFormatInfo(), nullptr);
    EXPECT_EQ(file.getImageCount(), 0);
    ExpectPng(ReadBytes(path), image, PNG_COLOR_TYPE_RGB, "IHDR IDAT IEND", PNG_INTERLACE_ADAM7);
}

TEST(ZrPNGRoundTrip, CountOnlyFileCountsTheBytesOfTheFile) {
    ScratchFolder folder;
    ZrRGBImage image(40, 30, zrDefaultStride, nullptr);
    Noise(image, 5);
    WritePng(image, folder.file("real.png"));
    ZrPNGFile counter;
    counter.openCountOnly();
    counter.setImageCount(1);
    counter.putImage(image);
    EXPECT_EQ(counter.getWritten(), ReadBytes(folder.file("real.png")).size());
    counter.finishWriting();
}

TEST(ZrPNGRoundTrip, PngcheckAcceptsTheFile) {
#ifdef _WIN32
    GTEST_SKIP() << "pngcheck runs only in the native lanes";
#else
    if (std::system("command -v pngcheck >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pngcheck is not installed";
    ScratchFolder folder;
    ZrRGBImage image(64, 48, zrDefaultStride, nullptr);
    Noise(image, 6);
    const std::string rgb = folder.file("check.png"), one = folder.file("one.png");
    WritePng(image, rgb);
    WritePng(ZrRGBImage(1, 1, zrDefaultStride, nullptr), one);
    EXPECT_EQ(std::system(("pngcheck -q '" + rgb + "' '" + one + "'").c_str()), 0);
#endif
}

// What can be written ------------------------------------------------------------------------

TEST(ZrPNGWriter, WritesOnlyRGBGreyAndPaletteImages) {
    ScratchFolder folder;
    ZrRGBImage rgb(2, 2, zrDefaultStride, nullptr);
    ZrGrayscaleImage grey(2, 2, zrDefaultStride, nullptr, true);
    ZrIndexedImage indexed(2, 2, zrDefaultStride, nullptr, nullptr, true);
    Zr32BitImage canvas(2, 2, kZrFormatBGRX, zrDefaultStride, nullptr, true);
    ZrRealImage sixteenBit(zrDefaultStride, kZrFormatRGB, 2, 2, 16, 3, nullptr, true);
    const struct {
        const char* name;
        const ZrImage* image;
        bool writable;
        int32_t code;
    } cases[] = {
        {"RGB", &rgb, true, 0},
        {"grey", &grey, true, 0},
        {"indexed", &indexed, true, 0},
        {"32-bit", &canvas, false, 37},
        {"16-bit RGB layout", &sixteenBit, false, 37},
    };
    ZrWritePNG writer;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(writer.canWrite(*c.image), c.writable);
        const ZrErrorCode error = Caught([&] { WritePng(*c.image, folder.file("w.png")); });
        EXPECT_EQ(error.code, c.code) << Describe(error);
    }
}

TEST(ZrPNGWriter, LibpngErrorWithoutACauseIsCode1) {
    ScratchFolder folder;
    CountedMemory memory;
    const ZrErrorCode error = Caught([&] { WritePng(ZrRGBImage(0, 4, zrDefaultStride, nullptr), folder.file("e.png")); });
    EXPECT_EQ(error.code, 1) << Describe(error);
    EXPECT_STREQ(error.source, "src\\ZrPNGFile");
    EXPECT_EQ(error.line, 711);
    EXPECT_EQ(memory.allocations(), memory.releases());
}

// Failures ------------------------------------------------------------------------------------

TEST(ZrPNGWriter, MissingFolderRaises10) {
    ScratchFolder folder;
    const ZrErrorCode error =
        Caught([&] { WritePng(ZrRGBImage(3, 3, zrDefaultStride, nullptr), folder.file("no/such/folder.png")); });
    EXPECT_EQ(error.code, 10) << Describe(error);
    EXPECT_EQ(error.detail, ENOENT);
    EXPECT_STREQ(error.source, "src\\ZrFile");
}

TEST(ZrPNGWriter, ReadOnlyFileThatCannotBeDeletedRaises5) {
    // A read-only file that could not even be deleted (a read-only folder;
    // on Windows the file itself held open) is refused with 5 and kept.
    ScratchFolder folder;
    const std::string inner = folder.file("locked");
    std::filesystem::create_directory(inner);
    const std::string path = inner + "/graph.png";
    raster_test::WriteBytes(path, {'o', 'l', 'd'});
    ASSERT_TRUE(raster_test::SetReadOnly(path, true));
#ifndef _WIN32
    ASSERT_TRUE(raster_test::SetReadOnly(inner, true));
#endif
    raster_test::WindowsWriteBlock block(path);
    ZrRGBImage image(4, 4, zrDefaultStride, nullptr);
    const int result = raster_test::RunWithPermissionsEnforced([&] {
        if (raster_test::CanWriteAnyway(path))
            return 253;
        const ZrErrorCode error = Caught([&] { WritePng(image, path); });
        return error.detail == EACCES ? error.code : 100 + error.code;
    });
    if (result == -1 || result == 253)
        GTEST_SKIP() << "this process writes read-only files anyway and cannot drop the privilege";
    EXPECT_EQ(result, 5);
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

TEST(ZrPNGWriter, FullDiskRaises22WithENOSPC) {
    const std::string device = raster_test::FullDevice();
    if (device.empty())
        GTEST_SKIP() << "no full device here; FailedWriteAfterAnyNumberOfBytes covers the path";
    CountedMemory memory;
    const ZrErrorCode error = Caught([&] { WritePng(ZrRGBImage(8, 8, zrDefaultStride, nullptr), device); });
    EXPECT_EQ(error.code, 22) << Describe(error);
    EXPECT_EQ(error.detail, ENOSPC);
    EXPECT_STREQ(error.source, "src\\ZrFile");
    EXPECT_EQ(memory.allocations(), memory.releases());
}

TEST(ZrPNGWriter, FailedAllocationAtEveryPointRaises2AndFreesEverything) {
    ScratchFolder folder;
    ZrRGBImage image(50, 20, zrDefaultStride, nullptr);
    Noise(image, 10);
    const std::string path = folder.file("memory.png");
    long k = 1;
    for (;; ++k) {
        SCOPED_TRACE("allocation " + std::to_string(k) + " fails");
        CountedMemory memory(k);
        const ZrErrorCode error = Caught([&] { WritePng(image, path); });
        ASSERT_EQ(memory.allocations(), memory.releases());
        if (error.code == 0) {
            ASSERT_LT(memory.attempts(), k) << "a failed allocation went unreported";
            break;
        }
        ASSERT_EQ(error.code, 2) << Describe(error);
        ASSERT_STREQ(error.source, "src\\ZrPNGFile");
    }
    EXPECT_GT(k, 3);
    ExpectPng(ReadBytes(path), image, PNG_COLOR_TYPE_RGB, "IHDR IDAT IEND");
}

TEST(ZrPNGWriter, FailedWriteAfterAnyNumberOfBytesRaisesTheFilesError) {
    ScratchFolder folder;
    const std::string path = folder.file("short.png");
    ZrRGBImage image(9, 7, zrDefaultStride, nullptr);
    Noise(image, 11);
    WritePng(image, path);
    const size_t size = ReadBytes(path).size();
    for (size_t n = 0; n < size; ++n) {
        SCOPED_TRACE("writes fail after " + std::to_string(n) + " bytes");
        CountedMemory memory;
        LimitedWrites writes(n);
        const ZrErrorCode error = Caught([&] { WritePng(image, path); });
        ASSERT_EQ(error.code, 22) << Describe(error);
        ASSERT_EQ(error.detail, ENOSPC);
        ASSERT_STREQ(error.source, "src\\ZrFile");
        ASSERT_EQ(memory.allocations(), memory.releases());
    }
    LimitedWrites enough(size);
    EXPECT_EQ(Caught([&] { WritePng(image, path); }).code, 0);
}

TEST(ZrPNGWriter, LargeImageFailsCleanlyInTheMiddleOfItsData) {
    // Several IDAT chunks; the failure comes from deep inside png_write_rows.
    ScratchFolder folder;
    const std::string path = folder.file("large.png");
    ZrRGBImage image(400, 300, zrDefaultStride, nullptr);
    Noise(image, 12);
    for (uint64_t n : {100u, 20000u, 200000u}) {
        SCOPED_TRACE(n);
        CountedMemory memory;
        LimitedWrites writes(n);
        const ZrErrorCode error = Caught([&] { WritePng(image, path); });
        EXPECT_EQ(error.code, 22) << Describe(error);
        EXPECT_EQ(memory.allocations(), memory.releases());
    }
}

} // namespace
