// The program's registry access: one key path used under the machine-wide
// and the per-user root. Every operation opens the key, makes one registry
// call and closes the key again. Writes go to both roots, machine-wide first;
// reads try the machine-wide root first. Failures are silent.
#pragma once

#include <windows.h>

#include <cstdint>

class WReg {
public:
    WReg() = default;
    WReg(const WReg&) = delete;
    WReg& operator=(const WReg&) = delete;

    // Appends "Software\<company>\<product>\<major>.x" to the key path; the
    // product name is also the class string of keys it creates.
    void BuildKeyPath(const char* company, const char* product, const char* majorVersion);
    const char* KeyPath() const { return keyPath; }

    // Single-root operations. Integers are stored as 4 bytes of type code 0;
    // texts as REG_SZ with their terminator.
    void WriteString(HKEY root, const char* name, const char* text);
    LONG WriteInt(HKEY root, const char* name, int32_t value);
    // True when the value exists and fits 4 bytes (any stored type).
    bool ReadInt(HKEY root, const char* name, int32_t* value);
    // True when the value exists and fits the buffer; the text read is then
    // NUL-terminated (in the last byte when it fills the buffer). False
    // without touching the registry for a size of 0.
    bool ReadString(HKEY root, const char* name, char* buffer, DWORD size);
    LONG DeleteValue(HKEY root, const char* name);

    // Two-root operations.
    void WriteStringBoth(const char* name, const char* text);
    // The value from the first root that has it; else the default when it
    // fits (length below the size), else the empty text.
    void ReadStringOrDefault(const char* name, char* buffer, DWORD size, const char* defaultText);
    // Whether the integer from the first root that has it is non-zero; the
    // default when neither has it.
    bool ReadBoolOrDefault(const char* name, bool defaultValue);
    // Both roots: machine-wide first, then per-user.
    void WriteIntBoth(const char* name, int32_t value);
    // Machine-wide first; false, and *value untouched, when neither has it.
    bool ReadIntEither(const char* name, int32_t* value);

    // A window's normal rectangle as four integers stem_x, stem_y, stem_dx,
    // stem_dy; restoring keeps the window on the work area and at least
    // 20 x 20 pixels, and keeps the current width or height in place of one
    // larger than the system lets a window be (SM_CXMAXTRACK, SM_CYMAXTRACK).
    void SaveWindowPos(const char* stem, HWND window, bool savePosition, bool saveSize);
    void RestoreWindowPos(const char* stem, HWND window, bool restorePosition, bool restoreSize);

private:
    friend class OpenKey;
    char keyPath[MAX_PATH] = {};
    char className[64] = {};
    bool isOpen = false;
    HKEY key = nullptr;
};
