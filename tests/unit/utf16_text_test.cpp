// UTF-8 to UTF-16 and back, as the file calls and the windows convert names
// and texts (Windows only: elsewhere the system takes UTF-8 as it is).
#include <gtest/gtest.h>

#ifdef _WIN32

#include <cerrno>
#include <string>

#include "src/utf16_text.h"
#include "src/zr_file_calls.h"

namespace {

constexpr unsigned kUtf8 = 65001;

TEST(Utf16Text, ConvertsEveryCharacterLengthBothWays) {
    using namespace std::string_literals;
    const struct {
        std::string utf8;
        std::wstring utf16;
    } rows[] = {
        {"", L""},
        {"plot.orv", L"plot.orv"},
        {"Gr\xC3\xA1" "fico \xE2\x88\x91.orv", L"Gr\u00E1fico \u2211.orv"}, // two and three bytes
        {"\xF0\x9F\x98\x80!", L"\xD83D\xDE00!"},                           // four: a surrogate pair
        {"a\0b"s, L"a\0b"s},                                               // all of it, NUL included
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.utf8);
        std::wstring wide = L"old";
        EXPECT_TRUE(ToUtf16(kUtf8, row.utf8, wide, true));
        EXPECT_EQ(wide, row.utf16);
        EXPECT_EQ(Utf8ToWide(row.utf8), row.utf16);
        EXPECT_EQ(WideToUtf8(row.utf16), row.utf8);
    }
}

// Bytes that are not UTF-8 name no file: a strict conversion refuses them
// (and the file calls report EINVAL); a lenient one converts what it can.
TEST(Utf16Text, StrictConversionRefusesWhatIsNotUtf8) {
    const char* const rows[] = {
        "\xC3",         // truncated
        "ab\x80",       // a continuation byte alone
        "\xC0\xAF",     // overlong "/"
        "\xED\xA0\x80", // a surrogate
        "\xF4\x90\x80\x80", // above U+10FFFF
        "\xFF.txt",
    };
    for (const char* row : rows) {
        SCOPED_TRACE(row);
        std::wstring wide = L"old";
        EXPECT_FALSE(ToUtf16(kUtf8, row, wide, true));
        EXPECT_TRUE(wide.empty());
        EXPECT_FALSE(Utf8ToWide(row).empty());
        errno = 0;
        EXPECT_EQ(zrOpenForReading(row), -1);
        EXPECT_EQ(errno, EINVAL);
    }
}

} // namespace

#endif
