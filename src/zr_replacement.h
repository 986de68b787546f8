// Writing a new version of a file so that the old one survives any failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ZrFile;

// The writer writes through open(), into a new temporary file beside the
// target, and commit() puts that file in the target's place in one step,
// with the target's permissions. Without a commit the temporary file is
// removed again and the target stays exactly as it was. The new file
// reaches the disk before it takes the target's place, and the folder's new
// entry after, so that a power cut leaves the old file or the new one.
//
// The temporary file has a name no one can predict and is created
// exclusively, never through a link; it is written only through the
// descriptor that created it and never opened again by name, so a link
// planted in the folder cannot redirect the data. While it stands in for an
// existing file, no one else may open it. Its name is never longer than the
// longest name a file system takes, so any target name the system allows
// saves.
//
// A symbolic link as the target stays a link: the file it names is
// replaced. A link is followed only where the system would let the saver
// follow it (see zrResolveLinks): another user's link in a folder such as
// /tmp fails the save. A target that is not a regular file (a device such as
// /dev/full, a folder) is written in place. So is a writable target in a
// folder where no new file can be made: its old content is kept in memory
// and put back on any failure.
class ZrReplacement {
public:
    // Throws ZrErrorCode, before anything is written: 4 without a name; 5
    // (EACCES) for a target that exists and may not be written, for one to
    // be written in place that cannot be read, and for a link not to be
    // followed; 2 when the old content of a target written in place does not
    // fit in memory; else the errno mapping of ZrFile when the temporary file
    // cannot be made (10 for a missing folder).
    explicit ZrReplacement(const char* target);
    // Without a commit: closes the temporary file and removes it, or puts the
    // old content of a target written in place back.
    ~ZrReplacement();
    ZrReplacement(const ZrReplacement&) = delete;
    ZrReplacement& operator=(const ZrReplacement&) = delete;

    // Opens the closed `file` for writing the new content: attached to the
    // temporary file's descriptor (or that of a target written in place),
    // which stays this object's, or, for a device, opened by the target's
    // name (the file then owns its descriptor). Throws ZrErrorCode as
    // ZrFile::attachForWrite and ZrFile::openForWrite do.
    void open(ZrFile& file);
    bool inPlace() const { return temporary.empty(); }
    // Puts the written file in place; the writer closes its file first.
    // Throws through the errno mapping of ZrFile when that fails (a full
    // disk may only show here, when the file is flushed; 31 when another file
    // took the temporary file's name): the temporary file is then removed,
    // or the old content put back, and the target kept.
    void commit();

private:
    // Reads the target's content before it is written in place.
    void keepOldContent();

    std::string target;     // the file finally named, links followed
    std::string temporary;  // empty when writing in place
    int descriptor = -1;    // the temporary file or the target written in
                            // place, open until the commit
    bool replacing = false; // an existing regular file is being replaced
    bool opened = false;    // open() gave the descriptor to a writer
    std::vector<uint8_t> oldContent; // the target's, when written in place
};

// Replaces the file `target` with `size` bytes of `data` as above: the old
// file survives any failure. Throws ZrErrorCode as ZrReplacement and ZrFile
// do.
void zrWriteWholeFile(const char* target, const void* data, size_t size);
