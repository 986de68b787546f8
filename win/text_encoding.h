// Conversions between the program's three text encodings: the ANSI code page
// of the window texts, UTF-16 of the wide Win32 calls, and UTF-8 of the
// portable core (file names, documents). The UTF-8 ones come from the core
// (src/utf16_text.h).
#pragma once

#include <string>
#include <string_view>

#include "src/utf16_text.h"

// Each returns the converted text; characters that the target cannot hold
// become the system's default character ('?'), never a look-alike (no
// best-fit mapping: "ｓｉｎ" does not become "sin"), and invalid input gives
// the text converted as far as the system's converter takes it. Empty in,
// empty out.
std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);
std::string AnsiToUtf8(std::string_view text);
std::string Utf8ToAnsi(std::string_view text);

// Utf8ToAnsi into `ansi`; true when it converts back to `text` exactly,
// false when a character of it has no counterpart in the ANSI code page.
bool Utf8ToAnsiExactly(std::string_view text, std::string& ansi);
