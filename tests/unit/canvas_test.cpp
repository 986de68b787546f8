// The off-screen canvas: its pixel memory and the 24-bit BMP file it writes,
// read back by a small reader of our own.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "plot/canvas.h"

namespace {

namespace fs = std::filesystem;

// A fresh directory for one test, removed with everything in it afterwards.
class CanvasFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() /
              (std::string("orvanta_canvas_") + info->name() + "_" +
               std::to_string(std::random_device{}()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    std::string Path(const char* name) const { return (dir / name).string(); }
    fs::path dir;
};

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

uint32_t U16(const std::vector<unsigned char>& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t U32(const std::vector<unsigned char>& b, size_t at) {
    return U16(b, at) | U16(b, at + 2) << 16;
}

// Reads an uncompressed 24-bit BMP: checks the headers and returns the
// pixels as colour words, top row first. Fails the test on anything else.
struct BmpImage {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

BmpImage ReadBmp(const std::string& path) {
    BmpImage image;
    const std::vector<unsigned char> b = ReadFile(path);
    EXPECT_GE(b.size(), 54u);
    if (b.size() < 54)
        return image;
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32(b, 2), b.size()) << "file size field";
    EXPECT_EQ(U32(b, 10), 54u) << "pixel data offset";
    EXPECT_EQ(U32(b, 14), 40u) << "information header size";
    EXPECT_EQ(U16(b, 26), 1u) << "planes";
    EXPECT_EQ(U16(b, 28), 24u) << "bits per pixel";
    EXPECT_EQ(U32(b, 30), 0u) << "compression";
    const int32_t width = static_cast<int32_t>(U32(b, 18));
    const int32_t height = static_cast<int32_t>(U32(b, 22));
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0) << "bottom-up rows";
    const size_t rowSize = (3 * static_cast<size_t>(width) + 3) / 4 * 4;
    EXPECT_EQ(b.size(), 54 + rowSize * height);
    if (width <= 0 || height <= 0 || b.size() != 54 + rowSize * height)
        return image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height);
    for (int32_t stored = 0; stored < height; ++stored) {
        const unsigned char* row = b.data() + 54 + stored * rowSize;
        const int32_t y = height - 1 - stored;
        for (int32_t x = 0; x < width; ++x)
            image.pixels[y * width + x] = row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
        for (size_t pad = 3 * width; pad < rowSize; ++pad)
            EXPECT_EQ(row[pad], 0) << "padding of stored row " << stored;
    }
    return image;
}

// Distinct colours whose three bytes all differ, so a swapped channel or a
// misplaced pixel shows.
uint32_t ColorAt(int32_t x, int32_t y) {
    return static_cast<uint32_t>((0x10 + 0x21 * x) & 0xff) << 16 |
           static_cast<uint32_t>((0x80 + 0x13 * y) & 0xff) << 8 |
           static_cast<uint32_t>((0x05 + 0x07 * x + 0x31 * y) & 0xff);
}

void Paint(Canvas& canvas) {
    for (int32_t y = 0; y < canvas.Height(); ++y)
        for (int32_t x = 0; x < canvas.Width(); ++x)
            canvas.bits()[y * canvas.Width() + x] = ColorAt(x, y);
}

TEST(Canvas, FillSetsEveryPixel) {
    Canvas canvas(7, 5);
    ASSERT_NE(canvas.bits(), nullptr);
    EXPECT_EQ(canvas.Stride(), 28);
    canvas.Fill(0x00abcdef);
    for (int i = 0; i < 35; ++i)
        EXPECT_EQ(canvas.bits()[i], 0x00abcdefu) << "pixel " << i;
}

TEST(Canvas, ResizeToTheSameSizeKeepsThePixels) {
    Canvas canvas(6, 4);
    Paint(canvas);
    uint32_t* const before = canvas.bits();
    canvas.Resize(6, 4);
    EXPECT_EQ(canvas.bits(), before);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x)
            EXPECT_EQ(canvas.bits()[y * 6 + x], ColorAt(x, y));

    canvas.Resize(9, 2);
    EXPECT_EQ(canvas.Width(), 9);
    EXPECT_EQ(canvas.Height(), 2);
    EXPECT_EQ(canvas.Stride(), 36);
    ASSERT_NE(canvas.bits(), nullptr);
    canvas.Fill(1); // all 18 pixels are there (the sanitizers watch)
}

// Memory that records its calls and hands out pixels only while `give`
// holds, so that a canvas without pixels can be made at any size.
class RecordedMemory : public CanvasMemory {
public:
    RecordedMemory(std::string& log, const bool& give) : log(log), give(give) {}
    ~RecordedMemory() override { log += "gone;"; }
    uint32_t* Allocate(int32_t width, int32_t height) override {
        log += "allocate " + std::to_string(width) + "x" + std::to_string(height) + ";";
        EXPECT_TRUE(pixels.empty()) << "allocated while holding pixels";
        if (give)
            pixels.resize(static_cast<size_t>(width) * height);
        return give ? pixels.data() : nullptr;
    }
    void Release() override {
        log += "release;";
        pixels.clear();
    }

private:
    std::string& log;
    const bool& give;
    std::vector<uint32_t> pixels;
};

TEST_F(CanvasFiles, MemoryIsAskedForEachSizeAndAFailureLeavesNoPixels) {
    std::string log;
    bool give = false;
    {
        Canvas canvas(4, 3, std::make_unique<RecordedMemory>(log, give));
        EXPECT_EQ(canvas.bits(), nullptr);
        canvas.Fill(0x123456); // nothing to fill
        EXPECT_FALSE(canvas.SaveBMP(Path("none.bmp").c_str()));
        give = true;
        canvas.Resize(5, 2);
        ASSERT_NE(canvas.bits(), nullptr);
        canvas.Fill(0x00abcdef);
        EXPECT_TRUE(canvas.SaveBMP(Path("some.bmp").c_str()));
        canvas.Resize(5, 2); // the same size: no new memory
        canvas.Resize(0, 7); // no pixels at all: none asked for
        EXPECT_EQ(canvas.bits(), nullptr);
        give = false;
        canvas.Resize(2, 2);
        EXPECT_EQ(canvas.bits(), nullptr);
    }
    EXPECT_EQ(log, "allocate 4x3;release;allocate 5x2;release;release;allocate 2x2;release;gone;");
    EXPECT_FALSE(fs::exists(Path("none.bmp")));
    EXPECT_EQ(fs::file_size(Path("some.bmp")), 54u + 16u * 2u);
}

TEST_F(CanvasFiles, EmptyCanvasHasNoPixelsAndDoesNotSave) {
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {0, 0}, {-3, 4}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        Canvas canvas(w, h);
        EXPECT_EQ(canvas.bits(), nullptr);
        canvas.Fill(0xffffff); // nothing to do, nothing to crash
        EXPECT_FALSE(canvas.SaveBMP(Path("empty.bmp").c_str()));
        EXPECT_TRUE(fs::is_empty(dir));
    }
}

TEST_F(CanvasFiles, SmallBmpHasTheDocumentedLayout) {
    // 3 x 2: rows of 9 bytes padded to 12, 54 + 2 * 12 = 78 bytes.
    Canvas canvas(3, 2);
    Paint(canvas);
    const std::string path = Path("small.bmp");
    ASSERT_TRUE(canvas.SaveBMP(path.c_str()));
    const std::vector<unsigned char> b = ReadFile(path);
    ASSERT_EQ(b.size(), 78u);
    const unsigned char header[54] = {
        'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, // file header
        40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, // size, width, height, planes, bits
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < 54; ++i)
        EXPECT_EQ(b[i], header[i]) << "header byte " << i;
    // The first pixel stored is the bottom-left one, as blue, green, red.
    const uint32_t bottomLeft = ColorAt(0, 1);
    EXPECT_EQ(b[54], bottomLeft & 0xff);
    EXPECT_EQ(b[55], bottomLeft >> 8 & 0xff);
    EXPECT_EQ(b[56], bottomLeft >> 16 & 0xff);
    for (size_t pad : {63, 64, 65, 75, 76, 77})
        EXPECT_EQ(b[pad], 0) << "padding byte " << pad;
}

TEST_F(CanvasFiles, RoundTripGivesThePixelsBack) {
    // Odd widths need padding, widths that are multiples of 4 have none; the
    // reader checks the file size either way.
    for (auto [w, h] : {std::pair{5, 3}, {1, 1}, {2, 7}, {3, 2}, {4, 4}, {8, 3}, {13, 11}, {33, 1}}) {
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        SCOPED_TRACE(size);
        Canvas canvas(w, h);
        Paint(canvas);
        const std::string path = Path((size + ".bmp").c_str());
        ASSERT_TRUE(canvas.SaveBMP(path.c_str()));
        const BmpImage image = ReadBmp(path);
        ASSERT_EQ(image.width, w);
        ASSERT_EQ(image.height, h);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                ASSERT_EQ(image.pixels[y * w + x], ColorAt(x, y))
                    << "first difference at column " << x << ", row " << y;
    }
}

TEST_F(CanvasFiles, SavingReplacesAnExistingFile) {
    const std::string path = Path("again.bmp");
    {
        std::ofstream old(path, std::ios::binary);
        old << std::string(500, 'x');
    }
    Canvas canvas(2, 2);
    canvas.Fill(0x00102030);
    ASSERT_TRUE(canvas.SaveBMP(path.c_str()));
    EXPECT_EQ(fs::file_size(path), 54u + 8u * 2u);
}

TEST_F(CanvasFiles, SavingIntoAMissingFolderFailsAndCreatesNothing) {
    Canvas canvas(3, 2);
    canvas.Fill(0);
    const fs::path missing = dir / "missing";
    EXPECT_FALSE(canvas.SaveBMP((missing / "graph.bmp").string().c_str()));
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_TRUE(fs::is_empty(dir));
}

#ifdef __linux__
TEST(Canvas, FullDiskIsAFailure) {
    // The rows of a small image stay in the stdio buffer until the file is
    // closed; the failure must show all the same.
    Canvas small(3, 2), large(300, 200);
    small.Fill(0x00ff0000);
    large.Fill(0x0000ff00);
    EXPECT_FALSE(small.SaveBMP("/dev/full"));
    EXPECT_FALSE(large.SaveBMP("/dev/full"));
}
#endif

} // namespace
