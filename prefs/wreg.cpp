#include "prefs/wreg.h"

#include <cstring>
#include <string>

// Opens the program's key under a root for one operation and closes it on
// the way out.
class OpenKey {
public:
    OpenKey(WReg& reg, HKEY root) : reg(reg) {
        if (!reg.isOpen) {
            DWORD disposition;
            reg.isOpen = RegCreateKeyExA(root, reg.keyPath, 0, reg.className, 0, KEY_ALL_ACCESS,
                                         nullptr, &reg.key, &disposition) == ERROR_SUCCESS;
        }
    }
    ~OpenKey() {
        if (reg.isOpen)
            RegCloseKey(reg.key);
        reg.isOpen = false;
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    explicit operator bool() const { return reg.isOpen; }
    HKEY get() const { return reg.key; }

private:
    WReg& reg;
};

namespace {

void Append(char* path, const char* text) {
    strncat(path, text, MAX_PATH - 1 - strlen(path));
}

} // namespace

void WReg::BuildKeyPath(const char* company, const char* product, const char* majorVersion) {
    Append(keyPath, "Software\\");
    Append(keyPath, company);
    Append(keyPath, "\\");
    Append(keyPath, product);
    Append(keyPath, "\\");
    Append(keyPath, majorVersion);
    Append(keyPath, ".x");
    strncpy(className, product, sizeof className - 1);
}

void WReg::WriteString(HKEY root, const char* name, const char* text) {
    OpenKey open(*this, root);
    if (!open)
        return;
    RegSetValueExA(open.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(strlen(text) + 1));
}

LONG WReg::WriteInt(HKEY root, const char* name, int32_t value) {
    OpenKey open(*this, root);
    if (!open)
        return ERROR_ACCESS_DENIED;
    return RegSetValueExA(open.get(), name, 0, REG_NONE, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
}

bool WReg::ReadInt(HKEY root, const char* name, int32_t* value) {
    OpenKey open(*this, root);
    if (!open)
        return false;
    DWORD size = sizeof *value;
    return RegQueryValueExA(open.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                            &size) == ERROR_SUCCESS;
}

bool WReg::ReadString(HKEY root, const char* name, char* buffer, DWORD size) {
    if (size == 0)
        return false;
    OpenKey open(*this, root);
    if (!open)
        return false;
    DWORD count = size;
    if (RegQueryValueExA(open.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                         &count) != ERROR_SUCCESS)
        return false;
    buffer[count < size ? count : size - 1] = '\0';
    return true;
}

LONG WReg::DeleteValue(HKEY root, const char* name) {
    OpenKey open(*this, root);
    if (!open)
        return ERROR_ACCESS_DENIED;
    return RegDeleteValueA(open.get(), name);
}

void WReg::WriteStringBoth(const char* name, const char* text) {
    WriteString(HKEY_LOCAL_MACHINE, name, text);
    WriteString(HKEY_CURRENT_USER, name, text);
}

void WReg::ReadStringOrDefault(const char* name, char* buffer, DWORD size, const char* defaultText) {
    if (ReadString(HKEY_LOCAL_MACHINE, name, buffer, size) ||
        ReadString(HKEY_CURRENT_USER, name, buffer, size))
        return;
    if (size == 0)
        return;
    if (defaultText && strlen(defaultText) < size)
        memcpy(buffer, defaultText, strlen(defaultText) + 1);
    else
        buffer[0] = '\0';
}

bool WReg::ReadIntEither(const char* name, int32_t* value) {
    int32_t read = 0;
    if (ReadInt(HKEY_LOCAL_MACHINE, name, &read) || ReadInt(HKEY_CURRENT_USER, name, &read)) {
        *value = read;
        return true;
    }
    return false;
}

void WReg::WriteIntBoth(const char* name, int32_t value) {
    WriteInt(HKEY_LOCAL_MACHINE, name, value);
    WriteInt(HKEY_CURRENT_USER, name, value);
}

bool WReg::ReadBoolOrDefault(const char* name, bool defaultValue) {
    int32_t value = 0;
    return ReadIntEither(name, &value) ? value != 0 : defaultValue;
}

void WReg::SaveWindowPos(const char* stem, HWND window, bool savePosition, bool saveSize) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement))
        return;
    const RECT& r = placement.rcNormalPosition;
    const std::string base = stem;
    if (savePosition) {
        WriteIntBoth((base + "_x").c_str(), r.left);
        WriteIntBoth((base + "_y").c_str(), r.top);
    }
    if (saveSize) {
        WriteIntBoth((base + "_dx").c_str(), r.right - r.left);
        WriteIntBoth((base + "_dy").c_str(), r.bottom - r.top);
    }
}

void WReg::RestoreWindowPos(const char* stem, HWND window, bool restorePosition, bool restoreSize) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement))
        return;
    const RECT& r = placement.rcNormalPosition;
    int32_t x = r.left, y = r.top, cx = r.right - r.left, cy = r.bottom - r.top;
    UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER;
    const std::string base = stem;
    if (restorePosition) {
        ReadIntEither((base + "_x").c_str(), &x);
        ReadIntEither((base + "_y").c_str(), &y);
        if (x < 0)
            x = 0;
        if (y < 0)
            y = 0;
        RECT work;
        if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
            if (x > work.right - 20)
                x = 0;
            if (y > work.bottom - 20)
                y = 0;
        }
        flags = SWP_NOSIZE | SWP_NOZORDER;
    }
    if (restoreSize) {
        // A size larger than any window may take counts as missing.
        auto readSize = [&](const char* suffix, int32_t& size, int maxMetric) {
            int32_t stored = size;
            if (ReadIntEither((base + suffix).c_str(), &stored) &&
                stored <= GetSystemMetrics(maxMetric))
                size = stored;
        };
        readSize("_dx", cx, SM_CXMAXTRACK);
        readSize("_dy", cy, SM_CYMAXTRACK);
        if (cx < 20)
            cx = 20;
        if (cy < 20)
            cy = 20;
        flags &= ~SWP_NOSIZE;
    }
    SetWindowPos(window, nullptr, x, y, cx, cy, flags);
}
