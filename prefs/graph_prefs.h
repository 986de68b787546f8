// The preference store: named integers, texts, flags and window placements.
#pragma once

#include <windows.h>

#include <cstdint>

class WReg;

class GraphPrefs {
public:
    virtual ~GraphPrefs() = default;
    virtual void SetInt(const char* name, int32_t value) = 0;
    virtual void SetString(const char* name, const char* text) = 0;
    // The stored text, else the default when it fits, else "".
    virtual void GetString(const char* name, char* buffer, DWORD size, const char* defaultText) = 0;
    // *value receives the stored integer, or `defaultValue`.
    virtual void GetValue(const char* name, int32_t* value, int32_t defaultValue);
    virtual void GetInt(const char* name, int32_t* value, int32_t defaultValue) = 0;
    // The stored integer when it lies from `low` to `high`; `defaultValue`
    // when it is missing or outside that range, which the program never
    // writes (a mode that does not exist, a colour word above 0xFFFFFF).
    int32_t GetIntInRange(const char* name, int32_t low, int32_t high, int32_t defaultValue);
    virtual bool GetBool(const char* name, bool defaultValue) = 0;
    virtual void Delete(const char* name) = 0;
    virtual void SaveWindowPlacement(const char* stem, HWND window) = 0;
    virtual void RestoreWindowPlacement(const char* stem, HWND window) = 0;
};

// The store in the program's registry key, through the application's WReg
// (not owned).
class OrvantaPrefs : public GraphPrefs {
public:
    explicit OrvantaPrefs(WReg* reg) : reg(reg) {}
    void SetInt(const char* name, int32_t value) override;
    void SetString(const char* name, const char* text) override;
    void GetString(const char* name, char* buffer, DWORD size, const char* defaultText) override;
    void GetInt(const char* name, int32_t* value, int32_t defaultValue) override;
    bool GetBool(const char* name, bool defaultValue) override;
    void Delete(const char* name) override;
    void SaveWindowPlacement(const char* stem, HWND window) override;
    void RestoreWindowPlacement(const char* stem, HWND window) override;

private:
    WReg* reg;
};
