#include "src/zr_replacement.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>

#include "src/zr_error.h"
#include "src/zr_file.h"
#include "src/zr_file_calls.h"

namespace {
const char kSource[] = "src\\ZrReplacement";
// Names tried for the temporary file before giving up.
constexpr int kTemporaryNames = 100;

// A suffix no one can predict, so that no one can make the temporary file
// (or a link by its name) in advance: 64 bits from the system's random
// source, mixed with the clock and a counter should that source fail.
std::string RandomSuffix() {
    static std::atomic<uint64_t> counter{0};
    uint64_t bits = static_cast<uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    bits ^= (counter.fetch_add(1) + 1) * 0x9E3779B97F4A7C15u;
    try {
        std::random_device device;
        bits ^= (static_cast<uint64_t>(device()) << 32) ^ device();
    } catch (const std::exception&) {
        // the clock and the counter remain
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(bits));
    return text;
}
} // namespace

ZrReplacement::ZrReplacement(const char* name) {
    if (!name || !*name)
        throw ZrErrorCode(4, 0, kSource, __LINE__);
    target = zrResolveLinks(name);
    const ZrPathKind kind = zrPathKind(target.c_str());
    if (kind == ZrPathKind::Other)
        return; // a device or a folder, written in place: its own errors will tell
    // A target the user may not write is refused before anything is made:
    // replacing it through a rename would get round its protection.
    if (kind == ZrPathKind::Regular && zrCheckWritable(target.c_str()) != 0)
        ZrFile::raiseForErrno(errno);
    // Replacing a file that not everyone may read: the new content is kept
    // from others until it has the target's permissions. A new file may
    // have the permissions it will keep from the start.
    const bool ownerOnly = kind == ZrPathKind::Regular;
    for (int attempt = 0; attempt < kTemporaryNames; ++attempt) {
        const std::string candidate = target + "." + RandomSuffix() + ".tmp";
        const int fd = zrCreateNewFile(candidate.c_str(), ownerOnly);
        if (fd >= 0) {
            descriptor = fd;
            temporary = candidate;
            replacing = kind == ZrPathKind::Regular;
            return;
        }
        const int e = errno;
        if (e == EEXIST)
            continue;
        // A folder that takes no new file: a writable target is written in
        // place, as the only way left.
        if (kind == ZrPathKind::Regular && (e == EACCES || e == EPERM || e == EROFS))
            return;
        ZrFile::raiseForErrno(e);
    }
    ZrFile::raiseForErrno(EEXIST);
}

ZrReplacement::~ZrReplacement() {
    if (descriptor >= 0)
        zrCloseFile(descriptor); // Windows removes no file that is still open
    if (!temporary.empty())
        zrUnlinkFile(temporary.c_str());
}

void ZrReplacement::open(ZrFile& file) {
    if (temporary.empty()) {
        file.setName(target.c_str());
        file.openForWrite();
    } else {
        file.attachForWrite(descriptor);
    }
}

void ZrReplacement::commit() {
    if (temporary.empty())
        return;
    // The file that takes the target's place keeps who may read and write
    // it; should that fail, the new content still matters more.
    if (replacing)
        zrCopyPermissions(target.c_str(), descriptor);
    const int fd = descriptor;
    descriptor = -1;
    // What is renamed is what was written: a file put under the temporary
    // name by someone else (who may write to the folder) is neither put in
    // place nor removed.
    if (zrCheckSameFile(fd, temporary.c_str()) != 0) {
        const int e = errno;
        zrCloseFile(fd);
        temporary.clear();
        ZrFile::raiseForErrno(e);
    }
    if (zrCloseFile(fd) != 0)
        ZrFile::raiseForErrno(errno); // the destructor removes the temporary file
    if (zrReplaceFile(temporary.c_str(), target.c_str()) != 0)
        ZrFile::raiseForErrno(errno);
    temporary.clear();
}

void zrWriteWholeFile(const char* target, const void* data, size_t size) {
    ZrReplacement replacement(target);
    ZrFile file;
    replacement.open(file);
    file.write(data, size);
    file.close();
    replacement.commit();
}
