// Graph documents in the real window: the common dialogs answered as a user
// answers them, the question before a modified document is dropped, the
// title, the recent files in the menu and the registry, dropped files, the
// file named at start-up, refused and failed files, and a name outside the
// ANSI code page.
#include <windows.h>

#include <dlgs.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "document/document_json.h"
#include "document/path_text.h"
#include "plot/export_image.h"
#include "raster/raster_test_util.h"
#include "res/resource.h"
#include "win/text_encoding.h"
#include "win_test_util.h"

namespace {

namespace fs = std::filesystem;

const wchar_t kKey[] = L"Software\\Pellmora\\Orvanta\\1.x";

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

GraphDocument ReadDocument(const fs::path& path) {
    GraphDocument document;
    std::string reason;
    EXPECT_TRUE(ReadGraphDocument(ReadText(path), document, reason)) << reason;
    return document;
}

// The per-user recent-file values, in order, as far as they go.
std::vector<std::wstring> StoredRecentFiles() {
    std::vector<std::wstring> paths;
    for (int i = 1; i <= 9; ++i) {
        wchar_t text[1024] = {};
        DWORD bytes = sizeof text, type = 0;
        const std::wstring name = L"Recent_File_" + std::to_wstring(i);
        if (RegGetValueW(HKEY_CURRENT_USER, kKey, name.c_str(), RRF_RT_ANY, &type, text, &bytes) !=
            ERROR_SUCCESS)
            break;
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << "Recent_File_" << i;
        paths.push_back(text);
    }
    return paths;
}

// The texts of the File menu's items, separators as "-".
std::vector<std::wstring> FileMenu(HWND frame) {
    HMENU file = GetSubMenu(GetMenu(frame), 0);
    std::vector<std::wstring> items;
    for (int i = 0; i < GetMenuItemCount(file); ++i) {
        wchar_t text[512] = {};
        if (GetMenuState(file, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR)
            items.push_back(L"-");
        else {
            GetMenuStringW(file, static_cast<UINT>(i), text, 512, MF_BYPOSITION);
            items.push_back(text);
        }
    }
    return items;
}

// A block the shell would hand over for files dropped on a window.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    size_t characters = 1;
    for (const std::wstring& path : paths)
        characters += path.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + characters * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(block));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(files + 1);
    for (const std::wstring& path : paths) {
        std::memcpy(text, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        text += path.size() + 1;
    }
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

class Documents : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        folder = fs::path(TempPath("orvanta-documents"));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(folder, ignored))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(folder, ignored);
        AppTest::TearDown();
    }
    std::wstring PathOf(const std::wstring& name) const { return (folder / name).wstring(); }

    std::wstring Title() const {
        wchar_t text[512] = {};
        GetWindowTextW(app->frameWindow, text, 512);
        return text;
    }

    // Runs a command that shows a file dialog with this caption, types
    // `name` into it and presses its OK button.
    void AnswerFileDialog(const char* caption, const std::wstring& name,
                          const std::function<void()>& command) {
        DialogScript script({[=] { return FindDialog(caption) != nullptr; },
                             [=] {
                                 HWND dialog = FindDialog(caption);
                                 SetDlgItemTextW(dialog, cmb13, name.c_str());
                                 PostClick(dialog, IDOK);
                                 return true;
                             }});
        command();
        Pump();
    }
    // Save As with `name` typed; a file already there is replaced.
    void SaveAs(const std::wstring& name) {
        if (fs::exists(name) || fs::exists(name + L".orv"))
            answerer->Answer(IDYES); // the dialog's overwrite prompt
        AnswerFileDialog("Save As", name, [this] { Menu(IDM_SAVE_AS); });
    }
    void Open(const std::wstring& name) {
        AnswerFileDialog("Open", name, [this] { Menu(IDM_OPEN); });
    }

    // A graph worth saving: two curves, a view of its own, polar colours.
    void DrawSomething() {
        SetSlot(1, "sin(x)*4");
        SetSlot(2, "x/2");
        SetField(IDC_X_MIN, "-5");
        SetField(IDC_X_MAX, "15");
        ClickPlot();
    }

    // Whether a quit is waiting; takes it out of the queue.
    static bool QuitPosted() {
        MSG message;
        return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }

    fs::path folder;
};

TEST_F(Documents, SaveAsWritesTheGraphAsShownAndNamesTheWindow) {
    EXPECT_EQ(Title(), L"Orvanta") << "no document, the program's own title";
    DrawSomething();
    GraphOptions options;
    app->GetOptions(options);
    options.graphColors[1] = 0x123456;
    options.showAxes = false;
    app->ApplyOptions(options);

    SaveAs(PathOf(L"graph")); // no extension typed
    const std::wstring path = PathOf(L"graph.orv");
    ASSERT_TRUE(fs::exists(path));
    const GraphDocument saved = ReadDocument(path);
    EXPECT_EQ(saved.mode, Rectangular);
    EXPECT_EQ(saved.xMin, -5);
    EXPECT_EQ(saved.xMax, 15);
    EXPECT_EQ(saved.equations[0], "sin(x)*4");
    EXPECT_EQ(saved.equations[1], "x/2");
    EXPECT_EQ(saved.equations[2], "");
    EXPECT_EQ(saved.style.graphColors[1], 0x123456u);
    EXPECT_FALSE(saved.style.showAxes);
    // Written as the format's writer writes it, byte for byte.
    EXPECT_EQ(ReadText(path), WriteGraphDocument(saved));

    EXPECT_EQ(Title(), L"graph.orv - Orvanta");
    EXPECT_EQ(StoredRecentFiles(), std::vector<std::wstring>{path});
    const std::vector<std::wstring> menu = FileMenu(app->frameWindow);
    const std::vector<std::wstring> expected = {
        L"&New\tCtrl+N", L"&Open...\tCtrl+O",         L"&Save\tCtrl+S",
        L"Save &As...\tCtrl+Shift+S", L"-", RecentMenuText(1, path, 60), L"-",
        L"&Export...\tCtrl+E", L"-", L"E&xit"};
    EXPECT_EQ(menu, expected);
    EXPECT_TRUE(answerer->Shown().empty());
}

// Everything a document holds comes back, the ranges bit for bit (the range
// fields' six decimals would lose this view), and the graph is drawn.
TEST_F(Documents, OpenShowsWhatTheFileHolds) {
    GraphDocument document;
    document.mode = Parametric;
    document.xMin = -1e-7;
    document.xMax = 3e-7;
    document.yMin = -2.5e-7;
    document.yMax = 1.0000000000000002e-7;
    document.tStart = 0;
    document.tStop = 6.283185307179586;
    document.equations = {"cos(t)/10000000", "sin(t)/10000000", "", "", "t/100000000", "t/100000000", "", ""};
    document.style.graphColors[0] = 0xABCDEF;
    document.style.backColor = 0x101010;
    document.style.axisColor = 0xFEDCBA;
    const std::wstring path = PathOf(L"view.orv");
    WriteText(path, WriteGraphDocument(document));
    SetSlot(4, "x"); // an accepted equation the document clears
    ClickPlot();

    Open(path);
    EXPECT_EQ(app->plotter.mode, Parametric);
    EXPECT_EQ(Field(IDC_LABEL1), "x1=f(t)");
    EXPECT_EQ(app->plotter.xMin, document.xMin);
    EXPECT_EQ(app->plotter.xMax, document.xMax);
    EXPECT_EQ(app->plotter.yMin, document.yMin);
    EXPECT_EQ(app->plotter.yMax, document.yMax);
    EXPECT_EQ(app->plotter.tStop, document.tStop);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(app->equations[i], document.equations[i]) << "slot " << i + 1;
        EXPECT_EQ(Field(IDC_EQUATION1 + (i < 4 ? i : i + 1)), document.equations[i]);
    }
    EXPECT_EQ(app->graphColors[0], 0xABCDEFu);
    EXPECT_EQ(app->backColor, 0x101010u);
    EXPECT_TRUE(CanvasIsRendered());
    EXPECT_GT(CountColor(0xABCDEF), 50u) << "the first pair is drawn";
    EXPECT_EQ(Title(), L"view.orv - Orvanta");
    for (const ShownMessage& shown : answerer->Shown())
        ADD_FAILURE() << "message: " << shown.text;
    // Saving again writes the same file: nothing was lost on the way.
    const std::string before = ReadText(path);
    Accelerator(VK_CONTROL, 'S');
    Pump();
    EXPECT_EQ(ReadText(path), before);
}

// A document's parameters come with it (its equations use them), are saved
// again unchanged, and leave with it: New shows the default graph, which
// has none.
TEST_F(Documents, ParametersComeAndGoWithTheirDocument) {
    GraphDocument document;
    document.equations[0] = "a*x+b";
    document.parameters = {{"a", 2, -10, 10, 0}, {"b", -3.5, -5, 5, 0.5}};
    const std::wstring path = PathOf(L"parameters.orv");
    WriteText(path, WriteGraphDocument(document));

    Open(path);
    for (const ShownMessage& shown : answerer->Shown())
        ADD_FAILURE() << "message: " << shown.text;
    ASSERT_EQ(app->model.parameters.size(), 2u);
    EXPECT_EQ(app->model.parameters[1].value, -3.5);
    EXPECT_EQ(app->equations[0], "a*x+b");
    EXPECT_GT(CountColor(app->graphColors[0]), 50u) << "the curve is drawn";
    const std::string before = ReadText(path);
    Accelerator(VK_CONTROL, 'S');
    Pump();
    EXPECT_EQ(ReadText(path), before);

    Menu(IDM_NEW);
    Pump();
    EXPECT_TRUE(app->model.parameters.empty());
}

// A refused file changes nothing: not the fields, the graph, the title, the
// document or the recent files.
TEST_F(Documents, RefusedFilesChangeNothing) {
    DrawSomething();
    SaveAs(PathOf(L"kept.orv"));
    SetSlot(3, "x*x"); // modified, not plotted
    Pump();
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"{\"orvanta\": 1,\n  \"mode\": }", "Cannot open bad.orv: not valid JSON (line 2, column 11)"},
        {"{\"orvanta\": 2}", "Cannot open bad.orv: written by a newer version of Orvanta"},
        {"{\"orvanta\": 1, \"background\": \"#12345\"}",
         "Cannot open bad.orv: \"background\" is not #RRGGBB"},
        {"{\"mode\": \"polar\"}", "Cannot open bad.orv: not an Orvanta graph"},
    };
    const DocumentSnapshot state = app->session.Snapshot();
    const std::wstring title = Title();
    const std::vector<uint32_t> pixels(app->canvas.bits(),
                                       app->canvas.bits() + app->canvas.Width() * app->canvas.Height());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteText(PathOf(L"bad.orv"), c.text);
        answerer->Clear();
        // As every way of opening a file does once the user has let the
        // modified document go.
        EXPECT_FALSE(app->session.OpenDocument(PathOf(L"bad.orv")));
        Pump();
        ASSERT_EQ(answerer->Shown().size(), 1u);
        EXPECT_EQ(answerer->Shown()[0].text, c.message);
        EXPECT_EQ(answerer->Shown()[0].caption, "Orvanta");
        EXPECT_EQ(answerer->Shown()[0].icon, "warning");
        EXPECT_TRUE(app->session.Snapshot() == state);
        EXPECT_EQ(Title(), title);
        EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), app->canvas.bits()));
        EXPECT_EQ(StoredRecentFiles(), std::vector<std::wstring>{PathOf(L"kept.orv")});
    }
}

TEST_F(Documents, TitleMarksEveryKindOfChange) {
    DrawSomething();
    SaveAs(PathOf(L"marks.orv"));
    const std::wstring clean = L"marks.orv - Orvanta", modified = L"*marks.orv - Orvanta";
    const struct {
        const char* change;
        std::function<void()> make, undo;
    } cases[] = {
        {"an equation typed", [&] { SetSlot(5, "x^3"); }, [&] { SetSlot(5, ""); }},
        {"a range field", [&] { SetField(IDC_Y_MAX, "11"); },
         [&] { SetField(IDC_Y_MAX, "10.000000"); }},
        {"the mode", [&] { Menu(IDM_POLAR); }, nullptr},
        {"zoom", [&] { Menu(IDM_ZOOM_IN); }, nullptr},
        {"an option", [&] {
             GraphOptions options;
             app->GetOptions(options);
             options.backColor = 0x000040;
             app->ApplyOptions(options);
         },
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        c.make();
        Pump();
        EXPECT_EQ(Title(), modified);
        if (c.undo) {
            c.undo();
            Pump();
            EXPECT_EQ(Title(), clean) << "back to what was saved";
        } else {
            ASSERT_TRUE(app->session.SaveCommand());
            Pump();
            EXPECT_EQ(Title(), clean) << "saved";
        }
    }
    // New forgets the document: the program's own title again.
    Menu(IDM_NEW);
    Pump();
    EXPECT_EQ(Title(), L"Orvanta");
    EXPECT_EQ(Field(IDC_EQUATION1), "");
    EXPECT_EQ(app->equations[0], "");
    EXPECT_EQ(app->plotter.mode, Polar) << "New keeps the mode";
}

// Every way of leaving a modified document asks, and each answer does what
// it says: Yes saves, then goes on; No goes on; Cancel keeps everything.
// New gets all three answers; every other way one of them, so that each
// answer meets a way that opens a file and a way that quits (a message box
// costs Wine about a second, every combination would take minutes).
TEST_F(Documents, QuestionBeforeAModifiedDocumentIsLeft) {
    const std::wstring other = PathOf(L"other.orv");
    WriteText(other, WriteGraphDocument(GraphDocument{}));
    const auto leaveByNew = [&] {
        Menu(IDM_NEW);
        Pump();
        return app->session.Path().empty();
    };
    const struct {
        const char* way;
        // Runs it; true when the program went on (to quit, or to what was asked).
        std::function<bool()> leave;
        std::vector<int> answers;
    } ways[] = {
        {"New", leaveByNew, {IDYES, IDNO, IDCANCEL}},
        {"a recent file",
         [&] {
             Menu(IDM_RECENT_FIRST + 1);
             Pump();
             return app->session.Path() == other;
         },
         {IDCANCEL}},
        {"a dropped file",
         [&] {
             SendMessageW(app->frameWindow, WM_DROPFILES,
                          reinterpret_cast<WPARAM>(MakeDrop({other})), 0);
             Pump();
             return app->session.Path() == other;
         },
         {IDYES}},
        {"the close box",
         [&] {
             SendMessageA(app->frameWindow, WM_CLOSE, 0, 0);
             return QuitPosted();
         },
         {IDYES}},
        {"File > Exit",
         [&] {
             Menu(IDM_EXIT);
             return QuitPosted();
         },
         {IDNO}},
        {"the session ending",
         [&] { return SendMessageA(app->frameWindow, WM_QUERYENDSESSION, 0, 0) != 0; },
         {IDCANCEL}},
    };
    for (const auto& way : ways) {
        for (int answer : way.answers) {
            SCOPED_TRACE(std::string(way.way) + ", answer " + std::to_string(answer));
            // The other file is second in the recent list, this one first.
            // (The file dialogs have tests of their own.)
            ASSERT_TRUE(app->session.OpenDocument(other));
            DrawSomething();
            ASSERT_TRUE(app->session.SaveDocument(PathOf(L"asked.orv")));
            const std::string saved = ReadText(PathOf(L"asked.orv"));
            SetSlot(1, "cos(x)");
            answerer->Clear();
            answerer->Answer(answer);
            const bool wentOn = way.leave();
            ASSERT_FALSE(answerer->Shown().empty());
            EXPECT_EQ(answerer->Shown()[0].text, "Save changes to asked.orv?");
            EXPECT_EQ(answerer->Shown()[0].caption, "Orvanta");
            EXPECT_EQ(answerer->Shown()[0].icon, "warning");
            EXPECT_EQ(wentOn, answer != IDCANCEL);
            const GraphDocument onDisk = ReadDocument(PathOf(L"asked.orv"));
            EXPECT_EQ(onDisk.equations[0], answer == IDYES ? "cos(x)" : "sin(x)*4")
                << "Yes plots and saves, the others leave the file";
            if (answer == IDCANCEL) {
                EXPECT_EQ(Field(IDC_EQUATION1), "cos(x)");
                EXPECT_EQ(Title(), L"*asked.orv - Orvanta");
                EXPECT_EQ(ReadText(PathOf(L"asked.orv")), saved);
            }
            Pump();
            // Leave no document for the next round.
            answerer->Clear();
            if (app->session.IsModified())
                answerer->Answer(IDNO);
            Menu(IDM_NEW);
            Pump();
            ASSERT_TRUE(app->session.Path().empty());
        }
    }
}

TEST_F(Documents, NothingAsksWithoutADocumentOrWithoutChanges) {
    DrawSomething(); // a graph that was never saved
    SendMessageA(app->frameWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(QuitPosted());
    SaveAs(PathOf(L"quiet.orv"));
    Menu(IDM_EXIT);
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(answerer->Shown().empty());
}

// Save plots first when the fields say more than the graph shows, and a
// refused Plot stops the save with Plot's own message.
TEST_F(Documents, SavePlotsWhatTheFieldsSay) {
    DrawSomething();
    SaveAs(PathOf(L"plotted.orv"));
    SetSlot(3, "x^2/8");
    SetField(IDC_Y_MIN, "-20");
    Accelerator(VK_CONTROL, 'S');
    Pump();
    GraphDocument saved = ReadDocument(PathOf(L"plotted.orv"));
    EXPECT_EQ(saved.equations[2], "x^2/8");
    EXPECT_EQ(saved.yMin, -20);
    EXPECT_EQ(app->equations[2], "x^2/8") << "and the graph shows it";

    const std::string before = ReadText(PathOf(L"plotted.orv"));
    SetSlot(4, "sin(");
    Menu(IDM_SAVE);
    Pump();
    ASSERT_EQ(answerer->Shown().size(), 1u);
    EXPECT_EQ(answerer->Shown()[0].text, "Unable to evaluate the expression sin(");
    EXPECT_EQ(ReadText(PathOf(L"plotted.orv")), before);
}

TEST_F(Documents, FailedSaveKeepsTheOldFile) {
    DrawSomething();
    SaveAs(PathOf(L"safe.orv"));
    const std::string before = ReadText(PathOf(L"safe.orv"));
    SetSlot(1, "tan(x)");
    {
        raster_test::LimitedWrites writes(20); // the disk fills after 20 bytes
        Accelerator(VK_CONTROL, 'S');
        Pump();
    }
    ASSERT_EQ(answerer->Shown().size(), 1u);
    EXPECT_EQ(answerer->Shown()[0].text, "Cannot save safe.orv: no space left on device");
    EXPECT_EQ(answerer->Shown()[0].caption, "Orvanta");
    EXPECT_EQ(ReadText(PathOf(L"safe.orv")), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
        << "no temporary file is left";
    EXPECT_EQ(Title(), L"*safe.orv - Orvanta");

    // A file the user may not write is not replaced either.
    SetFileAttributesW(PathOf(L"safe.orv").c_str(), FILE_ATTRIBUTE_READONLY);
    answerer->Clear();
    Menu(IDM_SAVE);
    Pump();
    ASSERT_EQ(answerer->Shown().size(), 1u);
    EXPECT_EQ(answerer->Shown()[0].text, "Cannot save safe.orv: permission denied");
    EXPECT_EQ(ReadText(PathOf(L"safe.orv")), before);
}

TEST_F(Documents, NamesOutsideTheAnsiCodePage) {
    const std::wstring name = L"Gr\u00e1fico \u2211.orv";
    DrawSomething();
    SaveAs(PathOf(name));
    ASSERT_TRUE(fs::exists(PathOf(name)));
    EXPECT_EQ(Title(), name + L" - Orvanta");
    EXPECT_EQ(StoredRecentFiles(), std::vector<std::wstring>{PathOf(name)});
    // Reopened from the recent list by a new program, as a user would.
    Restart();
    EXPECT_EQ(FileMenu(app->frameWindow)[5], RecentMenuText(1, PathOf(name), 60));
    Menu(IDM_RECENT_FIRST);
    Pump();
    EXPECT_EQ(app->equations[0], "sin(x)*4");
    EXPECT_EQ(Title(), name + L" - Orvanta");
    EXPECT_TRUE(answerer->Shown().empty());
}

TEST_F(Documents, RecentFilesKeepEightNewestFirst) {
    DrawSomething();
    std::vector<std::wstring> paths;
    for (int i = 1; i <= 9; ++i) {
        paths.push_back(PathOf(L"graph" + std::to_wstring(i) + L".orv"));
        ASSERT_TRUE(app->session.SaveDocument(paths.back()));
    }
    std::vector<std::wstring> expected(paths.rbegin(), paths.rbegin() + 8);
    EXPECT_EQ(StoredRecentFiles(), expected);
    // The same file named in other case moves to the front, once.
    std::wstring upper = paths[4];
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(towupper(c));
    ASSERT_TRUE(app->session.OpenDocument(upper));
    expected.erase(expected.begin() + 4);
    expected.insert(expected.begin(), upper);
    EXPECT_EQ(StoredRecentFiles(), expected);
    const std::vector<std::wstring> menu = FileMenu(app->frameWindow);
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(menu[5 + i], RecentMenuText(static_cast<int>(i + 1), expected[i], 60));

    // A recent file that has gone says so and leaves the list.
    DeleteFileW(expected[2].c_str());
    Menu(IDM_RECENT_FIRST + 2);
    Pump();
    ASSERT_EQ(answerer->Shown().size(), 1u);
    EXPECT_EQ(answerer->Shown()[0].wideText,
              L"Cannot open " + FileNameOf(expected[2]) + L": no such file or directory");
    expected.erase(expected.begin() + 2);
    EXPECT_EQ(StoredRecentFiles(), expected);
    EXPECT_EQ(FileMenu(app->frameWindow).size(), 5u + 7u + 4u);
}

TEST_F(Documents, DroppedAndStartupFilesOpen) {
    GraphDocument document;
    document.equations[0] = "x^2/4-6";
    WriteText(PathOf(L"dropped.orv"), WriteGraphDocument(document));
    document.equations[0] = "sqrt(x)";
    WriteText(PathOf(L"started.orv"), WriteGraphDocument(document));

    SendMessageW(app->frameWindow, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop({PathOf(L"dropped.orv"), PathOf(L"started.orv")})),
                 0);
    Pump();
    EXPECT_EQ(app->equations[0], "x^2/4-6") << "the first file dropped";
    EXPECT_EQ(Title(), L"dropped.orv - Orvanta");

    // A relative name on the command line is taken from the current folder.
    Restart();
    const fs::path current = fs::current_path();
    fs::current_path(folder);
    app->session.startupDocument = L"started.orv";
    app->session.OpenStartupDocument();
    fs::current_path(current);
    Pump();
    EXPECT_EQ(app->equations[0], "sqrt(x)");
    EXPECT_EQ(app->session.Path(), PathOf(L"started.orv"));
    EXPECT_EQ(Title(), L"started.orv - Orvanta");
    EXPECT_TRUE(answerer->Shown().empty());
}

// orvanta-cli and the window read each other's documents, and the command
// line draws a document exactly as the window's export does at its size.
TEST_F(Documents, CommandLineAndWindowShareDocuments) {
    const std::string cli = std::string("\"") + ORVANTA_CLI_PATH + "\"";
    const std::wstring written = PathOf(L"from-cli.orv");
    const std::string command =
        cli + " plot --mode polar --t 0 6.283185307179586 --x -3 3 --y -2.5 2.5 --color 2 123456"
              " --save \"" + WideToAnsi(written) + "\" \"1+cos(t)\" \"2*sin(3*t)\"";
    ASSERT_EQ(RunProgram(command), 0u) << command;
    ASSERT_TRUE(app->session.OpenDocument(written));
    Pump();
    EXPECT_EQ(app->plotter.mode, Polar);
    EXPECT_EQ(app->plotter.tStop, 6.283185307179586);
    EXPECT_EQ(app->plotter.yMin, -2.5);
    EXPECT_EQ(app->equations[1], "2*sin(3*t)");
    EXPECT_EQ(app->graphColors[1], 0x123456u);

    // Zoomed to a view the fields cannot show, saved by the window, drawn
    // by the command line at the canvas's size: the export's pixels.
    Menu(IDM_ZOOM_IN);
    ASSERT_TRUE(app->session.SaveCommand());
    const std::string png = WideToAnsi(PathOf(L"from-window.png"));
    const std::string draw = cli + " plot --graph \"" + WideToAnsi(written) + "\" --size " +
                             std::to_string(app->canvas.Width()) + "x" +
                             std::to_string(app->canvas.Height()) + " -o \"" + png + "\"";
    ASSERT_EQ(RunProgram(draw), 0u) << draw;
    const std::string exported = WideToAnsi(PathOf(L"exported.png"));
    ASSERT_TRUE(app->exportImage && SavePNG(*app->exportImage, exported.c_str()));
    const raster_test::DecodedPng ours = raster_test::DecodePng(raster_test::ReadBytes(exported));
    const raster_test::DecodedPng theirs = raster_test::DecodePng(raster_test::ReadBytes(png));
    EXPECT_EQ(theirs.width, ours.width);
    EXPECT_EQ(theirs.height, ours.height);
    EXPECT_TRUE(theirs.pixels == ours.pixels) << "orvanta-cli --graph draws another picture";
    EXPECT_TRUE(answerer->Shown().empty());
}

// Equations the ANSI code page of the fields has only look-alikes for
// ("ｓｉｎ（ｘ）" would become "sin(x)") are refused as orvanta-cli refuses
// the same document, with its message; so are those it holds exactly.
TEST_F(Documents, WindowAndCommandLineRefuseTheSameEquations) {
    const std::string cli = std::string("\"") + ORVANTA_CLI_PATH + "\"";
    const std::wstring path = PathOf(L"texts.orv");
    const std::string errors = WideToAnsi(PathOf(L"errors.txt"));
    const struct {
        const char* name;
        std::vector<std::string> equations;
    } rows[] = {
        {"full-width sin(x)", {"\xEF\xBD\x93\xEF\xBD\x89\xEF\xBD\x8E\xEF\xBC\x88\xEF\xBD\x98\xEF\xBC\x89"}},
        {"minus sign", {"x\xE2\x88\x92" "1"}},
        {"superscript four", {"\xE2\x81\xB4"}},
        {"superscript two", {"x\xC2\xB2"}},
        {"the first refusal in slot order", {"x\xE2\x88\x92" "1", "sin("}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        GraphDocument document;
        for (size_t i = 0; i < row.equations.size(); ++i)
            document.equations[i] = row.equations[i];
        WriteText(path, WriteGraphDocument(document));
        answerer->Clear();
        ASSERT_TRUE(app->session.OpenDocument(path));
        Pump();
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(app->equations[i], "") << "slot " << i + 1 << " plotted";

        const std::string command = cli + " plot --graph \"" + WideToAnsi(path) + "\" -o \"" +
                                    WideToAnsi(PathOf(L"texts.bmp")) + "\"";
        ASSERT_EQ(RunProgram(command, "", errors), 2u) << command;
        std::string refusal = ReadText(errors);
        while (!refusal.empty() && (refusal.back() == '\n' || refusal.back() == '\r'))
            refusal.pop_back();
        EXPECT_EQ(answerer->Shown().size(), 1u);
        if (answerer->Shown().empty())
            continue;
        EXPECT_EQ(answerer->Shown()[0].wideText, Utf8ToWide(refusal));
        EXPECT_EQ(answerer->Shown()[0].caption, "Error in expression");
        EXPECT_EQ(answerer->Shown()[0].icon, "warning");
    }
}

// Ctrl+N, Ctrl+O, Ctrl+S and Ctrl+Shift+S reach their commands; Save of a
// graph without a file asks for one.
TEST_F(Documents, KeyboardShortcutsRunTheCommands) {
    const struct {
        WPARAM key;
        bool shift;
        const char* dialog; // the dialog it opens, which is cancelled
    } cases[] = {{'O', false, "Open"}, {'S', true, "Save As"}, {'S', false, "Save As"},
                 {'N', false, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(1, static_cast<char>(c.key)) + (c.shift ? " with Shift" : ""));
        DrawSomething();
        std::unique_ptr<DialogScript> script;
        if (c.dialog)
            script = std::make_unique<DialogScript>(std::vector<DialogScript::Step>{
                [&] { return FindDialog(c.dialog) != nullptr; },
                [&] {
                    PostClick(FindDialog(c.dialog), IDCANCEL);
                    return true;
                }});
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = c.shift ? 0x80 : 0;
        SetKeyboardState(keys);
        Accelerator(VK_CONTROL, c.key);
        GetKeyboardState(keys);
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
        Pump();
        if (script)
            EXPECT_TRUE(script->Done());
        else
            EXPECT_EQ(Field(IDC_EQUATION1), "") << "New empties the fields";
    }
    EXPECT_TRUE(answerer->Shown().empty());
}

} // namespace
