#include "src/zr_replacement.h"

#include <cerrno>

#include "src/zr_error.h"
#include "src/zr_file.h"
#include "src/zr_file_calls.h"

namespace {
const char kSource[] = "src\\ZrReplacement";
// Names tried for the temporary file before giving up.
constexpr int kTemporaryNames = 100;
} // namespace

ZrReplacement::ZrReplacement(const char* name) {
    if (!name || !*name)
        throw ZrErrorCode(4, 0, kSource, __LINE__);
    target = zrResolveLinks(name);
    const ZrPathKind kind = zrPathKind(target.c_str());
    if (kind == ZrPathKind::Other) {
        writePath = target; // a device or a folder: its own errors will tell
        return;
    }
    // A target the user may not write is refused before anything is made:
    // replacing it through a rename would get round its protection.
    if (kind == ZrPathKind::Regular && zrCheckWritable(target.c_str()) != 0)
        ZrFile::raiseForErrno(errno);
    for (int n = 1; n <= kTemporaryNames; ++n) {
        const std::string candidate = target + "." + std::to_string(n) + ".tmp";
        const int fd = zrCreateNewFile(candidate.c_str());
        if (fd >= 0) {
            zrCloseFile(fd);
            temporary = writePath = candidate;
            return;
        }
        const int e = errno;
        if (e == EEXIST)
            continue;
        // A folder that takes no new file: a writable target is written in
        // place, as the only way left.
        if (kind == ZrPathKind::Regular && (e == EACCES || e == EPERM || e == EROFS)) {
            writePath = target;
            return;
        }
        ZrFile::raiseForErrno(e);
    }
    ZrFile::raiseForErrno(EEXIST);
}

ZrReplacement::~ZrReplacement() {
    if (!temporary.empty())
        zrUnlinkFile(temporary.c_str());
}

void ZrReplacement::commit() {
    if (temporary.empty())
        return;
    if (zrReplaceFile(temporary.c_str(), target.c_str()) != 0)
        ZrFile::raiseForErrno(errno); // the destructor removes the temporary file
    temporary.clear();
}

void zrWriteWholeFile(const char* target, const void* data, size_t size) {
    ZrReplacement replacement(target);
    ZrFile file;
    file.setName(replacement.path());
    file.openForWrite();
    file.write(data, size);
    file.close();
    replacement.commit();
}
