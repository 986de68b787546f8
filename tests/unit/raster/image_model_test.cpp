// The image model: strides, buffers and their locks, construction, setSize,
// clearing, and the bulk operations (clone, flips, resizing, regions).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "raster_test_util.h"
#include "src/zr_32bit_image.h"
#include "src/zr_grayscale_image.h"
#include "src/zr_indexed_image.h"
#include "src/zr_png_file.h"
#include "src/zr_rgb_image.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace {

using raster_test::CheckRecorder;
using raster_test::CountedMemory;
using raster_test::Describe;

// A buffer on the heap that counts how it is used and can refuse to
// allocate; its newEmptyOfSameKind makes another of its kind.
class TestBuffer : public ZrBaseBuffer {
public:
    explicit TestBuffer(bool failing = false, bool hasKind = true)
        : failing(failing), hasKind(hasKind) {}
    ~TestBuffer() override { delete[] memory; }

    std::unique_ptr<ZrBaseBuffer> newEmptyOfSameKind() const override {
        if (!hasKind)
            return ZrBaseBuffer::newEmptyOfSameKind();
        return std::make_unique<TestBuffer>(failNext, hasKind);
    }
    uint8_t* getPointer() override {
        ++pointerRequests;
        return memory;
    }
    void releasePointer() noexcept override { ++pointerReleases; }
    void allocate(uint32_t size) override {
        if (failing)
            throw ZrErrorCode(ZrError::OutOfMemory, 0, "test", 1);
        delete[] memory;
        memory = new uint8_t[size == 0 ? 1 : size];
    }
    void free() noexcept override {
        delete[] memory;
        memory = nullptr;
    }

    bool failing;
    bool hasKind;
    bool failNext = false; // the kind's next buffers refuse to allocate
    int pointerRequests = 0;
    int pointerReleases = 0;
    uint8_t* memory = nullptr;
};

// A 1-bit image with one channel, for the bit-level paths.
class BitImage : public ZrRealImage {
public:
    BitImage(int32_t width, int32_t height)
        : ZrRealImage(zrDefaultStride, kZrFormatPlain, width, height, 1, 1, nullptr, true) {}
    std::unique_ptr<ZrImage> clone() const override {
        auto copy = std::make_unique<BitImage>(width, height);
        copy->copyPixelsFrom(*this);
        return copy;
    }
    bool bit(int32_t x, int32_t y) const {
        ZrPixelLock pixels(*this);
        const uint8_t byte = pixels.get()[y * getStride() + x / 8];
        return (byte >> (7 - x % 8)) & 1;
    }
    void setBit(int32_t x, int32_t y, bool value) {
        ZrPixelLock pixels(*this);
        uint8_t& byte = pixels.get()[y * getStride() + x / 8];
        const uint8_t mask = static_cast<uint8_t>(0x80 >> (x % 8));
        byte = value ? (byte | mask) : (byte & ~mask);
    }
};

std::vector<uint8_t> Bytes(const ZrRealImage& image) {
    ZrPixelLock pixels(image);
    return std::vector<uint8_t>(pixels.get(), pixels.get() + size_t(image.getStride()) * image.getHeight());
}

// Fills every byte with a pattern that differs from byte to byte.
void Pattern(const ZrRealImage& image, uint8_t seed = 1) {
    ZrPixelLock pixels(image);
    const size_t n = size_t(image.getStride()) * image.getHeight();
    for (size_t i = 0; i < n; ++i)
        pixels.get()[i] = static_cast<uint8_t>(seed + i * 7);
}

const uint8_t* PixelAt(const ZrRealImage& image, const uint8_t* pixels, int32_t x, int32_t y) {
    return pixels + size_t(y) * image.getStride() + size_t(x) * image.getChannels();
}

using raster_test::Caught;

// Strides ------------------------------------------------------------------------------

TEST(ZrStride, LibraryStridePadsNothing) {
    const struct {
        uint16_t bits, channels;
        int32_t width;
        int64_t stride;
        bool checkFails;
    } cases[] = {
        {8, 4, 10, 40, false}, {8, 3, 7, 21, false}, {8, 1, 5, 5, false},   {16, 3, 5, 30, false},
        {1, 1, 10, 2, false},  {1, 1, 8, 1, false},  {1, 3, 3, 2, false},   {8, 4, 0, 0, false},
        {4, 1, 10, 2, true},   {0, 1, 9, 2, true},   {8, 0, 10, 0, true},
    };
    BitImage any(1, 1);
    for (const auto& c : cases) {
        SCOPED_TRACE("bits " + std::to_string(c.bits) + ", channels " + std::to_string(c.channels) +
                     ", width " + std::to_string(c.width));
        CheckRecorder checks;
        EXPECT_EQ(zrDefaultStride(any, c.bits, c.channels, c.width), c.stride);
        EXPECT_EQ(checks.count() > 0, c.checkFails);
    }
}

TEST(ZrStride, CanvasRowsAreFourBytesPerPixelAndRGBRowsThree) {
    Zr32BitImage canvas(333, 2, kZrFormatBGRX, zrDefaultStride, nullptr, true);
    ZrRGBImage rgb(333, 2, zrDefaultStride, nullptr);
    EXPECT_EQ(canvas.getStride(), 4 * 333);
    EXPECT_EQ(rgb.getStride(), 3 * 333);
}

TEST(ZrStride, ShortStrideIsRaisedToTheRowSize) {
    CheckRecorder checks;
    ZrRealImage image([](const ZrRealImage&, uint16_t, uint16_t, int32_t) -> int64_t { return 1; },
                      kZrFormatPlain, 10, 3, 8, 3, nullptr, true);
    EXPECT_EQ(image.getStride(), 30);
    EXPECT_EQ(image.getBuffer()->getSize(), 90u);
    EXPECT_EQ(checks.count(), 1u);
}

// Buffers ----------------------------------------------------------------------------------

TEST(ZrInPlaceBuffer, HoldsAnImageUpToItsCapacity) {
    const struct {
        const char* name;
        int32_t width, height;
        int64_t capacityChange;
        int32_t code;
    } cases[] = {
        {"exact capacity", 7, 5, 0, 0},
        {"more room than needed", 7, 5, 16, 0},
        {"one byte short", 7, 5, -1, 2},
        {"a wider image", 8, 5, 0, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const uint32_t capacity = static_cast<uint32_t>(4 * 7 * 5 + c.capacityChange);
        std::vector<uint8_t> memory(capacity + 16, 0xAB);
        auto buffer = std::make_unique<ZrInPlaceBuffer>(memory.data(), capacity, true);
        ZrInPlaceBuffer* raw = buffer.get();
        std::unique_ptr<Zr32BitImage> image;
        const ZrErrorCode error = Caught([&] {
            image = std::make_unique<Zr32BitImage>(c.width, c.height, kZrFormatBGRX, zrDefaultStride,
                                                   std::move(buffer), true);
        });
        ASSERT_EQ(error.code, c.code) << Describe(error);
        if (c.code) {
            EXPECT_STREQ(error.source, "src\\ZrInPlaceBuffer");
            continue;
        }
        EXPECT_EQ(image->getBuffer(), raw);
        EXPECT_EQ(image->getStride(), 4 * c.width);
        ZrPixelLock pixels(*image);
        EXPECT_EQ(pixels.get(), memory.data());
        // Cleared within the image, untouched beyond it.
        EXPECT_EQ(memory[4 * 7 * 5 - 1], 0);
        EXPECT_EQ(memory[4 * 7 * 5], 0xAB);
    }
}

TEST(ZrInPlaceBuffer, ResizingMovesTheImageIntoMemoryOfItsOwn) {
    std::vector<uint8_t> memory(4 * 4 * 4, 0x11);
    Zr32BitImage image(4, 4, kZrFormatBGRX, zrDefaultStride,
                       std::make_unique<ZrInPlaceBuffer>(memory.data(), 64, true), false);
    image.setSize(10, 10);
    EXPECT_NE(dynamic_cast<ZrBuffer*>(image.getBuffer()), nullptr);
    EXPECT_EQ(image.getStride(), 40);
    ZrPixelLock pixels(image);
    EXPECT_NE(pixels.get(), memory.data());
    EXPECT_EQ(memory[0], 0x11); // the wrapped memory is never freed or written
}

TEST(ZrBuffer, AsksForMemoryWhileHoldingNoneRaises27) {
    ZrBuffer empty;
    const ZrErrorCode direct = Caught([&] { empty.getPointer(); });
    EXPECT_EQ(direct.code, 27);
    EXPECT_STREQ(direct.source, "src\\ZrBuffer");

    Zr32BitImage image(3, 3, kZrFormatRGBX, zrDefaultStride, nullptr, true);
    image.freePixels();
    EXPECT_EQ(Caught([&] { image.lockPixels(); }).code, 27);
    EXPECT_EQ(image.getBuffer()->getLockCount(), 0);
    image.allocatePixels();
    EXPECT_NO_THROW(image.clear());

    std::unique_ptr<ZrBaseBuffer> taken = image.reset();
    EXPECT_NE(taken, nullptr);
    EXPECT_EQ(Caught([&] { image.lockPixels(); }).code, 27);
}

#ifdef _WIN32
TEST(ZrBuffer, PixelsLiveInLockedMovableGlobalMemory) {
    Zr32BitImage image(16, 16, kZrFormatBGRX, zrDefaultStride, nullptr, true);
    ZrPixelLock pixels(image);
    HGLOBAL handle = GlobalHandle(pixels.get());
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 1u);
    EXPECT_GE(GlobalSize(handle), 16u * 16u * 4u);
}
#endif

// Locks ---------------------------------------------------------------------------------------

TEST(ZrImageLocks, NestedLocksShareOnePointerAndTheLastUnlockReleasesIt) {
    auto buffer = std::make_unique<TestBuffer>();
    TestBuffer* raw = buffer.get();
    Zr32BitImage image(4, 4, kZrFormatRGBX, zrDefaultStride, std::move(buffer), true);
    const int requestsAfterConstruction = raw->pointerRequests;
    const int releasesAfterConstruction = raw->pointerReleases;
    EXPECT_EQ(requestsAfterConstruction, releasesAfterConstruction); // the clear let go again

    uint8_t* first = image.lockPixels();
    uint8_t* second = image.lockPixels();
    uint8_t* third = image.lockPixels();
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, third);
    EXPECT_EQ(raw->pointerRequests, requestsAfterConstruction + 1);
    EXPECT_EQ(raw->getLockCount(), 3);
    image.unlockPixels();
    image.unlockPixels();
    EXPECT_EQ(raw->pointerReleases, releasesAfterConstruction);
    image.unlockPixels();
    EXPECT_EQ(raw->pointerReleases, releasesAfterConstruction + 1);
    EXPECT_EQ(raw->getLockCount(), 0);
}

TEST(ZrImageLocks, UnlockWithoutLockFailsACheckAndChangesNothing) {
    auto buffer = std::make_unique<TestBuffer>();
    TestBuffer* raw = buffer.get();
    Zr32BitImage image(2, 2, kZrFormatRGBX, zrDefaultStride, std::move(buffer), true);
    const int releases = raw->pointerReleases;
    CheckRecorder checks;
    image.unlockPixels();
    EXPECT_EQ(checks.count(), 1u);
    EXPECT_EQ(raw->getLockCount(), 0);
    EXPECT_EQ(raw->pointerReleases, releases);
    // Locking still works normally afterwards.
    EXPECT_EQ(image.lockPixels(), raw->memory);
    image.unlockPixels();
    EXPECT_EQ(raw->getLockCount(), 0);
}

TEST(ZrImageLocks, FreeingLockedPixelsEndsTheAccessFirst) {
    auto buffer = std::make_unique<TestBuffer>();
    TestBuffer* raw = buffer.get();
    Zr32BitImage image(2, 2, kZrFormatRGBX, zrDefaultStride, std::move(buffer), true);
    image.lockPixels();
    image.lockPixels();
    CheckRecorder checks;
    image.freePixels();
    EXPECT_EQ(checks.count(), 1u);
    EXPECT_EQ(raw->getLockCount(), 0);
    EXPECT_FALSE(raw->isAllocated());
    EXPECT_EQ(raw->memory, nullptr);
}

// Construction and setSize ------------------------------------------------------------------------

TEST(ZrImageConstruction, ClearFlagMakesEveryByteZero) {
    const auto make32 = [](int32_t format) {
        return [format](std::unique_ptr<ZrBaseBuffer> b) -> std::unique_ptr<ZrRealImage> {
            return std::make_unique<Zr32BitImage>(5, 3, format, zrDefaultStride, std::move(b), true);
        };
    };
    const struct {
        const char* name;
        uint32_t bytes;
        std::function<std::unique_ptr<ZrRealImage>(std::unique_ptr<ZrBaseBuffer>)> make;
    } cases[] = {
        {"32-bit format 3", 60, make32(kZrFormatRGBX)},
        {"32-bit format 6", 60, make32(kZrFormatBGRX)},
        {"RGB", 45, [](auto b) { return std::make_unique<ZrRGBImage>(5, 3, zrDefaultStride, std::move(b)); }},
        {"grey", 15,
         [](auto b) { return std::make_unique<ZrGrayscaleImage>(5, 3, zrDefaultStride, std::move(b), true); }},
        {"indexed", 15,
         [](auto b) {
             return std::make_unique<ZrIndexedImage>(5, 3, zrDefaultStride, std::move(b), nullptr, true);
         }},
        {"plain", 30,
         [](auto b) {
             return std::make_unique<ZrRealImage>(zrDefaultStride, kZrFormatPlain, 5, 3, 16, 1,
                                                  std::move(b), true);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> memory(c.bytes, 0xAB);
        auto image = c.make(std::make_unique<ZrInPlaceBuffer>(memory.data(), c.bytes, false));
        EXPECT_EQ(memory, std::vector<uint8_t>(c.bytes, 0));
        EXPECT_EQ(image->getAuxWidth(), 100);
        EXPECT_EQ(image->getAuxHeight(), 100);
        EXPECT_EQ(image->getFormatInfo(), nullptr);
    }
}

TEST(ZrImageConstruction, SizesThatCannotBeHeldRaise2) {
    const struct {
        const char* name;
        int32_t width, height;
    } cases[] = {
        {"negative width", -1, 4},
        {"negative height", 4, -1},
        {"stride beyond 32 bits", INT32_MAX, 1},
        {"more than 4 GiB", 65536, 65536},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ZrErrorCode error = Caught(
            [&] { Zr32BitImage image(c.width, c.height, kZrFormatRGBX, zrDefaultStride, nullptr, true); });
        EXPECT_EQ(error.code, 2) << Describe(error);
        EXPECT_STREQ(error.source, "src\\ZrRealImage");
    }
}

TEST(ZrImageSetSize, CurrentSizeKeepsThePixels) {
    Zr32BitImage image(6, 4, kZrFormatRGBX, zrDefaultStride, nullptr, true);
    Pattern(image);
    const std::vector<uint8_t> before = Bytes(image);
    const ZrBaseBuffer* buffer = image.getBuffer();
    image.setSize(6, 4);
    EXPECT_EQ(image.getBuffer(), buffer);
    EXPECT_EQ(Bytes(image), before);
}

TEST(ZrImageSetSize, NewSizeGetsABufferOfTheSameKind) {
    auto buffer = std::make_unique<TestBuffer>();
    Zr32BitImage image(6, 4, kZrFormatRGBX, zrDefaultStride, std::move(buffer), true);
    image.setSize(9, 2);
    EXPECT_EQ(image.getWidth(), 9);
    EXPECT_EQ(image.getHeight(), 2);
    EXPECT_EQ(image.getStride(), 36);
    EXPECT_EQ(image.getBuffer()->getSize(), 72u);
    EXPECT_NE(dynamic_cast<TestBuffer*>(image.getBuffer()), nullptr);

    // A kind without new buffers of its own gets a ZrBuffer.
    Zr32BitImage other(6, 4, kZrFormatRGBX, zrDefaultStride, std::make_unique<TestBuffer>(false, false),
                       true);
    other.setSize(3, 3);
    EXPECT_NE(dynamic_cast<ZrBuffer*>(other.getBuffer()), nullptr);
}

TEST(ZrImageSetSize, FailureLeavesTheImageExactlyAsItWas) {
    const struct {
        const char* name;
        int32_t width, height;
        bool failAllocation, locked;
        int32_t code;
    } cases[] = {
        {"allocation fails", 20, 20, true, false, 2},
        {"negative size", -3, 20, false, false, 2},
        {"too large", 70000, 70000, false, false, 2},
        {"pixels locked", 20, 20, false, true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto buffer = std::make_unique<TestBuffer>();
        buffer->failNext = c.failAllocation;
        TestBuffer* raw = buffer.get();
        Zr32BitImage image(6, 4, kZrFormatBGRX, zrDefaultStride, std::move(buffer), true);
        Pattern(image);
        image.setFormatInfo(std::make_unique<ZrPNGGlobalInfo>(8, 2, 0));
        const ZrImgFmtGlobalInfo* info = image.getFormatInfo();
        const std::vector<uint8_t> before = Bytes(image);
        if (c.locked)
            image.lockPixels();

        const ZrErrorCode error = Caught([&] { image.setSize(c.width, c.height); });
        EXPECT_EQ(error.code, c.code) << Describe(error);
        EXPECT_EQ(image.getWidth(), 6);
        EXPECT_EQ(image.getHeight(), 4);
        EXPECT_EQ(image.getStride(), 24);
        EXPECT_EQ(image.getBuffer(), raw);
        EXPECT_TRUE(raw->isAllocated());
        EXPECT_EQ(raw->getSize(), 96u);
        EXPECT_EQ(image.getFormatInfo(), info);
        EXPECT_EQ(raw->getLockCount(), c.locked ? 1 : 0);
        if (c.locked)
            image.unlockPixels();
        EXPECT_EQ(Bytes(image), before);
    }
}

// Clearing ------------------------------------------------------------------------------------------

TEST(ZrImageClear, FillColourIsWrittenInTheFormatsByteOrder) {
    const ZrFillColor fill{0x12, 0x34, 0x56, 0x78};
    Zr32BitImage rgbx(3, 2, kZrFormatRGBX, zrDefaultStride, nullptr, true);
    Zr32BitImage bgrx(3, 2, kZrFormatBGRX, zrDefaultStride, nullptr, true);
    ZrRGBImage rgb(3, 2, zrDefaultStride, nullptr);
    rgbx.setFillColor(fill);
    bgrx.setFillColor(fill);
    rgb.setFillColor(fill);
    rgbx.clear();
    bgrx.clear();
    rgb.clear();
    std::vector<uint8_t> expected;
    for (int i = 0; i < 6; ++i)
        expected.insert(expected.end(), {0x12, 0x34, 0x56, 0x78});
    EXPECT_EQ(Bytes(rgbx), expected);
    expected.clear();
    for (int i = 0; i < 6; ++i)
        expected.insert(expected.end(), {0x56, 0x34, 0x12, 0x78});
    EXPECT_EQ(Bytes(bgrx), expected);
    // Read as little-endian words, format 6 pixels are 0xXXRRGGBB.
    ZrPixelLock pixels(bgrx);
    uint32_t word;
    std::memcpy(&word, pixels.get(), 4);
    EXPECT_EQ(word, 0x78123456u);
    expected.clear();
    for (int i = 0; i < 6; ++i)
        expected.insert(expected.end(), {0x12, 0x34, 0x56});
    EXPECT_EQ(Bytes(rgb), expected);
}

// Copies ------------------------------------------------------------------------------------------------

TEST(ZrImageCopies, CloneCopiesClassSizePixelsFillAndFormatInformation) {
    std::vector<uint8_t> memory(5 * 3 * 4);
    Zr32BitImage image(5, 3, kZrFormatBGRX, zrDefaultStride,
                       std::make_unique<ZrInPlaceBuffer>(memory.data(), 60, true), true);
    Pattern(image);
    image.setFillColor({1, 2, 3, 4});
    image.setFormatInfo(std::make_unique<ZrPNGGlobalInfo>(8, 2, 1));

    const std::unique_ptr<ZrImage> copy = image.clone();
    const auto& clone = dynamic_cast<const Zr32BitImage&>(*copy);
    EXPECT_EQ(typeid(*copy), typeid(Zr32BitImage));
    EXPECT_EQ(clone.getFormat(), kZrFormatBGRX);
    EXPECT_EQ(clone.getWidth(), 5);
    EXPECT_EQ(clone.getHeight(), 3);
    EXPECT_EQ(Bytes(clone), Bytes(image));
    EXPECT_EQ(clone.getFillColor().blue, 3);
    EXPECT_EQ(clone.getFillColor().fourth, 4);
    EXPECT_NE(dynamic_cast<ZrBuffer*>(clone.getBuffer()), nullptr);
    const auto* info = dynamic_cast<const ZrPNGGlobalInfo*>(clone.getFormatInfo());
    ASSERT_NE(info, nullptr);
    EXPECT_NE(info, image.getFormatInfo());
    EXPECT_EQ(info->interlaceType, 1);

    ZrRealImage plain(zrDefaultStride, kZrFormatPlain, 2, 2, 8, 2, nullptr, true);
    EXPECT_EQ(Caught([&] { plain.clone(); }).code, 37);
    EXPECT_EQ(Caught([&] { plain.flippedCopy(ZrTopBottom{}); }).code, 37);
    EXPECT_EQ(Caught([&] { plain.resizedCopy(1, 1); }).code, 37);
}

TEST(ZrImageCopies, FlippedCopiesMirrorEachPixel) {
    const auto make = [](int kind, int32_t w, int32_t h) -> std::unique_ptr<ZrRealImage> {
        switch (kind) {
        case 0: return std::make_unique<Zr32BitImage>(w, h, kZrFormatBGRX, zrDefaultStride, nullptr, true);
        case 1: return std::make_unique<ZrRGBImage>(w, h, zrDefaultStride, nullptr);
        default: return std::make_unique<ZrGrayscaleImage>(w, h, zrDefaultStride, nullptr, true);
        }
    };
    const char* names[] = {"32-bit", "RGB", "grey"};
    for (int kind = 0; kind < 3; ++kind) {
        for (int32_t w : {1, 4, 5}) {
            for (int32_t h : {1, 2, 3}) {
                SCOPED_TRACE(std::string(names[kind]) + " " + std::to_string(w) + "x" + std::to_string(h));
                auto image = make(kind, w, h);
                Pattern(*image, static_cast<uint8_t>(w * 16 + h));
                const auto across = image->flippedCopy(ZrLeftRight{});
                const auto down = image->flippedCopy(ZrTopBottom{});
                const auto& a = dynamic_cast<const ZrRealImage&>(*across);
                const auto& d = dynamic_cast<const ZrRealImage&>(*down);
                EXPECT_EQ(typeid(a), typeid(*image));
                ZrPixelLock src(*image), left(a), top(d);
                const size_t pixelBytes = image->getChannels();
                for (int32_t y = 0; y < h; ++y)
                    for (int32_t x = 0; x < w; ++x) {
                        const uint8_t* p = PixelAt(*image, src.get(), x, y);
                        ASSERT_EQ(std::memcmp(p, PixelAt(a, left.get(), w - 1 - x, y), pixelBytes), 0)
                            << "left-right at " << x << "," << y;
                        ASSERT_EQ(std::memcmp(p, PixelAt(d, top.get(), x, h - 1 - y), pixelBytes), 0)
                            << "top-bottom at " << x << "," << y;
                    }
            }
        }
    }
}

TEST(ZrImageCopies, OneBitImagesFlipAndCopyBitByBit) {
    BitImage image(11, 2); // stride 2: the last 5 bits of each row are padding
    EXPECT_EQ(image.getStride(), 2);
    const bool bits[11] = {1, 1, 0, 1, 0, 0, 0, 1, 1, 0, 1};
    for (int x = 0; x < 11; ++x) {
        image.setBit(x, 0, bits[x]);
        image.setBit(x, 1, !bits[x]);
    }
    const auto flipped = image.flippedCopy(ZrLeftRight{});
    const auto& f = dynamic_cast<const BitImage&>(*flipped);
    for (int x = 0; x < 11; ++x) {
        EXPECT_EQ(f.bit(x, 0), bits[10 - x]) << x;
        EXPECT_EQ(f.bit(x, 1), !bits[10 - x]) << x;
    }

    BitImage target(20, 3);
    CheckRecorder checks;
    target.copyRegionFrom({5, 1}, image);
    EXPECT_EQ(checks.count(), 0u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inside = y >= 1 && x >= 5 && x < 16;
            const bool expected = inside && (y == 1 ? bits[x - 5] : !bits[x - 5]);
            EXPECT_EQ(target.bit(x, y), expected) << x << "," << y;
        }
}

TEST(ZrImageCopies, CopyRegionPlacesTheSourceOrRefusesAMisfit) {
    const struct {
        const char* name;
        ZrPoint at;
        int32_t sourceFormat;
        bool copies;
    } cases[] = {
        {"inside", {1, 2}, kZrFormatBGRX, true},
        {"at the far corner", {2, 2}, kZrFormatBGRX, true},
        {"past the right edge", {3, 0}, kZrFormatBGRX, false},
        {"negative position", {-1, 0}, kZrFormatBGRX, false},
        {"other format", {0, 0}, kZrFormatRGBX, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Zr32BitImage from(2, 2, c.sourceFormat, zrDefaultStride, nullptr, true);
        Pattern(from, 100);
        Zr32BitImage target(4, 4, kZrFormatBGRX, zrDefaultStride, nullptr, true);
        CheckRecorder checks;
        target.copyRegionFrom(c.at, from);
        EXPECT_EQ(checks.count(), c.copies ? 0u : 1u);
        ZrPixelLock in(from), out(target);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 4; ++x) {
                const bool inside = c.copies && x >= c.at.x && x < c.at.x + 2 && y >= c.at.y && y < c.at.y + 2;
                const uint8_t* got = PixelAt(target, out.get(), x, y);
                if (inside)
                    EXPECT_EQ(std::memcmp(got, PixelAt(from, in.get(), x - c.at.x, y - c.at.y), 4), 0)
                        << x << "," << y;
                else
                    EXPECT_EQ(got[0] | got[1] | got[2] | got[3], 0) << x << "," << y;
            }
    }
}

TEST(ZrImageCopies, CopyRegionBringsThePaletteAlong) {
    ZrColorTable palette;
    palette.resize(2);
    palette.setEntry(1, 9, 8, 7);
    ZrIndexedImage source(1, 1, zrDefaultStride, nullptr, &palette, true);
    ZrIndexedImage target(3, 3, zrDefaultStride, nullptr, nullptr, true);
    target.copyRegionFrom({1, 1}, source);
    ASSERT_EQ(target.getPalette().getCount(), 2u);
    EXPECT_EQ(target.getPalette().getEntries()[3], 9);
}

TEST(ZrImageCopies, CreateCompatibleMakesAClearedImageOfTheRegionSize) {
    Zr32BitImage canvas(10, 10, kZrFormatBGRX, zrDefaultStride, nullptr, true);
    canvas.setFillColor({0xAA, 0xBB, 0xCC, 0});
    const auto made = canvas.createCompatible(2, 3, 7, 6); // x0, y0, y1, x1
    const auto& image = dynamic_cast<const Zr32BitImage&>(*made);
    EXPECT_EQ(image.getWidth(), 4);
    EXPECT_EQ(image.getHeight(), 4);
    EXPECT_EQ(image.getFormat(), kZrFormatRGBX);
    std::vector<uint8_t> expected;
    for (int i = 0; i < 16; ++i)
        expected.insert(expected.end(), {0xAA, 0xBB, 0xCC, 0});
    EXPECT_EQ(Bytes(image), expected);

    ZrRealImage plain(zrDefaultStride, kZrFormatRGB, 3, 3, 16, 3, nullptr, true);
    const auto other = plain.createCompatible(0, 0, 2, 1);
    const auto& p = dynamic_cast<const ZrRealImage&>(*other);
    EXPECT_EQ(typeid(p), typeid(ZrRealImage));
    EXPECT_EQ(p.getFormat(), kZrFormatPlain);
    EXPECT_EQ(p.getBitsPerChannel(), 16);
    EXPECT_EQ(p.getChannels(), 3);
    EXPECT_EQ(p.getWidth(), 1);
    EXPECT_EQ(p.getHeight(), 2);

    EXPECT_EQ(Caught([&] { canvas.createCompatible(5, 0, 1, 4); }).code, 2);
}

// Resizing ------------------------------------------------------------------------------------------------

// A one-row 32-bit image whose pixels have these values in every channel.
std::unique_ptr<Zr32BitImage> Row(const std::vector<uint8_t>& values, int32_t format = kZrFormatBGRX) {
    auto image = std::make_unique<Zr32BitImage>(static_cast<int32_t>(values.size()), 1, format,
                                                zrDefaultStride, nullptr, true);
    ZrPixelLock pixels(*image);
    for (size_t i = 0; i < values.size(); ++i)
        std::memset(pixels.get() + 4 * i, values[i], 4);
    return image;
}

std::vector<uint8_t> FirstChannel(const ZrRealImage& image) {
    std::vector<uint8_t> values;
    const std::vector<uint8_t> bytes = Bytes(image);
    for (size_t i = 0; i < bytes.size(); i += 4)
        values.push_back(bytes[i]);
    return values;
}

TEST(ZrResizedCopy, AveragesByArea) {
    const struct {
        const char* name;
        std::vector<uint8_t> from;
        int32_t width;
        std::vector<uint8_t> to;
    } cases[] = {
        {"halving averages pairs", {0, 100, 200, 50}, 2, {50, 125}},
        {"to one pixel averages all", {0, 100, 200, 255}, 1, {139}}, // 138.75 rounds up
        {"doubling repeats", {10, 20}, 4, {10, 10, 20, 20}},
        {"same size copies", {1, 2, 3}, 3, {1, 2, 3}},
        {"thirds", {0, 255, 0}, 2, {85, 85}}, // 682/1024 x 0 + 342/1024 x 255 = 85.17
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto source = Row(c.from);
        const auto resized = source->resizedCopy(c.width, 1);
        EXPECT_EQ(FirstChannel(dynamic_cast<const ZrRealImage&>(*resized)), c.to);
    }
}

TEST(ZrResizedCopy, UniformImagesStayExactlyUniform) {
    Zr32BitImage image(7, 5, kZrFormatRGBX, zrDefaultStride, nullptr, true);
    image.setFillColor({255, 200, 1, 7});
    image.clear();
    const std::pair<int32_t, int32_t> sizes[] = {{3, 2}, {13, 11}, {1, 1}, {7, 5}, {1000, 3}, {2, 997}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const auto resized = image.resizedCopy(w, h);
        const auto& r = dynamic_cast<const Zr32BitImage&>(*resized);
        ASSERT_EQ(r.getWidth(), w);
        ASSERT_EQ(r.getHeight(), h);
        const std::vector<uint8_t> bytes = Bytes(r);
        for (size_t i = 0; i < bytes.size(); i += 4)
            ASSERT_TRUE(bytes[i] == 255 && bytes[i + 1] == 200 && bytes[i + 2] == 1 && bytes[i + 3] == 7)
                << "pixel " << i / 4;
    }
}

TEST(ZrResizedCopy, KeepsKindFillAndFormatInformation) {
    auto source = Row({1, 2, 3, 4}, kZrFormatBGRX);
    source->setFillColor({5, 6, 7, 8});
    source->setFormatInfo(std::make_unique<ZrPNGGlobalInfo>(8, 2, 0));
    const auto resized = source->resizedCopy(2, 3);
    const auto& r = dynamic_cast<const Zr32BitImage&>(*resized);
    EXPECT_EQ(r.getFormat(), kZrFormatBGRX);
    EXPECT_EQ(r.getFillColor().green, 6);
    EXPECT_NE(r.getFormatInfo(), nullptr);
    EXPECT_NE(r.getFormatInfo(), source->getFormatInfo());

    const auto empty = source->resizedCopy(0, 4);
    EXPECT_EQ(empty->getWidth(), 0);
    Zr32BitImage nothing(0, 0, kZrFormatBGRX, zrDefaultStride, nullptr, true);
    const auto fromNothing = nothing.resizedCopy(3, 3);
    EXPECT_EQ(FirstChannel(dynamic_cast<const ZrRealImage&>(*fromNothing)), std::vector<uint8_t>(9, 0));
}

TEST(ZrResizedCopy, MemoryShortageRaises2AndLeavesNothingBehind) {
    auto source = Row({10, 20, 30, 40, 50});
    long k = 1;
    for (;; ++k) {
        SCOPED_TRACE("allocation " + std::to_string(k) + " fails");
        CountedMemory memory(k);
        std::unique_ptr<ZrImage> resized;
        const ZrErrorCode error = Caught([&] { resized = source->resizedCopy(3, 2); });
        EXPECT_EQ(memory.allocations(), memory.releases());
        if (memory.attempts() < k) {
            EXPECT_EQ(error.code, 0);
            break;
        }
        EXPECT_EQ(error.code, 2) << Describe(error);
        EXPECT_STREQ(error.source, "src\\Zr32BitImage");
        EXPECT_EQ(resized, nullptr);
    }
    EXPECT_GT(k, 1);
}

// Format information --------------------------------------------------------------------------------------

TEST(ZrImageFormatInfo, OwnershipMovesAsEachOperationSays) {
    ZrRGBImage image(1, 1, zrDefaultStride, nullptr);
    image.setFormatInfo(std::make_unique<ZrPNGGlobalInfo>(8, 2, 0));
    ZrImgFmtGlobalInfo* first = image.getFormatInfo();
    std::unique_ptr<ZrImgFmtGlobalInfo> old =
        image.replaceFormatInfo(std::make_unique<ZrPNGGlobalInfo>(8, 0, 1));
    EXPECT_EQ(old.get(), first);
    std::unique_ptr<ZrImgFmtGlobalInfo> detached = image.detachFormatInfo();
    EXPECT_EQ(image.getFormatInfo(), nullptr);
    EXPECT_EQ(dynamic_cast<ZrPNGGlobalInfo&>(*detached).interlaceType, 1);

    ZrRGBImage other(1, 1, zrDefaultStride, nullptr);
    other.setFormatInfo(std::move(detached));
    image.copyFormatInfo(other);
    ASSERT_NE(image.getFormatInfo(), nullptr);
    EXPECT_NE(image.getFormatInfo(), other.getFormatInfo());
    ZrRGBImage none(1, 1, zrDefaultStride, nullptr);
    image.copyFormatInfo(none);
    EXPECT_EQ(image.getFormatInfo(), nullptr);

    char name[8];
    other.getFormatInfo()->formatName(name, sizeof name);
    EXPECT_STREQ(name, "PNG");
    other.getFormatInfo()->formatName(name, 2);
    EXPECT_STREQ(name, "P");
}

} // namespace
