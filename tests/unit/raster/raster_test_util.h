// Helpers of the raster library tests: scratch folders, an independent PNG
// reader (libpng's reading side), the chunk list of a PNG file, and fault
// injection into the library's memory functions and write calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "src/zr_error.h"

namespace raster_test {

// The ZrErrorCode that `action` throws, or a default-made one (code 0) when
// it throws nothing.
ZrErrorCode Caught(const std::function<void()>& action);

// A fresh folder under the system's temporary folder, removed with all it
// holds (permissions restored first) when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return root; }
    // root + "/" + name
    std::string file(const std::string& name) const;

private:
    std::string root;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// A PNG decoded by libpng without transformations (interlaced images are
// put together): rows of `rowBytes` bytes, top to bottom.
struct DecodedPng {
    uint32_t width = 0, height = 0;
    int bitDepth = 0, colorType = -1, interlace = -1;
    size_t rowBytes = 0;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> palette; // R, G, B per entry
};

// Decodes `bytes`; a libpng error arrives as std::runtime_error.
DecodedPng DecodePng(const std::vector<uint8_t>& bytes);

// The chunk types of a PNG file in order, after checking the signature,
// every length and every CRC; on a malformed file `problem` says why and
// the list so far is returned.
std::vector<std::string> ChunkTypes(const std::vector<uint8_t>& bytes, std::string& problem);

// The chunk list without repetitions of IDAT ("IHDR IDAT IEND").
std::string ChunkSummary(const std::vector<std::string>& types);

// Counts the blocks of the library's memory functions while alive and makes
// allocation number `failAt` (1-based; 0 = none) fail.
class CountedMemory {
public:
    explicit CountedMemory(long failAt = 0);
    ~CountedMemory();
    CountedMemory(const CountedMemory&) = delete;
    CountedMemory& operator=(const CountedMemory&) = delete;

    long attempts() const;    // allocation calls, failed or not
    long allocations() const; // blocks handed out
    long releases() const;    // blocks given back
};

// Makes the library's file writes fail with ENOSPC once `budget` bytes have
// been written while alive.
class LimitedWrites {
public:
    explicit LimitedWrites(uint64_t budget);
    ~LimitedWrites();
    LimitedWrites(const LimitedWrites&) = delete;
    LimitedWrites& operator=(const LimitedWrites&) = delete;
};

// Runs `action` once, just before the library's first file write while
// alive; the writes themselves go through unchanged.
class BeforeFirstWrite {
public:
    explicit BeforeFirstWrite(std::function<void()> action);
    ~BeforeFirstWrite();
    BeforeFirstWrite(const BeforeFirstWrite&) = delete;
    BeforeFirstWrite& operator=(const BeforeFirstWrite&) = delete;
};

// Calls `action` with the descriptor of each flush the library makes while
// alive, in place of the flush: its result (0, or -1 with errno set) is the
// flush's.
class WatchedFlushes {
public:
    explicit WatchedFlushes(std::function<int(int descriptor)> action);
    ~WatchedFlushes();
    WatchedFlushes(const WatchedFlushes&) = delete;
    WatchedFlushes& operator=(const WatchedFlushes&) = delete;
};

// Runs `action` with the name of each file the library creates beside a
// target, right after creating it, while alive.
class AfterCreation {
public:
    explicit AfterCreation(std::function<void(const std::string&)> action);
    ~AfterCreation();
    AfterCreation(const AfterCreation&) = delete;
    AfterCreation& operator=(const AfterCreation&) = delete;
};

// Records failed consistency checks while alive.
class CheckRecorder {
public:
    CheckRecorder();
    ~CheckRecorder();
    CheckRecorder(const CheckRecorder&) = delete;
    CheckRecorder& operator=(const CheckRecorder&) = delete;

    size_t count() const;
    // "source:line" of each failed check
    std::vector<std::string> sites() const;
};

// Runs `body` where file permissions are enforced: in this process when it
// is an ordinary user (or on Windows), else in a child process switched to
// the user "nobody". Returns body's result (0 to 255), or -1 when that could
// not be arranged.
int RunWithPermissionsEnforced(const std::function<int()>& body);

// Makes a file or folder read-only (false to undo); false on failure.
bool SetReadOnly(const std::string& path, bool readOnly);

// What a save keeps of a file's permissions: the mode bits on POSIX, the
// hidden, system and archive attributes on Windows. Samples of them, and
// reading and setting them (false on failure).
std::vector<unsigned> PermissionSamples();
unsigned Permissions(const std::string& path);
bool SetPermissions(const std::string& path, unsigned permissions);

// Whether someone other than the writer could open the file `path` now:
// on POSIX its mode lets its group or others read or write it; on Windows
// it opens beside the handles already open on it.
bool OthersCanOpen(const std::string& path);

// Whether this process can open `path` for writing despite its read-only
// state (a privileged user, or a system that ignores it).
bool CanWriteAnyway(const std::string& path);

// Where the file system does not make read-only files unwritable for this
// process (Wine run by root ignores the attribute), holds `path` open
// without write or delete sharing while alive, so that creating and deleting
// it fail as they do for a read-only file on Windows. Does nothing
// elsewhere: permissions there are enforced by RunWithPermissionsEnforced.
class WindowsWriteBlock {
public:
    explicit WindowsWriteBlock(const std::string& path);
    ~WindowsWriteBlock();
    WindowsWriteBlock(const WindowsWriteBlock&) = delete;
    WindowsWriteBlock& operator=(const WindowsWriteBlock&) = delete;

private:
    void* handle = nullptr;
};

// A device on which every write fails with ENOSPC: /dev/full, also under
// Wine (Z:\dev\full); empty when there is none.
std::string FullDevice();

// An error as text for failure messages: "code 22 detail 28 at src\ZrFile:140".
std::string Describe(const ZrErrorCode& error);

} // namespace raster_test
