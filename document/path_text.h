// How document paths are shown: the file name in the title and messages, and
// a path shortened in the middle for the recent-files menu.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The part after the last "\", "/" or drive ":"; the whole path without one.
std::wstring FileNameOf(std::wstring_view path);

// `path` when it has at most `limit` characters; otherwise its root (drive
// or server and share, with the separator after it), "...", and as many of
// its last components as fit, the file name always among them:
// "C:\Users\...\Graphs\sine.orv". A file name that alone is too long is
// itself shortened in the middle. Never longer than `limit` (at least 8).
std::wstring ShortenPathMiddle(std::wstring_view path, size_t limit);

// The text of a recent-files menu item: "&N " and the path shortened to
// `limit` characters, with each "&" doubled so that it shows as itself.
std::wstring RecentMenuText(int number, std::wstring_view path, size_t limit);
