// Holds Wine's desktop open while the Windows tests run. The first program
// that needs the desktop starts Wine's desktop process, which keeps that
// program's standard output and error for as long as it lives; when that is
// a test whose output ctest reads, ctest waits on the pipe until the
// desktop process ends, which other tests keep from happening. Started
// first with its output on /dev/null, this program starts the desktop
// process itself and, by staying connected, keeps it running until the
// prefix's wineserver is stopped.
#include <windows.h>

int main() {
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
