// The dialog that offers a newer published version.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// What the dialog shows and where its reminder lives.
struct NewerVersionOffer {
    const char* latestVersion;    // published
    const char* infoUrl;          // opened by "Visit Website"
    const char* downloadUrl;      // opened by "Download"
    const char* installedVersion; // "1.1"
    const char* displayName;      // in the title: "New Version of %s Available"
    const char* title;            // in the headline: "A newer version of %s is available."
    // The version the user chose not to be reminded of ("" when none), and
    // how a new choice is stored.
    std::function<std::string()> readReminder;
    std::function<void(const char*)> writeReminder;
};

// Shows the modal dialog over `owner`, unless the reminder holds exactly the
// published version. "Visit Website" and "Download" open their pages, and
// are disabled when their address is not a web address (IsWebAddress); "Don't
// Remind Me" stores the published version as the reminder; each closes the
// dialog, as do "Remind Me Later" (which has the focus), Escape and the
// close box.
void ShowNewerVersionDialog(HWND owner, const NewerVersionOffer& offer);

INT_PTR CALLBACK NewerVersionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
