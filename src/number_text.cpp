#include "src/number_text.h"

#include <cstdlib>

bool ReadNumber(const char* text, double& value) {
    char* end = nullptr;
    // strtod rather than atof: the same reading, with the end it stopped at.
    value = std::strtod(text, &end);
    if (end == text)
        return false; // no number at all (value is 0)
    while (*end == ' ')
        ++end;
    return *end == '\0';
}
