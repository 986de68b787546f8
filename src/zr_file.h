// File access of the image-file classes: a file named by a ZrFileLocator and
// reached through the runtime's descriptor calls. Every failure is a thrown
// ZrErrorCode; errno values are mapped to library codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// A path name, or nothing.
class ZrFileLocator {
public:
    static constexpr uint8_t kEmpty = 0;
    static constexpr uint8_t kPath = 1;

    ZrFileLocator() = default;
    ZrFileLocator(const ZrFileLocator&) = delete;
    ZrFileLocator& operator=(const ZrFileLocator&) = delete;
    ~ZrFileLocator();

    // Back to empty; the name is freed.
    void clear();
    // Stores a copy of `path` (kind 1), or clears for null. Throws
    // ZrErrorCode 2 when the copy cannot be made, keeping the old name then.
    void setName(const char* path);
    // Takes `other`'s kind and a copy of its name; throws ZrErrorCode 2 when
    // the copy cannot be made, keeping the old name then.
    void assign(const ZrFileLocator& other);

    uint8_t getKind() const { return kind; }
    // The path, owned by the locator; null when empty.
    const char* getName() const { return name.get(); }

private:
    uint8_t kind = kEmpty;
    std::unique_ptr<char[]> name;
};

// An open or closed file, reached through a descriptor it opened by name or
// one attached to it. Operations that need a name raise code 4 without
// one, those that need a closed file raise 11 on an open one, and those that
// need an open file raise 15 on a closed one.
class ZrFile : public ZrFileLocator {
public:
    static constexpr uint16_t kRead = 1;
    static constexpr uint16_t kWrite = 2;
    static constexpr uint16_t kCountOnly = 4; // writes are counted, not made

    ZrFile() = default;
    // Closes a descriptor still open that was opened here (never an
    // attached one), ignoring errors.
    ~ZrFile();

    // Creates the file empty (readable and writable) and closes it again.
    // Throws ZrErrorCode: the errno mapping of raiseForErrno.
    void createEmpty();
    // Deletes the file; whether that works is not reported.
    void remove();
    // Opens for writing (created when missing, truncated); the byte count
    // starts at 0. Throws ZrErrorCode 10 (no such path), 14 (access
    // denied), 12 (exists or invalid), 9 (too many open files) or 1.
    void openForWrite();
    // Opens an existing file for reading; throws as openForWrite.
    void openForRead();
    // Opens for writing on `descriptor`, a file already open for writing
    // that stays the caller's: close() and the destructor leave it open.
    // Needs no name; the byte count starts at 0. Throws ZrErrorCode 11 on an
    // open file, 20 (detail EBADF) for a negative descriptor.
    void attachForWrite(int descriptor);
    // Opens without a file: writes are only counted, and close releases
    // nothing. Needs no name.
    void openCountOnly();
    // Closes; a descriptor opened here is closed, an attached one let go.
    // Throws ZrErrorCode 20 (detail EBADF) when closing fails; the file
    // stays marked open then, its descriptor gone.
    void close();
    // Reads up to n bytes into `buffer` and returns how many came (at least
    // 1); n = 0 returns 0. Throws ZrErrorCode 12 when not open for reading,
    // 18 at the end of the file, 20 when the read fails (detail: the read's
    // errno, EBADF when it gave none).
    size_t read(void* buffer, size_t n);
    // Writes n bytes, all of them, and counts them. Throws ZrErrorCode 12
    // when not open for writing, else the errno mapping (22 for a full
    // disk).
    void write(const void* bytes, size_t n);
    // Moves to the start; throws through the errno mapping.
    void rewind();
    // Changes the size to 0 bytes; throws through the errno mapping.
    void truncate();

    bool isOpen() const { return open; }
    uint16_t getMode() const { return mode; }
    // Bytes passed to write since the file was opened or the count reset.
    uint64_t getWritten() const { return written; }
    void resetWritten() { written = 0; }

    // Throws the library's code for errno `e` with detail e and the source
    // "src\\ZrFile": ENOENT 10, E2BIG 21, EBADF 20, EAGAIN 9, ENOMEM 2,
    // EACCES 5, EEXIST 31, EXDEV 17, EINVAL 21, EMFILE 9, ENOSPC 22,
    // ERANGE 29, any other 1.
    [[noreturn]] static void raiseForErrno(int e);

private:
    void needName() const;
    void needClosed() const;
    void needOpen() const;
    // Opens with `call`, mapping open's errno to its own codes.
    void openWith(int (*call)(const char*), uint16_t openMode);

    bool open = false;
    uint16_t mode = 0;
    uint64_t written = 0;
    int descriptor = -1;
    bool ownsDescriptor = false;
};
