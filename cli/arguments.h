// orvanta-cli's command line in UTF-8, the encoding of every file name the
// portable core takes.
#pragma once

#include <string>
#include <vector>

// The arguments, argv[0] included. On Windows they are read again from the
// wide command line, so that a name outside the ANSI code page arrives
// whole; elsewhere they are argv as it is.
std::vector<std::string> Utf8Arguments(int argc, char** argv);
