// The runtime's descriptor-based file calls that ZrFile makes, with the same
// meaning on every system: a negative result (or -1) and errno on failure.
// On Windows they are the runtime's _wopen, _write, _chsize... family; on
// other systems the POSIX calls. File names are UTF-8 everywhere: on Windows
// they are converted to UTF-16 for the wide calls, so any name works (a
// name that is not valid UTF-8 fails with EINVAL).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Opens for writing: write-only, created when missing, truncated, bytes
// untranslated, created writable. A descriptor, or -1.
int zrOpenForWriting(const char* name);
// Opens an existing file for reading, bytes untranslated. A descriptor, or -1.
int zrOpenForReading(const char* name);
// Creates (or truncates) a file readable and writable. A descriptor, or -1.
int zrCreateFile(const char* name);
// 0, or -1.
int zrCloseFile(int descriptor);
// Bytes read (0 at the end of the file), or -1.
int64_t zrReadFile(int descriptor, void* buffer, size_t count);
// Writes all `count` bytes, continuing after partial writes and
// interruptions. 0, or -1 with errno of the write that failed (ENOSPC when a
// write stored nothing without a reason).
int zrWriteFile(int descriptor, const void* bytes, size_t count);
// Moves to the start of the file; 0, or -1. Nothing to do (0) for what is
// not a regular file, such as a device.
int zrSeekToStart(int descriptor);
// Changes the size of the file to 0 bytes; 0, or -1. Nothing to do (0) for
// what is not a regular file.
int zrTruncateFile(int descriptor);
// Deletes the file; 0, or -1.
int zrUnlinkFile(const char* name);

// What a path names, symbolic links followed: nothing, a regular file, or
// anything else (a folder, a device, a pipe, or what could not be learnt).
enum class ZrPathKind { Missing, Regular, Other };
ZrPathKind zrPathKind(const char* name);
// 0 when this process may write the existing file `name`; -1 with errno
// otherwise (EACCES for a read-only file).
int zrCheckWritable(const char* name);
// Creates `name` exclusively and opens it for writing: it must not exist
// yet, and a link by that name (even one to nothing) counts as existing and
// is never followed. The descriptor is not inherited by child processes.
// With `ownerOnly` only the owner may open it (mode 0600 on POSIX) until
// zrCopyPermissions gives it others; otherwise it gets the permissions of
// any new file. On Windows no one else may open it while it is open. The
// descriptor, or -1 with errno (EEXIST when the name is taken).
int zrCreateNewFile(const char* name, bool ownerOnly);
// Gives the file open as `descriptor` the permissions of the file `from`:
// on POSIX its owner and group where this process may set them, then its
// mode bits; on Windows its hidden, system, archive and not-indexed
// attributes (read-only is never set: such a target is refused before it is
// replaced; its security goes along with zrReplaceFile). 0, or -1 with errno.
int zrCopyPermissions(const char* from, int descriptor);
// 0 when `name` still names the file open as `descriptor`; -1 with errno
// ENOENT when nothing has the name, EEXIST when another file took it.
int zrCheckSameFile(int descriptor, const char* name);
// Puts the closed file `from` in the place of `to`, replacing it, in one
// step; on Windows an existing `to` passes on its security and attributes
// to the file that takes its place. On any failure `to` is left as it was.
// 0, or -1 with errno.
int zrReplaceFile(const char* from, const char* to);
// Sets `path` to the file `name` finally refers to: symbolic links followed
// (relative ones from their own folder, at most 40), each only where the
// system would let this process follow it: not a link in a folder that
// everyone may write and only owners may delete from (sticky, as /tmp)
// unless it belongs to this process's user or to the folder's owner. 0, or
// -1 with errno: EACCES for a link not to be followed, ELOOP for too many.
// Windows follows no links here (`path` is the name).
int zrResolveLinks(const char* name, std::string& path);

// Opens the existing regular file `name` for reading and writing, not
// truncated, the name itself never a link (POSIX). A descriptor, or -1.
int zrOpenForUpdate(const char* name);
// Makes the file end where the descriptor stands. 0, or -1.
int zrEndFileHere(int descriptor);
// Puts `size` bytes back as the whole content of the file open as
// `descriptor` and flushes it, through the system's own calls only (never
// those tests replace). 0, or -1 with errno.
int zrRestoreFile(int descriptor, const void* bytes, size_t size);

// fopen for a UTF-8 name (and mode); null with errno on failure.
FILE* zrOpenStdioFile(const char* name, const char* mode);

// One write call as the runtime makes it: bytes written (at most `count`),
// or -1 with errno. Replaceable so that tests can make writes fail.
using ZrWriteFunction = int64_t (*)(int descriptor, const void* bytes, size_t count);
// Installs the write call zrWriteFile uses; null restores the runtime's.
void zrSetWriteFunction(ZrWriteFunction function);

// Makes the file open as `descriptor` durable: its content and size reach
// the disk before this returns. 0, or -1 with errno.
int zrFlushFile(int descriptor);
// Makes the folder holding `name` durable, so that a file just renamed to
// `name` keeps that name after a power cut (POSIX; on Windows the file
// system keeps its names itself and this does nothing). 0, or -1 with errno.
int zrFlushFolder(const char* name);

// One flush as the system makes it: 0, or -1 with errno. Replaceable so that
// tests can watch flushes and make them fail.
using ZrFlushFunction = int (*)(int descriptor);
// Installs the flush zrFlushFile and zrFlushFolder use; null restores the
// system's.
void zrSetFlushFunction(ZrFlushFunction function);

// Called with the name of each file that zrCreateNewFile makes, right after
// making it, so that tests can act at that moment; null (the default) for
// none.
using ZrCreatedHook = void (*)(const char* name);
void zrSetCreatedHook(ZrCreatedHook hook);
