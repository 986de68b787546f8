// The Immediate window made for real and driven through its controls and
// the application's message loop: the history, its painting, hiding and
// showing, and what it leaves in the preferences.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "win_test_util.h"

namespace {

using ImmediateWindow = AppTest;

const uint32_t kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// The history from the oldest entry: the line, then its result row.
std::vector<std::string> HistoryRows(const ImmWindow& imm) {
    std::vector<const HistoryEntry*> newestFirst;
    for (const HistoryEntry* e = imm.historyHead; e; e = e->next)
        newestFirst.push_back(e);
    std::vector<std::string> rows;
    for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) {
        rows.push_back((*it)->text);
        rows.push_back(ImmediateResultText(**it));
    }
    return rows;
}

bool MenuChecked(HWND frame) {
    return (GetMenuState(GetMenu(frame), IDM_IMMEDIATE, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// Each line goes in through the input field, by a click on Enter or by the
// Enter key through the message loop, and the rows are the ones
// orvanta-cli eval prints for the same lines.
TEST_F(ImmediateWindow, LinesBuildTheHistoryAsTheCommandLineDoes) {
    ImmWindow& imm = app->immWindow;
    Menu(IDM_IMMEDIATE);
    ASSERT_TRUE(IsWindowVisible(imm.immFrame));
    std::string longLine;
    for (int i = 0; i < 600; ++i)
        longLine += "1+";
    const std::vector<std::string> lines = {
        "a=2", "a*3", "pi()", "-1/3", "1/0",   "sqrt(-1)", "2^-2",        "--2",          "sin",
        "1+",  "",    "   ",  "x",    "b=a+1", "b*b",      "1e300*1e300", "-1e200*1e200", longLine};
    for (size_t i = 0; i < lines.size(); ++i) {
        SetWindowTextA(imm.inputEdit, lines[i].c_str());
        if (i % 3 == 2) {
            SetFocus(imm.inputEdit);
            PostMessageA(imm.inputEdit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
            Pump();
        } else {
            SendMessageA(imm.immDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(imm.enterButton));
        }
        char left[8] = "?";
        GetWindowTextA(imm.inputEdit, left, sizeof left);
        EXPECT_STREQ(left, "") << "the field is emptied after line " << i;
    }
    ASSERT_EQ(imm.historyCount, lines.size());
    EXPECT_EQ(imm.historyTail->text, "a=2");
    EXPECT_EQ(imm.historyHead->text.size(), 999u) << "the first 999 characters are kept";

    const std::string input = TempPath("orvanta-imm-input.txt");
    const std::string output = TempPath("orvanta-imm-output.txt");
    {
        std::ofstream file(input, std::ios::binary);
        for (const std::string& line : lines)
            file << line << "\n";
    }
    ASSERT_EQ(
        RunProgram(std::string("\"") + ORVANTA_CLI_PATH + "\" eval \"" + input + "\"", output), 0u);
    // The lines as kept (blank ones emptied, long ones cut), each followed
    // by the row the command line printed for it.
    std::ifstream file(output, std::ios::binary);
    std::vector<std::string> expected;
    for (const std::string& line : lines) {
        std::string row;
        std::getline(file, row);
        expected.push_back(line.find_first_not_of(' ') == std::string::npos ? ""
                                                                            : line.substr(0, 999));
        expected.push_back(row);
    }
    EXPECT_EQ(HistoryRows(imm), expected);
    EXPECT_EQ(expected.back(), " Error") << "a line longer than the engine takes";
    DeleteFileA(input.c_str());
    DeleteFileA(output.c_str());
}

TEST_F(ImmediateWindow, VariablesAreInvisibleToPlotting) {
    ImmWindow& imm = app->immWindow;
    imm.AddLine("a=2");
    SetSlot(1, "a*x");
    ClickPlot();
    ASSERT_EQ(answerer->Shown().size(), 1u);
    EXPECT_EQ(answerer->Shown()[0].text, "Unable to evaluate the expression a*x");
    imm.AddLine("a");
    EXPECT_EQ(ImmediateResultText(*imm.historyHead), "  2.000000");
}

TEST_F(ImmediateWindow, CloseBoxHidesAndCtrlIShowsTheSameHistory) {
    ImmWindow& imm = app->immWindow;
    EXPECT_FALSE(IsWindowVisible(imm.immFrame));
    KeyWith(VK_CONTROL, WM_KEYDOWN, 'I', 0x00170001);
    EXPECT_TRUE(IsWindowVisible(imm.immFrame));
    EXPECT_TRUE(MenuChecked(app->frameWindow));
    SetWindowTextA(imm.inputEdit, "6*7");
    SendMessageA(imm.immDialog, WM_COMMAND, IDOK, 0);

    SendMessageA(imm.immFrame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(imm.immFrame)) << "closing only hides";
    EXPECT_FALSE(IsWindowVisible(imm.immFrame));
    EXPECT_FALSE(MenuChecked(app->frameWindow));

    KeyWith(VK_CONTROL, WM_KEYDOWN, 'I', 0x00170001);
    EXPECT_TRUE(IsWindowVisible(imm.immFrame));
    EXPECT_TRUE(MenuChecked(app->frameWindow));
    ASSERT_EQ(imm.historyCount, 1u);
    EXPECT_EQ(ImmediateResultText(*imm.historyHead), "  42.000000");
    Menu(IDM_IMMEDIATE);
    EXPECT_FALSE(IsWindowVisible(imm.immFrame));
    EXPECT_FALSE(MenuChecked(app->frameWindow));
}

// The newest entry is at the bottom: its line in the default black, its
// result under it in pure blue; the rest of the control stays white.
TEST_F(ImmediateWindow, HistoryIsPaintedNewestAtTheBottom) {
    ImmWindow& imm = app->immWindow;
    Menu(IDM_IMMEDIATE);
    for (const char* line : {"1+1", "2*2"}) {
        SetWindowTextA(imm.inputEdit, line);
        SendMessageA(imm.immDialog, WM_COMMAND, IDOK, 0);
    }
    RECT client;
    GetClientRect(imm.historyControl, &client);
    const int w = client.right, h = client.bottom, row = imm.lineHeight;
    ASSERT_GT(h, 5 * row);
    const std::vector<uint32_t> pixels = ShownPixels(imm.historyControl);
    const auto count = [&](int top, int bottom, uint32_t color) {
        size_t n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < w; ++x)
                n += pixels[static_cast<size_t>(y) * w + x] == color;
        return n;
    };
    EXPECT_GT(count(h - row, h, kBlue), 10u) << "result of the newest line";
    EXPECT_EQ(count(h - 2 * row, h - row, kBlue), 0u) << "the newest line itself";
    size_t dark = 0; // the line's own text, in black (anti-aliased or not)
    for (int y = h - 2 * row; y < h - row; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * w + x];
            dark += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 128;
        }
    EXPECT_GT(dark, 10u);
    EXPECT_GT(count(h - 3 * row, h - 2 * row, kBlue), 10u) << "result of the older line";
    EXPECT_EQ(count(0, h - 4 * row, kWhite), static_cast<size_t>(w) * (h - 4 * row));
}

TEST_F(ImmediateWindow, LayoutKeepsTheInputStripAtTheBottom) {
    ImmWindow& imm = app->immWindow;
    for (SIZE size : {SIZE{420, 330}, SIZE{260, 150}}) {
        SetWindowPos(imm.immFrame, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE);
        RECT c, history, edit, button;
        GetClientRect(imm.immFrame, &c);
        const auto place = [&](HWND control, RECT& r) {
            GetWindowRect(control, &r);
            MapWindowPoints(nullptr, imm.immFrame, reinterpret_cast<POINT*>(&r), 2);
        };
        place(imm.historyControl, history);
        place(imm.inputEdit, edit);
        place(imm.enterButton, button);
        const LONG h = imm.lineHeight, bh = button.bottom - button.top;
        EXPECT_EQ(history.bottom, c.bottom - h - 10);
        EXPECT_EQ(history.right, c.right);
        EXPECT_EQ(edit.top, c.bottom - 5 - h);
        EXPECT_EQ(edit.bottom - edit.top, h);
        EXPECT_EQ(edit.right, c.right - (button.right - button.left) - 10);
        EXPECT_EQ(button.right, c.right - 5);
        EXPECT_EQ(button.top, c.bottom - h - 10 + (h + 10 - bh) / 2);
    }
}

// "Show_Imm" holds whether the window is shown at the moment of saving, and
// a new run starts with it shown and checked; the placement comes back too.
TEST_F(ImmediateWindow, VisibilityAndPlacementPersist) {
    Menu(IDM_IMMEDIATE);
    Menu(IDM_IMMEDIATE);
    app->SavePreferences();
    int32_t shown = -1;
    ASSERT_TRUE(app->ReadIntEither("Show_Imm", &shown));
    EXPECT_EQ(shown, 0) << "hidden again before saving";

    Menu(IDM_IMMEDIATE);
    SetWindowPos(app->immWindow.immFrame, nullptr, 40, 50, 333, 222, SWP_NOZORDER);
    app->SavePreferences();
    ASSERT_TRUE(app->ReadIntEither("Show_Imm", &shown));
    EXPECT_EQ(shown, 1);

    Restart();
    EXPECT_TRUE(IsWindowVisible(app->immWindow.immFrame));
    EXPECT_TRUE(MenuChecked(app->frameWindow));
    RECT r;
    GetWindowRect(app->immWindow.immFrame, &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.right - r.left, 333);
    EXPECT_EQ(r.bottom - r.top, 222);
}

} // namespace
