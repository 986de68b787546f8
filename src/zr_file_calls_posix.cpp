// The file calls on POSIX. Names are UTF-8, as the system takes them.
#include "src/zr_file_calls.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "src/zr_file_system.h"

int64_t zrSystemWrite(int descriptor, const void* bytes, size_t count) {
    return ::write(descriptor, bytes, count > SSIZE_MAX ? SSIZE_MAX : count);
}

int64_t zrSystemPosition(int descriptor) { return ::lseek(descriptor, 0, SEEK_CUR); }

int zrSystemSetSize(int descriptor, int64_t size) {
    int result;
    do
        result = ::ftruncate(descriptor, static_cast<off_t>(size));
    while (result != 0 && errno == EINTR);
    return result;
}

int zrSystemFlush(int descriptor) {
    int result;
    do
        result = ::fsync(descriptor);
    while (result != 0 && errno == EINTR);
    return result;
}

namespace {

bool IsRegularFile(int descriptor) {
    struct stat status;
    // When the type cannot be learnt, the call itself reports the problem.
    return fstat(descriptor, &status) != 0 || S_ISREG(status.st_mode);
}

} // namespace

int zrOpenForWriting(const char* name) {
    return ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

int zrOpenForReading(const char* name) { return ::open(name, O_RDONLY | O_CLOEXEC); }

int zrCreateFile(const char* name) {
    return ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

int zrOpenForUpdate(const char* name) { return ::open(name, O_RDWR | O_NOFOLLOW | O_CLOEXEC); }

int zrCloseFile(int descriptor) { return ::close(descriptor); }

int64_t zrReadFile(int descriptor, void* buffer, size_t count) {
    for (;;) {
        const ssize_t n = ::read(descriptor, buffer, count > SSIZE_MAX ? SSIZE_MAX : count);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

int zrSeekToStart(int descriptor) {
    if (!IsRegularFile(descriptor))
        return 0;
    return ::lseek(descriptor, 0, SEEK_SET) < 0 ? -1 : 0;
}

int zrTruncateFile(int descriptor) {
    if (!IsRegularFile(descriptor))
        return 0;
    int result;
    do
        result = ::ftruncate(descriptor, 0);
    while (result != 0 && errno == EINTR);
    return result;
}

int zrUnlinkFile(const char* name) { return ::unlink(name); }

ZrPathKind zrPathKind(const char* name) {
    struct stat status;
    if (::stat(name, &status) != 0)
        return errno == ENOENT ? ZrPathKind::Missing : ZrPathKind::Other;
    return S_ISREG(status.st_mode) ? ZrPathKind::Regular : ZrPathKind::Other;
}

int zrCheckWritable(const char* name) { return ::access(name, W_OK); }

int zrCreateNewFile(const char* name, bool ownerOnly) {
    // O_EXCL already refuses any existing name, links included; O_NOFOLLOW
    // says the same where a system would treat a dangling link otherwise.
    return zrAnnounceCreated(
        ::open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, ownerOnly ? 0600 : 0666),
        name);
}

int zrReplaceFile(const char* from, const char* to) { return ::rename(from, to); }

int zrCopyPermissions(const char* from, int descriptor) {
    struct stat wanted, own;
    if (::stat(from, &wanted) != 0 || ::fstat(descriptor, &own) != 0)
        return -1;
    // Owner and group first (a change of owner clears the set-id bits).
    // Root may give both; an owner may give a group of their own; otherwise
    // the new file stays the writer's, as any file they make.
    if (own.st_uid != wanted.st_uid || own.st_gid != wanted.st_gid) {
        if (::fchown(descriptor, wanted.st_uid, wanted.st_gid) != 0 &&
            own.st_gid != wanted.st_gid) {
            const int ignored = ::fchown(descriptor, static_cast<uid_t>(-1), wanted.st_gid);
            (void)ignored;
        }
    }
    return ::fchmod(descriptor, wanted.st_mode & 07777);
}

int zrCheckSameFile(int descriptor, const char* name) {
    struct stat open, named;
    if (::fstat(descriptor, &open) != 0)
        return -1;
    if (::lstat(name, &named) != 0)
        return -1;
    if (open.st_dev != named.st_dev || open.st_ino != named.st_ino) {
        errno = EEXIST;
        return -1;
    }
    return 0;
}

FILE* zrOpenStdioFile(const char* name, const char* mode) { return std::fopen(name, mode); }

namespace {
// The folder part of `path`: "." for a bare name, "/" for a file in the root.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether the kernel's protection of shared folders lets this process follow
// the link `link` found in `folder`: a folder everyone may write, sticky,
// gives only its owner's links and the follower's own.
bool MayFollow(const struct stat& link, const std::string& folder) {
    struct stat holder;
    if (::stat(folder.c_str(), &holder) != 0)
        return false;
    const bool shared = (holder.st_mode & S_ISVTX) && (holder.st_mode & S_IWOTH);
    return !shared || link.st_uid == ::geteuid() || link.st_uid == holder.st_uid;
}
} // namespace

int zrFlushFolder(const char* name) {
    const int folder = ::open(FolderOf(name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return -1;
    const int result = zrFlushFile(folder);
    const int e = errno;
    ::close(folder);
    errno = e;
    return result;
}

int zrResolveLinks(const char* name, std::string& path) {
    path = name;
    for (int hop = 0;; ++hop) {
        struct stat link;
        // Not a link, or nothing by that name (yet): this is the file. Other
        // problems show when it is written.
        if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
            return 0;
        if (hop == 40) {
            errno = ELOOP;
            return -1;
        }
        const std::string folder = FolderOf(path);
        if (!MayFollow(link, folder)) {
            errno = EACCES;
            return -1;
        }
        char target[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target);
        if (n < 0)
            return -1;
        if (n == 0 || static_cast<size_t>(n) >= sizeof target) {
            errno = n == 0 ? ENOENT : ENAMETOOLONG;
            return -1;
        }
        std::string next(target, static_cast<size_t>(n));
        const size_t slash = path.rfind('/');
        if (next[0] != '/' && slash != std::string::npos)
            next = path.substr(0, slash + 1) + next;
        path = next;
    }
}

