#include "document/path_text.h"

#include <algorithm>
#include <string>

namespace {

constexpr std::wstring_view kEllipsis = L"...";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The root of a path: "C:\", "\\server\share\", "\" or nothing.
size_t RootLength(std::wstring_view path) {
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // UNC: two separators, the server, a separator, the share, a separator.
        size_t i = 2;
        for (int part = 0; part < 2; ++part) {
            while (i < path.size() && !IsSeparator(path[i]))
                ++i;
            if (i < path.size())
                ++i;
        }
        return i;
    }
    if (path.size() >= 2 && path[1] == L':')
        return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 2;
    return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

// Keeps the first and last characters of `text` around "..." in `limit`.
std::wstring MiddleOut(std::wstring_view text, size_t limit) {
    if (text.size() <= limit)
        return std::wstring(text);
    const size_t keep = limit - kEllipsis.size();
    const size_t head = keep / 2, tail = keep - head;
    return std::wstring(text.substr(0, head)) + std::wstring(kEllipsis) +
           std::wstring(text.substr(text.size() - tail));
}

} // namespace

std::wstring FileNameOf(std::wstring_view path) {
    const size_t cut = path.find_last_of(L"\\/:");
    return std::wstring(cut == std::wstring_view::npos ? path : path.substr(cut + 1));
}

std::wstring ShortenPathMiddle(std::wstring_view path, size_t limit) {
    limit = std::max<size_t>(limit, 8);
    if (path.size() <= limit)
        return std::wstring(path);
    const size_t root = RootLength(path);
    const std::wstring name = FileNameOf(path);
    // Room for the root, "...\" and the name: keep whole trailing folders
    // while they fit.
    const std::wstring_view head = path.substr(0, root);
    if (head.size() + kEllipsis.size() + 1 + name.size() > limit)
        return MiddleOut(name, limit);
    size_t start = path.size() - name.size(); // where the kept tail begins
    for (;;) {
        if (start <= root + 1)
            break;
        // The component before `start`, which ends with the separator at
        // start - 1.
        size_t begin = start - 1;
        while (begin > root && !IsSeparator(path[begin - 1]))
            --begin;
        const size_t length = head.size() + kEllipsis.size() + 1 + (path.size() - begin);
        if (begin <= root || length > limit)
            break;
        start = begin;
    }
    return std::wstring(head) + std::wstring(kEllipsis) + L"\\" + std::wstring(path.substr(start));
}

std::wstring RecentMenuText(int number, std::wstring_view path, size_t limit) {
    std::wstring text = L"&" + std::to_wstring(number) + L" ";
    for (wchar_t c : ShortenPathMiddle(path, limit)) {
        if (c == L'&')
            text += L'&';
        text += c;
    }
    return text;
}
