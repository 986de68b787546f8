#include "raster_test_util.h"

#include <png.h>
#include <zlib.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "src/zr_file_calls.h"
#include "src/zr_memory.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace raster_test {

ZrErrorCode Caught(const std::function<void()>& action) {
    try {
        action();
    } catch (const ZrErrorCode& e) {
        return e;
    }
    return ZrErrorCode();
}

// Scratch folders -------------------------------------------------------------

namespace {
std::atomic<int> folderNumber{0};

int ProcessId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}
} // namespace

ScratchFolder::ScratchFolder() {
    const fs::path base = fs::temp_directory_path();
    for (;;) {
        const fs::path candidate = base / ("orvanta-raster-" + std::to_string(ProcessId()) + "-" +
                                           std::to_string(folderNumber++));
        if (fs::create_directory(candidate)) {
            root = candidate.generic_string();
            return;
        }
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    const fs::perms all = fs::perms::owner_all | fs::perms::group_all | fs::perms::others_all;
    fs::permissions(root, all, ignored);
    for (auto it = fs::recursive_directory_iterator(root, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
        fs::permissions(it->path(), all, ignored);
    fs::remove_all(root, ignored);
}

std::string ScratchFolder::file(const std::string& name) const { return root + "/" + name; }

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// PNG reading -------------------------------------------------------------------

namespace {

struct Cursor {
    const std::vector<uint8_t>* bytes;
    size_t at = 0;
};

[[noreturn]] void ReadError(png_structp, png_const_charp message) {
    throw std::runtime_error(std::string("libpng: ") + message);
}

void ReadWarning(png_structp, png_const_charp) {}

void ReadData(png_structp png, png_bytep out, size_t count) {
    Cursor& cursor = *static_cast<Cursor*>(png_get_io_ptr(png));
    if (cursor.bytes->size() - cursor.at < count)
        png_error(png, "read past the end of the file");
    std::memcpy(out, cursor.bytes->data() + cursor.at, count);
    cursor.at += count;
}

struct Reader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~Reader() {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

uint32_t BigEndian(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

} // namespace

DecodedPng DecodePng(const std::vector<uint8_t>& bytes) {
    Cursor cursor{&bytes};
    Reader reader;
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ReadError, ReadWarning);
    if (!reader.png)
        throw std::runtime_error("png_create_read_struct failed");
    reader.info = png_create_info_struct(reader.png);
    if (!reader.info)
        throw std::runtime_error("png_create_info_struct failed");
    png_set_read_fn(reader.png, &cursor, ReadData);
    png_read_info(reader.png, reader.info);

    DecodedPng image;
    png_uint_32 width, height;
    png_get_IHDR(reader.png, reader.info, &width, &height, &image.bitDepth, &image.colorType,
                 &image.interlace, nullptr, nullptr);
    image.width = width;
    image.height = height;
    png_colorp palette;
    int entries = 0;
    if (png_get_PLTE(reader.png, reader.info, &palette, &entries) & PNG_INFO_PLTE)
        for (int i = 0; i < entries; ++i)
            image.palette.insert(image.palette.end(), {palette[i].red, palette[i].green, palette[i].blue});
    if (image.interlace != PNG_INTERLACE_NONE)
        png_set_interlace_handling(reader.png);
    png_read_update_info(reader.png, reader.info);
    image.rowBytes = png_get_rowbytes(reader.png, reader.info);
    image.pixels.resize(image.rowBytes * height);
    std::vector<png_bytep> rows(height);
    for (png_uint_32 i = 0; i < height; ++i)
        rows[i] = image.pixels.data() + i * image.rowBytes;
    png_read_image(reader.png, rows.data());
    png_read_end(reader.png, nullptr);
    return image;
}

std::vector<std::string> ChunkTypes(const std::vector<uint8_t>& bytes, std::string& problem) {
    static const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    std::vector<std::string> types;
    problem.clear();
    if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 8) != 0) {
        problem = "no PNG signature";
        return types;
    }
    size_t at = 8;
    while (at < bytes.size()) {
        if (bytes.size() - at < 12) {
            problem = "truncated chunk header at byte " + std::to_string(at);
            return types;
        }
        const uint32_t length = BigEndian(&bytes[at]);
        if (bytes.size() - at - 12 < length) {
            problem = "chunk at byte " + std::to_string(at) + " runs past the end";
            return types;
        }
        const std::string type(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
        const uLong crc = crc32(crc32(0, nullptr, 0), &bytes[at + 4], length + 4);
        if (crc != BigEndian(&bytes[at + 8 + length])) {
            problem = "bad CRC in chunk " + type;
            return types;
        }
        types.push_back(type);
        at += 12 + size_t{length};
        if (type == "IEND" && at != bytes.size()) {
            problem = "bytes after IEND";
            return types;
        }
    }
    if (types.empty() || types.back() != "IEND")
        problem = "no IEND chunk at the end";
    return types;
}

std::string ChunkSummary(const std::vector<std::string>& types) {
    std::string summary;
    for (size_t i = 0; i < types.size(); ++i) {
        if (i > 0 && types[i] == "IDAT" && types[i - 1] == "IDAT")
            continue;
        summary += (summary.empty() ? "" : " ") + types[i];
    }
    return summary;
}

// Counted memory ------------------------------------------------------------------

namespace {
long memoryFailAt = 0, memoryAttempts = 0, memoryAllocations = 0, memoryReleases = 0;

void* CountedAllocate(size_t size) {
    if (++memoryAttempts == memoryFailAt)
        return nullptr;
    void* block = std::malloc(size);
    if (block)
        ++memoryAllocations;
    return block;
}

void CountedRelease(void* block) {
    ++memoryReleases;
    std::free(block);
}
} // namespace

CountedMemory::CountedMemory(long failAt) {
    memoryFailAt = failAt;
    memoryAttempts = memoryAllocations = memoryReleases = 0;
    zrSetMemoryFunctions(CountedAllocate, CountedRelease);
}

CountedMemory::~CountedMemory() { zrSetMemoryFunctions(nullptr, nullptr); }

long CountedMemory::attempts() const { return memoryAttempts; }
long CountedMemory::allocations() const { return memoryAllocations; }
long CountedMemory::releases() const { return memoryReleases; }

// Limited writes --------------------------------------------------------------------

namespace {
uint64_t writeBudget = 0;

int64_t LimitedWrite(int descriptor, const void* bytes, size_t count) {
    if (writeBudget == 0) {
        errno = ENOSPC;
        return -1;
    }
    const size_t piece = count < writeBudget ? count : static_cast<size_t>(writeBudget);
#ifdef _WIN32
    const int64_t written = _write(descriptor, bytes, static_cast<unsigned int>(piece));
#else
    const int64_t written = ::write(descriptor, bytes, piece);
#endif
    if (written > 0)
        writeBudget -= static_cast<uint64_t>(written);
    return written;
}
} // namespace

LimitedWrites::LimitedWrites(uint64_t budget) {
    writeBudget = budget;
    zrSetWriteFunction(LimitedWrite);
}

LimitedWrites::~LimitedWrites() { zrSetWriteFunction(nullptr); }

namespace {
std::function<void()> firstWriteAction;

int64_t WriteAfterAction(int descriptor, const void* bytes, size_t count) {
    if (firstWriteAction) {
        const std::function<void()> action = std::move(firstWriteAction);
        firstWriteAction = nullptr;
        action();
    }
#ifdef _WIN32
    return _write(descriptor, bytes, static_cast<unsigned int>(count));
#else
    return ::write(descriptor, bytes, count);
#endif
}
} // namespace

BeforeFirstWrite::BeforeFirstWrite(std::function<void()> action) {
    firstWriteAction = std::move(action);
    zrSetWriteFunction(WriteAfterAction);
}

BeforeFirstWrite::~BeforeFirstWrite() {
    zrSetWriteFunction(nullptr);
    firstWriteAction = nullptr;
}

namespace {
std::function<int(int)> flushAction;
int RunFlushAction(int descriptor) { return flushAction(descriptor); }
} // namespace

WatchedFlushes::WatchedFlushes(std::function<int(int)> action) {
    flushAction = std::move(action);
    zrSetFlushFunction(RunFlushAction);
}

WatchedFlushes::~WatchedFlushes() {
    zrSetFlushFunction(nullptr);
    flushAction = nullptr;
}

namespace {
std::function<void(const std::string&)> creationAction;
void RunCreationAction(const char* name) {
    if (creationAction)
        creationAction(name);
}
} // namespace

AfterCreation::AfterCreation(std::function<void(const std::string&)> action) {
    creationAction = std::move(action);
    zrSetCreatedHook(RunCreationAction);
}

AfterCreation::~AfterCreation() {
    zrSetCreatedHook(nullptr);
    creationAction = nullptr;
}

// Failed checks -----------------------------------------------------------------------

namespace {
std::vector<std::string> checkSites;
void RecordCheck(const char* source, int32_t line) {
    checkSites.push_back(std::string(source) + ":" + std::to_string(line));
}
} // namespace

CheckRecorder::CheckRecorder() {
    checkSites.clear();
    zrSetAssertionHook(RecordCheck);
}

CheckRecorder::~CheckRecorder() { zrSetAssertionHook(nullptr); }

size_t CheckRecorder::count() const { return checkSites.size(); }
std::vector<std::string> CheckRecorder::sites() const { return checkSites; }

// Permissions -------------------------------------------------------------------------------

int RunWithPermissionsEnforced(const std::function<int()>& body) {
#ifdef _WIN32
    return body();
#else
    if (geteuid() != 0)
        return body();
    fflush(nullptr);
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        // "nobody": no group of root's, and no way back.
        const uid_t nobody = 65534;
        if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
            _exit(254);
        _exit(body() & 0xff);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 254)
        return -1;
    return WEXITSTATUS(status);
#endif
}

bool SetReadOnly(const std::string& path, bool readOnly) {
#ifdef _WIN32
    return _chmod(path.c_str(), readOnly ? _S_IREAD : (_S_IREAD | _S_IWRITE)) == 0;
#else
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return false;
    const mode_t mode = S_ISDIR(status.st_mode) ? (readOnly ? 0555 : 0777) : (readOnly ? 0444 : 0666);
    return chmod(path.c_str(), mode) == 0;
#endif
}

#ifdef _WIN32
constexpr unsigned kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

std::vector<unsigned> PermissionSamples() {
    // With the archive bit: a file written has it on Windows, and Wine
    // reports it for every file.
    constexpr unsigned a = FILE_ATTRIBUTE_ARCHIVE;
    return {a, FILE_ATTRIBUTE_HIDDEN | a, FILE_ATTRIBUTE_SYSTEM | a,
            FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN | a};
}

unsigned Permissions(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? ~0u : attributes & kKeptAttributes;
}

bool SetPermissions(const std::string& path, unsigned permissions) {
    return SetFileAttributesA(path.c_str(), permissions ? permissions : FILE_ATTRIBUTE_NORMAL) != 0;
}
#else
std::vector<unsigned> PermissionSamples() { return {0600, 0640, 0644, 0660, 0604, 0755, 0700}; }

unsigned Permissions(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : ~0u;
}

bool SetPermissions(const std::string& path, unsigned permissions) {
    return chmod(path.c_str(), permissions) == 0;
}
#endif

bool OthersCanOpen(const std::string& path) {
#ifdef _WIN32
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
#else
    struct stat status;
    return stat(path.c_str(), &status) != 0 || (status.st_mode & 077) != 0;
#endif
}

bool CanWriteAnyway(const std::string& path) {
#ifdef _WIN32
    const int fd = _open(path.c_str(), _O_WRONLY | _O_BINARY);
    if (fd < 0)
        return false;
    _close(fd);
    return true;
#else
    const int fd = open(path.c_str(), O_WRONLY);
    if (fd < 0)
        return false;
    close(fd);
    return true;
#endif
}

WindowsWriteBlock::WindowsWriteBlock(const std::string& path) {
#ifdef _WIN32
    if (!CanWriteAnyway(path))
        return;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE)
        handle = h;
#else
    (void)path;
#endif
}

WindowsWriteBlock::~WindowsWriteBlock() {
#ifdef _WIN32
    if (handle)
        CloseHandle(static_cast<HANDLE>(handle));
#endif
}

std::string FullDevice() {
#ifdef _WIN32
    const char* device = "Z:\\dev\\full";
    const int fd = _open(device, _O_WRONLY | _O_BINARY);
    if (fd < 0)
        return "";
    _close(fd);
    return device;
#else
    std::error_code ignored;
    return fs::exists("/dev/full", ignored) ? "/dev/full" : "";
#endif
}

std::string Describe(const ZrErrorCode& error) {
    return "code " + std::to_string(error.code) + " detail " + std::to_string(error.detail) + " at " +
           error.source + ":" + std::to_string(error.line);
}

} // namespace raster_test
