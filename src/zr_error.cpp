#include "src/zr_error.h"

#include <cctype>
#include <cerrno>
#include <cstring>

namespace {
ZrAssertionHook assertionHook = nullptr;
ZrErrorHook errorHook = nullptr;

// The system's text for errno `e`, starting lower case ("no such file or
// directory").
std::string SystemText(int e) {
    std::string text = std::strerror(e);
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

} // namespace

ZrErrorCode::ZrErrorCode(ZrError error, int32_t detail, const char* sourcePath, int32_t line)
    : code(static_cast<int32_t>(error)), detail(detail), line(line) {
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

std::string ZrErrorText(const ZrErrorCode& error) {
    if (error.detail != 0)
        return SystemText(error.detail);
    switch (error.kind()) {
    case ZrError::None:
        return "no error";
    case ZrError::Other:
        return "the file could not be read or written (error 1)";
    case ZrError::OutOfMemory:
        return "not enough memory";
    case ZrError::NoFileName:
        return "no file name";
    case ZrError::AccessDenied:
    case ZrError::OpenAccessDenied:
        return "access is denied";
    case ZrError::TooManyFiles:
        return "too many open files";
    case ZrError::NoSuchFile:
        return SystemText(ENOENT);
    case ZrError::AlreadyOpen:
        return "the file is already open";
    case ZrError::WrongMode:
        return "the file is not open for that";
    case ZrError::NotOpen:
        return "the file is not open";
    case ZrError::CrossDevice:
        return "the files are on different devices";
    case ZrError::EndOfFile:
        return "the end of the file";
    case ZrError::BadDescriptor:
        return "the file could not be read, written or closed";
    case ZrError::InvalidArgument:
        return "an invalid argument";
    case ZrError::DiskFull:
        return "the disk is full";
    case ZrError::NoMemoryHeld:
        return "an image buffer holds no memory";
    case ZrError::OutOfRange:
        return "a value is out of range";
    case ZrError::AlreadyExists:
        return "the file already exists";
    case ZrError::NotSupported:
        return "the operation is not supported";
    case ZrError::LineFinished:
        return "the line has no more points";
    }
    return "error " + std::to_string(error.code); // not a code of the library
}
