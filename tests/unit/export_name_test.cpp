// Where the extension of an export file name starts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/export_image.h"

namespace {

TEST(FindExtension, LastDotAfterTheLastSeparator) {
    const struct {
        const char* name;
        const char* extension; // "" when there is none
    } cases[] = {
        {"plot", ""},
        {"plot.png", ".png"},
        {"plot.old.bmp", ".bmp"},
        {"C:\\data.old\\plot", ""},
        {"C:\\data.old\\plot.BMP", ".BMP"},
        {"dir.d/plot", ""},
        {"C:plot", ""},
        {"a.b:c", ""},
        {".hidden", ".hidden"},
        {"trailing.", "."},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const size_t at = FindExtension(c.name);
        EXPECT_STREQ(c.name + at, c.extension);
        EXPECT_LE(at, std::strlen(c.name));
    }
    const std::string longName(260, 'x');
    EXPECT_EQ(FindExtension(longName.c_str()), 260u);
}

} // namespace
