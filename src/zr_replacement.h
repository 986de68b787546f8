// Writing a new version of a file so that the old one survives any failure.
#pragma once

#include <cstddef>
#include <string>

// The writer writes to path(), a new temporary file beside the target whose
// name no one can predict, and commit() puts it in the target's place in one
// step, with the target's permissions. Without a commit the
// temporary file is removed again and the target stays exactly as it was.
// A symbolic link as the target stays a link: the file it names is
// replaced. A target that is not a regular file (a device such as
// /dev/full, a folder) is written in place, as is a writable target in a
// folder where no new file can be made.
class ZrReplacement {
public:
    // Throws ZrErrorCode: 4 without a name; 5 (EACCES) for a target that
    // exists and may not be written, before anything is written; else the
    // errno mapping of ZrFile when the temporary file cannot be made (10 for
    // a missing folder).
    explicit ZrReplacement(const char* target);
    ~ZrReplacement();
    ZrReplacement(const ZrReplacement&) = delete;
    ZrReplacement& operator=(const ZrReplacement&) = delete;

    // Where to write: the temporary file, or the target when written in place.
    const char* path() const { return writePath.c_str(); }
    bool inPlace() const { return temporary.empty(); }
    // Puts the written file in place; throws through the errno mapping of
    // ZrFile when that fails (the temporary file is then removed).
    void commit();

private:
    std::string target;    // the file finally named, links followed
    std::string temporary; // empty when writing in place
    std::string writePath;
    bool replacing = false; // an existing regular file is being replaced
};

// Replaces the file `target` with `size` bytes of `data` as above: the old
// file survives any failure. Throws ZrErrorCode as ZrReplacement and ZrFile
// do (a full disk may only show when the file is closed).
void zrWriteWholeFile(const char* target, const void* data, size_t size);
