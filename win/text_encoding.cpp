#include "win/text_encoding.h"

#include <windows.h>

#include <climits>

namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
    if (text.empty() || text.size() > INT_MAX)
        return std::wstring();
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string FromWide(UINT codePage, std::wstring_view text) {
    if (text.empty() || text.size() > INT_MAX)
        return std::string();
    const int size = static_cast<int>(text.size());
    // No best fit: a character the code page lacks becomes '?', not a
    // look-alike that reads as something else. Code pages that know no best
    // fit (UTF-8 as the ANSI code page) refuse the flag.
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

} // namespace

std::wstring Utf8ToWide(std::string_view text) { return ToWide(CP_UTF8, text); }
std::string WideToUtf8(std::wstring_view text) { return FromWide(CP_UTF8, text); }
std::wstring AnsiToWide(std::string_view text) { return ToWide(CP_ACP, text); }
std::string WideToAnsi(std::wstring_view text) { return FromWide(CP_ACP, text); }
std::string AnsiToUtf8(std::string_view text) { return WideToUtf8(AnsiToWide(text)); }
std::string Utf8ToAnsi(std::string_view text) { return WideToAnsi(Utf8ToWide(text)); }

bool Utf8ToAnsiExactly(std::string_view text, std::string& ansi) {
    ansi = Utf8ToAnsi(text);
    return AnsiToUtf8(ansi) == text;
}
