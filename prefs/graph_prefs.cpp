#include "prefs/graph_prefs.h"

#include "prefs/wreg.h"

void GraphPrefs::GetValue(const char* name, int32_t* value, int32_t defaultValue) {
    int32_t temporary = defaultValue;
    GetInt(name, &temporary, defaultValue);
    *value = temporary;
}

int32_t GraphPrefs::GetIntInRange(const char* name, int32_t low, int32_t high,
                                  int32_t defaultValue) {
    int32_t value = defaultValue;
    GetInt(name, &value, defaultValue);
    return value >= low && value <= high ? value : defaultValue;
}

void OrvantaPrefs::SetInt(const char* name, int32_t value) { reg->WriteIntBoth(name, value); }

void OrvantaPrefs::SetString(const char* name, const char* text) { reg->WriteStringBoth(name, text); }

void OrvantaPrefs::GetString(const char* name, char* buffer, DWORD size, const char* defaultText) {
    reg->ReadStringOrDefault(name, buffer, size, defaultText);
}

void OrvantaPrefs::GetInt(const char* name, int32_t* value, int32_t defaultValue) {
    if (!reg->ReadIntEither(name, value))
        *value = defaultValue;
}

bool OrvantaPrefs::GetBool(const char* name, bool defaultValue) {
    return reg->ReadBoolOrDefault(name, defaultValue);
}

void OrvantaPrefs::Delete(const char* name) {
    reg->DeleteValue(HKEY_LOCAL_MACHINE, name);
    reg->DeleteValue(HKEY_CURRENT_USER, name);
}

void OrvantaPrefs::SaveWindowPlacement(const char* stem, HWND window) {
    reg->SaveWindowPos(stem, window, true, true);
}

void OrvantaPrefs::RestoreWindowPlacement(const char* stem, HWND window) {
    reg->RestoreWindowPos(stem, window, true, true);
}
