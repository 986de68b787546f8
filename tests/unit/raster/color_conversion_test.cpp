// Colour tables, the inverse colour map, exportRGB of every image class and
// the conversion to RGB that the PNG export runs on the canvas.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "raster_test_util.h"
#include "src/zr_32bit_image.h"
#include "src/zr_color_table.h"
#include "src/zr_grayscale_image.h"
#include "src/zr_image_converter.h"
#include "src/zr_indexed_image.h"
#include "src/zr_png_file.h"

namespace {

using raster_test::CheckRecorder;
using raster_test::CountedMemory;
using raster_test::Describe;

using raster_test::Caught;

ZrColorTable Table(const std::vector<std::vector<uint8_t>>& colors) {
    ZrColorTable table;
    table.resize(static_cast<uint32_t>(colors.size()));
    for (size_t i = 0; i < colors.size(); ++i)
        table.setEntry(static_cast<uint32_t>(i), colors[i][0], colors[i][1], colors[i][2]);
    return table;
}

std::vector<uint8_t> Entries(const ZrColorTable& table) {
    const uint8_t* e = table.getEntries();
    return e ? std::vector<uint8_t>(e, e + table.getCount() * 3) : std::vector<uint8_t>();
}

std::vector<uint8_t> Bytes(const ZrRealImage& image) {
    ZrPixelLock pixels(image);
    return std::vector<uint8_t>(pixels.get(), pixels.get() + size_t(image.getStride()) * image.getHeight());
}

// A format-6 image holding these colour words, row by row.
std::unique_ptr<Zr32BitImage> Canvas(int32_t width, const std::vector<uint32_t>& words) {
    const int32_t height = static_cast<int32_t>(words.size()) / width;
    auto image = std::make_unique<Zr32BitImage>(width, height, kZrFormatBGRX, zrDefaultStride, nullptr, true);
    ZrPixelLock pixels(*image);
    std::memcpy(pixels.get(), words.data(), words.size() * 4);
    return image;
}

// Colour tables ----------------------------------------------------------------------------------

TEST(ZrColorTable, AssignCopiesAndSelfAssignmentKeepsTheEntries) {
    const ZrColorTable source = Table({{1, 2, 3}, {4, 5, 6}});
    ZrColorTable copy = Table({{9, 9, 9}});
    copy.assign(source);
    EXPECT_EQ(Entries(copy), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_NE(copy.getEntries(), source.getEntries());
    copy.assign(copy);
    EXPECT_EQ(Entries(copy), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    copy.assign(ZrColorTable());
    EXPECT_EQ(copy.getCount(), 0u);
    EXPECT_EQ(copy.getEntries(), nullptr);
}

TEST(ZrColorTable, ResizeKeepsTheFirstEntries) {
    const struct {
        uint32_t size;
        std::vector<uint8_t> entries;
    } cases[] = {
        {3, {1, 2, 3, 4, 5, 6, 0, 0, 0}},
        {2, {1, 2, 3, 4, 5, 6}},
        {1, {1, 2, 3}},
        {0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("resize to " + std::to_string(c.size));
        ZrColorTable table = Table({{1, 2, 3}, {4, 5, 6}});
        table.resize(c.size);
        EXPECT_EQ(table.getCount(), c.size);
        EXPECT_EQ(Entries(table), c.entries);
        EXPECT_EQ(table.getEntries() == nullptr, c.size == 0);
    }
}

TEST(ZrColorTable, MemoryShortageRaises2AndKeepsTheTable) {
    ZrColorTable table = Table({{1, 2, 3}, {4, 5, 6}});
    const ZrColorTable other = Table({{7, 8, 9}});
    const std::vector<uint8_t> before = Entries(table);
    const std::function<void()> actions[] = {
        [&] { table.resize(5); },
        [&] { table.assign(other); },
        [&] { ZrColorTable copy(table); },
    };
    for (const auto& action : actions) {
        CountedMemory memory(1);
        const ZrErrorCode error = Caught(action);
        EXPECT_EQ(error.code, 2) << Describe(error);
        EXPECT_STREQ(error.source, "src\\ZrColorTable");
        EXPECT_EQ(Entries(table), before);
        EXPECT_EQ(table.getCount(), 2u);
        EXPECT_EQ(memory.allocations(), memory.releases());
    }
}

// Inverse colour map --------------------------------------------------------------------------------

uint16_t Color15(int r5, int g5, int b5) { return static_cast<uint16_t>(r5 << 10 | g5 << 5 | b5); }

TEST(ZrInverseColorMap, FindsTheNearestEntryAndTheLowestIndexOnTies) {
    const struct {
        const char* name;
        std::vector<std::vector<uint8_t>> palette;
        uint16_t color;
        uint8_t index;
    } cases[] = {
        {"black", {{0, 0, 0}, {255, 255, 255}}, 0, 0},
        {"white", {{0, 0, 0}, {255, 255, 255}}, 0x7FFF, 1},
        {"grey 15 is nearer black", {{0, 0, 0}, {255, 255, 255}}, Color15(15, 15, 15), 0},
        {"grey 16 is nearer white", {{0, 0, 0}, {255, 255, 255}}, Color15(16, 16, 16), 1},
        {"exact match", {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, Color15(0, 31, 0), 1},
        // r5 = 1 widens to 8: exactly between 0 and 16.
        {"tie goes to the lower index", {{0, 0, 0}, {16, 0, 0}}, Color15(1, 0, 0), 0},
        {"tie, other order", {{16, 0, 0}, {0, 0, 0}}, Color15(1, 0, 0), 0},
        {"same colour twice", {{5, 5, 5}, {200, 0, 0}, {200, 0, 0}}, Color15(31, 0, 0), 1},
        // Red and green widen by their top bits (4 -> 33), blue by its low
        // bits (4 -> 36).
        {"red widening", {{33, 0, 0}, {36, 0, 0}}, Color15(4, 0, 0), 0},
        {"blue widening", {{0, 0, 33}, {0, 0, 36}}, Color15(0, 0, 4), 1},
    };
    std::vector<uint8_t> map(kZrInverseMapSize);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        makeInverseColorMap(Table(c.palette), map.data());
        EXPECT_EQ(map[c.color], c.index);
    }
}

TEST(ZrInverseColorMap, UsesOnlyTheFirst256EntriesAndRefusesAnEmptyTable) {
    ZrColorTable table;
    table.resize(300);
    for (uint32_t i = 0; i < 300; ++i)
        table.setEntry(i, 255, 255, 255);
    table.setEntry(7, 100, 100, 100);
    table.setEntry(280, 0, 0, 0); // a perfect black that the map never sees
    std::vector<uint8_t> map(kZrInverseMapSize, 0xEE);
    makeInverseColorMap(table, map.data());
    EXPECT_EQ(map[0], 7);

    std::vector<uint8_t> untouched(kZrInverseMapSize, 0xEE);
    CheckRecorder checks;
    makeInverseColorMap(ZrColorTable(), untouched.data());
    EXPECT_EQ(checks.count(), 1u);
    EXPECT_EQ(untouched, std::vector<uint8_t>(kZrInverseMapSize, 0xEE));
}

// exportRGB and conversion ------------------------------------------------------------------------

TEST(ZrConvertToRGB, CanvasWordsBecomeRedGreenBlueBytes) {
    const struct {
        const char* name;
        int32_t width;
        std::vector<uint32_t> words;
        std::vector<uint8_t> rgb;
    } cases[] = {
        {"red and blue", 2, {0x00FF0000, 0x000000FF}, {0xFF, 0, 0, 0, 0, 0xFF}},
        {"one pixel", 1, {0x00123456}, {0x12, 0x34, 0x56}},
        {"fourth byte dropped", 1, {0xFF00FF00}, {0, 0xFF, 0}},
        {"two rows", 1, {0x00010203, 0x00A0B0C0}, {1, 2, 3, 0xA0, 0xB0, 0xC0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto canvas = Canvas(c.width, c.words);
        const std::unique_ptr<ZrRGBImage> rgb = convertToRGB(*canvas);
        EXPECT_EQ(rgb->getFormat(), kZrFormatRGB);
        EXPECT_EQ(rgb->getWidth(), canvas->getWidth());
        EXPECT_EQ(rgb->getHeight(), canvas->getHeight());
        EXPECT_EQ(Bytes(*rgb), c.rgb);
    }
}

TEST(ZrConvertToRGB, EveryClassExportsItsColours) {
    Zr32BitImage rgbx(2, 1, kZrFormatRGBX, zrDefaultStride, nullptr, true);
    {
        ZrPixelLock p(rgbx);
        const uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7, 8};
        std::memcpy(p.get(), bytes, 8);
    }
    ZrRGBImage rgb(2, 1, zrDefaultStride, nullptr);
    {
        ZrPixelLock p(rgb);
        const uint8_t bytes[] = {9, 8, 7, 6, 5, 4};
        std::memcpy(p.get(), bytes, 6);
    }
    ZrGrayscaleImage grey(2, 1, zrDefaultStride, nullptr, true);
    ZrGrayscaleImage inverted(2, 1, zrDefaultStride, nullptr, true);
    inverted.setPolarity(kZrZeroIsWhite);
    for (ZrGrayscaleImage* g : {&grey, &inverted}) {
        ZrPixelLock p(*g);
        p.get()[0] = 0;
        p.get()[1] = 200;
    }
    const ZrColorTable palette = Table({{10, 20, 30}, {40, 50, 60}});
    ZrIndexedImage indexed(3, 1, zrDefaultStride, nullptr, &palette, true);
    {
        ZrPixelLock p(indexed);
        p.get()[0] = 1;
        p.get()[1] = 0;
        p.get()[2] = 2; // beyond the palette: black
    }
    const struct {
        const char* name;
        const ZrImage* image;
        std::vector<uint8_t> rgb;
    } cases[] = {
        {"32-bit format 3", &rgbx, {1, 2, 3, 5, 6, 7}},
        {"RGB", &rgb, {9, 8, 7, 6, 5, 4}},
        {"grey", &grey, {0, 0, 0, 200, 200, 200}},
        {"grey, zero is white", &inverted, {255, 255, 255, 55, 55, 55}},
        {"indexed", &indexed, {40, 50, 60, 10, 20, 30, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Bytes(*convertToRGB(*c.image)), c.rgb);
    }
}

TEST(ZrConvertToRGB, ExportPlacesPixelsAtTheOffsetsAndLeavesOtherBytes) {
    const auto canvas = Canvas(3, {0x00010203, 0x00040506, 0x00070809, 0x000A0B0C, 0x000D0E0F, 0x00101112});
    // Columns 1..2 of row 1 into a 4-byte B, G, R, A destination at (1, 0).
    std::vector<uint8_t> dst(2 * 16, 0xEE);
    canvas->exportRGB(1, 1, 2, 3, 1, 0, 16, 4, 2, 1, 0, dst.data());
    std::vector<uint8_t> expected(2 * 16, 0xEE);
    const uint8_t placed[] = {0x0F, 0x0E, 0x0D, 0xEE, 0x12, 0x11, 0x10, 0xEE};
    std::memcpy(&expected[4], placed, sizeof placed);
    EXPECT_EQ(dst, expected);

    const struct {
        const char* name;
        std::function<void(uint8_t*)> call;
    } refused[] = {
        {"two channels at one offset", [&](uint8_t* d) { canvas->exportRGB(0, 0, 1, 1, 0, 0, 16, 4, 0, 0, 2, d); }},
        {"offset past the pixel", [&](uint8_t* d) { canvas->exportRGB(0, 0, 1, 1, 0, 0, 16, 3, 0, 1, 3, d); }},
        {"rectangle outside", [&](uint8_t* d) { canvas->exportRGB(0, 0, 3, 1, 0, 0, 16, 3, 0, 1, 2, d); }},
        {"empty rectangle", [&](uint8_t* d) { canvas->exportRGB(1, 0, 1, 1, 0, 0, 16, 3, 0, 1, 2, d); }},
        {"no destination", [&](uint8_t*) { canvas->exportRGB(0, 0, 1, 1, 0, 0, 16, 3, 0, 1, 2, nullptr); }},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> untouched(2 * 16, 0xEE);
        CheckRecorder checks;
        c.call(untouched.data());
        EXPECT_EQ(checks.count(), 1u);
        EXPECT_EQ(untouched, std::vector<uint8_t>(2 * 16, 0xEE));
    }
}

TEST(ZrConvertToRGB, GivenTargetIsResizedOnlyWhenItsSizeDiffers) {
    const auto canvas = Canvas(2, {0x00FF0000, 0x000000FF});
    canvas->setFormatInfo(std::make_unique<ZrPNGGlobalInfo>(8, 2, 0));

    ZrRGBImage sameSize(2, 1, zrDefaultStride, nullptr);
    const ZrBaseBuffer* buffer = sameSize.getBuffer();
    EXPECT_EQ(&convertToRGB(*canvas, sameSize), &sameSize);
    EXPECT_EQ(sameSize.getBuffer(), buffer);
    EXPECT_EQ(Bytes(sameSize), (std::vector<uint8_t>{0xFF, 0, 0, 0, 0, 0xFF}));
    EXPECT_NE(sameSize.getFormatInfo(), nullptr);

    ZrRGBImage otherSize(5, 5, zrDefaultStride, nullptr);
    convertToRGB(*canvas, otherSize);
    EXPECT_EQ(otherSize.getWidth(), 2);
    EXPECT_EQ(otherSize.getHeight(), 1);
    EXPECT_EQ(Bytes(otherSize), (std::vector<uint8_t>{0xFF, 0, 0, 0, 0, 0xFF}));
}

TEST(ZrConvertToRGB, FailureDeletesTheImageItMade) {
    // A grey image whose polarity is neither 0 nor 255 cannot say what its
    // levels mean; the target made for it must not outlive the error (the
    // sanitizer lane reports a leak otherwise).
    ZrGrayscaleImage grey(4, 4, zrDefaultStride, nullptr, true);
    grey.setPolarity(7);
    std::unique_ptr<ZrRGBImage> result;
    const ZrErrorCode error = Caught([&] { result = convertToRGB(grey); });
    EXPECT_EQ(error.code, 38) << Describe(error);
    EXPECT_STREQ(error.source, "src\\ZrGrayscaleImage");
    EXPECT_EQ(result, nullptr);
}

} // namespace
