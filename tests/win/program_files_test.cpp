// What Explorer and the installer read from the two programs: the version
// information, the icons' images and the manifest.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "res/version.h"
#include "win/win_handles.h"

namespace {

struct Program {
    const char* path;
    const char* fileName;
};

const Program kPrograms[] = {{ORVANTA_EXE_PATH, "Orvanta.exe"},
                             {ORVANTA_CLI_PATH, "orvanta-cli.exe"}};

std::string VersionString(const std::vector<char>& info, const char* name) {
    const std::string query = std::string("\\StringFileInfo\\040904E4\\") + name;
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) ||
        !value)
        return "<missing>";
    return std::string(value, strnlen(value, length));
}

TEST(ProgramFiles, VersionInformation) {
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.fileName);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(program.path, &ignored);
        ASSERT_GT(size, 0u);
        std::vector<char> info(size);
        ASSERT_TRUE(GetFileVersionInfoA(program.path, 0, size, info.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
        EXPECT_EQ(fixed->dwFileVersionLS, 0u);
        EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

        const struct {
            const char* name;
            std::string expected;
        } strings[] = {{"CompanyName", "Pellmora"},
                       {"ProductName", "Orvanta"},
                       {"FileVersion", "1.1"},
                       {"ProductVersion", "1.1"},
                       {"OriginalFilename", program.fileName}};
        for (const auto& s : strings)
            EXPECT_EQ(VersionString(info, s.name), s.expected) << s.name;
        const std::string description = VersionString(info, "FileDescription");
        EXPECT_NE(description.find("Orvanta"), std::string::npos) << description;
    }
}

// The icon group as stored in the file: a header, then one entry per image.
#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

struct ModuleFree {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree>;

struct IconDestroy {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroy>;

// A program's resources, without running it; null when it cannot be loaded.
Module LoadResources(const char* path) {
    return Module(
        LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

// The bytes of a resource; empty when it is missing.
std::string Resource(HMODULE module, LPCSTR name, LPCSTR type) {
    const HRSRC found = FindResourceA(module, name, type);
    const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* bytes = static_cast<const char*>(loaded ? LockResource(loaded) : nullptr);
    return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
}

// One image of an icon: its side in pixels (256 for the large one), its bit
// count and its bytes (a BITMAPINFOHEADER and pixels, or a PNG file).
struct IconImage {
    int size;
    int bitCount;
    std::string bytes;
};

// The images of icon group ID, in the group's order; empty when the group is
// missing or does not add up.
std::vector<IconImage> GroupImages(HMODULE module, int id) {
    const std::string group = Resource(module, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
    WORD count = 0;
    if (group.size() < 6)
        return {};
    std::memcpy(&count, group.data() + 4, sizeof count);
    if (group.size() != 6 + count * sizeof(GroupIconEntry))
        return {};
    std::vector<IconImage> images;
    for (WORD i = 0; i < count; ++i) {
        GroupIconEntry entry;
        std::memcpy(&entry, group.data() + 6 + i * sizeof entry, sizeof entry);
        std::string bytes = Resource(module, MAKEINTRESOURCEA(entry.id), RT_ICON);
        if (bytes.size() != entry.bytes)
            return {};
        images.push_back({entry.width ? entry.width : 256, entry.bitCount, std::move(bytes)});
    }
    return images;
}

std::vector<int> Sizes(const std::vector<IconImage>& images) {
    std::vector<int> sizes;
    for (const IconImage& image : images)
        sizes.push_back(image.size);
    return sizes;
}

// What an icon shows: its colour pixels and its mask as 32-bit rows, top
// first, after its side in pixels; empty when the icon cannot be read.
std::vector<uint32_t> IconPixels(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info))
        return {};
    const GdiObject<HBITMAP> color(info.hbmColor), mask(info.hbmMask);
    BITMAP shape{};
    if (!color || !GetObjectA(color.get(), sizeof shape, &shape))
        return {};
    const WindowDC screen(nullptr);
    std::vector<uint32_t> pixels{static_cast<uint32_t>(shape.bmWidth)};
    for (HBITMAP bitmap : {color.get(), mask.get()}) {
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        format.bmiHeader.biWidth = shape.bmWidth;
        format.bmiHeader.biHeight = -shape.bmHeight; // top row first
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        std::vector<uint32_t> rows(static_cast<size_t>(shape.bmWidth) * shape.bmHeight);
        if (GetDIBits(screen.get(), bitmap, 0, shape.bmHeight, rows.data(), &format,
                      DIB_RGB_COLORS) != shape.bmHeight)
            return {};
        pixels.insert(pixels.end(), rows.begin(), rows.end());
    }
    return pixels;
}

// The icon that image SIZE of a group makes, as the shell would draw it.
Icon IconOf(const std::vector<IconImage>& images, int size) {
    for (const IconImage& image : images)
        if (image.size == size) {
            std::string bytes = image.bytes;
            return Icon(CreateIconFromResourceEx(reinterpret_cast<BYTE*>(bytes.data()),
                                                 static_cast<DWORD>(bytes.size()), TRUE, 0x00030000,
                                                 size, size, LR_DEFAULTCOLOR));
        }
    return nullptr;
}

// Each icon group with the images Windows picks from: 16 to 48 px as 32-bit
// bitmaps with alpha and 256 px PNG-compressed.
TEST(ProgramFiles, IconImagesAndManifest) {
    const struct {
        const Program& program;
        int id;
    } groups[] = {
        {kPrograms[0], IDI_ORVANTA}, {kPrograms[0], IDI_DOCUMENT}, {kPrograms[1], IDI_ORVANTA}};
    for (const auto& [program, id] : groups) {
        SCOPED_TRACE(std::string(program.fileName) + " icon " + std::to_string(id));
        const Module module = LoadResources(program.path);
        ASSERT_TRUE(module);
        const std::vector<IconImage> images = GroupImages(module.get(), id);
        EXPECT_EQ(Sizes(images), (std::vector<int>{16, 24, 32, 48, 256}));
        for (const IconImage& image : images) {
            EXPECT_EQ(image.bitCount, 32) << image.size;
            if (image.size == 256)
                EXPECT_EQ(image.bytes.substr(0, 8), "\x89PNG\r\n\x1A\n");
            else
                EXPECT_EQ(image.bytes.substr(0, 4), std::string("\x28\0\0\0", 4)) << image.size;
        }
    }

    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.fileName);
        const Module module = LoadResources(program.path);
        ASSERT_TRUE(module);
        const std::string manifest =
            Resource(module.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
        for (const char* needle :
             {"Microsoft.Windows.Common-Controls", "PerMonitorV2", "true/pm", "asInvoker",
              "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"})
            EXPECT_NE(manifest.find(needle), std::string::npos) << needle;
    }
}

// The installer registers graph documents with the icon at index 1 of
// Orvanta.exe, where the shell counts icon groups in the order of their ids:
// what it extracts at each index must be that group's image.
TEST(ProgramFiles, IconIndexes) {
    const Module module = LoadResources(ORVANTA_EXE_PATH);
    ASSERT_TRUE(module);
    const int size = GetSystemMetrics(SM_CXICON);
    const struct {
        int index;
        int id;
    } icons[] = {{0, IDI_ORVANTA}, {1, IDI_DOCUMENT}};
    std::vector<std::vector<uint32_t>> shown;
    for (const auto& [index, id] : icons) {
        SCOPED_TRACE(index);
        HICON extracted = nullptr;
        ASSERT_EQ(ExtractIconExA(ORVANTA_EXE_PATH, index, &extracted, nullptr, 1), 1u);
        const Icon owned(extracted);
        shown.push_back(IconPixels(extracted));
        ASSERT_FALSE(shown.back().empty());
        EXPECT_EQ(shown.back(), IconPixels(IconOf(GroupImages(module.get(), id), size).get()));
    }
    // The comparison tells the two icons apart.
    EXPECT_NE(shown[0], shown[1]);
}

} // namespace
