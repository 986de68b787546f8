// The file calls on the Windows runtime. Names are UTF-8 and go to the wide
// calls as UTF-16.
#include "src/zr_file_calls.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

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
#include "src/zr_file_system.h"

int64_t zrSystemWrite(int descriptor, const void* bytes, size_t count) {
    // _write takes an unsigned int count; larger writes go in pieces.
    const unsigned int piece = count > INT_MAX ? INT_MAX : static_cast<unsigned int>(count);
    return _write(descriptor, bytes, piece);
}

int64_t zrSystemPosition(int descriptor) { return _telli64(descriptor); }

int zrSystemSetSize(int descriptor, int64_t size) {
    const errno_t e = _chsize_s(descriptor, size);
    if (e == 0)
        return 0;
    errno = e;
    return -1;
}

int zrSystemFlush(int descriptor) {
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

namespace {

bool IsRegularFile(int descriptor) {
    struct _stat64 status;
    return _fstat64(descriptor, &status) != 0 || (status.st_mode & _S_IFMT) == _S_IFREG;
}

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
    return zrAnnounceCreated(WithWideName(name,
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

