// Numbers typed into fields and given as arguments.
#pragma once

#include <string>

// Reads the number `text` starts with into `value` (0 when it starts with
// none), as strtod reads it: leading white space skipped, C99's forms (nan,
// inf, hexadecimal) accepted, correctly rounded. True when a number was read
// and nothing but spaces follows it.
bool ReadNumber(const char* text, double& value);
inline bool ReadNumber(const std::string& text, double& value) {
    return ReadNumber(text.c_str(), value);
}
