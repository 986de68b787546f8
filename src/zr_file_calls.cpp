// The descriptor calls of ZrFile, on the Windows runtime or POSIX. Names are
// UTF-8 on both.
#include "src/zr_file_calls.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <share.h>
#include <windows.h>

#include "src/utf16_text.h"
#else
#include <climits>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
int64_t RuntimeWrite(int descriptor, const void* bytes, size_t count) {
    // _write takes an unsigned int count; larger writes go in pieces.
    const unsigned int piece = count > INT_MAX ? INT_MAX : static_cast<unsigned int>(count);
    return _write(descriptor, bytes, piece);
}

bool IsRegularFile(int descriptor) {
    struct _stat64 status;
    return _fstat64(descriptor, &status) != 0 || (status.st_mode & _S_IFMT) == _S_IFREG;
}

int64_t Position(int descriptor) { return _telli64(descriptor); }

int SetSize(int descriptor, int64_t size) {
    const errno_t e = _chsize_s(descriptor, size);
    if (e == 0)
        return 0;
    errno = e;
    return -1;
}

int SystemFlush(int descriptor) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    if (handle == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return -1;
    }
    if (FlushFileBuffers(handle))
        return 0;
    errno = GetLastError() == ERROR_DISK_FULL ? ENOSPC : EIO;
    return -1;
}
#else
int64_t RuntimeWrite(int descriptor, const void* bytes, size_t count) {
    return ::write(descriptor, bytes, count > SSIZE_MAX ? SSIZE_MAX : count);
}

bool IsRegularFile(int descriptor) {
    struct stat status;
    // When the type cannot be learnt, the call itself reports the problem.
    return fstat(descriptor, &status) != 0 || S_ISREG(status.st_mode);
}

int64_t Position(int descriptor) { return ::lseek(descriptor, 0, SEEK_CUR); }

int SetSize(int descriptor, int64_t size) {
    int result;
    do
        result = ::ftruncate(descriptor, static_cast<off_t>(size));
    while (result != 0 && errno == EINTR);
    return result;
}

int SystemFlush(int descriptor) {
    int result;
    do
        result = ::fsync(descriptor);
    while (result != 0 && errno == EINTR);
    return result;
}
#endif

ZrWriteFunction writeFunction = RuntimeWrite;
ZrFlushFunction flushFunction = SystemFlush;
ZrCreatedHook createdHook = nullptr;

// zrCreateNewFile's result, after telling the hook about a file made.
int Created(int descriptor, const char* name) {
    if (descriptor >= 0 && createdHook)
        createdHook(name);
    return descriptor;
}

} // namespace

void zrSetCreatedHook(ZrCreatedHook hook) {
    createdHook = hook;
}

void zrSetWriteFunction(ZrWriteFunction function) {
    writeFunction = function ? function : RuntimeWrite;
}

void zrSetFlushFunction(ZrFlushFunction function) {
    flushFunction = function ? function : SystemFlush;
}

namespace {
// Writes all `count` bytes through `write`, as zrWriteFile describes.
int WriteAll(ZrWriteFunction write, int descriptor, const void* bytes, size_t count) {
    const char* next = static_cast<const char*>(bytes);
    while (count > 0) {
        errno = 0;
        const int64_t written = write(descriptor, next, count);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (written == 0) {
            // A regular file that takes nothing has run out of room.
            if (errno == 0)
                errno = ENOSPC;
            return -1;
        }
        next += written;
        count -= static_cast<size_t>(written);
    }
    return 0;
}
} // namespace

int zrWriteFile(int descriptor, const void* bytes, size_t count) {
    return WriteAll(writeFunction, descriptor, bytes, count);
}

int zrFlushFile(int descriptor) { return flushFunction(descriptor); }

int zrEndFileHere(int descriptor) {
    const int64_t end = Position(descriptor);
    return end < 0 ? -1 : SetSize(descriptor, end);
}

int zrRestoreFile(int descriptor, const void* bytes, size_t size) {
    if (zrSeekToStart(descriptor) != 0 || WriteAll(RuntimeWrite, descriptor, bytes, size) != 0 ||
        SetSize(descriptor, static_cast<int64_t>(size)) != 0)
        return -1;
    return SystemFlush(descriptor);
}

#ifdef _WIN32

namespace {

// File names are UTF-8 on every system; Windows takes them as UTF-16, so
// that any name opens, not only those of the ANSI code page. Empty, with
// errno EINVAL, for a name that is not valid UTF-8 (which names no file).
std::wstring WideName(const char* name) {
    std::wstring wide;
    if (!ToUtf16(CP_UTF8, name, wide, true))
        errno = EINVAL;
    return wide;
}

// Calls `call` with the UTF-16 form of `name`; -1 with errno EINVAL when
// there is none (an empty name is ENOENT, as the runtime reports it).
template <class Call>
int WithWideName(const char* name, Call call) {
    if (!*name) {
        errno = ENOENT;
        return -1;
    }
    const std::wstring wide = WideName(name);
    if (wide.empty())
        return -1;
    return call(wide.c_str());
}

} // namespace

int zrOpenForWriting(const char* name) {
    return WithWideName(name, [](const wchar_t* wide) {
        return _wopen(wide, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IWRITE);
    });
}

int zrOpenForReading(const char* name) {
    return WithWideName(name, [](const wchar_t* wide) { return _wopen(wide, _O_RDONLY | _O_BINARY); });
}

int zrCreateFile(const char* name) {
    return WithWideName(name, [](const wchar_t* wide) { return _wcreat(wide, _S_IREAD | _S_IWRITE); });
}

int zrOpenForUpdate(const char* name) {
    return WithWideName(name, [](const wchar_t* wide) {
        return _wopen(wide, _O_RDWR | _O_BINARY | _O_NOINHERIT);
    });
}

int zrCloseFile(int descriptor) { return _close(descriptor); }

int64_t zrReadFile(int descriptor, void* buffer, size_t count) {
    return _read(descriptor, buffer, count > INT_MAX ? INT_MAX : static_cast<unsigned int>(count));
}

int zrSeekToStart(int descriptor) {
    if (!IsRegularFile(descriptor))
        return 0;
    return _lseeki64(descriptor, 0, SEEK_SET) < 0 ? -1 : 0;
}

int zrTruncateFile(int descriptor) {
    if (!IsRegularFile(descriptor))
        return 0;
    return _chsize(descriptor, 0);
}

int zrUnlinkFile(const char* name) {
    return WithWideName(name, [](const wchar_t* wide) { return _wunlink(wide); });
}

// Devices such as NUL, or Wine's view of /dev/full, may have no attributes
// at all: what can be opened is asked for its type instead.
ZrPathKind zrPathKind(const char* name) {
    const std::wstring wide = WideName(name);
    if (wide.empty())
        return ZrPathKind::Other;
    HANDLE handle = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? ZrPathKind::Missing : ZrPathKind::Other;
    }
    const DWORD type = GetFileType(handle);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    CloseHandle(handle);
    if (type != FILE_TYPE_DISK || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
        return ZrPathKind::Other;
    return ZrPathKind::Regular;
}

int zrCheckWritable(const char* name) {
    const std::wstring wide = WideName(name);
    const DWORD attributes = wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        errno = EACCES;
        return -1;
    }
    return 0;
}

int zrCreateNewFile(const char* name, bool ownerOnly) {
    // The file's security comes from its folder until it replaces a file:
    // ownerOnly has nothing to narrow here. Denying every other opener while
    // it is open does: no one reads it half-written, and no one can rename
    // or delete it, so its name stays the file written through this
    // descriptor. CREATE_NEW (from _O_EXCL) fails on any existing name,
    // links included, without following it.
    (void)ownerOnly;
    return Created(WithWideName(name,
                                [](const wchar_t* wide) {
                                    return _wsopen(wide,
                                                   _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY |
                                                       _O_NOINHERIT,
                                                   _SH_DENYRW, _S_IREAD | _S_IWRITE);
                                }),
                   name);
}

namespace {

int ErrnoOfReplace(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    default:
        return EIO;
    }
}

bool Exists(const std::wstring& name) {
    return GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int MoveReplacing(const std::wstring& from, const std::wstring& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    errno = ErrnoOfReplace(GetLastError());
    return -1;
}

} // namespace

// An existing target is replaced by ReplaceFileW, which gives the new file
// the old one's security descriptor (and its creation time, short name and
// other streams). Under Wine 8 there is nothing to carry: a DACL set on a
// file does not stay (files report the same one).
// The old file is parked under a backup name while the names change: only
// then does every documented failure leave it recoverable (without one, a
// failed final move may leave no file under the target's name at all).
int zrReplaceFile(const char* from, const char* to) {
    const std::wstring wideFrom = WideName(from), wideTo = WideName(to);
    if (wideFrom.empty() || wideTo.empty()) {
        errno = wideFrom.empty() && *from ? EINVAL : wideTo.empty() && *to ? EINVAL : ENOENT;
        return -1;
    }
    if (!Exists(wideTo))
        return MoveReplacing(wideFrom, wideTo);
    // `from` has a name no one could predict; the backup's follows from it,
    // no longer than it (a ".tmp" ending becomes ".old"), so that it fits
    // wherever `from` did.
    const std::wstring kTemporaryEnding = L".tmp";
    std::wstring backup = wideFrom;
    if (backup.size() > kTemporaryEnding.size() &&
        backup.compare(backup.size() - kTemporaryEnding.size(), kTemporaryEnding.size(),
                       kTemporaryEnding) == 0)
        backup.resize(backup.size() - kTemporaryEnding.size());
    backup += L".old";
    if (ReplaceFileW(wideTo.c_str(), wideFrom.c_str(), backup.c_str(),
                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        DeleteFileW(backup.c_str()); // the old content, no longer wanted
        return 0;
    }
    const DWORD error = GetLastError();
    // The old file is put back under its name wherever the failure left it
    // parked.
    if (!Exists(wideTo) && Exists(backup))
        MoveFileExW(backup.c_str(), wideTo.c_str(), MOVEFILE_WRITE_THROUGH);
    // A file system without ReplaceFileW's support still takes a rename.
    if ((error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
         error == ERROR_INVALID_PARAMETER) &&
        Exists(wideTo) && Exists(wideFrom))
        return MoveReplacing(wideFrom, wideTo);
    errno = ErrnoOfReplace(error);
    return -1;
}

int zrCopyPermissions(const char* from, int descriptor) {
    const std::wstring wideFrom = WideName(from);
    const DWORD attributes =
        wideFrom.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wideFrom.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        errno = ENOENT;
        return -1;
    }
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    if (handle == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return -1;
    }
    // Set here rather than left to ReplaceFileW, which merges them only on
    // some systems (Wine's drops them).
    const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    FILE_BASIC_INFO basic = {}; // times of 0 stay as they are
    basic.FileAttributes = kept ? kept : FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic)) {
        errno = EACCES;
        return -1;
    }
    return 0;
}

// A file open without delete sharing keeps its name: no one can rename or
// delete it while zrCreateNewFile's descriptor is open.
int zrCheckSameFile(int descriptor, const char* name) {
    (void)descriptor;
    (void)name;
    return 0;
}

FILE* zrOpenStdioFile(const char* name, const char* mode) {
    const std::wstring wideMode = WideName(mode);
    FILE* file = nullptr;
    WithWideName(name, [&](const wchar_t* wide) {
        file = _wfopen(wide, wideMode.c_str());
        return file ? 0 : -1;
    });
    return file;
}

int zrResolveLinks(const char* name, std::string& path) {
    path = name;
    return 0;
}

int zrFlushFolder(const char* name) {
    (void)name;
    return 0;
}

#else

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
    return Created(
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
    const int result = flushFunction(folder);
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

#endif
