// Where the program's DLLs come from. A folder the program was unpacked into
// (Downloads, typically) may hold DLLs of anyone's choosing; only the
// system folder is searched.
#pragma once

#include <windows.h>

// Makes the system folder the only place LoadLibrary and the DLLs loaded
// later by the system search. Call it first thing; nothing happens on
// systems that lack SetDefaultDllDirectories (it is looked up, not imported).
void LoadDllsOnlyFromSystemFolder();

// Loads the DLL `name` ("wininet.dll") from the system folder and nowhere
// else; null when that fails. The module stays loaded for the life of the
// process.
HMODULE LoadSystemDll(const char* name);
