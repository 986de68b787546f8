// The system's own calls under the file calls of src/zr_file_calls.h: each
// system's half (zr_file_calls_windows.cpp, zr_file_calls_posix.cpp) defines
// them, and the part both share (zr_file_calls.cpp) builds on them.
#pragma once

#include <cstddef>
#include <cstdint>

// One write call: bytes written (at most `count`), or -1 with errno.
int64_t zrSystemWrite(int descriptor, const void* bytes, size_t count);
// One flush of the file's content and size to the disk: 0, or -1 with errno.
int zrSystemFlush(int descriptor);
// Where the descriptor stands, or -1.
int64_t zrSystemPosition(int descriptor);
// Makes the file `size` bytes long: 0, or -1 with errno.
int zrSystemSetSize(int descriptor, int64_t size);
// zrCreateNewFile's result `descriptor`, after telling the created hook
// about the file `name` when one was made.
int zrAnnounceCreated(int descriptor, const char* name);
