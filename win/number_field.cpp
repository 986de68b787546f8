#include "win/number_field.h"

#include "src/number_text.h"

bool ReadFieldNumber(HWND field, double& value) {
    char text[kNumberTextSize] = {};
    GetWindowTextA(field, text, sizeof text);
    return ReadNumber(text, value);
}
