#include "update/newer_version_dialog.h"

#include <cstdio>

#include "descriptor/web_address.h"
#include "res/resource.h"
#include "win/url_opener.h"
#include "win/win_handles.h"

namespace {

// The offer of the running dialog; set for the time it runs.
const NewerVersionOffer* shownOffer = nullptr;

// A text of the dialog, formatted into 256 bytes (cut to 255 characters).
void SetFormatted(HWND dialog, int id, const char* format, const char* value) {
    char text[256];
    std::snprintf(text, sizeof text, format, value);
    if (id)
        SetDlgItemTextA(dialog, id, text);
    else
        SetWindowTextA(dialog, text);
}

// Whether `url` may be opened: only a web address; anything else the
// descriptor names never reaches the shell.
bool MayOpen(const char* url) {
    return url && IsWebAddress(url);
}

void OpenWebAddress(const char* url) {
    if (MayOpen(url))
        OpenUrl(url);
}

// Whether the dialog set the focus itself.
bool OnInit(HWND dialog) {
    if (!shownOffer)
        return false;
    SetFormatted(dialog, 0, "New Version of %s Available", shownOffer->displayName);
    SetFormatted(dialog, IDC_NEWER_HEADLINE, "A newer version of %s is available.",
                 shownOffer->title);
    SetFormatted(dialog, IDC_NEWER_INSTALLED, "Installed version: %s",
                 shownOffer->installedVersion);
    SetFormatted(dialog, IDC_NEWER_CURRENT, "Current version: %s", shownOffer->latestVersion);
    // A button whose address is not a web page cannot be pressed.
    EnableWindow(GetDlgItem(dialog, IDC_NEWER_VISIT), MayOpen(shownOffer->infoUrl));
    EnableWindow(GetDlgItem(dialog, IDC_NEWER_DOWNLOAD), MayOpen(shownOffer->downloadUrl));
    // The offer may appear while the user is typing elsewhere: a Return
    // meant for another window must only put it off, never open a page.
    SetFocus(GetDlgItem(dialog, IDC_NEWER_LATER));
    return true;
}

void OnCommand(HWND dialog, int id) {
    switch (id) {
    case IDC_NEWER_VISIT:
        OpenWebAddress(shownOffer->infoUrl);
        break;
    case IDC_NEWER_DOWNLOAD:
        OpenWebAddress(shownOffer->downloadUrl);
        break;
    case IDC_NEWER_DONT_REMIND:
        if (shownOffer->writeReminder)
            shownOffer->writeReminder(shownOffer->latestVersion);
        break;
    case IDC_NEWER_LATER:
    case IDCANCEL: // Escape and the close box: the same as "Remind Me Later"
        break;
    default:
        return; // the dialog stays open
    }
    EndDialog(dialog, 1);
}

} // namespace

INT_PTR CALLBACK NewerVersionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog) ? FALSE : TRUE; // FALSE: the focus is set
    case WM_COMMAND:
        if (shownOffer)
            OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

void ShowNewerVersionDialog(HWND owner, const NewerVersionOffer& offer) {
    const std::string reminder = offer.readReminder ? offer.readReminder() : std::string();
    if (reminder == offer.latestVersion)
        return;
    shownOffer = &offer;
    DialogBoxParamA(DialogModule(owner), MAKEINTRESOURCEA(IDD_NEWER_VERSION), owner,
                    NewerVersionDialogProc, 0);
    shownOffer = nullptr;
}
