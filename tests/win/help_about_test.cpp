// The Help dialog and the About box, driven through their messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "ui/help_about.h"
#include "win/url_opener.h"
#include "win_test_util.h"

namespace {

using HelpAndAbout = AppTest;

std::string TextOf(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

TEST_F(HelpAndAbout, HelpShowsTheReferenceReadOnly) {
    const char* lines[] = {
        "Builtin Functions:",
        "",
        "abs(x)         return absolute value of x",
        "floor(x)       return highest integer value less than or equal to x",
        "ceil(x)        return lowest integer value greater than or equal to x",
        "mod(x,y)       return remainder of x divided by y",
        "sqrt(x)        return the square root of x, same as x^0.5",
        "log(x)         natural logarithm of x",
        "exp(x)         e to the x power",
        "sin(x)         sine of x",
        "cos(x)         cosine of x",
        "tan(x)         tangent of x",
        "arcsin(x)      arcsine of x",
        "arccos(x)      arccosine of x",
        "arctan(x)      arctangent of x",
        "arctan2(y,x)   arctangent of y/x corrected for quadrant",
        "sinh(x)        hyperbolic sine of x",
        "cosh(x)        hyperbolic cosine of x",
        "tanh(x)        hyperbolic tangent of x",
        "pi()           constant for Pi",
        "",
        "Operators from highest precedence to least:",
        "( )     parenthesis and comma",
        "^       exponentiation",
        "+ -     unary plus and minus",
        "* /     multiplication and division",
        "+ -     addition and subtraction",
        "=       equals (assignment)",
    };
    std::string expected;
    for (const char* line : lines)
        expected += std::string(line) + "\r\n";

    DialogScript script({[&] {
        HWND help = FindDialog("Orvanta Help");
        if (!help)
            return false;
        HWND edit = GetDlgItem(help, IDC_HELP_TEXT);
        EXPECT_EQ(TextOf(edit), expected);
        EXPECT_TRUE(GetWindowLongA(edit, GWL_STYLE) & ES_READONLY);
        SendMessageA(edit, WM_CHAR, 'z', 0);
        SendMessageA(edit, WM_KEYDOWN, VK_DELETE, 0);
        EXPECT_EQ(TextOf(edit), expected) << "typing changes nothing";
        PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        return true;
    }});
    Menu(IDM_HELP);
    EXPECT_EQ(FindDialog("Orvanta Help"), nullptr) << "Escape closed it";
}

// The text opens at its first line with the caret before its first
// character, nothing selected.
TEST_F(HelpAndAbout, HelpOpensWithTheCaretAtTheStartAndNothingSelected) {
    DWORD start = 1, end = 1;
    HWND focus = nullptr, edit = nullptr;
    LRESULT firstLine = -1;
    DialogScript script({[&] {
        HWND help = FindDialog("Orvanta Help");
        if (!help)
            return false;
        edit = GetDlgItem(help, IDC_HELP_TEXT);
        focus = GetFocus();
        SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        firstLine = SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
        PostMessageA(help, WM_COMMAND, IDOK, 0);
        return true;
    }});
    Menu(IDM_HELP);
    EXPECT_EQ(focus, edit);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 0u);
    EXPECT_EQ(firstLine, 0);
}

std::vector<std::string> opened;
void RecordUrl(const char* url) {
    opened.push_back(url);
}

TEST_F(HelpAndAbout, AboutNamesTheProductAndItsButtonKeepsTheBoxOpen) {
    opened.clear();
    const UrlOpener previous = SetUrlOpener(RecordUrl);
    const char* title = "About Orvanta 1.1 - www.pellmora.com";
    DialogScript script({
        [&] {
            HWND about = FindDialog(title);
            if (!about)
                return false;
            EXPECT_EQ(TextOf(GetDlgItem(about, IDC_ABOUT_TITLE)), "Orvanta 1.1");
            EXPECT_EQ(TextOf(GetDlgItem(about, IDC_ABOUT_WEB_SITE)), "www.pellmora.com");
            PostClick(about, IDC_ABOUT_WEB_SITE);
            return true;
        },
        [&] {
            HWND about = FindDialog(title);
            if (!about || opened.empty())
                return false;
            PostMessageA(about, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            return true;
        },
    });
    Menu(IDM_ABOUT);
    SetUrlOpener(previous);
    EXPECT_EQ(opened, std::vector<std::string>{"http://www.pellmora.com/"});
    EXPECT_EQ(FindDialog(title), nullptr);
}

} // namespace
