// UTF-16, the text of the system's wide calls on Windows, to and from the
// 8-bit texts of the program: UTF-8 (file names, documents) and the ANSI
// code page of the window texts. Windows only: elsewhere the system takes
// UTF-8 as it is.
#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

// `text` of the code page `codePage` (65001 for UTF-8, 0 for the ANSI code
// page) as UTF-16 in `wide`. Invalid input is converted as far as the
// system's converter takes it, unless `strict`: then it gives false and an
// empty `wide`. Empty in, empty out (true).
bool ToUtf16(unsigned codePage, std::string_view text, std::wstring& wide, bool strict);

// UTF-16 `text` in the code page `codePage`. A character the code page
// cannot hold becomes its default character ('?'), never a look-alike (no
// best-fit mapping: "ｓｉｎ" does not become "sin"). Empty in, empty out.
std::string FromUtf16(unsigned codePage, std::wstring_view text);

// The same for UTF-8, invalid input converted as far as it goes.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

#endif
