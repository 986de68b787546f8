// Where the extension of an export file name starts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plot/export_image.h"

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

// The format's extension is added only to a name without one, and only when
// it fits the 265-character buffer with room to spare.
TEST(AddExportExtension, OnlyToANameWithoutOneThatFits) {
    const struct {
        std::string name;
        ExportFormat format;
        std::string result;
    } cases[] = {
        {"plot", ExportFormat::Png, "plot.PNG"},
        {"plot", ExportFormat::Bmp, "plot.BMP"},
        {"plot", ExportFormat::Svg, "plot.SVG"},
        {"plot.png", ExportFormat::Bmp, "plot.png"},
        {"plot.bmp", ExportFormat::Svg, "plot.bmp"},
        {"C:\\data.old\\plot", ExportFormat::Png, "C:\\data.old\\plot.PNG"},
        {"C:\\data.svg\\plot", ExportFormat::Svg, "C:\\data.svg\\plot.SVG"},
        {std::string(259, 'x'), ExportFormat::Bmp, std::string(259, 'x') + ".BMP"},
        {std::string(259, 'x'), ExportFormat::Svg, std::string(259, 'x') + ".SVG"},
        {std::string(260, 'x'), ExportFormat::Svg, std::string(260, 'x')},
        {std::string(264, 'x'), ExportFormat::Png, std::string(264, 'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.size() > 40 ? std::to_string(c.name.size()) + " characters" : c.name);
        char buffer[265] = {};
        std::memcpy(buffer, c.name.c_str(), c.name.size() + 1);
        AddExportExtension(buffer, sizeof buffer, c.format);
        EXPECT_EQ(std::string(buffer), c.result);
    }
}

} // namespace
