// WReg against the registry of the Wine prefix, under both roots.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "prefs/wreg.h"

namespace {

const char kTestKey[] = "Software\\PellmoraTests\\OrvantaRegistry\\1.x";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        Clear();
        reg.BuildKeyPath("PellmoraTests", "OrvantaRegistry", "1");
    }
    void TearDown() override { Clear(); }
    static void Clear() {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            RegDeleteTreeA(root, "Software\\PellmoraTests");
    }
    // Writes a raw value under one root, bypassing WReg.
    static void Raw(HKEY root, const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(root, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    static bool Query(HKEY root, const char* name, DWORD& type, std::string& data) {
        HKEY key;
        if (RegOpenKeyExA(root, kTestKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        char buffer[256];
        DWORD size = sizeof buffer;
        const bool ok = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                                         &size) == ERROR_SUCCESS;
        RegCloseKey(key);
        data.assign(buffer, ok ? size : 0);
        return ok;
    }
    WReg reg;
};

TEST(WRegPath, ProgramKeyPath) {
    WReg reg;
    reg.BuildKeyPath("Pellmora", "Orvanta", "1");
    EXPECT_STREQ(reg.KeyPath(), "Software\\Pellmora\\Orvanta\\1.x");
}

TEST_F(RegistryTest, IntegersAreFourBytesOfTypeZeroUnderBothRoots) {
    reg.WriteIntBoth("Value", 16711680);
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        DWORD type = 99;
        std::string data;
        ASSERT_TRUE(Query(root, "Value", type, data));
        EXPECT_EQ(type, 0u);
        EXPECT_EQ(data, std::string("\x00\x00\xFF\x00", 4)) << "stored bytes BB GG RR 00";
    }
    int32_t value = 0;
    EXPECT_TRUE(reg.ReadInt(HKEY_CURRENT_USER, "Value", &value));
    EXPECT_EQ(value, 16711680);
}

TEST_F(RegistryTest, IntegerReadsIgnoreTheStoredType) {
    const DWORD dword = 42;
    Raw(HKEY_CURRENT_USER, "Dword", REG_DWORD, &dword, sizeof dword);
    int32_t value = -1;
    EXPECT_TRUE(reg.ReadIntEither("Dword", &value));
    EXPECT_EQ(value, 42);
    const int64_t wide = 7;
    Raw(HKEY_CURRENT_USER, "Wide", REG_QWORD, &wide, sizeof wide);
    value = -1;
    EXPECT_FALSE(reg.ReadIntEither("Wide", &value)) << "more than 4 bytes counts as missing";
    EXPECT_EQ(value, -1);
    EXPECT_FALSE(reg.ReadIntEither("Missing", &value));
}

TEST_F(RegistryTest, MachineWideValuesComeFirst) {
    const int32_t machine = 1, user = 2;
    Raw(HKEY_CURRENT_USER, "Both", 0, &user, 4);
    int32_t value = 0;
    EXPECT_TRUE(reg.ReadIntEither("Both", &value));
    EXPECT_EQ(value, 2);
    Raw(HKEY_LOCAL_MACHINE, "Both", 0, &machine, 4);
    EXPECT_TRUE(reg.ReadIntEither("Both", &value));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(reg.ReadBoolOrDefault("Both", false));
    const int32_t zero = 0;
    Raw(HKEY_LOCAL_MACHINE, "Off", 0, &zero, 4);
    EXPECT_FALSE(reg.ReadBoolOrDefault("Off", true));
    EXPECT_TRUE(reg.ReadBoolOrDefault("Absent", true));
    EXPECT_FALSE(reg.ReadBoolOrDefault("Absent", false));
}

TEST_F(RegistryTest, Texts) {
    reg.WriteStringBoth("Text", "1.2");
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(Query(HKEY_LOCAL_MACHINE, "Text", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, std::string("1.2\0", 4));

    char buffer[4];
    EXPECT_FALSE(reg.ReadString(HKEY_CURRENT_USER, "Text", buffer, 0));
    reg.ReadStringOrDefault("Text", buffer, sizeof buffer, "zz");
    EXPECT_STREQ(buffer, "1.2") << "text and terminator fill the buffer exactly";

    // Too long for the buffer under the machine-wide root, absent per user.
    Raw(HKEY_LOCAL_MACHINE, "Long", REG_SZ, "1.2.3.4", 8);
    const struct {
        const char* defaultText;
        const char* expected;
    } cases[] = {{"dd", "dd"}, {nullptr, ""}, {"four", ""}, {"abc", "abc"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.defaultText ? c.defaultText : "(none)");
        memset(buffer, 'x', sizeof buffer);
        reg.ReadStringOrDefault("Long", buffer, sizeof buffer, c.defaultText);
        EXPECT_STREQ(buffer, c.expected);
    }
    // Raw bytes without a terminator that fill the buffer: the last byte
    // becomes the terminator.
    Raw(HKEY_CURRENT_USER, "Raw", REG_BINARY, "wxyz", 4);
    EXPECT_TRUE(reg.ReadString(HKEY_CURRENT_USER, "Raw", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "wxy");
}

TEST_F(RegistryTest, DeleteValue) {
    reg.WriteIntBoth("Gone", 5);
    EXPECT_EQ(reg.DeleteValue(HKEY_LOCAL_MACHINE, "Gone"), ERROR_SUCCESS);
    int32_t value = 0;
    EXPECT_TRUE(reg.ReadIntEither("Gone", &value)) << "still stored per user";
    EXPECT_EQ(reg.DeleteValue(HKEY_CURRENT_USER, "Gone"), ERROR_SUCCESS);
    EXPECT_FALSE(reg.ReadIntEither("Gone", &value));
}

class PlacementTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        // A pop-up window: an overlapped one has a minimum size of its own.
        window = CreateWindowExA(0, "STATIC", "placement", WS_POPUP, 100, 120, 300, 200,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        DestroyWindow(window);
        RegistryTest::TearDown();
    }
    RECT Normal() const {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        GetWindowPlacement(window, &placement);
        return placement.rcNormalPosition;
    }
    int32_t Stored(const char* name) {
        int32_t value = -12345;
        reg.ReadIntEither(name, &value);
        return value;
    }
    void Store(const char* name, int32_t value) { reg.WriteIntBoth(name, value); }
    HWND window = nullptr;
};

TEST_F(PlacementTest, SavesTheNormalRectangle) {
    reg.SaveWindowPos("Dim", window, true, true);
    const RECT r = Normal();
    EXPECT_EQ(Stored("Dim_x"), r.left);
    EXPECT_EQ(Stored("Dim_y"), r.top);
    EXPECT_EQ(Stored("Dim_dx"), r.right - r.left);
    EXPECT_EQ(Stored("Dim_dy"), r.bottom - r.top);
    ShowWindow(window, SW_MAXIMIZE);
    reg.SaveWindowPos("Max", window, true, true);
    EXPECT_EQ(Stored("Max_dx"), 300) << "a maximised window stores its restored size";
}

TEST_F(PlacementTest, RestoreKeepsTheWindowReachable) {
    RECT work;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    const struct {
        int32_t x, y, dx, dy;
        int32_t wantX, wantY, wantDx, wantDy;
    } cases[] = {
        {40, 50, 400, 300, 40, 50, 400, 300},
        {work.right - 10, 30, 400, 300, 0, 30, 400, 300},
        {30, work.bottom - 10, 400, 300, 30, 0, 400, 300},
        {-50, -70, 400, 300, 0, 0, 400, 300},
        {10, 10, 5, 19, 10, 10, 20, 20},
        // A size larger than any window may be is not taken: the one before stays.
        {10, 10, INT32_MAX, 300, 10, 10, 20, 300},
        {10, 10, 400, INT32_MAX, 10, 10, 400, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.dx << "x" << c.dy);
        Store("Dim_x", c.x);
        Store("Dim_y", c.y);
        Store("Dim_dx", c.dx);
        Store("Dim_dy", c.dy);
        reg.RestoreWindowPos("Dim", window, true, true);
        const RECT r = Normal();
        EXPECT_EQ(r.left, c.wantX);
        EXPECT_EQ(r.top, c.wantY);
        EXPECT_EQ(r.right - r.left, c.wantDx);
        EXPECT_EQ(r.bottom - r.top, c.wantDy);
    }
}

TEST_F(PlacementTest, MissingValuesKeepTheCurrentPlacement) {
    const RECT before = Normal();
    reg.RestoreWindowPos("Nothing", window, true, true);
    const RECT after = Normal();
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
}

} // namespace
