// Where the program takes its DLLs from: a wininet.dll planted beside
// Orvanta.exe (in the folder a download was unpacked into, say) must never
// be loaded, while the update check still loads the system's.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>

#include "win/win_handles.h"
#include "win_test_util.h"

namespace {

// The path of the module `name` loaded in process `pid`; empty when it is
// not loaded.
std::string ModulePath(DWORD pid, const char* name) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE)
        return "";
    std::string path;
    MODULEENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szModule, name) == 0) {
            path = entry.szExePath;
            break;
        }
    CloseHandle(snapshot);
    return path;
}

struct FindFrame {
    DWORD pid;
    HWND frame = nullptr;
};

BOOL CALLBACK FindFrameOf(HWND window, LPARAM lParam) {
    auto& find = *reinterpret_cast<FindFrame*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (pid == find.pid && IsWindowVisible(window) && lstrcmpA(name, "Orvanta") == 0) {
        find.frame = window;
        return FALSE;
    }
    return TRUE;
}

TEST(DllSearch, AWininetBesideTheProgramIsNeverLoaded) {
    const std::string folder = TempPath("planted");
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string program = folder + "\\Orvanta.exe", marker = folder + "\\loaded";
    DeleteFileA(marker.c_str());
    ASSERT_TRUE(CopyFileA(ORVANTA_EXE_PATH, program.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(PLANTED_DLL_PATH, (folder + "\\wininet.dll").c_str(), FALSE));

    // Started from its own folder, which is also the current one.
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string command = "\"" + program + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder.c_str(), &startup, &process));
    CloseHandle(process.hThread);

    // The window appears, then the update check loads WinINet.
    FindFrame find{process.dwProcessId};
    std::string wininet;
    for (int i = 0; i < 200 && wininet.empty(); ++i) {
        if (WaitForSingleObject(process.hProcess, 50) != WAIT_TIMEOUT)
            break;
        if (!find.frame)
            EnumWindows(FindFrameOf, reinterpret_cast<LPARAM>(&find));
        else
            wininet = ModulePath(process.dwProcessId, "wininet.dll");
    }
    EXPECT_NE(find.frame, nullptr) << "the program did not start";
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(CharLowerA(wininet.data()), std::string(CharLowerA(system)) + "\\wininet.dll")
        << "the update check loads the system's WinINet";
    if (find.frame)
        PostMessageA(find.frame, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);

    EXPECT_EQ(GetFileAttributesA(marker.c_str()), INVALID_FILE_ATTRIBUTES)
        << "the planted wininet.dll was loaded";
    for (const char* name : {"loaded", "wininet.dll", "Orvanta.exe"})
        DeleteFileA((folder + "\\" + name).c_str());
    RemoveDirectoryA(folder.c_str());
    ClearProgramKey();
}

} // namespace
