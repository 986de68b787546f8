// Control characters in quoted user text: shown escaped, and the escaping
// can be undone, so that two texts never look the same.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "src/shown_text.h"

namespace {

// The reading of an escaped text: "\x" and two hex digits is that byte,
// every other byte stands for itself.
std::string Unescape(const std::string& shown) {
    std::string text;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (shown.compare(i, 2, "\\x") == 0 && i + 3 < shown.size()) {
            text += static_cast<char>(std::stoi(shown.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            text += shown[i];
        }
    }
    return text;
}

TEST(ShownText, ControlCharactersAreEscaped) {
    const struct {
        std::string text, shown;
    } cases[] = {
        {"sin(x)", "sin(x)"},
        {"\x1b]0;title\x07", "\\x1b]0;title\\x07"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"\t\n\r\x1f", "\\x09\\x0a\\x0d\\x1f"},
        {"\x7f", "\\x7f"},
        {" ~", " ~"},
        // UTF-8 and the other bytes above 0x7F are kept: "é", "∑", a lone byte.
        {"\xC3\xA9\xE2\x88\x91\x80\xFF", "\xC3\xA9\xE2\x88\x91\x80\xFF"},
        // A backslash is itself unless an "x" follows it.
        {"C:\\graphs\\sine.orv", "C:\\graphs\\sine.orv"},
        {"C:\\xfiles\\g.orv", "C:\\x5cxfiles\\g.orv"},
        {"\\x1b", "\\x5cx1b"},
        {"\\\x1b", "\\\\x1b"},
        {"\\", "\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        EXPECT_EQ(EscapeControlCharacters(c.text), c.shown);
    }
}

// Every text of up to four bytes from an alphabet of the troublesome ones
// reads back as itself, and the result holds no control character.
TEST(ShownText, EscapingIsUnambiguous) {
    const std::string alphabet("\\x1b\x1b\x7f\xC3\0", 8);
    std::string text;
    size_t checked = 0;
    std::function<void()> grow = [&] {
        const std::string shown = EscapeControlCharacters(text);
        ASSERT_EQ(Unescape(shown), text) << shown;
        for (char c : shown)
            ASSERT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F) << shown;
        ++checked;
        if (text.size() == 4)
            return;
        for (char c : alphabet) {
            text.push_back(c);
            grow();
            text.pop_back();
        }
    };
    grow();
    EXPECT_EQ(checked, 1u + 8 + 64 + 512 + 4096);
}

} // namespace
