// What Explorer and the installer read from the two programs: the version
// information, the icon's images and the manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "res/version.h"

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
        } strings[] = {{"CompanyName", "Pellmora"},     {"ProductName", "Orvanta"},
                       {"FileVersion", "1.1"},          {"ProductVersion", "1.1"},
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

TEST(ProgramFiles, IconImagesAndManifest) {
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.fileName);
        const HMODULE module = LoadLibraryExA(
            program.path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr);
        const auto resource = [&](LPCSTR name, LPCSTR type) -> std::string {
            const HRSRC found = FindResourceA(module, name, type);
            const HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
            const auto* bytes = static_cast<const char*>(loaded ? LockResource(loaded) : nullptr);
            return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
        };

        const std::string group = resource(MAKEINTRESOURCEA(IDI_ORVANTA), RT_GROUP_ICON);
        ASSERT_GE(group.size(), 6u);
        WORD count = 0;
        std::memcpy(&count, group.data() + 4, sizeof count);
        ASSERT_EQ(group.size(), 6 + count * sizeof(GroupIconEntry));
        std::vector<int> sizes;
        for (WORD i = 0; i < count; ++i) {
            GroupIconEntry entry;
            std::memcpy(&entry, group.data() + 6 + i * sizeof entry, sizeof entry);
            const int size = entry.width ? entry.width : 256;
            sizes.push_back(size);
            EXPECT_EQ(entry.bitCount, 32) << size;
            const std::string image = resource(MAKEINTRESOURCEA(entry.id), RT_ICON);
            ASSERT_EQ(image.size(), entry.bytes) << size;
            // The large image is PNG-compressed, the others are bitmaps.
            if (size == 256)
                EXPECT_EQ(image.substr(0, 8), "\x89PNG\r\n\x1A\n");
            else
                EXPECT_EQ(image.substr(0, 4), std::string("\x28\0\0\0", 4)) << size;
        }
        EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 256}));

        const std::string manifest =
            resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
        for (const char* needle : {"Microsoft.Windows.Common-Controls", "PerMonitorV2",
                                   "true/pm", "asInvoker",
                                   "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
                                   "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"})
            EXPECT_NE(manifest.find(needle), std::string::npos) << needle;
        FreeLibrary(module);
    }
}

} // namespace
