#include "src/zr_replacement.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <new>
#include <random>

#include "src/zr_error.h"
#include "src/zr_file.h"
#include "src/zr_file_calls.h"

namespace {
const char kSource[] = "src\\ZrReplacement";
// Names tried for the temporary file before giving up.
constexpr int kTemporaryNames = 100;
// The longest file name most file systems take, in bytes (Linux) or UTF-16
// units (Windows); a name has at least as many bytes as units.
constexpr size_t kLongestName = 255;
// What the temporary name adds to the part of the target's name it keeps:
// "." + 13 random characters + ".tmp".
constexpr size_t kRandomCharacters = 13;
constexpr size_t kAddedLength = 1 + kRandomCharacters + 4;

#ifdef _WIN32
const char kSeparators[] = "/\\";
#else
const char kSeparators[] = "/";
#endif

// 64 bits no one can predict, so that no one can make the temporary file
// (or a link by its name) in advance: from the system's random source,
// mixed with the clock and a counter should that source fail.
uint64_t RandomBits() {
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
    return bits;
}

// The temporary file's name beside `target`: the target's file name, cut
// where needed (at the start of a UTF-8 character) so that the whole is
// never longer than kLongestName, then "." and the 64 random bits as 13
// characters of a 32-letter alphabet that has no capitals (Windows names
// ignore case), then ".tmp".
std::string TemporaryName(const std::string& target) {
    const size_t separator = target.find_last_of(kSeparators);
    const size_t start = separator == std::string::npos ? 0 : separator + 1;
    size_t kept = target.size() - start;
    if (kept > kLongestName - kAddedLength) {
        kept = kLongestName - kAddedLength;
        while (kept > 0 && (static_cast<unsigned char>(target[start + kept]) & 0xC0) == 0x80)
            --kept;
    }
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz234567";
    uint64_t bits = RandomBits();
    std::string name = target.substr(0, start + kept) + ".";
    for (size_t i = 0; i < kRandomCharacters; ++i, bits >>= 5)
        name += kAlphabet[bits & 31];
    return name + ".tmp";
}
} // namespace

ZrReplacement::ZrReplacement(const char* name) {
    if (!name || !*name)
        throw ZrErrorCode(ZrError::NoFileName, 0, kSource, __LINE__);
    if (zrResolveLinks(name, target) != 0)
        ZrFile::raiseForErrno(errno);
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
        const std::string candidate = TemporaryName(target);
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
        if (kind == ZrPathKind::Regular && (e == EACCES || e == EPERM || e == EROFS)) {
            keepOldContent();
            return;
        }
        ZrFile::raiseForErrno(e);
    }
    ZrFile::raiseForErrno(EEXIST);
}

void ZrReplacement::keepOldContent() {
    const int fd = zrOpenForUpdate(target.c_str());
    if (fd < 0)
        ZrFile::raiseForErrno(errno); // EACCES for a file that cannot be read
    int e = 0;
    try {
        constexpr size_t kPiece = 64 * 1024;
        for (;;) {
            const size_t have = oldContent.size();
            oldContent.resize(have + kPiece);
            const int64_t got = zrReadFile(fd, oldContent.data() + have, kPiece);
            oldContent.resize(have + (got > 0 ? static_cast<size_t>(got) : 0));
            if (got <= 0) {
                e = got < 0 ? errno : 0;
                break;
            }
        }
        if (e == 0 && zrSeekToStart(fd) != 0)
            e = errno;
    } catch (const std::bad_alloc&) {
        e = ENOMEM;
    }
    if (e != 0) {
        zrCloseFile(fd);
        oldContent = {};
        ZrFile::raiseForErrno(e);
    }
    descriptor = fd;
}

ZrReplacement::~ZrReplacement() {
    if (descriptor >= 0) {
        // Whatever of the new content reached a file written in place gives
        // way to the old.
        if (temporary.empty() && opened)
            zrRestoreFile(descriptor, oldContent.data(), oldContent.size());
        zrCloseFile(descriptor); // Windows removes no file that is still open
    }
    if (!temporary.empty())
        zrUnlinkFile(temporary.c_str());
}

void ZrReplacement::open(ZrFile& file) {
    if (descriptor < 0) {
        file.setName(target.c_str());
        file.openForWrite();
    } else {
        file.attachForWrite(descriptor);
        opened = true;
    }
}

void ZrReplacement::commit() {
    if (temporary.empty()) {
        if (descriptor < 0)
            return; // a device
        // Written in place: the file ends where the new content does, and
        // is on the disk, before the old content is let go.
        if (zrEndFileHere(descriptor) != 0 || zrFlushFile(descriptor) != 0)
            ZrFile::raiseForErrno(errno); // the destructor puts the old content back
        zrCloseFile(descriptor); // what was written is on the disk already
        descriptor = -1;
        oldContent = {};
        return;
    }
    // The file that takes the target's place keeps who may read and write
    // it; should that fail, the new content still matters more.
    if (replacing)
        zrCopyPermissions(target.c_str(), descriptor);
    // All of it on the disk before it has the target's name: otherwise a
    // power cut could leave an empty file there.
    if (zrFlushFile(descriptor) != 0)
        ZrFile::raiseForErrno(errno); // the destructor removes the temporary file
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
    // The new name on the disk too. The new file has taken the old one's
    // place already, so a failure here is not one of the save.
    zrFlushFolder(target.c_str());
}

void zrWriteWholeFile(const char* target, const void* data, size_t size) {
    ZrReplacement replacement(target);
    ZrFile file;
    replacement.open(file);
    file.write(data, size);
    file.close();
    replacement.commit();
}
