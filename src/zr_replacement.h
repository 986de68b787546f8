// Writing a new version of a file so that the old one survives any failure.
#pragma once

#include <cstddef>
#include <string>

class ZrFile;

// The writer writes through open(), into a new temporary file beside the
// target, and commit() puts that file in the target's place in one step,
// with the target's permissions. Without a commit the temporary file is
// removed again and the target stays exactly as it was.
//
// The temporary file has a name no one can predict and is created
// exclusively, never through a link; it is written only through the
// descriptor that created it and never opened again by name, so a link
// planted in the folder cannot redirect the data. While it stands in for an
// existing file, no one else may open it.
//
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
    // Without a commit: closes the temporary file and removes it.
    ~ZrReplacement();
    ZrReplacement(const ZrReplacement&) = delete;
    ZrReplacement& operator=(const ZrReplacement&) = delete;

    // Opens the closed `file` for writing the new content: attached to the
    // temporary file's descriptor, which stays this object's, or, written in
    // place, opened by the target's name (the file then owns its
    // descriptor). Throws ZrErrorCode as ZrFile::attachForWrite and
    // ZrFile::openForWrite do.
    void open(ZrFile& file);
    bool inPlace() const { return temporary.empty(); }
    // Puts the written file in place; the writer closes its file first.
    // Throws through the errno mapping of ZrFile when that fails (a full
    // disk may only show here, when the temporary file is closed; 31 when
    // another file took the temporary file's name): the temporary file is
    // then removed and the target kept.
    void commit();

private:
    std::string target;     // the file finally named, links followed
    std::string temporary;  // empty when writing in place
    int descriptor = -1;    // the temporary file, open until the commit
    bool replacing = false; // an existing regular file is being replaced
};

// Replaces the file `target` with `size` bytes of `data` as above: the old
// file survives any failure. Throws ZrErrorCode as ZrReplacement and ZrFile
// do.
void zrWriteWholeFile(const char* target, const void* data, size_t size);
