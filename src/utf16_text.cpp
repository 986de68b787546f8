// The conversions go through the system's converter, so that the window
// texts, the file names and the command line agree with what Windows itself
// makes of them.
#include "src/utf16_text.h"

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <climits>

bool ToUtf16(unsigned codePage, std::string_view text, std::wstring& wide, bool strict) {
    wide.clear();
    if (text.empty())
        return true;
    if (text.size() > INT_MAX)
        return false;
    const int size = static_cast<int>(text.size());
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int length = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (length <= 0)
        return false;
    wide.assign(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), length);
    return true;
}

std::string FromUtf16(unsigned codePage, std::wstring_view text) {
    if (text.empty() || text.size() > INT_MAX)
        return std::string();
    const int size = static_cast<int>(text.size());
    // Code pages that know no best fit (UTF-8, also as the ANSI code page)
    // refuse the flag.
    DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    auto measure = [&] {
        return WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr,
                                   nullptr);
    };
    int length = measure();
    if (length <= 0 && flags && GetLastError() == ERROR_INVALID_FLAGS) {
        flags = 0;
        length = measure();
    }
    if (length <= 0)
        return std::string();
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), size, narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

std::wstring Utf8ToWide(std::string_view text) {
    std::wstring wide;
    ToUtf16(CP_UTF8, text, wide, false);
    return wide;
}

std::string WideToUtf8(std::wstring_view text) { return FromUtf16(CP_UTF8, text); }

#endif
