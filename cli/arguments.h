// orvanta-cli's command line in UTF-8, the encoding of every file name the
// portable core takes.
#pragma once

#include <string>
#include <vector>

// The arguments, argv[0] included. On Windows they are read again from the
// wide command line, so that a name outside the ANSI code page arrives
// whole; elsewhere they are argv as it is.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// On Windows, makes the system folder the only place the DLLs the system
// loads later come from (a folder the program was unpacked into may hold
// anyone's); nothing elsewhere. Called first thing.
void LoadDllsOnlyFromSystemFolder();
