#include "src/zr_error.h"

#include <cstring>

namespace {
ZrAssertionHook assertionHook = nullptr;
ZrErrorHook errorHook = nullptr;
} // namespace

ZrErrorCode::ZrErrorCode(int32_t code, int32_t detail, const char* sourcePath, int32_t line)
    : code(code), detail(detail), line(line) {
    if (sourcePath) {
        const size_t length = strnlen(sourcePath, sizeof source - 1);
        memcpy(source, sourcePath, length);
        source[length] = '\0';
    }
    if ((code != 0 || detail != 0) && errorHook)
        errorHook(*this);
}

void zrSetAssertionHook(ZrAssertionHook hook) { assertionHook = hook; }
ZrAssertionHook zrGetAssertionHook() { return assertionHook; }
void zrSetErrorHook(ZrErrorHook hook) { errorHook = hook; }
ZrErrorHook zrGetErrorHook() { return errorHook; }

void zrCheck(bool condition, const char* source, int32_t line) {
    if (!condition && assertionHook)
        assertionHook(source, line);
}
