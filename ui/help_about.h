// The Help dialog with the reference of the calculator language, and the
// About box.
#pragma once

#include <windows.h>

// The help text: 28 lines, each ending in CR LF, 999 characters.
extern const char kHelpText[];

// Runs the modal Help dialog over `owner`.
void ShowHelpDialog(HWND owner);

// What the About box names: the program's title and the vendor's web site
// (host name), and the home page its button opens.
struct AboutInfo {
    const char* title;
    const char* webSite;
    const char* homePage;
};

// Runs the modal About box over `owner`.
void ShowAboutBox(HWND owner, const AboutInfo& about);

INT_PTR CALLBACK HelpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
