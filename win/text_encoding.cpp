#include "win/text_encoding.h"

#include <windows.h>

std::wstring AnsiToWide(std::string_view text) {
    std::wstring wide;
    ToUtf16(CP_ACP, text, wide, false);
    return wide;
}
std::string WideToAnsi(std::wstring_view text) { return FromUtf16(CP_ACP, text); }
std::string AnsiToUtf8(std::string_view text) { return WideToUtf8(AnsiToWide(text)); }
std::string Utf8ToAnsi(std::string_view text) { return WideToAnsi(Utf8ToWide(text)); }

bool Utf8ToAnsiExactly(std::string_view text, std::string& ansi) {
    ansi = Utf8ToAnsi(text);
    return AnsiToUtf8(ansi) == text;
}
