// A DLL named like a system DLL, planted beside a program by the tests: when
// it is loaded it leaves a file "loaded" in its own folder, and it does
// nothing else. A program that loads it has been taken over.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return TRUE;
    std::wstring marker(path, length);
    marker.resize(marker.find_last_of(L'\\') + 1);
    marker += L"loaded";
    const HANDLE file =
        CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return TRUE;
}
