#include "ui/help_about.h"

#include <cstdio>
#include <cstring>

#include "res/resource.h"
#include "win/dpi.h"
#include "win/url_opener.h"
#include "win/win_handles.h"

const char kHelpText[] = "Builtin Functions:\r\n"
                         "\r\n"
                         "abs(x)         return absolute value of x\r\n"
                         "floor(x)       return highest integer value less than or equal to x\r\n"
                         "ceil(x)        return lowest integer value greater than or equal to x\r\n"
                         "mod(x,y)       return remainder of x divided by y\r\n"
                         "sqrt(x)        return the square root of x, same as x^0.5\r\n"
                         "log(x)         natural logarithm of x\r\n"
                         "exp(x)         e to the x power\r\n"
                         "sin(x)         sine of x\r\n"
                         "cos(x)         cosine of x\r\n"
                         "tan(x)         tangent of x\r\n"
                         "arcsin(x)      arcsine of x\r\n"
                         "arccos(x)      arccosine of x\r\n"
                         "arctan(x)      arctangent of x\r\n"
                         "arctan2(y,x)   arctangent of y/x corrected for quadrant\r\n"
                         "sinh(x)        hyperbolic sine of x\r\n"
                         "cosh(x)        hyperbolic cosine of x\r\n"
                         "tanh(x)        hyperbolic tangent of x\r\n"
                         "pi()           constant for Pi\r\n"
                         "\r\n"
                         "Operators from highest precedence to least:\r\n"
                         "( )     parenthesis and comma\r\n"
                         "^       exponentiation\r\n"
                         "+ -     unary plus and minus\r\n"
                         "* /     multiplication and division\r\n"
                         "+ -     addition and subtraction\r\n"
                         "=       equals (assignment)\r\n";

static_assert(sizeof kHelpText == 1000, "the help text is 999 characters");

namespace {

// What the running About box shows; set for the time it runs.
const AboutInfo* shownAbout = nullptr;

void OnInitAbout(HWND dialog) {
    if (!shownAbout)
        return;
    char title[256];
    snprintf(title, sizeof title, "About %s - %s", shownAbout->title, shownAbout->webSite);
    SetWindowTextA(dialog, title);
    SetDlgItemTextA(dialog, IDC_ABOUT_TITLE, shownAbout->title);
}

// The help text's columns line up only in a fixed-pitch font: one of the
// dialog font's size at the dialog's resolution, kept in `holder` (which
// outlives the dialog). Without it the edit keeps the dialog's font.
void UseFixedPitchFont(HWND dialog, GdiObject<HFONT>* holder) {
    HWND edit = GetDlgItem(dialog, IDC_HELP_TEXT);
    if (!holder || !edit)
        return;
    LOGFONTA font = {};
    if (HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)))
        GetObjectA(dialogFont, sizeof font, &font);
    if (font.lfHeight == 0)
        font.lfHeight = -MulDiv(8, static_cast<int>(WindowDpi(dialog)), 72);
    font.lfWidth = 0;
    font.lfWeight = FW_NORMAL;
    font.lfItalic = font.lfUnderline = font.lfStrikeOut = FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    std::strcpy(font.lfFaceName, "Courier New");
    holder->reset(CreateFontIndirectA(&font));
    if (*holder)
        SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(holder->get()), FALSE);
}

// The text opens at its start with the caret there and nothing selected:
// the dialog manager would select all of it for the focus it assigns.
void ShowHelpText(HWND dialog) {
    HWND edit = GetDlgItem(dialog, IDC_HELP_TEXT);
    SetWindowTextA(edit, kHelpText);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, 0);
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}

} // namespace

INT_PTR CALLBACK HelpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        UseFixedPitchFont(dialog, reinterpret_cast<GdiObject<HFONT>*>(lParam));
        ShowHelpText(dialog);
        return FALSE; // the focus is set
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, IDOK);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitAbout(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_ABOUT_WEB_SITE:
            if (shownAbout)
                OpenUrl(shownAbout->homePage); // the box stays open
            break;
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, IDOK);
            break;
        }
        return TRUE;
    default:
        return FALSE;
    }
}

void ShowHelpDialog(HWND owner) {
    GdiObject<HFONT> font; // the help text's, deleted after the dialog
    DialogBoxParamA(DialogModule(owner), MAKEINTRESOURCEA(IDD_HELP), owner, HelpDialogProc,
                    reinterpret_cast<LPARAM>(&font));
}

void ShowAboutBox(HWND owner, const AboutInfo& about) {
    shownAbout = &about;
    DialogBoxParamA(DialogModule(owner), MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutDialogProc, 0);
    shownAbout = nullptr;
}
