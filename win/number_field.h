// Numbers typed into edit fields.
#pragma once

#include <windows.h>

// Characters of a number field's text, written and read: "%f" of the
// largest double is 316 characters, so any double fits and reads back.
inline constexpr int kNumberTextSize = 400;

// The number the field's text starts with in `value` (0 when it starts with
// none), read as ReadNumber reads it; true when the text is that number
// alone, spaces after it aside.
bool ReadFieldNumber(HWND field, double& value);
