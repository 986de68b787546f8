// The recent documents of File menu: at most eight paths, the newest first,
// each once (compared without case, as Windows compares file names), kept
// under the program's per-user key as the REG_SZ values "Recent_File_1" to
// "Recent_File_8", written whenever the list changes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class RecentFiles {
public:
    static constexpr size_t kMax = 8;

    // Reads the list stored under HKEY_CURRENT_USER\`keyPath` (ANSI); empty
    // values, repeats and values that are not REG_SZ are skipped. Nothing
    // stored gives an empty list.
    void Load(const char* keyPath);
    // Writes the list, and deletes the values past its end. False when the
    // key cannot be opened or a value cannot be written.
    bool Store(const char* keyPath) const;

    // Puts `path` first, removing an earlier entry of it; the ninth entry
    // falls off the end.
    void Add(const std::wstring& path);
    // Removes `path` (compared without case); nothing when it is not there.
    void Remove(const std::wstring& path);

    const std::vector<std::wstring>& Paths() const { return paths; }

    // Replaces the recent-file items of the File menu `fileMenu`: they sit
    // after the fixed items up to the separator before `anchorId` (Export),
    // and are followed by a separator of their own when there are any.
    void ShowInMenu(HMENU fileMenu, UINT anchorId) const;

private:
    std::vector<std::wstring> paths;
};

// The same file name: equal without case, as Windows compares them.
bool SameFileName(const std::wstring& a, const std::wstring& b);
