// How document paths are shown in the title and the recent-files menu.
#include <gtest/gtest.h>

#include <string>

#include "document/path_text.h"

namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(PathText, FileNameIsWhatFollowsTheLastSeparator) {
    const struct {
        const wchar_t* path;
        const wchar_t* name;
    } cases[] = {{L"C:\\graphs\\sine.orv", L"sine.orv"}, {L"C:sine.orv", L"sine.orv"},
                 {L"/home/me/wave.orv", L"wave.orv"},   {L"plain.orv", L"plain.orv"},
                 {L"C:\\graphs\\", L""},                 {L"\\\\server\\share\\a.orv", L"a.orv"}};
    for (const auto& c : cases)
        EXPECT_EQ(FileNameOf(c.path), c.name) << Narrow(c.path);
}

// Long paths lose whole folders from the middle: the root and the last
// components stay, the file name always, and nothing is longer than asked.
TEST(PathText, LongPathsAreShortenedInTheMiddle) {
    const struct {
        const wchar_t* path;
        size_t limit;
        const wchar_t* shown;
    } cases[] = {
        {L"C:\\a\\b\\sine.orv", 60, L"C:\\a\\b\\sine.orv"},
        {L"C:\\Users\\someone\\Documents\\Graphs\\2026\\sine.orv", 36,
         L"C:\\...\\Graphs\\2026\\sine.orv"},
        {L"C:\\Users\\someone\\Documents\\Graphs\\2026\\sine.orv", 25, L"C:\\...\\2026\\sine.orv"},
        {L"C:\\Users\\someone\\Documents\\Graphs\\2026\\sine.orv", 16, L"C:\\...\\sine.orv"},
        {L"\\\\server\\share\\deep\\deeper\\deepest\\x.orv", 32,
         L"\\\\server\\share\\...\\deepest\\x.orv"},
        {L"C:\\folder\\a-very-long-file-name-of-a-graph.orv", 20, L"a-very-l...graph.orv"},
        {L"relative\\folder\\more\\name.orv", 20, L"...\\more\\name.orv"},
    };
    for (const auto& c : cases) {
        const std::wstring shown = ShortenPathMiddle(c.path, c.limit);
        EXPECT_EQ(shown, c.shown) << Narrow(c.path) << " in " << c.limit;
        EXPECT_LE(shown.size(), c.limit);
    }
}

TEST(PathText, MenuTextNumbersAndKeepsAmpersands) {
    EXPECT_EQ(RecentMenuText(3, L"C:\\R&D\\a&b.orv", 60), L"&3 C:\\R&&D\\a&&b.orv");
}

} // namespace
