#include "app/recent_files.h"

#include <algorithm>

#include "document/path_text.h"
#include "res/resource.h"
#include "win/text_encoding.h"
#include "win/win_handles.h"

namespace {

// Menu items show paths up to this many characters.
constexpr size_t kMenuPathLength = 60;

std::wstring ValueName(size_t index) {
    return L"Recent_File_" + std::to_wstring(index + 1);
}

} // namespace

bool SameFileName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

void RecentFiles::Load(const char* keyPath) {
    paths.clear();
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, AnsiToWide(keyPath).c_str(), 0, KEY_QUERY_VALUE,
                      key.receive()) != ERROR_SUCCESS)
        return;
    for (size_t i = 0; i < kMax; ++i) {
        DWORD type = 0, bytes = 0;
        const std::wstring name = ValueName(i);
        if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &bytes) !=
                ERROR_SUCCESS ||
            type != REG_SZ || bytes < sizeof(wchar_t) || bytes > 65536)
            continue;
        std::wstring text(bytes / sizeof(wchar_t), L'\0');
        if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(text.data()), &bytes) != ERROR_SUCCESS)
            continue;
        // The stored terminator, if any, and anything after it.
        text.resize(std::min(text.size(), bytes / sizeof(wchar_t)));
        text.resize(std::wcslen(text.c_str()));
        const bool repeated = std::any_of(paths.begin(), paths.end(), [&](const std::wstring& p) {
            return SameFileName(p, text);
        });
        if (!text.empty() && !repeated)
            paths.push_back(text);
    }
}

bool RecentFiles::Store(const char* keyPath) const {
    RegistryKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, AnsiToWide(keyPath).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
        return false;
    bool stored = true;
    for (size_t i = 0; i < kMax; ++i) {
        const std::wstring name = ValueName(i);
        if (i < paths.size()) {
            const std::wstring& path = paths[i];
            const DWORD bytes = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
            stored &= RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(path.c_str()),
                                     bytes) == ERROR_SUCCESS;
        } else {
            RegDeleteValueW(key.get(), name.c_str());
        }
    }
    return stored;
}

void RecentFiles::Add(const std::wstring& path) {
    Remove(path);
    paths.insert(paths.begin(), path);
    if (paths.size() > kMax)
        paths.resize(kMax);
}

void RecentFiles::Remove(const std::wstring& path) {
    paths.erase(std::remove_if(paths.begin(), paths.end(),
                               [&](const std::wstring& p) { return SameFileName(p, path); }),
                paths.end());
}

// The File menu is New, Open, Save, Save As, a separator, then the recent
// files and their separator, then Export: everything between the first
// separator and Export is the list's.
void RecentFiles::ShowInMenu(HMENU fileMenu, UINT anchorId) const {
    if (!fileMenu)
        return;
    const int count = GetMenuItemCount(fileMenu);
    int first = -1, anchor = -1;
    for (int i = 0; i < count; ++i) {
        const UINT id = GetMenuItemID(fileMenu, i);
        if (first < 0 && (GetMenuState(fileMenu, i, MF_BYPOSITION) & MF_SEPARATOR))
            first = i + 1;
        if (id == anchorId) {
            anchor = i;
            break;
        }
    }
    if (first < 0 || anchor < first)
        return;
    for (int i = anchor - 1; i >= first; --i)
        DeleteMenu(fileMenu, static_cast<UINT>(i), MF_BYPOSITION);
    UINT position = static_cast<UINT>(first);
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::wstring text = RecentMenuText(static_cast<int>(i + 1), paths[i], kMenuPathLength);
        InsertMenuW(fileMenu, position++, MF_BYPOSITION | MF_STRING,
                    IDM_RECENT_FIRST + i, text.c_str());
    }
    if (!paths.empty())
        InsertMenuW(fileMenu, position, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}
