#include "update/newer_version_dialog.h"

#include <cstdio>

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

void OnInit(HWND dialog) {
    if (!shownOffer)
        return;
    SetFormatted(dialog, 0, "New Version of %s Available", shownOffer->displayName);
    SetFormatted(dialog, IDC_NEWER_HEADLINE, "A newer version of %s is available.",
                 shownOffer->title);
    SetFormatted(dialog, IDC_NEWER_INSTALLED, "Installed version: %s",
                 shownOffer->installedVersion);
    SetFormatted(dialog, IDC_NEWER_CURRENT, "Current version: %s", shownOffer->latestVersion);
}

void OnCommand(HWND dialog, int id) {
    switch (id) {
    case IDC_NEWER_VISIT:
        OpenUrl(shownOffer->infoUrl);
        break;
    case IDC_NEWER_DOWNLOAD:
        OpenUrl(shownOffer->downloadUrl);
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
        OnInit(dialog);
        return TRUE;
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
