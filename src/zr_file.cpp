#include "src/zr_file.h"

#include <cerrno>
#include <cstring>
#include <new>

#include "src/zr_error.h"
#include "src/zr_file_calls.h"

namespace {
const char kSource[] = "src\\ZrFile";
} // namespace

// ZrFileLocator -------------------------------------------------------------

ZrFileLocator::~ZrFileLocator() = default;

void ZrFileLocator::clear() {
    name.reset();
    kind = kEmpty;
}

void ZrFileLocator::setName(const char* path) {
    if (!path) {
        clear();
        return;
    }
    const size_t length = std::strlen(path);
    std::unique_ptr<char[]> copy(new (std::nothrow) char[length + 1]);
    if (!copy)
        throw ZrErrorCode(ZrError::OutOfMemory, 0, kSource, __LINE__);
    std::memcpy(copy.get(), path, length + 1);
    name = std::move(copy);
    kind = kPath;
}

void ZrFileLocator::assign(const ZrFileLocator& other) {
    if (this == &other)
        return;
    if (other.kind == kEmpty || !other.name) {
        clear();
        return;
    }
    setName(other.name.get());
}

// ZrFile ----------------------------------------------------------------------

ZrFile::~ZrFile() {
    if (open && ownsDescriptor && !(mode & kCountOnly))
        zrCloseFile(descriptor);
}

void ZrFile::raiseForErrno(int e) {
    switch (e) {
    case ENOENT: throw ZrErrorCode(ZrError::NoSuchFile, e, kSource, __LINE__);
    case E2BIG: throw ZrErrorCode(ZrError::InvalidArgument, e, kSource, __LINE__);
    case EBADF: throw ZrErrorCode(ZrError::BadDescriptor, e, kSource, __LINE__);
    case EAGAIN: throw ZrErrorCode(ZrError::TooManyFiles, e, kSource, __LINE__);
    case ENOMEM: throw ZrErrorCode(ZrError::OutOfMemory, e, kSource, __LINE__);
    case EACCES: throw ZrErrorCode(ZrError::AccessDenied, e, kSource, __LINE__);
    case EEXIST: throw ZrErrorCode(ZrError::AlreadyExists, e, kSource, __LINE__);
    case EXDEV: throw ZrErrorCode(ZrError::CrossDevice, e, kSource, __LINE__);
    case EINVAL: throw ZrErrorCode(ZrError::InvalidArgument, e, kSource, __LINE__);
    case EMFILE: throw ZrErrorCode(ZrError::TooManyFiles, e, kSource, __LINE__);
    case ENOSPC: throw ZrErrorCode(ZrError::DiskFull, e, kSource, __LINE__);
    case ERANGE: throw ZrErrorCode(ZrError::OutOfRange, e, kSource, __LINE__);
    default: throw ZrErrorCode(ZrError::Other, e, kSource, __LINE__);
    }
}

void ZrFile::needName() const {
    if (getKind() == kEmpty || !getName())
        throw ZrErrorCode(ZrError::NoFileName, 0, kSource, __LINE__);
}

void ZrFile::needClosed() const {
    if (open)
        throw ZrErrorCode(ZrError::AlreadyOpen, 0, kSource, __LINE__);
}

void ZrFile::needOpen() const {
    if (!open)
        throw ZrErrorCode(ZrError::NotOpen, 0, kSource, __LINE__);
}

void ZrFile::createEmpty() {
    needName();
    needClosed();
    const int fd = zrCreateFile(getName());
    if (fd < 0)
        raiseForErrno(errno);
    if (zrCloseFile(fd) != 0)
        raiseForErrno(errno);
}

void ZrFile::remove() {
    needName();
    needClosed();
    zrUnlinkFile(getName());
}

void ZrFile::openWith(int (*call)(const char*), uint16_t openMode) {
    needName();
    needClosed(); // an open file stays as it is, count included
    written = 0;
    const int fd = call(getName());
    if (fd < 0) {
        const int e = errno;
        switch (e) {
        case ENOENT: throw ZrErrorCode(ZrError::NoSuchFile, e, kSource, __LINE__);
        case EACCES: throw ZrErrorCode(ZrError::OpenAccessDenied, e, kSource, __LINE__);
        case EEXIST:
        case EINVAL: throw ZrErrorCode(ZrError::WrongMode, e, kSource, __LINE__);
        case EMFILE: throw ZrErrorCode(ZrError::TooManyFiles, e, kSource, __LINE__);
        default: throw ZrErrorCode(ZrError::Other, e, kSource, __LINE__);
        }
    }
    descriptor = fd;
    mode = openMode;
    open = true;
    ownsDescriptor = true;
}

void ZrFile::openForWrite() { openWith(zrOpenForWriting, kWrite); }

void ZrFile::openForRead() { openWith(zrOpenForReading, kRead); }

void ZrFile::attachForWrite(int fd) {
    needClosed();
    if (fd < 0)
        throw ZrErrorCode(ZrError::BadDescriptor, EBADF, kSource, __LINE__);
    written = 0;
    descriptor = fd;
    ownsDescriptor = false;
    mode = kWrite;
    open = true;
}

void ZrFile::openCountOnly() {
    needClosed();
    written = 0;
    descriptor = -1;
    ownsDescriptor = false;
    mode = kWrite | kCountOnly;
    open = true;
}

void ZrFile::close() {
    needOpen();
    // Whether or not close succeeds, the descriptor is released: it must not
    // be closed a second time. An attached one is only let go.
    const int fd = descriptor;
    const bool owned = ownsDescriptor && !(mode & kCountOnly);
    descriptor = -1;
    ownsDescriptor = false;
    if (owned && zrCloseFile(fd) != 0)
        throw ZrErrorCode(ZrError::BadDescriptor, EBADF, kSource, __LINE__);
    open = false;
}

size_t ZrFile::read(void* buffer, size_t n) {
    needOpen();
    if (!(mode & kRead))
        throw ZrErrorCode(ZrError::WrongMode, 0, kSource, __LINE__);
    if (n == 0)
        return 0;
    errno = 0;
    const int64_t got = zrReadFile(descriptor, buffer, n);
    if (got < 0) // the system's reason travels along (EISDIR for a folder)
        throw ZrErrorCode(ZrError::BadDescriptor, errno ? errno : EBADF, kSource, __LINE__);
    if (got == 0)
        throw ZrErrorCode(ZrError::EndOfFile, 0, kSource, __LINE__);
    return static_cast<size_t>(got);
}

void ZrFile::write(const void* bytes, size_t n) {
    needOpen();
    if (!(mode & kWrite))
        throw ZrErrorCode(ZrError::WrongMode, 0, kSource, __LINE__);
    written += n;
    if ((mode & kCountOnly) || n == 0)
        return;
    if (zrWriteFile(descriptor, bytes, n) != 0)
        raiseForErrno(errno);
}

void ZrFile::rewind() {
    needOpen();
    if (mode & kCountOnly)
        return; // no file to move in
    if (zrSeekToStart(descriptor) != 0)
        raiseForErrno(errno);
}

void ZrFile::truncate() {
    needOpen();
    if (mode & kCountOnly)
        return;
    if (zrTruncateFile(descriptor) != 0)
        raiseForErrno(errno);
}
